// The bench's driver face: each DAQmx call's argument checks and the task
// states (created, running, stopped; started by a read or write and stopped
// again after it), over the engine (engine.cpp) and the lines (bench.cpp).
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "sim/device/bench.h"
#include "sim/device/errors.h"
#include "base/korvane_strings.h"

namespace ksim {

namespace {

using korvane::text::iequals;
using korvane::text::lower;

// A terminal name without its "/<device>/" prefix, in lower case; false when
// it names another device. The bare form ("PFI0") is the task's own device.
bool local_terminal(const std::string &name, const std::string &device, std::string &local)
{
    local = lower(name);
    if (local.empty() || local[0] != '/') return true;
    const std::string dev = "/" + lower(device) + "/";
    if (local.compare(0, dev.size(), dev) != 0) return false;
    local.erase(0, dev.size());
    return true;
}

// "pfi0".."pfi15".
bool pfi_terminal(const std::string &s)
{
    if (s.size() < 4 || s.size() > 5 || s.compare(0, 3, "pfi") != 0) return false;
    if (!std::all_of(s.begin() + 3, s.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        return false;
    return (s.size() == 4 || s[3] != '0') && std::atoi(s.c_str() + 3) <= 15;
}

// A sample clock source: the device's own clock ("" or "OnboardClock"), a PFI
// terminal, or the other subsystem's sample clock; external is true for those
// two, which nothing on the bench drives.
bool clock_terminal(const std::string &source, const std::string &device, bool &external)
{
    external = false;
    if (source.empty() || iequals(source, "OnboardClock")) return true;
    std::string s;
    if (!local_terminal(source, device, s)) return false;
    external = pfi_terminal(s) || s == "ai/sampleclock" || s == "ao/sampleclock";
    return external;
}

}  // namespace

// ---- the call frame --------------------------------------------------------------------------

template <class Body>
int32 Bench::call(const char *fn, const std::string *task_name, int64_t latency, Body body)
{
    ++calls_;
    notes_.clear();
    call_began_ = call_now_ = clock_->now_ns();
    implicit_ns_ = 0;
    in_call_ = true;
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
    in_call_ = false;
    clock_->sleep_ns(latency + implicit_ns_);
    return status;
}

// ---- task lifecycle --------------------------------------------------------------------------

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

int32 Bench::verify_terminals(Task &t)
{
    bool external = false;
    if (!clock_terminal(t.clock_source, device_, external)) return DAQmxErrorInvalidRoutingSourceTerminalName_Routing;
    t.external_clock = external;
    if (!t.trig.on) return 0;
    // APFI0/APFI1 or an analog input, with or without the device's name.
    std::string s = lower(t.trig.given);
    const std::string dev = lower(device_) + "/";
    if (!s.empty() && s[0] == '/') s.erase(0, 1);
    if (s.compare(0, dev.size(), dev) == 0) s = s.substr(dev.size());
    if (s == "apfi0" || s == "apfi1") {
        t.trig.source = s;
        return 0;
    }
    std::vector<int> idx;
    if (s.empty() || resolve_analog(device_ + "/" + s, device_, 'i', idx) != 0 || idx.size() != 1)
        return DAQmxErrorInvalidRoutingSourceTerminalName_Routing;
    t.trig.source = "ai" + std::to_string(idx[0]);
    return 0;
}

int32 Bench::start(Task &t, bool implicit)
{
    if (t.chans.empty()) return DAQmxErrorNoChansSpecdForTask;
    if (t.state == State::Running) {
        if (!implicit) t.implicit = false;  // an explicit start makes it last
        return 0;
    }
    const bool analog_timed = t.timed && (t.kind == Kind::AI || t.kind == Kind::AO);
    if (analog_timed) {
        // Verify: the names given for the clock and the trigger. Reserve: the
        // device has one analog trigger circuit, for one task at a time.
        if (int32 st = verify_terminals(t)) return st;
        if (t.trig.on && trig_owner_ && trig_owner_ != &t) return DAQmxErrorResourceReserved;
    }
    if (t.kind == Kind::DI || t.kind == Kind::DO)
        if (int32 st = reserve_lines(t)) return st;
    const int64_t at = now();
    switch (t.kind) {
    case Kind::DI: {
        uint32_t mask = 0;
        for (const Chan &c : t.chans) mask |= c.mask;
        lines_to_input(mask);
        settle();
        break;
    }
    case Kind::DO: {
        // Committing an output task drives its lines (DO.Tristate is false by
        // default) at the level the device's output latch holds for each: the
        // last level any task wrote, low after power-up. A read or write that
        // starts the task settles the lines itself.
        for (const Chan &c : t.chans) daq_out_ |= c.mask;
        if (!implicit) settle();
        break;
    }
    case Kind::None: break;
    case Kind::AI: {
        if (ai_owner_ && ai_owner_ != &t) return DAQmxErrorResourceReserved;
        if (t.timed)
            if (int32 st = begin_acquisition(t, at)) return st;
        ai_owner_ = &t;
        break;
    }
    case Kind::AO: {
        for (const Chan &c : t.chans)
            if (ao_gen_[c.index] && ao_gen_[c.index] != &t) return DAQmxErrorResourceAlreadyReserved;
        if (t.timed)
            if (int32 st = begin_generation(t, at)) return st;
        break;
    }
    }
    if (analog_timed && t.trig.on) trig_owner_ = &t;
    if (implicit) t.resume = t.state;
    reserve(t, true);
    t.state = State::Running;
    t.implicit = implicit;
    return 0;
}

// A digital task reserves its lines while it runs, started explicitly or for
// one read or write; another task that wants one of them, input or output,
// is refused until it stops.
int32 Bench::reserve_lines(const Task &t) const
{
    return t.lines & reserved_ ? DAQmxErrorDigLinesReservedOrUnavailable : 0;
}

void Bench::reserve(const Task &t, bool on)
{
    if (t.kind != Kind::DI && t.kind != Kind::DO) return;
    reserved_ = on ? reserved_ | t.lines : reserved_ & ~t.lines;
}

void Bench::stop(Task &t)
{
    if (t.state != State::Running) return;
    reserve(t, false);
    end_run(t, now());
    t.state = State::Stopped;
    t.implicit = false;
}

void Bench::unwind(Task &t, State before)
{
    stop(t);
    t.state = before;
}

// A read or write on a task not running starts it for the call and stops it
// again after, back in the state it had; those transitions take their own time.
template <class Body>
int32 Bench::started_for(Task &t, Body body)
{
    const State before = t.state;
    const bool was_running = before == State::Running;
    if (int32 st = start(t, !was_running)) return st;
    body();
    if (!was_running) {
        unwind(t, before);
        implicit_ns_ += Latency::kImplicitStartStop;
    }
    return 0;
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
            *taskHandle = handle_of(t->id);
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

// ---- channels --------------------------------------------------------------------------------

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
        t->lines |= c.mask;
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

// ---- timing and triggers ---------------------------------------------------------------------

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
            if (sampsPerChan > Limits::kMaxBuffer) return DAQmxErrorInvalidAttributeValue;
            // The source is a property like the others: the driver looks for
            // its terminal when it verifies the task.
            t->timed = true;
            t->clock_source = source ? source : "";
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
            // The source's terminal is looked for when the task is verified.
            t->trig = {true, triggerSource ? triggerSource : "", "", triggerSlope, triggerLevel};
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

int32 Bench::WriteDigitalU8(TaskHandle h, int32 n, bool32 /*autoStart*/, float64 /*timeout*/, bool32 layout,
                            const uInt8 data[], int32 *written, bool32 */*reserved*/)
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
            const size_t nch = t->chans.size();
            if (int32 st = started_for(*t, [&] {
                    for (int32 i = 0; i < n; ++i) {
                        uint32_t mask = 0, levels = 0;
                        for (size_t c = 0; c < nch; ++c) {
                            const uint8_t b = data[slot_of(layout, c, static_cast<size_t>(i), nch, static_cast<size_t>(n))];
                            for (const LineRef &r : t->chans[c].lines) {
                                mask |= 1u << r.index();
                                if ((b >> r.line) & 1) levels |= 1u << r.index();
                            }
                        }
                        lines_drive(mask, levels);
                        settle();
                    }
                }))
                return st;
            if (written) *written = n;
            return 0;
        });
}

int32 Bench::ReadDigitalU8(TaskHandle h, int32 n, float64 /*timeout*/, bool32 fill, uInt8 data[], uInt32 size,
                           int32 *nread, bool32 */*reserved*/)
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
            if (int32 st = started_for(*t, [&] {
                    settle();  // a board with a clock of its own may have changed its drive since
                    for (size_t c = 0; c < nch; ++c) note_undriven_read(t->chans[c]);
                    for (int32 i = 0; i < count; ++i)
                        for (size_t c = 0; c < nch; ++c)
                            data[slot_of(fill, c, static_cast<size_t>(i), nch, static_cast<size_t>(count))] =
                                chan_byte(t->chans[c]);
                }))
                return st;
            if (nread) *nread = count;
            return 0;
        });
}

// ---- analog writes and reads -----------------------------------------------------------------

int32 Bench::WriteAnalogF64(TaskHandle h, int32 n, bool32 autoStart, float64 /*timeout*/, bool32 layout,
                            const float64 data[], int32 *written, bool32 */*reserved*/)
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
                    const double v = data[slot_of(layout, c, i, nch, ns)];
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
                if (int32 st = started_for(*t, [&] {
                        for (size_t c = 0; c < nch; ++c) ao_value_[t->chans[c].index] = scans[(ns - 1) * nch + c];
                    }))
                    return st;
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
    if (int32 st = started_for(t, [&] {
            const int64_t at = now();
            for (int32 i = 0; i < count; ++i)
                for (size_t c = 0; c < nch; ++c)
                    arr[slot_of(fill, c, static_cast<size_t>(i), nch, static_cast<size_t>(count))] =
                        quantise(t.chans[c], ai_volts(t.chans[c].index, at));
        }))
        return st;
    *done = count;
    return 0;
}

int32 Bench::ReadAnalogF64(TaskHandle h, int32 n, float64 timeout, bool32 fill, float64 data[], uInt32 size,
                           int32 *nread, bool32 */*reserved*/)
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

// ---- system and device properties --------------------------------------------------------

namespace {

// A string property, as NI's property getters give it: with data NULL or
// size 0 the size needed (NUL included); a buffer too small is refused with
// -200228 and left alone (NI's own clients ask for the size first and treat
// that code as "ask again").
int32 copy_property(const std::string &text, char *data, uInt32 size)
{
    if (!data || size == 0) return static_cast<int32>(text.size() + 1);
    if (size < text.size() + 1) return DAQmxErrorBufferTooSmallForString;
    std::memcpy(data, text.c_str(), text.size() + 1);
    return 0;
}

}  // namespace

// Device names are the driver's identifiers: any case.
bool Bench::is_device(const char *name) const
{
    return name && iequals(name, device_);
}

int32 Bench::GetSysDevNames(char *data, uInt32 bufferSize)
{
    return call("DAQmxGetSysDevNames", nullptr, Latency::kProperty,
                [&] { return copy_property(device_, data, bufferSize); });
}

int32 Bench::GetDevProductType(const char device[], char *data, uInt32 bufferSize)
{
    return call("DAQmxGetDevProductType", nullptr, Latency::kProperty, [&]() -> int32 {
        if (!is_device(device)) return DAQmxErrorInvalidDeviceID;
        return copy_property(product_type_, data, bufferSize);
    });
}

int32 Bench::GetDevSerialNum(const char device[], uInt32 *data)
{
    return call("DAQmxGetDevSerialNum", nullptr, Latency::kProperty, [&]() -> int32 {
        if (!is_device(device)) return DAQmxErrorInvalidDeviceID;
        if (!data) return DAQmxErrorInvalidAttributeValue;
        *data = kSerialNumber;
        return 0;
    });
}

int32 Bench::GetDevPXIChassisNum(const char device[], uInt32 *data)
{
    return call("DAQmxGetDevPXIChassisNum", nullptr, Latency::kProperty, [&]() -> int32 {
        if (!is_device(device)) return DAQmxErrorInvalidDeviceID;
        if (!data) return DAQmxErrorInvalidAttributeValue;
        *data = kChassis;
        return 0;
    });
}

int32 Bench::GetDevPXISlotNum(const char device[], uInt32 *data)
{
    return call("DAQmxGetDevPXISlotNum", nullptr, Latency::kProperty, [&]() -> int32 {
        if (!is_device(device)) return DAQmxErrorInvalidDeviceID;
        if (!data) return DAQmxErrorInvalidAttributeValue;
        *data = static_cast<uInt32>(slot_);
        return 0;
    });
}

}  // namespace ksim
