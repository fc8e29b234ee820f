// The main panel's commands and the areas' callbacks on the headless run-time
// and the simulated bench: what scripts cannot reach (calls made directly,
// events other than the ones a control sends, values beyond a control's range).
#include "tests/app/panel/panel_fixture.h"
#include "base/error_output.h"

#include <cstdio>

namespace {

// As loaded and drawn: the operator controls of the areas dimmed, the timers
// off, the port line levels at the area's own -1; what the program never dims
// or undims (the link toggle, the bus fields, the indicators) usable.
TEST_F(Panel, StartState)
{
    for (int id : {PORT_TIMER, AI_TIMER, AVALON_TIMER}) EXPECT_FALSE(running(id)) << id;
    for (int id : {PORT_DEFAULT_BTN, PORT_MODE_INPUT_BTN, PORT_MODE_OUTPUT_BTN, PORT_OUT_0, PORT_OUT_1, PORT_OUT_2,
                   PORT_MASK_0, PORT_MASK_1, PORT_MASK_2, AO0_NUMERIC, AO1_NUMERIC, AV_DEINIT_BTN, AV_READ_BTN,
                   AV_WRITE_BTN, DAC_CTRL_BIT1, DAC_CTRL_BIT0, DAC_CTRL_BIT2, DAC_VOUT1, DAC_VOUT2, AV_I_ACK_BTN,
                   AV_SET_I_BTN, AV_INIT_BTN, DAC_VOUT1_CODE, DAC_VOUT2_CODE, OPEN_ONLY_CTRL})
        EXPECT_TRUE(dimmed(id)) << id;
    for (int id : {OPEN_BTN, DEFAULT_BTN, AO_LINK_TOGGLE, PORT_IN_0, PORT_IN_1, PORT_IN_2, AV_WRITE_SLAVE,
                   AV_WRITE_ADDR, AV_WRITE_DATA, AV_READ_SLAVE, AV_READ_ADDR, AV_READ_DATA, ADC_VIN1, ADC_VIN2,
                   ADC_VIN1_CODE, ADC_VIN2_CODE})
        EXPECT_FALSE(dimmed(id)) << id;
    for (int id : {PORT_IN_0, PORT_IN_1, PORT_IN_2}) EXPECT_EQ(value(id), -1) << id;
    for (int id : {AO0_NUMERIC, AO1_NUMERIC, ADC_VIN1, ADC_VIN2}) EXPECT_TRUE(std::isnan(value(id))) << id;
    EXPECT_EQ(pxi_opened, 0);
    EXPECT_EQ(bench->live_tasks(), 0);
}

// The status line in virtual time: the polling's driver calls per second, and
// the failures of a channel that fails every read (counted where every call passes).
TEST_F(Panel, StatusLineCountsTheDriverCallsOfTheLastSecond)
{
    ui::model::press(panelHandle, OPEN_BTN);
    bench->fault("DAQmxReadAnalogF64", nullptr, -200284, 1, 1);  // every analog read fails from now on
    long before = calls();
    ui::model::advance(3000000000);
    const double per_s = static_cast<double>(calls() - before) / 3;
    std::string line = ui::model::status_line();
    ASSERT_EQ(line.rfind("SIMULATED BENCH  \u00b7  hardware open  \u00b7  ", 0), 0u) << line;
    double shown = 0, failed = 0;
    ASSERT_EQ(std::sscanf(line.c_str() + line.rfind("\u00b7") + 4, "%lf driver calls/s, %lf failed/s", &shown, &failed), 2) << line;
    EXPECT_NEAR(shown, per_s, per_s * 0.15);
    EXPECT_NEAR(failed, 40, 8);  // eight channels, five ticks a second
    ui::model::press(panelHandle, CLOSE_BTN);
    ui::model::advance(2000000000);
    line = ui::model::status_line();
    EXPECT_EQ(line.rfind("SIMULATED BENCH  \u00b7  hardware closed  \u00b7  ", 0), 0u) << line;
    EXPECT_NE(line.find(", 0 failed/s"), std::string::npos) << line;
}

// A device the driver does not have: the hint follows the first report of
// each Open, and only that one.
TEST_F(Panel, TheMissingDeviceHintComesOncePerOpen)
{
    ASSERT_EQ(bench->set_device("Dev1", nullptr), 0);
    auto hints = [](std::uint64_t since) {
        int n = 0;
        for (const std::string &l : base::error_log_since(since))
            if (l.rfind("no device PXI1Slot2; the driver has: Dev1 (PXI-6251, chassis 1 slot 2): rename it PXI1Slot2 "
                        "in NI MAX", 0) == 0)
                n++;
        return n;
    };
    const std::uint64_t start = base::error_log_count();
    pxi_open();
    ui::model::advance(1000000000);  // ten port ticks, five analog ones: all fail
    EXPECT_EQ(hints(start), 1);
    const std::vector<std::string> log = base::error_log_since(start);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0].rfind("Error = -200220, Device identifier is invalid.", 0), 0u) << log[0];
    EXPECT_EQ(log[1].rfind("no device PXI1Slot2", 0), 0u) << "the hint comes right after the first report";
    pxi_close();
    const std::uint64_t reopened = base::error_log_count();
    pxi_open();
    ui::model::advance(300000000);
    EXPECT_EQ(hints(reopened), 1);
    pxi_close();
}

TEST_F(Panel, CloseBeforeOpenAndCloseTwiceDoNothing)
{
    int ai0 = ui::model::find_control(panelHandle, "AI0");
    SetCtrlVal(panelHandle, ai0, 1.0);  // a close step would show NaN here
    long before = calls();
    pxi_close();
    EXPECT_EQ(calls(), before);
    EXPECT_EQ(value(ai0), 1.0);
    EXPECT_TRUE(dimmed(OPEN_ONLY_CTRL));

    pxi_open();
    pxi_close();
    // The library is not closed again: tasks made after the first Close stay.
    pxi_default();
    int live = bench->live_tasks();
    ASSERT_GT(live, 0);
    SetCtrlVal(panelHandle, ai0, 1.0);
    pxi_close();
    EXPECT_EQ(bench->live_tasks(), live);
    EXPECT_EQ(value(ai0), 1.0);
    EXPECT_EQ(pxi_opened, 0);
}

TEST_F(Panel, OpenTwiceRunsTheOpenStepsOnce)
{
    pxi_open();
    EXPECT_EQ(pxi_opened, 1);
    EXPECT_FALSE(dimmed(OPEN_ONLY_CTRL));
    SetCtrlVal(panelHandle, PORT_MASK_0, 0x0F);
    SetCtrlVal(panelHandle, AO0_NUMERIC, 1.0);
    long before = calls();
    pxi_open();
    EXPECT_EQ(calls(), before);
    EXPECT_EQ(value(PORT_MASK_0), 0x0F);
    EXPECT_EQ(value(AO0_NUMERIC), 1.0);
}

TEST_F(Panel, AreasSeeTheOpenFlagAlreadySet)
{
    // The analog open step undims the outputs only when it sees the flag.
    SetCtrlVal(panelHandle, AO_LINK_TOGGLE, 1);
    ao0ao1_CB(panelHandle, AO_LINK_TOGGLE, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_TRUE(dimmed(AO0_NUMERIC));  // still closed
    pxi_open();
    EXPECT_FALSE(dimmed(AO0_NUMERIC));
    EXPECT_TRUE(dimmed(AO1_NUMERIC));  // linked
    pxi_close();
    EXPECT_TRUE(dimmed(AO0_NUMERIC));
    EXPECT_TRUE(dimmed(AO1_NUMERIC));
}

TEST_F(Panel, OnlyTheCloseEventQuits)
{
    for (int event : {0, EVENT_COMMIT, 2, 3, EVENT_TIMER_TICK, EVENT_DISCARD, 99}) {
        EXPECT_EQ(panelCB(panelHandle, event, nullptr, 0, 0), 0);
        EXPECT_FALSE(ui::model::quit_requested()) << "event " << event;
    }
    EXPECT_EQ(panelCB(panelHandle, EVENT_CLOSE, nullptr, 0, 0), 0);
    EXPECT_TRUE(ui::model::quit_requested());
}

// Every callback of the panel file ignores the events it does not handle:
// no driver call, no value shown, no timer or dimming changed.
TEST_F(Panel, CallbacksIgnoreOtherEvents)
{
    pxi_open();
    auto before = ui::model::controls(panelHandle);
    long calls_before = calls();
    for (const ui::Control &c : before) {
        if (!c.callback) continue;
        for (int event : {0, 2, 3, EVENT_CLOSE, EVENT_DISCARD, 99, c.kind == ui::Kind::timer ? EVENT_COMMIT : EVENT_TIMER_TICK}) {
            EXPECT_EQ(c.callback(panelHandle, c.id, event, nullptr, 0, 0), 0);
        }
    }
    EXPECT_EQ(calls(), calls_before);
    auto after = ui::model::controls(panelHandle);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); i++) {
        SCOPED_TRACE(after[i].display_name());
        EXPECT_EQ(after[i].dimmed, before[i].dimmed);
        EXPECT_EQ(after[i].enabled, before[i].enabled);
        if (std::isnan(before[i].value()))
            EXPECT_TRUE(std::isnan(after[i].value()));
        else
            EXPECT_EQ(after[i].value(), before[i].value());
    }
    EXPECT_FALSE(ui::model::quit_requested());
}

TEST_F(Panel, FailedCloseIsReportedOnceAndTheAreasAreClosed)
{
    pxi_open();
    vekta_analogOut(0, 1.0);  // a task for the library to clear
    bench->fault("DAQmxClearTask", nullptr, -200088, 1, 0);
    pxi_close();
    EXPECT_EQ(error_lines(), 1);
    EXPECT_EQ(pxi_opened, 0);
    EXPECT_FALSE(running(PORT_TIMER));
    EXPECT_FALSE(running(AI_TIMER));
    EXPECT_TRUE(dimmed(PORT_MASK_0));
    EXPECT_TRUE(dimmed(OPEN_ONLY_CTRL));
}

TEST_F(Panel, PortValuesBeyondEightBitsAreShownAsEnteredAndCut)
{
    pxi_open();
    commit_raw(PORT_MASK_0, 300, mask_cb);  // 300 & 0xFF = 0x2C
    commit_raw(PORT_OUT_0, 0x1FF, write_cb);
    EXPECT_EQ(value(PORT_MASK_0), 300);
    EXPECT_EQ(value(PORT_OUT_0), 0x1FF);
    EXPECT_EQ(probe("port0"), 0x2C);  // output lines high, input lines pulled down
    EXPECT_EQ(error_lines(), 0);
}

TEST_F(Panel, FailedPortReadShowsNoLevelAndTheOtherPortsGoOn)
{
    pxi_open();
    commit_raw(PORT_MASK_1, 0xFF, mask_cb);
    commit_raw(PORT_OUT_1, 0x81, write_cb);
    commit_raw(PORT_MASK_0, 0, mask_cb);
    bench->fault("DAQmxReadDigitalU8", "port0R0", DAQmxErrorPALResourceReserved, 1, 0);
    port_timer_CB(panelHandle, PORT_TIMER, EVENT_TIMER_TICK, nullptr, 0, 0);
    EXPECT_EQ(error_lines(), 1);
    EXPECT_EQ(value(PORT_IN_0), -1);
    EXPECT_EQ(value(PORT_IN_1), 0x81);
    port_timer_CB(panelHandle, PORT_TIMER, EVENT_TIMER_TICK, nullptr, 0, 0);
    EXPECT_EQ(value(PORT_IN_0), 0);
    EXPECT_EQ(error_lines(), 1);
}

TEST_F(Panel, AvalonFieldsAreCutToTheBusWidths)
{
    pxi_open();
    avalon_init_cb(panelHandle, AV_INIT_BTN, EVENT_COMMIT, nullptr, 0, 0);  // sets the bus up
    SetCtrlVal(panelHandle, AV_WRITE_SLAVE, 256);  // slave 0
    SetCtrlVal(panelHandle, AV_WRITE_ADDR, 65536 + 0x55);
    SetCtrlVal(panelHandle, AV_WRITE_DATA, 65536 + 0x1234);
    a_write_cb(panelHandle, AV_WRITE_BTN, EVENT_COMMIT, nullptr, 0, 0);
    unsigned word = 0;
    ASSERT_EQ(bench->probe_reg(0, 0x55, &word), 0);
    EXPECT_EQ(word, 0x1234u);
    SetCtrlVal(panelHandle, AV_READ_SLAVE, 256);
    SetCtrlVal(panelHandle, AV_READ_ADDR, 65536 + 0x55);
    a_read_cb(panelHandle, AV_READ_BTN, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(value(AV_READ_DATA), 0x1234);
}

TEST_F(Panel, DacCodeIsCutToEightBitsAndReadBack)
{
    pxi_open();
    avalon_init_cb(panelHandle, AV_INIT_BTN, EVENT_COMMIT, nullptr, 0, 0);
    commit_raw(DAC_VOUT1_CODE, 200, avalon_vout1_code_cb);
    EXPECT_EQ(value(DAC_VOUT1_CODE), 200);
    commit_raw(DAC_VOUT1_CODE, 256, avalon_vout1_code_cb);
    EXPECT_EQ(value(DAC_VOUT1_CODE), 0);
    EXPECT_EQ(value(DAC_VOUT1), 0.0);
    // A voltage beyond full scale gives the top code.
    SetCtrlVal(panelHandle, DAC_VOUT2, 5.0);
    avalon_vout2_cb(panelHandle, DAC_VOUT2, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(value(DAC_VOUT2_CODE), 255);
    EXPECT_DOUBLE_EQ(value(DAC_VOUT2), 3.3);
    EXPECT_EQ(error_lines(), 0);
}

TEST_F(Panel, InputIndicatorsAreMadeInOneColumn)
{
    for (int i = 0; i < 8; i++) {
        std::string label = "AI" + std::to_string(i);
        int id = ui::model::find_control(panelHandle, label);
        ASSERT_GT(id, 0) << label;
        auto c = ui::model::control(panelHandle, id);
        EXPECT_EQ(c->left, 300);
        EXPECT_EQ(c->top, 100 + 60 * (7 - i));
        EXPECT_TRUE(c->indicator);
        EXPECT_EQ(c->digits, 6);
        EXPECT_TRUE(std::isnan(c->value()));
    }
}

}  // namespace
