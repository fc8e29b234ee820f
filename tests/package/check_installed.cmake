# Installs korvane into WORK and runs it from there.
#   -DMODE=deb      build the package with CPACK, unpack it with DPKG_DEB, run
#                   LINTIAN on it when given (no errors allowed)
#   -DMODE=install  cmake --install BUILD_DIR under WORK/prefix
#   -DBUILD_DIR=... -DVERSION=... -DSCRIPT=file.ks -DWORK=folder
#   -DRTL=ON        the reference RTL board is built: play the script on it too
#   -DPYTHON=...    the Python module is built for this interpreter: import it
#                   from the installed tree and work the bench with it
#   -DCLIENT_TEST=... -DCLIENT_PYTHON=...  the ctypes test of NI's client's way
#                   of loading the bench, run on the installed lib/korvane/nidaqmx
function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${out}${err}")
  endif()
  set(out "${out}${err}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/empty)

if(MODE STREQUAL "deb")
  if(NOT CPACK OR NOT DPKG_DEB)
    message("SKIPPED: cpack or dpkg-deb is not installed")
    return()
  endif()
  run("cpack" ${CPACK} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK}/out)
  file(GLOB debs ${WORK}/out/*.deb)
  list(LENGTH debs n)
  if(NOT n EQUAL 1 OR NOT debs MATCHES "/korvane_${VERSION}_[a-z0-9]+[.]deb$")
    message(FATAL_ERROR "expected one korvane_${VERSION}_ARCH.deb, got: ${debs}")
  endif()
  run("dpkg-deb -x" ${DPKG_DEB} -x ${debs} ${WORK}/root)
  set(prefix ${WORK}/root/usr)
  if(LINTIAN)
    run("lintian" ${LINTIAN} --fail-on error ${debs})
    message("lintian:\n${out}")
  else()
    message("lintian not run (not installed, or a sanitized build)")
  endif()
else()
  set(prefix ${WORK}/prefix)
  run("cmake --install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
endif()

# The installed docs' links name installed files (links.sh: files and headings).
if(DEFINED LINKS)
  set(docdir ${prefix}/share/doc/korvane)
  file(GLOB_RECURSE docs RELATIVE ${docdir} ${docdir}/*.md)
  run("the installed docs' links" bash ${LINKS} ${docdir} ${docs})
endif()

# Run from an empty folder, with a copy of the script: nothing of the build
# or source tree on the way.
configure_file(${SCRIPT} ${WORK}/session.ks COPYONLY)
set(bench "${prefix}/lib/korvane/libkorvane-sim.so")
run("korvane --version" ${prefix}/bin/korvane --daq sim --version WORKING_DIRECTORY ${WORK}/empty)
message("${out}")
foreach(line "korvane ${VERSION}" "driver: simulated bench (${bench})"
             "panel file: ${prefix}/share/korvane/korvane.uir" "simulated bench: ${bench}")
  string(FIND "${out}" "${line}" at)
  if(at LESS 0)
    message(FATAL_ERROR "--version lacks the line \"${line}\"")
  endif()
endforeach()
run("korvane --script" ${prefix}/bin/korvane --daq sim --script ${WORK}/session.ks WORKING_DIRECTORY ${WORK}/empty)
message("${out}")
# (The session names the driver's file only; --version above gives its folder.)
string(FIND "${out}" "driver: simulated bench (libkorvane-sim.so)" at)
if(at LESS 0 OR NOT out MATCHES "[1-9][0-9]* passed, 0 failed")
  message(FATAL_ERROR "the script did not pass on the installed bench")
endif()
# The reference RTL board (when built) from the installed tree, beside the bench.
if(RTL)
  set(board "board: rtl korvane_board (${prefix}/lib/korvane/libkorvane-board-rtl.so)")
  run("korvane --board rtl --script" ${prefix}/bin/korvane --daq sim --board rtl --script ${WORK}/session.ks
      WORKING_DIRECTORY ${WORK}/empty)
  message("${out}")
  string(FIND "${out}" "${board}" at)
  if(at LESS 0 OR NOT out MATCHES "[1-9][0-9]* passed, 0 failed")
    message(FATAL_ERROR "the script did not pass on the installed RTL board (\"${board}\" expected)")
  endif()
endif()

# The subcommands on the installed bench, with the installed wiring file.
run("korvane selftest" ${prefix}/bin/korvane --daq sim selftest --wiring ${prefix}/share/korvane/wiring.toml
    WORKING_DIRECTORY ${WORK}/empty)
message("${out}")
if(NOT out MATCHES "([1-9][0-9]*) checks: ([1-9][0-9]*) passed, 0 failed")
  message(FATAL_ERROR "the self-test did not pass on the installed bench")
endif()
# The Python module from the installed tree's Python path alone.
if(PYTHON)
  set(pydir ${prefix}/lib/python3/dist-packages)
  foreach(f __init__.py __init__.pyi py.typed pytest_plugin.py labgrid/__init__.py labgrid/exporter.py labgrid/probe.py)
    if(NOT EXISTS ${pydir}/korvane/${f})
      message(FATAL_ERROR "the Python package lacks ${f} in ${pydir}/korvane")
    endif()
  endforeach()
  if(NOT EXISTS ${prefix}/bin/korvane-labgrid-exporter)
    message(FATAL_ERROR "korvane-labgrid-exporter is not installed in ${prefix}/bin")
  endif()
  file(GLOB native ${pydir}/korvane/_korvane*.so)
  if(NOT native)
    message(FATAL_ERROR "the Python package lacks its native module in ${pydir}/korvane")
  endif()
  # The package depends on the one Python version its native module is built for.
  if(MODE STREQUAL "deb")
    if(NOT native MATCHES "[.]cpython-([0-9])([0-9]+)-")
      message(FATAL_ERROR "the native module's name names no Python version: ${native}")
    endif()
    set(major ${CMAKE_MATCH_1})
    set(minor ${CMAKE_MATCH_2})
    math(EXPR next "${minor} + 1")
    run("dpkg-deb -f" ${DPKG_DEB} -f ${debs} Depends)
    foreach(dep "python3 (>= ${major}.${minor}~)" "python3 (<< ${major}.${next})" "python3-numpy")
      string(FIND "${out}" "${dep}" at)
      if(at LESS 0)
        message(FATAL_ERROR "the package holds a module for Python ${major}.${minor} but does not depend on ${dep}: Depends: ${out}")
      endif()
    endforeach()
  endif()
  configure_file(${CMAKE_CURRENT_LIST_DIR}/installed_module.py ${WORK}/installed_module.py COPYONLY)
  run("python3 korvane" ${CMAKE_COMMAND} -E env PYTHONPATH=${pydir} PYTHONDONTWRITEBYTECODE=1 KORVANE_DAQ= KORVANE_BOARD=
      ${PYTHON} ${WORK}/installed_module.py ${pydir} ${RTL} WORKING_DIRECTORY ${WORK}/empty)
  message("${out}")
  string(FIND "${out}" "driver: simulated bench (${bench})" at)
  if(at LESS 0 OR NOT out MATCHES "SelfTest [1-9][0-9]* checks: [1-9][0-9]* passed, 0 failed")
    message(FATAL_ERROR "the installed Python module did not work the installed bench")
  endif()
endif()

# The bench under NI-DAQmx's name, for NI's clients: korvane, given that
# folder, still knows it for its own bench; NI's client's way of loading it
# (tests/python/nidaqmx_client) works from the installed folder.
set(nidaqmx ${prefix}/lib/korvane/nidaqmx)
run("korvane --version with LD_LIBRARY_PATH=${nidaqmx}" ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${nidaqmx} KORVANE_DAQ=
    ${prefix}/bin/korvane --version WORKING_DIRECTORY ${WORK}/empty)
string(FIND "${out}" "driver: simulated bench (${nidaqmx}/libnidaqmx.so)" at)
if(at LESS 0)
  message(FATAL_ERROR "korvane did not take ${nidaqmx} for its simulated bench:\n${out}")
endif()
if(CLIENT_TEST)
  run("NI's client's loading" ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${nidaqmx} PYTHONDONTWRITEBYTECODE=1
      ${CLIENT_PYTHON} -m pytest -q -p no:cacheprovider ${CLIENT_TEST} WORKING_DIRECTORY ${WORK}/empty)
  message("${out}")
endif()

file(GLOB left ${WORK}/empty/*)
if(left)
  message(FATAL_ERROR "korvane wrote into its working folder: ${left}")
endif()
