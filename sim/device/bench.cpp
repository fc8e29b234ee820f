// The bench itself: its state, the back door, and the digital lines with the
// board on them. The driver's calls are in api_*.cpp, the timed acquisition
// and generation in engine.cpp, the analog wiring in wiring.cpp.
#include "sim/device/bench.h"


#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <limits>

#include "sim/device/errors.h"
#include "base/korvane_strings.h"
#include "base/platform.h"

namespace sim {

namespace {

constexpr uint32_t kDefaultSeed = 6251;
constexpr uint32_t kAllLines = 0xFFFFFF;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

using base::text::lower;
namespace kb = avalon::board;

// The reference RTL board's library: beside the library this code is in, else
// the build tree's, else by name on the loader's search path.
// Copies slave 0's words and slave 2's registers from one board to another
// through the back door (the model and any board behind the interface).
template <class From, class To>
void copy_registers(From &from, To &to, int64_t t)
{
    for (int a = 0; a < kb::kMemoryWords; ++a) {
        uint16_t w = 0;
        if (from.read_reg(kb::kSlaveMemory, a, t, w)) to.poke_reg(kb::kSlaveMemory, a, w, t);
    }
    for (const kb::Register &r : kb::registers) {
        uint16_t w = 0;
        if (from.read_reg(kb::kSlavePeripherals, r.address, t, w)) to.poke_reg(kb::kSlavePeripherals, r.address, w, t);
    }
}

std::string rtl_board_path()
{
    const std::string name = base::platform::library_file("korvane-board-rtl");
    std::error_code ec;
    if (std::string beside = base::platform::module_path(reinterpret_cast<void *>(&rtl_board_path)); !beside.empty()) {
        const size_t slash = base::platform::last_separator(beside);
        if (slash != std::string::npos) {
            beside = beside.substr(0, slash + 1) + name;
            if (std::filesystem::is_regular_file(beside, ec)) return beside;
        }
    }
    const std::string built = KSIM_RTL_BOARD_BUILD_PATH;
    if (!built.empty() && std::filesystem::is_regular_file(built, ec)) return built;
    return name;
}

}  // namespace

Bench::Bench(std::shared_ptr<Clock> clock) : clock_(std::move(clock))
{
    reset();
}

Bench::~Bench() = default;

void Bench::remember_error(int32 status, const std::string *task, bool device)
{
    last_error_ = status;
    last_error_task_ = task ? *task : std::string();
    last_error_device_ = device || status == DAQmxErrorPhysicalChanDoesNotExist || status == DAQmxErrorInvalidDeviceID;
}

TaskHandle Bench::handle_of(uint64_t id)
{
    return reinterpret_cast<TaskHandle>(kHandleBase + id * 16);
}

Bench::Task *Bench::task(TaskHandle h)
{
    auto v = reinterpret_cast<uintptr_t>(h);
    if (v < kHandleBase || (v - kHandleBase) % 16) return nullptr;
    auto it = tasks_.find((v - kHandleBase) / 16);
    return it == tasks_.end() ? nullptr : it->second.get();
}

const Bench::Task *Bench::find_task(TaskHandle h) const
{
    return const_cast<Bench *>(this)->task(h);
}

// ---- back door -------------------------------------------------------------------------------

void Bench::reset()
{
    tasks_.clear();
    ai_owner_ = nullptr;
    ao_timed_ = nullptr;
    trig_owner_ = nullptr;
    for (int i = 0; i < kAoChannels; ++i) {
        ao_value_[i] = 0;
        ao_gen_[i] = nullptr;
    }
    std::fill(std::begin(drive_ai_), std::end(drive_ai_), kNaN);
    apfi_[0] = apfi_[1] = 0;
    daq_out_ = daq_levels_ = 0;
    reserved_ = 0;
    contended_ = 0;
    contention_ = 0;
    board_drive_ = 0;
    undriven_noted_ = false;
    board_->reset();
    bus_.reset();
    faults_.clear();
    calls_ = 0;
    notes_.clear();
    set_seed(kDefaultSeed);
    last_error_ = 0;
    last_error_task_.clear();
    last_error_device_ = false;
    device_ = device_name(slot_);  // a renamed device gets its default name back
    product_type_ = kProductType;
    settle();
}

void Bench::set_clock(std::shared_ptr<Clock> clock)
{
    if (!clock) clock = std::make_shared<SteadyClock>();
    const int64_t delta = clock->now_ns() - clock_->now_ns();
    clock_ = std::move(clock);
    // Keep running acquisitions and conversions where they were relative to now.
    for (auto &kv : tasks_) {
        kv.second->run.scan_t += delta;
        kv.second->run.t_first += delta;
    }
    board_->shift_time(delta);
    vcd_.shift_time(delta);
}

void Bench::use_virtual_clock()
{
    set_clock(std::make_shared<VirtualClock>());
}

void Bench::attach_clock(void *ctx, int64_t (*now_ns)(void *), void (*sleep_ns)(void *, int64_t))
{
    if (!now_ns)
        set_clock(std::make_shared<SteadyClock>());
    else
        set_clock(std::make_shared<ExternalClock>(ctx, now_ns, sleep_ns));
}

void Bench::advance_ns(int64_t ns)
{
    if (ns > 0 && clock_->is_virtual()) clock_->sleep_ns(ns);
}

int Bench::set_slot(int slot)
{
    if (slot < 1 || slot > 31) return -1;
    slot_ = slot;
    device_ = device_name(slot);
    return 0;
}

int Bench::set_device(const char *name, const char *product_type)
{
    // A name the driver could take for a channel's device part: no separators.
    if (name && *name) {
        if (std::strpbrk(name, "/, \t\n")) return -1;
        device_ = name;
    }
    if (product_type && *product_type) product_type_ = product_type;
    return 0;
}

void Bench::set_seed(uint32_t seed)
{
    seed_ = seed;
    rng_ = seed;
}

int Bench::probe(const char *name, double *value)
{
    if (!name || !value) return -1;
    const int64_t t = now();
    catch_up(t);
    std::string n = lower(name);
    auto numbered = [&](const char *prefix, int count, int &idx) {
        size_t len = std::strlen(prefix);
        if (n.compare(0, len, prefix) != 0 || n.size() == len || n.size() > len + 2) return false;
        idx = 0;
        for (size_t i = len; i < n.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(n[i]))) return false;
            idx = idx * 10 + (n[i] - '0');
        }
        return idx < count;
    };
    int idx = 0;
    if (numbered("ao", kAoChannels, idx)) {
        *value = ao_volts(idx, t);
    } else if (numbered("ai", kAiChannels, idx)) {
        *value = ai_volts(idx, t);
    } else if (numbered("port", kPorts, idx)) {
        settle();
        *value = static_cast<double>((levels_ >> (8 * idx)) & 0xFF);
    } else if (numbered("dac", 2, idx)) {
        *value = board_->dac_volts(idx, t);
    } else if (numbered("adc", 2, idx)) {
        if (board_->probe(n.c_str(), t, *value) != 0) return -1;
    } else if (numbered("apfi", 2, idx)) {
        *value = apfi_[idx];
    } else if (n == "live-tasks") {
        *value = live_tasks();
    } else if (n == "contention") {
        *value = static_cast<double>(contention_);
    } else {
        return -1;
    }
    return 0;
}

int Bench::probe_reg(int slave, int address, unsigned *word)
{
    if (!word) return -1;
    catch_up(now());
    uint16_t w = 0;
    if (!board_->read_reg(slave, address, now(), w)) return -1;
    *word = w;
    return 0;
}

int Bench::poke_reg(int slave, int address, unsigned word)
{
    catch_up(now());
    if (word > 0xFFFF || !board_->poke_reg(slave, address, static_cast<uint16_t>(word), now())) return -1;
    return 0;
}

size_t Bench::board_state(char *buf, size_t size)
{
    catch_up(now());
    std::string text;
    if (Board *model = board_->model_board()) {
        text = model->save_state(now());
    } else {
        // Another board: its registers through the back door, written out as the model writes them.
        Board copy;
        copy_registers(*board_, copy, now());
        text = copy.save_state(now());
    }
    if (buf && size > 0) {
        const size_t n = std::min(size - 1, text.size());
        std::memcpy(buf, text.data(), n);
        buf[n] = '\0';
    }
    return text.size() + 1;
}

int Bench::set_board_state(const char *text)
{
    catch_up(now());
    if (!text) return -1;
    // A text that is not a state: minus the number of its first bad line.
    size_t line = 1;
    if (Board *model = board_->model_board()) return model->load_state(text, &line) ? 0 : -static_cast<int>(line);
    Board copy;
    if (!copy.load_state(text, &line)) return -static_cast<int>(line);
    copy_registers(copy, *board_, now());
    return 0;
}

int Bench::drive(const char *name, double value)
{
    if (!name) return -1;
    catch_up(now());
    std::string n = lower(name);
    if (n.size() == 3 && n.compare(0, 2, "ai") == 0 && n[2] >= '4' && n[2] <= '7') {
        drive_ai_[n[2] - '0'] = value;
    } else if (n == "apfi0" || n == "apfi1") {
        apfi_[n[4] - '0'] = std::isnan(value) ? 0.0 : value;
    } else {
        // The board's own outside signals: ADC inputs, a stuck ADC, a DAC output off.
        return board_->drive_signal(n.c_str(), value);
    }
    return 0;
}

int Bench::fault(const char *function, const char *task, int code, int nth, int always)
{
    if (!function) return -1;
    return faults_.arm(function, task ? task : "", code, nth, always != 0);
}

int Bench::vcd_file(const char *path)
{
    settle();
    Vcd::Sample s{levels_, bus_.address_word(), AvalonDecoder::state_name(bus_.state()), contended_ != 0};
    // The board's own signals, if it shows any, under a scope of their own.
    const ksim_board_api &api = board_->api();
    std::vector<Vcd::BoardSignal> signals;
    const int count = api.signal_count ? api.signal_count(board_->board()) : 0;
    for (int i = 0; i < count; ++i) {
        int width = 1;
        const char *name = api.signal_name(board_->board(), i, &width);
        signals.push_back({name ? name : "?", width, api.signal_value(board_->board(), i)});
    }
    const int rc = vcd_.open(path, now(), s, signals, vcd_layout_);
    if (count > 0) {
        const bool on = rc == 0 && vcd_.active();
        api.watch(board_->board(), on ? this : nullptr,
                  on ? +[](void *ctx, int64_t t, int i, uint64_t v) { static_cast<Bench *>(ctx)->vcd_.board_change(t, i, v); }
                     : nullptr);
    }
    return rc;
}

int Bench::vcd_layout(int layout)
{
    if (layout != static_cast<int>(Vcd::Layout::Vectors) && layout != static_cast<int>(Vcd::Layout::Lines)) return -1;
    vcd_layout_ = static_cast<Vcd::Layout>(layout);
    return 0;
}

int Bench::set_board(const char *choice, std::string &error)
{
    const std::string s = choice ? choice : "";
    std::unique_ptr<BoardSocket> b;
    if (s.empty() || s == "model")
        b = BoardSocket::model();
    else
        b = BoardSocket::load(s == "rtl" ? rtl_board_path() : s, error);
    if (!b) return -1;
    if (vcd_.active()) vcd_file(nullptr);  // its board scope was the old board's
    board_ = std::move(b);
    bus_.reset();
    settle();
    return 0;
}

int Bench::set_board(const char *choice, char *error, size_t size)
{
    std::string why;
    const int rc = set_board(choice, why);
    if (error && size > 0) {
        const size_t n = std::min(size - 1, why.size());
        std::memcpy(error, why.data(), n);
        error[n] = '\0';
    }
    return rc;
}

// ---- digital lines and the board -------------------------------------------------------------

void Bench::settle()
{
    const int64_t t = now();
    const ksim_board_api &api = board_->api();
    uint32_t bm = 0, bl = 0;
    board_->drive(t, bm, bl);
    for (int i = 0; i < 4; ++i) {
        // The DAQ's output wins; else the board's drive; else its strobe pulls; else the pull-downs.
        levels_ = ((daq_out_ & daq_levels_) | (~daq_out_ & bm & bl) |
                   (~daq_out_ & ~bm & api.pull_mask & api.pull_levels)) &
                  kAllLines;
        board_->lines(t, levels_);
        const uint32_t m = bm, l = bl;
        board_->drive(t, bm, bl);
        if (bm == m && bl == l) break;
    }
    bus_.step(levels_);
    const uint32_t contended = daq_out_ & bm;
    if (contended & ~contended_) {
        ++contention_;
        char buf[96];
        std::snprintf(buf, sizeof buf, "# contention: port0 0x%02x port1 0x%02x port2 0x%02x driven by DAQ and board\n",
                      contended & 0xFF, (contended >> 8) & 0xFF, (contended >> 16) & 0xFF);
        notes_ += buf;
    }
    contended_ = contended;
    board_drive_ = bm;
    if (bus_.state() != AvalonDecoder::State::Read) undriven_noted_ = false;
    if (vcd_.active())
        vcd_.sample(t, {levels_, bus_.address_word(), AvalonDecoder::state_name(bus_.state()), contended_ != 0});
}

void Bench::lines_to_input(uint32_t mask)
{
    daq_out_ &= ~mask;
}

void Bench::lines_drive(uint32_t mask, uint32_t levels)
{
    daq_out_ |= mask;
    daq_levels_ = (daq_levels_ & ~mask) | (levels & mask);
}

void Bench::note_undriven_read(const Chan &c)
{
    // In a read cycle nobody drives the bus lines: no slave answered, and the
    // DAQ reads its pull-downs (0). Said once per read cycle.
    if (undriven_noted_ || bus_.state() != AvalonDecoder::State::Read ||
        ((daq_out_ | board_drive_ | board_->api().pull_mask) & kBusMask))
        return;
    bool bus_line = false;
    for (const LineRef &r : c.lines)
        if ((1u << r.index()) & kBusMask) bus_line = true;
    if (!bus_line) return;
    undriven_noted_ = true;
    char buf[128];
    std::snprintf(buf, sizeof buf, "# no slave drives the bus: slave %d register 0x%04X reads the pull-downs (0)\n",
                  bus_.slave(), bus_.address());
    notes_ += buf;
}

uint8_t Bench::chan_byte(const Chan &c) const
{
    uint8_t b = 0;
    for (const LineRef &r : c.lines)
        if ((levels_ >> r.index()) & 1) b = static_cast<uint8_t>(b | (1u << r.line));
    return b;
}

}  // namespace sim
