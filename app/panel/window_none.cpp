#include "app/panel/window.h"

namespace app::panel {

std::string window_refusal(const Options &opt)
{
    if (!opt.script.empty()) return "";  // script mode is headless
    return "korvane: this korvane has no window (built without Qt): give a subcommand (korvane --help) or "
           "--script FILE\n";
}

bool window_built()
{
    return false;
}

void install_window()
{
    // The run-time keeps its headless front end.
}

}  // namespace app::panel
