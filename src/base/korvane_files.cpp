#include "base/korvane_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "base/platform.h"
#include "base/stop_signals.h"

namespace base::files {

namespace {

using platform::kind_of;

// Reads until the end or until more than max bytes came; "" or why.
std::string read_all(int fd, std::string &text, std::size_t max)
{
    char buf[65536];
    for (;;) {
        const auto n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            if (text.size() + static_cast<std::size_t>(n) > max) return "more than " + size_text(max);
            text.append(buf, static_cast<std::size_t>(n));
        } else if (n == 0) {
            return "";
        } else if (errno != EINTR || base::stop::requested()) {
            return std::strerror(errno);  // a stop signal ends a wait for input (stop_signals.h)
        }
    }
}

// Opens a path that names a regular file, non-blocking; -1 with why.
int open_regular(const std::string &path, std::string &why)
{
    struct stat st {};
    // Looked at first: opening a FIFO or a device may block or act.
    if (::stat(path.c_str(), &st) != 0) {
        why = std::strerror(errno);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        why = kind_of(st.st_mode);
        return -1;
    }
    const int fd = ::open(path.c_str(), platform::open_read_flags());
    if (fd < 0) {
        why = std::strerror(errno);
        return -1;
    }
    // It may have changed kind since it was looked at.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        why = S_ISREG(st.st_mode) ? std::strerror(errno) : kind_of(st.st_mode);
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

std::string size_text(std::size_t bytes)
{
    if (bytes >= (std::size_t{1} << 20) && bytes % (std::size_t{1} << 20) == 0)
        return std::to_string(bytes >> 20) + " MiB";
    if (bytes >= 1024 && bytes % 1024 == 0) return std::to_string(bytes >> 10) + " KiB";
    return std::to_string(bytes) + " bytes";
}

std::string read_bounded(const std::string &path, std::string &text, bool dash_is_stdin, std::size_t max_bytes)
{
    text.clear();
    std::string why;
    if (dash_is_stdin && path == "-") {
        struct stat st {};
        if (::fstat(STDIN_FILENO, &st) != 0) return errno == EBADF ? "standard input is closed" : std::strerror(errno);
        // A pipe, a terminal or a file: whatever the user put there, but no folder.
        if (S_ISDIR(st.st_mode)) return kind_of(st.st_mode);
        if (S_ISREG(st.st_mode) && st.st_size > static_cast<off_t>(max_bytes)) return "more than " + size_text(max_bytes);
        platform::set_binary(STDIN_FILENO);
        why = read_all(STDIN_FILENO, text, max_bytes);
    } else {
        const int fd = open_regular(path, why);
        if (fd < 0) return why;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_size > static_cast<off_t>(max_bytes))
            why = "more than " + size_text(max_bytes);
        else {
            if (st.st_size > 0) text.reserve(static_cast<std::size_t>(st.st_size));
            why = read_all(fd, text, max_bytes);
        }
        ::close(fd);
    }
    if (!why.empty()) std::string().swap(text);
    return why;
}

std::string library_fault(const std::string &path)
{
    if (platform::is_bare_name(path)) return "";  // a name the system's loader looks up
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return "";  // dlopen says why
    if (!S_ISREG(st.st_mode)) return "not a regular file (" + kind_of(st.st_mode) + ")";
    // Non-blocking, in case the file changed kind since.
    const int fd = ::open(path.c_str(), platform::open_read_flags());
    if (fd < 0) return "";  // the loader says why
    struct stat fst {};
    std::string fault;
    if (::fstat(fd, &fst) != 0 || !S_ISREG(fst.st_mode))
        fault = "not a regular file";
    else
        fault = platform::library_format_fault(fd, static_cast<uint64_t>(fst.st_size));
    ::close(fd);
    return fault;
}

}  // namespace base::files
