// The bench's driver face, the properties by ID (DAQmxGet*Attribute): the
// system's, a task's, its channels', its timing's, its reads' and writes',
// and the device's. An ID the driver's table (daqmx_attributes.h) does not
// give to the getter called is not a valid property (-200233); a property of
// another kind of channel or task is not supported (-200197).
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "sim/device/bench.h"
#include "sim/device/call_frame.h"
#include "sim/device/errors.h"
#include "base/korvane_strings.h"

namespace sim {

namespace {

namespace attr = driver::attributes;
using base::text::iequals;

// The NI-DAQmx for Linux release the bench reports: 2024 Q1 (24.0.0). Below
// 24.5 NI's Python client reads "all available samples" through the sample
// mode, the samples per channel and the samples available.
constexpr uInt32 kVersion[3] = {24, 0, 0};

int32 chan_type(Bench::Kind kind)
{
    switch (kind) {
    case Bench::Kind::AI: return DAQmx_Val_AI;
    case Bench::Kind::AO: return DAQmx_Val_AO;
    case Bench::Kind::DI: return DAQmx_Val_DI;
    case Bench::Kind::DO: return DAQmx_Val_DO;
    default: return 0;
    }
}

// A device's ranges as low, high pairs into a caller's array of `size`
// numbers: NULL or 0 asks how many there are; too few is -200234 (what NI's clients take as "ask again").
int32 copy_ranges(const double *first, const double *last, void *value, uInt32 size)
{
    std::vector<double> pairs;
    for (const double *r = first; r != last; ++r) {
        pairs.push_back(-*r);
        pairs.push_back(*r);
    }
    if (!value || size == 0) return static_cast<int32>(pairs.size());
    if (size < pairs.size()) return kErrWriteBufferTooSmall;
    std::memcpy(value, pairs.data(), pairs.size() * sizeof(double));
    return 0;
}

std::string names_of(const std::vector<Bench::Chan> &chans)
{
    std::vector<std::string> names;
    for (const Bench::Chan &c : chans) names.push_back(c.name);
    return compact_names(names);
}

}  // namespace

// ---- the channels a list names ---------------------------------------------------------------

int32 Bench::chans_named(const Task &t, const char *list, std::vector<const Chan *> &out) const
{
    out.clear();
    auto named = [&](const std::string &name) -> const Chan * {
        for (const Chan &c : t.chans)
            if (iequals(c.name, name)) return &c;
        return nullptr;
    };
    const std::string whole = base::text::trim(list ? list : "");
    if (whole.empty()) {
        for (const Chan &c : t.chans) out.push_back(&c);
    } else if (const Chan *c = named(whole)) {
        out.push_back(c);
    } else {
        for (const std::string &name : expand_names(whole)) {
            const Chan *each = named(name);
            if (!each) return kErrChanNotInTask;
            out.push_back(each);
        }
    }
    return out.empty() ? DAQmxErrorCanNotPerformOpWhenNoChansInTask : 0;
}

uint32_t Bench::lines_per_chan(const Task &t)
{
    size_t most = 0;
    for (const Chan &c : t.chans) most = std::max(most, c.lines.size());
    return static_cast<uint32_t>(most);
}

// ---- the getters -------------------------------------------------------------------------

int32 Bench::GetSystemInfoAttribute(int32 attribute, void *value, uInt32 size)
{
    return call("DAQmxGetSystemInfoAttribute", nullptr, Latency::kProperty, [&]() -> int32 {
        if (int32 st = served_by(attribute, attr::Getter::SystemInfo)) return st;
        switch (attribute) {
        case DAQmx_Sys_DevNames: return copy_property(device_, value, size);
        case DAQmx_Sys_NIDAQMajorVersion: return put_value(kVersion[0], value);
        case DAQmx_Sys_NIDAQMinorVersion: return put_value(kVersion[1], value);
        default: return put_value(kVersion[2], value);
        }
    });
}

int32 Bench::GetTaskAttribute(TaskHandle h, int32 attribute, void *value, uInt32 size)
{
    return task_getter("DAQmxGetTaskAttribute", h, attr::Getter::Task, attribute,
                       [&](Task &t) { return task_property(t, attribute, value, size); });
}

int32 Bench::task_property(const Task &t, int32 attribute, void *value, uInt32 size)
{
    const bool has_chans = !t.chans.empty();
    switch (attribute) {
    case DAQmx_Task_Name: return copy_property(t.name, value, size);
    case DAQmx_Task_Channels: return copy_property(names_of(t.chans), value, size);
    case DAQmx_Task_NumChans: return put_value(static_cast<uInt32>(t.chans.size()), value);
    case DAQmx_Task_Devices: return copy_property(has_chans ? device_ : "", value, size);
    case DAQmx_Task_NumDevices: return put_value(static_cast<uInt32>(has_chans ? 1 : 0), value);
    default: {
        // Done: not running, or a finite acquisition that has all its samples.
        const bool finite = t.timed && t.mode == DAQmx_Val_FiniteSamps;
        const bool done = t.state != State::Running || (finite && t.kind == Kind::AI && t.run.produced >= t.samps);
        return put_value(static_cast<bool32>(done), value);
    }
    }
}

int32 Bench::GetChanAttribute(TaskHandle h, const char channel[], int32 attribute, void *value, uInt32 size)
{
    Task *t = task(h);
    return call("DAQmxGetChanAttribute", t ? &t->name : nullptr, Latency::kProperty, [&]() -> int32 {
        if (!t) return DAQmxErrorInvalidTask;
        if (int32 st = served_by(attribute, attr::Getter::Chan)) return st;
        std::vector<const Chan *> chans;
        if (int32 st = chans_named(*t, channel, chans)) return st;
        return chan_property(chans, t->kind, attribute, value, size);
    });
}

// The property of each channel named; one value for all of them, or an error.
int32 Bench::chan_property(const std::vector<const Chan *> &chans, Kind kind, int32 attribute, void *value,
                           uInt32 size)
{
    const bool analog_in = kind == Kind::AI, analog_out = kind == Kind::AO;
    std::vector<std::string> texts;
    std::vector<double> numbers;
    for (const Chan *c : chans) {
        switch (attribute) {
        case DAQmx_ChanType: numbers.push_back(chan_type(kind)); break;
        case DAQmx_PhysicalChanName: texts.push_back(c->physical); break;
        case DAQmx_DI_NumLines:
        case DAQmx_DO_NumLines:
            if (kind != (attribute == DAQmx_DI_NumLines ? Kind::DI : Kind::DO)) return DAQmxErrorAttrNotSupported;
            numbers.push_back(static_cast<double>(c->lines.size()));
            break;
        case DAQmx_AI_MeasType:
        case DAQmx_AO_OutputType:
            if (!(attribute == DAQmx_AI_MeasType ? analog_in : analog_out)) return DAQmxErrorAttrNotSupported;
            numbers.push_back(DAQmx_Val_Voltage);
            break;
        case DAQmx_AI_RawSampSize:
        case DAQmx_AI_Rng_High:
        case DAQmx_AI_Rng_Low:
            if (!analog_in) return DAQmxErrorAttrNotSupported;
            numbers.push_back(attribute == DAQmx_AI_RawSampSize ? 16 : attribute == DAQmx_AI_Rng_High ? c->lsb * 32768
                                                                                                   : -c->lsb * 32768);
            break;
        default:  // the ranges
            if (!((attribute == DAQmx_AI_Max || attribute == DAQmx_AI_Min) ? analog_in : analog_out))
                return DAQmxErrorAttrNotSupported;
            numbers.push_back(attribute == DAQmx_AI_Max || attribute == DAQmx_AO_Max ? c->max : c->min);
        }
    }
    if (!texts.empty()) return copy_property(compact_names(texts), value, size);
    if (std::adjacent_find(numbers.begin(), numbers.end(), std::not_equal_to<>()) != numbers.end())
        return kErrAttributeInconsistentAcrossChannelsOnDevice;
    switch (attr::find(attribute).type) {
    case attr::Type::Float64: return put_value(numbers[0], value);
    case attr::Type::UInt32: return put_value(static_cast<uInt32>(numbers[0]), value);
    default: return put_value(static_cast<int32>(numbers[0]), value);
    }
}

int32 Bench::GetTimingAttribute(TaskHandle h, int32 attribute, void *value, uInt32 /*size*/)
{
    return task_getter("DAQmxGetTimingAttribute", h, attr::Getter::Timing, attribute,
                       [&](Task &t) { return timing_property(t, attribute, value); });
}

// A task without a sample clock is on demand; its sample mode and count are
// the driver's defaults for such a task as the bench assumes them (finite, 1).
int32 Bench::timing_property(const Task &t, int32 attribute, void *value)
{
    switch (attribute) {
    case DAQmx_SampTimingType: return put_value<int32>(t.timed ? DAQmx_Val_SampClk : DAQmx_Val_OnDemand, value);
    case DAQmx_SampQuant_SampMode: return put_value<int32>(t.timed ? t.mode : DAQmx_Val_FiniteSamps, value);
    case DAQmx_SampQuant_SampPerChan: return put_value<uInt64>(t.timed ? t.samps : 1, value);
    default:
        if (!t.timed) return DAQmxErrorAttrNotSupported;
        return put_value<float64>(t.rate, value);
    }
}

int32 Bench::GetReadAttribute(TaskHandle h, int32 attribute, void *value, uInt32 size)
{
    return task_getter("DAQmxGetReadAttribute", h, attr::Getter::Read, attribute,
                       [&](Task &t) { return stream_property(t, attribute, value, size, true); });
}

int32 Bench::GetWriteAttribute(TaskHandle h, int32 attribute, void *value, uInt32 size)
{
    return task_getter("DAQmxGetWriteAttribute", h, attr::Getter::Write, attribute,
                       [&](Task &t) { return stream_property(t, attribute, value, size, false); });
}

// A read's or a write's properties: the channels it takes (all of the task's),
// the lines per channel of a line-based one, and for reads what is waiting.
int32 Bench::stream_property(Task &t, int32 attribute, void *value, uInt32 size, bool read)
{
    const bool input = t.kind == Kind::AI || t.kind == Kind::DI;
    const bool digital = t.kind == Kind::DI || t.kind == Kind::DO;
    switch (attribute) {
    case DAQmx_Read_ChannelsToRead: return copy_property(names_of(t.chans), value, size);
    case DAQmx_Read_NumChans:
    case DAQmx_Write_NumChans:
        if (t.chans.empty()) return DAQmxErrorCanNotPerformOpWhenNoChansInTask;
        return put_value(static_cast<uInt32>(t.chans.size()), value);
    case DAQmx_Read_DigitalLines_BytesPerChan:
    case DAQmx_Write_DigitalLines_BytesPerChan:
        if (!digital) return DAQmxErrorAttrNotSupported;
        return put_value(lines_per_chan(t), value);
    case DAQmx_Read_ReadAllAvailSamp: return put_value<bool32>(0, value);
    case DAQmx_Write_RegenMode:
        if (input) return DAQmxErrorAttrNotSupported;
        return put_value<int32>(t.regen ? DAQmx_Val_AllowRegen : DAQmx_Val_DoNotAllowRegen, value);
    default: {  // DAQmx_Read_AvailSampPerChan
        if (!read || !input) return DAQmxErrorAttrNotSupported;
        const bool acquiring = t.kind == Kind::AI && t.timed && t.state == State::Running;
        return put_value(static_cast<uInt32>(acquiring ? t.run.produced - t.run.consumed : 0), value);
    }
    }
}

int32 Bench::GetDeviceAttribute(const char deviceName[], int32 attribute, void *value, uInt32 size)
{
    return call("DAQmxGetDeviceAttribute", nullptr, Latency::kProperty, [&]() -> int32 {
        if (int32 st = served_by(attribute, attr::Getter::Device)) return st;
        // A physical channel's name answers for its device (NI's playrec example asks so; assumed).
        std::string name = deviceName ? deviceName : "";
        name = name.substr(0, name.find('/'));
        if (!is_device(name.c_str())) return DAQmxErrorInvalidDeviceID;
        return device_property(attribute, value, size);
    });
}

// The device's lines ("Dev/port0/line0:7, ...") or ports ("Dev/port0:2").
std::string Bench::lines_list(bool ports) const
{
    std::vector<std::string> names;
    for (int p = 0; p < kPorts; ++p) {
        const std::string port = device_ + "/port" + std::to_string(p);
        if (ports)
            names.push_back(port);
        else
            for (int l = 0; l < kLinesPerPort; ++l) names.push_back(port + "/line" + std::to_string(l));
    }
    return compact_names(names);
}

int32 Bench::device_property(int32 attribute, void *value, uInt32 size)
{
    switch (attribute) {
    case DAQmx_Dev_ProductType: return copy_property(product_type_, value, size);
    case DAQmx_Dev_ProductCategory: return put_value<int32>(DAQmx_Val_MSeriesDAQ, value);
    case DAQmx_Dev_SerialNum: return put_value(kSerialNumber, value);
    case DAQmx_Dev_PXI_ChassisNum: return put_value(kChassis, value);
    case DAQmx_Dev_PXI_SlotNum: return put_value(static_cast<uInt32>(slot_), value);
    case DAQmx_Dev_AI_PhysicalChans:
        return copy_property(device_ + "/ai0:" + std::to_string(kAiChannels - 1), value, size);
    case DAQmx_Dev_AO_PhysicalChans:
        return copy_property(device_ + "/ao0:" + std::to_string(kAoChannels - 1), value, size);
    case DAQmx_Dev_DI_Lines:
    case DAQmx_Dev_DO_Lines: return copy_property(lines_list(false), value, size);
    // The bench answers as the real device it stands for.
    case DAQmx_Dev_IsSimulated: return put_value<bool32>(0, value);
    case DAQmx_Dev_AI_VoltageRngs: return copy_ranges(std::begin(kAiRanges), std::end(kAiRanges), value, size);
    case DAQmx_Dev_AO_VoltageRngs: return copy_ranges(std::begin(kAoRanges), std::end(kAoRanges), value, size);
    default: return copy_property(lines_list(true), value, size);  // the ports
    }
}

}  // namespace sim
