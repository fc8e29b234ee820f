# Runs korvane and checks its exit status and output.
#   -DKORVANE=path -DARGS="a|b|c" -DSTATUS=n
#   [-DMATCH=regex] [-DNOMATCH=regex] [-DERROR_LINES=n]
#   [-DTRACE=file -DTRACE_MATCH=regex -DTRACE_NOMATCH=regex]
# MATCH and NOMATCH apply to standard output and error together; ERROR_LINES
# is the exact number of "Error = " report lines expected.
string(REPLACE "|" ";" ARGS "${ARGS}")
if(DEFINED TRACE)
  file(REMOVE "${TRACE}")
endif()
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
if(DEFINED TRACE)
  file(READ "${TRACE}" trace)
  if(DEFINED TRACE_MATCH AND NOT trace MATCHES "${TRACE_MATCH}")
    message(FATAL_ERROR "driver trace lacks /${TRACE_MATCH}/")
  endif()
  if(DEFINED TRACE_NOMATCH AND trace MATCHES "${TRACE_NOMATCH}")
    message(FATAL_ERROR "driver trace has /${TRACE_NOMATCH}/")
  endif()
endif()
