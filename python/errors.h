// The Python module's errors: the driver's report lines kept during one call
// (the bus master reports and goes on), and the failures raised as Python's
// exceptions (DaqError, VerifyError, OSError).
#pragma once

#include <pybind11/pybind11.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "app/cli/word_files.h"
#include "vekta/vekta.h"

namespace python {

namespace py = pybind11;

// DaqError and VerifyError, defined by the package (korvane/__init__.py).
inline py::handle g_daq_error, g_verify_error;

// The bus master reports a failed library call ("Error = CODE, TEXT") and goes
// on with its cycle, so the library's last error is gone by the time the
// transfer stops: the first report line of the call is kept here instead.
struct Reports {
    std::mutex mu;
    bool armed = false;
    bool any = false;
    int code = 0;
    std::string line;  // the first report, as the command line prints it
};
inline Reports g_reports;

inline void on_report(const std::vector<std::string> &lines)
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
inline bool reported()
{
    std::lock_guard<std::mutex> lock(g_reports.mu);
    return g_reports.any;
}

[[noreturn]] inline void raise_as(py::handle type, const std::string &message, int code, const std::string &text)
{
    py::object e = type(message, code, text);
    PyErr_SetObject(type.ptr(), e.ptr());
    throw py::error_already_set();
}

// A failed library call that returned its status (ports, analog channels).
[[noreturn]] inline void raise_status(const std::string &what, int status)
{
    const int code = vekta_GetLastError() < 0 ? vekta_GetLastError() : status;
    std::string text = vekta_GetLastErrorBuffer();
    raise_as(g_daq_error, what + ": Error = " + std::to_string(code) + ", " + text, code, text);
}

inline void check_status(const std::string &what, int status)
{
    if (status < 0) raise_status(what, status);
}

// A failure of the bus master: with the driver's report when there was one.
[[noreturn]] inline void raise_bus(const std::string &what, Capture &capture)
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

// The command line's words for a choice, as Python's open() takes it.
inline std::string python_words(std::string text)
{
    for (size_t at; (at = text.find("--daq sim")) != std::string::npos;) text.replace(at, 9, "daq=\"sim\"");
    return text;
}

inline std::string strip_line(std::string text)
{
    if (text.rfind("korvane: ", 0) == 0) text.erase(0, 9);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return python_words(text);
}

// A file that cannot be read: OSError with its number, which Python makes
// FileNotFoundError, PermissionError, IsADirectoryError ...; filename set.
[[noreturn]] inline void raise_file_error(const app::cli::FileError &e)
{
    py::object error = e.error_number ? py::handle(PyExc_OSError)(e.error_number, e.what())
                                      : py::handle(PyExc_OSError)(e.what());
    error.attr("filename") = e.path;
    PyErr_SetObject(reinterpret_cast<PyObject *>(Py_TYPE(error.ptr())), error.ptr());
    throw py::error_already_set();
}

}  // namespace python
