// The log pane's model and the status line's rates, toolkit-free.
//
// The pane shows the error output one message a line (a driver message of
// several lines stays one entry), each with its time; a message equal to the
// one before it is not shown again, the entry counts it instead ("×40").
// Standard error is not touched: it keeps one line per report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace ui {

struct LogEntry {
    std::vector<std::string> lines;
    std::uint64_t count = 1;  // times the message came in a row
    std::string time;         // of its latest coming, as shown
    bool report = false;      // a failed call's report ("Error = ...")

    // The entry as the pane and a saved file show it: the time, the text,
    // " ×N" after the last line when it came more than once; further lines
    // indented under the first.
    std::vector<std::string> shown_lines() const;
};

class LogModel {
public:
    static constexpr std::size_t kBound = 2000;  // entries kept; older ones are dropped
    enum class Change { appended, last_changed, cleared };

    // A message came at `time` (as shown); returns what changed.
    Change add(const std::vector<std::string> &lines, const std::string &time);
    void clear();
    const std::deque<LogEntry> &entries() const { return entries_; }
    // Every entry's shown lines, one per line: what Copy and Save as text give.
    std::string text() const;

private:
    std::deque<LogEntry> entries_;
};

// The time of a log entry: the wall clock "HH:MM:SS.mmm" under the window,
// the virtual clock's seconds "+12.345 s" in script mode.
std::string log_time_text(std::int64_t now_ns, bool virtual_clock);

// Rates of two running counts over about the last second of the clock: the
// status line's driver calls and failed calls per second.
class RateMeter {
public:
    struct Rates {
        double a = 0, b = 0;
    };
    Rates sample(std::int64_t now_ns, std::uint64_t a, std::uint64_t b);

private:
    struct Sample {
        std::int64_t t;
        std::uint64_t a, b;
    };
    std::deque<Sample> samples_;
};

// The status line: "simulated bench · hardware open · 412 driver calls/s, 0 failed/s".
std::string status_text(const std::string &driver, bool open, double calls_per_s, double failed_per_s);

}  // namespace ui
