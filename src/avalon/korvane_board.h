// The target board's Avalon bus as the bus master, the panel and the board
// model all see it: the wiring of the strobes on port 2, the address word,
// the slaves, and the registers of slave 2 (DAC and ADC) with their bits and
// scales. The names below are the one source; `registers` is the same map as
// a table (name, address, access, fields, unit and scale) for printing it.
#pragma once

#include <bit>
#include <cstdint>
#include <span>
#include <string_view>

namespace avalon::board {

// ---- wiring -------------------------------------------------------------------
// Ports 0 and 1 carry the multiplexed 16-bit address/data word (port 0 the low
// byte); port 2 carries the strobes, one line each.
inline constexpr int kPortLow = 0;
inline constexpr int kPortHigh = 1;
inline constexpr int kPortStrobes = 2;
inline constexpr std::uint8_t kAddressStrobe = 1u << 0;  // active high
inline constexpr std::uint8_t kReadStrobe = 1u << 1;     // active low
inline constexpr std::uint8_t kWriteStrobe = 1u << 2;    // active low

// Address word = register << 3 | slave: a 3-bit slave number, a 13-bit register.
inline constexpr int kSlaveBits = 3;
inline constexpr int kRegisters = 1 << (16 - kSlaveBits);  // registers a slave can have
constexpr std::uint16_t address_word(unsigned slave, unsigned reg)
{
    return static_cast<std::uint16_t>((reg << kSlaveBits) | slave);
}

// ---- slaves -------------------------------------------------------------------
inline constexpr int kSlaveMemory = 0;       // 8192 words of memory
inline constexpr int kMemoryWords = 8192;
inline constexpr int kSlavePeripherals = 2;  // the DAC and the ADC; other slaves do not answer

// ---- registers of slave 2 -----------------------------------------------------
namespace reg {
inline constexpr int kDacControl = 0x00;
inline constexpr int kDacCode0 = 0x02;
inline constexpr int kDacCode1 = 0x03;
inline constexpr int kAdcConfig = 0x10;
inline constexpr int kAdcCommand = 0x11;  // command when written, status when read
inline constexpr int kAdcSpare0 = 0x12;   // 0x12..0x14: plain words, kept as written
inline constexpr int kAdcSpare1 = 0x13;
inline constexpr int kAdcSpare2 = 0x14;
inline constexpr int kAdcResult0 = 0x16;
inline constexpr int kAdcResult1 = 0x17;
}  // namespace reg

namespace bit {
// DAC control: a channel's output is live while its bit and the reference are on.
inline constexpr std::uint16_t kDacChannel0 = 1u << 0;
inline constexpr std::uint16_t kDacChannel1 = 1u << 1;
inline constexpr std::uint16_t kDacReference = 1u << 2;
// ADC configuration. Bits 0 and 1 are what the bus master's ADC init sets (it
// writes 3); both boards keep them as written and act on neither.
inline constexpr std::uint16_t kAdcConfig0 = 1u << 0;
inline constexpr std::uint16_t kAdcConfig1 = 1u << 1;
inline constexpr std::uint16_t kAdcIrqOnDone = 1u << 2;  // raise the interrupt request when a conversion ends
// ADC command (written).
inline constexpr std::uint16_t kAdcStart = 1u << 0;   // start a conversion of both channels
inline constexpr std::uint16_t kAdcIrqAck = 1u << 1;  // clear the interrupt request
inline constexpr std::uint16_t kAdcIrqSet = 1u << 2;  // raise the interrupt request
// ADC status (read).
inline constexpr std::uint16_t kAdcBusy = 1u << 0;    // a conversion runs
inline constexpr std::uint16_t kAdcIrq = 1u << 2;     // the interrupt request is raised
}  // namespace bit

// Scales.
inline constexpr int kDacCodeMax = 255;           // 8-bit codes
inline constexpr double kDacFullScale = 3.3;      // volts at code 255
inline constexpr int kAdcCodeMax = 4095;          // 12-bit results
inline constexpr double kAdcVoltsPerCode = 0.0025;

// ---- the same as a table --------------------------------------------------------
enum class Access {
    read_write,
    read_only,
    command_status,  // written: command bits; read: status bits
};

struct Field {
    std::uint16_t mask;  // one of bit::
    std::string_view name;
    bool on_read;  // a status bit (read); else a bit that acts when written
    std::string_view meaning;
    constexpr int bit() const { return std::countr_zero(mask); }
};

struct Register {
    std::string_view name;
    int address;
    Access access;
    int bits;  // significant bits of the word
    std::span<const Field> fields;
    std::string_view unit;  // "" when the word is not a quantity
    double scale;           // unit per code
    std::string_view meaning;
};

inline constexpr Field kDacControlFields[] = {
    {bit::kDacChannel0, "CH0", false, "DAC channel 0 on"},
    {bit::kDacChannel1, "CH1", false, "DAC channel 1 on"},
    {bit::kDacReference, "REF", false, "reference on (no output without it)"},
};
inline constexpr Field kAdcConfigFields[] = {
    {bit::kAdcConfig0, "CFG0", false, "set by the ADC init; kept, no effect on this board"},
    {bit::kAdcConfig1, "CFG1", false, "set by the ADC init; kept, no effect on this board"},
    {bit::kAdcIrqOnDone, "IRQ_ON_DONE", false, "interrupt request when a conversion ends"},
};
inline constexpr Field kAdcCommandFields[] = {
    {bit::kAdcStart, "START", false, "start a conversion of both channels"},
    {bit::kAdcIrqAck, "IRQ_ACK", false, "clear the interrupt request"},
    {bit::kAdcIrqSet, "IRQ_SET", false, "raise the interrupt request"},
    {bit::kAdcBusy, "BUSY", true, "a conversion runs"},
    {bit::kAdcIrq, "IRQ", true, "the interrupt request is raised"},
};

inline constexpr Register kRegisterTable[] = {
    {"DAC_CONTROL", reg::kDacControl, Access::read_write, 3, kDacControlFields, "", 0.0, "DAC control bits"},
    {"DAC_CODE0", reg::kDacCode0, Access::read_write, 8, {}, "V", kDacFullScale / kDacCodeMax, "DAC channel 0 code"},
    {"DAC_CODE1", reg::kDacCode1, Access::read_write, 8, {}, "V", kDacFullScale / kDacCodeMax, "DAC channel 1 code"},
    {"ADC_CONFIG", reg::kAdcConfig, Access::read_write, 16, kAdcConfigFields, "", 0.0, "ADC configuration"},
    {"ADC_COMMAND", reg::kAdcCommand, Access::command_status, 3, kAdcCommandFields, "", 0.0,
     "ADC command (write) and status (read)"},
    {"ADC_SPARE0", reg::kAdcSpare0, Access::read_write, 16, {}, "", 0.0, "plain word"},
    {"ADC_SPARE1", reg::kAdcSpare1, Access::read_write, 16, {}, "", 0.0, "plain word"},
    {"ADC_SPARE2", reg::kAdcSpare2, Access::read_write, 16, {}, "", 0.0, "plain word"},
    {"ADC_RESULT0", reg::kAdcResult0, Access::read_only, 12, {}, "V", kAdcVoltsPerCode, "ADC channel 0 result"},
    {"ADC_RESULT1", reg::kAdcResult1, Access::read_only, 12, {}, "V", kAdcVoltsPerCode, "ADC channel 1 result"},
};
inline constexpr std::span<const Register> registers{kRegisterTable};

// The register of slave 2 at address, or nullptr (an unmapped one reads 0 and ignores writes).
constexpr const Register *find_register(int address)
{
    for (const Register &r : registers)
        if (r.address == address) return &r;
    return nullptr;
}

constexpr const char *access_name(Access a)
{
    switch (a) {
    case Access::read_write: return "rw";
    case Access::read_only: return "r";
    case Access::command_status: return "w command / r status";
    }
    return "?";
}

namespace check {
constexpr bool well_formed()
{
    for (std::size_t i = 0; i < registers.size(); ++i) {
        const Register &r = registers[i];
        if (r.address < 0 || r.address >= kRegisters || r.bits < 1 || r.bits > 16) return false;
        for (std::size_t j = i + 1; j < registers.size(); ++j)
            if (registers[j].address == r.address || registers[j].name == r.name) return false;
        for (const Field &f : r.fields)
            if (!std::has_single_bit(f.mask) || f.bit() >= r.bits) return false;
    }
    return true;
}
static_assert(well_formed(), "every register once, every field inside its word");
}  // namespace check

}  // namespace avalon::board
