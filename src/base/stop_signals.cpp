// The hooks of the stop handler (stop_signals.h), the same on every system;
// the handler itself is in stop_signals_posix.cpp or stop_signals_windows.cpp.
#include "base/stop_signals.h"

#include <atomic>

namespace base::stop {

namespace {

constexpr int kMostHooks = 8;
// Lock-free atomics: safe to read in a signal handler.
std::atomic<void (*)()> g_hooks[kMostHooks];

}  // namespace

void add_hook(void (*hook)())
{
    if (!hook) return;
    for (auto &slot : g_hooks)
        if (slot.load() == hook) return;
    for (auto &slot : g_hooks) {
        void (*expected)() = nullptr;
        if (slot.compare_exchange_strong(expected, hook)) return;
    }
}

void run_hooks()
{
    for (auto &hook : g_hooks)
        if (void (*h)() = hook.load()) h();
}

}  // namespace base::stop
