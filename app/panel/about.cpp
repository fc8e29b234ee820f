#include "app/panel/about.h"

#include <filesystem>
#include <system_error>

#include "driver/daqmx_import.h"
#include "base/korvane_paths.h"
#include "korvane_version.h"

namespace app::panel {

namespace fs = std::filesystem;

namespace {

bool is_file(const std::string &path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

}  // namespace

std::string version_line()
{
    std::string line = std::string("korvane ") + KORVANE_VERSION;
    if (*KORVANE_GIT_DESCRIBE) line += std::string(" (git ") + KORVANE_GIT_DESCRIBE + ")";
    return line;
}

std::vector<std::string> panel_dirs()
{
    std::vector<std::string> dirs = base::paths::candidate_dirs(base::paths::self_exe(), KORVANE_INSTALL_DATADIR);
    dirs.push_back(KORVANE_PANEL_DIR);
    return dirs;
}

std::string find_panel_file()
{
    for (const std::string &dir : panel_dirs())
        if (is_file(dir + "/korvane.uir")) return dir + "/korvane.uir";
    return "";
}

namespace {

// A path as the system writes it: one kind of separator (the folders found
// join with '/', Windows' own paths have '\\').
std::string shown(const std::string &path)
{
    return fs::path(path).make_preferred().string();
}

}  // namespace

std::string version_text(const std::string &driver_line, const std::string &given_panel)
{
    std::string panel = given_panel.empty()   ? shown(find_panel_file())
                        : is_file(given_panel) ? given_panel + " (--panel)"
                                               : given_panel + " (--panel, not found)";
    if (panel.empty()) {
        panel = "not found (looked in";
        for (const std::string &dir : panel_dirs()) panel += " " + shown(dir);
        panel += ")";
    }
    std::string bench = driver::sim_library_path();
    bench = is_file(bench) ? shown(bench) : shown(bench) + " (not found)";
    return version_line() + "\n" + driver_line + "\npanel file: " + panel + "\nsimulated bench: " + bench + "\n";
}

}  // namespace app::panel
