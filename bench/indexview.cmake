# Cost per frame of the index overlay on the real city with 10 and 1000 craft.
add_executable(bench_indexview ${CMAKE_CURRENT_SOURCE_DIR}/indexview_frame.cpp)
target_link_libraries(bench_indexview PRIVATE brennoc_indexview brennoc_simulation
                                               brennoc_testsupport benchmark::benchmark)
target_compile_definitions(bench_indexview PRIVATE BRENNOC_DATA_DIR="${BRENNOC_DATA_DIR}")
