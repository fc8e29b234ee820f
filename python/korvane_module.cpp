// korvane._korvane: the bench as a Python module, over the command line's own
// pieces (the Session's block transfers and their messages, the word files,
// the register view, the self-test, the device list) and the side door to the
// simulated bench. One bench per process: vekta's state is the process's.
//
// Every call checks its arguments before the first bus cycle (ValueError,
// TypeError); a driver failure is a DaqError carrying the report line the
// command line prints; long transfers run without the GIL and look for
// Ctrl-C between blocks of words.
#include <dlfcn.h>
#include <strings.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <csignal>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>
#include <atomic>
#include <string>
#include <vector>

#include "avalon/avalon.h"
#include "app/cli/wiring_file.h"
#include "app/cli/bus_commands.h"
#include "driver/daqmx_import.h"
#include "app/cli/devices.h"
#include "base/error_output.h"
#include "avalon/korvane_board.h"
#include "app/cli/regs.h"
#include "app/cli/selftest.h"
#include "app/simlink/simlink.h"
#include "base/stop_signals.h"
#include "vekta/vekta.h"
#include "app/cli/word_files.h"

namespace py = pybind11;
namespace kc = korvane::cli;
namespace kb = korvane::board;

namespace {

// DaqError and VerifyError, defined by the package (korvane/__init__.py).
py::handle g_daq_error, g_verify_error;

// ---- The driver's report lines during one call ----------------------------
// The bus master reports a failed library call ("Error = CODE, TEXT") and goes
// on with its cycle, so the library's last error is gone by the time the
// transfer stops: the first report line of the call is kept here instead.
struct Reports {
    std::mutex mu;
    bool armed = false;
    bool any = false;
    int code = 0;
    std::string line;  // the first report, as the command line prints it
} g_reports;

void on_report(const std::vector<std::string> &lines)
{
    std::lock_guard<std::mutex> lock(g_reports.mu);
    if (!g_reports.armed || g_reports.any || lines.empty()) return;
    g_reports.any = true;
    const std::string &first = lines.front();
    g_reports.code = 0;
    if (first.rfind("Error = ", 0) == 0) g_reports.code = static_cast<int>(std::strtol(first.c_str() + 8, nullptr, 10));
    g_reports.line = first;
    for (size_t i = 1; i < lines.size(); i++) g_reports.line += "\n" + lines[i];
}

// Arms the capture for one call of the module.
class Capture {
public:
    Capture()
    {
        std::lock_guard<std::mutex> lock(g_reports.mu);
        g_reports.armed = true;
        g_reports.any = false;
        g_reports.code = 0;
        g_reports.line.clear();
    }
    ~Capture()
    {
        std::lock_guard<std::mutex> lock(g_reports.mu);
        g_reports.armed = false;
    }
    bool any()
    {
        std::lock_guard<std::mutex> lock(g_reports.mu);
        return g_reports.any;
    }
    int code()
    {
        std::lock_guard<std::mutex> lock(g_reports.mu);
        return g_reports.code;
    }
    std::string line()
    {
        std::lock_guard<std::mutex> lock(g_reports.mu);
        return g_reports.line;
    }
};

// A report came during the current call.
bool reported()
{
    std::lock_guard<std::mutex> lock(g_reports.mu);
    return g_reports.any;
}

[[noreturn]] void raise_as(py::handle type, const std::string &message, int code, const std::string &text)
{
    py::object e = type(message, code, text);
    PyErr_SetObject(type.ptr(), e.ptr());
    throw py::error_already_set();
}

// A failed library call that returned its status (ports, analog channels).
[[noreturn]] void raise_status(const std::string &what, int status)
{
    const int code = vekta_GetLastError() < 0 ? vekta_GetLastError() : status;
    std::string text = vekta_GetLastErrorBuffer();
    raise_as(g_daq_error, what + ": Error = " + std::to_string(code) + ", " + text, code, text);
}

void check_status(const std::string &what, int status)
{
    if (status < 0) raise_status(what, status);
}

// A failure of the bus master: with the driver's report when there was one.
[[noreturn]] void raise_bus(const std::string &what, Capture &capture)
{
    if (capture.any()) {
        const std::string line = capture.line();
        const std::string text = line.rfind("Error = ", 0) == 0 ? line.substr(line.find(", ") + 2) : line;
        raise_as(g_daq_error, what + "\n" + line, capture.code(), text);
    }
    if (what.rfind("verify failed", 0) == 0) raise_as(g_verify_error, what, 0, "");
    PyErr_SetString(PyExc_OSError, what.c_str());
    throw py::error_already_set();
}

std::string strip_line(std::string text)
{
    if (text.rfind("korvane: ", 0) == 0) text.erase(0, 9);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

// ---- Where the installed bench library is ---------------------------------
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
    return daqmx::sim_library_path();
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
        korvane::stop::install();
        ::sigaction(SIGINT, &python, nullptr);
        return true;
    }();
    (void)done;
}

// ---- The bench --------------------------------------------------------------

struct Options {
    std::string daq, board, state, trace, vcd;
    bool vcd_lines = false;
};

class Core;
Core *g_open = nullptr;

class Core {
public:
    explicit Core(const Options &o) : opt_(o), session_(out_, err_) {}

    void open()
    {
        if (g_open) throw std::runtime_error("a bench is open in this process already: close it first (one bench per process)");
        std::string choice = opt_.daq;
        if (choice.empty()) {
            const char *env = std::getenv("KORVANE_DAQ");
            choice = env ? env : "";
        }
        if (choice == "sim") choice = sim_library();
        keep_sigint_for_python();
        daqmx::select(choice);
        daqmx::load();
        if (!daqmx::info().loaded) {
            const std::string line = daqmx::info().description();
            raise_as(g_daq_error, line, -200397, line);
        }
        simulated_ = simlink::bench_present();
        // Names the device as the panel's Open does; touches no hardware.
        check_status("cannot select the DAQ module", vekta_ni6251Slot(kc::kDaqSlot));
        if (std::string why = simlink::choose_board(opt_.board); !why.empty()) throw py::value_error(strip_line(why));
        if (simulated_) session_.bench_now = simlink::use_bench_clock();
        if (!opt_.state.empty() && !simulated_)
            throw py::value_error("state needs the simulated bench (daq=\"sim\"), but the " + daqmx::info().description());
        if (std::string why = simlink::open_outputs(opt_.trace, opt_.vcd, opt_.vcd_lines); !why.empty()) {
            simlink::close_outputs(opt_.trace, opt_.vcd);
            throw py::value_error(strip_line(why));
        }
        if (!opt_.state.empty()) {
            std::string why;
            {
                py::gil_scoped_release nogil;
                why = simlink::lock_board_state(opt_.state);
            }
            if (why.empty()) {
                why = simlink::load_board_state(opt_.state);
                if (!why.empty()) simlink::unlock_board_state();
            }
            if (!why.empty()) {
                simlink::close_outputs(opt_.trace, opt_.vcd);
                throw py::value_error(why);
            }
        }
        if (simulated_) simlink::board_state(initial_state_);
        sink_ = uir::add_error_message_sink(on_report);
        session_.between_blocks = [this](unsigned address, size_t done) { between_blocks(address, done); };
        session_.stop_requested = [this] { return python_stop(); };
        g_open = this;
        open_ = true;
    }

    // Releases the DAQ's tasks, saves the state, closes the files; the
    // first thing that went wrong is raised after all of them are done.
    void close()
    {
        if (!open_) return;
        Use use(*this);
        open_ = false;
        g_open = nullptr;
        vekta_ni6251Close();
        std::fill(std::begin(ai_timed), std::end(ai_timed), false);
        std::string why;
        if (!opt_.state.empty()) {
            if (std::string w = simlink::save_board_state(opt_.state); !w.empty())
                why = "the board's state was not saved: " + w;
        }
        if (std::string w = simlink::close_outputs(opt_.trace, opt_.vcd); !w.empty() && why.empty()) why = strip_line(w);
        uir::remove_error_message_sink(sink_);
        if (!why.empty()) {
            PyErr_SetString(PyExc_OSError, why.c_str());
            throw py::error_already_set();
        }
    }

    ~Core()
    {
        if (!open_) return;
        try {
            close();
        } catch (py::error_already_set &e) {
            e.discard_as_unraisable("korvane: closing the bench");
        }
    }

    void need_open() const
    {
        if (!open_) throw std::runtime_error("the bench is closed");
    }

    // One call at a time works the bench: another thread's call waits
    // (without the GIL, which the transfer takes between its blocks).
    class Use {
    public:
        explicit Use(Core &c) : c_(c)
        {
            c.need_open();
            if (c.owner_.load() == std::this_thread::get_id())
                throw std::runtime_error("the bench is in the middle of a transfer: its progress callback cannot use it");
            if (!c.mu_.try_lock()) {
                py::gil_scoped_release nogil;
                c.mu_.lock();
            }
            c.owner_.store(std::this_thread::get_id());
            if (!c.open_) {
                release();
                throw std::runtime_error("the bench is closed");
            }
        }
        ~Use()
        {
            if (held_) release();
        }
        Use(const Use &) = delete;
        Use &operator=(const Use &) = delete;

    private:
        void release()
        {
            c_.owner_.store(std::thread::id());
            c_.mu_.unlock();
            held_ = false;
        }
        Core &c_;
        bool held_ = true;
    };
    bool is_open() const { return open_; }
    bool simulated() const { return simulated_; }
    const Options &options() const { return opt_; }
    const std::string &initial_state() const { return initial_state_; }

    // The bus, set up once (and again after the ports were used directly).
    kc::Session &bus()
    {
        need_open();
        session_.prepare();
        if (ports_touched_) {
            avalonInit();
            if (vekta_GetLastError() < 0) throw kc::BusFailure("cannot set the digital ports up for the bus");
            ports_touched_ = false;
        }
        return session_;
    }
    kc::Session &session() { return session_; }
    // Channels whose task has a sample clock (read_many): the task keeps it.
    bool ai_timed[ANALOG_SIZEi] = {};
    void ports_touched() { ports_touched_ = true; }
    std::ostringstream &out() { return out_; }
    std::ostringstream &err() { return err_; }

    // Runs f (which may drop the GIL) and turns the command line's
    // exceptions into Python's.
    template <class F>
    auto guarded(py::object progress, F &&f) -> decltype(f())
    {
        Use use(*this);
        Capture capture;
        progress_ = std::move(progress);
        struct Clear {
            Core &c;
            ~Clear() { c.progress_ = py::none(); }
        } clear{*this};
        try {
            return f();
        } catch (const kc::UsageError &e) {
            throw py::value_error(e.what());
        } catch (const kc::BusFailure &e) {
            raise_bus(e.what(), capture);
        } catch (const kc::Interrupted &e) {
            py::object stashed = std::move(stashed_);
            stashed_ = py::object();
            if (stashed && !PyErr_GivenExceptionMatches(stashed.ptr(), PyExc_KeyboardInterrupt)) {
                PyErr_SetObject(reinterpret_cast<PyObject *>(Py_TYPE(stashed.ptr())), stashed.ptr());
                throw py::error_already_set();
            }
            PyErr_SetString(PyExc_KeyboardInterrupt, e.what());
            throw py::error_already_set();
        }
    }

private:
    // Between two blocks of words, with the GIL: the progress callback,
    // whose exception stops the transfer.
    void between_blocks(unsigned address, size_t done)
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

    // Between blocks and between the self-test's checks, with the GIL: a
    // signal Python has pending (Ctrl-C) runs its handler, whose exception
    // (KeyboardInterrupt) stops the work there.
    int python_stop()
    {
        py::gil_scoped_acquire gil;
        if (PyErr_CheckSignals() == 0) return 0;
        stash();
        return SIGINT;
    }

    void stash()
    {
        PyObject *type, *value, *tb;
        PyErr_Fetch(&type, &value, &tb);
        PyErr_NormalizeException(&type, &value, &tb);
        if (tb) PyException_SetTraceback(value, tb);
        stashed_ = py::reinterpret_steal<py::object>(value);
        Py_XDECREF(type);
        Py_XDECREF(tb);
    }

    std::mutex mu_;
    std::atomic<std::thread::id> owner_{};
    Options opt_;
    std::ostringstream out_, err_;
    kc::Session session_;
    bool open_ = false, simulated_ = false, ports_touched_ = false;
    int sink_ = -1;
    std::string initial_state_;
    py::object progress_ = py::none();
    py::object stashed_;
};

using CoreRef = std::shared_ptr<Core>;

// ---- Arguments --------------------------------------------------------------

unsigned slave_arg(long v)
{
    if (v < 0 || v > static_cast<long>(kc::kSlaveMax))
        throw py::value_error("slave " + std::to_string(v) + " is out of range 0.." + std::to_string(kc::kSlaveMax));
    return static_cast<unsigned>(v);
}

unsigned address_arg(long v)
{
    if (v < 0 || v >= static_cast<long>(kc::kAddressSpace))
        throw py::value_error("address " + std::to_string(v) + " is out of range 0.." +
                              std::to_string(kc::kAddressSpace - 1));
    return static_cast<unsigned>(v);
}

unsigned count_arg(long count, unsigned address)
{
    if (count < 1) throw py::value_error("count " + std::to_string(count) + ": at least 1 word");
    if (address + static_cast<unsigned long>(count) > kc::kAddressSpace)
        throw py::value_error("count " + std::to_string(count) + " from address " + kc::hex(address, 4) +
                              " runs past the last address " + kc::hex(kc::kAddressSpace - 1, 4));
    return static_cast<unsigned>(count);
}

// Words from any array-like of whole numbers (a NumPy array of any integer
// type, a list, a bytes-like of uint16 ...): each must be 0..0xFFFF.
std::vector<uint16_t> words_arg(py::handle words)
{
    if (py::isinstance<py::str>(words) || py::isinstance<py::bytes>(words))
        throw py::type_error("words must be an array of whole numbers, not a string (a file goes to load())");
    py::module_ np = py::module_::import("numpy");
    py::array a = np.attr("asarray")(words);
    if (a.ndim() == 0) a = np.attr("atleast_1d")(a);
    if (a.ndim() != 1) throw py::value_error("words must be one-dimensional, not of shape " + py::str(a.attr("shape")).cast<std::string>());
    const char kind = a.dtype().kind();
    if (a.size() > 0 && kind != 'i' && kind != 'u' && kind != 'b')
        throw py::type_error("words must be whole numbers, not of dtype " + py::str(a.dtype()).cast<std::string>());
    py::array_t<int64_t, py::array::c_style | py::array::forcecast> w(a);
    std::vector<uint16_t> out(static_cast<size_t>(w.size()));
    const int64_t *p = w.data();
    for (size_t i = 0; i < out.size(); i++) {
        if (p[i] < 0 || p[i] > 0xFFFF)
            throw py::value_error("word " + std::to_string(p[i]) + " at index " + std::to_string(i) +
                                  " is out of range 0..0xFFFF");
        out[i] = static_cast<uint16_t>(p[i]);
    }
    // A uint64 above int64's range wraps to a negative number and is refused above.
    if (out.empty()) throw py::value_error("no words to write");
    return out;
}

py::array_t<uint16_t> to_array(std::vector<uint16_t> &&words)
{
    auto *held = new std::vector<uint16_t>(std::move(words));
    py::capsule owner(held, [](void *p) { delete static_cast<std::vector<uint16_t> *>(p); });
    return py::array_t<uint16_t>({static_cast<py::ssize_t>(held->size())}, {sizeof(uint16_t)}, held->data(), owner);
}

// A file name: a str or an os.PathLike; None: none.
std::optional<std::string> path_arg(py::handle value, const char *what)
{
    if (value.is_none()) return std::nullopt;
    py::module_ os = py::module_::import("os");
    if (!py::isinstance<py::str>(value) && !py::isinstance<py::bytes>(value) && !py::isinstance(value, os.attr("PathLike")))
        throw py::type_error(std::string(what) + " must be a path, not " + py::str(value.get_type().attr("__name__")).cast<std::string>());
    return os.attr("fsdecode")(os.attr("fspath")(value)).cast<std::string>();
}

// ---- The bus ----------------------------------------------------------------

struct Bus {
    CoreRef core;

    py::array_t<uint16_t> read(long slave, long address, long count, py::object progress)
    {
        const unsigned s = slave_arg(slave), a = address_arg(address), n = count_arg(count, a);
        return core->guarded(progress, [&] {
            std::vector<uint16_t> words;
            {
                py::gil_scoped_release nogil;
                kc::Session &bus = core->bus();
                try {
                    words = bus.read(s, a, n, "read");
                } catch (kc::Interrupted &e) {
                    e.say(kc::how_far("read", e, 0, n) + "; nothing returned");
                    throw;
                }
            }
            return to_array(std::move(words));
        });
    }

    void write(long slave, long address, py::handle words, bool verify, py::object progress)
    {
        const unsigned s = slave_arg(slave), a = address_arg(address);
        std::vector<uint16_t> w = words_arg(words);
        if (a + w.size() > kc::kAddressSpace)
            throw py::value_error(std::to_string(w.size()) + " words from address " + kc::hex(a, 4) +
                                  " run past the last address " + kc::hex(kc::kAddressSpace - 1, 4));
        core->guarded(progress, [&] {
            py::gil_scoped_release nogil;
            kc::bus_write(core->bus(), s, a, w, verify);
        });
    }

    py::array_t<uint16_t> dump(long slave, long address, long count, py::object path_object, py::object progress)
    {
        const std::optional<std::string> path = path_arg(path_object, "path");
        const unsigned s = slave_arg(slave), a = address_arg(address), n = count_arg(count, a);
        if (path && (path->empty() || *path == "-"))
            throw py::value_error("dump needs a file name (or none, for the words as an array)");
        return core->guarded(progress, [&] {
            std::vector<uint16_t> words;
            {
                py::gil_scoped_release nogil;
                kc::Session &bus = core->bus();
                if (path) {
                    kc::bus_dump(bus, s, a, n, *path, &words);
                } else {
                    try {
                        words = bus.read(s, a, n, "dump");
                    } catch (kc::Interrupted &e) {
                        e.say(kc::how_far("dump", e, 0, n) + "; nothing returned");
                        throw;
                    }
                }
            }
            return to_array(std::move(words));
        });
    }

    void load(long slave, long address, py::handle source, bool verify, std::optional<std::string> format,
              py::object progress)
    {
        const unsigned s = slave_arg(slave), a = address_arg(address);
        if (format && *format != "hex" && *format != "bin") throw py::value_error("format must be \"hex\" or \"bin\", not \"" + *format + "\"");
        py::object os = py::module_::import("os");
        if (py::isinstance<py::str>(source) || py::isinstance(source, os.attr("PathLike"))) {
            const std::string path = py::str(os.attr("fspath")(source));
            if (path == "-") throw py::value_error("load needs a file name; standard input is the command line's");
            core->guarded(progress, [&] {
                py::gil_scoped_release nogil;
                kc::bus_load(core->bus(), s, a, path, verify, format.value_or(""));
            });
            return;
        }
        write(slave, address, source, verify, progress);
    }
};

// ---- Ports and analog channels ---------------------------------------------

struct Port {
    CoreRef core;
    int n;

    std::optional<int> mask() const
    {
        Core::Use use(*core);
        const int m = vekta_cacheView()->port[n][0].mask;
        return m < 0 ? std::nullopt : std::optional<int>(m);
    }
    void set_mask(long m)
    {
        if (m < 0 || m > 255) throw py::value_error("mask " + std::to_string(m) + " is out of range 0..255");
        Core::Use use(*core);
        core->ports_touched();
        check_status("port " + std::to_string(n) + " mask", vekta_portMask(n, static_cast<unsigned char>(m)));
    }
    void write(long v)
    {
        if (v < 0 || v > 255) throw py::value_error("value " + std::to_string(v) + " is out of range 0..255");
        Core::Use use(*core);
        core->ports_touched();
        check_status("port " + std::to_string(n) + " write", vekta_portOut(n, static_cast<unsigned char>(v)));
    }
    int read()
    {
        Core::Use use(*core);
        unsigned char v = 0;
        check_status("port " + std::to_string(n) + " read", vekta_portIn(n, &v));
        return v;
    }
};

double finite_arg(double v, const char *what)
{
    if (!std::isfinite(v)) throw py::value_error(std::string(what) + " must be a finite number");
    return v;
}

struct AnalogOutput {
    CoreRef core;
    int n;
    void write(double volts)
    {
        finite_arg(volts, "volts");
        Core::Use use(*core);
        int status;
        {
            py::gil_scoped_release nogil;
            status = vekta_analogOut(n, volts);
        }
        check_status("AO" + std::to_string(n) + " write", status);
    }
};

struct AnalogInput {
    CoreRef core;
    int n;
    double read()
    {
        Core::Use use(*core);
        double v = NAN;
        int status;
        // A task with a sample clock that a read starts runs on and keeps the
        // analog inputs from every other task: one clocked sample, then stopped.
        const bool timed = core->ai_timed[n];
        {
            py::gil_scoped_release nogil;
            int got = 0;
            status = timed ? vekta_analogReadEx(n, &v, 1, &got, 10.0) : vekta_analogIn(n, &v);
        }
        check_status("AI" + std::to_string(n) + " read", status);
        return v;
    }

    py::array_t<double> read_many(long samples, double rate, std::optional<std::string> trigger_source,
                                  double trigger_level, double timeout)
    {
        constexpr long kMost = 10'000'000;
        if (samples < 1 || samples > kMost)
            throw py::value_error("number_of_samples " + std::to_string(samples) + " is out of range 1.." + std::to_string(kMost));
        if (!std::isfinite(rate) || rate <= 0) throw py::value_error("rate must be a positive number of samples per second");
        finite_arg(trigger_level, "trigger_level");
        if (!(timeout > 0) && timeout != -1) throw py::value_error("timeout must be positive seconds (or -1: wait for ever)");
        Core::Use use(*core);
        std::vector<double> buf(static_cast<size_t>(samples));
        int got = 0, status;
        {
            py::gil_scoped_release nogil;
            status = vekta_analogInClk("", rate);
            if (status >= 0) status = vekta_analogInTrigger(trigger_source.value_or("").c_str(), trigger_level);
            if (status >= 0) status = vekta_analogReadEx(n, buf.data(), static_cast<int>(samples), &got, timeout);
        }
        core->ai_timed[n] = true;
        check_status("AI" + std::to_string(n) + " read_many", status);
        py::array_t<double> out(got);
        std::copy(buf.begin(), buf.begin() + got, out.mutable_data());
        return out;
    }
};

// ---- DAC and ADC of slave 2 -------------------------------------------------

unsigned dac_register(long channel)
{
    if (channel != 0 && channel != 1) throw py::value_error("DAC channel " + std::to_string(channel) + ": 0 or 1");
    return channel == 0 ? kb::reg::kDacCode0 : kb::reg::kDacCode1;
}

struct Dac {
    CoreRef core;
    void control(uint16_t word)
    {
        core->guarded(py::none(), [&] {
            py::gil_scoped_release nogil;
            core->bus().write(kb::kSlavePeripherals, kb::reg::kDacControl, {word}, "dac");
        });
    }
    void set_code(long channel, long code)
    {
        const unsigned reg = dac_register(channel);
        if (code < 0 || code > kb::kDacCodeMax)
            throw py::value_error("DAC code " + std::to_string(code) + " is out of range 0.." + std::to_string(kb::kDacCodeMax));
        core->guarded(py::none(), [&] {
            py::gil_scoped_release nogil;
            core->bus().write(kb::kSlavePeripherals, reg, {static_cast<uint16_t>(code)}, "dac");
        });
    }
    int code(long channel)
    {
        const unsigned reg = dac_register(channel);
        return core->guarded(py::none(), [&] {
            py::gil_scoped_release nogil;
            return static_cast<int>(core->bus().read(kb::kSlavePeripherals, reg, 1, "dac")[0]);
        });
    }
};

struct Adc {
    CoreRef core;
    // The single bus cycles report a failure and go on: a report during the
    // call is the failure.
    void init()
    {
        core->guarded(py::none(), [&] {
            py::gil_scoped_release nogil;
            core->bus();
            avalonADCInit();
            if (reported()) throw kc::BusFailure("ADC set-up failed");
        });
    }
    int read_code(long channel)
    {
        if (channel != 0 && channel != 1) throw py::value_error("ADC channel " + std::to_string(channel) + ": 0 or 1");
        return core->guarded(py::none(), [&] {
            py::gil_scoped_release nogil;
            int code = -1;
            core->bus();
            avalonADCGetCodeByStart(static_cast<unsigned char>(channel), &code);
            if (reported() || code < 0) throw kc::BusFailure("ADC channel " + std::to_string(channel) + " gave no result");
            return code;
        });
    }
    void command(uint16_t bits)
    {
        core->guarded(py::none(), [&] {
            py::gil_scoped_release nogil;
            core->bus().write(kb::kSlavePeripherals, kb::reg::kAdcCommand, {bits}, "adc");
        });
    }
};

// ---- Registers, self-test, devices ------------------------------------------

struct Register {
    std::string name, description, unit;
    int slave = kb::kSlavePeripherals, address = 0, word = 0;
    py::dict fields;
    std::optional<double> value;
};

struct Registers {
    std::vector<Register> rows;
    std::vector<uint16_t> words;
};

Registers read_registers(Core &core)
{
    Registers r;
    r.words = core.guarded(py::none(), [&] {
        py::gil_scoped_release nogil;
        return kc::read_registers(core.bus());
    });
    for (size_t i = 0; i < kb::registers.size() && i < r.words.size(); i++) {
        const kb::Register &d = kb::registers[i];
        Register row;
        row.name = std::string(d.name);
        row.description = std::string(d.meaning);
        row.unit = std::string(d.unit);
        row.address = d.address;
        row.word = r.words[i];
        for (const kb::Field &f : d.fields) {
            // A command register reads back its status bits only.
            if (d.access == kb::Access::command_status && !f.on_read) continue;
            row.fields[py::str(std::string(f.name))] = (r.words[i] & f.mask) ? 1 : 0;
        }
        if (!d.unit.empty()) row.value = r.words[i] * d.scale;
        r.rows.push_back(std::move(row));
    }
    return r;
}

struct SelfTest {
    std::vector<kc::CheckRow> rows;
    std::string text;
    int failed = 0;
};

struct Device {
    std::string name, product_type;
    unsigned serial_num = 0;
    std::optional<int> pxi_chassis_num, pxi_slot_num;
    bool used = false;
};

// ---- The bench's side door (simulated bench only) ---------------------------

void side_door(const std::string &why)
{
    if (!why.empty()) throw py::value_error(why);
}

struct SimBench {
    CoreRef core;
};

// ---- The bench ----------------------------------------------------------------

struct Bench {
    CoreRef core;
    std::string repr() const
    {
        const Options &o = core->options();
        std::string s = "<korvane.Bench " + std::string(core->is_open() ? "open" : "closed") + ": " +
                        daqmx::info().description();
        if (core->simulated()) s += ", board " + simlink::board_name();
        if (!o.state.empty()) s += ", state " + o.state;
        return s + ">";
    }
};

}  // namespace

PYBIND11_MODULE(_korvane, m)
{
    m.doc() = "korvane's native module: the bench over the Avalon bus master, vekta and the DAQ driver.";
    py::module_ pkg = py::module_::import("korvane");
    g_daq_error = py::object(pkg.attr("DaqError")).release();
    g_verify_error = py::object(pkg.attr("VerifyError")).release();

    m.attr("SLAVES") = kc::kSlaveMax + 1;
    m.attr("ADDRESSES") = kc::kAddressSpace;
    m.attr("MEMORY_WORDS") = kb::kMemoryWords;
    m.attr("SLAVE_MEMORY") = kb::kSlaveMemory;
    m.attr("SLAVE_PERIPHERALS") = kb::kSlavePeripherals;
    m.attr("DAC_FULL_SCALE") = kb::kDacFullScale;
    m.attr("DAC_CODE_MAX") = kb::kDacCodeMax;
    m.attr("ADC_VOLTS_PER_CODE") = kb::kAdcVoltsPerCode;

    py::class_<Bus>(m, "Bus", "The target board's Avalon bus: block reads and writes of 16-bit words.")
        .def("read", &Bus::read, py::arg("slave"), py::arg("address"), py::arg("count") = 1, py::kw_only(),
             py::arg("progress") = py::none(),
             "Reads count words from address on: a NumPy uint16 array.")
        .def("write", &Bus::write, py::arg("slave"), py::arg("address"), py::arg("words"), py::kw_only(),
             py::arg("verify") = false, py::arg("progress") = py::none(),
             "Writes words (an array of 0..0xFFFF) from address on; verify reads them back.")
        .def("dump", &Bus::dump, py::arg("slave"), py::arg("address"), py::arg("count"), py::arg("path") = py::none(),
             py::kw_only(), py::arg("progress") = py::none(),
             "Reads count words; with path, also writes them to the file (Intel HEX for a .hex name, else binary).")
        .def("load", &Bus::load, py::arg("slave"), py::arg("address"), py::arg("source"), py::kw_only(),
             py::arg("verify") = false, py::arg("format") = py::none(), py::arg("progress") = py::none(),
             "Writes a file's words (binary or Intel HEX) or an array's from address on.")
        .def("__repr__", [](const Bus &b) {
            return std::string("<korvane.Bus: ") + std::to_string(kc::kSlaveMax + 1) + " slaves of " +
                   std::to_string(kc::kAddressSpace) + " words" + (b.core->is_open() ? "" : ", bench closed") + ">";
        });

    py::class_<Port>(m, "Port", "One 8-line digital port of the DAQ.")
        .def_property("mask", &Port::mask, &Port::set_mask,
                      "Direction of the lines, a bit set for an output; None before it is set.")
        .def("write", &Port::write, py::arg("value"), "Drives the output lines with value (0..255).")
        .def("read", &Port::read, "The lines' levels as a byte (outputs as driven).")
        .def_readonly("number", &Port::n)
        .def("__repr__", [](const Port &p) {
            std::string mask = "unset";
            if (p.core->is_open() && vekta_cacheView()->port[p.n][0].mask >= 0)
                mask = kc::hex(static_cast<unsigned>(vekta_cacheView()->port[p.n][0].mask), 2);
            return "<korvane.Port " + std::to_string(p.n) + " mask " + mask + ">";
        });

    py::class_<AnalogOutput>(m, "AnalogOutput", "An analog output of the DAQ.")
        .def("write", &AnalogOutput::write, py::arg("volts"), "Sets the output to volts.")
        .def_readonly("number", &AnalogOutput::n)
        .def("__repr__", [](const AnalogOutput &a) { return "<korvane.AnalogOutput AO" + std::to_string(a.n) + ">"; });

    py::class_<AnalogInput>(m, "AnalogInput", "An analog input of the DAQ.")
        .def("read", &AnalogInput::read, "One reading, in volts.")
        .def("read_many", &AnalogInput::read_many, py::arg("number_of_samples"), py::kw_only(),
             py::arg("rate") = 1000.0, py::arg("trigger_source") = py::none(), py::arg("trigger_level") = 0.0,
             py::arg("timeout") = 10.0,
             "A block of samples at rate (per second) from the onboard clock, started by a rising analog edge\n"
             "through trigger_level on trigger_source (\"APFI0\") when given: a NumPy float64 array of volts.\n"
             "The channel keeps its clock until the bench is closed: read() then takes one clocked sample.")
        .def_readonly("number", &AnalogInput::n)
        .def("__repr__", [](const AnalogInput &a) { return "<korvane.AnalogInput AI" + std::to_string(a.n) + ">"; });

    py::class_<Dac>(m, "Dac", "The board's two-channel DAC (slave 2), as the panel works it.")
        .def("init", [](Dac &d) { d.control(kb::bit::kDacChannel0 | kb::bit::kDacChannel1 | kb::bit::kDacReference); },
             "Turns both channels and the reference on.")
        .def("deinit", [](Dac &d) { d.control(0); }, "Turns the DAC off.")
        .def("set_code", &Dac::set_code, py::arg("channel"), py::arg("code"), "Sets a channel's 8-bit code.")
        .def("code", &Dac::code, py::arg("channel"), "A channel's code as the board holds it.")
        .def("set_voltage", [](Dac &d, long channel, double volts) {
                 finite_arg(volts, "volts");
                 const int code = avalonDACvoltage2code(volts);
                 d.set_code(channel, code);
                 return code;
             }, py::arg("channel"), py::arg("volts"),
             "Sets a channel to the code nearest volts (0..3.3 V); returns the code.")
        .def("voltage", [](Dac &d, long channel) { return avalonDACcode2voltage(d.code(channel)); }, py::arg("channel"),
             "The volts of a channel's code.")
        .def("__repr__", [](const Dac &) { return std::string("<korvane.Dac slave 2, 2 channels, 8-bit codes to 3.3 V>"); });

    py::class_<Adc>(m, "Adc", "The board's two-channel ADC (slave 2), as the panel works it.")
        .def("init", &Adc::init, "Sets the ADC's configuration as the panel's Avalon Init does.")
        .def("read_code", &Adc::read_code, py::arg("channel"), "Starts a conversion and returns the channel's 12-bit result.")
        .def("read", [](Adc &a, long channel) { return a.read_code(channel) * kb::kAdcVoltsPerCode; }, py::arg("channel"),
             "Starts a conversion and returns the channel's volts.")
        .def("irq_set", [](Adc &a) { a.command(kb::bit::kAdcIrqSet); }, "Raises the interrupt request.")
        .def("irq_ack", [](Adc &a) { a.command(kb::bit::kAdcIrqAck); }, "Clears the interrupt request.")
        .def("__repr__", [](const Adc &) { return std::string("<korvane.Adc slave 2, 2 channels, 12-bit results>"); });

    py::class_<Register>(m, "Register", "One register of slave 2 as read, decoded from the board's register table.")
        .def_readonly("name", &Register::name)
        .def_readonly("slave", &Register::slave)
        .def_readonly("address", &Register::address)
        .def_readonly("word", &Register::word)
        .def_readonly("fields", &Register::fields, "Named bits: 0 or 1 each.")
        .def_readonly("value", &Register::value, "The word in the register's unit (volts), or None.")
        .def_readonly("unit", &Register::unit)
        .def_readonly("description", &Register::description)
        .def("__repr__", [](const Register &r) {
            std::string s = "<korvane.Register " + r.name + " @" + kc::hex(static_cast<unsigned>(r.address), 2) + " = " +
                            kc::hex(static_cast<unsigned>(r.word), 4);
            for (auto item : r.fields) s += " " + py::str(item.first).cast<std::string>() + "=" + py::str(item.second).cast<std::string>();
            if (r.value) s += " (" + py::str(py::float_(*r.value)).cast<std::string>() + " " + r.unit + ")";
            return s + ">";
        });

    py::class_<Registers>(m, "Registers", "The registers of slave 2 as read at once; str() is korvane bus regs' table.")
        .def("__len__", [](const Registers &r) { return r.rows.size(); })
        .def("__getitem__", [](const Registers &r, py::object key) -> Register {
            if (py::isinstance<py::str>(key)) {
                const std::string name = key.cast<std::string>();
                for (const Register &row : r.rows)
                    if (row.name == name) return row;
                throw py::key_error(name);
            }
            long i = key.cast<long>();
            if (i < 0) i += static_cast<long>(r.rows.size());
            if (i < 0 || i >= static_cast<long>(r.rows.size())) throw py::index_error("register index out of range");
            return r.rows[static_cast<size_t>(i)];
        })
        .def("__iter__", [](const Registers &r) { return py::iter(py::cast(r.rows)); })
        .def("__str__", [](const Registers &r) { return kc::regs_table(r.words, false); })
        .def("__repr__", [](const Registers &r) {
            std::string s = "<korvane.Registers";
            for (const Register &row : r.rows) s += " " + row.name + "=" + kc::hex(static_cast<unsigned>(row.word), 4);
            return s + ">";
        });

    py::class_<kc::CheckRow>(m, "CheckRow", "One check of the self-test: a row as korvane selftest prints it.")
        .def_readonly("check", &kc::CheckRow::check)
        .def_readonly("measured", &kc::CheckRow::measured)
        .def_readonly("expected", &kc::CheckRow::expected)
        .def_readonly("tolerance", &kc::CheckRow::tolerance)
        .def_readonly("passed", &kc::CheckRow::pass)
        .def("__str__", [](const kc::CheckRow &r) {
            std::string s = kc::check_line(r);
            s.erase(s.find_last_not_of(" \n") + 1);
            return s;
        })
        .def("__repr__", [](const kc::CheckRow &r) {
            return "<korvane.CheckRow " + r.check + ": " + r.measured + " " + (r.pass ? "PASS" : "FAIL") + ">";
        });

    py::class_<SelfTest>(m, "SelfTest", "The self-test's rows; true when every check passed; str() is what korvane selftest prints.")
        .def_readonly("rows", &SelfTest::rows)
        .def_readonly("failed", &SelfTest::failed)
        .def("__bool__", [](const SelfTest &t) { return t.failed == 0; })
        .def("__len__", [](const SelfTest &t) { return t.rows.size(); })
        .def("__iter__", [](const SelfTest &t) { return py::iter(py::cast(t.rows)); })
        .def("__str__", [](const SelfTest &t) { return t.text; })
        .def("__repr__", [](const SelfTest &t) {
            return "<korvane.SelfTest " + std::to_string(t.rows.size()) + " checks: " +
                   std::to_string(t.rows.size() - static_cast<size_t>(t.failed)) + " passed, " + std::to_string(t.failed) + " failed>";
        });

    py::class_<Device>(m, "Device", "A device the driver knows.")
        .def_readonly("name", &Device::name)
        .def_readonly("product_type", &Device::product_type)
        .def_readonly("serial_num", &Device::serial_num)
        .def_readonly("pxi_chassis_num", &Device::pxi_chassis_num)
        .def_readonly("pxi_slot_num", &Device::pxi_slot_num)
        .def_readonly("used", &Device::used, "True for the device korvane uses.")
        .def("__repr__", [](const Device &d) {
            VektaDevice v{};
            std::snprintf(v.productType, sizeof v.productType, "%s", d.product_type.c_str());
            v.serialNum = d.serial_num;
            v.chassis = d.pxi_chassis_num.value_or(-1);
            v.slot = d.pxi_slot_num.value_or(-1);
            return "<korvane.Device " + d.name + ": " + kc::device_text(v) + (d.used ? ", used by korvane" : "") + ">";
        });

    py::class_<SimBench>(m, "SimBench",
                         "The simulated bench's side door: faults, outside signals, probes and the board's state.")
        .def("fault", [](SimBench &b, const std::string &function, int code, int count, bool always) {
                 Core::Use use(*b.core);
                 if (count < 1) throw py::value_error("count must be 1 or more");
                 side_door(simlink::inject_fault(function, code, always ? 0 : count));
             }, py::arg("function"), py::arg("code"), py::arg("count") = 1, py::kw_only(), py::arg("always") = false,
             "The next count calls of a driver function (\"*\": any) fail with code (negative); always: every call.")
        .def("clear_faults", [](SimBench &b) { Core::Use use(*b.core); side_door(simlink::clear_faults()); })
        .def("drive", [](SimBench &b, const std::string &name, double value) {
                 Core::Use use(*b.core);
                 side_door(simlink::drive(name, value));
             }, py::arg("name"), py::arg("value"),
             "An outside signal: ai4..ai7, adc0, adc1 (volts; nan ends it), adc-stuck, dac0-off, dac1-off, apfi0, apfi1.")
        .def("probe", [](SimBench &b, const std::string &name) {
                 Core::Use use(*b.core);
                 double v = NAN;
                 side_door(simlink::probe(name, v));
                 return v;
             }, py::arg("name"), "A bench value: ao0 ao1 ai0..ai7 dac0 dac1 adc0 adc1 (volts), port0..port2, live-tasks, contention.")
        .def("probe_reg", [](SimBench &b, int slave, int address) {
                 Core::Use use(*b.core);
                 unsigned w = 0;
                 side_door(simlink::probe_reg(slave, address, w));
                 return w;
             }, py::arg("slave"), py::arg("address"), "A board register's word, read behind the bus.")
        .def_property_readonly("board", [](SimBench &) { return simlink::board_name(); })
        .def_property("state", [](SimBench &b) {
                 Core::Use use(*b.core);
                 std::string text;
                 side_door(simlink::board_state(text));
                 return text;
             }, [](SimBench &b, const std::string &text) {
                 Core::Use use(*b.core);
                 side_door(simlink::set_board_state(text));
             }, "The board's memory and registers as text (as state= files keep them).")
        .def("reset", [](SimBench &b) {
                 Core::Use use(*b.core);
                 side_door(simlink::clear_faults());
                 for (const char *name : {"adc0", "adc1", "ai4", "ai5", "ai6", "ai7"}) side_door(simlink::drive(name, NAN));
                 for (const char *name : {"adc-stuck", "dac0-off", "dac1-off", "apfi0", "apfi1"}) side_door(simlink::drive(name, 0));
                 side_door(simlink::set_board_state(b.core->initial_state()));
             }, "Back to the board as it was opened: memory and registers, no faults, no outside signals.")
        .def("__repr__", [](const SimBench &) { return "<korvane.SimBench board " + simlink::board_name() + ">"; });

    py::class_<Bench>(m, "Bench", "The bench: bus, ports, analog channels, DAC and ADC, self-test. One per process.")
        .def_property_readonly("bus", [](Bench &b) { return Bus{b.core}; })
        .def("port", [](Bench &b, long n) {
                 if (n < 0 || n >= PORT_SIZE) throw py::value_error("port " + std::to_string(n) + ": 0, 1 or 2");
                 return Port{b.core, static_cast<int>(n)};
             }, py::arg("n"), "Digital port n (0..2).")
        .def_property_readonly("ao", [](Bench &b) {
            py::tuple t(ANALOG_SIZEo);
            for (int i = 0; i < ANALOG_SIZEo; i++) t[static_cast<size_t>(i)] = py::cast(AnalogOutput{b.core, i});
            return t;
        }, "The analog outputs AO0, AO1.")
        .def_property_readonly("ai", [](Bench &b) {
            py::tuple t(ANALOG_SIZEi);
            for (int i = 0; i < ANALOG_SIZEi; i++) t[static_cast<size_t>(i)] = py::cast(AnalogInput{b.core, i});
            return t;
        }, "The analog inputs AI0..AI7.")
        .def_property_readonly("dac", [](Bench &b) { return Dac{b.core}; })
        .def_property_readonly("adc", [](Bench &b) { return Adc{b.core}; })
        .def_property_readonly("sim", [](Bench &b) -> py::object {
            if (!b.core->simulated()) return py::none();
            return py::cast(SimBench{b.core});
        }, "The simulated bench's side door, None on another driver.")
        .def_property_readonly("driver", [](Bench &) { return daqmx::info().description(); })
        .def_property_readonly("closed", [](Bench &b) { return !b.core->is_open(); })
        .def("regs", [](Bench &b) { return read_registers(*b.core); }, "Reads slave 2's registers, decoded.")
        .def("selftest", [](Bench &b, py::object wiring_object, bool destructive) {
                 const std::optional<std::string> wiring = path_arg(wiring_object, "wiring");
                 Core &core = *b.core;
                 core.need_open();
                 kc::Wiring described;
                 try {
                     described = wiring ? kc::parse_wiring(kc::read_file(*wiring, false), *wiring)
                                        : kc::parse_wiring(kc::default_wiring_text(), "built-in wiring file");
                 } catch (const kc::UsageError &e) {
                     throw py::value_error(e.what());
                 }
                 SelfTest t;
                 core.out().str("");
                 core.err().str("");
                 const int failed = core.guarded(py::none(), [&] {
                     py::gil_scoped_release nogil;
                     core.bus();
                     const int failed = kc::selftest(core.session(), described, destructive, &t.rows);
                     core.session().interruptible = true;  // the self-test turns it off for its checks
                     return failed;
                 });
                 t.text = core.out().str();
                 const std::string err = core.err().str();
                 if (failed < 0) {
                     const int code = vekta_GetLastError();
                     raise_as(code < 0 ? g_daq_error : py::handle(PyExc_RuntimeError), strip_line(err), code, vekta_GetLastErrorBuffer());
                 }
                 if (!err.empty()) py::module_::import("sys").attr("stderr").attr("write")(err);
                 t.failed = failed;
                 return t;
             }, py::arg("wiring") = py::none(), py::kw_only(), py::arg("destructive") = false,
             "Checks the bench end to end as korvane selftest does (wiring: a wiring file).")
        .def("devices", [](Bench &b) {
                 Core::Use use(*b.core);
                 std::vector<VektaDevice> list;
                 int more = 0;
                 int status;
                 {
                     py::gil_scoped_release nogil;
                     status = kc::device_list(list, more);
                 }
                 check_status("device list", status);
                 const std::string ours = kc::our_device_name();
                 std::vector<Device> out;
                 for (const VektaDevice &d : list) {
                     Device dev;
                     dev.name = d.name;
                     dev.product_type = d.productType;
                     dev.serial_num = d.serialNum;
                     if (d.chassis >= 0) dev.pxi_chassis_num = d.chassis;
                     if (d.slot >= 0) dev.pxi_slot_num = d.slot;
                     dev.used = strcasecmp(d.name, ours.c_str()) == 0;
                     out.push_back(std::move(dev));
                 }
                 return out;
             }, "The devices the driver knows, korvane's marked used.")
        .def("close", [](Bench &b) { b.core->close(); }, "Releases the DAQ's tasks, saves the state, closes the files.")
        .def("__enter__", [](py::object self) { return self; })
        .def("__exit__", [](Bench &b, py::args) {
            b.core->close();
            return false;
        })
        .def("__repr__", &Bench::repr);

    m.def("_open", [](const std::string &daq, const std::string &board, const std::string &state,
                      const std::string &trace, const std::string &vcd, bool vcd_lines) {
        Options o{daq, board, state, trace, vcd, vcd_lines};
        auto core = std::make_shared<Core>(o);
        core->open();
        return Bench{core};
    });

    m.def("_wiring", [](const std::optional<std::string> &path) {
        kc::Wiring d;
        try {
            d = path ? kc::parse_wiring(kc::read_file(*path, false), *path)
                     : kc::parse_wiring(kc::default_wiring_text(), "built-in wiring file");
        } catch (const kc::UsageError &e) {
            throw py::value_error(e.what());
        }
        py::dict w;
        w["product_type"] = d.product_type;
        py::list memories, dacs, loopbacks, fixed;
        for (const auto &x : d.memories) memories.append(py::dict(py::arg("slave") = x.slave, py::arg("words") = x.words));
        for (const auto &x : d.dacs)
            dacs.append(py::dict(py::arg("channel") = x.channel, py::arg("code") = x.code, py::arg("input") = x.input,
                                 py::arg("adc") = x.adc, py::arg("tolerance") = x.tolerance));
        for (const auto &x : d.loopbacks)
            loopbacks.append(py::dict(py::arg("output") = x.output, py::arg("input") = x.input, py::arg("volts") = x.volts,
                                      py::arg("tolerance") = x.tolerance));
        for (const auto &x : d.fixed)
            fixed.append(py::dict(py::arg("name") = x.name, py::arg("input") = x.input, py::arg("volts") = x.volts,
                                  py::arg("tolerance") = x.tolerance));
        w["memories"] = memories;
        w["dacs"] = dacs;
        w["loopbacks"] = loopbacks;
        w["fixed"] = fixed;
        return w;
    });
}
