# Cost of one step of N movers over a generated city: the octree (its own move,
# and the four calls with the pruned and the full removal walks), a flat list
# and Bullet's dynamic AABB tree, through the program's collision indexes and
# move protocol, movers spread out or crowded, with a check that the spaces
# decide moves alike where they must.
add_executable(bench_scaling ${CMAKE_CURRENT_SOURCE_DIR}/scaling_main.cpp
                             ${CMAKE_CURRENT_SOURCE_DIR}/scaling_spaces.cpp
                             ${CMAKE_CURRENT_SOURCE_DIR}/scaling_agreement.cpp)
brennoc_own_headers(bench_scaling bench)
target_link_libraries(bench_scaling PRIVATE brennoc_city brennoc_octree brennoc_spatialindex
                                            brennoc_testsupport benchmark::benchmark)
