// The stop signals on Windows (stop_signals.h): the console's control events.
// Their handler runs on a thread the system starts for it, so Held is a lock
// that thread takes too, and a deferred stop ends a blocking read of the main
// thread by cancelling it.
#include "base/stop_signals.h"

#include <windows.h>

#include <atomic>
#include <mutex>

namespace base::stop {

namespace {

// What Windows gives a process ended by Ctrl-C.
constexpr UINT kControlCExit = 0xC000013A;
// The system ends a process about 5 s after a close event: a deferred stop
// has this long to save its work before the hooks run here.
constexpr DWORD kCloseGraceMs = 4000;

std::atomic<bool> g_deferred{false};
std::atomic<int> g_pending{0};
std::atomic<HANDLE> g_reader{nullptr};  // the thread in a Reading's blocking read
int g_reading = 0;

std::recursive_mutex &handler_lock()
{
    static std::recursive_mutex m;
    return m;
}

int signal_of(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT: return SIGINT;
    case CTRL_BREAK_EVENT: return SIGBREAK;
    default: return SIGTERM;  // the console closed, log-off, shut-down
    }
}

BOOL WINAPI on_event(DWORD event)
{
    const int sig = signal_of(event);
    int none = 0;
    if (g_deferred.load() && g_pending.compare_exchange_strong(none, sig)) {
        if (HANDLE reader = g_reader.load()) ::CancelSynchronousIo(reader);
        if (sig != SIGTERM) return TRUE;
        // The process ends when this returns: give the deferred stop its time.
        ::Sleep(kCloseGraceMs);
    }
    {
        std::lock_guard<std::recursive_mutex> lock(handler_lock());
        run_hooks();
    }
    end(sig);
}

}  // namespace

void install()
{
    static const bool installed = ::SetConsoleCtrlHandler(on_event, TRUE) != 0;
    (void)installed;
}

void defer(bool on)
{
    g_deferred = on;
}

int requested()
{
    return g_pending.load();
}

void forget()
{
    g_pending = 0;
}

void end(int)
{
    ::TerminateProcess(::GetCurrentProcess(), kControlCExit);
    ::ExitProcess(kControlCExit);  // not reached
}

const char *name(int sig)
{
    switch (sig) {
    case SIGINT: return "Ctrl-C";
    case SIGBREAK: return "Ctrl-Break";
    case SIGTERM: return "the console's closing";
    default: return "a signal";
    }
}

Reading::Reading()
{
    if (g_reading++ == 0) {
        HANDLE self = nullptr;
        ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &self, 0, FALSE,
                          DUPLICATE_SAME_ACCESS);
        g_reader = self;
    }
}

Reading::~Reading()
{
    if (--g_reading == 0)
        if (HANDLE self = g_reader.exchange(nullptr)) ::CloseHandle(self);
}

Held::Held() : old_{}
{
    handler_lock().lock();
}

Held::~Held()
{
    handler_lock().unlock();
}

}  // namespace base::stop
