// Shared set-up of the benchmarks that run vekta on the simulated bench.
#pragma once

#include <benchmark/benchmark.h>

#include "driver/daqmx_import.h"
#include "sim/device/ksim_client.h"
#include "vekta/vekta_testing.h"

// A powered-up bench on its virtual clock (nothing sleeps), no trace kept,
// and vekta as at program load. Null, with the benchmark skipped, when the
// simulated bench cannot be loaded.
inline const sim::BackDoor *freshBench(benchmark::State &state)
{
    driver::select("sim");
    const sim::BackDoor *b = sim::bench();
    if (!b) {
        state.SkipWithError("the simulated bench is not available");
        return nullptr;
    }
    b->use_virtual_clock();
    b->set_board("model", nullptr, 0);
    b->reset();
    b->trace_capture(0);
    vekta_resetState();
    return b;
}
