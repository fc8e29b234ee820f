// Avalon bus cycles on the simulated bench (virtual clock: nothing sleeps):
// the bus master over vekta's kept port configurations, beside a naive master
// that creates and clears a task for every port access. Counters: cycles per
// second (CPU time of the simulation), driver calls per cycle and the bench's
// virtual microseconds per cycle; the ratio of the two masters' figures is the
// figure of merit. The bus master's cycles also run on the RTL board, beside the
// C++ model: the same bench time, the host CPU a cycle costs.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "NIDAQmx.h"
#include "avalon.h"
#include "daqmx_import.h"
#include "ksim_client.h"
#include "vekta.h"
#include "vekta_testing.h"
#include "bench_support.h"

namespace {

// Also the bench's own time per cycle: what a cycle costs on the hardware,
// where every driver call takes its realistic time.
void counters(benchmark::State &state, const ksim::BackDoor *b, long before, int64_t benchBefore)
{
    state.counters["bench_us/cycle"] = benchmark::Counter(static_cast<double>(b->now_ns() - benchBefore) / 1000.0,
                                                          benchmark::Counter::kAvgIterations);
    state.counters["cycles/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["calls/cycle"] =
        benchmark::Counter(static_cast<double>(b->driver_calls() - before), benchmark::Counter::kAvgIterations);
}

// ---------------------------------------------------------------- naive master

// One port access, the naive way: a task made, used once and cleared.
int naiveOut(int port, uInt8 byte)
{
    TaskHandle t = nullptr;
    std::string lines = "PXI1Slot2/port" + std::to_string(port);
    if (port == 2) lines = "PXI1Slot2/port2/line0,PXI1Slot2/port2/line1,PXI1Slot2/port2/line2";
    int st = DAQmxCreateTask("naive", &t);
    if (st < 0) return st;
    st = DAQmxCreateDOChan(t, lines.c_str(), "", 1);
    if (st >= 0) st = DAQmxWriteDigitalU8(t, 1, 1, 10.0, 0, &byte, nullptr, nullptr);
    DAQmxClearTask(t);
    return st;
}

int naiveAddress(unsigned char slave, unsigned short address)
{
    int st = 0;
    st |= naiveOut(0, static_cast<uInt8>((address << 3) | slave));
    st |= naiveOut(1, static_cast<uInt8>(address >> 5));
    st |= naiveOut(2, 7);
    st |= naiveOut(2, 6);
    return st;
}

int naiveWrite(unsigned char slave, unsigned short address, unsigned short data)
{
    int st = naiveAddress(slave, address);
    st |= naiveOut(0, static_cast<uInt8>(data & 0xFF));
    st |= naiveOut(1, static_cast<uInt8>(data >> 8));
    st |= naiveOut(2, 2);
    st |= naiveOut(2, 6);
    return st;
}

// The naive read turns the data ports to input with a task of its own
// (started, so the lines are inputs before the strobe), reads, and clears.
int naiveRead(unsigned char slave, unsigned short address, unsigned short *data)
{
    int st = naiveAddress(slave, address);
    TaskHandle in[2] = {};
    const char *lines[2] = {"PXI1Slot2/port0", "PXI1Slot2/port1"};
    const char *names[2] = {"naiveIn0", "naiveIn1"};
    for (int i = 0; i < 2; i++) {
        st |= DAQmxCreateTask(names[i], &in[i]);
        st |= DAQmxCreateDIChan(in[i], lines[i], "", 1);
        st |= DAQmxStartTask(in[i]);
    }
    st |= naiveOut(2, 4);
    uInt8 hi = 0, lo = 0;
    st |= DAQmxReadDigitalU8(in[1], 1, 10.0, 0, &hi, 1, nullptr, nullptr);
    st |= DAQmxReadDigitalU8(in[0], 1, 10.0, 0, &lo, 1, nullptr, nullptr);
    st |= naiveOut(2, 6);
    for (TaskHandle t : in) DAQmxClearTask(t);
    *data = static_cast<unsigned short>(hi << 8 | lo);
    return st;
}

// ---------------------------------------------------------------- benchmarks

// The board behind the bench, by the benchmark's argument: 0 the C++ model,
// 1 the reference RTL board (quiet clock edges skipped), 2 the RTL board
// clocked on every edge of its 50 MHz clock.
bool useBoard(benchmark::State &state, const ksim::BackDoor *b)
{
    static const char *const kLabels[] = {"model", "rtl", "rtl, every edge"};
    const int which = static_cast<int>(state.range(0));
    if (which == 2) setenv("KORVANE_RTL_SETTLE_CYCLES", "0", 1);
    char why[512] = "";
    const int rc = b->set_board(which == 0 ? "model" : "rtl", why, sizeof why);
    unsetenv("KORVANE_RTL_SETTLE_CYCLES");
    if (rc != 0) {
        state.SkipWithError(why);
        return false;
    }
    state.SetLabel(kLabels[which]);
    return true;
}

void BM_AvalonWrite(benchmark::State &state)
{
    const ksim::BackDoor *b = freshBench(state);
    if (!b || !useBoard(state, b)) return;
    avalonInit();
    long before = b->driver_calls();
    int64_t benchBefore = b->now_ns();
    unsigned i = 0;
    for (auto _ : state) {
        avalonWrite(0, static_cast<unsigned short>(i & 0x1FFF), static_cast<unsigned short>(i));
        i++;
    }
    counters(state, b, before, benchBefore);
    vekta_ni6251Close();
}
BENCHMARK(BM_AvalonWrite)->ArgName("board")->Arg(0)->Arg(1)->Arg(2);

void BM_NaiveWrite(benchmark::State &state)
{
    const ksim::BackDoor *b = freshBench(state);
    if (!b) return;
    long before = b->driver_calls();
    int64_t benchBefore = b->now_ns();
    unsigned i = 0;
    for (auto _ : state) {
        if (naiveWrite(0, static_cast<unsigned short>(i & 0x1FFF), static_cast<unsigned short>(i)) < 0)
            state.SkipWithError("naive write failed");
        i++;
    }
    counters(state, b, before, benchBefore);
}
BENCHMARK(BM_NaiveWrite);

void BM_AvalonRead(benchmark::State &state)
{
    const ksim::BackDoor *b = freshBench(state);
    if (!b || !useBoard(state, b)) return;
    avalonInit();
    for (unsigned a = 0; a < 64; a++) b->poke_reg(0, static_cast<int>(a), a * 0x101u);
    unsigned short word = 0;
    avalonRead(0, 0, &word);  // makes the input tasks once
    long before = b->driver_calls();
    int64_t benchBefore = b->now_ns();
    unsigned i = 0;
    for (auto _ : state) {
        unsigned a = i++ & 63;
        avalonRead(0, static_cast<unsigned short>(a), &word);
        if (word != static_cast<unsigned short>(a * 0x101u)) state.SkipWithError("wrong word read");
    }
    counters(state, b, before, benchBefore);
    vekta_ni6251Close();
}
BENCHMARK(BM_AvalonRead)->ArgName("board")->Arg(0)->Arg(1)->Arg(2);

void BM_NaiveRead(benchmark::State &state)
{
    const ksim::BackDoor *b = freshBench(state);
    if (!b) return;
    for (unsigned a = 0; a < 64; a++) b->poke_reg(0, static_cast<int>(a), a * 0x101u);
    long before = b->driver_calls();
    int64_t benchBefore = b->now_ns();
    unsigned i = 0;
    unsigned short word = 0;
    for (auto _ : state) {
        unsigned a = i++ & 63;
        if (naiveRead(0, static_cast<unsigned short>(a), &word) < 0) state.SkipWithError("naive read failed");
        if (word != static_cast<unsigned short>(a * 0x101u)) state.SkipWithError("wrong word read");
    }
    counters(state, b, before, benchBefore);
}
BENCHMARK(BM_NaiveRead);

}  // namespace

BENCHMARK_MAIN();
