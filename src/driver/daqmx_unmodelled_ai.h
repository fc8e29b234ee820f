/*
 * The analog input channels of measurements the simulated bench does not
 * model, in the rows of daqmx_entries.h: part of DAQMX_UNMODELLED_ENTRY_POINTS
 * (daqmx_unmodelled.h).
 */
#ifndef KORVANE_DAQMX_UNMODELLED_AI_H
#define KORVANE_DAQMX_UNMODELLED_AI_H

#include "korvane/NIDAQmx.h"

#define DAQMX_UNMODELLED_AI_CHANS(X)                                                                         \
    X(DAQmxCreateAIAccel4WireDCVoltageChan, CreateAIAccel4WireDCVoltageChan,                                 \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[],              \
       int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, float64 sensitivity,               \
       int32 sensitivityUnits, int32 voltageExcitSource, float64 voltageExcitVal, bool32 useExcitForScaling, \
       const char customScaleName[]),                                                                        \
      (taskHandle, physicalChannel, nameToAssignToChannel, terminalConfig, minVal, maxVal, units, sensitivity, \
       sensitivityUnits, voltageExcitSource, voltageExcitVal, useExcitForScaling, customScaleName),          \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).num(terminalConfig).real(minVal)     \
          .real(maxVal).num(units).real(sensitivity).num(sensitivityUnits).num(voltageExcitSource)           \
          .real(voltageExcitVal).unum(useExcitForScaling).str(customScaleName).adds_chans(physicalChannel))  \
    X(DAQmxCreateAIAccelChan, CreateAIAccelChan,                                                             \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[],              \
       int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, float64 sensitivity,               \
       int32 sensitivityUnits, int32 currentExcitSource, float64 currentExcitVal,                            \
       const char customScaleName[]),                                                                        \
      (taskHandle, physicalChannel, nameToAssignToChannel, terminalConfig, minVal, maxVal, units, sensitivity, \
       sensitivityUnits, currentExcitSource, currentExcitVal, customScaleName),                              \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).num(terminalConfig).real(minVal)     \
          .real(maxVal).num(units).real(sensitivity).num(sensitivityUnits).num(currentExcitSource)           \
          .real(currentExcitVal).str(customScaleName).adds_chans(physicalChannel))                           \
    X(DAQmxCreateAIAccelChargeChan, CreateAIAccelChargeChan,                                                 \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[],              \
       int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, float64 sensitivity,               \
       int32 sensitivityUnits, const char customScaleName[]),                                                \
      (taskHandle, physicalChannel, nameToAssignToChannel, terminalConfig, minVal, maxVal, units, sensitivity, \
       sensitivityUnits, customScaleName),                                                                   \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).num(terminalConfig).real(minVal)     \
          .real(maxVal).num(units).real(sensitivity).num(sensitivityUnits).str(customScaleName)              \
          .adds_chans(physicalChannel))                                                                      \
    X(DAQmxCreateAIBridgeChan, CreateAIBridgeChan,                                                           \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 bridgeConfig, int32 voltageExcitSource, float64 voltageExcitVal,   \
       float64 nominalBridgeResistance, const char customScaleName[]),                                       \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, bridgeConfig,              \
       voltageExcitSource, voltageExcitVal, nominalBridgeResistance, customScaleName),                       \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(bridgeConfig).num(voltageExcitSource).real(voltageExcitVal).real(nominalBridgeResistance)     \
          .str(customScaleName).adds_chans(physicalChannel))                                                 \
    X(DAQmxCreateAICalculatedPowerChan, CreateAICalculatedPowerChan,                                         \
      (TaskHandle taskHandle, const char voltagePhysicalChannel[], const char currentPhysicalChannel[],      \
       const char nameToAssignToChannel[], int32 terminalConfig, float64 voltageMinVal, float64 voltageMaxVal, \
       float64 currentMinVal, float64 currentMaxVal, int32 units, int32 shuntResistorLoc,                    \
       float64 extShuntResistorVal, const char customScaleName[]),                                           \
      (taskHandle, voltagePhysicalChannel, currentPhysicalChannel, nameToAssignToChannel, terminalConfig,    \
       voltageMinVal, voltageMaxVal, currentMinVal, currentMaxVal, units, shuntResistorLoc,                  \
       extShuntResistorVal, customScaleName),                                                                \
      .task(taskHandle).str(voltagePhysicalChannel).str(currentPhysicalChannel).str(nameToAssignToChannel)   \
          .num(terminalConfig).real(voltageMinVal).real(voltageMaxVal).real(currentMinVal)                   \
          .real(currentMaxVal).num(units).num(shuntResistorLoc).real(extShuntResistorVal)                    \
          .str(customScaleName).adds_chans(voltagePhysicalChannel))                                          \
    X(DAQmxCreateAIChargeChan, CreateAIChargeChan,                                                           \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[],              \
       int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, const char customScaleName[]),     \
      (taskHandle, physicalChannel, nameToAssignToChannel, terminalConfig, minVal, maxVal, units,            \
       customScaleName),                                                                                     \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).num(terminalConfig).real(minVal)     \
          .real(maxVal).num(units).str(customScaleName).adds_chans(physicalChannel))                         \
    X(DAQmxCreateAICurrentChan, CreateAICurrentChan,                                                         \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[],              \
       int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, int32 shuntResistorLoc,            \
       float64 extShuntResistorVal, const char customScaleName[]),                                           \
      (taskHandle, physicalChannel, nameToAssignToChannel, terminalConfig, minVal, maxVal, units,            \
       shuntResistorLoc, extShuntResistorVal, customScaleName),                                              \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).num(terminalConfig).real(minVal)     \
          .real(maxVal).num(units).num(shuntResistorLoc).real(extShuntResistorVal).str(customScaleName)      \
          .adds_chans(physicalChannel))                                                                      \
    X(DAQmxCreateAICurrentRMSChan, CreateAICurrentRMSChan,                                                   \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[],              \
       int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, int32 shuntResistorLoc,            \
       float64 extShuntResistorVal, const char customScaleName[]),                                           \
      (taskHandle, physicalChannel, nameToAssignToChannel, terminalConfig, minVal, maxVal, units,            \
       shuntResistorLoc, extShuntResistorVal, customScaleName),                                              \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).num(terminalConfig).real(minVal)     \
          .real(maxVal).num(units).num(shuntResistorLoc).real(extShuntResistorVal).str(customScaleName)      \
          .adds_chans(physicalChannel))                                                                      \
    X(DAQmxCreateAIForceBridgePolynomialChan, CreateAIForceBridgePolynomialChan,                             \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 bridgeConfig, int32 voltageExcitSource, float64 voltageExcitVal,   \
       float64 nominalBridgeResistance, const float64 forwardCoeffs[], uInt32 numForwardCoeffs,              \
       const float64 reverseCoeffs[], uInt32 numReverseCoeffs, int32 electricalUnits, int32 physicalUnits,   \
       const char customScaleName[]),                                                                        \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, bridgeConfig,              \
       voltageExcitSource, voltageExcitVal, nominalBridgeResistance, forwardCoeffs, numForwardCoeffs,        \
       reverseCoeffs, numReverseCoeffs, electricalUnits, physicalUnits, customScaleName),                    \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(bridgeConfig).num(voltageExcitSource).real(voltageExcitVal).real(nominalBridgeResistance)     \
          .out(forwardCoeffs).unum(numForwardCoeffs).out(reverseCoeffs).unum(numReverseCoeffs)               \
          .num(electricalUnits).num(physicalUnits).str(customScaleName).adds_chans(physicalChannel))         \
    X(DAQmxCreateAIForceBridgeTableChan, CreateAIForceBridgeTableChan,                                       \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 bridgeConfig, int32 voltageExcitSource, float64 voltageExcitVal,   \
       float64 nominalBridgeResistance, const float64 electricalVals[], uInt32 numElectricalVals,            \
       int32 electricalUnits, const float64 physicalVals[], uInt32 numPhysicalVals, int32 physicalUnits,     \
       const char customScaleName[]),                                                                        \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, bridgeConfig,              \
       voltageExcitSource, voltageExcitVal, nominalBridgeResistance, electricalVals, numElectricalVals,      \
       electricalUnits, physicalVals, numPhysicalVals, physicalUnits, customScaleName),                      \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(bridgeConfig).num(voltageExcitSource).real(voltageExcitVal).real(nominalBridgeResistance)     \
          .out(electricalVals).unum(numElectricalVals).num(electricalUnits).out(physicalVals)                \
          .unum(numPhysicalVals).num(physicalUnits).str(customScaleName).adds_chans(physicalChannel))        \
    X(DAQmxCreateAIForceBridgeTwoPointLinChan, CreateAIForceBridgeTwoPointLinChan,                           \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 bridgeConfig, int32 voltageExcitSource, float64 voltageExcitVal,   \
       float64 nominalBridgeResistance, float64 firstElectricalVal, float64 secondElectricalVal,             \
       int32 electricalUnits, float64 firstPhysicalVal, float64 secondPhysicalVal, int32 physicalUnits,      \
       const char customScaleName[]),                                                                        \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, bridgeConfig,              \
       voltageExcitSource, voltageExcitVal, nominalBridgeResistance, firstElectricalVal, secondElectricalVal, \
       electricalUnits, firstPhysicalVal, secondPhysicalVal, physicalUnits, customScaleName),                \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(bridgeConfig).num(voltageExcitSource).real(voltageExcitVal).real(nominalBridgeResistance)     \
          .real(firstElectricalVal).real(secondElectricalVal).num(electricalUnits).real(firstPhysicalVal)    \
          .real(secondPhysicalVal).num(physicalUnits).str(customScaleName).adds_chans(physicalChannel))      \
    X(DAQmxCreateAIForceIEPEChan, CreateAIForceIEPEChan,                                                     \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[],              \
       int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, float64 sensitivity,               \
       int32 sensitivityUnits, int32 currentExcitSource, float64 currentExcitVal,                            \
       const char customScaleName[]),                                                                        \
      (taskHandle, physicalChannel, nameToAssignToChannel, terminalConfig, minVal, maxVal, units, sensitivity, \
       sensitivityUnits, currentExcitSource, currentExcitVal, customScaleName),                              \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).num(terminalConfig).real(minVal)     \
          .real(maxVal).num(units).real(sensitivity).num(sensitivityUnits).num(currentExcitSource)           \
          .real(currentExcitVal).str(customScaleName).adds_chans(physicalChannel))                           \
    X(DAQmxCreateAIFreqVoltageChan, CreateAIFreqVoltageChan,                                                 \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, float64 thresholdLevel, float64 hysteresis, const char customScaleName[]), \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, thresholdLevel, hysteresis, \
       customScaleName),                                                                                     \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .real(thresholdLevel).real(hysteresis).str(customScaleName).adds_chans(physicalChannel))           \
    X(DAQmxCreateAIMicrophoneChan, CreateAIMicrophoneChan,                                                   \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[],              \
       int32 terminalConfig, int32 units, float64 micSensitivity, float64 maxSndPressLevel,                  \
       int32 currentExcitSource, float64 currentExcitVal, const char customScaleName[]),                     \
      (taskHandle, physicalChannel, nameToAssignToChannel, terminalConfig, units, micSensitivity,            \
       maxSndPressLevel, currentExcitSource, currentExcitVal, customScaleName),                              \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).num(terminalConfig).num(units)       \
          .real(micSensitivity).real(maxSndPressLevel).num(currentExcitSource).real(currentExcitVal)         \
          .str(customScaleName).adds_chans(physicalChannel))                                                 \
    X(DAQmxCreateAIPosEddyCurrProxProbeChan, CreateAIPosEddyCurrProxProbeChan,                               \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, float64 sensitivity, int32 sensitivityUnits, const char customScaleName[]), \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, sensitivity,               \
       sensitivityUnits, customScaleName),                                                                   \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .real(sensitivity).num(sensitivityUnits).str(customScaleName).adds_chans(physicalChannel))         \
    X(DAQmxCreateAIPosLVDTChan, CreateAIPosLVDTChan,                                                         \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, float64 sensitivity, int32 sensitivityUnits, int32 voltageExcitSource,   \
       float64 voltageExcitVal, float64 voltageExcitFreq, int32 ACExcitWireMode, const char customScaleName[]), \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, sensitivity,               \
       sensitivityUnits, voltageExcitSource, voltageExcitVal, voltageExcitFreq, ACExcitWireMode,             \
       customScaleName),                                                                                     \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .real(sensitivity).num(sensitivityUnits).num(voltageExcitSource).real(voltageExcitVal)             \
          .real(voltageExcitFreq).num(ACExcitWireMode).str(customScaleName).adds_chans(physicalChannel))     \
    X(DAQmxCreateAIPosRVDTChan, CreateAIPosRVDTChan,                                                         \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, float64 sensitivity, int32 sensitivityUnits, int32 voltageExcitSource,   \
       float64 voltageExcitVal, float64 voltageExcitFreq, int32 ACExcitWireMode, const char customScaleName[]), \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, sensitivity,               \
       sensitivityUnits, voltageExcitSource, voltageExcitVal, voltageExcitFreq, ACExcitWireMode,             \
       customScaleName),                                                                                     \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .real(sensitivity).num(sensitivityUnits).num(voltageExcitSource).real(voltageExcitVal)             \
          .real(voltageExcitFreq).num(ACExcitWireMode).str(customScaleName).adds_chans(physicalChannel))     \
    X(DAQmxCreateAIPowerChan, CreateAIPowerChan,                                                             \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[],              \
       float64 voltageSetpoint, float64 currentSetpoint, bool32 outputEnable),                               \
      (taskHandle, physicalChannel, nameToAssignToChannel, voltageSetpoint, currentSetpoint, outputEnable),  \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(voltageSetpoint)                \
          .real(currentSetpoint).unum(outputEnable).adds_chans(physicalChannel))                             \
    X(DAQmxCreateAIPressureBridgePolynomialChan, CreateAIPressureBridgePolynomialChan,                       \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 bridgeConfig, int32 voltageExcitSource, float64 voltageExcitVal,   \
       float64 nominalBridgeResistance, const float64 forwardCoeffs[], uInt32 numForwardCoeffs,              \
       const float64 reverseCoeffs[], uInt32 numReverseCoeffs, int32 electricalUnits, int32 physicalUnits,   \
       const char customScaleName[]),                                                                        \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, bridgeConfig,              \
       voltageExcitSource, voltageExcitVal, nominalBridgeResistance, forwardCoeffs, numForwardCoeffs,        \
       reverseCoeffs, numReverseCoeffs, electricalUnits, physicalUnits, customScaleName),                    \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(bridgeConfig).num(voltageExcitSource).real(voltageExcitVal).real(nominalBridgeResistance)     \
          .out(forwardCoeffs).unum(numForwardCoeffs).out(reverseCoeffs).unum(numReverseCoeffs)               \
          .num(electricalUnits).num(physicalUnits).str(customScaleName).adds_chans(physicalChannel))         \
    X(DAQmxCreateAIPressureBridgeTableChan, CreateAIPressureBridgeTableChan,                                 \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 bridgeConfig, int32 voltageExcitSource, float64 voltageExcitVal,   \
       float64 nominalBridgeResistance, const float64 electricalVals[], uInt32 numElectricalVals,            \
       int32 electricalUnits, const float64 physicalVals[], uInt32 numPhysicalVals, int32 physicalUnits,     \
       const char customScaleName[]),                                                                        \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, bridgeConfig,              \
       voltageExcitSource, voltageExcitVal, nominalBridgeResistance, electricalVals, numElectricalVals,      \
       electricalUnits, physicalVals, numPhysicalVals, physicalUnits, customScaleName),                      \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(bridgeConfig).num(voltageExcitSource).real(voltageExcitVal).real(nominalBridgeResistance)     \
          .out(electricalVals).unum(numElectricalVals).num(electricalUnits).out(physicalVals)                \
          .unum(numPhysicalVals).num(physicalUnits).str(customScaleName).adds_chans(physicalChannel))        \
    X(DAQmxCreateAIPressureBridgeTwoPointLinChan, CreateAIPressureBridgeTwoPointLinChan,                     \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 bridgeConfig, int32 voltageExcitSource, float64 voltageExcitVal,   \
       float64 nominalBridgeResistance, float64 firstElectricalVal, float64 secondElectricalVal,             \
       int32 electricalUnits, float64 firstPhysicalVal, float64 secondPhysicalVal, int32 physicalUnits,      \
       const char customScaleName[]),                                                                        \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, bridgeConfig,              \
       voltageExcitSource, voltageExcitVal, nominalBridgeResistance, firstElectricalVal, secondElectricalVal, \
       electricalUnits, firstPhysicalVal, secondPhysicalVal, physicalUnits, customScaleName),                \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(bridgeConfig).num(voltageExcitSource).real(voltageExcitVal).real(nominalBridgeResistance)     \
          .real(firstElectricalVal).real(secondElectricalVal).num(electricalUnits).real(firstPhysicalVal)    \
          .real(secondPhysicalVal).num(physicalUnits).str(customScaleName).adds_chans(physicalChannel))      \
    X(DAQmxCreateAIRTDChan, CreateAIRTDChan,                                                                 \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 rtdType, int32 resistanceConfig, int32 currentExcitSource,         \
       float64 currentExcitVal, float64 r0),                                                                 \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, rtdType, resistanceConfig, \
       currentExcitSource, currentExcitVal, r0),                                                             \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(rtdType).num(resistanceConfig).num(currentExcitSource).real(currentExcitVal).real(r0)         \
          .adds_chans(physicalChannel))                                                                      \
    X(DAQmxCreateAIResistanceChan, CreateAIResistanceChan,                                                   \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 resistanceConfig, int32 currentExcitSource, float64 currentExcitVal, \
       const char customScaleName[]),                                                                        \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, resistanceConfig,          \
       currentExcitSource, currentExcitVal, customScaleName),                                                \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(resistanceConfig).num(currentExcitSource).real(currentExcitVal).str(customScaleName)          \
          .adds_chans(physicalChannel))                                                                      \
    X(DAQmxCreateAIRosetteStrainGageChan, CreateAIRosetteStrainGageChan,                                     \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 rosetteType, float64 gageOrientation, const int32 rosetteMeasTypes[],           \
       uInt32 numRosetteMeasTypes, int32 strainConfig, int32 voltageExcitSource, float64 voltageExcitVal,    \
       float64 gageFactor, float64 nominalGageResistance, float64 poissonRatio, float64 leadWireResistance), \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, rosetteType, gageOrientation,     \
       rosetteMeasTypes, numRosetteMeasTypes, strainConfig, voltageExcitSource, voltageExcitVal, gageFactor, \
       nominalGageResistance, poissonRatio, leadWireResistance),                                             \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal)            \
          .num(rosetteType).real(gageOrientation).out(rosetteMeasTypes).unum(numRosetteMeasTypes)            \
          .num(strainConfig).num(voltageExcitSource).real(voltageExcitVal).real(gageFactor)                  \
          .real(nominalGageResistance).real(poissonRatio).real(leadWireResistance)                           \
          .adds_chans(physicalChannel))                                                                      \
    X(DAQmxCreateAIStrainGageChan, CreateAIStrainGageChan,                                                   \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 strainConfig, int32 voltageExcitSource, float64 voltageExcitVal,   \
       float64 gageFactor, float64 initialBridgeVoltage, float64 nominalGageResistance, float64 poissonRatio, \
       float64 leadWireResistance, const char customScaleName[]),                                            \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, strainConfig,              \
       voltageExcitSource, voltageExcitVal, gageFactor, initialBridgeVoltage, nominalGageResistance,         \
       poissonRatio, leadWireResistance, customScaleName),                                                   \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(strainConfig).num(voltageExcitSource).real(voltageExcitVal).real(gageFactor)                  \
          .real(initialBridgeVoltage).real(nominalGageResistance).real(poissonRatio)                         \
          .real(leadWireResistance).str(customScaleName).adds_chans(physicalChannel))                        \
    X(DAQmxCreateAITempBuiltInSensorChan, CreateAITempBuiltInSensorChan,                                     \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32 units), \
      (taskHandle, physicalChannel, nameToAssignToChannel, units),                                           \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).num(units)                           \
          .adds_chans(physicalChannel))                                                                      \
    X(DAQmxCreateAIThrmstrChanIex, CreateAIThrmstrChanIex,                                                   \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 resistanceConfig, int32 currentExcitSource, float64 currentExcitVal, \
       float64 a, float64 b, float64 c),                                                                     \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, resistanceConfig,          \
       currentExcitSource, currentExcitVal, a, b, c),                                                        \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(resistanceConfig).num(currentExcitSource).real(currentExcitVal).real(a).real(b).real(c)       \
          .adds_chans(physicalChannel))                                                                      \
    X(DAQmxCreateAIThrmstrChanVex, CreateAIThrmstrChanVex,                                                   \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 resistanceConfig, int32 voltageExcitSource, float64 voltageExcitVal, \
       float64 a, float64 b, float64 c, float64 r1),                                                         \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, resistanceConfig,          \
       voltageExcitSource, voltageExcitVal, a, b, c, r1),                                                    \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(resistanceConfig).num(voltageExcitSource).real(voltageExcitVal).real(a).real(b).real(c)       \
          .real(r1).adds_chans(physicalChannel))                                                             \
    X(DAQmxCreateAITorqueBridgePolynomialChan, CreateAITorqueBridgePolynomialChan,                           \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 bridgeConfig, int32 voltageExcitSource, float64 voltageExcitVal,   \
       float64 nominalBridgeResistance, const float64 forwardCoeffs[], uInt32 numForwardCoeffs,              \
       const float64 reverseCoeffs[], uInt32 numReverseCoeffs, int32 electricalUnits, int32 physicalUnits,   \
       const char customScaleName[]),                                                                        \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, bridgeConfig,              \
       voltageExcitSource, voltageExcitVal, nominalBridgeResistance, forwardCoeffs, numForwardCoeffs,        \
       reverseCoeffs, numReverseCoeffs, electricalUnits, physicalUnits, customScaleName),                    \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(bridgeConfig).num(voltageExcitSource).real(voltageExcitVal).real(nominalBridgeResistance)     \
          .out(forwardCoeffs).unum(numForwardCoeffs).out(reverseCoeffs).unum(numReverseCoeffs)               \
          .num(electricalUnits).num(physicalUnits).str(customScaleName).adds_chans(physicalChannel))         \
    X(DAQmxCreateAITorqueBridgeTableChan, CreateAITorqueBridgeTableChan,                                     \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 bridgeConfig, int32 voltageExcitSource, float64 voltageExcitVal,   \
       float64 nominalBridgeResistance, const float64 electricalVals[], uInt32 numElectricalVals,            \
       int32 electricalUnits, const float64 physicalVals[], uInt32 numPhysicalVals, int32 physicalUnits,     \
       const char customScaleName[]),                                                                        \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, bridgeConfig,              \
       voltageExcitSource, voltageExcitVal, nominalBridgeResistance, electricalVals, numElectricalVals,      \
       electricalUnits, physicalVals, numPhysicalVals, physicalUnits, customScaleName),                      \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(bridgeConfig).num(voltageExcitSource).real(voltageExcitVal).real(nominalBridgeResistance)     \
          .out(electricalVals).unum(numElectricalVals).num(electricalUnits).out(physicalVals)                \
          .unum(numPhysicalVals).num(physicalUnits).str(customScaleName).adds_chans(physicalChannel))        \
    X(DAQmxCreateAITorqueBridgeTwoPointLinChan, CreateAITorqueBridgeTwoPointLinChan,                         \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 bridgeConfig, int32 voltageExcitSource, float64 voltageExcitVal,   \
       float64 nominalBridgeResistance, float64 firstElectricalVal, float64 secondElectricalVal,             \
       int32 electricalUnits, float64 firstPhysicalVal, float64 secondPhysicalVal, int32 physicalUnits,      \
       const char customScaleName[]),                                                                        \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, bridgeConfig,              \
       voltageExcitSource, voltageExcitVal, nominalBridgeResistance, firstElectricalVal, secondElectricalVal, \
       electricalUnits, firstPhysicalVal, secondPhysicalVal, physicalUnits, customScaleName),                \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(bridgeConfig).num(voltageExcitSource).real(voltageExcitVal).real(nominalBridgeResistance)     \
          .real(firstElectricalVal).real(secondElectricalVal).num(electricalUnits).real(firstPhysicalVal)    \
          .real(secondPhysicalVal).num(physicalUnits).str(customScaleName).adds_chans(physicalChannel))      \
    X(DAQmxCreateAIVelocityIEPEChan, CreateAIVelocityIEPEChan,                                               \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[],              \
       int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, float64 sensitivity,               \
       int32 sensitivityUnits, int32 currentExcitSource, float64 currentExcitVal,                            \
       const char customScaleName[]),                                                                        \
      (taskHandle, physicalChannel, nameToAssignToChannel, terminalConfig, minVal, maxVal, units, sensitivity, \
       sensitivityUnits, currentExcitSource, currentExcitVal, customScaleName),                              \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).num(terminalConfig).real(minVal)     \
          .real(maxVal).num(units).real(sensitivity).num(sensitivityUnits).num(currentExcitSource)           \
          .real(currentExcitVal).str(customScaleName).adds_chans(physicalChannel))                           \
    X(DAQmxCreateAIVoltageChanWithExcit, CreateAIVoltageChanWithExcit,                                       \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[],              \
       int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, int32 bridgeConfig,                \
       int32 voltageExcitSource, float64 voltageExcitVal, bool32 useExcitForScaling,                         \
       const char customScaleName[]),                                                                        \
      (taskHandle, physicalChannel, nameToAssignToChannel, terminalConfig, minVal, maxVal, units, bridgeConfig, \
       voltageExcitSource, voltageExcitVal, useExcitForScaling, customScaleName),                            \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).num(terminalConfig).real(minVal)     \
          .real(maxVal).num(units).num(bridgeConfig).num(voltageExcitSource).real(voltageExcitVal)           \
          .unum(useExcitForScaling).str(customScaleName).adds_chans(physicalChannel))                        \
    X(DAQmxCreateAIVoltageRMSChan, CreateAIVoltageRMSChan,                                                   \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[],              \
       int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, const char customScaleName[]),     \
      (taskHandle, physicalChannel, nameToAssignToChannel, terminalConfig, minVal, maxVal, units,            \
       customScaleName),                                                                                     \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).num(terminalConfig).real(minVal)     \
          .real(maxVal).num(units).str(customScaleName).adds_chans(physicalChannel))                         \
    X(DAQmxCreateTEDSAIAccelChan, CreateTEDSAIAccelChan,                                                     \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[],              \
       int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, int32 currentExcitSource,          \
       float64 currentExcitVal, const char customScaleName[]),                                               \
      (taskHandle, physicalChannel, nameToAssignToChannel, terminalConfig, minVal, maxVal, units,            \
       currentExcitSource, currentExcitVal, customScaleName),                                                \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).num(terminalConfig).real(minVal)     \
          .real(maxVal).num(units).num(currentExcitSource).real(currentExcitVal).str(customScaleName)        \
          .adds_chans(physicalChannel))                                                                      \
    X(DAQmxCreateTEDSAIBridgeChan, CreateTEDSAIBridgeChan,                                                   \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 voltageExcitSource, float64 voltageExcitVal,                       \
       const char customScaleName[]),                                                                        \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, voltageExcitSource,        \
       voltageExcitVal, customScaleName),                                                                    \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(voltageExcitSource).real(voltageExcitVal).str(customScaleName).adds_chans(physicalChannel))   \
    X(DAQmxCreateTEDSAICurrentChan, CreateTEDSAICurrentChan,                                                 \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[],              \
       int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, int32 shuntResistorLoc,            \
       float64 extShuntResistorVal, const char customScaleName[]),                                           \
      (taskHandle, physicalChannel, nameToAssignToChannel, terminalConfig, minVal, maxVal, units,            \
       shuntResistorLoc, extShuntResistorVal, customScaleName),                                              \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).num(terminalConfig).real(minVal)     \
          .real(maxVal).num(units).num(shuntResistorLoc).real(extShuntResistorVal).str(customScaleName)      \
          .adds_chans(physicalChannel))                                                                      \
    X(DAQmxCreateTEDSAIForceBridgeChan, CreateTEDSAIForceBridgeChan,                                         \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 voltageExcitSource, float64 voltageExcitVal,                       \
       const char customScaleName[]),                                                                        \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, voltageExcitSource,        \
       voltageExcitVal, customScaleName),                                                                    \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(voltageExcitSource).real(voltageExcitVal).str(customScaleName).adds_chans(physicalChannel))   \
    X(DAQmxCreateTEDSAIForceIEPEChan, CreateTEDSAIForceIEPEChan,                                             \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[],              \
       int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, int32 currentExcitSource,          \
       float64 currentExcitVal, const char customScaleName[]),                                               \
      (taskHandle, physicalChannel, nameToAssignToChannel, terminalConfig, minVal, maxVal, units,            \
       currentExcitSource, currentExcitVal, customScaleName),                                                \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).num(terminalConfig).real(minVal)     \
          .real(maxVal).num(units).num(currentExcitSource).real(currentExcitVal).str(customScaleName)        \
          .adds_chans(physicalChannel))                                                                      \
    X(DAQmxCreateTEDSAIMicrophoneChan, CreateTEDSAIMicrophoneChan,                                           \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[],              \
       int32 terminalConfig, int32 units, float64 maxSndPressLevel, int32 currentExcitSource,                \
       float64 currentExcitVal, const char customScaleName[]),                                               \
      (taskHandle, physicalChannel, nameToAssignToChannel, terminalConfig, units, maxSndPressLevel,          \
       currentExcitSource, currentExcitVal, customScaleName),                                                \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).num(terminalConfig).num(units)       \
          .real(maxSndPressLevel).num(currentExcitSource).real(currentExcitVal).str(customScaleName)         \
          .adds_chans(physicalChannel))                                                                      \
    X(DAQmxCreateTEDSAIPosLVDTChan, CreateTEDSAIPosLVDTChan,                                                 \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 voltageExcitSource, float64 voltageExcitVal,                       \
       float64 voltageExcitFreq, int32 ACExcitWireMode, const char customScaleName[]),                       \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, voltageExcitSource,        \
       voltageExcitVal, voltageExcitFreq, ACExcitWireMode, customScaleName),                                 \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(voltageExcitSource).real(voltageExcitVal).real(voltageExcitFreq).num(ACExcitWireMode)         \
          .str(customScaleName).adds_chans(physicalChannel))                                                 \
    X(DAQmxCreateTEDSAIPosRVDTChan, CreateTEDSAIPosRVDTChan,                                                 \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 voltageExcitSource, float64 voltageExcitVal,                       \
       float64 voltageExcitFreq, int32 ACExcitWireMode, const char customScaleName[]),                       \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, voltageExcitSource,        \
       voltageExcitVal, voltageExcitFreq, ACExcitWireMode, customScaleName),                                 \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(voltageExcitSource).real(voltageExcitVal).real(voltageExcitFreq).num(ACExcitWireMode)         \
          .str(customScaleName).adds_chans(physicalChannel))                                                 \
    X(DAQmxCreateTEDSAIPressureBridgeChan, CreateTEDSAIPressureBridgeChan,                                   \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 voltageExcitSource, float64 voltageExcitVal,                       \
       const char customScaleName[]),                                                                        \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, voltageExcitSource,        \
       voltageExcitVal, customScaleName),                                                                    \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(voltageExcitSource).real(voltageExcitVal).str(customScaleName).adds_chans(physicalChannel))   \
    X(DAQmxCreateTEDSAIRTDChan, CreateTEDSAIRTDChan,                                                         \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 resistanceConfig, int32 currentExcitSource, float64 currentExcitVal), \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, resistanceConfig,          \
       currentExcitSource, currentExcitVal),                                                                 \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(resistanceConfig).num(currentExcitSource).real(currentExcitVal).adds_chans(physicalChannel))  \
    X(DAQmxCreateTEDSAIResistanceChan, CreateTEDSAIResistanceChan,                                           \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 resistanceConfig, int32 currentExcitSource, float64 currentExcitVal, \
       const char customScaleName[]),                                                                        \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, resistanceConfig,          \
       currentExcitSource, currentExcitVal, customScaleName),                                                \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(resistanceConfig).num(currentExcitSource).real(currentExcitVal).str(customScaleName)          \
          .adds_chans(physicalChannel))                                                                      \
    X(DAQmxCreateTEDSAIStrainGageChan, CreateTEDSAIStrainGageChan,                                           \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 voltageExcitSource, float64 voltageExcitVal,                       \
       float64 initialBridgeVoltage, float64 leadWireResistance, const char customScaleName[]),              \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, voltageExcitSource,        \
       voltageExcitVal, initialBridgeVoltage, leadWireResistance, customScaleName),                          \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(voltageExcitSource).real(voltageExcitVal).real(initialBridgeVoltage).real(leadWireResistance) \
          .str(customScaleName).adds_chans(physicalChannel))                                                 \
    X(DAQmxCreateTEDSAIThrmcplChan, CreateTEDSAIThrmcplChan,                                                 \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 cjcSource, float64 cjcVal, const char cjcChannel[]),               \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, cjcSource, cjcVal,         \
       cjcChannel),                                                                                          \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(cjcSource).real(cjcVal).str(cjcChannel).adds_chans(physicalChannel))                          \
    X(DAQmxCreateTEDSAIThrmstrChanIex, CreateTEDSAIThrmstrChanIex,                                           \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 resistanceConfig, int32 currentExcitSource, float64 currentExcitVal), \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, resistanceConfig,          \
       currentExcitSource, currentExcitVal),                                                                 \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(resistanceConfig).num(currentExcitSource).real(currentExcitVal).adds_chans(physicalChannel))  \
    X(DAQmxCreateTEDSAIThrmstrChanVex, CreateTEDSAIThrmstrChanVex,                                           \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 resistanceConfig, int32 voltageExcitSource, float64 voltageExcitVal, \
       float64 r1),                                                                                          \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, resistanceConfig,          \
       voltageExcitSource, voltageExcitVal, r1),                                                             \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(resistanceConfig).num(voltageExcitSource).real(voltageExcitVal).real(r1)                      \
          .adds_chans(physicalChannel))                                                                      \
    X(DAQmxCreateTEDSAITorqueBridgeChan, CreateTEDSAITorqueBridgeChan,                                       \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, int32 voltageExcitSource, float64 voltageExcitVal,                       \
       const char customScaleName[]),                                                                        \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, voltageExcitSource,        \
       voltageExcitVal, customScaleName),                                                                    \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .num(voltageExcitSource).real(voltageExcitVal).str(customScaleName).adds_chans(physicalChannel))   \
    X(DAQmxCreateTEDSAIVoltageChan, CreateTEDSAIVoltageChan,                                                 \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[],              \
       int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, const char customScaleName[]),     \
      (taskHandle, physicalChannel, nameToAssignToChannel, terminalConfig, minVal, maxVal, units,            \
       customScaleName),                                                                                     \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).num(terminalConfig).real(minVal)     \
          .real(maxVal).num(units).str(customScaleName).adds_chans(physicalChannel))                         \
    X(DAQmxCreateTEDSAIVoltageChanWithExcit, CreateTEDSAIVoltageChanWithExcit,                               \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[],              \
       int32 terminalConfig, float64 minVal, float64 maxVal, int32 units, int32 voltageExcitSource,          \
       float64 voltageExcitVal, const char customScaleName[]),                                               \
      (taskHandle, physicalChannel, nameToAssignToChannel, terminalConfig, minVal, maxVal, units,            \
       voltageExcitSource, voltageExcitVal, customScaleName),                                                \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).num(terminalConfig).real(minVal)     \
          .real(maxVal).num(units).num(voltageExcitSource).real(voltageExcitVal).str(customScaleName)        \
          .adds_chans(physicalChannel))

#endif
