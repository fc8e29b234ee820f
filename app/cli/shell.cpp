#include "app/cli/shell.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>

#include "app/cli/bus_commands.h"
#include "app/cli/cli.h"
#include "app/cli/line_editor.h"
#include "base/platform.h"
#include "base/korvane_strings.h"
#include "base/stop_signals.h"

namespace app::cli {

std::vector<std::string> split_line(const std::string &line)
{
    if (line.find('\0') != std::string::npos) throw UsageError("the line holds a NUL byte");
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    size_t i = 0;
    while (i < line.size() && blank(line[i])) i++;
    if (i == line.size() || line[i] == '#') return {};
    const std::string open = "cannot split the line into words (an open quote, or a backslash at its end)";
    std::vector<std::string> words;
    std::string word;
    bool in_word = false;
    for (; i < line.size(); i++) {
        const char c = line[i];
        if (blank(c)) {
            if (in_word) words.push_back(std::move(word));
            word.clear();
            in_word = false;
            continue;
        }
        // '#' at the start of a word begins a comment, as in the shell and in scripts.
        if (!in_word && c == '#') break;
        in_word = true;
        if (c == '\'') {
            const size_t close = line.find('\'', i + 1);
            if (close == std::string::npos) throw UsageError(open);
            word.append(line, i + 1, close - i - 1);
            i = close;
        } else if (c == '"') {
            // Inside double quotes a backslash keeps only \ and " (and $ `) from their meaning.
            for (i++;; i++) {
                if (i >= line.size()) throw UsageError(open);
                if (line[i] == '"') break;
                if (line[i] == '\\' && i + 1 < line.size() && std::strchr("\\\"$`", line[i + 1])) i++;
                word += line[i];
            }
        } else if (c == '\\') {
            if (++i >= line.size()) throw UsageError(open);
            word += line[i];
        } else if (std::strchr("|&;<>(){}", c)) {
            throw UsageError("the line has a character that needs quotes (one of | & ; < > ( ) { })");
        } else {
            word += c;
        }
    }
    if (in_word) words.push_back(std::move(word));
    return words;
}

int run_line(Session &s, const std::string &line, const std::string &where, const std::string &commands_help)
{
    try {
        std::vector<std::string> words = split_line(line);
        if (words.empty()) return 0;
        CLI::App app{"korvane bus shell and bus run: one bus command a line, as after \"korvane bus\": " +
                         bus_command_names() + " (each with --help); quit ends the shell",
                     "korvane bus"};
        app.require_subcommand(1);
        app.allow_windows_style_options(false);  // "/x" is a path, also on Windows
        Request r;
        add_bus_commands(app, r, true);
        std::vector<std::string> reversed(words.rbegin(), words.rend());
        try {
            app.parse(reversed);
        } catch (const CLI::CallForHelp &) {
            s.out << app.help() << std::flush;
            return 0;
        } catch (const CLI::CallForAllHelp &) {
            s.out << app.help("", CLI::AppFormatMode::All) << std::flush;
            return 0;
        } catch (const CLI::ParseError &e) {
            throw UsageError(usage_error_text(app, e, "", commands_help));
        }
        // A subcommand's own --help.
        for (const CLI::App *sub : app.get_subcommands())
            if (sub->get_help_ptr() && sub->get_help_ptr()->count()) {
                s.out << sub->help() << std::flush;
                return 0;
            }
        r.action(s);
        return 0;
    } catch (const UsageError &e) {
        s.err << where << base::text::one_line(e.what()) << "\n";  // the line's own bytes, shown safely
        return 2;
    } catch (const BusFailure &e) {
        s.err << where << e.what() << "\n";
        return 1;
    }
}

namespace {

// Ends the shell or the file when a stop signal came between two lines.
void stop_before(const std::string &where)
{
    if (int sig = base::stop::requested()) throw Interrupted(sig, "stopped before " + where);
}

}  // namespace

int bus_shell(Session &s)
{
    const bool terminal = base::platform::is_console(0);
    bool failed = false;
    if (terminal) {
        s.out << "korvane bus shell: " << bus_command_names() << " (--help on each; help lists them); quit or Ctrl-D ends\n";
        line_editor_start();
    }
    for (int number = 1;; number++) {
        std::string line;
        if (terminal) {
            if (!line_editor_read("korvane> ", line)) {
                s.out << "\n";
                break;
            }
        } else {
            // Input that never comes must not hold up a stop.
            base::stop::Reading interruptible;
            if (!std::getline(std::cin, line)) break;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();  // Windows line ends
        stop_before("line " + std::to_string(number) + " of the shell's input");
        const std::vector<std::string> words = [&] {
            try {
                return split_line(line);
            } catch (const UsageError &) {
                return std::vector<std::string>{"?"};
            }
        }();
        if (words.size() == 1 && (words[0] == "quit" || words[0] == "exit")) break;
        if (words.size() == 1 && words[0] == "help") {
            run_line(s, "--help", "korvane: ");
        } else if (run_line(s, line, "korvane: ") != 0) {
            failed = true;
        }
        // Each answer at once, also to a pipe: a program that drives the
        // shell reads it before it sends the next line.
        s.out.flush();
        if (!s.out) throw OutputFailed();
    }
    stop_before("the shell's next line");
    return failed ? 1 : 0;
}

int bus_run(Session &s, const std::string &path)
{
    const std::string name = path == "-" ? "standard input" : path;
    std::istringstream in([&] {
        base::stop::Reading interruptible;
        try {
            return read_file(path, true);
        } catch (const UsageError &) {
            stop_before("the first line of " + name);  // a read cut short by a stop
            throw;
        }
    }());
    std::string line;
    for (int number = 1; std::getline(in, line); number++) {
        if (!line.empty() && line.back() == '\r') line.pop_back();  // Windows line ends
        stop_before(name + ":" + std::to_string(number));
        int status =
            run_line(s, line, "korvane: " + name + ":" + std::to_string(number) + ": ", "korvane bus run --help");
        if (!s.out) throw OutputFailed();
        if (status != 0) return status;
    }
    return 0;
}

}  // namespace app::cli
