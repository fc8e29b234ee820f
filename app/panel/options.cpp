#include "app/panel/options.h"

#include <CLI/CLI.hpp>
#include <ostream>

namespace app::panel {

namespace {

// The toolkit's "-platform NAME" is a single-dash long option, which CLI11
// would read as a bundle of short flags: taken out first. False when NAME is
// missing.
bool take_toolkit_args(int argc, const char *const argv[], Options &opt, std::vector<std::string> &args)
{
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        if (arg == "-platform") {
            if (i + 1 >= argc) return false;
            opt.toolkit_args.push_back(arg);
            opt.toolkit_args.push_back(argv[++i]);
            continue;
        }
        args.push_back(arg);
    }
    return true;
}

// The window's own options besides the subcommands'.
void add_window_options(CLI::App &app, Options &opt)
{
    // On Windows CLI11 would take "/tmp/x" for an option "/tmp"; korvane's options all start with '-'.
    // First, so that the subcommands inherit it.
    app.allow_windows_style_options(false);
    app.add_flag("--version", opt.version,
                 "Print korvane's version, the DAQ driver in use and where the panel file and the simulated "
                 "bench were found, then exit");
    app.add_option("--panel", opt.panel, "Panel file to load instead of korvane.uir")->type_name("FILE");
    app.add_option("--script", opt.script, "Play a script on the headless front end (- : standard input)")
        ->type_name("FILE|-");
    // The window's options only where it is built; there they are refused below.
    CLI::Option *screenshot =
        app.add_option("--screenshot", opt.screenshot, "After the script (if any), write a PNG of the window and quit")
            ->type_name("FILE");
    if (!opt.window) screenshot->group("");
    app.add_option("--daq", opt.daq,
                   "DAQ driver: sim (simulated bench), nidaqmx (NI-DAQmx) or the path of a driver library; "
                   "default: $KORVANE_DAQ, else NI-DAQmx; the simulated bench only where NI-DAQmx is not installed")
        ->type_name("sim|nidaqmx|PATH");
    if (opt.rtl_board)
        app.add_option("--board", opt.board,
                       "Simulated bench only: the target board: model (the C++ model), rtl (the reference board in "
                       "Verilog) or the path of a board library; default: $KORVANE_BOARD, else the model")
            ->type_name("model|rtl|PATH");
    else
        app.add_option("--board", opt.board,
                       "Simulated bench only: the target board: model (the C++ model) or the path of a board "
                       "library; default: $KORVANE_BOARD, else the model")
            ->type_name("model|PATH");
    app.add_option("--trace", opt.trace, "Write one line per driver call to FILE (any driver)")
        ->type_name("FILE");
    app.add_option("--ui-trace", opt.ui_trace,
                   std::string("Write one line per call of the panel run-time to FILE") +
                       (opt.window ? "" : " (with --script)"))
        ->type_name("FILE");
    CLI::Option *vcd =
        app.add_option("--vcd", opt.vcd, "Simulated bench only: write the digital lines and the decoded bus as VCD")
            ->type_name("FILE");
    app.add_option("--vcd-layout", opt.vcd_layout,
                   "vectors: the lines and the decoded bus words, for GTKWave (default); "
                   "lines: 1-bit wires only, for PulseView and sigrok-cli (GTKWave reads it too)")
        ->type_name("vectors|lines")
        ->check(CLI::IsMember({"vectors", "lines"}).description(""))
        ->needs(vcd);
}

}  // namespace

int parse_options(int argc, const char *const argv[], Options &opt, std::ostream &out, std::ostream &err)
{
    std::vector<std::string> args;
    if (!take_toolkit_args(argc, argv, opt, args)) {
        err << "korvane: -platform needs a platform name (e.g. -platform offscreen)\n";
        return USAGE_ERROR;
    }
    CLI::App app{"korvane: operator panel of the PXI bench (NI 6251 DAQ module, Avalon target board); "
                 "with a subcommand, bus access and the bench self-test from the command line", "korvane"};
    // Names and descriptions apart: the longest name with its type and "Needs:" fits the column
    // (the subcommands share this formatter).
    app.get_formatter()->column_width(44);
    add_window_options(app, opt);
    cli::add_commands(app, *opt.command);
    if (opt.window)
        app.footer("Toolkit option: -platform NAME (e.g. offscreen, vnc) selects the window system plugin.");

    // CLI11 parses from the back of the vector.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp &) {
        out << app.help();
        return 0;
    } catch (const CLI::ParseError &e) {
        err << "korvane: " << cli::usage_error_text(app, e, "korvane") << "\n";
        return USAGE_ERROR;
    }
    if (!opt.window && (!opt.screenshot.empty() || !opt.toolkit_args.empty())) {
        err << "korvane: " << (opt.screenshot.empty() ? "-platform" : "--screenshot")
            << " is for the window, which this korvane is built without\n";
        return USAGE_ERROR;
    }
    if (opt.command->action && (!opt.panel.empty() || !opt.script.empty() || !opt.screenshot.empty() ||
                                !opt.ui_trace.empty() || !opt.toolkit_args.empty())) {
        err << "korvane: --panel, --script, --screenshot, --ui-trace and -platform are for the window, "
               "not for a subcommand\n";
        return USAGE_ERROR;
    }
    // The window and its scripts start the board from power-up: a state file
    // would be taken and never written, so it is refused rather than ignored.
    if (!opt.command->action && !opt.version &&
        (!opt.command->sim_state.empty() || !opt.command->bench_verbs.empty())) {
        err << "korvane: --sim-state and --bench-verb are for the subcommands (bus, selftest, devices), "
               "not for the window or --script\n";
        return USAGE_ERROR;
    }
    return KEEP_GOING;
}

}  // namespace app::panel
