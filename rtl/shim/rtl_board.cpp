// A verilated board top behind the bench's board interface: the board clock,
// the DAQ's lines in and the bus drive out, the DAC's codes to volts and the
// ADC converter (sampling at the start, results after the conversion time).
//
// Built once per board by korvane_add_rtl_board(), with KSIM_RTL_TOP the
// verilated class and KSIM_RTL_HEADER its header. Ports the top lacks (no DAC,
// no ADC, no back door) read as absent: 0 V, no conversions, no register access.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "board_port.h"
#include "korvane_board.h"
#include KSIM_RTL_HEADER
#include "verilated.h"

#ifndef KSIM_RTL_NAME
#define KSIM_RTL_NAME "rtl"
#endif
#ifndef KSIM_RTL_CLOCK_HZ
#define KSIM_RTL_CLOCK_HZ 50000000
#endif
#ifndef KSIM_RTL_SETTLE_CYCLES
#define KSIM_RTL_SETTLE_CYCLES 16
#endif

namespace {

using Top = KSIM_RTL_TOP;

constexpr int64_t kPeriodNs = 1'000'000'000LL / KSIM_RTL_CLOCK_HZ;
static_assert(kPeriodNs > 0, "board clock above 1 GHz");
namespace kb = korvane::board;
constexpr int64_t kConversionNs = 20'000;  // the ADC's conversion time

constexpr bool kHasDac = requires(Top &t) {
    t.dac0_code;
    t.dac1_code;
    t.dac_on;
    t.dac_ref_on;
};
constexpr bool kHasAdc = requires(Top &t) {
    t.adc_start;
    t.adc_done;
    t.adc_data0;
    t.adc_data1;
};
constexpr bool kHasBackDoor = requires(Top &t) {
    t.dbg_slave;
    t.dbg_address;
    t.dbg_poke;
    t.dbg_wdata;
    t.dbg_rdata;
    t.dbg_answer;
};
constexpr bool kHasReset = requires(Top &t) { t.rst_n; };

int64_t floor_div(int64_t a, int64_t b)
{
    int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

struct ksim_board {
    // A board's own Verilated context, so that several boards (and several
    // board libraries) live in one process.
    std::unique_ptr<VerilatedContext> ctx;
    std::unique_ptr<Top> top;
    bool started = false;
    int64_t edge_t = 0;  // time of the last rising edge (evaluated or skipped)
    int quiet = 0;       // edges since the inputs last changed
    uint32_t lines = KSIM_BOARD_READ_STROBE | KSIM_BOARD_WRITE_STROBE;
    // The converter.
    bool converting = false;
    int64_t done_t = 0;  // the edge whose results the board takes
    uint16_t pending[2] = {0, 0};
    double override_v[2] = {NAN, NAN};
    bool stuck = false;

    ksim_board() { power_on(); }

    void power_on()
    {
        top.reset();
        ctx = std::make_unique<VerilatedContext>();
        top = std::make_unique<Top>(ctx.get(), "board");
        started = false;
        quiet = 0;
        converting = false;
        lines = KSIM_BOARD_READ_STROBE | KSIM_BOARD_WRITE_STROBE;
        apply_lines();
        top->clk = 0;
        if constexpr (kHasReset) {
            top->rst_n = 0;
            top->eval();
            clock();
            clock();
            top->rst_n = 1;
        }
        top->eval();
    }

    void apply_lines()
    {
        top->bus_in = static_cast<uint16_t>(lines & KSIM_BOARD_BUS_MASK);
        top->as_in = (lines & KSIM_BOARD_ADDRESS_STROBE) ? 1 : 0;
        top->rd_n_in = (lines & KSIM_BOARD_READ_STROBE) ? 1 : 0;
        top->wr_n_in = (lines & KSIM_BOARD_WRITE_STROBE) ? 1 : 0;
    }

    // One rising and falling edge of the board clock.
    void clock()
    {
        top->clk = 1;
        top->eval();
        top->clk = 0;
        top->eval();
    }

    double dac_now(int ch) const
    {
        if constexpr (kHasDac) {
            const unsigned code = ch == 0 ? top->dac0_code : top->dac1_code;
            if (!((top->dac_on >> ch) & 1) || !top->dac_ref_on) return 0.0;
            return code * kb::kDacFullScale / kb::kDacCodeMax;
        }
        return 0.0;
    }

    double adc_input(int ch) const { return std::isnan(override_v[ch]) ? dac_now(ch) : override_v[ch]; }

    // The rising edge at time t.
    void edge_at(int64_t t)
    {
        edge_t = t;
        if constexpr (kHasAdc) {
            const bool done = converting && !stuck && t >= done_t;
            top->adc_done = done ? 1 : 0;
            if (done) {
                top->adc_data0 = pending[0];
                top->adc_data1 = pending[1];
            }
            clock();
            if (done) {
                converting = false;
                top->adc_done = 0;
                top->eval();
                quiet = 0;
            }
            if (top->adc_start && !converting) {
                // Track and hold now; the results are taken one conversion time later.
                for (int ch = 0; ch < 2; ++ch) {
                    double code = std::round(adc_input(ch) / kb::kAdcVoltsPerCode);
                    if (!(code >= 0)) code = 0;  // NaN too
                    pending[ch] = static_cast<uint16_t>(std::min(code, double{kb::kAdcCodeMax}));
                }
                converting = true;
                done_t = t + kConversionNs;
            }
        } else {
            clock();
        }
        ++quiet;
    }

    // Runs the clock up to time t (edges at t included) on the present inputs.
    // Once the inputs have been steady for the settle cycles, edges where
    // nothing can change are skipped.
    void advance(int64_t t)
    {
        if (!started) {
            started = true;
            edge_t = floor_div(t, kPeriodNs) * kPeriodNs;
            return;
        }
        while (edge_t + kPeriodNs <= t) {
            if (KSIM_RTL_SETTLE_CYCLES > 0 && quiet >= KSIM_RTL_SETTLE_CYCLES) {
                // Nothing changes until the converter's results are due, if they are.
                const int64_t last = edge_t + floor_div(t - edge_t, kPeriodNs) * kPeriodNs;
                if (!converting || stuck) {
                    edge_t = last;
                    return;
                }
                const int64_t from = std::max(done_t, edge_t + kPeriodNs);
                const int64_t due = edge_t + (floor_div(from - edge_t - 1, kPeriodNs) + 1) * kPeriodNs;
                if (due > last) {
                    edge_t = last;
                    return;
                }
                edge_t = due - kPeriodNs;
            }
            edge_at(edge_t + kPeriodNs);
        }
    }

    void set_lines(int64_t t, uint32_t levels)
    {
        advance(t);
        if (levels == lines) return;
        lines = levels;
        apply_lines();
        top->eval();
        quiet = 0;
    }
};

namespace {

ksim_board *board_open()
{
    try {
        return new ksim_board();
    } catch (...) {
        return nullptr;
    }
}

void board_close(ksim_board *b)
{
    delete b;
}

void board_reset(ksim_board *b)
{
    b->override_v[0] = b->override_v[1] = NAN;
    b->stuck = false;
    b->power_on();
}

void board_lines(ksim_board *b, int64_t t, uint32_t levels)
{
    b->set_lines(t, levels);
}

void board_drive(ksim_board *b, int64_t t, uint32_t *mask, uint32_t *levels)
{
    b->advance(t);
    const bool oe = b->top->bus_oe;
    if (mask) *mask = oe ? KSIM_BOARD_BUS_MASK : 0;
    if (levels) *levels = oe ? b->top->bus_out : 0;
}

double board_dac_volts(ksim_board *b, int ch, int64_t t)
{
    if (ch < 0 || ch > 1) return 0.0;
    b->advance(t);
    return b->dac_now(ch);
}

bool reg_in_range(int slave, int address)
{
    return slave >= 0 && slave < 8 && address >= 0 && address < 8192;
}

int board_read_reg(ksim_board *b, int slave, int address, int64_t t, uint16_t *word)
{
    if constexpr (kHasBackDoor) {
        if (!reg_in_range(slave, address) || !word) return -1;
        b->advance(t);
        b->top->dbg_slave = static_cast<uint8_t>(slave);
        b->top->dbg_address = static_cast<uint16_t>(address);
        b->top->eval();
        if (!b->top->dbg_answer) return -1;
        *word = b->top->dbg_rdata;
        return 0;
    }
    return -1;
}

int board_poke_reg(ksim_board *b, int slave, int address, uint16_t word, int64_t t)
{
    if constexpr (kHasBackDoor) {
        if (!reg_in_range(slave, address)) return -1;
        b->advance(t);
        b->top->dbg_slave = static_cast<uint8_t>(slave);
        b->top->dbg_address = static_cast<uint16_t>(address);
        b->top->eval();
        if (!b->top->dbg_answer) return -1;
        // One extra clock edge at the present time carries the write.
        b->top->dbg_wdata = word;
        b->top->dbg_poke = 1;
        b->clock();
        b->top->dbg_poke = 0;
        b->top->eval();
        b->quiet = 0;
        return 0;
    }
    return -1;
}

int board_drive_signal(ksim_board *b, const char *name, double value)
{
    if (!name) return -1;
    const std::string n = name;
    if (n == "adc0" || n == "adc1")
        b->override_v[n[3] - '0'] = value;
    else if (n == "adc-stuck")
        b->stuck = value != 0;
    else
        return -1;
    return 0;
}

int board_probe(ksim_board *b, const char *name, int64_t t, double *value)
{
    if (!name || !value) return -1;
    const std::string n = name;
    if (n != "adc0" && n != "adc1") return -1;
    b->advance(t);
    *value = b->adc_input(n[3] - '0');
    return 0;
}

void board_shift_time(ksim_board *b, int64_t delta)
{
    b->edge_t += delta;
    b->done_t += delta;
}

const ksim_board_api kApi = {
    KSIM_BOARD_ABI,
    sizeof(ksim_board_api),
    "rtl " KSIM_RTL_NAME,
    KSIM_BOARD_ADDRESS_STROBE | KSIM_BOARD_READ_STROBE | KSIM_BOARD_WRITE_STROBE,
    KSIM_BOARD_READ_STROBE | KSIM_BOARD_WRITE_STROBE,
    board_open,
    board_close,
    board_reset,
    board_lines,
    board_drive,
    board_dac_volts,
    board_read_reg,
    board_poke_reg,
    board_drive_signal,
    board_probe,
    board_shift_time,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const ksim_board_api *ksim_board_entry(void)
{
    return &kApi;
}
