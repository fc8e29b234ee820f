/*
 * The rest of the entry points NI's own clients (nidaqmx-python) call, in the
 * rows of daqmx_entries.h: the simulated bench answers each with the status
 * sim/device/api_refused.cpp gives it (the 6251's error for what the device
 * lacks; NI's error for an operation a simulated device does not perform for
 * what the device has but the bench does not model). The import layer
 * forwards them as it forwards the others. Moving a row into
 * DAQMX_CLIENT_ENTRY_POINTS (daqmx_entries.h) makes it a method of the bench.
 *
 * The five variadic power-up state functions (DAQmxSetDigitalPowerUpStates
 * and its kin) are not here: their variable argument lists cannot be passed on.
 */
#ifndef KORVANE_DAQMX_UNMODELLED_H
#define KORVANE_DAQMX_UNMODELLED_H

#include "korvane/NIDAQmx.h"
#include "driver/daqmx_unmodelled_ai.h"
#include "driver/daqmx_unmodelled_io.h"

#define DAQMX_UNMODELLED_OTHERS(X)                                                                           \
    X(DAQmxAddCDAQSyncConnection, AddCDAQSyncConnection,                                                     \
      (const char portList[]),                                                                               \
      (portList),                                                                                            \
      .str(portList))                                                                                        \
    X(DAQmxAddGlobalChansToTask, AddGlobalChansToTask,                                                       \
      (TaskHandle taskHandle, const char channelNames[]),                                                    \
      (taskHandle, channelNames),                                                                            \
      .task(taskHandle).str(channelNames))                                                                   \
    X(DAQmxAddNetworkDevice, AddNetworkDevice,                                                               \
      (const char IPAddress[], const char deviceName[], bool32 attemptReservation, float64 timeout,          \
       char deviceNameOut[], uInt32 deviceNameOutBufferSize),                                                \
      (IPAddress, deviceName, attemptReservation, timeout, deviceNameOut, deviceNameOutBufferSize),          \
      .str(IPAddress).str(deviceName).unum(attemptReservation).real(timeout).out(deviceNameOut)              \
          .unum(deviceNameOutBufferSize))                                                                    \
    X(DAQmxAreConfiguredCDAQSyncPortsDisconnected, AreConfiguredCDAQSyncPortsDisconnected,                   \
      (const char chassisDevicesPorts[], float64 timeout, bool32* disconnectedPortsExist),                   \
      (chassisDevicesPorts, timeout, disconnectedPortsExist),                                                \
      .str(chassisDevicesPorts).real(timeout).out(disconnectedPortsExist))                                   \
    X(DAQmxAutoConfigureCDAQSyncConnections, AutoConfigureCDAQSyncConnections,                               \
      (const char chassisDevicesPorts[], float64 timeout),                                                   \
      (chassisDevicesPorts, timeout),                                                                        \
      .str(chassisDevicesPorts).real(timeout))                                                               \
    X(DAQmxCalculateReversePolyCoeff, CalculateReversePolyCoeff,                                             \
      (const float64 forwardCoeffs[], uInt32 numForwardCoeffsIn, float64 minValX, float64 maxValX,           \
       int32 numPointsToCompute, int32 reversePolyOrder, float64 reverseCoeffs[]),                           \
      (forwardCoeffs, numForwardCoeffsIn, minValX, maxValX, numPointsToCompute, reversePolyOrder,            \
       reverseCoeffs),                                                                                       \
      .out(forwardCoeffs).unum(numForwardCoeffsIn).real(minValX).real(maxValX).num(numPointsToCompute)       \
          .num(reversePolyOrder).out(reverseCoeffs))                                                         \
    X(DAQmxCfgAnlgEdgeRefTrig, CfgAnlgEdgeRefTrig,                                                           \
      (TaskHandle taskHandle, const char triggerSource[], int32 triggerSlope, float64 triggerLevel,          \
       uInt32 pretriggerSamples),                                                                            \
      (taskHandle, triggerSource, triggerSlope, triggerLevel, pretriggerSamples),                            \
      .task(taskHandle).str(triggerSource).num(triggerSlope).real(triggerLevel).unum(pretriggerSamples))     \
    X(DAQmxCfgAnlgMultiEdgeRefTrig, CfgAnlgMultiEdgeRefTrig,                                                 \
      (TaskHandle taskHandle, const char triggerSources[], const int32 triggerSlopeArray[],                  \
       const float64 triggerLevelArray[], uInt32 pretriggerSamples, uInt32 arraySize),                       \
      (taskHandle, triggerSources, triggerSlopeArray, triggerLevelArray, pretriggerSamples, arraySize),      \
      .task(taskHandle).str(triggerSources).out(triggerSlopeArray).out(triggerLevelArray)                    \
          .unum(pretriggerSamples).unum(arraySize))                                                          \
    X(DAQmxCfgAnlgMultiEdgeStartTrig, CfgAnlgMultiEdgeStartTrig,                                             \
      (TaskHandle taskHandle, const char triggerSources[], const int32 triggerSlopeArray[],                  \
       const float64 triggerLevelArray[], uInt32 arraySize),                                                 \
      (taskHandle, triggerSources, triggerSlopeArray, triggerLevelArray, arraySize),                         \
      .task(taskHandle).str(triggerSources).out(triggerSlopeArray).out(triggerLevelArray).unum(arraySize))   \
    X(DAQmxCfgAnlgWindowRefTrig, CfgAnlgWindowRefTrig,                                                       \
      (TaskHandle taskHandle, const char triggerSource[], int32 triggerWhen, float64 windowTop,              \
       float64 windowBottom, uInt32 pretriggerSamples),                                                      \
      (taskHandle, triggerSource, triggerWhen, windowTop, windowBottom, pretriggerSamples),                  \
      .task(taskHandle).str(triggerSource).num(triggerWhen).real(windowTop).real(windowBottom)               \
          .unum(pretriggerSamples))                                                                          \
    X(DAQmxCfgAnlgWindowStartTrig, CfgAnlgWindowStartTrig,                                                   \
      (TaskHandle taskHandle, const char triggerSource[], int32 triggerWhen, float64 windowTop,              \
       float64 windowBottom),                                                                                \
      (taskHandle, triggerSource, triggerWhen, windowTop, windowBottom),                                     \
      .task(taskHandle).str(triggerSource).num(triggerWhen).real(windowTop).real(windowBottom))              \
    X(DAQmxCfgBurstHandshakingTimingExportClock, CfgBurstHandshakingTimingExportClock,                       \
      (TaskHandle taskHandle, int32 sampleMode, uInt64 sampsPerChan, float64 sampleClkRate,                  \
       const char sampleClkOutpTerm[], int32 sampleClkPulsePolarity, int32 pauseWhen,                        \
       int32 readyEventActiveLevel),                                                                         \
      (taskHandle, sampleMode, sampsPerChan, sampleClkRate, sampleClkOutpTerm, sampleClkPulsePolarity,       \
       pauseWhen, readyEventActiveLevel),                                                                    \
      .task(taskHandle).num(sampleMode).unum(sampsPerChan).real(sampleClkRate).str(sampleClkOutpTerm)        \
          .num(sampleClkPulsePolarity).num(pauseWhen).num(readyEventActiveLevel))                            \
    X(DAQmxCfgBurstHandshakingTimingImportClock, CfgBurstHandshakingTimingImportClock,                       \
      (TaskHandle taskHandle, int32 sampleMode, uInt64 sampsPerChan, float64 sampleClkRate,                  \
       const char sampleClkSrc[], int32 sampleClkActiveEdge, int32 pauseWhen, int32 readyEventActiveLevel),  \
      (taskHandle, sampleMode, sampsPerChan, sampleClkRate, sampleClkSrc, sampleClkActiveEdge, pauseWhen,    \
       readyEventActiveLevel),                                                                               \
      .task(taskHandle).num(sampleMode).unum(sampsPerChan).real(sampleClkRate).str(sampleClkSrc)             \
          .num(sampleClkActiveEdge).num(pauseWhen).num(readyEventActiveLevel))                               \
    X(DAQmxCfgChangeDetectionTiming, CfgChangeDetectionTiming,                                               \
      (TaskHandle taskHandle, const char risingEdgeChan[], const char fallingEdgeChan[], int32 sampleMode,   \
       uInt64 sampsPerChan),                                                                                 \
      (taskHandle, risingEdgeChan, fallingEdgeChan, sampleMode, sampsPerChan),                               \
      .task(taskHandle).str(risingEdgeChan).str(fallingEdgeChan).num(sampleMode).unum(sampsPerChan))         \
    X(DAQmxCfgDigEdgeRefTrig, CfgDigEdgeRefTrig,                                                             \
      (TaskHandle taskHandle, const char triggerSource[], int32 triggerEdge, uInt32 pretriggerSamples),      \
      (taskHandle, triggerSource, triggerEdge, pretriggerSamples),                                           \
      .task(taskHandle).str(triggerSource).num(triggerEdge).unum(pretriggerSamples))                         \
    X(DAQmxCfgDigPatternRefTrig, CfgDigPatternRefTrig,                                                       \
      (TaskHandle taskHandle, const char triggerSource[], const char triggerPattern[], int32 triggerWhen,    \
       uInt32 pretriggerSamples),                                                                            \
      (taskHandle, triggerSource, triggerPattern, triggerWhen, pretriggerSamples),                           \
      .task(taskHandle).str(triggerSource).str(triggerPattern).num(triggerWhen).unum(pretriggerSamples))     \
    X(DAQmxCfgDigPatternStartTrig, CfgDigPatternStartTrig,                                                   \
      (TaskHandle taskHandle, const char triggerSource[], const char triggerPattern[], int32 triggerWhen),   \
      (taskHandle, triggerSource, triggerPattern, triggerWhen),                                              \
      .task(taskHandle).str(triggerSource).str(triggerPattern).num(triggerWhen))                             \
    X(DAQmxCfgHandshakingTiming, CfgHandshakingTiming,                                                       \
      (TaskHandle taskHandle, int32 sampleMode, uInt64 sampsPerChan),                                        \
      (taskHandle, sampleMode, sampsPerChan),                                                                \
      .task(taskHandle).num(sampleMode).unum(sampsPerChan))                                                  \
    X(DAQmxCfgImplicitTiming, CfgImplicitTiming,                                                             \
      (TaskHandle taskHandle, int32 sampleMode, uInt64 sampsPerChan),                                        \
      (taskHandle, sampleMode, sampsPerChan),                                                                \
      .task(taskHandle).num(sampleMode).unum(sampsPerChan))                                                  \
    X(DAQmxCfgPipelinedSampClkTiming, CfgPipelinedSampClkTiming,                                             \
      (TaskHandle taskHandle, const char source[], float64 rate, int32 activeEdge, int32 sampleMode,         \
       uInt64 sampsPerChan),                                                                                 \
      (taskHandle, source, rate, activeEdge, sampleMode, sampsPerChan),                                      \
      .task(taskHandle).str(source).real(rate).num(activeEdge).num(sampleMode).unum(sampsPerChan))           \
    X(DAQmxCfgTimeStartTrig, CfgTimeStartTrig,                                                               \
      (TaskHandle taskHandle, CVIAbsoluteTime when, int32 timescale),                                        \
      (taskHandle, when, timescale),                                                                         \
      .task(taskHandle).out(&when).num(timescale))                                                           \
    X(DAQmxCfgWatchdogAOExpirStates, CfgWatchdogAOExpirStates,                                               \
      (TaskHandle taskHandle, const char channelNames[], const float64 expirStateArray[],                    \
       const int32 outputTypeArray[], uInt32 arraySize),                                                     \
      (taskHandle, channelNames, expirStateArray, outputTypeArray, arraySize),                               \
      .task(taskHandle).str(channelNames).out(expirStateArray).out(outputTypeArray).unum(arraySize))         \
    X(DAQmxCfgWatchdogCOExpirStates, CfgWatchdogCOExpirStates,                                               \
      (TaskHandle taskHandle, const char channelNames[], const int32 expirStateArray[], uInt32 arraySize),   \
      (taskHandle, channelNames, expirStateArray, arraySize),                                                \
      .task(taskHandle).str(channelNames).out(expirStateArray).unum(arraySize))                              \
    X(DAQmxCfgWatchdogDOExpirStates, CfgWatchdogDOExpirStates,                                               \
      (TaskHandle taskHandle, const char channelNames[], const int32 expirStateArray[], uInt32 arraySize),   \
      (taskHandle, channelNames, expirStateArray, arraySize),                                                \
      .task(taskHandle).str(channelNames).out(expirStateArray).unum(arraySize))                              \
    X(DAQmxClearTEDS, ClearTEDS,                                                                             \
      (const char physicalChannel[]),                                                                        \
      (physicalChannel),                                                                                     \
      .str(physicalChannel))                                                                                 \
    X(DAQmxConfigureLogging, ConfigureLogging,                                                               \
      (TaskHandle taskHandle, const char filePath[], int32 loggingMode, const char groupName[],              \
       int32 operation),                                                                                     \
      (taskHandle, filePath, loggingMode, groupName, operation),                                             \
      .task(taskHandle).str(filePath).num(loggingMode).str(groupName).num(operation))                        \
    X(DAQmxConfigureTEDS, ConfigureTEDS,                                                                     \
      (const char physicalChannel[], const char filePath[]),                                                 \
      (physicalChannel, filePath),                                                                           \
      .str(physicalChannel).str(filePath))                                                                   \
    X(DAQmxConnectTerms, ConnectTerms,                                                                       \
      (const char sourceTerminal[], const char destinationTerminal[], int32 signalModifiers),                \
      (sourceTerminal, destinationTerminal, signalModifiers),                                                \
      .str(sourceTerminal).str(destinationTerminal).num(signalModifiers))                                    \
    X(DAQmxControlWatchdogTask, ControlWatchdogTask,                                                         \
      (TaskHandle taskHandle, int32 action),                                                                 \
      (taskHandle, action),                                                                                  \
      .task(taskHandle).num(action))                                                                         \
    X(DAQmxCreateLinScale, CreateLinScale,                                                                   \
      (const char name[], float64 slope, float64 yIntercept, int32 preScaledUnits, const char scaledUnits[]), \
      (name, slope, yIntercept, preScaledUnits, scaledUnits),                                                \
      .str(name).real(slope).real(yIntercept).num(preScaledUnits).str(scaledUnits))                          \
    X(DAQmxCreateMapScale, CreateMapScale,                                                                   \
      (const char name[], float64 prescaledMin, float64 prescaledMax, float64 scaledMin, float64 scaledMax,  \
       int32 preScaledUnits, const char scaledUnits[]),                                                      \
      (name, prescaledMin, prescaledMax, scaledMin, scaledMax, preScaledUnits, scaledUnits),                 \
      .str(name).real(prescaledMin).real(prescaledMax).real(scaledMin).real(scaledMax).num(preScaledUnits)   \
          .str(scaledUnits))                                                                                 \
    X(DAQmxCreatePolynomialScale, CreatePolynomialScale,                                                     \
      (const char name[], const float64 forwardCoeffs[], uInt32 numForwardCoeffsIn,                          \
       const float64 reverseCoeffs[], uInt32 numReverseCoeffsIn, int32 preScaledUnits,                       \
       const char scaledUnits[]),                                                                            \
      (name, forwardCoeffs, numForwardCoeffsIn, reverseCoeffs, numReverseCoeffsIn, preScaledUnits,           \
       scaledUnits),                                                                                         \
      .str(name).out(forwardCoeffs).unum(numForwardCoeffsIn).out(reverseCoeffs).unum(numReverseCoeffsIn)     \
          .num(preScaledUnits).str(scaledUnits))                                                             \
    X(DAQmxCreateTableScale, CreateTableScale,                                                               \
      (const char name[], const float64 prescaledVals[], uInt32 numPrescaledValsIn, const float64 scaledVals[], \
       uInt32 numScaledValsIn, int32 preScaledUnits, const char scaledUnits[]),                              \
      (name, prescaledVals, numPrescaledValsIn, scaledVals, numScaledValsIn, preScaledUnits, scaledUnits),   \
      .str(name).out(prescaledVals).unum(numPrescaledValsIn).out(scaledVals).unum(numScaledValsIn)           \
          .num(preScaledUnits).str(scaledUnits))                                                             \
    X(DAQmxCreateWatchdogTimerTaskEx, CreateWatchdogTimerTaskEx,                                             \
      (const char deviceName[], const char taskName[], TaskHandle *taskHandle, float64 timeout),             \
      (deviceName, taskName, taskHandle, timeout),                                                           \
      .str(deviceName).str(taskName).out(taskHandle).real(timeout))                                          \
    X(DAQmxDeleteNetworkDevice, DeleteNetworkDevice,                                                         \
      (const char deviceName[]),                                                                             \
      (deviceName),                                                                                          \
      .str(deviceName))                                                                                      \
    X(DAQmxDeleteSavedGlobalChan, DeleteSavedGlobalChan,                                                     \
      (const char channelName[]),                                                                            \
      (channelName),                                                                                         \
      .str(channelName))                                                                                     \
    X(DAQmxDeleteSavedScale, DeleteSavedScale,                                                               \
      (const char scaleName[]),                                                                              \
      (scaleName),                                                                                           \
      .str(scaleName))                                                                                       \
    X(DAQmxDeleteSavedTask, DeleteSavedTask,                                                                 \
      (const char taskName[]),                                                                               \
      (taskName),                                                                                            \
      .str(taskName))                                                                                        \
    X(DAQmxDeviceSupportsCal, DeviceSupportsCal,                                                             \
      (const char deviceName[], bool32 *calSupported),                                                       \
      (deviceName, calSupported),                                                                            \
      .str(deviceName).out(calSupported))                                                                    \
    X(DAQmxDisableRefTrig, DisableRefTrig,                                                                   \
      (TaskHandle taskHandle),                                                                               \
      (taskHandle),                                                                                          \
      .task(taskHandle))                                                                                     \
    X(DAQmxDisconnectTerms, DisconnectTerms,                                                                 \
      (const char sourceTerminal[], const char destinationTerminal[]),                                       \
      (sourceTerminal, destinationTerminal),                                                                 \
      .str(sourceTerminal).str(destinationTerminal))                                                         \
    X(DAQmxExportSignal, ExportSignal,                                                                       \
      (TaskHandle taskHandle, int32 signalID, const char outputTerminal[]),                                  \
      (taskHandle, signalID, outputTerminal),                                                                \
      .task(taskHandle).num(signalID).str(outputTerminal))                                                   \
    X(DAQmxGetAnalogPowerUpStatesWithOutputType, GetAnalogPowerUpStatesWithOutputType,                       \
      (const char channelNames[], float64 stateArray[], int32 channelTypeArray[], uInt32 *arraySizePtr),     \
      (channelNames, stateArray, channelTypeArray, arraySizePtr),                                            \
      .str(channelNames).out(stateArray).out(channelTypeArray).out(arraySizePtr))                            \
    X(DAQmxGetAutoConfiguredCDAQSyncConnections, GetAutoConfiguredCDAQSyncConnections,                       \
      (char portList[], uInt32 portListSize),                                                                \
      (portList, portListSize),                                                                              \
      .out(portList).unum(portListSize))                                                                     \
    X(DAQmxGetDigitalLogicFamilyPowerUpState, GetDigitalLogicFamilyPowerUpState,                             \
      (const char deviceName[], int32* logicFamily),                                                         \
      (deviceName, logicFamily),                                                                             \
      .str(deviceName).out(logicFamily))                                                                     \
    X(DAQmxGetDisconnectedCDAQSyncPorts, GetDisconnectedCDAQSyncPorts,                                       \
      (char portList[], uInt32 portListSize),                                                                \
      (portList, portListSize),                                                                              \
      .out(portList).unum(portListSize))                                                                     \
    X(DAQmxGetExtCalLastDateAndTime, GetExtCalLastDateAndTime,                                               \
      (const char deviceName[], uInt32 *year, uInt32 *month, uInt32 *day, uInt32 *hour, uInt32 *minute),     \
      (deviceName, year, month, day, hour, minute),                                                          \
      .str(deviceName).out(year).out(month).out(day).out(hour).out(minute))                                  \
    X(DAQmxGetSelfCalLastDateAndTime, GetSelfCalLastDateAndTime,                                             \
      (const char deviceName[], uInt32 *year, uInt32 *month, uInt32 *day, uInt32 *hour, uInt32 *minute),     \
      (deviceName, year, month, day, hour, minute),                                                          \
      .str(deviceName).out(year).out(month).out(day).out(hour).out(minute))                                  \
    X(DAQmxLoadTask, LoadTask,                                                                               \
      (const char taskName[], TaskHandle *taskHandle),                                                       \
      (taskName, taskHandle),                                                                                \
      .str(taskName).out(taskHandle))                                                                        \
    X(DAQmxPerformBridgeOffsetNullingCalEx, PerformBridgeOffsetNullingCalEx,                                 \
      (TaskHandle taskHandle, const char channel[], bool32 skipUnsupportedChannels),                         \
      (taskHandle, channel, skipUnsupportedChannels),                                                        \
      .task(taskHandle).str(channel).unum(skipUnsupportedChannels))                                          \
    X(DAQmxPerformBridgeShuntCalEx, PerformBridgeShuntCalEx,                                                 \
      (TaskHandle taskHandle, const char channel[], float64 shuntResistorValue, int32 shuntResistorLocation, \
       int32 shuntResistorSelect, int32 shuntResistorSource, float64 bridgeResistance,                       \
       bool32 skipUnsupportedChannels),                                                                      \
      (taskHandle, channel, shuntResistorValue, shuntResistorLocation, shuntResistorSelect,                  \
       shuntResistorSource, bridgeResistance, skipUnsupportedChannels),                                      \
      .task(taskHandle).str(channel).real(shuntResistorValue).num(shuntResistorLocation)                     \
          .num(shuntResistorSelect).num(shuntResistorSource).real(bridgeResistance)                          \
          .unum(skipUnsupportedChannels))                                                                    \
    X(DAQmxPerformStrainShuntCalEx, PerformStrainShuntCalEx,                                                 \
      (TaskHandle taskHandle, const char channel[], float64 shuntResistorValue, int32 shuntResistorLocation, \
       int32 shuntResistorSelect, int32 shuntResistorSource, bool32 skipUnsupportedChannels),                \
      (taskHandle, channel, shuntResistorValue, shuntResistorLocation, shuntResistorSelect,                  \
       shuntResistorSource, skipUnsupportedChannels),                                                        \
      .task(taskHandle).str(channel).real(shuntResistorValue).num(shuntResistorLocation)                     \
          .num(shuntResistorSelect).num(shuntResistorSource).unum(skipUnsupportedChannels))                  \
    X(DAQmxPerformThrmcplLeadOffsetNullingCal, PerformThrmcplLeadOffsetNullingCal,                           \
      (TaskHandle taskHandle, const char channel[], bool32 skipUnsupportedChannels),                         \
      (taskHandle, channel, skipUnsupportedChannels),                                                        \
      .task(taskHandle).str(channel).unum(skipUnsupportedChannels))                                          \
    X(DAQmxRegisterSignalEvent, RegisterSignalEvent,                                                         \
      (TaskHandle task, int32 signalID, uInt32 options, DAQmxSignalEventCallbackPtr callbackFunction,        \
       void *callbackData),                                                                                  \
      (task, signalID, options, callbackFunction, callbackData),                                             \
      .task(task).num(signalID).unum(options).unum(callbackFunction != nullptr).out(callbackData))           \
    X(DAQmxRemoveCDAQSyncConnection, RemoveCDAQSyncConnection,                                               \
      (const char portList[]),                                                                               \
      (portList),                                                                                            \
      .str(portList))                                                                                        \
    X(DAQmxReserveNetworkDevice, ReserveNetworkDevice,                                                       \
      (const char deviceName[], bool32 overrideReservation),                                                 \
      (deviceName, overrideReservation),                                                                     \
      .str(deviceName).unum(overrideReservation))                                                            \
    X(DAQmxResetBufferAttribute, ResetBufferAttribute,                                                       \
      (TaskHandle taskHandle, int32 attribute),                                                              \
      (taskHandle, attribute),                                                                               \
      .task(taskHandle).num(attribute))                                                                      \
    X(DAQmxResetChanAttribute, ResetChanAttribute,                                                           \
      (TaskHandle taskHandle, const char channel[], int32 attribute),                                        \
      (taskHandle, channel, attribute),                                                                      \
      .task(taskHandle).str(channel).num(attribute))                                                         \
    X(DAQmxResetDevice, ResetDevice,                                                                         \
      (const char deviceName[]),                                                                             \
      (deviceName),                                                                                          \
      .str(deviceName))                                                                                      \
    X(DAQmxResetExportedSignalAttribute, ResetExportedSignalAttribute,                                       \
      (TaskHandle taskHandle, int32 attribute),                                                              \
      (taskHandle, attribute),                                                                               \
      .task(taskHandle).num(attribute))                                                                      \
    X(DAQmxResetReadAttribute, ResetReadAttribute,                                                           \
      (TaskHandle taskHandle, int32 attribute),                                                              \
      (taskHandle, attribute),                                                                               \
      .task(taskHandle).num(attribute))                                                                      \
    X(DAQmxResetTimingAttribute, ResetTimingAttribute,                                                       \
      (TaskHandle taskHandle, int32 attribute),                                                              \
      (taskHandle, attribute),                                                                               \
      .task(taskHandle).num(attribute))                                                                      \
    X(DAQmxResetTimingAttributeEx, ResetTimingAttributeEx,                                                   \
      (TaskHandle taskHandle, const char deviceNames[], int32 attribute),                                    \
      (taskHandle, deviceNames, attribute),                                                                  \
      .task(taskHandle).str(deviceNames).num(attribute))                                                     \
    X(DAQmxResetTrigAttribute, ResetTrigAttribute,                                                           \
      (TaskHandle taskHandle, int32 attribute),                                                              \
      (taskHandle, attribute),                                                                               \
      .task(taskHandle).num(attribute))                                                                      \
    X(DAQmxResetWatchdogAttribute, ResetWatchdogAttribute,                                                   \
      (TaskHandle taskHandle, const char lines[], int32 attribute),                                          \
      (taskHandle, lines, attribute),                                                                        \
      .task(taskHandle).str(lines).num(attribute))                                                           \
    X(DAQmxResetWriteAttribute, ResetWriteAttribute,                                                         \
      (TaskHandle taskHandle, int32 attribute),                                                              \
      (taskHandle, attribute),                                                                               \
      .task(taskHandle).num(attribute))                                                                      \
    X(DAQmxRestoreLastExtCalConst, RestoreLastExtCalConst,                                                   \
      (const char deviceName[]),                                                                             \
      (deviceName),                                                                                          \
      .str(deviceName))                                                                                      \
    X(DAQmxSaveGlobalChan, SaveGlobalChan,                                                                   \
      (TaskHandle taskHandle, const char channelName[], const char saveAs[], const char author[],            \
       uInt32 options),                                                                                      \
      (taskHandle, channelName, saveAs, author, options),                                                    \
      .task(taskHandle).str(channelName).str(saveAs).str(author).unum(options))                              \
    X(DAQmxSaveScale, SaveScale,                                                                             \
      (const char scaleName[], const char saveAs[], const char author[], uInt32 options),                    \
      (scaleName, saveAs, author, options),                                                                  \
      .str(scaleName).str(saveAs).str(author).unum(options))                                                 \
    X(DAQmxSaveTask, SaveTask,                                                                               \
      (TaskHandle taskHandle, const char saveAs[], const char author[], uInt32 options),                     \
      (taskHandle, saveAs, author, options),                                                                 \
      .task(taskHandle).str(saveAs).str(author).unum(options))                                               \
    X(DAQmxSelfCal, SelfCal,                                                                                 \
      (const char deviceName[]),                                                                             \
      (deviceName),                                                                                          \
      .str(deviceName))                                                                                      \
    X(DAQmxSelfTestDevice, SelfTestDevice,                                                                   \
      (const char deviceName[]),                                                                             \
      (deviceName),                                                                                          \
      .str(deviceName))                                                                                      \
    X(DAQmxSetAnalogPowerUpStatesWithOutputType, SetAnalogPowerUpStatesWithOutputType,                       \
      (const char channelNames[], const float64 stateArray[], const int32 channelTypeArray[],                \
       uInt32 arraySize),                                                                                    \
      (channelNames, stateArray, channelTypeArray, arraySize),                                               \
      .str(channelNames).out(stateArray).out(channelTypeArray).unum(arraySize))                              \
    X(DAQmxSetDigitalLogicFamilyPowerUpState, SetDigitalLogicFamilyPowerUpState,                             \
      (const char deviceName[], int32 logicFamily),                                                          \
      (deviceName, logicFamily),                                                                             \
      .str(deviceName).num(logicFamily))                                                                     \
    X(DAQmxStartNewFile, StartNewFile,                                                                       \
      (TaskHandle taskHandle, const char filePath[]),                                                        \
      (taskHandle, filePath),                                                                                \
      .task(taskHandle).str(filePath))                                                                       \
    X(DAQmxTaskControl, TaskControl,                                                                         \
      (TaskHandle taskHandle, int32 action),                                                                 \
      (taskHandle, action),                                                                                  \
      .task(taskHandle).num(action))                                                                         \
    X(DAQmxTristateOutputTerm, TristateOutputTerm,                                                           \
      (const char outputTerminal[]),                                                                         \
      (outputTerminal),                                                                                      \
      .str(outputTerminal))                                                                                  \
    X(DAQmxUnreserveNetworkDevice, UnreserveNetworkDevice,                                                   \
      (const char deviceName[]),                                                                             \
      (deviceName),                                                                                          \
      .str(deviceName))                                                                                      \
    X(DAQmxWaitForValidTimestamp, WaitForValidTimestamp,                                                     \
      (TaskHandle taskHandle, int32 timestampEvent, float64 timeout, CVIAbsoluteTime* timestamp),            \
      (taskHandle, timestampEvent, timeout, timestamp),                                                      \
      .task(taskHandle).num(timestampEvent).real(timeout).out(timestamp))

#define DAQMX_UNMODELLED_ENTRY_POINTS(X)                                                                     \
    DAQMX_UNMODELLED_AI_CHANS(X)                                                                             \
    DAQMX_UNMODELLED_STREAMS(X)                                                                              \
    DAQMX_UNMODELLED_OTHERS(X)

#endif
