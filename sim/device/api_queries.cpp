// The bench's driver face, the calls without a task: the error texts and the
// system's and the device's properties.
#include <cstring>
#include <string>

#include "sim/device/bench.h"
#include "sim/device/call_frame.h"
#include "sim/device/errors.h"
#include "base/korvane_strings.h"

namespace sim {

// ---- error texts -----------------------------------------------------------------------------

int32 Bench::GetErrorString(int32 errorCode, char errorString[], uInt32 bufferSize)
{
    return call(
        "DAQmxGetErrorString", nullptr, Latency::kErrorText,
        [&] { return copy_text(error_message(errorCode), errorString, bufferSize); });
}

int32 Bench::GetExtendedErrorInfo(char errorString[], uInt32 bufferSize)
{
    return call(
        "DAQmxGetExtendedErrorInfo", nullptr, Latency::kErrorText,
        [&]() -> int32 {
            std::string text;
            if (last_error_ != 0) {
                text = error_message(last_error_) + "\n";
                if (last_error_device_) text += "Device: " + device_ + "\n";
                if (!last_error_task_.empty()) text += "\nTask Name: " + last_error_task_ + "\n";
                text += "\nStatus Code: " + std::to_string(last_error_);
            }
            return copy_text(text, errorString, bufferSize);
        });
}

// ---- system and device properties --------------------------------------------------------

namespace {

using base::text::iequals;

}  // namespace

// Device names are the driver's identifiers: any case.
bool Bench::is_device(const char *name) const
{
    return name && iequals(name, device_);
}

// The named getters answer as the getters by ID (api_properties.cpp).
int32 Bench::GetSysDevNames(char *data, uInt32 bufferSize)
{
    return call("DAQmxGetSysDevNames", nullptr, Latency::kProperty,
                [&] { return copy_property(device_, data, bufferSize); });
}

int32 Bench::GetDevProductType(const char device[], char *data, uInt32 bufferSize)
{
    return call("DAQmxGetDevProductType", nullptr, Latency::kProperty, [&]() -> int32 {
        if (!is_device(device)) return DAQmxErrorInvalidDeviceID;
        return device_property(DAQmx_Dev_ProductType, data, bufferSize);
    });
}

int32 Bench::GetDevSerialNum(const char device[], uInt32 *data)
{
    return call("DAQmxGetDevSerialNum", nullptr, Latency::kProperty, [&]() -> int32 {
        if (!is_device(device)) return DAQmxErrorInvalidDeviceID;
        return device_property(DAQmx_Dev_SerialNum, data, 0);
    });
}

int32 Bench::GetDevPXIChassisNum(const char device[], uInt32 *data)
{
    return call("DAQmxGetDevPXIChassisNum", nullptr, Latency::kProperty, [&]() -> int32 {
        if (!is_device(device)) return DAQmxErrorInvalidDeviceID;
        return device_property(DAQmx_Dev_PXI_ChassisNum, data, 0);
    });
}

int32 Bench::GetDevPXISlotNum(const char device[], uInt32 *data)
{
    return call("DAQmxGetDevPXISlotNum", nullptr, Latency::kProperty, [&]() -> int32 {
        if (!is_device(device)) return DAQmxErrorInvalidDeviceID;
        return device_property(DAQmx_Dev_PXI_SlotNum, data, 0);
    });
}

}  // namespace sim
