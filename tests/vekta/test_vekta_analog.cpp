// vekta: analog output, analog input, slot and close on the simulated bench.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "tests/vekta/vekta_bench_fixture.h"

namespace {

bool startsWith(const std::string &s, const std::string &prefix)
{
    return s.rfind(prefix, 0) == 0;
}

std::string report(int line, const std::string &cond)
{
    return "ASSERT ERORR: vekta, line " + std::to_string(line) + ": " + cond;
}

}  // namespace

// ---------------------------------------------------------------- output

using VektaAnalogOut = BenchTest;

TEST_F(VektaAnalogOut, SingleValueCreatesTheTaskOnce)
{
    EXPECT_EQ(vekta_analogOut(0, 2.5), 0);
    EXPECT_EQ(vekta_GetLastError(), 0);
    EXPECT_EQ(calls(), (Lines{"DAQmxCreateTask(\"analog0o\", &) = 0",
                              "DAQmxCreateAOVoltageChan(analog0o, \"PXI1Slot2/ao0\", \"\", -10, 10, 10348, \"\") = 0",
                              "DAQmxWriteAnalogF64(analog0o, 1, 1, 1, 0, {2.5}, NULL, NULL) = 0"}));
    EXPECT_NEAR(probe("ao0"), 2.5, 1e-3);
    EXPECT_EQ(vekta_analogOut(0, -1.25), 0);
    EXPECT_EQ(calls(), Lines{"DAQmxWriteAnalogF64(analog0o, 1, 1, 1, 0, {-1.25}, NULL, NULL) = 0"});
    // Neither the options nor maskFetch are touched.
    EXPECT_EQ(vekta_dacOptView()->maskFetch, 0);
    EXPECT_EQ(vekta_dacOptView()->maskClk, -1);
}

TEST_F(VektaAnalogOut, OutOfRangeValueIsTheDriversFailure)
{
    EXPECT_EQ(vekta_analogOut(1, 12.0), DAQmxErrorInvalidAODataWrite);
    EXPECT_EQ(vekta_GetLastError(), DAQmxErrorInvalidAODataWrite);
    EXPECT_EQ(vekta_GetLastErrorBuffer(), driverMessage(DAQmxErrorInvalidAODataWrite));
}

TEST_F(VektaAnalogOut, WaveformAppliesPendingTimingOnce)
{
    std::vector<double> wave(100);
    for (size_t i = 0; i < wave.size(); i++) wave[i] = std::sin(i * 0.0628);
    EXPECT_EQ(vekta_analogWriteEx(0, wave.data(), 100, 5.0), 0);
    Lines got = calls();
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[2], "DAQmxCfgSampClkTiming(analog0o, \"OnboardClock\", 1000, 10280, 10123, 100) = 0");
    EXPECT_EQ(got[3], "DAQmxDisableStartTrig(analog0o) = 0");
    EXPECT_TRUE(startsWith(got[4], "DAQmxWriteAnalogF64(analog0o, 100, 1, 5, 0, {0,")) << got[4];
    EXPECT_TRUE(got[4].ends_with(",...}, &, NULL) = 0")) << got[4];
    EXPECT_EQ(vekta_dacOptView()->maskFetch, 1);
    EXPECT_EQ(vekta_dacOptView()->maskClk, ~1);
    EXPECT_EQ(vekta_dacOptView()->maskTrig, ~1);

    // Again with another size: stop, then write; no configuration.
    EXPECT_EQ(vekta_analogWrite(0, wave.data(), 50), 0);
    EXPECT_EQ(callNames(), (Lines{"DAQmxStopTask", "DAQmxWriteAnalogF64"}));
    EXPECT_EQ(vekta_analogOutStop(0), 0);
    EXPECT_EQ(calls(), Lines{"DAQmxStopTask(analog0o) = 0"});
    EXPECT_EQ(vekta_dacOptView()->maskFetch, 0);
}

TEST_F(VektaAnalogOut, SettersReachEveryChannelsNextWaveform)
{
    double wave[4] = {0, 1, 0, -1};
    vekta_analogOut(3, 0);  // a failed check first
    EXPECT_EQ(vekta_analogOutClk("", 2000.0), 0);
    EXPECT_EQ(vekta_GetLastError(), 0);
    EXPECT_EQ(vekta_analogOutTrigger("APFI0", 1.5), 0);
    EXPECT_EQ(vekta_analogWriteEx(1, wave, 4, 1.0), 0);
    Lines got = calls();
    ASSERT_GE(got.size(), 4u);
    EXPECT_EQ(got[2], "DAQmxCfgSampClkTiming(analog1o, \"\", 2000, 10280, 10123, 4) = 0");
    EXPECT_EQ(got[3], "DAQmxCfgAnlgEdgeStartTrig(analog1o, \"APFI0\", 10280, 1.5) = 0");
    EXPECT_EQ(vekta_analogOutStop(1), 0);

    EXPECT_EQ(vekta_analogOutTrigger(nullptr, 0.0), 0);
    calls();
    EXPECT_EQ(vekta_analogWriteEx(1, wave, 4, 1.0), 0);
    EXPECT_EQ(callNames(), (Lines{"DAQmxDisableStartTrig", "DAQmxWriteAnalogF64"}));
}

TEST_F(VektaAnalogOut, OverlongSourceNameIsCut)
{
    std::string longName(300, 'x');
    EXPECT_EQ(vekta_analogOutClk(longName.c_str(), 100.0), 0);
    EXPECT_EQ(vekta_analogInTrigger(longName.c_str(), 1.0), 0);
    EXPECT_EQ(std::string(vekta_dacOptView()->clkSource), longName.substr(0, 255));
    EXPECT_EQ(std::string(vekta_anlgClockView()->trigSource), longName.substr(0, 255));
    EXPECT_EQ(vekta_analogInClk(nullptr, 10.0), 0);
    EXPECT_EQ(vekta_anlgClockView()->clkSource[0], '\0');
    EXPECT_EQ(vekta_anlgClockView()->clkRate, 10.0);
}

TEST_F(VektaAnalogOut, OnlyTheLastStartedChannelCanBeStopped)
{
    double wave[4] = {0, 1, 0, -1};
    ASSERT_EQ(vekta_analogWrite(0, wave, 4), 0);
    // The 6251 runs one timed output task at a time: the second is refused.
    EXPECT_EQ(vekta_analogWrite(1, wave, 4), DAQmxErrorPALResourceReserved);
    EXPECT_EQ(vekta_dacOptView()->maskFetch, 1);
    EXPECT_EQ(vekta_analogOutStop(1), -1);
    EXPECT_EQ(vekta_GetLastErrorBuffer(), report(605, "dacOpt.maskFetch == (1<<idx)"));
    EXPECT_EQ(vekta_analogOutStop(0), 0);
    EXPECT_EQ(vekta_analogWrite(1, wave, 4), 0);
    EXPECT_EQ(vekta_dacOptView()->maskFetch, 2);
}

TEST_F(VektaAnalogOut, FailedTimingStaysPending)
{
    double wave[2] = {0, 1};
    b->fault("DAQmxCfgSampClkTiming", "", DAQmxErrorInvalidAttributeValue, 1, 0);
    EXPECT_EQ(vekta_analogWrite(0, wave, 2), DAQmxErrorInvalidAttributeValue);
    EXPECT_EQ(vekta_dacOptView()->maskClk, -1);
    EXPECT_EQ(vekta_dacOptView()->maskFetch, 0);
    calls();
    EXPECT_EQ(vekta_analogWrite(0, wave, 2), 0);
    EXPECT_EQ(callNames(), (Lines{"DAQmxCfgSampClkTiming", "DAQmxDisableStartTrig", "DAQmxWriteAnalogF64"}));
}

// ---------------------------------------------------------------- input

using VektaAnalogIn = BenchTest;

TEST_F(VektaAnalogIn, SingleValueReadsTheLoopback)
{
    ASSERT_EQ(vekta_analogOut(0, 1.5), 0);
    calls();
    double v = 0;
    EXPECT_EQ(vekta_analogIn(0, &v), 0);
    Lines got = calls();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], "DAQmxCreateTask(\"analog0I\", &) = 0");
    EXPECT_EQ(got[1], "DAQmxCreateAIVoltageChan(analog0I, \"PXI1Slot2/ai0\", \"\", 10083, -10, 10, 10348, \"\") = 0");
    EXPECT_TRUE(startsWith(got[2], "DAQmxReadAnalogF64(analog0I, 1, 1, 0, {")) << got[2];
    EXPECT_NEAR(v, 1.5, 0.01);
}

// A channel that cannot be made takes its task with it, so the next operation
// starts over rather than using a task without a channel for good.
TEST_F(VektaAnalogIn, FailedChannelCreationIsTriedAgainByTheNextOperation)
{
    b->fault("DAQmxCreateAOVoltageChan", "", DAQmxErrorPALResourceReserved, 1, 0);
    EXPECT_EQ(vekta_analogOut(0, 1.0), DAQmxErrorPALResourceReserved);
    EXPECT_EQ(vekta_cacheView()->ao[0], nullptr);
    EXPECT_EQ(b->live_tasks(), 0);
    EXPECT_EQ(vekta_analogOut(0, 1.0), 0);
    EXPECT_NEAR(probe("ao0"), 1.0, 1e-3);

    // The same for an input, here with a clear that fails too: the task is
    // cleared before the name is needed again.
    b->fault("DAQmxCreateAIVoltageChan", "", DAQmxErrorPALResourceReserved, 1, 0);
    b->fault("DAQmxClearTask", "", -200010, 1, 0);
    double v = 0;
    EXPECT_EQ(vekta_analogIn(0, &v), DAQmxErrorPALResourceReserved);
    EXPECT_EQ(vekta_cacheView()->ai[0], nullptr);
    EXPECT_EQ(vekta_staleTaskCount(), 1);
    EXPECT_EQ(vekta_analogIn(0, &v), 0);
    EXPECT_NEAR(v, 1.0, 0.01);
    EXPECT_EQ(vekta_staleTaskCount(), 0);
    EXPECT_EQ(b->live_tasks(), 2);
}

TEST_F(VektaAnalogIn, BlockReadConfiguresReadsAndStops)
{
    std::vector<double> buf(100, -99.0);
    int n = -1;
    EXPECT_EQ(vekta_analogReadEx(5, buf.data(), 100, &n, 2.0), 0);
    Lines got = calls();
    ASSERT_GE(got.size(), 6u);
    EXPECT_EQ(got[2], "DAQmxCfgSampClkTiming(analog5I, \"OnboardClock\", 1000, 10280, 10123, 100) = 0");
    EXPECT_EQ(got[3], "DAQmxDisableStartTrig(analog5I) = 0");
    EXPECT_TRUE(startsWith(got[4], "DAQmxReadAnalogF64(analog5I, 100, 2, 0, {")) << got[4];
    EXPECT_EQ(got.back(), "DAQmxStopTask(analog5I) = 0");
    EXPECT_EQ(n, 100);
    for (double v : buf) EXPECT_NEAR(v, 2.5, 0.01);  // the reference on ai5

    // The same channel again: no configuration; sampsRead may be null.
    EXPECT_EQ(vekta_analogRead(5, buf.data(), 10, nullptr), 0);
    EXPECT_EQ(callNames(), (Lines{"DAQmxReadAnalogF64", "DAQmxStopTask"}));
    EXPECT_EQ(vekta_anlgClockView()->maskFetch, 0);
}

TEST_F(VektaAnalogIn, ReadTimeoutFailsWithoutStopping)
{
    std::vector<double> buf(100, -99.0);
    int n = -1;
    // 100 samples at 1000 S/s take 0.1 s: a 10 ms timeout is too short.
    EXPECT_EQ(vekta_analogReadEx(4, buf.data(), 100, &n, 0.01), DAQmxErrorSamplesNotYetAvailable);
    EXPECT_EQ(n, -1);
    EXPECT_EQ(vekta_GetLastErrorBuffer(), driverMessage(DAQmxErrorSamplesNotYetAvailable));
    Lines names = callNames();
    EXPECT_EQ(names.back(), "DAQmxReadAnalogF64");
}

TEST_F(VektaAnalogIn, ContinuousFetchRunsUntilStopped)
{
    std::vector<double> buf(50);
    int n = 0;
    EXPECT_EQ(vekta_analogFetchEx(6, buf.data(), 50, &n, 5.0), 0);
    Lines got = calls();
    ASSERT_GE(got.size(), 5u);
    // One second of samples as buffer, whatever the size asked for.
    EXPECT_EQ(got[2], "DAQmxCfgSampClkTiming(analog6I, \"OnboardClock\", 1000, 10280, 10123, 1000) = 0");
    EXPECT_EQ(n, 50);
    EXPECT_EQ(vekta_analogFetchStatus(), 1);
    EXPECT_EQ(vekta_GetLastError(), 1);

    EXPECT_EQ(vekta_analogFetchEx(6, buf.data(), 50, &n, 5.0), 0);
    EXPECT_EQ(callNames(), Lines{"DAQmxReadAnalogF64"});
    for (double v : buf) EXPECT_NEAR(v, 0.0, 0.01);  // ground on ai6

    // Another channel is refused while this one fetches: nothing read.
    vekta_SetLastError(0);
    EXPECT_EQ(vekta_analogFetchEx(2, buf.data(), 50, &n, 5.0), -1);
    EXPECT_EQ(vekta_GetLastErrorBuffer(), report(481, "anlgClock.maskFetch == (1<<idx)"));
    EXPECT_EQ(calls(), Lines{});
    EXPECT_EQ(vekta_anlgClockView()->maskFetch, 1 << 6);

    EXPECT_EQ(vekta_analogInStop(6), 0);
    EXPECT_EQ(calls(), Lines{"DAQmxStopTask(analog6I) = 0"});
    EXPECT_EQ(vekta_analogFetchStatus(), 0);
    EXPECT_EQ(vekta_GetLastError(), 0);

    // The clock applied by the fetch is not applied again by a block read.
    EXPECT_EQ(vekta_analogRead(6, buf.data(), 20, &n), 0);
    EXPECT_EQ(callNames(), (Lines{"DAQmxReadAnalogF64", "DAQmxStopTask"}));
}

TEST_F(VektaAnalogIn, RateWithoutMeaningGivesADefinedBufferLength)
{
    struct Case {
        double rate;
        const char *length;
    } cases[] = {{std::numeric_limits<double>::quiet_NaN(), "0"},
                 {0.0, "0"},
                 {-5.0, "0"},
                 {-1e300, "0"},
                 {1e30, "18446744073709551615"},
                 {std::numeric_limits<double>::infinity(), "18446744073709551615"}};
    double buf[4];
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.rate);
        vekta_analogInClk("OnboardClock", c.rate);
        int st = vekta_analogFetchEx(1, buf, 4, &n, 1.0);
        EXPECT_LT(st, 0);  // the driver refuses the rate
        Lines got = calls();
        ASSERT_FALSE(got.empty());
        const std::string &cfg = got.back();
        EXPECT_TRUE(startsWith(cfg, "DAQmxCfgSampClkTiming(analog1I")) << cfg;
        EXPECT_NE(cfg.find(std::string(", 10123, ") + c.length + ") = "), std::string::npos) << cfg;
        EXPECT_EQ(vekta_anlgClockView()->maskFetch, 0);
        EXPECT_EQ(vekta_anlgClockView()->maskClk & 2, 2);
    }
}

// ---------------------------------------------------------------- slot and close

using VektaSlotClose = BenchTest;

TEST_F(VektaSlotClose, SlotIsTakenWhenATaskIsMade)
{
    ASSERT_EQ(vekta_analogOut(1, 0.5), 0);
    vekta_SetLastError(-3);
    EXPECT_EQ(vekta_ni6251Slot(5), 0);
    EXPECT_EQ(vekta_GetLastError(), 0);
    calls();
    // Channel 1 keeps its slot-2 task.
    EXPECT_EQ(vekta_analogOut(1, 0.25), 0);
    EXPECT_EQ(callNames(), Lines{"DAQmxWriteAnalogF64"});
    // Channel 0 gets PXI1Slot5, which the bench (slot 2) does not have; the
    // task made for it goes again.
    EXPECT_EQ(vekta_analogOut(0, 0.5), DAQmxErrorInvalidDeviceID);
    Lines got = calls();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_TRUE(startsWith(got[1], "DAQmxCreateAOVoltageChan(analog0o, \"PXI1Slot5/ao0\"")) << got[1];
    EXPECT_EQ(got[2], "DAQmxClearTask(analog0o) = 0");
    vekta_ni6251Slot(2);
    EXPECT_EQ(vekta_analogOut(0, 0.5), 0);
    EXPECT_NEAR(probe("ao0"), 0.5, 1e-3);
}

TEST_F(VektaSlotClose, CloseOnAFreshLibraryAndTwice)
{
    vekta_SetLastError(9);
    EXPECT_EQ(vekta_ni6251Close(), 0);
    EXPECT_EQ(vekta_GetLastError(), 0);
    EXPECT_EQ(vekta_ni6251Close(), 0);
    EXPECT_EQ(calls(), Lines{});
}

TEST_F(VektaSlotClose, FirstFailingAnalogClearStopsTheClose)
{
    double v;
    vekta_analogOut(0, 0);
    vekta_analogOut(1, 0);
    vekta_analogIn(3, &v);
    vekta_portMask(0, 255);
    calls();
    b->fault("DAQmxClearTask", "analog1o", DAQmxErrorPALResourceReserved, 1, 0);
    EXPECT_EQ(vekta_ni6251Close(), DAQmxErrorPALResourceReserved);
    EXPECT_EQ(vekta_GetLastError(), DAQmxErrorPALResourceReserved);
    EXPECT_EQ(vekta_GetLastErrorBuffer(), driverMessage(DAQmxErrorPALResourceReserved));
    EXPECT_EQ(calls(), (Lines{"DAQmxClearTask(analog0o) = 0", "DAQmxClearTask(analog1o) = -50103"}));
    EXPECT_EQ(vekta_cacheView()->ao[0], nullptr);
    EXPECT_NE(vekta_cacheView()->ao[1], nullptr);
    EXPECT_NE(vekta_cacheView()->ai[3], nullptr);
    EXPECT_EQ(b->live_tasks(), 3);
    EXPECT_EQ(vekta_ni6251Close(), 0);
    EXPECT_EQ(b->live_tasks(), 0);
}

// "Invalid task": the handle names no task any more. The channel forgets it
// and makes a new task at its next operation; from a clear, the close reports
// it once instead of failing every later close.
TEST_F(VektaSlotClose, TaskTheDriverNoLongerKnowsIsForgotten)
{
    double v;
    vekta_analogOut(1, 0);
    vekta_analogIn(3, &v);
    b->fault("DAQmxWriteAnalogF64", "analog1o", DAQmxErrorInvalidTask, 1, 0);
    EXPECT_EQ(vekta_analogOut(1, 0.5), DAQmxErrorInvalidTask);
    EXPECT_EQ(vekta_cacheView()->ao[1], nullptr);
    calls();
    EXPECT_EQ(vekta_analogOut(1, 0.5), 0);
    EXPECT_EQ(callNames(), (Lines{"DAQmxCreateTask", "DAQmxCreateAOVoltageChan", "DAQmxWriteAnalogF64"}));

    b->fault("DAQmxClearTask", "analog1o", DAQmxErrorInvalidTask, 1, 0);
    EXPECT_EQ(vekta_ni6251Close(), DAQmxErrorInvalidTask);
    EXPECT_EQ(vekta_GetLastErrorBuffer(), driverMessage(DAQmxErrorInvalidTask));
    EXPECT_EQ(vekta_cacheView()->ao[1], nullptr);
    EXPECT_EQ(vekta_ni6251Close(), 0);
    EXPECT_EQ(b->live_tasks(), 0);
    EXPECT_EQ(vekta_analogOut(1, 0.75), 0);
    EXPECT_NEAR(probe("ao1"), 0.75, 1e-3);
}

TEST_F(VektaSlotClose, FetchSurvivesTheCloseAndCanStillBeStopped)
{
    double buf[8];
    int n = 0;
    ASSERT_EQ(vekta_analogFetchEx(2, buf, 8, &n, 1.0), 0);
    EXPECT_EQ(vekta_ni6251Close(), 0);
    EXPECT_EQ(vekta_analogFetchStatus(), 1);
    calls();
    // Reads go to the empty handle; another channel is still refused.
    EXPECT_EQ(vekta_analogFetchEx(2, buf, 8, &n, 1.0), DAQmxErrorInvalidTask);
    EXPECT_TRUE(startsWith(calls().at(0), "DAQmxReadAnalogF64(0, 8, 1, 0,"));
    EXPECT_EQ(vekta_analogFetchEx(3, buf, 8, &n, 1.0), -1);
    // The stop reaches the driver with handle 0 and fails, yet the channel no
    // longer counts as fetching: no task exists that could acquire.
    EXPECT_EQ(vekta_analogInStop(2), DAQmxErrorInvalidTask);
    EXPECT_EQ(calls(), Lines{"DAQmxStopTask(0) = -200088"});
    EXPECT_EQ(vekta_analogFetchStatus(), 0);
    EXPECT_EQ(vekta_analogFetchEx(3, buf, 8, &n, 1.0), 0);
    EXPECT_EQ(vekta_analogInStop(3), 0);
}

// The task made after a close gets the clock and trigger again, so the
// waveform is generated on its sample clock, not held as one level.
TEST_F(VektaSlotClose, WaveformAfterTheCloseRunsOnItsSampleClock)
{
    double wave[2] = {1, -1};
    double level[2];
    double in[4];
    int n = 0;
    ASSERT_EQ(vekta_analogWrite(0, wave, 2), 0);
    ASSERT_EQ(vekta_analogRead(2, in, 4, &n), 0);
    EXPECT_EQ(vekta_ni6251Close(), 0);
    EXPECT_EQ(b->live_tasks(), 0);
    calls();
    // New task, stopped (idle) by the write's own stop, then configured.
    EXPECT_EQ(vekta_analogWrite(0, wave, 2), 0);
    EXPECT_EQ(callNames(), (Lines{"DAQmxCreateTask", "DAQmxCreateAOVoltageChan", "DAQmxStopTask",
                                  "DAQmxCfgSampClkTiming", "DAQmxDisableStartTrig", "DAQmxWriteAnalogF64"}));
    EXPECT_EQ(vekta_dacOptView()->maskFetch, 1);
    // Half a sample in, then one sample (1 ms at the default rate) later.
    b->advance_ns(500000);
    level[0] = probe("ao0");
    b->advance_ns(1000000);
    level[1] = probe("ao0");
    EXPECT_NEAR(std::fabs(level[0] - level[1]), 2.0, 1e-3) << "the output holds one level";
    // The same for a block read's clock on a new input task.
    EXPECT_EQ(vekta_analogRead(2, in, 4, &n), 0);
    EXPECT_EQ(callNames(), (Lines{"DAQmxCreateTask", "DAQmxCreateAIVoltageChan", "DAQmxCfgSampClkTiming",
                                  "DAQmxDisableStartTrig", "DAQmxReadAnalogF64", "DAQmxStopTask"}));
}
