# Benchmarks of the simulated bench, reached through the import layer as the program does.
if(TARGET daqmx_import AND TARGET korvane_sim)
  add_executable(bench_sim ${CMAKE_CURRENT_LIST_DIR}/bench_sim.cpp)
  target_link_libraries(bench_sim PRIVATE daqmx_import ksim_client benchmark::benchmark)
  if(TARGET avalon)
    target_link_libraries(bench_sim PRIVATE avalon)
    target_compile_definitions(bench_sim PRIVATE KORVANE_HAVE_AVALON)
  endif()
endif()

# What --trace and --vcd cost over an untraced run: a long script, a whole dump.
if(TARGET korvane_panel AND TARGET korvane_simlink)
  add_executable(bench_trace ${CMAKE_CURRENT_LIST_DIR}/bench_trace.cpp)
  target_compile_definitions(bench_trace PRIVATE KORVANE_APP_DIR="${KORVANE_SOURCE_DIR}/app/panel")
  target_link_libraries(bench_trace PRIVATE korvane_panel korvane_simlink ksim_client benchmark::benchmark)
endif()
