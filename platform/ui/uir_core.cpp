// The panel run-time's core: panels and controls, callbacks bound by name, the
// event queue and timers on the run-time's clock, the operations of userint.h,
// and the headless front end (virtual time, script mode, screenshots).

#include "uir_core.h"
#include "error_output.h"
#include "uir_internal.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <map>
#include <set>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace uir {
namespace {

struct Event {
    int panel = 0;
    int control = 0;  // 0: the panel's own callback
    int event = 0;
    // Set when the event outlives its panel (discard): the callback is held here.
    CtrlCallbackPtr held = nullptr;
};

struct Runtime {
    Options opts;
    bool initialized = false;
    bool running = false;  // inside RunUserInterface
    std::unique_ptr<FrontEnd> fe;
    bool headless = true;
    std::vector<std::string> search_dirs;
    std::map<std::string, CtrlCallbackPtr> ctrl_cbs;
    std::map<std::string, PanelCallbackPtr> panel_cbs;
    std::map<int, Panel> panels;
    std::vector<int> display_order;  // most recent last
    int next_handle = 1;
    std::deque<Event> queue;
    int depth = 0;  // callbacks running
    bool quit = false;
    int quit_code = 0;
    std::int64_t vnow = 0;
    int exit_status = 0;
    std::string last_failure;
    std::map<int, std::function<void(const model::Change &)>> listeners;
    int next_listener = 1;
    std::map<std::string, detail::Verb> verbs;
    std::map<std::pair<int, int>, std::unique_ptr<Chart>> charts;  // (panel, control)
    LogModel log;
    std::map<int, std::function<void(LogModel::Change)>> log_listeners;
    std::function<StatusFacts()> status_source;
    RateMeter status_meter;
    std::int64_t status_sampled_ns = INT64_MIN;
    StatusFacts status_facts;
    RateMeter::Rates status_rates;
};

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

void notify(model::Change what = {})
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
    if (e.held) {
        e.held(e.panel, e.control, e.event, nullptr, 0, 0);
    } else if (Panel *p = find_panel(e.panel)) {
        if (e.control == 0) {
            if (p->callback)
                p->callback(e.panel, e.event, nullptr, 0, 0);
        } else if (Control *c = p->find(e.control)) {
            if (c->callback)
                c->callback(e.panel, e.control, e.event, nullptr, 0, 0);
        }
    }
    --r.depth;
    notify();
}

// The enabled timer due first (ties: lower panel handle, then panel file order),
// leaving out those in `skip` (panel, control).
Control *earliest_timer(int *panel_out, const std::set<std::pair<int, int>> &skip = {})
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

// "" when path names a regular file (or a link to one); else what it is
// instead. Nothing is opened: a FIFO would block the reader.
std::string not_a_panel_file(const fs::path &path)
{
    std::error_code ec;
    switch (fs::status(path, ec).type()) {
    case fs::file_type::regular: return "";
    case fs::file_type::not_found: return "panel file not found";
    case fs::file_type::directory: return "a folder, not a panel file";
    case fs::file_type::fifo: return "a FIFO, not a panel file";
    case fs::file_type::socket: return "a socket, not a panel file";
    case fs::file_type::block:
    case fs::file_type::character: return "a device, not a panel file";
    default: return "panel file cannot be reached (" + ec.message() + ")";
    }
}

std::string resolve_panel_file(const std::string &filename, std::string &why)
{
    Runtime &r = rt();
    std::string given = !r.opts.panel_file.empty() ? r.opts.panel_file : filename;
    if (!r.opts.panel_file.empty() || filename.find('/') != std::string::npos) {
        std::string not_file = not_a_panel_file(given);
        if (not_file.empty())
            return given;
        why = given + ": " + not_file;
        return "";
    }
    std::vector<std::string> dirs;
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec)
        dirs.push_back(exe.parent_path().string());
    for (auto &d : r.search_dirs)
        dirs.push_back(d);
    std::string looked;
    for (auto &d : dirs) {
        fs::path p = fs::path(d) / filename;
        std::string not_file = not_a_panel_file(p);
        if (not_file.empty())
            return p.string();
        if (fs::exists(fs::symlink_status(p, ec)) && !ec) {
            why = p.string() + ": " + not_file;  // there, but not a file to read
            return "";
        }
        looked += (looked.empty() ? "" : ", ") + d;
    }
    why = filename + ": panel file not found (looked in " + (looked.empty() ? "no folder" : looked) + ")";
    return "";
}

// Headless end of the loop: the screenshot, then the operator closes the window.
void finish_headless()
{
    Runtime &r = rt();
    int shown = model::displayed_panel();
    if (!r.opts.screenshot_file.empty()) {
        std::string why;
        auto &render = screenshot_renderer();
        bool ok = false;
        if (!shown)
            why = "no panel is displayed";
        else if (!render)
            why = "the program has no window view linked";
        else
            ok = render(shown, r.opts.screenshot_file, why);
        if (!ok) {
            fail(r.opts.screenshot_file + ": screenshot not written: " + why);
            if (r.exit_status == 0)
                r.exit_status = 1;
        }
    }
    if (!r.quit && shown) {
        model::close(shown);
    }
}

}  // namespace

// ---- names and texts -------------------------------------------------------

const char *kind_name(Kind kind) { return kind_info(kind).name.data(); }
const char *format_name(Format format) { return format_info(format).name.data(); }

std::string Control::display_name() const
{
    if (!name.empty())
        return name;
    if (!label.empty())
        return label;
    return std::to_string(id);
}

const Control *Panel::find(int id) const
{
    for (auto &c : controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

Control *Panel::find(int id)
{
    for (auto &c : controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

bool shows_blank(const Control &c)
{
    return c.has_blank && (c.kind == Kind::numeric_int || c.kind == Kind::numeric_double) && c.value() == c.blank;
}

int lamp_count(const Control &c) { return c.digits > 0 ? std::min(c.digits, 32) : 8; }

double stepped_value(const Control &c, int steps)
{
    double unit = c.kind == Kind::numeric_double ? std::pow(10.0, -std::clamp(c.digits, 0, 15)) : 1.0;
    double v = c.value();
    if (std::isnan(v) || shows_blank(c)) {
        // From the bound nearest 0, so that the first step lands inside the range.
        v = 0.0;
        if (c.has_min && v < c.min)
            v = c.min;
        if (c.has_max && v > c.max)
            v = c.max;
        steps = 0;
    }
    v += unit * steps;
    if (c.kind == Kind::numeric_double)
        v = std::round(v / unit) * unit;  // on the grid of the digits shown
    if (c.has_min && v < c.min)
        v = c.min;
    if (c.has_max && v > c.max)
        v = c.max;
    return v;
}

std::string display_text(const Control &c)
{
    char buf[96];
    if (shows_blank(c))
        return kBlankText;
    switch (c.kind) {
    case Kind::numeric_double: {
        if (std::isnan(c.dvalue))
            return "NaN";
        if (std::isinf(c.dvalue))
            return c.dvalue > 0 ? "Inf" : "-Inf";
        std::snprintf(buf, sizeof buf, "%.*f", std::clamp(c.digits, 0, 15), c.dvalue);
        return buf;
    }
    case Kind::toggle:
        return c.ivalue ? "1" : "0";
    case Kind::decoration:
        return c.title;
    case Kind::numeric_int: {
        long long v = c.ivalue;
        unsigned long long mag = v < 0 ? static_cast<unsigned long long>(-v) : static_cast<unsigned long long>(v);
        std::string digits;
        int width = c.format == Format::leds ? lamp_count(c) : std::clamp(c.digits, 0, 64);
        switch (c.format) {
        case Format::decimal:
            digits = std::to_string(mag);
            break;
        case Format::hex:
            std::snprintf(buf, sizeof buf, "%llX", mag);
            digits = buf;
            break;
        case Format::binary:
        case Format::leds:
            do {
                digits.insert(digits.begin(), static_cast<char>('0' + (mag & 1)));
                mag >>= 1;
            } while (mag);
            break;
        }
        if (static_cast<int>(digits.size()) < width)
            digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
        std::string prefix = c.format == Format::hex ? "0x" : "";
        return (v < 0 ? "-" : "") + prefix + digits;
    }
    default:
        return "";
    }
}

bool parse_operator_text(const Control &c, const std::string &raw, double &value)
{
    std::string text = raw;
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    std::size_t b = 0;
    while (b < text.size() && std::isspace(static_cast<unsigned char>(text[b])))
        ++b;
    text = text.substr(b);
    if (c.kind == Kind::numeric_int && c.format != Format::decimal && !text.empty()) {
        // (Lamps read typed text as binary digits.)
        bool neg = text[0] == '-';
        std::string body = text.substr(neg ? 1 : 0);
        // A 0x or 0b prefix says what it is, even where it could be read as hex digits.
        bool prefixed = body.size() > 1 && body[0] == '0' && std::strchr("xXbB", body[1]);
        const char *set = c.format == Format::hex ? "0123456789abcdefABCDEF" : "01";
        const std::size_t most = c.format == Format::hex ? 16 : 64;  // what fits in 64 bits
        if (!prefixed && !body.empty() && body.size() <= most && body.find_first_not_of(set) == std::string::npos) {
            unsigned long long v = std::stoull(body, nullptr, c.format == Format::hex ? 16 : 2);
            value = neg ? -static_cast<double>(v) : static_cast<double>(v);
            return true;
        }
    }
    return script::parse_number(text, value);
}

// ---- configuration and clock ------------------------------------------------

void configure(const Options &options)
{
    Runtime &r = rt();
    if (r.initialized)
        return;
    r.opts = options;
}

const Options &options() { return rt().opts; }

void set_status_source(std::function<StatusFacts()> source) { rt().status_source = std::move(source); }

void add_panel_search_dir(const std::string &dir) { rt().search_dirs.push_back(dir); }

int exit_status() { return rt().exit_status; }

std::string last_failure() { return rt().last_failure; }

void set_window_front_end(FrontEndFactory factory) { window_factory() = std::move(factory); }
bool has_window_front_end() { return static_cast<bool>(window_factory()); }
void set_screenshot_renderer(ScreenshotRenderer renderer) { screenshot_renderer() = std::move(renderer); }

bool virtual_clock()
{
    Runtime &r = rt();
    if (r.initialized)
        return r.headless;
    return !r.opts.script_file.empty() || !r.opts.screenshot_file.empty() || !has_window_front_end();
}

std::int64_t now_ns()
{
    if (virtual_clock())
        return rt().vnow;
    return steady_ns();
}

void sleep_ns(std::int64_t ns)
{
    if (ns <= 0)
        return;
    if (virtual_clock())
        rt().vnow += std::min(ns, kVirtualClockEndNs - rt().vnow);  // timers now due tick when the callback returns
    else
        std::this_thread::sleep_for(std::chrono::nanoseconds(ns));
}

namespace detail {

void set_last_failure(const std::string &line) { rt().last_failure = line; }

const Verb *find_verb(const std::string &name)
{
    auto it = rt().verbs.find(name);
    return it == rt().verbs.end() ? nullptr : &it->second;
}

CtrlCallbackPtr find_ctrl_callback(const std::string &name)
{
    auto it = rt().ctrl_cbs.find(name);
    return it == rt().ctrl_cbs.end() ? nullptr : it->second;
}

PanelCallbackPtr find_panel_callback(const std::string &name)
{
    auto it = rt().panel_cbs.find(name);
    return it == rt().panel_cbs.end() ? nullptr : it->second;
}

}  // namespace detail

int RegisterCallback(const char *name, CtrlCallbackPtr fn)
{
    if (!name || !*name || !fn)
        return UIEValueInvalid;
    rt().ctrl_cbs[name] = fn;
    return 0;
}

int RegisterCallback(const char *name, PanelCallbackPtr fn)
{
    if (!name || !*name || !fn)
        return UIEValueInvalid;
    rt().panel_cbs[name] = fn;
    return 0;
}

namespace script {
void register_verb(const std::string &name, int min_args, int max_args, Verb fn)
{
    rt().verbs[name] = detail::Verb{min_args, max_args, std::move(fn)};
}
}  // namespace script

// ---- model ------------------------------------------------------------------

namespace model {

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

Action commit(int panel, int id, double value)
{
    Panel *p = find_panel(panel);
    if (!p)
        return {false, "no such panel"};
    Control *c = p->find(id);
    if (!c)
        return {false, "no such control"};
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
    Panel *p = find_panel(panel);
    if (!p)
        return {false, "no such panel"};
    Control *c = p->find(id);
    if (!c)
        return {false, "no such control"};
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
    Panel *p = find_panel(panel);
    Control *c = p ? p->find(id) : nullptr;
    if (!c)
        return {false, "no such control"};
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

std::vector<std::string> log_lines() { return error_log(); }

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
    error_output_reset();
}

}  // namespace model

}  // namespace uir

// ---- the operations of userint.h --------------------------------------------

using namespace uir;

extern "C" int InitCVIRTE(void *hInstance, char *argv[], void *reserved)
{
    (void)hInstance;
    (void)reserved;
    Runtime &r = rt();
    if (r.initialized)
        return 1;
    bool headless = !r.opts.script_file.empty() || !r.opts.screenshot_file.empty() || !has_window_front_end();
    // The window system first: without one, its reason is the only line (the
    // banner is for the log pane of a window that does come up).
    if (!headless) {
        std::unique_ptr<FrontEnd> fe = window_factory()();
        std::string why;
        if (!fe || !fe->start(argv, why)) {
            fail(why.empty() ? "korvane: the window system cannot be started" : why);
            r.exit_status = 1;
            return 0;
        }
        r.fe = std::move(fe);
    }
    // The log pane hears the error output from here on, the banner first.
    add_error_message_sink(log_message);
    for (auto &line : r.opts.banner)
        ErrorPrintf("%s\n", line.c_str());
    r.headless = headless;
    r.initialized = true;
    return 1;
}

extern "C" int LoadPanel(int parentPanelHandle, const char *filename, int panelResourceID)
{
    Runtime &r = rt();
    if (!r.initialized)
        return UIENotInitialized;
    if (parentPanelHandle != 0 && !find_panel(parentPanelHandle))
        return UIEHandleInvalid;
    std::string why;
    std::string path = resolve_panel_file(filename ? filename : "", why);
    if (path.empty()) {
        fail(why);
        return UIEFileNotFound;
    }
    Panel p;
    int st = detail::read_panel_file(path, panelResourceID, p, why);
    if (st < 0) {
        fail(why);
        return st;
    }
    p.handle = r.next_handle++;
    std::int64_t now = now_ns();
    for (auto &c : p.controls) {
        if (c.kind == Kind::timer)
            c.next_due_ns = now + c.interval_ns;
        if (c.kind == Kind::chart)
            r.charts[{p.handle, c.id}] =
                std::make_unique<Chart>(c.traces, now, c.history_s, c.span_s, c.min, c.max);
    }
    int h = p.handle;
    r.panels.emplace(h, std::move(p));
    resolve_traces(h);
    notify({h, 0});
    return h;
}

extern "C" int DisplayPanel(int panelHandle)
{
    Runtime &r = rt();
    if (!r.initialized)
        return UIENotInitialized;
    Panel *p = find_panel(panelHandle);
    if (!p)
        return UIEHandleInvalid;
    if (!p->displayed) {
        // A chart following no control is a fault of the panel file, found once
        // the program has made its controls.
        for (auto &c : p->controls) {
            Chart *ch = c.kind == Kind::chart ? model::chart(panelHandle, c.id) : nullptr;
            if (!ch)
                continue;
            for (auto &t : ch->traces())
                if (!t.control)
                    ErrorPrintf("%s:%d: chart %s: no control named %s to follow\n", p->file.c_str(), c.line,
                                c.name.c_str(), t.name.c_str());
        }
    }
    p->displayed = true;
    r.display_order.erase(std::remove(r.display_order.begin(), r.display_order.end(), panelHandle),
                          r.display_order.end());
    r.display_order.push_back(panelHandle);
    if (r.fe)
        r.fe->displayed(panelHandle);
    notify({panelHandle, 0});
    return 0;
}

extern "C" int RunUserInterface(void)
{
    Runtime &r = rt();
    if (!r.initialized)
        return UIENotInitialized;
    if (r.running)
        return UIEValueInvalid;  // the loop does not nest
    r.running = true;
    r.quit = false;
    r.quit_code = 0;
    int result;
    if (r.fe) {
        model::pump();
        if (!r.quit)
            r.fe->run();
        result = r.quit_code;
        r.exit_status = 0;
    } else if (!r.opts.script_file.empty()) {
        result = script::run_file(r.opts.script_file);
        r.exit_status = result;
        if (result != 2)
            finish_headless();
        result = r.exit_status;  // a failed screenshot fails the run
    } else {
        model::pump();
        r.exit_status = 0;
        finish_headless();
        result = r.quit ? r.quit_code : 0;
    }
    // Discard events of panels discarded by the callback that quit still reach
    // their timers: the loop has ended, but those callbacks are owed them.
    while (r.depth == 0) {
        auto it = std::find_if(r.queue.begin(), r.queue.end(), [](const Event &e) { return e.held != nullptr; });
        if (it == r.queue.end())
            break;
        Event e = *it;
        r.queue.erase(it);
        dispatch(e);
    }
    r.running = false;
    return result;
}

extern "C" int QuitUserInterface(int returnCode)
{
    Runtime &r = rt();
    if (!r.initialized)
        return UIENotInitialized;
    r.quit = true;
    r.quit_code = returnCode;
    return 0;
}

extern "C" int DiscardPanel(int panelHandle)
{
    Runtime &r = rt();
    if (!r.initialized)
        return UIENotInitialized;
    Panel *p = find_panel(panelHandle);
    if (!p)
        return UIEHandleInvalid;
    std::vector<std::pair<int, CtrlCallbackPtr>> timers;
    for (auto &c : p->controls)
        if (c.kind == Kind::timer && c.callback)
            timers.emplace_back(c.id, c.callback);
    if (r.depth == 0) {
        // Each timer's callback hears of the discard while its panel still exists.
        for (auto &[id, cb] : timers)
            dispatch({panelHandle, id, EVENT_DISCARD, nullptr});
    } else {
        for (auto &[id, cb] : timers)
            r.queue.push_back({panelHandle, id, EVENT_DISCARD, cb});
    }
    r.panels.erase(panelHandle);
    for (auto it = r.charts.begin(); it != r.charts.end();)
        it = it->first.first == panelHandle ? r.charts.erase(it) : std::next(it);
    r.display_order.erase(std::remove(r.display_order.begin(), r.display_order.end(), panelHandle),
                          r.display_order.end());
    // Events still queued for the panel go with it (the held discard events stay).
    r.queue.erase(std::remove_if(r.queue.begin(), r.queue.end(),
                                 [&](const Event &e) { return e.panel == panelHandle && !e.held; }),
                  r.queue.end());
    if (r.fe)
        r.fe->discarded(panelHandle);
    notify({panelHandle, 0});
    return 0;
}

int SetCtrlVal(int panelHandle, int controlID, int value)
{
    return SetCtrlVal(panelHandle, controlID, static_cast<double>(value));
}

int SetCtrlVal(int panelHandle, int controlID, double value)
{
    Control *c = nullptr;
    if (int st = check_value_control(panelHandle, controlID, &c); st < 0)
        return st;
    store_value(*c, value);
    record_value(panelHandle, *c);
    notify({panelHandle, controlID});
    return 0;
}

int GetCtrlVal(int panelHandle, int controlID, int *value)
{
    Control *c = nullptr;
    if (int st = check_value_control(panelHandle, controlID, &c); st < 0)
        return st;
    if (!value)
        return UIEValueInvalid;
    *value = c->kind == Kind::numeric_double ? static_cast<int>(clamp_round(c->dvalue)) : c->ivalue;
    return 0;
}

int GetCtrlVal(int panelHandle, int controlID, double *value)
{
    Control *c = nullptr;
    if (int st = check_value_control(panelHandle, controlID, &c); st < 0)
        return st;
    if (!value)
        return UIEValueInvalid;
    *value = c->value();
    return 0;
}

extern "C" int SetCtrlAttribute(int panelHandle, int controlID, int attribute, int value)
{
    Control *c = nullptr;
    if (int st = check_control(panelHandle, controlID, &c); st < 0)
        return st;
    switch (attribute) {
    case ATTR_DIMMED:
        if (value != 0 && value != 1)
            return UIEValueInvalid;
        c->dimmed = value == 1;
        break;
    case ATTR_ENABLED:
        if (c->kind != Kind::timer)
            return UIEAttributeInvalid;
        if (value != 0 && value != 1)
            return UIEValueInvalid;
        c->enabled = value == 1;
        if (c->enabled)
            c->next_due_ns = now_ns() + c->interval_ns;  // the interval restarts from now
        break;
    case ATTR_CTRL_MODE:
        if (c->kind == Kind::timer || c->kind == Kind::decoration)
            return UIEAttributeInvalid;
        if (value != VAL_INDICATOR && value != VAL_HOT)
            return UIEValueInvalid;
        c->indicator = value == VAL_INDICATOR;
        break;
    case ATTR_PRECISION:
        if (c->kind != Kind::numeric_double)
            return UIEAttributeInvalid;
        if (value < 0 || value > 15)
            return UIEValueInvalid;
        c->digits = value;
        break;
    default:
        return UIEAttributeInvalid;
    }
    notify({panelHandle, controlID});
    return 0;
}

extern "C" int GetCtrlAttribute(int panelHandle, int controlID, int attribute, int *value)
{
    Control *c = nullptr;
    if (int st = check_control(panelHandle, controlID, &c); st < 0)
        return st;
    if (!value)
        return UIEValueInvalid;
    switch (attribute) {
    case ATTR_DIMMED:
        *value = c->dimmed ? 1 : 0;
        return 0;
    case ATTR_ENABLED:
        if (c->kind != Kind::timer)
            return UIEAttributeInvalid;
        *value = c->enabled ? 1 : 0;
        return 0;
    case ATTR_CTRL_MODE:
        if (c->kind == Kind::timer || c->kind == Kind::decoration)
            return UIEAttributeInvalid;
        *value = c->indicator ? VAL_INDICATOR : VAL_HOT;
        return 0;
    case ATTR_PRECISION:
        if (c->kind != Kind::numeric_double)
            return UIEAttributeInvalid;
        *value = c->digits;
        return 0;
    default:
        return UIEAttributeInvalid;
    }
}

// A frame's title, every other control's label.
static std::string &label_text(Control &c)
{
    return c.kind == Kind::decoration ? c.title : c.label;
}

int SetCtrlAttribute(int panelHandle, int controlID, int attribute, const char *value)
{
    Control *c = nullptr;
    if (int st = check_control(panelHandle, controlID, &c); st < 0)
        return st;
    if (attribute != ATTR_LABEL_TEXT)
        return UIEAttributeInvalid;
    if (!value)
        return UIEValueInvalid;
    label_text(*c) = value;
    notify({panelHandle, controlID});
    return 0;
}

int GetCtrlAttribute(int panelHandle, int controlID, int attribute, char *value, size_t size)
{
    Control *c = nullptr;
    if (int st = check_control(panelHandle, controlID, &c); st < 0)
        return st;
    if (attribute != ATTR_LABEL_TEXT)
        return UIEAttributeInvalid;
    if (!value || size == 0)
        return UIEValueInvalid;
    const std::string &text = label_text(*c);
    const std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(value, text.data(), n);
    value[n] = '\0';
    return 0;
}

extern "C" int NewCtrl(int panelHandle, int controlStyle, const char *label, int top, int left)
{
    Runtime &r = rt();
    if (!r.initialized)
        return UIENotInitialized;
    Panel *p = find_panel(panelHandle);
    if (!p)
        return UIEHandleInvalid;
    if (controlStyle != CTRL_NUMERIC)
        return UIEValueInvalid;
    int id = 0;
    for (auto &c : p->controls)
        id = std::max(id, c.id);
    if (id == INT_MAX)
        return UIEOutOfMemory;
    Control c;
    c.id = id + 1;
    c.label = label ? label : "";
    c.kind = Kind::numeric_double;
    c.created = true;
    if (auto tip = p->tips.find(c.label); tip != p->tips.end())
        c.tip = tip->second;
    c.digits = kind_info(c.kind).digits;
    c.top = top;
    c.left = left;
    c.width = kind_info(c.kind).width;
    c.height = kind_info(c.kind).height;
    p->controls.push_back(c);
    resolve_traces(panelHandle);
    notify({panelHandle, 0});  // the charts may follow the new control
    return c.id;
}

extern "C" const char *GetUILErrorString(int status)
{
    switch (status) {
    case UIENoError: return "No error.";
    case UIEHandleInvalid: return "The panel handle is invalid.";
    case UIEInvalidControlId: return "The control is not on the panel.";
    case UIEAttributeInvalid: return "The attribute is not valid for the control.";
    case UIEValueInvalid: return "The value is not valid.";
    case UIEFileNotFound: return "The panel file cannot be found or opened.";
    case UIEPanelFileInvalid: return "The panel file is not valid.";
    case UIEResourceNotFound: return "The panel is not in the panel file.";
    case UIECallbackNotFound: return "A callback named in the panel file is not registered.";
    case UIENotInitialized: return "The run-time is not initialised.";
    case UIEFrontEndFailed: return "The window system cannot be started.";
    case UIECtrlTypeInvalid: return "The operation does not apply to this kind of control.";
    case UIEOutOfMemory: return "Out of memory.";
    default: return status >= 0 ? "No error." : "Unknown run-time error.";
    }
}
