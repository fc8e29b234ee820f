// vekta's digital port operations on the simulated bench (virtual clock, so
// nothing sleeps), beside the raw driver calls they are made of. The counter
// "calls" is the number of driver calls per operation.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "korvane/NIDAQmx.h"
#include "driver/daqmx_import.h"
#include "sim/device/ksim_client.h"
#include "vekta/vekta.h"
#include "vekta/vekta_testing.h"
#include "benchmarks/bench_support.h"

namespace {

// Driver calls per operation, and the bench's own (virtual) time per
// operation, where every driver call takes its realistic time.
void callsPerOp(benchmark::State &state, const sim::BackDoor *b, long before, int64_t benchBefore)
{
    state.counters["bench_us"] = benchmark::Counter(static_cast<double>(b->now_ns() - benchBefore) / 1000.0,
                                                    benchmark::Counter::kAvgIterations);
    state.counters["calls"] =
        benchmark::Counter(static_cast<double>(b->driver_calls() - before), benchmark::Counter::kAvgIterations);
}

// Switching between two kept configurations of one port.
void BM_PortMaskKept(benchmark::State &state)
{
    const sim::BackDoor *b = freshBench(state);
    if (!b) return;
    vekta_portOut(0, 0x5A);
    vekta_portMask(0, 0x0F);
    vekta_portMask(0, 0xF0);
    long before = b->driver_calls();
    int64_t benchBefore = b->now_ns();
    unsigned char mask = 0x0F;
    for (auto _ : state) {
        if (vekta_portMask(0, mask) < 0) state.SkipWithError("vekta_portMask failed");
        mask ^= 0xFF;
    }
    callsPerOp(state, b, before, benchBefore);
    vekta_ni6251Close();
}
BENCHMARK(BM_PortMaskKept);

// The same switch done by hand: stop both tasks, start one, write one byte.
void BM_RawMaskSwitch(benchmark::State &state)
{
    const sim::BackDoor *b = freshBench(state);
    if (!b) return;
    TaskHandle w[2] = {}, r[2] = {};
    DAQmxCreateTask("rawW15", &w[0]);
    DAQmxCreateDOChan(w[0], "PXI1Slot2/port0/line0,PXI1Slot2/port0/line1,PXI1Slot2/port0/line2,PXI1Slot2/port0/line3", "w", 1);
    DAQmxCreateTask("rawR15", &r[0]);
    DAQmxCreateDIChan(r[0], "PXI1Slot2/port0/line4,PXI1Slot2/port0/line5,PXI1Slot2/port0/line6,PXI1Slot2/port0/line7",
                      "r", 1);
    DAQmxCreateTask("rawW240", &w[1]);
    DAQmxCreateDOChan(w[1], "PXI1Slot2/port0/line4,PXI1Slot2/port0/line5,PXI1Slot2/port0/line6,PXI1Slot2/port0/line7",
                      "w", 1);
    DAQmxCreateTask("rawR240", &r[1]);
    DAQmxCreateDIChan(r[1], "PXI1Slot2/port0/line0,PXI1Slot2/port0/line1,PXI1Slot2/port0/line2,PXI1Slot2/port0/line3",
                      "r", 1);
    long before = b->driver_calls();
    int64_t benchBefore = b->now_ns();
    int cur = 0;
    const uInt8 byte = 0x5A;
    for (auto _ : state) {
        DAQmxStopTask(w[cur]);
        DAQmxStopTask(r[cur]);
        cur ^= 1;
        DAQmxStartTask(r[cur]);
        if (DAQmxWriteDigitalU8(w[cur], 1, 1, 10.0, 0, &byte, nullptr, nullptr) < 0)
            state.SkipWithError("write failed");
    }
    callsPerOp(state, b, before, benchBefore);
    for (int i = 0; i < 2; i++) {
        DAQmxClearTask(w[i]);
        DAQmxClearTask(r[i]);
    }
}
BENCHMARK(BM_RawMaskSwitch);

void BM_PortOut(benchmark::State &state)
{
    const sim::BackDoor *b = freshBench(state);
    if (!b) return;
    vekta_portMask(1, 255);
    long before = b->driver_calls();
    int64_t benchBefore = b->now_ns();
    unsigned char v = 0;
    for (auto _ : state)
        if (vekta_portOut(1, v++) < 0) state.SkipWithError("vekta_portOut failed");
    callsPerOp(state, b, before, benchBefore);
    vekta_ni6251Close();
}
BENCHMARK(BM_PortOut);

void BM_RawWriteDigitalU8(benchmark::State &state)
{
    const sim::BackDoor *b = freshBench(state);
    if (!b) return;
    TaskHandle t = nullptr;
    DAQmxCreateTask("rawW", &t);
    DAQmxCreateDOChan(t, "PXI1Slot2/port1", "w", 1);
    long before = b->driver_calls();
    int64_t benchBefore = b->now_ns();
    uInt8 v = 0;
    for (auto _ : state) {
        v++;
        if (DAQmxWriteDigitalU8(t, 1, 1, 10.0, 0, &v, nullptr, nullptr) < 0) state.SkipWithError("write failed");
    }
    callsPerOp(state, b, before, benchBefore);
    DAQmxClearTask(t);
}
BENCHMARK(BM_RawWriteDigitalU8);

// A port with input and output lines: two driver reads per vekta_portIn.
void BM_PortIn(benchmark::State &state)
{
    const sim::BackDoor *b = freshBench(state);
    if (!b) return;
    vekta_portMask(2, 7);
    vekta_portOut(2, 6);
    long before = b->driver_calls();
    int64_t benchBefore = b->now_ns();
    unsigned char v = 0;
    for (auto _ : state) {
        if (vekta_portIn(2, &v) < 0) state.SkipWithError("vekta_portIn failed");
        benchmark::DoNotOptimize(v);
    }
    callsPerOp(state, b, before, benchBefore);
    vekta_ni6251Close();
}
BENCHMARK(BM_PortIn);

void BM_RawReadDigitalU8(benchmark::State &state)
{
    const sim::BackDoor *b = freshBench(state);
    if (!b) return;
    TaskHandle t = nullptr;
    DAQmxCreateTask("rawR", &t);
    DAQmxCreateDIChan(t, "PXI1Slot2/port2", "r", 1);
    DAQmxStartTask(t);
    long before = b->driver_calls();
    int64_t benchBefore = b->now_ns();
    uInt8 v = 0;
    for (auto _ : state) {
        if (DAQmxReadDigitalU8(t, 1, 10.0, 0, &v, 1, nullptr, nullptr) < 0) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(v);
    }
    callsPerOp(state, b, before, benchBefore);
    DAQmxClearTask(t);
}
BENCHMARK(BM_RawReadDigitalU8);

}  // namespace

BENCHMARK_MAIN();
