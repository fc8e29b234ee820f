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
/* Channel types, measurement and output types, sample timing types, product categories */
#define DAQmx_Val_AI 10100
#define DAQmx_Val_AO 10102
#define DAQmx_Val_DI 10151
#define DAQmx_Val_DO 10153
#define DAQmx_Val_Voltage 10322
#define DAQmx_Val_SampClk 10388
#define DAQmx_Val_MSeriesDAQ 14643

/* Property IDs of the DAQmxGet*Attribute functions that korvane answers */
#define DAQmx_Sys_DevNames 0x193B
#define DAQmx_Sys_NIDAQMajorVersion 0x1272
#define DAQmx_Sys_NIDAQMinorVersion 0x1923
#define DAQmx_Sys_NIDAQUpdateVersion 0x2F22
#define DAQmx_Task_Name 0x1276
#define DAQmx_Task_Channels 0x1273
#define DAQmx_Task_NumChans 0x2181
#define DAQmx_Task_Devices 0x230E
#define DAQmx_Task_NumDevices 0x29BA
#define DAQmx_Task_Complete 0x1274
#define DAQmx_ChanType 0x187F
#define DAQmx_PhysicalChanName 0x18F5
#define DAQmx_DI_NumLines 0x2178
#define DAQmx_DO_NumLines 0x2179
#define DAQmx_AI_MeasType 0x0695
#define DAQmx_AI_Max 0x17DD
#define DAQmx_AI_Min 0x17DE
#define DAQmx_AO_OutputType 0x1108
#define DAQmx_AO_Max 0x1186
#define DAQmx_AO_Min 0x1187
#define DAQmx_SampTimingType 0x1347
#define DAQmx_SampQuant_SampMode 0x1300
#define DAQmx_SampQuant_SampPerChan 0x1310
#define DAQmx_SampClk_Rate 0x1344
#define DAQmx_Read_ChannelsToRead 0x1823
#define DAQmx_Read_NumChans 0x217B
#define DAQmx_Read_ReadAllAvailSamp 0x1215
#define DAQmx_Read_AvailSampPerChan 0x1223
#define DAQmx_Read_DigitalLines_BytesPerChan 0x217C
#define DAQmx_Write_NumChans 0x217E
#define DAQmx_Write_DigitalLines_BytesPerChan 0x217F
#define DAQmx_Dev_ProductType 0x0631
#define DAQmx_Dev_ProductCategory 0x29A9
#define DAQmx_Dev_ProductNum 0x231D
#define DAQmx_Dev_SerialNum 0x0632
#define DAQmx_Dev_IsSimulated 0x22CA
#define DAQmx_Dev_PXI_ChassisNum 0x2329
#define DAQmx_Dev_PXI_SlotNum 0x232A
#define DAQmx_Dev_AI_PhysicalChans 0x231E
#define DAQmx_Dev_AO_PhysicalChans 0x231F
#define DAQmx_Dev_DI_Lines 0x2320
#define DAQmx_Dev_DI_Ports 0x2321
#define DAQmx_Dev_DO_Lines 0x2322
#define DAQmx_Dev_DO_Ports 0x2323

/* Error codes korvane meets (the driver's own values) */
#define DAQmxErrorInvalidTask (-200088)
#define DAQmxErrorDuplicateTask (-200089)
#define DAQmxErrorPhysicalChanDoesNotExist (-200170)
#define DAQmxErrorInvalidDeviceID (-200220)
#define DAQmxErrorSamplesNotYetAvailable (-200284)
#define DAQmxErrorPALResourceReserved (-50103)
#define DAQmxErrorResourceAlreadyReserved (-200022)
#define DAQmxErrorSamplesNoLongerAvailable (-200279)
#define DAQmxErrorGenStoppedToPreventRegenOfOldSamples (-200290)
#define DAQmxErrorSamplesCanNotYetBeWritten (-200292)
#define DAQmxErrorInvalidAttributeValue (-200077)
#define DAQmxErrorSpecifiedAttrNotValid (-200233)
#define DAQmxErrorAttrNotSupported (-200197)
#define DAQmxErrorCanNotPerformOpWhenNoChansInTask (-200478)
#define DAQmxErrorOperationTimedOut (-200474)
#define DAQmxErrorWriteNoOutputChansInTask (-200459)
#define DAQmxErrorDigitalOutputNotSupported (-200012)
#define DAQmxErrorMultiChanTypesInTask (-200559)
#define DAQmxErrorInvalidAODataWrite (-200561)
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
/* The driver library missing, or an entry point it lacks (the import layer's own) */
#define DAQmxErrorCVIFailedToLoadDAQmxDLL (-200397)
#define DAQmxErrorCVIFunctionNotFoundInDAQmxDLL (-200398)

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
int32 DAQmxWriteDigitalU32(TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout,
                           bool32 dataLayout, const uInt32 writeArray[], int32 *sampsPerChanWritten,
                           bool32 *reserved);
int32 DAQmxReadDigitalU32(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode,
                          uInt32 readArray[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead,
                          bool32 *reserved);
int32 DAQmxWriteDigitalLines(TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout,
                             bool32 dataLayout, const uInt8 writeArray[], int32 *sampsPerChanWritten,
                             bool32 *reserved);
int32 DAQmxReadDigitalLines(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode,
                            uInt8 readArray[], uInt32 arraySizeInBytes, int32 *sampsPerChanRead,
                            int32 *numBytesPerSamp, bool32 *reserved);
int32 DAQmxGetErrorString(int32 errorCode, char errorString[], uInt32 bufferSize);
int32 DAQmxGetExtendedErrorInfo(char errorString[], uInt32 bufferSize);

/* System and device properties. A string property called with data NULL and
 * bufferSize 0 returns the size it needs, NUL included. */
int32 DAQmxGetSysDevNames(char *data, uInt32 bufferSize);
int32 DAQmxGetDevProductType(const char device[], char *data, uInt32 bufferSize);
int32 DAQmxGetDevSerialNum(const char device[], uInt32 *data);
int32 DAQmxGetDevPXIChassisNum(const char device[], uInt32 *data);
int32 DAQmxGetDevPXISlotNum(const char device[], uInt32 *data);

/* Properties by ID. After `value` a string property takes its buffer's size
 * (uInt32), the others nothing: `value` points to the property's type. */
int32 DAQmxGetSystemInfoAttribute(int32 attribute, void *value, ...);
int32 DAQmxGetTaskAttribute(TaskHandle taskHandle, int32 attribute, void *value, ...);
int32 DAQmxGetChanAttribute(TaskHandle taskHandle, const char channel[], int32 attribute, void *value, ...);
int32 DAQmxGetTimingAttribute(TaskHandle taskHandle, int32 attribute, void *value, ...);
int32 DAQmxGetReadAttribute(TaskHandle taskHandle, int32 attribute, void *value, ...);
int32 DAQmxGetWriteAttribute(TaskHandle taskHandle, int32 attribute, void *value, ...);
int32 DAQmxGetDeviceAttribute(const char deviceName[], int32 attribute, void *value, ...);

#ifdef __cplusplus
}
#endif

#endif
