// The devices the driver knows (korvane devices), and the check that the
// device korvane uses is the module the bench expects (the self-test's first
// step, korvane --version's device line).
#pragma once

#include <string>
#include <vector>

#include "vekta/vekta.h"

namespace app::cli {

class Session;

// "PXI-6251, serial 0x01A5C3F1, chassis 1 slot 2".
std::string device_text(const VektaDevice &device);

// The name of the device korvane uses ("PXI1Slot2").
std::string our_device_name();

// The devices the driver knows, in its order (at most 64; `more` how many
// beyond those); the library's status, negative when the list cannot be read.
int device_list(std::vector<VektaDevice> &devices, int &more);

// korvane devices: a row per device the driver knows, korvane's marked.
// False when the list cannot be read or korvane's device is not on it (the
// report or the hint line says why).
bool list_devices(Session &s);

// The device korvane uses and its properties; false (after the report line
// and the hint) when the driver cannot say.
bool our_device(VektaDevice &device);

// korvane --version's line: "device: PXI1Slot2 (PXI-6251, serial ..., chassis 1 slot 2)",
// or why it cannot be named. Prints nothing.
std::string device_line();

}  // namespace app::cli
