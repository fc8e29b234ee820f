#include "driver/daqmx_trace.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <mutex>
#include <unordered_map>

#include "driver/out_file.h"

namespace driver::trace {

namespace detail {
std::atomic<bool> printing{false};
}

namespace {

struct Book {
    std::string name;
    long chans = 0;
};

struct State {
    std::mutex mutex;  // a line is built and written whole, whichever thread calls
    OutFile file;
    bool capture = false;
    bool printing = false;  // file open or capture on
    std::string text;
    std::unordered_map<TaskHandle, Book> tasks;
    unsigned unnamed = 0;  // the driver names unnamed tasks _unnamedTask<0>, <1>, ... per process
    NotesHook notes = nullptr;
    std::string line;  // the line being built, kept to reuse its storage
};

State &state();

// The file is put in its place at exit: a run that never closes it keeps it.
void close_at_exit()
{
    std::lock_guard<std::mutex> lock(state().mutex);
    state().file.close();
}

// Never destroyed: a driver call made by another object's destructor at exit
// still finds it (and is traced while the file is open).
State &state()
{
    static State *s = [] {
        std::atexit(close_at_exit);
        return new State;
    }();
    return *s;
}

int64_t host_now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void update_printing()
{
    State &s = state();
    s.printing = s.capture || s.file.is_open();
    detail::printing.store(s.printing, std::memory_order_relaxed);
}

template <class T>
void append_number(std::string &out, T v)
{
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

// %g: six significant digits, the shorter of fixed and exponent forms. A
// whole number below a million (a timeout, a range's end) is its integer,
// written without the general formatting; -0 keeps its sign that way.
void append_real(std::string &out, double v)
{
    if (v > -1e6 && v < 1e6) {
        const auto whole = static_cast<int32_t>(v);
        if (static_cast<double>(whole) == v && (whole != 0 || !std::signbit(v))) {
            append_number(out, whole);
            return;
        }
    }
    char buf[40];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
    out.append(buf, r.ptr);
}

void append_byte(std::string &out, uint8_t v)
{
    static const char hex[] = "0123456789abcdef";
    const char b[4] = {'0', 'x', hex[v >> 4], hex[v & 15]};
    out.append(b, 4);
}

void append_word(std::string &out, uint32_t v)
{
    char buf[12] = {'0', 'x'};
    auto r = std::to_chars(buf + 2, buf + sizeof buf, v, 16);
    out.append(buf, r.ptr);
}

// "{a,b,...}" of at most eight values, ",..." after them when there are more.
template <class T, class Show>
void append_values(std::string &out, const T *p, long n, Show show)
{
    if (!p) {
        out += "NULL";
        return;
    }
    out += '{';
    const long shown = std::min<long>(std::max<long>(n, 0), 8);
    for (long i = 0; i < shown; ++i) {
        if (i) out += ',';
        show(out, p[i]);
    }
    if (n > 8) out += ",...";
    out += '}';
}

// Channels in a list such as "Dev1/ai0:3,Dev1/ai5": a range counts each of its numbers.
long count_items(std::string_view list, long whole_port)
{
    long n = 0;
    while (!list.empty()) {
        const size_t comma = list.find(',');
        std::string_view item = list.substr(0, comma);
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
        while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
        if (item.empty()) continue;
        const size_t colon = item.rfind(':');
        size_t digits = colon;
        while (digits > 0 && digits != std::string_view::npos && item[digits - 1] >= '0' && item[digits - 1] <= '9')
            --digits;
        long lo = 0, hi = 0;
        if (colon != std::string_view::npos && digits < colon &&
            std::from_chars(item.data() + digits, item.data() + colon, lo).ec == std::errc() &&
            std::from_chars(item.data() + colon + 1, item.data() + item.size(), hi).ec == std::errc())
            n += (hi > lo ? hi - lo : lo - hi) + 1;
        else if (whole_port > 1 && item.find("line") == std::string_view::npos)
            n += whole_port;
        else
            n += 1;
    }
    return n;
}

}  // namespace

int to_file(const char *path)
{
    std::lock_guard<std::mutex> lock(state().mutex);
    State &s = state();
    const bool closed = s.file.close();
    int rc = closed ? 0 : -1;
    if (path && *path) rc = s.file.open(path) ? 0 : -1;
    if (s.file.is_open()) flush_on_signals();
    update_printing();
    return rc;
}

bool flush()
{
    std::lock_guard<std::mutex> lock(state().mutex);
    State &s = state();
    s.file.flush();
    return !s.file.failed();
}

void capture(bool on)
{
    std::lock_guard<std::mutex> lock(state().mutex);
    state().capture = on;
    update_printing();
}

void clear()
{
    std::lock_guard<std::mutex> lock(state().mutex);
    state().text.clear();
}

const std::string &text()
{
    return state().text;
}

void forget_tasks()
{
    std::lock_guard<std::mutex> lock(state().mutex);
    state().tasks.clear();
}

void forget(TaskHandle h)
{
    if (!h) return;
    std::lock_guard<std::mutex> lock(state().mutex);
    state().tasks.erase(h);
}

void set_notes_hook(NotesHook hook)
{
    std::lock_guard<std::mutex> lock(state().mutex);
    state().notes = hook;
}

int64_t host_start()
{
    return state().file.is_open() ? host_now() : 0;
}

Line::Line(const char *function, int32 status, int64_t host_start)
    : lock_(state().mutex), s_(state().line), status_(status), host_start_(host_start), print_(state().printing)
{
    if (print_) {
        s_.clear();
        s_ += function;
        s_ += '(';
    }
}

void Line::sep()
{
    if (!first_) s_ += ", ";
    first_ = false;
}

Line &Line::str(const char *v)
{
    if (!print_) return *this;
    sep();
    if (!v) {
        s_ += "NULL";
    } else {
        s_ += '"';
        s_ += v;
        s_ += '"';
    }
    return *this;
}

Line &Line::num(long long v)
{
    if (print_) {
        sep();
        append_number(s_, v);
    }
    return *this;
}

Line &Line::unum(unsigned long long v)
{
    if (print_) {
        sep();
        append_number(s_, v);
    }
    return *this;
}

Line &Line::real(double v)
{
    if (print_) {
        sep();
        append_real(s_, v);
    }
    return *this;
}

Line &Line::out(const void *p)
{
    if (print_) {
        sep();
        s_ += p ? "&" : "NULL";
    }
    return *this;
}

Line &Line::task(TaskHandle h)
{
    task_ = h;
    if (!print_) return *this;
    sep();
    if (!h) {
        s_ += '0';
        return *this;
    }
    auto it = state().tasks.find(h);
    s_ += it == state().tasks.end() ? "?" : it->second.name;
    return *this;
}

long Line::values(long per_chan) const
{
    auto it = task_ ? state().tasks.find(task_) : state().tasks.end();
    const long chans = it == state().tasks.end() ? 1 : std::max(it->second.chans, 1L);
    return std::max(per_chan, 0L) * chans;
}

namespace {

// The values shown for each type: bytes and words in hex, reals as append_real.
void append_value(std::string &out, uInt8 v) { append_byte(out, v); }
void append_value(std::string &out, uInt32 v) { append_word(out, v); }
void append_value(std::string &out, float64 v) { append_real(out, v); }

long samples_read(int32 status, int32 n, const int32 *count)
{
    if (status < 0) return 0;
    if (count) return *count;
    return n == -1 ? 1 : n;
}

}  // namespace

template <class T>
Line &Line::written(const T *p, int32 n)
{
    if (print_) {
        sep();
        append_values(s_, p, values(n), [](std::string &out, T v) { append_value(out, v); });
    }
    return *this;
}

template <class T>
Line &Line::read(const T *p, int32 n, uInt32 size, const int32 *count)
{
    if (print_) {
        sep();
        append_values(s_, p, std::min<long>(values(samples_read(status_, n, count)), size),
                      [](std::string &out, T v) { append_value(out, v); });
    }
    return *this;
}

template Line &Line::written(const uInt8 *, int32);
template Line &Line::written(const uInt32 *, int32);
template Line &Line::written(const float64 *, int32);
template Line &Line::read(const uInt8 *, int32, uInt32, const int32 *);
template Line &Line::read(const uInt32 *, int32, uInt32, const int32 *);
template Line &Line::read(const float64 *, int32, uInt32, const int32 *);

Line &Line::creates(const char *name, const TaskHandle *h)
{
    if (status_ >= 0 && h && *h) {
        State &s = state();
        Book &b = s.tasks[*h];
        b.name = name && *name ? name : "_unnamedTask<" + std::to_string(s.unnamed++) + ">";
        b.chans = 0;
    }
    return *this;
}

Line &Line::clears()
{
    clears_ = true;
    return *this;
}

Line &Line::adds_lines(const char *lines, int32 grouping)
{
    if (status_ >= 0 && task_ && lines) {
        auto it = state().tasks.find(task_);
        if (it != state().tasks.end())
            it->second.chans += grouping == DAQmx_Val_ChanForAllLines ? 1 : count_items(lines, 8);
    }
    return *this;
}

Line &Line::adds_chans(const char *channels)
{
    if (status_ >= 0 && task_ && channels) {
        auto it = state().tasks.find(task_);
        if (it != state().tasks.end()) it->second.chans += count_items(channels, 1);
    }
    return *this;
}

void Line::done()
{
    State &s = state();
    if (print_) {
        s_ += ") = ";
        append_number(s_, status_);
        int64_t began = -1;
        const char *notes = s.notes ? s.notes(&began) : nullptr;
        if (s.capture) {
            if (notes) s.text += notes;
            s.text += s_;
            s.text += '\n';
        }
        if (s.file.is_open()) {
            if (notes && *notes) s.file.write(notes);
            // "  # host 3.2 us, bench 0.000034000 s", built in place and
            // appended once.
            const int64_t took = std::max<int64_t>(host_now() - host_start_, 0);
            char tail[96];
            char *p = tail;
            auto put = [&p](std::string_view text) {
                std::memcpy(p, text.data(), text.size());
                p += text.size();
            };
            put("  # host ");
            p = std::to_chars(p, tail + 40, took / 1000).ptr;
            *p++ = '.';
            *p++ = static_cast<char>('0' + took % 1000 / 100);
            put(" us");
            if (began >= 0) {
                put(", bench ");
                p = std::to_chars(p, tail + 80, began / 1'000'000'000).ptr;
                *p++ = '.';
                int64_t ns = began % 1'000'000'000;
                for (int i = 8; i >= 0; --i, ns /= 10) p[i] = static_cast<char>('0' + ns % 10);
                p += 9;
                put(" s");
            }
            *p++ = '\n';
            s_.append(tail, static_cast<size_t>(p - tail));
            s.file.write(s_);
        }
    }
    // A task the driver cleared, or calls invalid, is named no more.
    if (task_ && ((clears_ && status_ >= 0) || status_ == DAQmxErrorInvalidTask)) s.tasks.erase(task_);
}

}  // namespace driver::trace
