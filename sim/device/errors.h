// The driver's status codes and their messages, and its rule for copying a
// text into a caller's buffer.
#pragma once

#include <cstdint>
#include <string>

namespace sim {

// Codes the bench returns beyond those of NIDAQmx.h, by the driver's names.
enum : int32_t {
    kErrSamplesWillNeverBeAvailable = -200278,
    kErrReadBufferTooSmall = -200229,
    kErrOutputBufferEmpty = -200462,
    kErrCanNotPerformOpWhileTaskRunning = -200479,
    kErrReadChanTypeMismatch = -200525,
    kErrWriteChanTypeMismatch = -200526,
    kErrMinNotLessThanMax = -200082,
    kErrChanNotInTask = -200486,
    kErrAttributeInconsistentAcrossChannelsOnDevice = -200106,
    kErrPhysChanMeasType = -200431,
    kErrBuiltInCJCSrcNotSupported = -200576,
    kErrTEDSNotSupported = -200741,
    kErrWatchdogTimerNotSupported = -200662,
    kErrOperationNotSupportedOnSimulatedDevice = -201492,
    kErrFunctionNotSupportedForDevice = -209876,
    kErrNetworkDevicesNotSupportedOnThisPlatform = -201379,
    kErrAttrCannotBeSet = -200231,
    kErrCannotRegisterEventWhileTaskIsRunning = -200960,
    kErrCannotUnregisterEventWhileTaskIsRunning = -200986,
    kErrEveryNAcqIntoBufferAlreadyRegistered = -200966,
    kErrEveryNTransferredFromBufferAlreadyRegistered = -200967,
    kErrEveryNTransferredFromBufferNotForInput = -200965,
    kErrEveryNAcqIntoBufferNotForOutput = -200964,
    kErrDoneEventAlreadyRegistered = -200950,
    kErrSyncCallbackNotSupportedOnThisPlatform = -200942,
    kErrExtSampClkSrcNotSpecified = -200303,
    kErrAttributeNotSupportedInTaskContext = -200452,
    kWarnStoppedBeforeDone = 200010,
    kErrWriteBufferTooSmall = -200234,
    kErrWaitUntilDoneDoesNotIndicateDone = -200560,
};

// The message of a code; an unknown code gives a text beginning
// "Error code could not be found.". Code 0 gives "".
std::string error_message(int32_t code);
bool error_known(int32_t code);

// Copies text into buf, as the driver's string functions do: with buf NULL
// or size 0 returns the size needed (NUL included); otherwise NUL-ends it and
// returns 0, or, when it had to cut the text to size-1 characters, the
// warning DAQmxWarningCAPIStringTruncatedToFitBuffer.
int32_t copy_text(const std::string &text, char *buf, uint32_t size);

// Copies a string property into value, as NI's property getters do: with
// value NULL or size 0 returns the size needed (NUL included); a buffer too
// small is refused with -200228 and left alone (NI's own clients ask for the
// size first and take that code as "ask again").
int32_t copy_property(const std::string &text, void *value, uint32_t size);

}  // namespace sim
