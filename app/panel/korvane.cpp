// korvane: the main panel's lifecycle and the Open, Close and Default commands
// that act on the three areas of the panel (the program's entry is main.cpp).
#include "app/panel/korvane_main.h"

#include <cstdint>
#include <string>

#include "driver/daqmx_import.h"
#include "ui/model.h"
#include "ui/userint.h"
#include "vekta/vekta.h"
#include "vekta/vekta_report.h"

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

// A panel file given with --panel may lack a control korvane works on, or
// give it another kind: the first such is named.
std::string korvane_check_panel(int panel)
{
    auto p = ui::model::panel(panel);
    if (!p) return "korvane: the main panel is not loaded";
    for (const ui::UsedControl &u : korvane_used_controls()) {
        const ui::Control *c = p->find(u.id);
        std::string what = "control " + std::to_string(u.id) + " (" + u.name + ")";
        if (!c)
            return "korvane: " + p->file + " lacks " + what + ", a " + ui::kind_name(u.kind) + " that korvane uses";
        if (c->kind != u.kind)
            return "korvane: " + p->file + ": " + what + " is a " + ui::kind_name(c->kind) + ", korvane uses it as a " +
                   ui::kind_name(u.kind);
    }
    return "";
}

std::string korvane_driver_name(void)
{
    const driver::LoaderInfo &info = driver::info();
    if (info.simulated) return "simulated bench";
    if (info.loaded) return info.missing.empty() ? "NI-DAQmx" : "incomplete driver";
    return "no driver";
}

// The mark of a driver that is not the hardware, where the operator looks:
// "SIMULATED BENCH", "NO DRIVER", or "" for NI-DAQmx.
static std::string driver_mark(void)
{
    const driver::LoaderInfo &info = driver::info();
    if (info.simulated) return "SIMULATED BENCH";
    return info.loaded ? "" : "NO DRIVER";
}

void korvane_mark_driver(int panel)
{
    const std::string mark = driver_mark();
    char title[256];
    // A panel file without the frame keeps only the status line's mark.
    if (mark.empty() || GetCtrlAttribute(panel, COMMAND_FRAME, ATTR_LABEL_TEXT, title, sizeof title) < 0) return;
    SetCtrlAttribute(panel, COMMAND_FRAME, ATTR_LABEL_TEXT, (std::string(title) + " \u2014 " + mark).c_str());
}

void korvane_share_status(void)
{
    ui::set_status_source([] {
        driver::CallCounts n = driver::call_counts();
        const std::string mark = driver::info().simulated ? driver_mark() : korvane_driver_name();
        return ui::StatusFacts{mark, pxi_opened != 0, n.calls, n.failed};
    });
}
