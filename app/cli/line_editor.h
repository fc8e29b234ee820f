// The bus shell's reading of typed lines on a console: readline's editing and
// history where korvane has it (line_editor_readline.cpp), else the console's
// own line editing (line_editor_console.cpp; Windows' cooked mode has editing
// and history too).
#pragma once

#include <string>

namespace app::cli {

// Sets up the editor once, before the first line.
void line_editor_start();
// Shows the prompt and reads one line; false at the end of input (Ctrl-D,
// Ctrl-Z) or on a stop signal.
bool line_editor_read(const char *prompt, std::string &line);

}  // namespace app::cli
