// Marks of the program's start on standard error, for measuring it: with
// KORVANE_STARTUP_MARKS set, each mark is one line "korvane: startup: WHAT at
// T ms", T on CLOCK_MONOTONIC so that a harness which started the process can
// set its own clock against it (benchmarks/bench_startup.cpp). Without it, nothing.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <ctime>

inline bool startup_marks_on()
{
    static const bool on = [] {
        const char *v = std::getenv("KORVANE_STARTUP_MARKS");
        return v && *v;
    }();
    return on;
}

inline void startup_mark(const char *what)
{
    if (!startup_marks_on())
        return;
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    std::fprintf(stderr, "korvane: startup: %s at %.3f ms\n", what,
                 static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6);
    std::fflush(stderr);
}
