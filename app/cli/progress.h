// A progress bar with an estimate of the time left, for long bus transfers.
// Drawn on a terminal only, and only for work that takes more than a second
// of bench time; elsewhere it stays silent.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

namespace app::cli {

class Progress {
public:
    // bench_now: the bench's clock in ns (on the real driver, the steady clock).
    Progress(std::ostream &out, bool terminal, std::string label, size_t total, std::function<int64_t()> bench_now);
    ~Progress();
    void update(size_t done);
    void finish();

    // One line of the bar, e.g. "dump [#####.....]  50%  4096/8192 words  0:03 left".
    static std::string line(const std::string &label, size_t done, size_t total, double seconds_left, int width);

private:
    std::ostream &out_;
    bool terminal_;
    std::string label_;
    size_t total_;
    std::function<int64_t()> bench_now_;
    int64_t bench_start_;
    std::chrono::steady_clock::time_point wall_start_;
    bool shown_ = false;
};

}  // namespace app::cli
