# Where an installed korvane keeps its files, relative to the prefix. The
# program finds its panel file and its simulated bench from its own location
# (bin/../share/korvane, bin/../lib/korvane), so the same build works under
# any prefix and from a package unpacked into a folder. The bench library
# stays out of the system library path: it must never shadow a real driver.
include(GNUInstallDirs)
set(KORVANE_INSTALL_BINDIR bin)
set(KORVANE_INSTALL_DATADIR share/korvane)
set(KORVANE_INSTALL_PRIVATE_LIBDIR lib/korvane)
# The bench under NI-DAQmx's library name, for NI's clients
# (LD_LIBRARY_PATH=<prefix>/lib/korvane/nidaqmx): a folder of its own, so that
# nothing else finds it.
set(KORVANE_INSTALL_NIDAQMX_DIR ${KORVANE_INSTALL_PRIVATE_LIBDIR}/nidaqmx)
