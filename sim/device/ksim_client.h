// The simulated bench's back door, reached through the loaded driver library
// (driver::symbol), for tests and script mode. bench() is null when the loaded
// driver is not the simulated bench. The trace members reach the import
// layer's call trace (daqmx_trace.h), which records the calls to any driver.
#pragma once

#include <string>

#include "driver/daqmx_import.h"
#include "driver/daqmx_trace.h"
#include "korvane/ksim_backdoor.h"

namespace sim {

struct BackDoor {
#define KSIM_MEMBER(ret, name, params, args) ret(*name) params = nullptr;
    KSIM_BACK_DOOR(KSIM_MEMBER)
#undef KSIM_MEMBER

    // The import layer's trace: a file of its own, and the lines kept in memory.
    int (*trace_file)(const char *path) = driver::trace::to_file;
    void (*trace_capture)(int on) = [](int on) { driver::trace::capture(on != 0); };
    void (*trace_clear)() = driver::trace::clear;
    // The in-memory trace as one string, a line per driver call.
    std::string trace() const { return driver::trace::text(); }
};

namespace detail {
inline void (*bench_reset)() = nullptr;
// The bench's reset ends every task: the trace forgets them and its kept lines.
inline void reset_bench_and_trace()
{
    bench_reset();
    driver::trace::clear();
    driver::trace::forget_tasks();
}
}  // namespace detail

// Resolves the back door in the loaded driver library (loading it if needed).
// Returns nullptr when that library is not the simulated bench or lacks an entry.
inline const BackDoor *bench()
{
    static BackDoor door;
    static void *resolved_for = nullptr;
    if (!driver::load() && !driver::info().loaded) return nullptr;
    void *present = driver::symbol("ksim_present");
    if (!present) return nullptr;
    if (resolved_for == present) return &door;
    BackDoor d;
    bool ok = true;
#define KSIM_RESOLVE(ret, name, params, args)                                          \
    d.name = reinterpret_cast<decltype(d.name)>(driver::symbol("ksim_" #name));          \
    ok = ok && d.name != nullptr;
    KSIM_BACK_DOOR(KSIM_RESOLVE)
#undef KSIM_RESOLVE
    if (!ok) return nullptr;
    detail::bench_reset = d.reset;
    d.reset = detail::reset_bench_and_trace;
    door = d;
    resolved_for = present;
    return &door;
}

}  // namespace sim
