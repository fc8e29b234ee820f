// korvane._korvane: the bench as a Python module, over the command line's own
// pieces (the Session's block transfers and their messages, the word files,
// the register view, the self-test, the device list) and the side door to the
// simulated bench. One bench per process: vekta's state is the process's.
//
// Every call checks its arguments before the first bus cycle (ValueError,
// TypeError); a driver failure is a DaqError carrying the report line the
// command line prints; long transfers run without the GIL and look for
// Ctrl-C between blocks of words.
#include "python/module.h"

#include "korvane_version.h"

PYBIND11_MODULE(_korvane, m)
{
    namespace kp = python;
    m.doc() = "korvane's native module: the bench over the Avalon bus master, vekta and the DAQ driver.";
    pybind11::module_ pkg = pybind11::module_::import("korvane");
    kp::g_daq_error = pybind11::object(pkg.attr("DaqError")).release();
    kp::g_verify_error = pybind11::object(pkg.attr("VerifyError")).release();

    m.attr("__version__") = KORVANE_VERSION;
    m.attr("SLAVES") = app::cli::kSlaveMax + 1;
    m.attr("ADDRESSES") = app::cli::kAddressSpace;
    m.attr("MEMORY_WORDS") = avalon::board::kMemoryWords;
    m.attr("SLAVE_MEMORY") = avalon::board::kSlaveMemory;
    m.attr("SLAVE_PERIPHERALS") = avalon::board::kSlavePeripherals;
    m.attr("DAC_FULL_SCALE") = avalon::board::kDacFullScale;
    m.attr("DAC_CODE_MAX") = avalon::board::kDacCodeMax;
    m.attr("ADC_VOLTS_PER_CODE") = avalon::board::kAdcVoltsPerCode;

    kp::bind_bus(m);
    kp::bind_io(m);
    kp::bind_results(m);
    kp::bind_bench(m);
}
