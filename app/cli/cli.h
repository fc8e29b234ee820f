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
}

namespace korvane::cli {

class Session;

// What the command line asked for; filled by the parser's callbacks.
struct Request {
    // Raw arguments of the chosen command, checked when it runs.
    std::string slave, address, count, file, output, bench, format = "hex";
    std::string file_format;  // load: "hex", "bin" or "" (by the file's name)
    std::vector<std::string> words;
    bool verify = false, destructive = false;
    std::string watch;  // --watch SECONDS as given; "": once
    std::string sim_state;  // --sim-state FILE
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

// Runs the command; the exit status: 0 done, 1 a bus or driver failure, 2 a usage error.
struct Environment {
    std::string trace, vcd;  // simulated bench only
    bool vcd_lines = false;  // the VCD in 1-bit wires only (--vcd-layout lines)
};
int run(Request &req, const Environment &env);

}  // namespace korvane::cli
