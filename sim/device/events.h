// The driver's thread that delivers a bench's events (DAQmxRegister*Event):
// it takes each event as it falls due (Bench::take_event, under the lock of
// the bench's calls) and calls the program's callback with the lock released,
// so that the callback can call the driver (read the samples, stop or clear
// its task). On a real clock it sleeps until the next event falls due; on a
// virtual clock time moves only in driver calls, and each call wakes it.
//
// A task cleared (or its callback unregistered) from another thread while its
// callback runs waits for the callback to return: after the call returns the
// callback is never called again for that task, and its data may be freed. A
// callback that clears its own task does not wait for itself.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

#include "sim/device/bench.h"

namespace sim {

class Events {
public:
    // `lock` is the lock every driver call of `bench` holds.
    Events(Bench &bench, std::mutex &lock) : bench_(bench), lock_(lock) {}
    ~Events();
    Events(const Events &) = delete;
    Events &operator=(const Events &) = delete;

    // After each driver call, with the lock held: starts the thread at the
    // first callback registered, and wakes it to look for events due.
    void after_call();
    // Before a call that ends a task's callbacks, with the lock held in `held`:
    // waits until no callback of the task runs on another thread.
    void before_end(std::unique_lock<std::mutex> &held, TaskHandle task);
    // Events delivered so far (for tests).
    long delivered() const { return delivered_; }

private:
    void run();

    Bench &bench_;
    std::mutex &lock_;
    std::condition_variable wake_;  // a driver call happened, or the thread is to stop
    std::condition_variable idle_;  // a callback returned
    std::thread thread_;
    bool stop_ = false;
    bool poked_ = false;
    TaskHandle running_ = nullptr;  // the task whose callback runs
    int waiting_ = 0;               // calls waiting for that callback to return
    long delivered_ = 0;
};

}  // namespace sim
