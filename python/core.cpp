#include "python/core.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>

#include "app/simlink/simlink.h"
#include "base/error_output.h"
#include "base/stop_signals.h"
#include "driver/daqmx_import.h"

namespace python {

namespace {

// Beside an installed module (PREFIX/lib/python3/dist-packages/korvane/) the
// bench is PREFIX/lib/korvane/libkorvane-sim.so; from the build tree, the
// loader's own rule finds the build's copy.
std::string sim_library()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&sim_library), &info) && info.dli_fname) {
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::path here = fs::path(info.dli_fname).parent_path();
        for (const fs::path &p : {here / "../../../korvane/libkorvane-sim.so", here / "../../../../lib/korvane/libkorvane-sim.so"})
            if (fs::is_regular_file(p, ec)) return fs::weakly_canonical(p, ec).string();
    }
    return driver::sim_library_path();
}

// Ctrl-C stays Python's (a KeyboardInterrupt). korvane's stop handler, which
// the driver loader installs for the trace and the VCD, leaves alone a signal
// that is ignored when it is installed: so it is installed here with SIGINT
// ignored for that moment. SIGTERM, SIGHUP and SIGQUIT still write those
// files out whole before the process ends.
void keep_sigint_for_python()
{
    static const bool done = [] {
        struct sigaction python {}, ignore {};
        ::sigaction(SIGINT, nullptr, &python);
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGINT, &ignore, nullptr);
        base::stop::install();
        ::sigaction(SIGINT, &python, nullptr);
        return true;
    }();
    (void)done;
}

}  // namespace

void Core::open()
{
    if (g_open) throw std::runtime_error("a bench is open in this process already: close it first (one bench per process)");
    std::string choice = opt_.daq;
    if (choice.empty()) {
        const char *env = std::getenv("KORVANE_DAQ");
        choice = env ? env : "";
    }
    if (choice == "sim") choice = sim_library();
    keep_sigint_for_python();
    driver::select(choice);
    driver::load();
    if (!driver::info().loaded) {
        const std::string line = python_words(driver::info().description());
        raise_as(g_daq_error, line, -200397, line);
    }
    simulated_ = app::simlink::bench_present();
    // As the command line says it on standard error: a warning, once per open().
    if (std::string note = python_words(driver::info().stand_in_note()); !note.empty())
        if (PyErr_WarnEx(PyExc_RuntimeWarning, note.c_str(), 1) < 0) throw py::error_already_set();
    // Names the device as the panel's Open does; touches no hardware.
    check_status("cannot select the DAQ module", vekta_ni6251Slot(kc::kDaqSlot));
    if (std::string why = app::simlink::choose_board(opt_.board); !why.empty()) throw py::value_error(strip_line(why));
    if (simulated_) session_.bench_now = app::simlink::use_bench_clock();
    if (!opt_.state.empty() && !simulated_)
        throw py::value_error(app::simlink::needs_bench("state ", "daq=\"sim\""));
    if (std::string why = app::simlink::open_outputs(opt_.trace, opt_.vcd, opt_.vcd_lines); !why.empty()) {
        app::simlink::close_outputs(opt_.trace, opt_.vcd);
        throw py::value_error(strip_line(why));
    }
    if (!opt_.state.empty()) {
        std::string why;
        {
            py::gil_scoped_release nogil;
            why = app::simlink::lock_board_state(opt_.state);
        }
        if (why.empty()) {
            why = app::simlink::load_board_state(opt_.state);
            if (!why.empty()) app::simlink::unlock_board_state();
        }
        if (!why.empty()) {
            app::simlink::close_outputs(opt_.trace, opt_.vcd);
            // A state file that is there but cannot be read is the system's failure, not a bad value.
            if (why.rfind("cannot read the board's state", 0) == 0) {
                PyErr_SetString(PyExc_OSError, why.c_str());
                throw py::error_already_set();
            }
            throw py::value_error(why);
        }
    }
    if (simulated_) app::simlink::board_state(initial_state_);
    sink_ = base::add_error_message_sink(on_report);
    // The driver's reports come to Python as DaqError (or a warning), not also on standard error.
    base::set_stderr_echo(false);
    session_.between_blocks = [this](unsigned address, size_t done) { between_blocks(address, done); };
    session_.stop_requested = [this] { return python_stop(); };
    g_open = this;
    open_ = true;
}

void Core::close()
{
    if (!open_) return;
    Use use(*this);
    open_ = false;
    g_open = nullptr;
    vekta_ni6251Close();
    std::fill(std::begin(ai_timed), std::end(ai_timed), false);
    std::string why;
    if (!opt_.state.empty()) {
        if (std::string w = app::simlink::save_board_state(opt_.state); !w.empty())
            why = "the board's state was not saved: " + w;
    }
    if (std::string w = app::simlink::close_outputs(opt_.trace, opt_.vcd); !w.empty() && why.empty()) why = strip_line(w);
    base::remove_error_message_sink(sink_);
    base::set_stderr_echo(true);
    if (!why.empty()) {
        PyErr_SetString(PyExc_OSError, why.c_str());
        throw py::error_already_set();
    }
}

void Core::between_blocks(unsigned address, size_t done)
{
    if (!progress_ || progress_.is_none()) return;
    py::gil_scoped_acquire gil;
    try {
        progress_(done);
    } catch (py::error_already_set &e) {
        e.restore();
        stash();
        throw kc::Interrupted(SIGINT, address, done);
    }
}

int Core::python_stop()
{
    py::gil_scoped_acquire gil;
    if (PyErr_CheckSignals() == 0) return 0;
    stash();
    return SIGINT;
}

void Core::stash()
{
    PyObject *type, *value, *tb;
    PyErr_Fetch(&type, &value, &tb);
    PyErr_NormalizeException(&type, &value, &tb);
    if (tb) PyException_SetTraceback(value, tb);
    stashed_ = py::reinterpret_steal<py::object>(value);
    Py_XDECREF(type);
    Py_XDECREF(tb);
}

}  // namespace python
