// The bench's driver face, digital reads and writes: a byte per channel and
// sample, on the lines (bench.cpp), the task started for the call when it
// does not run.
#include "sim/device/bench.h"
#include "sim/device/call_frame.h"
#include "sim/device/errors.h"

namespace sim {

// ---- digital reads and writes ----------------------------------------------------------------

int32 Bench::WriteDigitalU8(TaskHandle h, int32 n, bool32 /*autoStart*/, float64 /*timeout*/, bool32 layout,
                            const uInt8 data[], int32 *written, bool32 */*reserved*/)
{
    Task *t = task(h);
    return call(
        "DAQmxWriteDigitalU8", t ? &t->name : nullptr, Latency::kDigital,
        [&]() -> int32 {
            if (int32 st = check_write(t, Kind::DO, n, data, layout)) return st;
            const size_t nch = t->chans.size();
            if (int32 st = started_for(*t, [&] {
                    for (int32 i = 0; i < n; ++i) {
                        uint32_t mask = 0, levels = 0;
                        for (size_t c = 0; c < nch; ++c) {
                            const uint8_t b = data[slot_of(layout, c, static_cast<size_t>(i), nch, static_cast<size_t>(n))];
                            for (const LineRef &r : t->chans[c].lines) {
                                mask |= 1u << r.index();
                                if ((b >> r.line) & 1) levels |= 1u << r.index();
                            }
                        }
                        lines_drive(mask, levels);
                        settle();
                    }
                }))
                return st;
            if (written) *written = n;
            return 0;
        });
}

int32 Bench::ReadDigitalU8(TaskHandle h, int32 n, float64 /*timeout*/, bool32 fill, uInt8 data[], uInt32 size,
                           int32 *nread, bool32 */*reserved*/)
{
    Task *t = task(h);
    return call(
        "DAQmxReadDigitalU8", t ? &t->name : nullptr, Latency::kDigital,
        [&]() -> int32 {
            if (!t) return DAQmxErrorInvalidTask;
            if (t->chans.empty()) return DAQmxErrorNoChansSpecdForTask;
            if (t->kind != Kind::DI && t->kind != Kind::DO) return kErrReadChanTypeMismatch;
            const int32 count = n == -1 ? 1 : n;
            if (count < 0 || !data || (fill != 0 && fill != 1)) return DAQmxErrorInvalidAttributeValue;
            const size_t nch = t->chans.size();
            if (static_cast<uint64_t>(count) * nch > size) return kErrReadBufferTooSmall;
            if (int32 st = started_for(*t, [&] {
                    settle();  // a board with a clock of its own may have changed its drive since
                    for (size_t c = 0; c < nch; ++c) note_undriven_read(t->chans[c]);
                    for (int32 i = 0; i < count; ++i)
                        for (size_t c = 0; c < nch; ++c)
                            data[slot_of(fill, c, static_cast<size_t>(i), nch, static_cast<size_t>(count))] =
                                chan_byte(t->chans[c]);
                }))
                return st;
            if (nread) *nread = count;
            return 0;
        });
}

}  // namespace sim
