// Analog area: the eight analog inputs sampled on a timer while the hardware
// is open, and the two analog outputs set by the operator, output 1 either
// alone or linked to output 0.
#include <cstdio>

#include "app/panel/korvane_main.h"
#include "ui/userint.h"
#include "vekta/vekta.h"
#include "vekta/vekta_report.h"

// Value last taken for each output; NaN: none since start-up, Open or Close.
static double ao0 = 0.0;
static double ao1 = 0.0;
// Non-zero: output 1 follows output 0 (copy of the link toggle).
static int ao0ao1 = 0;
// Identifiers of the eight input indicators, in channel order.
static int aiCtrl[ANALOG_SIZEi] = {0};

// Column of the input indicators: AI7 at the top, AI0 at the bottom.
static const int AI_LEFT = 300;
static const int AI_TOP = 100;
static const int AI_PITCH = 60;

static void analog_update_gui(void)
{
    SetCtrlVal(panelHandle, AO0_NUMERIC, ao0);
    SetCtrlVal(panelHandle, AO1_NUMERIC, ao1);
    if (pxi_opened) {
        SetCtrlAttribute(panelHandle, AO0_NUMERIC, ATTR_DIMMED, 0);
        SetCtrlAttribute(panelHandle, AO1_NUMERIC, ATTR_DIMMED, ao0ao1 ? 1 : 0);
    } else {
        SetCtrlAttribute(panelHandle, AO0_NUMERIC, ATTR_DIMMED, 1);
        SetCtrlAttribute(panelHandle, AO1_NUMERIC, ATTR_DIMMED, 1);
    }
}

void analog_draw_gui(void)
{
    for (int i = 0; i < ANALOG_SIZEi; i++) {
        char label[16];
        snprintf(label, sizeof label, "AI%d", i);
        aiCtrl[i] = NewCtrl(panelHandle, CTRL_NUMERIC, label, AI_TOP + AI_PITCH * (ANALOG_SIZEi - 1 - i), AI_LEFT);
        SetCtrlAttribute(panelHandle, aiCtrl[i], ATTR_CTRL_MODE, VAL_INDICATOR);
        SetCtrlAttribute(panelHandle, aiCtrl[i], ATTR_PRECISION, 6);
        SetCtrlVal(panelHandle, aiCtrl[i], NotANumber());
    }
    ao0 = NotANumber();
    ao1 = NotANumber();
    analog_update_gui();
    GetCtrlVal(panelHandle, AO_LINK_TOGGLE, &ao0ao1);
    SetCtrlAttribute(panelHandle, AI_TIMER, ATTR_ENABLED, 0);
}

void analog_open(void)
{
    ao0 = NotANumber();
    ao1 = NotANumber();
    analog_update_gui();
    GetCtrlVal(panelHandle, AO_LINK_TOGGLE, &ao0ao1);
    SetCtrlAttribute(panelHandle, AI_TIMER, ATTR_ENABLED, 1);
}

void analog_close(void)
{
    // Stop the polling first: no tick may sample while the library releases its tasks.
    SetCtrlAttribute(panelHandle, AI_TIMER, ATTR_ENABLED, 0);
    for (int i = 0; i < ANALOG_SIZEi; i++) SetCtrlVal(panelHandle, aiCtrl[i], NotANumber());
    ao0 = NotANumber();
    ao1 = NotANumber();
    analog_update_gui();
}

void analog_default(void)
{
    ao0 = 0.0;
    vekta_report(vekta_analogOut(0, ao0));
    ao1 = 0.0;
    vekta_report(vekta_analogOut(1, ao1));
    analog_update_gui();
}

int ai_timer_CB(int panel, int, int event, void *, int, int)
{
    if (event != EVENT_TIMER_TICK) return 0;
    for (int i = 0; i < ANALOG_SIZEi; i++) {
        // A failed read leaves the NaN: no measurement is shown as none.
        double value = NotANumber();
        vekta_report(vekta_analogIn(i, &value));
        SetCtrlVal(panel, aiCtrl[i], value);
    }
    return 0;
}

int ao0_CB(int panel, int control, int event, void *, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    GetCtrlVal(panel, control, &ao0);
    vekta_report(vekta_analogOut(0, ao0));
    if (ao0ao1) {
        ao1 = ao0;
        vekta_report(vekta_analogOut(1, ao1));
    }
    analog_update_gui();
    return 0;
}

int ao1_CB(int panel, int control, int event, void *, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    GetCtrlVal(panel, control, &ao1);
    vekta_report(vekta_analogOut(1, ao1));
    analog_update_gui();
    return 0;
}

int ao0ao1_CB(int panel, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    GetCtrlVal(panel, AO_LINK_TOGGLE, &ao0ao1);
    analog_update_gui();
    return 0;
}
