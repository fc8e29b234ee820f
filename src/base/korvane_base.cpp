// Error output, debugger break and the small formatting helpers of the run-time.
// This part has no window system and no panel file: the hardware library links it alone.

#include "base/korvane_base.h"
#include "base/error_output.h"
#include "base/korvane_files.h"
#include "base/platform.h"

#include <atomic>
#include <cctype>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <sstream>
#include <map>
#include <mutex>

namespace base {
namespace {

// Unicode code points of Windows-1251 bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
const char16_t cp1251_high[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98 (0x98 is unassigned)
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

void put_utf8(std::string &out, unsigned cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

constexpr std::size_t kLogBound = 10000;

struct ErrorOutput {
    std::mutex mu;
    std::map<int, ErrorSink> sinks;
    std::map<int, ErrorMessageSink> message_sinks;
    int next_sink = 1;
    std::deque<std::string> log;
    std::uint64_t first_seq = 0;  // sequence number of log.front()
    bool echo = true;
    // Standard error says a message that comes again in a row once, then how
    // many more times it came (when another comes, or at the end).
    bool collapse = false;
    std::vector<std::string> echoed;  // the last message written out
    std::uint64_t repeats = 0;        // times it came again since
};

// Error lines written so far (error_report_count); notes do not count.
std::atomic<std::uint64_t> reports_written{0};

ErrorOutput &out()
{
    static ErrorOutput *o = new ErrorOutput;  // kept for the whole process: sinks may run at exit
    return *o;
}

}  // namespace

std::size_t utf8_fault_at(const std::string &text)
{
    const auto *s = reinterpret_cast<const unsigned char *>(text.data());
    std::size_t n = text.size(), i = 0;
    while (i < n) {
        unsigned c = s[i];
        std::size_t len;
        unsigned cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            len = 2, cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3, cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4, cp = c & 0x07;
        } else {
            return i;
        }
        if (i + len > n)
            return i;
        for (std::size_t k = 1; k < len; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return i;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        // overlong forms, surrogates and code points past U+10FFFF
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return i;
        i += len;
    }
    return std::string::npos;
}

bool is_valid_utf8(const std::string &text) { return utf8_fault_at(text) == std::string::npos; }

std::string cp1251_to_utf8(const std::string &text)
{
    if (is_valid_utf8(text))
        return text;
    std::string res;
    res.reserve(text.size() * 2);
    for (char ch : text) {
        unsigned c = static_cast<unsigned char>(ch);
        if (c < 0x80)
            res += ch;
        else if (c < 0xC0)
            put_utf8(res, cp1251_high[c - 0x80]);
        else
            put_utf8(res, 0x0410 + (c - 0xC0));
    }
    return res;
}

namespace {

// Says how many more times the last message came, once it stops coming (o.mu held).
void end_repeats(ErrorOutput &o)
{
    if (o.repeats == 0) return;
    std::fprintf(stderr, "(the same %s %llu more time%s)\n", o.echoed.size() > 1 ? "message" : "line",
                 static_cast<unsigned long long>(o.repeats), o.repeats == 1 ? "" : "s");
    std::fflush(stderr);
    o.repeats = 0;
}

// One message to standard error: every line of it, or under collapse a count
// when it is the one written just before.
void echo(const std::vector<std::string> &lines)
{
    ErrorOutput &o = out();
    std::lock_guard<std::mutex> lock(o.mu);
    if (!o.echo) return;
    if (o.collapse && lines == o.echoed) {
        ++o.repeats;
        return;
    }
    end_repeats(o);
    for (const std::string &line : lines) {
        std::fputs(line.c_str(), stderr);
        std::fputc('\n', stderr);
    }
    std::fflush(stderr);
    o.echoed = lines;
}

// One line, already in UTF-8, to the log and the line sinks; returns it.
const std::string &put_line(const std::string &line)
{
    std::vector<ErrorSink> sinks;
    {
        ErrorOutput &o = out();
        std::lock_guard<std::mutex> lock(o.mu);
        o.log.push_back(line);
        if (o.log.size() > kLogBound) {
            o.log.pop_front();
            ++o.first_seq;
        }
        for (auto &kv : o.sinks)
            sinks.push_back(kv.second);
    }
    // Sinks run outside the lock: a sink may itself write to the error output.
    for (auto &sink : sinks)
        sink(line);
    return line;
}

void put_message(const std::vector<std::string> &lines)
{
    std::vector<ErrorMessageSink> sinks;
    {
        ErrorOutput &o = out();
        std::lock_guard<std::mutex> lock(o.mu);
        for (auto &kv : o.message_sinks)
            sinks.push_back(kv.second);
    }
    for (auto &sink : sinks)
        sink(lines);
}

}  // namespace

void error_line(const std::string &text) { error_lines({text}); }

void note_line(const std::string &text) { put_message({put_line(cp1251_to_utf8(text))}); }

void error_lines(const std::vector<std::string> &texts)
{
    std::vector<std::string> lines;
    for (auto &t : texts)
        lines.push_back(cp1251_to_utf8(t));
    if (lines.empty())
        return;
    reports_written.fetch_add(lines.size(), std::memory_order_relaxed);
    // Standard error first, as before: a sink that writes to the error output follows it.
    echo(lines);
    for (auto &line : lines)
        put_line(line);
    put_message(lines);
}

std::uint64_t error_report_count() { return reports_written.load(std::memory_order_relaxed); }

std::uint64_t error_log_count()
{
    ErrorOutput &o = out();
    std::lock_guard<std::mutex> lock(o.mu);
    return o.first_seq + o.log.size();
}

std::vector<std::string> error_log_since(std::uint64_t seq)
{
    ErrorOutput &o = out();
    std::lock_guard<std::mutex> lock(o.mu);
    std::vector<std::string> res;
    std::uint64_t from = seq > o.first_seq ? seq - o.first_seq : 0;
    for (std::uint64_t i = from; i < o.log.size(); ++i)
        res.push_back(o.log[i]);
    return res;
}

std::vector<std::string> error_log() { return error_log_since(0); }

void error_log_clear()
{
    ErrorOutput &o = out();
    std::lock_guard<std::mutex> lock(o.mu);
    o.log.clear();
    o.first_seq = 0;
}

void set_stderr_echo(bool on)
{
    ErrorOutput &o = out();
    std::lock_guard<std::mutex> lock(o.mu);
    o.echo = on;
}

void set_stderr_collapse(bool on)
{
    static std::once_flag at_exit;
    if (on)
        std::call_once(at_exit, [] { std::atexit([] { set_stderr_collapse(false); }); });
    ErrorOutput &o = out();
    std::lock_guard<std::mutex> lock(o.mu);
    end_repeats(o);
    o.collapse = on;
    o.echoed.clear();
}

void error_output_reset()
{
    ErrorOutput &o = out();
    std::lock_guard<std::mutex> lock(o.mu);
    o.sinks.clear();
    o.message_sinks.clear();
    o.log.clear();
    o.first_seq = 0;
    o.echo = true;
    end_repeats(o);
    o.collapse = false;
    o.echoed.clear();
}

namespace {

// Both kinds of listener share one id sequence and one lock.
template <class Sink>
int add_sink(std::map<int, Sink> ErrorOutput::*sinks, Sink sink)
{
    ErrorOutput &o = out();
    std::lock_guard<std::mutex> lock(o.mu);
    int id = o.next_sink++;
    (o.*sinks).emplace(id, std::move(sink));
    return id;
}

template <class Sink>
void remove_sink(std::map<int, Sink> ErrorOutput::*sinks, int id)
{
    ErrorOutput &o = out();
    std::lock_guard<std::mutex> lock(o.mu);
    (o.*sinks).erase(id);
}

}  // namespace

int add_error_sink(ErrorSink sink) { return add_sink(&ErrorOutput::sinks, std::move(sink)); }

void remove_error_sink(int id) { remove_sink(&ErrorOutput::sinks, id); }

int add_error_message_sink(ErrorMessageSink sink)
{
    return add_sink(&ErrorOutput::message_sinks, std::move(sink));
}

void remove_error_message_sink(int id) { remove_sink(&ErrorOutput::message_sinks, id); }

}  // namespace base

// printf into TEXT; vsnprintf's count, negative on a bad format.
static int vformat(std::string &text, const char *format, va_list ap)
{
    va_list ap2;
    va_copy(ap2, ap);
    const int n = std::vsnprintf(nullptr, 0, format, ap2);
    va_end(ap2);
    if (n < 0)
        return n;
    text.assign(static_cast<std::size_t>(n) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, ap);
    text.resize(static_cast<std::size_t>(n));
    return n;
}

// An error text: one entry per line; the closing newline of the text ends the
// last line and does not make an empty one, nor do blank lines inside a longer
// text (driver messages carry paragraph breaks).
static void put_error_text(std::string text)
{
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    if (text.find('\n') == std::string::npos) {
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        base::error_line(text);
        return;
    }
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        std::size_t nl = text.find('\n', start);
        std::string line = text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
        if (nl == std::string::npos)
            break;
        start = nl + 1;
    }
    base::error_lines(lines);
}

// A note is one line: line breaks inside become blanks.
static void put_note_text(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    for (char &c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    base::note_line(text);
}

// Formats and hands the text on; vsnprintf's count, negative (nothing put) on a bad format.
static int print_with(void (*put)(std::string), const char *format, va_list ap)
{
    std::string text;
    const int n = vformat(text, format, ap);
    if (n >= 0)
        put(std::move(text));
    return n;
}

extern "C" int ErrorPrintf(const char *format, ...)
{
    if (!format)
        return 0;
    va_list ap;
    va_start(ap, format);
    const int n = print_with(put_error_text, format, ap);
    va_end(ap);
    return n;
}

extern "C" int NotePrintf(const char *format, ...)
{
    if (!format)
        return 0;
    va_list ap;
    va_start(ap, format);
    const int n = print_with(put_note_text, format, ap);
    va_end(ap);
    return n;
}

extern "C" void Breakpoint(void)
{
    // Without a debugger the trap would end the process.
    if (base::platform::debugger_present()) base::platform::debug_break();
}

extern "C" int CompareStrings(const char *string1, int string1Index, const char *string2, int string2Index,
                              int caseSensitive)
{
    // A missing text counts as empty; an index past the end (or negative) is held to the text.
    auto from = [](const char *s, int index) -> const char * {
        if (!s)
            return "";
        if (index <= 0)
            return s;
        std::size_t len = std::strlen(s);
        return s + (static_cast<std::size_t>(index) < len ? static_cast<std::size_t>(index) : len);
    };
    const auto *a = reinterpret_cast<const unsigned char *>(from(string1, string1Index));
    const auto *b = reinterpret_cast<const unsigned char *>(from(string2, string2Index));
    for (;; ++a, ++b) {
        int ca = *a, cb = *b;
        if (!caseSensitive) {
            if (ca < 0x80)
                ca = std::tolower(ca);
            if (cb < 0x80)
                cb = std::tolower(cb);
        }
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}

extern "C" double NotANumber(void)
{
    const std::uint64_t bits = 0x7FF8000000000000ULL;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

namespace {

// Fmt's items are %s, %i and %d with flags "-0+ ", width and precision: they
// go to vsnprintf as they are. Any other '%' sequence is written out as it
// stands and takes no argument, so it is escaped here.
std::string fmt_format(const char *format)
{
    std::string res;
    for (const char *p = format; *p;) {
        if (*p != '%') {
            res += *p++;
            continue;
        }
        const char *item = p++;
        if (*p == '%') {
            res += "%%";
            ++p;
            continue;
        }
        while (*p && std::strchr("-0+ ", *p))
            ++p;
        while (std::isdigit(static_cast<unsigned char>(*p)))
            ++p;
        if (*p == '.') {
            ++p;
            while (std::isdigit(static_cast<unsigned char>(*p)))
                ++p;
        }
        if (*p == 's' || *p == 'i' || *p == 'd') {
            res.append(item, ++p);
        } else {
            res += "%%";  // the rest, from the conversion character on, is read again as text
            res.append(item + 1, p);
        }
    }
    return res;
}

}  // namespace

extern "C" int FmtN(char *target, size_t size, const char *format, ...)
{
    if (!target || size == 0)
        return -1;
    if (!format) {
        target[0] = '\0';
        return 0;
    }
    const std::string checked = fmt_format(format);
    va_list ap;
    va_start(ap, format);
    int n = std::vsnprintf(target, size, checked.c_str(), ap);
    va_end(ap);
    target[size - 1] = '\0';
    if (n < 0) {
        target[0] = '\0';
        return -1;
    }
    return static_cast<std::size_t>(n) < size ? n : -1;
}
