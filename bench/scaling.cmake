# Cost of one step of N movers over a generated city: the octree (pruned and
# full removal walks), a flat list and Bullet's dynamic AABB tree, with a check
# that all of them decide every move alike.
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(SCALING_BULLET QUIET IMPORTED_TARGET bullet)
endif()
if(NOT SCALING_BULLET_FOUND)
  message(STATUS "bench_scaling off: Bullet not found through pkg-config (libbullet-dev)")
  return()
endif()
add_executable(bench_scaling ${CMAKE_CURRENT_SOURCE_DIR}/scaling_main.cpp
                             ${CMAKE_CURRENT_SOURCE_DIR}/scaling_spaces.cpp
                             ${CMAKE_CURRENT_SOURCE_DIR}/scaling_agreement.cpp)
target_link_libraries(bench_scaling PRIVATE brennoc_city brennoc_octree brennoc_testsupport
                                            PkgConfig::SCALING_BULLET benchmark::benchmark)
