// The frame of every driver call of the bench (Bench::call: the fault check,
// the status, the last error, the call's time) and of a read or write that
// starts its task for the call (Bench::started_for), and of a task's property
// by ID (Bench::task_getter, for its setters too). For the files of the
// driver face only (api_*.cpp), which instantiate them.
#pragma once

#include <cstring>
#include <string>

#include "sim/device/bench.h"

namespace sim {

// ---- the call frame --------------------------------------------------------------------------

template <class Body>
int32 Bench::call(const char *fn, const std::string *task_name, int64_t latency, Body body)
{
    ++calls_;
    notes_.clear();
    call_began_ = call_now_ = clock_->now_ns();
    implicit_ns_ = 0;
    in_call_ = true;
    catch_up(call_began_);
    int32 status;
    const auto code = faults_.check(fn, task_name);
    const bool refused = code.has_value();
    if (refused) {
        status = *code;  // refused: nothing else happens
        latency = Latency::kRefused;
    } else {
        status = body();
    }
    Task *named = nullptr;
    if (status < 0) {
        for (const auto &kv : tasks_)
            if (task_name && kv.second->name == *task_name) named = kv.second.get();
        remember_error(status, task_name, named ? !named->chans.empty() : false);
    }
    // On the driver "invalid task" means the handle no longer names a task: an
    // injected one ends the task, as if it had been cleared elsewhere.
    if (refused && status == DAQmxErrorInvalidTask && named && std::strcmp(fn, "DAQmxCreateTask") != 0) {
        stop(*named);
        tasks_.erase(named->id);
    }
    in_call_ = false;
    clock_->sleep_ns(latency + implicit_ns_);
    return status;
}


// A read or write on a task not running starts it for the call and stops it
// again after, back in the state it had; those transitions take their own time.
template <class Body>
int32 Bench::started_for(Task &t, Body body)
{
    const State before = t.state;
    const bool was_running = before == State::Running;
    if (int32 st = start(t, !was_running)) return st;
    body();
    if (!was_running) {
        unwind(t, before);
        implicit_ns_ += Latency::kImplicitStartStop;
    }
    return 0;
}

// ---- the frame of a task's property -----------------------------------------------------------

// A getter or setter of a task's properties by ID: the task found, the ID's
// pair of entry points checked (daqmx_attributes.h), then `answer(task)`.
template <class Answer>
int32 Bench::task_getter(const char *fn, TaskHandle h, driver::attributes::Getter getter, int32 attribute,
                         Answer answer)
{
    Task *t = task(h);
    return call(fn, t ? &t->name : nullptr, Latency::kProperty, [&]() -> int32 {
        if (!t) return DAQmxErrorInvalidTask;
        if (driver::attributes::find(attribute).getter != getter) return DAQmxErrorSpecifiedAttrNotValid;
        return answer(*t);
    });
}

// ---- a property's answer ----------------------------------------------------------------------

// 0 when the getter (or setter) called serves the property, else the driver's -200233.
inline int32 served_by(int32 attribute, driver::attributes::Getter getter)
{
    return driver::attributes::find(attribute).getter == getter ? 0 : DAQmxErrorSpecifiedAttrNotValid;
}

// A property's value into the caller's buffer.
template <class T>
int32 put_value(T v, void *value)
{
    if (!value) return DAQmxErrorInvalidAttributeValue;
    std::memcpy(value, &v, sizeof v);
    return 0;
}

}  // namespace sim
