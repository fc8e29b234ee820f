# avalon: bus cycles per second and driver calls per cycle, beside a naive master.
if(TARGET avalon)
  add_executable(bench_avalon ${CMAKE_CURRENT_LIST_DIR}/bench_avalon.cpp)
  target_link_libraries(bench_avalon PRIVATE ksim_client)
  target_link_libraries(bench_avalon PRIVATE avalon benchmark::benchmark)
  if(TARGET korvane_sim)
    add_dependencies(bench_avalon korvane_sim)
  endif()
endif()

# Dump and load of a whole memory: bench time and driver calls per word.
if(TARGET avalon)
  add_executable(bench_bus ${CMAKE_CURRENT_LIST_DIR}/bench_bus.cpp)
  target_link_libraries(bench_bus PRIVATE avalon benchmark::benchmark)
  if(TARGET korvane_sim)
    add_dependencies(bench_bus korvane_sim)
  endif()
endif()
