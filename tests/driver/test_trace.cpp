// The import layer's call trace with a driver other than the simulated bench,
// and a trace that survives korvane being stopped by a signal.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <limits>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "korvane/NIDAQmx.h"
#include "driver/daqmx_import.h"
#include "driver/daqmx_trace.h"

namespace {

std::string temp_path(const char *name)
{
    return ::testing::TempDir() + std::to_string(::getpid()) + "_" + name;
}

std::vector<std::string> file_lines(const std::string &path)
{
    std::ifstream in(path);
    std::vector<std::string> out;
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

TEST(CallTrace, RecordsTheCallsToAnyDriver)
{
    const std::string path = temp_path("partial.trace");
    driver::select(PARTIAL_DRIVER);
    ASSERT_EQ(driver::trace::to_file(path.c_str()), 0);
    TaskHandle h = nullptr;
    EXPECT_EQ(DAQmxCreateTask("port0R0", &h), 0);
    EXPECT_EQ(DAQmxStartTask(h), 42);
    EXPECT_EQ(DAQmxDisableStartTrig(h), DAQmxErrorCVIFunctionNotFoundInDAQmxDLL);
    uInt8 r = 0;
    int32 got = 1;
    EXPECT_EQ(DAQmxReadDigitalU8(h, 1, 10, 0, &r, 1, &got, nullptr), 52);
    EXPECT_EQ(DAQmxClearTask(h), 44);
    ASSERT_EQ(driver::trace::to_file(nullptr), 0);
    driver::select("/nonexistent/libnothing.so");
    ASSERT_EQ(driver::trace::to_file(path.c_str()), 0);
    EXPECT_EQ(DAQmxStopTask(nullptr), DAQmxErrorCVIFailedToLoadDAQmxDLL);
    ASSERT_EQ(driver::trace::to_file(nullptr), 0);
    driver::select("sim");
    driver::trace::forget_tasks();

    // Each line: the call, its status and the host time, no bench time.
    const std::regex line(R"((.*)  # host [0-9]+\.[0-9] us)");
    std::vector<std::string> calls;
    for (const std::string &l : file_lines(path)) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(l, m, line)) << l;
        calls.push_back(m[1]);
    }
    std::remove(path.c_str());
    EXPECT_EQ(calls, (std::vector<std::string>{"DAQmxStopTask(0) = -200397"})) << "the file is truncated when opened";
}

TEST(CallTrace, LinesOfAForeignDriver)
{
    driver::select(PARTIAL_DRIVER);
    driver::trace::capture(true);
    driver::trace::clear();
    TaskHandle h = nullptr;
    DAQmxCreateTask("port0R0", &h);
    DAQmxCreateDIChan(h, "Dev1/port0/line0:3", "", DAQmx_Val_ChanPerLine);
    DAQmxDisableStartTrig(h);
    uInt8 r[4] = {};
    int32 got = 1;  // the stand-in driver leaves the count alone: one sample per channel
    DAQmxReadDigitalU8(h, 1, 10, 0, r, 4, &got, nullptr);
    DAQmxClearTask(h);  // a warning (44) is a success: the handle names no task after it
    DAQmxStartTask(h);
    const std::string text = driver::trace::text();
    driver::trace::capture(false);
    driver::trace::clear();
    driver::trace::forget_tasks();
    driver::select("sim");
    EXPECT_EQ(text,
              "DAQmxCreateTask(\"port0R0\", &) = 0\n"
              "DAQmxCreateDIChan(port0R0, \"Dev1/port0/line0:3\", \"\", 0) = 46\n"
              "DAQmxDisableStartTrig(port0R0) = -200398\n"
              "DAQmxReadDigitalU8(port0R0, 1, 10, 0, {0x5a,0x00,0x00,0x00}, 4, &, NULL) = 52\n"
              "DAQmxClearTask(port0R0) = 44\n"
              "DAQmxStartTask(?) = 42\n");
}

// A float64 argument is written as %g writes it, whole numbers (written the
// short way) and the rest alike.
TEST(CallTrace, RealsAreWrittenAsPercentG)
{
    driver::select(PARTIAL_DRIVER);
    driver::trace::capture(true);
    const double values[] = {10,      -10,    0,         -0.0,     1,        999999, -999999, 1e6,    -1e6,
                             123456.5, 0.1,   1e-7,      2.5,      -3.25,    1e300,  1e15,    65536,  4294967296.0,
                             std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()};
    for (double v : values) {
        driver::trace::clear();
        DAQmxCfgAnlgEdgeStartTrig(nullptr, "x", 0, v);
        char expect[64];
        std::snprintf(expect, sizeof expect, "DAQmxCfgAnlgEdgeStartTrig(0, \"x\", 0, %g) = ", v);
        EXPECT_EQ(driver::trace::text().rfind(expect, 0), 0u) << driver::trace::text();
    }
    driver::trace::capture(false);
    driver::trace::clear();
    driver::select("sim");
}

#if HAVE_SIM
// Every call counts for the status line, traced or not, failed or not, from
// any thread (one that has ended included); a task made while nothing was
// traced is named by the lines traced later.
TEST(CallTrace, UntracedCallsCountAsTracedOnes)
{
    driver::select("sim");
    const driver::CallCounts before = driver::call_counts();
    TaskHandle h = nullptr;
    ASSERT_EQ(DAQmxCreateTask("countW", &h), 0);
    ASSERT_EQ(DAQmxCreateDOChan(h, "PXI1Slot2/port1", "", DAQmx_Val_ChanForAllLines), 0);
    std::thread other([h] {
        for (uInt8 v = 0; v < 100; ++v) DAQmxWriteDigitalU8(h, 1, 1, 10, 0, &v, nullptr, nullptr);
        for (int i = 0; i < 10; ++i) DAQmxStartTask(nullptr);
    });
    other.join();
    driver::trace::capture(true);
    driver::trace::clear();
    const uInt8 v = 0x5A;
    EXPECT_EQ(DAQmxWriteDigitalU8(h, 1, 1, 10, 0, &v, nullptr, nullptr), 0);
    EXPECT_LT(DAQmxStartTask(nullptr), 0);
    const std::string text = driver::trace::text();
    driver::trace::capture(false);
    driver::trace::clear();
    EXPECT_EQ(DAQmxClearTask(h), 0);
    const driver::CallCounts after = driver::call_counts();
    EXPECT_EQ(after.calls - before.calls, 2u + 110u + 2u + 1u);
    EXPECT_EQ(after.failed - before.failed, 10u + 1u);
    EXPECT_EQ(text.rfind("DAQmxWriteDigitalU8(countW, 1, 1, 10, 0, {0x5a}, NULL, NULL) = 0\n", 0), 0u) << text;
}
#endif

// A process stopped by any of the four stop signals between driver calls
// leaves every line it completed, in the trace and in the bench's VCD, and the
// VCD's closing time stamp. The child makes the calls and signals itself, so
// the signal comes at a known point.
void die_by_signal_after_calls(int sig, const std::string &trace, const std::string &vcd)
{
    const rlimit no_core{0, 0};
    ::setrlimit(RLIMIT_CORE, &no_core);
    driver::select("sim");
    driver::load();
    auto vcd_file = reinterpret_cast<int (*)(const char *)>(driver::symbol("ksim_vcd_file"));
    if (!vcd_file || vcd_file(vcd.c_str()) != 0 || driver::trace::to_file(trace.c_str()) != 0) ::_exit(3);
    TaskHandle h = nullptr;
    DAQmxCreateTask("port1W255", &h);
    DAQmxCreateDOChan(h, "PXI1Slot2/port1", "", DAQmx_Val_ChanForAllLines);
    for (uInt8 v = 1; v <= 10; ++v) DAQmxWriteDigitalU8(h, 1, 1, 10, 0, &v, nullptr, nullptr);
    ::raise(sig);
    ::_exit(4);
}

TEST(CallTrace, SignalLeavesEveryCompletedLine)
{
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) {
        SCOPED_TRACE(sig);
        const std::string trace = temp_path("signal.trace"), vcd = temp_path("signal.vcd");
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) die_by_signal_after_calls(sig, trace, vcd);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << "status " << status;
        const auto lines = file_lines(trace);
        ASSERT_EQ(lines.size(), 12u);
        EXPECT_EQ(lines.back().rfind("DAQmxWriteDigitalU8(port1W255, 1, 1, 10, 0, {0x0a}, NULL, NULL) = 0  # host ", 0), 0u)
            << lines.back();
        // The VCD's last change: port 1 from 9 to 10, the bus's data word
        // with it, at the last time stamp; then the end, 1 ns later.
        const auto dump = file_lines(vcd);
        ASSERT_GE(dump.size(), 5u);
        EXPECT_EQ(dump[dump.size() - 4] + dump[dump.size() - 3] + dump[dump.size() - 2], "0i1jb0000101000000000 D");
        long long last_change = -1;
        for (const std::string &l : dump)
            if (l.size() > 1 && l[0] == '#' && &l != &dump.back()) last_change = std::stoll(l.substr(1));
        EXPECT_EQ(dump.back(), "#" + std::to_string(last_change + 1));
        std::remove(trace.c_str());
        std::remove(vcd.c_str());
    }
}

}  // namespace
