// korvane: the main panel's lifecycle and the Open, Close and Default commands
// that act on the three areas of the panel (the program's entry is main.cpp).
#include "korvane.h"

#include <cstdint>
#include <string>

#include "daqmx_import.h"
#include "uir_core.h"
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

// Every control the program works on, with the kind it must have; the
// frames and the chart are only drawn. A panel file given with --panel may lack one.
namespace {
struct UsedControl {
    int id;
    const char *name;
    uir::Kind kind;
};
#define USED(name, kind) {name, #name, uir::Kind::kind}
const UsedControl kUsedControls[] = {
    USED(OPEN_BTN, button),          USED(DEFAULT_BTN, button),         USED(CLOSE_BTN, button),
    USED(PORT_MASK_0, numeric_int),  USED(PORT_MASK_1, numeric_int),    USED(PORT_MASK_2, numeric_int),
    USED(PORT_OUT_0, numeric_int),   USED(PORT_OUT_1, numeric_int),     USED(PORT_OUT_2, numeric_int),
    USED(PORT_IN_0, numeric_int),    USED(PORT_IN_1, numeric_int),      USED(PORT_IN_2, numeric_int),
    USED(PORT_TIMER, timer),         USED(PORT_DEFAULT_BTN, button),    USED(PORT_MODE_INPUT_BTN, button),
    USED(PORT_MODE_OUTPUT_BTN, button),
    USED(AO0_NUMERIC, numeric_double), USED(AO1_NUMERIC, numeric_double), USED(AO_LINK_TOGGLE, toggle),
    USED(AI_TIMER, timer),
    USED(AV_WRITE_SLAVE, numeric_int), USED(AV_WRITE_ADDR, numeric_int), USED(AV_WRITE_DATA, numeric_int),
    USED(AV_WRITE_BTN, button),      USED(AV_READ_SLAVE, numeric_int),  USED(AV_READ_ADDR, numeric_int),
    USED(AV_READ_DATA, numeric_int), USED(AV_READ_BTN, button),
    USED(DAC_CTRL_BIT0, toggle),     USED(DAC_CTRL_BIT1, toggle),       USED(DAC_CTRL_BIT2, toggle),
    USED(DAC_VOUT1_CODE, numeric_int), USED(DAC_VOUT1, numeric_double), USED(DAC_VOUT2_CODE, numeric_int),
    USED(DAC_VOUT2, numeric_double), USED(AV_INIT_BTN, button),         USED(AV_DEINIT_BTN, button),
    USED(ADC_VIN1_CODE, numeric_int), USED(ADC_VIN1, numeric_double),   USED(ADC_VIN2_CODE, numeric_int),
    USED(ADC_VIN2, numeric_double),  USED(AV_SET_I_BTN, button),        USED(AV_I_ACK_BTN, button),
    USED(AVALON_TIMER, timer),
};
#undef USED
}  // namespace

std::string korvane_check_panel(int panel)
{
    auto p = uir::model::panel(panel);
    if (!p) return "korvane: the main panel is not loaded";
    for (const UsedControl &u : kUsedControls) {
        const uir::Control *c = p->find(u.id);
        std::string what = "control " + std::to_string(u.id) + " (" + u.name + ")";
        if (!c)
            return "korvane: " + p->file + " lacks " + what + ", a " + uir::kind_name(u.kind) + " that korvane uses";
        if (c->kind != u.kind)
            return "korvane: " + p->file + ": " + what + " is a " + uir::kind_name(c->kind) + ", korvane uses it as a " +
                   uir::kind_name(u.kind);
    }
    return "";
}

std::string korvane_driver_name(void)
{
    const daqmx::LoaderInfo &info = daqmx::info();
    if (info.simulated) return "simulated bench";
    if (info.loaded) return info.missing.empty() ? "NI-DAQmx" : "incomplete driver";
    return "no driver";
}

// The mark of a driver that is not the hardware, where the operator looks:
// "SIMULATED BENCH", "NO DRIVER", or "" for NI-DAQmx.
static std::string driver_mark(void)
{
    const daqmx::LoaderInfo &info = daqmx::info();
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
    uir::set_status_source([] {
        daqmx::CallCounts n = daqmx::call_counts();
        const std::string mark = daqmx::info().simulated ? driver_mark() : korvane_driver_name();
        return uir::StatusFacts{mark, pxi_opened != 0, n.calls, n.failed};
    });
}
