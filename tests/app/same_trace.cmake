# The chart reads no hardware: a script played with the panel file as it is
# and with its chart taken out makes the same driver calls, call for call.
#   -DKORVANE=path -DPANEL=korvane.uir -DSCRIPT=file.ks -DDIR=scratch folder
string(REPLACE "|" ";" EMULATOR "${EMULATOR}")  # -DEMULATOR: a cross-built korvane's runner
file(READ "${PANEL}" panel)
string(FIND "${panel}" "kind = \"chart\"" at)
if(at LESS 0)
  message(FATAL_ERROR "${PANEL} has no chart")
endif()
# The chart is the file's last control: cut from its [[panel.control]] on.
string(SUBSTRING "${panel}" 0 ${at} head)
string(FIND "${head}" "[[panel.control]]" cut REVERSE)
string(SUBSTRING "${panel}" 0 ${cut} without)
file(WRITE "${DIR}/no_chart.uir" "${without}")
foreach(variant with without)
  if(variant STREQUAL "with")
    set(panel_file "${PANEL}")
  else()
    set(panel_file "${DIR}/no_chart.uir")
  endif()
  execute_process(COMMAND ${EMULATOR} ${KORVANE} --daq sim --panel ${panel_file} --trace ${DIR}/${variant}.trace --script ${SCRIPT}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "korvane (${variant} the chart) exited with ${status}:\n${out}${err}")
  endif()
  file(READ ${DIR}/${variant}.trace trace)
  # Without the host time each call took, which differs from run to run.
  string(REGEX REPLACE "  # host [0-9.]+ us" "" trace_${variant} "${trace}")
endforeach()
string(LENGTH "${trace_with}" n)
if(n LESS 1000)
  message(FATAL_ERROR "the trace is too short to tell (${n} characters)")
endif()
if(NOT trace_with STREQUAL trace_without)
  message(FATAL_ERROR "the chart changes the driver calls: compare ${DIR}/with.trace and ${DIR}/without.trace")
endif()
