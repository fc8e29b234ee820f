// What the bench's calls return: registers decoded from the register table,
// the self-test's rows, the devices the driver knows.
#include "python/module.h"

namespace python {

namespace {

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
    bool passed = false;  // kc::selftest_passed: no failure, and not on a bench standing in for NI-DAQmx
};

struct Device {
    std::string name, product_type;
    unsigned serial_num = 0;
    std::optional<int> pxi_chassis_num, pxi_slot_num;
    bool used = false;
};

void bind_registers(py::module_ &m)
{
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
}
}  // namespace

void bind_results(py::module_ &m)
{
    bind_registers(m);
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

    py::class_<SelfTest>(m, "SelfTest",
                         "The self-test's rows; true when every check passed on a driver that was chosen (false on "
                         "the simulated bench standing in for NI-DAQmx that is not installed, as korvane selftest's "
                         "status); str() is what korvane selftest prints.")
        .def_readonly("rows", &SelfTest::rows)
        .def_readonly("failed", &SelfTest::failed)
        .def("__bool__", [](const SelfTest &t) { return t.passed; })
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
}

py::object registers_of(const CoreRef &core)
{
    return py::cast(read_registers(*core));
}

py::object selftest_of(const CoreRef &ref, py::object wiring_object, bool destructive)
{
    const std::optional<std::string> wiring = path_arg(wiring_object, "wiring");
    Core &core = *ref;
    core.need_open();
    kc::Wiring described;
    try {
        described = kc::read_wiring(wiring);
    } catch (const kc::FileError &e) {
        raise_file_error(e);
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
    t.passed = kc::selftest_passed(failed);
    return py::cast(std::move(t));
}

py::object devices_of(const CoreRef &core)
{
    Core::Use use(*core);
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
    return py::cast(std::move(out));
}

}  // namespace python
