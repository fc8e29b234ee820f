# The libraries korvane builds with, for the Windows tree (cross-built with
# cmake/toolchain-mingw64.cmake): Debian ships them for Linux only, so
#  - CLI11 and toml++ (header-only) come from Debian's headers, copied into
#    the build tree so that the cross compiler never searches /usr/include;
#  - GoogleTest is built from Debian's source (/usr/src/googletest) with the
#    cross compiler.
# Qt, readline, the Python module, the RTL board and the benchmarks are off.
set(KORVANE_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
foreach(dir CLI toml++)
  if(NOT EXISTS /usr/include/${dir})
    message(FATAL_ERROR "/usr/include/${dir} is missing: install libcli11-dev and libtomlplusplus-dev (scripts/dev)")
  endif()
  file(COPY /usr/include/${dir} DESTINATION ${KORVANE_HOST_HEADERS})
endforeach()
add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${KORVANE_HOST_HEADERS})
add_library(PkgConfig::TOMLPP INTERFACE IMPORTED)
target_include_directories(PkgConfig::TOMLPP SYSTEM INTERFACE ${KORVANE_HOST_HEADERS})
target_compile_definitions(PkgConfig::TOMLPP INTERFACE TOML_HEADER_ONLY=1)

set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The window: Qt and QCustomPlot from the Windows kit (scripts/win-kit),
# static libraries found in the kit's folders beside the cross compiler's.
if(KORVANE_WINDOW)
  foreach(part qt qcustomplot)
    if(NOT EXISTS ${KORVANE_WIN_KIT}/${part}/lib/cmake)
      message(FATAL_ERROR "KORVANE_WIN_KIT=${KORVANE_WIN_KIT} is no Windows kit (no ${part}/lib/cmake): scripts/win-kit builds one")
    endif()
    list(APPEND CMAKE_FIND_ROOT_PATH ${KORVANE_WIN_KIT}/${part})
  endforeach()
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
  find_package(Qt6 6.2 REQUIRED COMPONENTS Widgets PrintSupport Test)
  find_package(QCustomPlotQt6 REQUIRED)
endif()

# Every program built here runs under wine, in a prefix of this build tree
# (made once, below, so that the first test does not pay for it), quietly.
# Qt's variables reach a program under wine only with WINE before their
# names: window programs draw offscreen unless a test says otherwise, with
# the fonts that scripts/dev installs.
set(KORVANE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env WINEPREFIX=${KORVANE_WINEPREFIX} WINEDEBUG=-all
    WINEQT_QPA_PLATFORM=offscreen WINEQT_QPA_FONTDIR=Z:/usr/share/fonts/truetype/dejavu
    WINEQT_FORCE_STDERR_LOGGING=1 ${KORVANE_WINE})
if(NOT EXISTS ${KORVANE_WINEPREFIX}/system.reg)
  message(STATUS "Making the wine prefix ${KORVANE_WINEPREFIX} (once)")
  execute_process(COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} wineboot --init
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
  find_program(KORVANE_WINESERVER NAMES wineserver wineserver64 HINTS /usr/lib/wine REQUIRED)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${KORVANE_WINEPREFIX} ${KORVANE_WINESERVER} -w)
  if(NOT rc EQUAL 0 OR NOT EXISTS ${KORVANE_WINEPREFIX}/system.reg)
    message(FATAL_ERROR "wine could not make its prefix in ${KORVANE_WINEPREFIX} (rc ${rc})")
  endif()
endif()
# The scripts that run korvane (tests/app/run_korvane.cmake and its kin) take
# the emulator joined by "|".
string(REPLACE ";" "|" emulator "${CMAKE_CROSSCOMPILING_EMULATOR}")
set(KORVANE_RUN_EMULATOR "-DEMULATOR=${emulator}")
