#include "app/cli/cli.h"


#include <CLI/CLI.hpp>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "app/cli/bus_commands.h"
#include "driver/daqmx_import.h"
#include "app/cli/devices.h"
#include "base/korvane_strings.h"
#include "app/cli/regs.h"
#include "app/cli/selftest.h"
#include "app/cli/shell.h"
#include "app/simlink/simlink.h"
#include "base/platform.h"
#include "base/stop_signals.h"

namespace app::cli {

namespace {

// The self-test found a fault; its rows say which.
struct CheckFailure {};
// A line of a command file failed and said why; the status is its own.
struct LineFailed {
    int status;
};

// A choice among names: the type name says them (hex|dec), so the check's own
// description (":{hex,dec}") is left out of the help.
CLI::Validator one_of(std::vector<std::string> names)
{
    return CLI::IsMember(std::move(names)).description("");
}

void add_format(CLI::App *cmd, Request &r)
{
    cmd->add_option("--format", r.format, "Numbers in hex (default) or dec")
        ->check(one_of({"hex", "dec"}))
        ->type_name("hex|dec");
}

// Sets the command to run once parsing is through.
void on_parse(CLI::App *cmd, Request &r, std::function<void(Session &)> action)
{
    cmd->callback([&r, action] {
        r.bus = true;
        r.action = action;
    });
}

// bus read SLAVE ADDR [COUNT]
void add_read(CLI::App &bus, Request &r)
{
    CLI::App *read = bus.add_subcommand("read", "Read COUNT words (default 1): one line \"ADDR WORD\" each");
    read->add_option("SLAVE", r.slave, "Slave 0..7")->type_name("")->required();
    read->add_option("ADDR", r.address, "Register address 0..8191 (decimal or 0x hex)")->type_name("")->required();
    read->add_option("COUNT", r.count, "Words at consecutive addresses")->type_name("");
    add_format(read, r);
    on_parse(read, r, [&r](Session &s) {
        const unsigned slave = parse_slave(r.slave), address = parse_address(r.address);
        const unsigned count = r.count.empty() ? 1 : parse_count(r.count, address);
        s.decimal = r.format == "dec";
        bus_read(s, slave, address, count);
    });
}

// bus write SLAVE ADDR WORD... [--verify]
void add_write(CLI::App &bus, Request &r)
{
    CLI::App *write = bus.add_subcommand("write", "Write words to consecutive addresses");
    write->add_option("SLAVE", r.slave, "Slave 0..7")->type_name("")->required();
    write->add_option("ADDR", r.address, "Register address of the first word")->type_name("")->required();
    write->add_option("WORD", r.words, "Words 0..0xFFFF")->type_name("")->required();
    write->add_flag("--verify", r.verify, "Read each word back; a difference fails (status 1)");
    on_parse(write, r, [&r](Session &s) {
        const unsigned slave = parse_slave(r.slave), address = parse_address(r.address);
        std::vector<uint16_t> words;
        for (const std::string &w : r.words) words.push_back(parse_word(w));
        bus_write(s, slave, address, words, r.verify);
    });
}

// bus dump SLAVE ADDR COUNT -o FILE
void add_dump(CLI::App &bus, Request &r)
{
    CLI::App *dump = bus.add_subcommand(
        "dump", "Read COUNT words into a file: 16-bit little-endian binary, or Intel HEX for a .hex name");
    dump->add_option("SLAVE", r.slave, "Slave 0..7")->type_name("")->required();
    dump->add_option("ADDR", r.address, "Register address of the first word")->type_name("")->required();
    dump->add_option("COUNT", r.count, "Words to read")->type_name("")->required();
    dump->add_option("-o,--output", r.output, "File to write (- : standard output)")->required()->type_name("FILE");
    on_parse(dump, r, [&r](Session &s) {
        const unsigned slave = parse_slave(r.slave), address = parse_address(r.address);
        bus_dump(s, slave, address, parse_count(r.count, address), r.output);
    });
}

// bus load SLAVE ADDR FILE [--verify] [--format hex|bin]
void add_load(CLI::App &bus, Request &r)
{
    CLI::App *load = bus.add_subcommand(
        "load", "Write a file's words from ADDR on: binary (16-bit little-endian) or Intel HEX (.hex)");
    load->add_option("SLAVE", r.slave, "Slave 0..7")->type_name("")->required();
    load->add_option("ADDR", r.address, "Register address of the file's first word")->type_name("")->required();
    load->add_option("FILE", r.file, "File to load (- : standard input)")->type_name("")->required();
    load->add_flag("--verify", r.verify, "Read the words back; a difference fails (status 1)");
    load->add_option("--format", r.file_format,
                     "The file's format: Intel HEX or binary; default: by its name (.hex), "
                     "for standard input by a leading ':'")
        ->check(one_of({"hex", "bin"}))
        ->type_name("hex|bin");
    on_parse(load, r, [&r](Session &s) {
        const unsigned slave = parse_slave(r.slave), address = parse_address(r.address);
        bus_load(s, slave, address, r.file, r.verify, r.file_format);
    });
}

// bus regs [--format] [--watch [SECONDS]]
void add_regs(CLI::App &bus, Request &r)
{
    CLI::App *regs = bus.add_subcommand("regs", "Read the target board's registers (slave 2) and print them decoded");
    add_format(regs, r);
    CLI::Option *watch =
        regs->add_option("--watch", r.watch, "Repeat every SECONDS (default 1), in place on a terminal, until Ctrl-C")
            ->expected(0, 1)
            ->default_str("1")
            ->type_name("[SECONDS]");
    regs->add_option("--count", r.watch_count, "With --watch: stop after N tables")->type_name("N")->needs(watch);
    on_parse(regs, r, [&r](Session &s) {
        // NaN or infinity would never wait: the table again and again, as fast as the bus goes.
        double seconds = 0;
        if (!r.watch.empty()) {
            char *end = nullptr;
            seconds = std::strtod(r.watch.c_str(), &end);
            if (*end != '\0' || !std::isfinite(seconds) || seconds <= 0)
                throw UsageError("--watch needs a positive number of seconds, not " + r.watch);
        }
        const unsigned tables = r.watch_count.empty() ? 0 : static_cast<unsigned>(parse_number(r.watch_count, 1000000000, "count"));
        if (!r.watch_count.empty() && tables == 0) throw UsageError("--count 0: no table to print");
        s.decimal = r.format == "dec";
        bus_regs(s, seconds, tables);
    });
}

// The bus commands a line takes, made from the one list.
std::vector<std::pair<std::string, std::string>> line_commands()
{
    CLI::App app;
    Request r;
    add_bus_commands(app, r, true);
    std::vector<std::pair<std::string, std::string>> commands;
    for (const CLI::App *sub : app.get_subcommands({})) commands.emplace_back(sub->get_name(), sub->get_description());
    return commands;
}

// bus shell and bus run FILE: not at the shell's own prompt
void add_shell_and_run(CLI::App &bus, Request &r)
{
    // The commands' list, made once for both footers (it builds a tree of its own).
    const std::string commands = bus_command_help();
    CLI::App *shell = bus.add_subcommand(
        "shell", "The bus commands at a prompt, with line editing and history; quit or Ctrl-D ends");
    shell->footer(commands + "  quit, exit  End the shell (so does Ctrl-D)\n  help        This list");
    shell->callback([&r] {
        r.bus = true;
        r.action = [](Session &s) {
            if (int status = bus_shell(s)) throw LineFailed{status};
        };
    });
    CLI::App *run = bus.add_subcommand("run", "The bus commands from FILE, one a line ('#' a comment); "
                                              "stops at the first that fails, with its status");
    run->add_option("FILE", r.file, "Command file (- : standard input)")->type_name("")->required();
    run->footer(commands);
    run->callback([&r] {
        r.bus = true;
        r.action = [&r](Session &s) {
            // The file's own faults are reported with its line; the status is the failing line's.
            if (int status = bus_run(s, r.file)) throw LineFailed{status};
        };
    });
}

}  // namespace

std::string bus_command_names()
{
    std::string names;
    for (const auto &[name, help] : line_commands()) names += (names.empty() ? "" : ", ") + name;
    return names;
}

std::string bus_command_help()
{
    std::string text = "Commands, one a line, as after \"korvane bus\" (each takes --help):\n";
    for (const auto &[name, help] : line_commands()) {
        std::string row = "  " + name;
        row.resize(14, ' ');
        text += row + help + "\n";
    }
    return text;
}

std::string usage_error_text(const CLI::App &app, const CLI::ParseError &e, const std::string &program,
                             const std::string &commands_help)
{
    // The deepest subcommand the parser reached: its --help is the one to read.
    const CLI::App *at = &app;
    std::string path = program;
    while (!at->get_subcommands().empty()) {
        at = at->get_subcommands().back();
        path += (path.empty() ? "" : " ") + at->get_name();
    }
    std::string what = e.what();
    const int code = e.get_exit_code();
    const bool wanted = code == static_cast<int>(CLI::ExitCodes::RequiredError) ||
                        code == static_cast<int>(CLI::ExitCodes::ExtrasError);
    if (wanted && !at->get_subcommands({}).empty())
        for (const std::string &word : app.remaining(true))
            if (!word.empty() && word[0] != '-') {
                what = "unknown subcommand " + word;
                std::vector<std::string> names;
                for (const CLI::App *sub : at->get_subcommands({})) names.push_back(sub->get_name());
                if (std::string likely = base::text::closest(word, names); !likely.empty())
                    what += ": did you mean " + likely + "?";
                break;
            }
    if (at == &app && !commands_help.empty()) return what + " (" + commands_help + " lists the commands)";
    return what + " (" + path + " --help lists " + (at == &app ? "the options" : "what it takes") + ")";
}

std::string driver_unusable()
{
    const driver::LoaderInfo &d = driver::info();
    if (!d.loaded) return d.description();
    if (d.missing.empty()) return "";
    std::string names = d.missing;
    for (size_t at = 0; (at = names.find(',', at)) != std::string::npos; at += 2) names.replace(at, 1, ", ");
    return "the driver library " + d.path + " lacks entry points korvane calls: " + names;
}

std::string daq_option_error(const std::string &daq)
{
    const driver::LoaderInfo &d = driver::info();
    if (daq.empty() || daq == "sim" || daq == "nidaqmx" || d.loaded) return "";
    // The linker's text starts with the path again.
    std::string why = d.error;
    if (why.rfind(daq + ": ", 0) == 0) why.erase(0, daq.size() + 2);
    return "cannot use the driver library " + daq + ": " + why;
}

void add_bus_commands(CLI::App &bus, Request &r, bool interactive)
{
    add_read(bus, r);
    add_write(bus, r);
    add_dump(bus, r);
    add_load(bus, r);
    add_regs(bus, r);
    if (!interactive) add_shell_and_run(bus, r);
}

void add_commands(CLI::App &app, Request &r)
{
    app.add_option("--sim-state", r.sim_state,
                   "Simulated bench: keep the board's memory and registers in FILE between commands")
        ->type_name("FILE");
    app.add_option("--bench-verb", r.bench_verbs,
                   "Simulated bench: a drive or fault verb of script mode, e.g. \"drive adc-stuck on\", applied "
                   "before the subcommand (repeatable)")
        ->type_name("VERB")
        ->allow_extra_args(false);
    CLI::App *test = app.add_subcommand(
        "selftest", "Check the bench end to end (memories, DACs, ADC, analog loops, reference and ground inputs); "
                    "status 0 only when every check passes");
    test->add_option("--wiring", r.wiring, "Wiring file (TOML): what is wired where; default: the simulated bench's")
        ->type_name("FILE");
    // The option's old name, still taken; not shown.
    test->add_option("--bench", r.wiring, "Old name of --wiring")->type_name("FILE")->group("");
    test->add_flag("--destructive", r.destructive, "Leave the memories' test patterns instead of restoring them");
    test->fallthrough();
    test->callback([&r] {
        r.action = [&r](Session &s) {
            const Wiring wiring = read_wiring(r.wiring.empty() ? std::nullopt : std::optional(r.wiring));
            if (!selftest_passed(selftest(s, wiring, r.destructive))) throw CheckFailure();
        };
    });

    CLI::App *devices = app.add_subcommand(
        "devices", "List the devices the driver knows (product type, serial number, PXI chassis and slot) and the "
                   "one korvane uses; status 1 when that one is not among them");
    devices->callback([&r] {
        r.action = [](Session &s) {
            if (!list_devices(s)) throw CheckFailure();
        };
    });

    CLI::App *bus = app.add_subcommand("bus", "Work the target board's Avalon bus from the command line");
    bus->require_subcommand(1);
    bus->fallthrough();
    add_bus_commands(*bus, r, false);
    for (CLI::App *sub : bus->get_subcommands({})) sub->fallthrough();
}

void defer_stops()
{
    base::stop::install();
    base::stop::defer(true);
}

namespace {

// A subcommand defers the stop signals while it runs: its transfers stop
// between blocks and it saves what it did; main then ends as the signal would.
class Deferred {
public:
    Deferred() { defer_stops(); }
    ~Deferred() { base::stop::defer(false); }
};

// The simulated board's state (--sim-state) taken and loaded, the bench verbs
// applied, or, without a state, the note that the board starts from power-up;
// 0 to go on, else the status to end with (the outputs closed, the state let go).
int prepare_bench(Request &r, const Environment &env, Session &s, bool bench)
{
    if (!r.sim_state.empty()) {
        // Another process's command on the same state waits for this one's
        // to end, and this one for it.
        if (std::string why = app::simlink::lock_board_state(r.sim_state); !why.empty()) {
            std::cerr << "korvane: " << why << "\n";
            app::simlink::close_outputs(env.trace, env.vcd);
            const int sig = base::stop::requested();
            return sig ? 128 + sig : 1;
        }
        if (std::string why = app::simlink::load_board_state(r.sim_state); !why.empty()) {
            std::cerr << "korvane: " << base::text::one_line(why) << "\n";
            app::simlink::unlock_board_state();
            app::simlink::close_outputs(env.trace, env.vcd);
            return 2;
        }
        if (std::string why = app::simlink::board_state_warning(); !why.empty()) std::cerr << "korvane: " << why << "\n";
    } else if (bench && r.bus)
        s.first_use = [&s] {
            s.err << "korvane: the simulated board starts from power-up "
                     "(--sim-state FILE keeps its memory and registers between commands)\n";
        };
    for (const std::string &verb : r.bench_verbs)
        if (std::string why = app::simlink::bench_verb(verb); !why.empty()) {
            std::cerr << "korvane: " << base::text::one_line(why) << "\n";
            if (!r.sim_state.empty()) app::simlink::unlock_board_state();
            app::simlink::close_outputs(env.trace, env.vcd);
            return 2;
        }
    return 0;
}

// The command run; its status from how it ended (each failure says why on
// standard error once).
int run_action(Request &r, Session &s)
{
    try {
        r.action(s);
    } catch (const UsageError &e) {
        // It may quote a file's bytes or a path: one line, control bytes escaped.
        std::cerr << "korvane: " << base::text::one_line(e.what()) << "\n";
        return 2;
    } catch (const BusFailure &e) {
        std::cerr << "korvane: " << e.what() << "\n";
        return 1;
    } catch (const Interrupted &e) {
        std::cerr << "korvane: interrupted by " << base::stop::name(e.signal) << ": " << e.what() << "\n";
        return 128 + e.signal;
    } catch (const OutputFailed &) {
        return 1;  // main says why
    } catch (const CheckFailure &) {
        return 1;
    } catch (const LineFailed &f) {
        return f.status;
    } catch (const std::exception &e) {
        std::cerr << "korvane: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

// The board's state saved (let go after a usage error) and the trace and the
// VCD closed: a failure here fails a command that had succeeded.
int finish_bench(const Request &r, const Environment &env, int status)
{
    if (!r.sim_state.empty()) {
        if (status == 2) {
            app::simlink::unlock_board_state();
        } else if (std::string why = app::simlink::save_board_state(r.sim_state); !why.empty()) {
            std::cerr << "korvane: the board's state was not saved: " << why << "\n";
            if (status == 0) status = 1;
        }
    }
    if (std::string why = app::simlink::close_outputs(env.trace, env.vcd); !why.empty()) {
        std::cerr << why;
        if (status == 0) status = 1;
    }
    return status;
}

}  // namespace

int run(Request &r, const Environment &env)
{
    Deferred deferred;
    Session s(std::cout, std::cerr);
    s.err_is_terminal = base::platform::is_console(2);
    // A driver that did not load: its file and the reason, once, before the first report line.
    driver::set_failure_notice([](const std::string &line) { std::cerr << "korvane: " << line << "\n"; });
    const bool bench = app::simlink::bench_present();
    if (!bench && (!r.sim_state.empty() || !r.bench_verbs.empty())) {
        std::cerr << "korvane: "
                  << app::simlink::needs_bench(r.sim_state.empty() ? "--bench-verb " : "--sim-state ", "--daq sim")
                  << "\n";
        return 2;
    }
    // A driver that did not load, or lacks entry points: one line, before any call.
    if (std::string why = driver_unusable(); !why.empty()) {
        std::cerr << "korvane: " << why << "\n";
        return 1;
    }
    // The bench runs on its own clock as fast as it can; bench time is what
    // the real bench would take. The trace and the VCD start on that clock.
    if (bench) s.bench_now = app::simlink::use_bench_clock();
    if (std::string why = app::simlink::open_outputs(env.trace, env.vcd, env.vcd_lines); !why.empty()) {
        std::cerr << why;
        return 2;
    }
    if (int status = prepare_bench(r, env, s, bench)) return status;
    int status = run_action(r, s);
    // A stop after the last check: the work is done, the status says it was stopped.
    if (int sig = base::stop::requested(); sig && status < 128) status = 128 + sig;
    std::cout.flush();
    return finish_bench(r, env, status);
}

namespace {

// Standard output as std::cout writes it (through C's stdout, so the order
// with C's writers stays), remembering why the first write failed.
class StdoutBuffer : public std::streambuf {
public:
    int error = 0;

protected:
    int overflow(int c) override
    {
        if (c == traits_type::eof()) return traits_type::not_eof(c);
        if (std::fputc(c, stdout) == EOF) return failed();
        return c;
    }
    std::streamsize xsputn(const char *s, std::streamsize n) override
    {
        const size_t written = std::fwrite(s, 1, static_cast<size_t>(n), stdout);
        if (written < static_cast<size_t>(n)) failed();
        return static_cast<std::streamsize>(written);
    }
    int sync() override { return std::fflush(stdout) == 0 ? 0 : failed(); }

private:
    int failed()
    {
        if (error == 0) error = errno;
        return traits_type::eof();
    }
};

StdoutBuffer *g_stdout = nullptr;

}  // namespace

void watch_output()
{
    // Never destroyed: std::cout is flushed at exit, after static objects go.
    static StdoutBuffer *buffer = new StdoutBuffer;
    g_stdout = buffer;
    std::cout.rdbuf(buffer);
}

int finish_output(int status)
{
    std::cout.flush();
    bool failed = !std::cout || std::ferror(stdout);
    int err = g_stdout ? g_stdout->error : 0;
    if (std::fflush(stdout) != 0) {
        failed = true;
        if (err == 0) err = errno;
    }
    // Closing is where a file system may report a write it had kept back.
    if (!failed) {
        if (const int e = base::platform::close_stdout(); e != 0 && e != EBADF) {
            failed = true;
            err = e;
        }
    }
    if (!failed) return status;
    std::cerr << "korvane: cannot write standard output" << (err ? std::string(": ") + std::strerror(err) : "")
              << "\n";
    return status == 0 ? 1 : status;
}

}  // namespace app::cli
