// The error output's inner side, shared by the run-time's parts and its tests:
// the kept log of lines, the echo to standard error, the listeners, and the
// text conversion. Toolkit-free, like the rest of korvane_base.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace base {

// Windows-1251 to UTF-8 for display. A text that is valid UTF-8 (plain ASCII
// included) is returned unchanged; any other text is taken as Windows-1251
// as a whole and every byte above 0x7F is converted.
std::string cp1251_to_utf8(const std::string &text);
bool is_valid_utf8(const std::string &text);
// Where the first byte that does not begin a valid UTF-8 sequence is
// (std::string::npos when the whole text is valid).
std::size_t utf8_fault_at(const std::string &text);

// Writes one line (no newline inside) to standard error, the sinks and the log.
void error_line(const std::string &text);
// Several lines of one message (ErrorPrintf of a text with line breaks).
void error_lines(const std::vector<std::string> &texts);
// A note for the operator: the log and the sinks, not standard error.
void note_line(const std::string &text);

// The log keeps the most recent lines (older ones are dropped past a bound);
// every line has a sequence number, counting from 0 since the last clear.
std::uint64_t error_log_count();
std::vector<std::string> error_log_since(std::uint64_t seq);
std::vector<std::string> error_log();
void error_log_clear();

// How many error lines (not notes) were written since the process began: a
// caller compares two counts to learn whether a report came in between. Never
// reset, not even by error_log_clear or error_output_reset.
std::uint64_t error_report_count();

// Standard error gets every line unless turned off (tests).
void set_stderr_echo(bool on);
// With collapse on (the operator's window), a message equal to the one just
// written to standard error is not written again: standard error says how
// many more times it came once another comes, collapse is turned off, or the
// process exits ("(the same message 79 more times)"). The log and the sinks
// still get every one.
void set_stderr_collapse(bool on);

// Listeners of the error output; each gets every line, converted to UTF-8.
using ErrorSink = std::function<void(const std::string &utf8_line)>;
int add_error_sink(ErrorSink sink);
void remove_error_sink(int id);

// Listeners of whole messages: each gets the lines of one ErrorPrintf (or of
// one error_line) together, after the line sinks have had them. The log pane
// takes a repeated report as one message.
using ErrorMessageSink = std::function<void(const std::vector<std::string> &utf8_lines)>;
int add_error_message_sink(ErrorMessageSink sink);
void remove_error_message_sink(int id);

// Drops every sink (of lines and of messages) and the log, turns the echo back
// on and the collapse off.
void error_output_reset();

}  // namespace base
