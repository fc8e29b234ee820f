// The window's instrument models, headless: a chart's bounded history and its
// CSV, the log pane's collapsing of repeated messages, the arrow keys' steps.
#include "ui/model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace {

constexpr std::int64_t kSec = 1000000000;
const double nan_v = std::numeric_limits<double>::quiet_NaN();

TEST(ChartModel, HistoryStaysBoundedByTimeAndByCount)
{
    // 700 s at 5 Hz: only the last 600 s stay.
    ui::Chart c({"A", "B"}, 5 * kSec, 600, 60, -10, 10);
    for (std::int64_t t = 0; t <= 700 * 5; t++) c.record(0, 5 * kSec + t * kSec / 5, std::sin(t * 0.1));
    const auto &a = c.traces()[0].points;
    EXPECT_EQ(a.back().t_ns, 700 * kSec);
    EXPECT_EQ(a.front().t_ns, 100 * kSec);
    EXPECT_EQ(a.size(), 3001u);
    // A control set far faster than the timers: at most 50 values a second of history.
    for (std::int64_t t = 0; t < 200000; t++) c.record(1, 5 * kSec + t * kSec / 1000, 1.0);
    EXPECT_EQ(c.traces()[1].points.size(), c.capacity());
    EXPECT_EQ(c.capacity(), 600u * ui::Chart::kMaxRate);
    EXPECT_EQ(c.traces()[1].points.back().t_ns, 199999 * kSec / 1000);
}

TEST(ChartModel, CsvHasARowPerSweepAndNaNAsAnEmptyCell)
{
    ui::Chart c({"AI0", "AI1"}, 0, 600, 60, -10, 10);
    c.record(0, kSec / 2, 1.5);
    c.record(1, kSec / 2 + 10, nan_v);
    c.record(0, kSec, 2.25);  // AI0 again: a new row
    c.record(1, kSec + 10, -3);
    c.record(1, 2 * kSec, 4);  // AI1 alone in the last row
    EXPECT_EQ(c.csv(), "time_s,AI0,AI1\n"
                       "0.500000,1.5,\n"
                       "1.000000,2.25,-3\n"
                       "2.000000,,4\n");
    ui::TraceStats s = c.stats(1);
    EXPECT_EQ(s.points, 3u);
    EXPECT_EQ(s.gaps, 0u);  // a leading NaN breaks no line
    EXPECT_EQ(s.last, 4);
    c.record(1, 3 * kSec, nan_v);
    c.record(1, 4 * kSec, 5);
    EXPECT_EQ(c.stats(1).gaps, 1u);
    EXPECT_DOUBLE_EQ(c.stats(1).mean, (-3 + 4 + 5) / 3.0);

    // Paused, the window stays where it was; autoscale fits the values shown, padded.
    c.set_paused(true, 4 * kSec);
    EXPECT_EQ(c.view_end_ns(100 * kSec), 4 * kSec);
    c.autoscale = true;
    double lo, hi;
    c.y_range(100 * kSec, lo, hi);
    EXPECT_LT(lo, -3);
    EXPECT_GT(hi, 5);
    EXPECT_GT(lo, -4);
    EXPECT_LT(hi, 6);
}

// What the view draws: runs split at NaN within the window, the newest runs
// kept; on a long span each pixel column of a run keeps only its lowest and
// highest value, in time order.
TEST(ChartModel, VisibleRunsSplitAtNaNAndKeepEachColumnsExtremes)
{
    using Runs = std::vector<std::vector<std::pair<std::int64_t, double>>>;
    auto runs = [](const std::vector<ui::ChartRun> &rs) {
        Runs out;
        for (auto &r : rs) {
            out.emplace_back();
            for (auto &p : r) out.back().push_back({p.t_ns / kSec, p.v});
        }
        return out;
    };
    ui::Chart c({"A"}, 0, 600, 30, -10, 10);
    const double v[] = {1, 5, nan_v, 2, 3, 7, -1, 4, 4, nan_v, 6, 0};
    for (int t = 1; t <= 12; t++) c.record(0, t * kSec, v[t - 1]);
    // Every value in [2 s, 11 s] on a wide plot; two runs kept of three.
    EXPECT_EQ(runs(c.visible_runs(0, 2 * kSec, 11 * kSec, 1000, 200)),
              (Runs{{{2, 5}}, {{4, 2}, {5, 3}, {6, 7}, {7, -1}, {8, 4}, {9, 4}}, {{11, 6}}}));
    EXPECT_EQ(runs(c.visible_runs(0, 2 * kSec, 11 * kSec, 1000, 2)),
              (Runs{{{4, 2}, {5, 3}, {6, 7}, {7, -1}, {8, 4}, {9, 4}}, {{11, 6}}}));
    // Two columns of 6 s for 12 values: columns [0, 6 s), [6 s, 12 s), [12 s, ...).
    EXPECT_EQ(runs(c.visible_runs(0, 0, 12 * kSec, 2, 200)),
              (Runs{{{1, 1}, {2, 5}}, {{4, 2}, {5, 3}, {6, 7}, {7, -1}}, {{11, 6}, {12, 0}}}));
    // A later value past the older extreme takes its place; the order stays the time order.
    ui::Chart d({"B"}, 0, 600, 30, -10, 10);
    for (double x : {3.0, 5.0, 1.0, 9.0, 0.0, 4.0}) d.record(0, static_cast<std::int64_t>(d.traces()[0].points.size() + 1) * kSec, x);
    EXPECT_EQ(runs(d.visible_runs(0, 0, 12 * kSec, 1, 200)), (Runs{{{4, 9}, {5, 0}}}));
    EXPECT_EQ(runs(d.visible_runs(0, 0, 4 * kSec, 1, 200)), (Runs{{{2, 5}, {3, 1}, {4, 9}}}));  // 4 s is the next column

    // Random traces with gaps: in every column of every run the values kept are
    // the column's lowest and highest, once each, in time order; the runs are those of the window.
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> volts(-5, 5);
    ui::Chart r({"R"}, 0, 600, 30, -10, 10);
    for (int k = 0; k < 3000; k++) r.record(0, k * kSec / 5, rng() % 50 == 0 ? nan_v : volts(rng));
    const std::int64_t begin = 37 * kSec + 123, end = begin + 300 * kSec;
    const int columns = 211;
    const std::int64_t width = (end - begin) / columns;
    const auto drawn = r.visible_runs(0, begin, end, columns, 1000);
    const auto all = r.visible_runs(0, begin, end, 100000, 1000);  // no thinning on so wide a plot
    ASSERT_EQ(drawn.size(), all.size());
    std::size_t kept = 0, shown = 0;
    for (std::size_t i = 0; i < all.size(); i++) {
        std::size_t at = 0;
        for (std::size_t j = 0; j < all[i].size();) {
            std::size_t k = j;
            while (k < all[i].size() && all[i][k].t_ns / width == all[i][j].t_ns / width) k++;
            auto lo = std::min_element(all[i].begin() + j, all[i].begin() + k, [](auto &a, auto &b) { return a.v < b.v; });
            auto hi = std::max_element(all[i].begin() + j, all[i].begin() + k, [](auto &a, auto &b) { return a.v < b.v; });
            std::vector<double> want{lo < hi ? lo->v : hi->v};
            if (lo != hi) want.push_back(lo < hi ? hi->v : lo->v);
            for (double w : want) {
                ASSERT_LT(at, drawn[i].size());
                EXPECT_EQ(drawn[i][at].v, w) << "run " << i << " column " << all[i][j].t_ns / width;
                EXPECT_EQ(drawn[i][at].t_ns / width, all[i][j].t_ns / width);
                at++;
            }
            j = k;
        }
        EXPECT_EQ(at, drawn[i].size());
        kept += drawn[i].size();
        shown += all[i].size();
    }
    EXPECT_LE(kept, 2u * (columns + 1) + 2 * drawn.size());
    EXPECT_GT(shown, kept);
}

TEST(LogModel, ARepeatedMessageOfSeveralLinesIsOneEntryWithItsCount)
{
    ui::LogModel log;
    const std::vector<std::string> report = {"Error = -200284, Some samples", "are not there yet."};
    EXPECT_EQ(log.add({"korvane 0.1"}, "t0"), ui::LogModel::Change::appended);
    for (int i = 0; i < 40; i++)
        EXPECT_EQ(log.add(report, "t" + std::to_string(i)),
                  i ? ui::LogModel::Change::last_changed : ui::LogModel::Change::appended);
    log.add({"Error = -200284, Some samples"}, "t40");  // its first line alone is another message
    ASSERT_EQ(log.entries().size(), 3u);
    const ui::LogEntry &e = log.entries()[1];
    EXPECT_EQ(e.count, 40u);
    EXPECT_TRUE(e.report);
    EXPECT_FALSE(log.entries()[0].report);
    EXPECT_EQ(e.shown_lines(), (std::vector<std::string>{"t39  Error = -200284, Some samples",
                                                         "     are not there yet.  \u00d740"}));
    for (int i = 0; i < 3000; i++) log.add({"line " + std::to_string(i)}, "t");
    EXPECT_EQ(log.entries().size(), ui::LogModel::kBound);
    EXPECT_EQ(log.entries().back().lines[0], "line 2999");
}

TEST(Stepping, OneUnitOfTheLastDigitHeldToTheRange)
{
    ui::Control hex;
    hex.kind = ui::Kind::numeric_int;
    hex.format = ui::Format::hex;
    hex.has_min = hex.has_max = true;
    hex.min = 0;
    hex.max = 255;
    hex.has_blank = true;
    hex.blank = -1;
    hex.ivalue = -1;
    EXPECT_EQ(ui::display_text(hex), "\u2014");
    EXPECT_EQ(ui::stepped_value(hex, 1), 0);  // from a blank value: the bound nearest 0
    hex.ivalue = 0xF8;
    EXPECT_EQ(ui::stepped_value(hex, 16), 255);
    EXPECT_EQ(ui::stepped_value(hex, -1), 0xF7);

    ui::Control volts;
    volts.kind = ui::Kind::numeric_double;
    volts.digits = 4;
    volts.has_min = volts.has_max = true;
    volts.min = -10;
    volts.max = 10;
    volts.dvalue = 2.5;
    EXPECT_DOUBLE_EQ(ui::stepped_value(volts, 1), 2.5001);
    EXPECT_DOUBLE_EQ(ui::stepped_value(volts, -16), 2.4984);
    volts.dvalue = nan_v;
    EXPECT_EQ(ui::stepped_value(volts, -1), 0);
}

TEST(StatusLine, RatesOverTheLastSecond)
{
    ui::RateMeter m;
    EXPECT_EQ(m.sample(0, 0, 0).a, 0);
    m.sample(kSec / 2, 100, 1);
    auto r = m.sample(kSec, 400, 2);
    EXPECT_DOUBLE_EQ(r.a, 400);
    EXPECT_DOUBLE_EQ(r.b, 2);
    r = m.sample(2 * kSec, 400, 2);  // a quiet second since the last calls
    EXPECT_DOUBLE_EQ(r.a, 0);
    EXPECT_EQ(ui::status_text("simulated bench", true, 412.4, 0),
              "simulated bench  \u00b7  hardware open  \u00b7  412 driver calls/s, 0 failed/s");
}

}  // namespace
