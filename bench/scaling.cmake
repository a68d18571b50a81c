# Cost of one step of N movers over a generated city: the octree (pruned and
# full removal walks), a flat list and Bullet's dynamic AABB tree, with a check
# that all of them decide every move alike.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SCALING_BULLET REQUIRED IMPORTED_TARGET bullet)
add_executable(bench_scaling ${CMAKE_CURRENT_SOURCE_DIR}/scaling_main.cpp
                             ${CMAKE_CURRENT_SOURCE_DIR}/scaling_spaces.cpp
                             ${CMAKE_CURRENT_SOURCE_DIR}/scaling_workload.cpp)
target_link_libraries(bench_scaling PRIVATE brennoc_city brennoc_octree PkgConfig::SCALING_BULLET
                                            benchmark::benchmark)
