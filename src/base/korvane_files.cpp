#include "base/korvane_files.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "base/stop_signals.h"

namespace base::files {

namespace {

// What a file that is not a regular one is, in the words of the messages.
std::string kind_of(mode_t mode)
{
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    return "not a regular file";
}

// Reads until the end or until more than max bytes came; "" or why.
std::string read_all(int fd, std::string &text, std::size_t max)
{
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
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
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
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

// Reads size bytes at offset; false when the file has fewer.
bool read_at(int fd, void *buf, std::size_t size, uint64_t offset)
{
    return ::pread(fd, buf, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
}

// Program headers and loadable segments inside the file's size.
template <class Ehdr, class Phdr>
std::string elf_layout_fault(int fd, uint64_t size)
{
    Ehdr eh;
    if (!read_at(fd, &eh, sizeof eh, 0)) return "not a shared library (too short for an ELF header)";
    if (eh.e_phentsize != sizeof(Phdr)) return "not a shared library (unexpected program header size)";
    const uint64_t end = eh.e_phoff + static_cast<uint64_t>(eh.e_phnum) * sizeof(Phdr);
    if (eh.e_phoff > size || end > size)
        return "truncated (program headers end at byte " + std::to_string(end) + " of " + std::to_string(size) + ")";
    for (unsigned i = 0; i < eh.e_phnum; ++i) {
        Phdr ph;
        if (!read_at(fd, &ph, sizeof ph, eh.e_phoff + i * sizeof(Phdr))) return "cannot read its program headers";
        if (ph.p_type == PT_LOAD && (ph.p_offset > size || ph.p_filesz > size - ph.p_offset))
            return "truncated (a loadable segment ends at byte " + std::to_string(ph.p_offset + ph.p_filesz) +
                   " of " + std::to_string(size) + ")";
    }
    return "";
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
    if (path.find('/') == std::string::npos) return "";  // a name the dynamic linker looks up
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return "";  // dlopen says why
    if (!S_ISREG(st.st_mode)) return "not a regular file (" + kind_of(st.st_mode) + ")";
    // Non-blocking, in case the file changed kind since.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return "";  // dlopen says why
    struct stat fst {};
    std::string fault;
    unsigned char ident[EI_NIDENT] = {};
    if (::fstat(fd, &fst) != 0 || !S_ISREG(fst.st_mode))
        fault = "not a regular file";
    else if (fst.st_size == 0)
        fault = "an empty file";
    else if (!read_at(fd, ident, sizeof ident, 0) || std::memcmp(ident, ELFMAG, SELFMAG) != 0)
        fault = "not a shared library (no ELF header)";
    else if (ident[EI_CLASS] == ELFCLASS64)
        fault = elf_layout_fault<Elf64_Ehdr, Elf64_Phdr>(fd, static_cast<uint64_t>(fst.st_size));
    else if (ident[EI_CLASS] == ELFCLASS32)
        fault = elf_layout_fault<Elf32_Ehdr, Elf32_Phdr>(fd, static_cast<uint64_t>(fst.st_size));
    else
        fault = "not a shared library (unknown ELF class)";
    ::close(fd);
    return fault;
}

}  // namespace base::files
