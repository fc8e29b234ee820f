// Script mode: the operator's actions and checks read from a file, played on
// the headless front end in virtual time. The whole script is parsed first,
// each line by its verb's row of the verb table (script/verbs.cpp).

#include "ui/script/verbs.h"
#include "base/error_output.h"
#include "base/korvane_files.h"
#include "base/korvane_strings.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <cstring>
#include <string_view>


namespace ui::script {
namespace {

std::function<void(const std::string &)> &output()
{
    static auto *out = new std::function<void(const std::string &)>;
    return *out;
}

// Every line is one line of printable text, whatever bytes the script held.
void say(const std::string &raw)
{
    std::string line = base::text::one_line(raw);
    if (output()) {
        output()(line);
    } else {
        std::cout << line << '\n' << std::flush;
    }
}


std::string plural_args(int n) { return std::to_string(n) + (n == 1 ? " argument" : " arguments"); }

// The words of a line, as views into it; a word starting with # ends the line.
std::vector<std::string_view> words(std::string_view line)
{
    std::vector<std::string_view> res;
    std::size_t i = 0, n = line.size();
    for (;;) {
        while (i < n && base::text::is_space(line[i]))
            ++i;
        if (i == n || (line[i] == '#' && !res.empty()))
            return res;
        std::size_t b = i;
        while (i < n && !base::text::is_space(line[i]))
            ++i;
        res.push_back(line.substr(b, i - b));
    }
}

std::string quoted(std::string_view t) { return "\"" + std::string(t) + "\""; }

// The verb a line starts with: the run-time's, else one the program registered.
const VerbEntry *find_verb_entry(std::string_view verb, Command &cmd)
{
    for (const VerbEntry &v : builtin_verbs())
        if (verb == v.name)
            return &v;
    if ((cmd.custom = detail::find_verb(std::string(verb))))
        return &program_verb();
    return nullptr;
}

// Parses one line (trimmed, not a comment) into cmd; "" or the reason it cannot be parsed.
std::string parse_line(std::string_view raw, Command &cmd)
{
    Line line{raw, words(raw)};
    std::string_view verb = line.words[0];
    cmd.verb = std::string(verb);
    const VerbEntry *v = cmd.entry = find_verb_entry(verb, cmd);
    if (!v)
        return "unknown verb " + quoted(verb);
    if (!v->rest_of_line) {
        const int min_args = cmd.custom ? cmd.custom->min_args : v->min_args;
        const int max_args = cmd.custom ? cmd.custom->max_args : v->max_args;
        const int n = static_cast<int>(line.words.size()) - 1;
        if (n < min_args || n > max_args) {
            std::string want = min_args == max_args ? plural_args(min_args)
                                                    : std::to_string(min_args) + " to " + plural_args(max_args);
            return cmd.verb + " takes " + want + ", got " + std::to_string(n);
        }
        cmd.args.assign(line.words.begin() + 1, line.words.end());
    }
    return v->parse ? v->parse(line, cmd) : "";
}

}  // namespace

int Runner::run(const std::vector<Command> &cmds)
{
    log_mark_ = base::error_log_count();
    for (const Command &c : cmds) {
        if (model::quit_requested()) {
            fail(c, "expected the script to run to its end, got QuitUserInterface from the program");
            break;
        }
        if (!c.entry->run(*this, c))
            break;
    }
    say(std::to_string(passed_) + " passed, " + std::to_string(failed_) + " failed" +
        (skipped_ ? ", " + std::to_string(skipped_) + " skipped" : std::string()));
    return failed_ ? 1 : 0;
}

void Runner::fail(const Command &c, const std::string &why)
{
    ++failed_;
    say(name_ + ":" + std::to_string(c.line) + ": " + why);
}

void Runner::skip(const Command &c, const std::string &why)
{
    ++skipped_;
    say(name_ + ":" + std::to_string(c.line) + ": skipped: " + why);
}

int Runner::resolve(const Command &c, int &panel)
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

void set_output(std::function<void(const std::string &line)> out) { output() = std::move(out); }

bool parse_number(std::string_view text, double &value)
{
    bool neg = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        neg = text[0] == '-';
        text.remove_prefix(1);
    }
    if (base::text::iequals(text, "nan")) {
        value = NotANumber();
        return true;
    }
    const char *last = text.data() + text.size();
    const char base = text.size() > 2 && text[0] == '0' ? base::text::to_lower(text[1]) : 0;
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

int run_file(const std::string &file)
{
    std::string name = file == "-" ? "stdin" : file;
    // From standard input for "-"; bounded as every file korvane reads (a
    // folder, a FIFO, a closed standard input, a file too large: the reason).
    std::string text;
    if (std::string why = base::files::read_bounded(file, text, true); !why.empty()) {
        std::string line = name + ": cannot read the script (" + why + ")";
        say(line);
        detail::set_last_failure(base::text::one_line(line));
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
        std::string_view t = base::text::trimmed(std::string_view(text).substr(at, end - at));
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
                detail::set_last_failure(base::text::one_line(line));
            bad = true;
            continue;
        }
        cmds.push_back(std::move(cmd));
    }
    if (bad)
        return 2;
    return Runner(name).run(cmds);
}

}  // namespace ui::script
