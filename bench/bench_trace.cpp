// What the call trace and the VCD cost: an end-to-end script (tests/app's
// avalon.ks: bus cycles, the DAC, the ADC polled by its timer) played on the
// headless run-time and the simulated bench, untraced, with --trace, with
// --vcd and with both. The figure to keep under 1.5 is a traced run's time
// over the untraced run's.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include <unistd.h>

#include "bench_panel.h"


namespace {

enum Outputs { kNone = 0, kTrace = 1, kVcd = 2 };

std::string temp_file(const char *name)
{
    return "/tmp/korvane_bench_" + std::to_string(::getpid()) + "_" + name;
}

// One run of the script from start-up to its end; false when a step failed.
bool play(int outputs)
{
    const std::string trace = outputs & kTrace ? temp_file("trace") : "";
    const std::string vcd = outputs & kVcd ? temp_file("vcd") : "";
    if (!load_korvane_panel(KORVANE_SCRIPT, trace, vcd)) return false;
    RunUserInterface();
    const bool passed = uir::exit_status() == 0;
    DiscardPanel(panelHandle);
    panelHandle = 0;
    simlink::close_outputs(trace, vcd);
    std::remove(trace.c_str());
    std::remove(vcd.c_str());
    return passed;
}

void BM_Script(benchmark::State &state)
{
    const int outputs = static_cast<int>(state.range(0));
    long calls = 0;
    for (auto _ : state) {
        if (!play(outputs)) return state.SkipWithError("the script did not pass");
        calls += ksim::bench()->driver_calls();
    }
    state.counters["driver_calls"] = static_cast<double>(calls) / static_cast<double>(state.iterations());
    state.SetLabel(outputs == kNone ? "untraced" : outputs == kTrace ? "--trace" : outputs == kVcd ? "--vcd" : "--trace --vcd");
}

BENCHMARK(BM_Script)->Arg(kNone)->Arg(kTrace)->Arg(kVcd)->Arg(kTrace | kVcd)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
