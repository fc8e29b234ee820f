# Fails when LIBRARY defines a callback that PANEL_FILE does not name
# (CALLBACKS: the names it does, one a line, as uir_gen writes them); else
# touches STAMP. A callback is a function with a callback's arguments (C++
# linkage, as one without the file's prototype gets), or a C function whose
# name ends in cb or CB, as callbacks are named.
#   cmake -DNM=nm -DLIBRARY=lib.a -DCALLBACKS=x_callbacks.txt -DPANEL_FILE=x.uir [-DSTAMP=file] -P check_callbacks.cmake
cmake_minimum_required(VERSION 3.20)
execute_process(COMMAND ${NM} --defined-only -C ${LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} ${LIBRARY}: ${err}")
endif()
file(STRINGS ${CALLBACKS} named)
string(REPLACE "\n" ";" lines "${symbols}")
set(strays)
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-fA-F]* *[TW] ([A-Za-z_][A-Za-z_0-9]*)(\\(int, int, (int, )?void\\*, int, int\\))?$")
    set(name ${CMAKE_MATCH_1})
    if(CMAKE_MATCH_2 OR name MATCHES "(cb|CB)$")
      if(NOT name IN_LIST named)
        list(APPEND strays ${name})
      endif()
    endif()
  endif()
endforeach()
if(strays)
  list(REMOVE_DUPLICATES strays)
  string(REPLACE ";" ", " strays "${strays}")
  message(FATAL_ERROR "${PANEL_FILE} names no callback ${strays}, defined in ${LIBRARY}: "
                      "bind it with a callback = line of the panel file, or remove it")
endif()
if(DEFINED STAMP)
  file(TOUCH ${STAMP})
endif()
