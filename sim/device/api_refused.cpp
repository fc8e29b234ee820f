// The bench's driver face, the entry points it does not model
// (DAQMX_UNMODELLED_ENTRY_POINTS): each answers, through the call's frame, the
// error a PXI-6251 gives for what the device lacks, and NI's error for an
// operation a simulated device does not perform for what the device has but
// the bench does not model.
#include <cstring>

#include "sim/device/bench.h"
#include "sim/device/call_frame.h"
#include "sim/device/errors.h"

namespace sim {

namespace {

// The first rule whose part is in the function's name gives its status.
struct Refusal {
    const char *part;
    int32 status;
};

constexpr Refusal kRefusals[] = {
    // Sensors with TEDS: the 6251's channels have no TEDS interface.
    {"TEDS", kErrTEDSNotSupported},
    // Watchdog timers are a feature of industrial digital I/O devices.
    {"Watchdog", kErrWatchdogTimerNotSupported},
    {"NetworkDevice", kErrNetworkDevicesNotSupportedOnThisPlatform},
    // CompactDAQ chassis synchronisation.
    {"CDAQSync", kErrFunctionNotSupportedForDevice},
    // Every analog measurement but voltage (and thermocouples, modelled apart)
    // needs excitation, a shunt, IEPE or a bridge: the 6251 has none; its
    // outputs are voltage outputs without a function generator.
    {"DAQmxCreateAI", kErrPhysChanMeasType},
    {"DAQmxCreateAO", kErrPhysChanMeasType},
};

}  // namespace

int32 Bench::refuse(const char *fn)
{
    int32 status = kErrOperationNotSupportedOnSimulatedDevice;
    for (const Refusal &r : kRefusals) {
        if (std::strstr(fn, r.part)) {
            status = r.status;
            break;
        }
    }
    return call(fn, nullptr, Latency::kRefused, [&] { return status; });
}

}  // namespace sim
