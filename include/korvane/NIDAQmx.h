/*
 * NI-DAQmx C interface: what korvane and NI's own clients call, with the driver's own
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
typedef signed short int16;
typedef unsigned short uInt16;
typedef signed long long int64;

/* An absolute time (seconds since 1904 UTC as 64.64 fixed point), packed as NI packs it. */
#pragma pack(push, 4)
typedef struct CVITime {
    uInt64 lsb;
    int64 msb;
} CVITime;
typedef union CVIAbsoluteTime {
    CVITime cviTime;
    uInt32 u32Data[4];
} CVIAbsoluteTime;
#pragma pack(pop)

/* The callbacks of the event functions, called on a thread of the driver. */
typedef int32 (*DAQmxEveryNSamplesEventCallbackPtr)(TaskHandle taskHandle, int32 everyNsamplesEventType,
                                                    uInt32 nSamples, void *callbackData);
typedef int32 (*DAQmxDoneEventCallbackPtr)(TaskHandle taskHandle, int32 status, void *callbackData);
typedef int32 (*DAQmxSignalEventCallbackPtr)(TaskHandle taskHandle, int32 signalID, void *callbackData);

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
/* Cold-junction sources, regeneration, trigger types, task actions, event options */
#define DAQmx_Val_BuiltIn 10200
#define DAQmx_Val_ConstVal 10116
#define DAQmx_Val_Chan 10113
#define DAQmx_Val_AllowRegen 10097
#define DAQmx_Val_DoNotAllowRegen 10158
#define DAQmx_Val_DigEdge 10150
#define DAQmx_Val_AnlgEdge 10099
#define DAQmx_Val_None 10230
#define DAQmx_Val_Task_Start 0
#define DAQmx_Val_Task_Stop 1
#define DAQmx_Val_Task_Verify 2
#define DAQmx_Val_Task_Commit 3
#define DAQmx_Val_Task_Reserve 4
#define DAQmx_Val_Task_Unreserve 5
#define DAQmx_Val_Task_Abort 6
#define DAQmx_Val_SynchronousEventCallbacks (1 << 0)
#define DAQmx_Val_Acquired_Into_Buffer 1
#define DAQmx_Val_Transferred_From_Buffer 2

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
#define DAQmx_AI_Rng_High 0x1815
#define DAQmx_AI_Rng_Low 0x1816
#define DAQmx_AI_RawSampSize 0x22DA
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
#define DAQmx_Write_RegenMode 0x1453
#define DAQmx_StartTrig_Type 0x1393
#define DAQmx_StartTrig_Retriggerable 0x190F
#define DAQmx_StartTrig_Term 0x2F1E
#define DAQmx_Buf_Input_BufSize 0x186C
#define DAQmx_Buf_Output_BufSize 0x186D
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
#define DAQmx_Dev_AI_VoltageRngs 0x2990
#define DAQmx_Dev_AO_VoltageRngs 0x299B

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

/* The rest of the driver's entry points that NI's own clients call: the
 * simulated bench answers the 6251's error for what it cannot do. */
int32 DAQmxAddCDAQSyncConnection(const char portList[]);
int32 DAQmxAddGlobalChansToTask(TaskHandle taskHandle, const char channelNames[]);
int32 DAQmxAddNetworkDevice(const char IPAddress[], const char deviceName[], bool32 attemptReservation, float64 timeout, char deviceNameOut[], uInt32 deviceNameOutBufferSize);
int32 DAQmxAreConfiguredCDAQSyncPortsDisconnected(const char chassisDevicesPorts[], float64 timeout, bool32* disconnectedPortsExist);
int32 DAQmxAutoConfigureCDAQSyncConnections(const char chassisDevicesPorts[], float64 timeout);
int32 DAQmxCalculateReversePolyCoeff(const float64 forwardCoeffs[], uInt32 numForwardCoeffsIn, float64 minValX, float64 maxValX, int32 numPointsToCompute, int32 reversePolyOrder, float64 reverseCoeffs[]);
int32 DAQmxCfgAnlgEdgeRefTrig(TaskHandle taskHandle, const char triggerSource[], int32 triggerSlope, float64 triggerLevel, uInt32 pretriggerSamples);
int32 DAQmxCfgAnlgMultiEdgeRefTrig(TaskHandle taskHandle, const char triggerSources[], const int32 triggerSlopeArray[], const float64 triggerLevelArray[], uInt32 pretriggerSamples, uInt32 arraySize);
int32 DAQmxCfgAnlgMultiEdgeStartTrig(TaskHandle taskHandle, const char triggerSources[], const int32 triggerSlopeArray[], const float64 triggerLevelArray[], uInt32 arraySize);
int32 DAQmxCfgAnlgWindowRefTrig(TaskHandle taskHandle, const char triggerSource[], int32 triggerWhen, float64 windowTop, float64 windowBottom, uInt32 pretriggerSamples);
int32 DAQmxCfgAnlgWindowStartTrig(TaskHandle taskHandle, const char triggerSource[], int32 triggerWhen, float64 windowTop, float64 windowBottom);
int32 DAQmxCfgBurstHandshakingTimingExportClock(TaskHandle taskHandle, int32 sampleMode, uInt64 sampsPerChan, float64 sampleClkRate, const char sampleClkOutpTerm[], int32 sampleClkPulsePolarity, int32 pauseWhen, int32 readyEventActiveLevel);
int32 DAQmxCfgBurstHandshakingTimingImportClock(TaskHandle taskHandle, int32 sampleMode, uInt64 sampsPerChan, float64 sampleClkRate, const char sampleClkSrc[], int32 sampleClkActiveEdge, int32 pauseWhen, int32 readyEventActiveLevel);
int32 DAQmxCfgChangeDetectionTiming(TaskHandle taskHandle, const char risingEdgeChan[], const char fallingEdgeChan[], int32 sampleMode, uInt64 sampsPerChan);
int32 DAQmxCfgDigEdgeRefTrig(TaskHandle taskHandle, const char triggerSource[], int32 triggerEdge, uInt32 pretriggerSamples);
int32 DAQmxCfgDigEdgeStartTrig(TaskHandle taskHandle, const char triggerSource[], int32 triggerEdge);
int32 DAQmxCfgDigPatternRefTrig(TaskHandle taskHandle, const char triggerSource[], const char triggerPattern[], int32 triggerWhen, uInt32 pretriggerSamples);
int32 DAQmxCfgDigPatternStartTrig(TaskHandle taskHandle, const char triggerSource[], const char triggerPattern[], int32 triggerWhen);
int32 DAQmxCfgHandshakingTiming(TaskHandle taskHandle, int32 sampleMode, uInt64 sampsPerChan);
int32 DAQmxCfgImplicitTiming(TaskHandle taskHandle, int32 sampleMode, uInt64 sampsPerChan);
int32 DAQmxCfgPipelinedSampClkTiming(TaskHandle taskHandle, const char source[], float64 rate, int32 activeEdge, int32 sampleMode, uInt64 sampsPerChan);
int32 DAQmxCfgTimeStartTrig(TaskHandle taskHandle, CVIAbsoluteTime when, int32 timescale);
int32 DAQmxCfgWatchdogAOExpirStates(TaskHandle taskHandle, const char channelNames[], const float64 expirStateArray[], const int32 outputTypeArray[], uInt32 arraySize);
int32 DAQmxCfgWatchdogCOExpirStates(TaskHandle taskHandle, const char channelNames[], const int32 expirStateArray[], uInt32 arraySize);
int32 DAQmxCfgWatchdogDOExpirStates(TaskHandle taskHandle, const char channelNames[], const int32 expirStateArray[], uInt32 arraySize);
int32 DAQmxClearTEDS(const char physicalChannel[]);
int32 DAQmxConfigureLogging(TaskHandle taskHandle, const char filePath[], int32 loggingMode, const char groupName[], int32 operation);
int32 DAQmxConfigureTEDS(const char physicalChannel[], const char filePath[]);
int32 DAQmxConnectTerms(const char sourceTerminal[], const char destinationTerminal[], int32 signalModifiers);
int32 DAQmxControlWatchdogTask(TaskHandle taskHandle, int32 action);
int32 DAQmxCreateAIAccel4WireDCVoltageChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, float64 sensitivity, int32 sensitivityUnits, int32 voltageExcitSource, float64 voltageExcitVal, bool32 useExcitForScaling, const char customScaleName[]);
int32 DAQmxCreateAIAccelChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, float64 sensitivity, int32 sensitivityUnits, int32 currentExcitSource, float64 currentExcitVal, const char customScaleName[]);
int32 DAQmxCreateAIAccelChargeChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, float64 sensitivity, int32 sensitivityUnits, const char customScaleName[]);
int32 DAQmxCreateAIBridgeChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 bridgeConfig, int32 voltageExcitSource, float64 voltageExcitVal, float64 nominalBridgeResistance, const char customScaleName[]);
int32 DAQmxCreateAICalculatedPowerChan(TaskHandle taskHandle, const char voltagePhysicalChannel[], const char currentPhysicalChannel[], const char nameToAssignToChannel[], int32 terminalConfig, float64 voltageMinVal, float64 voltageMaxVal, float64 currentMinVal, float64 currentMaxVal, int32 units, int32 shuntResistorLoc, float64 extShuntResistorVal, const char customScaleName[]);
int32 DAQmxCreateAIChargeChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, const char customScaleName[]);
int32 DAQmxCreateAICurrentChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, int32 shuntResistorLoc, float64 extShuntResistorVal, const char customScaleName[]);
int32 DAQmxCreateAICurrentRMSChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, int32 shuntResistorLoc, float64 extShuntResistorVal, const char customScaleName[]);
int32 DAQmxCreateAIForceBridgePolynomialChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 bridgeConfig, int32 voltageExcitSource, float64 voltageExcitVal, float64 nominalBridgeResistance, const float64 forwardCoeffs[], uInt32 numForwardCoeffs, const float64 reverseCoeffs[], uInt32 numReverseCoeffs, int32 electricalUnits, int32 physicalUnits, const char customScaleName[]);
int32 DAQmxCreateAIForceBridgeTableChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 bridgeConfig, int32 voltageExcitSource, float64 voltageExcitVal, float64 nominalBridgeResistance, const float64 electricalVals[], uInt32 numElectricalVals, int32 electricalUnits, const float64 physicalVals[], uInt32 numPhysicalVals, int32 physicalUnits, const char customScaleName[]);
int32 DAQmxCreateAIForceBridgeTwoPointLinChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 bridgeConfig, int32 voltageExcitSource, float64 voltageExcitVal, float64 nominalBridgeResistance, float64 firstElectricalVal, float64 secondElectricalVal, int32 electricalUnits, float64 firstPhysicalVal, float64 secondPhysicalVal, int32 physicalUnits, const char customScaleName[]);
int32 DAQmxCreateAIForceIEPEChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, float64 sensitivity, int32 sensitivityUnits, int32 currentExcitSource, float64 currentExcitVal, const char customScaleName[]);
int32 DAQmxCreateAIFreqVoltageChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, float64 thresholdLevel, float64 hysteresis, const char customScaleName[]);
int32 DAQmxCreateAIMicrophoneChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32 terminalConfig, int32 units, float64 micSensitivity, float64 maxSndPressLevel, int32 currentExcitSource, float64 currentExcitVal, const char customScaleName[]);
int32 DAQmxCreateAIPosEddyCurrProxProbeChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, float64 sensitivity, int32 sensitivityUnits, const char customScaleName[]);
int32 DAQmxCreateAIPosLVDTChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, float64 sensitivity, int32 sensitivityUnits, int32 voltageExcitSource, float64 voltageExcitVal, float64 voltageExcitFreq, int32 ACExcitWireMode, const char customScaleName[]);
int32 DAQmxCreateAIPosRVDTChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, float64 sensitivity, int32 sensitivityUnits, int32 voltageExcitSource, float64 voltageExcitVal, float64 voltageExcitFreq, int32 ACExcitWireMode, const char customScaleName[]);
int32 DAQmxCreateAIPowerChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 voltageSetpoint, float64 currentSetpoint, bool32 outputEnable);
int32 DAQmxCreateAIPressureBridgePolynomialChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 bridgeConfig, int32 voltageExcitSource, float64 voltageExcitVal, float64 nominalBridgeResistance, const float64 forwardCoeffs[], uInt32 numForwardCoeffs, const float64 reverseCoeffs[], uInt32 numReverseCoeffs, int32 electricalUnits, int32 physicalUnits, const char customScaleName[]);
int32 DAQmxCreateAIPressureBridgeTableChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 bridgeConfig, int32 voltageExcitSource, float64 voltageExcitVal, float64 nominalBridgeResistance, const float64 electricalVals[], uInt32 numElectricalVals, int32 electricalUnits, const float64 physicalVals[], uInt32 numPhysicalVals, int32 physicalUnits, const char customScaleName[]);
int32 DAQmxCreateAIPressureBridgeTwoPointLinChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 bridgeConfig, int32 voltageExcitSource, float64 voltageExcitVal, float64 nominalBridgeResistance, float64 firstElectricalVal, float64 secondElectricalVal, int32 electricalUnits, float64 firstPhysicalVal, float64 secondPhysicalVal, int32 physicalUnits, const char customScaleName[]);
int32 DAQmxCreateAIRTDChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 rtdType, int32 resistanceConfig, int32 currentExcitSource, float64 currentExcitVal, float64 r0);
int32 DAQmxCreateAIResistanceChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 resistanceConfig, int32 currentExcitSource, float64 currentExcitVal, const char customScaleName[]);
int32 DAQmxCreateAIRosetteStrainGageChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 rosetteType, float64 gageOrientation, const int32 rosetteMeasTypes[], uInt32 numRosetteMeasTypes, int32 strainConfig, int32 voltageExcitSource, float64 voltageExcitVal, float64 gageFactor, float64 nominalGageResistance, float64 poissonRatio, float64 leadWireResistance);
int32 DAQmxCreateAIStrainGageChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 strainConfig, int32 voltageExcitSource, float64 voltageExcitVal, float64 gageFactor, float64 initialBridgeVoltage, float64 nominalGageResistance, float64 poissonRatio, float64 leadWireResistance, const char customScaleName[]);
int32 DAQmxCreateAITempBuiltInSensorChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32 units);
int32 DAQmxCreateAIThrmcplChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 thermocoupleType, int32 cjcSource, float64 cjcVal, const char cjcChannel[]);
int32 DAQmxCreateAIThrmstrChanIex(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 resistanceConfig, int32 currentExcitSource, float64 currentExcitVal, float64 a, float64 b, float64 c);
int32 DAQmxCreateAIThrmstrChanVex(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 resistanceConfig, int32 voltageExcitSource, float64 voltageExcitVal, float64 a, float64 b, float64 c, float64 r1);
int32 DAQmxCreateAITorqueBridgePolynomialChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 bridgeConfig, int32 voltageExcitSource, float64 voltageExcitVal, float64 nominalBridgeResistance, const float64 forwardCoeffs[], uInt32 numForwardCoeffs, const float64 reverseCoeffs[], uInt32 numReverseCoeffs, int32 electricalUnits, int32 physicalUnits, const char customScaleName[]);
int32 DAQmxCreateAITorqueBridgeTableChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 bridgeConfig, int32 voltageExcitSource, float64 voltageExcitVal, float64 nominalBridgeResistance, const float64 electricalVals[], uInt32 numElectricalVals, int32 electricalUnits, const float64 physicalVals[], uInt32 numPhysicalVals, int32 physicalUnits, const char customScaleName[]);
int32 DAQmxCreateAITorqueBridgeTwoPointLinChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 bridgeConfig, int32 voltageExcitSource, float64 voltageExcitVal, float64 nominalBridgeResistance, float64 firstElectricalVal, float64 secondElectricalVal, int32 electricalUnits, float64 firstPhysicalVal, float64 secondPhysicalVal, int32 physicalUnits, const char customScaleName[]);
int32 DAQmxCreateAIVelocityIEPEChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, float64 sensitivity, int32 sensitivityUnits, int32 currentExcitSource, float64 currentExcitVal, const char customScaleName[]);
int32 DAQmxCreateAIVoltageChanWithExcit(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, int32 bridgeConfig, int32 voltageExcitSource, float64 voltageExcitVal, bool32 useExcitForScaling, const char customScaleName[]);
int32 DAQmxCreateAIVoltageRMSChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, const char customScaleName[]);
int32 DAQmxCreateAOCurrentChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, const char customScaleName[]);
int32 DAQmxCreateAOFuncGenChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32 type, float64 freq, float64 amplitude, float64 offset);
int32 DAQmxCreateCIAngEncoderChan(TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], int32 decodingType, bool32 ZidxEnable, float64 ZidxVal, int32 ZidxPhase, int32 units, uInt32 pulsesPerRev, float64 initialAngle, const char customScaleName[]);
int32 DAQmxCreateCIAngVelocityChan(TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 decodingType, int32 units, uInt32 pulsesPerRev, const char customScaleName[]);
int32 DAQmxCreateCICountEdgesChan(TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], int32 edge, uInt32 initialCount, int32 countDirection);
int32 DAQmxCreateCIDutyCycleChan(TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], float64 minFreq, float64 maxFreq, int32 edge, const char customScaleName[]);
int32 DAQmxCreateCIFreqChan(TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 edge, int32 measMethod, float64 measTime, uInt32 divisor, const char customScaleName[]);
int32 DAQmxCreateCIGPSTimestampChan(TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], int32 units, int32 syncMethod, const char customScaleName[]);
int32 DAQmxCreateCILinEncoderChan(TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], int32 decodingType, bool32 ZidxEnable, float64 ZidxVal, int32 ZidxPhase, int32 units, float64 distPerPulse, float64 initialPos, const char customScaleName[]);
int32 DAQmxCreateCILinVelocityChan(TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 decodingType, int32 units, float64 distPerPulse, const char customScaleName[]);
int32 DAQmxCreateCIPeriodChan(TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 edge, int32 measMethod, float64 measTime, uInt32 divisor, const char customScaleName[]);
int32 DAQmxCreateCIPulseChanFreq(TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units);
int32 DAQmxCreateCIPulseChanTicks(TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], const char sourceTerminal[], float64 minVal, float64 maxVal);
int32 DAQmxCreateCIPulseChanTime(TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units);
int32 DAQmxCreateCIPulseWidthChan(TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 startingEdge, const char customScaleName[]);
int32 DAQmxCreateCISemiPeriodChan(TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, const char customScaleName[]);
int32 DAQmxCreateCITwoEdgeSepChan(TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 firstEdge, int32 secondEdge, const char customScaleName[]);
int32 DAQmxCreateCOPulseChanFreq(TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], int32 units, int32 idleState, float64 initialDelay, float64 freq, float64 dutyCycle);
int32 DAQmxCreateCOPulseChanTicks(TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], const char sourceTerminal[], int32 idleState, int32 initialDelay, int32 lowTicks, int32 highTicks);
int32 DAQmxCreateCOPulseChanTime(TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], int32 units, int32 idleState, float64 initialDelay, float64 lowTime, float64 highTime);
int32 DAQmxCreateLinScale(const char name[], float64 slope, float64 yIntercept, int32 preScaledUnits, const char scaledUnits[]);
int32 DAQmxCreateMapScale(const char name[], float64 prescaledMin, float64 prescaledMax, float64 scaledMin, float64 scaledMax, int32 preScaledUnits, const char scaledUnits[]);
int32 DAQmxCreatePolynomialScale(const char name[], const float64 forwardCoeffs[], uInt32 numForwardCoeffsIn, const float64 reverseCoeffs[], uInt32 numReverseCoeffsIn, int32 preScaledUnits, const char scaledUnits[]);
int32 DAQmxCreateTEDSAIAccelChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, int32 currentExcitSource, float64 currentExcitVal, const char customScaleName[]);
int32 DAQmxCreateTEDSAIBridgeChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 voltageExcitSource, float64 voltageExcitVal, const char customScaleName[]);
int32 DAQmxCreateTEDSAICurrentChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, int32 shuntResistorLoc, float64 extShuntResistorVal, const char customScaleName[]);
int32 DAQmxCreateTEDSAIForceBridgeChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 voltageExcitSource, float64 voltageExcitVal, const char customScaleName[]);
int32 DAQmxCreateTEDSAIForceIEPEChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, int32 currentExcitSource, float64 currentExcitVal, const char customScaleName[]);
int32 DAQmxCreateTEDSAIMicrophoneChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32 terminalConfig, int32 units, float64 maxSndPressLevel, int32 currentExcitSource, float64 currentExcitVal, const char customScaleName[]);
int32 DAQmxCreateTEDSAIPosLVDTChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 voltageExcitSource, float64 voltageExcitVal, float64 voltageExcitFreq, int32 ACExcitWireMode, const char customScaleName[]);
int32 DAQmxCreateTEDSAIPosRVDTChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 voltageExcitSource, float64 voltageExcitVal, float64 voltageExcitFreq, int32 ACExcitWireMode, const char customScaleName[]);
int32 DAQmxCreateTEDSAIPressureBridgeChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 voltageExcitSource, float64 voltageExcitVal, const char customScaleName[]);
int32 DAQmxCreateTEDSAIRTDChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 resistanceConfig, int32 currentExcitSource, float64 currentExcitVal);
int32 DAQmxCreateTEDSAIResistanceChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 resistanceConfig, int32 currentExcitSource, float64 currentExcitVal, const char customScaleName[]);
int32 DAQmxCreateTEDSAIStrainGageChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 voltageExcitSource, float64 voltageExcitVal, float64 initialBridgeVoltage, float64 leadWireResistance, const char customScaleName[]);
int32 DAQmxCreateTEDSAIThrmcplChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 cjcSource, float64 cjcVal, const char cjcChannel[]);
int32 DAQmxCreateTEDSAIThrmstrChanIex(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 resistanceConfig, int32 currentExcitSource, float64 currentExcitVal);
int32 DAQmxCreateTEDSAIThrmstrChanVex(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 resistanceConfig, int32 voltageExcitSource, float64 voltageExcitVal, float64 r1);
int32 DAQmxCreateTEDSAITorqueBridgeChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, float64 maxVal, int32 units, int32 voltageExcitSource, float64 voltageExcitVal, const char customScaleName[]);
int32 DAQmxCreateTEDSAIVoltageChan(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, const char customScaleName[]);
int32 DAQmxCreateTEDSAIVoltageChanWithExcit(TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, int32 voltageExcitSource, float64 voltageExcitVal, const char customScaleName[]);
int32 DAQmxCreateTableScale(const char name[], const float64 prescaledVals[], uInt32 numPrescaledValsIn, const float64 scaledVals[], uInt32 numScaledValsIn, int32 preScaledUnits, const char scaledUnits[]);
int32 DAQmxCreateWatchdogTimerTaskEx(const char deviceName[], const char taskName[], TaskHandle *taskHandle, float64 timeout);
int32 DAQmxDeleteNetworkDevice(const char deviceName[]);
int32 DAQmxDeleteSavedGlobalChan(const char channelName[]);
int32 DAQmxDeleteSavedScale(const char scaleName[]);
int32 DAQmxDeleteSavedTask(const char taskName[]);
int32 DAQmxDeviceSupportsCal(const char deviceName[], bool32 *calSupported);
int32 DAQmxDisableRefTrig(TaskHandle taskHandle);
int32 DAQmxDisconnectTerms(const char sourceTerminal[], const char destinationTerminal[]);
int32 DAQmxExportSignal(TaskHandle taskHandle, int32 signalID, const char outputTerminal[]);
int32 DAQmxGetAnalogPowerUpStatesWithOutputType(const char channelNames[], float64 stateArray[], int32 channelTypeArray[], uInt32 *arraySizePtr);
int32 DAQmxGetAutoConfiguredCDAQSyncConnections(char portList[], uInt32 portListSize);
int32 DAQmxGetBufferAttribute(TaskHandle taskHandle, int32 attribute, void *value);
int32 DAQmxGetDigitalLogicFamilyPowerUpState(const char deviceName[], int32* logicFamily);
int32 DAQmxGetDisconnectedCDAQSyncPorts(char portList[], uInt32 portListSize);
int32 DAQmxGetExtCalLastDateAndTime(const char deviceName[], uInt32 *year, uInt32 *month, uInt32 *day, uInt32 *hour, uInt32 *minute);
int32 DAQmxGetSelfCalLastDateAndTime(const char deviceName[], uInt32 *year, uInt32 *month, uInt32 *day, uInt32 *hour, uInt32 *minute);
int32 DAQmxIsTaskDone(TaskHandle taskHandle, bool32 *isTaskDone);
int32 DAQmxLoadTask(const char taskName[], TaskHandle *taskHandle);
int32 DAQmxPerformBridgeOffsetNullingCalEx(TaskHandle taskHandle, const char channel[], bool32 skipUnsupportedChannels);
int32 DAQmxPerformBridgeShuntCalEx(TaskHandle taskHandle, const char channel[], float64 shuntResistorValue, int32 shuntResistorLocation, int32 shuntResistorSelect, int32 shuntResistorSource, float64 bridgeResistance, bool32 skipUnsupportedChannels);
int32 DAQmxPerformStrainShuntCalEx(TaskHandle taskHandle, const char channel[], float64 shuntResistorValue, int32 shuntResistorLocation, int32 shuntResistorSelect, int32 shuntResistorSource, bool32 skipUnsupportedChannels);
int32 DAQmxPerformThrmcplLeadOffsetNullingCal(TaskHandle taskHandle, const char channel[], bool32 skipUnsupportedChannels);
int32 DAQmxReadAnalogScalarF64(TaskHandle taskHandle, float64 timeout, float64 *value, bool32 *reserved);
int32 DAQmxReadBinaryI16(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, int16 readArray[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved);
int32 DAQmxReadBinaryI32(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, int32 readArray[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved);
int32 DAQmxReadBinaryU16(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, uInt16 readArray[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved);
int32 DAQmxReadBinaryU32(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, uInt32 readArray[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved);
int32 DAQmxReadCounterF64(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, float64 readArray[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved);
int32 DAQmxReadCounterF64Ex(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, float64 readArray[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved);
int32 DAQmxReadCounterScalarF64(TaskHandle taskHandle, float64 timeout, float64 *value, bool32 *reserved);
int32 DAQmxReadCounterScalarU32(TaskHandle taskHandle, float64 timeout, uInt32 *value, bool32 *reserved);
int32 DAQmxReadCounterU32(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, uInt32 readArray[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved);
int32 DAQmxReadCounterU32Ex(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, uInt32 readArray[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved);
int32 DAQmxReadCtrFreq(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 interleaved, float64 readArrayFrequency[], float64 readArrayDutyCycle[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved);
int32 DAQmxReadCtrFreqScalar(TaskHandle taskHandle, float64 timeout, float64 *frequency, float64 *dutyCycle, bool32 *reserved);
int32 DAQmxReadCtrTicks(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 interleaved, uInt32 readArrayHighTicks[], uInt32 readArrayLowTicks[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved);
int32 DAQmxReadCtrTicksScalar(TaskHandle taskHandle, float64 timeout, uInt32 *highTicks, uInt32 *lowTicks, bool32 *reserved);
int32 DAQmxReadCtrTime(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 interleaved, float64 readArrayHighTime[], float64 readArrayLowTime[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved);
int32 DAQmxReadCtrTimeScalar(TaskHandle taskHandle, float64 timeout, float64 *highTime, float64 *lowTime, bool32 *reserved);
int32 DAQmxReadDigitalScalarU32(TaskHandle taskHandle, float64 timeout, uInt32 *value, bool32 *reserved);
int32 DAQmxReadDigitalU16(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, uInt16 readArray[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved);
int32 DAQmxReadIDPinMemory(const char deviceName[], const char idPinName[], uInt8 data[], uInt32 arraySize, uInt32* dataLengthRead, uInt32* formatCode);
int32 DAQmxReadPowerBinaryI16(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, int16 readArrayVoltage[], int16 readArrayCurrent[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved);
int32 DAQmxReadPowerF64(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, float64 readArrayVoltage[], float64 readArrayCurrent[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved);
int32 DAQmxReadPowerScalarF64(TaskHandle taskHandle, float64 timeout, float64 *voltage, float64 *current, bool32 *reserved);
int32 DAQmxReadRaw(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, void *readArray, uInt32 arraySizeInBytes, int32 *sampsRead, int32 *numBytesPerSamp, bool32 *reserved);
int32 DAQmxRegisterDoneEvent(TaskHandle task, uInt32 options, DAQmxDoneEventCallbackPtr callbackFunction, void *callbackData);
int32 DAQmxRegisterEveryNSamplesEvent(TaskHandle task, int32 everyNsamplesEventType, uInt32 nSamples, uInt32 options, DAQmxEveryNSamplesEventCallbackPtr callbackFunction, void *callbackData);
int32 DAQmxRegisterSignalEvent(TaskHandle task, int32 signalID, uInt32 options, DAQmxSignalEventCallbackPtr callbackFunction, void *callbackData);
int32 DAQmxRemoveCDAQSyncConnection(const char portList[]);
int32 DAQmxReserveNetworkDevice(const char deviceName[], bool32 overrideReservation);
int32 DAQmxResetBufferAttribute(TaskHandle taskHandle, int32 attribute);
int32 DAQmxResetChanAttribute(TaskHandle taskHandle, const char channel[], int32 attribute);
int32 DAQmxResetDevice(const char deviceName[]);
int32 DAQmxResetExportedSignalAttribute(TaskHandle taskHandle, int32 attribute);
int32 DAQmxResetReadAttribute(TaskHandle taskHandle, int32 attribute);
int32 DAQmxResetTimingAttribute(TaskHandle taskHandle, int32 attribute);
int32 DAQmxResetTimingAttributeEx(TaskHandle taskHandle, const char deviceNames[], int32 attribute);
int32 DAQmxResetTrigAttribute(TaskHandle taskHandle, int32 attribute);
int32 DAQmxResetWatchdogAttribute(TaskHandle taskHandle, const char lines[], int32 attribute);
int32 DAQmxResetWriteAttribute(TaskHandle taskHandle, int32 attribute);
int32 DAQmxRestoreLastExtCalConst(const char deviceName[]);
int32 DAQmxSaveGlobalChan(TaskHandle taskHandle, const char channelName[], const char saveAs[], const char author[], uInt32 options);
int32 DAQmxSaveScale(const char scaleName[], const char saveAs[], const char author[], uInt32 options);
int32 DAQmxSaveTask(TaskHandle taskHandle, const char saveAs[], const char author[], uInt32 options);
int32 DAQmxSelfCal(const char deviceName[]);
int32 DAQmxSelfTestDevice(const char deviceName[]);
int32 DAQmxSetAnalogPowerUpStatesWithOutputType(const char channelNames[], const float64 stateArray[], const int32 channelTypeArray[], uInt32 arraySize);
int32 DAQmxSetDigitalLogicFamilyPowerUpState(const char deviceName[], int32 logicFamily);
int32 DAQmxSetRuntimeEnvironment(const char environment[], const char environmentVersion[], const char reserved1[], const char reserved2[]);
int32 DAQmxStartNewFile(TaskHandle taskHandle, const char filePath[]);
int32 DAQmxTaskControl(TaskHandle taskHandle, int32 action);
int32 DAQmxTristateOutputTerm(const char outputTerminal[]);
int32 DAQmxUnreserveNetworkDevice(const char deviceName[]);
int32 DAQmxWaitForValidTimestamp(TaskHandle taskHandle, int32 timestampEvent, float64 timeout, CVIAbsoluteTime* timestamp);
int32 DAQmxWaitUntilTaskDone(TaskHandle taskHandle, float64 timeToWait);
int32 DAQmxWriteAnalogScalarF64(TaskHandle taskHandle, bool32 autoStart, float64 timeout, float64 value, bool32 *reserved);
int32 DAQmxWriteBinaryI16(TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32 dataLayout, const int16 writeArray[], int32 *sampsPerChanWritten, bool32 *reserved);
int32 DAQmxWriteBinaryI32(TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32 dataLayout, const int32 writeArray[], int32 *sampsPerChanWritten, bool32 *reserved);
int32 DAQmxWriteBinaryU16(TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32 dataLayout, const uInt16 writeArray[], int32 *sampsPerChanWritten, bool32 *reserved);
int32 DAQmxWriteBinaryU32(TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32 dataLayout, const uInt32 writeArray[], int32 *sampsPerChanWritten, bool32 *reserved);
int32 DAQmxWriteCtrFreq(TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32 dataLayout, const float64 frequency[], const float64 dutyCycle[], int32 *numSampsPerChanWritten, bool32 *reserved);
int32 DAQmxWriteCtrFreqScalar(TaskHandle taskHandle, bool32 autoStart, float64 timeout, float64 frequency, float64 dutyCycle, bool32 *reserved);
int32 DAQmxWriteCtrTicks(TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32 dataLayout, const uInt32 highTicks[], const uInt32 lowTicks[], int32 *numSampsPerChanWritten, bool32 *reserved);
int32 DAQmxWriteCtrTicksScalar(TaskHandle taskHandle, bool32 autoStart, float64 timeout, uInt32 highTicks, uInt32 lowTicks, bool32 *reserved);
int32 DAQmxWriteCtrTime(TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32 dataLayout, const float64 highTime[], const float64 lowTime[], int32 *numSampsPerChanWritten, bool32 *reserved);
int32 DAQmxWriteCtrTimeScalar(TaskHandle taskHandle, bool32 autoStart, float64 timeout, float64 highTime, float64 lowTime, bool32 *reserved);
int32 DAQmxWriteDigitalScalarU32(TaskHandle taskHandle, bool32 autoStart, float64 timeout, uInt32 value, bool32 *reserved);
int32 DAQmxWriteDigitalU16(TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32 dataLayout, const uInt16 writeArray[], int32 *sampsPerChanWritten, bool32 *reserved);
int32 DAQmxWriteIDPinMemory(const char deviceName[], const char idPinName[], const uInt8 data[], uInt32 arraySize, uInt32 formatCode);
int32 DAQmxWriteRaw(TaskHandle taskHandle, int32 numSamps, bool32 autoStart, float64 timeout, const void *writeArray, int32 *sampsPerChanWritten, bool32 *reserved);
int32 DAQmxWriteToTEDSFromArray(const char physicalChannel[], const uInt8 bitStream[], uInt32 arraySize, int32 basicTEDSOptions);
int32 DAQmxWriteToTEDSFromFile(const char physicalChannel[], const char filePath[], int32 basicTEDSOptions);

/* Properties by ID. After `value` a string property takes its buffer's size
 * (uInt32), the others nothing: `value` points to the property's type. */
int32 DAQmxGetSystemInfoAttribute(int32 attribute, void *value, ...);
int32 DAQmxGetTaskAttribute(TaskHandle taskHandle, int32 attribute, void *value, ...);
int32 DAQmxGetChanAttribute(TaskHandle taskHandle, const char channel[], int32 attribute, void *value, ...);
int32 DAQmxGetTimingAttribute(TaskHandle taskHandle, int32 attribute, void *value, ...);
int32 DAQmxGetReadAttribute(TaskHandle taskHandle, int32 attribute, void *value, ...);
int32 DAQmxGetWriteAttribute(TaskHandle taskHandle, int32 attribute, void *value, ...);
int32 DAQmxGetDeviceAttribute(const char deviceName[], int32 attribute, void *value, ...);
int32 DAQmxGetTrigAttribute(TaskHandle taskHandle, int32 attribute, void *value, ...);
int32 DAQmxGetExportedSignalAttribute(TaskHandle taskHandle, int32 attribute, void *value, ...);
int32 DAQmxGetTimingAttributeEx(TaskHandle taskHandle, const char deviceNames[], int32 attribute, void *value, ...);
int32 DAQmxGetPhysicalChanAttribute(const char physicalChannel[], int32 attribute, void *value, ...);
int32 DAQmxGetScaleAttribute(const char scaleName[], int32 attribute, void *value, ...);
int32 DAQmxGetPersistedChanAttribute(const char channel[], int32 attribute, void *value, ...);
int32 DAQmxGetPersistedScaleAttribute(const char scaleName[], int32 attribute, void *value, ...);
int32 DAQmxGetPersistedTaskAttribute(const char taskName[], int32 attribute, void *value, ...);
int32 DAQmxGetCalInfoAttribute(const char deviceName[], int32 attribute, void *value, ...);
int32 DAQmxGetWatchdogAttribute(TaskHandle taskHandle, const char lines[], int32 attribute, void *value, ...);
/* The setters take the value itself after `attribute`, of the property's type
 * (a string as const char *). */
int32 DAQmxSetChanAttribute(TaskHandle taskHandle, const char channel[], int32 attribute, ...);
int32 DAQmxSetTimingAttribute(TaskHandle taskHandle, int32 attribute, ...);
int32 DAQmxSetTimingAttributeEx(TaskHandle taskHandle, const char deviceNames[], int32 attribute, ...);
int32 DAQmxSetTrigAttribute(TaskHandle taskHandle, int32 attribute, ...);
int32 DAQmxSetReadAttribute(TaskHandle taskHandle, int32 attribute, ...);
int32 DAQmxSetWriteAttribute(TaskHandle taskHandle, int32 attribute, ...);
int32 DAQmxSetExportedSignalAttribute(TaskHandle taskHandle, int32 attribute, ...);
int32 DAQmxSetBufferAttribute(TaskHandle taskHandle, int32 attribute, ...);
int32 DAQmxSetScaleAttribute(const char scaleName[], int32 attribute, ...);
int32 DAQmxSetCalInfoAttribute(const char deviceName[], int32 attribute, ...);
int32 DAQmxSetWatchdogAttribute(TaskHandle taskHandle, const char lines[], int32 attribute, ...);

#ifdef __cplusplus
}
#endif

#endif
