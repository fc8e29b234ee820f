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
    // A driver call of a few microseconds cannot be slept precisely (timer
    // slack, and a busy machine deschedules a spinning thread for far longer).
    // Short waits add up instead and are slept once they reach a millisecond,
    // so a run of calls takes its realistic time on average.
    owed_ += ns;
    if (ns < 100'000 && owed_ < 1'000'000) return;
    const int64_t start = now_ns();
    std::this_thread::sleep_for(std::chrono::nanoseconds(owed_));
    owed_ -= now_ns() - start;
    if (owed_ < 0) owed_ = 0;
}

}  // namespace ksim
