# What an installed korvane carries besides the program (which app/ and sim/
# install): the docs, the desktop entry and icon, the man page; and the
# packages built by CPack (`scripts/dev package`, or `cpack` in the build
# folder): the Debian package korvane_VERSION_ARCH.deb and, where rpmbuild is
# installed, the RPM korvane-VERSION-1.ARCH.rpm for RHEL and openSUSE.

set(KORVANE_MAINTAINER "korvane developers <korvane@example.org>"
    CACHE STRING "Maintainer named in the Debian package")

# The docs keep their folders, so that the README's links reach them installed too.
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
file(GLOB guide_pages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/guide/*.md ${PROJECT_SOURCE_DIR}/docs/guide/*.png)
install(FILES ${guide_pages} DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs/guide)
install(FILES src/ui/PANEL_FILE.md src/ui/SCRIPTS.md DESTINATION ${CMAKE_INSTALL_DOCDIR}/src/ui)
install(FILES sim/rtl/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR}/sim/rtl)
install(FILES docs/korvane.png DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)
foreach(doc HACKING.md docs/PERFORMANCE.md)
  if(EXISTS ${PROJECT_SOURCE_DIR}/${doc})
    get_filename_component(sub ${doc} DIRECTORY)
    install(FILES ${doc} DESTINATION ${CMAKE_INSTALL_DOCDIR}/${sub})
  endif()
endforeach()
install(FILES packaging/korvane.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES packaging/korvane.svg DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)

# The man page: docs/korvane.1.md turned into roff by pandoc, gzipped as
# Debian wants it (-n: no name or time stamp, so the same page gives the same file).
set(man_dir ${PROJECT_BINARY_DIR}/man)
find_program(KORVANE_PANDOC pandoc)
find_program(KORVANE_GZIP gzip)
if(WIN32 AND KORVANE_PANDOC)
  # Windows has no man: the page as HTML, in the doc folder.
  configure_file(docs/korvane.1.md ${man_dir}/korvane.1.md @ONLY)
  add_custom_command(OUTPUT ${man_dir}/korvane.1.html
    COMMAND ${KORVANE_PANDOC} --standalone --to html --metadata title=korvane ${man_dir}/korvane.1.md -o ${man_dir}/korvane.1.html
    DEPENDS ${man_dir}/korvane.1.md
    COMMENT "Writing the manual korvane.1.html"
    VERBATIM)
  add_custom_target(korvane_man ALL DEPENDS ${man_dir}/korvane.1.html)
  install(FILES ${man_dir}/korvane.1.html DESTINATION ${CMAKE_INSTALL_DOCDIR})
elseif(KORVANE_PANDOC AND KORVANE_GZIP)
  # korvane's page, and the labgrid exporter's where the Python module is built.
  set(man_pages korvane)
  if(TARGET korvane_python)
    list(APPEND man_pages korvane-labgrid-exporter)
  endif()
  set(man_files "")
  foreach(page ${man_pages})
    configure_file(docs/${page}.1.md ${man_dir}/${page}.1.md @ONLY)
    add_custom_command(OUTPUT ${man_dir}/${page}.1.gz
      COMMAND ${KORVANE_PANDOC} --standalone --to man ${man_dir}/${page}.1.md -o ${man_dir}/${page}.1
      COMMAND ${KORVANE_GZIP} -9nf ${man_dir}/${page}.1
      DEPENDS ${man_dir}/${page}.1.md
      COMMENT "Writing the man page ${page}.1"
      VERBATIM)
    list(APPEND man_files ${man_dir}/${page}.1.gz)
  endforeach()
  add_custom_target(korvane_man ALL DEPENDS ${man_files})
  install(FILES ${man_files} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "pandoc or gzip not found: no man page (scripts/dev installs pandoc)")
endif()

# ---- The Debian package ----------------------------------------------------
# Debian wants the copyright file and a gzipped changelog in the doc folder;
# the changelog names the version and the git description.
set(KORVANE_VERSION_TEXT ${PROJECT_VERSION})
if(KORVANE_GIT_DESCRIBE)
  string(APPEND KORVANE_VERSION_TEXT " (git ${KORVANE_GIT_DESCRIBE})")
endif()
string(TIMESTAMP KORVANE_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(packaging/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
if(KORVANE_GZIP)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.gz
    COMMAND ${KORVANE_GZIP} -9nc ${PROJECT_BINARY_DIR}/packaging/changelog > ${PROJECT_BINARY_DIR}/packaging/changelog.gz
    DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog
    VERBATIM)
  add_custom_target(korvane_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The Windows window carries Qt and QCustomPlot linked in: their licence
# texts travel with it (docs/guide/windows.md says how each licence is met).
if(WIN32 AND KORVANE_WINDOW)
  install(DIRECTORY ${KORVANE_WIN_KIT}/licenses/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/third-party)
endif()

# The RPM beside the DEB when rpmbuild is there (Debian's package rpm has it).
find_program(KORVANE_RPMBUILD rpmbuild)
set(CPACK_GENERATOR DEB)
if(KORVANE_RPMBUILD)
  list(APPEND CPACK_GENERATOR RPM)
endif()
if(WIN32)
  # The Windows tree: one zip, the same layout as the Linux install
  # (bin/korvane.exe, lib/korvane/libkorvane-sim.dll, share/korvane/...).
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
endif()
set(CPACK_PACKAGE_NAME korvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KORVANE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
if(WIN32)
  set(CPACK_PACKAGING_INSTALL_PREFIX "")
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "operator panel of a PXI bench with an NI 6251 DAQ and an Avalon board")
# (CPack puts the summary first, as the synopsis.)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "korvane is the operator program of a laboratory bench: a PXI chassis with an
NI 6251 multifunction DAQ whose three digital ports are wired to a target
board's Avalon memory-mapped bus. In one window the operator sets and watches
the digital ports, runs Avalon bus cycles, works the board's DAC and ADC, and
sets and reads the analog channels.

Every hardware access goes through NI-DAQmx; where it is not installed,
korvane uses its own simulated bench. A script mode plays operator actions
with checks, without a window.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KORVANE_MAINTAINER})
# Dependencies as dpkg-shlibdeps computes them from the program, the bench and
# the Python module: the versions of the libraries of the distribution the
# package is built on (on Debian 12, Qt >= 6.4), so a package is built on the
# distribution it is for. The Python module is an extension for one Python
# version only (_korvane.cpython-311-...so on Debian 12), and it imports NumPy:
# the package depends on that Python, as Debian's own extension packages do.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET korvane_python)
  string(REPLACE "." ";" python_version "${KORVANE_PYTHON3_VERSION}")
  list(GET python_version 0 python_major)
  list(GET python_version 1 python_minor)
  math(EXPR python_next "${python_minor} + 1")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "python3 (>= ${KORVANE_PYTHON3_VERSION}~), python3 (<< ${python_major}.${python_next}), python3-numpy")
  # pytest for the board tests; labgrid for korvane.labgrid and korvane-labgrid-exporter.
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3-pytest, python3-labgrid")
endif()
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# The RPM: its requirements as rpmbuild finds them (the shared libraries'
# sonames), the same description, and none of the folders the system's own
# packages (filesystem, man, hicolor-icon-theme, libsigrokdecode) own.
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_RELEASE 1)
set(CPACK_RPM_PACKAGE_LICENSE "Proprietary (the laboratory's own)")
set(CPACK_RPM_PACKAGE_GROUP "Applications/Engineering")
set(CPACK_RPM_PACKAGE_URL "https://example.org/korvane")
set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
set(CPACK_RPM_PACKAGE_AUTOREQ ON)
# The Python module's interpreter, as RHEL's and openSUSE's Python packages
# provide it (python(abi) = 3.11), and NumPy; rpmbuild finds neither by itself here.
if(TARGET korvane_python)
  set(CPACK_RPM_PACKAGE_REQUIRES "python(abi) = ${KORVANE_PYTHON3_VERSION}, python3-numpy")
endif()
set(CPACK_RPM_PACKAGE_VENDOR "the korvane developers")
# No /usr/lib/.build-id links: the files are stripped, nothing debuginfo refers to them.
set(CPACK_RPM_SPEC_MORE_DEFINE "%define _build_id_links none")
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
    /usr/share/applications /usr/share/icons /usr/share/icons/hicolor /usr/share/icons/hicolor/scalable
    /usr/share/icons/hicolor/scalable/apps /usr/share/man /usr/share/man/man1 /usr/share/libsigrokdecode
    /usr/share/libsigrokdecode/decoders /usr/lib/python3 /usr/lib/python3/dist-packages)
include(CPack)
