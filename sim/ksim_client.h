// The simulated bench's back door, reached through the loaded driver library
// (daqmx::symbol), for tests and script mode. bench() is null when the loaded
// driver is not the simulated bench.
#pragma once

#include <string>

#include "daqmx_import.h"
#include "ksim_backdoor.h"

namespace ksim {

struct BackDoor {
#define KSIM_ENTRY(name) decltype(&::ksim_##name) name = nullptr;
    KSIM_ENTRY(present)
    KSIM_ENTRY(reset)
    KSIM_ENTRY(use_virtual_clock)
    KSIM_ENTRY(attach_clock)
    KSIM_ENTRY(now_ns)
    KSIM_ENTRY(advance_ns)
    KSIM_ENTRY(set_slot)
    KSIM_ENTRY(set_seed)
    KSIM_ENTRY(live_tasks)
    KSIM_ENTRY(contention_count)
    KSIM_ENTRY(driver_calls)
    KSIM_ENTRY(probe)
    KSIM_ENTRY(probe_reg)
    KSIM_ENTRY(poke_reg)
    KSIM_ENTRY(drive)
    KSIM_ENTRY(fault)
    KSIM_ENTRY(fault_clear)
    KSIM_ENTRY(trace_file)
    KSIM_ENTRY(trace_capture)
    KSIM_ENTRY(trace_clear)
    KSIM_ENTRY(trace_text)
    KSIM_ENTRY(vcd_file)
#undef KSIM_ENTRY

    // The in-memory trace as one string, a line per driver call.
    std::string trace() const
    {
        std::string text(trace_text(nullptr, 0), '\0');
        if (!text.empty()) {
            trace_text(text.data(), text.size());
            text.pop_back();  // the NUL
        }
        return text;
    }
};

// Resolves the back door in the loaded driver library (loading it if needed).
// Returns nullptr when that library is not the simulated bench or lacks an entry.
inline const BackDoor *bench()
{
    static BackDoor door;
    static void *resolved_for = nullptr;
    if (!daqmx::load() && !daqmx::info().loaded) return nullptr;
    void *present = daqmx::symbol("ksim_present");
    if (!present) return nullptr;
    if (resolved_for == present) return &door;
    BackDoor d;
    bool ok = true;
#define KSIM_RESOLVE(name)                                                              \
    d.name = reinterpret_cast<decltype(d.name)>(daqmx::symbol("ksim_" #name));           \
    ok = ok && d.name != nullptr;
    KSIM_RESOLVE(present)
    KSIM_RESOLVE(reset)
    KSIM_RESOLVE(use_virtual_clock)
    KSIM_RESOLVE(attach_clock)
    KSIM_RESOLVE(now_ns)
    KSIM_RESOLVE(advance_ns)
    KSIM_RESOLVE(set_slot)
    KSIM_RESOLVE(set_seed)
    KSIM_RESOLVE(live_tasks)
    KSIM_RESOLVE(contention_count)
    KSIM_RESOLVE(driver_calls)
    KSIM_RESOLVE(probe)
    KSIM_RESOLVE(probe_reg)
    KSIM_RESOLVE(poke_reg)
    KSIM_RESOLVE(drive)
    KSIM_RESOLVE(fault)
    KSIM_RESOLVE(fault_clear)
    KSIM_RESOLVE(trace_file)
    KSIM_RESOLVE(trace_capture)
    KSIM_RESOLVE(trace_clear)
    KSIM_RESOLVE(trace_text)
    KSIM_RESOLVE(vcd_file)
#undef KSIM_RESOLVE
    if (!ok) return nullptr;
    door = d;
    resolved_for = present;
    return &door;
}

}  // namespace ksim
