// The log pane's model, the entries' times and the status line's rates.

#include "ui/log.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "base/platform.h"

namespace ui {

std::vector<std::string> LogEntry::shown_lines() const
{
    std::vector<std::string> res;
    const std::string indent(time.size() + 2, ' ');
    for (std::size_t i = 0; i < lines.size(); ++i)
        res.push_back((i == 0 ? time + "  " : indent) + lines[i]);
    if (res.empty())
        res.push_back(time);
    if (count > 1)
        res.back() += "  \u00d7" + std::to_string(count);
    return res;
}

LogModel::Change LogModel::add(const std::vector<std::string> &lines, const std::string &time)
{
    if (!entries_.empty() && entries_.back().lines == lines) {
        ++entries_.back().count;
        entries_.back().time = time;
        return Change::last_changed;
    }
    LogEntry e;
    e.lines = lines;
    e.time = time;
    e.report = !lines.empty() && lines[0].rfind("Error = ", 0) == 0;
    entries_.push_back(std::move(e));
    if (entries_.size() > kBound)
        entries_.pop_front();
    return Change::appended;
}

void LogModel::clear() { entries_.clear(); }

std::string LogModel::text() const
{
    std::string res;
    for (auto &e : entries_)
        for (auto &l : e.shown_lines())
            res += l + "\n";
    return res;
}

std::string log_time_text(std::int64_t now_ns, bool virtual_clock)
{
    char buf[40];
    if (virtual_clock) {
        std::snprintf(buf, sizeof buf, "+%.3f s", static_cast<double>(now_ns) / 1e9);
        return buf;
    }
    auto now = std::chrono::system_clock::now();
    std::time_t secs = std::chrono::system_clock::to_time_t(now);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    const std::tm tm = base::platform::local_time(secs);
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms));
    return buf;
}

RateMeter::Rates RateMeter::sample(std::int64_t now_ns, std::uint64_t a, std::uint64_t b)
{
    constexpr std::int64_t kWindow = 1000000000;
    samples_.push_back({now_ns, a, b});
    // Keep the newest sample at least a window old as the base, and those after it.
    while (samples_.size() > 2 && samples_[1].t <= now_ns - kWindow)
        samples_.pop_front();
    const Sample &base = samples_.front();
    Rates r;
    double dt = static_cast<double>(now_ns - base.t) / 1e9;
    if (dt <= 0)
        return r;
    r.a = static_cast<double>(a - base.a) / dt;
    r.b = static_cast<double>(b - base.b) / dt;
    return r;
}

std::string status_text(const std::string &driver, bool open, double calls_per_s, double failed_per_s)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, "%s  \u00b7  hardware %s  \u00b7  %.0f driver calls/s, %.0f failed/s",
                  driver.c_str(), open ? "open" : "closed", std::round(calls_per_s), std::round(failed_per_s));
    return buf;
}

}  // namespace ui
