// Script mode: the operator's actions and checks read from a file, played on
// the headless front end in virtual time. The whole script is parsed first.

#include "uir_internal.h"
#include "error_output.h"
#include "korvane_files.h"
#include "korvane_strings.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <cstring>
#include <string_view>


namespace uir::script {
namespace {

std::function<void(const std::string &)> &output()
{
    static auto *out = new std::function<void(const std::string &)>;
    return *out;
}

// Every line is one line of printable text, whatever bytes the script held.
void say(const std::string &raw)
{
    std::string line = korvane::text::one_line(raw);
    if (output()) {
        output()(line);
    } else {
        std::cout << line << '\n' << std::flush;
    }
}


enum class Op {
    set,
    press,
    wait,
    expect,
    expect_text,
    expect_dimmed,
    expect_timer,
    expect_trace,
    expect_log,
    expect_log_count,
    expect_no_log,
    expect_status,
    quit,
    custom
};

// What expect-trace checks of a chart's trace.
const char *const kTraceMeasures[] = {"points", "gaps", "last", "min", "max", "mean"};

struct Command {
    int line = 0;
    Op op = Op::custom;
    std::string verb;
    std::vector<std::string> args;
    std::string text;  // expect-log
    double value = 0, tolerance = 0;
    bool has_tolerance = false;
    std::int64_t ns = 0;
    bool flag = false;
    const detail::Verb *custom = nullptr;
};

struct Builtin {
    const char *name;
    Op op;
    int min_args, max_args;
};
const Builtin kBuiltins[] = {
    {"set", Op::set, 2, 2},
    {"press", Op::press, 1, 1},
    {"wait", Op::wait, 1, 1},
    {"expect", Op::expect, 2, 3},
    {"expect-dimmed", Op::expect_dimmed, 2, 2},
    {"expect-timer", Op::expect_timer, 2, 2},
    {"expect-text", Op::expect_text, 2, INT32_MAX},
    {"expect-trace", Op::expect_trace, 4, 5},
    {"expect-log", Op::expect_log, 1, INT32_MAX},
    {"expect-log-count", Op::expect_log_count, 2, INT32_MAX},
    {"expect-no-log", Op::expect_no_log, 0, 0},
    {"expect-status", Op::expect_status, 1, INT32_MAX},
    {"quit", Op::quit, 0, 0},
};

std::string plural_args(int n) { return std::to_string(n) + (n == 1 ? " argument" : " arguments"); }

// The words of a line, as views into it; a word starting with # ends the line.
std::vector<std::string_view> words(std::string_view line)
{
    std::vector<std::string_view> res;
    std::size_t i = 0, n = line.size();
    for (;;) {
        while (i < n && korvane::text::is_space(line[i]))
            ++i;
        if (i == n || (line[i] == '#' && !res.empty()))
            return res;
        std::size_t b = i;
        while (i < n && !korvane::text::is_space(line[i]))
            ++i;
        res.push_back(line.substr(b, i - b));
    }
}

// What follows the word w (a view into line) to the end of the line.
std::string_view after(std::string_view line, std::string_view w)
{
    return line.substr(static_cast<std::size_t>(w.data() - line.data()) + w.size());
}

std::string quoted(std::string_view t) { return "\"" + std::string(t) + "\""; }

// Parses one line (trimmed, not a comment) into cmd; "" or the reason it cannot be parsed.
std::string parse_line(std::string_view raw, Command &cmd)
{
    std::vector<std::string_view> w = words(raw);
    std::string_view verb = w[0];
    cmd.verb = std::string(verb);
    const Builtin *b = nullptr;
    for (auto &x : kBuiltins)
        if (verb == x.name)
            b = &x;
    int min_args, max_args;
    if (b) {
        cmd.op = b->op;
        min_args = b->min_args, max_args = b->max_args;
    } else if ((cmd.custom = detail::find_verb(cmd.verb))) {
        cmd.op = Op::custom;
        min_args = cmd.custom->min_args, max_args = cmd.custom->max_args;
    } else {
        return "unknown verb " + quoted(verb);
    }
    if (cmd.op == Op::expect_log || cmd.op == Op::expect_status) {
        // The rest of the line is the text, as it stands.
        cmd.text = korvane::text::trim(after(raw, verb));
        if (cmd.text.empty())
            return cmd.verb + " needs the text to look for";
        return "";
    }
    if (cmd.op == Op::expect_text || cmd.op == Op::expect_log_count) {
        // One word (a control, a count), then the rest of the line as it stands.
        if (w.size() < 3)
            return cmd.verb + " takes " + (cmd.op == Op::expect_text ? "a control" : "a count") + " and a text";
        std::string_view text = after(raw, w[1]);
        // A word starting with # ends the text, as it ends any line.
        for (std::size_t h = text.find('#'); h != std::string_view::npos; h = text.find('#', h + 1))
            if (h == 0 || korvane::text::is_space(text[h - 1])) {
                text = text.substr(0, h);
                break;
            }
        cmd.args = {std::string(w[1])};
        cmd.text = korvane::text::trim(text);
        if (cmd.op == Op::expect_log_count &&
            (!parse_number(w[1], cmd.value) || !(cmd.value >= 1) || cmd.value != std::floor(cmd.value)))
            return "expect-log-count takes a count of 1 or more, got " + quoted(w[1]);
        return "";
    }
    int n = static_cast<int>(w.size()) - 1;
    if (n < min_args || n > max_args) {
        std::string want = min_args == max_args ? plural_args(min_args)
                                                : std::to_string(min_args) + " to " + plural_args(max_args);
        return cmd.verb + " takes " + want + ", got " + std::to_string(n);
    }
    cmd.args.assign(w.begin() + 1, w.end());
    const std::vector<std::string_view> args(w.begin() + 1, w.end());
    auto number = [&](std::string_view t, double &v) -> std::string {
        return parse_number(t, v) ? "" : quoted(t) + " is not a number";
    };
    auto value_and_tolerance = [&](std::size_t at) -> std::string {
        std::string e = number(args[at], cmd.value);
        if (e.empty() && args.size() > at + 1) {
            cmd.has_tolerance = true;
            e = number(args[at + 1], cmd.tolerance);
            if (e.empty() && !(cmd.tolerance >= 0))
                e = "the tolerance must be a number of 0 or more";
        }
        return e;
    };
    switch (cmd.op) {
    case Op::set:
        return number(args[1], cmd.value);
    case Op::expect:
        return value_and_tolerance(1);
    case Op::wait:
        if (!parse_duration(args[0], cmd.ns))
            return quoted(args[0]) + " is not a duration (e.g. 250ms, 2s, 500us)";
        if (cmd.ns > kVirtualClockEndNs)
            return "wait " + cmd.args[0] + " is longer than the virtual clock's 100 years";
        return "";
    case Op::expect_trace: {
        bool known = false;
        for (auto *m : kTraceMeasures)
            known = known || args[2] == m;
        if (!known)
            return "expect-trace measures points, gaps, last, min, max or mean, not " + quoted(args[2]);
        return value_and_tolerance(3);
    }
    case Op::expect_dimmed:
        if (args[1] != "yes" && args[1] != "no")
            return "expect-dimmed takes yes or no, got " + quoted(args[1]);
        cmd.flag = args[1] == "yes";
        return "";
    case Op::expect_timer:
        if (args[1] != "on" && args[1] != "off")
            return "expect-timer takes on or off, got " + quoted(args[1]);
        cmd.flag = args[1] == "on";
        return "";
    default:
        return "";
    }
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

class Runner {
public:
    explicit Runner(std::string name) : name_(std::move(name)) {}

    int run(const std::vector<Command> &cmds)
    {
        log_mark_ = error_log_count();
        for (std::size_t i = 0; i < cmds.size(); ++i) {
            const Command &c = cmds[i];
            if (model::quit_requested()) {
                fail(c, "expected the script to run to its end, got QuitUserInterface from the program");
                break;
            }
            if (c.op == Op::quit)
                break;
            step(c);
        }
        say(std::to_string(passed_) + " passed, " + std::to_string(failed_) + " failed" +
            (skipped_ ? ", " + std::to_string(skipped_) + " skipped" : std::string()));
        return failed_ ? 1 : 0;
    }

private:
    void fail(const Command &c, const std::string &why)
    {
        ++failed_;
        say(name_ + ":" + std::to_string(c.line) + ": " + why);
    }
    void pass() { ++passed_; }

    // The control the script names, on the displayed panel; 0 after a failure.
    int resolve(const Command &c, int &panel)
    {
        panel = model::displayed_panel();
        if (!panel) {
            fail(c, "expected a displayed panel, got none");
            return 0;
        }
        int id = model::find_control(panel, c.args[0]);
        if (!id)
            fail(c, "expected a control named " + c.args[0] + ", got none on the panel");
        return id;
    }

    void step(const Command &c)
    {
        int panel = 0, id = 0;
        switch (c.op) {
        case Op::set:
        case Op::press: {
            if (!(id = resolve(c, panel)))
                return;
            model::Action a = c.op == Op::set ? model::commit(panel, id, c.value) : model::press(panel, id);
            if (a.ok)
                pass();
            else
                fail(c, "expected " + c.verb + " " + c.args[0] + (c.op == Op::set ? " " + c.args[1] : "") +
                            " to be accepted, got refused: " + a.why);
            return;
        }
        case Op::wait:
            if (c.ns > kVirtualClockEndNs - now_ns()) {
                fail(c, "expected the virtual time to stay within 100 years, got wait " + c.args[0] + " at " +
                            std::to_string(now_ns() / 1000000000) + " s");
                model::advance(c.ns);  // to the clock's end: timers due before it still tick
                return;
            }
            model::advance(c.ns);
            return;
        case Op::expect: {
            if (!(id = resolve(c, panel)))
                return;
            auto ctl = model::control(panel, id);
            if (!ctl->has_value()) {
                fail(c, "expected " + c.args[0] + " to show a value, got a " + kind_name(ctl->kind));
                return;
            }
            std::string shown_text = display_text(*ctl);
            double shown = ctl->value();
            if (ctl->kind == Kind::numeric_double && std::isfinite(shown))
                shown = std::strtod(shown_text.c_str(), nullptr);  // as shown, at its digits
            bool ok;
            if (std::isnan(c.value) || std::isnan(shown))
                ok = std::isnan(c.value) && std::isnan(shown);
            else
                ok = std::fabs(shown - c.value) <= c.tolerance + 1e-9 * std::max(1.0, std::fabs(c.value));
            if (ok) {
                pass();
            } else {
                std::string want = c.args[1] + (c.has_tolerance ? " ± " + c.args[2] : "");
                std::string got = shown_text;
                if (ctl->kind == Kind::numeric_int && ctl->format != Format::decimal)
                    got += " (" + std::to_string(ctl->ivalue) + ")";
                fail(c, "expected " + c.args[0] + " = " + want + ", got " + got);
            }
            return;
        }
        case Op::expect_text: {
            if (!(id = resolve(c, panel)))
                return;
            std::string shown = display_text(*model::control(panel, id));
            if (shown == c.text)
                pass();
            else
                fail(c, "expected " + c.args[0] + " to show \"" + c.text + "\", got \"" + shown + "\"");
            return;
        }
        case Op::expect_trace: {
            if (!(id = resolve(c, panel)))
                return;
            Chart *chart = model::chart(panel, id);
            if (!chart) {
                fail(c, "expected " + c.args[0] + " to be a chart, got a " +
                            kind_name(model::control(panel, id)->kind));
                return;
            }
            int i = chart->find_trace(c.args[1]);
            if (i < 0) {
                fail(c, "expected chart " + c.args[0] + " to follow " + c.args[1] + ", got no such trace");
                return;
            }
            TraceStats st = chart->stats(static_cast<std::size_t>(i));
            const std::string &m = c.args[2];
            double got = m == "points" ? static_cast<double>(st.points)
                       : m == "gaps"   ? static_cast<double>(st.gaps)
                       : m == "last"   ? st.last
                       : m == "min"    ? st.min
                       : m == "max"    ? st.max
                                       : st.mean;
            bool ok = std::isnan(c.value) || std::isnan(got)
                          ? std::isnan(c.value) && std::isnan(got)
                          : std::fabs(got - c.value) <= c.tolerance + 1e-9 * std::max(1.0, std::fabs(c.value));
            if (ok) {
                pass();
            } else {
                char buf[40];
                std::snprintf(buf, sizeof buf, "%.6g", got);
                fail(c, "expected " + m + " of " + c.args[0] + " " + c.args[1] + " = " + c.args[3] +
                            (c.has_tolerance ? " ± " + c.args[4] : "") + ", got " + buf);
            }
            return;
        }
        case Op::expect_log_count: {
            const auto &entries = model::log_pane().entries();
            for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
                bool has = false;
                for (auto &l : it->lines)
                    has = has || l.find(c.text) != std::string::npos;
                if (!has)
                    continue;
                if (static_cast<double>(it->count) == c.value)
                    pass();
                else
                    fail(c, "expected the log pane's last entry with \"" + c.text + "\" to count " + c.args[0] +
                                ", got " + std::to_string(it->count));
                return;
            }
            fail(c, "expected a log pane entry with \"" + c.text + "\", got none");
            return;
        }
        case Op::expect_dimmed: {
            if (!(id = resolve(c, panel)))
                return;
            bool dimmed = model::control(panel, id)->dimmed;
            if (dimmed == c.flag)
                pass();
            else
                fail(c, "expected " + c.args[0] + (c.flag ? " dimmed" : " not dimmed") + ", got " +
                            (dimmed ? "dimmed" : "not dimmed"));
            return;
        }
        case Op::expect_timer: {
            if (!(id = resolve(c, panel)))
                return;
            auto ctl = model::control(panel, id);
            if (ctl->kind != Kind::timer)
                fail(c, "expected " + c.args[0] + " to be a timer, got a " + kind_name(ctl->kind));
            else if (ctl->enabled == c.flag)
                pass();
            else
                fail(c, "expected timer " + c.args[0] + (c.flag ? " on" : " off") + ", got " +
                            (ctl->enabled ? "on" : "off"));
            return;
        }
        case Op::expect_status: {
            const std::string line = model::status_line();
            if (line.find(c.text) != std::string::npos)
                pass();
            else
                fail(c, "expected the status line to hold \"" + c.text + "\", got \"" + line + "\"");
            return;
        }
        case Op::expect_log:
        case Op::expect_no_log: {
            auto lines = error_log_since(log_mark_);
            log_mark_ = error_log_count();
            if (c.op == Op::expect_no_log) {
                if (lines.empty())
                    pass();
                else
                    fail(c, "expected no error output, got " + quote_lines(lines));
                return;
            }
            for (auto &l : lines)
                if (l.find(c.text) != std::string::npos) {
                    pass();
                    return;
                }
            fail(c, "expected an error output line containing \"" + c.text + "\", got " +
                        (lines.empty() ? std::string("none") : quote_lines(lines)));
            return;
        }
        case Op::custom: {
            Result r;
            try {
                r = c.custom->fn(c.args);
            } catch (const std::exception &e) {
                r = {false, "expected " + c.verb + " to run, got an exception: " + e.what()};
            }
            if (r.skipped) {
                ++skipped_;
                say(name_ + ":" + std::to_string(c.line) + ": skipped: " + r.message);
            } else if (r.pass)
                pass();
            else
                fail(c, r.message.empty() ? "expected " + c.verb + " to pass, got a failure" : r.message);
            // A verb may leave events or due ticks behind (it runs outside any callback).
            model::pump();
            return;
        }
        case Op::quit:
            return;
        }
    }

    std::string name_;
    int passed_ = 0, failed_ = 0, skipped_ = 0;
    std::uint64_t log_mark_ = 0;
};

}  // namespace

void set_output(std::function<void(const std::string &line)> out) { output() = std::move(out); }

bool parse_number(std::string_view text, double &value)
{
    bool neg = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        neg = text[0] == '-';
        text.remove_prefix(1);
    }
    if (korvane::text::iequals(text, "nan")) {
        value = NotANumber();
        return true;
    }
    const char *last = text.data() + text.size();
    const char base = text.size() > 2 && text[0] == '0' ? korvane::text::to_lower(text[1]) : 0;
    if (base == 'x' || base == 'b') {
        unsigned long long v = 0;
        auto [p, ec] = std::from_chars(text.data() + 2, last, v, base == 'x' ? 16 : 2);
        if (ec != std::errc() || p != last)
            return false;
        value = neg ? -static_cast<double>(v) : static_cast<double>(v);
        return true;
    }
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '.'))
        return false;
    double v = 0;
    auto [p, ec] = std::from_chars(text.data(), last, v, std::chars_format::general);
    if (ec != std::errc() || p != last || !std::isfinite(v))
        return false;
    value = neg ? -v : v;
    return true;
}

bool parse_duration(std::string_view text, std::int64_t &ns)
{
    static const std::pair<std::string_view, double> units[] = {{"us", 1e3}, {"ms", 1e6}, {"s", 1e9}};
    for (auto &[u, scale] : units) {
        if (text.size() > u.size() && text.substr(text.size() - u.size()) == u) {
            std::string_view num = text.substr(0, text.size() - u.size());
            if (!(std::isdigit(static_cast<unsigned char>(num[0])) || num[0] == '.'))
                return false;
            double v;
            const char *last = num.data() + num.size();
            auto [p, ec] = std::from_chars(num.data(), last, v, std::chars_format::fixed);
            if (ec != std::errc() || p != last || !(v >= 0) || v * scale > 9e18)
                return false;
            ns = static_cast<std::int64_t>(std::llround(v * scale));
            return true;
        }
    }
    return false;
}

namespace {

// The whole script from a file, or from standard input for "-" (bounded as
// every file korvane reads). False with the reason when it cannot be read: a
// folder, a FIFO, a closed standard input, a read error, too large.
bool read_script(const std::string &file, std::string &text, std::string &why)
{
    why = korvane::files::read_bounded(file, text, true);
    return why.empty();
}

}  // namespace

int run_file(const std::string &file)
{
    std::string name = file == "-" ? "stdin" : file;
    std::string text, why;
    if (!read_script(file, text, why)) {
        std::string line = name + ": cannot read the script (" + why + ")";
        say(line);
        detail::set_last_failure(korvane::text::one_line(line));
        return 2;
    }
    return run_text(name, text);
}

int run_text(const std::string &name, const std::string &text)
{
    std::vector<Command> cmds;
    bool bad = false;
    int lineno = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string_view t = korvane::text::trimmed(std::string_view(text).substr(at, end - at));
        at = end + 1;
        ++lineno;
        if (t.empty() || t[0] == '#')
            continue;
        Command cmd;
        cmd.line = lineno;
        std::string why = parse_line(t, cmd);
        if (!why.empty()) {
            std::string line = name + ":" + std::to_string(lineno) + ": " + why;
            say(line);
            if (!bad)
                detail::set_last_failure(korvane::text::one_line(line));
            bad = true;
            continue;
        }
        cmds.push_back(std::move(cmd));
    }
    if (bad)
        return 2;
    return Runner(name).run(cmds);
}

}  // namespace uir::script
