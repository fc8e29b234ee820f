// Shared set-up of the vekta and avalon tests: the simulated bench on its
// virtual clock, trace capture on, the library's records as at program load,
// and the run-time's error output captured line by line.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "driver/daqmx_import.h"
#include "sim/device/ksim_client.h"
#include "base/error_output.h"
#include "vekta/vekta.h"
#include "vekta/vekta_testing.h"

class BenchTest : public ::testing::Test {
protected:
    const sim::BackDoor *b = nullptr;
    std::vector<std::string> errors;  // lines of the error output
    int sink = -1;

    void SetUp() override
    {
        driver::select("sim");
        b = sim::bench();
        ASSERT_NE(b, nullptr) << driver::info().description();
        b->use_virtual_clock();
        b->set_slot(2);
        b->reset();
        b->trace_capture(1);
        b->trace_clear();
        vekta_resetState();
        sink = base::add_error_sink([this](const std::string &line) { errors.push_back(line); });
    }

    void TearDown() override
    {
        if (sink >= 0) base::remove_error_sink(sink);
        if (b) {
            b->fault_clear();
            b->trace_capture(0);
        }
    }

    // The device calls since the last take, one line each (the error string
    // queries and other trace lines, such as the bench's bus contention notes,
    // left out); clears the trace.
    std::vector<std::string> calls()
    {
        std::vector<std::string> out;
        std::istringstream in(b->trace());
        for (std::string line; std::getline(in, line);)
            if (line.rfind("DAQmx", 0) == 0 && line.rfind("DAQmxGetErrorString", 0) != 0) out.push_back(line);
        b->trace_clear();
        return out;
    }

    // Only the function names of the driver calls since the last take.
    std::vector<std::string> callNames()
    {
        std::vector<std::string> out;
        for (const std::string &line : calls()) out.push_back(line.substr(0, line.find('(')));
        return out;
    }

    std::string driverMessage(int code)
    {
        char text[VEKTA_ERROR_TEXT_SIZE] = {};
        DAQmxGetErrorString(code, text, sizeof text);
        return text;
    }

    double probe(const char *name)
    {
        double v = -12345.0;
        EXPECT_EQ(b->probe(name, &v), 0) << name;
        return v;
    }

    unsigned reg(int slave, int address)
    {
        unsigned w = 0xDEAD;
        EXPECT_EQ(b->probe_reg(slave, address, &w), 0);
        return w;
    }
};

using Lines = std::vector<std::string>;

// The port cache's invariants, per port: entries in use form a prefix, no
// mask twice, mask 0 only a read task, 255 only a write task, others both,
// empty entries no task, and no handle in two entries. With allowLost, an
// entry may lack a task its mask calls for (the driver answered "invalid
// task" for it and the port builds it again at its next use), never hold one
// it does not call for.
inline ::testing::AssertionResult invariantsHold(const VektaCache *c, bool allowLost = false)
{
    std::vector<TaskHandle> seen;
    for (int p = 0; p < PORT_SIZE; p++) {
        bool emptySeen = false;
        for (int k = 0; k < PORT_CONFIGS; k++) {
            const PortConfig &e = c->port[p][k];
            auto fail = [&](const char *what) {
                return ::testing::AssertionFailure()
                       << "port " << p << " entry " << k << " mask " << e.mask << ": " << what;
            };
            if (e.mask == -1) {
                emptySeen = true;
                if (e.writeTask || e.readTask) return fail("empty entry holds a task");
                continue;
            }
            if (emptySeen) return fail("entries in use do not form a prefix");
            if (e.mask < 0 || e.mask > 255) return fail("mask out of range");
            for (int j = 0; j < k; j++)
                if (c->port[p][j].mask == e.mask) return fail("mask held twice");
            const bool lostWrite = allowLost && e.writeTask == nullptr;
            const bool lostRead = allowLost && e.readTask == nullptr;
            if (!lostWrite && (e.writeTask != nullptr) != (e.mask != 0)) return fail("write task does not fit the mask");
            if (!lostRead && (e.readTask != nullptr) != (e.mask != 255)) return fail("read task does not fit the mask");
            for (TaskHandle t : {e.writeTask, e.readTask}) {
                if (!t) continue;
                for (TaskHandle s : seen)
                    if (s == t) return fail("handle owned twice");
                seen.push_back(t);
            }
        }
    }
    return ::testing::AssertionSuccess();
}

#define expectInvariants(c) EXPECT_TRUE(invariantsHold(c))
