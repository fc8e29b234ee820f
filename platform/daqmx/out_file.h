// A file written through a buffer of its own, for the call trace and the
// bench's VCD: a line costs a copy, not a system call. What the buffer holds
// is written out when it fills, at close (and so at a normal exit), on
// flush(), and from the SIGINT/SIGTERM handler that flush_on_signals()
// installs, so a run that is interrupted loses no line it completed.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string_view>

namespace daqmx {

class OutFile {
public:
    OutFile() = default;
    ~OutFile();
    OutFile(const OutFile &) = delete;
    OutFile &operator=(const OutFile &) = delete;

    // Creates or truncates path. False when it cannot be opened (errno says why).
    bool open(const char *path);
    // Writes out what is held and closes. False when any write failed.
    bool close();
    bool is_open() const { return fd_ >= 0; }
    void write(std::string_view text);
    void flush();
    // A write failed (a full disk, a closed pipe): what followed is lost.
    bool failed() const { return failed_; }

    // Writes out what is held; safe in a signal handler.
    void flush_from_signal();

private:
    void write_out(size_t n);
    int fd_ = -1;
    bool failed_ = false;
    std::unique_ptr<char[]> buf_;
    std::atomic<size_t> used_{0};
};

// Writes out every open OutFile of this module; safe in a signal handler.
void flush_open_files_from_signal();

// Installs, once, a SIGINT and SIGTERM handler that writes out every open
// OutFile and calls the hook below, then ends the process with the signal as
// before.
void flush_on_signals();
// What the handler calls besides (null for nothing): it must be safe in a
// signal handler, e.g. another module's flush_open_files_from_signal.
void set_signal_flush_hook(void (*also)());

}  // namespace daqmx
