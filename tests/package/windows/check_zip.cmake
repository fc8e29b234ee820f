# Writes the zip, unpacks it into WORK and runs the unpacked korvane.exe.
#   -DBUILD_DIR -DVERSION -DWORK -DCPACK -DEMULATOR="a|b" -DSTAND_IN=nicaiu.dll
string(REPLACE "|" ";" EMULATOR "${EMULATOR}")
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/out ${WORK}/unpacked ${WORK}/empty ${WORK}/path)
execute_process(COMMAND ${CPACK} -G ZIP --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK}/out
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
file(GLOB zips ${WORK}/out/*.zip)
if(NOT rc EQUAL 0 OR NOT zips)
  message(FATAL_ERROR "cpack wrote no zip (${rc}):\n${out}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zips} WORKING_DIRECTORY ${WORK}/unpacked RESULT_VARIABLE rc)
file(GLOB top ${WORK}/unpacked/*)
set(exe ${top}/bin/korvane.exe)
foreach(f ${exe} ${top}/lib/korvane/libkorvane-sim.dll ${top}/share/korvane/korvane.uir
          ${top}/share/korvane/wiring.toml ${top}/share/doc/korvane/korvane.1.html)
  if(NOT EXISTS ${f})
    message(FATAL_ERROR "the zip lacks ${f}")
  endif()
endforeach()

# Runs the unpacked korvane from an empty folder; fails unless status and output match.
function(run status regex)
  execute_process(COMMAND ${EMULATOR} ${exe} ${ARGN} WORKING_DIRECTORY ${WORK}/empty
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  message("korvane ${ARGN}: ${rc}\n${out}${err}")
  if(NOT rc STREQUAL "${status}" OR NOT "${out}${err}" MATCHES "${regex}")
    message(FATAL_ERROR "korvane ${ARGN}: status ${rc} (expected ${status}), output lacks /${regex}/")
  endif()
endfunction()

set(ENV{KORVANE_DAQ} "")
run(0 "panel file: [^\n]*unpacked[^\n]*share.korvane.korvane.uir\nsimulated bench: [^\n]*unpacked[^\n]*libkorvane-sim.dll"
    --daq sim --version)
run(0 "" --daq sim bus write --verify 0 0x10 0x1234 0xBEEF)
set(state ${WORK}/empty/state)
run(0 "" --daq sim --sim-state ${state} bus write --verify 0 0x20 0x0A0D 0xFFFF)
run(0 "0x0020 0x0A0D\n0x0021 0xFFFF" --daq sim --sim-state ${state} bus read 0 0x20 2)
run(0 "11 checks: 11 passed, 0 failed" --daq sim selftest)
run(0 "PXI1Slot2" --daq sim devices)
# NI-DAQmx's name on the DLL search path (a stand-in under PATH): the default choice takes it.
file(COPY ${STAND_IN} DESTINATION ${WORK}/path)
set(ENV{WINEPATH} ${WORK}/path)
# (The stand-in is not the bench: its device answers with serial 0x00001234.)
run(0 "driver: NI-DAQmx [(]nicaiu.dll[)]\ndevice: [^\n]*serial 0x00001234" --version)

# The window's program for Explorer and shortcuts: korvanew.exe starts
# korvane.exe beside it with the arguments as given (a space in one) and
# returns its status.
if(WINDOW)
  foreach(f ${top}/bin/korvanew.exe ${top}/share/doc/korvane/third-party/QCustomPlot-GPL-3.0.txt
            ${top}/share/doc/korvane/third-party/LGPL-3.0-only.txt)
    if(NOT EXISTS ${f})
      message(FATAL_ERROR "the zip lacks ${f}")
    endif()
  endforeach()
  set(spaced "${WORK}/empty/a state")
  execute_process(COMMAND ${EMULATOR} ${top}/bin/korvanew.exe --daq sim --sim-state ${spaced} bus write 0 0x30 0x4321
                  WORKING_DIRECTORY ${WORK}/empty RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "korvanew.exe bus write: status ${rc}")
  endif()
  run(0 "0x0030 0x4321" --daq sim --sim-state ${spaced} bus read 0 0x30)
  execute_process(COMMAND ${EMULATOR} ${top}/bin/korvanew.exe --no-such-option
                  WORKING_DIRECTORY ${WORK}/empty RESULT_VARIABLE rc)
  if(NOT rc EQUAL 2)
    message(FATAL_ERROR "korvanew.exe --no-such-option: status ${rc}, not korvane's 2")
  endif()
endif()

# Faults Windows had: standard output in text mode turned 0x0A into 0x0D 0x0A
# (the dump of 0x0A0D 0xFFFF is 4 bytes, not 5); the shell printed prompts
# when its input was no console (the C run-time takes NUL for a terminal).
set(ENV{WINEPATH} "")
execute_process(COMMAND ${EMULATOR} ${exe} --daq sim --sim-state ${state} bus dump 0 0x20 2 -o -
                OUTPUT_FILE ${WORK}/dump.bin RESULT_VARIABLE rc)
file(SIZE ${WORK}/dump.bin size)
file(READ ${WORK}/dump.bin bytes HEX)
if(NOT rc EQUAL 0 OR NOT bytes STREQUAL "0d0affff")
  message(FATAL_ERROR "bus dump -o - wrote ${size} bytes ${bytes} (status ${rc}), expected 0d0affff")
endif()
execute_process(COMMAND ${EMULATOR} ${exe} --daq sim bus shell INPUT_FILE /dev/null
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR "${out}${err}" MATCHES "korvane>|bus shell:")
  message(FATAL_ERROR "bus shell < NUL: status ${rc}, prompts or greeting:\n${out}${err}")
endif()
