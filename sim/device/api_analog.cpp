// The bench's driver face, analog writes and reads: single values on demand,
// and a timed task's buffer, over the engine (engine.cpp) and the analog
// wiring (wiring.cpp).
#include <cmath>
#include <utility>
#include <vector>

#include "sim/device/bench.h"
#include "sim/device/call_frame.h"
#include "sim/device/errors.h"

namespace sim {

// ---- analog writes and reads -----------------------------------------------------------------

int32 Bench::WriteAnalogF64(TaskHandle h, int32 n, bool32 autoStart, float64 /*timeout*/, bool32 layout,
                            const float64 data[], int32 *written, bool32 */*reserved*/)
{
    Task *t = task(h);
    return call(
        "DAQmxWriteAnalogF64", t ? &t->name : nullptr, t && t->timed ? Latency::kBuffered : Latency::kAnalog,
        [&]() -> int32 {
            if (int32 st = check_write(t, Kind::AO, n, data, layout)) return st;
            const size_t nch = t->chans.size();
            const size_t ns = static_cast<size_t>(n);
            // Samples in scan order, each checked against its channel's range.
            std::vector<double> scans(ns * nch);
            for (size_t i = 0; i < ns; ++i) {
                for (size_t c = 0; c < nch; ++c) {
                    const double v = data[slot_of(layout, c, i, nch, ns)];
                    if (!(v >= t->chans[c].min && v <= t->chans[c].max)) return DAQmxErrorInvalidAODataWrite;
                    scans[i * nch + c] = std::round(v / t->chans[c].lsb) * t->chans[c].lsb;
                }
            }
            if (n == 0) {
                if (written) *written = 0;
                return 0;
            }
            if (!t->timed) {
                for (const Chan &c : t->chans)
                    if (ao_gen_[c.index] && ao_gen_[c.index] != t) return DAQmxErrorResourceAlreadyReserved;
                if (int32 st = started_for(*t, [&] {
                        for (size_t c = 0; c < nch; ++c) ao_value_[t->chans[c].index] = scans[(ns - 1) * nch + c];
                    }))
                    return st;
            } else if (t->state == State::Running) {
                // New data for a running generation: it regenerates the new buffer from now on.
                t->wave = std::move(scans);
                t->wave_len = ns;
                if (!t->run.armed) t->run.t_first = now();
            } else {
                std::vector<double> old = std::move(t->wave);
                const uint64_t old_len = t->wave_len;
                t->wave = std::move(scans);
                t->wave_len = ns;
                if (autoStart) {
                    if (int32 st = start(*t, false)) {
                        t->wave = std::move(old);
                        t->wave_len = old_len;
                        return st;
                    }
                }
            }
            if (written) *written = n;
            return 0;
        });
}

int32 Bench::read_on_demand(Task &t, int32 n, bool32 fill, float64 *arr, uInt32 size, int32 *done)
{
    const int32 count = n == -1 ? 1 : n;
    const size_t nch = t.chans.size();
    if (static_cast<uint64_t>(count) * nch > size) return kErrReadBufferTooSmall;
    if (int32 st = started_for(t, [&] {
            const int64_t at = now();
            for (int32 i = 0; i < count; ++i)
                for (size_t c = 0; c < nch; ++c)
                    arr[slot_of(fill, c, static_cast<size_t>(i), nch, static_cast<size_t>(count))] =
                        quantise(t.chans[c], ai_volts(t.chans[c].index, at));
        }))
        return st;
    *done = count;
    return 0;
}

int32 Bench::ReadAnalogF64(TaskHandle h, int32 n, float64 timeout, bool32 fill, float64 data[], uInt32 size,
                           int32 *nread, bool32 */*reserved*/)
{
    Task *t = task(h);
    int32 got = 0;
    return call(
        "DAQmxReadAnalogF64", t ? &t->name : nullptr, t && t->timed ? Latency::kBuffered : Latency::kAnalog,
        [&]() -> int32 {
            if (!t) return DAQmxErrorInvalidTask;
            if (t->chans.empty()) return DAQmxErrorCanNotPerformOpWhenNoChansInTask;
            if (t->kind != Kind::AI) return kErrReadChanTypeMismatch;
            if (n < -1 || !data || (fill != 0 && fill != 1)) return DAQmxErrorInvalidAttributeValue;
            int32 st = t->timed ? read_timed(*t, n, timeout, fill, data, size, &got)
                                : read_on_demand(*t, n, fill, data, size, &got);
            if (nread) *nread = got;
            return st;
        });
}

}  // namespace sim
