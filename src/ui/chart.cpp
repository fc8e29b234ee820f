// The chart's model: bounded history per trace, statistics for scripts, CSV.

#include "ui/chart.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <cstdio>
#include <limits>

namespace ui {

Chart::Chart(std::vector<std::string> names, std::int64_t epoch_ns, double history_s, double span, double lo,
             double hi)
    : epoch_ns_(epoch_ns), keep_ns_(static_cast<std::int64_t>(history_s * 1e9)),
      capacity_(static_cast<std::size_t>(std::ceil(history_s)) * kMaxRate)
{
    for (auto &n : names) {
        ChartTrace t;
        t.name = n;
        traces_.push_back(std::move(t));
    }
    span_s = span;
    ymin = lo;
    ymax = hi;
}

void Chart::record(std::size_t i, std::int64_t now_ns, double v)
{
    if (i >= traces_.size())
        return;
    auto &pts = traces_[i].points;
    std::int64_t t = now_ns - epoch_ns_;
    pts.push_back({t, v});
    while (!pts.empty() && (pts.size() > capacity_ || pts.front().t_ns < t - keep_ns_))
        pts.pop_front();
    ++revision_;
}

int Chart::find_trace(const std::string &name) const
{
    for (std::size_t i = 0; i < traces_.size(); ++i)
        if (traces_[i].name == name)
            return static_cast<int>(i);
    return -1;
}

TraceStats Chart::stats(std::size_t i) const
{
    TraceStats s;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    s.last = s.min = s.max = s.mean = nan;
    if (i >= traces_.size())
        return s;
    const auto &pts = traces_[i].points;
    s.points = pts.size();
    double sum = 0;
    std::size_t n = 0;
    bool seen_number = false, in_gap = false;
    for (auto &p : pts) {
        if (std::isnan(p.v)) {
            in_gap = seen_number;  // leading NaNs are no gap: nothing was drawn before them
            continue;
        }
        if (in_gap)
            ++s.gaps;
        in_gap = false;
        seen_number = true;
        s.min = n ? std::min(s.min, p.v) : p.v;
        s.max = n ? std::max(s.max, p.v) : p.v;
        sum += p.v;
        ++n;
    }
    if (n)
        s.mean = sum / static_cast<double>(n);
    if (!pts.empty())
        s.last = pts.back().v;
    return s;
}

std::string Chart::csv() const
{
    std::string out = "time_s";
    for (auto &t : traces_)
        out += "," + t.name;
    out += "\n";
    const std::size_t n = traces_.size();
    std::vector<std::size_t> next(n, 0);
    std::vector<double> row(n);
    std::vector<bool> filled(n, false);
    bool open = false;
    std::int64_t row_t = 0;
    char buf[40];
    auto flush = [&] {
        std::snprintf(buf, sizeof buf, "%.6f", static_cast<double>(row_t) / 1e9);
        out += buf;
        for (std::size_t i = 0; i < n; ++i) {
            out += ",";
            if (filled[i] && !std::isnan(row[i])) {
                std::snprintf(buf, sizeof buf, "%.9g", row[i]);
                out += buf;
            }
            filled[i] = false;
        }
        out += "\n";
        open = false;
    };
    // Merge the traces in time order (ties: trace order).
    for (;;) {
        std::size_t best = n;
        for (std::size_t i = 0; i < n; ++i)
            if (next[i] < traces_[i].points.size() &&
                (best == n || traces_[i].points[next[i]].t_ns < traces_[best].points[next[best]].t_ns))
                best = i;
        if (best == n)
            break;
        const ChartPoint &p = traces_[best].points[next[best]++];
        if (open && filled[best])
            flush();
        if (!open) {
            open = true;
            row_t = p.t_ns;
        }
        row[best] = p.v;
        filled[best] = true;
    }
    if (open)
        flush();
    return out;
}

std::int64_t Chart::view_end_ns(std::int64_t now_ns) const
{
    return paused_ ? paused_at_ns_ : now_ns - epoch_ns_;
}

void Chart::set_paused(bool paused, std::int64_t now_ns)
{
    if (paused && !paused_)
        paused_at_ns_ = now_ns - epoch_ns_;
    paused_ = paused;
}

namespace {

// The first point at or after t: times never go back, so a binary search.
std::deque<ChartPoint>::const_iterator first_at(const std::deque<ChartPoint> &pts, std::int64_t t)
{
    return std::lower_bound(pts.begin(), pts.end(), t, [](const ChartPoint &p, std::int64_t x) { return p.t_ns < x; });
}

// The column of time t: floor(t / width), also before the epoch.
std::int64_t column_of(std::int64_t t, std::int64_t width)
{
    return t >= 0 ? t / width : -((-t + width - 1) / width);
}

}  // namespace

std::vector<ChartRun> Chart::visible_runs(std::size_t i, std::int64_t begin, std::int64_t end, int columns,
                                          std::size_t most_runs) const
{
    std::vector<ChartRun> runs;
    if (i >= traces_.size() || end < begin)
        return runs;
    const auto &pts = traces_[i].points;
    const auto from = first_at(pts, begin), to = first_at(pts, end + 1);
    const std::int64_t shown = std::distance(from, to);
    const std::int64_t width = columns > 0 ? std::max<std::int64_t>((end - begin) / columns, 1) : 0;
    const bool decimate = width > 0 && shown > 2 * static_cast<std::int64_t>(columns);
    bool open = false;
    std::int64_t column = 0;  // of the open run's last point
    std::size_t kept = 0;     // where the open run's last column begins
    for (auto it = from; it != to; ++it) {
        const ChartPoint &p = *it;
        if (!std::isfinite(p.v)) {
            open = false;
            continue;
        }
        if (!open) {
            runs.emplace_back();
            open = true;
        } else if (decimate && column_of(p.t_ns, width) == column) {
            // The column keeps its lowest and its highest value, in time order:
            // the run's last one or two points.
            ChartRun &r = runs.back();
            if (r.size() - kept == 1) {
                if (p.v != r.back().v)
                    r.push_back(p);
            } else {
                const double older = r[kept].v, newer = r.back().v;
                const double low = std::min(older, newer), high = std::max(older, newer);
                if (p.v < low || p.v > high) {
                    // p takes the place of the extreme it passes; the other stays first.
                    if (older == (p.v < low ? low : high))
                        r.erase(r.begin() + static_cast<std::ptrdiff_t>(kept));
                    else
                        r.pop_back();
                    r.push_back(p);
                }
            }
            continue;
        }
        runs.back().push_back(p);
        column = decimate ? column_of(p.t_ns, width) : 0;
        kept = runs.back().size() - 1;
    }
    if (runs.size() > most_runs)
        runs.erase(runs.begin(), runs.end() - static_cast<std::ptrdiff_t>(most_runs));
    return runs;
}

void Chart::y_range(std::int64_t now_ns, double &lo, double &hi) const
{
    lo = ymin;
    hi = ymax;
    if (!autoscale)
        return;
    std::int64_t end = view_end_ns(now_ns);
    std::int64_t begin = end - static_cast<std::int64_t>(span_s * 1e9);
    bool any = false;
    double a = 0, b = 0;
    for (auto &t : traces_) {
        if (!t.visible)
            continue;
        for (auto it = first_at(t.points, begin); it != t.points.end() && it->t_ns <= end; ++it) {
            const ChartPoint &p = *it;
            if (!std::isfinite(p.v))
                continue;
            a = any ? std::min(a, p.v) : p.v;
            b = any ? std::max(b, p.v) : p.v;
            any = true;
        }
    }
    if (!any)
        return;
    // A flat line gets a band of its own size (or 0.1 V) so that it sits mid-chart.
    double pad = std::max((b - a) * 0.05, b == a ? std::max(std::fabs(a) * 0.05, 0.05) : 0.0);
    lo = a - pad;
    hi = b + pad;
}

}  // namespace ui
