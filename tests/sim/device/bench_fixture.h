// A bench of its own on virtual time, for the in-process tests of the core.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "sim/device/bench.h"

class BenchTest : public ::testing::Test {
protected:
    BenchTest() : clock(std::make_shared<sim::VirtualClock>()), bench(clock) {}

    TaskHandle task(const char *name)
    {
        TaskHandle h = nullptr;
        EXPECT_EQ(bench.CreateTask(name, &h), 0) << name;
        return h;
    }
    TaskHandle do_task(const char *name, const char *lines)
    {
        TaskHandle h = task(name);
        EXPECT_EQ(bench.CreateDOChan(h, lines, "w", DAQmx_Val_ChanForAllLines), 0) << lines;
        return h;
    }
    TaskHandle di_task(const char *name, const char *lines)
    {
        TaskHandle h = task(name);
        EXPECT_EQ(bench.CreateDIChan(h, lines, "r", DAQmx_Val_ChanForAllLines), 0) << lines;
        return h;
    }
    TaskHandle ao_task(const char *name, const char *chan)
    {
        TaskHandle h = task(name);
        EXPECT_EQ(bench.CreateAOVoltageChan(h, chan, "", -10, 10, DAQmx_Val_Volts, ""), 0) << chan;
        return h;
    }
    TaskHandle ai_task(const char *name, const char *chan)
    {
        TaskHandle h = task(name);
        EXPECT_EQ(bench.CreateAIVoltageChan(h, chan, "", DAQmx_Val_RSE, -10, 10, DAQmx_Val_Volts, ""), 0) << chan;
        return h;
    }
    int32 write(TaskHandle h, uInt8 v) { return bench.WriteDigitalU8(h, 1, 1, 10.0, 0, &v, nullptr, nullptr); }
    uInt8 read(TaskHandle h, int32 *status = nullptr)
    {
        uInt8 v = 0xEE;
        int32 st = bench.ReadDigitalU8(h, 1, 10.0, 0, &v, 1, nullptr, nullptr);
        if (status)
            *status = st;
        else
            EXPECT_EQ(st, 0);
        return v;
    }
    int32 ao(TaskHandle h, double v) { return bench.WriteAnalogF64(h, 1, 1, 1.0, 0, &v, nullptr, nullptr); }
    double ai(TaskHandle h)
    {
        double v = NAN;
        EXPECT_EQ(bench.ReadAnalogF64(h, 1, 1.0, 0, &v, 1, nullptr, nullptr), 0);
        return v;
    }
    unsigned port(int p) const { return (bench.line_levels() >> (8 * p)) & 0xFF; }
    std::shared_ptr<sim::VirtualClock> clock;
    sim::Bench bench;
};
