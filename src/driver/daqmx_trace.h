// The call trace of the import layer: one line per driver call korvane makes,
// whatever driver is loaded,
//   DAQmxWriteDigitalU8(port0W255, 1, 1, 10, 0, {0x8a}, NULL, NULL) = 0
// A task handle is written as its task's name (0 for the null handle, ? for
// one the trace does not know); strings in double quotes, NULL for a null
// pointer; integers in decimal; float64 with %g; an out-pointer as &; uInt8
// arrays as {0x8a,0x00}, uInt32 arrays as {0x1a2b} and float64 arrays as
// {2.5,1} (the data written, or
// the data read after the call: the samples per channel read, or asked for
// when the caller passes no count, times the task's channels; at most 8
// values, then ",..."). Lines beginning with "#" are the driver's notes (the
// simulated bench's bus contention), written before the call's line.
//
// In the file each call's line ends with the host time the call took and,
// on the simulated bench, the bench time at which it began:
//   DAQmxStartTask(port0R0) = 0  # host 1.8 us, bench 0.000310000 s
// The in-memory copy (for tests) keeps the lines without times.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "korvane/NIDAQmx.h"

namespace driver::trace {

// Writes the trace to path ("" or null stops and closes). Returns 0, or -1
// when the file cannot be started (with a path) or the one it closes could
// not be written whole or put in place (without). The file is written in
// blocks, and put in place whole (out_file.h) at close, at exit and on a stop
// signal.
int to_file(const char *path);
// Writes out what the file's buffer holds. False when a write to the file
// failed since it was opened (a full disk).
bool flush();

// Keeps the lines in memory while on.
void capture(bool on);
void clear();
const std::string &text();
// Forgets the tasks' names and channels learnt from the calls (after the
// driver dropped every task, e.g. the bench's reset).
void forget_tasks();

// The driver's part of a call's line: the bench time at which the last call
// began (left alone when the driver has no clock of its own) and the notes it
// made, each line ending in '\n'. Set by the loader; null for none.
using NotesHook = const char *(*)(int64_t *began_ns);
void set_notes_hook(NotesHook hook);

// Host time now when the file is written, else 0 (no clock read).
int64_t host_start();

namespace detail {
extern std::atomic<bool> printing;
}
// True while a trace is written or captured: only then is a call's line built.
inline bool on()
{
    return detail::printing.load(std::memory_order_relaxed);
}

// One call's line, built after the call from its arguments in order (the
// writers of daqmx_entries.h), then written by done(). Also keeps the book of
// tasks the lines name, whether or not a trace is written.
class Line {
public:
    Line(const char *function, int32 status, int64_t host_start);
    Line &str(const char *s);
    Line &num(long long v);
    Line &unum(unsigned long long v);
    Line &real(double v);
    Line &out(const void *p);
    Line &task(TaskHandle h);
    // T: uInt8, uInt32 or float64 (made in daqmx_trace.cpp for those).
    template <class T>
    Line &written(const T *p, int32 n);
    template <class T>
    Line &read(const T *p, int32 n, uInt32 size, const int32 *count);
    // What the call means for the book of tasks (applied when it succeeded).
    Line &creates(const char *name, const TaskHandle *h);
    Line &clears();
    Line &adds_lines(const char *lines, int32 grouping);
    Line &adds_chans(const char *channels);
    void done();

private:
    void sep();
    long values(long per_chan) const;
    std::unique_lock<std::mutex> lock_;
    std::string &s_;
    int32 status_;
    int64_t host_start_;
    bool print_;
    bool first_ = true;
    bool clears_ = false;
    TaskHandle task_ = nullptr;
};

// What an untraced call means for the book of tasks, found with the same
// writers as a Line's, all empty: a call whose writers name a change of the
// book (a task made, cleared or given channels) has the type Untraced<true>,
// known when compiled, and takes the full path, which keeps the book; for the
// others only a task the driver no longer knows ("invalid task") is forgotten.
template <bool Changes>
class Untraced {
public:
    static constexpr bool kChanges = Changes;
    explicit Untraced(int32 status) : status_(status) {}
    template <class... A>
    Untraced &str(const A &...) { return *this; }
    template <class... A>
    Untraced &num(const A &...) { return *this; }
    template <class... A>
    Untraced &unum(const A &...) { return *this; }
    template <class... A>
    Untraced &real(const A &...) { return *this; }
    template <class... A>
    Untraced &out(const A &...) { return *this; }
    template <class... A>
    Untraced &written(const A &...) { return *this; }
    template <class... A>
    Untraced &read(const A &...) { return *this; }
    Untraced &task(TaskHandle h)
    {
        task_ = h;
        return *this;
    }
    template <class... A>
    Untraced<true> creates(const A &...) const { return Untraced<true>(status_); }
    Untraced<true> clears() const { return Untraced<true>(status_); }
    template <class... A>
    Untraced<true> adds_lines(const A &...) const { return Untraced<true>(status_); }
    template <class... A>
    Untraced<true> adds_chans(const A &...) const { return Untraced<true>(status_); }
    // The task the call named, when the driver answered that it knows it no more.
    TaskHandle gone() const { return status_ == DAQmxErrorInvalidTask ? task_ : nullptr; }

private:
    int32 status_;
    TaskHandle task_ = nullptr;
};

// Forgets a task of the book (one the driver no longer knows).
void forget(TaskHandle h);

}  // namespace driver::trace
