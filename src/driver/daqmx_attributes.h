/*
 * The driver properties korvane answers by ID (the DAQmxGet*Attribute and
 * DAQmxSet*Attribute entry points): one row per property,
 *
 *   X(getter, ID, type)
 *
 * `getter` names the pair of entry points that serve it
 * (DAQmxGet<getter>Attribute, DAQmxSet<getter>Attribute), `type` the
 * property's type. The type decides how the variadic entry points read their
 * arguments: a getter's String or Float64Array property is followed by its
 * buffer's size (uInt32: characters, or numbers), the others by nothing; a setter's value is of that type (a String
 * as const char *; Bool32 as uInt32). The import layer and the simulated
 * bench take it from here; the bench's answers are in sim/device/api_properties.cpp.
 */
#ifndef KORVANE_DAQMX_ATTRIBUTES_H
#define KORVANE_DAQMX_ATTRIBUTES_H

#include "korvane/NIDAQmx.h"

#define DAQMX_ATTRIBUTES(X)                                          \
    X(SystemInfo, DAQmx_Sys_DevNames, String)                       \
    X(SystemInfo, DAQmx_Sys_NIDAQMajorVersion, UInt32)              \
    X(SystemInfo, DAQmx_Sys_NIDAQMinorVersion, UInt32)              \
    X(SystemInfo, DAQmx_Sys_NIDAQUpdateVersion, UInt32)             \
    X(Task, DAQmx_Task_Name, String)                                \
    X(Task, DAQmx_Task_Channels, String)                            \
    X(Task, DAQmx_Task_NumChans, UInt32)                            \
    X(Task, DAQmx_Task_Devices, String)                             \
    X(Task, DAQmx_Task_NumDevices, UInt32)                          \
    X(Task, DAQmx_Task_Complete, Bool32)                            \
    X(Chan, DAQmx_ChanType, Int32)                                  \
    X(Chan, DAQmx_PhysicalChanName, String)                         \
    X(Chan, DAQmx_DI_NumLines, UInt32)                              \
    X(Chan, DAQmx_DO_NumLines, UInt32)                              \
    X(Chan, DAQmx_AI_MeasType, Int32)                               \
    X(Chan, DAQmx_AI_Max, Float64)                                  \
    X(Chan, DAQmx_AI_Min, Float64)                                  \
    X(Chan, DAQmx_AI_Rng_High, Float64)                             \
    X(Chan, DAQmx_AI_Rng_Low, Float64)                              \
    X(Chan, DAQmx_AI_RawSampSize, UInt32)                           \
    X(Chan, DAQmx_AO_OutputType, Int32)                             \
    X(Chan, DAQmx_AO_Max, Float64)                                  \
    X(Chan, DAQmx_AO_Min, Float64)                                  \
    X(Timing, DAQmx_SampTimingType, Int32)                          \
    X(Timing, DAQmx_SampQuant_SampMode, Int32)                      \
    X(Timing, DAQmx_SampQuant_SampPerChan, UInt64)                  \
    X(Timing, DAQmx_SampClk_Rate, Float64)                          \
    X(Read, DAQmx_Read_ChannelsToRead, String)                      \
    X(Read, DAQmx_Read_NumChans, UInt32)                            \
    X(Read, DAQmx_Read_ReadAllAvailSamp, Bool32)                    \
    X(Read, DAQmx_Read_AvailSampPerChan, UInt32)                    \
    X(Read, DAQmx_Read_DigitalLines_BytesPerChan, UInt32)           \
    X(Write, DAQmx_Write_NumChans, UInt32)                          \
    X(Write, DAQmx_Write_DigitalLines_BytesPerChan, UInt32)         \
    X(Write, DAQmx_Write_RegenMode, Int32)                          \
    X(Trig, DAQmx_StartTrig_Type, Int32)                            \
    X(Trig, DAQmx_StartTrig_Retriggerable, Bool32)                  \
    X(Trig, DAQmx_StartTrig_Term, String)                           \
    X(Buffer, DAQmx_Buf_Input_BufSize, UInt32)                      \
    X(Buffer, DAQmx_Buf_Output_BufSize, UInt32)                     \
    X(Device, DAQmx_Dev_ProductType, String)                        \
    X(Device, DAQmx_Dev_ProductCategory, Int32)                     \
    X(Device, DAQmx_Dev_SerialNum, UInt32)                          \
    X(Device, DAQmx_Dev_PXI_ChassisNum, UInt32)                     \
    X(Device, DAQmx_Dev_PXI_SlotNum, UInt32)                        \
    X(Device, DAQmx_Dev_AI_PhysicalChans, String)                   \
    X(Device, DAQmx_Dev_AO_PhysicalChans, String)                   \
    X(Device, DAQmx_Dev_DI_Lines, String)                           \
    X(Device, DAQmx_Dev_DI_Ports, String)                           \
    X(Device, DAQmx_Dev_DO_Lines, String)                           \
    X(Device, DAQmx_Dev_DO_Ports, String)                           \
    X(Device, DAQmx_Dev_IsSimulated, Bool32)                        \
    X(Device, DAQmx_Dev_AI_VoltageRngs, Float64Array)               \
    X(Device, DAQmx_Dev_AO_VoltageRngs, Float64Array)

#ifdef __cplusplus

namespace driver::attributes {

enum class Getter {
    None, SystemInfo, Task, Chan, Timing, Read, Write, Device,
    Trig, ExportedSignal, Buffer, PhysicalChan, Scale, PersistedChan, PersistedScale, PersistedTask, CalInfo, Watchdog
};
enum class Type { None, String, Int32, UInt32, Bool32, Float64, UInt64, Float64Array };

struct Attribute {
    Getter getter = Getter::None;
    Type type = Type::None;
};

// The row of an ID; getter None for an ID the table lacks.
constexpr Attribute find(int32 id)
{
    switch (id) {
#define KORVANE_ATTRIBUTE_CASE(getter, id, type) \
    case id:                                      \
        return {Getter::getter, Type::type};
        DAQMX_ATTRIBUTES(KORVANE_ATTRIBUTE_CASE)
#undef KORVANE_ATTRIBUTE_CASE
    default:
        return {};
    }
}

// Whether the entry point's variadic part holds a buffer size after `value`.
constexpr bool takes_size(int32 id)
{
    return find(id).type == Type::String || find(id).type == Type::Float64Array;
}

// A setter's value, read from its variable arguments by the property's type.
union Value {
    int32 i32;
    uInt32 u32;
    uInt64 u64;
    float64 f64;
    const char *str;
};

// Calls pass(v) with the value as the type the variadic setter takes; an ID of
// no known type gives DAQmxErrorSpecifiedAttrNotValid (its value cannot be read).
template <class Pass>
int32 pass_value(int32 id, const Value &v, Pass pass)
{
    switch (find(id).type) {
    case Type::String: return pass(v.str);
    case Type::Int32: return pass(v.i32);
    case Type::UInt32:
    case Type::Bool32: return pass(v.u32);
    case Type::Float64: return pass(v.f64);
    case Type::UInt64: return pass(v.u64);
    case Type::None:
    case Type::Float64Array: break;  // read only
    }
    return DAQmxErrorSpecifiedAttrNotValid;
}

}  // namespace driver::attributes

// In a variadic getter's body: `size` gets the buffer size that follows `value`
// for a String property, 0 for the others (they have no variable arguments).
// A macro, because va_start belongs in the variadic function itself.
#define DAQMX_GETTER_SIZE_ARG(size)                          \
    uInt32 size = 0;                                         \
    if (driver::attributes::takes_size(attribute)) {         \
        va_list more;                                        \
        va_start(more, value);                               \
        size = va_arg(more, uInt32);                         \
        va_end(more);                                        \
    }

// In a variadic setter's body: `value` gets the value that follows `attribute`,
// read by the property's type (nothing read for an ID of no known type).
#define DAQMX_SETTER_VALUE_ARG(value)                                          \
    driver::attributes::Value value{};                                         \
    {                                                                          \
        va_list more;                                                          \
        va_start(more, attribute);                                             \
        switch (driver::attributes::find(attribute).type) {                    \
        case driver::attributes::Type::String: value.str = va_arg(more, const char *); break; \
        case driver::attributes::Type::Int32: value.i32 = va_arg(more, int32); break;          \
        case driver::attributes::Type::UInt32:                                 \
        case driver::attributes::Type::Bool32: value.u32 = va_arg(more, uInt32); break;        \
        case driver::attributes::Type::Float64: value.f64 = va_arg(more, float64); break;      \
        case driver::attributes::Type::UInt64: value.u64 = va_arg(more, uInt64); break;        \
        case driver::attributes::Type::None:                                   \
        case driver::attributes::Type::Float64Array: break;                    \
        }                                                                      \
        va_end(more);                                                          \
    }

#endif

#endif
