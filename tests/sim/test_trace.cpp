// What the bench shows: trace lines, the trace file, the VCD, and injected faults.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "bench_fixture.h"

namespace {

using TraceTest = BenchTest;

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

TEST_F(TraceTest, AnalogCallLines)
{
    TaskHandle o = task("analog0o");
    ASSERT_EQ(bench.CreateAOVoltageChan(o, "PXI1Slot2/ao0", "", -10.0, 10.0, DAQmx_Val_Volts, ""), 0);
    ASSERT_EQ(bench.CfgSampClkTiming(o, "OnboardClock", 1000.0, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 10), 0);
    ASSERT_EQ(bench.DisableStartTrig(o), 0);
    const double wave[10] = {0, 0.5, 1, 1.5, 2, 2.5, 3, 3.5, 4, 4.5};
    int32 written = 0;
    ASSERT_EQ(bench.WriteAnalogF64(o, 10, 1, 10.0, 0, wave, &written, nullptr), 0);
    TaskHandle i = task("analog3I");
    ASSERT_EQ(bench.CreateAIVoltageChan(i, "PXI1Slot2/ai3", "", DAQmx_Val_RSE, -10.0, 10.0, DAQmx_Val_Volts, ""), 0);
    ASSERT_EQ(bench.CfgAnlgEdgeStartTrig(i, "APFI0", DAQmx_Val_RisingSlope, 1.5), 0);
    ASSERT_EQ(bench.DisableStartTrig(i), 0);
    double v = 7;
    ASSERT_EQ(bench.ReadAnalogF64(i, 1, 1.0, 0, &v, 1, nullptr, nullptr), 0);
    EXPECT_EQ(bench.ReadAnalogF64(nullptr, 1, 1.0, 0, &v, 1, nullptr, nullptr), DAQmxErrorInvalidTask);
    const std::vector<std::string> expect = {
        "DAQmxCreateTask(\"analog0o\", &) = 0",
        "DAQmxCreateAOVoltageChan(analog0o, \"PXI1Slot2/ao0\", \"\", -10, 10, 10348, \"\") = 0",
        "DAQmxCfgSampClkTiming(analog0o, \"OnboardClock\", 1000, 10280, 10123, 10) = 0",
        "DAQmxDisableStartTrig(analog0o) = 0",
        "DAQmxWriteAnalogF64(analog0o, 10, 1, 10, 0, {0,0.5,1,1.5,2,2.5,3,3.5,...}, &, NULL) = 0",
        "DAQmxCreateTask(\"analog3I\", &) = 0",
        "DAQmxCreateAIVoltageChan(analog3I, \"PXI1Slot2/ai3\", \"\", 10083, -10, 10, 10348, \"\") = 0",
        "DAQmxCfgAnlgEdgeStartTrig(analog3I, \"APFI0\", 10280, 1.5) = 0",
        "DAQmxDisableStartTrig(analog3I) = 0",
        "DAQmxReadAnalogF64(analog3I, 1, 1, 0, {0}, 1, NULL, NULL) = 0",
        "DAQmxReadAnalogF64(0, 1, 1, 0, {}, 1, NULL, NULL) = -200088",
    };
    auto got = lines();
    ASSERT_EQ(got.size(), expect.size());
    for (size_t k = 0; k < expect.size(); ++k) {
        if (k == 9) {
            // The value read carries noise; only its form is fixed.
            EXPECT_EQ(got[k].rfind("DAQmxReadAnalogF64(analog3I, 1, 1, 0, {", 0), 0u) << got[k];
            EXPECT_NE(got[k].find("}, 1, NULL, NULL) = 0"), std::string::npos) << got[k];
        } else {
            EXPECT_EQ(got[k], expect[k]);
        }
    }
}

TEST_F(TraceTest, ErrorTextCallsAndNullArguments)
{
    char buf[64];
    bench.GetErrorString(-200088, buf, sizeof buf);
    bench.GetErrorString(-200088, nullptr, 0);
    TaskHandle h = nullptr;
    bench.CreateTask(nullptr, &h);
    bench.CreateDOChan(h, nullptr, nullptr, 1);
    uInt8 two[2] = {0x01, 0xff};
    bench.WriteDigitalU8(h, 2, 0, -1, 1, two, nullptr, nullptr);
    const std::vector<std::string> expect = {
        "DAQmxGetErrorString(-200088, &, 64) = 0",
        "DAQmxGetErrorString(-200088, NULL, 0) = 45",
        "DAQmxCreateTask(NULL, &) = 0",
        "DAQmxCreateDOChan(_unnamedTask<0>, NULL, NULL, 1) = -200170",
        "DAQmxWriteDigitalU8(_unnamedTask<0>, 2, 0, -1, 1, {0x01,0xff}, NULL, NULL) = -200478",
    };
    EXPECT_EQ(lines(), expect);
}

TEST_F(TraceTest, TraceFileAndCopySizing)
{
    const std::string path = temp_path("ksim_trace.txt");
    ASSERT_EQ(bench.trace_file(path.c_str()), 0);
    task("a");
    ASSERT_EQ(bench.trace_file(nullptr), 0);
    task("b");
    EXPECT_EQ(slurp(path), "DAQmxCreateTask(\"a\", &) = 0\n");
    std::remove(path.c_str());
    const std::string all = bench.trace_text();
    EXPECT_EQ(bench.trace_text(nullptr, 0), all.size() + 1);
    char small[8];
    EXPECT_EQ(bench.trace_text(small, sizeof small), all.size() + 1);
    EXPECT_EQ(std::string(small), all.substr(0, 7));
    EXPECT_EQ(bench.trace_file("/nonexistent/dir/x"), -1);
    bench.trace_capture(false);
    task("c");
    EXPECT_EQ(bench.trace_text(), all) << "capture off keeps nothing more";
}

TEST_F(TraceTest, FaultOnTheNthCallOnce)
{
    TaskHandle w = do_task("port0W255", "PXI1Slot2/port0");
    ASSERT_EQ(bench.fault("DAQmxWriteDigitalU8", nullptr, -200587, 2, 0), 0);
    EXPECT_EQ(write(w, 1), 0);
    EXPECT_EQ(write(w, 2), -200587);
    EXPECT_EQ(port(0), 1u) << "the failing call had no effect";
    EXPECT_EQ(write(w, 3), 0);
    EXPECT_EQ(port(0), 3u);
    EXPECT_EQ(last_line(), "DAQmxWriteDigitalU8(port0W255, 1, 1, 10, 0, {0x03}, NULL, NULL) = 0");
    EXPECT_EQ(lines()[lines().size() - 2], "DAQmxWriteDigitalU8(port0W255, 1, 1, 10, 0, {0x02}, NULL, NULL) = -200587");
}

TEST_F(TraceTest, FaultAlwaysOnOneTaskUntilCleared)
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
TEST_F(TraceTest, InjectedInvalidTaskEndsTheTask)
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
    ASSERT_EQ(bench.fault("DAQmxStopTask", nullptr, DAQmxErrorResourceReserved, 1, 0), 0);
    EXPECT_EQ(bench.StopTask(again), DAQmxErrorResourceReserved);
    ASSERT_EQ(bench.fault("DAQmxCreateTask", nullptr, DAQmxErrorInvalidTask, 1, 0), 0);
    TaskHandle h = nullptr;
    EXPECT_EQ(bench.CreateTask("analog0I", &h), DAQmxErrorInvalidTask);
    EXPECT_EQ(bench.live_tasks(), 1);
}

TEST_F(TraceTest, FaultOnCreateMatchesTheNewName)
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

TEST_F(TraceTest, DriverCallsAndResetClearCounters)
{
    TaskHandle w = do_task("port0W255", "PXI1Slot2/port0");
    write(w, 1);
    EXPECT_EQ(bench.driver_calls(), 3);
    bench.fault("*", nullptr, -1, 1, 1);
    bench.reset();
    EXPECT_EQ(bench.driver_calls(), 0);
    EXPECT_EQ(bench.live_tasks(), 0);
    EXPECT_EQ(bench.trace_text(), "");
    task("x");  // faults are gone too
}

TEST_F(TraceTest, VcdRecordsLinesAndTheDecodedBus)
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

TEST_F(TraceTest, VcdTimeRunsOnAcrossAClockSwitch)
{
    const std::string path = temp_path("ksim_switch.vcd");
    ASSERT_EQ(bench.vcd_file(path.c_str()), 0);
    TaskHandle p0 = do_task("port0W255", "PXI1Slot2/port0");
    write(p0, 0x01);
    clock->sleep_ns(1'000'000'000);
    bench.set_clock(std::make_shared<ksim::VirtualClock>());  // back to 0
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
