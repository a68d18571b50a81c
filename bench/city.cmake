# Cost of building the city's scene and of sharing its textures, against a
# search of the same scene that changes nothing.
add_executable(bench_city ${CMAKE_CURRENT_SOURCE_DIR}/city_scene.cpp)
target_link_libraries(bench_city PRIVATE brennoc_city brennoc_spatialindex brennoc_worldconstants
                                         benchmark::benchmark)
target_compile_definitions(bench_city PRIVATE BRENNOC_DATA_DIR="${BRENNOC_DATA_DIR}")
