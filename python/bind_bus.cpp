// The Avalon bus: block reads and writes, dumps and loads, over the
// command line's Session and word files.
#include "python/module.h"

namespace python {

namespace {

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

}  // namespace

void bind_bus(py::module_ &m)
{
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
}

py::object bus_of(const CoreRef &core) { return py::cast(Bus{core}); }

}  // namespace python
