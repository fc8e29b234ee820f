#include "sim/device/vcd.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace sim {

namespace {
// Identifier codes: one per line (24), then the bus signals.
const char *kLineIds[24] = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l",
                            "m", "n", "o", "p", "q", "r", "s", "t", "u", "v", "w", "x"};

void bits(std::string &out, unsigned v, int width, const char *id)
{
    char buf[24];
    int n = 0;
    buf[n++] = 'b';
    for (int i = width - 1; i >= 0; --i) buf[n++] = (v >> i) & 1 ? '1' : '0';
    buf[n++] = ' ';
    buf[n++] = id[0];
    buf[n++] = '\n';
    out.append(buf, static_cast<size_t>(n));
}

void bit(std::string &out, unsigned v, const char *id)
{
    const char buf[3] = {v ? '1' : '0', id[0], '\n'};
    out.append(buf, 3);
}

void stamp(std::string &out, int64_t t)
{
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, t);
    out += '#';
    out.append(buf, r.ptr);
    out += '\n';
}

void bits64(std::string &out, uint64_t v, int width, int board_index)
{
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, board_index);
    if (width == 1) {
        out += (v & 1) ? '1' : '0';
    } else {
        out += 'b';
        for (int i = width - 1; i >= 0; --i) out += (v >> i) & 1 ? '1' : '0';
        out += ' ';
    }
    out += '~';
    out.append(buf, r.ptr);
    out += '\n';
}

// The board's signals under "board", a scope for each '.'-separated prefix.
void board_scopes(std::string &out, const std::vector<Vcd::BoardSignal> &signals)
{
    std::vector<std::string> open;  // scopes below "board" now open
    out += "$scope module board $end\n";
    for (size_t i = 0; i < signals.size(); ++i) {
        std::vector<std::string> path;
        std::string name = signals[i].name;
        for (size_t dot; (dot = name.find('.')) != std::string::npos; name.erase(0, dot + 1))
            path.push_back(name.substr(0, dot));
        size_t keep = 0;
        while (keep < open.size() && keep < path.size() && open[keep] == path[keep]) ++keep;
        for (size_t k = open.size(); k > keep; --k) out += "$upscope $end\n";
        open.resize(keep);
        for (size_t k = keep; k < path.size(); ++k) {
            out += "$scope module " + path[k] + " $end\n";
            open.push_back(path[k]);
        }
        out += "$var wire " + std::to_string(signals[i].width) + " ~" + std::to_string(i) + " " + name + " $end\n";
    }
    for (size_t k = open.size(); k > 0; --k) out += "$upscope $end\n";
    out += "$upscope $end\n";
}

unsigned state_code(const char *s)
{
    static const char *names[] = {"idle", "address", "write", "read", "conflict"};
    for (unsigned i = 0; i < 5; ++i)
        if (!std::strcmp(s, names[i])) return i;
    return 7;
}
}  // namespace

bool Vcd::close(int64_t now)
{
    if (!file_.is_open()) return true;
    // The end of the recording, at least 1 ns after the last change: readers
    // that turn changes into samples (sigrok) drop the last state otherwise.
    chunk_.clear();
    stamp(chunk_, now < 0 ? last_t_ + 1 : std::max(now + base_, last_t_ + 1));
    file_.write(chunk_);
    return file_.close();
}

// A stop signal ends the dump as close() does, 1 ns after its last change.
// Set before the change at that time is handed to the file, so the end the
// handler writes is always after every change it writes.
void Vcd::end_on_signal()
{
    char end[32] = "#";
    char *p = std::to_chars(end + 1, end + sizeof end - 1, last_t_ + 1).ptr;
    *p++ = '\n';
    file_.set_signal_tail(std::string_view(end, static_cast<size_t>(p - end)));
}

int Vcd::open(const char *path, int64_t now, const Sample &s, const std::vector<BoardSignal> &board, Layout layout)
{
    const bool written = close(now);
    if (!path || !*path) return written ? 0 : -1;
    if (!file_.open(path)) return -1;
    layout_ = layout;
    std::string &h = chunk_;
    h = "$date korvane simulated bench $end\n$version libkorvane-sim $end\n$timescale 1ns $end\n";
    h += "$scope module daq $end\n";
    auto line = [&h](int i) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "$var wire 1 %s port%d_line%d $end\n", kLineIds[i], i / 8, i % 8);
        h += buf;
    };
    board_widths_.clear();
    if (layout == Layout::Lines) {
        // sigrok gives a decoder the file's wires by position unless told
        // otherwise: the 16 bus lines, the three strobes, contention (the
        // order of korvane's decoder), then port 2's other lines.
        for (int i = 0; i < 19; ++i) line(i);
        h += "$var wire 1 C contention $end\n";
        for (int i = 19; i < 24; ++i) line(i);
        h += "$upscope $end\n";
    } else {
        for (int i = 0; i < 24; ++i) line(i);
        h += "$upscope $end\n$scope module avalon $end\n";
        h += "$var wire 1 A address_strobe $end\n$var wire 1 R read_strobe_n $end\n"
             "$var wire 1 W write_strobe_n $end\n$var wire 16 D data $end\n"
             "$var wire 16 L address_word $end\n$var wire 3 S slave $end\n"
             "$var wire 13 G register $end\n$var wire 3 T state $end\n"
             "$var wire 1 C contention $end\n";
        h += "$upscope $end\n";
        if (!board.empty()) {
            board_scopes(h, board);
            for (const BoardSignal &b : board) board_widths_.push_back(b.width);
        }
    }
    h += "$enddefinitions $end\n";
    base_ = 0;
    last_t_ = now < 0 ? 0 : now;
    stamp(h, last_t_);
    end_on_signal();
    h += "$dumpvars\n";
    dump(s, true);
    for (size_t i = 0; i < board_widths_.size(); ++i)
        bits64(h, board[i].value, board[i].width, static_cast<int>(i));
    h += "$end\n";
    file_.write(h);
    return 0;
}

void Vcd::dump(const Sample &s, bool all)
{
    std::string &out = chunk_;
    const uint32_t diff = s.lines ^ last_.lines;
    for (unsigned i = 0; i < 24; ++i)
        if (all || ((diff >> i) & 1u)) bit(out, (s.lines >> i) & 1u, kLineIds[i]);
    if (layout_ == Layout::Vectors) {
        auto changed = [&](uint32_t mask) { return all || (diff & mask); };
        if (changed(1u << 16)) bit(out, (s.lines >> 16) & 1u, "A");
        if (changed(1u << 17)) bit(out, (s.lines >> 17) & 1u, "R");
        if (changed(1u << 18)) bit(out, (s.lines >> 18) & 1u, "W");
        if (changed(0xFFFF)) bits(out, s.lines & 0xFFFF, 16, "D");
        if (all || s.address != last_.address) {
            bits(out, s.address, 16, "L");
            bits(out, s.address & 7u, 3, "S");
            bits(out, static_cast<unsigned>(s.address >> 3), 13, "G");
        }
        if (all || std::strcmp(last_state_, s.state) != 0) bits(out, state_code(s.state), 3, "T");
    }
    if (all || (s.contention != 0) != (last_.contention != 0)) bit(out, s.contention ? 1 : 0, "C");
    last_ = s;
    last_state_ = s.state;
}

void Vcd::sample(int64_t now, const Sample &s)
{
    if (!file_.is_open()) return;
    const bool decoded_same = layout_ == Layout::Lines ||
                              (s.address == last_.address && std::strcmp(last_state_, s.state) == 0);
    if (s.lines == last_.lines && decoded_same && (s.contention != 0) == (last_.contention != 0)) return;
    chunk_.clear();
    at(now);
    dump(s, false);
    file_.write(chunk_);
}

void Vcd::at(int64_t now)
{
    const int64_t t = now + base_;
    if (t > last_t_) {
        last_t_ = t;
        stamp(chunk_, t);
        end_on_signal();
    }
}

void Vcd::board_change(int64_t now, int i, uint64_t value)
{
    if (!file_.is_open() || i < 0 || i >= static_cast<int>(board_widths_.size())) return;
    chunk_.clear();
    at(now);
    bits64(chunk_, value, board_widths_[static_cast<size_t>(i)], i);
    file_.write(chunk_);
}

}  // namespace sim
