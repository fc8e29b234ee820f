# A script on the virtual clock is the same run every time: two plays of it
# on the RTL board write the same VCD, the board's clock edges included.
#   -DKORVANE=path -DSCRIPT=file.ks -DDIR=scratch folder
foreach(run 1 2)
  execute_process(COMMAND ${KORVANE} --daq sim --board rtl --vcd ${DIR}/same_${run}.vcd --script ${SCRIPT}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "korvane exited with ${status}:\n${out}${err}")
  endif()
  file(READ ${DIR}/same_${run}.vcd vcd_${run})
endforeach()
if(NOT vcd_1 MATCHES "#[1-9][0-9]*.1~0")
  message(FATAL_ERROR "the VCD has no board clock edge: ${DIR}/same_1.vcd")
endif()
if(NOT vcd_1 STREQUAL vcd_2)
  message(FATAL_ERROR "two runs differ: compare ${DIR}/same_1.vcd and ${DIR}/same_2.vcd")
endif()
