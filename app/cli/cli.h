// korvane's subcommands: bus access (read, write, dump, load, ...) and the
// bench self-test, without the panel's window. `korvane` with no subcommand
// stays the operator window.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace CLI {
class App;
class ParseError;
}

namespace app::cli {

class Session;

// What the command line asked for; filled by the parser's callbacks.
struct Request {
    // Raw arguments of the chosen command, checked when it runs.
    std::string slave, address, count, file, output, wiring, format = "hex";
    std::string file_format;  // load: "hex", "bin" or "" (by the file's name)
    std::vector<std::string> words;
    bool verify = false, destructive = false;
    std::string watch;  // --watch SECONDS as given; "": once
    std::string watch_count;  // --count N: tables in all under --watch; "": until a stop
    std::string sim_state;  // --sim-state FILE
    std::vector<std::string> bench_verbs;  // --bench-verb "drive NAME VALUE" / "fault ...", in order
    bool bus = false;       // a bus command (works the target board)
    // The command; empty when none was given (the operator window).
    std::function<void(Session &)> action;
};

// Adds the subcommands and their options to korvane's command line.
void add_commands(CLI::App &app, Request &req);

// Adds the bus commands (read, write, dump, load, regs; with `interactive`
// false also shell and run) to `bus`: the command line's `bus` and the shell's
// prompt share this one list.
void add_bus_commands(CLI::App &bus, Request &req, bool interactive);
// The commands a shell line or a command file takes, from that list: their
// names ("read, write, dump, load, regs") and one line of help each.
std::string bus_command_names();
std::string bus_command_help();

// A usage error of the command line or of a shell line, in one line: CLI11's
// text, "unknown subcommand NAME" where a subcommand was looked for, and the
// subcommand's own help to read: "(korvane bus read --help lists ...)".
// `program` is what the line starts with ("korvane"; "" in the shell);
// `commands_help`, where given, what lists a shell line's commands ("help").
std::string usage_error_text(const CLI::App &app, const CLI::ParseError &e, const std::string &program,
                             const std::string &commands_help = "");

// The driver's faults as the subcommands and --version see them, in one line
// each ("" when there is none): a library that did not load (its file and the
// linker's reason), or one that lacks entry points (its file and their names).
std::string driver_unusable();
// `--daq PATH` (not sim, nidaqmx or the default) that did not load: the
// usage error naming the file and why, as for `--board PATH`; else "".
std::string daq_option_error(const std::string &daq);
// The subcommands defer stop signals from the start, before the driver is
// loaded: a Ctrl-C that early still stops the command between blocks.
void defer_stops();

// Runs the command; the exit status: 0 done, 1 a bus or driver failure, 2 a
// usage error, 128 + N stopped by signal N (stop_signals.h: the work stops
// between blocks and says how far it got, the state is saved; the caller
// then ends with the signal).
struct Environment {
    std::string trace, vcd;  // simulated bench only
    bool vcd_lines = false;  // the VCD in 1-bit wires only (--vcd-layout lines)
};
int run(Request &req, const Environment &env);

// From the start of the program: std::cout remembers why a write to
// standard output failed.
void watch_output();
// Flushes and closes standard output: a write that failed (a full disk,
// /dev/full) is one line and status 1 where it would have been 0.
int finish_output(int status);

}  // namespace app::cli
