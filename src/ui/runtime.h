// The run-time's own C++ interface, beside the user-interface operations of
// userint.h: configuration before InitCVIRTE, the clock shared with the
// driver, the error output's listeners (error_output.h), and script mode's verbs.
#pragma once

#include "base/error_output.h"

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

struct Options {
    std::string panel_file;                // --panel FILE; empty: look for the bare name given to LoadPanel
    std::string script_file;               // --script FILE ("-" for standard input): headless front end
    std::string screenshot_file;           // --screenshot FILE: after the script (if any), render the window to PNG and quit
    std::vector<std::string> toolkit_args; // toolkit options such as "-platform", "offscreen"
    std::string title_suffix;              // appended to the panel's title, e.g. "simulated bench"
    std::vector<std::string> banner;       // lines shown first in the log pane (and on standard error)
};

// Must be called before InitCVIRTE; later calls are ignored.
void configure(const Options &options);

// Where LoadPanel looks for a bare file name after the executable's own folder.
void add_panel_search_dir(const std::string &dir);

// The status main should exit with: 0 after a normal quit; in script mode 0
// when every check passed, 1 when any failed, 2 when the script could not be
// read or parsed; non-zero after a failed start-up of the run-time.
int exit_status();

// The one clear line of the run-time's last failure ("" if none).
std::string last_failure();

// What the status line shows, asked of the program about once a second: the
// driver in use, whether the hardware is open, and the running counts of
// driver calls and of failed ones (the line shows their rates).
struct StatusFacts {
    std::string driver;
    bool open = false;
    std::uint64_t calls = 0, failed = 0;
};
void set_status_source(std::function<StatusFacts()> source);

// The trace of the program's calls into the run-time (--ui-trace): the sink
// gets one line per call of userint.h (panel, control's constant name,
// attribute, value, status) and per callback the run-time runs; an empty
// function stops it. The views' own reads and writes are not traced.
void set_call_trace(std::function<void(std::string_view line)> sink);

// The run-time's clock: virtual under the headless front end (time passes
// only through sleep_ns and script waits), the steady clock under the window.
int64_t now_ns();
void sleep_ns(int64_t ns);

}  // namespace ui

namespace ui::script {

struct Result {
    bool pass = true;
    std::string message;   // on failure: "expected ..., got ..."; when skipped: why
    bool skipped = false;  // the check cannot be made here: neither passed nor failed
};
using Verb = std::function<Result(const std::vector<std::string> &args)>;

// Adds a verb to script mode (the bench's probe, drive, fault...). Argument
// counts are checked when the script is parsed; a wrong count is a parse error.
void register_verb(const std::string &name, int min_args, int max_args, Verb fn);

// A program's verb as one row of its verb table: name, arguments as its
// documentation writes them, how many words they are, and what it does.
struct ProgramVerb {
    const char *name;
    const char *arguments;
    int min_args, max_args;
    Result (*run)(const std::vector<std::string> &args);
};
void register_verbs(std::span<const ProgramVerb> verbs);
// The program's verbs registered, by name: their arguments as documented
// ("" when registered without them).
std::map<std::string, std::string> registered_verbs();

// decimal, 0x hex, 0b binary, or nan (any case); false if not a number.
bool parse_number(std::string_view text, double &value);

}  // namespace ui::script
