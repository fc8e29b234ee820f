// Inside the run-time's core only: its one state (panels, callbacks, the
// event queue, timers, the clock, listeners) and the steps its parts share
// (the model, the operations of userint.h, configuration, registries).
#pragma once

#include "ui/internal.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace ui::detail {

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

Runtime &rt();
FrontEndFactory &window_factory();
ScreenshotRenderer &screenshot_renderer();

// Tells the views what changed.
void notify(model::Change what = {});
Panel *find_panel(int handle);
std::int64_t steady_ns();
// The run-time's last failure, written to the error output.
void fail(const std::string &line);
// Runs one event's callback.
void dispatch(const Event &e);
// The enabled timer due first (ties: lower panel handle, then panel file order),
// leaving out those in `skip` (panel, control).
Control *earliest_timer(int *panel_out, const std::set<std::pair<int, int>> &skip = {});
// A double to an int's range, NaN as 0.
std::int64_t clamp_round(double v);
// Stores v in the control's data type.
void store_value(Control &c, double v);
// Charts of a panel find the controls they follow by name; controls made by
// NewCtrl come after the panel file, so each NewCtrl looks again.
void resolve_traces(int panel);
// The program set a value into c: every chart following it records it.
void record_value(int panel, const Control &c);
// The status line's counts, sampled as the loop turns (at most ten times a
// second, unless forced), so that its rates stand for the last second whoever asks.
void sample_status(bool force);
// The error output's lines into the log pane.
void log_message(const std::vector<std::string> &lines);
// The control of a userint.h operation, or its failure status.
int check_control(int panel, int id, Control **out);
// The trace of the program's calls (runtime.h: set_call_trace): whether one
// is written, a line into it, and how its lines name controls, attributes,
// events and values.
bool tracing_calls();
void trace_call(const std::string &line);
std::string traced_control(int panel, int id);
std::string traced_attribute(int attribute);
std::string traced_event(int event);
std::string traced_number(double value);
// status, after writing the call's line (made by `call`, only when traced) and " = status".
// A template, so that an untraced call (every tick's) makes no line and no function object.
template <class Call>
int traced(int status, Call &&call)
{
    if (tracing_calls())
        trace_call(call() + " = " + std::to_string(status));
    return status;
}
// "(a, b, c)"; a text in double quotes, or NULL.
std::string call_args(std::initializer_list<std::string> parts);
std::string quoted(const char *text);
// NAME(panel, CONTROL, value) and NAME(panel, CONTROL, ATTR, value).
std::string value_call(const char *name, int panel, int id, const std::string &value);
std::string attribute_call(const char *name, int panel, int id, int attribute, const std::string &value);
// check_control, for the value operations: buttons, timers and decorations hold none.
int check_value_control(int panel, int id, Control **out);

}  // namespace ui::detail
