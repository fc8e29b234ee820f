// Digital port area: direction mask, output value and input value of the
// DAQ module's three 8-line ports. The area shows its own copy of what it
// last set or read; it never asks the library for the current values.
#include "app/panel/korvane_main.h"
#include "base/error_output.h"
#include "ui/model.h"
#include "ui/userint.h"
#include "vekta/vekta.h"
#include "vekta/vekta_report.h"

// Per port: last mask and output value set here (-1: not set since Open),
// and the last value read by the timer (-1: none, or the read failed).
static int port_mask[PORT_SIZE] = {-1, -1, -1};
static int port_out[PORT_SIZE] = {-1, -1, -1};
static int port_in[PORT_SIZE] = {-1, -1, -1};

static const int out_ctrl[PORT_SIZE] = {PORT_OUT_0, PORT_OUT_1, PORT_OUT_2};
static const int in_ctrl[PORT_SIZE] = {PORT_IN_0, PORT_IN_1, PORT_IN_2};
static const int mask_ctrl[PORT_SIZE] = {PORT_MASK_0, PORT_MASK_1, PORT_MASK_2};

// Port 2 lines 1 and 2 are the bus's read and write strobes, both active low:
// outputs that read back low together make the board see a read and a write at
// once (a mask set while the output field is still unset, say). The operator
// is told once each time it begins; what the lines do stays as set.
static const int kStrobeLines = 6;
static bool strobes_clash = false;

static void port_watch_strobes(void)
{
    const int mask = port_mask[2], level = port_in[2];
    const bool clash = mask >= 0 && (mask & kStrobeLines) == kStrobeLines && level >= 0 && (level & kStrobeLines) == 0;
    if (clash && !strobes_clash)
        base::error_line("korvane: RD# and WR# both active on port 2 (lines 1 and 2 outputs, both low): "
                         "write 6 to its output first, or press Mode out");
    strobes_clash = clash;
}

// The buttons and operator controls that follow the hardware state, in the
// order they are undimmed and dimmed.
static const int area_ctrl[] = {PORT_DEFAULT_BTN, PORT_MODE_OUTPUT_BTN, PORT_MODE_INPUT_BTN,
                                PORT_OUT_0,       PORT_OUT_1,           PORT_OUT_2,
                                PORT_MASK_0,      PORT_MASK_1,          PORT_MASK_2};

static void port_update_gui_val(void)
{
    for (int p = 0; p < PORT_SIZE; p++) SetCtrlVal(panelHandle, out_ctrl[p], port_out[p]);
    for (int p = 0; p < PORT_SIZE; p++) SetCtrlVal(panelHandle, in_ctrl[p], port_in[p]);
    for (int p = 0; p < PORT_SIZE; p++) SetCtrlVal(panelHandle, mask_ctrl[p], port_mask[p]);
}

// Port number of a control of the given table, -1 if it is none of them.
static int port_of(const int table[PORT_SIZE], int control)
{
    for (int p = 0; p < PORT_SIZE; p++)
        if (table[p] == control) return p;
    return -1;
}

void port_draw_gui(void)
{
    // The controls keep the panel file's state until the first Open.
}

void port_open(void)
{
    SetCtrlAttribute(panelHandle, PORT_TIMER, ATTR_ENABLED, 1);
    for (int ctrl : area_ctrl) SetCtrlAttribute(panelHandle, ctrl, ATTR_DIMMED, 0);
    for (int p = 0; p < PORT_SIZE; p++) {
        port_mask[p] = -1;
        port_out[p] = -1;
    }
    strobes_clash = false;
    // What the lamps show until the first tick was not read since this Open.
    for (int p = 0; p < PORT_SIZE; p++) ui::model::hint_read(panelHandle, in_ctrl[p], false);
    port_update_gui_val();
}

void port_close(void)
{
    SetCtrlAttribute(panelHandle, PORT_TIMER, ATTR_ENABLED, 0);
    for (int ctrl : area_ctrl) SetCtrlAttribute(panelHandle, ctrl, ATTR_DIMMED, 1);
}

void port_default(void)
{
    for (int p = 0; p < PORT_SIZE; p++) {
        port_mask[p] = 0;
        port_out[p] = 0;
        vekta_report(vekta_portMask(p, 0));
        vekta_report(vekta_portOut(p, 0));
    }
    port_update_gui_val();
}

int mask_cb(int panel, int control, int event, void *, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int p = port_of(mask_ctrl, control);
    if (p < 0) return 0;
    int value = 0;
    GetCtrlVal(panel, control, &value);
    port_mask[p] = value;
    vekta_report(vekta_portMask(p, static_cast<unsigned char>(value & 0xFF)));
    return 0;
}

int write_cb(int panel, int control, int event, void *, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int p = port_of(out_ctrl, control);
    if (p < 0) return 0;
    int value = 0;
    GetCtrlVal(panel, control, &value);
    port_out[p] = value;
    vekta_report(vekta_portOut(p, static_cast<unsigned char>(value & 0xFF)));
    return 0;
}

int port_timer_CB(int, int, int event, void *, int, int)
{
    if (event != EVENT_TIMER_TICK) return 0;
    for (int p = 0; p < PORT_SIZE; p++) {
        unsigned char byte = 0;
        int status = vekta_portIn(p, &byte);
        vekta_report(status);
        // A failed read gives no level: show -1 rather than a stale byte.
        port_in[p] = status < 0 ? -1 : byte;
    }
    // Only the indicators. A port with no configuration (not set up here nor by
    // the bus master) gives 0 without being read: the view greys its lamps.
    for (int p = 0; p < PORT_SIZE; p++) {
        ui::model::hint_read(panelHandle, in_ctrl[p], vekta_portReadsLines(p) != 0);
        SetCtrlVal(panelHandle, in_ctrl[p], port_in[p]);
    }
    port_watch_strobes();
    return 0;
}

// The bus's idle control byte on port 2: address strobe low, the read and
// write strobes (active low) inactive.
static const int kBusIdle = 6;

// Mode input and Mode output: ports 0 and 1 all inputs or all outputs, port 2
// lines 0 to 2 outputs (the bus strobes), left idle. (1 here would raise the
// address strobe with both active-low strobes active at once, a state the bus
// master never drives and on which a board may write into the last address.)
static void port_mode(int data_mask)
{
    port_mask[0] = data_mask;
    port_mask[1] = data_mask;
    port_mask[2] = 7;
    for (int p = 0; p < PORT_SIZE; p++)
        vekta_report(vekta_portMask(p, static_cast<unsigned char>(port_mask[p] & 0xFF)));
    port_out[2] = kBusIdle;
    vekta_report(vekta_portOut(2, kBusIdle));
    port_update_gui_val();
}

int port_mode_input_cb(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT) port_mode(0);
    return 0;
}

int port_mode_output_cb(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT) port_mode(255);
    return 0;
}

int port_default_cb(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT) port_default();
    return 0;
}
