# Runs korvane and checks its exit status and output.
#   -DKORVANE=path -DARGS="a|b|c" -DSTATUS=n
#   [-DMATCH=regex] [-DNOMATCH=regex] [-DONCE=regex] [-DERROR_LINES=n] [-DHARDWARE=ON [-DWIRING=ON]]
#   [-DTRACE=file -DTRACE_MATCH=regex -DTRACE_NOMATCH=regex]
# MATCH, NOMATCH and ONCE (matches exactly once) apply to standard output and
# error together; ERROR_LINES
# is the exact number of "Error = " report lines expected.
string(REPLACE "|" ";" ARGS "${ARGS}")
# -DEMULATOR="wine|..." runs a cross-built korvane (the Windows tree under wine).
string(REPLACE "|" ";" EMULATOR "${EMULATOR}")
# A test a lab may run on its real bench (-DHARDWARE=ON): the driver is
# KORVANE_DAQ's, the simulated bench when unset. The self-test's wiring file
# (-DWIRING=ON) is KORVANE_WIRING_FILE's when set, else that of its old name
# KORVANE_BENCH_FILE.
if(HARDWARE)
  if("$ENV{KORVANE_DAQ}" STREQUAL "")
    set(ENV{KORVANE_DAQ} sim)
  endif()
  message("driver: KORVANE_DAQ=$ENV{KORVANE_DAQ}")
endif()
if(WIRING)
  if(NOT "$ENV{KORVANE_WIRING_FILE}" STREQUAL "")
    list(APPEND ARGS --wiring "$ENV{KORVANE_WIRING_FILE}")
  elseif(NOT "$ENV{KORVANE_BENCH_FILE}" STREQUAL "")
    message("note: KORVANE_BENCH_FILE is the old name of KORVANE_WIRING_FILE; rename it")
    list(APPEND ARGS --wiring "$ENV{KORVANE_BENCH_FILE}")
  endif()
endif()
if(DEFINED TRACE)
  file(REMOVE "${TRACE}")
endif()
execute_process(COMMAND ${EMULATOR} ${KORVANE} ${ARGS}
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
if(DEFINED ONCE)
  string(REGEX MATCHALL "${ONCE}" hits "${all}")
  list(LENGTH hits n)
  if(NOT n EQUAL 1)
    message(FATAL_ERROR "/${ONCE}/ found ${n} times, expected once")
  endif()
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
    message(FATAL_ERROR "trace lacks /${TRACE_MATCH}/")
  endif()
  if(DEFINED TRACE_NOMATCH AND trace MATCHES "${TRACE_NOMATCH}")
    message(FATAL_ERROR "trace has /${TRACE_NOMATCH}/")
  endif()
endif()
