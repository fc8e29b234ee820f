#include "clock.h"

#include <chrono>
#include <thread>

namespace ksim {

namespace {
int64_t steady_ns()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

SteadyClock::SteadyClock() : origin_(steady_ns()) {}

int64_t SteadyClock::now_ns()
{
    return steady_ns() - origin_;
}

void SteadyClock::sleep_ns(int64_t ns)
{
    if (ns <= 0) return;
    int64_t until = now_ns() + ns;
    // The kernel's timer slack makes short sleeps last far longer than asked;
    // a driver call of a few microseconds is waited out by yielding instead.
    if (ns > 200'000) std::this_thread::sleep_for(std::chrono::nanoseconds(ns - 100'000));
    while (now_ns() < until) std::this_thread::yield();
}

}  // namespace ksim
