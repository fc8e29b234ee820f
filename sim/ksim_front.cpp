// The exported C face of libkorvane-sim.so: the DAQmx* entry points and the
// ksim_* back door, all on the process's one bench. Everything else in the
// library is hidden, and the library binds its own symbols (-Bsymbolic), so the
// program's import layer, which defines the same DAQmx* names, never captures them.
#include <memory>
#include <mutex>

#include "NIDAQmx.h"
#include "daqmx_entries.h"
#include "core/bench.h"
#include "ksim_backdoor.h"

#define KSIM_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::mutex g_mutex;

ksim::Bench &bench()
{
    static ksim::Bench b;
    return b;
}

}  // namespace

#define KSIM_LOCKED std::lock_guard<std::mutex> lock(g_mutex)

// Each driver entry point locks the bench and calls its method of the same name.
#define KSIM_ENTRY(name, method, params, args) \
    KSIM_EXPORT int32 name params              \
    {                                          \
        KSIM_LOCKED;                           \
        return bench().method args;            \
    }
DAQMX_ENTRY_POINTS(KSIM_ENTRY)
#undef KSIM_ENTRY

// ---- back door ----

KSIM_EXPORT int ksim_present(void)
{
    return 1;
}
KSIM_EXPORT void ksim_reset(void)
{
    KSIM_LOCKED;
    bench().reset();
}
KSIM_EXPORT void ksim_use_virtual_clock(void)
{
    KSIM_LOCKED;
    bench().set_clock(std::make_shared<ksim::VirtualClock>());
}
KSIM_EXPORT void ksim_attach_clock(void *ctx, int64_t (*now_ns)(void *ctx), void (*sleep_ns)(void *ctx, int64_t ns))
{
    KSIM_LOCKED;
    if (!now_ns)
        bench().set_clock(std::make_shared<ksim::SteadyClock>());
    else
        bench().set_clock(std::make_shared<ksim::ExternalClock>(ctx, now_ns, sleep_ns));
}
KSIM_EXPORT int64_t ksim_now_ns(void)
{
    KSIM_LOCKED;
    return bench().now();
}
KSIM_EXPORT void ksim_advance_ns(int64_t ns)
{
    KSIM_LOCKED;
    bench().advance(ns);
}
KSIM_EXPORT int ksim_set_slot(int slot)
{
    KSIM_LOCKED;
    return bench().set_slot(slot);
}
KSIM_EXPORT void ksim_set_seed(uint32_t seed)
{
    KSIM_LOCKED;
    bench().set_seed(seed);
}
KSIM_EXPORT int ksim_live_tasks(void)
{
    KSIM_LOCKED;
    return bench().live_tasks();
}
KSIM_EXPORT long ksim_contention_count(void)
{
    KSIM_LOCKED;
    return bench().contention_count();
}
KSIM_EXPORT long ksim_driver_calls(void)
{
    KSIM_LOCKED;
    return bench().driver_calls();
}
KSIM_EXPORT int ksim_probe(const char *name, double *value)
{
    KSIM_LOCKED;
    return bench().probe(name, value);
}
KSIM_EXPORT int ksim_probe_reg(int slave, int address, unsigned *word)
{
    KSIM_LOCKED;
    return bench().probe_reg(slave, address, word);
}
KSIM_EXPORT int ksim_poke_reg(int slave, int address, unsigned word)
{
    KSIM_LOCKED;
    return bench().poke_reg(slave, address, word);
}
KSIM_EXPORT int ksim_drive(const char *name, double value)
{
    KSIM_LOCKED;
    return bench().drive(name, value);
}
KSIM_EXPORT int ksim_fault(const char *function, const char *task, int code, int nth, int always)
{
    KSIM_LOCKED;
    return bench().fault(function, task, code, nth, always);
}
KSIM_EXPORT void ksim_fault_clear(void)
{
    KSIM_LOCKED;
    bench().fault_clear();
}
KSIM_EXPORT int ksim_trace_file(const char *path)
{
    KSIM_LOCKED;
    return bench().trace_file(path);
}
KSIM_EXPORT void ksim_trace_capture(int on)
{
    KSIM_LOCKED;
    bench().trace_capture(on != 0);
}
KSIM_EXPORT void ksim_trace_clear(void)
{
    KSIM_LOCKED;
    bench().trace_clear();
}
KSIM_EXPORT size_t ksim_trace_text(char *buf, size_t size)
{
    KSIM_LOCKED;
    return bench().trace_text(buf, size);
}
KSIM_EXPORT int ksim_vcd_file(const char *path)
{
    KSIM_LOCKED;
    return bench().vcd_file(path);
}
