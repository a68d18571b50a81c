# Cost of one step of N movers over a generated city: the octree (pruned and
# full removal walks), a flat list and Bullet's dynamic AABB tree, through the
# program's collision indexes and move protocol, with a check that all of them
# decide every move alike.
add_executable(bench_scaling ${CMAKE_CURRENT_SOURCE_DIR}/scaling_main.cpp
                             ${CMAKE_CURRENT_SOURCE_DIR}/scaling_spaces.cpp)
target_link_libraries(bench_scaling PRIVATE brennoc_city brennoc_octree brennoc_spatialindex
                                            brennoc_testsupport benchmark::benchmark)
