// One tick of each of the panel's polling timers on the simulated bench:
// driver calls per tick, the bench time the tick holds the panel for (the
// simulated PXI access times, on the run-time's virtual clock) and the host
// time it costs.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "benchmarks/bench_panel.h"


namespace {

const sim::BackDoor *bench = nullptr;

// The panel loaded on the headless run-time, the hardware open.
bool start_panel()
{
    bench = load_korvane_panel("bench_app");
    if (!bench) return false;
    pxi_open();
    return true;
}

void stop_panel()
{
    pxi_close();
    DiscardPanel(panelHandle);
    panelHandle = 0;
    ui::model::reset();
}

void commit(int id, int value, CtrlCallbackPtr cb)
{
    SetCtrlVal(panelHandle, id, value);
    cb(panelHandle, id, EVENT_COMMIT, nullptr, 0, 0);
}

void run_ticks(benchmark::State &state, CtrlCallbackPtr tick, int timer)
{
    tick(panelHandle, timer, EVENT_TIMER_TICK, nullptr, 0, 0);  // tasks made on first use
    long calls = bench->driver_calls();
    int64_t t0 = ui::now_ns();
    for (auto _ : state) tick(panelHandle, timer, EVENT_TIMER_TICK, nullptr, 0, 0);
    double n = static_cast<double>(state.iterations());
    state.counters["driver_calls"] = static_cast<double>(bench->driver_calls() - calls) / n;
    state.counters["bench_us"] = static_cast<double>(ui::now_ns() - t0) / n / 1000.0;
}

void BM_PortTimerTick(benchmark::State &state)
{
    if (!start_panel()) return state.SkipWithError("no simulated bench or panel");
    commit(PORT_MASK_0, 0xFF, mask_cb);
    commit(PORT_MASK_1, 0x0F, mask_cb);  // a read task and a write task
    commit(PORT_MASK_2, 0, mask_cb);
    run_ticks(state, port_timer_CB, PORT_TIMER);
    stop_panel();
}

void BM_AnalogTimerTick(benchmark::State &state)
{
    if (!start_panel()) return state.SkipWithError("no simulated bench or panel");
    run_ticks(state, ai_timer_CB, AI_TIMER);
    stop_panel();
}

void BM_AvalonTimerTick(benchmark::State &state)
{
    if (!start_panel()) return state.SkipWithError("no simulated bench or panel");
    avalon_init_cb(panelHandle, AV_INIT_BTN, EVENT_COMMIT, nullptr, 0, 0);
    run_ticks(state, avalon_timer_cb, AVALON_TIMER);
    stop_panel();
}

BENCHMARK(BM_PortTimerTick);
BENCHMARK(BM_AnalogTimerTick);
BENCHMARK(BM_AvalonTimerTick);

}  // namespace

BENCHMARK_MAIN();
