// The side door: script verbs, the shared clock and the output files.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <climits>
#include <cstring>
#include <thread>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "base/atomic_file.h"
#include "driver/daqmx_trace.h"
#include "base/korvane_files.h"
#include "base/korvane_strings.h"
#include "sim/device/ksim_client.h"
#include "app/simlink/simlink.h"
#include "base/platform.h"
#include "base/stop_signals.h"
#include "ui/model.h"
#include "ui/runtime.h"

namespace app::simlink {
namespace {

using ui::script::Result;
using Args = std::vector<std::string>;

// Default tolerance of a probe in volts: a few LSB of the inputs' noise.
constexpr double VOLT_TOLERANCE = 0.002;

Result fail(const std::string &message) { return Result{false, message}; }

}  // namespace

std::string needs_bench(const std::string &what, const std::string &hint)
{
    // "driver: none — cannot load X: why" or "driver: NI-DAQmx (path)" as a clause of the sentence.
    std::string driver = driver::info().description();
    const std::string none = "driver: none \xE2\x80\x94 ";
    if (driver.rfind(none, 0) == 0)
        driver = "no driver is loaded (" + driver.substr(none.size()) + ")";
    else if (driver.rfind("driver: ", 0) == 0)
        driver = "the driver in use is " + driver.substr(8);
    return what + "needs the simulated bench" + (hint.empty() ? "" : " (" + hint + ")") + ", but " + driver;
}

namespace {

Result not_the_bench(const std::string &verb) { return fail(needs_bench(verb + ": ")); }

// A probe looks at what only the bench can see: on another driver (the real
// bench) it is skipped, and the script's other checks still count.
Result probe_skipped()
{
    return Result{false, "not the simulated bench (probe)", true};
}

std::string number_text(double v)
{
    if (std::isnan(v)) return "nan";
    char buf[64];
    if (v == std::floor(v) && std::fabs(v) < 1e15)
        std::snprintf(buf, sizeof buf, "%.0f", v);
    else
        std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

bool number(const std::string &text, double &v) { return ui::script::parse_number(text, v); }

// A whole number from lo to hi: no NaN, no fraction, nothing the int would not hold.
bool integer(const std::string &text, long lo, long hi, int &v)
{
    double d;
    if (!number(text, d) || std::isnan(d) || d != std::floor(d) || d < static_cast<double>(lo) ||
        d > static_cast<double>(hi))
        return false;
    v = static_cast<int>(d);
    return true;
}

bool is_volts(const std::string &name)
{
    return name == "ao0" || name == "ao1" || name == "dac0" || name == "dac1" ||
           (name.size() == 3 && name.compare(0, 2, "ai") == 0);
}

// Port bytes and register words read best in hex as well.
std::string word_text(double v)
{
    if (std::isnan(v) || v < 0 || v > 0xFFFFFFFF || v != std::floor(v)) return number_text(v);
    char buf[32];
    std::snprintf(buf, sizeof buf, " (0x%X)", static_cast<unsigned>(v));
    return number_text(v) + buf;
}

Result compare(const std::string &what, double got, double expected, double tolerance, bool words)
{
    bool ok = std::isnan(expected) ? std::isnan(got) : std::fabs(got - expected) <= tolerance;
    if (ok) return Result{};
    auto text = words ? word_text : number_text;
    std::string msg = "expected " + what + " " + text(expected);
    if (tolerance > 0) msg += " +/- " + number_text(tolerance);
    return fail(msg + ", got " + text(got));
}

Result probe_verb(const Args &args)
{
    const sim::BackDoor *b = sim::bench();
    if (!b) return probe_skipped();
    if (args[0] == "reg") {
        int slave, address;
        double expected;
        if (args.size() != 4 || !integer(args[1], 0, INT_MAX, slave) || !integer(args[2], 0, INT_MAX, address) ||
            !number(args[3], expected))
            return fail("probe reg: usage: probe reg SLAVE ADDRESS VALUE (SLAVE and ADDRESS whole numbers)");
        unsigned word = 0;
        if (b->probe_reg(slave, address, &word) != 0)
            return fail("probe reg: no register " + args[2] + " on slave " + args[1]);
        return compare("reg " + args[1] + " " + args[2], word, expected, 0.0, true);
    }
    double expected;
    if (args.size() < 2 || args.size() > 3 || !number(args[1], expected))
        return fail("probe: usage: probe NAME VALUE [TOLERANCE]");
    double tolerance = is_volts(args[0]) ? VOLT_TOLERANCE : 0.0;
    if (args.size() == 3 && !number(args[2], tolerance)) return fail("probe: tolerance is not a number: " + args[2]);
    double got = 0.0;
    if (b->probe(args[0].c_str(), &got) != 0) return fail("probe: unknown bench value \"" + args[0] + "\"");
    return compare(args[0], got, expected, tolerance, args[0].compare(0, 4, "port") == 0);
}

Result drive_verb(const Args &args)
{
    const sim::BackDoor *b = sim::bench();
    if (!b) return not_the_bench("drive");
    double value;
    if (args[1] == "on")
        value = 1;
    else if (args[1] == "off")
        value = 0;
    else if (!number(args[1], value))
        return fail("drive: not a value: " + args[1]);
    if (std::string why = drive(args[0], value); !why.empty()) return fail("drive: " + why);
    return Result{};
}

Result fault_verb(const Args &args)
{
    const sim::BackDoor *b = sim::bench();
    if (!b) return not_the_bench("fault");
    if (args[0] == "clear") {
        if (args.size() != 1) return fail("fault: usage: fault clear");
        b->fault_clear();
        return Result{};
    }
    int code;
    if (args.size() < 2 || !integer(args[1], INT_MIN, -1, code))
        return fail("fault: usage: fault FUNCTION CODE [COUNT|always] (CODE a negative whole number)");
    int count = 1;
    bool always = false;
    if (args.size() == 3) {
        if (args[2] == "always")
            always = true;
        else if (!integer(args[2], 1, 1000000, count))
            return fail("fault: COUNT must be a number from 1 or \"always\": " + args[2]);
    }
    if (std::string why = inject_fault(args[0], code, always ? 0 : count); !why.empty()) return fail("fault: " + why);
    return Result{};
}

// The state file's lock (lock_board_state), -1 when none is held.
int g_state_lock = -1;

// How long a command waits for a state file another process uses.
double state_wait_seconds()
{
    constexpr double kDefault = 10;
    const char *text = std::getenv("KORVANE_STATE_WAIT");
    if (!text || !*text) return kDefault;
    char *end = nullptr;
    const double v = std::strtod(text, &end);
    return *end == '\0' && v >= 0 && v <= 86400 ? v : kDefault;
}

int64_t run_time_now(void *) { return ui::now_ns(); }
void run_time_sleep(void *, int64_t ns) { ui::sleep_ns(ns); }

}  // namespace

void share_clock()
{
    const sim::BackDoor *bench = sim::bench();
    if (bench && ui::virtual_clock()) bench->attach_clock(nullptr, run_time_now, run_time_sleep);
}

std::string open_outputs(const std::string &trace_file, const std::string &vcd_file, bool vcd_lines)
{
    if (!trace_file.empty() && driver::trace::to_file(trace_file.c_str()) != 0)
        return "korvane: cannot write the trace file " + trace_file + "\n";
    if (vcd_file.empty()) return "";
    const sim::BackDoor *bench = sim::bench();
    if (!bench) return "korvane: " + needs_bench("--vcd ", "--daq sim") + "\n";
    bench->vcd_layout(vcd_lines ? KSIM_VCD_LINES : KSIM_VCD_VECTORS);
    if (bench->vcd_file(vcd_file.c_str()) != 0) return "korvane: cannot write the VCD file " + vcd_file + "\n";
    return "";
}

std::string close_outputs(const std::string &trace_file, const std::string &vcd_file)
{
    std::string why;
    if (!trace_file.empty()) {
        const bool written = driver::trace::flush();
        const bool placed = driver::trace::to_file(nullptr) == 0;
        if (!written || !placed)
            why += "korvane: the trace file " + trace_file + " could not be written whole (a full disk or a write error)\n";
    }
    if (const sim::BackDoor *bench = sim::bench(); !vcd_file.empty() && bench && bench->vcd_file(nullptr) != 0)
        why += "korvane: the VCD file " + vcd_file + " could not be written whole (a full disk or a write error)\n";
    return why;
}

bool bench_present() { return sim::bench() != nullptr; }

std::function<int64_t()> use_bench_clock()
{
    const sim::BackDoor *bench = sim::bench();
    if (!bench) return {};
    bench->use_virtual_clock();
    return [bench] { return static_cast<int64_t>(bench->now_ns()); };
}

std::string load_board_state(const std::string &path)
{
    const sim::BackDoor *bench = sim::bench();
    if (!bench) return needs_bench("--sim-state ", "--daq sim");
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return "";  // the first command of a sequence
    std::string text;
    if (std::string why = base::files::read_bounded(path, text); !why.empty())
        return "cannot read the board's state from " + path + ": " + why;
    if (std::string why = set_board_state(text); !why.empty()) {
        // "line N: ..." as every reader names a bad line: PATH:N: and the line.
        const size_t number = std::strtoul(why.c_str() + 5, nullptr, 10);
        std::string line;
        std::istringstream lines(text);
        size_t i = 0;
        while (i < number && std::getline(lines, line)) ++i;
        if (line.size() > 60) line = line.substr(0, 60) + "...";
        const std::string shown = i < number ? "the file ends before it" : "\"" + base::text::one_line(line) + "\"";
        return path + ":" + std::to_string(number) + ": not a line of a simulated board's state as --sim-state " +
               "writes it (" + shown + "); the file is left as it is";
    }
    return "";
}

std::string board_state(std::string &text)
{
    const sim::BackDoor *bench = sim::bench();
    if (!bench) return needs_bench("the board's state ");
    text.assign(bench->board_state(nullptr, 0), '\0');
    bench->board_state(text.data(), text.size());
    text.pop_back();  // the NUL
    return "";
}

std::string set_board_state(const std::string &text)
{
    const sim::BackDoor *bench = sim::bench();
    if (!bench) return needs_bench("the board's state ");
    if (const size_t nul = text.find('\0'); nul != std::string::npos)
        return "line " + std::to_string(std::count(text.begin(), text.begin() + static_cast<long>(nul), '\n') + 1) +
               ": not a simulated board's state (a NUL byte)";
    if (const int status = bench->set_board_state(text.c_str()); status != 0)
        return "line " + std::to_string(-status) + ": not a simulated board's state";
    return "";
}

std::string inject_fault(const std::string &function, int code, int count)
{
    const sim::BackDoor *bench = sim::bench();
    if (!bench) return needs_bench("");
    if (code >= 0 || count < 0) return "a fault needs a negative code and a count from 1 (0: always)";
    if (count == 0) {
        if (bench->fault(function.c_str(), nullptr, code, 1, 1) != 0) return "the bench refused a fault on " + function;
        return "";
    }
    // The next COUNT matching calls: one armed fault for each of them.
    for (int nth = 1; nth <= count; nth++)
        if (bench->fault(function.c_str(), nullptr, code, nth, 0) != 0)
            return "the bench refused a fault on " + function;
    return "";
}

std::string clear_faults()
{
    const sim::BackDoor *bench = sim::bench();
    if (!bench) return needs_bench("");
    bench->fault_clear();
    return "";
}

std::string drive(const std::string &name, double value)
{
    const sim::BackDoor *bench = sim::bench();
    if (!bench) return needs_bench("");
    if (bench->drive(name.c_str(), value) != 0) return "unknown bench input \"" + name + "\"";
    return "";
}

std::string probe(const std::string &name, double &value)
{
    const sim::BackDoor *bench = sim::bench();
    if (!bench) return needs_bench("");
    if (bench->probe(name.c_str(), &value) != 0) return "unknown bench value \"" + name + "\"";
    return "";
}

std::string probe_reg(int slave, int address, unsigned &word)
{
    const sim::BackDoor *bench = sim::bench();
    if (!bench) return needs_bench("");
    if (bench->probe_reg(slave, address, &word) != 0)
        return "no register " + std::to_string(address) + " on slave " + std::to_string(slave);
    return "";
}

std::string lock_board_state(const std::string &path)
{
    unlock_board_state();
    // Beside the file the state is written to, so two names of one state
    // (a link) share the lock. Never removed: removing it would race with a
    // process about to lock it.
    const std::string lock_path = base::follow_links(path) + ".lock";
    const int fd = base::platform::open_lock_file(lock_path);
    if (fd < 0) return "cannot lock " + path + ": cannot create " + lock_path + ": " + std::strerror(errno);
    const double wait = state_wait_seconds();
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::duration<double>(wait));
    auto pause = std::chrono::milliseconds(1);
    for (int err; (err = base::platform::try_lock(fd)) != 0;) {
        std::string why;
        if (err != EWOULDBLOCK && err != EINTR)
            why = "cannot lock " + path + ": " + std::strerror(err);
        else if (int sig = base::stop::requested())
            why = std::string("stopped by ") + base::stop::name(sig) + " while waiting for " + path;
        else if (std::chrono::steady_clock::now() >= deadline) {
            const long pid = base::platform::read_holder(fd);
            char waited[32];
            std::snprintf(waited, sizeof waited, "%g", wait);
            why = path + " is in use by another korvane" + (pid > 0 ? " (process " + std::to_string(pid) + ")" : "") +
                  "; waited " + waited + " s for it (KORVANE_STATE_WAIT)";
        }
        if (!why.empty()) {
            ::close(fd);
            return why;
        }
        // A bus command holds it for milliseconds, a shell for its session.
        std::this_thread::sleep_for(
            std::min<std::chrono::nanoseconds>(pause, deadline - std::chrono::steady_clock::now()));
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
    // Who holds it, for a process that waits in vain.
    base::platform::write_holder(fd);
    g_state_lock = fd;
    return "";
}

void unlock_board_state()
{
    if (g_state_lock >= 0) ::close(g_state_lock);  // closing it releases the lock
    g_state_lock = -1;
}

std::string save_board_state(const std::string &path)
{
    std::string text;
    if (!board_state(text).empty()) return "--sim-state needs the simulated bench";
    std::string why = base::write_file_atomically(path, text);
    unlock_board_state();
    return why;
}

std::string choose_board(const std::string &board)
{
    const char *env = std::getenv("KORVANE_BOARD");
    const std::string choice = !board.empty() ? board : env ? env : "";
    if (choice.empty()) return "";
    const sim::BackDoor *bench = sim::bench();
    if (!bench) {
        if (board.empty()) return "";
        return "korvane: " + needs_bench("--board ", "--daq sim") + "\n";
    }
    char why[1024] = "";
    if (bench->set_board(choice.c_str(), why, sizeof why) != 0) return "korvane: cannot use the board " + choice + ": " + why + "\n";
    return "";
}

std::string board_name()
{
    const sim::BackDoor *bench = sim::bench();
    const char *name = bench ? bench->board_name() : nullptr;
    return name ? name : "";
}

// The bench verbs, one row each: name, arguments as the guide's table of
// bench verbs writes them, their count, the verb.
const ui::script::ProgramVerb kBenchVerbs[] = {
    {"probe", "NAME VALUE [TOLERANCE]", 2, 4, probe_verb},
    {"drive", "NAME VALUE", 2, 2, drive_verb},
    {"fault", "FUNCTION CODE [COUNT|always]", 1, 3, fault_verb},
};

std::string board_state_warning()
{
    const sim::BackDoor *bench = sim::bench();
    if (!bench || board_name() == "model") return "";
    // The state file holds slave 0's memory and slave 2's registers as the
    // back door reads them; a board whose back door answers for neither
    // gives nothing but a board at power-up.
    unsigned word = 0;
    if (bench->probe_reg(0, 0, &word) == 0 || bench->probe_reg(2, 0, &word) == 0) return "";
    const std::string name = board_name();
    return "the board " + name.substr(0, name.find(" (")) +
           " has no back door (dbg_ ports) for slaves 0 and 2: --sim-state keeps nothing of it "
           "(the file holds a board at power-up)";
}

std::string bench_verb(const std::string &line)
{
    Args words;
    std::istringstream in(line);
    for (std::string w; in >> w;) words.push_back(w);
    if (words.empty()) return "--bench-verb: empty; give a verb such as \"drive adc-stuck on\"";
    const std::string verb = words.front();
    words.erase(words.begin());
    // drive and fault as script mode has them (a probe checks, which a subcommand would not report).
    for (const ui::script::ProgramVerb &v : kBenchVerbs) {
        if (verb != v.name || verb == "probe") continue;
        const int n = static_cast<int>(words.size());
        if (n < v.min_args || n > v.max_args) break;
        const Result r = v.run(words);
        return r.pass ? "" : "--bench-verb: " + r.message;
    }
    return "--bench-verb: \"" + line + "\": usage: \"drive NAME VALUE\" or \"fault FUNCTION CODE [COUNT|always]\"";
}

void register_verbs() { ui::script::register_verbs(kBenchVerbs); }

}  // namespace app::simlink
