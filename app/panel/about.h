// What korvane says about itself: its version, and where it found its panel
// file and the simulated bench (an installed tree first, then the build and
// source trees).
#pragma once

#include <string>
#include <vector>

namespace app::panel {

// "korvane VERSION", with " (git DESCRIPTION)" when built from a checkout.
std::string version_line();

// The folders that may hold korvane.uir, best first: share/korvane beside the
// executable's bin/, the executable's folder, the source tree's app/.
std::vector<std::string> panel_dirs();

// The first of panel_dirs() holding korvane.uir; "" when none does.
std::string find_panel_file();

// korvane --version: the version line, the driver line, then where the panel
// file (given_panel when --panel named one) and the simulated bench were found.
std::string version_text(const std::string &driver_line, const std::string &given_panel);

}  // namespace app::panel
