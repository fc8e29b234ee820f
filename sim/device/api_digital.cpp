// The bench's driver face, digital reads and writes on the lines (bench.cpp),
// the task started for the call when it does not run. Three forms of a
// channel's sample: a byte (U8: bit n is the channel's lines of line number
// n), a word (U32: bit 8*k+n is line n of the channel's k-th port, counted
// from its first) and one byte per line (Lines: 0 or 1, the channel's lines
// in order, as many bytes for each channel as the task's widest channel has
// lines).
#include <algorithm>

#include "sim/device/bench.h"
#include "sim/device/call_frame.h"
#include "sim/device/errors.h"

namespace sim {

namespace {

// The channel's first port, where its U32 sample's bit 0 is.
int first_port(const Bench::Chan &c)
{
    int first = kPorts;
    for (const LineRef &l : c.lines) first = std::min(first, l.port);
    return first;
}

// Where a line's bit sits in a U32 sample of a channel whose first port is `first`.
int word_bit(const LineRef &r, int first)
{
    return (r.port - first) * kLinesPerPort + r.line;
}

// A channel's U32 sample of the lines' levels (bit n of `levels`: line index n).
uInt32 chan_word(const Bench::Chan &c, uint32_t levels)
{
    const int first = first_port(c);
    uInt32 word = 0;
    for (const LineRef &r : c.lines)
        if ((levels >> r.index()) & 1) word |= 1u << word_bit(r, first);
    return word;
}

// Line k (the k-th of channel c, which is r) in a sample of the given form.
bool level_in(Bench::Form form, const void *data, size_t slot, size_t width, const Bench::Chan &c, size_t k,
              const LineRef &r)
{
    switch (form) {
    case Bench::Form::U8: return (static_cast<const uInt8 *>(data)[slot] >> r.line) & 1;
    case Bench::Form::U32: return (static_cast<const uInt32 *>(data)[slot] >> word_bit(r, first_port(c))) & 1;
    default: return static_cast<const uInt8 *>(data)[slot * width + k] != 0;
    }
}

}  // namespace

// ---- digital reads and writes ----------------------------------------------------------------

int32 Bench::write_digital(const char *fn, TaskHandle h, int32 n, bool32 layout, const void *data, Form form,
                           int32 *written)
{
    Task *t = task(h);
    return call(fn, t ? &t->name : nullptr, Latency::kDigital, [&]() -> int32 {
        if (int32 st = check_write(t, Kind::DO, n, data, layout)) return st;
        const size_t nch = t->chans.size(), width = form == Form::Lines ? lines_per_chan(*t) : 1;
        if (int32 st = started_for(*t, [&] {
                for (int32 i = 0; i < n; ++i) {
                    uint32_t mask = 0, levels = 0;
                    for (size_t c = 0; c < nch; ++c) {
                        const size_t slot = slot_of(layout, c, static_cast<size_t>(i), nch, static_cast<size_t>(n));
                        const Chan &ch = t->chans[c];
                        for (size_t k = 0; k < ch.lines.size(); ++k) {
                            const LineRef &r = ch.lines[k];
                            mask |= 1u << r.index();
                            if (level_in(form, data, slot, width, ch, k, r)) levels |= 1u << r.index();
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

int32 Bench::read_digital(const char *fn, TaskHandle h, int32 n, bool32 fill, void *data, uInt32 size, Form form,
                          int32 *nread, int32 *bytes_per_sample)
{
    Task *t = task(h);
    return call(fn, t ? &t->name : nullptr, Latency::kDigital, [&]() -> int32 {
        if (!t) return DAQmxErrorInvalidTask;
        if (t->chans.empty()) return DAQmxErrorCanNotPerformOpWhenNoChansInTask;
        if (t->kind != Kind::DI && t->kind != Kind::DO) return kErrReadChanTypeMismatch;
        const int32 count = n == -1 ? 1 : n;
        if (count < 0 || !data || (fill != 0 && fill != 1)) return DAQmxErrorInvalidAttributeValue;
        const size_t nch = t->chans.size(), width = form == Form::Lines ? lines_per_chan(*t) : 1;
        if (static_cast<uint64_t>(count) * nch * width > size) return kErrReadBufferTooSmall;
        if (int32 st = started_for(*t, [&] {
                settle();  // a board with a clock of its own may have changed its drive since
                for (size_t c = 0; c < nch; ++c) note_undriven_read(t->chans[c]);
                for (int32 i = 0; i < count; ++i)
                    for (size_t c = 0; c < nch; ++c) {
                        const Chan &ch = t->chans[c];
                        const size_t slot = slot_of(fill, c, static_cast<size_t>(i), nch, static_cast<size_t>(count));
                        if (form == Form::U8) {
                            static_cast<uInt8 *>(data)[slot] = chan_byte(ch);
                            continue;
                        }
                        if (form == Form::U32) {
                            static_cast<uInt32 *>(data)[slot] = chan_word(ch, levels_);
                            continue;
                        }
                        for (size_t k = 0; k < width; ++k)
                            static_cast<uInt8 *>(data)[slot * width + k] =
                                k < ch.lines.size() && ((levels_ >> ch.lines[k].index()) & 1);
                    }
            }))
            return st;
        if (nread) *nread = count;
        if (bytes_per_sample) *bytes_per_sample = static_cast<int32>(width);
        return 0;
    });
}

int32 Bench::WriteDigitalU8(TaskHandle h, int32 n, bool32 /*autoStart*/, float64 /*timeout*/, bool32 layout,
                            const uInt8 data[], int32 *written, bool32 * /*reserved*/)
{
    return write_digital("DAQmxWriteDigitalU8", h, n, layout, data, Form::U8, written);
}

int32 Bench::WriteDigitalU32(TaskHandle h, int32 n, bool32 /*autoStart*/, float64 /*timeout*/, bool32 layout,
                             const uInt32 data[], int32 *written, bool32 * /*reserved*/)
{
    return write_digital("DAQmxWriteDigitalU32", h, n, layout, data, Form::U32, written);
}

int32 Bench::WriteDigitalLines(TaskHandle h, int32 n, bool32 /*autoStart*/, float64 /*timeout*/, bool32 layout,
                               const uInt8 data[], int32 *written, bool32 * /*reserved*/)
{
    return write_digital("DAQmxWriteDigitalLines", h, n, layout, data, Form::Lines, written);
}

int32 Bench::ReadDigitalU8(TaskHandle h, int32 n, float64 /*timeout*/, bool32 fill, uInt8 data[], uInt32 size,
                           int32 *nread, bool32 * /*reserved*/)
{
    return read_digital("DAQmxReadDigitalU8", h, n, fill, data, size, Form::U8, nread, nullptr);
}

int32 Bench::ReadDigitalU32(TaskHandle h, int32 n, float64 /*timeout*/, bool32 fill, uInt32 data[], uInt32 size,
                            int32 *nread, bool32 * /*reserved*/)
{
    return read_digital("DAQmxReadDigitalU32", h, n, fill, data, size, Form::U32, nread, nullptr);
}

int32 Bench::ReadDigitalLines(TaskHandle h, int32 n, float64 /*timeout*/, bool32 fill, uInt8 data[],
                              uInt32 size, int32 *nread, int32 *bytes_per_sample, bool32 * /*reserved*/)
{
    return read_digital("DAQmxReadDigitalLines", h, n, fill, data, size, Form::Lines, nread, bytes_per_sample);
}

}  // namespace sim
