#include "driver/out_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/atomic_file.h"
#include "base/stop_signals.h"

namespace driver {

using base::write_all;

namespace {

constexpr size_t kBufferSize = 64 * 1024;
constexpr int kMaxFiles = 8;

// The open files, for the signal handler.
std::atomic<OutFile *> g_open[kMaxFiles];
std::atomic<void (*)()> g_also{nullptr};

void on_stop()
{
    finish_open_files_from_signal();
    if (void (*also)() = g_also.load()) also();
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
    if (!file_.open(path ? path : "")) return false;
    if (!buf_) buf_ = std::make_unique<char[]>(kBufferSize);
    used_.store(0);
    tail_size_[0] = tail_size_[1] = 0;
    base::stop::Held held;
    fd_ = file_.fd();
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
    base::stop::Held held;
    for (auto &slot : g_open) {
        OutFile *expected = this;
        slot.compare_exchange_strong(expected, nullptr);
    }
    fd_ = -1;
    if (failed_)
        file_.discard();
    else if (!file_.commit())
        failed_ = true;
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
    base::stop::Held held;
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
            base::stop::Held held;
            if (!failed_ && !write_all(fd_, text.data(), text.size())) failed_ = true;
            return;
        }
    }
    std::memcpy(buf_.get() + used, text.data(), text.size());
    // Only now does the handler see the new text: a line is written whole or not at all.
    used_.store(used + text.size(), std::memory_order_release);
}

void OutFile::set_signal_tail(std::string_view text)
{
    const int next = 1 - tail_.load(std::memory_order_relaxed);
    const size_t n = std::min(text.size(), sizeof tails_[0] - 1);
    std::memcpy(tails_[next], text.data(), n);
    tail_size_[next] = n;
    tail_.store(next, std::memory_order_release);
}

void OutFile::finish_from_signal()
{
    if (fd_ < 0) return;
    const size_t n = used_.load(std::memory_order_acquire);
    if (n > 0 && !failed_ && write_all(fd_, buf_.get(), n)) used_.store(0);
    else if (n > 0) failed_ = true;
    const int t = tail_.load(std::memory_order_acquire);
    if (!failed_ && tail_size_[t] > 0 && !write_all(fd_, tails_[t], tail_size_[t])) failed_ = true;
    fd_ = -1;
    if (failed_)
        file_.discard_from_signal();
    else
        file_.commit_from_signal();
}

void finish_open_files_from_signal()
{
    for (auto &slot : g_open)
        if (OutFile *f = slot.load()) f->finish_from_signal();
}

void set_signal_flush_hook(void (*also)())
{
    g_also.store(also);
}

void flush_on_signals()
{
    base::stop::install();
    base::stop::add_hook(on_stop);
}

}  // namespace driver
