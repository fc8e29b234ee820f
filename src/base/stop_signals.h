// The signals that stop korvane: SIGINT (Ctrl-C), SIGTERM (kill), SIGHUP (a
// closed terminal) and SIGQUIT (Ctrl-\); on Windows the console's Ctrl-C
// (SIGINT), Ctrl-Break (SIGBREAK) and its closing, log-off or shut-down
// (SIGTERM), whose handler runs on a thread of its own (stop_signals_posix.cpp,
// stop_signals_windows.cpp). One handler for all: it calls
// the hooks that write out the files korvane has open (the trace, the VCD),
// whole, and then ends the process as the signal would have without it. The
// subcommands defer a stop instead: the handler only records it, and the
// transfer stops at its next check, says how far it got, saves what it did
// and then ends the same way.
#pragma once

#include <csignal>

namespace base::stop {

// Installs the handler once (a signal the process ignores stays ignored).
void install();
// A function the handler calls before the process ends; it must be safe in a
// signal handler. At most eight; adding one twice adds it once.
void add_hook(void (*hook)());
// Calls the hooks, in the order they were added (the handlers' step before the end).
void run_hooks();

// While on, a stop is recorded, not acted on; a second stop signal while one
// is pending ends the process at once (the hooks run first).
void defer(bool on);
// The signal of the pending stop, 0 for none.
int requested();
// Forgets the pending stop (a Ctrl-C that ends `bus regs --watch` normally).
void forget();
// Ends the process as the signal does by default (status 128 + sig in a shell;
// STATUS_CONTROL_C_EXIT on Windows).
[[noreturn]] void end(int sig);
// "SIGINT", "SIGTERM", "SIGHUP", "SIGQUIT", else "a signal"; on Windows
// "Ctrl-C", "Ctrl-Break", "the console's closing".
const char *name(int sig);

// While a Reading lives, a blocking read (of standard input) returns with
// EINTR on a stop signal instead of going on waiting, so a deferred stop is
// not held up by input that never comes.
class Reading {
public:
    Reading();
    ~Reading();
    Reading(const Reading &) = delete;
    Reading &operator=(const Reading &) = delete;
};

// Keeps the signals blocked while it lives (on Windows: holds the lock the
// handler's thread takes): the handler never sees a buffer or a list half
// changed.
class Held {
public:
    Held();
    ~Held();
    Held(const Held &) = delete;
    Held &operator=(const Held &) = delete;

private:
    unsigned long long old_[16];  // the signal mask it restores (sigset_t's 128 bytes)
};

}  // namespace base::stop
