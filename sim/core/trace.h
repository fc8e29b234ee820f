// What the bench shows of itself: the trace of driver calls (a file and an
// in-memory capture) and a VCD of the digital lines and the decoded bus.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace ksim {

// Builds one trace line "Function(arg, arg, ...)" in the bench's notation.
class TraceLine {
public:
    explicit TraceLine(const char *fn);
    TraceLine &str(const char *s);           // "text" or NULL
    TraceLine &num(long long v);             // decimal
    TraceLine &unum(unsigned long long v);   // decimal
    TraceLine &real(double v);               // %g
    TraceLine &out(const void *p);           // & or NULL
    TraceLine &raw(const std::string &s);    // as given (a task shown by its name)
    TraceLine &bytes(const uint8_t *p, long n);   // {0x8a,0x00}; NULL for a null pointer
    TraceLine &reals(const double *p, long n);    // {2.5,1}
    std::string done(int32_t status);

private:
    void sep();
    std::string s_;
    bool first_ = true;
};

class Trace {
public:
    ~Trace();
    bool active() const { return capture_ || file_; }
    void add(const std::string &line);
    int open_file(const char *path);  // NULL or "" stops
    void capture(bool on) { capture_ = on; }
    void clear() { text_.clear(); }
    const std::string &text() const { return text_; }
    size_t copy(char *buf, size_t size) const;

private:
    bool capture_ = false;
    std::string text_;
    FILE *file_ = nullptr;
};

// Value change dump of the 24 lines and the decoded bus signals.
class Vcd {
public:
    struct Sample {
        uint32_t lines = 0;        // line levels, bit port*8+line
        uint16_t address = 0;      // latched address word
        const char *state = "idle";
        int contention = 0;        // lines driven by the DAQ and the board at once
    };
    // A signal inside the board, shown under the scope "board" ('.' in a name
    // opens a scope below it).
    struct BoardSignal {
        std::string name;
        int width = 1;
        uint64_t value = 0;
    };
    ~Vcd();
    int open(const char *path, int64_t now, const Sample &s,
             const std::vector<BoardSignal> &board = {});  // NULL or "" stops
    void close();
    bool active() const { return file_ != nullptr; }
    void sample(int64_t now, const Sample &s);
    // Board signal i changed at time now (not before the last time written).
    void board_change(int64_t now, int i, uint64_t value);
    // The bench's clock jumped by delta: the dump's time runs on without the jump.
    void shift_time(int64_t delta) { base_ -= delta; }

private:
    void dump(const Sample &s, bool all);
    void at(int64_t now);
    FILE *file_ = nullptr;
    int64_t base_ = 0;  // dump time = bench time + base_
    int64_t last_t_ = 0;
    Sample last_{};
    std::string last_state_;
    std::vector<int> board_widths_;
};

}  // namespace ksim
