// The Python module's core: the bench one process has open (core.h), the
// driver's report lines kept during a call and the errors raised as Python's
// (errors.h), and the checks of arguments made before any bus cycle
// (args.h). The bindings (bind_*.cpp) build on it; korvane_module.cpp puts
// them together.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/bus_commands.h"
#include "app/cli/devices.h"
#include "app/cli/regs.h"
#include "app/cli/selftest.h"
#include "app/cli/wiring_file.h"
#include "app/cli/word_files.h"
#include "app/simlink/simlink.h"
#include "avalon/avalon.h"
#include "avalon/korvane_board.h"
#include "driver/daqmx_import.h"
#include "python/args.h"
#include "python/core.h"
#include "python/errors.h"
#include "vekta/vekta.h"

namespace python {

namespace py = pybind11;
namespace kc = app::cli;
namespace kb = avalon::board;

// The objects a bench hands out, each made where it is bound.
py::object bus_of(const CoreRef &core);
py::object port_of(const CoreRef &core, long n);
py::tuple analog_outputs(const CoreRef &core);
py::tuple analog_inputs(const CoreRef &core);
py::object dac_of(const CoreRef &core);
py::object adc_of(const CoreRef &core);
py::object registers_of(const CoreRef &core);
py::object selftest_of(const CoreRef &core, py::object wiring, bool destructive);
py::object devices_of(const CoreRef &core);

// The bindings, one call per area.
void bind_bus(py::module_ &m);
void bind_io(py::module_ &m);
void bind_results(py::module_ &m);
void bind_bench(py::module_ &m);

}  // namespace python
