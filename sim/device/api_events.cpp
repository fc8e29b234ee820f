// The bench's driver face, events: a program registers a callback for every
// N samples acquired into or transferred from a task's buffer, or for the end
// of a finite run (DAQmxRegisterEveryNSamplesEvent, DAQmxRegisterDoneEvent);
// a NULL callback unregisters. Events fall due on the bench's clock and are
// taken one at a time by the driver's thread that calls them (events.h).
// Registering and unregistering while the task runs are NI's errors.
#include <algorithm>
#include <climits>

#include "sim/device/bench.h"
#include "sim/device/call_frame.h"
#include "sim/device/errors.h"

namespace sim {

int32 Bench::RegisterEveryNSamplesEvent(TaskHandle h, int32 type, uInt32 n, uInt32 options,
                                        DAQmxEveryNSamplesEventCallbackPtr fn, void *data)
{
    Task *t = task(h);
    return call("DAQmxRegisterEveryNSamplesEvent", t ? &t->name : nullptr, Latency::kConfigure, [&]() -> int32 {
        if (!t) return DAQmxErrorInvalidTask;
        Callbacks &cb = t->events;
        if (t->state == State::Running)
            return fn ? kErrCannotRegisterEventWhileTaskIsRunning : kErrCannotUnregisterEventWhileTaskIsRunning;
        if (!fn) {
            cb.every_n_fn = nullptr;
            return 0;
        }
        // Only on a thread of the driver: the calling thread has no message loop to run them in (assumed).
        if (options & DAQmx_Val_SynchronousEventCallbacks) return kErrSyncCallbackNotSupportedOnThisPlatform;
        const bool input = t->kind == Kind::AI || t->kind == Kind::DI;
        if (type == DAQmx_Val_Acquired_Into_Buffer && !input && t->kind != Kind::None)
            return kErrEveryNAcqIntoBufferNotForOutput;
        if (type == DAQmx_Val_Transferred_From_Buffer && input) return kErrEveryNTransferredFromBufferNotForInput;
        if (type != DAQmx_Val_Acquired_Into_Buffer && type != DAQmx_Val_Transferred_From_Buffer)
            return DAQmxErrorInvalidAttributeValue;
        if (n == 0) return DAQmxErrorInvalidAttributeValue;
        if (cb.every_n_fn)
            return cb.every_n_type == DAQmx_Val_Acquired_Into_Buffer ? kErrEveryNAcqIntoBufferAlreadyRegistered
                                                                     : kErrEveryNTransferredFromBufferAlreadyRegistered;
        cb.every_n_type = type;
        cb.every_n = n;
        cb.every_n_fn = fn;
        cb.every_n_data = data;
        return 0;
    });
}

int32 Bench::RegisterDoneEvent(TaskHandle h, uInt32 options, DAQmxDoneEventCallbackPtr fn, void *data)
{
    Task *t = task(h);
    return call("DAQmxRegisterDoneEvent", t ? &t->name : nullptr, Latency::kConfigure, [&]() -> int32 {
        if (!t) return DAQmxErrorInvalidTask;
        Callbacks &cb = t->events;
        if (t->state == State::Running)
            return fn ? kErrCannotRegisterEventWhileTaskIsRunning : kErrCannotUnregisterEventWhileTaskIsRunning;
        if (!fn) {
            cb.done_fn = nullptr;
            return 0;
        }
        if (options & DAQmx_Val_SynchronousEventCallbacks) return kErrSyncCallbackNotSupportedOnThisPlatform;
        if (cb.done_fn) return kErrDoneEventAlreadyRegistered;
        cb.done_fn = fn;
        cb.done_data = data;
        return 0;
    });
}

bool Bench::has_callbacks() const
{
    for (const auto &kv : tasks_)
        if (kv.second->events.every_n_fn || kv.second->events.done_fn) return true;
    return false;
}

// Samples acquired into (AI) or taken from (AO) the buffer by time `at`, for
// a running timed task; an acquisition that overflowed takes no more.
bool Bench::take_event(Event &e, int64_t &next)
{
    next = INT64_MAX;
    const int64_t at = now();
    catch_up(at);
    for (auto &kv : tasks_) {
        Task &t = *kv.second;
        const Callbacks &cb = t.events;
        if (t.state != State::Running || !t.timed) continue;
        if (cb.every_n_fn && !t.run.armed && !t.external_clock) {
            const uint64_t boundary = (t.run.every_n_fired + 1) * cb.every_n;
            const bool finite_end = t.mode == DAQmx_Val_FiniteSamps && boundary > t.samps;
            const uint64_t have = t.kind == Kind::AI ? t.run.produced : samples_by(t, at);
            if (!finite_end && have >= boundary) {
                ++t.run.every_n_fired;
                e = Event{handle_of(t.id), cb.every_n_fn, nullptr, cb.every_n_type, cb.every_n, 0, cb.every_n_data};
                return true;
            }
            if (!finite_end) next = std::min(next, time_of_sample(t, boundary));
        }
        if (cb.done_fn && !t.run.done_fired && t.mode == DAQmx_Val_FiniteSamps) {
            const int64_t end = done_at(t);
            if (end <= at) {
                t.run.done_fired = true;
                e = Event{handle_of(t.id), nullptr, cb.done_fn, 0, 0, 0, cb.done_data};
                return true;
            }
            next = std::min(next, end);
        }
    }
    return false;
}

}  // namespace sim
