// The bench one process has open (Core): the driver loaded, the simulated
// board's state and the trace and VCD files, one call at a time working it,
// the command line's exceptions turned into Python's and Ctrl-C kept Python's.
#pragma once

#include <pybind11/pybind11.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <type_traits>

#include "app/cli/bus_commands.h"
#include "avalon/avalon.h"
#include "python/errors.h"
#include "vekta/vekta.h"

namespace python {

namespace py = pybind11;
namespace kc = app::cli;

struct Options {
    std::string daq, board, state, trace, vcd;
    bool vcd_lines = false;
};

class Core;
inline Core *g_open = nullptr;

class Core {
public:
    explicit Core(const Options &o) : opt_(o), session_(out_, err_) {}

    // Loads the driver, names the device, takes the simulated board's state
    // and opens the trace and the VCD; the first fault is raised.
    void open();

    // Releases the DAQ's tasks, saves the state, closes the files; the
    // first thing that went wrong is raised after all of them are done.
    void close();

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
            // A report that did not end the call (the bus master went on and
            // the transfer came through) is a warning: standard error is not
            // written while a bench is open.
            if constexpr (std::is_void_v<decltype(f())>) {
                f();
                warn_unraised(capture);
            } else {
                auto result = f();
                warn_unraised(capture);
                return result;
            }
        } catch (const kc::FileError &e) {
            raise_file_error(e);
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
    static void warn_unraised(Capture &capture)
    {
        if (capture.any() && PyErr_WarnEx(PyExc_RuntimeWarning, capture.line().c_str(), 1) < 0)
            throw py::error_already_set();
    }
    // Between two blocks of words, with the GIL: the progress callback,
    // whose exception stops the transfer.
    void between_blocks(unsigned address, size_t done);
    // Between blocks and between the self-test's checks, with the GIL: a
    // signal Python has pending (Ctrl-C) runs its handler, whose exception
    // (KeyboardInterrupt) stops the work there.
    int python_stop();
    // Keeps Python's pending exception to raise when the transfer has stopped.
    void stash();

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

}  // namespace python
