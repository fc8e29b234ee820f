// Time of the simulated bench: a clock that tells the time and lets time pass.
#pragma once

#include <cstdint>
#include <memory>

namespace sim {

class Clock {
public:
    virtual ~Clock() = default;
    virtual int64_t now_ns() = 0;
    // Lets ns pass: sleeps on a real clock, advances a virtual one.
    virtual void sleep_ns(int64_t ns) = 0;
    virtual bool is_virtual() const = 0;
};

// The machine's steady clock, counted from the clock's creation. A driver
// call of a few microseconds cannot be slept precisely (timer slack, and a
// busy machine deschedules a spinning thread for far longer), so the bench's
// time runs ahead of the real clock by the short waits not slept yet; they are
// slept once that lead reaches a millisecond. A poll thus sees its calls' time
// pass at once, and a run of calls takes its realistic time on average. The
// lead never outlives an idle spell: the bench's time is never behind the
// real clock.
class SteadyClock final : public Clock {
public:
    SteadyClock();
    int64_t now_ns() override;
    void sleep_ns(int64_t ns) override;
    bool is_virtual() const override { return false; }

private:
    int64_t origin_;
    int64_t real_ = 0;   // the real clock at the last reading
    int64_t bench_ = 0;  // the bench's time: at or ahead of the real clock
};

// Virtual time: starts at 0 and moves only when asked to.
class VirtualClock final : public Clock {
public:
    int64_t now_ns() override { return now_; }
    void sleep_ns(int64_t ns) override
    {
        if (ns > 0) now_ += ns;
    }
    bool is_virtual() const override { return true; }

private:
    int64_t now_ = 0;
};

// Somebody else's clock (korvane's run-time in script mode), reached through callbacks.
class ExternalClock final : public Clock {
public:
    ExternalClock(void *ctx, int64_t (*now)(void *), void (*sleep)(void *, int64_t))
        : ctx_(ctx), now_(now), sleep_(sleep)
    {
    }
    int64_t now_ns() override { return now_(ctx_); }
    void sleep_ns(int64_t ns) override
    {
        if (ns > 0 && sleep_) sleep_(ctx_, ns);
    }
    bool is_virtual() const override { return true; }

private:
    void *ctx_;
    int64_t (*now_)(void *);
    void (*sleep_)(void *, int64_t);
};

}  // namespace sim
