// The events' driver thread against a bench of its own, each call under the
// bench's lock as the shared library makes them: callbacks that call the
// driver, and tasks cleared while their callback runs, from the main thread or
// from the callback itself. A callback's data is freed as soon as ClearTask
// returns: a callback called after that is a use after free (AddressSanitizer).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "sim/device/bench.h"
#include "sim/device/events.h"

namespace {

struct Driver {
    std::shared_ptr<sim::VirtualClock> clock = std::make_shared<sim::VirtualClock>();
    sim::Bench bench{clock};
    std::mutex lock;
    sim::Events events{bench, lock};

    // A call as the library makes it: locked, a clear waiting for its task's callback, the thread woken after.
    template <class Call>
    int32 call(Call c, TaskHandle ending = nullptr)
    {
        std::unique_lock<std::mutex> held(lock);
        if (ending) events.before_end(held, ending);
        const int32 status = c();
        events.after_call();
        return status;
    }
};

struct Round {
    Driver *driver;
    TaskHandle task;
    bool clear_itself;
    std::atomic<int> calls{0};
    std::atomic<bool> inside{false};
    std::mutex m;
    std::condition_variable entered;
};

int32 on_samples(TaskHandle h, int32, uInt32 n, void *data)
{
    auto *r = static_cast<Round *>(data);
    r->inside = true;
    ++r->calls;
    {
        std::lock_guard<std::mutex> g(r->m);
        r->entered.notify_all();
    }
    std::vector<float64> got(n);
    int32 nread = 0;
    Driver &d = *r->driver;
    // Long enough that the main thread's clear comes while it runs.
    for (int i = 0; i < 200; ++i)
        d.call([&] { return d.bench.ReadAnalogF64(h, static_cast<int32>(n), 0.0, 0, got.data(), n, &nread, nullptr); });
    r->inside = false;
    if (r->clear_itself) {
        EXPECT_EQ(d.call([&] { return d.bench.ClearTask(h); }, h), 0);
    }
    return 0;
}

TEST(Events, TasksClearedWhileTheirCallbackRunsNeverCallBackAgain)
{
    Driver d;
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        auto r = std::make_unique<Round>();
        r->driver = &d;
        r->clear_itself = round % 3 == 2;
        TaskHandle h = nullptr;
        ASSERT_EQ(d.call([&] { return d.bench.CreateTask("", &h); }), 0);
        r->task = h;
        ASSERT_EQ(d.call([&] {
            return d.bench.CreateAIVoltageChan(h, "PXI1Slot2/ai5", "", DAQmx_Val_RSE, -10, 10, DAQmx_Val_Volts, "");
        }), 0);
        ASSERT_EQ(d.call([&] { return d.bench.CfgSampClkTiming(h, "", 10000, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 1000); }), 0);
        ASSERT_EQ(d.call([&] {
            return d.bench.RegisterEveryNSamplesEvent(h, DAQmx_Val_Acquired_Into_Buffer, 10, 0, on_samples, r.get());
        }), 0);
        ASSERT_EQ(d.call([&] { return d.bench.StartTask(h); }), 0);
        d.clock->sleep_ns(5'000'000);  // 50 samples: five events due
        bool32 done = 0;
        d.call([&] { return d.bench.IsTaskDone(h, &done); });
        {
            std::unique_lock<std::mutex> g(r->m);
            ASSERT_TRUE(r->entered.wait_for(g, std::chrono::seconds(30), [&] { return r->calls > 0; }));
        }
        if (!r->clear_itself) {
            EXPECT_EQ(d.call([&] { return d.bench.ClearTask(h); }, h), 0);
            EXPECT_FALSE(r->inside);
        } else {
            // The callback clears its task: wait until the bench has no task left.
            for (int i = 0; i < 100000 && d.call([&] { return d.bench.live_tasks(); }) != 0; ++i)
                std::this_thread::yield();
            EXPECT_EQ(d.call([&] { return d.bench.live_tasks(); }), 0);
            std::unique_lock<std::mutex> held(d.lock);
            d.events.before_end(held, h);  // its last callback has returned
        }
        r.reset();  // the callback's data freed: any later call of it would read freed memory
        d.clock->sleep_ns(50'000'000);
        d.call([&] { return d.bench.live_tasks(); });
    }
    EXPECT_GE(d.events.delivered(), 200);
}

}  // namespace
