// The simulated bench's costs: one on-demand digital write through the import
// layer, and keeping up in real time with a continuous acquisition at the
// 6251's top rate and with an output regenerated at its top rate.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <ctime>
#include <numbers>
#include <vector>

#include <unistd.h>

#include "korvane/NIDAQmx.h"
#include "driver/daqmx_import.h"
#include "sim/device/ksim_client.h"
#ifdef KORVANE_HAVE_AVALON
#include "avalon/avalon.h"
#include "vekta/vekta.h"
#include "vekta/vekta_testing.h"
#endif

namespace {

const sim::BackDoor *fresh_bench(bool virtual_time)
{
    driver::select("sim");
    const sim::BackDoor *b = sim::bench();
    if (!b) return nullptr;
    if (virtual_time)
        b->use_virtual_clock();
    else
        b->attach_clock(nullptr, nullptr, nullptr);  // the real steady clock
    b->reset();
    b->trace_capture(0);
    return b;
}

double cpu_seconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void DigitalWrite(benchmark::State &state, bool virtual_time, bool traced = false)
{
    const sim::BackDoor *b = fresh_bench(virtual_time);
    if (!b) {
        state.SkipWithError("the simulated bench does not load");
        return;
    }
    const std::string trace = "/tmp/korvane_bench_sim_" + std::to_string(::getpid()) + ".trace";
    const std::string vcd = "/tmp/korvane_bench_sim_" + std::to_string(::getpid()) + ".vcd";
    if (traced && (b->trace_file(trace.c_str()) != 0 || b->vcd_file(vcd.c_str()) != 0))
        return state.SkipWithError("cannot write the trace or the VCD");
    TaskHandle h = nullptr;
    DAQmxCreateTask("port0W255", &h);
    DAQmxCreateDOChan(h, "PXI1Slot2/port0", "w", DAQmx_Val_ChanForAllLines);
    uInt8 v = 0;
    for (auto _ : state) {
        ++v;
        if (DAQmxWriteDigitalU8(h, 1, 1, 10.0, 0, &v, nullptr, nullptr) != 0) state.SkipWithError("write failed");
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["driver_calls"] = static_cast<double>(b->driver_calls());
    DAQmxClearTask(h);
    if (traced) {
        b->trace_file(nullptr);
        b->vcd_file(nullptr);
        std::remove(trace.c_str());
        std::remove(vcd.c_str());
    }
}

// The simulation's own cost: virtual time, no waiting for the 4 us the call takes on PXI.
void BM_DigitalWriteVirtualTime(benchmark::State &state)
{
    DigitalWrite(state, true);
}
BENCHMARK(BM_DigitalWriteVirtualTime);

// The same with the call trace and the VCD written.
void BM_DigitalWriteVirtualTimeTraced(benchmark::State &state)
{
    DigitalWrite(state, true, true);
}
BENCHMARK(BM_DigitalWriteVirtualTimeTraced);

// On the real clock each call also lasts its realistic time.
void BM_DigitalWriteRealTime(benchmark::State &state)
{
    DigitalWrite(state, false);
}
BENCHMARK(BM_DigitalWriteRealTime);

// A continuous acquisition at 1.25 MS/s read in 10 ms blocks as it arrives:
// cpu_fraction is the CPU time used per second of signal (target < 0.1).
void BM_ContinuousAcquisition1M25(benchmark::State &state)
{
    const sim::BackDoor *b = fresh_bench(false);
    if (!b) {
        state.SkipWithError("the simulated bench does not load");
        return;
    }
    const double rate = 1.25e6;
    const int32 block = 12'500;
    TaskHandle h = nullptr;
    DAQmxCreateTask("analog4I", &h);
    DAQmxCreateAIVoltageChan(h, "PXI1Slot2/ai4", "", DAQmx_Val_RSE, -10, 10, DAQmx_Val_Volts, "");
    DAQmxCfgSampClkTiming(h, "OnboardClock", rate, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 1'000'000);
    std::vector<double> buf(block);
    if (DAQmxStartTask(h) != 0) state.SkipWithError("start failed");
    long samples = 0;
    const double cpu0 = cpu_seconds();
    for (auto _ : state) {
        int32 got = 0;
        if (DAQmxReadAnalogF64(h, block, 1.0, 0, buf.data(), block, &got, nullptr) != 0) {
            state.SkipWithError("read failed: the bench fell behind");
            break;
        }
        samples += got;
    }
    const double cpu = cpu_seconds() - cpu0;
    DAQmxClearTask(h);
    state.SetItemsProcessed(samples);
    state.counters["cpu_fraction"] = samples ? cpu / (static_cast<double>(samples) / rate) : 0;
    state.counters["samples_per_cpu_s"] = cpu > 0 ? static_cast<double>(samples) / cpu : 0;
}
BENCHMARK(BM_ContinuousAcquisition1M25)->Iterations(100)->UseRealTime();

// A waveform regenerated on ao0 at 2.86 MS/s. The output is computed where it
// is observed, so it is watched here through its loopback on ai0, acquired at
// 1.25 MS/s: cpu_fraction covers both per second of signal.
void BM_RegeneratedOutput2M86(benchmark::State &state)
{
    const sim::BackDoor *b = fresh_bench(false);
    if (!b) {
        state.SkipWithError("the simulated bench does not load");
        return;
    }
    TaskHandle o = nullptr, i = nullptr;
    DAQmxCreateTask("analog0o", &o);
    DAQmxCreateAOVoltageChan(o, "PXI1Slot2/ao0", "", -10, 10, DAQmx_Val_Volts, "");
    DAQmxCfgSampClkTiming(o, "OnboardClock", 2.86e6, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 1000);
    std::vector<double> wave(1000);
    for (size_t k = 0; k < wave.size(); ++k) wave[k] = 5 * std::sin(2 * std::numbers::pi * static_cast<double>(k) / 1000);
    int32 written = 0;
    if (DAQmxWriteAnalogF64(o, 1000, 1, 10.0, 0, wave.data(), &written, nullptr) != 0) state.SkipWithError("write failed");
    DAQmxCreateTask("analog0I", &i);
    DAQmxCreateAIVoltageChan(i, "PXI1Slot2/ai0", "", DAQmx_Val_RSE, -10, 10, DAQmx_Val_Volts, "");
    DAQmxCfgSampClkTiming(i, "OnboardClock", 1.25e6, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 1'000'000);
    const int32 block = 12'500;
    std::vector<double> buf(block);
    long samples = 0;
    const double cpu0 = cpu_seconds();
    for (auto _ : state) {
        int32 got = 0;
        if (DAQmxReadAnalogF64(i, block, 1.0, 0, buf.data(), block, &got, nullptr) != 0) {
            state.SkipWithError("read failed: the bench fell behind");
            break;
        }
        samples += got;
    }
    const double cpu = cpu_seconds() - cpu0;
    double ao = 0;
    b->probe("ao0", &ao);
    DAQmxClearTask(i);
    DAQmxClearTask(o);
    const double seconds = static_cast<double>(samples) / 1.25e6;
    state.counters["cpu_fraction"] = seconds > 0 ? cpu / seconds : 0;
    state.counters["ao_samples_per_cpu_s"] = cpu > 0 ? seconds * 2.86e6 / cpu : 0;
}
BENCHMARK(BM_RegeneratedOutput2M86)->Iterations(100)->UseRealTime();

#ifdef KORVANE_HAVE_AVALON
// The Avalon area's ADC tick on the real clock, as in the window: both
// channels converted (20 us each on the board) and read over the bit-banged
// bus. Real time per tick and the driver calls it takes (status polls included).
void BM_AdcTickRealClock(benchmark::State &state)
{
    const sim::BackDoor *b = fresh_bench(false);
    if (!b) {
        state.SkipWithError("the simulated bench does not load");
        return;
    }
    vekta_resetState();
    avalonInit();
    avalonADCInit();
    int code = 0;
    avalonADCGetCodeByStart(0, &code);
    const long calls = b->driver_calls();
    const double cpu0 = cpu_seconds();
    for (auto _ : state) {
        avalonADCGetCodeByStart(0, &code);
        avalonADCGetCodeByStart(1, &code);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["driver_calls"] = static_cast<double>(b->driver_calls() - calls) / n;
    state.counters["cpu_us"] = (cpu_seconds() - cpu0) / n * 1e6;
    vekta_ni6251Close();
}
BENCHMARK(BM_AdcTickRealClock)->UseRealTime()->Unit(benchmark::kMicrosecond);
#endif

}  // namespace

BENCHMARK_MAIN();
