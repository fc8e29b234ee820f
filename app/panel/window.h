// The window korvane's build has: Qt's (window_qt.cpp) or none (window_none.cpp,
// a Windows tree built without the Windows kit): then only the subcommands
// and script mode run.
#pragma once

#include <string>

#include "app/panel/options.h"

namespace app::panel {

// "" or, where korvane has no window and the options ask for one, the line
// to exit with (status 1).
std::string window_refusal(const Options &opt);
// Installs the window (before the run-time starts); nothing without one.
void install_window();
// Whether this build has the window (its options are offered only then).
bool window_built();

}  // namespace app::panel
