// A stand-in driver library for the import layer's tests: every entry point
// but DAQmxDisableStartTrig, each answering with a status of its own. Built
// with KORVANE_COMPLETE_DRIVER it has that one too: a driver under NI-DAQmx's
// own name that loads and lacks nothing.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "korvane/NIDAQmx.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

extern "C" {
__attribute__((visibility("default"))) int partial_marker = 7;
}

#ifdef KORVANE_NEEDS_ABSENT
// A Windows DLL imports only what it calls: the broken stand-in calls its absent dependency.
extern "C" __declspec(dllimport) int korvane_absent_dependency(void);
#endif

EXPORT int32 DAQmxCreateTask(const char[], TaskHandle *h)
{
#ifdef KORVANE_NEEDS_ABSENT
    if (korvane_absent_dependency() != 1) return -1;
#endif
    if (h) *h = reinterpret_cast<TaskHandle>(0x1234);
    return 0;
}
EXPORT int32 DAQmxStartTask(TaskHandle) { return 42; }
EXPORT int32 DAQmxStopTask(TaskHandle) { return 43; }
EXPORT int32 DAQmxClearTask(TaskHandle) { return 44; }
EXPORT int32 DAQmxCreateDOChan(TaskHandle, const char[], const char[], int32) { return 45; }
EXPORT int32 DAQmxCreateDIChan(TaskHandle, const char[], const char[], int32) { return 46; }
EXPORT int32 DAQmxCreateAOVoltageChan(TaskHandle, const char[], const char[], float64, float64, int32, const char[])
{
    return 47;
}
EXPORT int32 DAQmxCreateAIVoltageChan(TaskHandle, const char[], const char[], int32, float64, float64, int32,
                                      const char[])
{
    return 48;
}
EXPORT int32 DAQmxCfgSampClkTiming(TaskHandle, const char[], float64, int32, int32, uInt64) { return 49; }
EXPORT int32 DAQmxCfgAnlgEdgeStartTrig(TaskHandle, const char[], int32, float64) { return 50; }
EXPORT int32 DAQmxWriteDigitalU8(TaskHandle, int32 n, bool32, float64, bool32, const uInt8 w[], int32 *, bool32 *)
{
    return n == 1 && w ? w[0] : -1;
}
EXPORT int32 DAQmxReadDigitalU8(TaskHandle, int32, float64, bool32, uInt8 r[], uInt32, int32 *, bool32 *)
{
    if (r) r[0] = 0x5A;
    return 52;
}
EXPORT int32 DAQmxWriteAnalogF64(TaskHandle, int32, bool32, float64, bool32, const float64[], int32 *, bool32 *)
{
    return 53;
}
EXPORT int32 DAQmxReadAnalogF64(TaskHandle, int32, float64, bool32, float64 r[], uInt32, int32 *, bool32 *)
{
    if (r) r[0] = 1.25;
    return 54;
}
EXPORT int32 DAQmxGetErrorString(int32 code, char buf[], uInt32 size)
{
    if (buf && size) std::snprintf(buf, size, "partial:%d", code);
    return 0;
}
EXPORT int32 DAQmxGetExtendedErrorInfo(char buf[], uInt32 size)
{
    if (buf && size) std::snprintf(buf, size, "partial extended");
    return 0;
}
EXPORT int32 DAQmxGetSysDevNames(char *data, uInt32 size)
{
    if (!data || !size) return 5;
    std::snprintf(data, size, "Dev1");
    return 0;
}
EXPORT int32 DAQmxGetDevProductType(const char[], char *data, uInt32 size)
{
    if (!data || !size) return 9;
    std::snprintf(data, size, "PXI-6251");
    return 0;
}
EXPORT int32 DAQmxGetDevSerialNum(const char[], uInt32 *data)
{
    if (data) *data = 0x1234;
    return 0;
}
EXPORT int32 DAQmxGetDevPXIChassisNum(const char[], uInt32 *data)
{
    if (data) *data = 1;
    return 0;
}
EXPORT int32 DAQmxGetDevPXISlotNum(const char[], uInt32 *data)
{
    if (data) *data = 2;
    return 0;
}

EXPORT int32 DAQmxWriteDigitalU32(TaskHandle, int32, bool32, float64, bool32, const uInt32 w[], int32 *, bool32 *)
{
    return w ? static_cast<int32>(w[0]) : 61;
}
EXPORT int32 DAQmxReadDigitalU32(TaskHandle, int32, float64, bool32, uInt32 r[], uInt32, int32 *, bool32 *)
{
    if (r) r[0] = 0xBEEF;
    return 62;
}
EXPORT int32 DAQmxWriteDigitalLines(TaskHandle, int32, bool32, float64, bool32, const uInt8[], int32 *, bool32 *)
{
    return 63;
}
EXPORT int32 DAQmxReadDigitalLines(TaskHandle, int32, float64, bool32, uInt8[], uInt32, int32 *, int32 *per, bool32 *)
{
    if (per) *per = 3;
    return 64;
}

// The getters by ID: a string property (the task's channels, the device's
// product type) answers the buffer size it was passed; any other puts 7 and
// answers 70.
namespace {
int32 property(int32 attribute, void *value, va_list more)
{
    if (attribute == 0x1273 || attribute == 0x0631) {
        const uInt32 size = va_arg(more, uInt32);
        if (value && size) std::strncpy(static_cast<char *>(value), "x", size);
        return static_cast<int32>(size);
    }
    if (value) *static_cast<uInt32 *>(value) = 7;
    return 70;
}
}  // namespace
#define PARTIAL_GETTER(name, params)         \
    EXPORT int32 name params                 \
    {                                        \
        va_list more;                        \
        va_start(more, value);               \
        int32 status = property(attribute, value, more); \
        va_end(more);                        \
        return status;                       \
    }
PARTIAL_GETTER(DAQmxGetSystemInfoAttribute, (int32 attribute, void *value, ...))
PARTIAL_GETTER(DAQmxGetTaskAttribute, (TaskHandle, int32 attribute, void *value, ...))
PARTIAL_GETTER(DAQmxGetChanAttribute, (TaskHandle, const char[], int32 attribute, void *value, ...))
PARTIAL_GETTER(DAQmxGetTimingAttribute, (TaskHandle, int32 attribute, void *value, ...))
PARTIAL_GETTER(DAQmxGetReadAttribute, (TaskHandle, int32 attribute, void *value, ...))
PARTIAL_GETTER(DAQmxGetWriteAttribute, (TaskHandle, int32 attribute, void *value, ...))
PARTIAL_GETTER(DAQmxGetDeviceAttribute, (const char[], int32 attribute, void *value, ...))

#ifdef KORVANE_COMPLETE_DRIVER
EXPORT int32 DAQmxDisableStartTrig(TaskHandle) { return 51; }
#endif
