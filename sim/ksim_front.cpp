// The exported C face of libkorvane-sim.so: the DAQmx* entry points and the
// ksim_* back door, all on the process's one bench. Everything else in the
// library is hidden, and the library binds its own symbols (-Bsymbolic), so the
// program's import layer, which defines the same DAQmx* names, never captures them.
#include <memory>
#include <mutex>

#include "NIDAQmx.h"
#include "core/bench.h"
#include "ksim_backdoor.h"

#define KSIM_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::mutex g_mutex;

ksim::Bench &bench()
{
    static ksim::Bench b;
    return b;
}

}  // namespace

#define KSIM_LOCKED std::lock_guard<std::mutex> lock(g_mutex)

KSIM_EXPORT int32 DAQmxCreateTask(const char taskName[], TaskHandle *taskHandle)
{
    KSIM_LOCKED;
    return bench().CreateTask(taskName, taskHandle);
}
KSIM_EXPORT int32 DAQmxStartTask(TaskHandle taskHandle)
{
    KSIM_LOCKED;
    return bench().StartTask(taskHandle);
}
KSIM_EXPORT int32 DAQmxStopTask(TaskHandle taskHandle)
{
    KSIM_LOCKED;
    return bench().StopTask(taskHandle);
}
KSIM_EXPORT int32 DAQmxClearTask(TaskHandle taskHandle)
{
    KSIM_LOCKED;
    return bench().ClearTask(taskHandle);
}
KSIM_EXPORT int32 DAQmxCreateDOChan(TaskHandle taskHandle, const char lines[], const char nameToAssignToLines[],
                                    int32 lineGrouping)
{
    KSIM_LOCKED;
    return bench().CreateDOChan(taskHandle, lines, nameToAssignToLines, lineGrouping);
}
KSIM_EXPORT int32 DAQmxCreateDIChan(TaskHandle taskHandle, const char lines[], const char nameToAssignToLines[],
                                    int32 lineGrouping)
{
    KSIM_LOCKED;
    return bench().CreateDIChan(taskHandle, lines, nameToAssignToLines, lineGrouping);
}
KSIM_EXPORT int32 DAQmxCreateAOVoltageChan(TaskHandle taskHandle, const char physicalChannel[],
                                           const char nameToAssignToChannel[], float64 minVal, float64 maxVal,
                                           int32 units, const char customScaleName[])
{
    KSIM_LOCKED;
    return bench().CreateAOVoltageChan(taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units,
                                       customScaleName);
}
KSIM_EXPORT int32 DAQmxCreateAIVoltageChan(TaskHandle taskHandle, const char physicalChannel[],
                                           const char nameToAssignToChannel[], int32 terminalConfig,
                                           float64 minVal, float64 maxVal, int32 units,
                                           const char customScaleName[])
{
    KSIM_LOCKED;
    return bench().CreateAIVoltageChan(taskHandle, physicalChannel, nameToAssignToChannel, terminalConfig, minVal,
                                       maxVal, units, customScaleName);
}
KSIM_EXPORT int32 DAQmxCfgSampClkTiming(TaskHandle taskHandle, const char source[], float64 rate, int32 activeEdge,
                                        int32 sampleMode, uInt64 sampsPerChan)
{
    KSIM_LOCKED;
    return bench().CfgSampClkTiming(taskHandle, source, rate, activeEdge, sampleMode, sampsPerChan);
}
KSIM_EXPORT int32 DAQmxCfgAnlgEdgeStartTrig(TaskHandle taskHandle, const char triggerSource[], int32 triggerSlope,
                                            float64 triggerLevel)
{
    KSIM_LOCKED;
    return bench().CfgAnlgEdgeStartTrig(taskHandle, triggerSource, triggerSlope, triggerLevel);
}
KSIM_EXPORT int32 DAQmxDisableStartTrig(TaskHandle taskHandle)
{
    KSIM_LOCKED;
    return bench().DisableStartTrig(taskHandle);
}
KSIM_EXPORT int32 DAQmxWriteDigitalU8(TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart,
                                      float64 timeout, bool32 dataLayout, const uInt8 writeArray[],
                                      int32 *sampsPerChanWritten, bool32 *reserved)
{
    KSIM_LOCKED;
    return bench().WriteDigitalU8(taskHandle, numSampsPerChan, autoStart, timeout, dataLayout, writeArray,
                                  sampsPerChanWritten, reserved);
}
KSIM_EXPORT int32 DAQmxReadDigitalU8(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout,
                                     bool32 fillMode, uInt8 readArray[], uInt32 arraySizeInSamps,
                                     int32 *sampsPerChanRead, bool32 *reserved)
{
    KSIM_LOCKED;
    return bench().ReadDigitalU8(taskHandle, numSampsPerChan, timeout, fillMode, readArray, arraySizeInSamps,
                                 sampsPerChanRead, reserved);
}
KSIM_EXPORT int32 DAQmxWriteAnalogF64(TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart,
                                      float64 timeout, bool32 dataLayout, const float64 writeArray[],
                                      int32 *sampsPerChanWritten, bool32 *reserved)
{
    KSIM_LOCKED;
    return bench().WriteAnalogF64(taskHandle, numSampsPerChan, autoStart, timeout, dataLayout, writeArray,
                                  sampsPerChanWritten, reserved);
}
KSIM_EXPORT int32 DAQmxReadAnalogF64(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout,
                                     bool32 fillMode, float64 readArray[], uInt32 arraySizeInSamps,
                                     int32 *sampsPerChanRead, bool32 *reserved)
{
    KSIM_LOCKED;
    return bench().ReadAnalogF64(taskHandle, numSampsPerChan, timeout, fillMode, readArray, arraySizeInSamps,
                                 sampsPerChanRead, reserved);
}
KSIM_EXPORT int32 DAQmxGetErrorString(int32 errorCode, char errorString[], uInt32 bufferSize)
{
    KSIM_LOCKED;
    return bench().GetErrorString(errorCode, errorString, bufferSize);
}
KSIM_EXPORT int32 DAQmxGetExtendedErrorInfo(char errorString[], uInt32 bufferSize)
{
    KSIM_LOCKED;
    return bench().GetExtendedErrorInfo(errorString, bufferSize);
}

// ---- back door ----

KSIM_EXPORT int ksim_present(void)
{
    return 1;
}
KSIM_EXPORT void ksim_reset(void)
{
    KSIM_LOCKED;
    bench().reset();
}
KSIM_EXPORT void ksim_use_virtual_clock(void)
{
    KSIM_LOCKED;
    bench().set_clock(std::make_shared<ksim::VirtualClock>());
}
KSIM_EXPORT void ksim_attach_clock(void *ctx, int64_t (*now_ns)(void *ctx), void (*sleep_ns)(void *ctx, int64_t ns))
{
    KSIM_LOCKED;
    if (!now_ns)
        bench().set_clock(std::make_shared<ksim::SteadyClock>());
    else
        bench().set_clock(std::make_shared<ksim::ExternalClock>(ctx, now_ns, sleep_ns));
}
KSIM_EXPORT int64_t ksim_now_ns(void)
{
    KSIM_LOCKED;
    return bench().now();
}
KSIM_EXPORT void ksim_advance_ns(int64_t ns)
{
    KSIM_LOCKED;
    bench().advance(ns);
}
KSIM_EXPORT int ksim_set_slot(int slot)
{
    KSIM_LOCKED;
    return bench().set_slot(slot);
}
KSIM_EXPORT void ksim_set_seed(uint32_t seed)
{
    KSIM_LOCKED;
    bench().set_seed(seed);
}
KSIM_EXPORT int ksim_live_tasks(void)
{
    KSIM_LOCKED;
    return bench().live_tasks();
}
KSIM_EXPORT long ksim_contention_count(void)
{
    KSIM_LOCKED;
    return bench().contention_count();
}
KSIM_EXPORT long ksim_driver_calls(void)
{
    KSIM_LOCKED;
    return bench().driver_calls();
}
KSIM_EXPORT int ksim_probe(const char *name, double *value)
{
    KSIM_LOCKED;
    return bench().probe(name, value);
}
KSIM_EXPORT int ksim_probe_reg(int slave, int address, unsigned *word)
{
    KSIM_LOCKED;
    return bench().probe_reg(slave, address, word);
}
KSIM_EXPORT int ksim_poke_reg(int slave, int address, unsigned word)
{
    KSIM_LOCKED;
    return bench().poke_reg(slave, address, word);
}
KSIM_EXPORT int ksim_drive(const char *name, double value)
{
    KSIM_LOCKED;
    return bench().drive(name, value);
}
KSIM_EXPORT int ksim_fault(const char *function, const char *task, int code, int nth, int always)
{
    KSIM_LOCKED;
    return bench().fault(function, task, code, nth, always);
}
KSIM_EXPORT void ksim_fault_clear(void)
{
    KSIM_LOCKED;
    bench().fault_clear();
}
KSIM_EXPORT int ksim_trace_file(const char *path)
{
    KSIM_LOCKED;
    return bench().trace_file(path);
}
KSIM_EXPORT void ksim_trace_capture(int on)
{
    KSIM_LOCKED;
    bench().trace_capture(on != 0);
}
KSIM_EXPORT void ksim_trace_clear(void)
{
    KSIM_LOCKED;
    bench().trace_clear();
}
KSIM_EXPORT size_t ksim_trace_text(char *buf, size_t size)
{
    KSIM_LOCKED;
    return bench().trace_text(buf, size);
}
KSIM_EXPORT int ksim_vcd_file(const char *path)
{
    KSIM_LOCKED;
    return bench().vcd_file(path);
}
