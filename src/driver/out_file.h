// A file written through a buffer of its own, for the call trace and the
// bench's VCD: a line costs a copy, not a system call. The file is written
// whole or not at all (atomic_file.h): to a temporary file beside it while
// korvane runs, which close() (and so a normal exit) puts in its place. What
// the buffer holds is written out when it fills, at close, on flush(), and
// from the stop signals' handler that flush_on_signals() installs, which also
// puts the file in place: a run that is stopped loses no line it completed.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "base/atomic_file.h"

namespace driver {

class OutFile {
public:
    OutFile() = default;
    ~OutFile();
    OutFile(const OutFile &) = delete;
    OutFile &operator=(const OutFile &) = delete;

    // Starts the file (atomic_file.h). False when it cannot (error() says why).
    bool open(const char *path);
    // Writes out what is held and puts the file in its place. False when any
    // write failed: the file that was there is then left as it was.
    bool close();
    bool is_open() const { return fd_ >= 0; }
    void write(std::string_view text);
    void flush();
    // A write failed (a full disk, a closed pipe): what followed is lost.
    bool failed() const { return failed_; }
    const std::string &error() const { return file_.error(); }

    // What the handler writes after the buffer when a stop signal ends the
    // process (the VCD's closing time stamp); at most 63 bytes. Not written
    // by close(), whose caller ends the file itself.
    void set_signal_tail(std::string_view text);

    // Writes out what is held and the tail, and puts the file in its place
    // (or, after a failed write, leaves the old one); safe in a signal handler.
    void finish_from_signal();

private:
    void write_out(size_t n);
    base::AtomicFile file_;
    int fd_ = -1;
    bool failed_ = false;
    std::unique_ptr<char[]> buf_;
    std::atomic<size_t> used_{0};
    // Two tails: the one being set is never the one the handler may read.
    char tails_[2][64] = {};
    size_t tail_size_[2] = {};
    std::atomic<int> tail_{0};
};

// Finishes every open OutFile of this module; safe in a signal handler.
void finish_open_files_from_signal();

// Installs, once, the stop signals' handler (stop_signals.h) with a hook that
// finishes every open OutFile and calls the hook below.
void flush_on_signals();
// What the handler calls besides (null for nothing): it must be safe in a
// signal handler, e.g. another module's finish_open_files_from_signal.
void set_signal_flush_hook(void (*also)());

}  // namespace driver
