// Where korvane's own files are, relative to its executable. The same build
// runs from the build tree, installed under any prefix, and from a package
// unpacked into a folder: an installed tree keeps its files in
// PREFIX/share/korvane and PREFIX/lib/korvane beside PREFIX/bin/korvane.
// Header only (target korvane_paths), for the driver loader and the program.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "base/platform.h"

// The target korvane_paths defines the installed folders relative to the
// prefix, KORVANE_INSTALL_DATADIR and KORVANE_INSTALL_PRIVATE_LIBDIR
// (cmake/install_dirs.cmake).

namespace base::paths {

// The folders to look in for one of korvane's files, best first, given the
// executable's path and the file's installed folder (KORVANE_INSTALL_DATADIR
// or KORVANE_INSTALL_PRIVATE_LIBDIR):
// that folder beside the executable's bin/ (exe/../share/korvane), then the
// executable's own folder. None for an empty path.
inline std::vector<std::string> candidate_dirs(const std::string &exe_path, const std::string &installed_dir)
{
    namespace fs = std::filesystem;
    if (exe_path.empty()) return {};
    fs::path bin = fs::path(exe_path).parent_path();
    if (bin.empty()) bin = ".";
    fs::path installed = (bin / ".." / installed_dir).lexically_normal();
    std::string s = installed.string();
    if (s.size() > 1 && (s.back() == '/' || s.back() == std::filesystem::path::preferred_separator)) s.pop_back();
    return {s, bin.string()};
}

// The running executable's path ("" when it cannot be read).
inline std::string self_exe()
{
    return platform::self_exe();
}

}  // namespace base::paths
