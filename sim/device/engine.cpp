// The timed acquisition and generation engine: the sample clock, the analog
// start trigger, the input buffer, and the timed read that waits for samples.
#include <algorithm>
#include <climits>
#include <cmath>

#include "sim/device/bench.h"
#include "sim/device/errors.h"

namespace sim {

namespace {

// The default input buffer of a continuous acquisition, by rate, as the driver sizes it.
uint64_t default_buffer(double rate)
{
    if (rate <= 100) return 1'000;
    if (rate <= 10'000) return 10'000;
    if (rate <= 1'000'000) return 100'000;
    return 1'000'000;
}

}  // namespace

uint64_t Bench::samples_by(const Task &t, int64_t time) const
{
    if (t.run.armed || t.external_clock || time <= t.run.t_first) return 0;
    auto k = static_cast<uint64_t>(static_cast<double>(time - t.run.t_first) * t.rate * 1e-9);
    while (time_of_sample(t, k + 1) <= time) ++k;
    while (k > 0 && time_of_sample(t, k) > time) --k;
    if (t.mode == DAQmx_Val_FiniteSamps) k = std::min(k, t.samps);
    return k;
}

int64_t Bench::time_of_sample(const Task &t, uint64_t count) const
{
    // Far beyond any wait (a slow clock, a large count): saturate instead of overflowing.
    const double ns = std::ceil(static_cast<double>(count) * 1e9 / t.rate);
    if (ns >= 4e18) return INT64_MAX / 2;
    return t.run.t_first + static_cast<int64_t>(ns);
}

bool Bench::scan_trigger(Task &t, int64_t until)
{
    Run &r = t.run;
    if (!r.armed) return true;
    if (until <= r.scan_t) return false;
    const std::string &src = t.trig.source;
    const bool rising = t.trig.slope != DAQmx_Val_FallingSlope;
    const double level = t.trig.level;
    // Looks at the source at `at`: a crossing since the last look starts the run there.
    auto fires = [&](int64_t at) {
        const double cur = trigger_value(src, at);
        const double prev = r.prev;
        r.prev = cur;
        if (!(rising ? (prev < level && cur >= level) : (prev > level && cur <= level))) return false;
        r.armed = false;
        r.t_first = at;
        return true;
    };
    double step = 1e9 / t.rate;
    if (!source_varies(src)) {
        // Constant from here on: only a change since the last look can cross.
        const int64_t at = r.scan_t + static_cast<int64_t>(std::ceil(step));
        if (at > until) return false;
        if (fires(at)) return true;
        r.scan_t = until;
        return false;
    }
    // Very long looks get a coarser grid, so that a wait never scans without end.
    const double points = static_cast<double>(until - r.scan_t) / step;
    if (points > 2e7) step *= points / 2e7;
    double ts = static_cast<double>(r.scan_t);
    for (;;) {
        ts += step;
        if (ts > static_cast<double>(until)) break;
        const auto at = static_cast<int64_t>(ts);
        if (fires(at)) return true;
        r.scan_t = at;
    }
    return false;
}

void Bench::acquire_until(Task &t, int64_t until)
{
    Run &r = t.run;
    if (r.overflow) return;
    if (r.armed && !scan_trigger(t, until)) return;
    const uint64_t target = samples_by(t, until);
    const size_t nch = t.chans.size();
    while (r.produced < target) {
        if (r.produced - r.consumed >= r.cap) {
            r.overflow = true;
            break;
        }
        const int64_t ts = time_of_sample(t, r.produced + 1);
        double *slot = &r.ring[(r.produced % r.cap) * nch];
        for (size_t c = 0; c < nch; ++c) slot[c] = quantise(t.chans[c], ai_volts(t.chans[c].index, ts));
        ++r.produced;
    }
}

void Bench::catch_up(int64_t now)
{
    if (ao_timed_ && ao_timed_->run.armed) scan_trigger(*ao_timed_, now);
    if (ai_owner_ && ai_owner_->timed) acquire_until(*ai_owner_, now);
}

int32 Bench::read_timed(Task &t, int32 n, float64 timeout, bool32 fill, float64 *arr, uInt32 size, int32 *done)
{
    const size_t nch = t.chans.size();
    if (t.state != State::Running) {
        // A new acquisition: a request it can never satisfy is refused before it starts.
        const uint64_t first = n != -1 ? static_cast<uint64_t>(n) : t.mode == DAQmx_Val_FiniteSamps ? t.samps : 0;
        if (first * nch > size) return kErrReadBufferTooSmall;
        if (t.mode == DAQmx_Val_FiniteSamps && first > t.samps) return kErrSamplesWillNeverBeAvailable;
        if (int32 st = start(t, true)) return st;
        // A continuous acquisition started by a read goes on after it.
        if (t.mode == DAQmx_Val_ContSamps) t.implicit = false;
    }
    Run &r = t.run;
    int64_t at = now();
    acquire_until(t, at);
    if (r.overflow) return DAQmxErrorSamplesNoLongerAvailable;
    uint64_t want;
    if (n == -1)
        want = t.mode == DAQmx_Val_ContSamps ? r.produced - r.consumed : t.samps - r.consumed;
    else
        want = static_cast<uint64_t>(n);
    if (want * nch > size) return kErrReadBufferTooSmall;
    if (t.mode == DAQmx_Val_FiniteSamps && r.consumed + want > t.samps) return kErrSamplesWillNeverBeAvailable;
    const uint64_t need = r.consumed + want;

    int64_t horizon = Limits::kInfiniteWaitNs;
    if (timeout >= 0 && timeout * 1e9 < static_cast<double>(Limits::kInfiniteWaitNs))
        horizon = static_cast<int64_t>(timeout * 1e9);
    const int64_t deadline = at + horizon;
    // Nothing changes while the call waits: triggers can be looked for ahead of time.
    // The output's look-ahead is taken back below if the read ends before the deadline.
    Task *ao = ao_timed_ && ao_timed_->run.armed ? ao_timed_ : nullptr;
    const Run ao_before = ao ? ao->run : Run{};
    if (ao) scan_trigger(*ao, deadline);
    if (r.armed) scan_trigger(t, deadline);
    const bool clocked = !r.armed && !t.external_clock;
    const int64_t ready = clocked ? time_of_sample(t, need) : INT64_MAX;
    const bool in_time = ready <= deadline;
    const int64_t wake = in_time ? ready : deadline;
    for (int guard = 0; guard < 1000 && at < wake; ++guard) {
        clock_->sleep_ns(wake - at);
        at = call_now_ = clock_->now_ns();
    }
    const int64_t end = std::max(at, wake);
    acquire_until(t, end);
    // What comes after this call may still change the output's trigger source.
    if (ao && (ao->run.armed ? ao->run.scan_t > end : ao->run.t_first > end)) {
        ao->run = ao_before;
        scan_trigger(*ao, end);
    }
    if (r.overflow) return DAQmxErrorSamplesNoLongerAvailable;

    const uint64_t k = std::min<uint64_t>(want, r.produced - r.consumed);
    for (uint64_t i = 0; i < k; ++i) {
        const double *slot = &r.ring[((r.consumed + i) % r.cap) * nch];
        for (size_t c = 0; c < nch; ++c) arr[slot_of(fill, c, i, nch, want)] = slot[c];
    }
    r.consumed += k;
    *done = static_cast<int32>(k);
    if (k < want) return timeout < 0 ? DAQmxErrorOperationTimedOut : DAQmxErrorSamplesNotYetAvailable;
    if (t.implicit && t.mode == DAQmx_Val_FiniteSamps && r.consumed == t.samps) unwind(t, t.resume);
    return 0;
}

// ---- starting and stopping a run ---------------------------------------------------------------

void Bench::arm(Task &t, int64_t at)
{
    Run &r = t.run;
    r.t_first = at;
    r.scan_t = at;
    r.armed = t.trig.on;
    if (r.armed) r.prev = trigger_value(t.trig.source, at);
}

int32 Bench::begin_acquisition(Task &t, int64_t at)
{
    if (int32 st = check_rate(t, t.rate)) return st;
    Run &r = t.run;
    r = Run{};
    const uint64_t cap = t.mode == DAQmx_Val_FiniteSamps ? t.samps : std::max(t.samps, default_buffer(t.rate));
    if (cap * t.chans.size() > Limits::kMaxBuffer) return DAQmxErrorInvalidAttributeValue;  // more than the bench holds
    r.cap = cap;
    r.ring.assign(r.cap * t.chans.size(), 0.0);
    arm(t, at);
    return 0;
}

int32 Bench::begin_generation(Task &t, int64_t at)
{
    if (ao_timed_ && ao_timed_ != &t) return DAQmxErrorPALResourceReserved;
    if (int32 st = check_rate(t, t.rate)) return st;
    if (t.wave_len == 0) return kErrOutputBufferEmpty;
    t.run = Run{};
    arm(t, at);
    ao_timed_ = &t;
    for (const Chan &c : t.chans) ao_gen_[c.index] = &t;
    return 0;
}

void Bench::end_run(Task &t, int64_t at)
{
    if (ai_owner_ == &t) {
        ai_owner_ = nullptr;
        t.run.ring.clear();
        t.run.ring.shrink_to_fit();
    }
    if (ao_timed_ == &t) ao_timed_ = nullptr;
    if (trig_owner_ == &t) trig_owner_ = nullptr;
    for (int ch = 0; ch < kAoChannels; ++ch) {
        if (ao_gen_[ch] == &t) {
            ao_value_[ch] = ao_volts(ch, at);  // the output holds its last sample
            ao_gen_[ch] = nullptr;
        }
    }
}

}  // namespace sim
