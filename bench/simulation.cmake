# Cost of one physics step on the real city, against an all-pairs baseline.
add_executable(bench_simulation ${CMAKE_CURRENT_SOURCE_DIR}/simulation_step.cpp)
target_link_libraries(bench_simulation PRIVATE brennoc_simulation brennoc_testsupport
                                               benchmark::benchmark)
target_compile_definitions(bench_simulation PRIVATE BRENNOC_DATA_DIR="${BRENNOC_DATA_DIR}")
