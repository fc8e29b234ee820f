// The bench's driver face, a task's configuration: its digital and analog
// channels, its sample clock and its start trigger, each changed only on a
// task that is not running.
#include <cmath>
#include <vector>

#include "sim/device/bench.h"
#include "sim/device/call_frame.h"
#include "sim/device/errors.h"
#include "base/korvane_strings.h"

namespace sim {

// ---- channels --------------------------------------------------------------------------------

namespace {

// Channels, timing and triggers change only on an existing task that is not running.

int32 reconfigurable(const Bench::Task *t)
{
    if (!t) return DAQmxErrorInvalidTask;
    if (t->state == Bench::State::Running) return kErrCanNotPerformOpWhileTaskRunning;
    return 0;
}

}  // namespace

// As the driver names them: the physical channels' names when the call gives
// none; one name per channel when it gives as many; one name for several
// channels gets their number appended, from 0.
std::vector<std::string> Bench::chan_names(const char *name, const std::vector<std::string> &physical)
{
    const std::vector<std::string> given = expand_names(name ? name : "");
    if (given.empty()) return physical;
    if (given.size() == physical.size()) return given;
    std::vector<std::string> names;
    for (size_t i = 0; i < physical.size(); ++i) names.push_back(given[0] + std::to_string(i));
    return names;
}

int32 Bench::add_digital(TaskHandle h, const char *lines, const char *name, int32 grouping, Kind kind)
{
    Task *t = task(h);
    if (int32 st = reconfigurable(t)) return st;
    if (t->kind != Kind::None && t->kind != kind) return DAQmxErrorMultiChanTypesInTask;
    if (grouping != DAQmx_Val_ChanPerLine && grouping != DAQmx_Val_ChanForAllLines)
        return DAQmxErrorInvalidAttributeValue;
    std::vector<LineRef> refs;
    if (int32 st = resolve_lines(lines ? lines : "", device_, refs)) return st;
    std::vector<std::vector<LineRef>> groups;
    std::vector<std::string> physical;
    if (grouping == DAQmx_Val_ChanForAllLines) {
        // One channel of several lines: named by the lines as given, a range's
        // colon written "..." (so that the name is not read as a range again).
        groups.push_back(refs);
        physical.push_back(base::text::trim(lines));
        if (!name || !*name) {
            std::string shown = physical.back();
            for (size_t at; (at = shown.find(':')) != std::string::npos;) shown.replace(at, 1, "...");
            return add_chans(*t, groups, physical, {shown}, kind);
        }
    } else {
        for (const LineRef &r : refs) {
            groups.push_back({r});
            physical.push_back(device_ + "/port" + std::to_string(r.port) + "/line" + std::to_string(r.line));
        }
    }
    return add_chans(*t, groups, physical, chan_names(name, physical), kind);
}

int32 Bench::add_chans(Task &t, std::vector<std::vector<LineRef>> &groups, const std::vector<std::string> &physical,
                       const std::vector<std::string> &names, Kind kind)
{
    for (size_t i = 0; i < groups.size(); ++i) {
        Chan c;
        c.name = names[i];
        c.physical = physical[i];
        for (const LineRef &r : groups[i]) c.mask |= 1u << r.index();
        t.lines |= c.mask;
        c.lines = std::move(groups[i]);
        t.chans.push_back(std::move(c));
    }
    t.kind = kind;
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

double Bench::ai_lsb(double min, double max)
{
    for (double r : kAiRanges)
        if (-r <= min && max <= r) return 2 * r / 65536;
    return 20.0 / 65536;
}

int32 Bench::add_analog(TaskHandle h, const char *chan, const char *name, double min, double max, int32 units,
                        const char *scale, Kind kind)
{
    Task *t = task(h);
    if (int32 st = reconfigurable(t)) return st;
    if (t->kind != Kind::None && t->kind != kind) return DAQmxErrorMultiChanTypesInTask;
    if (units != DAQmx_Val_Volts || (scale && *scale)) return DAQmxErrorInvalidAttributeValue;
    if (!(min < max)) return kErrMinNotLessThanMax;
    if (!(min >= -Limits::kAnalogMax) || !(max <= Limits::kAnalogMax)) return DAQmxErrorInvalidAttributeValue;
    std::vector<int> idx;
    if (int32 st = resolve_analog(chan ? chan : "", device_, kind == Kind::AO ? 'o' : 'i', idx)) return st;
    double lsb = 20.0 / 65536;
    if (kind == Kind::AI) {
        // The smallest of the 6251's input ranges that holds min..max.
        lsb = ai_lsb(min, max);
    }
    std::vector<std::string> physical;
    for (int i : idx) physical.push_back(device_ + (kind == Kind::AO ? "/ao" : "/ai") + std::to_string(i));
    const std::vector<std::string> names = chan_names(name, physical);
    for (size_t k = 0; k < idx.size(); ++k) {
        const int i = idx[k];
        Chan c;
        c.name = names[k];
        c.physical = physical[k];
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
            if (sampleMode != DAQmx_Val_ContSamps && sampleMode != DAQmx_Val_FiniteSamps)
                return DAQmxErrorInvalidAttributeValue;
            if (activeEdge != DAQmx_Val_Rising && activeEdge != DAQmx_Val_Falling)
                return DAQmxErrorInvalidAttributeValue;
            const bool digital = t->kind == Kind::DI || t->kind == Kind::DO;
            if (!digital)
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

// A digital edge on a PFI line (PFI 0-7 are port 1's lines, PFI 8-15 port 2's,
// as on every M Series device) or on the analog input's start trigger (which
// starts an output with an acquisition): the engine looks at the level (0 or
// 1) as at an analog source crossing 0.5.
int32 Bench::CfgDigEdgeStartTrig(TaskHandle h, const char triggerSource[], int32 triggerEdge)
{
    Task *t = task(h);
    return call(
        "DAQmxCfgDigEdgeStartTrig", t ? &t->name : nullptr, Latency::kConfigure,
        [&]() -> int32 {
            if (int32 st = reconfigurable(t)) return st;
            if (t->kind == Kind::DI || t->kind == Kind::DO) return kErrOperationNotSupportedOnSimulatedDevice;
            if (triggerEdge != DAQmx_Val_Rising && triggerEdge != DAQmx_Val_Falling)
                return DAQmxErrorInvalidAttributeValue;
            t->trig = {true, triggerSource ? triggerSource : "", "", triggerEdge, 0.5, true};
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

}  // namespace sim
