// The run-time's script verbs, one row each in kVerbs: what each takes, how
// its line is parsed and how it is played on the displayed panel.

#include "ui/script/verbs.h"
#include "base/error_output.h"
#include "base/korvane_strings.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace ui::script {
namespace {

std::string quoted(std::string_view t) { return "\"" + std::string(t) + "\""; }

// What follows the word w (a view into line) to the end of the line.
std::string_view after(std::string_view line, std::string_view w)
{
    return line.substr(static_cast<std::size_t>(w.data() - line.data()) + w.size());
}

std::string number(std::string_view t, double &v) { return parse_number(t, v) ? "" : quoted(t) + " is not a number"; }

// A value at args[at], then an optional tolerance of 0 or more.
std::string value_and_tolerance(Command &cmd, std::size_t at)
{
    const std::vector<std::string> &args = cmd.args;
    std::string e = number(args[at], cmd.value);
    if (e.empty() && args.size() > at + 1) {
        cmd.has_tolerance = true;
        e = number(args[at + 1], cmd.tolerance);
        if (e.empty() && !(cmd.tolerance >= 0))
            e = "the tolerance must be a number of 0 or more";
    }
    return e;
}

bool close_enough(double got, double want, double tolerance)
{
    if (std::isnan(want) || std::isnan(got))
        return std::isnan(want) && std::isnan(got);
    return std::fabs(got - want) <= tolerance + 1e-9 * std::max(1.0, std::fabs(want));
}

std::string quote_lines(const std::vector<std::string> &lines)
{
    std::string s;
    std::size_t shown = std::min<std::size_t>(lines.size(), 3);
    for (std::size_t i = 0; i < shown; ++i)
        s += (i ? ", \"" : "\"") + lines[lines.size() - shown + i] + "\"";
    if (lines.size() > shown)
        s = std::to_string(lines.size()) + " lines, the last " + s;
    return s;
}

// ---- parse steps ------------------------------------------------------------

std::string parse_set(const Line &, Command &cmd) { return number(cmd.args[1], cmd.value); }

std::string parse_expect(const Line &, Command &cmd) { return value_and_tolerance(cmd, 1); }

std::string parse_wait(const Line &, Command &cmd)
{
    if (!parse_duration(cmd.args[0], cmd.ns))
        return quoted(cmd.args[0]) + " is not a duration (e.g. 250ms, 2s, 500us)";
    if (cmd.ns > kVirtualClockEndNs)
        return "wait " + cmd.args[0] + " is longer than the virtual clock's 100 years";
    return "";
}

// What expect-trace checks of a chart's trace, by name.
struct TraceMeasure {
    const char *name;
    double (*of)(const TraceStats &);
};
const TraceMeasure kTraceMeasures[] = {
    {"points", [](const TraceStats &st) { return static_cast<double>(st.points); }},
    {"gaps", [](const TraceStats &st) { return static_cast<double>(st.gaps); }},
    {"last", [](const TraceStats &st) { return st.last; }},
    {"min", [](const TraceStats &st) { return st.min; }},
    {"max", [](const TraceStats &st) { return st.max; }},
    {"mean", [](const TraceStats &st) { return st.mean; }},
};

const TraceMeasure *trace_measure(const std::string &name)
{
    for (const TraceMeasure &m : kTraceMeasures)
        if (name == m.name)
            return &m;
    return nullptr;
}

std::string parse_expect_trace(const Line &, Command &cmd)
{
    if (!trace_measure(cmd.args[2]))
        return "expect-trace measures " + names_of(kTraceMeasures, false) + ", not " + quoted(cmd.args[2]);
    return value_and_tolerance(cmd, 3);
}

// A word of two choices into cmd.flag (true for the first).
std::string choice(Command &cmd, const char *yes, const char *no)
{
    if (cmd.args[1] != yes && cmd.args[1] != no)
        return cmd.verb + " takes " + yes + " or " + no + ", got " + quoted(cmd.args[1]);
    cmd.flag = cmd.args[1] == yes;
    return "";
}
std::string parse_expect_dimmed(const Line &, Command &cmd) { return choice(cmd, "yes", "no"); }
std::string parse_expect_timer(const Line &, Command &cmd) { return choice(cmd, "on", "off"); }

// The rest of the line is the text, as it stands.
std::string parse_text(const Line &line, Command &cmd)
{
    cmd.text = base::text::trim(after(line.raw, line.words[0]));
    if (cmd.text.empty())
        return cmd.verb + " needs the text to look for";
    return "";
}

// One word (a control, a count), then the rest of the line as it stands.
std::string parse_word_and_text(const Line &line, Command &cmd, const char *word)
{
    const std::vector<std::string_view> &w = line.words;
    if (w.size() < 3)
        return cmd.verb + " takes " + word + " and a text";
    std::string_view text = after(line.raw, w[1]);
    // A word starting with # ends the text, as it ends any line.
    for (std::size_t h = text.find('#'); h != std::string_view::npos; h = text.find('#', h + 1))
        if (h == 0 || base::text::is_space(text[h - 1])) {
            text = text.substr(0, h);
            break;
        }
    cmd.args = {std::string(w[1])};
    cmd.text = base::text::trim(text);
    return "";
}
std::string parse_expect_text(const Line &line, Command &cmd) { return parse_word_and_text(line, cmd, "a control"); }
std::string parse_expect_log_count(const Line &line, Command &cmd)
{
    if (std::string why = parse_word_and_text(line, cmd, "a count"); !why.empty())
        return why;
    if (!parse_number(cmd.args[0], cmd.value) || !(cmd.value >= 1) || cmd.value != std::floor(cmd.value))
        return "expect-log-count takes a count of 1 or more, got " + quoted(cmd.args[0]);
    return "";
}

// ---- run steps --------------------------------------------------------------

bool run_action(Runner &r, const Command &c)
{
    int panel = 0, id = r.resolve(c, panel);
    if (!id)
        return true;
    const bool set = c.args.size() == 2;
    model::Action a = set ? model::commit(panel, id, c.value) : model::press(panel, id);
    if (a.ok)
        r.pass();
    else
        r.fail(c, "expected " + c.verb + " " + c.args[0] + (set ? " " + c.args[1] : "") +
                      " to be accepted, got refused: " + a.why);
    return true;
}

bool run_wait(Runner &r, const Command &c)
{
    if (c.ns > kVirtualClockEndNs - now_ns()) {
        r.fail(c, "expected the virtual time to stay within 100 years, got wait " + c.args[0] + " at " +
                      std::to_string(now_ns() / 1000000000) + " s");
        model::advance(c.ns);  // to the clock's end: timers due before it still tick
        return true;
    }
    model::advance(c.ns);
    return true;
}

bool run_expect(Runner &r, const Command &c)
{
    int panel = 0, id = r.resolve(c, panel);
    if (!id)
        return true;
    auto ctl = model::control(panel, id);
    if (!ctl->has_value()) {
        r.fail(c, "expected " + c.args[0] + " to show a value, got a " + kind_name(ctl->kind));
        return true;
    }
    std::string shown_text = display_text(*ctl);
    double shown = ctl->value();
    if (ctl->kind == Kind::numeric_double && std::isfinite(shown))
        shown = std::strtod(shown_text.c_str(), nullptr);  // as shown, at its digits
    if (close_enough(shown, c.value, c.tolerance)) {
        r.pass();
        return true;
    }
    std::string want = c.args[1] + (c.has_tolerance ? " ± " + c.args[2] : "");
    std::string got = shown_text;
    if (ctl->kind == Kind::numeric_int && ctl->format != Format::decimal)
        got += " (" + std::to_string(ctl->ivalue) + ")";
    r.fail(c, "expected " + c.args[0] + " = " + want + ", got " + got);
    return true;
}

bool run_expect_text(Runner &r, const Command &c)
{
    int panel = 0, id = r.resolve(c, panel);
    if (!id)
        return true;
    std::string shown = display_text(*model::control(panel, id));
    if (shown == c.text)
        r.pass();
    else
        r.fail(c, "expected " + c.args[0] + " to show \"" + c.text + "\", got \"" + shown + "\"");
    return true;
}

bool run_expect_trace(Runner &r, const Command &c)
{
    int panel = 0, id = r.resolve(c, panel);
    if (!id)
        return true;
    Chart *chart = model::chart(panel, id);
    if (!chart) {
        r.fail(c, "expected " + c.args[0] + " to be a chart, got a " + kind_name(model::control(panel, id)->kind));
        return true;
    }
    int i = chart->find_trace(c.args[1]);
    if (i < 0) {
        r.fail(c, "expected chart " + c.args[0] + " to follow " + c.args[1] + ", got no such trace");
        return true;
    }
    const std::string &m = c.args[2];
    double got = trace_measure(m)->of(chart->stats(static_cast<std::size_t>(i)));
    if (close_enough(got, c.value, c.tolerance)) {
        r.pass();
        return true;
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.6g", got);
    r.fail(c, "expected " + m + " of " + c.args[0] + " " + c.args[1] + " = " + c.args[3] +
                  (c.has_tolerance ? " ± " + c.args[4] : "") + ", got " + buf);
    return true;
}

bool run_expect_log_count(Runner &r, const Command &c)
{
    const auto &entries = model::log_pane().entries();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        bool has = false;
        for (auto &l : it->lines)
            has = has || l.find(c.text) != std::string::npos;
        if (!has)
            continue;
        if (static_cast<double>(it->count) == c.value)
            r.pass();
        else
            r.fail(c, "expected the log pane's last entry with \"" + c.text + "\" to count " + c.args[0] + ", got " +
                          std::to_string(it->count));
        return true;
    }
    r.fail(c, "expected a log pane entry with \"" + c.text + "\", got none");
    return true;
}

bool run_expect_dimmed(Runner &r, const Command &c)
{
    int panel = 0, id = r.resolve(c, panel);
    if (!id)
        return true;
    bool dimmed = model::control(panel, id)->dimmed;
    if (dimmed == c.flag)
        r.pass();
    else
        r.fail(c, "expected " + c.args[0] + (c.flag ? " dimmed" : " not dimmed") + ", got " +
                      (dimmed ? "dimmed" : "not dimmed"));
    return true;
}

bool run_expect_timer(Runner &r, const Command &c)
{
    int panel = 0, id = r.resolve(c, panel);
    if (!id)
        return true;
    auto ctl = model::control(panel, id);
    if (ctl->kind != Kind::timer)
        r.fail(c, "expected " + c.args[0] + " to be a timer, got a " + kind_name(ctl->kind));
    else if (ctl->enabled == c.flag)
        r.pass();
    else
        r.fail(c, "expected timer " + c.args[0] + (c.flag ? " on" : " off") + ", got " + (ctl->enabled ? "on" : "off"));
    return true;
}

bool run_expect_status(Runner &r, const Command &c)
{
    const std::string line = model::status_line();
    if (line.find(c.text) != std::string::npos)
        r.pass();
    else
        r.fail(c, "expected the status line to hold \"" + c.text + "\", got \"" + line + "\"");
    return true;
}

// The error output's lines since the last look.
std::vector<std::string> new_log_lines(Runner &r)
{
    auto lines = base::error_log_since(r.log_mark());
    r.log_mark() = base::error_log_count();
    return lines;
}

bool run_expect_log(Runner &r, const Command &c)
{
    auto lines = new_log_lines(r);
    for (auto &l : lines)
        if (l.find(c.text) != std::string::npos) {
            r.pass();
            return true;
        }
    r.fail(c, "expected an error output line containing \"" + c.text + "\", got " +
                  (lines.empty() ? std::string("none") : quote_lines(lines)));
    return true;
}

bool run_expect_no_log(Runner &r, const Command &c)
{
    auto lines = new_log_lines(r);
    if (lines.empty())
        r.pass();
    else
        r.fail(c, "expected no error output, got " + quote_lines(lines));
    return true;
}

bool run_quit(Runner &, const Command &) { return false; }

bool run_program_verb(Runner &r, const Command &c)
{
    Result res;
    try {
        res = c.custom->fn(c.args);
    } catch (const std::exception &e) {
        res = {false, "expected " + c.verb + " to run, got an exception: " + e.what()};
    }
    if (res.skipped)
        r.skip(c, res.message);
    else if (res.pass)
        r.pass();
    else
        r.fail(c, res.message.empty() ? "expected " + c.verb + " to pass, got a failure" : res.message);
    // A verb may leave events or due ticks behind (it runs outside any callback).
    model::pump();
    return true;
}

constexpr int kAny = INT_MAX;

const VerbEntry kVerbs[] = {
    {"set", "CTRL VALUE", 2, 2, false, parse_set, run_action},
    {"press", "CTRL", 1, 1, false, nullptr, run_action},
    {"wait", "DURATION", 1, 1, false, parse_wait, run_wait},
    {"expect", "CTRL VALUE [TOLERANCE]", 2, 3, false, parse_expect, run_expect},
    {"expect-text", "CTRL TEXT", 2, kAny, true, parse_expect_text, run_expect_text},
    {"expect-trace", "CHART TRACE MEASURE VALUE [TOLERANCE]", 4, 5, false, parse_expect_trace, run_expect_trace},
    {"expect-dimmed", "CTRL yes|no", 2, 2, false, parse_expect_dimmed, run_expect_dimmed},
    {"expect-timer", "CTRL on|off", 2, 2, false, parse_expect_timer, run_expect_timer},
    {"expect-log", "TEXT", 1, kAny, true, parse_text, run_expect_log},
    {"expect-no-log", "", 0, 0, false, nullptr, run_expect_no_log},
    {"expect-status", "TEXT", 1, kAny, true, parse_text, run_expect_status},
    {"expect-log-count", "N TEXT", 2, kAny, true, parse_expect_log_count, run_expect_log_count},
    {"quit", "", 0, 0, false, nullptr, run_quit},
};

const VerbEntry kProgramVerb = {"", "", 0, kAny, false, nullptr, run_program_verb};

}  // namespace

std::span<const VerbEntry> builtin_verbs() { return kVerbs; }
const VerbEntry &program_verb() { return kProgramVerb; }

}  // namespace ui::script
