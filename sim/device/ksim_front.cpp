// The exported C face of libkorvane-sim.so: the DAQmx* entry points and the
// ksim_* back door, all on the process's one bench. Everything else in the
// library is hidden, and the library binds its own symbols (-Bsymbolic), so the
// program's import layer, which defines the same DAQmx* names, never captures them.
#include <cstdarg>
#include <mutex>

#include "korvane/NIDAQmx.h"
#include "sim/device/bench.h"
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

}  // namespace

#define KSIM_LOCKED std::lock_guard<std::mutex> lock(g_mutex)

// Each driver entry point locks the bench and calls its method of the same name.
#define KSIM_ENTRY(name, method, params, args, show) \
    KSIM_EXPORT int32 name params                    \
    {                                                \
        KSIM_LOCKED;                                 \
        return bench().method args;                  \
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
