// Inside script mode only: a parsed command, the runner the verbs report to,
// and the table of the run-time's verbs. A verb is one row of kVerbs (name,
// arguments, parse, run) and its line in SCRIPTS.md; the parser, the runner
// and the documentation test all read the table.
#pragma once

#include "ui/internal.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ui::script {

struct VerbEntry;

struct Command {
    int line = 0;
    const VerbEntry *entry = nullptr;
    std::string verb;
    std::vector<std::string> args;
    std::string text;  // the verbs that take the rest of the line
    double value = 0, tolerance = 0;
    bool has_tolerance = false;
    std::int64_t ns = 0;
    bool flag = false;
    const detail::Verb *custom = nullptr;  // a verb the program registered
};

// One line of a script: as it stands (trimmed) and its words, views into it.
struct Line {
    std::string_view raw;
    std::vector<std::string_view> words;  // words[0] is the verb
};

// Plays the commands and keeps the counts; the verbs' run steps report here.
class Runner {
public:
    explicit Runner(std::string name) : name_(std::move(name)) {}
    int run(const std::vector<Command> &cmds);

    // The control the command names (its first argument) on the displayed
    // panel; 0 after a failure.
    int resolve(const Command &c, int &panel);
    void pass() { ++passed_; }
    void fail(const Command &c, const std::string &why);
    void skip(const Command &c, const std::string &why);
    // Where the error output's lines not yet looked at by expect-log begin.
    std::uint64_t &log_mark() { return log_mark_; }

private:
    std::string name_;
    int passed_ = 0, failed_ = 0, skipped_ = 0;
    std::uint64_t log_mark_ = 0;
};

struct VerbEntry {
    const char *name;
    // The arguments as SCRIPTS.md writes them, and how many words they are;
    // rest_of_line: the last is the rest of the line as it stands, and the
    // parse step checks the words itself.
    const char *arguments;
    int min_args, max_args;
    bool rest_of_line;
    // Fills the command from the line (args already holds the words after
    // the verb unless rest_of_line); "" or why the line cannot be parsed.
    std::string (*parse)(const Line &line, Command &cmd);
    // Plays the command; false ends the script there.
    bool (*run)(Runner &runner, const Command &cmd);
};

// The run-time's verbs, in the order SCRIPTS.md lists them.
std::span<const VerbEntry> builtin_verbs();
// The entry every verb the program registered goes by: its arguments
// counted, then its function run.
const VerbEntry &program_verb();

}  // namespace ui::script
