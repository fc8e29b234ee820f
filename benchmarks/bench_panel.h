// korvane's panel loaded on the headless run-time over a freshly reset
// simulated bench: the common start of the benchmarks that play the panel.
#pragma once

#include <string>

#include "app/panel/korvane_main.h"
#include "sim/device/ksim_client.h"
#include "app/simlink/simlink.h"
#include "ui/model.h"
#include "ui/userint.h"
#include "vekta/vekta_testing.h"

// script: the script file the run-time plays (or a name, when the benchmark
// calls the panel itself); trace and vcd: output files, "" for none. Returns
// the bench, or nullptr when a step failed.
inline const sim::BackDoor *load_korvane_panel(const char *script, const std::string &trace = "",
                                                 const std::string &vcd = "")
{
    ui::model::reset();
    driver::select("sim");
    const sim::BackDoor *bench = sim::bench();
    if (!bench) return nullptr;
    bench->reset();
    vekta_resetState();
    ui::Options opts;
    opts.script_file = script;
    ui::configure(opts);
    app::simlink::share_clock();
    if (!app::simlink::open_outputs(trace, vcd).empty()) return nullptr;
    ui::add_panel_search_dir(KORVANE_APP_DIR);
    korvane_register_callbacks();
    app::simlink::register_verbs();
    static char arg0[] = "korvane";
    static char *argv[] = {arg0, nullptr};
    if (!InitCVIRTE(nullptr, argv, nullptr)) return nullptr;
    panelHandle = LoadPanel(0, "korvane.uir", PANEL);
    if (panelHandle <= 0) return nullptr;
    pxi_draw_gui();
    DisplayPanel(panelHandle);
    return bench;
}
