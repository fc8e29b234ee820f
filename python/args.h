// The checks of the module's arguments, made before any bus cycle
// (ValueError, TypeError), and the words handed back as a NumPy array.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/bus_commands.h"

namespace python {

namespace py = pybind11;
namespace kc = app::cli;

inline unsigned slave_arg(long v)
{
    if (v < 0 || v > static_cast<long>(kc::kSlaveMax))
        throw py::value_error("slave " + std::to_string(v) + " is out of range 0.." + std::to_string(kc::kSlaveMax));
    return static_cast<unsigned>(v);
}

inline unsigned address_arg(long v)
{
    if (v < 0 || v >= static_cast<long>(kc::kAddressSpace))
        throw py::value_error("address " + std::to_string(v) + " is out of range 0.." +
                              std::to_string(kc::kAddressSpace - 1));
    return static_cast<unsigned>(v);
}

inline unsigned count_arg(long count, unsigned address)
{
    if (count < 1) throw py::value_error("count " + std::to_string(count) + ": at least 1 word");
    if (address + static_cast<unsigned long>(count) > kc::kAddressSpace)
        throw py::value_error("count " + std::to_string(count) + " from address " + kc::hex(address, 4) +
                              " runs past the last address " + kc::hex(kc::kAddressSpace - 1, 4));
    return static_cast<unsigned>(count);
}

// Words from any array-like of whole numbers (a NumPy array of any integer
// type, a list, a bytes-like of uint16 ...): each must be 0..0xFFFF.
inline std::vector<uint16_t> words_arg(py::handle words)
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

inline py::array_t<uint16_t> to_array(std::vector<uint16_t> &&words)
{
    auto *held = new std::vector<uint16_t>(std::move(words));
    py::capsule owner(held, [](void *p) { delete static_cast<std::vector<uint16_t> *>(p); });
    return py::array_t<uint16_t>({static_cast<py::ssize_t>(held->size())}, {sizeof(uint16_t)}, held->data(), owner);
}

// A file name: a str or an os.PathLike; None: none.
inline std::optional<std::string> path_arg(py::handle value, const char *what)
{
    if (value.is_none()) return std::nullopt;
    py::module_ os = py::module_::import("os");
    if (!py::isinstance<py::str>(value) && !py::isinstance<py::bytes>(value) && !py::isinstance(value, os.attr("PathLike")))
        throw py::type_error(std::string(what) + " must be a path, not " + py::str(value.get_type().attr("__name__")).cast<std::string>());
    return os.attr("fsdecode")(os.attr("fspath")(value)).cast<std::string>();
}

}  // namespace python
