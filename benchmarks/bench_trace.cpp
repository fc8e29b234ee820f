// What the call trace and the VCD cost over an untraced run, on long runs
// where start-up does not hide it: an end-to-end script of 20,000 bus cycles
// (10,000 writes and reads of slave 0 through the Avalon area, each read
// checked now and then) played on the headless run-time and the simulated
// bench, and a dump of slave 0's 8192 words through the block path as `bus
// dump` makes it; untraced, with --trace, with --vcd and with both. The
// figure to keep under 1.5 is a traced run's CPU time over the untraced run's.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "avalon/avalon.h"
#include "avalon/avalon_block.h"
#include "benchmarks/bench_panel.h"
#include "vekta/vekta.h"

namespace {

enum Outputs { kNone = 0, kTrace = 1, kVcd = 2 };

constexpr int kPairs = 10000;  // a write and a read each
constexpr int kWords = 8192;

std::string temp_file(const char *name)
{
    return "/tmp/korvane_bench_" + std::to_string(::getpid()) + "_" + name;
}

const char *label(int outputs)
{
    return outputs == kNone ? "untraced" : outputs == kTrace ? "--trace" : outputs == kVcd ? "--vcd" : "--trace --vcd";
}

// The long script, written once per process.
const std::string &long_script()
{
    static const std::string path = [] {
        const std::string p = temp_file("long.ks");
        std::ofstream ks(p);
        ks << "press OPEN_BTN\npress AV_INIT_BTN\nset AV_WRITE_SLAVE 0\nset AV_READ_SLAVE 0\n"
              "set AV_WRITE_ADDR 0x123\nset AV_READ_ADDR 0x123\n";
        for (int i = 0; i < kPairs; i++) {
            ks << "set AV_WRITE_DATA " << (i * 40503 & 0xFFFF) << "\npress AV_WRITE_BTN\npress AV_READ_BTN\n";
            if (i % 100 == 99) ks << "expect AV_READ_DATA " << (i * 40503 & 0xFFFF) << "\n";
        }
        ks << "quit\n";
        return p;
    }();
    return path;
}

// One run of the script from start-up to its end; false when a step failed.
bool play(int outputs)
{
    const std::string trace = outputs & kTrace ? temp_file("trace") : "";
    const std::string vcd = outputs & kVcd ? temp_file("vcd") : "";
    if (!load_korvane_panel(long_script().c_str(), trace, vcd)) return false;
    RunUserInterface();
    const bool passed = ui::exit_status() == 0;
    DiscardPanel(panelHandle);
    panelHandle = 0;
    app::simlink::close_outputs(trace, vcd);
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
        calls += sim::bench()->driver_calls();
    }
    state.counters["driver_calls"] = static_cast<double>(calls) / static_cast<double>(state.iterations());
    state.SetLabel(label(outputs));
}

BENCHMARK(BM_Script)->Arg(kNone)->Arg(kTrace)->Arg(kVcd)->Arg(kTrace | kVcd)->Unit(benchmark::kMillisecond);

// One dump as `bus dump` makes it: the bench on a clock of its own, the bus
// set up, the words read in the subcommand's chunks of 256.
bool dump(int outputs)
{
    const std::string trace = outputs & kTrace ? temp_file("dump.trace") : "";
    const std::string vcd = outputs & kVcd ? temp_file("dump.vcd") : "";
    driver::select("sim");
    const sim::BackDoor *b = sim::bench();
    if (!b) return false;
    b->reset();
    vekta_resetState();
    app::simlink::use_bench_clock();
    if (!app::simlink::open_outputs(trace, vcd).empty()) return false;
    avalonInit();
    std::vector<unsigned short> words(kWords);
    bool whole = true;
    for (int done = 0; done < kWords && whole; done += 256)
        whole = avalonReadBlock(0, static_cast<unsigned short>(done), words.data() + done, 256) == 256;
    vekta_ni6251Close();
    app::simlink::close_outputs(trace, vcd);
    std::remove(trace.c_str());
    std::remove(vcd.c_str());
    return whole;
}

void BM_Dump(benchmark::State &state)
{
    const int outputs = static_cast<int>(state.range(0));
    for (auto _ : state)
        if (!dump(outputs)) return state.SkipWithError("the dump failed");
    state.SetLabel(label(outputs));
}

BENCHMARK(BM_Dump)->Arg(kNone)->Arg(kTrace | kVcd)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
