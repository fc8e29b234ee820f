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
    kErrGenNoDataInBuffer = -200462,
    kErrTaskRunning = -200479,
    kErrReadChanTypeMismatch = -200525,
    kErrWriteChanTypeMismatch = -200526,
    kErrMinNotLessThanMax = -200082,
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

}  // namespace sim
