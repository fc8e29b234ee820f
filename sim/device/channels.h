// Physical channel names of the bench's device, e.g. "PXI1Slot2/port0",
// "PXI1Slot2/port2/line0,PXI1Slot2/port2/line1", "PXI1Slot2/ao0", "PXI1Slot2/ai3".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

constexpr int kPorts = 3;
constexpr int kLinesPerPort = 8;
constexpr int kAoChannels = 2;
constexpr int kAiChannels = 16;  // the 6251's single-ended inputs; the bench wires ai0..ai7

struct LineRef {
    int port = 0;
    int line = 0;
    int index() const { return port * kLinesPerPort + line; }
    bool operator==(const LineRef &) const = default;
};

// Resolves a comma separated list of digital lines or whole ports (spaces
// around items tolerated, "lineA:B" ranges accepted) on device `device`.
// Returns 0, -200220 for another device, or -200170 for a channel the device
// does not have.
int32_t resolve_lines(const std::string &names, const std::string &device, std::vector<LineRef> &out);

// Resolves analog channels: kind 'o' (ao0, ao1) or 'i' (ai0..ai15), comma
// lists and "aiA:B" ranges accepted. Same statuses as resolve_lines.
int32_t resolve_analog(const std::string &names, const std::string &device, char kind, std::vector<int> &out);

// A list of channel names as the driver writes it: runs of names that differ
// only in a rising trailing number compacted ("Dev1/port0/line0:3"), items
// separated by ", ".
std::string compact_names(const std::vector<std::string> &names);
// The names of a list as the driver reads it: items separated by commas,
// spaces around them dropped, a trailing "A:B" range spelled out.
std::vector<std::string> expand_names(const std::string &list);

// The device name of a PXI slot: "PXI1Slot<slot>".
std::string device_name(int slot);

}  // namespace sim
