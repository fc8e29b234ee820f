// korvane: program entry, the main panel's lifecycle and the Open, Close and
// Default commands that act on the three areas of the panel.
#include "korvane.h"

#include <cstdint>
#include <iostream>
#include <string>

#include "bench_verbs.h"
#include "daqmx_import.h"
#include "ksim_client.h"
#include "options.h"
#include "uir_core.h"
#include "uir_runtime.h"
#include "userint.h"
#include "vekta.h"
#include "vekta_report.h"

int panelHandle = 0;
int pxi_opened = 0;

// PXI slot of the NI 6251 in the chassis.
static const int DAQ_SLOT = 2;

int panelCB(int, int event, void *, int, int)
{
    if (event == EVENT_CLOSE) QuitUserInterface(0);
    return 0;
}

void pxi_draw_gui(void)
{
    pxi_opened = 0;
    SetCtrlAttribute(panelHandle, OPEN_ONLY_CTRL, ATTR_DIMMED, 1);
    port_draw_gui();
    analog_draw_gui();
    avalon_draw_gui();
}

void pxi_open(void)
{
    if (pxi_opened) return;
    vekta_report(vekta_ni6251Slot(DAQ_SLOT));
    // Set before the areas open: their open steps already see the hardware open.
    pxi_opened = 1;
    port_open();
    analog_open();
    avalon_open();
    SetCtrlAttribute(panelHandle, OPEN_ONLY_CTRL, ATTR_DIMMED, 0);
}

void pxi_close(void)
{
    if (!pxi_opened) return;
    pxi_opened = 0;
    SetCtrlAttribute(panelHandle, OPEN_ONLY_CTRL, ATTR_DIMMED, 1);
    port_close();
    analog_close();
    avalon_close();
    // Only now that every area timer is stopped may the library release its tasks.
    vekta_report(vekta_ni6251Close());
}

void pxi_default(void)
{
    port_default();
    analog_default();
    avalon_default();
}

int pxi_open_CB(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT) pxi_open();
    return 0;
}

int pxi_close_CB(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT) pxi_close();
    return 0;
}

int pxi_default_CB(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT) pxi_default();
    return 0;
}

// The panel file binds callbacks by these names.
void korvane_register_callbacks(void)
{
    uir::RegisterCallback("panelCB", panelCB);
#define CTRL_CB(name) uir::RegisterCallback(#name, name)
    CTRL_CB(pxi_open_CB);
    CTRL_CB(pxi_close_CB);
    CTRL_CB(pxi_default_CB);
    CTRL_CB(write_cb);
    CTRL_CB(mask_cb);
    CTRL_CB(port_timer_CB);
    CTRL_CB(port_default_cb);
    CTRL_CB(port_mode_input_cb);
    CTRL_CB(port_mode_output_cb);
    CTRL_CB(avalon_init_cb);
    CTRL_CB(avalon_deinit_cb);
    CTRL_CB(a_write_cb);
    CTRL_CB(a_read_cb);
    CTRL_CB(avalon_dac_control_cb);
    CTRL_CB(avalon_vout1_cb);
    CTRL_CB(avalon_vout2_cb);
    CTRL_CB(avalon_vout1_code_cb);
    CTRL_CB(avalon_vout2_code_cb);
    CTRL_CB(set_i_cb);
    CTRL_CB(i_ack_cb);
    CTRL_CB(avalon_timer_cb);
    CTRL_CB(ai_timer_CB);
    CTRL_CB(ao0_CB);
    CTRL_CB(ao1_CB);
    CTRL_CB(ao0ao1_CB);
#undef CTRL_CB
}

static int64_t bench_now(void *) { return uir::now_ns(); }
static void bench_sleep(void *, int64_t ns) { uir::sleep_ns(ns); }

void korvane_share_bench_clock(void)
{
    const ksim::BackDoor *bench = ksim::bench();
    if (bench && uir::virtual_clock()) bench->attach_clock(nullptr, bench_now, bench_sleep);
}

#ifndef KORVANE_NO_MAIN

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
    std::string why = uir::last_failure();
    if (why.empty()) why = fallback;
    if (error_output.find(why) == std::string::npos) ErrorPrintf("%s\n", why.c_str());
    int status = uir::exit_status();
    return status != 0 ? status : 1;
}

std::string short_driver_name()
{
    const daqmx::LoaderInfo &info = daqmx::info();
    if (info.simulated) return "simulated bench";
    if (info.loaded && info.missing.empty()) return "NI-DAQmx";
    return "no DAQ driver";
}

}  // namespace

int main(int argc, char *argv[])
{
    korvane::Options opt;
    int rc = korvane::parse_options(argc, argv, opt, std::cout, std::cerr);
    if (rc != korvane::KEEP_GOING) return rc;

    daqmx::select(opt.daq);
    daqmx::load();
    std::string driver = daqmx::info().description();
    if (opt.version) {
        std::cout << "korvane " << KORVANE_VERSION << "\n" << driver << "\n";
        return 0;
    }

    // The run-time first: its clock (virtual in script mode) is the bench's,
    // and the trace and the VCD must start on that clock, not the real one.
    uir::Options ui;
    ui.panel_file = opt.panel;
    ui.script_file = opt.script;
    ui.screenshot_file = opt.screenshot;
    ui.toolkit_args = opt.toolkit_args;
    ui.title_suffix = short_driver_name();
    ui.banner = {std::string("korvane ") + KORVANE_VERSION, driver};
    uir::configure(ui);
    uir::add_panel_search_dir(KORVANE_PANEL_DIR);

    const ksim::BackDoor *bench = ksim::bench();
    if (!bench && (!opt.trace.empty() || !opt.vcd.empty())) {
        std::cerr << "korvane: " << (opt.vcd.empty() ? "--trace" : "--vcd")
                  << " needs the simulated bench (--daq sim), but the " << driver << "\n";
        return korvane::USAGE_ERROR;
    }
    if (bench) {
        korvane_share_bench_clock();
        if (!opt.trace.empty() && bench->trace_file(opt.trace.c_str()) != 0) {
            std::cerr << "korvane: cannot write the trace file " << opt.trace << "\n";
            return korvane::USAGE_ERROR;
        }
        if (!opt.vcd.empty() && bench->vcd_file(opt.vcd.c_str()) != 0) {
            std::cerr << "korvane: cannot write the VCD file " << opt.vcd << "\n";
            return korvane::USAGE_ERROR;
        }
    }

    int sink = uir::add_error_sink(remember_error_line);

    korvane_register_callbacks();
    korvane::register_bench_verbs();

    int status = 0;
    if (InitCVIRTE(0, argv, 0) == 0) {
        status = startup_failed("korvane: the user-interface run-time could not be started");
        DiscardPanel(panelHandle);
    } else if ((panelHandle = LoadPanel(0, "korvane.uir", PANEL)) < 0) {
        status = startup_failed(std::string("korvane: cannot load panel 1 of korvane.uir: ") +
                                GetUILErrorString(panelHandle));
        DiscardPanel(panelHandle);
    } else {
        pxi_draw_gui();
        int shown = DisplayPanel(panelHandle);
        if (shown < 0) {
            status = startup_failed(std::string("korvane: cannot show the main panel: ") + GetUILErrorString(shown));
        } else {
            int run = RunUserInterface();
            status = uir::exit_status();
            if (run < 0 && status == 0) {
                ErrorPrintf("korvane: the event loop failed: %s\n", GetUILErrorString(run));
                status = 1;
            }
        }
        DiscardPanel(panelHandle);
    }
    uir::remove_error_sink(sink);
    return status;
}

#endif
