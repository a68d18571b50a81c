# Cost of feeding a graph one sample, against painting one image row alone.
add_executable(bench_perfgraph ${CMAKE_CURRENT_SOURCE_DIR}/perfgraph_feed.cpp)
target_link_libraries(bench_perfgraph PRIVATE brennoc_perfgraph benchmark::benchmark)
brennoc_own_headers(bench_perfgraph perfgraph)
brennoc_own_headers(bench_perfgraph tests)
