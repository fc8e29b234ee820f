# Benchmarks of the simulated bench, reached through the import layer as the program does.
if(TARGET daqmx_import AND TARGET korvane_sim)
  add_executable(bench_sim ${CMAKE_CURRENT_LIST_DIR}/bench_sim.cpp)
  target_link_libraries(bench_sim PRIVATE daqmx_import benchmark::benchmark)
  target_include_directories(bench_sim PRIVATE ${KORVANE_SOURCE_DIR}/sim)
endif()
