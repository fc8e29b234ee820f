#include "shell.h"

#include <readline/history.h>
#include <readline/readline.h>
#include <unistd.h>
#include <wordexp.h>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "bus_commands.h"
#include "cli.h"

namespace korvane::cli {

std::vector<std::string> split_line(const std::string &line)
{
    const size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string::npos || line[start] == '#') return {};
    wordexp_t w;
    const int rc = wordexp(line.c_str(), &w, WRDE_NOCMD | WRDE_UNDEF);
    if (rc != 0) {
        if (rc == WRDE_NOSPACE) wordfree(&w);
        throw UsageError(rc == WRDE_BADCHAR ? "the line has a character that needs quotes (one of | & ; < > ( ) { })"
                                            : "cannot split the line into words (an open quote, or $ of an unset name)");
    }
    std::vector<std::string> words(w.we_wordv, w.we_wordv + w.we_wordc);
    wordfree(&w);
    return words;
}

int run_line(Session &s, const std::string &line, const std::string &where)
{
    try {
        std::vector<std::string> words = split_line(line);
        if (words.empty()) return 0;
        CLI::App app{"Bus commands: read, write, dump, load, regs (each with --help); quit ends", ""};
        app.require_subcommand(1);
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
            throw UsageError(e.what());
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
        s.err << where << e.what() << "\n";
        return 2;
    } catch (const BusFailure &e) {
        s.err << where << e.what() << "\n";
        return 1;
    }
}

int bus_shell(Session &s)
{
    const bool terminal = isatty(STDIN_FILENO) != 0;
    if (terminal) {
        s.out << "korvane bus shell: read, write, dump, load, regs (--help on each); quit or Ctrl-D ends\n";
        using_history();
    }
    for (;;) {
        std::string line;
        if (terminal) {
            char *text = readline("korvane> ");
            if (!text) {
                s.out << "\n";
                break;
            }
            line = text;
            std::free(text);
            if (line.find_first_not_of(" \t") != std::string::npos) add_history(line.c_str());
        } else if (!std::getline(std::cin, line)) {
            break;
        }
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
            continue;
        }
        run_line(s, line, "korvane: ");
    }
    return 0;
}

int bus_run(Session &s, const std::string &path)
{
    std::istringstream in(read_file(path));
    const std::string name = path == "-" ? "standard input" : path;
    std::string line;
    for (int number = 1; std::getline(in, line); number++) {
        int status = run_line(s, line, "korvane: " + name + ":" + std::to_string(number) + ": ");
        if (status != 0) return status;
    }
    return 0;
}

}  // namespace korvane::cli
