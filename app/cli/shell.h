// The bus commands at a prompt (`bus shell`, with line editing and history
// from GNU readline on a terminal) and from a file (`bus run FILE`), on one
// session: the board set up once, its state kept from line to line.
#pragma once

#include <string>
#include <vector>

namespace app::cli {

class Session;

// Splits a command line into words at blanks, with the shell's quotes and
// backslashes but none of its expansions: *, ~ and $NAME stay as written.
// A '#' that begins a word (outside quotes) comments out the rest of the
// line, so blank lines and comment lines give no words. An open quote, a NUL
// byte, or one of | & ; < > ( ) { } outside quotes is a UsageError.
std::vector<std::string> split_line(const std::string &line);

// Runs one line's command; returns its status (0, 1 or 2) after printing any
// fault on the session's error stream, prefixed with `where`; a usage error
// names `commands_help` as what lists the commands ("help" in the shell).
int run_line(Session &s, const std::string &line, const std::string &where,
             const std::string &commands_help = "help");

// The prompt: runs each line until "quit", "exit" or the end of input; 0,
// or 1 when any line failed.
int bus_shell(Session &s);

// Each line of FILE ("-": standard input) in turn; stops at the first that
// fails and returns its status, else 0.
int bus_run(Session &s, const std::string &path);

}  // namespace app::cli
