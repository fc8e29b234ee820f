// Analog outputs and inputs: wiring, timing on the bench's clock, triggers, limits.
#include <cmath>
#include <numbers>

#include "tests/sim/device/bench_fixture.h"
#include "sim/device/errors.h"

namespace {

constexpr double kLsb = 20.0 / 65536;
constexpr double kNoise = 3 * kLsb;  // the bench's noise stays within 2 LSB, plus rounding

class AnalogTest : public BenchTest {
protected:
    TaskHandle clocked_ai(const char *name, const char *chan, double rate, int32 mode, uInt64 samps)
    {
        TaskHandle h = ai_task(name, chan);
        EXPECT_EQ(bench.CfgSampClkTiming(h, "OnboardClock", rate, DAQmx_Val_Rising, mode, samps), 0);
        return h;
    }
    int32 read_block(TaskHandle h, std::vector<double> &buf, double timeout, int32 *got = nullptr)
    {
        int32 n = -7;
        int32 st = bench.ReadAnalogF64(h, static_cast<int32>(buf.size()), timeout, DAQmx_Val_GroupByChannel,
                                       buf.data(), static_cast<uInt32>(buf.size()), &n, nullptr);
        if (got) *got = n;
        return st;
    }
};

TEST_F(AnalogTest, OnDemandOutputLoopsBackToItsInput)
{
    TaskHandle o0 = ao_task("analog0o", "PXI1Slot2/ao0");
    TaskHandle o1 = ao_task("analog1o", "PXI1Slot2/ao1");
    TaskHandle i0 = ai_task("analog0I", "PXI1Slot2/ai0");
    TaskHandle i1 = ai_task("analog1I", "PXI1Slot2/ai1");
    EXPECT_NEAR(ai(i0), 0.0, kNoise) << "0 V after reset";
    ASSERT_EQ(ao(o0, 2.5), 0);
    ASSERT_EQ(ao(o1, -7.25), 0);
    EXPECT_NEAR(ai(i0), 2.5, kNoise);
    EXPECT_NEAR(ai(i1), -7.25, kNoise);
    double v = 0;
    ASSERT_EQ(bench.probe("ao0", &v), 0);
    EXPECT_NEAR(v, 2.5, kLsb);
    EXPECT_EQ(bench.find_task(o0)->state, sim::Bench::State::Created);
}

TEST_F(AnalogTest, OutputOutOfRangeIsRefusedWhole)
{
    TaskHandle o = ao_task("analog0o", "PXI1Slot2/ao0");
    ASSERT_EQ(ao(o, 1.0), 0);
    EXPECT_EQ(ao(o, 10.5), DAQmxErrorInvalidAODataWrite);
    EXPECT_EQ(ao(o, NAN), DAQmxErrorInvalidAODataWrite);
    EXPECT_EQ(ao(o, -10.0), 0);
    EXPECT_NEAR(bench.ao_volts(0, bench.now()), -10.0, kLsb);
    TaskHandle narrow = task("narrow");
    ASSERT_EQ(bench.CreateAOVoltageChan(narrow, "PXI1Slot2/ao1", "", 0, 5, DAQmx_Val_Volts, ""), 0);
    EXPECT_EQ(ao(narrow, 6.0), DAQmxErrorInvalidAODataWrite) << "the channel's own range";
}

TEST_F(AnalogTest, FixedSourcesAndTheDacAreWired)
{
    TaskHandle i4 = ai_task("analog4I", "PXI1Slot2/ai4");
    TaskHandle i5 = ai_task("analog5I", "PXI1Slot2/ai5");
    TaskHandle i6 = ai_task("analog6I", "PXI1Slot2/ai6");
    TaskHandle i2 = ai_task("analog2I", "PXI1Slot2/ai2");
    EXPECT_NEAR(ai(i5), 2.5, kNoise);
    EXPECT_NEAR(ai(i6), 0.0, kNoise);
    clock->sleep_ns(250'000'000 - clock->now_ns());  // a quarter of the 1 Hz sine
    EXPECT_NEAR(ai(i4), 1.0, kNoise + 1e-4);
    ASSERT_EQ(bench.drive("ai4", -3.0), 0);
    EXPECT_NEAR(ai(i4), -3.0, kNoise);
    ASSERT_EQ(bench.drive("ai4", NAN), 0);
    EXPECT_EQ(bench.drive("ai3", 1.0), -1) << "not an outside input";
    bench.board().write_reg(2, 2, 200, 0);
    bench.board().write_reg(2, 0, 5, 0);
    EXPECT_NEAR(ai(i2), 200 * 3.3 / 255, kNoise);
}

TEST_F(AnalogTest, NoiseIsDeterministicPerSeed)
{
    TaskHandle i5 = ai_task("analog5I", "PXI1Slot2/ai5");
    auto run = [&](uint32_t seed) {
        bench.set_seed(seed);
        std::vector<double> v;
        for (int i = 0; i < 20; ++i) v.push_back(ai(i5));
        return v;
    };
    auto a = run(1), b = run(1), c = run(2);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    double lo = 1e9, hi = -1e9;
    for (double x : a) lo = std::min(lo, x), hi = std::max(hi, x);
    EXPECT_GT(hi - lo, 0.0) << "there is some noise";
    EXPECT_LE(hi - lo, 4 * kLsb + 1e-12);
}

TEST_F(AnalogTest, ClockedReadTakesItsTimeOnTheBenchClock)
{
    TaskHandle h = clocked_ai("analog5I", "PXI1Slot2/ai5", 1000, DAQmx_Val_ContSamps, 100);
    std::vector<double> buf(100);
    const int64_t t0 = bench.now();
    int32 got = 0;
    ASSERT_EQ(read_block(h, buf, 10.0, &got), 0);
    EXPECT_EQ(got, 100);
    const int64_t took = bench.now() - t0;
    EXPECT_GE(took, 100'000'000);
    EXPECT_LT(took, 101'000'000);
    for (double v : buf) EXPECT_NEAR(v, 2.5, kNoise);
    EXPECT_EQ(bench.find_task(h)->state, sim::Bench::State::Running) << "a continuous read keeps acquiring";
    // The next block follows on.
    ASSERT_EQ(read_block(h, buf, 10.0), 0);
    EXPECT_GE(bench.now() - t0, 200'000'000);
    ASSERT_EQ(bench.StopTask(h), 0);
}

TEST_F(AnalogTest, ReadingTooSlowlyOverflows)
{
    // 1000 S/s: the driver's buffer holds 10000 samples.
    TaskHandle h = clocked_ai("analog5I", "PXI1Slot2/ai5", 1000, DAQmx_Val_ContSamps, 1000);
    std::vector<double> buf(10);
    ASSERT_EQ(read_block(h, buf, 1.0), 0);
    bench.advance_ns(9'000'000'000);
    ASSERT_EQ(read_block(h, buf, 1.0), 0) << "9 s unread still fits";
    bench.advance_ns(10'100'000'000);
    EXPECT_EQ(read_block(h, buf, 1.0), DAQmxErrorSamplesNoLongerAvailable);
    EXPECT_EQ(read_block(h, buf, 1.0), DAQmxErrorSamplesNoLongerAvailable) << "stays failed until restarted";
    ASSERT_EQ(bench.StopTask(h), 0);
    ASSERT_EQ(bench.StartTask(h), 0);
    ASSERT_EQ(read_block(h, buf, 1.0), 0) << "recovers after a restart";
}

TEST_F(AnalogTest, ReadTimesOutAfterItsTimeout)
{
    TaskHandle h = clocked_ai("analog5I", "PXI1Slot2/ai5", 100, DAQmx_Val_ContSamps, 1000);
    std::vector<double> buf(50, -99);  // needs 0.5 s
    const int64_t t0 = bench.now();
    int32 got = -1;
    EXPECT_EQ(read_block(h, buf, 0.2, &got), DAQmxErrorSamplesNotYetAvailable);
    const int64_t took = bench.now() - t0;
    EXPECT_GE(took, 200'000'000);
    EXPECT_LT(took, 201'000'000);
    EXPECT_EQ(got, 20) << "the samples there are, are returned";
    EXPECT_NEAR(buf[19], 2.5, kNoise);
    EXPECT_EQ(buf[20], -99);
    // The rest arrives later.
    std::vector<double> rest(30);
    ASSERT_EQ(read_block(h, rest, 1.0), 0);
}

TEST_F(AnalogTest, FiniteAcquisitionEndsAndCannotBeOverread)
{
    TaskHandle h = clocked_ai("analog5I", "PXI1Slot2/ai5", 10000, DAQmx_Val_FiniteSamps, 100);
    std::vector<double> buf(100);
    ASSERT_EQ(read_block(h, buf, 1.0), 0);
    EXPECT_EQ(bench.find_task(h)->state, sim::Bench::State::Created) << "an implicit finite read ends it";
    ASSERT_EQ(bench.StartTask(h), 0);
    std::vector<double> more(101);
    EXPECT_EQ(read_block(h, more, 1.0), sim::kErrSamplesWillNeverBeAvailable);
}

TEST_F(AnalogTest, RatesBeyondTheDevicesAreRefused)
{
    TaskHandle i = ai_task("ai", "PXI1Slot2/ai0");
    for (double r : {0.0, -1.0, double(NAN), 1.25e6 + 1, 1e9})
        EXPECT_EQ(bench.CfgSampClkTiming(i, "", r, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 1000),
                  DAQmxErrorInvalidAttributeValue)
            << r;
    EXPECT_EQ(bench.CfgSampClkTiming(i, "", 1.25e6, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 1000), 0);
    TaskHandle two = task("two");
    ASSERT_EQ(bench.CreateAIVoltageChan(two, "PXI1Slot2/ai0:1", "", DAQmx_Val_RSE, -10, 10, DAQmx_Val_Volts, ""), 0);
    EXPECT_EQ(bench.CfgSampClkTiming(two, "", 600e3, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 1000),
              DAQmxErrorInvalidAttributeValue)
        << "1 MS/s in total over two channels";
    // A buffer beyond what the bench holds is refused when the task starts, not allocated.
    ASSERT_EQ(bench.CfgSampClkTiming(two, "", 1000, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 1ULL << 26), 0);
    EXPECT_EQ(bench.StartTask(two), DAQmxErrorInvalidAttributeValue);
    EXPECT_EQ(bench.CfgSampClkTiming(two, "", 1000, DAQmx_Val_Rising, DAQmx_Val_ContSamps, (1ULL << 26) + 1),
              DAQmxErrorInvalidAttributeValue);
    TaskHandle o = ao_task("ao", "PXI1Slot2/ao0");
    EXPECT_EQ(bench.CfgSampClkTiming(o, nullptr, 2.86e6, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 1000), 0);
    EXPECT_EQ(bench.CfgSampClkTiming(o, nullptr, 2.87e6, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 1000),
              DAQmxErrorInvalidAttributeValue);
    // The digital lines have no sample clock of their own: NI's error when the task starts, not before.
    TaskHandle d = do_task("do", "PXI1Slot2/port0");
    EXPECT_EQ(bench.CfgSampClkTiming(d, "", 1000, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 1000), 0);
    EXPECT_EQ(bench.StartTask(d), -200303);
}

TEST_F(AnalogTest, OneAnalogInputTaskRunsAtATime)
{
    TaskHandle a = clocked_ai("a", "PXI1Slot2/ai5", 1000, DAQmx_Val_ContSamps, 1000);
    TaskHandle b = clocked_ai("b", "PXI1Slot2/ai6", 1000, DAQmx_Val_ContSamps, 1000);
    TaskHandle c = ai_task("c", "PXI1Slot2/ai7");
    ASSERT_EQ(bench.StartTask(a), 0);
    EXPECT_EQ(bench.StartTask(b), DAQmxErrorPALResourceReserved);
    double v = 0;
    EXPECT_EQ(bench.ReadAnalogF64(c, 1, 1, 0, &v, 1, nullptr, nullptr), DAQmxErrorPALResourceReserved)
        << "the one ADC is busy";
    ASSERT_EQ(bench.StopTask(a), 0);
    EXPECT_EQ(bench.StartTask(b), 0);
}

TEST_F(AnalogTest, OneTimedOutputTaskAtATime)
{
    TaskHandle a = ao_task("a", "PXI1Slot2/ao0");
    TaskHandle b = ao_task("b", "PXI1Slot2/ao1");
    const double wave[4] = {0, 1, 2, 3};
    for (TaskHandle h : {a, b})
        ASSERT_EQ(bench.CfgSampClkTiming(h, "OnboardClock", 1000, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 4), 0);
    ASSERT_EQ(bench.WriteAnalogF64(a, 4, 1, 10, 0, wave, nullptr, nullptr), 0);
    EXPECT_EQ(bench.WriteAnalogF64(b, 4, 1, 10, 0, wave, nullptr, nullptr), DAQmxErrorPALResourceReserved);
    EXPECT_EQ(bench.find_task(b)->wave_len, 0u) << "the refused write left nothing";
    TaskHandle c = ao_task("c", "PXI1Slot2/ao0");
    EXPECT_EQ(ao(c, 1.0), DAQmxErrorResourceAlreadyReserved) << "ao0 generates for another task";
    TaskHandle e = ao_task("e", "PXI1Slot2/ao1");
    ASSERT_EQ(bench.CfgSampClkTiming(e, "", 1000, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 4), 0);
    EXPECT_EQ(bench.StartTask(e), DAQmxErrorPALResourceReserved);
    ASSERT_EQ(bench.StopTask(a), 0);
    EXPECT_EQ(bench.StartTask(e), sim::kErrOutputBufferEmpty);
}

TEST_F(AnalogTest, RegeneratedWaveformSeenOnItsInput)
{
    TaskHandle o = ao_task("analog0o", "PXI1Slot2/ao0");
    ASSERT_EQ(bench.CfgSampClkTiming(o, "OnboardClock", 1000, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 4), 0);
    const double wave[4] = {1, 2, 3, 4};
    int32 written = 0;
    ASSERT_EQ(bench.WriteAnalogF64(o, 4, 1, 10, 0, wave, &written, nullptr), 0);
    EXPECT_EQ(written, 4);
    EXPECT_EQ(bench.find_task(o)->state, sim::Bench::State::Running) << "the write started the generation";
    TaskHandle i = clocked_ai("analog0I", "PXI1Slot2/ai0", 4000, DAQmx_Val_ContSamps, 1000);
    std::vector<double> buf(64);
    ASSERT_EQ(read_block(i, buf, 1.0), 0);
    // Each AO sample lasts 1 ms = 4 AI samples; the pattern repeats every 16.
    for (size_t k = 16; k < buf.size(); ++k) EXPECT_NEAR(buf[k], buf[k - 16], 2 * kNoise) << k;
    double lo = 1e9, hi = -1e9;
    for (double v : buf) lo = std::min(lo, v), hi = std::max(hi, v);
    EXPECT_NEAR(lo, 1.0, kNoise);
    EXPECT_NEAR(hi, 4.0, kNoise);
    ASSERT_EQ(bench.StopTask(o), 0);
    const double held = bench.ao_volts(0, bench.now());
    bench.advance_ns(10'000'000);
    EXPECT_EQ(bench.ao_volts(0, bench.now()), held) << "a stopped output holds its last sample";
}

TEST_F(AnalogTest, StartTriggerWaitsForTheEdge)
{
    // The 1 Hz sine on ai4 crosses 0.5 V rising at 1/12 s.
    TaskHandle h = clocked_ai("analog4I", "PXI1Slot2/ai4", 10000, DAQmx_Val_ContSamps, 1000);
    ASSERT_EQ(bench.CfgAnlgEdgeStartTrig(h, "PXI1Slot2/ai4", DAQmx_Val_RisingSlope, 0.5), 0);
    clock->sleep_ns(300'000'000);  // past the first crossing, the sine falls
    std::vector<double> buf(10);
    ASSERT_EQ(read_block(h, buf, 2.0), 0);
    const double t = bench.now() * 1e-9;
    EXPECT_NEAR(t, 1.0 + 1.0 / 12 + 0.001, 0.001) << "the next rising crossing";
    EXPECT_NEAR(buf[0], 0.5, 0.01);
    EXPECT_GT(buf[9], buf[0]) << "rising";
}

TEST_F(AnalogTest, TriggerThatNeverComesTimesOut)
{
    TaskHandle h = clocked_ai("analog5I", "PXI1Slot2/ai5", 1000, DAQmx_Val_ContSamps, 1000);
    ASSERT_EQ(bench.CfgAnlgEdgeStartTrig(h, "APFI0", DAQmx_Val_RisingSlope, 1.0), 0);
    std::vector<double> buf(5);
    const int64_t t0 = bench.now();
    int32 got = -1;
    EXPECT_EQ(read_block(h, buf, 0.5, &got), DAQmxErrorSamplesNotYetAvailable);
    EXPECT_EQ(got, 0);
    EXPECT_GE(bench.now() - t0, 500'000'000);
    // An outside edge on APFI0 starts it.
    ASSERT_EQ(bench.drive("apfi0", 2.0), 0);
    ASSERT_EQ(read_block(h, buf, 0.5), 0);
    EXPECT_EQ(bench.CfgAnlgEdgeStartTrig(h, "PFI99", DAQmx_Val_RisingSlope, 1.0), sim::kErrCanNotPerformOpWhileTaskRunning);
    ASSERT_EQ(bench.StopTask(h), 0);
    EXPECT_EQ(bench.CfgAnlgEdgeStartTrig(h, "APFI0", 1, 1.0), DAQmxErrorInvalidAttributeValue);
    EXPECT_EQ(bench.DisableStartTrig(h), 0);
    EXPECT_FALSE(bench.find_task(h)->trig.on);
}

// Clock and trigger sources are properties: configuring takes any name, and
// the start (the task's verification) refuses one that names no terminal of
// the device, as the driver does.
TEST_F(AnalogTest, TerminalNamesAreCheckedWhenTheTaskIsVerified)
{
    constexpr int32 kBad = DAQmxErrorInvalidRoutingSourceTerminalName_Routing;
    const struct {
        const char *clock;
        const char *trigger;  // null: no start trigger
        int32 status;
    } cases[] = {
        {"OnboardClock", nullptr, 0},
        {"onboardclock", nullptr, 0},
        {"", nullptr, 0},
        {"PFI0", nullptr, 0},
        {"PFI15", nullptr, 0},
        {"/PXI1Slot2/PFI7", nullptr, 0},
        {"/pxi1slot2/pfi7", nullptr, 0},
        {"/PXI1Slot2/ao/SampleClock", nullptr, 0},
        {"OnboardClock", "APFI0", 0},
        {"OnboardClock", "/PXI1Slot2/APFI1", 0},
        {"OnboardClock", "PXI1Slot2/ai5", 0},
        {"PFI16", nullptr, kBad},
        {"PFI 0", nullptr, kBad},
        {"PFI01", nullptr, kBad},
        {"/Dev1/PFI0", nullptr, kBad},
        {"/PXI1Slot2/NoSuchTerminal", nullptr, kBad},
        {"APFI0", nullptr, kBad},
        {"OnboardClock", "APFI2", kBad},
        {"OnboardClock", "PFI0", kBad},
        {"OnboardClock", "", kBad},
        {"OnboardClock", "/Dev1/APFI0", kBad},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.clock) + " / " + (c.trigger ? c.trigger : "no trigger"));
        TaskHandle h = ai_task("analog5I", "PXI1Slot2/ai5");
        ASSERT_EQ(bench.CfgSampClkTiming(h, c.clock, 1000, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 1000), 0);
        if (c.trigger) {
            ASSERT_EQ(bench.CfgAnlgEdgeStartTrig(h, c.trigger, DAQmx_Val_RisingSlope, 1.0), 0);
        }
        EXPECT_EQ(bench.StartTask(h), c.status);
        EXPECT_EQ(bench.find_task(h)->state, c.status == 0 ? sim::Bench::State::Running : sim::Bench::State::Created);
        ASSERT_EQ(bench.ClearTask(h), 0);
    }
    // A read that would start the task is refused the same way.
    TaskHandle o = ao_task("analog0o", "PXI1Slot2/ao0");
    ASSERT_EQ(bench.CfgSampClkTiming(o, "/PXI1Slot2/PFI3x", 1000, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 2), 0);
    const double wave[2] = {1, 2};
    EXPECT_EQ(bench.WriteAnalogF64(o, 2, 1, 10, 0, wave, nullptr, nullptr), kBad);
    char text[256];
    ASSERT_EQ(bench.GetErrorString(kBad, text, sizeof text), 0);
    EXPECT_EQ(std::string(text).rfind("Source terminal to be routed could not be found on the device.", 0), 0u);
}

// The 6251 has one analog trigger circuit: while one task (AI or AO) holds
// it, another that has an analog start trigger cannot be reserved.
TEST_F(AnalogTest, OneTaskAtATimeHoldsTheAnalogTrigger)
{
    TaskHandle i = clocked_ai("analog5I", "PXI1Slot2/ai5", 1000, DAQmx_Val_ContSamps, 1000);
    ASSERT_EQ(bench.CfgAnlgEdgeStartTrig(i, "APFI0", DAQmx_Val_RisingSlope, 1.0), 0);
    ASSERT_EQ(bench.StartTask(i), 0);
    TaskHandle o = ao_task("analog1o", "PXI1Slot2/ao1");
    ASSERT_EQ(bench.CfgSampClkTiming(o, "", 1000, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 2), 0);
    ASSERT_EQ(bench.CfgAnlgEdgeStartTrig(o, "APFI1", DAQmx_Val_FallingSlope, -1.0), 0) << "configuring reserves nothing";
    const double wave[2] = {5, 5};
    EXPECT_EQ(bench.WriteAnalogF64(o, 2, 1, 10, 0, wave, nullptr, nullptr), DAQmxErrorPALResourceReserved);
    EXPECT_EQ(bench.find_task(o)->state, sim::Bench::State::Created);
    // Without a trigger the generation runs beside the waiting acquisition.
    ASSERT_EQ(bench.DisableStartTrig(o), 0);
    ASSERT_EQ(bench.WriteAnalogF64(o, 2, 1, 10, 0, wave, nullptr, nullptr), 0);
    ASSERT_EQ(bench.StopTask(o), 0);
    // The circuit is free once its holder stops; then the acquisition waits its turn.
    ASSERT_EQ(bench.StopTask(i), 0);
    ASSERT_EQ(bench.CfgAnlgEdgeStartTrig(o, "APFI1", DAQmx_Val_FallingSlope, -1.0), 0);
    ASSERT_EQ(bench.WriteAnalogF64(o, 2, 1, 10, 0, wave, nullptr, nullptr), 0);
    EXPECT_EQ(bench.StartTask(i), DAQmxErrorPALResourceReserved);
    ASSERT_EQ(bench.ClearTask(o), 0);
    EXPECT_EQ(bench.StartTask(i), 0);
}

TEST_F(AnalogTest, TriggeredOutputStartsOnItsEdge)
{
    TaskHandle o = ao_task("analog1o", "PXI1Slot2/ao1");
    ASSERT_EQ(bench.CfgSampClkTiming(o, "", 1000, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 2), 0);
    ASSERT_EQ(bench.CfgAnlgEdgeStartTrig(o, "APFI1", DAQmx_Val_FallingSlope, -1.0), 0);
    const double wave[2] = {5, 5};
    ASSERT_EQ(bench.WriteAnalogF64(o, 2, 1, 10, 0, wave, nullptr, nullptr), 0);
    bench.advance_ns(50'000'000);
    double v = 0;
    ASSERT_EQ(bench.probe("ao1", &v), 0);
    EXPECT_EQ(v, 0.0) << "waiting for the trigger";
    ASSERT_EQ(bench.drive("apfi1", -2.0), 0);
    bench.advance_ns(5'000'000);
    ASSERT_EQ(bench.probe("ao1", &v), 0);
    EXPECT_NEAR(v, 5.0, kLsb);
}

TEST_F(AnalogTest, ExternalClockThatNothingDrivesNeverDelivers)
{
    TaskHandle h = ai_task("ext", "PXI1Slot2/ai5");
    ASSERT_EQ(bench.CfgSampClkTiming(h, "/PXI1Slot2/PFI3", 1000, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 1000), 0);
    std::vector<double> buf(1);
    EXPECT_EQ(read_block(h, buf, 0.1), DAQmxErrorSamplesNotYetAvailable);
}

TEST_F(AnalogTest, TwoChannelsInScanOrderOrByChannel)
{
    TaskHandle h = task("pair");
    ASSERT_EQ(bench.CreateAIVoltageChan(h, "PXI1Slot2/ai5, PXI1Slot2/ai6", "", DAQmx_Val_RSE, -10, 10, DAQmx_Val_Volts, ""), 0);
    ASSERT_EQ(bench.CfgSampClkTiming(h, "", 1000, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 100), 0);
    double buf[8];
    int32 got = 0;
    ASSERT_EQ(bench.ReadAnalogF64(h, 4, 1.0, DAQmx_Val_GroupByScanNumber, buf, 8, &got, nullptr), 0);
    EXPECT_EQ(got, 4);
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(buf[2 * k], 2.5, kNoise);
        EXPECT_NEAR(buf[2 * k + 1], 0.0, kNoise);
    }
    ASSERT_EQ(bench.ReadAnalogF64(h, 4, 1.0, DAQmx_Val_GroupByChannel, buf, 8, &got, nullptr), 0);
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(buf[k], 2.5, kNoise);
        EXPECT_NEAR(buf[4 + k], 0.0, kNoise);
    }
    EXPECT_EQ(bench.ReadAnalogF64(h, 5, 1.0, 0, buf, 8, &got, nullptr), sim::kErrReadBufferTooSmall);
}

TEST_F(AnalogTest, ReadAllAvailable)
{
    TaskHandle h = clocked_ai("analog5I", "PXI1Slot2/ai5", 1000, DAQmx_Val_ContSamps, 1000);
    ASSERT_EQ(bench.StartTask(h), 0);
    bench.advance_ns(10'000'000);
    std::vector<double> buf(100);
    int32 got = 0;
    ASSERT_EQ(bench.ReadAnalogF64(h, -1, 1.0, 0, buf.data(), 100, &got, nullptr), 0);
    EXPECT_EQ(got, 10);
    ASSERT_EQ(bench.ReadAnalogF64(h, -1, 1.0, 0, buf.data(), 100, &got, nullptr), 0);
    EXPECT_LE(got, 1) << "only what came since";
}

TEST_F(AnalogTest, TriggerOnARegeneratedOutput)
{
    // A square wave on ao0, 10 ms low and 10 ms high, triggers the acquisition of ai5.
    TaskHandle o = ao_task("analog0o", "PXI1Slot2/ao0");
    ASSERT_EQ(bench.CfgSampClkTiming(o, "", 100, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 2), 0);
    const double wave[2] = {0, 5};
    ASSERT_EQ(bench.WriteAnalogF64(o, 2, 1, 10, 0, wave, nullptr, nullptr), 0);
    const int64_t started = bench.now();
    TaskHandle i = clocked_ai("analog5I", "PXI1Slot2/ai5", 100000, DAQmx_Val_ContSamps, 1000);
    ASSERT_EQ(bench.CfgAnlgEdgeStartTrig(i, "PXI1Slot2/ai0", DAQmx_Val_RisingSlope, 2.5), 0);
    std::vector<double> buf(10);
    ASSERT_EQ(read_block(i, buf, 1.0), 0);
    const int64_t first = bench.find_task(i)->run.t_first;
    EXPECT_NEAR((first - started) * 1e-6, 10.0, 0.05) << "ms: the first rising edge of the square wave";
}

TEST_F(AnalogTest, InfiniteWaitGivesUpAfterAnHour)
{
    TaskHandle h = clocked_ai("analog5I", "PXI1Slot2/ai5", 1000, DAQmx_Val_ContSamps, 1000);
    ASSERT_EQ(bench.CfgAnlgEdgeStartTrig(h, "APFI1", DAQmx_Val_RisingSlope, 5.0), 0);
    std::vector<double> buf(1);
    EXPECT_EQ(read_block(h, buf, DAQmx_Val_WaitInfinitely), DAQmxErrorOperationTimedOut);
    EXPECT_GE(bench.now(), sim::Limits::kInfiniteWaitNs);
}

TEST_F(AnalogTest, SwitchingClocksKeepsAnAcquisitionGoing)
{
    TaskHandle h = clocked_ai("analog5I", "PXI1Slot2/ai5", 1000, DAQmx_Val_ContSamps, 1000);
    std::vector<double> buf(100);
    ASSERT_EQ(read_block(h, buf, 1.0), 0);
    auto other = std::make_shared<sim::VirtualClock>();
    other->sleep_ns(500'000'000'000);  // far ahead
    bench.set_clock(other);
    ASSERT_EQ(read_block(h, buf, 1.0), 0) << "no overflow from the jump";
    EXPECT_NEAR((bench.now() - 500'000'000'000) * 1e-9, 0.1, 0.01);
}

TEST_F(AnalogTest, OnDemandOutputOfSeveralChannelsAndSamples)
{
    TaskHandle h = task("both");
    ASSERT_EQ(bench.CreateAOVoltageChan(h, "PXI1Slot2/ao0:1", "", -10, 10, DAQmx_Val_Volts, ""), 0);
    const double byChannel[4] = {1, 2, -1, -2};  // ao0: 1 then 2, ao1: -1 then -2
    int32 written = 0;
    ASSERT_EQ(bench.WriteAnalogF64(h, 2, 1, 1.0, DAQmx_Val_GroupByChannel, byChannel, &written, nullptr), 0);
    EXPECT_EQ(written, 2);
    EXPECT_NEAR(bench.ao_volts(0, bench.now()), 2, kLsb);
    EXPECT_NEAR(bench.ao_volts(1, bench.now()), -2, kLsb);
    const double byScan[4] = {3, -3, 4, -4};
    ASSERT_EQ(bench.WriteAnalogF64(h, 2, 1, 1.0, DAQmx_Val_GroupByScanNumber, byScan, &written, nullptr), 0);
    EXPECT_NEAR(bench.ao_volts(0, bench.now()), 4, kLsb);
    EXPECT_NEAR(bench.ao_volts(1, bench.now()), -4, kLsb);
}

}  // namespace

namespace {

using AnalogRunTest = BenchTest;

TEST_F(AnalogRunTest, OutputTriggerRightAfterAShortClockedRead)
{
    // A triggered generation waits on APFI1 while an acquisition reads 10 ms of
    // samples with a long timeout: the edge that comes after the read starts it.
    TaskHandle o = ao_task("analog1o", "PXI1Slot2/ao1");
    ASSERT_EQ(bench.CfgSampClkTiming(o, "", 1000, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 2), 0);
    ASSERT_EQ(bench.CfgAnlgEdgeStartTrig(o, "APFI1", DAQmx_Val_FallingSlope, -1.0), 0);
    const double wave[2] = {5, 5};
    ASSERT_EQ(bench.WriteAnalogF64(o, 2, 1, 10, 0, wave, nullptr, nullptr), 0);
    TaskHandle i = ai_task("analog5I", "PXI1Slot2/ai5");
    ASSERT_EQ(bench.CfgSampClkTiming(i, "", 1000, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 1000), 0);
    double buf[10];
    ASSERT_EQ(bench.ReadAnalogF64(i, 10, 10.0, 0, buf, 10, nullptr, nullptr), 0);
    EXPECT_LT(bench.now(), 1'000'000'000) << "the read took its 10 ms, not its timeout";
    ASSERT_EQ(bench.drive("apfi1", -2.0), 0);
    bench.advance_ns(5'000'000);
    double v = 0;
    ASSERT_EQ(bench.probe("ao1", &v), 0);
    EXPECT_NEAR(v, 5.0, 1e-3) << "the edge after the read started the generation";
}

TEST_F(AnalogRunTest, FiniteReadInPartsEndsLikeOneRead)
{
    TaskHandle h = ai_task("analog5I", "PXI1Slot2/ai5");
    ASSERT_EQ(bench.CfgSampClkTiming(h, "", 10000, DAQmx_Val_Rising, DAQmx_Val_FiniteSamps, 100), 0);
    double buf[50];
    ASSERT_EQ(bench.ReadAnalogF64(h, 50, 1.0, 0, buf, 50, nullptr, nullptr), 0);
    EXPECT_EQ(bench.find_task(h)->state, sim::Bench::State::Running) << "half read: still acquiring";
    ASSERT_EQ(bench.ReadAnalogF64(h, 50, 1.0, 0, buf, 50, nullptr, nullptr), 0);
    EXPECT_EQ(bench.find_task(h)->state, sim::Bench::State::Created) << "back where the first read found it";
    TaskHandle other = ai_task("analog6I", "PXI1Slot2/ai6");
    EXPECT_NEAR(ai(other), 0.0, 1e-3) << "the converter is free again";
    ASSERT_EQ(bench.ReadAnalogF64(h, 50, 1.0, 0, buf, 50, nullptr, nullptr), 0) << "a new acquisition";
}

TEST_F(AnalogRunTest, RefusedFiniteReadLeavesTheTaskAlone)
{
    TaskHandle h = ai_task("analog5I", "PXI1Slot2/ai5");
    ASSERT_EQ(bench.CfgSampClkTiming(h, "", 10000, DAQmx_Val_Rising, DAQmx_Val_FiniteSamps, 100), 0);
    double buf[200];
    EXPECT_EQ(bench.ReadAnalogF64(h, 50, 1.0, 0, buf, 10, nullptr, nullptr), sim::kErrReadBufferTooSmall);
    EXPECT_EQ(bench.ReadAnalogF64(h, 150, 1.0, 0, buf, 200, nullptr, nullptr), sim::kErrSamplesWillNeverBeAvailable);
    EXPECT_EQ(bench.ReadAnalogF64(h, -1, 1.0, 0, buf, 10, nullptr, nullptr), sim::kErrReadBufferTooSmall);
    EXPECT_EQ(bench.find_task(h)->state, sim::Bench::State::Created) << "no acquisition left running";
    TaskHandle other = ai_task("analog6I", "PXI1Slot2/ai6");
    EXPECT_NEAR(ai(other), 0.0, 1e-3);
}

TEST_F(AnalogRunTest, ExplicitStartDuringAnImplicitFiniteReadLasts)
{
    TaskHandle h = ai_task("analog5I", "PXI1Slot2/ai5");
    ASSERT_EQ(bench.CfgSampClkTiming(h, "", 10000, DAQmx_Val_Rising, DAQmx_Val_FiniteSamps, 100), 0);
    double buf[50];
    ASSERT_EQ(bench.ReadAnalogF64(h, 50, 1.0, 0, buf, 50, nullptr, nullptr), 0);
    ASSERT_EQ(bench.StartTask(h), 0) << "already running: no error";
    ASSERT_EQ(bench.ReadAnalogF64(h, 50, 1.0, 0, buf, 50, nullptr, nullptr), 0);
    EXPECT_EQ(bench.find_task(h)->state, sim::Bench::State::Running) << "started explicitly, it stays so";
}

TEST_F(AnalogRunTest, OutputOnAnUndrivenClockTerminalGeneratesNothing)
{
    TaskHandle o = ao_task("analog0o", "PXI1Slot2/ao0");
    ASSERT_EQ(bench.CfgSampClkTiming(o, "/PXI1Slot2/PFI3", 1000, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 2), 0);
    const double wave[2] = {5, -5};
    ASSERT_EQ(bench.WriteAnalogF64(o, 2, 1, 10, 0, wave, nullptr, nullptr), 0);
    bench.advance_ns(10'000'000);
    double v = 1;
    ASSERT_EQ(bench.probe("ao0", &v), 0);
    EXPECT_EQ(v, 0.0) << "no clock edge, no sample";
    ASSERT_EQ(bench.probe("ai0", &v), 0);
    EXPECT_EQ(v, 0.0);
}

TEST_F(AnalogRunTest, RatesBelowTheSlowestClockAreRefusedAndTheSlowestWorks)
{
    TaskHandle i = ai_task("analog5I", "PXI1Slot2/ai5");
    for (double r : {1e-12, 1e-6, 2e-5})
        EXPECT_EQ(bench.CfgSampClkTiming(i, "", r, DAQmx_Val_Rising, DAQmx_Val_FiniteSamps, 1000), DAQmxErrorInvalidAttributeValue)
            << r;
    TaskHandle o = ao_task("analog0o", "PXI1Slot2/ao0");
    EXPECT_EQ(bench.CfgSampClkTiming(o, "", 1e-9, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 2), DAQmxErrorInvalidAttributeValue);
    // The slowest clock: a long finite acquisition runs out of its timeout, as it should.
    ASSERT_EQ(bench.CfgSampClkTiming(i, "", 3e-5, DAQmx_Val_Rising, DAQmx_Val_FiniteSamps, 1'000'000), 0);
    std::vector<double> buf(1'000'000);
    int32 got = -1;
    EXPECT_EQ(bench.ReadAnalogF64(i, -1, 2.0, 0, buf.data(), 1'000'000, &got, nullptr), DAQmxErrorSamplesNotYetAvailable);
    EXPECT_EQ(got, 0);
}

}  // namespace
