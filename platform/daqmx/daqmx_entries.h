/*
 * The NI-DAQmx entry points korvane uses, as one list for the code that
 * forwards them (the import layer, the simulated bench's exported face):
 * X(name, name without the DAQmx prefix, parameter list, argument list).
 */
#ifndef KORVANE_DAQMX_ENTRIES_H
#define KORVANE_DAQMX_ENTRIES_H

#include "NIDAQmx.h"

/* Every entry point but DAQmxGetErrorString, which the import layer answers
 * in part itself. */
#define DAQMX_ENTRY_POINTS_BUT_ERROR_STRING(X)                                                                  \
    X(DAQmxCreateTask, CreateTask,                                                                              \
      (const char taskName[], TaskHandle *taskHandle),                                                          \
      (taskName, taskHandle))                                                                                   \
    X(DAQmxStartTask, StartTask,                                                                                \
      (TaskHandle taskHandle),                                                                                  \
      (taskHandle))                                                                                             \
    X(DAQmxStopTask, StopTask,                                                                                  \
      (TaskHandle taskHandle),                                                                                  \
      (taskHandle))                                                                                             \
    X(DAQmxClearTask, ClearTask,                                                                                \
      (TaskHandle taskHandle),                                                                                  \
      (taskHandle))                                                                                             \
    X(DAQmxCreateDOChan, CreateDOChan,                                                                          \
      (TaskHandle taskHandle, const char lines[], const char nameToAssignToLines[], int32 lineGrouping),        \
      (taskHandle, lines, nameToAssignToLines, lineGrouping))                                                   \
    X(DAQmxCreateDIChan, CreateDIChan,                                                                          \
      (TaskHandle taskHandle, const char lines[], const char nameToAssignToLines[], int32 lineGrouping),        \
      (taskHandle, lines, nameToAssignToLines, lineGrouping))                                                   \
    X(DAQmxCreateAOVoltageChan, CreateAOVoltageChan,                                                            \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64         \
       minVal, float64 maxVal, int32 units, const char customScaleName[]),                                      \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, customScaleName))             \
    X(DAQmxCreateAIVoltageChan, CreateAIVoltageChan,                                                            \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32           \
       terminalConfig, float64 minVal, float64 maxVal, int32 units, const char customScaleName[]),              \
      (taskHandle, physicalChannel, nameToAssignToChannel, terminalConfig, minVal, maxVal, units,               \
       customScaleName))                                                                                        \
    X(DAQmxCfgSampClkTiming, CfgSampClkTiming,                                                                  \
      (TaskHandle taskHandle, const char source[], float64 rate, int32 activeEdge, int32 sampleMode,            \
       uInt64 sampsPerChan),                                                                                    \
      (taskHandle, source, rate, activeEdge, sampleMode, sampsPerChan))                                         \
    X(DAQmxCfgAnlgEdgeStartTrig, CfgAnlgEdgeStartTrig,                                                          \
      (TaskHandle taskHandle, const char triggerSource[], int32 triggerSlope, float64 triggerLevel),            \
      (taskHandle, triggerSource, triggerSlope, triggerLevel))                                                  \
    X(DAQmxDisableStartTrig, DisableStartTrig,                                                                  \
      (TaskHandle taskHandle),                                                                                  \
      (taskHandle))                                                                                             \
    X(DAQmxWriteDigitalU8, WriteDigitalU8,                                                                      \
      (TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32                  \
       dataLayout, const uInt8 writeArray[], int32 *sampsPerChanWritten, bool32 *reserved),                     \
      (taskHandle, numSampsPerChan, autoStart, timeout, dataLayout, writeArray, sampsPerChanWritten,            \
       reserved))                                                                                               \
    X(DAQmxReadDigitalU8, ReadDigitalU8,                                                                        \
      (TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, uInt8                    \
       readArray[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved),                        \
      (taskHandle, numSampsPerChan, timeout, fillMode, readArray, arraySizeInSamps, sampsPerChanRead,           \
       reserved))                                                                                               \
    X(DAQmxWriteAnalogF64, WriteAnalogF64,                                                                      \
      (TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32                  \
       dataLayout, const float64 writeArray[], int32 *sampsPerChanWritten, bool32 *reserved),                   \
      (taskHandle, numSampsPerChan, autoStart, timeout, dataLayout, writeArray, sampsPerChanWritten,            \
       reserved))                                                                                               \
    X(DAQmxReadAnalogF64, ReadAnalogF64,                                                                        \
      (TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, float64                  \
       readArray[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved),                        \
      (taskHandle, numSampsPerChan, timeout, fillMode, readArray, arraySizeInSamps, sampsPerChanRead,           \
       reserved))                                                                                               \
    X(DAQmxGetExtendedErrorInfo, GetExtendedErrorInfo,                                                          \
      (char errorString[], uInt32 bufferSize),                                                                  \
      (errorString, bufferSize))

#define DAQMX_ENTRY_POINTS(X)                                                                                   \
    DAQMX_ENTRY_POINTS_BUT_ERROR_STRING(X)                                                                      \
    X(DAQmxGetErrorString, GetErrorString,                                                                      \
      (int32 errorCode, char errorString[], uInt32 bufferSize),                                                 \
      (errorCode, errorString, bufferSize))

#endif
