/*
 * vekta: the devices the driver knows. `korvane devices`, the self-test's
 * check of the module and the hint after a report of a missing device ask
 * their questions here, so that only the library calls the driver.
 */
#include <string.h>
#include <strings.h>

#include <string>
#include <vector>

#include "korvane/NIDAQmx.h"
#include "base/korvane_base.h"
#include "vekta/vekta.h"
#include "vekta/vekta_core.h"
#include "vekta/vekta_devices.h"

/* A driver status into the last error state, as the library's completion rule does. */
/* A failed query keeps the driver's message as every other call does. */
static int deviceFail(int status)
{
    return failExit(status);
}

static void copyText(char *field, const std::string &text)
{
    FmtN(field, VEKTA_DEVICE_TEXT_SIZE, "%s", text.c_str());
}

/* A string property, asked for its size first; a driver whose answer grew in
 * between (too small: -200228, or the truncation warning 200026) is asked again. */
template <class Get>
static int stringProperty(Get get, std::string &out)
{
    for (int tries = 0; tries < 4; tries++) {
        int size = get(nullptr, 0u);
        if (size < 0)
            return size;
        if (size <= 1) {
            out.clear();
            return 0;
        }
        std::vector<char> buf(static_cast<size_t>(size) + 1, '\0');
        int status = get(buf.data(), static_cast<uInt32>(size));
        if (status == DAQmxErrorBufferTooSmallForString || status == DAQmxWarningCAPIStringTruncatedToFitBuffer)
            continue;
        if (status < 0)
            return status;
        out = buf.data();
        return 0;
    }
    return DAQmxErrorBufferTooSmallForString;
}

int vekta_ni6251Device(char *name, int size)
{
    if (!name || size <= 0)
        return -1;
    FmtN(name, static_cast<size_t>(size), "PXI1Slot%i", vekta_cacheView()->slot);
    return 0;
}

int vekta_deviceGet(const char *name, VektaDevice *device)
{
    if (!name || !device)
        return -1;
    memset(device, 0, sizeof *device);
    copyText(device->name, name);
    std::string type;
    int status = stringProperty(
        [&](char *data, uInt32 size) { return DAQmxGetDevProductType(name, data, size); }, type);
    if (status < 0)
        return deviceFail(status);
    copyText(device->productType, type);
    uInt32 serial = 0, chassis = 0, slot = 0;
    status = DAQmxGetDevSerialNum(name, &serial);
    if (status < 0)
        return deviceFail(status);
    device->serialNum = serial;
    /* A module outside a PXI chassis has no chassis or slot: not a failure. */
    device->chassis = DAQmxGetDevPXIChassisNum(name, &chassis) < 0 ? -1 : static_cast<int>(chassis);
    device->slot = DAQmxGetDevPXISlotNum(name, &slot) < 0 ? -1 : static_cast<int>(slot);
    vekta_SetLastError(0);
    return 0;
}

/* The driver's list "Dev1, PXI1Slot2" as names. */
static int deviceNames(std::vector<std::string> &names)
{
    std::string list;
    int status = stringProperty([](char *data, uInt32 size) { return DAQmxGetSysDevNames(data, size); }, list);
    if (status < 0)
        return status;
    names.clear();
    size_t from = 0;
    while (from <= list.size()) {
        size_t to = list.find(',', from);
        if (to == std::string::npos)
            to = list.size();
        size_t b = list.find_first_not_of(" \t", from), e = list.find_last_not_of(" \t", to - 1);
        if (b != std::string::npos && b < to && e != std::string::npos && e >= b)
            names.push_back(list.substr(b, e - b + 1));
        from = to + 1;
    }
    return 0;
}

int vekta_deviceList(VektaDevice *list, int size, int *count)
{
    if (!count || size < 0 || (size > 0 && !list))
        return -1;
    std::vector<std::string> names;
    int status = deviceNames(names);
    if (status < 0)
        return deviceFail(status);
    *count = static_cast<int>(names.size());
    for (int i = 0; i < size && i < *count; i++) {
        status = vekta_deviceGet(names[static_cast<size_t>(i)].c_str(), &list[i]);
        if (status < 0)
            return status;
    }
    vekta_SetLastError(0);
    return 0;
}

int vekta_deviceMissing(int status)
{
    switch (status) {
    case DAQmxErrorInvalidDeviceID:
    case DAQmxErrorInvalidDeviceIDInList:
    case DAQmxErrorDevAbsentOrUnavailable:
    case DAQmxErrorDevCannotBeAccessed:
    case DAQmxErrorDeviceRemoved:
    case DAQmxErrorDevAbsentOrUnavailable_Routing:
    case DAQmxErrorDriverDeviceGUIDNotFound_Routing:
        return 1;
    default:
        return 0;
    }
}

/* Whether the hint has been given since the last slot selection. */
static int hintGiven = 0;

void deviceHintRearm(void)
{
    hintGiven = 0;
}

/* "Dev1 (PXI-6251, chassis 1 slot 2)". */
static std::string shortText(const VektaDevice &d)
{
    std::string s = std::string(d.name) + " (" + (d.productType[0] ? d.productType : "type unknown");
    if (d.chassis >= 0)
        s += ", chassis " + std::to_string(d.chassis) + " slot " + std::to_string(d.slot);
    return s + ")";
}

static std::string hintText(const std::string &looked)
{
    std::vector<std::string> names;
    int status = deviceNames(names);
    if (status < 0)
        return "no device " + looked + ", and the driver's list of devices cannot be read (Error = " +
               std::to_string(status) + ")";
    if (names.empty())
        return "no device " + looked + "; the driver has none: check in NI MAX that the " VEKTA_PRODUCT_TYPE
               " is there and its chassis is on";
    std::vector<VektaDevice> devices(names.size());
    std::string listed, matching;
    int matches = 0;
    for (size_t i = 0; i < names.size(); i++) {
        VektaDevice &d = devices[i];
        if (vekta_deviceGet(names[i].c_str(), &d) < 0) {
            memset(&d, 0, sizeof d);
            copyText(d.name, names[i]);
            d.chassis = -1;
        }
        if (strcasecmp(d.name, looked.c_str()) == 0)
            return "device " + shortText(d) + " is in the driver's list but does not answer: check that its " +
                   "chassis is on and the module seated";
        if (strcasecmp(d.productType, VEKTA_PRODUCT_TYPE) == 0) {
            matches++;
            matching = d.name;
        }
        if (i < 8)
            listed += (i ? ", " : "") + shortText(d);
        else if (i == 8)
            listed += ", ...";
    }
    std::string advice;
    if (matches == 0)
        advice = "none is a " VEKTA_PRODUCT_TYPE;
    else if (matches > 1)
        advice = "rename the one to use " + looked + " in NI MAX";
    else if (names.size() == 1)
        advice = "rename it " + looked + " in NI MAX";
    else
        advice = "rename " + matching + " " + looked + " in NI MAX";
    return "no device " + looked + "; the driver has: " + listed + ": " + advice;
}

int vekta_deviceHint(char *text, int size)
{
    if (!text || size <= 0 || hintGiven)
        return 0;
    hintGiven = 1;
    /* The queries' own failures must not change what the caller reports. */
    const int code = vekta_GetLastError();
    char saved[VEKTA_ERROR_TEXT_SIZE];
    memcpy(saved, vekta_GetLastErrorBuffer(), sizeof saved);
    char looked[VEKTA_DEVICE_TEXT_SIZE];
    vekta_ni6251Device(looked, sizeof looked);
    const std::string hint = hintText(looked);
    vekta_SetLastError(code);
    memcpy(vekta_GetLastErrorBuffer(), saved, sizeof saved);
    FmtN(text, static_cast<size_t>(size), "%s", hint.c_str());
    return 1;
}
