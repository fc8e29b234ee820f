// Physical channel names of the device.
#include <gtest/gtest.h>

#include "korvane/NIDAQmx.h"
#include "sim/device/channels.h"

using sim::LineRef;

namespace {

struct LineCase {
    const char *names;
    int32_t status;
    std::vector<LineRef> lines;
};

class ResolveLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(ResolveLines, Resolves)
{
    const LineCase &c = GetParam();
    std::vector<LineRef> got;
    EXPECT_EQ(sim::resolve_lines(c.names, "PXI1Slot2", got), c.status) << c.names;
    if (c.status == 0) {
        EXPECT_EQ(got, c.lines) << c.names;
    }
}

std::vector<LineRef> whole(int p)
{
    std::vector<LineRef> v;
    for (int l = 0; l < 8; ++l) v.push_back({p, l});
    return v;
}

INSTANTIATE_TEST_SUITE_P(
    Names, ResolveLines,
    ::testing::Values(LineCase{"PXI1Slot2/port0", 0, whole(0)}, LineCase{"PXI1Slot2/port2", 0, whole(2)},
                      LineCase{"PXI1Slot2/port2/line0,PXI1Slot2/port2/line1", 0, {{2, 0}, {2, 1}}},
                      LineCase{" PXI1Slot2/port1/line7 , PXI1Slot2/port1/line3", 0, {{1, 7}, {1, 3}}},
                      LineCase{"pxi1slot2/Port0/Line5", 0, {{0, 5}}},
                      LineCase{"PXI1Slot2/port0/line2:4", 0, {{0, 2}, {0, 3}, {0, 4}}},
                      LineCase{"/PXI1Slot2/port1/line0", 0, {{1, 0}}},
                      LineCase{"PXI1Slot2/port3", DAQmxErrorPhysicalChanDoesNotExist, {}},
                      LineCase{"PXI1Slot2/port0/line8", DAQmxErrorPhysicalChanDoesNotExist, {}},
                      LineCase{"PXI1Slot2/port0/line-1", DAQmxErrorPhysicalChanDoesNotExist, {}},
                      LineCase{"PXI1Slot2/ao0", DAQmxErrorPhysicalChanDoesNotExist, {}},
                      LineCase{"PXI1Slot2/port0/line1/x", DAQmxErrorPhysicalChanDoesNotExist, {}},
                      LineCase{"PXI1Slot2/port0,", DAQmxErrorPhysicalChanDoesNotExist, {}},
                      LineCase{"", DAQmxErrorPhysicalChanDoesNotExist, {}},
                      LineCase{"PXI1Slot5/port0", DAQmxErrorInvalidDeviceID, {}},
                      LineCase{"PXI1Slot2/port0/line0,Dev1/port0/line1", DAQmxErrorInvalidDeviceID, {}},
                      LineCase{"PXI1Slot22/port0", DAQmxErrorInvalidDeviceID, {}}));

TEST(ResolveAnalog, ChannelsOfTheDevice)
{
    std::vector<int> got;
    EXPECT_EQ(sim::resolve_analog("PXI1Slot2/ao1", "PXI1Slot2", 'o', got), 0);
    EXPECT_EQ(got, std::vector<int>{1});
    EXPECT_EQ(sim::resolve_analog("PXI1Slot2/ai3", "PXI1Slot2", 'i', got), 0);
    EXPECT_EQ(got, std::vector<int>{3});
    EXPECT_EQ(sim::resolve_analog("PXI1Slot2/ai0:2, PXI1Slot2/ai15", "PXI1Slot2", 'i', got), 0);
    EXPECT_EQ(got, (std::vector<int>{0, 1, 2, 15}));
    EXPECT_EQ(sim::resolve_analog("PXI1Slot2/ao2", "PXI1Slot2", 'o', got), DAQmxErrorPhysicalChanDoesNotExist);
    EXPECT_EQ(sim::resolve_analog("PXI1Slot2/ai16", "PXI1Slot2", 'i', got), DAQmxErrorPhysicalChanDoesNotExist);
    EXPECT_EQ(sim::resolve_analog("PXI1Slot2/ai0", "PXI1Slot2", 'o', got), DAQmxErrorPhysicalChanDoesNotExist);
    EXPECT_EQ(sim::resolve_analog("PXI1Slot2/port0", "PXI1Slot2", 'i', got), DAQmxErrorPhysicalChanDoesNotExist);
    EXPECT_EQ(sim::resolve_analog("PXI1Slot3/ai0", "PXI1Slot2", 'i', got), DAQmxErrorInvalidDeviceID);
    EXPECT_EQ(sim::resolve_analog("PXI1Slot3/ai0", "PXI1Slot3", 'i', got), 0);
}

}  // namespace
