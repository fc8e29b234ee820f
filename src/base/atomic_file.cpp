#include "base/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "base/platform.h"

namespace base {

namespace {

// The temporary file's name keeps this much of the target's, within NAME_MAX.
constexpr size_t kNameKept = 200;

// The folder keeps a root's separator ("/", "C:\\") and a drive's colon ("C:").
std::string folder_of(const std::string &p)
{
    const size_t slash = platform::last_separator(p);
    if (slash == std::string::npos) return ".";
    if (p[slash] == ':' || slash == 0 || p[slash - 1] == ':') return p.substr(0, slash + 1);
    return p.substr(0, slash);
}

// Six characters for a name no other writer uses at the same moment.
std::string unique_suffix()
{
    static std::atomic<unsigned> counter{0};
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char bytes[6] = {};
    if (!platform::random_bytes(bytes, sizeof bytes)) {
        unsigned long long v = static_cast<unsigned long long>(::getpid()) * 0x9E3779B97F4A7C15ull + counter++;
        for (unsigned char &b : bytes) b = static_cast<unsigned char>(v >>= 8);
    }
    std::string s;
    for (unsigned char b : bytes) s += kChars[b % (sizeof kChars - 1)];
    return s;
}

}  // namespace

bool write_all(int fd, const char *p, size_t n)
{
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

std::string follow_links(const std::string &path)
{
    bool loop = false;
    return platform::follow_links(path, loop);
}

AtomicFile::~AtomicFile()
{
    discard();
}

bool AtomicFile::fail(const char *what, int err)
{
    error_ = "cannot write " + shown_ + ": " + (what ? what : std::strerror(err));
    return false;
}

bool AtomicFile::open(const std::string &path)
{
    discard();
    error_.clear();
    in_place_ = false;
    shown_ = path;
    if (path.empty()) return fail("no file name", 0);

    bool loop = false;
    const std::string p = platform::follow_links(path, loop);
    struct stat st;
    if (loop) {
        return fail(nullptr, ELOOP);
    } else if (::stat(p.c_str(), &st) != 0) {
        if (errno != ENOENT) return fail(nullptr, errno);
    } else if (S_ISDIR(st.st_mode)) {
        return fail("it is a folder", 0);
    } else if (!S_ISREG(st.st_mode)) {
        // A FIFO, a device, a terminal: written where it is.
        fd_ = ::open(p.c_str(), platform::open_write_flags());
        if (fd_ < 0) return fail(nullptr, errno);
        in_place_ = true;
        return true;
    }
    target_ = p;
    folder_ = folder_of(p);
    const std::string name = platform::file_name(p);
    if (name.empty()) return fail("not a file name", 0);
    struct stat dir;
    if (::stat(folder_.c_str(), &dir) != 0 || !S_ISDIR(dir.st_mode))
        return fail(("no folder " + folder_ + " to write in").c_str(), 0);
    // Mode 0666 less the umask, as for any new file; commit() copies an
    // existing file's permissions.
    const bool ends_in_separator = platform::is_separator(folder_.back()) || folder_.back() == ':';
    const std::string prefix = folder_ + (ends_in_separator ? "" : "/") + "." + name.substr(0, kNameKept) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp_ = prefix + unique_suffix();
        fd_ = ::open(temp_.c_str(), platform::open_create_flags(), 0666);
        if (fd_ >= 0) return true;
        if (errno != EEXIST) return fail(nullptr, errno);
    }
    return fail(nullptr, EEXIST);
}

bool AtomicFile::write(std::string_view bytes)
{
    if (fd_ < 0) return error_.empty() ? fail("not open", 0) : false;
    if (write_all(fd_, bytes.data(), bytes.size())) return true;
    return fail(nullptr, errno);
}

// The steps of commit(), all safe in a signal handler; messages only when report.
bool AtomicFile::finish(bool report)
{
    if (fd_ < 0) return false;
    const int fd = fd_;
    fd_ = -1;
    if (in_place_) {
        if (::close(fd) == 0) return true;
        return report ? fail(nullptr, errno) : false;
    }
    int err = 0;
    // The old file's permissions and owner.
    platform::keep_owner_and_mode(fd, target_);
    err = platform::sync_file(fd);
    if (::close(fd) != 0 && err == 0) err = errno;
    // Replacing an existing file (which rename does not do on Windows).
    if (err == 0) err = platform::replace_file(temp_, target_);
    if (err != 0) {
        // The rename's error is the one to tell; the clean-up's is not.
        ::unlink(temp_.c_str());
        return report ? fail(nullptr, err) : false;
    }
    // The rename itself lasts only once the folder is on the disk.
    err = platform::sync_folder(folder_);
    if (err != 0) return report ? fail(("the file is in place, but its folder could not be synced: " +
                                        std::string(std::strerror(err))).c_str(), 0)
                                : false;
    return true;
}

bool AtomicFile::commit()
{
    if (fd_ < 0) return error_.empty() ? fail("not open", 0) : false;
    return finish(true);
}

bool AtomicFile::commit_from_signal()
{
    return finish(false);
}

void AtomicFile::discard_from_signal()
{
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
    if (!in_place_) ::unlink(temp_.c_str());
}

void AtomicFile::discard()
{
    discard_from_signal();
}

std::string write_file_atomically(const std::string &path, std::string_view bytes)
{
    AtomicFile f;
    if (f.open(path) && f.write(bytes) && f.commit()) return "";
    return f.error();
}

}  // namespace base
