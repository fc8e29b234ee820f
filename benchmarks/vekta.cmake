# vekta: cost of the digital port operations on the simulated bench.
if(TARGET vekta)
  add_executable(bench_vekta ${CMAKE_CURRENT_LIST_DIR}/bench_vekta.cpp)
  target_link_libraries(bench_vekta PRIVATE ksim_client)
  target_link_libraries(bench_vekta PRIVATE vekta benchmark::benchmark)
  if(TARGET korvane_sim)
    add_dependencies(bench_vekta korvane_sim)
  endif()
endif()
