// vekta: long seeded random sequences of port and analog operations and
// closes, with driver faults injected at random. After every step the port
// cache keeps its invariants; after every close (faults cleared first) the
// bench holds no task.
#include <random>

#include "vekta_bench_fixture.h"

namespace {

const char *const kFaultFunctions[] = {
    "DAQmxCreateTask",     "DAQmxCreateDOChan",   "DAQmxCreateDIChan",        "DAQmxStartTask",
    "DAQmxStopTask",       "DAQmxClearTask",      "DAQmxWriteDigitalU8",      "DAQmxReadDigitalU8",
    "DAQmxWriteAnalogF64", "DAQmxReadAnalogF64",  "DAQmxCreateAOVoltageChan", "DAQmxCreateAIVoltageChan",
    "DAQmxCfgSampClkTiming", "DAQmxDisableStartTrig", "*"};
const int kFaultCodes[] = {DAQmxErrorDuplicateTask, DAQmxErrorResourceReserved, DAQmxErrorOperationTimedOut, -200010};

}  // namespace

class VektaRandom : public BenchTest {
protected:
    // Runs one sequence; stops at the first broken rule.
    void run(uint32_t seed, int steps)
    {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        // A few masks recur, so kept configurations are reused and evicted.
        const int masks[] = {0, 255, 7, 0x0F, 0xF0, 0x33, 1};
        double wave[16];
        for (int i = 0; i < 16; i++) wave[i] = (i % 8) * 0.5 - 2.0;
        double buf[16];
        int n = 0;
        unsigned char byte = 0;

        for (int step = 0; step < steps; step++) {
            SCOPED_TRACE("step " + std::to_string(step));
            if (pick(0, 9) == 0)
                b->fault(kFaultFunctions[pick(0, 14)], "", kFaultCodes[pick(0, 3)], pick(1, 3), pick(0, 6) == 0);

            int op = pick(0, 99);
            int st = 0;
            bool completes = true;  // ends with the completion rule
            if (op < 30) {
                int port = pick(0, 19) == 0 ? pick(-1, 3) : pick(0, 2);
                int mask = pick(0, 3) == 0 ? pick(0, 255) : masks[pick(0, 6)];
                st = vekta_portMask(port, (unsigned char)mask);
            } else if (op < 50) {
                st = vekta_portOut(pick(0, 2), (unsigned char)pick(0, 255));
            } else if (op < 65) {
                byte = 0xEE;
                st = vekta_portIn(pick(0, 2), &byte);
                if (st < 0) {
                    EXPECT_EQ(byte, 0xEE) << "byte written by a failed read";
                }
            } else if (op < 70) {
                st = vekta_analogOut(pick(0, 2), pick(-100, 100) / 10.0);
            } else if (op < 75) {
                double v = 0;
                st = vekta_analogIn(pick(0, 8), &v);
            } else if (op < 79) {
                st = vekta_analogWriteEx(pick(0, 1), wave, pick(1, 16), 1.0);
            } else if (op < 82) {
                st = vekta_analogOutStop(pick(0, 1));
            } else if (op < 85) {
                st = vekta_analogReadEx(pick(0, 7), buf, pick(1, 16), &n, 1.0);
            } else if (op < 89) {
                st = vekta_analogFetchEx(pick(0, 7), buf, pick(1, 16), &n, 1.0);
            } else if (op < 92) {
                st = vekta_analogInStop(pick(0, 7));
            } else if (op < 94) {
                completes = false;
                if (pick(0, 1))
                    vekta_analogInClk(pick(0, 3) ? "OnboardClock" : "", pick(1, 4) * 500.0);
                else
                    vekta_analogOutTrigger(nullptr, 0.0);
            } else {
                b->fault_clear();
                st = vekta_ni6251Close();
                EXPECT_EQ(st, 0);
                ASSERT_EQ(b->live_tasks(), 0) << "task left after close";
                EXPECT_EQ(vekta_staleTaskCount(), 0);
            }
            if (completes) {
                ASSERT_EQ(vekta_GetLastError(), st) << "op " << op;
                if (st < 0) {
                    ASSERT_NE(vekta_GetLastErrorBuffer()[0], '\0');
                }
            }
            ASSERT_TRUE(invariantsHold(vekta_cacheView())) << "op " << op;
            b->advance_ns(pick(0, 2000000));
        }
        b->fault_clear();
        ASSERT_EQ(vekta_ni6251Close(), 0);
        ASSERT_EQ(b->live_tasks(), 0) << "task left after the final close";
    }
};

TEST_F(VektaRandom, SeededSequencesKeepTheCacheSoundAndLeakNoTask)
{
    for (uint32_t seed = 1; seed <= 64; seed++) {
        b->reset();
        vekta_resetState();
        run(seed, 500);
        if (HasFatalFailure()) return;
    }
}
