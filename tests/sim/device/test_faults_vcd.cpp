// What the bench shows and does on request: the VCD, and injected faults.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "tests/sim/device/bench_fixture.h"

namespace {

using FaultVcdTest = BenchTest;

std::string slurp(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Per process, so that two builds' test runs at once do not share files.
std::string temp_path(const char *name)
{
    return ::testing::TempDir() + std::to_string(::getpid()) + "_" + name;
}

TEST_F(FaultVcdTest, FaultOnTheNthCallOnce)
{
    TaskHandle w = do_task("port0W255", "PXI1Slot2/port0");
    ASSERT_EQ(bench.fault("DAQmxWriteDigitalU8", nullptr, -200587, 2, 0), 0);
    EXPECT_EQ(write(w, 1), 0);
    EXPECT_EQ(write(w, 2), -200587);
    EXPECT_EQ(port(0), 1u) << "the failing call had no effect";
    EXPECT_EQ(write(w, 3), 0);
    EXPECT_EQ(port(0), 3u);
}

TEST_F(FaultVcdTest, FaultAlwaysOnOneTaskUntilCleared)
{
    TaskHandle a = do_task("port0W255", "PXI1Slot2/port0");
    TaskHandle b = do_task("port1W255", "PXI1Slot2/port1");
    ASSERT_EQ(bench.fault("*", "port1W255", -200022, 1, 1), 0);
    EXPECT_EQ(write(a, 1), 0);
    EXPECT_EQ(write(b, 1), -200022);
    EXPECT_EQ(bench.StopTask(b), -200022);
    EXPECT_EQ(bench.ClearTask(b), -200022);
    EXPECT_EQ(bench.live_tasks(), 2) << "a refused clear clears nothing";
    char buf[128];
    EXPECT_EQ(bench.GetErrorString(-200022, buf, sizeof buf), 0) << "error texts stay available";
    bench.fault_clear();
    EXPECT_EQ(bench.ClearTask(b), 0);
    EXPECT_EQ(bench.live_tasks(), 1);
}

// An injected "invalid task" means what the driver's does: the handle names no
// task any more, so the bench never counts it as live.
TEST_F(FaultVcdTest, InjectedInvalidTaskEndsTheTask)
{
    TaskHandle w = do_task("port0W255", "PXI1Slot2/port0");
    TaskHandle i = ai_task("analog0I", "PXI1Slot2/ai0");
    ASSERT_EQ(bench.CfgSampClkTiming(i, "", 1000.0, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 1000), 0);
    ASSERT_EQ(bench.StartTask(i), 0);
    ASSERT_EQ(write(w, 0x5A), 0);
    ASSERT_EQ(bench.fault("DAQmxClearTask", nullptr, DAQmxErrorInvalidTask, 1, 0), 0);
    ASSERT_EQ(bench.fault("DAQmxReadAnalogF64", nullptr, DAQmxErrorInvalidTask, 1, 0), 0);
    EXPECT_EQ(bench.ClearTask(w), DAQmxErrorInvalidTask);
    double v[4];
    EXPECT_EQ(bench.ReadAnalogF64(i, 4, 1.0, 0, v, 4, nullptr, nullptr), DAQmxErrorInvalidTask);
    EXPECT_EQ(bench.live_tasks(), 0);
    EXPECT_EQ(bench.StopTask(i), DAQmxErrorInvalidTask) << "the handle is gone for good";
    EXPECT_EQ(port(0), 0x5Au) << "lines keep their level, as after a clear";
    // The ADC is free again and the names may be used anew.
    TaskHandle again = ai_task("analog0I", "PXI1Slot2/ai0");
    EXPECT_EQ(bench.StartTask(again), 0);
    // Any other injected code, or a call naming no live task, ends nothing.
    ASSERT_EQ(bench.fault("DAQmxStopTask", nullptr, DAQmxErrorPALResourceReserved, 1, 0), 0);
    EXPECT_EQ(bench.StopTask(again), DAQmxErrorPALResourceReserved);
    ASSERT_EQ(bench.fault("DAQmxCreateTask", nullptr, DAQmxErrorInvalidTask, 1, 0), 0);
    TaskHandle h = nullptr;
    EXPECT_EQ(bench.CreateTask("analog0I", &h), DAQmxErrorInvalidTask);
    EXPECT_EQ(bench.live_tasks(), 1);
}

TEST_F(FaultVcdTest, FaultOnCreateMatchesTheNewName)
{
    ASSERT_EQ(bench.fault("DAQmxCreateTask", "port2R7", -200089, 1, 0), 0);
    TaskHandle h = nullptr;
    EXPECT_EQ(bench.CreateTask("port2W7", &h), 0);
    EXPECT_EQ(bench.CreateTask("port2R7", &h), -200089);
    EXPECT_EQ(bench.live_tasks(), 1);
    EXPECT_EQ(bench.CreateTask("port2R7", &h), 0);
    EXPECT_EQ(bench.fault(nullptr, nullptr, -1, 1, 0), -1);
    EXPECT_EQ(bench.fault("DAQmxStartTask", nullptr, -1, 0, 0), -1);
    EXPECT_EQ(bench.fault("DAQmxStartTask", nullptr, 0, 1, 0), -1);
    // Nothing is armed that could never fire, or that would fail with a success.
    EXPECT_EQ(bench.fault("DAQmxWriteDigital", nullptr, -200587, 1, 1), -1) << "not a driver function";
    EXPECT_EQ(bench.fault("daqmxstarttask", nullptr, -200587, 1, 1), -1);
    EXPECT_EQ(bench.fault("DAQmxStartTask", nullptr, 200000, 1, 1), -1) << "a warning is no failure";
    EXPECT_EQ(bench.CreateTask("port0R0", &h), 0);
}

TEST_F(FaultVcdTest, DriverCallsAndResetClearCounters)
{
    TaskHandle w = do_task("port0W255", "PXI1Slot2/port0");
    write(w, 1);
    EXPECT_EQ(bench.driver_calls(), 3);
    bench.fault("*", nullptr, -1, 1, 1);
    bench.reset();
    EXPECT_EQ(bench.driver_calls(), 0);
    EXPECT_EQ(bench.live_tasks(), 0);
    task("x");  // faults are gone too
}

TEST_F(FaultVcdTest, VcdRecordsLinesAndTheDecodedBus)
{
    const std::string path = temp_path("ksim.vcd");
    ASSERT_EQ(bench.vcd_file(path.c_str()), 0);
    TaskHandle p0 = do_task("port0W255", "PXI1Slot2/port0");
    TaskHandle ctl = do_task("port2W7", "PXI1Slot2/port2/line0:2");
    write(p0, 0x8A);
    write(ctl, 7);
    write(ctl, 6);
    ASSERT_EQ(bench.vcd_file(nullptr), 0);
    const std::string vcd = slurp(path);
    std::remove(path.c_str());
    EXPECT_NE(vcd.find("$timescale 1ns $end"), std::string::npos);
    EXPECT_NE(vcd.find("$var wire 1 a port0_line0 $end"), std::string::npos);
    EXPECT_NE(vcd.find("$var wire 16 L address_word $end"), std::string::npos);
    EXPECT_NE(vcd.find("$enddefinitions $end"), std::string::npos);
    EXPECT_NE(vcd.find("b0000000010001010 L"), std::string::npos) << "the address word latched";
    EXPECT_NE(vcd.find("b010 S"), std::string::npos) << "slave 2";
    EXPECT_NE(vcd.find("b0000000010001 G"), std::string::npos) << "register 0x11";
    // Time stamps rise.
    long long last = -1;
    std::istringstream in(vcd);
    for (std::string l; std::getline(in, l);) {
        if (l.size() > 1 && l[0] == '#') {
            long long t = std::stoll(l.substr(1));
            EXPECT_GT(t, last);
            last = t;
        }
    }
    EXPECT_GT(last, 0);
}

TEST_F(FaultVcdTest, VcdTimeRunsOnAcrossAClockSwitch)
{
    const std::string path = temp_path("ksim_switch.vcd");
    ASSERT_EQ(bench.vcd_file(path.c_str()), 0);
    TaskHandle p0 = do_task("port0W255", "PXI1Slot2/port0");
    write(p0, 0x01);
    clock->sleep_ns(1'000'000'000);
    bench.set_clock(std::make_shared<sim::VirtualClock>());  // back to 0
    write(p0, 0x02);
    ASSERT_EQ(bench.vcd_file(nullptr), 0);
    const std::string vcd = slurp(path);
    std::remove(path.c_str());
    // The second change has a time of its own, after the first and the second that passed.
    const size_t second = vcd.find("1b\n");
    ASSERT_NE(second, std::string::npos) << vcd;
    const size_t stamp = vcd.rfind('#', second);
    ASSERT_NE(stamp, std::string::npos);
    EXPECT_GT(std::stoll(vcd.substr(stamp + 1)), 1'000'000'000) << vcd;
}

}  // namespace
