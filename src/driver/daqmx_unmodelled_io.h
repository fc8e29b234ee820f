/*
 * The counter and other output channels, reads and writes that the simulated
 * bench does not model, in the rows of daqmx_entries.h: part of
 * DAQMX_UNMODELLED_ENTRY_POINTS (daqmx_unmodelled.h).
 */
#ifndef KORVANE_DAQMX_UNMODELLED_IO_H
#define KORVANE_DAQMX_UNMODELLED_IO_H

#include "korvane/NIDAQmx.h"

#define DAQMX_UNMODELLED_STREAMS(X)                                                                          \
    X(DAQmxCreateAOCurrentChan, CreateAOCurrentChan,                                                         \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], float64 minVal, \
       float64 maxVal, int32 units, const char customScaleName[]),                                           \
      (taskHandle, physicalChannel, nameToAssignToChannel, minVal, maxVal, units, customScaleName),          \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units) \
          .str(customScaleName).adds_chans(physicalChannel))                                                 \
    X(DAQmxCreateAOFuncGenChan, CreateAOFuncGenChan,                                                         \
      (TaskHandle taskHandle, const char physicalChannel[], const char nameToAssignToChannel[], int32 type,  \
       float64 freq, float64 amplitude, float64 offset),                                                     \
      (taskHandle, physicalChannel, nameToAssignToChannel, type, freq, amplitude, offset),                   \
      .task(taskHandle).str(physicalChannel).str(nameToAssignToChannel).num(type).real(freq).real(amplitude) \
          .real(offset).adds_chans(physicalChannel))                                                         \
    X(DAQmxCreateCIAngEncoderChan, CreateCIAngEncoderChan,                                                   \
      (TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], int32 decodingType,  \
       bool32 ZidxEnable, float64 ZidxVal, int32 ZidxPhase, int32 units, uInt32 pulsesPerRev,                \
       float64 initialAngle, const char customScaleName[]),                                                  \
      (taskHandle, counter, nameToAssignToChannel, decodingType, ZidxEnable, ZidxVal, ZidxPhase, units,      \
       pulsesPerRev, initialAngle, customScaleName),                                                         \
      .task(taskHandle).str(counter).str(nameToAssignToChannel).num(decodingType).unum(ZidxEnable)           \
          .real(ZidxVal).num(ZidxPhase).num(units).unum(pulsesPerRev).real(initialAngle)                     \
          .str(customScaleName).adds_chans(counter))                                                         \
    X(DAQmxCreateCIAngVelocityChan, CreateCIAngVelocityChan,                                                 \
      (TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], float64 minVal,      \
       float64 maxVal, int32 decodingType, int32 units, uInt32 pulsesPerRev, const char customScaleName[]),  \
      (taskHandle, counter, nameToAssignToChannel, minVal, maxVal, decodingType, units, pulsesPerRev,        \
       customScaleName),                                                                                     \
      .task(taskHandle).str(counter).str(nameToAssignToChannel).real(minVal).real(maxVal).num(decodingType)  \
          .num(units).unum(pulsesPerRev).str(customScaleName).adds_chans(counter))                           \
    X(DAQmxCreateCICountEdgesChan, CreateCICountEdgesChan,                                                   \
      (TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], int32 edge,          \
       uInt32 initialCount, int32 countDirection),                                                           \
      (taskHandle, counter, nameToAssignToChannel, edge, initialCount, countDirection),                      \
      .task(taskHandle).str(counter).str(nameToAssignToChannel).num(edge).unum(initialCount)                 \
          .num(countDirection).adds_chans(counter))                                                          \
    X(DAQmxCreateCIDutyCycleChan, CreateCIDutyCycleChan,                                                     \
      (TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], float64 minFreq,     \
       float64 maxFreq, int32 edge, const char customScaleName[]),                                           \
      (taskHandle, counter, nameToAssignToChannel, minFreq, maxFreq, edge, customScaleName),                 \
      .task(taskHandle).str(counter).str(nameToAssignToChannel).real(minFreq).real(maxFreq).num(edge)        \
          .str(customScaleName).adds_chans(counter))                                                         \
    X(DAQmxCreateCIFreqChan, CreateCIFreqChan,                                                               \
      (TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], float64 minVal,      \
       float64 maxVal, int32 units, int32 edge, int32 measMethod, float64 measTime, uInt32 divisor,          \
       const char customScaleName[]),                                                                        \
      (taskHandle, counter, nameToAssignToChannel, minVal, maxVal, units, edge, measMethod, measTime, divisor, \
       customScaleName),                                                                                     \
      .task(taskHandle).str(counter).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units)         \
          .num(edge).num(measMethod).real(measTime).unum(divisor).str(customScaleName).adds_chans(counter))  \
    X(DAQmxCreateCIGPSTimestampChan, CreateCIGPSTimestampChan,                                               \
      (TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], int32 units,         \
       int32 syncMethod, const char customScaleName[]),                                                      \
      (taskHandle, counter, nameToAssignToChannel, units, syncMethod, customScaleName),                      \
      .task(taskHandle).str(counter).str(nameToAssignToChannel).num(units).num(syncMethod)                   \
          .str(customScaleName).adds_chans(counter))                                                         \
    X(DAQmxCreateCILinEncoderChan, CreateCILinEncoderChan,                                                   \
      (TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], int32 decodingType,  \
       bool32 ZidxEnable, float64 ZidxVal, int32 ZidxPhase, int32 units, float64 distPerPulse,               \
       float64 initialPos, const char customScaleName[]),                                                    \
      (taskHandle, counter, nameToAssignToChannel, decodingType, ZidxEnable, ZidxVal, ZidxPhase, units,      \
       distPerPulse, initialPos, customScaleName),                                                           \
      .task(taskHandle).str(counter).str(nameToAssignToChannel).num(decodingType).unum(ZidxEnable)           \
          .real(ZidxVal).num(ZidxPhase).num(units).real(distPerPulse).real(initialPos).str(customScaleName)  \
          .adds_chans(counter))                                                                              \
    X(DAQmxCreateCILinVelocityChan, CreateCILinVelocityChan,                                                 \
      (TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], float64 minVal,      \
       float64 maxVal, int32 decodingType, int32 units, float64 distPerPulse, const char customScaleName[]), \
      (taskHandle, counter, nameToAssignToChannel, minVal, maxVal, decodingType, units, distPerPulse,        \
       customScaleName),                                                                                     \
      .task(taskHandle).str(counter).str(nameToAssignToChannel).real(minVal).real(maxVal).num(decodingType)  \
          .num(units).real(distPerPulse).str(customScaleName).adds_chans(counter))                           \
    X(DAQmxCreateCIPeriodChan, CreateCIPeriodChan,                                                           \
      (TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], float64 minVal,      \
       float64 maxVal, int32 units, int32 edge, int32 measMethod, float64 measTime, uInt32 divisor,          \
       const char customScaleName[]),                                                                        \
      (taskHandle, counter, nameToAssignToChannel, minVal, maxVal, units, edge, measMethod, measTime, divisor, \
       customScaleName),                                                                                     \
      .task(taskHandle).str(counter).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units)         \
          .num(edge).num(measMethod).real(measTime).unum(divisor).str(customScaleName).adds_chans(counter))  \
    X(DAQmxCreateCIPulseChanFreq, CreateCIPulseChanFreq,                                                     \
      (TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], float64 minVal,      \
       float64 maxVal, int32 units),                                                                         \
      (taskHandle, counter, nameToAssignToChannel, minVal, maxVal, units),                                   \
      .task(taskHandle).str(counter).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units)         \
          .adds_chans(counter))                                                                              \
    X(DAQmxCreateCIPulseChanTicks, CreateCIPulseChanTicks,                                                   \
      (TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[],                      \
       const char sourceTerminal[], float64 minVal, float64 maxVal),                                         \
      (taskHandle, counter, nameToAssignToChannel, sourceTerminal, minVal, maxVal),                          \
      .task(taskHandle).str(counter).str(nameToAssignToChannel).str(sourceTerminal).real(minVal)             \
          .real(maxVal).adds_chans(counter))                                                                 \
    X(DAQmxCreateCIPulseChanTime, CreateCIPulseChanTime,                                                     \
      (TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], float64 minVal,      \
       float64 maxVal, int32 units),                                                                         \
      (taskHandle, counter, nameToAssignToChannel, minVal, maxVal, units),                                   \
      .task(taskHandle).str(counter).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units)         \
          .adds_chans(counter))                                                                              \
    X(DAQmxCreateCIPulseWidthChan, CreateCIPulseWidthChan,                                                   \
      (TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], float64 minVal,      \
       float64 maxVal, int32 units, int32 startingEdge, const char customScaleName[]),                       \
      (taskHandle, counter, nameToAssignToChannel, minVal, maxVal, units, startingEdge, customScaleName),    \
      .task(taskHandle).str(counter).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units)         \
          .num(startingEdge).str(customScaleName).adds_chans(counter))                                       \
    X(DAQmxCreateCISemiPeriodChan, CreateCISemiPeriodChan,                                                   \
      (TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], float64 minVal,      \
       float64 maxVal, int32 units, const char customScaleName[]),                                           \
      (taskHandle, counter, nameToAssignToChannel, minVal, maxVal, units, customScaleName),                  \
      .task(taskHandle).str(counter).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units)         \
          .str(customScaleName).adds_chans(counter))                                                         \
    X(DAQmxCreateCITwoEdgeSepChan, CreateCITwoEdgeSepChan,                                                   \
      (TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], float64 minVal,      \
       float64 maxVal, int32 units, int32 firstEdge, int32 secondEdge, const char customScaleName[]),        \
      (taskHandle, counter, nameToAssignToChannel, minVal, maxVal, units, firstEdge, secondEdge,             \
       customScaleName),                                                                                     \
      .task(taskHandle).str(counter).str(nameToAssignToChannel).real(minVal).real(maxVal).num(units)         \
          .num(firstEdge).num(secondEdge).str(customScaleName).adds_chans(counter))                          \
    X(DAQmxCreateCOPulseChanFreq, CreateCOPulseChanFreq,                                                     \
      (TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], int32 units,         \
       int32 idleState, float64 initialDelay, float64 freq, float64 dutyCycle),                              \
      (taskHandle, counter, nameToAssignToChannel, units, idleState, initialDelay, freq, dutyCycle),         \
      .task(taskHandle).str(counter).str(nameToAssignToChannel).num(units).num(idleState).real(initialDelay) \
          .real(freq).real(dutyCycle).adds_chans(counter))                                                   \
    X(DAQmxCreateCOPulseChanTicks, CreateCOPulseChanTicks,                                                   \
      (TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[],                      \
       const char sourceTerminal[], int32 idleState, int32 initialDelay, int32 lowTicks, int32 highTicks),   \
      (taskHandle, counter, nameToAssignToChannel, sourceTerminal, idleState, initialDelay, lowTicks,        \
       highTicks),                                                                                           \
      .task(taskHandle).str(counter).str(nameToAssignToChannel).str(sourceTerminal).num(idleState)           \
          .num(initialDelay).num(lowTicks).num(highTicks).adds_chans(counter))                               \
    X(DAQmxCreateCOPulseChanTime, CreateCOPulseChanTime,                                                     \
      (TaskHandle taskHandle, const char counter[], const char nameToAssignToChannel[], int32 units,         \
       int32 idleState, float64 initialDelay, float64 lowTime, float64 highTime),                            \
      (taskHandle, counter, nameToAssignToChannel, units, idleState, initialDelay, lowTime, highTime),       \
      .task(taskHandle).str(counter).str(nameToAssignToChannel).num(units).num(idleState).real(initialDelay) \
          .real(lowTime).real(highTime).adds_chans(counter))                                                 \
    X(DAQmxReadAnalogScalarF64, ReadAnalogScalarF64,                                                         \
      (TaskHandle taskHandle, float64 timeout, float64 *value, bool32 *reserved),                            \
      (taskHandle, timeout, value, reserved),                                                                \
      .task(taskHandle).real(timeout).out(value).out(reserved))                                              \
    X(DAQmxReadBinaryI16, ReadBinaryI16,                                                                     \
      (TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, int16 readArray[],    \
       uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved),                                  \
      (taskHandle, numSampsPerChan, timeout, fillMode, readArray, arraySizeInSamps, sampsPerChanRead,        \
       reserved),                                                                                            \
      .task(taskHandle).num(numSampsPerChan).real(timeout).unum(fillMode).out(readArray)                     \
          .unum(arraySizeInSamps).out(sampsPerChanRead).out(reserved))                                       \
    X(DAQmxReadBinaryI32, ReadBinaryI32,                                                                     \
      (TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, int32 readArray[],    \
       uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved),                                  \
      (taskHandle, numSampsPerChan, timeout, fillMode, readArray, arraySizeInSamps, sampsPerChanRead,        \
       reserved),                                                                                            \
      .task(taskHandle).num(numSampsPerChan).real(timeout).unum(fillMode).out(readArray)                     \
          .unum(arraySizeInSamps).out(sampsPerChanRead).out(reserved))                                       \
    X(DAQmxReadBinaryU16, ReadBinaryU16,                                                                     \
      (TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, uInt16 readArray[],   \
       uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved),                                  \
      (taskHandle, numSampsPerChan, timeout, fillMode, readArray, arraySizeInSamps, sampsPerChanRead,        \
       reserved),                                                                                            \
      .task(taskHandle).num(numSampsPerChan).real(timeout).unum(fillMode).out(readArray)                     \
          .unum(arraySizeInSamps).out(sampsPerChanRead).out(reserved))                                       \
    X(DAQmxReadBinaryU32, ReadBinaryU32,                                                                     \
      (TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, uInt32 readArray[],   \
       uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved),                                  \
      (taskHandle, numSampsPerChan, timeout, fillMode, readArray, arraySizeInSamps, sampsPerChanRead,        \
       reserved),                                                                                            \
      .task(taskHandle).num(numSampsPerChan).real(timeout).unum(fillMode).out(readArray)                     \
          .unum(arraySizeInSamps).out(sampsPerChanRead).out(reserved))                                       \
    X(DAQmxReadCounterF64, ReadCounterF64,                                                                   \
      (TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, float64 readArray[],                   \
       uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved),                                  \
      (taskHandle, numSampsPerChan, timeout, readArray, arraySizeInSamps, sampsPerChanRead, reserved),       \
      .task(taskHandle).num(numSampsPerChan).real(timeout).out(readArray).unum(arraySizeInSamps)             \
          .out(sampsPerChanRead).out(reserved))                                                              \
    X(DAQmxReadCounterF64Ex, ReadCounterF64Ex,                                                               \
      (TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, float64 readArray[],  \
       uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved),                                  \
      (taskHandle, numSampsPerChan, timeout, fillMode, readArray, arraySizeInSamps, sampsPerChanRead,        \
       reserved),                                                                                            \
      .task(taskHandle).num(numSampsPerChan).real(timeout).unum(fillMode).out(readArray)                     \
          .unum(arraySizeInSamps).out(sampsPerChanRead).out(reserved))                                       \
    X(DAQmxReadCounterScalarF64, ReadCounterScalarF64,                                                       \
      (TaskHandle taskHandle, float64 timeout, float64 *value, bool32 *reserved),                            \
      (taskHandle, timeout, value, reserved),                                                                \
      .task(taskHandle).real(timeout).out(value).out(reserved))                                              \
    X(DAQmxReadCounterScalarU32, ReadCounterScalarU32,                                                       \
      (TaskHandle taskHandle, float64 timeout, uInt32 *value, bool32 *reserved),                             \
      (taskHandle, timeout, value, reserved),                                                                \
      .task(taskHandle).real(timeout).out(value).out(reserved))                                              \
    X(DAQmxReadCounterU32, ReadCounterU32,                                                                   \
      (TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, uInt32 readArray[],                    \
       uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved),                                  \
      (taskHandle, numSampsPerChan, timeout, readArray, arraySizeInSamps, sampsPerChanRead, reserved),       \
      .task(taskHandle).num(numSampsPerChan).real(timeout).out(readArray).unum(arraySizeInSamps)             \
          .out(sampsPerChanRead).out(reserved))                                                              \
    X(DAQmxReadCounterU32Ex, ReadCounterU32Ex,                                                               \
      (TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, uInt32 readArray[],   \
       uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved),                                  \
      (taskHandle, numSampsPerChan, timeout, fillMode, readArray, arraySizeInSamps, sampsPerChanRead,        \
       reserved),                                                                                            \
      .task(taskHandle).num(numSampsPerChan).real(timeout).unum(fillMode).out(readArray)                     \
          .unum(arraySizeInSamps).out(sampsPerChanRead).out(reserved))                                       \
    X(DAQmxReadCtrFreq, ReadCtrFreq,                                                                         \
      (TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 interleaved,                    \
       float64 readArrayFrequency[], float64 readArrayDutyCycle[], uInt32 arraySizeInSamps,                  \
       int32 *sampsPerChanRead, bool32 *reserved),                                                           \
      (taskHandle, numSampsPerChan, timeout, interleaved, readArrayFrequency, readArrayDutyCycle,            \
       arraySizeInSamps, sampsPerChanRead, reserved),                                                        \
      .task(taskHandle).num(numSampsPerChan).real(timeout).unum(interleaved).out(readArrayFrequency)         \
          .out(readArrayDutyCycle).unum(arraySizeInSamps).out(sampsPerChanRead).out(reserved))               \
    X(DAQmxReadCtrFreqScalar, ReadCtrFreqScalar,                                                             \
      (TaskHandle taskHandle, float64 timeout, float64 *frequency, float64 *dutyCycle, bool32 *reserved),    \
      (taskHandle, timeout, frequency, dutyCycle, reserved),                                                 \
      .task(taskHandle).real(timeout).out(frequency).out(dutyCycle).out(reserved))                           \
    X(DAQmxReadCtrTicks, ReadCtrTicks,                                                                       \
      (TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 interleaved,                    \
       uInt32 readArrayHighTicks[], uInt32 readArrayLowTicks[], uInt32 arraySizeInSamps,                     \
       int32 *sampsPerChanRead, bool32 *reserved),                                                           \
      (taskHandle, numSampsPerChan, timeout, interleaved, readArrayHighTicks, readArrayLowTicks,             \
       arraySizeInSamps, sampsPerChanRead, reserved),                                                        \
      .task(taskHandle).num(numSampsPerChan).real(timeout).unum(interleaved).out(readArrayHighTicks)         \
          .out(readArrayLowTicks).unum(arraySizeInSamps).out(sampsPerChanRead).out(reserved))                \
    X(DAQmxReadCtrTicksScalar, ReadCtrTicksScalar,                                                           \
      (TaskHandle taskHandle, float64 timeout, uInt32 *highTicks, uInt32 *lowTicks, bool32 *reserved),       \
      (taskHandle, timeout, highTicks, lowTicks, reserved),                                                  \
      .task(taskHandle).real(timeout).out(highTicks).out(lowTicks).out(reserved))                            \
    X(DAQmxReadCtrTime, ReadCtrTime,                                                                         \
      (TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 interleaved,                    \
       float64 readArrayHighTime[], float64 readArrayLowTime[], uInt32 arraySizeInSamps,                     \
       int32 *sampsPerChanRead, bool32 *reserved),                                                           \
      (taskHandle, numSampsPerChan, timeout, interleaved, readArrayHighTime, readArrayLowTime,               \
       arraySizeInSamps, sampsPerChanRead, reserved),                                                        \
      .task(taskHandle).num(numSampsPerChan).real(timeout).unum(interleaved).out(readArrayHighTime)          \
          .out(readArrayLowTime).unum(arraySizeInSamps).out(sampsPerChanRead).out(reserved))                 \
    X(DAQmxReadCtrTimeScalar, ReadCtrTimeScalar,                                                             \
      (TaskHandle taskHandle, float64 timeout, float64 *highTime, float64 *lowTime, bool32 *reserved),       \
      (taskHandle, timeout, highTime, lowTime, reserved),                                                    \
      .task(taskHandle).real(timeout).out(highTime).out(lowTime).out(reserved))                              \
    X(DAQmxReadDigitalScalarU32, ReadDigitalScalarU32,                                                       \
      (TaskHandle taskHandle, float64 timeout, uInt32 *value, bool32 *reserved),                             \
      (taskHandle, timeout, value, reserved),                                                                \
      .task(taskHandle).real(timeout).out(value).out(reserved))                                              \
    X(DAQmxReadDigitalU16, ReadDigitalU16,                                                                   \
      (TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode, uInt16 readArray[],   \
       uInt32 arraySizeInSamps, int32 *sampsPerChanRead, bool32 *reserved),                                  \
      (taskHandle, numSampsPerChan, timeout, fillMode, readArray, arraySizeInSamps, sampsPerChanRead,        \
       reserved),                                                                                            \
      .task(taskHandle).num(numSampsPerChan).real(timeout).unum(fillMode).out(readArray)                     \
          .unum(arraySizeInSamps).out(sampsPerChanRead).out(reserved))                                       \
    X(DAQmxReadIDPinMemory, ReadIDPinMemory,                                                                 \
      (const char deviceName[], const char idPinName[], uInt8 data[], uInt32 arraySize, uInt32* dataLengthRead, \
       uInt32* formatCode),                                                                                  \
      (deviceName, idPinName, data, arraySize, dataLengthRead, formatCode),                                  \
      .str(deviceName).str(idPinName).out(data).unum(arraySize).out(dataLengthRead).out(formatCode))         \
    X(DAQmxReadPowerBinaryI16, ReadPowerBinaryI16,                                                           \
      (TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode,                       \
       int16 readArrayVoltage[], int16 readArrayCurrent[], uInt32 arraySizeInSamps, int32 *sampsPerChanRead, \
       bool32 *reserved),                                                                                    \
      (taskHandle, numSampsPerChan, timeout, fillMode, readArrayVoltage, readArrayCurrent, arraySizeInSamps, \
       sampsPerChanRead, reserved),                                                                          \
      .task(taskHandle).num(numSampsPerChan).real(timeout).unum(fillMode).out(readArrayVoltage)              \
          .out(readArrayCurrent).unum(arraySizeInSamps).out(sampsPerChanRead).out(reserved))                 \
    X(DAQmxReadPowerF64, ReadPowerF64,                                                                       \
      (TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout, bool32 fillMode,                       \
       float64 readArrayVoltage[], float64 readArrayCurrent[], uInt32 arraySizeInSamps,                      \
       int32 *sampsPerChanRead, bool32 *reserved),                                                           \
      (taskHandle, numSampsPerChan, timeout, fillMode, readArrayVoltage, readArrayCurrent, arraySizeInSamps, \
       sampsPerChanRead, reserved),                                                                          \
      .task(taskHandle).num(numSampsPerChan).real(timeout).unum(fillMode).out(readArrayVoltage)              \
          .out(readArrayCurrent).unum(arraySizeInSamps).out(sampsPerChanRead).out(reserved))                 \
    X(DAQmxReadPowerScalarF64, ReadPowerScalarF64,                                                           \
      (TaskHandle taskHandle, float64 timeout, float64 *voltage, float64 *current, bool32 *reserved),        \
      (taskHandle, timeout, voltage, current, reserved),                                                     \
      .task(taskHandle).real(timeout).out(voltage).out(current).out(reserved))                               \
    X(DAQmxWriteAnalogScalarF64, WriteAnalogScalarF64,                                                       \
      (TaskHandle taskHandle, bool32 autoStart, float64 timeout, float64 value, bool32 *reserved),           \
      (taskHandle, autoStart, timeout, value, reserved),                                                     \
      .task(taskHandle).unum(autoStart).real(timeout).real(value).out(reserved))                             \
    X(DAQmxWriteBinaryI16, WriteBinaryI16,                                                                   \
      (TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32 dataLayout,   \
       const int16 writeArray[], int32 *sampsPerChanWritten, bool32 *reserved),                              \
      (taskHandle, numSampsPerChan, autoStart, timeout, dataLayout, writeArray, sampsPerChanWritten, reserved), \
      .task(taskHandle).num(numSampsPerChan).unum(autoStart).real(timeout).unum(dataLayout).out(writeArray)  \
          .out(sampsPerChanWritten).out(reserved))                                                           \
    X(DAQmxWriteBinaryI32, WriteBinaryI32,                                                                   \
      (TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32 dataLayout,   \
       const int32 writeArray[], int32 *sampsPerChanWritten, bool32 *reserved),                              \
      (taskHandle, numSampsPerChan, autoStart, timeout, dataLayout, writeArray, sampsPerChanWritten, reserved), \
      .task(taskHandle).num(numSampsPerChan).unum(autoStart).real(timeout).unum(dataLayout).out(writeArray)  \
          .out(sampsPerChanWritten).out(reserved))                                                           \
    X(DAQmxWriteBinaryU16, WriteBinaryU16,                                                                   \
      (TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32 dataLayout,   \
       const uInt16 writeArray[], int32 *sampsPerChanWritten, bool32 *reserved),                             \
      (taskHandle, numSampsPerChan, autoStart, timeout, dataLayout, writeArray, sampsPerChanWritten, reserved), \
      .task(taskHandle).num(numSampsPerChan).unum(autoStart).real(timeout).unum(dataLayout).out(writeArray)  \
          .out(sampsPerChanWritten).out(reserved))                                                           \
    X(DAQmxWriteBinaryU32, WriteBinaryU32,                                                                   \
      (TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32 dataLayout,   \
       const uInt32 writeArray[], int32 *sampsPerChanWritten, bool32 *reserved),                             \
      (taskHandle, numSampsPerChan, autoStart, timeout, dataLayout, writeArray, sampsPerChanWritten, reserved), \
      .task(taskHandle).num(numSampsPerChan).unum(autoStart).real(timeout).unum(dataLayout).out(writeArray)  \
          .out(sampsPerChanWritten).out(reserved))                                                           \
    X(DAQmxWriteCtrFreq, WriteCtrFreq,                                                                       \
      (TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32 dataLayout,   \
       const float64 frequency[], const float64 dutyCycle[], int32 *numSampsPerChanWritten, bool32 *reserved), \
      (taskHandle, numSampsPerChan, autoStart, timeout, dataLayout, frequency, dutyCycle,                    \
       numSampsPerChanWritten, reserved),                                                                    \
      .task(taskHandle).num(numSampsPerChan).unum(autoStart).real(timeout).unum(dataLayout).out(frequency)   \
          .out(dutyCycle).out(numSampsPerChanWritten).out(reserved))                                         \
    X(DAQmxWriteCtrFreqScalar, WriteCtrFreqScalar,                                                           \
      (TaskHandle taskHandle, bool32 autoStart, float64 timeout, float64 frequency, float64 dutyCycle,       \
       bool32 *reserved),                                                                                    \
      (taskHandle, autoStart, timeout, frequency, dutyCycle, reserved),                                      \
      .task(taskHandle).unum(autoStart).real(timeout).real(frequency).real(dutyCycle).out(reserved))         \
    X(DAQmxWriteCtrTicks, WriteCtrTicks,                                                                     \
      (TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32 dataLayout,   \
       const uInt32 highTicks[], const uInt32 lowTicks[], int32 *numSampsPerChanWritten, bool32 *reserved),  \
      (taskHandle, numSampsPerChan, autoStart, timeout, dataLayout, highTicks, lowTicks,                     \
       numSampsPerChanWritten, reserved),                                                                    \
      .task(taskHandle).num(numSampsPerChan).unum(autoStart).real(timeout).unum(dataLayout).out(highTicks)   \
          .out(lowTicks).out(numSampsPerChanWritten).out(reserved))                                          \
    X(DAQmxWriteCtrTicksScalar, WriteCtrTicksScalar,                                                         \
      (TaskHandle taskHandle, bool32 autoStart, float64 timeout, uInt32 highTicks, uInt32 lowTicks,          \
       bool32 *reserved),                                                                                    \
      (taskHandle, autoStart, timeout, highTicks, lowTicks, reserved),                                       \
      .task(taskHandle).unum(autoStart).real(timeout).unum(highTicks).unum(lowTicks).out(reserved))          \
    X(DAQmxWriteCtrTime, WriteCtrTime,                                                                       \
      (TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32 dataLayout,   \
       const float64 highTime[], const float64 lowTime[], int32 *numSampsPerChanWritten, bool32 *reserved),  \
      (taskHandle, numSampsPerChan, autoStart, timeout, dataLayout, highTime, lowTime, numSampsPerChanWritten, \
       reserved),                                                                                            \
      .task(taskHandle).num(numSampsPerChan).unum(autoStart).real(timeout).unum(dataLayout).out(highTime)    \
          .out(lowTime).out(numSampsPerChanWritten).out(reserved))                                           \
    X(DAQmxWriteCtrTimeScalar, WriteCtrTimeScalar,                                                           \
      (TaskHandle taskHandle, bool32 autoStart, float64 timeout, float64 highTime, float64 lowTime,          \
       bool32 *reserved),                                                                                    \
      (taskHandle, autoStart, timeout, highTime, lowTime, reserved),                                         \
      .task(taskHandle).unum(autoStart).real(timeout).real(highTime).real(lowTime).out(reserved))            \
    X(DAQmxWriteDigitalScalarU32, WriteDigitalScalarU32,                                                     \
      (TaskHandle taskHandle, bool32 autoStart, float64 timeout, uInt32 value, bool32 *reserved),            \
      (taskHandle, autoStart, timeout, value, reserved),                                                     \
      .task(taskHandle).unum(autoStart).real(timeout).unum(value).out(reserved))                             \
    X(DAQmxWriteDigitalU16, WriteDigitalU16,                                                                 \
      (TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64 timeout, bool32 dataLayout,   \
       const uInt16 writeArray[], int32 *sampsPerChanWritten, bool32 *reserved),                             \
      (taskHandle, numSampsPerChan, autoStart, timeout, dataLayout, writeArray, sampsPerChanWritten, reserved), \
      .task(taskHandle).num(numSampsPerChan).unum(autoStart).real(timeout).unum(dataLayout).out(writeArray)  \
          .out(sampsPerChanWritten).out(reserved))                                                           \
    X(DAQmxWriteIDPinMemory, WriteIDPinMemory,                                                               \
      (const char deviceName[], const char idPinName[], const uInt8 data[], uInt32 arraySize,                \
       uInt32 formatCode),                                                                                   \
      (deviceName, idPinName, data, arraySize, formatCode),                                                  \
      .str(deviceName).str(idPinName).out(data).unum(arraySize).unum(formatCode))                            \
    X(DAQmxWriteRaw, WriteRaw,                                                                               \
      (TaskHandle taskHandle, int32 numSamps, bool32 autoStart, float64 timeout, const void *writeArray,     \
       int32 *sampsPerChanWritten, bool32 *reserved),                                                        \
      (taskHandle, numSamps, autoStart, timeout, writeArray, sampsPerChanWritten, reserved),                 \
      .task(taskHandle).num(numSamps).unum(autoStart).real(timeout).out(writeArray).out(sampsPerChanWritten) \
          .out(reserved))                                                                                    \
    X(DAQmxWriteToTEDSFromArray, WriteToTEDSFromArray,                                                       \
      (const char physicalChannel[], const uInt8 bitStream[], uInt32 arraySize, int32 basicTEDSOptions),     \
      (physicalChannel, bitStream, arraySize, basicTEDSOptions),                                             \
      .str(physicalChannel).out(bitStream).unum(arraySize).num(basicTEDSOptions))                            \
    X(DAQmxWriteToTEDSFromFile, WriteToTEDSFromFile,                                                         \
      (const char physicalChannel[], const char filePath[], int32 basicTEDSOptions),                         \
      (physicalChannel, filePath, basicTEDSOptions),                                                         \
      .str(physicalChannel).str(filePath).num(basicTEDSOptions))

#endif
