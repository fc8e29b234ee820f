// The DAQ's digital ports and analog channels, and the board's DAC and ADC
// as the panel works them.
#include "python/module.h"

namespace python {

namespace {

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

void bind_dac_adc(py::module_ &m)
{
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
}
}  // namespace

void bind_io(py::module_ &m)
{
    bind_dac_adc(m);
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
}

py::object port_of(const CoreRef &core, long n)
{
    if (n < 0 || n >= PORT_SIZE) throw py::value_error("port " + std::to_string(n) + ": 0, 1 or 2");
    return py::cast(Port{core, static_cast<int>(n)});
}

py::tuple analog_outputs(const CoreRef &core)
{
    py::tuple t(ANALOG_SIZEo);
    for (int i = 0; i < ANALOG_SIZEo; i++) t[static_cast<size_t>(i)] = py::cast(AnalogOutput{core, i});
    return t;
}

py::tuple analog_inputs(const CoreRef &core)
{
    py::tuple t(ANALOG_SIZEi);
    for (int i = 0; i < ANALOG_SIZEi; i++) t[static_cast<size_t>(i)] = py::cast(AnalogInput{core, i});
    return t;
}

py::object dac_of(const CoreRef &core) { return py::cast(Dac{core}); }
py::object adc_of(const CoreRef &core) { return py::cast(Adc{core}); }

}  // namespace python
