// Avalon area: manual write and read cycles, the DAC behind slave 2 (control
// bits, codes and voltages) and the ADC behind slave 2 polled on a timer.
// The bus operations report their own failures; the area checks nothing,
// but a manual cycle that went through says so in the log pane.
#include <bit>
#include <cmath>
#include <cstdint>

#include "avalon/avalon.h"
#include "app/panel/korvane_main.h"
#include "avalon/korvane_board.h"
#include "base/error_output.h"
#include "ui/userint.h"

namespace kb = avalon::board;

// The slave of the DAC and the ADC.
static const unsigned char DAC_SLAVE = kb::kSlavePeripherals;

// The controls that follow the hardware state, in the order Open undims them.
static const int open_order[] = {AV_DEINIT_BTN, AV_READ_BTN,   AV_WRITE_BTN,  DAC_CTRL_BIT1, DAC_CTRL_BIT0,
                                 DAC_CTRL_BIT2, DAC_VOUT1,     DAC_VOUT2,     AV_I_ACK_BTN,  AV_SET_I_BTN,
                                 AV_INIT_BTN,   DAC_VOUT1_CODE, DAC_VOUT2_CODE};
// ... and the order Close dims them (Init last).
static const int close_order[] = {AV_DEINIT_BTN, AV_READ_BTN,  AV_WRITE_BTN,   DAC_CTRL_BIT1,  DAC_CTRL_BIT0,
                                  DAC_CTRL_BIT2, DAC_VOUT1,    DAC_VOUT2,      AV_I_ACK_BTN,   AV_SET_I_BTN,
                                  DAC_VOUT1_CODE, DAC_VOUT2_CODE, AV_INIT_BTN};

static void show_adc_nan(void)
{
    SetCtrlVal(panelHandle, ADC_VIN1, NotANumber());
    SetCtrlVal(panelHandle, ADC_VIN2, NotANumber());
}

void avalon_draw_gui(void)
{
    show_adc_nan();
}

// Whether the operator has been told, since Open, that the bus ports are not set up.
static int ports_hint_given = 0;

// After bus cycles: the first that wrote nothing to an unconfigured port
// since Open gets one note in the log pane (not an error report: the
// library's "nothing written" is no failure).
static void ports_hint(void)
{
    if (ports_hint_given || !avalonLastCycleUnsent()) return;
    ports_hint_given = 1;
    // A port without output lines keeps what it held: after Close and Open the
    // lines still show the levels driven before Close, not this cycle's.
    NotePrintf("The bus ports are not set up, so the bus cycle did not drive its lines: they keep the levels "
               "they had (after Close and Open, those from before Close). Press Init or Mode out first\n");
}

void avalon_open(void)
{
    ports_hint_given = 0;
    for (int ctrl : open_order) SetCtrlAttribute(panelHandle, ctrl, ATTR_DIMMED, 0);
    show_adc_nan();
}

void avalon_close(void)
{
    SetCtrlAttribute(panelHandle, AVALON_TIMER, ATTR_ENABLED, 0);
    for (int ctrl : close_order) SetCtrlAttribute(panelHandle, ctrl, ATTR_DIMMED, 1);
}

void avalon_default(void)
{
    // The bus has no default state of its own.
}

// Shows what the DAC's code registers hold, as codes and as volts.
static void DACreadBack(void)
{
    unsigned short code = 0;
    avalonRead(DAC_SLAVE, kb::reg::kDacCode0, &code);
    SetCtrlVal(panelHandle, DAC_VOUT1_CODE, static_cast<int>(code));
    SetCtrlVal(panelHandle, DAC_VOUT1, avalonDACcode2voltage(code));
    code = 0;
    avalonRead(DAC_SLAVE, kb::reg::kDacCode1, &code);
    SetCtrlVal(panelHandle, DAC_VOUT2_CODE, static_cast<int>(code));
    SetCtrlVal(panelHandle, DAC_VOUT2, avalonDACcode2voltage(code));
}

// After a manual cycle: one note with its slave, address and word when it drove
// the bus and no report came during it (reports_before: error_report_count()
// as it began). A failed or unsent cycle has its report or the hint instead.
static void note_cycle(const char *what, int slave, int address, int data, std::uint64_t reports_before)
{
    if (avalonLastCycleUnsent() || base::error_report_count() != reports_before) return;
    NotePrintf("%s slave %d, address 0x%04X: 0x%04X\n", what, slave, address, data);
}

int avalon_init_cb(int panel, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    avalonInit();
    unsigned short v = 0;
    avalonRead(DAC_SLAVE, kb::reg::kDacControl, &v);
    SetCtrlVal(panel, DAC_CTRL_BIT1, (v & kb::bit::kDacChannel1) ? 1 : 0);
    SetCtrlVal(panel, DAC_CTRL_BIT0, (v & kb::bit::kDacChannel0) ? 1 : 0);
    SetCtrlVal(panel, DAC_CTRL_BIT2, (v & kb::bit::kDacReference) ? 1 : 0);
    DACreadBack();
    avalonADCInit();
    ports_hint();
    SetCtrlAttribute(panelHandle, AVALON_TIMER, ATTR_ENABLED, 1);
    return 0;
}

int avalon_deinit_cb(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT) SetCtrlAttribute(panelHandle, AVALON_TIMER, ATTR_ENABLED, 0);
    return 0;
}

int a_write_cb(int panel, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int slave = 0, address = 0, data = 0;
    GetCtrlVal(panel, AV_WRITE_SLAVE, &slave);
    GetCtrlVal(panel, AV_WRITE_ADDR, &address);
    GetCtrlVal(panel, AV_WRITE_DATA, &data);
    slave &= 0xFF;
    address &= 0xFFFF;
    data &= 0xFFFF;
    const std::uint64_t reports = base::error_report_count();
    avalonWrite(static_cast<unsigned char>(slave), static_cast<unsigned short>(address),
                static_cast<unsigned short>(data));
    ports_hint();
    note_cycle("Write", slave, address, data, reports);
    return 0;
}

int a_read_cb(int panel, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int slave = 0, address = 0;
    GetCtrlVal(panel, AV_READ_SLAVE, &slave);
    GetCtrlVal(panel, AV_READ_ADDR, &address);
    slave &= 0xFF;
    address &= 0xFFFF;
    unsigned short data = 0;
    const std::uint64_t reports = base::error_report_count();
    avalonRead(static_cast<unsigned char>(slave), static_cast<unsigned short>(address), &data);
    SetCtrlVal(panel, AV_READ_DATA, static_cast<int>(data));
    ports_hint();
    note_cycle("Read", slave, address, data, reports);
    return 0;
}

int avalon_dac_control_cb(int panel, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int w = 0, value = 0;
    GetCtrlVal(panel, DAC_CTRL_BIT2, &value);
    w |= value << std::countr_zero(kb::bit::kDacReference);
    GetCtrlVal(panel, DAC_CTRL_BIT1, &value);
    w |= value << std::countr_zero(kb::bit::kDacChannel1);
    GetCtrlVal(panel, DAC_CTRL_BIT0, &value);
    w |= value << std::countr_zero(kb::bit::kDacChannel0);
    avalonWrite(DAC_SLAVE, kb::reg::kDacControl, static_cast<unsigned short>(w & 0xFFFF));
    ports_hint();
    return 0;
}

static void dac_voltage(int panel, int control, unsigned char channel)
{
    double volts = 0.0;
    GetCtrlVal(panel, control, &volts);
    avalonDACSetVoltage(channel, volts);
    DACreadBack();
    ports_hint();
}

int avalon_vout1_cb(int panel, int control, int event, void *, int, int)
{
    if (event == EVENT_COMMIT) dac_voltage(panel, control, 0);
    return 0;
}

int avalon_vout2_cb(int panel, int control, int event, void *, int, int)
{
    if (event == EVENT_COMMIT) dac_voltage(panel, control, 1);
    return 0;
}

static void dac_code(int panel, int control, unsigned char channel)
{
    int code = 0;
    GetCtrlVal(panel, control, &code);
    avalonDACSetCode(channel, static_cast<unsigned char>(code & 0xFF));
    DACreadBack();
    ports_hint();
}

int avalon_vout1_code_cb(int panel, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT) dac_code(panel, DAC_VOUT1_CODE, 0);
    return 0;
}

int avalon_vout2_code_cb(int panel, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT) dac_code(panel, DAC_VOUT2_CODE, 1);
    return 0;
}

int set_i_cb(int, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    avalonWrite(DAC_SLAVE, kb::reg::kAdcCommand, kb::bit::kAdcIrqSet);
    ports_hint();
    return 0;
}

int i_ack_cb(int, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    avalonWrite(DAC_SLAVE, kb::reg::kAdcCommand, kb::bit::kAdcIrqAck);
    ports_hint();
    return 0;
}

// Volts of an ADC code; a code the 12-bit converter cannot give (the bus
// master's mark of a conversion that never finished) has no voltage.
static double adc_volts(int code)
{
    if (code < 0 || code > kb::kAdcCodeMax) return NotANumber();
    return code * kb::kAdcVoltsPerCode;
}

int avalon_timer_cb(int panel, int, int event, void *, int, int)
{
    if (event != EVENT_TIMER_TICK) return 0;  // discard (16) and the rest: nothing to do
    int code = 0;
    avalonADCGetCodeByStart(0, &code);
    SetCtrlVal(panel, ADC_VIN1_CODE, code);
    SetCtrlVal(panel, ADC_VIN1, adc_volts(code));
    avalonADCGetCodeByStart(1, &code);
    SetCtrlVal(panel, ADC_VIN2_CODE, code);
    SetCtrlVal(panel, ADC_VIN2, adc_volts(code));
    ports_hint();
    return 0;
}
