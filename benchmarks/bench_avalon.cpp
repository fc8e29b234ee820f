// Avalon bus cycles on the simulated bench (virtual clock: nothing sleeps):
// the bus master over vekta's kept port configurations, beside a naive master
// that creates and clears a task for every port access. Counters: cycles per
// second (CPU time of the simulation), driver calls per cycle and the bench's
// virtual microseconds per cycle; the ratio of the two masters' figures is the
// figure of merit. The bus master's cycles also run on the RTL board, beside the
// C++ model: the same bench time, the host CPU a cycle costs. And beside the
// same driver calls made straight on the bench library's own entry points
// (dlsym, not through the import layer): what korvane's stack (avalon, vekta
// and the import layer with its trace and call counts) costs over the driver.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "korvane/NIDAQmx.h"
#include "avalon/avalon.h"
#include "driver/daqmx_import.h"
#include "sim/device/ksim_client.h"
#include "vekta/vekta.h"
#include "vekta/vekta_testing.h"
#include "benchmarks/bench_support.h"

namespace {

// Also the bench's own time per cycle: what a cycle costs on the hardware,
// where every driver call takes its realistic time.
void counters(benchmark::State &state, const sim::BackDoor *b, long before, int64_t benchBefore)
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

// ---------------------------------------------------------------- the driver direct

// The bench library's own entry points, as dlsym finds them in it: calls that
// bypass the import layer.
struct Direct {
    decltype(&DAQmxWriteDigitalU8) write = nullptr;
    decltype(&DAQmxReadDigitalU8) read = nullptr;
    decltype(&DAQmxStartTask) start = nullptr;
    decltype(&DAQmxStopTask) stop = nullptr;
    TaskHandle w[3] = {}, r[2] = {};  // vekta's tasks: ports 0 and 1 as outputs and inputs, port 2's output lines
};

// Resolves the entry points and takes the tasks vekta made for a read cycle.
bool direct(benchmark::State &state, Direct &d)
{
    d.write = reinterpret_cast<decltype(d.write)>(driver::symbol("DAQmxWriteDigitalU8"));
    d.read = reinterpret_cast<decltype(d.read)>(driver::symbol("DAQmxReadDigitalU8"));
    d.start = reinterpret_cast<decltype(d.start)>(driver::symbol("DAQmxStartTask"));
    d.stop = reinterpret_cast<decltype(d.stop)>(driver::symbol("DAQmxStopTask"));
    const VektaCache *c = vekta_cacheView();
    for (int p = 0; p < 3; p++)
        for (const PortConfig &e : c->port[p]) {
            if (e.mask == (p == 2 ? 7 : 255)) d.w[p] = e.writeTask;
            if (p < 2 && e.mask == 0) d.r[p] = e.readTask;
        }
    if (!d.write || !d.read || !d.start || !d.stop || !d.w[0] || !d.w[1] || !d.w[2] || !d.r[0] || !d.r[1]) {
        state.SkipWithError("the bench's entry points or vekta's tasks are missing");
        return false;
    }
    return true;
}

int directOut(const Direct &d, int port, uInt8 byte)
{
    return d.write(d.w[port], 1, 1, 10.0, DAQmx_Val_GroupByChannel, &byte, nullptr, nullptr);
}

// avalonWrite's eight driver calls. Not inlined, so that a profiler counts
// it as it counts avalonWrite (valgrind --toggle-collect).
[[gnu::noinline]] int directWrite(const Direct &d, unsigned char slave, unsigned short address, unsigned short data)
{
    int st = 0;
    st |= directOut(d, 0, static_cast<uInt8>((address << 3) | slave));
    st |= directOut(d, 1, static_cast<uInt8>(address >> 5));
    st |= directOut(d, 2, 7);
    st |= directOut(d, 2, 6);
    st |= directOut(d, 0, static_cast<uInt8>(data & 0xFF));
    st |= directOut(d, 1, static_cast<uInt8>(data >> 8));
    st |= directOut(d, 2, 2);
    st |= directOut(d, 2, 6);
    return st;
}

// avalonRead's sixteen: the address phase, the data ports to input (stop the
// output task, start the input task), the strobe, both bytes, idle, and back
// to output (stop the input task, the address written again).
[[gnu::noinline]] int directRead(const Direct &d, unsigned char slave, unsigned short address, unsigned short *data)
{
    const uInt8 lo = static_cast<uInt8>((address << 3) | slave), hi = static_cast<uInt8>(address >> 5);
    int st = 0;
    st |= directOut(d, 0, lo);
    st |= directOut(d, 1, hi);
    st |= directOut(d, 2, 7);
    st |= directOut(d, 2, 6);
    for (int p = 0; p < 2; p++) {
        st |= d.stop(d.w[p]);
        st |= d.start(d.r[p]);
    }
    st |= directOut(d, 2, 4);
    uInt8 b[2] = {};
    for (int p = 1; p >= 0; p--) st |= d.read(d.r[p], 1, 10.0, DAQmx_Val_GroupByChannel, &b[p], 1, nullptr, nullptr);
    st |= directOut(d, 2, 6);
    for (int p = 0; p < 2; p++) {
        st |= d.stop(d.r[p]);
        st |= directOut(d, p, p == 0 ? lo : hi);
    }
    *data = static_cast<unsigned short>(b[1] << 8 | b[0]);
    return st;
}

// ---------------------------------------------------------------- benchmarks

// The board behind the bench, by the benchmark's argument: 0 the C++ model,
// 1 the reference RTL board (quiet clock edges skipped), 2 the RTL board
// clocked on every edge of its 50 MHz clock.
bool useBoard(benchmark::State &state, const sim::BackDoor *b)
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
    const sim::BackDoor *b = freshBench(state);
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

// The same calls as BM_AvalonWrite, straight on the driver.
void BM_DirectWrite(benchmark::State &state)
{
    const sim::BackDoor *b = freshBench(state);
    if (!b) return;
    avalonInit();
    unsigned short word = 0;
    avalonRead(0, 0, &word);  // vekta's tasks, taken by the direct calls
    Direct d;
    if (!direct(state, d)) return;
    long before = b->driver_calls();
    int64_t benchBefore = b->now_ns();
    unsigned i = 0;
    for (auto _ : state) {
        if (directWrite(d, 0, static_cast<unsigned short>(i & 0x1FFF), static_cast<unsigned short>(i)) < 0)
            state.SkipWithError("a direct call failed");
        i++;
    }
    counters(state, b, before, benchBefore);
    vekta_ni6251Close();
}
BENCHMARK(BM_DirectWrite);

void BM_NaiveWrite(benchmark::State &state)
{
    const sim::BackDoor *b = freshBench(state);
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
    const sim::BackDoor *b = freshBench(state);
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

// The same calls as BM_AvalonRead, straight on the driver.
void BM_DirectRead(benchmark::State &state)
{
    const sim::BackDoor *b = freshBench(state);
    if (!b) return;
    avalonInit();
    for (unsigned a = 0; a < 64; a++) b->poke_reg(0, static_cast<int>(a), a * 0x101u);
    unsigned short word = 0;
    avalonRead(0, 0, &word);
    Direct d;
    if (!direct(state, d)) return;
    long before = b->driver_calls();
    int64_t benchBefore = b->now_ns();
    unsigned i = 0;
    for (auto _ : state) {
        unsigned a = i++ & 63;
        if (directRead(d, 0, static_cast<unsigned short>(a), &word) < 0) state.SkipWithError("a direct call failed");
        if (word != static_cast<unsigned short>(a * 0x101u)) state.SkipWithError("wrong word read");
    }
    counters(state, b, before, benchBefore);
    vekta_ni6251Close();
}
BENCHMARK(BM_DirectRead);

// Host CPU of the stack over the same driver calls made direct: blocks of
// each in turn (which goes first alternates), so that a busy machine weighs
// on both alike; the counter is the median of the blocks' ratios. Argument:
// 0 write cycles, 1 read cycles.
double threadCpuNs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e9 + static_cast<double>(ts.tv_nsec);
}

void BM_StackOverDirect(benchmark::State &state)
{
    const bool reads = state.range(0) != 0;
    const sim::BackDoor *b = freshBench(state);
    if (!b) return;
    avalonInit();
    unsigned short word = 0;
    avalonRead(0, 0, &word);
    Direct d;
    if (!direct(state, d)) return;
    constexpr int kBlock = 100;
    std::vector<double> ratios;
    unsigned i = 0;
    auto stack = [&] {
        for (int n = 0; n < kBlock; n++, i++) {
            if (reads)
                avalonRead(0, static_cast<unsigned short>(i & 63), &word);
            else
                avalonWrite(0, static_cast<unsigned short>(i & 63), static_cast<unsigned short>(i));
        }
    };
    auto straight = [&] {
        for (int n = 0; n < kBlock; n++, i++) {
            if (reads)
                directRead(d, 0, static_cast<unsigned short>(i & 63), &word);
            else
                directWrite(d, 0, static_cast<unsigned short>(i & 63), static_cast<unsigned short>(i));
        }
    };
    for (auto _ : state) {
        const bool stackFirst = ratios.size() % 2 == 0;
        const double t0 = threadCpuNs();
        stackFirst ? stack() : straight();
        const double t1 = threadCpuNs();
        stackFirst ? straight() : stack();
        const double t2 = threadCpuNs();
        ratios.push_back(stackFirst ? (t1 - t0) / (t2 - t1) : (t2 - t1) / (t1 - t0));
    }
    std::nth_element(ratios.begin(), ratios.begin() + static_cast<long>(ratios.size() / 2), ratios.end());
    state.counters["stack/direct"] = ratios[ratios.size() / 2];
    state.SetLabel(reads ? "read cycles" : "write cycles");
    vekta_ni6251Close();
}
BENCHMARK(BM_StackOverDirect)->Arg(0)->Arg(1);

void BM_NaiveRead(benchmark::State &state)
{
    const sim::BackDoor *b = freshBench(state);
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
