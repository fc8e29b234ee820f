#include "sim/device/errors.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "driver/daqmx_entries.h"

namespace sim {

namespace {

struct ErrorText {
    int32_t code;
    const char *text;
};

// One table: the driver's named code -> its message, in the driver's own wording.
const ErrorText kErrors[] = {
    {DAQmxErrorInvalidTask, "Task specified is invalid or does not exist."},
    {DAQmxErrorDuplicateTask, "Task name specified conflicts with an existing task name."},
    {DAQmxErrorPhysicalChanDoesNotExist,
     "Physical channel specified does not exist on this device. Refer to the documentation for channels "
     "available on this device."},
    {DAQmxErrorInvalidDeviceID, "Device identifier is invalid."},
    {DAQmxErrorSamplesNotYetAvailable,
     "Some or all of the samples requested have not yet been acquired. To wait for the samples to become "
     "available use a longer read timeout or read later in your program. To make the samples available "
     "sooner, increase the sample rate. If your task uses a start trigger, make sure that your start "
     "trigger is configured correctly. It is also possible that you configured the task for external "
     "timing, and no clock was supplied. If this is the case, supply an external clock."},
    {DAQmxErrorPALResourceReserved, "The specified resource is reserved. The operation could not be completed as specified."},
    {DAQmxErrorResourceAlreadyReserved, "Resource requested by this task has already been reserved by a different task."},
    {DAQmxErrorSamplesNoLongerAvailable,
     "The application is not able to keep up with the hardware acquisition. Increasing the buffer size, "
     "reading the data more frequently, or specifying a fixed number of samples to read instead of reading "
     "all available samples might correct the problem."},
    {DAQmxErrorGenStoppedToPreventRegenOfOldSamples,
     "The generation has stopped to prevent the regeneration of old samples. Your application was unable "
     "to write samples to the background buffer fast enough to prevent old samples from being "
     "regenerated."},
    {DAQmxErrorSamplesCanNotYetBeWritten,
     "Some or all of the samples to write could not be written to the buffer yet. More space will free up "
     "as samples currently in the buffer are generated. To wait for more space to become available, use a "
     "longer write timeout. To make the space available sooner, increase the sample rate."},
    {DAQmxErrorInvalidAttributeValue,
     "Requested value is not a supported value for this property. The property value may be invalid "
     "because it conflicts with another property."},
    {DAQmxErrorCanNotPerformOpWhenNoChansInTask, "Specified operation cannot be performed when there are no channels in the task."},
    {DAQmxErrorOperationTimedOut, "Specified operation did not complete, because the specified timeout expired."},
    {DAQmxErrorWriteNoOutputChansInTask, "Write failed, because there are no output channels in this task to which data can be written."},
    {DAQmxErrorDigitalOutputNotSupported, "Specified physical channel does not support digital output."},
    {DAQmxErrorMultiChanTypesInTask,
     "Task cannot contain a channel with the specified channel type, because the task already contains "
     "channels with a different channel type. Create one task for each channel type."},
    {DAQmxErrorInvalidAODataWrite, "Attempted writing analog data that is too large or too small."},
    {DAQmxErrorDigLinesReservedOrUnavailable,
     "Requested operation could not be performed, because the specified digital lines are either reserved "
     "or the device is not present in NI-DAQmx."},
    {DAQmxErrorInvalidRoutingSourceTerminalName_Routing,
     "Source terminal to be routed could not be found on the device.\n\nMake sure the terminal name is valid for "
     "the specified device. Refer to Measurement & Automation Explorer for valid terminal names."},
    {DAQmxErrorCVIFailedToLoadDAQmxDLL, DAQMX_TEXT_LIBRARY_NOT_LOADED},
    {DAQmxErrorCVIFunctionNotFoundInDAQmxDLL, DAQMX_TEXT_ENTRY_POINT_MISSING},
    {kErrSamplesWillNeverBeAvailable,
     "Attempted to read samples that will never be available. The sample specified by the combination of "
     "position and offset will never be available. Specify a position and offset which selects samples "
     "that will be available."},
    {kErrReadBufferTooSmall, "Buffer is too small to fit read data."},
    {kErrOutputBufferEmpty,
     "Generation cannot be started, because the output buffer is empty. Write data before starting a "
     "buffered generation."},
    {kErrCanNotPerformOpWhileTaskRunning, "Specified operation cannot be performed while the task is running."},
    {kErrReadChanTypeMismatch,
     "Read cannot be performed, because this version of DAQmx Read does not match the type of channels "
     "in the task. Use the version of DAQmx Read that corresponds to the channel type."},
    {kErrWriteChanTypeMismatch,
     "Write cannot be performed, because this version of DAQmx Write does not match the type of channels "
     "in the task. Use the version of DAQmx Write that corresponds to the channel type."},
    {kErrMinNotLessThanMax, "Minimum is not less than maximum."},
    {DAQmxErrorBufferTooSmallForString, "Buffer is too small to fit the string."},
    {DAQmxErrorSpecifiedAttrNotValid, "Specified property is not valid, or is not valid in this context."},
    {DAQmxErrorAttrNotSupported,
     "Specified property is not supported by the device or is not applicable to the task."},
    {kErrChanNotInTask, "Channel specified is not in the task."},
    {kErrPhysChanMeasType,
     "Selected physical channel does not support the measurement type required by the virtual channel you "
     "are creating.\n\nCreate a channel of a measurement type that is supported by the physical channel, or "
     "select a physical channel that supports the measurement type."},
    {kErrBuiltInCJCSrcNotSupported,
     "Built-in cold-junction compensation (CJC) is not supported by the device. Select a constant value or "
     "a channel as the CJC source."},
    {kErrTEDSNotSupported, "TEDS is not supported by the device."},
    {kErrWatchdogTimerNotSupported, "Watchdog timer is not supported by the device."},
    {kErrOperationNotSupportedOnSimulatedDevice, "The specified operation is not supported on simulated devices."},
    {kErrFunctionNotSupportedForDevice, "Specified function is not supported for this device."},
    {kErrNetworkDevicesNotSupportedOnThisPlatform, "Network devices are not supported on this platform."},
    {kErrWriteBufferTooSmall, "Buffer is too small to fit the data."},
    {kWarnStoppedBeforeDone,
     "Finite acquisition or generation has been stopped before the requested number of samples were acquired "
     "or generated."},
    {kErrExtSampClkSrcNotSpecified, "External sample clock source must be specified for this application."},
    {kErrAttributeNotSupportedInTaskContext,
     "Specified property is not supported by the device or is not applicable to the task."},
    {kErrCannotRegisterEventWhileTaskIsRunning,
     "DAQmx software event cannot be registered because task is running.\n\nRegister all your DAQmx software "
     "events prior to starting the task."},
    {kErrCannotUnregisterEventWhileTaskIsRunning,
     "DAQmx software event cannot be unregistered because task is running.\n\nUnregister all your DAQmx "
     "software events prior to starting the task."},
    {kErrEveryNAcqIntoBufferAlreadyRegistered,
     "Every N Samples Acquired Into Buffer event is already registered for this task."},
    {kErrEveryNTransferredFromBufferAlreadyRegistered,
     "Every N Samples Transferred From Buffer event is already registered for this task."},
    {kErrEveryNTransferredFromBufferNotForInput,
     "Every N Samples Transferred From Buffer event is only supported for output tasks."},
    {kErrEveryNAcqIntoBufferNotForOutput, "Every N Samples Acquired Into Buffer event is only supported for input tasks."},
    {kErrDoneEventAlreadyRegistered, "Done event is already registered for this task."},
    {kErrSyncCallbackNotSupportedOnThisPlatform, "Synchronous event callbacks are not supported on this platform."},
    {kErrAttrCannotBeSet, "Specified property cannot be set."},
    {kErrWaitUntilDoneDoesNotIndicateDone,
     "Wait Until Done did not indicate that the task was done within the specified timeout.\n\nIncrease the "
     "timeout, check the program, and make sure connections for external timing and triggering are in "
     "place."},
    {kErrAttributeInconsistentAcrossChannelsOnDevice,
     "Property value is not the same for all the channels specified. Get the property of each channel "
     "separately."},
};

const ErrorText *find(int32_t code)
{
    auto it = std::find_if(std::begin(kErrors), std::end(kErrors),
                           [code](const ErrorText &e) { return e.code == code; });
    return it == std::end(kErrors) ? nullptr : it;
}

}  // namespace

bool error_known(int32_t code)
{
    return code == 0 || find(code) != nullptr;
}

std::string error_message(int32_t code)
{
    if (code == 0) return {};
    if (const ErrorText *e = find(code)) return e->text;
    return "Error code could not be found.\n\nReinstalling the driver might fix the issue. Otherwise, "
           "contact National Instruments technical support.";
}

int32_t copy_text(const std::string &text, char *buf, uint32_t size)
{
    if (!buf || size == 0) return static_cast<int32_t>(text.size() + 1);
    size_t n = std::min<size_t>(text.size(), size - 1);
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
    return n < text.size() ? DAQmxWarningCAPIStringTruncatedToFitBuffer : 0;
}

int32_t copy_property(const std::string &text, void *value, uint32_t size)
{
    if (!value || size == 0) return static_cast<int32_t>(text.size() + 1);
    if (size < text.size() + 1) return DAQmxErrorBufferTooSmallForString;
    std::memcpy(value, text.c_str(), text.size() + 1);
    return 0;
}

}  // namespace sim
