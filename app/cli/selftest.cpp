#include "app/cli/selftest.h"

#include <strings.h>

#include <cmath>
#include <cstdio>
#include <ostream>
#include <vector>

#include "avalon/avalon.h"
#include "app/cli/bus_commands.h"
#include "app/cli/devices.h"
#include "avalon/korvane_board.h"
#include "base/stop_signals.h"
#include "driver/daqmx_import.h"
#include "vekta/vekta.h"
#include "vekta/vekta_report.h"

namespace app::cli {

namespace kb = avalon::board;

namespace {

std::string volts(double v)
{
    if (std::isnan(v)) return "no value";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4f V", v);
    return buf;
}

CheckRow within(std::string check, double measured, double expected, double tolerance)
{
    return {std::move(check), volts(measured), volts(expected), volts(tolerance),
            !std::isnan(measured) && std::fabs(measured - expected) <= tolerance};
}

std::string upper(const std::string &prefix, int n)
{
    return prefix + std::to_string(n);
}

// One analog input's value, NaN when the read fails (its report line is out).
double analog_in(int input)
{
    double v = NAN;
    int status = vekta_analogIn(input, &v);
    vekta_report(status);
    return status < 0 ? NAN : v;
}

class Checks {
public:
    Checks(Session &s, std::vector<CheckRow> *rows) : s_(s), rows_(rows) {}

    void add(const CheckRow &row)
    {
        s_.out << check_line(row) << std::flush;
        if (rows_) rows_->push_back(row);
        (row.pass ? passed_ : failed_)++;
    }

    int passed() const { return passed_; }
    int failed() const { return failed_; }

    // Writes a pattern to every word, reads it all back, counts the words that differ.
    void march(unsigned slave, unsigned words, const std::string &what, uint16_t (*pattern)(unsigned))
    {
        const std::string name = "memory slave " + std::to_string(slave) + ", " + what;
        std::vector<uint16_t> w(words);
        for (unsigned a = 0; a < words; a++) w[a] = pattern(a);
        CheckRow row{name, "", "0 wrong", "0", false};
        try {
            s_.write(slave, 0, w, what);
            std::vector<uint16_t> back = s_.read(slave, 0, words, what);
            unsigned wrong = 0, first = 0;
            for (unsigned a = 0; a < words; a++)
                if (back[a] != w[a] && wrong++ == 0) first = a;
            row.measured = std::to_string(wrong) + " wrong";
            if (wrong) row.measured += ", first " + hex(first, 4);
            row.pass = wrong == 0;
        } catch (const BusFailure &e) {
            s_.err << "korvane: " << e.what() << "\n";
            row.measured = "bus failure";
        }
        add(row);
    }

private:
    Session &s_;
    std::vector<CheckRow> *rows_;
    int passed_ = 0, failed_ = 0;
};

uint16_t walking_one(unsigned a)
{
    return static_cast<uint16_t>(1u << (a % 16));
}

uint16_t address_as_data(unsigned a)
{
    return static_cast<uint16_t>(a);
}

}  // namespace

namespace {

std::string row_text(const CheckRow &row, const char *result)
{
    char line[256];
    std::snprintf(line, sizeof line, "%-34s %-20s %-10s %-10s %s\n", row.check.c_str(), row.measured.c_str(),
                  row.expected.c_str(), row.tolerance.c_str(), result);
    return line;
}

}  // namespace

std::string check_header()
{
    return row_text({"check", "measured", "expected", "tolerance", true}, "result");
}

std::string check_line(const CheckRow &row)
{
    return row_text(row, row.pass ? "PASS" : "FAIL");
}

// The module must be the one the description is for, before a line is touched.
bool right_device(Session &s, const Wiring &wiring)
{
    VektaDevice d;
    if (!our_device(d)) {
        s.err << "korvane: the self-test needs the " << wiring.product_type << " it checks; no line touched\n";
        return false;
    }
    // The bench standing in for a driver that is not installed is named in the report a lab keeps.
    s.out << "device " << d.name << ": " << device_text(d)
          << (driver::info().stand_in ? ", on the simulated bench: NI-DAQmx is not installed" : "") << "\n"
          << std::flush;
    if (strcasecmp(d.productType, wiring.product_type.c_str()) != 0) {
        s.err << "korvane: " << d.name << " is a " << d.productType << ", the wiring file is for a "
              << wiring.product_type << "; no line touched\n";
        return false;
    }
    return true;
}

namespace {

// A stop signal is looked for between the checks, once what a check changed
// (a memory, the DAC, an output) is set back.
void stop_between_checks(Session &s, const Checks &checks)
{
    if (int sig = s.stop_requested())
        throw Interrupted(sig, "the self-test stopped after " + std::to_string(checks.passed() + checks.failed()) +
                                   " checks, what they changed set back");
}

// Both marches over a memory, its words saved before and restored after
// unless destructive.
void check_memory(Session &s, Checks &checks, const Wiring::Memory &m, bool destructive)
{
    std::vector<uint16_t> saved;
    bool keep = !destructive;
    if (keep) {
        try {
            saved = s.read(m.slave, 0, m.words, "save");
        } catch (const BusFailure &e) {
            s.err << "korvane: " << e.what() << "; the memory's words cannot be restored\n";
            keep = false;
        }
    }
    checks.march(m.slave, m.words, "walking ones", walking_one);
    checks.march(m.slave, m.words, "address as data", address_as_data);
    if (keep) {
        try {
            s.write(m.slave, 0, saved, "restore");
        } catch (const BusFailure &e) {
            s.err << "korvane: " << e.what() << " while restoring the memory\n";
            checks.add({"memory slave " + std::to_string(m.slave) + " restored", "bus failure", "", "", false});
        }
    }
}

// A DAC channel switched on at its code, read at the analog input and by the
// board's ADC where wired; the DAC's registers set back. The ADC is set up
// once, at its first use (adc_ready).
void check_dac(Session &s, Checks &checks, const Wiring::Dac &d, bool &adc_ready)
{
    const unsigned code_reg = d.channel == 0 ? kb::reg::kDacCode0 : kb::reg::kDacCode1;
    const uint16_t on = d.channel == 0 ? kb::bit::kDacChannel0 : kb::bit::kDacChannel1;
    const double expected = d.code * kb::kDacFullScale / kb::kDacCodeMax;
    const std::string name = "DAC" + std::to_string(d.channel) + " code " + std::to_string(d.code) + " -> ";
    try {
        const uint16_t control = s.read(kb::kSlavePeripherals, kb::reg::kDacControl, 1, "dac")[0];
        const uint16_t code = s.read(kb::kSlavePeripherals, code_reg, 1, "dac")[0];
        s.write(kb::kSlavePeripherals, kb::reg::kDacControl,
                {static_cast<uint16_t>(control | on | kb::bit::kDacReference)}, "dac");
        s.write(kb::kSlavePeripherals, code_reg, {static_cast<uint16_t>(d.code)}, "dac");
        if (d.input) checks.add(within(name + upper("AI", *d.input), analog_in(*d.input), expected, d.tolerance));
        if (d.adc) {
            if (!adc_ready) avalonADCInit();
            adc_ready = true;
            int adc = -1;
            avalonADCGetCodeByStart(static_cast<unsigned char>(*d.adc), &adc);
            const double v = adc < 0 ? NAN : adc * kb::kAdcVoltsPerCode;
            checks.add(within(name + upper("ADC", *d.adc), v, expected, d.tolerance));
        }
        s.write(kb::kSlavePeripherals, code_reg, {code}, "dac");
        s.write(kb::kSlavePeripherals, kb::reg::kDacControl, {control}, "dac");
    } catch (const BusFailure &e) {
        s.err << "korvane: " << e.what() << "\n";
        checks.add({name + "(bus)", "bus failure", volts(expected), volts(d.tolerance), false});
    }
}

// An analog output set, read back on its input, then set to 0 V.
void check_loopback(Checks &checks, const Wiring::Loopback &l)
{
    int status = vekta_analogOut(l.output, l.volts);
    vekta_report(status);
    const double v = status < 0 ? NAN : analog_in(l.input);
    checks.add(within(upper("AO", l.output) + " -> " + upper("AI", l.input), v, l.volts, l.tolerance));
    vekta_report(vekta_analogOut(l.output, 0.0));
}

}  // namespace

int selftest(Session &s, const Wiring &wiring, bool destructive, std::vector<CheckRow> *rows)
{
    if (!right_device(s, wiring)) return -1;
    Checks checks(s, rows);
    s.interruptible = false;  // stop_between_checks looks for a stop instead
    s.prepare();
    s.out << check_header() << std::flush;
    for (const Wiring::Memory &m : wiring.memories) {
        check_memory(s, checks, m, destructive);
        stop_between_checks(s, checks);
    }
    bool adc_ready = false;
    for (const Wiring::Dac &d : wiring.dacs) {
        check_dac(s, checks, d, adc_ready);
        stop_between_checks(s, checks);
    }
    for (const Wiring::Loopback &l : wiring.loopbacks) {
        check_loopback(checks, l);
        stop_between_checks(s, checks);
    }
    for (const Wiring::Fixed &f : wiring.fixed) {
        checks.add(within(upper("AI", f.input) + " " + f.name, analog_in(f.input), f.volts, f.tolerance));
        stop_between_checks(s, checks);
    }
    const int total = checks.passed() + checks.failed();
    s.out << total << " checks: " << checks.passed() << " passed, " << checks.failed() << " failed\n";
    if (driver::info().stand_in)
        s.out << "the hardware is not checked: these checks ran on the simulated bench (NI-DAQmx is not installed)\n";
    s.out << std::flush;
    return checks.failed();
}

bool selftest_passed(int failed)
{
    return failed == 0 && !driver::info().stand_in;
}

}  // namespace app::cli
