// A VCD of the digital lines and the decoded bus, for GTKWave; or of the
// lines alone, for sigrok.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver/out_file.h"

namespace sim {

// Value change dump of the 24 lines and the decoded bus signals, written in
// blocks (out_file.h); ended with its closing time stamp at close and when a
// stop signal ends the process.
class Vcd {
public:
    // Vectors: the lines, the strobes and contention, the decoded words and
    // the board's signals (GTKWave). Lines: 1-bit wires only, the lines and
    // contention, which sigrok's VCD reader needs.
    enum class Layout { Vectors = 0, Lines = 1 };  // the back door's KSIM_VCD_VECTORS, KSIM_VCD_LINES
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
    ~Vcd() { close(); }
    int open(const char *path, int64_t now, const Sample &s, const std::vector<BoardSignal> &board = {},
             Layout layout = Layout::Vectors);  // NULL or "" stops
    // now < 0: the time is not known. False when the file could not be written whole.
    bool close(int64_t now = -1);
    bool active() const { return file_.is_open(); }
    void sample(int64_t now, const Sample &s);
    // Board signal i changed at time now (not before the last time written).
    void board_change(int64_t now, int i, uint64_t value);
    // The bench's clock jumped by delta: the dump's time runs on without the jump.
    void shift_time(int64_t delta) { base_ -= delta; }

private:
    void dump(const Sample &s, bool all);
    void at(int64_t now);
    void end_on_signal();
    driver::OutFile file_;
    Layout layout_ = Layout::Vectors;
    std::string chunk_;  // the text of one change, then written at once
    int64_t base_ = 0;   // dump time = bench time + base_
    int64_t last_t_ = 0;
    Sample last_{};
    const char *last_state_ = "";  // the decoder's state names are static
    std::vector<int> board_widths_;
};

}  // namespace sim
