// avalon: bus cycles, DAC and ADC of slave 2 on the simulated bench.
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "avalon/avalon.h"
#include "avalon/avalon_block.h"
#include "avalon/korvane_board.h"
#include "tests/vekta/vekta_bench_fixture.h"

namespace {

std::string trimmed(std::string s)
{
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s;
}

std::string write(const std::string &task, int byte)
{
    char buf[96];
    snprintf(buf, sizeof buf, "DAQmxWriteDigitalU8(%s, 1, 1, 10, 0, {0x%02x}, NULL, NULL) = 0", task.c_str(), byte);
    return buf;
}

}  // namespace

class Avalon : public BenchTest {
protected:
    void SetUp() override
    {
        BenchTest::SetUp();
        if (HasFatalFailure()) return;
        avalonInit();
        ASSERT_TRUE(errors.empty());
        calls();
    }
};

TEST_F(Avalon, InitSetsMasksAndIdleControl)
{
    const VektaCache *c = vekta_cacheView();
    EXPECT_EQ(c->port[0][0].mask, 255);
    EXPECT_EQ(c->port[1][0].mask, 255);
    EXPECT_EQ(c->port[2][0].mask, 7);
    EXPECT_EQ(c->portValue[2], 6);
    EXPECT_EQ(static_cast<int>(probe("port2")) & 7, 6);
}

TEST_F(Avalon, WriteCycleDrivesThePortsInOrder)
{
    long before = b->driver_calls();
    avalonWrite(2, 0x11, 4);
    EXPECT_EQ(b->driver_calls() - before, 8);
    EXPECT_EQ(calls(), (Lines{write("port0W255", 0x8A), write("port1W255", 0x00), write("port2W7", 7),
                              write("port2W7", 6), write("port0W255", 0x04), write("port1W255", 0x00),
                              write("port2W7", 2), write("port2W7", 6)}));
    EXPECT_EQ(reg(2, 0x11) & ~1u, 4u);  // bit 0 is the ADC's busy bit
    EXPECT_TRUE(errors.empty());
}

TEST_F(Avalon, AddressWordTakesSlaveAndThirteenAddressBits)
{
    avalonWriteFullAddress(9, 0xFFFF);  // slave bit 3 lands in the address bits; bits 13..15 dropped
    EXPECT_EQ(calls(), (Lines{write("port0W255", 0xF9), write("port1W255", 0xFF), write("port2W7", 7),
                              write("port2W7", 6)}));
}

TEST_F(Avalon, ReadCycleTurnsDataPortsAroundAndBuildsTheWord)
{
    ASSERT_EQ(b->poke_reg(0, 0x123, 0xBEEF), 0);
    unsigned short word = 0;
    avalonRead(0, 0x123, &word);  // the first read makes the input tasks
    EXPECT_EQ(word, 0xBEEF);
    calls();

    long before = b->driver_calls();
    word = 0;
    avalonRead(0, 0x123, &word);
    EXPECT_EQ(b->driver_calls() - before, 16);
    EXPECT_EQ(word, 0xBEEF);
    const int lo = (0x123 << 3) & 0xFF, hi = (0x123 >> 5) & 0xFF;
    Lines got = calls();
    ASSERT_EQ(got.size(), 16u);
    EXPECT_EQ(Lines(got.begin(), got.begin() + 4),
              (Lines{write("port0W255", lo), write("port1W255", hi), write("port2W7", 7), write("port2W7", 6)}));
    EXPECT_EQ(Lines(got.begin() + 4, got.begin() + 9),
              (Lines{"DAQmxStopTask(port0W255) = 0", "DAQmxStartTask(port0R0) = 0", "DAQmxStopTask(port1W255) = 0",
                     "DAQmxStartTask(port1R0) = 0", write("port2W7", 4)}));
    EXPECT_EQ(got[9], "DAQmxReadDigitalU8(port1R0, 1, 10, 0, {0xbe}, 1, NULL, NULL) = 0");
    EXPECT_EQ(got[10], "DAQmxReadDigitalU8(port0R0, 1, 10, 0, {0xef}, 1, NULL, NULL) = 0");
    EXPECT_EQ(Lines(got.begin() + 11, got.end()),
              (Lines{write("port2W7", 6), "DAQmxStopTask(port0R0) = 0", write("port0W255", lo),
                     "DAQmxStopTask(port1R0) = 0", write("port1W255", hi)}));
    // Afterwards the data ports drive the address word again.
    EXPECT_EQ(vekta_cacheView()->port[0][0].mask, 255);
    EXPECT_EQ(static_cast<int>(probe("port0")), lo);
    EXPECT_TRUE(errors.empty());
}

TEST_F(Avalon, MemoryRoundTripsAcrossTheAddressRange)
{
    const unsigned short addresses[] = {0, 1, 2, 0x7F, 0x80, 0x100, 0x555, 0x1000, 8190, 8191};
    for (unsigned short a : addresses) avalonWrite(0, a, static_cast<unsigned short>(a * 7 + 0x1234));
    for (unsigned short a : addresses) {
        unsigned short word = 0;
        avalonRead(0, a, &word);
        EXPECT_EQ(word, static_cast<unsigned short>(a * 7 + 0x1234)) << a;
        EXPECT_EQ(reg(0, a), static_cast<unsigned short>(a * 7 + 0x1234)) << a;
    }
    // A slave that does not answer reads as the pulled-down lines.
    unsigned short word = 0xFFFF;
    avalonRead(5, 3, &word);
    EXPECT_EQ(word, 0);
    EXPECT_TRUE(errors.empty());
}

TEST_F(Avalon, FailingPortCallsReportAndTheCycleGoesOn)
{
    // The address strobe's fall fails.
    b->fault("DAQmxWriteDigitalU8", "port2W7", DAQmxErrorOperationTimedOut, 2, 0);
    avalonWrite(0, 10, 0x55AA);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(trimmed(errors[0]), "Error = -200474, " + driverMessage(DAQmxErrorOperationTimedOut));
    EXPECT_EQ(callNames().size(), 8u);

    // A failed byte read reads as 0; the strobes and directions still return.
    avalonWrite(0, 11, 0x55AA);
    errors.clear();
    b->fault("DAQmxReadDigitalU8", "port1R0", DAQmxErrorPALResourceReserved, 1, 0);
    unsigned short word = 0;
    avalonRead(0, 11, &word);
    EXPECT_EQ(word, 0x00AA);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(trimmed(errors[0]), "Error = -50103, " + trimmed(driverMessage(DAQmxErrorPALResourceReserved)));
    EXPECT_EQ(vekta_cacheView()->port[0][0].mask, 255);
    EXPECT_EQ(vekta_cacheView()->port[1][0].mask, 255);
    EXPECT_EQ(static_cast<int>(probe("port2")) & 7, 6);

    // A null word pointer: the cycle runs, nothing is stored.
    avalonRead(0, 11, nullptr);
}

TEST(AvalonDAC, VoltageToCodeAndBack)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double volts;
        int code;
    } cases[] = {{0.0, 0},   {1.0, 77},   {1.65, 128}, {3.3, 255}, {5.0, 255},  {-1.0, 0},
                 {-0.001, 0}, {1e300, 255}, {-1e300, 0}, {inf, 255}, {-inf, 0}, {nan, 0}};
    for (const auto &c : cases) EXPECT_EQ(avalonDACvoltage2code(c.volts), c.code) << c.volts;
    EXPECT_DOUBLE_EQ(avalonDACcode2voltage(255), 3.3);
    EXPECT_EQ(avalonDACcode2voltage(0), 0.0);
    for (int code = 0; code < 256; code++) EXPECT_EQ(avalonDACvoltage2code(avalonDACcode2voltage(code)), code);
}

TEST_F(Avalon, DACCodesAndVoltagesReachTheOutputs)
{
    avalonDACInit();
    EXPECT_EQ(reg(2, 0), 7u);
    avalonDACSetCode(0, 128);
    avalonDACSetVoltage(1, 1.0);
    EXPECT_EQ(reg(2, 2), 128u);
    EXPECT_EQ(reg(2, 3), 77u);
    EXPECT_NEAR(probe("dac0"), 128 * 3.3 / 255, 1e-6);
    EXPECT_NEAR(probe("dac1"), 77 * 3.3 / 255, 1e-6);
    avalonDACSetCode(5, 9);  // any channel but 0 is channel 1
    EXPECT_EQ(reg(2, 3), 9u);
    avalonDACSetVoltage(0, 99.0);
    EXPECT_EQ(reg(2, 2), 255u);
    avalonDACDeinit();
    EXPECT_EQ(reg(2, 0), 0u);
    EXPECT_NEAR(probe("dac0"), 0.0, 1e-6);
    EXPECT_TRUE(errors.empty());
}

TEST_F(Avalon, ADCConvertsTheDACOutput)
{
    avalonDACInit();
    avalonDACSetCode(0, 200);
    avalonDACSetCode(1, 40);
    avalonADCInit();
    EXPECT_EQ(reg(2, 0x10), 3u);
    int code0 = -7, code1 = -7;
    calls();
    avalonADCGetCodeByStart(0, &code0);
    // Status reads of register 0x11 while bit 0 is set, then one with it
    // clear, and only then the address of the result register 0x16.
    std::vector<int> lowBytes;
    int resultAddressAt = -1;
    for (const std::string &line : calls()) {
        if (line.rfind("DAQmxReadDigitalU8(port0R0", 0) == 0)
            lowBytes.push_back(std::stoi(line.substr(line.find("{0x") + 1, 4), nullptr, 16));
        if (resultAddressAt < 0 && line == write("port0W255", (0x16 << 3 | 2) & 0xFF)) resultAddressAt = static_cast<int>(lowBytes.size());
    }
    ASSERT_GE(lowBytes.size(), 2u);
    EXPECT_EQ(resultAddressAt, static_cast<int>(lowBytes.size()) - 1);
    EXPECT_EQ(lowBytes[lowBytes.size() - 2] & 1, 0);
    for (size_t i = 0; i + 2 < lowBytes.size(); i++) EXPECT_EQ(lowBytes[i] & 1, 1) << i;
    avalonADCGetCodeByStart(1, &code1);
    EXPECT_NEAR(code0, 200 * 3.3 / 255 / 0.0025, 4);
    EXPECT_NEAR(code1, 40 * 3.3 / 255 / 0.0025, 4);
    EXPECT_TRUE(errors.empty());
}

TEST_F(Avalon, ADCThatNeverFinishesIsGivenUp)
{
    avalonADCInit();
    ASSERT_EQ(b->drive("adc-stuck", 1), 0);
    unsigned short word = 0;
    avalonRead(2, 0x11, &word);  // makes the input tasks
    int code = 1234;
    long before = b->driver_calls();
    avalonADCGetCodeByStart(0, &code);
    EXPECT_EQ(code, -1);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(trimmed(errors[0]), "ADC conversion on channel 0 not finished after 100 status reads");
    // The start, 100 status reads, and no result read.
    EXPECT_EQ(b->driver_calls() - before, 8 + 100 * 16);
    // The bus is idle and usable afterwards.
    b->drive("adc-stuck", 0);
    errors.clear();
    avalonADCGetCodeByStart(0, &code);
    EXPECT_GE(code, 0);
    EXPECT_TRUE(errors.empty());
}

// ---------------------------------------------------------------- block transfers

namespace {

constexpr int kWords = 8192;

std::vector<const char *> boards()
{
#ifdef KORVANE_HAVE_RTL_BOARD
    return {"model", "rtl"};
#else
    return {"model"};
#endif
}

}  // namespace

// The whole memory through the block path, on each board: every word right,
// the bus never driven from both ends, ten driver calls a word, and the ports
// back in the bus master's configuration for the next single cycle.
TEST_F(Avalon, BlockReadsTheWholeMemoryOnEveryBoard)
{
    b->trace_capture(0);
    for (const char *board : boards()) {
        SCOPED_TRACE(board);
        char why[512] = "";
        ASSERT_EQ(b->set_board(board, why, sizeof why), 0) << why;
        avalonInit();
        std::mt19937 rng(5);
        std::vector<unsigned short> memory(kWords), words(kWords, 0xDEAD);
        for (int a = 0; a < kWords; a++) {
            memory[a] = static_cast<unsigned short>(rng());
            ASSERT_EQ(b->poke_reg(0, a, memory[a]), 0);
        }
        const long before = b->driver_calls();
        ASSERT_EQ(avalonReadBlock(0, 0, words.data(), kWords), kWords);
        EXPECT_LE(b->driver_calls() - before, 10L * kWords + 40);
        EXPECT_TRUE(words == memory);
        EXPECT_EQ(probe("contention"), 0);
        EXPECT_TRUE(errors.empty());
        for (int port = 0; port < 3; port++) EXPECT_EQ(vekta_cacheView()->port[port][0].mask, port == 2 ? 7 : 255);
        unsigned short word = 0;
        avalonRead(0, kWords - 1, &word);
        EXPECT_EQ(word, memory[kWords - 1]);
        EXPECT_EQ(probe("contention"), 0);
    }
}

// Block transfers and single cycles in a random mix, on each board: each
// word read, either way, is the one last written, either way.
TEST_F(Avalon, BlockTransfersAgreeWithSingleCycles)
{
    b->trace_capture(0);
    for (const char *board : boards()) {
        SCOPED_TRACE(board);
        char why[512] = "";
        ASSERT_EQ(b->set_board(board, why, sizeof why), 0) << why;
        avalonInit();
        std::mt19937 rng(20);
        std::vector<unsigned short> memory(kWords);
        for (int a = 0; a < kWords; a++) memory[a] = static_cast<unsigned short>(reg(0, a));
        for (int step = 0; step < 200; step++) {
            const int first = static_cast<int>(rng() % kWords);
            const int count = 1 + static_cast<int>(rng() % std::min(40, kWords - first));
            std::vector<unsigned short> words(static_cast<size_t>(count));
            const unsigned op = rng() % 4;
            SCOPED_TRACE("step " + std::to_string(step) + ", op " + std::to_string(op));
            if (op < 2) {
                for (unsigned short &w : words) w = static_cast<unsigned short>(rng());
                if (op == 0)
                    ASSERT_EQ(avalonWriteBlock(0, static_cast<unsigned short>(first), words.data(), count), count);
                else
                    for (int i = 0; i < count; i++) avalonWrite(0, static_cast<unsigned short>(first + i), words[i]);
                std::copy(words.begin(), words.end(), memory.begin() + first);
            } else {
                if (op == 2)
                    ASSERT_EQ(avalonReadBlock(0, static_cast<unsigned short>(first), words.data(), count), count);
                else
                    for (int i = 0; i < count; i++) avalonRead(0, static_cast<unsigned short>(first + i), &words[i]);
                ASSERT_TRUE(std::equal(words.begin(), words.end(), memory.begin() + first));
            }
        }
        for (int a = 0; a < kWords; a++) ASSERT_EQ(reg(0, a), memory[a]) << a;
        EXPECT_EQ(probe("contention"), 0);
        EXPECT_TRUE(errors.empty());
    }
}

// The two paths a block chooses between by its length, each used whatever
// the length: words written one way read back the other, at their addresses.
TEST_F(Avalon, TheSinglePortAndTheGroupPathsAgreeAtEveryLength)
{
    avalonInit();
    std::mt19937 rng(36);
    for (int count = 1; count <= 12; count++) {
        SCOPED_TRACE(count);
        const unsigned short first = static_cast<unsigned short>(rng() % (kWords - count));
        std::vector<unsigned short> out(static_cast<size_t>(count)), back(static_cast<size_t>(count));
        for (unsigned short &w : out) w = static_cast<unsigned short>(rng());
        ASSERT_EQ(avalonWriteCycles(0, first, out.data(), count), count);
        for (int i = 0; i < count; i++) ASSERT_EQ(reg(0, first + i), out[static_cast<size_t>(i)]) << i;
        ASSERT_EQ(avalonReadGroup(0, first, back.data(), count), count);
        EXPECT_EQ(back, out);
        for (unsigned short &w : out) w = static_cast<unsigned short>(rng());
        ASSERT_EQ(avalonWriteGroup(0, first, out.data(), count), count);
        ASSERT_EQ(avalonReadCycles(0, first, back.data(), count), count);
        EXPECT_EQ(back, out);
    }
    EXPECT_TRUE(errors.empty());
}

// A block that fails part-way says where, after a report line; the ports go
// back all the same and the next cycles run as before.
TEST_F(Avalon, BlockStopsAtTheFailedWordAndGivesThePortsBack)
{
    for (int a = 0; a < 16; a++) ASSERT_EQ(b->poke_reg(0, a, static_cast<unsigned>(a * 0x111)), 0);
    std::vector<unsigned short> words(10);
    b->fault("DAQmxReadDigitalU8", "ports0to1R0", DAQmxErrorOperationTimedOut, 3, 0);
    EXPECT_EQ(avalonReadBlock(0, 0, words.data(), 10), 2);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(trimmed(errors[0]), "Error = -200474, " + driverMessage(DAQmxErrorOperationTimedOut));
    EXPECT_EQ(words[1], 0x111);
    unsigned short word = 0;
    avalonRead(0, 5, &word);
    EXPECT_EQ(word, 0x555);

    errors.clear();
    const unsigned short data[4] = {1, 2, 3, 4};
    // Its fourth write: the group's start, word 0's data, word 1's address, word 1's data.
    b->fault("DAQmxWriteDigitalU8", "ports0to1W255", DAQmxErrorOperationTimedOut, 4, 0);
    EXPECT_EQ(avalonWriteBlock(0, 8, data, 4), 1);
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(reg(0, 8), 1u);
    // No write strobe over lines that kept the address: word 1's place is untouched.
    EXPECT_EQ(reg(0, 9), 0x999u);

    // Word 1's address fails: no address strobe over word 0's data, which as an
    // address would send word 1 to location 12.
    errors.clear();
    const unsigned short to12[2] = {static_cast<unsigned short>(12 << avalon::board::kSlaveBits), 0xBAD};
    b->fault("DAQmxWriteDigitalU8", "ports0to1W255", DAQmxErrorOperationTimedOut, 3, 0);
    EXPECT_EQ(avalonWriteBlock(0, 8, to12, 2), 1);
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(reg(0, 12), 0xCCCu);
    EXPECT_EQ(reg(0, 9), 0x999u);
    avalonWrite(0, 9, 0x99);
    EXPECT_EQ(reg(0, 9), 0x99u);
    EXPECT_EQ(static_cast<int>(probe("port2")) & 7, 6);
    EXPECT_EQ(probe("contention"), 0);

    // The data ports fail to turn to input: no read strobe while they still drive.
    errors.clear();
    b->fault("DAQmxStartTask", "ports0to1R0", DAQmxErrorOperationTimedOut, 1, 0);
    EXPECT_EQ(avalonReadBlock(0, 0, words.data(), 2), 0);
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(probe("contention"), 0);
}
