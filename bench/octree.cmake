# Cost of one mover's move through the octree on a city-like load, against the
# same moves through a flat list tested against every record.
add_executable(bench_octree ${CMAKE_CURRENT_SOURCE_DIR}/octree_moves.cpp)
target_link_libraries(bench_octree PRIVATE brennoc_octree brennoc_testsupport benchmark::benchmark)
