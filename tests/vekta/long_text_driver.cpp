// A stand-in driver whose task creation fails with a message longer than the
// library's 1023-byte text, in the two ways a driver answers a buffer too
// small for a message: code kRefuses refuses the buffer ("buffer too small
// for string", nothing written), code kCuts cuts the text and warns.
#include <cstring>
#include <string>

#include "korvane/NIDAQmx.h"
#include "tests/vekta/long_text_driver.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT int32 DAQmxCreateTask(const char name[], TaskHandle *h)
{
    if (h) *h = nullptr;
    return name && std::strcmp(name, "analog0o") == 0 ? long_text::kRefuses : long_text::kCuts;
}

EXPORT int32 DAQmxGetDevProductType(const char[], char[], uInt32) { return long_text::kRefuses; }

EXPORT int32 DAQmxGetErrorString(int32 code, char buf[], uInt32 size)
{
    const std::string text = long_text::message(code);
    if (!buf || size == 0) return static_cast<int32>(text.size() + 1);
    if (size <= text.size()) {
        if (code == long_text::kRefuses) return DAQmxErrorBufferTooSmallForString;
        std::memcpy(buf, text.data(), size - 1);
        buf[size - 1] = '\0';
        return DAQmxWarningCAPIStringTruncatedToFitBuffer;
    }
    std::memcpy(buf, text.c_str(), text.size() + 1);
    return 0;
}
