# korvane_add_rtl_board() lives with the RTL board it builds, in sim/rtl; a
# lab's project that includes this file's path still finds it.
include(${CMAKE_CURRENT_LIST_DIR}/../sim/rtl/KorvaneRtlBoard.cmake)
