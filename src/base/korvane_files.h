// korvane's way into the files it is given. Every file korvane reads (the
// --sim-state file, the wiring file, load and command files, the panel
// file, a script) is read by read_bounded: a regular file only, opened without
// blocking, never more than a bound. A shared library given by path (--daq,
// --board) is mapped by the dynamic linker instead, after library_fault has
// looked at it. Toolkit-free, for the program, the loader and the simulated
// bench alike (target korvane_files).
#pragma once

#include <cstddef>
#include <string>

namespace base::files {

// The most korvane reads of any one file.
inline constexpr std::size_t kMaxFileBytes = std::size_t{1} << 20;

// The whole file into text (replacing it); "-" with dash_is_stdin is standard
// input. The path is looked at before it is opened and opened non-blocking, so
// a FIFO, a folder, a device or a socket is refused without being opened;
// standard input may be a pipe or a terminal. A file of more than max_bytes is
// refused having read at most max_bytes + 1 of them. Returns "" or why in a few
// words ("a FIFO", "a folder", "more than 1 MiB", "standard input is closed",
// the system's text of a failed open or read); text is then empty.
std::string read_bounded(const std::string &path, std::string &text, bool dash_is_stdin = false,
                         std::size_t max_bytes = kMaxFileBytes);

// A size as the messages and the docs give it: "1 MiB", "64 KiB", "100 bytes".
std::string size_text(std::size_t bytes);

// Why a shared library given by path cannot be loaded safely: dlopen maps it
// whole and dies of SIGBUS on a truncated one, and blocks on a FIFO. "" when it
// is a regular ELF file whose program headers and loadable segments lie inside
// it, when it does not exist (dlopen says so), or when it is a bare name that
// the dynamic linker looks up.
std::string library_fault(const std::string &path);

}  // namespace base::files
