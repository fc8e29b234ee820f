# korvane_add_rtl_board(NAME TOP FILES... [CLOCK_HZ hz] [SETTLE_CYCLES n] [VERILATOR_ARGS args...])
#
# Builds lib<NAME>.so, a board library korvane loads with --board ./lib<NAME>.so:
# the Verilog FILES verilated with TOP as the top module (its ports as listed in
# korvane's sim/rtl/README.md), behind korvane's board shim (sim/rtl/shim).
#   CLOCK_HZ        the board clock (default 50 MHz)
#   SETTLE_CYCLES   edges clocked after the inputs last changed; after that, edges
#                   where the inputs stay the same are skipped (default 16; 0 clocks
#                   every edge, for a board with timers of its own)
#   VERILATOR_ARGS  more arguments for verilator (e.g. -Wall, -DNAME=VALUE)
#
# Needs Debian's verilator package (5.x, which ships verilator-config.cmake).
include_guard(GLOBAL)

# This folder (the shim) and the top of korvane's tree, whose include/ holds the
# board plug-in interface and whose src/ the register map (avalon/korvane_board.h).
set(_KORVANE_RTL_DIR "${CMAKE_CURRENT_LIST_DIR}" CACHE INTERNAL "korvane's RTL board folder")
get_filename_component(_KORVANE_RTL_TREE "${CMAKE_CURRENT_LIST_DIR}/../.." ABSOLUTE)
set(_KORVANE_RTL_TREE "${_KORVANE_RTL_TREE}" CACHE INTERNAL "korvane source tree for RTL boards")

function(korvane_add_rtl_board name top)
  cmake_parse_arguments(ARG "" "CLOCK_HZ;SETTLE_CYCLES" "VERILATOR_ARGS" ${ARGN})
  set(files ${ARG_UNPARSED_ARGUMENTS})
  if(NOT files)
    message(FATAL_ERROR "korvane_add_rtl_board(${name} ${top}): no Verilog files")
  endif()
  if(NOT DEFINED ARG_CLOCK_HZ)
    set(ARG_CLOCK_HZ 50000000)
  endif()
  if(NOT DEFINED ARG_SETTLE_CYCLES)
    set(ARG_SETTLE_CYCLES 16)
  endif()
  if(NOT verilator_FOUND)
    find_package(verilator REQUIRED HINTS $ENV{VERILATOR_ROOT})
  endif()

  add_library(${name} SHARED ${_KORVANE_RTL_DIR}/shim/rtl_board.cpp)
  target_include_directories(${name} PRIVATE ${_KORVANE_RTL_TREE}/include ${_KORVANE_RTL_TREE}/src)
  target_compile_definitions(${name} PRIVATE
    KSIM_RTL_TOP=V${top}
    KSIM_RTL_HEADER="V${top}.h"
    KSIM_RTL_NAME="${top}"
    KSIM_RTL_CLOCK_HZ=${ARG_CLOCK_HZ}
    KSIM_RTL_SETTLE_CYCLES=${ARG_SETTLE_CYCLES})
  target_compile_features(${name} PRIVATE cxx_std_20)
  # Only the entry point is exported; the verilated model and Verilator's run-time
  # stay private to the library, so several boards load into one process.
  set_target_properties(${name} PROPERTIES
    OUTPUT_NAME ${name}
    PREFIX lib
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    POSITION_INDEPENDENT_CODE ON)
  target_link_options(${name} PRIVATE -Wl,-Bsymbolic -Wl,--no-undefined)
  find_package(Threads REQUIRED)
  target_link_libraries(${name} PRIVATE Threads::Threads)

  verilate(${name}
    PREFIX V${top}
    TOP_MODULE ${top}
    SOURCES ${files}
    VERILATOR_ARGS -O3 --x-assign fast ${ARG_VERILATOR_ARGS}
    OPT_FAST -O2 -w
    OPT_SLOW -O1 -w
    OPT_GLOBAL -O2 -w)
  # Verilator's headers are not ours to warn about.
  target_include_directories(${name} SYSTEM PRIVATE ${VERILATOR_ROOT}/include ${VERILATOR_ROOT}/include/vltstd)
endfunction()
