#include "sim/board/board.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace sim {

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

std::string Peripherals::save(int64_t now)
{
    finish(now);
    if (converting_) {  // a conversion under way ends before the next process starts
        converting_ = false;
        result_ = pending_;
        if (config_ & kb::bit::kAdcIrqOnDone) irq_ = true;
    }
    char buf[256];
    std::snprintf(buf, sizeof buf,
                  "dac-control %u\ndac-code %u %u\nadc-config %u\nadc-spare %u %u %u\nadc-result %u %u\nadc-irq %u\n",
                  control_, code_[0], code_[1], config_, spare_[0], spare_[1], spare_[2], result_[0], result_[1],
                  irq_ ? 1u : 0u);
    return buf;
}

bool Peripherals::load(const std::string &text, size_t *bad_line)
{
    // Exactly as save() writes it: each value in plain decimal (no sign, no
    // blank, no leading zero) and within its register's bits, so a value of
    // 2^32 or more cannot wrap into range.
    struct Line {
        std::string_view name;
        int values;
        unsigned max;
    };
    static constexpr Line kLines[] = {{"dac-control", 1, 7},    {"dac-code", 2, 0xFF},     {"adc-config", 1, 0xFFFF},
                                      {"adc-spare", 3, 0xFFFF}, {"adc-result", 2, 0xFFF}, {"adc-irq", 1, 1}};
    unsigned v[11];
    int n = 0;
    std::string_view rest(text);
    size_t number = 0;  // of the line being read
    auto bad = [&] {
        if (bad_line) *bad_line = number;
        return false;
    };
    for (const Line &line : kLines) {
        ++number;
        if (rest.substr(0, line.name.size()) != line.name) return bad();
        rest.remove_prefix(line.name.size());
        for (int i = 0; i < line.values; i++) {
            if (rest.size() < 2 || rest[0] != ' ' || (rest[1] == '0' && rest.size() > 2 && rest[2] >= '0' && rest[2] <= '9'))
                return bad();
            rest.remove_prefix(1);
            unsigned long long value = 0;
            const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
            if (ec != std::errc() || value > line.max) return bad();
            v[n++] = static_cast<unsigned>(value);
            rest.remove_prefix(static_cast<size_t>(end - rest.data()));
        }
        if (rest.empty() || rest[0] != '\n') return bad();
        rest.remove_prefix(1);
    }
    ++number;
    if (!rest.empty()) return bad();
    control_ = static_cast<uint16_t>(v[0]);
    code_ = {static_cast<uint16_t>(v[1]), static_cast<uint16_t>(v[2])};
    config_ = static_cast<uint16_t>(v[3]);
    spare_ = {static_cast<uint16_t>(v[4]), static_cast<uint16_t>(v[5]), static_cast<uint16_t>(v[6])};
    result_ = {static_cast<uint16_t>(v[7]), static_cast<uint16_t>(v[8])};
    pending_ = result_;
    irq_ = v[9] != 0;
    converting_ = false;
    return true;
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

namespace {
constexpr const char *kStateHeader = "korvane board state 1\n";
constexpr const char *kMemoryHeader = "memory\n";
constexpr int kWordsPerLine = 16;
}  // namespace

std::string Board::save_state(int64_t now)
{
    std::string out = kStateHeader + periph_.save(now) + kMemoryHeader;
    static const char digits[] = "0123456789abcdef";
    out.reserve(out.size() + static_cast<size_t>(Memory::kWords) * 5);
    for (int a = 0; a < Memory::kWords; a++) {
        const unsigned w = memory_.read(a);
        out += {digits[w >> 12 & 15], digits[w >> 8 & 15], digits[w >> 4 & 15], digits[w & 15],
                a % kWordsPerLine == kWordsPerLine - 1 ? '\n' : ' '};
    }
    return out;
}

bool Board::load_state(const std::string &text, size_t *bad_line)
{
    auto bad = [bad_line](size_t number) {
        if (bad_line) *bad_line = number;
        return false;
    };
    const std::string header = kStateHeader;
    if (text.compare(0, header.size(), header) != 0) return bad(1);
    // The registers' lines come after the header, up to the memory's.
    const size_t memory_at = text.find(kMemoryHeader, header.size());
    Peripherals periph = periph_;
    size_t line = 0;
    if (!periph.load(text.substr(header.size(), memory_at == std::string::npos ? std::string::npos
                                                                                 : memory_at - header.size()),
                     &line))
        return bad(1 + line);
    // The registers whole, then no memory: the line after the last.
    if (memory_at == std::string::npos) return bad(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    // 8192 words of four hex digits, sixteen to a line.
    const size_t first_line = static_cast<size_t>(std::count(text.begin(), text.begin() + memory_at, '\n')) + 2;
    const size_t first = memory_at + std::string(kMemoryHeader).size();
    Memory memory;
    for (int a = 0; a < Memory::kWords; a++) {
        const size_t at = first + static_cast<size_t>(a) * 5;
        const size_t number = first_line + static_cast<size_t>(a / kWordsPerLine);
        if (text.size() < at + 5) return bad(number);
        const char *p = text.c_str() + at;
        const char sep = a % kWordsPerLine == kWordsPerLine - 1 ? '\n' : ' ';
        unsigned w = 0;
        for (int i = 0; i < 4; i++) {
            const char c = p[i];
            const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
            if (d < 0) return bad(number);
            w = w << 4 | static_cast<unsigned>(d);
        }
        if (p[4] != sep) return bad(number);
        memory.write(a, static_cast<uint16_t>(w));
    }
    if (text.size() != first + static_cast<size_t>(Memory::kWords) * 5)
        return bad(first_line + static_cast<size_t>(Memory::kWords / kWordsPerLine));
    periph_ = periph;
    memory_ = memory;
    return true;
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

}  // namespace sim
