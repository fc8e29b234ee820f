// A chart's model, toolkit-free: the values the program set into the controls
// it follows, each with its time on the run-time's clock, in a bounded history;
// what the operator chose (traces shown, span, pause, scale); the CSV text.
// The Qt view only draws it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace ui {

struct ChartPoint {
    std::int64_t t_ns;  // since the chart's epoch
    double v;           // NaN: no reading (a gap in the line)
};

struct ChartTrace {
    std::string name;  // the control followed: constant name, or label of a NewCtrl control
    int control = 0;   // its identifier once found on the panel (0: not yet)
    bool visible = true;
    std::deque<ChartPoint> points;  // oldest first
};

// A stretch of a trace drawn as one line: values without a NaN between them.
using ChartRun = std::vector<ChartPoint>;

struct TraceStats {
    std::size_t points = 0;
    std::size_t gaps = 0;  // runs of NaN with a number on both sides
    double last = 0.0;     // NaN when the last value was NaN or there is none
    double min = 0.0, max = 0.0, mean = 0.0;  // over the numbers (NaN when there are none)
};

class Chart {
public:
    // Spans the operator chooses from, in seconds.
    static constexpr int kSpans[] = {10, 30, 60, 120, 300, 600};
    // Most values kept per second of history and trace: a control set faster
    // than this keeps only its newest history_s * kMaxRate values.
    static constexpr int kMaxRate = 50;

    Chart(std::vector<std::string> names, std::int64_t epoch_ns, double history_s, double span_s, double ymin,
          double ymax);

    // A value the program set into trace i's control at now_ns (run-time clock).
    void record(std::size_t i, std::int64_t now_ns, double v);

    const std::vector<ChartTrace> &traces() const { return traces_; }
    std::vector<ChartTrace> &traces() { return traces_; }
    int find_trace(const std::string &name) const;  // -1 if none
    TraceStats stats(std::size_t i) const;

    // What is recorded as CSV: a header "time_s,NAME,...", then one row per
    // sweep through the traces (a row ends when a trace already in it has a
    // new value); its time is the row's first value's, in seconds since the
    // epoch; an empty cell is no value or NaN.
    std::string csv() const;

    // The time window the view shows: [end - span, end]; end follows the
    // newest value unless paused, where it stays at the pause.
    std::int64_t view_end_ns(std::int64_t now_ns) const;
    void set_paused(bool paused, std::int64_t now_ns);
    bool paused() const { return paused_; }
    double span_s = 60.0;
    bool autoscale = false;
    double ymin = -10.0, ymax = 10.0;  // the fixed scale
    // The scale shown: the fixed one, or the visible values' range (padded) when autoscaling.
    void y_range(std::int64_t now_ns, double &lo, double &hi) const;

    // What the view draws of trace i between begin_ns and end_ns (since the
    // epoch): its runs of numbers, oldest first, the newest most_runs of them.
    // Where more than two values a column would fall on the `columns` pixel
    // columns of the span, each column of a run keeps only its lowest and its
    // highest value, in their order, so that a long span draws no more lines
    // than it has pixels to show them. Columns are whole multiples of the
    // column's time since the epoch, so a point keeps its column as the window
    // moves on.
    std::vector<ChartRun> visible_runs(std::size_t i, std::int64_t begin_ns, std::int64_t end_ns, int columns,
                                       std::size_t most_runs) const;

    std::int64_t epoch_ns() const { return epoch_ns_; }
    // Grows with every value recorded: the view redraws when it changed.
    std::uint64_t revision() const { return revision_; }
    std::size_t capacity() const { return capacity_; }

private:
    std::vector<ChartTrace> traces_;
    std::int64_t epoch_ns_;
    std::int64_t keep_ns_;
    std::size_t capacity_;
    bool paused_ = false;
    std::int64_t paused_at_ns_ = 0;
    std::uint64_t revision_ = 0;
};

}  // namespace ui
