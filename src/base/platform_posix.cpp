// The platform layer on Linux (platform.h).
#include "base/platform.h"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/korvane_files.h"

namespace base::platform {

namespace {

namespace fs = std::filesystem;

// A larger cache is not looked in (some MB on a system with many libraries).
constexpr size_t kMaxLinkerCache = size_t{64} << 20;
// Links followed before giving up, as the kernel does (ELOOP).
constexpr int kMostLinks = 40;

}  // namespace

// The paths the cache gives for a library name (any architecture). The cache
// is glibc's "glibc-ld.so.cache1.1" table, alone or after the old
// "ld.so-1.7.0" one; its string offsets count from the new table's start.
std::vector<std::string> linker_cache_paths(const std::string &cache_file, const std::string &name)
{
    std::vector<std::string> found;
    std::string data;
    if (!base::files::read_bounded(cache_file, data, false, kMaxLinkerCache).empty()) return found;
    auto u32 = [&](size_t at) {
        uint32_t v = 0;
        if (at + 4 <= data.size()) std::memcpy(&v, data.data() + at, 4);
        return v;
    };
    size_t base = 0;
    if (data.compare(0, 11, "ld.so-1.7.0") == 0) base = (16 + static_cast<size_t>(u32(12)) * 12 + 7) & ~size_t{7};
    static const char kNew[] = "glibc-ld.so.cache1.1";
    if (data.size() < base + 48 || data.compare(base, sizeof kNew - 1, kNew) != 0) return found;
    const size_t count = u32(base + 20);
    auto text = [&](uint32_t offset) -> std::string {
        const size_t at = base + offset;
        if (at >= data.size()) return {};
        // A string the file's end cuts short is no path (a cache being rewritten, a damaged one).
        const size_t length = strnlen(data.c_str() + at, data.size() - at);
        if (length == data.size() - at) return {};
        return std::string(data.c_str() + at, length);
    };
    for (size_t i = 0; i < count && base + 48 + (i + 1) * 24 <= data.size(); ++i) {
        const size_t entry = base + 48 + i * 24;
        if (text(u32(entry + 4)) != name) continue;
        if (std::string path = text(u32(entry + 8)); !path.empty()) found.push_back(path);
    }
    return found;
}

namespace {

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

bool is_separator(char c)
{
    return c == '/';
}

std::size_t last_separator(const std::string &path)
{
    return path.rfind('/');
}

std::string self_exe()
{
    std::error_code ec;
    fs::path p = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
}

std::string module_path(const void *address)
{
    Dl_info info{};
    if (::dladdr(address, &info) && info.dli_fname) return info.dli_fname;
    return "";
}

std::string library_file(const std::string &name)
{
    return "lib" + name + ".so";
}

std::vector<std::string> driver_library_names()
{
    return {"libnidaqmx.so", "libnidaqmx.so.1"};
}

std::string library_search(const std::string &name)
{
    std::error_code ec;
    auto holds = [&](const std::string &dir) {
        const fs::path p = fs::path(dir.empty() ? "." : dir) / name;
        return fs::exists(p, ec) ? p.string() : std::string();
    };
    if (const char *env = std::getenv("LD_LIBRARY_PATH")) {
        std::string dirs = env;
        for (size_t from = 0; from <= dirs.size();) {
            size_t to = dirs.find_first_of(":;", from);
            if (to == std::string::npos) to = dirs.size();
            if (std::string p = holds(dirs.substr(from, to - from)); !p.empty()) return p;
            from = to + 1;
        }
    }
    for (const std::string &p : linker_cache_paths("/etc/ld.so.cache", name))
        if (fs::exists(p, ec)) return p;
    for (const char *dir : {"/lib/x86_64-linux-gnu", "/usr/lib/x86_64-linux-gnu", "/lib64", "/usr/lib64", "/lib",
                            "/usr/lib"})
        if (std::string p = holds(dir); !p.empty()) return p;
    return "";
}

void *open_library(const std::string &path, std::string &why)
{
    ::dlerror();
    void *h = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        const char *e = ::dlerror();
        why = e ? e : "cannot load " + path;
    }
    return h;
}

void *library_symbol(void *library, const char *name)
{
    return library ? ::dlsym(library, name) : nullptr;
}

void close_library(void *library)
{
    if (library) ::dlclose(library);
}

void driver_text_to_utf8(char *, std::size_t)
{
}

std::string library_format_fault(int fd, std::uint64_t size)
{
    unsigned char ident[EI_NIDENT] = {};
    if (size == 0) return "an empty file";
    if (!read_at(fd, ident, sizeof ident, 0) || std::memcmp(ident, ELFMAG, SELFMAG) != 0)
        return "not a shared library (no ELF header)";
    if (ident[EI_CLASS] == ELFCLASS64) return elf_layout_fault<Elf64_Ehdr, Elf64_Phdr>(fd, size);
    if (ident[EI_CLASS] == ELFCLASS32) return elf_layout_fault<Elf32_Ehdr, Elf32_Phdr>(fd, size);
    return "not a shared library (unknown ELF class)";
}

int open_read_flags()
{
    return O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
}

int open_write_flags()
{
    return O_WRONLY | O_CLOEXEC | O_NOCTTY;
}

int open_create_flags()
{
    return O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
}

bool read_at(int fd, void *buf, std::size_t size, std::uint64_t offset)
{
    return ::pread(fd, buf, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
}

bool write_at(int fd, const void *buf, std::size_t size, std::uint64_t offset)
{
    return ::pwrite(fd, buf, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
}

std::string kind_of(unsigned mode)
{
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    return "not a regular file";
}

bool random_bytes(void *buf, std::size_t size)
{
    return ::getrandom(buf, size, GRND_NONBLOCK) == static_cast<ssize_t>(size);
}

std::string follow_links(const std::string &path, bool &loop)
{
    std::string p = path;
    loop = false;
    for (int hops = 0; hops <= kMostLinks; ++hops) {
        struct stat st;
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        char link[4096];
        const ssize_t n = ::readlink(p.c_str(), link, sizeof link - 1);
        if (n <= 0) return p;
        const std::string to(link, static_cast<size_t>(n));
        const size_t slash = p.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : p.substr(0, slash);
        p = to.front() == '/' ? to : folder + "/" + to;
    }
    loop = true;
    return p;
}

int make_fifo(const std::string &path)
{
    return ::mkfifo(path.c_str(), 0600) == 0 ? 0 : errno;
}

void keep_owner_and_mode(int fd, const std::string &target)
{
    // What the owner cannot change stays as created: the new file is then the writer's own.
    struct stat st;
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) { /* not the owner: keep ours */ }
        if (::fchmod(fd, st.st_mode & 07777) != 0) { /* a file system without modes */ }
    }
}

int sync_file(int fd)
{
    return ::fsync(fd) == 0 ? 0 : errno;
}

int replace_file(const std::string &from, const std::string &to)
{
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int sync_folder(const std::string &folder)
{
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int err = 0;
    if (dir >= 0) {
        if (::fsync(dir) != 0 && errno != EINVAL) err = errno;
        ::close(dir);
    }
    return err;
}

int close_stdout()
{
    return ::close(STDOUT_FILENO) == 0 ? 0 : errno;
}

int open_lock_file(const std::string &path)
{
    return ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
}

int try_lock(int fd)
{
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
}

void write_holder(int fd)
{
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) != 0 || !write_at(fd, pid.data(), pid.size(), 0)) { /* only for the message */ }
}

long read_holder(int fd)
{
    char holder[32] = {};
    const ssize_t n = ::pread(fd, holder, sizeof holder - 1, 0);
    return n > 0 ? std::strtol(holder, nullptr, 10) : 0;
}

bool is_console(int fd)
{
    return ::isatty(fd) != 0;
}

void set_binary(int)
{
}

void prepare_console()
{
}

std::tm local_time(std::time_t t)
{
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

bool always_has_desktop()
{
    return false;
}

int run_sibling(const std::string &name, std::string &why)
{
    const std::string exe = self_exe();
    const std::string program = exe.substr(0, exe.rfind('/') + 1) + name;
    std::string line;  // the arguments, each ended by a NUL
    if (std::string fault = base::files::read_bounded("/proc/self/cmdline", line, false, 1 << 20); !fault.empty()) {
        why = fault;
        return -1;
    }
    std::vector<std::string> args;
    for (size_t at = 0; at < line.size();) {
        const size_t end = line.find('\0', at);
        args.push_back(line.substr(at, end - at));
        at = end == std::string::npos ? line.size() : end + 1;
    }
    if (args.empty()) args.emplace_back();
    args[0] = program;
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    why = program + ": " + std::strerror(errno);
    return -1;
}

void alert(const std::string &title, const std::string &text)
{
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
}

bool debugger_present()
{
    // Only a traced process gets the trap: without a debugger SIGTRAP would end it.
    // /proc/self/status is some 1.5 KB.
    std::string text;
    if (!base::files::read_bounded("/proc/self/status", text, false, 64 * 1024).empty()) return false;
    const size_t at = text.find("\nTracerPid:");
    return at != std::string::npos && std::strtol(text.c_str() + at + 11, nullptr, 10) != 0;
}

void debug_break()
{
    ::raise(SIGTRAP);
}

}  // namespace base::platform
