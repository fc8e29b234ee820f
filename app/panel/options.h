// korvane's command line.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "app/cli/cli.h"

namespace app::panel {

struct Options {
    bool version = false;
    std::string panel;       // --panel FILE
    std::string script;      // --script FILE|-
    std::string screenshot;  // --screenshot FILE
    std::string daq;         // --daq sim|nidaqmx|PATH ("" : KORVANE_DAQ, else the real driver, else the bench)
    std::string board;       // --board model|rtl|PATH ("" : KORVANE_BOARD, else the C++ model); simulated bench only
    std::string trace;       // --trace FILE (any driver)
    std::string ui_trace;    // --ui-trace FILE: the program's calls into the panel run-time
    std::string vcd;         // --vcd FILE (simulated bench only)
    std::string vcd_layout = "vectors";  // --vcd-layout vectors|lines
    std::vector<std::string> toolkit_args;  // -platform NAME, for the window toolkit
    // What this build has, set before parsing: the help lists only those
    // options, and the window's are usage errors without it.
    bool window = true;      // the Qt window (--screenshot, -platform)
    bool rtl_board = true;   // the reference RTL board (--board rtl)
    // A subcommand (bus ..., selftest) and its arguments; no action: the window.
    std::shared_ptr<cli::Request> command = std::make_shared<cli::Request>();
};

// Status of a command line that asks to stop (help, or a fault in it).
inline constexpr int KEEP_GOING = -1;
inline constexpr int USAGE_ERROR = 2;

// Parses the command line into opt. Returns KEEP_GOING to go on, else the
// status to exit with: 0 after --help (printed to out), USAGE_ERROR after an
// unknown or malformed option (one clear line on err).
int parse_options(int argc, const char *const argv[], Options &opt, std::ostream &out, std::ostream &err);

}  // namespace app::panel
