#include "app/cli/progress.h"

#include <cstdio>
#include <ostream>

namespace app::cli {

Progress::Progress(std::ostream &out, bool terminal, std::string label, size_t total,
                   std::function<int64_t()> bench_now)
    : out_(out), terminal_(terminal), label_(std::move(label)), total_(total), bench_now_(std::move(bench_now)),
      bench_start_(bench_now_()), wall_start_(std::chrono::steady_clock::now())
{
}

Progress::~Progress()
{
    finish();
}

std::string Progress::line(const std::string &label, size_t done, size_t total, double seconds_left, int width)
{
    const double part = total ? static_cast<double>(done) / static_cast<double>(total) : 1.0;
    const int filled = static_cast<int>(part * width);
    std::string bar = label + " [" + std::string(static_cast<size_t>(filled), '#') +
                      std::string(static_cast<size_t>(width - filled), '.') + "]";
    char tail[96];
    const long left = seconds_left < 0 ? 0 : static_cast<long>(seconds_left + 0.5);
    std::snprintf(tail, sizeof tail, " %3d%%  %zu/%zu words  %ld:%02ld left", static_cast<int>(part * 100), done,
                  total, left / 60, left % 60);
    return bar + tail;
}

void Progress::update(size_t done)
{
    if (!terminal_ || done == 0 || done >= total_) return;
    const double bench_s = static_cast<double>(bench_now_() - bench_start_) * 1e-9;
    if (!shown_ && bench_s / static_cast<double>(done) * static_cast<double>(total_) <= 1.0) return;
    const double wall_s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start_).count();
    const double left = wall_s / static_cast<double>(done) * static_cast<double>(total_ - done);
    out_ << '\r' << line(label_, done, total_, left, 30) << std::flush;
    shown_ = true;
}

void Progress::finish()
{
    if (!shown_) return;
    out_ << '\r' << std::string(80, ' ') << '\r' << std::flush;
    shown_ = false;
}

}  // namespace app::cli
