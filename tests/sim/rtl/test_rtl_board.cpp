// The RTL board against the C++ model: the same random bus cycles, pin by pin
// through the board interface, must read the same words and leave the same
// registers. A variant of the RTL that drops writes to one address must be caught.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "sim/device/bench.h"
#include "sim/board/board_socket.h"

namespace {

constexpr uint32_t kAs = KSIM_BOARD_ADDRESS_STROBE;
constexpr uint32_t kRd = KSIM_BOARD_READ_STROBE;
constexpr uint32_t kWr = KSIM_BOARD_WRITE_STROBE;
constexpr uint32_t kIdle = kRd | kWr;

// A bus master on one board's lines, one port access every dt (4 us over the DAQ;
// shorter here, so that status reads fall inside a conversion).
struct Rig {
    sim::BoardSocket &board;
    int64_t t = 0;
    int64_t dt = 4'000;
    uint32_t out_mask = 0;  // lines the master drives
    uint32_t out = 0;

    uint32_t levels()
    {
        uint32_t bm = 0, bl = 0;
        board.drive(t, bm, bl);
        const uint32_t pm = board.api().pull_mask, pl = board.api().pull_levels;
        return (out_mask & out) | (~out_mask & bm & bl) | (~out_mask & ~bm & pm & pl);
    }
    void step(uint32_t mask, uint32_t value)
    {
        out_mask = mask;
        out = value;
        board.lines(t, levels());
        t += dt;
    }
    void address(int slave, int reg)
    {
        const uint32_t word = static_cast<uint32_t>(reg << 3 | slave) & 0xFFFF;
        step(0x07FFFF, word | kIdle);
        step(0x07FFFF, word | kIdle | kAs);
        step(0x07FFFF, word | kIdle);
    }
    void write(int slave, int reg, uint16_t data)
    {
        address(slave, reg);
        step(0x07FFFF, data | kIdle);
        step(0x07FFFF, data | kRd);
        step(0x07FFFF, data | kIdle);
    }
    uint16_t read(int slave, int reg)
    {
        address(slave, reg);
        step(0x070000, kIdle);
        step(0x070000, kWr);
        const uint16_t word = static_cast<uint16_t>(levels() & 0xFFFF);
        t += dt;
        step(0x070000, kIdle);
        return word;
    }
};

// Runs the same random cycles on both boards; returns what differs, the first few.
std::vector<std::string> cross_check(sim::BoardSocket &a, sim::BoardSocket &b, uint32_t seed, int cycles)
{
    std::vector<std::string> diffs;
    auto differ = [&](const char *what, int slave, int reg, unsigned wa, unsigned wb) {
        if (wa == wb || diffs.size() >= 8) return;
        char buf[160];
        std::snprintf(buf, sizeof buf, "%s slave %d address 0x%04x: %s 0x%04x, %s 0x%04x", what, slave, reg,
                      a.name(), wa, b.name(), wb);
        diffs.push_back(buf);
    };
    Rig ra{a}, rb{b};
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const int regs2[] = {0x00, 0x02, 0x03, 0x10, 0x11, 0x12, 0x13, 0x14, 0x16, 0x17, 0x01, 0x15, 0x1FFF};
    for (int i = 0; i < cycles; ++i) {
        // Memory: half the cycles on a few words, so reads meet earlier writes.
        const int mem = pick(2) ? pick(32) : pick(8192);
        const int reg2 = regs2[pick(13)];
        const uint16_t data = static_cast<uint16_t>(rng());
        ra.dt = rb.dt = (1 + pick(4)) * 1'000;
        switch (pick(10)) {
        case 0:
        case 1:
            ra.write(0, mem, data);
            rb.write(0, mem, data);
            break;
        case 2:
        case 3:
            differ("read", 0, mem, ra.read(0, mem), rb.read(0, mem));
            break;
        case 4:
            ra.write(2, reg2, data);
            rb.write(2, reg2, data);
            break;
        case 5:
        case 6: differ("read", 2, reg2, ra.read(2, reg2), rb.read(2, reg2)); break;
        case 7: {
            // A conversion: the DAC set, a start with the interrupt bits, the status polled.
            const uint16_t ctl = static_cast<uint16_t>(pick(8)), cmd = static_cast<uint16_t>(pick(8));
            const int code_reg = 0x02 + pick(2);
            for (Rig *r : {&ra, &rb}) {
                r->write(2, 0x00, ctl);
                r->write(2, code_reg, data & 0xFF);
                r->write(2, 0x11, cmd);
            }
            for (int k = pick(4); k > 0; --k) differ("read", 2, 0x11, ra.read(2, 0x11), rb.read(2, 0x11));
            break;
        }
        case 8: {
            // Time passes: a multiple of 1 us up to past the conversion time.
            const int64_t ns = pick(26) * 1'000;
            ra.t += ns;
            rb.t += ns;
            break;
        }
        case 9: {
            const int other = 1 + pick(7);
            differ("read", other, mem, ra.read(other, mem), rb.read(other, mem));
            break;
        }
        }
    }
    // Every register of both slaves.
    for (int slave : {0, 2})
        for (int reg = 0; reg < (slave == 0 ? 8192 : 0x20); ++reg) {
            uint16_t wa = 0, wb = 0;
            const bool ok_a = a.read_reg(slave, reg, ra.t, wa), ok_b = b.read_reg(slave, reg, rb.t, wb);
            differ("register", slave, reg, ok_a ? wa : 0x10000u, ok_b ? wb : 0x10000u);
        }
    for (int ch = 0; ch < 2; ++ch)
        differ("DAC volts x1000 of", 2, ch, static_cast<unsigned>(a.dac_volts(ch, ra.t) * 1000),
               static_cast<unsigned>(b.dac_volts(ch, rb.t) * 1000));
    return diffs;
}

std::unique_ptr<sim::BoardSocket> load(const char *path)
{
    std::string error;
    auto b = sim::BoardSocket::load(path, error);
    EXPECT_TRUE(b) << error;
    return b;
}

TEST(RtlBoard, AgreesWithTheModelOnRandomBusCycles)
{
    auto model = sim::BoardSocket::model();
    auto rtl = load(KORVANE_RTL_BOARD);
    ASSERT_TRUE(rtl);
    EXPECT_STREQ(rtl->name(), "rtl korvane_board");
    for (uint32_t seed : {1u, 2u}) {
        model->reset();
        rtl->reset();
        const auto diffs = cross_check(*model, *rtl, seed, 5'000);
        EXPECT_TRUE(diffs.empty()) << "seed " << seed << ": " << diffs.front();
    }
    // Clocked on every edge instead of skipping the quiet ones: the same.
    setenv("KORVANE_RTL_SETTLE_CYCLES", "0", 1);
    auto every_edge = load(KORVANE_RTL_BOARD);
    unsetenv("KORVANE_RTL_SETTLE_CYCLES");
    ASSERT_TRUE(every_edge);
    model->reset();
    const auto diffs = cross_check(*model, *every_edge, 3, 1'000);
    EXPECT_TRUE(diffs.empty()) << "every edge: " << diffs.front();
}

TEST(RtlBoard, CrossCheckNamesTheAddressWhereAVariantDropsWrites)
{
    auto model = sim::BoardSocket::model();
    auto variant = load(KORVANE_RTL_DROP_BOARD);
    ASSERT_TRUE(variant);
    const auto diffs = cross_check(*model, *variant, 1, 2'000);
    ASSERT_FALSE(diffs.empty());
    for (const std::string &d : diffs) EXPECT_NE(d.find("slave 0 address 0x0011:"), std::string::npos) << d;
}

// A top with the bus ports only builds and runs: reads answered, no DAC, no back door.
TEST(RtlBoard, ATopWithTheBusPortsOnlyIsABoard)
{
    auto board = load(KORVANE_RTL_BUS_ONLY_BOARD);
    ASSERT_TRUE(board);
    Rig rig{*board};
    EXPECT_EQ(rig.read(0, 5), 0x1234);
    EXPECT_EQ(board->dac_volts(0, rig.t), 0.0);
    uint16_t word = 0;
    EXPECT_FALSE(board->read_reg(0, 5, rig.t, word));
    EXPECT_FALSE(board->poke_reg(0, 5, 1, rig.t));
}

// The bench's board state file goes through any board's back door: the RTL
// board writes the model's text for the same registers, and reads it back.
TEST(RtlBoard, BenchStateTextIsTheModels)
{
    sim::Bench model(std::make_shared<sim::VirtualClock>()), rtl(std::make_shared<sim::VirtualClock>());
    std::string error;
    ASSERT_EQ(rtl.set_board(KORVANE_RTL_BOARD, error), 0) << error;
    EXPECT_STREQ(rtl.board_name(), "rtl korvane_board (" KORVANE_RTL_BOARD ")");
    for (sim::Bench *b : {&model, &rtl}) {
        b->poke_reg(0, 0x1ABC, 0xBEEF);
        b->poke_reg(2, 0x00, 5);
        b->poke_reg(2, 0x03, 0x80);
        b->poke_reg(2, 0x11, 4);
        b->poke_reg(2, 0x17, 0x123);
    }
    auto text = [](sim::Bench &b) {
        std::string t(b.board_state(nullptr, 0), '\0');
        b.board_state(t.data(), t.size());
        return t;
    };
    const std::string saved = text(model);
    EXPECT_EQ(text(rtl), saved);
    rtl.reset();
    ASSERT_EQ(rtl.set_board_state(saved.c_str()), 0);
    unsigned w = 0;
    rtl.probe_reg(0, 0x1ABC, &w);
    EXPECT_EQ(w, 0xBEEFu);
    rtl.probe_reg(2, 0x11, &w);
    EXPECT_EQ(w, 4u);
    EXPECT_EQ(rtl.set_board_state("no state"), -1);
}

}  // namespace
