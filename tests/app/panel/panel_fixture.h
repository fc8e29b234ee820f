// The main panel loaded on the headless run-time with the simulated bench
// behind the library, drawn as at start-up: the fixture of the panel tests.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/panel/korvane_main.h"
#include "sim/device/ksim_client.h"
#include "app/simlink/simlink.h"
#include "ui/model.h"
#include "ui/userint.h"
#include "vekta/vekta.h"
#include "vekta/vekta_testing.h"

namespace panel_fixture {

// A fresh bench and library, then the program's start-up up to the shown
// panel, with the given run-time options. Sets *bench; fails the test (fatal)
// on any step that does not succeed.
inline void start_panel(ui::Options opts, const sim::BackDoor **bench)
{
    ui::model::reset();
    driver::select("sim");
    *bench = sim::bench();
    ASSERT_NE(*bench, nullptr) << driver::info().description();
    (*bench)->reset();
    vekta_resetState();

    ui::configure(opts);
    app::simlink::share_clock();
    ui::add_panel_search_dir(KORVANE_APP_DIR);
    korvane_register_callbacks();
    korvane_share_status();
    static char arg0[] = "korvane_test";
    static char *argv[] = {arg0, nullptr};
    ASSERT_NE(InitCVIRTE(nullptr, argv, nullptr), 0) << ui::last_failure();
    panelHandle = LoadPanel(0, "korvane.uir", PANEL);
    ASSERT_GT(panelHandle, 0) << ui::last_failure();
    pxi_draw_gui();
    korvane_mark_driver(panelHandle);
    ASSERT_EQ(DisplayPanel(panelHandle), 0);
}

class Panel : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui::Options opts;
        opts.script_file = "panel_test";  // headless front end; the script is never played
        start_panel(opts, &bench);
    }

    void TearDown() override
    {
        if (bench) bench->fault_clear();
        if (panelHandle > 0) DiscardPanel(panelHandle);
        panelHandle = 0;
        ui::model::reset();
    }

    double value(int id) const { return ui::model::control(panelHandle, id)->value(); }
    double value(const std::string &name) const { return value(ui::model::find_control(panelHandle, name)); }
    bool dimmed(int id) const { return ui::model::control(panelHandle, id)->dimmed; }
    bool running(int id) const { return ui::model::control(panelHandle, id)->enabled; }
    long calls() const { return bench->driver_calls(); }
    double probe(const char *name) const
    {
        double v = NAN;
        EXPECT_EQ(bench->probe(name, &v), 0) << name;
        return v;
    }
    int error_lines() const
    {
        int n = 0;
        for (const std::string &line : ui::model::log_lines())
            if (line.find("Error = ") != std::string::npos) n++;
        return n;
    }
    // The operator enters a value the control's range would refuse: set it
    // as the program would, then send the commit.
    void commit_raw(int id, int v, CtrlCallbackPtr cb)
    {
        SetCtrlVal(panelHandle, id, v);
        cb(panelHandle, id, EVENT_COMMIT, nullptr, 0, 0);
    }

    const sim::BackDoor *bench = nullptr;
};

}  // namespace panel_fixture

using panel_fixture::Panel;
