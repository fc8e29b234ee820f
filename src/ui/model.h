// The run-time's model, as views and tests see it: panels and their controls
// with every property, the operator's actions, time and the error log. How a
// window front end plugs into the core is in internal.h.
#pragma once

#include "ui/chart.h"
#include "ui/kinds.h"
#include "ui/log.h"
#include "ui/runtime.h"
#include "ui/userint.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

const char *kind_name(Kind kind);
const char *format_name(Format format);

struct Control {
    int id = 0;
    std::string name;      // constant name from the panel file; empty for controls made by NewCtrl
    std::string label;     // caption; for buttons the text on the button
    std::string title;     // decorations: the frame's title
    std::string tip;       // the tooltip: what the control does, in the operator's words
    Kind kind = Kind::numeric_int;
    bool indicator = false;  // mode: indicator (the operator cannot change it) or control
    bool dimmed = false;
    bool created = false;    // made by NewCtrl
    int ivalue = 0;          // numeric_int and toggle
    double dvalue = 0.0;     // numeric_double
    Format format = Format::decimal;
    int digits = 0;          // doubles: digits after the point; integers: minimum digits shown
    bool has_min = false, has_max = false;
    double min = 0.0, max = 0.0;    // charts: the fixed scale
    bool has_blank = false;
    double blank = 0.0;             // numerics: a value shown as a dash (no reading)
    std::vector<std::string> traces;  // charts: the controls followed
    double span_s = 60.0;             // charts: the time shown at first
    double history_s = 600.0;         // charts: the time kept
    int top = 0, left = 0, width = 0, height = 0;
    std::int64_t interval_ns = 0;  // timers
    bool enabled = false;          // timers: ticking
    std::int64_t next_due_ns = 0;  // timers: when the next tick is due (while enabled)
    std::string grey_while;        // leds: the control whose blank value greys the lamps that show no 1
    std::string held_while;        // numerics: the control whose dimming marks the value as held, not live
    std::optional<bool> read;      // the program's hint (hint_read): whether the value is a reading
    std::string callback_name;
    CtrlCallbackPtr callback = nullptr;
    int line = 0;  // where the panel file describes it (0: made by NewCtrl)

    bool has_value() const { return kind_info(kind).has_value; }
    double value() const { return kind == Kind::numeric_double ? dvalue : static_cast<double>(ivalue); }
    // What is given to the script and in messages: the constant name, else the label, else the id.
    std::string display_name() const;
};

struct Panel {
    int handle = 0;
    int resource = 0;
    std::string name;   // constant name of the panel (optional)
    std::string title;
    std::string file;   // the panel file it came from
    int width = 0, height = 0;
    std::string callback_name;
    PanelCallbackPtr callback = nullptr;
    bool displayed = false;
    std::vector<Control> controls;  // in file order, then NewCtrl order
    std::map<std::string, std::string> tips;  // of controls NewCtrl makes, by label

    const Control *find(int id) const;
    Control *find(int id);
};

// The text a control shows: doubles with their digits (NaN as "NaN"), integers
// in their format (hex "0x1F" and binary or lamps "00011111" zero-padded to
// digits), toggles 0/1, the blank value as a dash "\u2014", a frame its
// title; empty for buttons, timers and charts.
std::string display_text(const Control &c);
inline constexpr const char *kBlankText = "\u2014";
bool shows_blank(const Control &c);
// Lamps of a numeric in the leds format (its digits, 8 when 0).
int lamp_count(const Control &c);

// The value one step of the arrow keys away (steps may be negative; Page
// Up/Down are 16 steps): one unit of the last digit shown (1 for integers,
// 10^-digits for doubles), held to the control's range. A NaN or blank value
// steps from the range's bound nearest 0.
double stepped_value(const Control &c, int steps);

// Reads a number typed into a control: in a hex control bare hex digits are
// hex, in a binary control bare 0/1 digits are binary; otherwise as
// script::parse_number.
bool parse_operator_text(const Control &c, const std::string &text, double &value);

const Options &options();
// True when the run-time's clock is virtual (the headless front end).
bool virtual_clock();

namespace model {

std::vector<int> panels();
std::optional<Panel> panel(int handle);
int displayed_panel();  // the most recently displayed panel still loaded; 0 if none
std::vector<Control> controls(int panel);
std::optional<Control> control(int panel, int id);
// By constant name, else by the label of a NewCtrl control, else by integer
// identifier. 0 when nothing on the panel has that name.
int find_control(int panel, const std::string &name);
// Whether the lamps show grey instead of levels: a negative or blank value, a
// dimmed control, a value the program's hint says is no reading, or, with no
// hint, no line at 1 while the control its grey_while key names shows its
// blank value (of the panel `panel`).
bool lamps_grey(int panel, const Control &c);
// The program tells the view whether the value it gave control `id` was really
// read (a port with no configuration gives 0 without being read). A hint for
// the view alone: no run-time call, not traced, no event.
void hint_read(int panel, int id, bool read);
// Whether a numeric shows a value held from while its area was open, not a
// live one: the control its held_while key names is dimmed (its area closed).
// A blank or NaN value holds nothing.
bool shows_held(int panel, const Control &c);

struct Action {
    bool ok = true;
    std::string why;  // when refused
};
// The operator types a value and commits it: refused on dimmed controls,
// indicators, controls without a value and NaN; clamped to the range; the
// control's callback gets EVENT_COMMIT.
Action commit(int panel, int id, double value);
// The operator clicks a button (commit) or a toggle (flips, then commit):
// refused on dimmed controls and indicators.
Action press(int panel, int id);
// The operator steps a numeric with the arrow keys (stepped_value), then commits.
Action step(int panel, int id, int steps);
// The operator closes the window: the panel's callback gets EVENT_CLOSE.
Action close(int panel);

// The model of a chart control (nullptr if the control is none): the view and
// the operator's choices act on it directly; it lives until DiscardPanel.
Chart *chart(int panel, int id);

// The log pane's model, fed by the error output from InitCVIRTE on.
const LogModel &log_pane();
void clear_log_pane();
// Called after each change of the log pane, with what changed.
int add_log_listener(std::function<void(LogModel::Change)> fn);
void remove_log_listener(int id);

// The status line now (rates over the last second); "" when the program gave no source.
std::string status_line();

// One turn of the loop: runs queued events and due timer ticks, one callback
// at a time, until nothing is due or a callback asked to quit; each timer
// ticks at most once per turn. Does nothing inside a callback.
void pump();
// Virtual time passes: every enabled timer ticks at its interval in time order.
void advance(std::int64_t ns);
// Earliest due tick of an enabled timer, or INT64_MAX.
std::int64_t next_due_ns();
bool quit_requested();
bool in_callback();

std::vector<std::string> log_lines();

// What a change is about: one control of a panel (its value or attributes),
// a panel as a whole (control 0: loaded, displayed, discarded, a control
// added), or nothing shown (panel 0: a callback returned, time passed).
struct Change {
    int panel = 0;
    int control = 0;
};
// Called after every change of panels, controls or values: views bring up to
// date what changed.
int add_listener(std::function<void(const Change &)> fn);
int add_listener(std::function<void()> fn);
void remove_listener(int id);

// Back to the state before configure(): no panels, callbacks, verbs, sinks,
// log; virtual time 0. For tests.
void reset();

}  // namespace model

namespace script {

// Where script mode writes its failures and summary (standard output by default).
void set_output(std::function<void(const std::string &line)> out);

// Parses and runs a script on the displayed panel; returns 0 (all passed),
// 1 (some failed) or 2 (cannot be parsed). name is used in messages.
int run_text(const std::string &name, const std::string &text);
// The same for a file ("-": standard input); 2 when it cannot be read.
int run_file(const std::string &file);

// Durations: a number with us, ms or s.
bool parse_duration(std::string_view text, std::int64_t &ns);

}  // namespace script

}  // namespace ui
