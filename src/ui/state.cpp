// The run-time's state and the steps its parts share: the event queue's
// dispatch, timers, values into controls and the charts that follow them,
// the status line's samples, the log pane's feed.

#include "ui/state.h"
#include "base/error_output.h"

#include <chrono>
#include <climits>
#include <cmath>

namespace ui::detail {

Runtime &rt()
{
    static Runtime *r = new Runtime;  // lives as long as the process: callbacks may run at exit
    return *r;
}

FrontEndFactory &window_factory()
{
    static FrontEndFactory *f = new FrontEndFactory;
    return *f;
}

ScreenshotRenderer &screenshot_renderer()
{
    static ScreenshotRenderer *f = new ScreenshotRenderer;
    return *f;
}

void notify(model::Change what)
{
    // Copy: a listener may add or remove listeners.
    auto ls = rt().listeners;
    for (auto &kv : ls)
        kv.second(what);
}

Panel *find_panel(int handle)
{
    auto it = rt().panels.find(handle);
    return it == rt().panels.end() ? nullptr : &it->second;
}

std::int64_t steady_ns()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void fail(const std::string &line)
{
    rt().last_failure = line;
    ErrorPrintf("%s\n", line.c_str());
}

void dispatch(const Event &e)
{
    Runtime &r = rt();
    ++r.depth;
    // The trace names the callback the run-time runs (a held one outlived its panel).
    auto traced_run = [&](const std::string &callback) {
        if (tracing_calls())
            trace_call("callback " + callback + "(" + std::to_string(e.panel) + ", " +
                       (e.control ? traced_control(e.panel, e.control) : "0") + ", " + traced_event(e.event) + ")");
    };
    if (e.held) {
        traced_run("(discarded panel)");
        e.held(e.panel, e.control, e.event, nullptr, 0, 0);
    } else if (Panel *p = find_panel(e.panel)) {
        if (e.control == 0) {
            if (p->callback) {
                traced_run(p->callback_name);
                p->callback(e.panel, e.event, nullptr, 0, 0);
            }
        } else if (Control *c = p->find(e.control)) {
            if (c->callback) {
                traced_run(c->callback_name);
                c->callback(e.panel, e.control, e.event, nullptr, 0, 0);
            }
        }
    }
    --r.depth;
    notify();
}

// The enabled timer due first (ties: lower panel handle, then panel file order),
// leaving out those in `skip` (panel, control).
Control *earliest_timer(int *panel_out, const std::set<std::pair<int, int>> &skip)
{
    Control *best = nullptr;
    for (auto &[h, p] : rt().panels) {
        for (auto &c : p.controls) {
            if (c.kind != Kind::timer || !c.enabled || skip.count({h, c.id}))
                continue;
            if (!best || c.next_due_ns < best->next_due_ns) {
                best = &c;
                *panel_out = h;
            }
        }
    }
    return best;
}

std::int64_t clamp_round(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (v <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return std::llround(v);
}

void store_value(Control &c, double v)
{
    if (c.kind == Kind::numeric_double)
        c.dvalue = v;
    else if (c.kind == Kind::toggle)
        c.ivalue = (!std::isnan(v) && v != 0.0) ? 1 : 0;
    else
        c.ivalue = static_cast<int>(clamp_round(v));
}

// Charts of a panel find the controls they follow by name; controls made by
// NewCtrl come after the panel file, so each NewCtrl looks again.
void resolve_traces(int panel)
{
    for (auto &[key, chart] : rt().charts) {
        if (key.first != panel)
            continue;
        for (auto &t : chart->traces())
            if (!t.control)
                t.control = model::find_control(panel, t.name);
    }
}

// The program set a value into c: every chart following it records it.
void record_value(int panel, const Control &c)
{
    Runtime &r = rt();
    if (r.charts.empty())
        return;
    double v = shows_blank(c) ? NotANumber() : c.value();
    std::int64_t now = -1;
    for (auto &[key, chart] : r.charts) {
        if (key.first != panel)
            continue;
        auto &ts = chart->traces();
        for (std::size_t i = 0; i < ts.size(); ++i)
            if (ts[i].control == c.id) {
                if (now < 0)
                    now = now_ns();
                chart->record(i, now, v);
            }
    }
}

// The status line's counts, sampled as the loop turns (at most ten times a
// second), so that its rates stand for the last second whoever asks.
void sample_status(bool force)
{
    Runtime &r = rt();
    if (!r.status_source)
        return;
    std::int64_t now = now_ns();
    if (!force && r.status_sampled_ns != INT64_MIN && now - r.status_sampled_ns < 100000000)
        return;
    r.status_sampled_ns = now;
    r.status_facts = r.status_source();
    r.status_rates = r.status_meter.sample(now, r.status_facts.calls, r.status_facts.failed);
}

void log_message(const std::vector<std::string> &lines)
{
    Runtime &r = rt();
    auto change = r.log.add(lines, log_time_text(now_ns(), virtual_clock()));
    auto ls = r.log_listeners;
    for (auto &kv : ls)
        kv.second(change);
}

int check_control(int panel, int id, Control **out)
{
    if (!rt().initialized)
        return UIENotInitialized;
    Panel *p = find_panel(panel);
    if (!p)
        return UIEHandleInvalid;
    Control *c = p->find(id);
    if (!c)
        return UIEInvalidControlId;
    *out = c;
    return 0;
}

// check_control, for the value operations: buttons, timers and decorations hold none.
int check_value_control(int panel, int id, Control **out)
{
    if (int st = check_control(panel, id, out); st < 0)
        return st;
    return (*out)->has_value() ? 0 : UIECtrlTypeInvalid;
}

}  // namespace ui::detail
