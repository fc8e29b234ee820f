/*
 * NI-DAQmx C interface: the subset korvane uses, with the driver's own
 * prototypes, types and constant values, so that code written against this
 * header runs unchanged on the real driver (libnidaqmx.so) and on the
 * simulated bench (libkorvane-sim.so).
 *
 * The definitions of these functions in the program are the import layer
 * (daqmx_import.h): it loads a driver library on first use and forwards.
 */
#ifndef KORVANE_NIDAQMX_H
#define KORVANE_NIDAQMX_H

#ifdef __cplusplus
extern "C" {
#endif

typedef signed int int32;
typedef unsigned int uInt32;
typedef unsigned char uInt8;
typedef double float64;
typedef unsigned long long uInt64;
typedef uInt32 bool32;
typedef void *TaskHandle;

/* Units, edges, modes */
#define DAQmx_Val_Volts 10348
#define DAQmx_Val_Rising 10280
#define DAQmx_Val_Falling 10171
#define DAQmx_Val_RisingSlope 10280
#define DAQmx_Val_FallingSlope 10171
#define DAQmx_Val_ContSamps 10123
#define DAQmx_Val_FiniteSamps 10178
#define DAQmx_Val_HWTimedSinglePoint 12522
#define DAQmx_Val_OnDemand 10390
/* Terminal configurations */
#define DAQmx_Val_RSE 10083
#define DAQmx_Val_NRSE 10078
#define DAQmx_Val_Diff 10106
#define DAQmx_Val_Cfg_Default (-1)
/* Data layout / fill mode */
#define DAQmx_Val_GroupByChannel 0
#define DAQmx_Val_GroupByScanNumber 1
/* Line grouping */
#define DAQmx_Val_ChanPerLine 0
#define DAQmx_Val_ChanForAllLines 1
#define DAQmx_Val_WaitInfinitely (-1.0)

/* Error codes korvane meets (the driver's own values) */
#define DAQmxErrorInvalidTask (-200088)
#define DAQmxErrorDuplicateTask (-200089)
#define DAQmxErrorPhysicalChanDoesNotExist (-200170)
#define DAQmxErrorInvalidDeviceID (-200220)
#define DAQmxErrorSamplesNotYetAvailable (-200284)
#define DAQmxErrorResourceReserved (-50103)
#define DAQmxErrorResourceAlreadyReserved (-200022)
#define DAQmxErrorAcqOverflow (-200279)
#define DAQmxErrorGenStoppedToPreventRegenOfOldSamples (-200290)
#define DAQmxErrorSamplesCanNotYetBeWritten (-200292)
#define DAQmxErrorInvalidAttributeValue (-200077)
#define DAQmxErrorNoChansSpecdForTask (-200478)
#define DAQmxErrorOperationTimedOut (-200474)
#define DAQmxErrorWriteNoOutputChansInTask (-200459)
#define DAQmxErrorLineDoesNotSupportDO (-200012)
#define DAQmxErrorCannotAddChanTypeToTask (-200559)
#define DAQmxErrorInvalidAOWriteRange (-200561)
#define DAQmxErrorDigLinesReservedOrUnavailable (-200587)
#define DAQmxErrorBufferTooSmallForString (-200228)
#define DAQmxErrorInvalidRoutingSourceTerminalName_Routing (-89120)
/* The device named is not there (korvane adds a hint naming the devices present) */
#define DAQmxErrorInvalidDeviceIDInList (-200207)
#define DAQmxErrorDevAbsentOrUnavailable (-200324)
#define DAQmxErrorDevCannotBeAccessed (-201003)
#define DAQmxErrorDeviceRemoved (-200045)
#define DAQmxErrorDevAbsentOrUnavailable_Routing (-89130)
#define DAQmxErrorDriverDeviceGUIDNotFound_Routing (-88705)
/* Warnings korvane meets */
#define DAQmxWarningCAPIStringTruncatedToFitBuffer (200026)
/* Import layer failures */
#define DAQmxErrorDriverLibraryNotLoaded (-200397)
#define DAQmxErrorDriverEntryPointMissing (-200398)

#define DAQmxFailed(error) ((error) < 0)

int32 DAQmxCreateTask(const char taskName[], TaskHandle *taskHandle);
int32 DAQmxStartTask(TaskHandle taskHandle);
int32 DAQmxStopTask(TaskHandle taskHandle);
int32 DAQmxClearTask(TaskHandle taskHandle);
int32 DAQmxCreateDOChan(TaskHandle taskHandle, const char lines[], const char nameToAssignToLines[],
                        int32 lineGrouping);
int32 DAQmxCreateDIChan(TaskHandle taskHandle, const char lines[], const char nameToAssignToLines[],
                        int32 lineGrouping);
int32 DAQmxCreateAOVoltageChan(TaskHandle taskHandle, const char physicalChannel[],
                               const char nameToAssignToChannel[], float64 minVal, float64 maxVal,
                               int32 units, const char customScaleName[]);
int32 DAQmxCreateAIVoltageChan(TaskHandle taskHandle, const char physicalChannel[],
                               const char nameToAssignToChannel[], int32 terminalConfig, float64 minVal,
                               float64 maxVal, int32 units, const char customScaleName[]);
int32 DAQmxCfgSampClkTiming(TaskHandle taskHandle, const char source[], float64 rate, int32 activeEdge,
                            int32 sampleMode, uInt64 sampsPerChan);
int32 DAQmxCfgAnlgEdgeStartTrig(TaskHandle taskHandle, const char triggerSource[], int32 triggerSlope,
                                float64 triggerLevel);
int32 DAQmxDisableStartTrig(TaskHandle taskHandle);
int32 DAQmxWriteDigitalU8(TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout,
                          bool32 dataLayout, const uInt8 writeArray[], int32 *sampsPerChanWritten,
                          bool32 *reserved);
int32 DAQmxReadDigitalU8(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode,
                         uInt8 readArray[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead,
                         bool32 *reserved);
int32 DAQmxWriteAnalogF64(TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout,
                          bool32 dataLayout, const float64 writeArray[], int32 *sampsPerChanWritten,
                          bool32 *reserved);
int32 DAQmxReadAnalogF64(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode,
                         float64 readArray[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead,
                         bool32 *reserved);
int32 DAQmxGetErrorString(int32 errorCode, char errorString[], uInt32 bufferSize);
int32 DAQmxGetExtendedErrorInfo(char errorString[], uInt32 bufferSize);

/* System and device properties. A string property called with data NULL and
 * bufferSize 0 returns the size it needs, NUL included. */
int32 DAQmxGetSysDevNames(char *data, uInt32 bufferSize);
int32 DAQmxGetDevProductType(const char device[], char *data, uInt32 bufferSize);
int32 DAQmxGetDevSerialNum(const char device[], uInt32 *data);
int32 DAQmxGetDevPXIChassisNum(const char device[], uInt32 *data);
int32 DAQmxGetDevPXISlotNum(const char device[], uInt32 *data);

#ifdef __cplusplus
}
#endif

#endif
