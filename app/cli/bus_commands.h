// The bus commands of korvane's command line (read, write, dump, load), run
// on the Avalon bus master over the library. Arguments are checked whole
// before the first bus cycle: a fault there is a UsageError; a failed cycle
// is a BusFailure that names the address.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include "avalon/korvane_board.h"
#include "app/cli/progress.h"
#include "app/cli/word_files.h"

namespace app::cli {

struct BusFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The PXI slot of the DAQ module, as the panel's Open selects it.
inline constexpr int kDaqSlot = 2;

// A stop signal came (stop_signals.h) and the work stopped between two blocks
// of words: at `address`, after `words` words of the call that stopped. The
// command that knows the whole says how far it got (say()).
struct Interrupted : std::exception {
    Interrupted(int sig, unsigned at, size_t done);
    Interrupted(int sig, std::string where) : signal(sig), address(0), words(0), text(std::move(where)) {}
    const char *what() const noexcept override { return text.c_str(); }
    void say(std::string how_far) { text = std::move(how_far); }
    int signal;
    unsigned address;
    size_t words;
    std::string text;
};

// Standard output failed (a full disk): the command stops; main says why.
struct OutputFailed {};

// "8,192": counts of words as the messages give them.
std::string count_text(size_t n);

// The 13-bit register address space of every slave.
inline constexpr unsigned kAddressSpace = avalon::board::kRegisters;
inline constexpr unsigned kSlaveMax = (1u << avalon::board::kSlaveBits) - 1;

// One process's access to the bench for the commands.
class Session {
public:
    Session(std::ostream &out, std::ostream &err);

    std::ostream &out;
    std::ostream &err;
    bool decimal = false;          // --format dec
    bool err_is_terminal = false;  // progress bars on err
    bool interruptible = true;     // read and write stop on a stop signal
    std::function<int64_t()> bench_now;  // the bench's clock, ns
    std::function<void()> first_use;     // runs once before the first bus cycle
    // Runs between two blocks of words of a transfer (at `address`, after
    // `done` words of the call), before the stop check; it may throw
    // Interrupted to stop the transfer there (the Python module's progress).
    std::function<void(unsigned address, size_t done)> between_blocks;
    // The pending stop signal, 0 for none: what the transfers and the
    // self-test look at between blocks and checks (the Python module's Ctrl-C).
    std::function<int()> stop_requested;

    // Selects the DAQ module and sets the ports up for the bus, once.
    void prepare();

    // Block transfers with a progress bar of their own, or moving `bar` on
    // from `base` words; a failed cycle is a BusFailure.
    std::vector<uint16_t> read(unsigned slave, unsigned address, unsigned count, const std::string &label,
                               Progress *bar = nullptr, size_t base = 0);
    void write(unsigned slave, unsigned address, const std::vector<uint16_t> &words, const std::string &label,
               Progress *bar = nullptr, size_t base = 0);
    // Reads back and compares; a difference is a BusFailure naming the first.
    void verify(unsigned slave, unsigned address, const std::vector<uint16_t> &words, Progress *bar = nullptr,
                size_t base = 0);

    std::string word_line(unsigned address, uint16_t word) const;
    // An Interrupted when a stop signal is pending and the session is interruptible.
    void check_stop(unsigned address, size_t done) const;

private:
    bool prepared_ = false;
};

// Checks of the command line's numbers: one clear UsageError each.
unsigned parse_slave(const std::string &text);
unsigned parse_address(const std::string &text);
uint16_t parse_word(const std::string &text);
// address + count must stay inside the address space; count at least 1.
unsigned parse_count(const std::string &text, unsigned address);

void bus_read(Session &s, unsigned slave, unsigned address, unsigned count);
void bus_write(Session &s, unsigned slave, unsigned address, const std::vector<uint16_t> &words, bool verify);
// kept: the words read, besides the file (the Python module returns them).
void bus_dump(Session &s, unsigned slave, unsigned address, unsigned count, const std::string &path,
              std::vector<uint16_t> *kept = nullptr);
// format: "hex", "bin" or "" (by the file's name; standard input by a leading ':').
void bus_load(Session &s, unsigned slave, unsigned address, const std::string &path, bool verify,
              const std::string &format = "");

std::string hex(unsigned value, int digits);

// "dump stopped at 0x0100 after 256 words (of 8,192)": how far one pass got,
// `before` words of earlier passes counted in.
std::string how_far(const std::string &what, const Interrupted &e, size_t before, size_t total);

}  // namespace app::cli
