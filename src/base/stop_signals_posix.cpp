#include "base/stop_signals.h"

#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace base::stop {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
static_assert(sizeof(sigset_t) <= sizeof(unsigned long long[16]));

volatile sig_atomic_t g_deferred = 0;
volatile sig_atomic_t g_pending = 0;
// The signals whose handler is ours (not those the process was told to ignore).
bool g_ours[sizeof kSignals / sizeof kSignals[0]] = {};
int g_reading = 0;

[[noreturn]] void die_of(int sig)
{
    ::signal(sig, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(sig);
    ::_exit(128 + sig);  // not reached: the four signals end a process by default
}

void on_signal(int sig)
{
    const int saved = errno;
    if (g_deferred && !g_pending) {
        g_pending = sig;
        errno = saved;
        return;
    }
    run_hooks();
    die_of(sig);
}

void set_handlers(bool restart)
{
    struct sigaction sa {};
    sa.sa_handler = on_signal;
    sa.sa_flags = restart ? SA_RESTART : 0;
    sigemptyset(&sa.sa_mask);
    for (int sig : kSignals) sigaddset(&sa.sa_mask, sig);
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i)
        if (g_ours[i]) ::sigaction(kSignals[i], &sa, nullptr);
}

}  // namespace

void install()
{
    static const bool installed = [] {
        for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i) {
            struct sigaction old {};
            g_ours[i] = ::sigaction(kSignals[i], nullptr, &old) == 0 && old.sa_handler != SIG_IGN;
        }
        set_handlers(true);
        return true;
    }();
    (void)installed;
}

void defer(bool on)
{
    g_deferred = on;
}

int requested()
{
    return g_pending;
}

void forget()
{
    g_pending = 0;
}

void end(int sig)
{
    die_of(sig);
}

const char *name(int sig)
{
    switch (sig) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    case SIGQUIT: return "SIGQUIT";
    default: return "a signal";
    }
}

Reading::Reading()
{
    if (g_reading++ == 0) set_handlers(false);
}

Reading::~Reading()
{
    if (--g_reading == 0) set_handlers(true);
}

Held::Held()
{
    sigset_t set;
    sigemptyset(&set);
    for (int sig : kSignals) sigaddset(&set, sig);
    sigset_t old;
    pthread_sigmask(SIG_BLOCK, &set, &old);
    std::memcpy(old_, &old, sizeof old);
}

Held::~Held()
{
    sigset_t old;
    std::memcpy(&old, old_, sizeof old);
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

}  // namespace base::stop
