#include "board.h"

#include <algorithm>
#include <cmath>

namespace ksim {

// ---- decoder ----------------------------------------------------------------

const char *AvalonDecoder::state_name(State s)
{
    switch (s) {
    case State::Idle: return "idle";
    case State::Address: return "address";
    case State::Write: return "write";
    case State::Read: return "read";
    case State::Conflict: return "conflict";
    }
    return "?";
}

void AvalonDecoder::reset()
{
    state_ = State::Idle;
    prev_ = kReadStrobe | kWriteStrobe;
    address_word_ = 0;
}

AvalonDecoder::Events AvalonDecoder::step(uint32_t pins)
{
    Events out;
    const bool as = pins & kAddressStrobe;
    const bool rd = !(pins & kReadStrobe);  // active low
    const bool wr = !(pins & kWriteStrobe);
    const bool was_wr = !(prev_ & kWriteStrobe);
    const uint16_t bus = static_cast<uint16_t>(pins & kBusMask);

    State next;
    if (as)
        next = State::Address;
    else if (rd && wr)
        next = State::Conflict;  // both strobes at once: ignored
    else if (wr)
        next = State::Write;
    else if (rd)
        next = State::Read;
    else
        next = State::Idle;

    if (as) address_word_ = bus;  // latched while the address strobe is high
    if (state_ == State::Read && next != State::Read) out.e[out.count++] = {Event::ReadEnd, slave(), address(), 0};
    // A write takes the data word on the falling edge of the write strobe alone.
    if (next == State::Write && !was_wr) out.e[out.count++] = {Event::Write, slave(), address(), bus};
    if (next == State::Read && state_ != State::Read) out.e[out.count++] = {Event::ReadStart, slave(), address(), 0};
    state_ = next;
    prev_ = pins;
    return out;
}

// ---- slave 2 ------------------------------------------------------------------

void Peripherals::reset()
{
    control_ = 0;
    code_.fill(0);
    config_ = 0;
    spare_.fill(0);
    result_.fill(0);
    pending_.fill(0);
    override_.fill(std::nan(""));
    converting_ = false;
    done_at_ = 0;
    irq_ = false;
    stuck_ = false;
    dac_off_.fill(false);
}

double Peripherals::dac_volts(int ch) const
{
    const uint16_t enable = ch == 0 ? kb::bit::kDacChannel0 : kb::bit::kDacChannel1;
    if (!(control_ & enable) || !(control_ & kb::bit::kDacReference) || dac_off_[static_cast<size_t>(ch)]) return 0.0;
    return code_[static_cast<size_t>(ch)] * kDacFullScale / static_cast<double>(kb::kDacCodeMax);
}

double Peripherals::adc_input(int ch) const
{
    double o = override_[static_cast<size_t>(ch)];
    return std::isnan(o) ? dac_volts(ch) : o;
}

void Peripherals::finish(int64_t now)
{
    if (converting_ && !stuck_ && now >= done_at_) {
        converting_ = false;
        result_ = pending_;
        if (config_ & kAdcIrqOnDone) irq_ = true;
    }
}

void Peripherals::shift_time(int64_t delta)
{
    done_at_ += delta;
}

uint16_t Peripherals::read(int reg, int64_t now)
{
    finish(now);
    switch (reg) {
    case kDacControl: return control_;
    case kDacCode0: return code_[0];
    case kDacCode1: return code_[1];
    case kAdcConfig: return config_;
    case kAdcCommand:
        return static_cast<uint16_t>((converting_ ? kb::bit::kAdcBusy : 0) | (irq_ ? kb::bit::kAdcIrq : 0));
    case kb::reg::kAdcSpare0:
    case kb::reg::kAdcSpare1:
    case kb::reg::kAdcSpare2: return spare_[static_cast<size_t>(reg - kb::reg::kAdcSpare0)];
    case kAdcResult0: return result_[0];
    case kAdcResult1: return result_[1];
    default: return 0;
    }
}

void Peripherals::write(int reg, uint16_t v, int64_t now)
{
    finish(now);
    switch (reg) {
    case kDacControl: control_ = v & (kb::bit::kDacChannel0 | kb::bit::kDacChannel1 | kb::bit::kDacReference); break;
    case kDacCode0: code_[0] = v & kb::kDacCodeMax; break;
    case kDacCode1: code_[1] = v & kb::kDacCodeMax; break;
    case kAdcConfig: config_ = v; break;
    case kAdcCommand:
        if (v & kb::bit::kAdcIrqAck) irq_ = false;
        if (v & kb::bit::kAdcIrqSet) irq_ = true;
        if ((v & kb::bit::kAdcStart) && !converting_) {
            // Track and hold at the start; the results appear when the conversion ends.
            for (int ch = 0; ch < 2; ++ch) {
                double code = std::round(adc_input(ch) / kAdcVoltsPerCode);
                if (!(code >= 0)) code = 0;  // NaN too
                pending_[static_cast<size_t>(ch)] = static_cast<uint16_t>(std::min(code, double{kb::kAdcCodeMax}));
            }
            converting_ = true;
            done_at_ = now + kConversionNs;
        }
        break;
    case kb::reg::kAdcSpare0:
    case kb::reg::kAdcSpare1:
    case kb::reg::kAdcSpare2: spare_[static_cast<size_t>(reg - kb::reg::kAdcSpare0)] = v; break;
    default: break;  // results and unmapped registers are read-only
    }
}

void Peripherals::poke(int reg, uint16_t v, int64_t now)
{
    finish(now);
    switch (reg) {
    case kAdcCommand: irq_ = v & kb::bit::kAdcIrq; break;
    case kAdcResult0: result_[0] = v & kb::kAdcCodeMax; break;
    case kAdcResult1: result_[1] = v & kb::kAdcCodeMax; break;
    default: write(reg, v, now); break;
    }
}

// ---- board --------------------------------------------------------------------

void Board::reset()
{
    decoder_.reset();
    memory_.reset();
    periph_.reset();
    drive_mask_ = 0;
    drive_levels_ = 0;
    log_.clear();
}

bool Board::valid_reg(int slave, int address)
{
    if (slave == kb::kSlaveMemory) return address >= 0 && address < Memory::kWords;
    if (slave == kb::kSlavePeripherals) return address >= 0 && address < kb::kRegisters;
    return false;
}

bool Board::read_reg(int slave, int address, int64_t now, uint16_t &word)
{
    if (!valid_reg(slave, address)) return false;
    word = slave == kb::kSlaveMemory ? memory_.read(address) : periph_.read(address, now);
    return true;
}

bool Board::write_reg(int slave, int address, uint16_t word, int64_t now)
{
    if (!valid_reg(slave, address)) return false;
    if (slave == kb::kSlaveMemory)
        memory_.write(address, word);
    else
        periph_.write(address, word, now);
    return true;
}

bool Board::poke_reg(int slave, int address, uint16_t word, int64_t now)
{
    if (!valid_reg(slave, address)) return false;
    if (slave == kb::kSlaveMemory)
        memory_.write(address, word);
    else
        periph_.poke(address, word, now);
    return true;
}

void Board::record(const Transaction &t)
{
    log_.push_back(t);
    if (log_.size() > 256) log_.pop_front();
}

void Board::update(uint32_t pins, int64_t now)
{
    AvalonDecoder::Events ev = decoder_.step(pins);
    for (int i = 0; i < ev.count; ++i) {
        const AvalonDecoder::Event &e = ev.e[i];
        switch (e.kind) {
        case AvalonDecoder::Event::Write: {
            bool answered = write_reg(e.slave, e.address, e.data, now);
            record({true, e.slave, e.address, e.data, answered, now});
            break;
        }
        case AvalonDecoder::Event::ReadStart: {
            uint16_t word = 0;
            bool answered = read_reg(e.slave, e.address, now, word);
            if (answered) {
                drive_mask_ = kBusMask;
                drive_levels_ = word;
            }
            record({false, e.slave, e.address, word, answered, now});
            break;
        }
        case AvalonDecoder::Event::ReadEnd:
            drive_mask_ = 0;
            drive_levels_ = 0;
            break;
        case AvalonDecoder::Event::None: break;
        }
    }
}

}  // namespace ksim
