// The bench's driver face, tasks: their create, start, stop and clear, and
// the task states beneath every call (created, running, stopped; started by a
// read or write and stopped again after it), with the start's verify and
// reserve steps. The calls of the other areas are in api_channels.cpp,
// api_digital.cpp, api_analog.cpp and api_queries.cpp, all over the frame of
// call_frame.h, the engine (engine.cpp) and the lines (bench.cpp).
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "sim/device/bench.h"
#include "sim/device/call_frame.h"
#include "sim/device/errors.h"
#include "base/korvane_strings.h"

namespace sim {

namespace {

using base::text::iequals;
using base::text::lower;

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

int32 Bench::check_write(const Task *t, Kind kind, int32 n, const void *data, bool32 layout)
{
    if (!t) return DAQmxErrorInvalidTask;
    if (t->chans.empty()) return DAQmxErrorCanNotPerformOpWhenNoChansInTask;
    if (t->kind == Kind::DI || t->kind == Kind::AI) return DAQmxErrorWriteNoOutputChansInTask;
    if (t->kind != kind) return kErrWriteChanTypeMismatch;
    if (n < 0 || (n > 0 && !data) || (layout != 0 && layout != 1)) return DAQmxErrorInvalidAttributeValue;
    return 0;
}

int32 Bench::verify_terminals(Task &t)
{
    bool external = false;
    if (!clock_terminal(t.clock_source, device_, external)) return DAQmxErrorInvalidRoutingSourceTerminalName_Routing;
    t.external_clock = external;
    if (!t.trig.on) return 0;
    if (t.trig.digital) {
        std::string s;
        if (!local_terminal(t.trig.given, device_, s) || !(pfi_terminal(s) || s == "ai/starttrigger"))
            return DAQmxErrorInvalidRoutingSourceTerminalName_Routing;
        t.trig.source = s;
        return 0;
    }
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
    if (t.chans.empty()) return DAQmxErrorCanNotPerformOpWhenNoChansInTask;
    if (t.state == State::Running) {
        if (!implicit) t.implicit = false;  // an explicit start makes it last
        return 0;
    }
    const bool analog_timed = t.timed && (t.kind == Kind::AI || t.kind == Kind::AO);
    if (analog_timed) {
        // Verify: the names given for the clock and the trigger. Reserve: the
        // device has one analog trigger circuit, for one task at a time.
        if (int32 st = verify_terminals(t)) return st;
        if (t.trig.on && !t.trig.digital && trig_owner_ && trig_owner_ != &t) return DAQmxErrorPALResourceReserved;
    }
    if (t.kind == Kind::DI || t.kind == Kind::DO) {
        // The 6251 has no sample clock of its own for its digital lines: a
        // clocked digital task needs another's (NI's error without one);
        // correlated digital I/O on the AI or AO sample clock is not modelled.
        if (t.timed && (t.clock_source.empty() || iequals(t.clock_source, "OnboardClock")))
            return kErrExtSampClkSrcNotSpecified;
        if (t.timed) return kErrOperationNotSupportedOnSimulatedDevice;
        if (int32 st = reserve_lines(t)) return st;
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
        if (ai_owner_ && ai_owner_ != &t) return DAQmxErrorPALResourceReserved;
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
    if (analog_timed && t.trig.on && !t.trig.digital) trig_owner_ = &t;
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
            // A finite run stopped before it has all its samples: NI's warning.
            const bool early = t->state == State::Running && t->timed && t->mode == DAQmx_Val_FiniteSamps &&
                               done_at(*t) > now();
            stop(*t);
            return early ? kWarnStoppedBeforeDone : 0;
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

}  // namespace sim
