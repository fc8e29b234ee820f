#include "bench.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "errors.h"
#include "korvane_strings.h"

namespace ksim {

namespace {

constexpr uint32_t kDefaultSeed = 6251;
constexpr uint32_t kAllLines = 0xFFFFFF;
constexpr uintptr_t kHandleBase = 0x4B000;
constexpr uint64_t kMaxBuffer = 1ULL << 26;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

TaskHandle to_handle(uint64_t id)
{
    return reinterpret_cast<TaskHandle>(kHandleBase + id * 16);
}

using korvane::text::lower;

// The default input buffer of a continuous acquisition, by rate, as the driver sizes it.
uint64_t default_buffer(double rate)
{
    if (rate <= 100) return 1'000;
    if (rate <= 10'000) return 10'000;
    if (rate <= 1'000'000) return 100'000;
    return 1'000'000;
}

uint64_t splitmix(uint64_t &x)
{
    uint64_t z = (x += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

}  // namespace

Bench::Bench(std::shared_ptr<Clock> clock) : clock_(std::move(clock))
{
    reset();
}

Bench::~Bench() = default;

// ---- the call frame -----------------------------------------------------------------

template <class Body>
int32 Bench::call(const char *fn, const std::string *task_name, int64_t latency, Body body)
{
    ++calls_;
    notes_.clear();
    call_began_ = now();
    catch_up(call_began_);
    int32 status;
    const auto code = faults_.check(fn, task_name);
    const bool refused = code.has_value();
    if (refused) {
        status = *code;  // refused: nothing else happens
        latency = Latency::kRefused;
    } else {
        status = body();
    }
    Task *named = nullptr;
    if (status < 0) {
        for (const auto &kv : tasks_)
            if (task_name && kv.second->name == *task_name) named = kv.second.get();
        remember_error(status, task_name, named ? !named->chans.empty() : false);
    }
    // On the driver "invalid task" means the handle no longer names a task: an
    // injected one ends the task, as if it had been cleared elsewhere.
    if (refused && status == DAQmxErrorInvalidTask && named && std::strcmp(fn, "DAQmxCreateTask") != 0) {
        stop(*named);
        tasks_.erase(named->id);
    }
    clock_->sleep_ns(latency);
    return status;
}

void Bench::remember_error(int32 status, const std::string *task, bool device)
{
    last_error_ = status;
    last_error_task_ = task ? *task : std::string();
    last_error_device_ = device || status == DAQmxErrorPhysicalChanDoesNotExist || status == DAQmxErrorInvalidDeviceID;
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

// ---- back door ------------------------------------------------------------------------

void Bench::reset()
{
    tasks_.clear();
    ai_owner_ = nullptr;
    ao_timed_ = nullptr;
    for (int i = 0; i < kAoChannels; ++i) {
        ao_value_[i] = 0;
        ao_gen_[i] = nullptr;
    }
    std::fill(std::begin(drive_ai_), std::end(drive_ai_), kNaN);
    apfi_[0] = apfi_[1] = 0;
    daq_out_ = daq_levels_ = 0;
    contended_ = 0;
    contention_ = 0;
    board_.reset();
    faults_.clear();
    calls_ = 0;
    notes_.clear();
    set_seed(kDefaultSeed);
    last_error_ = 0;
    last_error_task_.clear();
    last_error_device_ = false;
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
    board_.shift_time(delta);
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

void Bench::set_seed(uint32_t seed)
{
    seed_ = seed;
    rng_ = seed;
}

uint64_t Bench::next_random()
{
    return splitmix(rng_);
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
        *value = static_cast<double>((levels_ >> (8 * idx)) & 0xFF);
    } else if (numbered("dac", 2, idx)) {
        *value = board_.peripherals().dac_volts(idx);
    } else if (numbered("adc", 2, idx)) {
        *value = board_.peripherals().adc_input(idx);
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
    if (!board_.read_reg(slave, address, now(), w)) return -1;
    *word = w;
    return 0;
}

int Bench::poke_reg(int slave, int address, unsigned word)
{
    catch_up(now());
    if (word > 0xFFFF || !board_.poke_reg(slave, address, static_cast<uint16_t>(word), now())) return -1;
    return 0;
}

int Bench::drive(const char *name, double value)
{
    if (!name) return -1;
    catch_up(now());
    std::string n = lower(name);
    if (n.size() == 3 && n.compare(0, 2, "ai") == 0 && n[2] >= '4' && n[2] <= '7') {
        drive_ai_[n[2] - '0'] = value;
    } else if (n == "adc0" || n == "adc1") {
        board_.peripherals().set_adc_override(n[3] - '0', value);
    } else if (n == "adc-stuck") {
        board_.peripherals().set_adc_stuck(value != 0);
    } else if (n == "dac0-off" || n == "dac1-off") {
        board_.peripherals().set_dac_off(n[3] - '0', value != 0);
    } else if (n == "apfi0" || n == "apfi1") {
        apfi_[n[4] - '0'] = std::isnan(value) ? 0.0 : value;
    } else {
        return -1;
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
    Vcd::Sample s{levels_, board_.decoder().address_word(),
                  AvalonDecoder::state_name(board_.decoder().state()), contended_ != 0};
    return vcd_.open(path, now(), s);
}

// ---- digital lines and the board --------------------------------------------------------

void Bench::settle()
{
    const int64_t t = now();
    for (int i = 0; i < 4; ++i) {
        const uint32_t bm = board_.drive_mask(), bl = board_.drive_levels();
        // The DAQ's output wins; else the board's drive; else its strobe pulls; else the pull-downs.
        levels_ = ((daq_out_ & daq_levels_) | (~daq_out_ & bm & bl) |
                   (~daq_out_ & ~bm & Board::kPullMask & Board::kPullLevels)) &
                  kAllLines;
        board_.update(levels_, t);
        if (board_.drive_mask() == bm && board_.drive_levels() == bl) break;
    }
    const uint32_t contended = daq_out_ & board_.drive_mask();
    if (contended & ~contended_) {
        ++contention_;
        char buf[96];
        std::snprintf(buf, sizeof buf, "# contention: port0 0x%02x port1 0x%02x port2 0x%02x driven by DAQ and board\n",
                      contended & 0xFF, (contended >> 8) & 0xFF, (contended >> 16) & 0xFF);
        notes_ += buf;
    }
    contended_ = contended;
    if (vcd_.active())
        vcd_.sample(t, {levels_, board_.decoder().address_word(), AvalonDecoder::state_name(board_.decoder().state()),
                        contended_ != 0});
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

uint8_t Bench::chan_byte(const Chan &c) const
{
    uint8_t b = 0;
    for (const LineRef &r : c.lines)
        if ((levels_ >> r.index()) & 1) b = static_cast<uint8_t>(b | (1u << r.line));
    return b;
}

// ---- analog world ---------------------------------------------------------------------------

double Bench::ao_volts(int ch, int64_t t) const
{
    const Task *g = ao_gen_[ch];
    // Nothing is generated before the trigger, or on a clock terminal nothing drives.
    if (!g || g->run.armed || g->external_clock || t < g->run.t_first || g->wave_len == 0) return ao_value_[ch];
    const double elapsed = static_cast<double>(t - g->run.t_first) * 1e-9;
    auto k = static_cast<uint64_t>(elapsed * g->rate);
    if (g->mode == DAQmx_Val_FiniteSamps)
        k = std::min(k, g->wave_len - 1);
    else
        k %= g->wave_len;
    size_t c = 0;
    for (size_t i = 0; i < g->chans.size(); ++i)
        if (g->chans[i].index == ch) c = i;
    return g->wave[k * g->chans.size() + c];
}

double Bench::ai_volts(int ch, int64_t t) const
{
    switch (ch) {
    case 0:
    case 1: return ao_volts(ch, t);
    case 2:
    case 3: return board_.peripherals().dac_volts(ch - 2);
    case 4:
        return std::isnan(drive_ai_[4]) ? std::sin(2 * std::numbers::pi * static_cast<double>(t) * 1e-9) : drive_ai_[4];
    case 5: return std::isnan(drive_ai_[5]) ? 2.5 : drive_ai_[5];
    case 6:
    case 7: return std::isnan(drive_ai_[ch]) ? 0.0 : drive_ai_[ch];
    default: return 0.0;
    }
}

double Bench::quantise(const Chan &c, double volts)
{
    const double range = c.lsb * 32768;
    volts = std::clamp(volts, -1.1 * range, 1.1 * range);
    // A few LSB of noise, triangular in -2..2.
    const uint64_t r = next_random();
    const long noise = static_cast<long>(r % 3) + static_cast<long>((r >> 32) % 3) - 2;
    long code = std::lround(volts / c.lsb) + noise;
    code = std::clamp(code, -32768L, 32767L);
    return static_cast<double>(code) * c.lsb;
}

double Bench::trigger_value(const std::string &source, int64_t t) const
{
    if (source == "apfi0") return apfi_[0];
    if (source == "apfi1") return apfi_[1];
    return ai_volts(std::atoi(source.c_str() + 2), t);
}

bool Bench::source_varies(const std::string &source) const
{
    if (source == "ai4") return std::isnan(drive_ai_[4]);
    if (source == "ai0") return ao_gen_[0] != nullptr && !ao_gen_[0]->external_clock;
    if (source == "ai1") return ao_gen_[1] != nullptr && !ao_gen_[1]->external_clock;
    return false;
}

uint64_t Bench::samples_by(const Task &t, int64_t time) const
{
    if (t.run.armed || t.external_clock || time <= t.run.t_first) return 0;
    auto k = static_cast<uint64_t>(static_cast<double>(time - t.run.t_first) * t.rate * 1e-9);
    while (time_of_sample(t, k + 1) <= time) ++k;
    while (k > 0 && time_of_sample(t, k) > time) --k;
    if (t.mode == DAQmx_Val_FiniteSamps) k = std::min(k, t.samps);
    return k;
}

int64_t Bench::time_of_sample(const Task &t, uint64_t count) const
{
    // Far beyond any wait (a slow clock, a large count): saturate instead of overflowing.
    const double ns = std::ceil(static_cast<double>(count) * 1e9 / t.rate);
    if (ns >= 4e18) return INT64_MAX / 2;
    return t.run.t_first + static_cast<int64_t>(ns);
}

bool Bench::scan_trigger(Task &t, int64_t until)
{
    Run &r = t.run;
    if (!r.armed) return true;
    if (until <= r.scan_t) return false;
    const std::string &src = t.trig.source;
    const bool rising = t.trig.slope != DAQmx_Val_FallingSlope;
    const double level = t.trig.level;
    auto crossed = [&](double prev, double cur) {
        return rising ? (prev < level && cur >= level) : (prev > level && cur <= level);
    };
    double step = 1e9 / t.rate;
    if (!source_varies(src)) {
        // Constant from here on: only a change since the last look can cross.
        const int64_t at = r.scan_t + static_cast<int64_t>(std::ceil(step));
        if (at > until) return false;
        const double cur = trigger_value(src, at);
        if (crossed(r.prev, cur)) {
            r.armed = false;
            r.t_first = at;
            return true;
        }
        r.prev = cur;
        r.scan_t = until;
        return false;
    }
    // Very long looks get a coarser grid, so that a wait never scans without end.
    const double points = static_cast<double>(until - r.scan_t) / step;
    if (points > 2e7) step *= points / 2e7;
    double ts = static_cast<double>(r.scan_t);
    for (;;) {
        ts += step;
        if (ts > static_cast<double>(until)) break;
        const auto at = static_cast<int64_t>(ts);
        const double cur = trigger_value(src, at);
        if (crossed(r.prev, cur)) {
            r.armed = false;
            r.t_first = at;
            return true;
        }
        r.prev = cur;
        r.scan_t = at;
    }
    return false;
}

void Bench::acquire_until(Task &t, int64_t until)
{
    Run &r = t.run;
    if (r.overflow) return;
    if (r.armed && !scan_trigger(t, until)) return;
    const uint64_t target = samples_by(t, until);
    const size_t nch = t.chans.size();
    while (r.produced < target) {
        if (r.produced - r.consumed >= r.cap) {
            r.overflow = true;
            break;
        }
        const int64_t ts = time_of_sample(t, r.produced + 1);
        double *slot = &r.ring[(r.produced % r.cap) * nch];
        for (size_t c = 0; c < nch; ++c) slot[c] = quantise(t.chans[c], ai_volts(t.chans[c].index, ts));
        ++r.produced;
    }
}

void Bench::catch_up(int64_t now)
{
    if (ao_timed_ && ao_timed_->run.armed) scan_trigger(*ao_timed_, now);
    if (ai_owner_ && ai_owner_->timed) acquire_until(*ai_owner_, now);
}

// ---- task lifecycle -----------------------------------------------------------------------

int32 Bench::check_rate(const Task &t, double rate) const
{
    const double n = static_cast<double>(std::max<size_t>(t.chans.size(), 1));
    double limit;
    if (t.kind == Kind::AO)
        limit = n > 1 ? Limits::kAoRateTwo : Limits::kAoRateOne;
    else
        limit = n > 1 ? Limits::kAiRateAggregate / n : Limits::kAiRateOne;
    if (!(rate >= Limits::kRateMin) || rate > limit) return DAQmxErrorInvalidAttributeValue;
    return 0;
}

int32 Bench::start(Task &t, bool implicit)
{
    if (t.chans.empty()) return DAQmxErrorNoChansSpecdForTask;
    if (t.state == State::Running) {
        if (!implicit) t.implicit = false;  // an explicit start makes it last
        return 0;
    }
    const int64_t at = now();
    switch (t.kind) {
    case Kind::DI: {
        uint32_t mask = 0;
        for (const Chan &c : t.chans) mask |= c.mask;
        lines_to_input(mask);
        settle();
        break;
    }
    case Kind::DO:
    case Kind::None: break;
    case Kind::AI: {
        if (ai_owner_ && ai_owner_ != &t) return DAQmxErrorResourceReserved;
        if (t.timed) {
            if (int32 st = check_rate(t, t.rate)) return st;
            Run &r = t.run;
            r = Run{};
            const uint64_t cap = t.mode == DAQmx_Val_FiniteSamps ? t.samps : std::max(t.samps, default_buffer(t.rate));
            if (cap * t.chans.size() > kMaxBuffer) return DAQmxErrorInvalidAttributeValue;  // more than the bench holds
            r.cap = cap;
            r.ring.assign(r.cap * t.chans.size(), 0.0);
            r.t_first = at;
            r.scan_t = at;
            r.armed = t.trig.on;
            if (r.armed) r.prev = trigger_value(t.trig.source, at);
        }
        ai_owner_ = &t;
        break;
    }
    case Kind::AO: {
        for (const Chan &c : t.chans)
            if (ao_gen_[c.index] && ao_gen_[c.index] != &t) return DAQmxErrorResourceAlreadyReserved;
        if (t.timed) {
            if (ao_timed_ && ao_timed_ != &t) return DAQmxErrorResourceReserved;
            if (int32 st = check_rate(t, t.rate)) return st;
            if (t.wave_len == 0) return kErrGenNoDataInBuffer;
            Run &r = t.run;
            r = Run{};
            r.t_first = at;
            r.scan_t = at;
            r.armed = t.trig.on;
            if (r.armed) r.prev = trigger_value(t.trig.source, at);
            ao_timed_ = &t;
            for (const Chan &c : t.chans) ao_gen_[c.index] = &t;
        }
        break;
    }
    }
    if (implicit) t.resume = t.state;
    t.state = State::Running;
    t.implicit = implicit;
    return 0;
}

void Bench::stop(Task &t)
{
    if (t.state != State::Running) return;
    const int64_t at = now();
    if (ai_owner_ == &t) {
        ai_owner_ = nullptr;
        t.run.ring.clear();
        t.run.ring.shrink_to_fit();
    }
    if (ao_timed_ == &t) ao_timed_ = nullptr;
    for (int ch = 0; ch < kAoChannels; ++ch) {
        if (ao_gen_[ch] == &t) {
            ao_value_[ch] = ao_volts(ch, at);  // the output holds its last sample
            ao_gen_[ch] = nullptr;
        }
    }
    t.state = State::Stopped;
    t.implicit = false;
}

void Bench::unwind(Task &t, State before)
{
    stop(t);
    t.state = before;
}

int32 Bench::CreateTask(const char taskName[], TaskHandle *taskHandle)
{
    const std::string given = taskName ? taskName : "";
    return call(
        "DAQmxCreateTask", &given, Latency::kCreateTask,
        [&]() -> int32 {
            if (!taskHandle) return DAQmxErrorInvalidAttributeValue;
            std::string name = given;
            if (name.empty()) name = "_unnamedTask<" + std::to_string(unnamed_++) + ">";
            for (const auto &kv : tasks_)
                if (kv.second->name == name) return DAQmxErrorDuplicateTask;
            auto t = std::make_unique<Task>();
            t->id = next_id_++;
            t->name = name;
            *taskHandle = to_handle(t->id);
            tasks_.emplace(t->id, std::move(t));
            return 0;
        });
}

int32 Bench::StartTask(TaskHandle h)
{
    Task *t = task(h);
    return call(
        "DAQmxStartTask", t ? &t->name : nullptr, Latency::kStart,
        [&]() -> int32 { return t ? start(*t, false) : DAQmxErrorInvalidTask; });
}

int32 Bench::StopTask(TaskHandle h)
{
    Task *t = task(h);
    return call(
        "DAQmxStopTask", t ? &t->name : nullptr, Latency::kStop,
        [&]() -> int32 {
            if (!t) return DAQmxErrorInvalidTask;
            stop(*t);
            return 0;
        });
}

int32 Bench::ClearTask(TaskHandle h)
{
    Task *t = task(h);
    const std::string name = t ? t->name : std::string();  // the task is gone after the call
    return call(
        "DAQmxClearTask", t ? &name : nullptr, Latency::kClear,
        [&]() -> int32 {
            if (!t) return DAQmxErrorInvalidTask;
            stop(*t);
            tasks_.erase(t->id);  // lines keep their direction and level
            return 0;
        });
}

// ---- channels ------------------------------------------------------------------------------

namespace {

// Channels, timing and triggers change only on an existing task that is not running.
int32 reconfigurable(const Bench::Task *t)
{
    if (!t) return DAQmxErrorInvalidTask;
    if (t->state == Bench::State::Running) return kErrTaskRunning;
    return 0;
}

}  // namespace

int32 Bench::add_digital(TaskHandle h, const char *lines, const char *name, int32 grouping, Kind kind)
{
    Task *t = task(h);
    if (int32 st = reconfigurable(t)) return st;
    if (t->kind != Kind::None && t->kind != kind) return DAQmxErrorCannotAddChanTypeToTask;
    if (grouping != DAQmx_Val_ChanPerLine && grouping != DAQmx_Val_ChanForAllLines)
        return DAQmxErrorInvalidAttributeValue;
    std::vector<LineRef> refs;
    if (int32 st = resolve_lines(lines ? lines : "", device_, refs)) return st;
    auto make = [&](std::vector<LineRef> rs) {
        Chan c;
        c.name = name ? name : "";
        for (const LineRef &r : rs) c.mask |= 1u << r.index();
        c.lines = std::move(rs);
        t->chans.push_back(std::move(c));
    };
    if (grouping == DAQmx_Val_ChanForAllLines)
        make(refs);
    else
        for (const LineRef &r : refs) make({r});
    t->kind = kind;
    return 0;
}

int32 Bench::CreateDOChan(TaskHandle h, const char lines[], const char name[], int32 grouping)
{
    Task *t = task(h);
    return call(
        "DAQmxCreateDOChan", t ? &t->name : nullptr, Latency::kCreateChan,
        [&] { return add_digital(h, lines, name, grouping, Kind::DO); });
}

int32 Bench::CreateDIChan(TaskHandle h, const char lines[], const char name[], int32 grouping)
{
    Task *t = task(h);
    return call(
        "DAQmxCreateDIChan", t ? &t->name : nullptr, Latency::kCreateChan,
        [&] { return add_digital(h, lines, name, grouping, Kind::DI); });
}

int32 Bench::add_analog(TaskHandle h, const char *chan, const char *name, double min, double max, int32 units,
                        const char *scale, Kind kind)
{
    Task *t = task(h);
    if (int32 st = reconfigurable(t)) return st;
    if (t->kind != Kind::None && t->kind != kind) return DAQmxErrorCannotAddChanTypeToTask;
    if (units != DAQmx_Val_Volts || (scale && *scale)) return DAQmxErrorInvalidAttributeValue;
    if (!(min < max)) return kErrMinNotLessThanMax;
    if (!(min >= -Limits::kAnalogMax) || !(max <= Limits::kAnalogMax)) return DAQmxErrorInvalidAttributeValue;
    std::vector<int> idx;
    if (int32 st = resolve_analog(chan ? chan : "", device_, kind == Kind::AO ? 'o' : 'i', idx)) return st;
    double lsb = 20.0 / 65536;
    if (kind == Kind::AI) {
        // The smallest of the 6251's input ranges that holds min..max.
        for (double r : {0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0}) {
            if (-r <= min && max <= r) {
                lsb = 2 * r / 65536;
                break;
            }
        }
    }
    for (int i : idx) {
        Chan c;
        c.name = name ? name : "";
        c.index = i;
        c.min = min;
        c.max = max;
        c.lsb = lsb;
        t->chans.push_back(c);
    }
    t->kind = kind;
    return 0;
}

int32 Bench::CreateAOVoltageChan(TaskHandle h, const char physicalChannel[], const char name[], float64 minVal,
                                 float64 maxVal, int32 units, const char customScaleName[])
{
    Task *t = task(h);
    return call(
        "DAQmxCreateAOVoltageChan", t ? &t->name : nullptr, Latency::kCreateChan,
        [&] { return add_analog(h, physicalChannel, name, minVal, maxVal, units, customScaleName, Kind::AO); });
}

int32 Bench::CreateAIVoltageChan(TaskHandle h, const char physicalChannel[], const char name[],
                                 int32 terminalConfig, float64 minVal, float64 maxVal, int32 units,
                                 const char customScaleName[])
{
    Task *t = task(h);
    return call(
        "DAQmxCreateAIVoltageChan", t ? &t->name : nullptr, Latency::kCreateChan,
        [&]() -> int32 {
            if (terminalConfig != DAQmx_Val_RSE && terminalConfig != DAQmx_Val_NRSE &&
                terminalConfig != DAQmx_Val_Diff && terminalConfig != DAQmx_Val_Cfg_Default && task(h))
                return DAQmxErrorInvalidAttributeValue;
            return add_analog(h, physicalChannel, name, minVal, maxVal, units, customScaleName, Kind::AI);
        });
}

// ---- timing and triggers -------------------------------------------------------------------

int32 Bench::CfgSampClkTiming(TaskHandle h, const char source[], float64 rate, int32 activeEdge, int32 sampleMode,
                              uInt64 sampsPerChan)
{
    Task *t = task(h);
    return call(
        "DAQmxCfgSampClkTiming", t ? &t->name : nullptr, Latency::kConfigure,
        [&]() -> int32 {
            if (int32 st = reconfigurable(t)) return st;
            // The bench's digital lines are static only.
            if (t->kind == Kind::DI || t->kind == Kind::DO) return DAQmxErrorInvalidAttributeValue;
            if (sampleMode != DAQmx_Val_ContSamps && sampleMode != DAQmx_Val_FiniteSamps)
                return DAQmxErrorInvalidAttributeValue;
            if (activeEdge != DAQmx_Val_Rising && activeEdge != DAQmx_Val_Falling)
                return DAQmxErrorInvalidAttributeValue;
            if (int32 st = check_rate(*t, rate)) return st;
            if (sampleMode == DAQmx_Val_FiniteSamps && sampsPerChan < 1) return DAQmxErrorInvalidAttributeValue;
            if (sampsPerChan > kMaxBuffer) return DAQmxErrorInvalidAttributeValue;
            bool external = false;
            if (source && *source && !korvane::text::iequals(source, "OnboardClock")) {
                // A PFI terminal: accepted, but nothing on the bench drives it.
                std::string s = lower(source);
                const std::string dev = "/" + lower(device_) + "/";
                if (s.compare(0, dev.size(), dev) == 0) s = s.substr(dev.size());
                if (s.size() < 4 || s.compare(0, 3, "pfi") != 0 ||
                    !std::all_of(s.begin() + 3, s.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) ||
                    std::atoi(s.c_str() + 3) > 15)
                    return DAQmxErrorInvalidAttributeValue;
                external = true;
            }
            t->timed = true;
            t->external_clock = external;
            t->rate = rate;
            t->mode = sampleMode;
            t->samps = sampsPerChan;
            return 0;
        });
}

int32 Bench::CfgAnlgEdgeStartTrig(TaskHandle h, const char triggerSource[], int32 triggerSlope, float64 triggerLevel)
{
    Task *t = task(h);
    return call(
        "DAQmxCfgAnlgEdgeStartTrig", t ? &t->name : nullptr, Latency::kConfigure,
        [&]() -> int32 {
            if (int32 st = reconfigurable(t)) return st;
            if (t->kind == Kind::DI || t->kind == Kind::DO) return DAQmxErrorInvalidAttributeValue;
            if (triggerSlope != DAQmx_Val_RisingSlope && triggerSlope != DAQmx_Val_FallingSlope)
                return DAQmxErrorInvalidAttributeValue;
            if (!(std::fabs(triggerLevel) <= Limits::kAnalogMax)) return DAQmxErrorInvalidAttributeValue;
            if (!triggerSource || !*triggerSource) return DAQmxErrorInvalidAttributeValue;
            // APFI0/APFI1 or an analog input, with or without the device's name.
            std::string s = lower(triggerSource);
            const std::string dev = lower(device_) + "/";
            if (!s.empty() && s[0] == '/') s.erase(0, 1);
            if (s.compare(0, dev.size(), dev) == 0) s = s.substr(dev.size());
            std::string canon;
            if (s == "apfi0" || s == "apfi1") {
                canon = s;
            } else {
                std::vector<int> idx;
                if (resolve_analog(device_ + "/" + s, device_, 'i', idx) != 0 || idx.size() != 1)
                    return DAQmxErrorInvalidAttributeValue;
                canon = "ai" + std::to_string(idx[0]);
            }
            t->trig = {true, canon, triggerSlope, triggerLevel};
            return 0;
        });
}

int32 Bench::DisableStartTrig(TaskHandle h)
{
    Task *t = task(h);
    return call(
        "DAQmxDisableStartTrig", t ? &t->name : nullptr, Latency::kConfigure,
        [&]() -> int32 {
            if (int32 st = reconfigurable(t)) return st;
            t->trig.on = false;
            return 0;
        });
}

// ---- digital reads and writes ----------------------------------------------------------------

int32 Bench::WriteDigitalU8(TaskHandle h, int32 n, bool32 autoStart, float64 timeout, bool32 layout,
                            const uInt8 data[], int32 *written, bool32 *reserved)
{
    Task *t = task(h);
    return call(
        "DAQmxWriteDigitalU8", t ? &t->name : nullptr, Latency::kDigital,
        [&]() -> int32 {
            if (!t) return DAQmxErrorInvalidTask;
            if (t->chans.empty()) return DAQmxErrorNoChansSpecdForTask;
            if (t->kind == Kind::DI || t->kind == Kind::AI) return DAQmxErrorWriteNoOutputChansInTask;
            if (t->kind != Kind::DO) return kErrWriteChanTypeMismatch;
            if (n < 0 || (n > 0 && !data) || (layout != 0 && layout != 1)) return DAQmxErrorInvalidAttributeValue;
            const State before = t->state;
            const bool was_running = before == State::Running;
            if (int32 st = start(*t, !was_running)) return st;
            const size_t nch = t->chans.size();
            for (int32 i = 0; i < n; ++i) {
                uint32_t mask = 0, levels = 0;
                for (size_t c = 0; c < nch; ++c) {
                    const uint8_t b = data[layout == 0 ? c * static_cast<size_t>(n) + static_cast<size_t>(i)
                                                       : static_cast<size_t>(i) * nch + c];
                    for (const LineRef &r : t->chans[c].lines) {
                        mask |= 1u << r.index();
                        if ((b >> r.line) & 1) levels |= 1u << r.index();
                    }
                }
                lines_drive(mask, levels);
                settle();
            }
            if (!was_running) unwind(*t, before);
            if (written) *written = n;
            return 0;
        });
}

int32 Bench::ReadDigitalU8(TaskHandle h, int32 n, float64 timeout, bool32 fill, uInt8 data[], uInt32 size,
                           int32 *nread, bool32 *reserved)
{
    Task *t = task(h);
    return call(
        "DAQmxReadDigitalU8", t ? &t->name : nullptr, Latency::kDigital,
        [&]() -> int32 {
            if (!t) return DAQmxErrorInvalidTask;
            if (t->chans.empty()) return DAQmxErrorNoChansSpecdForTask;
            if (t->kind != Kind::DI && t->kind != Kind::DO) return kErrReadChanTypeMismatch;
            const int32 count = n == -1 ? 1 : n;
            if (count < 0 || !data || (fill != 0 && fill != 1)) return DAQmxErrorInvalidAttributeValue;
            const size_t nch = t->chans.size();
            if (static_cast<uint64_t>(count) * nch > size) return kErrReadBufferTooSmall;
            const State before = t->state;
            const bool was_running = before == State::Running;
            if (int32 st = start(*t, !was_running)) return st;
            for (int32 i = 0; i < count; ++i)
                for (size_t c = 0; c < nch; ++c)
                    data[fill == 0 ? c * static_cast<size_t>(count) + static_cast<size_t>(i)
                                   : static_cast<size_t>(i) * nch + c] = chan_byte(t->chans[c]);
            if (!was_running) unwind(*t, before);
            if (nread) *nread = count;
            return 0;
        });
}

// ---- analog writes and reads -------------------------------------------------------------------

int32 Bench::WriteAnalogF64(TaskHandle h, int32 n, bool32 autoStart, float64 timeout, bool32 layout,
                            const float64 data[], int32 *written, bool32 *reserved)
{
    Task *t = task(h);
    return call(
        "DAQmxWriteAnalogF64", t ? &t->name : nullptr, t && t->timed ? Latency::kBuffered : Latency::kAnalog,
        [&]() -> int32 {
            if (!t) return DAQmxErrorInvalidTask;
            if (t->chans.empty()) return DAQmxErrorNoChansSpecdForTask;
            if (t->kind == Kind::DI || t->kind == Kind::AI) return DAQmxErrorWriteNoOutputChansInTask;
            if (t->kind != Kind::AO) return kErrWriteChanTypeMismatch;
            if (n < 0 || (n > 0 && !data) || (layout != 0 && layout != 1)) return DAQmxErrorInvalidAttributeValue;
            const size_t nch = t->chans.size();
            const size_t ns = static_cast<size_t>(n);
            // Samples in scan order, each checked against its channel's range.
            std::vector<double> scans(ns * nch);
            for (size_t i = 0; i < ns; ++i) {
                for (size_t c = 0; c < nch; ++c) {
                    const double v = data[layout == 0 ? c * ns + i : i * nch + c];
                    if (!(v >= t->chans[c].min && v <= t->chans[c].max)) return DAQmxErrorInvalidAOWriteRange;
                    scans[i * nch + c] = std::round(v / t->chans[c].lsb) * t->chans[c].lsb;
                }
            }
            if (n == 0) {
                if (written) *written = 0;
                return 0;
            }
            if (!t->timed) {
                for (const Chan &c : t->chans)
                    if (ao_gen_[c.index] && ao_gen_[c.index] != t) return DAQmxErrorResourceAlreadyReserved;
                const State before = t->state;
                const bool was_running = before == State::Running;
                if (int32 st = start(*t, !was_running)) return st;
                for (size_t c = 0; c < nch; ++c) ao_value_[t->chans[c].index] = scans[(ns - 1) * nch + c];
                if (!was_running) unwind(*t, before);
            } else if (t->state == State::Running) {
                // New data for a running generation: it regenerates the new buffer from now on.
                t->wave = std::move(scans);
                t->wave_len = ns;
                if (!t->run.armed) t->run.t_first = now();
            } else {
                std::vector<double> old = std::move(t->wave);
                const uint64_t old_len = t->wave_len;
                t->wave = std::move(scans);
                t->wave_len = ns;
                if (autoStart) {
                    if (int32 st = start(*t, false)) {
                        t->wave = std::move(old);
                        t->wave_len = old_len;
                        return st;
                    }
                }
            }
            if (written) *written = n;
            return 0;
        });
}

int32 Bench::read_on_demand(Task &t, int32 n, bool32 fill, float64 *arr, uInt32 size, int32 *done)
{
    const int32 count = n == -1 ? 1 : n;
    const size_t nch = t.chans.size();
    if (static_cast<uint64_t>(count) * nch > size) return kErrReadBufferTooSmall;
    const State before = t.state;
    const bool was_running = before == State::Running;
    if (int32 st = start(t, !was_running)) return st;
    const int64_t at = now();
    for (int32 i = 0; i < count; ++i)
        for (size_t c = 0; c < nch; ++c)
            arr[fill == 0 ? c * static_cast<size_t>(count) + static_cast<size_t>(i) : static_cast<size_t>(i) * nch + c] =
                quantise(t.chans[c], ai_volts(t.chans[c].index, at));
    if (!was_running) unwind(t, before);
    *done = count;
    return 0;
}

int32 Bench::read_timed(Task &t, int32 n, float64 timeout, bool32 fill, float64 *arr, uInt32 size, int32 *done)
{
    const size_t nch = t.chans.size();
    if (t.state != State::Running) {
        // A new acquisition: a request it can never satisfy is refused before it starts.
        const uint64_t first = n != -1 ? static_cast<uint64_t>(n) : t.mode == DAQmx_Val_FiniteSamps ? t.samps : 0;
        if (first * nch > size) return kErrReadBufferTooSmall;
        if (t.mode == DAQmx_Val_FiniteSamps && first > t.samps) return kErrSamplesWillNeverBeAvailable;
        if (int32 st = start(t, true)) return st;
        // A continuous acquisition started by a read goes on after it.
        if (t.mode == DAQmx_Val_ContSamps) t.implicit = false;
    }
    Run &r = t.run;
    int64_t at = now();
    acquire_until(t, at);
    if (r.overflow) return DAQmxErrorAcqOverflow;
    uint64_t want;
    if (n == -1)
        want = t.mode == DAQmx_Val_ContSamps ? r.produced - r.consumed : t.samps - r.consumed;
    else
        want = static_cast<uint64_t>(n);
    if (want * nch > size) return kErrReadBufferTooSmall;
    if (t.mode == DAQmx_Val_FiniteSamps && r.consumed + want > t.samps) return kErrSamplesWillNeverBeAvailable;
    const uint64_t need = r.consumed + want;

    int64_t horizon = Limits::kInfiniteWaitNs;
    if (timeout >= 0 && timeout * 1e9 < static_cast<double>(Limits::kInfiniteWaitNs))
        horizon = static_cast<int64_t>(timeout * 1e9);
    const int64_t deadline = at + horizon;
    // Nothing changes while the call waits: triggers can be looked for ahead of time.
    // The output's look-ahead is taken back below if the read ends before the deadline.
    Task *ao = ao_timed_ && ao_timed_->run.armed ? ao_timed_ : nullptr;
    const Run ao_before = ao ? ao->run : Run{};
    if (ao) scan_trigger(*ao, deadline);
    if (r.armed) scan_trigger(t, deadline);
    const bool clocked = !r.armed && !t.external_clock;
    const int64_t ready = clocked ? time_of_sample(t, need) : INT64_MAX;
    const bool in_time = ready <= deadline;
    const int64_t wake = in_time ? ready : deadline;
    for (int guard = 0; guard < 1000 && at < wake; ++guard) {
        clock_->sleep_ns(wake - at);
        at = now();
    }
    const int64_t end = std::max(at, wake);
    acquire_until(t, end);
    // What comes after this call may still change the output's trigger source.
    if (ao && (ao->run.armed ? ao->run.scan_t > end : ao->run.t_first > end)) {
        ao->run = ao_before;
        scan_trigger(*ao, end);
    }
    if (r.overflow) return DAQmxErrorAcqOverflow;

    const uint64_t k = std::min<uint64_t>(want, r.produced - r.consumed);
    for (uint64_t i = 0; i < k; ++i) {
        const double *slot = &r.ring[((r.consumed + i) % r.cap) * nch];
        for (size_t c = 0; c < nch; ++c) arr[fill == 0 ? c * want + i : i * nch + c] = slot[c];
    }
    r.consumed += k;
    *done = static_cast<int32>(k);
    if (k < want) return timeout < 0 ? DAQmxErrorOperationTimedOut : DAQmxErrorSamplesNotYetAvailable;
    if (t.implicit && t.mode == DAQmx_Val_FiniteSamps && r.consumed == t.samps) unwind(t, t.resume);
    return 0;
}

int32 Bench::ReadAnalogF64(TaskHandle h, int32 n, float64 timeout, bool32 fill, float64 data[], uInt32 size,
                           int32 *nread, bool32 *reserved)
{
    Task *t = task(h);
    int32 got = 0;
    return call(
        "DAQmxReadAnalogF64", t ? &t->name : nullptr, t && t->timed ? Latency::kBuffered : Latency::kAnalog,
        [&]() -> int32 {
            if (!t) return DAQmxErrorInvalidTask;
            if (t->chans.empty()) return DAQmxErrorNoChansSpecdForTask;
            if (t->kind != Kind::AI) return kErrReadChanTypeMismatch;
            if (n < -1 || !data || (fill != 0 && fill != 1)) return DAQmxErrorInvalidAttributeValue;
            int32 st = t->timed ? read_timed(*t, n, timeout, fill, data, size, &got)
                                : read_on_demand(*t, n, fill, data, size, &got);
            if (nread) *nread = got;
            return st;
        });
}

// ---- error texts -----------------------------------------------------------------------------

int32 Bench::GetErrorString(int32 errorCode, char errorString[], uInt32 bufferSize)
{
    return call(
        "DAQmxGetErrorString", nullptr, Latency::kErrorText,
        [&] { return copy_text(error_message(errorCode), errorString, bufferSize); });
}

int32 Bench::GetExtendedErrorInfo(char errorString[], uInt32 bufferSize)
{
    return call(
        "DAQmxGetExtendedErrorInfo", nullptr, Latency::kErrorText,
        [&]() -> int32 {
            std::string text;
            if (last_error_ != 0) {
                text = error_message(last_error_) + "\n";
                if (last_error_device_) text += "Device: " + device_ + "\n";
                if (!last_error_task_.empty()) text += "\nTask Name: " + last_error_task_ + "\n";
                text += "\nStatus Code: " + std::to_string(last_error_);
            }
            return copy_text(text, errorString, bufferSize);
        });
}

}  // namespace ksim
