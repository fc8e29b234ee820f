// The model the views read and act on: panels and controls as they stand,
// the operator's actions, the event loop's turns and virtual time, charts,
// the log pane and the status line, the listeners of changes.

#include "ui/state.h"
#include "base/error_output.h"

#include <cmath>

namespace ui::model {

using namespace detail;

std::vector<int> panels()
{
    std::vector<int> res;
    for (auto &kv : rt().panels)
        res.push_back(kv.first);
    return res;
}

std::optional<Panel> panel(int handle)
{
    if (Panel *p = find_panel(handle))
        return *p;
    return std::nullopt;
}

int displayed_panel()
{
    auto &order = rt().display_order;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        Panel *p = find_panel(*it);
        if (p && p->displayed)
            return *it;
    }
    return 0;
}

std::vector<Control> controls(int panel)
{
    if (Panel *p = find_panel(panel))
        return p->controls;
    return {};
}

std::optional<Control> control(int panel, int id)
{
    if (Panel *p = find_panel(panel))
        if (Control *c = p->find(id))
            return *c;
    return std::nullopt;
}

bool lamps_grey(int panel, const Control &c)
{
    if (shows_blank(c) || c.ivalue < 0 || c.dimmed)
        return true;
    if (c.read)
        return !*c.read;
    if (c.grey_while.empty() || c.ivalue != 0)
        return false;
    const Panel *p = detail::find_panel(panel);
    for (const Control &other : p ? p->controls : std::vector<Control>{})
        if (other.name == c.grey_while)
            return shows_blank(other);
    return false;
}

void hint_read(int panel, int id, bool read)
{
    Panel *p = find_panel(panel);
    Control *c = p ? p->find(id) : nullptr;
    if (!c || c->read == read)
        return;
    c->read = read;
    notify({panel, id});
}

bool shows_held(int panel, const Control &c)
{
    if (c.held_while.empty() || shows_blank(c) || (c.kind == Kind::numeric_double && std::isnan(c.dvalue)))
        return false;
    const Panel *p = detail::find_panel(panel);
    for (const Control &other : p ? p->controls : std::vector<Control>{})
        if (other.name == c.held_while)
            return other.dimmed;
    return false;
}

int find_control(int panel, const std::string &name)
{
    Panel *p = find_panel(panel);
    if (!p || name.empty())
        return 0;
    for (auto &c : p->controls)
        if (c.name == name)
            return c.id;
    for (auto &c : p->controls)
        if (c.created && c.label == name)
            return c.id;
    double v;
    if (script::parse_number(name, v) && !std::isnan(v) && v == std::floor(v) && std::abs(v) < 1e9)
        if (p->find(static_cast<int>(v)))
            return static_cast<int>(v);
    return 0;
}

namespace {
// The control an operator's action goes to; null with the reason when there is none.
Control *action_target(int panel, int id, Action &refused)
{
    Panel *p = find_panel(panel);
    Control *c = p ? p->find(id) : nullptr;
    if (!c)
        refused = {false, p ? "no such control" : "no such panel"};
    return c;
}
}  // namespace

Action commit(int panel, int id, double value)
{
    Action refused;
    Control *c = action_target(panel, id, refused);
    if (!c)
        return refused;
    if (!c->has_value())
        return {false, std::string("a ") + kind_name(c->kind) + " takes no value"};
    if (c->dimmed)
        return {false, "the control is dimmed"};
    if (c->indicator)
        return {false, "the control is an indicator"};
    if (std::isnan(value))
        return {false, "not a number"};
    // The operator's entry is held to the control's range.
    if (c->has_min && value < c->min)
        value = c->min;
    if (c->has_max && value > c->max)
        value = c->max;
    store_value(*c, value);
    rt().queue.push_back({panel, id, EVENT_COMMIT, nullptr});
    notify({panel, id});
    pump();
    return {};
}

Action press(int panel, int id)
{
    Action refused;
    Control *c = action_target(panel, id, refused);
    if (!c)
        return refused;
    if (!kind_info(c->kind).pressable)
        return {false, std::string("a ") + kind_name(c->kind) + " cannot be pressed"};
    if (c->dimmed)
        return {false, "the control is dimmed"};
    if (c->indicator)
        return {false, "the control is an indicator"};
    if (c->kind == Kind::toggle)
        c->ivalue = c->ivalue ? 0 : 1;
    rt().queue.push_back({panel, id, EVENT_COMMIT, nullptr});
    notify({panel, id});
    pump();
    return {};
}

Action step(int panel, int id, int steps)
{
    Action refused;
    Control *c = action_target(panel, id, refused);
    if (!c)
        return refused;
    if (c->kind != Kind::numeric_int && c->kind != Kind::numeric_double)
        return {false, std::string("a ") + kind_name(c->kind) + " cannot be stepped"};
    return commit(panel, id, stepped_value(*c, steps));
}

Chart *chart(int panel, int id)
{
    auto it = rt().charts.find({panel, id});
    return it == rt().charts.end() ? nullptr : it->second.get();
}

const LogModel &log_pane() { return rt().log; }

void clear_log_pane()
{
    Runtime &r = rt();
    r.log.clear();
    auto ls = r.log_listeners;
    for (auto &kv : ls)
        kv.second(LogModel::Change::cleared);
}

int add_log_listener(std::function<void(LogModel::Change)> fn)
{
    int id = rt().next_listener++;
    rt().log_listeners.emplace(id, std::move(fn));
    return id;
}

void remove_log_listener(int id) { rt().log_listeners.erase(id); }

std::string status_line()
{
    Runtime &r = rt();
    if (!r.status_source)
        return "";
    sample_status(true);
    return status_text(r.status_facts.driver, r.status_facts.open, r.status_rates.a, r.status_rates.b);
}

Action close(int panel)
{
    if (!find_panel(panel))
        return {false, "no such panel"};
    rt().queue.push_back({panel, 0, EVENT_CLOSE, nullptr});
    pump();
    return {};
}

void pump()
{
    Runtime &r = rt();
    if (r.depth > 0)
        return;
    // Each timer ticks at most once per turn: a tick whose work outlasts its
    // interval would otherwise keep the loop here for good, and the window
    // (or the script) would never get its turn.
    std::set<std::pair<int, int>> ticked;
    while (!r.quit) {
        if (!r.queue.empty()) {
            Event e = r.queue.front();
            r.queue.pop_front();
            dispatch(e);
            continue;
        }
        int ph = 0;
        Control *t = earliest_timer(&ph, ticked);
        std::int64_t now = now_ns();
        if (!t || t->next_due_ns > now)
            break;
        ticked.insert({ph, t->id});
        sample_status(false);
        // Next tick on the timer's grid after now: ticks missed while a callback
        // ran long fold into this one.
        std::int64_t late = now - t->next_due_ns;
        t->next_due_ns += (late / t->interval_ns + 1) * t->interval_ns;
        dispatch({ph, t->id, EVENT_TIMER_TICK, nullptr});
    }
}

void advance(std::int64_t ns)
{
    Runtime &r = rt();
    if (ns < 0)
        ns = 0;
    std::int64_t now = now_ns();
    std::int64_t end = virtual_clock() ? kVirtualClockEndNs : INT64_MAX;
    std::int64_t target = ns < end - now ? now + ns : end;
    for (;;) {
        pump();
        if (r.quit || r.depth > 0)
            break;
        std::int64_t due = next_due_ns();
        if (due > target)
            break;
        if (virtual_clock() && due > r.vnow)
            r.vnow = due;
        else if (!virtual_clock())
            sleep_ns(due - now_ns());
    }
    if (virtual_clock() && !r.quit && r.vnow < target)
        r.vnow = target;
}

std::int64_t next_due_ns()
{
    int ph = 0;
    Control *t = earliest_timer(&ph);
    return t ? t->next_due_ns : INT64_MAX;
}

bool quit_requested() { return rt().quit; }
bool in_callback() { return rt().depth > 0; }

std::vector<std::string> log_lines() { return base::error_log(); }

int add_listener(std::function<void()> fn)
{
    return add_listener([fn = std::move(fn)](const Change &) { fn(); });
}

int add_listener(std::function<void(const Change &)> fn)
{
    int id = rt().next_listener++;
    rt().listeners.emplace(id, std::move(fn));
    return id;
}

void remove_listener(int id) { rt().listeners.erase(id); }

void reset()
{
    Runtime &r = rt();
    r.fe.reset();
    r = Runtime{};
    base::error_output_reset();
}

}  // namespace ui::model
