// The target board on the DAQ's digital ports: an Avalon slave decoder fed
// with pin levels, slave 0 (memory) and slave 2 (DAC and ADC).
//
// Pin bits: bit port*8+line of a 24-bit word. Ports 0 and 1 carry the
// multiplexed address/data word (port 0 the low byte), port 2 line 0 the
// address strobe (active high), line 1 the read strobe and line 2 the write
// strobe (both active low).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <string>

#include "avalon/korvane_board.h"

namespace sim {

namespace kb = avalon::board;

constexpr uint32_t kBusMask = 0x00FFFF;
constexpr uint32_t kAddressStrobe = uint32_t{kb::kAddressStrobe} << (8 * kb::kPortStrobes);
constexpr uint32_t kReadStrobe = uint32_t{kb::kReadStrobe} << (8 * kb::kPortStrobes);
constexpr uint32_t kWriteStrobe = uint32_t{kb::kWriteStrobe} << (8 * kb::kPortStrobes);

// Decodes bus cycles from pin levels. Pins in, transactions out.
class AvalonDecoder {
public:
    enum class State { Idle, Address, Write, Read, Conflict };
    struct Event {
        enum Kind { None, Write, ReadStart, ReadEnd } kind = None;
        int slave = 0;
        int address = 0;
        uint16_t data = 0;
    };
    struct Events {
        Event e[2];
        int count = 0;
    };

    // Feeds the present pin levels; returns what happened on the bus.
    Events step(uint32_t pins);
    void reset();

    State state() const { return state_; }
    uint16_t address_word() const { return address_word_; }
    int slave() const { return address_word_ & ((1 << kb::kSlaveBits) - 1); }
    int address() const { return address_word_ >> kb::kSlaveBits; }
    static const char *state_name(State s);

private:
    State state_ = State::Idle;
    uint32_t prev_ = kReadStrobe | kWriteStrobe;
    uint16_t address_word_ = 0;
};

// Slave 0: 8192 words of memory.
class Memory {
public:
    static constexpr int kWords = kb::kMemoryWords;
    uint16_t read(int address) const { return words_[static_cast<size_t>(address)]; }
    void write(int address, uint16_t v) { words_[static_cast<size_t>(address)] = v; }
    void reset() { words_.fill(0); }

private:
    std::array<uint16_t, kWords> words_{};
};

// Slave 2: the two-channel 8-bit DAC and the two-channel 12-bit ADC.
class Peripherals {
public:
    // The registers (korvane_board.h), under the names the board's tests use.
    enum : int {
        kDacControl = kb::reg::kDacControl,
        kDacCode0 = kb::reg::kDacCode0,
        kDacCode1 = kb::reg::kDacCode1,
        kAdcConfig = kb::reg::kAdcConfig,
        kAdcCommand = kb::reg::kAdcCommand,
        kAdcResult0 = kb::reg::kAdcResult0,
        kAdcResult1 = kb::reg::kAdcResult1,
    };
    static constexpr int64_t kConversionNs = 20'000;
    static constexpr double kAdcVoltsPerCode = kb::kAdcVoltsPerCode;
    static constexpr double kDacFullScale = kb::kDacFullScale;
    static constexpr uint16_t kAdcIrqOnDone = kb::bit::kAdcIrqOnDone;

    uint16_t read(int reg, int64_t now);
    void write(int reg, uint16_t v, int64_t now);
    // Sets a register as the board's own logic would (no conversion started).
    void poke(int reg, uint16_t v, int64_t now);
    void reset();
    // The registers as text lines and back (a conversion under way counts as
    // done); load returns false, changing nothing, for text that is not such
    // lines, with the number of the first that is not (from 1) in bad_line.
    std::string save(int64_t now);
    bool load(const std::string &text, size_t *bad_line = nullptr);

    double dac_volts(int ch) const;
    double adc_input(int ch) const;

    // Outside signals: an override of an ADC input (NaN ends it), an ADC that never finishes.
    void set_adc_override(int ch, double volts) { override_[static_cast<size_t>(ch)] = volts; }
    void set_adc_stuck(bool stuck) { stuck_ = stuck; }
    // A DAC channel whose output stays at 0 V whatever its registers say.
    void set_dac_off(int ch, bool off) { dac_off_[static_cast<size_t>(ch)] = off; }
    void shift_time(int64_t delta);

private:
    void finish(int64_t now);

    uint16_t control_ = 0;
    std::array<uint16_t, 2> code_{};
    uint16_t config_ = 0;
    std::array<uint16_t, 3> spare_{};  // kAdcSpare0..2
    std::array<uint16_t, 2> result_{};
    std::array<uint16_t, 2> pending_{};
    std::array<double, 2> override_{std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN()};
    bool converting_ = false;
    int64_t done_at_ = 0;
    bool irq_ = false;
    bool stuck_ = false;
    std::array<bool, 2> dac_off_{};
};

// The board: pins in, drive of the bus out, with the two slaves behind the decoder.
class Board {
public:
    // The board pulls its strobe inputs to their idle levels (10 kOhm, stronger
    // than the DAQ's 50 kOhm pull-downs): address strobe low, read and write high.
    static constexpr uint32_t kPullMask = kAddressStrobe | kReadStrobe | kWriteStrobe;
    static constexpr uint32_t kPullLevels = kReadStrobe | kWriteStrobe;

    struct Transaction {
        bool write = false;
        int slave = 0;
        int address = 0;
        uint16_t data = 0;
        bool answered = false;
        int64_t t_ns = 0;
    };

    void update(uint32_t pins, int64_t now);
    void reset();

    // The board's memory and registers as text, kept between processes
    // (korvane --sim-state). load_state returns false, changing nothing, for a
    // text that is not such a state, with the number of its first line that
    // is not as save_state writes it (from 1) in bad_line.
    std::string save_state(int64_t now);
    bool load_state(const std::string &text, size_t *bad_line = nullptr);

    uint32_t drive_mask() const { return drive_mask_; }
    uint32_t drive_levels() const { return drive_levels_; }

    // Register access as a bus cycle would do it; returns false for a slave
    // that does not answer.
    bool read_reg(int slave, int address, int64_t now, uint16_t &word);
    bool write_reg(int slave, int address, uint16_t word, int64_t now);
    bool poke_reg(int slave, int address, uint16_t word, int64_t now);
    static bool valid_reg(int slave, int address);

    const AvalonDecoder &decoder() const { return decoder_; }
    Memory &memory() { return memory_; }
    Peripherals &peripherals() { return periph_; }
    const Peripherals &peripherals() const { return periph_; }
    // The most recent bus transactions, oldest first.
    const std::deque<Transaction> &transactions() const { return log_; }
    void shift_time(int64_t delta) { periph_.shift_time(delta); }

private:
    void record(const Transaction &t);

    AvalonDecoder decoder_;
    Memory memory_;
    Peripherals periph_;
    uint32_t drive_mask_ = 0;
    uint32_t drive_levels_ = 0;
    std::deque<Transaction> log_;
};

}  // namespace sim
