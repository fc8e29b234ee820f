// korvane's entry: options, the driver, the run-time (with the Qt window
// installed), the main panel's start-up and the event loop.
#include <iostream>
#include <string>

#include "app/panel/about.h"
#include "app/cli/cli.h"
#include "driver/daqmx_import.h"
#include "driver/out_file.h"
#include "app/cli/devices.h"
#include "app/panel/korvane_main.h"
#include "app/panel/options.h"
#include "app/simlink/simlink.h"
#include "app/panel/window.h"
#include "base/platform.h"
#include "base/startup_marks.h"
#include "base/stop_signals.h"
#include "ui/runtime.h"
#include "ui/userint.h"

namespace {

// The run-time's error output, remembered so that a start-up failure the
// run-time did not report itself is still reported once.
std::string error_output;

void remember_error_line(const std::string &line)
{
    if (error_output.size() < 65536) error_output += line;
}

// Start-up failed: make sure the run-time's clear line is out, then give the
// status to exit with.
int startup_failed(const std::string &fallback)
{
    std::string why = ui::last_failure();
    if (why.empty()) why = fallback;
    if (error_output.find(why) == std::string::npos) ErrorPrintf("%s\n", why.c_str());
    int status = ui::exit_status();
    return status != 0 ? status : 1;
}

int run_korvane(int argc, char *argv[]);

// The run-time's call trace (--ui-trace), streamed like the driver's.
driver::OutFile ui_trace;

std::string open_ui_trace(const std::string &file)
{
    if (file.empty()) return "";
    if (!ui_trace.open(file.c_str())) return "korvane: cannot write the run-time trace " + ui_trace.error() + "\n";
    driver::flush_on_signals();
    ui::set_call_trace([](std::string_view line) { ui_trace.write(line); });
    return "";
}

std::string close_ui_trace(const std::string &file)
{
    if (file.empty()) return "";
    ui::set_call_trace({});
    const bool written = !ui_trace.failed();
    if (!ui_trace.close() || !written)
        return "korvane: the run-time trace " + file + " could not be written whole (a full disk or a write error)\n";
    return "";
}

}  // namespace

int main(int argc, char *argv[])
{
    // Stops are deferred from the first line: a subcommand then says how far
    // it got however early the Ctrl-C came; the window takes them back below.
    app::cli::defer_stops();
    startup_mark("main");
    base::platform::prepare_console();
    app::cli::watch_output();
    const int status = app::cli::finish_output(run_korvane(argc, argv));
    // A subcommand stopped by a signal has saved what it did: now it ends as
    // the signal would have ended it (a shell's loop stops too).
    if (int sig = base::stop::requested()) base::stop::end(sig);
    return status;
}

namespace {

// The run-time configured for korvane's window (its clock, virtual in script
// mode, is the bench's: it comes before the trace and the VCD, which start on
// that clock) and the Qt view installed; the panel file's path, empty when no
// folder has it (the run-time's error then names the folders looked in).
std::string configure_runtime(const app::panel::Options &opt, const std::string &driver, const std::string &board)
{
    ui::Options ui;
    ui.panel_file = opt.panel;
    ui.script_file = opt.script;
    ui.screenshot_file = opt.screenshot;
    ui.toolkit_args = opt.toolkit_args;
    ui.title_suffix = korvane_driver_name() + (board.empty() ? "" : ", board " + board.substr(0, board.find(" (")));
    // The log pane names the driver's file, not the folder it was found in.
    std::string driver_line = driver;
    if (const std::string &path = driver::info().path; !path.empty() && driver::info().loaded)
        if (auto at = driver_line.find(path); at != std::string::npos)
            driver_line.replace(at, path.size(), base::platform::file_name(path));
    ui.banner = {app::panel::version_line(), driver_line};
    ui::configure(ui);
    korvane_share_status();
    app::panel::install_window();
    // korvane.uir from an installed tree first, else the build or source tree.
    const std::string panel_file = app::panel::find_panel_file();
    for (const std::string &dir : app::panel::panel_dirs()) ui::add_panel_search_dir(dir);
    return panel_file;
}

// The main panel loaded, checked, shown and run until the operator quits;
// the exit status.
int run_panel(char *argv[], const std::string &panel_file)
{
    int status = 0;
    if (InitCVIRTE(0, argv, 0) == 0) {
        status = startup_failed("korvane: the user-interface run-time could not be started");
        DiscardPanel(panelHandle);
    } else if ((panelHandle = LoadPanel(0, panel_file.empty() ? "korvane.uir" : panel_file.c_str(), PANEL)) < 0) {
        status = startup_failed(std::string("korvane: cannot load panel 1 of korvane.uir: ") +
                                GetUILErrorString(panelHandle));
        DiscardPanel(panelHandle);
    } else if (std::string lacking = korvane_check_panel(panelHandle); !lacking.empty()) {
        ErrorPrintf("%s\n", lacking.c_str());
        status = 1;
        DiscardPanel(panelHandle);
    } else {
        startup_mark("panel loaded");
        pxi_draw_gui();
        korvane_mark_driver(panelHandle);
        int shown = DisplayPanel(panelHandle);
        startup_mark("panel shown");
        if (shown < 0) {
            status = startup_failed(std::string("korvane: cannot show the main panel: ") + GetUILErrorString(shown));
        } else {
            int run = RunUserInterface();
            status = ui::exit_status();
            if (run < 0 && status == 0) {
                ErrorPrintf("korvane: the event loop failed: %s\n", GetUILErrorString(run));
                status = 1;
            }
        }
        DiscardPanel(panelHandle);
    }
    return status;
}

int run_korvane(int argc, char *argv[])
{
    app::panel::Options opt;
    opt.window = app::panel::window_built();
    opt.rtl_board = KORVANE_RTL_BOARD_BUILT;
    int rc = app::panel::parse_options(argc, argv, opt, std::cout, std::cerr);
    if (rc != app::panel::KEEP_GOING) return rc;

    if (!opt.command->action) {
        // The window and --version act on a stop at once, as they always have.
        base::stop::defer(false);
        if (int sig = base::stop::requested()) base::stop::end(sig);
    }
    driver::select(opt.daq);
    driver::load();
    if (std::string why = app::cli::daq_option_error(opt.daq); !why.empty()) {
        std::cerr << "korvane: " << why << "\n";
        return app::panel::USAGE_ERROR;
    }
    if (std::string why = app::simlink::choose_board(opt.board); !why.empty()) {
        std::cerr << why;
        return app::panel::USAGE_ERROR;
    }
    startup_mark("driver loaded");
    // The bench in place of a driver that is not installed: said once, whatever runs, so that no
    // command's output is taken for the hardware's (--version says it in its own output).
    if (std::string note = driver::info().stand_in_note(); !note.empty() && !opt.version)
        std::cerr << "korvane: " << note << "\n";
    const std::string board = app::simlink::board_name();
    std::string driver = driver::info().description();
    if (!board.empty()) driver += "\nboard: " + board;
    if (opt.version) {
        std::cout << app::panel::version_text(driver + "\n" + app::cli::device_line(), opt.panel);
        // A lab's script tells a driver that does not load (or lacks entry points) by the status.
        return app::cli::driver_unusable().empty() ? 0 : 1;
    }
    const bool vcd_lines = opt.vcd_layout == "lines";
    if (opt.command->action) return app::cli::run(*opt.command, {opt.trace, opt.vcd, vcd_lines});

    if (std::string why = app::panel::window_refusal(opt); !why.empty()) {
        std::cerr << why;
        return 1;
    }
    const std::string panel_file = configure_runtime(opt, driver, board);
    // The bench's clock, the call trace and the VCD.
    app::simlink::share_clock();
    if (std::string why = app::simlink::open_outputs(opt.trace, opt.vcd, vcd_lines) + open_ui_trace(opt.ui_trace);
        !why.empty()) {
        std::cerr << why;
        return app::panel::USAGE_ERROR;
    }
    int sink = base::add_error_sink(remember_error_line);
    korvane_register_callbacks();
    app::simlink::register_verbs();
    int status = run_panel(argv, panel_file);
    base::remove_error_sink(sink);
    // A trace or VCD that could not be written whole (a full disk) fails the run.
    if (std::string why = app::simlink::close_outputs(opt.trace, opt.vcd) + close_ui_trace(opt.ui_trace);
        !why.empty()) {
        std::cerr << why;
        if (status == 0) status = 1;
    }
    return status;
}

}  // namespace
