// The exported C face of libkorvane-sim.so: the DAQmx* entry points and the
// ksim_* back door, all on the process's one bench. Everything else in the
// library is hidden, and the library binds its own symbols (-Bsymbolic), so the
// program's import layer, which defines the same DAQmx* names, never captures them.
#include <cstdarg>
#include <cstring>
#include <mutex>
#include <type_traits>

#include "korvane/NIDAQmx.h"
#include "sim/device/bench.h"
#include "sim/device/events.h"
#include "driver/daqmx_entries.h"
#include "korvane/export.h"
#include "korvane/ksim_backdoor.h"
#include "driver/out_file.h"

#define KSIM_EXPORT extern "C" KORVANE_EXPORT

static_assert(KSIM_VCD_VECTORS == static_cast<int>(sim::Vcd::Layout::Vectors) &&
              KSIM_VCD_LINES == static_cast<int>(sim::Vcd::Layout::Lines));

namespace {

std::mutex g_mutex;

sim::Bench &bench()
{
    static sim::Bench b;
    return b;
}

// The driver's thread for events: made with the first callback registered,
// never ended (at the process's exit a callback may be waiting for its
// language's run-time, which no longer runs).
sim::Events &events()
{
    static sim::Events *e = new sim::Events(bench(), g_mutex);
    return *e;
}

// A call that ends a task's callbacks (clearing the task, unregistering)
// waits for a callback of that task running on the events' thread.
template <class First, class... Rest>
void before(std::unique_lock<std::mutex> &held, const char *name, First first, Rest...)
{
    if constexpr (std::is_same_v<First, TaskHandle>)
        if (!std::strcmp(name, "DAQmxClearTask") || !std::strcmp(name, "DAQmxRegisterEveryNSamplesEvent") ||
            !std::strcmp(name, "DAQmxRegisterDoneEvent"))
            events().before_end(held, first);
}
inline void before(std::unique_lock<std::mutex> &, const char *) {}

}  // namespace

#define KSIM_LOCKED std::lock_guard<std::mutex> lock(g_mutex)

// Each driver entry point locks the bench and calls its method of the same
// name; then the events' thread looks for events due.
#define KSIM_ENTRY(name, method, params, args, show)       \
    KSIM_EXPORT int32 name params                          \
    {                                                      \
        std::unique_lock<std::mutex> held(g_mutex);        \
        before(held, #name, DAQMX_UNPAREN args);           \
        const int32 status = bench().method args;          \
        events().after_call();                             \
        return status;                                     \
    }
DAQMX_ENTRY_POINTS(KSIM_ENTRY)
DAQMX_CLIENT_ENTRY_POINTS(KSIM_ENTRY)
#undef KSIM_ENTRY

namespace {
template <class... A>
void unused(const A &...)
{
}
}  // namespace

// Those the bench does not model answer their status, whatever the arguments.
#define KSIM_REFUSED(name, method, params, args, show) \
    KSIM_EXPORT int32 name params                      \
    {                                                  \
        unused args;                                   \
        KSIM_LOCKED;                                   \
        return bench().refuse(#name);                  \
    }
DAQMX_UNMODELLED_ENTRY_POINTS(KSIM_REFUSED)
#undef KSIM_REFUSED

// The getters of properties by ID are C variadic functions: a string
// property's buffer size is read from the variable arguments, by the
// property's type, and passed to the method as its last argument.
#define KSIM_GETTER(name, method, params, args, show)            \
    KSIM_EXPORT int32 name(DAQMX_UNPAREN params, ...)            \
    {                                                            \
        DAQMX_GETTER_SIZE_ARG(size)                              \
        KSIM_LOCKED;                                             \
        return bench().method(DAQMX_UNPAREN args, size);         \
    }
DAQMX_ATTRIBUTE_GETTERS(KSIM_GETTER)
DAQMX_CLIENT_ATTRIBUTE_GETTERS(KSIM_GETTER)
#undef KSIM_GETTER

// The setters of properties by ID: the value read by the property's type.
#define KSIM_SETTER(name, method, params, args, show)           \
    KSIM_EXPORT int32 name(DAQMX_UNPAREN params, ...)            \
    {                                                            \
        DAQMX_SETTER_VALUE_ARG(value)                            \
        KSIM_LOCKED;                                             \
        return bench().method(DAQMX_UNPAREN args, value);        \
    }
DAQMX_ATTRIBUTE_SETTERS(KSIM_SETTER)
#undef KSIM_SETTER

// So does each function of the back door.
#define KSIM_BACK(ret, name, params, args) \
    KSIM_EXPORT ret ksim_##name params     \
    {                                      \
        KSIM_LOCKED;                       \
        return bench().name args;          \
    }
KSIM_BACK_DOOR(KSIM_BACK)
#undef KSIM_BACK

KSIM_EXPORT const char *ksim_call_notes(int64_t *began_ns)
{
    KSIM_LOCKED;
    return bench().call_notes(began_ns);
}

// From a signal handler: no lock, only the files' own signal-safe flush.
KSIM_EXPORT void ksim_flush(void)
{
    driver::finish_open_files_from_signal();
}
