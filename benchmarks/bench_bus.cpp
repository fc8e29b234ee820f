// Dump and load of slave 0's 8192 words on the simulated bench (virtual
// clock: nothing sleeps), beside single read and write cycles and beside a
// dump made of single read cycles. Counters: the bench's time and the driver
// calls per word; the bench's time is what the transfer takes on the
// hardware, where every driver call takes its realistic time.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "avalon/avalon.h"
#include "avalon/avalon_block.h"
#include "benchmarks/bench_support.h"
#include "vekta/vekta.h"

namespace {

constexpr int kWords = 8192;

const sim::BackDoor *busReady(benchmark::State &state)
{
    const sim::BackDoor *b = freshBench(state);
    if (b) {
        vekta_ni6251Slot(2);
        avalonInit();
    }
    return b;
}

void perWord(benchmark::State &state, const sim::BackDoor *b, long calls, int64_t t0, int words)
{
    const double n = static_cast<double>(state.iterations()) * words;
    state.counters["calls/word"] = benchmark::Counter(static_cast<double>(b->driver_calls() - calls) / n);
    state.counters["bench_us/word"] = benchmark::Counter(static_cast<double>(b->now_ns() - t0) / 1000.0 / n);
    state.counters["bench_ms/transfer"] =
        benchmark::Counter(static_cast<double>(b->now_ns() - t0) / 1e6 / static_cast<double>(state.iterations()));
}

void BM_SingleRead(benchmark::State &state)
{
    const sim::BackDoor *b = busReady(state);
    if (!b) return;
    unsigned short w = 0;
    avalonRead(0, 0, &w);  // the input tasks exist from here on
    const long calls = b->driver_calls();
    const int64_t t0 = b->now_ns();
    unsigned short a = 0;
    for (auto _ : state) {
        avalonRead(0, a++ & 0x1FFF, &w);
        benchmark::DoNotOptimize(w);
    }
    perWord(state, b, calls, t0, 1);
}
BENCHMARK(BM_SingleRead);

void BM_SingleWrite(benchmark::State &state)
{
    const sim::BackDoor *b = busReady(state);
    if (!b) return;
    const long calls = b->driver_calls();
    const int64_t t0 = b->now_ns();
    unsigned short a = 0;
    for (auto _ : state) avalonWrite(0, a++ & 0x1FFF, 0x5A5A);
    perWord(state, b, calls, t0, 1);
}
BENCHMARK(BM_SingleWrite);

// A dump as single read cycles, one after the other.
void BM_DumpBySingleReads(benchmark::State &state)
{
    const sim::BackDoor *b = busReady(state);
    if (!b) return;
    std::vector<unsigned short> words(kWords);
    avalonRead(0, 0, words.data());
    const long calls = b->driver_calls();
    const int64_t t0 = b->now_ns();
    for (auto _ : state)
        for (int a = 0; a < kWords; a++) avalonRead(0, static_cast<unsigned short>(a), &words[static_cast<size_t>(a)]);
    perWord(state, b, calls, t0, kWords);
}
BENCHMARK(BM_DumpBySingleReads)->Unit(benchmark::kMillisecond);

void BM_Dump(benchmark::State &state)
{
    const sim::BackDoor *b = busReady(state);
    if (!b) return;
    std::vector<unsigned short> words(kWords);
    avalonReadBlock(0, 0, words.data(), 1);
    const long calls = b->driver_calls();
    const int64_t t0 = b->now_ns();
    for (auto _ : state) {
        if (avalonReadBlock(0, 0, words.data(), kWords) != kWords) state.SkipWithError("a read cycle failed");
    }
    perWord(state, b, calls, t0, kWords);
}
BENCHMARK(BM_Dump)->Unit(benchmark::kMillisecond);

void BM_Load(benchmark::State &state)
{
    const sim::BackDoor *b = busReady(state);
    if (!b) return;
    std::vector<unsigned short> words(kWords);
    for (int a = 0; a < kWords; a++) words[static_cast<size_t>(a)] = static_cast<unsigned short>(a * 40503u);
    const long calls = b->driver_calls();
    const int64_t t0 = b->now_ns();
    for (auto _ : state) {
        if (avalonWriteBlock(0, 0, words.data(), kWords) != kWords) state.SkipWithError("a write cycle failed");
    }
    perWord(state, b, calls, t0, kWords);
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

// The crossover of the two block paths: N words through the single-port
// cycles (path 0) and through the port groups (path 1), each transfer a block
// of its own as a bus command makes it. avalon_block.h's
// AVALON_GROUP_FROM_WORDS is the first N where the groups cost less bench time.
int (*const kReadPaths[])(unsigned char, unsigned short, unsigned short *, int) = {avalonReadCycles, avalonReadGroup};
int (*const kWritePaths[])(unsigned char, unsigned short, const unsigned short *, int) = {avalonWriteCycles,
                                                                                           avalonWriteGroup};

void perTransfer(benchmark::State &state, const sim::BackDoor *b, long calls, int64_t t0)
{
    const double n = static_cast<double>(state.iterations());
    state.counters["calls/transfer"] = benchmark::Counter(static_cast<double>(b->driver_calls() - calls) / n);
    state.counters["bench_us/transfer"] = benchmark::Counter(static_cast<double>(b->now_ns() - t0) / 1000.0 / n);
}

void BM_ReadPath(benchmark::State &state)
{
    const sim::BackDoor *b = busReady(state);
    if (!b) return;
    const auto path = kReadPaths[state.range(0)];
    const int count = static_cast<int>(state.range(1));
    std::vector<unsigned short> words(static_cast<size_t>(count));
    avalonReadCycles(0, 0, words.data(), 1);  // the input tasks exist from here on
    avalonReadGroup(0, 0, words.data(), 1);   // and the group tasks
    const long calls = b->driver_calls();
    const int64_t t0 = b->now_ns();
    for (auto _ : state)
        if (path(0, 0x100, words.data(), count) != count) state.SkipWithError("a read cycle failed");
    perTransfer(state, b, calls, t0);
}
BENCHMARK(BM_ReadPath)->ArgNames({"group", "words"})->ArgsProduct({{0, 1}, {1, 2, 3, 4, 5, 6, 8, 16}});

void BM_WritePath(benchmark::State &state)
{
    const sim::BackDoor *b = busReady(state);
    if (!b) return;
    const auto path = kWritePaths[state.range(0)];
    const int count = static_cast<int>(state.range(1));
    std::vector<unsigned short> words(static_cast<size_t>(count), 0x5A5A);
    avalonWriteGroup(0, 0, words.data(), 1);
    const long calls = b->driver_calls();
    const int64_t t0 = b->now_ns();
    for (auto _ : state)
        if (path(0, 0x100, words.data(), count) != count) state.SkipWithError("a write cycle failed");
    perTransfer(state, b, calls, t0);
}
BENCHMARK(BM_WritePath)->ArgNames({"group", "words"})->ArgsProduct({{0, 1}, {1, 2, 3, 4, 5, 6, 8, 16}});

}  // namespace

BENCHMARK_MAIN();
