// The bench itself, its side door to the simulated bench, and open().
#include "python/module.h"

namespace python {

namespace {

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
                        driver::info().description();
        if (core->simulated()) s += ", board " + app::simlink::board_name();
        if (!o.state.empty()) s += ", state " + o.state;
        return s + ">";
    }
};

void bind_sim(py::module_ &m)
{
    py::class_<SimBench>(m, "SimBench",
                         "The simulated bench's side door: faults, outside signals, probes and the board's state.")
        .def("fault", [](SimBench &b, const std::string &function, int code, int count, bool always) {
                 Core::Use use(*b.core);
                 if (count < 1) throw py::value_error("count must be 1 or more");
                 side_door(app::simlink::inject_fault(function, code, always ? 0 : count));
             }, py::arg("function"), py::arg("code"), py::arg("count") = 1, py::kw_only(), py::arg("always") = false,
             "The next count calls of a driver function (\"*\": any) fail with code (negative); always: every call.")
        .def("clear_faults", [](SimBench &b) { Core::Use use(*b.core); side_door(app::simlink::clear_faults()); })
        .def("drive", [](SimBench &b, const std::string &name, double value) {
                 Core::Use use(*b.core);
                 side_door(app::simlink::drive(name, value));
             }, py::arg("name"), py::arg("value"),
             "An outside signal: ai4..ai7, adc0, adc1 (volts; nan ends it), adc-stuck, dac0-off, dac1-off, apfi0, apfi1.")
        .def("probe", [](SimBench &b, const std::string &name) {
                 Core::Use use(*b.core);
                 double v = NAN;
                 side_door(app::simlink::probe(name, v));
                 return v;
             }, py::arg("name"), "A bench value: ao0 ao1 ai0..ai7 dac0 dac1 adc0 adc1 (volts), port0..port2, live-tasks, contention.")
        .def("probe_reg", [](SimBench &b, int slave, int address) {
                 Core::Use use(*b.core);
                 unsigned w = 0;
                 side_door(app::simlink::probe_reg(slave, address, w));
                 return w;
             }, py::arg("slave"), py::arg("address"), "A board register's word, read behind the bus.")
        .def_property_readonly("board", [](SimBench &) { return app::simlink::board_name(); })
        .def_property("state", [](SimBench &b) {
                 Core::Use use(*b.core);
                 std::string text;
                 side_door(app::simlink::board_state(text));
                 return text;
             }, [](SimBench &b, const std::string &text) {
                 Core::Use use(*b.core);
                 side_door(app::simlink::set_board_state(text));
             }, "The board's memory and registers as text (as state= files keep them).")
        .def("reset", [](SimBench &b) {
                 Core::Use use(*b.core);
                 side_door(app::simlink::clear_faults());
                 for (const char *name : {"adc0", "adc1", "ai4", "ai5", "ai6", "ai7"}) side_door(app::simlink::drive(name, NAN));
                 for (const char *name : {"adc-stuck", "dac0-off", "dac1-off", "apfi0", "apfi1"}) side_door(app::simlink::drive(name, 0));
                 side_door(app::simlink::set_board_state(b.core->initial_state()));
             }, "Back to the board as it was opened: memory and registers, no faults, no outside signals.")
        .def("__repr__", [](const SimBench &) { return "<korvane.SimBench board " + app::simlink::board_name() + ">"; });
}

void bind_functions(py::module_ &m)
{
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
            d = kc::read_wiring(path);
        } catch (const kc::FileError &e) {
            raise_file_error(e);
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
}  // namespace

void bind_bench(py::module_ &m)
{
    bind_sim(m);
    bind_functions(m);
    py::class_<Bench>(m, "Bench", "The bench: bus, ports, analog channels, DAC and ADC, self-test. One per process.")
        .def_property_readonly("bus", [](Bench &b) { return bus_of(b.core); })
        .def("port", [](Bench &b, long n) { return port_of(b.core, n); }, py::arg("n"), "Digital port n (0..2).")
        .def_property_readonly("ao", [](Bench &b) { return analog_outputs(b.core); }, "The analog outputs AO0, AO1.")
        .def_property_readonly("ai", [](Bench &b) { return analog_inputs(b.core); }, "The analog inputs AI0..AI7.")
        .def_property_readonly("dac", [](Bench &b) { return dac_of(b.core); })
        .def_property_readonly("adc", [](Bench &b) { return adc_of(b.core); })
        .def_property_readonly("sim", [](Bench &b) -> py::object {
            if (!b.core->simulated()) return py::none();
            return py::cast(SimBench{b.core});
        }, "The simulated bench's side door, None on another driver.")
        .def_property_readonly("driver", [](Bench &) { return driver::info().description(); })
        .def_property_readonly("closed", [](Bench &b) { return !b.core->is_open(); })
        .def("regs", [](Bench &b) { return registers_of(b.core); }, "Reads slave 2's registers, decoded.")
        .def("selftest", [](Bench &b, py::object wiring, bool destructive) { return selftest_of(b.core, wiring, destructive); },
             py::arg("wiring") = py::none(), py::kw_only(), py::arg("destructive") = false,
             "Checks the bench end to end as korvane selftest does (wiring: a wiring file).")
        .def("devices", [](Bench &b) { return devices_of(b.core); }, "The devices the driver knows, korvane's marked used.")
        .def("close", [](Bench &b) { b.core->close(); }, "Releases the DAQ's tasks, saves the state, closes the files.")
        .def("__enter__", [](py::object self) { return self; })
        .def("__exit__", [](Bench &b, py::args) {
            b.core->close();
            return false;
        })
        .def("__repr__", &Bench::repr);
}

}  // namespace python
