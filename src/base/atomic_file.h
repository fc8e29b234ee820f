// Every file korvane writes (a dump, the window's CSV and log exports, the
// simulated board's state, the trace and the VCD) is replaced whole or not at
// all. The bytes go to a new temporary file beside the target (".NAME.XXXXXX"
// in its folder); commit() syncs it, renames it over the target and syncs the
// folder. A reader sees the old file or the new one, never part of one; a
// failure (a full disk) leaves the old file byte for byte and removes the
// temporary one. The new file keeps the old one's permissions and owner. A
// symbolic link is followed: the link stays and its target is replaced. A
// target that exists and is not a regular file (a FIFO, /dev/null, a
// terminal) cannot be replaced, so it is written in place.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace base {

class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile();  // discards what was not committed
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // Creates the temporary file (or opens a special file). False when it
    // cannot: error() says why, in one line naming path.
    bool open(const std::string &path);
    bool is_open() const { return fd_ >= 0; }
    // For writers of their own (write(2) on it); error() does not see those.
    int fd() const { return fd_; }
    // Writes all of bytes. False when it could not (error() says why).
    bool write(std::string_view bytes);
    // Puts the file in the target's place. False when it could not (error()
    // says why); the target is then as it was and the temporary file gone.
    bool commit();
    // commit() or discard() from a signal handler: no allocation, no lock.
    bool commit_from_signal();
    void discard_from_signal();
    // Removes the temporary file; the target stays as it was.
    void discard();
    const std::string &error() const { return error_; }

private:
    bool fail(const char *what, int err);
    bool finish(bool report);

    int fd_ = -1;
    bool in_place_ = false;  // a special file, written directly
    std::string shown_;      // the path as given, for messages
    std::string target_;     // the regular file the rename replaces (links followed)
    std::string temp_;       // the temporary file beside it
    std::string folder_;     // their folder, synced after the rename
    std::string error_;
};

// Writes all N bytes at P to FD, again after EINTR; false on any other
// failure. Only write(2): safe in a signal handler.
bool write_all(int fd, const char *p, size_t n);

// The file a write to path replaces: symbolic links followed (at most 40),
// relative ones from their own folder. Stops at the first name that is not a
// link (or does not exist).
std::string follow_links(const std::string &path);

// Writes bytes as path's whole new content. "" or the one-line reason.
std::string write_file_atomically(const std::string &path, std::string_view bytes);

}  // namespace base
