// vekta: last error state, check reports and digital ports on the simulated bench.
#include <algorithm>
#include <functional>

#include "tests/vekta/vekta_bench_fixture.h"

namespace {

const std::string kPortRange = "\xcf\xee\xf0\xf2\x20\xe2\xed\xe5\x20\xe4\xe8\xe0\xef\xe0\xe7\xee\xed\xe0";
const std::string kRange = "\xe2\xed\xe5\x20\xe4\xe8\xe0\xef\xe0\xe7\xee\xed\xe0";
const std::string kRangeStop = "\xe2\xed\xe5\x20\xe4\xe8\xef\xe0\xe7\xee\xed\xe0";

std::string report(int line, const std::string &cond, const std::string &msg = "")
{
    std::string s = "ASSERT ERORR: vekta, line " + std::to_string(line) + ": " + cond;
    if (!msg.empty()) s += ": " + msg;
    return s;
}

// "PXI1Slot<slot>/port<port>/line<n>,..." for the lines whose mask bit is bit.
std::string lines(int slot, int port, int mask, int bit)
{
    std::string s;
    for (int n = 0; n < 8; n++) {
        if (((mask >> n) & 1) != bit) continue;
        if (!s.empty()) s += ",";
        s += "PXI1Slot" + std::to_string(slot) + "/port" + std::to_string(port) + "/line" + std::to_string(n);
    }
    return s;
}

std::string createTask(const std::string &name, int st = 0)
{
    return "DAQmxCreateTask(\"" + name + "\", &) = " + std::to_string(st);
}

std::string hex(int byte)
{
    char buf[8];
    snprintf(buf, sizeof buf, "0x%02x", byte & 0xFF);
    return buf;
}

std::string writeU8(const std::string &task, int byte, int st = 0)
{
    return "DAQmxWriteDigitalU8(" + task + ", 1, 1, 10, 0, {" + hex(byte) + "}, NULL, NULL) = " + std::to_string(st);
}

std::string readU8(const std::string &task, int byte, int st = 0)
{
    return "DAQmxReadDigitalU8(" + task + ", 1, 10, 0, {" + hex(byte) + "}, 1, NULL, NULL) = " + std::to_string(st);
}

std::string call(const std::string &fn, const std::string &task, int st = 0)
{
    return fn + "(" + task + ") = " + std::to_string(st);
}

}  // namespace

// ---------------------------------------------------------------- error state

using VektaErrorState = BenchTest;

TEST_F(VektaErrorState, StartsEmptyAndPrintsTheReportLine)
{
    EXPECT_EQ(vekta_GetLastError(), 0);
    const char *text = vekta_GetLastErrorBuffer();
    for (int i = 0; i < VEKTA_ERROR_TEXT_SIZE; i++) ASSERT_EQ(text[i], 0) << i;
    EXPECT_EQ(vekta_PrintLastError(), 0);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].substr(0, errors[0].find_last_not_of('\n') + 1), "Error = 0, ");
}

TEST_F(VektaErrorState, SetKeepsTheTextAndReturnsTheOldCode)
{
    b->fault("DAQmxCreateTask", "", DAQmxErrorDuplicateTask, 1, 0);
    EXPECT_EQ(vekta_portMask(0, 255), DAQmxErrorDuplicateTask);
    const std::string msg = driverMessage(DAQmxErrorDuplicateTask);
    EXPECT_EQ(vekta_GetLastErrorBuffer(), msg);
    EXPECT_EQ(vekta_SetLastError(5), DAQmxErrorDuplicateTask);
    EXPECT_EQ(vekta_GetLastError(), 5);
    EXPECT_EQ(vekta_GetLastErrorBuffer(), msg);
    EXPECT_EQ(vekta_PrintLastError(), 5);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("Error = 5, Task name specified conflicts", 0), 0u) << errors[0];

    // A success after the failure: code 0, the failure's text stays.
    EXPECT_EQ(vekta_portMask(0, 255), 0);
    EXPECT_EQ(vekta_GetLastError(), 0);
    EXPECT_EQ(vekta_GetLastErrorBuffer(), msg);
    // A failed check replaces it.
    EXPECT_EQ(vekta_portOut(3, 1), -1);
    EXPECT_EQ(vekta_GetLastErrorBuffer(), report(292, "0 <= port && port < PORT_SIZE", kPortRange));
}

TEST_F(VektaErrorState, DriverThatCannotBeLoadedGivesTheLoaderMessage)
{
    driver::select("/nonexistent/libnidaqmx-none.so");
    EXPECT_EQ(vekta_portMask(0, 0x0F), DAQmxErrorCVIFailedToLoadDAQmxDLL);
    EXPECT_EQ(vekta_GetLastError(), DAQmxErrorCVIFailedToLoadDAQmxDLL);
    EXPECT_EQ(std::string(vekta_GetLastErrorBuffer()),
              "Unable to load NI-DAQmx dynamic link library NICAIU.DLL.\n\n"
              "Ensure that NI-DAQmx is installed on your machine.\n");
    expectInvariants(vekta_cacheView());
    EXPECT_EQ(vekta_cacheView()->port[0][0].mask, -1);
    double v = 0;
    EXPECT_EQ(vekta_analogIn(0, &v), DAQmxErrorCVIFailedToLoadDAQmxDLL);
    EXPECT_EQ(vekta_cacheView()->ai[0], nullptr);  // the next call tries again

    driver::select("sim");
    b = sim::bench();
    ASSERT_NE(b, nullptr);
    b->use_virtual_clock();
    b->reset();
    EXPECT_EQ(vekta_portMask(0, 0x0F), 0);
    EXPECT_EQ(vekta_analogIn(0, &v), 0);
}

// A driver that cannot give a failure's message: the new code gets a text of
// its own, never the previous failure's words.
TEST_F(VektaErrorState, FailureWithoutADriverMessageGetsNoStaleText)
{
    b->fault("DAQmxCreateTask", "", DAQmxErrorDuplicateTask, 1, 0);
    EXPECT_EQ(vekta_portMask(0, 255), DAQmxErrorDuplicateTask);
    ASSERT_EQ(vekta_GetLastErrorBuffer(), driverMessage(DAQmxErrorDuplicateTask));
    b->fault("DAQmxGetErrorString", "", -200010, 1, 0);
    b->fault("DAQmxCreateTask", "", DAQmxErrorPALResourceReserved, 1, 0);
    EXPECT_EQ(vekta_portMask(0, 255), DAQmxErrorPALResourceReserved);
    EXPECT_EQ(vekta_GetLastError(), DAQmxErrorPALResourceReserved);
    EXPECT_EQ(std::string(vekta_GetLastErrorBuffer()), "no text from the driver for this status");
}

// Every argument check: -1, code -1, the exact report, no driver call.
TEST_F(VektaErrorState, ChecksReportExactlyAndNeverReachTheDriver)
{
    unsigned char byte = 0;
    double v = 0, arr[4] = {};
    int n = 0;
    struct Case {
        const char *what;
        std::function<int()> op;
        std::string text;
    } cases[] = {
        {"portMask 3", [] { return vekta_portMask(3, 1); }, report(250, "0 <= portN && portN < PORT_SIZE", kPortRange)},
        {"portMask -1", [] { return vekta_portMask(-1, 1); }, report(250, "0 <= portN && portN < PORT_SIZE", kPortRange)},
        {"portOut -1", [] { return vekta_portOut(-1, 1); }, report(292, "0 <= port && port < PORT_SIZE", kPortRange)},
        {"portIn 3", [&] { return vekta_portIn(3, &byte); }, report(305, "0 <= port && port < PORT_SIZE", kPortRange)},
        {"portIn null", [] { return vekta_portIn(0, nullptr); }, report(306, "data != NULL", "NULL ptr")},
        {"analogOut 2", [] { return vekta_analogOut(2, 1.0); }, report(385, "0 <= idx && idx < ANALOG_SIZEo", kRange)},
        {"analogOut -1", [] { return vekta_analogOut(-1, 1.0); }, report(385, "0 <= idx && idx < ANALOG_SIZEo", kRange)},
        {"writeEx idx", [&] { return vekta_analogWriteEx(2, arr, 4, 1.0); }, report(558, "0 <= idx && idx < ANALOG_SIZEo", kRange)},
        {"writeEx null", [] { return vekta_analogWriteEx(0, nullptr, 4, 1.0); }, report(559, "warray != NULL")},
        {"writeEx size", [&] { return vekta_analogWrite(0, arr, 0); }, report(560, "size > 0")},
        {"outStop idx", [] { return vekta_analogOutStop(2); }, report(604, "0 <= idx && idx < ANALOG_SIZEo", kRange)},
        {"outStop idle", [] { return vekta_analogOutStop(1); }, report(605, "dacOpt.maskFetch == (1<<idx)")},
        {"analogIn idx", [&] { return vekta_analogIn(8, &v); }, report(395, "0 <= idx && idx < ANALOG_SIZEi", kRange)},
        {"analogIn null", [] { return vekta_analogIn(0, nullptr); }, report(396, "val != NULL")},
        {"readEx idx", [&] { return vekta_analogReadEx(-1, arr, 4, &n, 1.0); }, report(430, "0 <= idx && idx < ANALOG_SIZEi", kRange)},
        {"readEx null", [&] { return vekta_analogRead(0, nullptr, 4, &n); }, report(431, "warray != NULL")},
        {"readEx size", [&] { return vekta_analogReadEx(0, arr, -3, &n, 1.0); }, report(432, "size > 0")},
        {"fetchEx idx", [&] { return vekta_analogFetchEx(8, arr, 4, &n, 1.0); }, report(469, "0 <= idx && idx < ANALOG_SIZEi", kRange)},
        {"fetchEx null", [&] { return vekta_analogFetchEx(0, nullptr, 4, &n, 1.0); }, report(470, "warray != NULL")},
        {"fetchEx size", [&] { return vekta_analogFetchEx(0, arr, 0, &n, 1.0); }, report(471, "size > 0")},
        {"inStop idx", [] { return vekta_analogInStop(9); }, report(518, "0 <= idx && idx < ANALOG_SIZEi", kRangeStop)},
        {"inStop idle", [] { return vekta_analogInStop(0); }, report(519, "anlgClock.maskFetch == (1<<idx)")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        vekta_SetLastError(7);
        EXPECT_EQ(c.op(), -1);
        EXPECT_EQ(vekta_GetLastError(), -1);
        EXPECT_EQ(std::string(vekta_GetLastErrorBuffer()), c.text);
        EXPECT_EQ(calls(), Lines{});
    }
    EXPECT_EQ(n, 0);
    EXPECT_EQ(byte, 0);
}

// ---------------------------------------------------------------- ports

using VektaPorts = BenchTest;

// Whether a port read reaches the lines, from the library's record alone: no
// driver call, before a configuration, with one, and after Close.
TEST_F(VektaPorts, ReadsLinesOnlyWhileThePortHasAConfiguration)
{
    EXPECT_EQ(vekta_portReadsLines(1), 0);
    EXPECT_EQ(vekta_portReadsLines(-1), 0);
    EXPECT_EQ(vekta_portReadsLines(PORT_SIZE), 0);
    ASSERT_EQ(vekta_portMask(1, 0), 0);
    ASSERT_EQ(vekta_portMask(2, 0xFF), 0);
    b->trace_clear();
    EXPECT_EQ(vekta_portReadsLines(1), 1);  // input lines
    EXPECT_EQ(vekta_portReadsLines(2), 1);  // output lines read back
    EXPECT_EQ(vekta_portReadsLines(0), 0);
    EXPECT_EQ(calls(), Lines{});
    ASSERT_EQ(vekta_ni6251Close(), 0);
    EXPECT_EQ(vekta_portReadsLines(1), 0);
}

TEST_F(VektaPorts, UnconfiguredPortNeitherReadsNorWrites)
{
    unsigned char byte = 0xAA;
    EXPECT_EQ(vekta_portIn(1, &byte), 1);
    EXPECT_EQ(byte, 0);
    EXPECT_EQ(vekta_portOut(1, 0x5A), 1);
    EXPECT_EQ(vekta_GetLastError(), 1);
    EXPECT_EQ(calls(), Lines{});
    EXPECT_EQ(vekta_cacheView()->portValue[1], 0x5A);

    // The remembered byte goes out as soon as the port has output lines.
    EXPECT_EQ(vekta_portMask(1, 255), 0);
    EXPECT_EQ(calls(), (Lines{createTask("port1W255"),
                              "DAQmxCreateDOChan(port1W255, \"PXI1Slot2/port1\", \"w\", 1) = 0",
                              writeU8("port1W255", 0x5A)}));
    EXPECT_EQ(probe("port1"), 0x5A);
    EXPECT_EQ(vekta_portMask(1, 255), 1);
    EXPECT_EQ(vekta_GetLastError(), 1);
    EXPECT_EQ(calls(), Lines{});
}

TEST_F(VektaPorts, WholePortMasksHaveOneTask)
{
    unsigned char byte = 0;
    EXPECT_EQ(vekta_portMask(2, 0), 0);
    EXPECT_EQ(calls(), (Lines{createTask("port2R0"), "DAQmxCreateDIChan(port2R0, \"PXI1Slot2/port2\", \"r\", 1) = 0",
                              call("DAQmxStartTask", "port2R0")}));
    EXPECT_EQ(vekta_portIn(2, &byte), 0);
    // The board holds its read and write strobe inputs inactive (high).
    EXPECT_EQ(calls(), Lines{readU8("port2R0", 0x06)});
    EXPECT_EQ(byte, 0x06);
    EXPECT_EQ(vekta_portOut(2, 0x33), 1);  // no output line: nothing written
    EXPECT_EQ(calls(), Lines{});

    EXPECT_EQ(vekta_portMask(0, 255), 0);
    calls();
    EXPECT_EQ(vekta_portOut(0, 0xC3), 0);
    EXPECT_EQ(vekta_portIn(0, &byte), 0);
    EXPECT_EQ(byte, 0xC3);
    EXPECT_EQ(calls(), (Lines{writeU8("port0W255", 0xC3), readU8("port0W255", 0xC3)}));
    expectInvariants(vekta_cacheView());
}

TEST_F(VektaPorts, MixedMaskSplitsLinesAndReadBackCombinesThem)
{
    vekta_portOut(0, 0xFF);
    EXPECT_EQ(vekta_portMask(0, 0x0F), 0);
    EXPECT_EQ(calls(), (Lines{createTask("port0W15"),
                              "DAQmxCreateDOChan(port0W15, \"" + lines(2, 0, 0x0F, 1) + "\", \"w\", 1) = 0",
                              createTask("port0R15"),
                              "DAQmxCreateDIChan(port0R15, \"" + lines(2, 0, 0x0F, 0) + "\", \"r\", 1) = 0",
                              call("DAQmxStartTask", "port0R15"), writeU8("port0W15", 0xFF)}));
    unsigned char byte = 0;
    EXPECT_EQ(vekta_portIn(0, &byte), 0);
    // Output lines report what they drive, input lines their pulled-down level.
    EXPECT_EQ(byte, 0x0F);
    EXPECT_EQ(calls().size(), 2u);

    // Slot and line list of port 2, mask 7, slot 4.
    vekta_ni6251Slot(4);
    b->set_slot(4);
    EXPECT_EQ(vekta_portMask(2, 7), 0);
    Lines got = calls();
    ASSERT_GE(got.size(), 4u);
    EXPECT_EQ(got[1], "DAQmxCreateDOChan(port2W7, \"PXI1Slot4/port2/line0,PXI1Slot4/port2/line1,PXI1Slot4/port2/line2\", \"w\", 1) = 0");
    EXPECT_EQ(got[3], "DAQmxCreateDIChan(port2R7, \"" + lines(4, 2, 7, 0) + "\", \"r\", 1) = 0");
}

TEST_F(VektaPorts, KeptConfigurationComesBackWithoutNewTasks)
{
    EXPECT_EQ(vekta_portMask(1, 0x0F), 0);
    EXPECT_EQ(vekta_portMask(1, 0xF0), 0);
    vekta_portOut(1, 0x81);
    calls();
    EXPECT_EQ(vekta_portMask(1, 0x0F), 0);
    EXPECT_EQ(calls(), (Lines{call("DAQmxStopTask", "port1W240"), call("DAQmxStopTask", "port1R240"),
                              call("DAQmxStartTask", "port1R15"), writeU8("port1W15", 0x81)}));
    const VektaCache *c = vekta_cacheView();
    EXPECT_EQ(c->port[1][0].mask, 0x0F);
    EXPECT_EQ(c->port[1][1].mask, 0xF0);
    EXPECT_EQ(c->port[1][2].mask, -1);
    EXPECT_EQ(b->live_tasks(), 4);
    expectInvariants(c);
}

TEST_F(VektaPorts, FifthMaskEvictsTheLeastRecentlyUsed)
{
    const int masks[] = {1, 2, 3, 4};
    for (int m : masks) ASSERT_EQ(vekta_portMask(0, m), 0);
    calls();
    EXPECT_EQ(vekta_portMask(0, 5), 0);
    Lines got = calls();
    ASSERT_GE(got.size(), 8u);
    EXPECT_EQ(Lines(got.begin(), got.begin() + 8),
              (Lines{call("DAQmxStopTask", "port0W4"), call("DAQmxStopTask", "port0R4"),
                     call("DAQmxStopTask", "port0W1"), call("DAQmxClearTask", "port0W1"),
                     call("DAQmxStopTask", "port0R1"), call("DAQmxClearTask", "port0R1"), createTask("port0W5"),
                     "DAQmxCreateDOChan(port0W5, \"" + lines(2, 0, 5, 1) + "\", \"w\", 1) = 0"}));
    const VektaCache *c = vekta_cacheView();
    EXPECT_EQ(c->port[0][0].mask, 5);
    EXPECT_EQ(c->port[0][1].mask, 4);
    EXPECT_EQ(c->port[0][3].mask, 2);
    EXPECT_EQ(b->live_tasks(), 8);
    // Mask 1 again: its tasks are made again under the same names.
    EXPECT_EQ(vekta_portMask(0, 1), 0);
    got = calls();
    EXPECT_NE(std::find(got.begin(), got.end(), createTask("port0W1")), got.end());
    expectInvariants(c);
}

TEST_F(VektaPorts, CloseClearsEveryTaskAndRewritesTheRememberedByte)
{
    vekta_portMask(0, 255);
    vekta_portMask(0, 0);
    vekta_portMask(2, 7);
    vekta_portOut(0, 0x44);
    EXPECT_EQ(b->live_tasks(), 4);
    EXPECT_EQ(vekta_ni6251Close(), 0);
    EXPECT_EQ(b->live_tasks(), 0);
    for (int p = 0; p < PORT_SIZE; p++)
        for (int k = 0; k < PORT_CONFIGS; k++) EXPECT_EQ(vekta_cacheView()->port[p][k].mask, -1);
    calls();
    EXPECT_EQ(vekta_portMask(0, 255), 0);
    EXPECT_EQ(calls().back(), writeU8("port0W255", 0x44));
}

// ---------------------------------------------------------------- port failures

// A group of ports 0 and 1 in both directions beside port 2's own
// configuration: a task per direction over both ports, a channel per port,
// started explicitly, so a word is one call of two bytes; the group takes its
// ports from their own configurations, and a port operation on one of them
// gives them back, the remembered bytes written again.
TEST_F(VektaPorts, GroupMovesPortsAsOneAndGivesThemBack)
{
    ASSERT_GE(vekta_portMask(0, 255), 0);
    ASSERT_GE(vekta_portMask(1, 0x0F), 0);
    ASSERT_GE(vekta_portMask(2, 7), 0);
    ASSERT_GE(vekta_portOut(2, 6), 0);
    const unsigned char word[2] = {0x34, 0x12};
    ASSERT_GE(vekta_portGroupOut(0, 2, word), 0);  // not current: remembered only
    calls();
    ASSERT_EQ(vekta_portGroupMask(0, 2, 255), 0);
    EXPECT_EQ(calls(), (std::vector<std::string>{
                           call("DAQmxStopTask", "port0W255"),
                           call("DAQmxStopTask", "port1W15"),
                           call("DAQmxStopTask", "port1R15"),
                           createTask("ports0to1W255"),
                           "DAQmxCreateDOChan(ports0to1W255, \"PXI1Slot2/port0\", \"w0\", 1) = 0",
                           "DAQmxCreateDOChan(ports0to1W255, \"PXI1Slot2/port1\", \"w1\", 1) = 0",
                           call("DAQmxStartTask", "ports0to1W255"),
                           "DAQmxWriteDigitalU8(ports0to1W255, 1, 1, 10, 0, {0x34,0x12}, NULL, NULL) = 0",
                       }));
    EXPECT_EQ(vekta_portGroupMask(0, 2, 255), 1);
    const unsigned char next[2] = {0x78, 0x56};
    ASSERT_EQ(vekta_portGroupOut(0, 2, next), 0);
    ASSERT_EQ(vekta_portGroupMask(0, 2, 0), 0);
    unsigned char in[2] = {0xEE, 0xEE};
    ASSERT_EQ(vekta_portGroupIn(0, 2, in), 0);
    EXPECT_EQ(calls(), (std::vector<std::string>{
                           "DAQmxWriteDigitalU8(ports0to1W255, 1, 1, 10, 0, {0x78,0x56}, NULL, NULL) = 0",
                           call("DAQmxStopTask", "ports0to1W255"),
                           createTask("ports0to1R0"),
                           "DAQmxCreateDIChan(ports0to1R0, \"PXI1Slot2/port0\", \"r0\", 1) = 0",
                           "DAQmxCreateDIChan(ports0to1R0, \"PXI1Slot2/port1\", \"r1\", 1) = 0",
                           call("DAQmxStartTask", "ports0to1R0"),
                           "DAQmxReadDigitalU8(ports0to1R0, 1, 10, 0, {0x00,0x00}, 2, NULL, NULL) = 0",
                       }));
    EXPECT_EQ(in[0], 0);
    // Back to output: the group's bytes written again; port 2 untouched throughout.
    ASSERT_EQ(vekta_portGroupMask(0, 2, 255), 0);
    EXPECT_EQ(callNames(), (std::vector<std::string>{"DAQmxStopTask", "DAQmxStartTask", "DAQmxWriteDigitalU8"}));
    EXPECT_EQ(probe("port0"), 0x78);
    EXPECT_EQ(probe("port1"), 0x56);
    // A port operation on a port the group holds gives both back.
    unsigned char byte = 0;
    ASSERT_EQ(vekta_portIn(1, &byte), 0);
    EXPECT_EQ(calls(), (std::vector<std::string>{
                           call("DAQmxStopTask", "ports0to1W255"),
                           writeU8("port0W255", 0x78),
                           call("DAQmxStartTask", "port1R15"),
                           writeU8("port1W15", 0x56),
                           readU8("port1R15", 0x00),
                           readU8("port1W15", 0x06),
                       }));
    EXPECT_EQ(byte, 0x56 & 0x0F);
    EXPECT_EQ(vekta_portGroupRelease(), 0);
    EXPECT_TRUE(calls().empty()) << "nothing held any more";
    EXPECT_EQ(vekta_portGroupView()[0].current, 0);
    EXPECT_EQ(vekta_portGroupMask(1, 3, 0), -1);
    EXPECT_EQ(vekta_GetLastErrorBuffer(),
              report(330, "0 <= first && first < PORT_SIZE && 0 < count && count <= PORT_SIZE - first", kPortRange));
    EXPECT_EQ(vekta_ni6251Close(), 0);
    EXPECT_EQ(b->live_tasks(), 0);
}

using VektaPortFaults = BenchTest;

TEST_F(VektaPortFaults, FailedWriteIsRetriedByTheNextReconfiguration)
{
    vekta_portMask(0, 255);
    vekta_portMask(0, 0);
    b->fault("DAQmxWriteDigitalU8", "", DAQmxErrorPALResourceReserved, 1, 0);
    EXPECT_EQ(vekta_portOut(0, 0x12), 1);  // mask 0: not written at all
    vekta_portMask(0, 255);
    EXPECT_EQ(vekta_GetLastError(), DAQmxErrorPALResourceReserved);
    EXPECT_EQ(vekta_GetLastErrorBuffer(), driverMessage(DAQmxErrorPALResourceReserved));
    calls();
    b->fault("DAQmxWriteDigitalU8", "", -200010, 1, 0);
    EXPECT_EQ(vekta_portOut(0, 0x34), -200010);
    EXPECT_EQ(vekta_GetLastErrorBuffer(), driverMessage(-200010));
    EXPECT_EQ(vekta_portMask(0, 0), 0);
    EXPECT_EQ(vekta_portMask(0, 255), 0);
    EXPECT_EQ(probe("port0"), 0x34);
}

// The half-built entry is taken out again; earlier configurations stay kept.
TEST_F(VektaPortFaults, FailedCreationLeavesNoHalfBuiltEntry)
{
    ASSERT_EQ(vekta_portMask(1, 0x0F), 0);
    ASSERT_EQ(vekta_portMask(1, 0xF0), 0);
    calls();
    // The read task of the new configuration cannot be made.
    b->fault("DAQmxCreateTask", "port1R51", DAQmxErrorPALResourceReserved, 1, 0);
    EXPECT_EQ(vekta_portMask(1, 0x33), DAQmxErrorPALResourceReserved);
    EXPECT_EQ(vekta_GetLastErrorBuffer(), driverMessage(DAQmxErrorPALResourceReserved));
    const VektaCache *c = vekta_cacheView();
    expectInvariants(c);
    EXPECT_EQ(c->port[1][0].mask, 0xF0);
    EXPECT_EQ(c->port[1][1].mask, 0x0F);
    EXPECT_EQ(c->port[1][2].mask, -1);
    EXPECT_EQ(b->live_tasks(), 4);  // the write task made for 0x33 is gone again
    Lines got = calls();
    EXPECT_EQ(got.back(), call("DAQmxClearTask", "port1W51"));

    // The same mask once the driver agrees; then back and forth.
    EXPECT_EQ(vekta_portMask(1, 0x33), 0);
    EXPECT_EQ(vekta_portMask(1, 0x0F), 0);
    EXPECT_EQ(vekta_portMask(1, 0xF0), 0);
    expectInvariants(c);
    EXPECT_EQ(b->live_tasks(), 6);
    EXPECT_EQ(vekta_ni6251Close(), 0);
    EXPECT_EQ(b->live_tasks(), 0);
}

TEST_F(VektaPortFaults, FailedCreationOnEvictionKeepsTheOtherThree)
{
    for (int m : {1, 2, 3, 4}) ASSERT_EQ(vekta_portMask(2, m), 0);
    b->fault("DAQmxCreateDIChan", "port2R5", DAQmxErrorPhysicalChanDoesNotExist, 1, 0);
    EXPECT_EQ(vekta_portMask(2, 5), DAQmxErrorPhysicalChanDoesNotExist);
    const VektaCache *c = vekta_cacheView();
    expectInvariants(c);
    EXPECT_EQ(c->port[2][0].mask, 4);
    EXPECT_EQ(c->port[2][2].mask, 2);
    EXPECT_EQ(c->port[2][3].mask, -1);
    EXPECT_EQ(b->live_tasks(), 6);
    EXPECT_EQ(vekta_portMask(2, 5), 0);
    EXPECT_EQ(b->live_tasks(), 8);
}

// A failing stop while the oldest configuration is cleared must not orphan
// its task: the name would stay taken and the mask could never come back.
TEST_F(VektaPortFaults, FailingStopOnEvictionDoesNotOrphanTheTask)
{
    for (int m : {1, 2, 3, 4}) ASSERT_EQ(vekta_portMask(0, m), 0);
    b->fault("DAQmxStopTask", "port0W1", -200010, 1, 0);
    EXPECT_EQ(vekta_portMask(0, 5), -200010);
    const VektaCache *c = vekta_cacheView();
    expectInvariants(c);
    EXPECT_EQ(c->port[0][3].mask, -1);
    EXPECT_EQ(b->live_tasks(), 6);  // both tasks of mask 1 are cleared all the same
    EXPECT_EQ(vekta_portMask(0, 5), 0);
    EXPECT_EQ(vekta_portMask(0, 1), 0);  // evicts 2, makes port0W1 again
    EXPECT_EQ(vekta_GetLastError(), 0);
    expectInvariants(c);
}

TEST_F(VektaPortFaults, FailingClearIsRetriedLater)
{
    for (int m : {1, 2, 3, 4}) ASSERT_EQ(vekta_portMask(0, m), 0);
    b->fault("DAQmxClearTask", "port0W1", -200010, 1, 0);
    EXPECT_EQ(vekta_portMask(0, 5), -200010);
    expectInvariants(vekta_cacheView());
    EXPECT_EQ(vekta_staleTaskCount(), 1);
    EXPECT_EQ(b->live_tasks(), 7);
    calls();
    // Choosing mask 1 again first clears the left-over task, so its name is free.
    EXPECT_EQ(vekta_portMask(0, 1), 0);
    Lines got = calls();
    auto cleared = std::find(got.begin(), got.end(), call("DAQmxClearTask", "port0W1"));
    auto created = std::find(got.begin(), got.end(), createTask("port0W1"));
    EXPECT_LT(cleared, created);
    EXPECT_NE(created, got.end());
    EXPECT_EQ(vekta_staleTaskCount(), 0);
    EXPECT_EQ(vekta_ni6251Close(), 0);
    EXPECT_EQ(b->live_tasks(), 0);
}

TEST_F(VektaPortFaults, CloseIgnoresPortFailuresAndRetriesThemAtTheNextClose)
{
    vekta_portMask(0, 255);
    vekta_portMask(1, 0x0F);
    b->fault("DAQmxClearTask", "port0W255", -200010, 1, 1);
    EXPECT_EQ(vekta_ni6251Close(), 0);
    EXPECT_EQ(vekta_GetLastError(), 0);
    EXPECT_EQ(b->live_tasks(), 1);
    expectInvariants(vekta_cacheView());
    b->fault_clear();
    EXPECT_EQ(vekta_ni6251Close(), 0);
    EXPECT_EQ(b->live_tasks(), 0);
}

// A clear that keeps failing leaves the task alive in the driver under its
// name: it is tried again once at every close, as many closes as it takes,
// and the mask comes back once the fault is gone. Only a handle the driver
// says names no task is dropped.
TEST_F(VektaPortFaults, LeftOverTaskIsRetriedAtEveryCloseUntilItGoes)
{
    vekta_portMask(0, 0x0F);
    b->fault("DAQmxClearTask", "port0W15", -200010, 1, 1);
    EXPECT_EQ(vekta_ni6251Close(), 0);
    for (int close = 2; close <= 5; close++) {
        EXPECT_EQ(vekta_staleTaskCount(), 1);
        calls();
        EXPECT_EQ(vekta_ni6251Close(), 0);
        EXPECT_EQ(calls(), Lines{call("DAQmxClearTask", "port0W15", -200010)}) << "close " << close;
    }
    b->fault_clear();
    EXPECT_EQ(vekta_ni6251Close(), 0);
    EXPECT_EQ(vekta_staleTaskCount(), 0);
    EXPECT_EQ(b->live_tasks(), 0);
    calls();
    EXPECT_EQ(vekta_portMask(0, 0x0F), 0);
    EXPECT_EQ(calls().front(), createTask("port0W15"));

    vekta_portMask(1, 0);
    b->fault("DAQmxClearTask", "port1R0", DAQmxErrorInvalidTask, 1, 0);
    EXPECT_EQ(vekta_ni6251Close(), 0);
    EXPECT_EQ(vekta_staleTaskCount(), 0);
    EXPECT_EQ(b->live_tasks(), 0);
    calls();
    EXPECT_EQ(vekta_ni6251Close(), 0);
    EXPECT_EQ(calls(), Lines{}) << "a handle that names no task is not tried again";
}

// A port task the driver no longer knows: the failing call is reported once,
// and the port's next operation builds that task again from the kept mask,
// starts it (a read task) or writes the remembered byte into it (a write
// task), then does its own work; after that the port calls as before.
TEST_F(VektaPortFaults, TaskTheDriverNoLongerKnowsIsBuiltAgainByTheNextOperation)
{
    ASSERT_EQ(vekta_portMask(0, 0x0F), 0);
    ASSERT_EQ(vekta_portOut(0, 0x05), 0);
    calls();
    unsigned char byte = 0x77;
    b->fault("DAQmxReadDigitalU8", "port0R15", DAQmxErrorInvalidTask, 1, 0);
    EXPECT_EQ(vekta_portIn(0, &byte), DAQmxErrorInvalidTask);
    EXPECT_EQ(vekta_GetLastErrorBuffer(), driverMessage(DAQmxErrorInvalidTask));
    EXPECT_EQ(byte, 0x77);
    EXPECT_TRUE(invariantsHold(vekta_cacheView(), true));
    EXPECT_EQ(vekta_cacheView()->port[0][0].readTask, nullptr) << "the handle that names no task is forgotten";
    calls();
    EXPECT_EQ(vekta_portIn(0, &byte), 0);
    EXPECT_EQ(byte, 0x05);
    EXPECT_EQ(calls(), (Lines{createTask("port0R15"),
                              "DAQmxCreateDIChan(port0R15, \"" + lines(2, 0, 0x0F, 0) + "\", \"r\", 1) = 0",
                              call("DAQmxStartTask", "port0R15"), readU8("port0R15", 0x00),
                              readU8("port0W15", 0x05)}));
    EXPECT_EQ(vekta_portIn(0, &byte), 0);
    EXPECT_EQ(calls(), (Lines{readU8("port0R15", 0x00), readU8("port0W15", 0x05)}));

    // The write task, lost on a write: the next write builds it and writes the
    // remembered byte, which is the one just asked for, once.
    b->fault("DAQmxWriteDigitalU8", "port0W15", DAQmxErrorInvalidTask, 1, 0);
    EXPECT_EQ(vekta_portOut(0, 0x0A), DAQmxErrorInvalidTask);
    EXPECT_EQ(vekta_portOut(0, 0x0C), 0);
    EXPECT_EQ(probe("port0"), 0x0C);
    Lines got = calls();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[1], createTask("port0W15"));
    EXPECT_EQ(got[3], writeU8("port0W15", 0x0C));
    EXPECT_EQ(vekta_portOut(0, 0x0D), 0);
    EXPECT_EQ(calls(), (Lines{writeU8("port0W15", 0x0D)}));

    // Lost on a stop while the mask changes: the mask that comes back later
    // gets its task again; the same mask asked for again heals at once.
    ASSERT_EQ(vekta_portMask(0, 0xF0), 0);
    b->fault("DAQmxStopTask", "port0R240", DAQmxErrorInvalidTask, 1, 0);
    EXPECT_EQ(vekta_portMask(0, 0x0F), DAQmxErrorInvalidTask);
    EXPECT_EQ(vekta_portMask(0, 0x0F), 0);
    EXPECT_EQ(vekta_portMask(0, 0xF0), 0);
    expectInvariants(vekta_cacheView());
    EXPECT_EQ(b->live_tasks(), 4);
    b->fault("DAQmxReadDigitalU8", "port0W240", DAQmxErrorInvalidTask, 1, 0);
    EXPECT_EQ(vekta_portIn(0, &byte), DAQmxErrorInvalidTask);
    calls();
    EXPECT_EQ(vekta_portMask(0, 0xF0), 0);
    EXPECT_EQ(calls().front(), createTask("port0W240"));
    expectInvariants(vekta_cacheView());
    EXPECT_EQ(vekta_ni6251Close(), 0);
    EXPECT_EQ(b->live_tasks(), 0);
}

// An all-input port has a read task only: lost, it is built and started again
// by the next read, which then reads the lines as before.
TEST_F(VektaPortFaults, LostReadTaskOfAnAllInputPortIsBuiltAgain)
{
    ASSERT_EQ(vekta_portMask(2, 0x00), 0);
    unsigned char byte = 0x77;
    ASSERT_EQ(vekta_portIn(2, &byte), 0);
    const unsigned char before = byte;
    const Lines read = calls();
    ASSERT_FALSE(read.empty());
    const std::string task = read.back().substr(read.back().find('(') + 1, read.back().find(',') - read.back().find('(') - 1);
    b->fault("DAQmxReadDigitalU8", task.c_str(), DAQmxErrorInvalidTask, 1, 0);
    EXPECT_EQ(vekta_portIn(2, &byte), DAQmxErrorInvalidTask);
    EXPECT_EQ(vekta_cacheView()->port[2][0].readTask, nullptr) << "the handle that names no task is forgotten";
    calls();
    byte = 0x77;
    EXPECT_EQ(vekta_portIn(2, &byte), 0);
    EXPECT_EQ(byte, before);
    EXPECT_EQ(calls(), (Lines{createTask(task), "DAQmxCreateDIChan(" + task + ", \"PXI1Slot2/port2\", \"r\", 1) = 0",
                              call("DAQmxStartTask", task), readU8(task, before)}));
    expectInvariants(vekta_cacheView());
    EXPECT_EQ(vekta_ni6251Close(), 0);
    EXPECT_EQ(b->live_tasks(), 0);
}

// The missing-device hint asks the driver for its devices, and those queries
// succeed: the last error is still the driver's -200220 with its text.
TEST_F(VektaPortFaults, TheMissingDeviceHintLeavesTheLastError)
{
    ASSERT_EQ(b->set_device("Dev1", "PXI-6251"), 0);
    EXPECT_EQ(vekta_portMask(0, 0x0F), -200220);
    const std::string text = vekta_GetLastErrorBuffer();
    char hint[512] = "";
    ASSERT_EQ(vekta_deviceHint(hint, sizeof hint), 1);
    EXPECT_NE(std::string(hint).find("the driver has: Dev1"), std::string::npos) << hint;
    EXPECT_EQ(vekta_GetLastError(), -200220);
    EXPECT_EQ(vekta_GetLastErrorBuffer(), text);
}

TEST_F(VektaPortFaults, FailedReadDoesNotWriteTheByte)
{
    vekta_portMask(0, 0x0F);
    b->fault("DAQmxReadDigitalU8", "port0W15", -200010, 1, 0);
    unsigned char byte = 0x77;
    EXPECT_EQ(vekta_portIn(0, &byte), -200010);
    EXPECT_EQ(byte, 0x77);
}
