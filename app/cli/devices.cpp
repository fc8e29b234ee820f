#include "app/cli/devices.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <vector>

#include "app/cli/bus_commands.h"
#include "driver/daqmx_import.h"
#include "vekta/vekta_report.h"

namespace app::cli {

namespace {

// The most devices listed; a PXI system with more is not this bench.
constexpr int kDevicesMax = 64;

std::string serial_text(unsigned serial)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", serial);
    return buf;
}

std::string our_name() { return our_device_name(); }

}  // namespace

std::string our_device_name()
{
    char name[VEKTA_DEVICE_TEXT_SIZE];
    vekta_ni6251Device(name, sizeof name);
    return name;
}

int device_list(std::vector<VektaDevice> &devices, int &more)
{
    devices.assign(kDevicesMax, VektaDevice{});
    int count = 0;
    const int status = vekta_deviceList(devices.data(), kDevicesMax, &count);
    more = 0;
    if (status < 0) {
        devices.clear();
        return status;
    }
    devices.resize(static_cast<size_t>(std::clamp(count, 0, kDevicesMax)));
    more = std::max(0, count - kDevicesMax);
    return status;
}

std::string device_text(const VektaDevice &d)
{
    std::string s = std::string(d.productType[0] ? d.productType : "type unknown") + ", serial " + serial_text(d.serialNum);
    if (d.chassis >= 0) s += ", chassis " + std::to_string(d.chassis) + " slot " + std::to_string(d.slot);
    return s;
}

bool list_devices(Session &s)
{
    // The slot selection touches no hardware; it names the device as Open does.
    vekta_report(vekta_ni6251Slot(kDaqSlot));
    const std::string ours = our_name();
    std::vector<VektaDevice> devices;
    int more = 0;
    const int status = device_list(devices, more);
    if (status < 0) {
        vekta_report(status);
        return false;
    }
    size_t wide = std::string("device").size(), type_wide = std::string("product type").size();
    for (const VektaDevice &d : devices) {
        wide = std::max(wide, std::string(d.name).size());
        type_wide = std::max(type_wide, std::string(d.productType).size());
    }
    auto row = [&](const std::string &name, const std::string &type, const std::string &serial,
                   const std::string &chassis, const std::string &slot, const std::string &note) {
        char line[1024];
        std::snprintf(line, sizeof line, "%-*s  %-*s  %-10s  %-7s  %-4s  %s", static_cast<int>(wide), name.c_str(),
                      static_cast<int>(type_wide), type.c_str(), serial.c_str(), chassis.c_str(), slot.c_str(),
                      note.c_str());
        std::string text = line;
        text.erase(text.find_last_not_of(' ') + 1);
        s.out << text << "\n";
    };
    row("device", "product type", "serial", "chassis", "slot", "");
    // A lab's log of the list keeps that the device was the bench's, standing in for NI-DAQmx.
    const std::string uses = driver::info().stand_in
                                 ? "korvane uses this one: the simulated bench's (NI-DAQmx is not installed)"
                                 : "korvane uses this one";
    bool found = false;
    for (const VektaDevice &d : devices) {
        const bool is_ours = strcasecmp(d.name, ours.c_str()) == 0;
        found = found || is_ours;
        row(d.name, d.productType, serial_text(d.serialNum), d.chassis < 0 ? "-" : std::to_string(d.chassis),
            d.slot < 0 ? "-" : std::to_string(d.slot), is_ours ? uses : "");
    }
    if (more > 0) s.out << "(and " << more << " more)\n";
    s.out << std::flush;
    if (!found) {
        char hint[VEKTA_ERROR_TEXT_SIZE];
        if (vekta_deviceHint(hint, sizeof hint)) s.err << "korvane: " << hint << "\n";
    }
    return found;
}

bool our_device(VektaDevice &device)
{
    vekta_report(vekta_ni6251Slot(kDaqSlot));
    const int status = vekta_deviceGet(our_name().c_str(), &device);
    vekta_report(status);  // with the hint when the device is not there
    return status >= 0;
}

std::string device_line()
{
    const std::string name = our_name();
    if (!driver::info().loaded) return "device: " + name + " (no driver to ask)";
    VektaDevice d;
    const int status = vekta_deviceGet(name.c_str(), &d);
    if (status >= 0) return "device: " + name + " (" + device_text(d) + ")";
    char hint[VEKTA_ERROR_TEXT_SIZE];
    if (vekta_deviceMissing(status) && vekta_deviceHint(hint, sizeof hint)) return std::string("device: ") + hint;
    std::string why = vekta_GetLastErrorBuffer();
    why = why.substr(0, why.find('\n'));
    return "device: " + name + " (Error = " + std::to_string(status) + ", " + why + ")";
}

}  // namespace app::cli
