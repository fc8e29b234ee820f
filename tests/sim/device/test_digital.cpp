// Digital lines: who drives each line, and what the DAQ reads back.
#include <random>

#include "tests/sim/device/bench_fixture.h"

namespace {

using DigitalTest = BenchTest;

TEST_F(DigitalTest, UndrivenLinesReadThePullsOfDaqAndBoard)
{
    EXPECT_EQ(port(0), 0u);
    EXPECT_EQ(port(1), 0u);
    // The board holds its strobe inputs idle: read and write strobes high.
    EXPECT_EQ(port(2), 0x06u);
    TaskHandle r = di_task("port2R0", "PXI1Slot2/port2");
    EXPECT_EQ(read(r), 0x06);
}

TEST_F(DigitalTest, LineListsUseTheirOwnBitPositions)
{
    TaskHandle w = do_task("port2W5", "PXI1Slot2/port2/line0,PXI1Slot2/port2/line2");
    ASSERT_EQ(write(w, 0xFF), 0);
    EXPECT_EQ(bench.daq_output_mask(), 0x050000u) << "only the task's lines are driven";
    EXPECT_EQ(port(2), 0x07u) << "line 1 keeps the board's pull-up";
    ASSERT_EQ(write(w, 0x00), 0);
    EXPECT_EQ(port(2), 0x02u);
    EXPECT_EQ(read(w), 0x00) << "a read of an output task gives the level it drives, masked to its lines";
    TaskHandle r = di_task("port2R250", "PXI1Slot2/port2/line1,PXI1Slot2/port2/line3:7");
    EXPECT_EQ(read(r), 0x02);
}

TEST_F(DigitalTest, LinesKeepTheirStateAfterStopAndClear)
{
    TaskHandle w = do_task("port1W255", "PXI1Slot2/port1");
    ASSERT_EQ(write(w, 0xA5), 0);
    ASSERT_EQ(bench.StopTask(w), 0);
    EXPECT_EQ(port(1), 0xA5u);
    ASSERT_EQ(bench.ClearTask(w), 0);
    EXPECT_EQ(port(1), 0xA5u) << "static lines hold their last output";
    // Starting an input task on them makes them inputs.
    TaskHandle r = di_task("port1R0", "PXI1Slot2/port1");
    EXPECT_EQ(port(1), 0xA5u) << "creating the task changes nothing";
    ASSERT_EQ(bench.StartTask(r), 0);
    EXPECT_EQ(port(1), 0x00u);
    EXPECT_EQ(bench.daq_output_mask() & 0xFF00u, 0u);
}

// Lines go the way of the task that last took them, while no other task
// runs on them: one running task reserves a line.
TEST_F(DigitalTest, LastUserSetsTheDirection)
{
    TaskHandle r = di_task("port0R0", "PXI1Slot2/port0");
    TaskHandle w = do_task("port0W255", "PXI1Slot2/port0");
    ASSERT_EQ(write(w, 0x3C), 0);
    ASSERT_EQ(bench.StartTask(r), 0);
    EXPECT_EQ(read(r), 0x00);
    EXPECT_EQ(bench.daq_output_mask() & 0xFFu, 0u) << "no longer driven";
    EXPECT_EQ(write(w, 0x3C), DAQmxErrorDigLinesReservedOrUnavailable) << "the running input task holds them";
    ASSERT_EQ(bench.StopTask(r), 0);
    EXPECT_EQ(port(0), 0x00u) << "stopped, the input task leaves them inputs";
    EXPECT_EQ(read(w), 0x3C) << "reading the output task back drives its lines again";
    EXPECT_EQ(port(0), 0x3Cu);
    EXPECT_EQ(read(r), 0x00) << "an input task's read takes them back";
}

// Reading an output task back commits it, and a committed output task drives
// its lines at the level the device's output latch holds for each line: the
// last level written by any task, low after power-up.
TEST_F(DigitalTest, ReadingBackAnOutputTaskDrivesItsLinesAtTheLatchedLevels)
{
    TaskHandle low = do_task("port1W15", "PXI1Slot2/port1/line0:3");
    ASSERT_EQ(write(low, 0x0F), 0);
    TaskHandle r = di_task("port1R0", "PXI1Slot2/port1");
    ASSERT_EQ(bench.StartTask(r), 0);
    ASSERT_EQ(bench.StopTask(r), 0);
    EXPECT_EQ(port(1), 0x00u) << "inputs, pulled down";
    TaskHandle all = do_task("port1W255", "PXI1Slot2/port1");
    EXPECT_EQ(bench.daq_output_mask() & 0xFF00u, 0u) << "making the task drives nothing";
    EXPECT_EQ(read(all), 0x0F) << "lines 0..3 latched high by the other task, 4..7 low since power-up";
    EXPECT_EQ(bench.daq_output_mask() & 0xFF00u, 0xFF00u);
    EXPECT_EQ(port(1), 0x0Fu);
    EXPECT_EQ(bench.find_task(all)->state, sim::Bench::State::Created) << "and the read left it as it was";
    EXPECT_EQ(port(1), 0x0Fu) << "static lines hold their level";

    // An explicit start commits too.
    ASSERT_EQ(bench.StartTask(r), 0);
    ASSERT_EQ(bench.StopTask(r), 0);
    ASSERT_EQ(bench.StartTask(low), 0);
    EXPECT_EQ(bench.daq_output_mask() & 0xFF00u, 0x0F00u);
    EXPECT_EQ(port(1), 0x0Fu);
}

// The board drives the data lines during a read strobe; reading back an
// output task of those lines then drives them too: contention, noted in the
// call's notes (the trace) and counted, with the DAQ's latched level winning.
TEST_F(DigitalTest, ReadingBackAnOutputTaskWhileTheBoardDrivesIsContention)
{
    bench.board().write_reg(0, 0x40, 0x9A5C, 0);
    TaskHandle p0 = do_task("port0W255", "PXI1Slot2/port0");
    TaskHandle p1 = do_task("port1W255", "PXI1Slot2/port1");
    TaskHandle ctl = do_task("port2W7", "PXI1Slot2/port2/line0:2");
    ASSERT_EQ(write(p0, (0x40 << 3) & 0xFF), 0);
    ASSERT_EQ(write(p1, 0x40 >> 5), 0);
    ASSERT_EQ(write(ctl, 7), 0);
    ASSERT_EQ(write(ctl, 6), 0);
    TaskHandle r0 = di_task("port0R0", "PXI1Slot2/port0");
    TaskHandle r1 = di_task("port1R0", "PXI1Slot2/port1");
    ASSERT_EQ(bench.StartTask(r0), 0);
    ASSERT_EQ(bench.StartTask(r1), 0);
    ASSERT_EQ(write(ctl, 4), 0);
    EXPECT_EQ(port(0), 0x5Cu) << "the board drives the word";
    int32 st = 0;
    read(p0, &st);
    EXPECT_EQ(st, DAQmxErrorDigLinesReservedOrUnavailable) << "not while the input task holds the lines";
    ASSERT_EQ(bench.StopTask(r0), 0);
    EXPECT_EQ(port(0), 0x5Cu) << "stopped, it leaves them inputs";
    EXPECT_EQ(bench.contention_count(), 0);
    EXPECT_EQ(read(p0), 0x00) << "the latched address byte";
    EXPECT_EQ(bench.contention_count(), 1);
    EXPECT_NE(std::string(bench.call_notes(nullptr)).find("# contention: port0 0xff port1 0x00 port2 0x00"),
              std::string::npos)
        << bench.call_notes(nullptr);
    EXPECT_EQ(port(0), 0x00u);
}

TEST_F(DigitalTest, MultiSampleWriteLeavesTheLastSample)
{
    TaskHandle w = do_task("port0W255", "PXI1Slot2/port0");
    const uInt8 data[3] = {1, 2, 3};
    int32 written = 0;
    ASSERT_EQ(bench.WriteDigitalU8(w, 3, 1, 10, 0, data, &written, nullptr), 0);
    EXPECT_EQ(written, 3);
    EXPECT_EQ(port(0), 3u);
    EXPECT_EQ(bench.WriteDigitalU8(w, 1, 1, 10, 0, nullptr, nullptr, nullptr), DAQmxErrorInvalidAttributeValue);
    EXPECT_EQ(bench.WriteDigitalU8(w, -1, 1, 10, 0, data, nullptr, nullptr), DAQmxErrorInvalidAttributeValue);
}

TEST_F(DigitalTest, PerLineChannelsReadOneByteEach)
{
    TaskHandle h = task("lines");
    ASSERT_EQ(bench.CreateDIChan(h, "PXI1Slot2/port2/line1:2", "", DAQmx_Val_ChanPerLine), 0);
    uInt8 v[2] = {0xEE, 0xEE};
    int32 n = 0;
    ASSERT_EQ(bench.ReadDigitalU8(h, 1, 10, 0, v, 2, &n, nullptr), 0);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(v[0], 0x02);
    EXPECT_EQ(v[1], 0x04);
}

// A U32 sample counts a channel's ports from its first: on port1:2, bit 0 is
// port 1's line 0 and bit 8 port 2's line 0, written and read alike.
TEST_F(DigitalTest, AWordSampleStartsAtTheChannelsFirstPort)
{
    TaskHandle w = do_task("port12W", "PXI1Slot2/port1:2");
    const uInt32 word = 0xA55A;
    ASSERT_EQ(bench.WriteDigitalU32(w, 1, 1, 10, DAQmx_Val_GroupByChannel, &word, nullptr, nullptr), 0);
    EXPECT_EQ(port(1), 0x5Au);
    EXPECT_EQ(port(2), 0xA5u);
    uInt32 back = 0;
    ASSERT_EQ(bench.ReadDigitalU32(w, 1, 10, DAQmx_Val_GroupByChannel, &back, 1, nullptr, nullptr), 0);
    EXPECT_EQ(back, word);
    // A line list starting on port 2: its line 3 is bit 3, whatever port 0 and 1 hold.
    TaskHandle r = di_task("port2R", "PXI1Slot2/port2/line3:4");
    ASSERT_EQ(bench.ReadDigitalU32(r, 1, 10, DAQmx_Val_GroupByChannel, &back, 1, nullptr, nullptr), 0);
    EXPECT_EQ(back, 0xA5u & 0x18u);
}

// One byte per line, each channel as wide as the task's widest, in either
// layout: every sample lands on its own lines, and a read needs room for all
// of it (the driver refuses a short buffer, writing nothing).
TEST_F(DigitalTest, LineSamplesKeepTheirStrideAndTheirBuffer)
{
    for (bool32 layout : {DAQmx_Val_GroupByChannel, DAQmx_Val_GroupByScanNumber}) {
        SCOPED_TRACE(layout);
        TaskHandle w = task("lines2");
        ASSERT_EQ(bench.CreateDOChan(w, "PXI1Slot2/port1/line0:2", "", DAQmx_Val_ChanForAllLines), 0);
        ASSERT_EQ(bench.CreateDOChan(w, "PXI1Slot2/port1/line5:6", "", DAQmx_Val_ChanForAllLines), 0);
        // Two samples of two channels, three bytes each (the second channel's third unused);
        // the last sample stays: lines 0..2 = 0,1,1 and lines 5..6 = 0,1.
        const uInt8 first[2][3] = {{1, 0, 0}, {1, 0, 1}}, last[2][3] = {{0, 1, 1}, {0, 1, 1}};
        uInt8 data[12];
        for (size_t c = 0; c < 2; ++c)
            for (size_t k = 0; k < 3; ++k) {
                const bool by_channel = layout == DAQmx_Val_GroupByChannel;
                const size_t at0 = by_channel ? c * 2 : c, at1 = by_channel ? c * 2 + 1 : 2 + c;
                data[at0 * 3 + k] = first[c][k];
                data[at1 * 3 + k] = last[c][k];
            }
        int32 written = 0;
        ASSERT_EQ(bench.WriteDigitalLines(w, 2, 1, 10, layout, data, &written, nullptr), 0);
        EXPECT_EQ(written, 2);
        EXPECT_EQ(port(1) & 0x67u, 0x46u);
        uInt8 back[7] = {9, 9, 9, 9, 9, 9, 0xEE};
        int32 n = 0, bytes = 0;
        EXPECT_EQ(bench.ReadDigitalLines(w, 1, 10, layout, back, 5, &n, &bytes, nullptr), -200229);
        EXPECT_EQ(back[5], 9) << "nothing written past the buffer";
        ASSERT_EQ(bench.ReadDigitalLines(w, 1, 10, layout, back, 6, &n, &bytes, nullptr), 0);
        EXPECT_EQ(bytes, 3);
        const uInt8 expected[7] = {0, 1, 1, 0, 1, 0, 0xEE};
        for (size_t i = 0; i < 7; ++i) EXPECT_EQ(back[i], expected[i]) << i;
        ASSERT_EQ(bench.ClearTask(w), 0);
    }
}

TEST_F(DigitalTest, BoardDrivesTheBusDuringARead)
{
    bench.board().write_reg(0, 0x40, 0x9A5C, 0);
    TaskHandle p0 = do_task("port0W255", "PXI1Slot2/port0");
    TaskHandle p1 = do_task("port1W255", "PXI1Slot2/port1");
    TaskHandle ctl = do_task("port2W7", "PXI1Slot2/port2/line0:2");
    ASSERT_EQ(write(p0, (0x40 << 3) & 0xFF), 0);
    ASSERT_EQ(write(p1, 0x40 >> 5), 0);
    ASSERT_EQ(write(ctl, 7), 0);
    ASSERT_EQ(write(ctl, 6), 0);
    TaskHandle r0 = di_task("port0R0", "PXI1Slot2/port0");
    TaskHandle r1 = di_task("port1R0", "PXI1Slot2/port1");
    ASSERT_EQ(bench.StartTask(r0), 0);
    ASSERT_EQ(bench.StartTask(r1), 0);
    ASSERT_EQ(write(ctl, 4), 0);
    EXPECT_EQ(bench.board().decoder().state(), sim::AvalonDecoder::State::Read);
    EXPECT_EQ(read(r1), 0x9A);
    EXPECT_EQ(read(r0), 0x5C);
    ASSERT_EQ(write(ctl, 6), 0);
    EXPECT_EQ(read(r0), 0x00) << "the board lets go after the strobe";
    EXPECT_EQ(bench.contention_count(), 0);
}

TEST_F(DigitalTest, ContentionIsCountedOncePerEpisodeAndTheDaqWins)
{
    TaskHandle p0 = do_task("port0W255", "PXI1Slot2/port0");
    TaskHandle ctl = do_task("port2W7", "PXI1Slot2/port2/line0:2");
    bench.board().write_reg(0, 0, 0xFFFF, 0);
    ASSERT_EQ(write(p0, 0x00), 0);
    ASSERT_EQ(write(ctl, 7), 0);
    ASSERT_EQ(write(ctl, 6), 0);
    ASSERT_EQ(write(ctl, 4), 0);
    EXPECT_EQ(bench.contention_count(), 1);
    EXPECT_EQ(port(0), 0x00u);
    EXPECT_EQ(port(1), 0xFFu) << "port 1 is not driven by the DAQ: the board's word shows";
    ASSERT_EQ(write(p0, 0x01), 0);
    EXPECT_EQ(bench.contention_count(), 1) << "the same episode";
    ASSERT_EQ(write(ctl, 6), 0);
    ASSERT_EQ(write(ctl, 4), 0);
    EXPECT_EQ(bench.contention_count(), 2);
    double c = 0;
    ASSERT_EQ(bench.probe("contention", &c), 0);
    EXPECT_EQ(c, 2.0);
}

TEST_F(DigitalTest, WriteCycleReachesTheRegister)
{
    TaskHandle p0 = do_task("port0W255", "PXI1Slot2/port0");
    TaskHandle p1 = do_task("port1W255", "PXI1Slot2/port1");
    TaskHandle ctl = do_task("port2W7", "PXI1Slot2/port2/line0,PXI1Slot2/port2/line1,PXI1Slot2/port2/line2");
    // Slave 2, register 0x11, data 4: the bus master's worked example.
    for (auto [h, v] : {std::pair{p0, 0x8A}, {p1, 0x00}, {ctl, 7}, {ctl, 6}, {p0, 0x04}, {p1, 0x00}, {ctl, 2}, {ctl, 6}})
        ASSERT_EQ(write(h, static_cast<uInt8>(v)), 0);
    const auto &t = bench.board().transactions();
    ASSERT_EQ(t.size(), 1u);
    EXPECT_TRUE(t.back().write);
    EXPECT_EQ(t.back().slave, 2);
    EXPECT_EQ(t.back().address, 0x11);
    EXPECT_EQ(t.back().data, 4);
    unsigned w = 0;
    ASSERT_EQ(bench.probe_reg(2, 0x11, &w), 0);
    EXPECT_EQ(w & 4u, 4u) << "writing 4 raises the interrupt request";
}

}  // namespace

namespace {

// Long seeded sequences of digital tasks, writes, starts, reads and clears,
// checked against a plain model of static lines (the strobes are left alone,
// so the board only pulls them to idle); a task that would start on a line
// another running task holds is refused and changes nothing.
TEST_F(DigitalTest, RandomSequencesMatchAModelOfStaticLines)
{
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        bench.reset();
        std::mt19937 rng(seed);
        uint32_t out = 0, levels = 0;
        struct T {
            TaskHandle h;
            bool output;
            uint32_t mask;
            bool running;
        };
        std::vector<T> tasks;
        auto expect_level = [&](uint32_t bits) {
            const uint32_t pulls = sim::Board::kPullLevels & ~out;
            return ((out & levels) | pulls) & bits;
        };
        for (int step = 0; step < 300; ++step) {
            const int op = static_cast<int>(rng() % 5);
            if (op == 0 || tasks.empty()) {
                // A task on some lines of one port (port 2: lines 3..7 only).
                const int p = static_cast<int>(rng() % 3);
                const unsigned allowed = p == 2 ? 0xF8u : 0xFFu;
                unsigned m = static_cast<unsigned>(rng()) & allowed;
                if (!m) m = allowed & 0x80u;
                std::string lines;
                for (int l = 0; l < 8; ++l)
                    if (m >> l & 1u)
                        lines += (lines.empty() ? "" : ",") + ("PXI1Slot2/port" + std::to_string(p) + "/line" + std::to_string(l));
                const bool output = rng() % 2;
                const std::string name = "t" + std::to_string(step);
                TaskHandle h = output ? do_task(name.c_str(), lines.c_str()) : di_task(name.c_str(), lines.c_str());
                tasks.push_back({h, output, m << (8 * p), false});
                continue;
            }
            T &t = tasks[rng() % tasks.size()];
            const uint32_t shift = t.mask & 0xFF ? 0 : (t.mask & 0xFF00 ? 8 : 16);
            // A task that is not running cannot start, for a call or for good,
            // on a line another running task holds.
            uint32_t held = 0;
            for (const T &u : tasks)
                if (u.running && &u != &t) held |= u.mask;
            const bool starts = (op == 1 && t.output) || (op == 2 && !t.output) || op == 3;
            if (starts && !t.running && (t.mask & held) != 0) {
                int32 st = 0;
                if (op == 1)
                    st = write(t.h, static_cast<uInt8>(rng()));
                else if (op == 2)
                    st = bench.StartTask(t.h);
                else
                    read(t.h, &st);
                EXPECT_EQ(st, DAQmxErrorDigLinesReservedOrUnavailable) << "step " << step;
            } else if (op == 1 && t.output) {
                const uInt8 v = static_cast<uInt8>(rng());
                ASSERT_EQ(write(t.h, v), 0);
                out |= t.mask;
                levels = (levels & ~t.mask) | ((static_cast<uint32_t>(v) << shift) & t.mask);
            } else if (op == 2 && !t.output) {
                ASSERT_EQ(bench.StartTask(t.h), 0);
                if (!t.running) out &= ~t.mask;  // starting a running task changes nothing
                t.running = true;
            } else if (op == 3) {
                const uInt8 got = read(t.h);
                // A read starts a task that is not running: an input task's lines
                // become inputs, an output task's are driven at their latched levels
                // (`levels` holds the latch); a running input task keeps whatever a
                // later write made of its lines.
                if (!t.output && !t.running) out &= ~t.mask;
                if (t.output) out |= t.mask;
                EXPECT_EQ(got, (expect_level(t.mask) >> shift) & 0xFF) << "step " << step;
            } else {
                ASSERT_EQ(bench.ClearTask(t.h), 0);
                tasks.erase(tasks.begin() + (&t - tasks.data()));
            }
            ASSERT_EQ(bench.line_levels(), expect_level(0xFFFFFF)) << "step " << step;
        }
        EXPECT_EQ(bench.contention_count(), 0);
        EXPECT_EQ(bench.live_tasks(), static_cast<int>(tasks.size()));
    }
}

}  // namespace
