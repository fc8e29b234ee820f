// The bench's driver face, the properties by ID that only NI's clients use:
// the setters (DAQmxSet*Attribute) and the getters of triggers, exported
// signals, buffers and the rest. As for the getters of api_properties.cpp, an
// ID the driver's table (daqmx_attributes.h) does not give to the entry point
// called is not a valid property (-200233); a property the bench reads but
// does not let a program set cannot be set (-200231).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>
#include <string>

#include "sim/device/bench.h"
#include "sim/device/call_frame.h"
#include "sim/device/errors.h"

namespace sim {

namespace {

namespace attr = driver::attributes;

}  // namespace

// ---- the getters ------------------------------------------------------------------------------

int32 Bench::GetTrigAttribute(TaskHandle h, int32 attribute, void *value, uInt32 size)
{
    return task_getter("DAQmxGetTrigAttribute", h, attr::Getter::Trig, attribute,
                       [&](Task &t) { return trig_property(t, attribute, value, size); });
}

int32 Bench::GetExportedSignalAttribute(TaskHandle h, int32 attribute, void *, uInt32)
{
    return task_getter("DAQmxGetExportedSignalAttribute", h, attr::Getter::ExportedSignal, attribute,
                       [&](Task &) { return DAQmxErrorSpecifiedAttrNotValid; });
}

int32 Bench::GetBufferAttribute(TaskHandle h, int32 attribute, void *value)
{
    return task_getter("DAQmxGetBufferAttribute", h, attr::Getter::Buffer, attribute,
                       [&](Task &t) { return buffer_property(t, attribute, value); });
}

int32 Bench::GetTimingAttributeEx(TaskHandle h, const char *, int32 attribute, void *value, uInt32)
{
    return task_getter("DAQmxGetTimingAttributeEx", h, attr::Getter::Timing, attribute,
                       [&](Task &t) { return timing_property(t, attribute, value); });
}

// The getters of what is not a task's: the bench has none of their properties.
#define KSIM_NO_PROPERTIES(method, family)                                                    \
    int32 Bench::method(const char *, int32 attribute, void *, uInt32)                         \
    {                                                                                         \
        return call("DAQmx" #method, nullptr, Latency::kProperty, [&]() -> int32 {            \
            if (int32 st = served_by(attribute, attr::Getter::family)) return st;                 \
            return DAQmxErrorSpecifiedAttrNotValid;                                           \
        });                                                                                   \
    }
KSIM_NO_PROPERTIES(GetPhysicalChanAttribute, PhysicalChan)
KSIM_NO_PROPERTIES(GetScaleAttribute, Scale)
KSIM_NO_PROPERTIES(GetPersistedChanAttribute, PersistedChan)
KSIM_NO_PROPERTIES(GetPersistedScaleAttribute, PersistedScale)
KSIM_NO_PROPERTIES(GetPersistedTaskAttribute, PersistedTask)
KSIM_NO_PROPERTIES(GetCalInfoAttribute, CalInfo)
#undef KSIM_NO_PROPERTIES

int32 Bench::GetWatchdogAttribute(TaskHandle, const char *, int32, void *, uInt32)
{
    return call("DAQmxGetWatchdogAttribute", nullptr, Latency::kProperty,
                [] { return kErrWatchdogTimerNotSupported; });
}

// ---- the setters ------------------------------------------------------------------------------

int32 Bench::SetChanAttribute(TaskHandle h, const char *channel, int32 attribute, const attr::Value &value)
{
    return task_getter("DAQmxSetChanAttribute", h, attr::Getter::Chan, attribute, [&](Task &t) -> int32 {
        if (attribute != DAQmx_AI_Max && attribute != DAQmx_AI_Min && attribute != DAQmx_AO_Max &&
            attribute != DAQmx_AO_Min)
            return kErrAttrCannotBeSet;
        if ((t.kind == Kind::AI) != (attribute == DAQmx_AI_Max || attribute == DAQmx_AI_Min) || t.kind == Kind::None)
            return DAQmxErrorAttrNotSupported;
        if (t.state == State::Running) return kErrCanNotPerformOpWhileTaskRunning;
        std::vector<const Chan *> named;
        if (int32 st = chans_named(t, channel, named)) return st;
        // A new limit within the device's; the input range follows it, as when the channel was made.
        const bool max = attribute == DAQmx_AI_Max || attribute == DAQmx_AO_Max;
        if (!(std::abs(value.f64) <= Limits::kAnalogMax)) return DAQmxErrorInvalidAttributeValue;
        for (Chan &each : t.chans) {
            if (std::find(named.begin(), named.end(), &each) == named.end()) continue;
            (max ? each.max : each.min) = value.f64;
            if (t.kind == Kind::AI) each.lsb = ai_lsb(std::min(each.min, each.max), std::max(each.min, each.max));
        }
        return 0;
    });
}

int32 Bench::SetTimingAttribute(TaskHandle h, int32 attribute, const attr::Value &)
{
    return task_getter("DAQmxSetTimingAttribute", h, attr::Getter::Timing, attribute,
                       [&](Task &) { return kErrAttrCannotBeSet; });
}

int32 Bench::SetTimingAttributeEx(TaskHandle h, const char *, int32 attribute, const attr::Value &)
{
    return task_getter("DAQmxSetTimingAttributeEx", h, attr::Getter::Timing, attribute,
                       [&](Task &) { return kErrAttrCannotBeSet; });
}

int32 Bench::SetTrigAttribute(TaskHandle h, int32 attribute, const attr::Value &value)
{
    return task_getter("DAQmxSetTrigAttribute", h, attr::Getter::Trig, attribute,
                       [&](Task &t) { return set_trig_property(t, attribute, value); });
}

int32 Bench::SetReadAttribute(TaskHandle h, int32 attribute, const attr::Value &)
{
    return task_getter("DAQmxSetReadAttribute", h, attr::Getter::Read, attribute,
                       [&](Task &) { return kErrAttrCannotBeSet; });
}

int32 Bench::SetWriteAttribute(TaskHandle h, int32 attribute, const attr::Value &value)
{
    return task_getter("DAQmxSetWriteAttribute", h, attr::Getter::Write, attribute, [&](Task &t) -> int32 {
        if (attribute != DAQmx_Write_RegenMode) return kErrAttrCannotBeSet;
        if (value.i32 != DAQmx_Val_AllowRegen && value.i32 != DAQmx_Val_DoNotAllowRegen)
            return DAQmxErrorInvalidAttributeValue;
        t.regen = value.i32 == DAQmx_Val_AllowRegen;
        return 0;
    });
}

int32 Bench::SetExportedSignalAttribute(TaskHandle h, int32 attribute, const attr::Value &)
{
    return task_getter("DAQmxSetExportedSignalAttribute", h, attr::Getter::ExportedSignal, attribute,
                       [&](Task &) { return kErrAttrCannotBeSet; });
}

int32 Bench::SetBufferAttribute(TaskHandle h, int32 attribute, const attr::Value &)
{
    return task_getter("DAQmxSetBufferAttribute", h, attr::Getter::Buffer, attribute,
                       [&](Task &) { return kErrAttrCannotBeSet; });
}

int32 Bench::SetScaleAttribute(const char *, int32 attribute, const attr::Value &)
{
    return call("DAQmxSetScaleAttribute", nullptr, Latency::kProperty,
                [&] { return served_by(attribute, attr::Getter::Scale) ? DAQmxErrorSpecifiedAttrNotValid : 0; });
}

int32 Bench::SetCalInfoAttribute(const char *, int32 attribute, const attr::Value &)
{
    return call("DAQmxSetCalInfoAttribute", nullptr, Latency::kProperty,
                [&] { return served_by(attribute, attr::Getter::CalInfo) ? DAQmxErrorSpecifiedAttrNotValid : 0; });
}

int32 Bench::SetWatchdogAttribute(TaskHandle, const char *, int32, const attr::Value &)
{
    return call("DAQmxSetWatchdogAttribute", nullptr, Latency::kProperty,
                [] { return kErrWatchdogTimerNotSupported; });
}

// ---- the properties ---------------------------------------------------------------------------

int32 Bench::trig_property(const Task &t, int32 attribute, void *value, uInt32 size)
{
    switch (attribute) {
    case DAQmx_StartTrig_Term:  // the task's own start trigger, as a terminal another task can name
        if (t.kind != Kind::AI && t.kind != Kind::AO) return DAQmxErrorAttrNotSupported;
        return copy_property("/" + device_ + (t.kind == Kind::AI ? "/ai" : "/ao") + "/StartTrigger", value, size);
    case DAQmx_StartTrig_Type:
        return put_value<int32>(!t.trig.on ? DAQmx_Val_None : t.trig.digital ? DAQmx_Val_DigEdge : DAQmx_Val_AnlgEdge, value);
    default: return put_value<bool32>(0, value);  // DAQmx_StartTrig_Retriggerable
    }
}

int32 Bench::set_trig_property(Task &, int32 attribute, const attr::Value &value)
{
    if (attribute != DAQmx_StartTrig_Retriggerable) return kErrAttrCannotBeSet;
    // The 6251's analog input and output cannot be retriggered (only its counters can).
    return value.u32 ? kErrAttributeNotSupportedInTaskContext : 0;
}

int32 Bench::buffer_property(const Task &t, int32 attribute, void *value)
{
    const bool input = attribute == DAQmx_Buf_Input_BufSize;
    if (input != (t.kind == Kind::AI || t.kind == Kind::DI)) return DAQmxErrorAttrNotSupported;
    return put_value<uInt32>(static_cast<uInt32>(input ? t.run.cap : t.wave_len), value);
}

}  // namespace sim
