// The bench's driver face, what NI's own clients call beyond korvane's own
// calls (DAQMX_CLIENT_ENTRY_POINTS): waiting for a task, whether it is done,
// the client's runtime environment, thermocouple channels.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "sim/device/bench.h"
#include "sim/device/call_frame.h"
#include "sim/device/errors.h"

namespace sim {

// When the task's finite run has all its samples: now for a task not running
// or one on demand (it has no end of its own: assumed, NI documents the wait
// for timed runs), never (INT64_MAX) while a continuous run goes on or a run
// waits for its trigger or for an external clock.
int64_t Bench::done_at(const Task &t)
{
    if (t.state != State::Running || !t.timed) return now();
    if (t.mode != DAQmx_Val_FiniteSamps || t.run.armed || t.external_clock) return INT64_MAX;
    return time_of_sample(t, t.samps);
}

int32 Bench::WaitUntilTaskDone(TaskHandle h, float64 timeToWait)
{
    Task *t = task(h);
    return call("DAQmxWaitUntilTaskDone", t ? &t->name : nullptr, Latency::kConfigure, [&]() -> int32 {
        if (!t) return DAQmxErrorInvalidTask;
        int64_t at = now();
        int64_t horizon = Limits::kInfiniteWaitNs;
        if (timeToWait >= 0 && timeToWait * 1e9 < static_cast<double>(Limits::kInfiniteWaitNs))
            horizon = static_cast<int64_t>(timeToWait * 1e9);
        const int64_t deadline = at + horizon;
        // Nothing else happens while the call waits: the trigger can be looked for ahead.
        if (t->state == State::Running && t->run.armed) scan_trigger(*t, deadline);
        const int64_t end = done_at(*t);
        const int64_t wake = std::min(end, deadline);
        for (int guard = 0; guard < 1000 && at < wake; ++guard) {
            clock_->sleep_ns(wake - at);
            at = call_now_ = clock_->now_ns();
        }
        catch_up(at);
        return end <= deadline ? 0 : kErrWaitUntilDoneDoesNotIndicateDone;
    });
}

int32 Bench::IsTaskDone(TaskHandle h, bool32 *isTaskDone)
{
    Task *t = task(h);
    return call("DAQmxIsTaskDone", t ? &t->name : nullptr, Latency::kProperty, [&]() -> int32 {
        if (!t) return DAQmxErrorInvalidTask;
        if (!isTaskDone) return DAQmxErrorInvalidAttributeValue;
        *isTaskDone = done_at(*t) <= now();
        return 0;
    });
}

// NI's clients tell the driver who calls it; the bench has no use for it.
int32 Bench::SetRuntimeEnvironment(const char *, const char *, const char *, const char *)
{
    return call("DAQmxSetRuntimeEnvironment", nullptr, Latency::kProperty, [] { return 0; });
}

// The 6251 measures thermocouples as voltages, with a cold-junction value
// given or read from a channel; it has no built-in CJC sensor. The bench does
// not convert thermocouple voltages (yet): NI's answer for what a simulated
// device does not perform.
int32 Bench::CreateAIThrmcplChan(TaskHandle h, const char *, const char *, float64, float64, int32, int32,
                                 int32 cjcSource, float64, const char *)
{
    Task *t = task(h);
    return call("DAQmxCreateAIThrmcplChan", t ? &t->name : nullptr, Latency::kCreateChan, [&]() -> int32 {
        if (!t) return DAQmxErrorInvalidTask;
        if (cjcSource == DAQmx_Val_BuiltIn) return kErrBuiltInCJCSrcNotSupported;
        return kErrOperationNotSupportedOnSimulatedDevice;
    });
}

// Raw samples as the device gives them: an analog input's 16-bit codes of its
// range, interleaved by scan. Assumed: code = volts / resolution (the bench's
// converter has no calibration to undo). Other kinds of task: not modelled.
int32 Bench::ReadRaw(TaskHandle h, int32 n, float64 timeout, void *data, uInt32 bytes, int32 *nread,
                     int32 *bytes_per_sample, bool32 *)
{
    Task *t = task(h);
    int32 got = 0;
    return call("DAQmxReadRaw", t ? &t->name : nullptr, t && t->timed ? Latency::kBuffered : Latency::kAnalog,
                [&]() -> int32 {
                    if (!t) return DAQmxErrorInvalidTask;
                    if (t->chans.empty()) return DAQmxErrorCanNotPerformOpWhenNoChansInTask;
                    if (t->kind != Kind::AI) return kErrOperationNotSupportedOnSimulatedDevice;
                    if (n < -1 || !data) return DAQmxErrorInvalidAttributeValue;
                    const uInt32 size = bytes / sizeof(int16);
                    std::vector<float64> volts(size);
                    const bool32 by_scan = DAQmx_Val_GroupByScanNumber;
                    int32 st = t->timed ? read_timed(*t, n, timeout, by_scan, volts.data(), size, &got)
                                        : read_on_demand(*t, n, by_scan, volts.data(), size, &got);
                    const size_t nch = t->chans.size();
                    for (size_t i = 0; i < static_cast<size_t>(got) * nch; ++i) {
                        const auto code = static_cast<int16>(std::clamp(std::lround(volts[i] / t->chans[i % nch].lsb), -32768L, 32767L));
                        std::memcpy(static_cast<char *>(data) + i * sizeof code, &code, sizeof code);
                    }
                    if (nread) *nread = got;
                    if (bytes_per_sample) *bytes_per_sample = sizeof(int16);
                    return st;
                });
}

}  // namespace sim
