# Cost of one step of N movers over a generated city: the octree (its own move,
# and the four calls with the pruned and the full removal walks), a flat list
# and Bullet's dynamic AABB tree, through the program's collision indexes and
# move protocol, movers spread out or crowded, with a check that the spaces
# decide moves alike where they must.
add_executable(bench_scaling ${CMAKE_CURRENT_SOURCE_DIR}/scaling_main.cpp
                             ${CMAKE_CURRENT_SOURCE_DIR}/scaling_spaces.cpp
                             ${CMAKE_CURRENT_SOURCE_DIR}/scaling_agreement.cpp
                             ${CMAKE_CURRENT_SOURCE_DIR}/scaling_floor.cpp)
brennoc_own_headers(bench_scaling bench)
target_link_libraries(bench_scaling PRIVATE brennoc_city brennoc_octree brennoc_spatialindex
                                            brennoc_testsupport benchmark::benchmark)

# The crowded family's agreement check as a test: the flat list and Bullet
# decide every move alike, so do the octree's runs, and the octree lets no
# move into another box.
if(BUILD_TESTING)
  add_test(NAME bench_scaling_crowd_agreement
           COMMAND sh -c "\"$1\" --benchmark_filter='crowd/.*/1000/' > crowd_agreement.txt 2>&1; \
status=$?; cat crowd_agreement.txt; [ $status -eq 0 ] && \
grep -q 'crowded movers over 40 steps (octree): 3 runs' crowd_agreement.txt && \
grep -q 'crowded movers over 40 steps (pairwise): 2 runs' crowd_agreement.txt"
                   sh $<TARGET_FILE:bench_scaling>)
endif()
