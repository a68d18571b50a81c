# Cost per frame of the octree overlay on the real city with 10 and 1000 craft.
add_executable(bench_octreeview ${CMAKE_CURRENT_SOURCE_DIR}/octreeview_frame.cpp)
target_link_libraries(bench_octreeview PRIVATE brennoc_octreeview brennoc_simulation
                                               brennoc_testsupport benchmark::benchmark)
target_compile_definitions(bench_octreeview PRIVATE BRENNOC_DATA_DIR="${BRENNOC_DATA_DIR}")
