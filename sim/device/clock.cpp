#include "sim/device/clock.h"

#include <chrono>
#include <thread>

namespace sim {

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
    real_ = steady_ns() - origin_;
    if (bench_ < real_) bench_ = real_;
    return bench_;
}

void SteadyClock::sleep_ns(int64_t ns)
{
    if (ns <= 0) return;
    bench_ += ns;
    // Short waits wait for the lead to add up; the real clock is read only to sleep.
    if (ns < 100'000 && bench_ - real_ < 1'000'000) return;
    std::this_thread::sleep_until(std::chrono::steady_clock::time_point(std::chrono::nanoseconds(origin_ + bench_)));
    now_ns();
}

}  // namespace sim
