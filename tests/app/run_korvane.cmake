# Runs korvane and checks its exit status and output.
#   -DKORVANE=path -DARGS="a|b|c" -DSTATUS=n
#   [-DMATCH=regex] [-DNOMATCH=regex] [-DERROR_LINES=n]
# MATCH and NOMATCH apply to standard output and error together; ERROR_LINES
# is the exact number of "Error = " report lines expected.
string(REPLACE "|" ";" ARGS "${ARGS}")
execute_process(COMMAND ${KORVANE} ${ARGS}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(all "${out}${err}")
message("${all}")
if(NOT status STREQUAL "${STATUS}")
  message(FATAL_ERROR "korvane exited with ${status}, expected ${STATUS}")
endif()
if(DEFINED MATCH AND NOT all MATCHES "${MATCH}")
  message(FATAL_ERROR "output lacks /${MATCH}/")
endif()
if(DEFINED NOMATCH AND all MATCHES "${NOMATCH}")
  message(FATAL_ERROR "output has /${NOMATCH}/")
endif()
if(DEFINED ERROR_LINES)
  string(REGEX MATCHALL "Error = " lines "${all}")
  list(LENGTH lines n)
  if(NOT n EQUAL ERROR_LINES)
    message(FATAL_ERROR "${n} error report lines, expected ${ERROR_LINES}")
  endif()
endif()
