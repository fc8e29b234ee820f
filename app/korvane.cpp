// korvane: the main panel's lifecycle and the Open, Close and Default commands
// that act on the three areas of the panel (the program's entry is main.cpp).
#include "korvane.h"

#include <cstdint>
#include <string>

#include "ksim_client.h"
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

static int64_t bench_now(void *) { return uir::now_ns(); }
static void bench_sleep(void *, int64_t ns) { uir::sleep_ns(ns); }

void korvane_share_bench_clock(void)
{
    const ksim::BackDoor *bench = ksim::bench();
    if (bench && uir::virtual_clock()) bench->attach_clock(nullptr, bench_now, bench_sleep);
}
