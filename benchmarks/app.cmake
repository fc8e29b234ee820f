# korvane's panel: one tick of each polling timer on the simulated bench.
if(TARGET korvane_panel)
  add_executable(bench_app ${CMAKE_CURRENT_LIST_DIR}/bench_app.cpp)
  target_compile_definitions(bench_app PRIVATE KORVANE_APP_DIR="${KORVANE_SOURCE_DIR}/app/panel")
  target_link_libraries(bench_app PRIVATE korvane_panel korvane_simlink ksim_client benchmark::benchmark)
endif()

# The run-time's costs: parsing scripts, a value change shown in the window.
if(TARGET korvane_panel AND TARGET uir_qt)
  add_executable(bench_uir ${CMAKE_CURRENT_LIST_DIR}/bench_uir.cpp)
  target_compile_definitions(bench_uir PRIVATE KORVANE_SOURCE_DIR="${KORVANE_SOURCE_DIR}")
  target_link_libraries(bench_uir PRIVATE korvane_panel korvane_simlink uir_qt benchmark::benchmark)
endif()

# The window left idle with the hardware open: its CPU share from /proc/self/stat.
if(TARGET korvane_panel AND TARGET uir_qt)
  add_executable(bench_idle_panel ${CMAKE_CURRENT_LIST_DIR}/idle_panel.cpp)
  target_compile_definitions(bench_idle_panel PRIVATE KORVANE_APP_DIR="${KORVANE_SOURCE_DIR}/app/panel")
  target_link_libraries(bench_idle_panel PRIVATE korvane_panel korvane_simlink uir_qt Qt6::Widgets)
  if(TARGET korvane_sim)
    add_dependencies(bench_idle_panel korvane_sim)
  endif()
endif()

# Start-up: exec to the first painted frame, korvane beside a Qt Widgets hello-world.
if(TARGET korvane AND TARGET uir_qt)
  add_executable(bench_hello_first_frame ${CMAKE_CURRENT_LIST_DIR}/hello_first_frame.cpp)
  target_link_libraries(bench_hello_first_frame PRIVATE korvane_base Qt6::Widgets)
  add_executable(bench_startup ${CMAKE_CURRENT_LIST_DIR}/bench_startup.cpp)
  target_link_libraries(bench_startup PRIVATE korvane_base benchmark::benchmark)
  target_compile_definitions(bench_startup PRIVATE
    KORVANE_PROGRAM="$<TARGET_FILE:korvane>" KORVANE_HELLO="$<TARGET_FILE:bench_hello_first_frame>")
  add_dependencies(bench_startup korvane bench_hello_first_frame)
  if(TARGET korvane_sim)
    add_dependencies(bench_startup korvane_sim)
  endif()
endif()
