// From exec to the first painted frame, korvane beside a Qt Widgets
// hello-world: each run starts the program with KORVANE_STARTUP_MARKS set,
// reads its marks (standard error) up to "first frame", then kills it and
// takes its peak memory from the kernel (wait4). The time of a run is from
// just before fork to the first-frame mark, on CLOCK_MONOTONIC; the other
// marks are counters in ms from the same start; max_rss_MB is the peak
// resident set up to the first frame, cpu_ms the process's CPU time (user and
// system) up to then: on a busy machine a steadier figure than the time. The window system is the
// environment's (xvfb-run -a for X11); without DISPLAY, WAYLAND_DISPLAY or
// QT_QPA_PLATFORM both draw offscreen. --korvane=PATH measures another build
// of korvane (one with the start-up marks) beside the same hello-world.
#include <benchmark/benchmark.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/startup_marks.h"

namespace {

double now_ms()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

struct Run {
    bool ok = false;
    std::map<std::string, double> marks;  // ms since the start
    double max_rss_mb = 0;
    double cpu_ms = 0;  // user and system time up to the kill
    std::string why;
};

Run start_once(const std::vector<std::string> &args)
{
    Run run;
    int fds[2];
    if (pipe(fds) != 0) {
        run.why = "pipe failed";
        return run;
    }
    std::vector<char *> argv;
    for (auto &a : args) argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    const double t0 = now_ms();
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 2);
        close(fds[0]);
        close(fds[1]);
        setenv("KORVANE_STARTUP_MARKS", "1", 1);
        const char *platform = std::getenv("QT_QPA_PLATFORM");
        if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !(platform && *platform))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    FILE *err = fdopen(fds[0], "r");
    char line[512];
    const char *tag = "korvane: startup: ";
    while (err && std::fgets(line, sizeof line, err)) {
        const char *at = std::strstr(line, tag);
        const char *when = at ? std::strstr(at, " at ") : nullptr;
        if (!when)
            continue;
        std::string what(at + std::strlen(tag), when);
        run.marks[what] = std::atof(when + 4) - t0;
        if (what == "first frame") {
            run.ok = true;
            break;
        }
    }
    kill(pid, SIGKILL);
    int status = 0;
    rusage ru{};
    wait4(pid, &status, 0, &ru);
    if (err)
        std::fclose(err);
    run.max_rss_mb = static_cast<double>(ru.ru_maxrss) / 1024.0;
    run.cpu_ms = (static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1e3 +
                  static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e3);
    if (!run.ok)
        run.why = args[0] + " ended before its first frame";
    return run;
}

void first_frame(benchmark::State &state, std::vector<std::string> args)
{
    std::map<std::string, double> sums;
    double rss = 0, cpu = 0;
    for (auto _ : state) {
        Run run = start_once(args);
        if (!run.ok) {
            state.SkipWithError(run.why.c_str());
            return;
        }
        state.SetIterationTime(run.marks["first frame"] / 1e3);
        for (auto &[what, ms] : run.marks) sums[what] += ms;
        rss = std::max(rss, run.max_rss_mb);
        cpu += run.cpu_ms;
    }
    const double n = static_cast<double>(state.iterations());
    for (auto &[what, ms] : sums) state.counters[what + " ms"] = ms / n;
    state.counters["max_rss_MB"] = rss;
    state.counters["cpu_ms"] = cpu / n;
}

}  // namespace

int main(int argc, char **argv)
{
    std::string korvane = KORVANE_PROGRAM;
    std::vector<char *> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--korvane=", 10) == 0)
            korvane = argv[i] + 10;
        else
            args.push_back(argv[i]);
    }
    int n = static_cast<int>(args.size());
    benchmark::RegisterBenchmark("first_frame/hello", first_frame, std::vector<std::string>{KORVANE_HELLO})
        ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
    benchmark::RegisterBenchmark("first_frame/korvane", first_frame, std::vector<std::string>{korvane, "--daq", "sim"})
        ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
    benchmark::Initialize(&n, args.data());
    if (benchmark::ReportUnrecognizedArguments(n, args.data()))
        return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
