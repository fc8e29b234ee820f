// A verilated board top behind the bench's board interface: the board clock,
// the DAQ's lines in and the bus drive out, the DAC's codes to volts and the
// ADC converter (sampling at the start, results after the conversion time).
//
// Built once per board by korvane_add_rtl_board(), with KSIM_RTL_TOP the
// verilated class and KSIM_RTL_HEADER its header. Port groups the top lacks (no DAC,
// no ADC, no back door) read as absent: 0 V, no conversions, no register access.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "korvane/board_plugin.h"
#include "avalon/korvane_board.h"
#include KSIM_RTL_HEADER
#include "verilated.h"
#include "verilated_syms.h"

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
namespace kb = avalon::board;
constexpr int64_t kConversionNs = 20'000;  // the ADC's conversion time

// The optional groups of ports, and access to them that compiles for any top:
// a group the top lacks does nothing and reads as absent.
template <class T>
concept HasDac = requires(T &t) {
    t.dac0_code;
    t.dac1_code;
    t.dac_on;
    t.dac_ref_on;
};
template <class T>
concept HasAdc = requires(T &t) {
    t.adc_start;
    t.adc_done;
    t.adc_data0;
    t.adc_data1;
};
template <class T>
concept HasBackDoor = requires(T &t) {
    t.dbg_slave;
    t.dbg_address;
    t.dbg_poke;
    t.dbg_wdata;
    t.dbg_rdata;
    t.dbg_answer;
};
template <class T>
concept HasReset = requires(T &t) { t.rst_n; };
constexpr bool kHasAdc = HasAdc<Top>;
constexpr bool kHasBackDoor = HasBackDoor<Top>;
constexpr bool kHasReset = HasReset<Top>;

template <class T>
void set_reset(T &t, int level)
{
    if constexpr (HasReset<T>) t.rst_n = static_cast<uint8_t>(level);
}

// DAC channel ch's code while its switch and the reference are on, else -1.
template <class T>
int dac_code(const T &t, int ch)
{
    if constexpr (HasDac<T>) {
        if (!((t.dac_on >> ch) & 1) || !t.dac_ref_on) return -1;
        return ch == 0 ? t.dac0_code : t.dac1_code;
    }
    return -1;
}

template <class T>
void set_adc_done(T &t, bool done, const uint16_t *results)
{
    if constexpr (HasAdc<T>) {
        t.adc_done = done ? 1 : 0;
        if (done) {
            t.adc_data0 = results[0];
            t.adc_data1 = results[1];
        }
    }
}

template <class T>
bool adc_started(const T &t)
{
    if constexpr (HasAdc<T>) return t.adc_start != 0;
    return false;
}

template <class T>
void set_back_door(T &t, int slave, int address, bool poke, uint16_t word)
{
    if constexpr (HasBackDoor<T>) {
        t.dbg_slave = static_cast<uint8_t>(slave);
        t.dbg_address = static_cast<uint16_t>(address);
        t.dbg_poke = poke ? 1 : 0;
        t.dbg_wdata = word;
    }
}

// The back door's answer: false when the slave does not exist.
template <class T>
bool back_door_word(const T &t, uint16_t &word)
{
    if constexpr (HasBackDoor<T>) {
        word = t.dbg_rdata;
        return t.dbg_answer != 0;
    }
    return false;
}

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
    int settle_cycles = KSIM_RTL_SETTLE_CYCLES;
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
    bool dac_off[2] = {false, false};  // an output held at 0 V whatever the codes say
    // Signals for the bench's VCD: the clock, then those the Verilog marks public.
    struct Signal {
        std::string name;
        const void *data;
        int bytes;
        int width;
        uint64_t last;
    };
    std::vector<Signal> signals;
    void *watch_ctx = nullptr;
    void (*watch_fn)(void *, int64_t, int, uint64_t) = nullptr;
    bool fall_pending = false;  // the clock's falling edge not reported yet
    bool report_all = false;    // after a power-on, every signal at the next time

    ksim_board()
    {
        // KORVANE_RTL_SETTLE_CYCLES overrides the build's setting (0: every edge).
        if (const char *e = std::getenv("KORVANE_RTL_SETTLE_CYCLES"); e && *e) settle_cycles = std::atoi(e);
        power_on();
    }

    ~ksim_board() { drop(); }

    // Verilator keeps the present context per thread and uses it when a model
    // goes away: point it at this board's before any work on the model.
    void use() const { Verilated::threadContextp(ctx.get()); }

    void drop()
    {
        if (!top) return;
        use();
        top.reset();
        ctx.reset();
        Verilated::threadContextp(nullptr);
    }

    void power_on()
    {
        drop();
        ctx = std::make_unique<VerilatedContext>();
        use();
        top = std::make_unique<Top>(ctx.get(), "board");
        collect_signals();
        started = false;
        quiet = 0;
        converting = false;
        lines = KSIM_BOARD_READ_STROBE | KSIM_BOARD_WRITE_STROBE;
        apply_lines();
        top->clk = 0;
        if (kHasReset) {
            set_reset(*top, 0);
            top->eval();
            clock();
            clock();
            set_reset(*top, 1);
        }
        top->eval();
        for (Signal &sig : signals) sig.last = value(sig);
        fall_pending = false;
        report_all = watch_fn != nullptr;
    }

    void collect_signals()
    {
        signals.clear();
        signals.push_back({"clk", &top->clk, sizeof top->clk, 1, 0});
        const VerilatedScopeNameMap *scopes = ctx->scopeNameMap();
        if (!scopes) return;
        for (const auto &sc : *scopes) {
            const VerilatedVarNameMap *vars = sc.second->varsp();
            if (!vars) continue;
            std::string scope = sc.first;
            if (scope.rfind("board.", 0) == 0) scope.erase(0, 6);
            for (const auto &v : *vars) {
                const VerilatedVar &var = v.second;
                int bytes = 0;
                switch (var.vltype()) {
                case VLVT_UINT8: bytes = 1; break;
                case VLVT_UINT16: bytes = 2; break;
                case VLVT_UINT32: bytes = 4; break;
                case VLVT_UINT64: bytes = 8; break;
                default: break;
                }
                if (bytes == 0 || var.udims() > 0 || var.isParam()) continue;  // no memories, no wide words
                const int width = var.dims() == 0 ? 1 : var.packed().elements();
                signals.push_back({scope + "." + v.first, var.datap(), bytes, width, 0});
            }
        }
    }

    static uint64_t value(const Signal &sig)
    {
        uint64_t v = 0;
        switch (sig.bytes) {
        case 1: v = *static_cast<const uint8_t *>(sig.data); break;
        case 2: v = *static_cast<const uint16_t *>(sig.data); break;
        case 4: v = *static_cast<const uint32_t *>(sig.data); break;
        default: v = *static_cast<const uint64_t *>(sig.data); break;
        }
        return sig.width >= 64 ? v : v & ((uint64_t{1} << sig.width) - 1);
    }

    // Reports the signals that changed (all of them when asked) at time t.
    void report(int64_t t, bool all = false)
    {
        if (!watch_fn) return;
        for (size_t i = 0; i < signals.size(); ++i) {
            const uint64_t v = value(signals[i]);
            if (all || v != signals[i].last) watch_fn(watch_ctx, t, static_cast<int>(i), v);
            signals[i].last = v;
        }
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
        const int code = dac_code(*top, ch);
        if (code < 0 || dac_off[ch]) return 0.0;
        return code * kb::kDacFullScale / kb::kDacCodeMax;
    }

    double adc_input(int ch) const { return std::isnan(override_v[ch]) ? dac_now(ch) : override_v[ch]; }

    // The rising edge at time t.
    void edge_at(int64_t t)
    {
        edge_t = t;
        if (watch_fn) {
            // The clock high at the edge; the logic's changes with it.
            top->clk = 1;
            report(t);
            top->clk = 0;
        }
        if (kHasAdc) {
            const bool done = converting && !stuck && t >= done_t;
            set_adc_done(*top, done, pending);
            clock();
            if (done) {
                converting = false;
                set_adc_done(*top, false, pending);
                top->eval();
                quiet = 0;
            }
            if (adc_started(*top) && !converting) {
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
        if (watch_fn) {
            signals[0].last = 0;  // the clock's fall is reported half a period later
            report(t);
            fall_pending = true;
        }
        ++quiet;
    }

    // The clock's fall after the last edge, once time has come to it.
    void report_fall(int64_t t)
    {
        if (!fall_pending || edge_t + kPeriodNs / 2 > t) return;
        fall_pending = false;
        if (watch_fn) watch_fn(watch_ctx, edge_t + kPeriodNs / 2, 0, 0);
        signals[0].last = 0;
    }

    // Runs the clock up to time t (edges at t included) on the present inputs.
    // Once the inputs have been steady for the settle cycles, edges where
    // nothing can change are skipped.
    void advance(int64_t t)
    {
        if (!started) {
            started = true;
            edge_t = floor_div(t, kPeriodNs) * kPeriodNs;
        }
        if (report_all) {
            report_all = false;
            report(t, true);
        }
        report_fall(t);
        while (edge_t + kPeriodNs <= t) {
            report_fall(t);
            if (settle_cycles > 0 && quiet >= settle_cycles) {
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
        report_fall(t);
    }

    void set_lines(int64_t t, uint32_t levels)
    {
        advance(t);
        if (levels == lines) return;
        lines = levels;
        apply_lines();
        top->eval();
        report(t);
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
    b->use();
    b->override_v[0] = b->override_v[1] = NAN;
    b->stuck = false;
    b->dac_off[0] = b->dac_off[1] = false;
    b->power_on();
}

void board_lines(ksim_board *b, int64_t t, uint32_t levels)
{
    b->use();
    b->set_lines(t, levels);
}

void board_drive(ksim_board *b, int64_t t, uint32_t *mask, uint32_t *levels)
{
    b->use();
    b->advance(t);
    const bool oe = b->top->bus_oe;
    if (mask) *mask = oe ? KSIM_BOARD_BUS_MASK : 0;
    if (levels) *levels = oe ? b->top->bus_out : 0;
}

double board_dac_volts(ksim_board *b, int ch, int64_t t)
{
    b->use();
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
    b->use();
    if (!kHasBackDoor || !reg_in_range(slave, address) || !word) return -1;
    b->advance(t);
    set_back_door(*b->top, slave, address, false, 0);
    b->top->eval();
    return back_door_word(*b->top, *word) ? 0 : -1;
}

int board_poke_reg(ksim_board *b, int slave, int address, uint16_t word, int64_t t)
{
    b->use();
    if (!kHasBackDoor || !reg_in_range(slave, address)) return -1;
    b->advance(t);
    set_back_door(*b->top, slave, address, false, 0);
    b->top->eval();
    uint16_t old = 0;
    if (!back_door_word(*b->top, old)) return -1;
    // One extra clock edge at the present time carries the write.
    set_back_door(*b->top, slave, address, true, word);
    b->clock();
    set_back_door(*b->top, slave, address, false, word);
    b->top->eval();
    b->report(t);
    b->quiet = 0;
    return 0;
}

int board_drive_signal(ksim_board *b, const char *name, double value)
{
    b->use();
    if (!name) return -1;
    const std::string n = name;
    if (n == "adc0" || n == "adc1")
        b->override_v[n[3] - '0'] = value;
    else if (n == "adc-stuck")
        b->stuck = value != 0;
    else if (n == "dac0-off" || n == "dac1-off")
        b->dac_off[n[3] - '0'] = value != 0;
    else
        return -1;
    return 0;
}

int board_probe(ksim_board *b, const char *name, int64_t t, double *value)
{
    b->use();
    if (!name || !value) return -1;
    const std::string n = name;
    if (n != "adc0" && n != "adc1") return -1;
    b->advance(t);
    *value = b->adc_input(n[3] - '0');
    return 0;
}

void board_shift_time(ksim_board *b, int64_t delta)
{
    b->use();
    // The clock's edges stay on whole periods of the new time base, so a run
    // on the virtual clock does not carry the host clock's phase into it.
    if (b->started) b->edge_t = floor_div(b->edge_t + delta, kPeriodNs) * kPeriodNs;
    b->done_t += delta;
}

int board_signal_count(ksim_board *b)
{
    b->use();
    return static_cast<int>(b->signals.size());
}

const char *board_signal_name(ksim_board *b, int i, int *width)
{
    if (i < 0 || i >= static_cast<int>(b->signals.size())) return nullptr;
    if (width) *width = b->signals[static_cast<size_t>(i)].width;
    return b->signals[static_cast<size_t>(i)].name.c_str();
}

uint64_t board_signal_value(ksim_board *b, int i)
{
    b->use();
    if (i < 0 || i >= static_cast<int>(b->signals.size())) return 0;
    return b->signals[static_cast<size_t>(i)].last;
}

void board_watch(ksim_board *b, void *ctx, void (*change)(void *, int64_t, int, uint64_t))
{
    b->watch_ctx = ctx;
    b->watch_fn = change;
    for (auto &sig : b->signals) sig.last = ksim_board::value(sig);
    b->fall_pending = false;
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
    board_signal_count,
    board_signal_name,
    board_signal_value,
    board_watch,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const ksim_board_api *ksim_board_entry(void)
{
    return &kApi;
}
