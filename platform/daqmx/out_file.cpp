#include "out_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace daqmx {

namespace {

constexpr size_t kBufferSize = 64 * 1024;
constexpr int kMaxFiles = 8;

// The open files, for the signal handler.
std::atomic<OutFile *> g_open[kMaxFiles];
std::atomic<void (*)()> g_also{nullptr};

// Blocks the two signals while a file's buffer or the list of open files
// changes hands, so that the handler never writes a range twice.
class SignalsHeld {
public:
    SignalsHeld()
    {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGINT);
        sigaddset(&set, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &set, &old_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }

private:
    sigset_t old_;
};

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

void on_signal(int sig)
{
    const int saved = errno;
    flush_open_files_from_signal();
    if (void (*also)() = g_also.load()) also();
    // Die of the signal, as without the handler.
    ::signal(sig, SIG_DFL);
    errno = saved;
    ::raise(sig);
}

}  // namespace

OutFile::~OutFile()
{
    close();
}

bool OutFile::open(const char *path)
{
    close();
    failed_ = false;
    int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    if (!buf_) buf_ = std::make_unique<char[]>(kBufferSize);
    used_.store(0);
    SignalsHeld held;
    fd_ = fd;
    for (auto &slot : g_open) {
        OutFile *expected = nullptr;
        if (slot.compare_exchange_strong(expected, this)) break;
    }
    return true;
}

bool OutFile::close()
{
    if (fd_ < 0) return true;
    flush();
    SignalsHeld held;
    for (auto &slot : g_open) {
        OutFile *expected = this;
        slot.compare_exchange_strong(expected, nullptr);
    }
    if (::close(fd_) != 0) failed_ = true;
    fd_ = -1;
    return !failed_;
}

void OutFile::write_out(size_t n)
{
    if (n > 0 && !failed_ && !write_all(fd_, buf_.get(), n)) failed_ = true;
    used_.store(0);
}

void OutFile::flush()
{
    if (fd_ < 0) return;
    SignalsHeld held;
    write_out(used_.load());
}

void OutFile::write(std::string_view text)
{
    if (fd_ < 0) return;
    size_t used = used_.load(std::memory_order_relaxed);
    if (used + text.size() > kBufferSize) {
        flush();
        used = 0;
        if (text.size() > kBufferSize) {
            SignalsHeld held;
            if (!failed_ && !write_all(fd_, text.data(), text.size())) failed_ = true;
            return;
        }
    }
    std::memcpy(buf_.get() + used, text.data(), text.size());
    // Only now does the handler see the new text: a line is written whole or not at all.
    used_.store(used + text.size(), std::memory_order_release);
}

void OutFile::flush_from_signal()
{
    if (fd_ < 0) return;
    const size_t n = used_.load(std::memory_order_acquire);
    if (n > 0 && write_all(fd_, buf_.get(), n)) used_.store(0);
}

void flush_open_files_from_signal()
{
    for (auto &slot : g_open)
        if (OutFile *f = slot.load()) f->flush_from_signal();
}

void set_signal_flush_hook(void (*also)())
{
    g_also.store(also);
}

void flush_on_signals()
{
    static const bool installed = [] {
        struct sigaction sa {};
        sa.sa_handler = on_signal;
        sigemptyset(&sa.sa_mask);
        sigaddset(&sa.sa_mask, SIGINT);
        sigaddset(&sa.sa_mask, SIGTERM);
        for (int sig : {SIGINT, SIGTERM}) {
            struct sigaction old {};
            // A signal the process ignores stays ignored.
            if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
            ::sigaction(sig, &sa, nullptr);
        }
        return true;
    }();
    (void)installed;
}

}  // namespace daqmx
