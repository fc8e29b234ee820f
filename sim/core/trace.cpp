#include "trace.h"

#include <algorithm>
#include <cstring>

namespace ksim {

// ---- trace line -----------------------------------------------------------------

TraceLine::TraceLine(const char *fn) : s_(fn)
{
    s_ += '(';
}

void TraceLine::sep()
{
    if (!first_) s_ += ", ";
    first_ = false;
}

TraceLine &TraceLine::str(const char *s)
{
    sep();
    if (!s) {
        s_ += "NULL";
    } else {
        s_ += '"';
        s_ += s;
        s_ += '"';
    }
    return *this;
}

TraceLine &TraceLine::num(long long v)
{
    sep();
    s_ += std::to_string(v);
    return *this;
}

TraceLine &TraceLine::unum(unsigned long long v)
{
    sep();
    s_ += std::to_string(v);
    return *this;
}

TraceLine &TraceLine::real(double v)
{
    sep();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    s_ += buf;
    return *this;
}

TraceLine &TraceLine::out(const void *p)
{
    sep();
    s_ += p ? "&" : "NULL";
    return *this;
}

TraceLine &TraceLine::raw(const std::string &s)
{
    sep();
    s_ += s;
    return *this;
}

namespace {

// "{a,b,...}" of at most eight values, ",..." after them when there are more.
template <class T, class Show>
void append_values(std::string &out, const T *p, long n, Show show)
{
    if (!p) {
        out += "NULL";
        return;
    }
    out += '{';
    long shown = std::min<long>(std::max<long>(n, 0), 8);
    for (long i = 0; i < shown; ++i) {
        char buf[40];
        show(buf, sizeof buf, i ? "," : "", p[i]);
        out += buf;
    }
    if (n > 8) out += ",...";
    out += '}';
}

}  // namespace

TraceLine &TraceLine::bytes(const uint8_t *p, long n)
{
    sep();
    append_values(s_, p, n, [](char *buf, size_t size, const char *comma, uint8_t v) {
        std::snprintf(buf, size, "%s0x%02x", comma, v);
    });
    return *this;
}

TraceLine &TraceLine::reals(const double *p, long n)
{
    sep();
    append_values(s_, p, n, [](char *buf, size_t size, const char *comma, double v) {
        std::snprintf(buf, size, "%s%g", comma, v);
    });
    return *this;
}

std::string TraceLine::done(int32_t status)
{
    s_ += ") = ";
    s_ += std::to_string(status);
    return std::move(s_);
}

// ---- trace ----------------------------------------------------------------------

Trace::~Trace()
{
    if (file_) std::fclose(file_);
}

void Trace::add(const std::string &line)
{
    if (capture_) {
        text_ += line;
        text_ += '\n';
    }
    if (file_) {
        std::fputs(line.c_str(), file_);
        std::fputc('\n', file_);
        std::fflush(file_);
    }
}

int Trace::open_file(const char *path)
{
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!path || !*path) return 0;
    file_ = std::fopen(path, "w");
    return file_ ? 0 : -1;
}

size_t Trace::copy(char *buf, size_t size) const
{
    if (buf && size > 0) {
        size_t n = std::min(text_.size(), size - 1);
        std::memcpy(buf, text_.data(), n);
        buf[n] = '\0';
    }
    return text_.size() + 1;
}

// ---- VCD ------------------------------------------------------------------------

namespace {
// Identifier codes: one per line (24), then the bus signals.
const char *kLineIds[24] = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l",
                            "m", "n", "o", "p", "q", "r", "s", "t", "u", "v", "w", "x"};

void bits(FILE *f, unsigned v, int width, const char *id)
{
    std::fputc('b', f);
    for (int i = width - 1; i >= 0; --i) std::fputc((v >> i) & 1 ? '1' : '0', f);
    std::fprintf(f, " %s\n", id);
}

void bits64(FILE *f, uint64_t v, int width, int board_index)
{
    if (width == 1) {
        std::fprintf(f, "%u~%d\n", static_cast<unsigned>(v & 1), board_index);
        return;
    }
    std::fputc('b', f);
    for (int i = width - 1; i >= 0; --i) std::fputc((v >> i) & 1 ? '1' : '0', f);
    std::fprintf(f, " ~%d\n", board_index);
}

// The board's signals under "board", a scope for each '.'-separated prefix.
void board_scopes(FILE *f, const std::vector<Vcd::BoardSignal> &signals)
{
    std::vector<std::string> open;  // scopes below "board" now open
    std::fputs("$scope module board $end\n", f);
    for (size_t i = 0; i < signals.size(); ++i) {
        std::vector<std::string> path;
        std::string name = signals[i].name;
        for (size_t dot; (dot = name.find('.')) != std::string::npos; name.erase(0, dot + 1))
            path.push_back(name.substr(0, dot));
        size_t keep = 0;
        while (keep < open.size() && keep < path.size() && open[keep] == path[keep]) ++keep;
        for (size_t k = open.size(); k > keep; --k) std::fputs("$upscope $end\n", f);
        open.resize(keep);
        for (size_t k = keep; k < path.size(); ++k) {
            std::fprintf(f, "$scope module %s $end\n", path[k].c_str());
            open.push_back(path[k]);
        }
        std::fprintf(f, "$var wire %d ~%zu %s $end\n", signals[i].width, i, name.c_str());
    }
    for (size_t k = open.size(); k > 0; --k) std::fputs("$upscope $end\n", f);
    std::fputs("$upscope $end\n", f);
}

unsigned state_code(const char *s)
{
    static const char *names[] = {"idle", "address", "write", "read", "conflict"};
    for (unsigned i = 0; i < 5; ++i)
        if (!std::strcmp(s, names[i])) return i;
    return 7;
}
}  // namespace

Vcd::~Vcd()
{
    close();
}

void Vcd::close()
{
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

int Vcd::open(const char *path, int64_t now, const Sample &s, const std::vector<BoardSignal> &board)
{
    close();
    if (!path || !*path) return 0;
    file_ = std::fopen(path, "w");
    if (!file_) return -1;
    FILE *f = file_;
    std::fputs("$date korvane simulated bench $end\n$version libkorvane-sim $end\n$timescale 1ns $end\n", f);
    std::fputs("$scope module daq $end\n", f);
    for (int p = 0; p < 3; ++p)
        for (int l = 0; l < 8; ++l) std::fprintf(f, "$var wire 1 %s port%d_line%d $end\n", kLineIds[p * 8 + l], p, l);
    std::fputs("$upscope $end\n$scope module avalon $end\n", f);
    std::fputs("$var wire 1 A address_strobe $end\n$var wire 1 R read_strobe_n $end\n"
               "$var wire 1 W write_strobe_n $end\n$var wire 16 D data $end\n"
               "$var wire 16 L address_word $end\n$var wire 3 S slave $end\n"
               "$var wire 13 G register $end\n$var wire 3 T state $end\n"
               "$var wire 1 C contention $end\n",
               f);
    std::fputs("$upscope $end\n", f);
    board_widths_.clear();
    if (!board.empty()) {
        board_scopes(f, board);
        for (const BoardSignal &b : board) board_widths_.push_back(b.width);
    }
    std::fputs("$enddefinitions $end\n", f);
    base_ = 0;
    last_t_ = now < 0 ? 0 : now;
    std::fprintf(f, "#%lld\n$dumpvars\n", static_cast<long long>(last_t_));
    dump(s, true);
    for (size_t i = 0; i < board.size(); ++i) bits64(f, board[i].value, board[i].width, static_cast<int>(i));
    std::fputs("$end\n", f);
    std::fflush(f);
    return 0;
}

void Vcd::dump(const Sample &s, bool all)
{
    FILE *f = file_;
    const uint32_t diff = s.lines ^ last_.lines;
    for (unsigned i = 0; i < 24; ++i)
        if (all || ((diff >> i) & 1u)) std::fprintf(f, "%u%s\n", (s.lines >> i) & 1u, kLineIds[i]);
    auto changed = [&](uint32_t mask) { return all || ((s.lines ^ last_.lines) & mask); };
    if (changed(1u << 16)) std::fprintf(f, "%uA\n", (s.lines >> 16) & 1u);
    if (changed(1u << 17)) std::fprintf(f, "%uR\n", (s.lines >> 17) & 1u);
    if (changed(1u << 18)) std::fprintf(f, "%uW\n", (s.lines >> 18) & 1u);
    if (changed(0xFFFF)) bits(f, s.lines & 0xFFFF, 16, "D");
    if (all || s.address != last_.address) {
        bits(f, s.address, 16, "L");
        bits(f, s.address & 7u, 3, "S");
        bits(f, static_cast<unsigned>(s.address >> 3), 13, "G");
    }
    if (all || last_state_ != s.state) bits(f, state_code(s.state), 3, "T");
    if (all || (s.contention != 0) != (last_.contention != 0)) std::fprintf(f, "%dC\n", s.contention ? 1 : 0);
    last_ = s;
    last_state_ = s.state;
}

void Vcd::sample(int64_t now, const Sample &s)
{
    if (!file_) return;
    if (s.lines == last_.lines && s.address == last_.address && last_state_ == s.state &&
        (s.contention != 0) == (last_.contention != 0))
        return;
    at(now);
    dump(s, false);
    std::fflush(file_);
}

void Vcd::at(int64_t now)
{
    const int64_t t = now + base_;
    if (t > last_t_) {
        last_t_ = t;
        std::fprintf(file_, "#%lld\n", static_cast<long long>(t));
    }
}

void Vcd::board_change(int64_t now, int i, uint64_t value)
{
    if (!file_ || i < 0 || i >= static_cast<int>(board_widths_.size())) return;
    at(now);
    bits64(file_, value, board_widths_[static_cast<size_t>(i)], i);
}

}  // namespace ksim
