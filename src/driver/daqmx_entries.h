/*
 * The NI-DAQmx entry points korvane uses: the one list from which the import
 * layer's forwarders, the call trace, the simulated bench's exported face and
 * method declarations and its fault names are made. One row per function:
 *
 *   X(name, name without the DAQmx prefix, parameter list, argument list, trace)
 *
 * `trace` says how the call is written in the trace, as a chain of writers on
 * a driver::trace::Line (daqmx_trace.h), one per argument in order, plus what
 * the call means for the trace's book of tasks (names and channel counts).
 * Adding an entry point is one row here and its behaviour on the bench.
 *
 * DAQMX_ATTRIBUTE_GETTERS lists the getters of properties by ID in the same
 * form; they are C variadic functions: `params` ends in "int32 attribute,
 * void *value", after which a string property (daqmx_attributes.h) takes its
 * buffer's size. Forwarders and the bench's exports read that size from the
 * variable arguments by the property's type and pass it on; the bench's
 * methods take it as a last parameter `uInt32 size`.
 */
#ifndef KORVANE_DAQMX_ENTRIES_H
#define KORVANE_DAQMX_ENTRIES_H

#include "korvane/NIDAQmx.h"
#include "driver/daqmx_attributes.h"
#include "driver/daqmx_unmodelled.h"

/* A parenthesised list without its parentheses. */
#define DAQMX_UNPAREN(...) __VA_ARGS__

#define DAQMX_ENTRY_POINTS(X)                                                                                \
    X(DAQmxCreateTask, CreateTask,                                                                           \
      (const char taskName[], TaskHandle *taskHandle),                                                       \
      (taskName, taskHandle),                                                                                \
      .str(taskName).out(taskHandle).creates(taskName, taskHandle))                                          \
    X(DAQmxStartTask, StartTask,                                                                             \
      (TaskHandle taskHandle),                                                                               \
      (taskHandle),                                                                                          \
      .task(taskHandle))                                                                                     \
    X(DAQmxStopTask, StopTask,                                                                               \
      (TaskHandle taskHandle),                                                                               \
      (taskHandle),                                                                                          \
      .task(taskHandle))                                                                                     \
    X(DAQmxClearTask, ClearTask,                                                                             \
      (TaskHandle taskHandle),                                                                               \
      (taskHandle),                                                                                          \
      .task(taskHandle).clears())                                                                            \
    X(DAQmxCreateDOChan, CreateDOChan,                                                                       \
      (TaskHandle taskHandle, const char lines[], const char nameToAssignToLines[], int32 lineGrouping),     \
      (taskHandle, lines, nameToAssignToLines, lineGrouping),                                                \
      .task(taskHandle).str(lines).str(nameToAssignToLines).num(lineGrouping).adds_lines(lines, lineGrouping)) \
    X(DAQmxCreateDIChan, CreateDIChan,                                                                       \
      (TaskHandle taskHandle, const char lines[], const char nameToAssignToLines[], int32 lineGrouping),     \
      (taskHandle, lines, nameToAssignToLines, lineGrouping),                                                \
      .task(taskHandle).str(lines).str(nameToAssignToLines).num(lineGrouping).adds_lines(lines, lineGrouping)) \
    X(DAQmxCreateAOVoltageChan, CreateAOVoltageChan,                                                         \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64      \
       minVal, float64 maxVal, int32 units, const char customScaleName[]),                                   \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, customScaleName),          \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .str(customScaleName).adds_chans(physicalChannel))                                                 \
    X(DAQmxCreateAIVoltageChan, CreateAIVoltageChan,                                                         \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32        \
       terminalConfig, float64 minVal, float64 maxVal, int32 units, const char customScaleName[]),           \
      (taskHandle, physicalChannel, nameToAssignToChannel, terminalConfig, minVal, maxVal, units,            \
       customScaleName),                                                                                     \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).num(terminalConfig).real(minVal)     \
          .real(maxVal).num(units).str(customScaleName).adds_chans(physicalChannel))                         \
    X(DAQmxCfgSampClkTiming, CfgSampClkTiming,                                                               \
      (TaskHandle taskHandle, const char source[], float64 rate, int32 activeEdge, int32 sampleMode,         \
       uInt64 sampsPerChan),                                                                                 \
      (taskHandle, source, rate, activeEdge, sampleMode, sampsPerChan),                                      \
      .task(taskHandle).str(source).real(rate).num(activeEdge).num(sampleMode).unum(sampsPerChan))           \
    X(DAQmxCfgAnlgEdgeStartTrig, CfgAnlgEdgeStartTrig,                                                       \
      (TaskHandle taskHandle, const char triggerSource[], int32 triggerSlope, float64 triggerLevel),         \
      (taskHandle, triggerSource, triggerSlope, triggerLevel),                                               \
      .task(taskHandle).str(triggerSource).num(triggerSlope).real(triggerLevel))                             \
    X(DAQmxDisableStartTrig, DisableStartTrig,                                                               \
      (TaskHandle taskHandle),                                                                               \
      (taskHandle),                                                                                          \
      .task(taskHandle))                                                                                     \
    X(DAQmxWriteDigitalU8, WriteDigitalU8,                                                                   \
      (TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32               \
       dataLayout, const uInt8 writeArray[], int32 *sampsPerChanWritten, bool32 *reserved),                  \
      (taskHandle, numSampsPerChan, autoStart, timeout, dataLayout, writeArray, sampsPerChanWritten,         \
       reserved),                                                                                            \
      .task(taskHandle).num(numSampsPerChan).unum(autoStart).real(timeout).unum(dataLayout)                  \
          .written(writeArray, numSampsPerChan).out(sampsPerChanWritten).out(reserved))                      \
    X(DAQmxReadDigitalU8, ReadDigitalU8,                                                                     \
      (TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, uInt8                 \
       readArray[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved),                     \
      (taskHandle, numSampsPerChan, timeout, fillMode, readArray, arraySizeInSamps, sampsPerChanRead,        \
       reserved),                                                                                            \
      .task(taskHandle).num(numSampsPerChan).real(timeout).unum(fillMode)                                    \
          .read(readArray, numSampsPerChan, arraySizeInSamps, sampsPerChanRead).unum(arraySizeInSamps)       \
          .out(sampsPerChanRead).out(reserved))                                                              \
    X(DAQmxWriteDigitalU32, WriteDigitalU32,                                                                 \
      (TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32               \
       dataLayout, const uInt32 writeArray[], int32 *sampsPerChanWritten, bool32 *reserved),                 \
      (taskHandle, numSampsPerChan, autoStart, timeout, dataLayout, writeArray, sampsPerChanWritten,         \
       reserved),                                                                                            \
      .task(taskHandle).num(numSampsPerChan).unum(autoStart).real(timeout).unum(dataLayout)                  \
          .written(writeArray, numSampsPerChan).out(sampsPerChanWritten).out(reserved))                      \
    X(DAQmxReadDigitalU32, ReadDigitalU32,                                                                   \
      (TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, uInt32                \
       readArray[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved),                     \
      (taskHandle, numSampsPerChan, timeout, fillMode, readArray, arraySizeInSamps, sampsPerChanRead,        \
       reserved),                                                                                            \
      .task(taskHandle).num(numSampsPerChan).real(timeout).unum(fillMode)                                    \
          .read(readArray, numSampsPerChan, arraySizeInSamps, sampsPerChanRead).unum(arraySizeInSamps)       \
          .out(sampsPerChanRead).out(reserved))                                                              \
    X(DAQmxWriteDigitalLines, WriteDigitalLines,                                                             \
      (TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32               \
       dataLayout, const uInt8 writeArray[], int32 *sampsPerChanWritten, bool32 *reserved),                  \
      (taskHandle, numSampsPerChan, autoStart, timeout, dataLayout, writeArray, sampsPerChanWritten,         \
       reserved),                                                                                            \
      .task(taskHandle).num(numSampsPerChan).unum(autoStart).real(timeout).unum(dataLayout)                  \
          .written(writeArray, numSampsPerChan).out(sampsPerChanWritten).out(reserved))                      \
    X(DAQmxReadDigitalLines, ReadDigitalLines,                                                               \
      (TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, uInt8                 \
       readArray[], uInt32 arraySizeInBytes, int32 *sampsPerChanRead, int32 *numBytesPerSamp, bool32         \
       *reserved),                                                                                           \
      (taskHandle, numSampsPerChan, timeout, fillMode, readArray, arraySizeInBytes, sampsPerChanRead,        \
       numBytesPerSamp, reserved),                                                                           \
      .task(taskHandle).num(numSampsPerChan).real(timeout).unum(fillMode)                                    \
          .read(readArray, numSampsPerChan, arraySizeInBytes, sampsPerChanRead).unum(arraySizeInBytes)       \
          .out(sampsPerChanRead).out(numBytesPerSamp).out(reserved))                                         \
    X(DAQmxWriteAnalogF64, WriteAnalogF64,                                                                   \
      (TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32               \
       dataLayout, const float64 writeArray[], int32 *sampsPerChanWritten, bool32 *reserved),                \
      (taskHandle, numSampsPerChan, autoStart, timeout, dataLayout, writeArray, sampsPerChanWritten,         \
       reserved),                                                                                            \
      .task(taskHandle).num(numSampsPerChan).unum(autoStart).real(timeout).unum(dataLayout)                  \
          .written(writeArray, numSampsPerChan).out(sampsPerChanWritten).out(reserved))                      \
    X(DAQmxReadAnalogF64, ReadAnalogF64,                                                                     \
      (TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, float64               \
       readArray[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved),                     \
      (taskHandle, numSampsPerChan, timeout, fillMode, readArray, arraySizeInSamps, sampsPerChanRead,        \
       reserved),                                                                                            \
      .task(taskHandle).num(numSampsPerChan).real(timeout).unum(fillMode)                                    \
          .read(readArray, numSampsPerChan, arraySizeInSamps, sampsPerChanRead).unum(arraySizeInSamps)       \
          .out(sampsPerChanRead).out(reserved))                                                              \
    X(DAQmxGetExtendedErrorInfo, GetExtendedErrorInfo,                                                       \
      (char errorString[], uInt32 bufferSize),                                                               \
      (errorString, bufferSize),                                                                             \
      .out(errorString).unum(bufferSize))                                                                    \
    X(DAQmxGetErrorString, GetErrorString,                                                                   \
      (int32 errorCode, char errorString[], uInt32 bufferSize),                                              \
      (errorCode, errorString, bufferSize),                                                                  \
      .num(errorCode).out(errorString).unum(bufferSize))                                                     \
    X(DAQmxGetSysDevNames, GetSysDevNames,                                                                   \
      (char *data, uInt32 bufferSize),                                                                       \
      (data, bufferSize),                                                                                    \
      .out(data).unum(bufferSize))                                                                           \
    X(DAQmxGetDevProductType, GetDevProductType,                                                             \
      (const char device[], char *data, uInt32 bufferSize),                                                  \
      (device, data, bufferSize),                                                                            \
      .str(device).out(data).unum(bufferSize))                                                               \
    X(DAQmxGetDevSerialNum, GetDevSerialNum,                                                                 \
      (const char device[], uInt32 *data),                                                                   \
      (device, data),                                                                                        \
      .str(device).out(data))                                                                                \
    X(DAQmxGetDevPXIChassisNum, GetDevPXIChassisNum,                                                         \
      (const char device[], uInt32 *data),                                                                   \
      (device, data),                                                                                        \
      .str(device).out(data))                                                                                \
    X(DAQmxGetDevPXISlotNum, GetDevPXISlotNum,                                                               \
      (const char device[], uInt32 *data),                                                                   \
      (device, data),                                                                                        \
      .str(device).out(data))

#define DAQMX_ATTRIBUTE_GETTERS(X)                                                                           \
    X(DAQmxGetSystemInfoAttribute, GetSystemInfoAttribute,                                                   \
      (int32 attribute, void *value),                                                                        \
      (attribute, value),                                                                                    \
      .num(attribute).out(value))                                                                            \
    X(DAQmxGetTaskAttribute, GetTaskAttribute,                                                               \
      (TaskHandle taskHandle, int32 attribute, void *value),                                                 \
      (taskHandle, attribute, value),                                                                        \
      .task(taskHandle).num(attribute).out(value))                                                           \
    X(DAQmxGetChanAttribute, GetChanAttribute,                                                               \
      (TaskHandle taskHandle, const char channel[], int32 attribute, void *value),                           \
      (taskHandle, channel, attribute, value),                                                               \
      .task(taskHandle).str(channel).num(attribute).out(value))                                              \
    X(DAQmxGetTimingAttribute, GetTimingAttribute,                                                           \
      (TaskHandle taskHandle, int32 attribute, void *value),                                                 \
      (taskHandle, attribute, value),                                                                        \
      .task(taskHandle).num(attribute).out(value))                                                           \
    X(DAQmxGetReadAttribute, GetReadAttribute,                                                               \
      (TaskHandle taskHandle, int32 attribute, void *value),                                                 \
      (taskHandle, attribute, value),                                                                        \
      .task(taskHandle).num(attribute).out(value))                                                           \
    X(DAQmxGetWriteAttribute, GetWriteAttribute,                                                             \
      (TaskHandle taskHandle, int32 attribute, void *value),                                                 \
      (taskHandle, attribute, value),                                                                        \
      .task(taskHandle).num(attribute).out(value))                                                           \
    X(DAQmxGetDeviceAttribute, GetDeviceAttribute,                                                           \
      (const char deviceName[], int32 attribute, void *value),                                               \
      (deviceName, attribute, value),                                                                        \
      .str(deviceName).num(attribute).out(value))

/* The entry points NI's own clients (nidaqmx-python) call beyond korvane's,
 * which the simulated bench models: methods of the same name in sim/device.
 * The import layer forwards them too, but a driver library without them is
 * not "missing" anything korvane calls. */
#define DAQMX_CLIENT_ENTRY_POINTS(X)                                                                         \
    X(DAQmxSetRuntimeEnvironment, SetRuntimeEnvironment,                                                     \
      (const char environment[], const char environmentVersion[], const char reserved1[],                    \
       const char reserved2[]),                                                                              \
      (environment, environmentVersion, reserved1, reserved2),                                               \
      .str(environment).str(environmentVersion).str(reserved1).str(reserved2))                               \
    X(DAQmxWaitUntilTaskDone, WaitUntilTaskDone,                                                             \
      (TaskHandle taskHandle, float64 timeToWait),                                                           \
      (taskHandle, timeToWait),                                                                              \
      .task(taskHandle).real(timeToWait))                                                                    \
    X(DAQmxIsTaskDone, IsTaskDone,                                                                           \
      (TaskHandle taskHandle, bool32 *isTaskDone),                                                           \
      (taskHandle, isTaskDone),                                                                              \
      .task(taskHandle).out(isTaskDone))                                                                     \
    X(DAQmxCreateAIThrmcplChan, CreateAIThrmcplChan,                                                         \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 thermocoupleType, int32 cjcSource, float64 cjcVal,                 \
       const char cjcChannel[]),                                                                             \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, thermocoupleType, cjcSource, \
       cjcVal, cjcChannel),                                                                                  \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(thermocoupleType).num(cjcSource).real(cjcVal).str(cjcChannel).adds_chans(physicalChannel))    \
    X(DAQmxGetBufferAttribute, GetBufferAttribute,                                                           \
      (TaskHandle taskHandle, int32 attribute, void *value),                                                 \
      (taskHandle, attribute, value),                                                                        \
      .task(taskHandle).num(attribute).out(value))                                                           \
    X(DAQmxReadRaw, ReadRaw,                                                                                 \
      (TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, void *readArray, uInt32 arraySizeInBytes, \
       int32 *sampsRead, int32 *numBytesPerSamp, bool32 *reserved),                                          \
      (taskHandle, numSampsPerChan, timeout, readArray, arraySizeInBytes, sampsRead, numBytesPerSamp,        \
       reserved),                                                                                            \
      .task(taskHandle).num(numSampsPerChan).real(timeout).out(readArray).unum(arraySizeInBytes)             \
          .out(sampsRead).out(numBytesPerSamp).out(reserved))                                                \
    X(DAQmxCfgDigEdgeStartTrig, CfgDigEdgeStartTrig,                                                         \
      (TaskHandle taskHandle, const char triggerSource[], int32 triggerEdge),                                \
      (taskHandle, triggerSource, triggerEdge),                                                              \
      .task(taskHandle).str(triggerSource).num(triggerEdge))                                                 \
    X(DAQmxRegisterEveryNSamplesEvent, RegisterEveryNSamplesEvent,                                           \
      (TaskHandle task, int32 everyNsamplesEventType, uInt32 nSamples, uInt32 options,                       \
       DAQmxEveryNSamplesEventCallbackPtr callbackFunction, void *callbackData),                             \
      (task, everyNsamplesEventType, nSamples, options, callbackFunction, callbackData),                     \
      .task(task).num(everyNsamplesEventType).unum(nSamples).unum(options).unum(callbackFunction != nullptr) \
          .out(callbackData))                                                                                \
    X(DAQmxRegisterDoneEvent, RegisterDoneEvent,                                                             \
      (TaskHandle task, uInt32 options, DAQmxDoneEventCallbackPtr callbackFunction, void *callbackData),     \
      (task, options, callbackFunction, callbackData),                                                       \
      .task(task).unum(options).unum(callbackFunction != nullptr).out(callbackData))

/* The getters of properties by ID that only NI's clients call, in the form of
 * DAQMX_ATTRIBUTE_GETTERS. */
#define DAQMX_CLIENT_ATTRIBUTE_GETTERS(X)                                                                    \
    X(DAQmxGetTrigAttribute, GetTrigAttribute,                                                               \
      (TaskHandle taskHandle, int32 attribute, void *value),                                                 \
      (taskHandle, attribute, value),                                                                        \
      .task(taskHandle).num(attribute).out(value))                                                           \
    X(DAQmxGetExportedSignalAttribute, GetExportedSignalAttribute,                                           \
      (TaskHandle taskHandle, int32 attribute, void *value),                                                 \
      (taskHandle, attribute, value),                                                                        \
      .task(taskHandle).num(attribute).out(value))                                                           \
    X(DAQmxGetTimingAttributeEx, GetTimingAttributeEx,                                                       \
      (TaskHandle taskHandle, const char deviceNames[], int32 attribute, void *value),                       \
      (taskHandle, deviceNames, attribute, value),                                                           \
      .task(taskHandle).str(deviceNames).num(attribute).out(value))                                          \
    X(DAQmxGetPhysicalChanAttribute, GetPhysicalChanAttribute,                                               \
      (const char physicalChannel[], int32 attribute, void *value),                                          \
      (physicalChannel, attribute, value),                                                                   \
      .str(physicalChannel).num(attribute).out(value))                                                       \
    X(DAQmxGetScaleAttribute, GetScaleAttribute,                                                             \
      (const char scaleName[], int32 attribute, void *value),                                                \
      (scaleName, attribute, value),                                                                         \
      .str(scaleName).num(attribute).out(value))                                                             \
    X(DAQmxGetPersistedChanAttribute, GetPersistedChanAttribute,                                             \
      (const char channel[], int32 attribute, void *value),                                                  \
      (channel, attribute, value),                                                                           \
      .str(channel).num(attribute).out(value))                                                               \
    X(DAQmxGetPersistedScaleAttribute, GetPersistedScaleAttribute,                                           \
      (const char scaleName[], int32 attribute, void *value),                                                \
      (scaleName, attribute, value),                                                                         \
      .str(scaleName).num(attribute).out(value))                                                             \
    X(DAQmxGetPersistedTaskAttribute, GetPersistedTaskAttribute,                                             \
      (const char taskName[], int32 attribute, void *value),                                                 \
      (taskName, attribute, value),                                                                          \
      .str(taskName).num(attribute).out(value))                                                              \
    X(DAQmxGetCalInfoAttribute, GetCalInfoAttribute,                                                         \
      (const char deviceName[], int32 attribute, void *value),                                               \
      (deviceName, attribute, value),                                                                        \
      .str(deviceName).num(attribute).out(value))                                                            \
    X(DAQmxGetWatchdogAttribute, GetWatchdogAttribute,                                                       \
      (TaskHandle taskHandle, const char lines[], int32 attribute, void *value),                             \
      (taskHandle, lines, attribute, value),                                                                 \
      .task(taskHandle).str(lines).num(attribute).out(value))

/* The setters of properties by ID (C variadic functions): `params` ends in
 * "int32 attribute", after which comes the value itself, of the property's
 * type (daqmx_attributes.h; a String as const char *). Forwarders and the
 * bench's exports read it by that type (DAQMX_SETTER_VALUE_ARG); the bench's
 * methods take it as a last parameter `const driver::attributes::Value &value`. */
#define DAQMX_ATTRIBUTE_SETTERS(X)                                                                           \
    X(DAQmxSetChanAttribute, SetChanAttribute,                                                               \
      (TaskHandle taskHandle, const char channel[], int32 attribute),                                        \
      (taskHandle, channel, attribute),                                                                      \
      .task(taskHandle).str(channel).num(attribute))                                                         \
    X(DAQmxSetTimingAttribute, SetTimingAttribute,                                                           \
      (TaskHandle taskHandle, int32 attribute),                                                              \
      (taskHandle, attribute),                                                                               \
      .task(taskHandle).num(attribute))                                                                      \
    X(DAQmxSetTimingAttributeEx, SetTimingAttributeEx,                                                       \
      (TaskHandle taskHandle, const char deviceNames[], int32 attribute),                                    \
      (taskHandle, deviceNames, attribute),                                                                  \
      .task(taskHandle).str(deviceNames).num(attribute))                                                     \
    X(DAQmxSetTrigAttribute, SetTrigAttribute,                                                               \
      (TaskHandle taskHandle, int32 attribute),                                                              \
      (taskHandle, attribute),                                                                               \
      .task(taskHandle).num(attribute))                                                                      \
    X(DAQmxSetReadAttribute, SetReadAttribute,                                                               \
      (TaskHandle taskHandle, int32 attribute),                                                              \
      (taskHandle, attribute),                                                                               \
      .task(taskHandle).num(attribute))                                                                      \
    X(DAQmxSetWriteAttribute, SetWriteAttribute,                                                             \
      (TaskHandle taskHandle, int32 attribute),                                                              \
      (taskHandle, attribute),                                                                               \
      .task(taskHandle).num(attribute))                                                                      \
    X(DAQmxSetExportedSignalAttribute, SetExportedSignalAttribute,                                           \
      (TaskHandle taskHandle, int32 attribute),                                                              \
      (taskHandle, attribute),                                                                               \
      .task(taskHandle).num(attribute))                                                                      \
    X(DAQmxSetBufferAttribute, SetBufferAttribute,                                                           \
      (TaskHandle taskHandle, int32 attribute),                                                              \
      (taskHandle, attribute),                                                                               \
      .task(taskHandle).num(attribute))                                                                      \
    X(DAQmxSetScaleAttribute, SetScaleAttribute,                                                             \
      (const char scaleName[], int32 attribute),                                                             \
      (scaleName, attribute),                                                                                \
      .str(scaleName).num(attribute))                                                                        \
    X(DAQmxSetCalInfoAttribute, SetCalInfoAttribute,                                                         \
      (const char deviceName[], int32 attribute),                                                            \
      (deviceName, attribute),                                                                               \
      .str(deviceName).num(attribute))                                                                       \
    X(DAQmxSetWatchdogAttribute, SetWatchdogAttribute,                                                       \
      (TaskHandle taskHandle, const char lines[], int32 attribute),                                          \
      (taskHandle, lines, attribute),                                                                        \
      .task(taskHandle).str(lines).num(attribute))

/* The texts of the import layer's own two statuses (a driver library that
 * cannot be loaded, an entry point it lacks), which the bench's error table
 * gives as well. */
#define DAQMX_TEXT_LIBRARY_NOT_LOADED                                                                        \
    "Unable to load NI-DAQmx dynamic link library NICAIU.DLL.\n\nEnsure that NI-DAQmx is installed on your " \
    "machine.\n"
#define DAQMX_TEXT_ENTRY_POINT_MISSING                                                                       \
    "Unable to find function in NI-DAQmx dynamic link library (DLL) NICAIU.DLL.\n\nThe DLL exists on your "  \
    "computer, but the version is incorrect. Install the correct version of the DLL on your machine.\n"

#endif
