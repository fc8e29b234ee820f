#include "sim/device/events.h"

#include <chrono>
#include <climits>

namespace sim {

Events::~Events()
{
    {
        std::lock_guard<std::mutex> held(lock_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void Events::after_call()
{
    if (!thread_.joinable()) {
        if (!bench_.has_callbacks()) return;
        thread_ = std::thread([this] { run(); });
    }
    poked_ = true;
    wake_.notify_one();
}

void Events::before_end(std::unique_lock<std::mutex> &held, TaskHandle task)
{
    if (std::this_thread::get_id() == thread_.get_id() || running_ != task || !task) return;  // none, or itself
    // The thread delivers nothing more until this call is over: events keep
    // falling due while callbacks run, and the lock is not fair.
    ++waiting_;
    idle_.wait(held, [&] { return running_ != task; });
    --waiting_;
}

void Events::run()
{
    std::unique_lock<std::mutex> held(lock_);
    while (!stop_) {
        Bench::Event e;
        int64_t next = INT64_MAX;
        poked_ = false;
        if (bench_.take_event(e, next)) {
            running_ = e.task;
            held.unlock();
            if (e.every_n_fn)
                e.every_n_fn(e.task, e.type, e.n, e.data);
            else
                e.done_fn(e.task, e.status, e.data);
            held.lock();
            running_ = nullptr;
            ++delivered_;
            idle_.notify_all();
            wake_.wait(held, [&] { return stop_ || waiting_ == 0; });
            continue;
        }
        // Nothing due: wait for the next call, or on a real clock for the next event at the latest.
        if (next == INT64_MAX || bench_.clock_is_virtual()) {
            wake_.wait(held, [&] { return stop_ || poked_; });
        } else {
            const int64_t wait = next - bench_.now_ns();
            wake_.wait_for(held, std::chrono::nanoseconds(wait > 0 ? wait : 0), [&] { return stop_ || poked_; });
        }
    }
}

}  // namespace sim
