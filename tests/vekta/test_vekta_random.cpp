// vekta: long seeded random sequences of port and analog operations and
// closes, with driver faults injected at random into every call the library
// makes. After every step the port cache keeps its invariants, a port
// operation that succeeded leaves the port's current configuration with all
// its tasks, and a failure carries its own text. A close whose clears all
// succeeded leaves the bench without a task, whatever else failed; half the
// closes keep the faults armed, and a close after the faults stop leaves no
// task either. At the end of a sequence every port mask and analog channel it
// used works again and leaves no task behind.
//
// KORVANE_RANDOM_OPS sets the number of operations (default 100000, in
// sequences of 500 with seeds 1, 2, ...); KORVANE_RANDOM_FIRST_SEED the first
// seed, to replay a failing sequence alone (with KORVANE_RANDOM_OPS=500).
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <utility>

#include "tests/vekta/vekta_bench_fixture.h"

namespace {

const char *const kFaultFunctions[] = {
    "DAQmxCreateTask",          "DAQmxCreateDOChan",        "DAQmxCreateDIChan",     "DAQmxStartTask",
    "DAQmxStopTask",            "DAQmxClearTask",           "DAQmxWriteDigitalU8",   "DAQmxReadDigitalU8",
    "DAQmxWriteAnalogF64",      "DAQmxReadAnalogF64",       "DAQmxCreateAOVoltageChan", "DAQmxCreateAIVoltageChan",
    "DAQmxCfgSampClkTiming",    "DAQmxDisableStartTrig",    "DAQmxCfgAnlgEdgeStartTrig", "DAQmxGetErrorString",
    "*"};
const int kFaultFunctionCount = sizeof kFaultFunctions / sizeof kFaultFunctions[0];
const int kFaultCodes[] = {DAQmxErrorInvalidTask, DAQmxErrorDuplicateTask, DAQmxErrorPALResourceReserved,
                           DAQmxErrorOperationTimedOut, -200010};
const int kFaultCodeCount = sizeof kFaultCodes / sizeof kFaultCodes[0];
const int kStepsPerSeed = 500;
const char kNoDriverText[] = "no text from the driver for this status";

long envNumber(const char *name, long fallback)
{
    const char *v = std::getenv(name);
    return v && *v ? std::atol(v) : fallback;
}

}  // namespace

class VektaRandom : public BenchTest {
protected:
    std::map<int, std::string> messages;  // the driver's text of each injected code

    void SetUp() override
    {
        BenchTest::SetUp();
        for (int code : kFaultCodes) messages[code] = driverMessage(code);
    }

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
        std::set<std::pair<int, int>> portMasks;  // (port, mask) asked for
        bool outputUsed[ANALOG_SIZEo] = {};
        bool inputUsed[ANALOG_SIZEi] = {};

        for (int step = 0; step < steps; step++) {
            SCOPED_TRACE("step " + std::to_string(step));
            if (pick(0, 9) == 0)
                b->fault(kFaultFunctions[pick(0, kFaultFunctionCount - 1)], "", kFaultCodes[pick(0, kFaultCodeCount - 1)], pick(1, 3),
                         pick(0, 6) == 0);

            int op = pick(0, 99);
            int st = 0;
            bool completes = true;  // ends with the completion rule
            int portUsed = -1;      // the port a port operation worked on
            if (op < 30) {
                int port = pick(0, 19) == 0 ? pick(-1, 3) : pick(0, 2);
                int mask = pick(0, 3) == 0 ? pick(0, 255) : masks[pick(0, 6)];
                if (port >= 0 && port < PORT_SIZE) portMasks.insert({port, mask});
                st = vekta_portMask(port, (unsigned char)mask);
                portUsed = port;
            } else if (op < 50) {
                portUsed = pick(0, 2);
                st = vekta_portOut(portUsed, (unsigned char)pick(0, 255));
            } else if (op < 65) {
                byte = 0xEE;
                portUsed = pick(0, 2);
                st = vekta_portIn(portUsed, &byte);
                if (st < 0) {
                    EXPECT_EQ(byte, 0xEE) << "byte written by a failed read";
                }
            } else if (op < 70) {
                int idx = pick(0, 2);
                if (idx < ANALOG_SIZEo) outputUsed[idx] = true;
                st = vekta_analogOut(idx, pick(-100, 100) / 10.0);
            } else if (op < 75) {
                int idx = pick(0, 8);
                if (idx < ANALOG_SIZEi) inputUsed[idx] = true;
                double v = 0;
                st = vekta_analogIn(idx, &v);
            } else if (op < 79) {
                int idx = pick(0, 1);
                outputUsed[idx] = true;
                st = vekta_analogWriteEx(idx, wave, pick(1, 16), 1.0);
            } else if (op < 82) {
                st = vekta_analogOutStop(pick(0, 1));
            } else if (op < 85) {
                int idx = pick(0, 7);
                inputUsed[idx] = true;
                st = vekta_analogReadEx(idx, buf, pick(1, 16), &n, 1.0);
            } else if (op < 89) {
                int idx = pick(0, 7);
                inputUsed[idx] = true;
                st = vekta_analogFetchEx(idx, buf, pick(1, 16), &n, 1.0);
            } else if (op < 92) {
                st = vekta_analogInStop(pick(0, 7));
            } else if (op < 94) {
                completes = false;
                switch (pick(0, 3)) {
                case 0: vekta_analogInClk(pick(0, 3) ? "OnboardClock" : "", pick(1, 4) * 500.0); break;
                case 1: vekta_analogOutClk("OnboardClock", pick(1, 4) * 500.0); break;
                case 2: vekta_analogOutTrigger(pick(0, 1) ? "APFI0" : nullptr, pick(-10, 10) / 10.0); break;
                default: vekta_analogInTrigger(pick(0, 1) ? "APFI1" : nullptr, pick(-10, 10) / 10.0); break;
                }
            } else {
                const bool faultsStop = pick(0, 1) == 0;
                if (faultsStop) b->fault_clear();
                calls();
                st = vekta_ni6251Close();
                bool clearsSucceeded = true;
                for (const std::string &line : calls())
                    if (line.rfind("DAQmxClearTask(", 0) == 0 && line.find(") = -") != std::string::npos)
                        clearsSucceeded = false;
                if (faultsStop) {
                    EXPECT_EQ(st, 0);
                }
                if (clearsSucceeded) {
                    ASSERT_EQ(b->live_tasks(), 0) << "task left after a close whose clears all succeeded";
                    EXPECT_EQ(vekta_staleTaskCount(), 0);
                }
            }
            if (completes) {
                ASSERT_EQ(vekta_GetLastError(), st) << "op " << op;
                if (st < 0) {
                    const std::string text = vekta_GetLastErrorBuffer();
                    ASSERT_NE(text, "");
                    // An injected failure never carries another failure's words.
                    auto m = messages.find(st);
                    if (m != messages.end() && text != kNoDriverText) {
                        ASSERT_EQ(text, m->second) << "op " << op;
                    }
                }
            }
            ASSERT_TRUE(invariantsHold(vekta_cacheView(), true)) << "op " << op;
            if (st >= 0 && portUsed >= 0 && portUsed < PORT_SIZE) {
                const PortConfig &front = vekta_cacheView()->port[portUsed][0];
                if (front.mask != -1) {
                    ASSERT_EQ(front.writeTask != nullptr, front.mask != 0) << "op " << op << ": write task not rebuilt";
                    ASSERT_EQ(front.readTask != nullptr, front.mask != 255) << "op " << op << ": read task not rebuilt";
                }
            }
            b->advance_ns(pick(0, 2000000));
        }

        b->fault_clear();
        ASSERT_EQ(vekta_ni6251Close(), 0);
        ASSERT_EQ(b->live_tasks(), 0) << "task left after the final close";
        // Whatever happened, every mask and channel used works again.
        for (auto [port, mask] : portMasks)
            ASSERT_GE(vekta_portMask(port, (unsigned char)mask), 0) << "port " << port << " mask " << mask;
        for (int idx = 0; idx < ANALOG_SIZEo; idx++)
            if (outputUsed[idx]) {
                ASSERT_GE(vekta_analogOut(idx, 1.0), 0) << "ao" << idx;
            }
        for (int idx = 0; idx < ANALOG_SIZEi; idx++) {
            double v = 0;
            if (inputUsed[idx]) {
                ASSERT_GE(vekta_analogIn(idx, &v), 0) << "ai" << idx;
            }
        }
        ASSERT_EQ(vekta_ni6251Close(), 0);
        ASSERT_EQ(b->live_tasks(), 0) << "task left after the check of the masks and channels";
    }
};

TEST_F(VektaRandom, SeededSequencesKeepTheCacheSoundAndLeakNoTask)
{
    const long ops = envNumber("KORVANE_RANDOM_OPS", 100000);
    const long first = envNumber("KORVANE_RANDOM_FIRST_SEED", 1);
    const long seeds = (ops + kStepsPerSeed - 1) / kStepsPerSeed;
    for (long seed = first; seed < first + seeds; seed++) {
        b->reset();
        vekta_resetState();
        run((uint32_t)seed, kStepsPerSeed);
        if (HasFatalFailure()) return;
    }
}
