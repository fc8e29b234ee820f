// The target board alone: the Avalon decoder fed pin levels, and the registers
// of slave 0 (memory) and slave 2 (DAC, ADC).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "sim/board/board.h"
#include "sim/board/board_socket.h"
#include "avalon/korvane_board.h"

using sim::AvalonDecoder;
using sim::Board;
using sim::Peripherals;

namespace {


uint32_t pins(uint16_t bus, bool as, bool rd, bool wr)  // rd/wr: active
{
    return bus | (as ? sim::kAddressStrobe : 0) | (rd ? 0 : sim::kReadStrobe) | (wr ? 0 : sim::kWriteStrobe);
}

TEST(AvalonDecoder, WriteCycleGivesOneWriteTransaction)
{
    AvalonDecoder d;
    EXPECT_EQ(d.step(pins(0x8A, false, false, false)).count, 0);
    EXPECT_EQ(d.step(pins(0x8A, true, false, false)).count, 0);
    EXPECT_EQ(d.state(), AvalonDecoder::State::Address);
    EXPECT_STREQ(AvalonDecoder::state_name(d.state()), "address");
    d.step(pins(0x008A, false, false, false));
    EXPECT_EQ(d.slave(), 2);
    EXPECT_EQ(d.address(), 0x11);
    d.step(pins(0x0004, false, false, false));
    auto ev = d.step(pins(0x0004, false, false, true));
    ASSERT_EQ(ev.count, 1);
    EXPECT_EQ(ev.e[0].kind, AvalonDecoder::Event::Write);
    EXPECT_EQ(ev.e[0].slave, 2);
    EXPECT_EQ(ev.e[0].address, 0x11);
    EXPECT_EQ(ev.e[0].data, 4);
    EXPECT_EQ(d.state(), AvalonDecoder::State::Write);
    // The data changing while the strobe stays low writes nothing more.
    EXPECT_EQ(d.step(pins(0x0005, false, false, true)).count, 0);
    EXPECT_EQ(d.step(pins(0x0005, false, false, false)).count, 0);
    EXPECT_EQ(d.state(), AvalonDecoder::State::Idle);
}

TEST(AvalonDecoder, AddressLatchedWhileStrobeHigh)
{
    AvalonDecoder d;
    d.step(pins(0x1111, true, false, false));
    d.step(pins(0x2222, true, false, false));
    d.step(pins(0x3333, false, false, false));
    EXPECT_EQ(d.address_word(), 0x2222) << "the last word seen while the strobe was high";
}

TEST(AvalonDecoder, ReadStartsAndEnds)
{
    AvalonDecoder d;
    d.step(pins(0x0010, true, false, false));
    d.step(pins(0x0010, false, false, false));
    auto ev = d.step(pins(0x0010, false, true, false));
    ASSERT_EQ(ev.count, 1);
    EXPECT_EQ(ev.e[0].kind, AvalonDecoder::Event::ReadStart);
    EXPECT_EQ(ev.e[0].address, 2);
    ev = d.step(pins(0x0010, false, false, false));
    ASSERT_EQ(ev.count, 1);
    EXPECT_EQ(ev.e[0].kind, AvalonDecoder::Event::ReadEnd);
}

TEST(AvalonDecoder, BothStrobesTogetherAreIgnored)
{
    AvalonDecoder d;
    EXPECT_EQ(d.step(pins(0x1234, false, true, true)).count, 0);
    EXPECT_EQ(d.state(), AvalonDecoder::State::Conflict);
    // Releasing one strobe leaves the other active without an edge: still no write.
    EXPECT_EQ(d.step(pins(0x1234, false, false, true)).count, 0);
    EXPECT_EQ(d.state(), AvalonDecoder::State::Write);
    // Read then straight to write: the read ends and the write happens.
    d.step(pins(0, false, false, false));
    d.step(pins(0, false, true, false));
    auto ev = d.step(pins(0x00AA, false, false, true));
    ASSERT_EQ(ev.count, 2);
    EXPECT_EQ(ev.e[0].kind, AvalonDecoder::Event::ReadEnd);
    EXPECT_EQ(ev.e[1].kind, AvalonDecoder::Event::Write);
    EXPECT_EQ(ev.e[1].data, 0xAA);
}

TEST(Peripherals, DacOutputsOnlyWithEnableAndReference)
{
    Peripherals p;
    p.write(Peripherals::kDacCode0, 255, 0);
    p.write(Peripherals::kDacCode1, 0x1080, 0);  // 8-bit code
    EXPECT_EQ(p.read(Peripherals::kDacCode1, 0), 0x80);
    struct Case {
        uint16_t control;
        double v0, v1;
    } cases[] = {{0, 0, 0}, {1, 0, 0}, {4, 0, 0}, {5, 3.3, 0}, {6, 0, 128 * 3.3 / 255}, {7, 3.3, 128 * 3.3 / 255}};
    for (const Case &c : cases) {
        p.write(Peripherals::kDacControl, c.control, 0);
        EXPECT_NEAR(p.dac_volts(0), c.v0, 1e-12) << c.control;
        EXPECT_NEAR(p.dac_volts(1), c.v1, 1e-12) << c.control;
    }
    p.write(Peripherals::kDacControl, 0xFF, 0);
    EXPECT_EQ(p.read(Peripherals::kDacControl, 0), 7);
}

TEST(Peripherals, AdcConversionTakesTimeAndConvertsTheDac)
{
    Peripherals p;
    p.write(Peripherals::kDacCode0, 100, 0);
    p.write(Peripherals::kDacCode1, 200, 0);
    p.write(Peripherals::kDacControl, 7, 0);
    p.write(Peripherals::kAdcCommand, 1, 1000);
    EXPECT_EQ(p.read(Peripherals::kAdcCommand, 1000) & 1, 1);
    EXPECT_EQ(p.read(Peripherals::kAdcResult0, 1000), 0) << "no result before the end";
    EXPECT_EQ(p.read(Peripherals::kAdcCommand, 1000 + Peripherals::kConversionNs - 1) & 1, 1);
    EXPECT_EQ(p.read(Peripherals::kAdcCommand, 1000 + Peripherals::kConversionNs) & 1, 0);
    EXPECT_EQ(p.read(Peripherals::kAdcResult0, 30000), std::lround(100 * 3.3 / 255 / 0.0025));
    EXPECT_EQ(p.read(Peripherals::kAdcResult1, 30000), std::lround(200 * 3.3 / 255 / 0.0025));
    EXPECT_EQ(p.read(Peripherals::kAdcResult0, 30000), p.read(0x16, 30000));
}

TEST(Peripherals, AdcSamplesAtTheStartAndClamps)
{
    Peripherals p;
    p.set_adc_override(0, 2.0);
    p.write(Peripherals::kAdcCommand, 1, 0);
    p.set_adc_override(0, 3.0);  // after the hold: no effect on this conversion
    EXPECT_EQ(p.read(Peripherals::kAdcResult0, 100'000), 800);
    p.set_adc_override(0, 20.0);
    p.set_adc_override(1, -1.0);
    p.write(Peripherals::kAdcCommand, 1, 100'000);
    EXPECT_EQ(p.read(Peripherals::kAdcResult0, 200'000), 4095);
    EXPECT_EQ(p.read(Peripherals::kAdcResult1, 200'000), 0);
    p.set_adc_override(0, NAN);  // back to the DAC, which is off
    p.write(Peripherals::kAdcCommand, 1, 200'000);
    EXPECT_EQ(p.read(Peripherals::kAdcResult0, 300'000), 0);
}

TEST(Peripherals, StuckAdcNeverFinishes)
{
    Peripherals p;
    p.set_adc_stuck(true);
    p.write(Peripherals::kAdcCommand, 1, 0);
    EXPECT_EQ(p.read(Peripherals::kAdcCommand, 1'000'000'000) & 1, 1);
    p.set_adc_stuck(false);
    EXPECT_EQ(p.read(Peripherals::kAdcCommand, 1'000'000'001) & 1, 0);
}

TEST(Peripherals, InterruptRequestAndAcknowledge)
{
    Peripherals p;
    p.write(Peripherals::kAdcCommand, 4, 0);
    EXPECT_EQ(p.read(Peripherals::kAdcCommand, 0), 4);
    p.write(Peripherals::kAdcCommand, 2, 0);
    EXPECT_EQ(p.read(Peripherals::kAdcCommand, 0), 0);
    // Raised at the end of a conversion only when configured to.
    p.write(Peripherals::kAdcCommand, 1, 0);
    EXPECT_EQ(p.read(Peripherals::kAdcCommand, 100'000), 0);
    p.write(Peripherals::kAdcConfig, Peripherals::kAdcIrqOnDone | 3, 100'000);
    p.write(Peripherals::kAdcCommand, 1, 100'000);
    EXPECT_EQ(p.read(Peripherals::kAdcCommand, 100'001), 1);
    EXPECT_EQ(p.read(Peripherals::kAdcCommand, 200'000), 4);
    p.write(Peripherals::kAdcCommand, 2, 200'000);
    EXPECT_EQ(p.read(Peripherals::kAdcCommand, 200'000), 0);
}

TEST(Peripherals, SpareRegistersHoldAndResultsAreReadOnly)
{
    Peripherals p;
    for (int r = 0x12; r <= 0x14; ++r) p.write(r, static_cast<uint16_t>(0x100 + r), 0);
    for (int r = 0x12; r <= 0x14; ++r) EXPECT_EQ(p.read(r, 0), 0x100 + r);
    p.write(Peripherals::kAdcResult0, 123, 0);
    EXPECT_EQ(p.read(Peripherals::kAdcResult0, 0), 0);
    p.poke(Peripherals::kAdcResult0, 123, 0);
    EXPECT_EQ(p.read(Peripherals::kAdcResult0, 0), 123);
    EXPECT_EQ(p.read(0x1F, 0), 0) << "unmapped";
}

TEST(Board, MemoryRangeAndSilentSlaves)
{
    Board b;
    uint16_t w = 1;
    EXPECT_TRUE(b.write_reg(0, 0, 0xAAAA, 0));
    EXPECT_TRUE(b.write_reg(0, 8191, 0x5555, 0));
    EXPECT_FALSE(b.write_reg(0, 8192, 1, 0));
    EXPECT_FALSE(b.write_reg(0, -1, 1, 0));
    EXPECT_TRUE(b.read_reg(0, 8191, 0, w));
    EXPECT_EQ(w, 0x5555);
    for (int s : {1, 3, 4, 5, 6, 7}) EXPECT_FALSE(b.read_reg(s, 0, 0, w)) << s;
    b.reset();
    EXPECT_TRUE(b.read_reg(0, 0, 0, w));
    EXPECT_EQ(w, 0) << "power-up state";
}

TEST(Board, ReadCycleDrivesTheBusOnlyWhileStrobed)
{
    Board b;
    b.write_reg(0, 3, 0xCAFE, 0);
    b.update(pins(3 << 3, true, false, false), 0);
    b.update(pins(3 << 3, false, false, false), 0);
    EXPECT_EQ(b.drive_mask(), 0u);
    b.update(pins(0, false, true, false), 0);
    EXPECT_EQ(b.drive_mask(), sim::kBusMask);
    EXPECT_EQ(b.drive_levels(), 0xCAFEu);
    b.update(pins(0xCAFE, false, false, false), 0);
    EXPECT_EQ(b.drive_mask(), 0u);
    ASSERT_EQ(b.transactions().size(), 1u);
    EXPECT_FALSE(b.transactions().back().write);
    EXPECT_TRUE(b.transactions().back().answered);
    // A slave that does not answer: no drive.
    b.update(pins(5, true, false, false), 0);
    b.update(pins(5, false, true, false), 0);
    EXPECT_EQ(b.drive_mask(), 0u);
    EXPECT_FALSE(b.transactions().back().answered);
}

// The printed register map and the model agree: a word of ones written to each
// register reads back as the table's access and width say, status bits are
// only those the table names, and an address the table does not list reads 0.
TEST(Peripherals, BehaveAsTheRegisterTableSays)
{
    namespace kb = avalon::board;
    for (int address = 0; address < 0x40; ++address) {
        Peripherals p;
        p.write(address, 0xFFFF, 0);
        const uint16_t word = p.read(address, 0);
        const kb::Register *r = kb::find_register(address);
        if (!r) {
            EXPECT_EQ(word, 0) << "unmapped 0x" << std::hex << address;
            continue;
        }
        SCOPED_TRACE(std::string(r->name));
        switch (r->access) {
        case kb::Access::read_write: EXPECT_EQ(word, (1u << r->bits) - 1); break;
        case kb::Access::read_only: EXPECT_EQ(word, 0); break;
        case kb::Access::command_status: {
            uint16_t status = 0;
            for (const kb::Field &f : r->fields)
                if (f.on_read) status |= f.mask;
            EXPECT_NE(word, 0) << "the command set some status";
            EXPECT_EQ(word & ~status, 0) << "status bits the table does not name";
            break;
        }
        }
    }
}

// A board library the bench cannot use safely is one line naming the file,
// never a crash or a hang: a table of another version, a short or incomplete
// one, no table; a truncated library (dlopen would die of SIGBUS), a FIFO (it
// would block), a folder, a device, an empty file.
TEST(BoardLibrary, UnusableLibrariesAreRefusedWithOneLine)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(::testing::TempDir()) / ("board_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string truncated = (dir / "libtruncated.so").string(), fifo = (dir / "board.fifo").string(),
                      empty = (dir / "empty.so").string();
    {
        std::ifstream in(KORVANE_ODD_BOARD_DIR "/libodd-board-1.so", std::ios::binary);
        const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_GT(whole.size(), 8192u);
        std::ofstream(truncated, std::ios::binary) << whole.substr(0, 1024);
        std::ofstream{empty};
    }
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string odd = KORVANE_ODD_BOARD_DIR "/libodd-board-";
    const std::pair<std::string, std::string> cases[] = {
        {odd + "1.so", "incomplete board interface table (NULL: reset, probe)"},
        {odd + "2.so", "board interface version 2, korvane speaks 1"},
        {odd + "3.so", "board interface table of " + std::to_string(sizeof(ksim_board_api) - sizeof(void *)) +
                           " bytes, korvane's version 1 has " + std::to_string(sizeof(ksim_board_api))},
        {odd + "4.so", "incomplete board interface table (NULL: name)"},
        {odd + "5.so", "incomplete board interface table (NULL: signal_name, signal_value, watch)"},
        {odd + "6.so", "not a board library (ksim_board_entry gave no interface table)"},
        {truncated, "truncated (a loadable segment ends at byte"},
        {fifo, "not a regular file (a FIFO)"},
        {dir.string(), "not a regular file (a folder)"},
        {"/dev/zero", "not a regular file (a device)"},
        {empty, "an empty file"},
    };
    for (const auto &[path, reason] : cases) {
        std::string error;
        EXPECT_EQ(sim::BoardSocket::load(path, error), nullptr) << path;
        EXPECT_EQ(error.rfind(path + ": " + reason, 0), 0u) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
    fs::remove_all(dir);
}

}  // namespace
