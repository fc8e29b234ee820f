// The driver's calls: handles, names, task states, channel rules, error texts.
#include <cstring>
#include <functional>

#include "tests/sim/device/bench_fixture.h"
#include "sim/device/errors.h"
#include "driver/daqmx_attributes.h"

namespace {

using ApiTest = BenchTest;

TEST_F(ApiTest, HandlesAreOpaqueAndNeverReused)
{
    TaskHandle a = task("a");
    EXPECT_NE(a, nullptr);
    EXPECT_EQ(bench.ClearTask(a), 0);
    TaskHandle b = task("a");  // the name is free again
    EXPECT_NE(a, b);
    EXPECT_EQ(bench.StartTask(a), DAQmxErrorInvalidTask);
    EXPECT_EQ(bench.ClearTask(a), DAQmxErrorInvalidTask);
    EXPECT_EQ(bench.StopTask(nullptr), DAQmxErrorInvalidTask);
    EXPECT_EQ(bench.StartTask(reinterpret_cast<TaskHandle>(0x1234567)), DAQmxErrorInvalidTask);
    uInt8 v = 0;
    EXPECT_EQ(bench.WriteDigitalU8(a, 1, 1, 10, 0, &v, nullptr, nullptr), DAQmxErrorInvalidTask);
    EXPECT_EQ(bench.CreateDOChan(a, "PXI1Slot2/port0", "", 1), DAQmxErrorInvalidTask);
    EXPECT_EQ(bench.live_tasks(), 1);
}

TEST_F(ApiTest, TaskNamesAreUnique)
{
    TaskHandle a = task("port0W255");
    TaskHandle h = reinterpret_cast<TaskHandle>(0x99);
    EXPECT_EQ(bench.CreateTask("port0W255", &h), DAQmxErrorDuplicateTask);
    EXPECT_EQ(h, reinterpret_cast<TaskHandle>(0x99)) << "a failed create leaves the handle alone";
    EXPECT_EQ(bench.live_tasks(), 1);
    // Unnamed tasks get names of their own.
    TaskHandle u1 = task(""), u2 = task(nullptr);
    EXPECT_NE(u1, u2);
    EXPECT_EQ(bench.find_task(u1)->name, "_unnamedTask<0>");
    EXPECT_EQ(bench.find_task(u2)->name, "_unnamedTask<1>");
    EXPECT_EQ(bench.CreateTask("x", nullptr), DAQmxErrorInvalidAttributeValue);
    (void)a;
}

TEST_F(ApiTest, OneChannelTypePerTask)
{
    TaskHandle h = do_task("t", "PXI1Slot2/port0");
    EXPECT_EQ(bench.CreateDIChan(h, "PXI1Slot2/port1", "", 1), DAQmxErrorMultiChanTypesInTask);
    EXPECT_EQ(bench.CreateAOVoltageChan(h, "PXI1Slot2/ao0", "", -10, 10, DAQmx_Val_Volts, ""),
              DAQmxErrorMultiChanTypesInTask);
    EXPECT_EQ(bench.CreateDOChan(h, "PXI1Slot2/port1", "", 1), 0) << "more of the same type is fine";
    EXPECT_EQ(bench.find_task(h)->chans.size(), 2u);
}

TEST_F(ApiTest, NoChannels)
{
    TaskHandle h = task("empty");
    uInt8 v = 0;
    double d = 0;
    EXPECT_EQ(bench.StartTask(h), DAQmxErrorCanNotPerformOpWhenNoChansInTask);
    EXPECT_EQ(bench.WriteDigitalU8(h, 1, 1, 10, 0, &v, nullptr, nullptr), DAQmxErrorCanNotPerformOpWhenNoChansInTask);
    EXPECT_EQ(bench.ReadDigitalU8(h, 1, 10, 0, &v, 1, nullptr, nullptr), DAQmxErrorCanNotPerformOpWhenNoChansInTask);
    EXPECT_EQ(bench.ReadAnalogF64(h, 1, 1, 0, &d, 1, nullptr, nullptr), DAQmxErrorCanNotPerformOpWhenNoChansInTask);
    EXPECT_EQ(bench.StopTask(h), 0);
}

TEST_F(ApiTest, WrongDirectionAndTypeOfAccess)
{
    TaskHandle di = di_task("di", "PXI1Slot2/port0");
    TaskHandle ai = ai_task("ai", "PXI1Slot2/ai0");
    TaskHandle aot = ao_task("ao", "PXI1Slot2/ao0");
    TaskHandle dot = do_task("do", "PXI1Slot2/port1");
    uInt8 v = 1;
    double d = 1;
    EXPECT_EQ(bench.WriteDigitalU8(di, 1, 1, 10, 0, &v, nullptr, nullptr), DAQmxErrorWriteNoOutputChansInTask);
    EXPECT_EQ(bench.WriteAnalogF64(ai, 1, 1, 10, 0, &d, nullptr, nullptr), DAQmxErrorWriteNoOutputChansInTask);
    EXPECT_EQ(bench.WriteDigitalU8(aot, 1, 1, 10, 0, &v, nullptr, nullptr), sim::kErrWriteChanTypeMismatch);
    EXPECT_EQ(bench.WriteAnalogF64(dot, 1, 1, 10, 0, &d, nullptr, nullptr), sim::kErrWriteChanTypeMismatch);
    EXPECT_EQ(bench.ReadAnalogF64(aot, 1, 1, 0, &d, 1, nullptr, nullptr), sim::kErrReadChanTypeMismatch);
    EXPECT_EQ(bench.ReadDigitalU8(ai, 1, 1, 0, &v, 1, nullptr, nullptr), sim::kErrReadChanTypeMismatch);
    EXPECT_EQ(bench.ReadDigitalU8(dot, 1, 1, 0, &v, 0, nullptr, nullptr), sim::kErrReadBufferTooSmall);
}

TEST_F(ApiTest, StatesExplicitAndImplicit)
{
    TaskHandle h = di_task("r", "PXI1Slot2/port0");
    using S = sim::Bench::State;
    EXPECT_EQ(bench.find_task(h)->state, S::Created);
    read(h);
    EXPECT_EQ(bench.find_task(h)->state, S::Created) << "an on-demand read returns the task to its state";
    EXPECT_EQ(bench.StartTask(h), 0);
    EXPECT_EQ(bench.find_task(h)->state, S::Running);
    read(h);
    EXPECT_EQ(bench.find_task(h)->state, S::Running) << "an explicit start lasts";
    EXPECT_EQ(bench.StartTask(h), 0);
    EXPECT_EQ(bench.StopTask(h), 0);
    EXPECT_EQ(bench.find_task(h)->state, S::Stopped);
    EXPECT_EQ(bench.StopTask(h), 0);
    EXPECT_EQ(bench.StartTask(h), 0) << "a stopped task is reusable";
    EXPECT_EQ(bench.CreateDIChan(h, "PXI1Slot2/port1", "", 1), sim::kErrCanNotPerformOpWhileTaskRunning);
    EXPECT_EQ(bench.ClearTask(h), 0);
    EXPECT_EQ(bench.live_tasks(), 0);
}

// A digital line is reserved by the one task running on it, started
// explicitly or for one read or write: another task, input or output, that
// wants the line is refused (-200587) until that task stops; other lines of
// the same port are free.
TEST_F(ApiTest, ARunningTaskReservesItsLines)
{
    TaskHandle out = do_task("w", "PXI1Slot2/port0");
    TaskHandle in = di_task("r", "PXI1Slot2/port0/line7,PXI1Slot2/port1");
    TaskHandle other = di_task("r2", "PXI1Slot2/port2/line0:6");
    TaskHandle high = do_task("w2", "PXI1Slot2/port2/line7");
    ASSERT_EQ(bench.StartTask(out), 0);
    EXPECT_EQ(bench.StartTask(in), DAQmxErrorDigLinesReservedOrUnavailable);
    int32 st = 0;
    read(in, &st);
    EXPECT_EQ(st, DAQmxErrorDigLinesReservedOrUnavailable) << "an implicit start reserves as well";
    EXPECT_EQ(bench.find_task(in)->state, sim::Bench::State::Created);
    EXPECT_EQ(bench.StartTask(other), 0);
    EXPECT_EQ(write(high, 1), 0) << "port 2's other line";
    EXPECT_EQ(bench.StopTask(out), 0);
    EXPECT_EQ(bench.StartTask(in), 0);
    EXPECT_EQ(write(out, 0x5A), DAQmxErrorDigLinesReservedOrUnavailable);
    EXPECT_EQ(bench.StopTask(in), 0);
    EXPECT_EQ(write(out, 0x5A), 0) << "stopped, a task holds no line";
    read(in, &st);
    EXPECT_EQ(st, 0) << "nor, after its write, does a task not running";
}

TEST_F(ApiTest, ChannelsOfOtherDevicesAndSlots)
{
    TaskHandle h = task("t");
    EXPECT_EQ(bench.CreateDOChan(h, "PXI1Slot5/port0", "w", 1), DAQmxErrorInvalidDeviceID);
    EXPECT_EQ(bench.CreateDOChan(h, "PXI1Slot2/port3", "w", 1), DAQmxErrorPhysicalChanDoesNotExist);
    EXPECT_EQ(bench.CreateDOChan(h, nullptr, "w", 1), DAQmxErrorPhysicalChanDoesNotExist);
    EXPECT_EQ(bench.find_task(h)->kind, sim::Bench::Kind::None) << "failed channels add nothing";
    EXPECT_EQ(bench.set_slot(5), 0);
    EXPECT_EQ(bench.CreateDOChan(h, "PXI1Slot2/port0", "w", 1), DAQmxErrorInvalidDeviceID);
    EXPECT_EQ(bench.CreateDOChan(h, "PXI1Slot5/port0", "w", 1), 0);
    EXPECT_EQ(bench.set_slot(0), -1);
    EXPECT_EQ(bench.slot(), 5);
}

// The device properties as NI's getters give them: a string's size (NUL
// included) for a NULL buffer or size 0, the text in a buffer that holds it
// whole, -200228 and the buffer left alone when it does not; a device name of
// any case; -200220 for another device. A renamed device and another product
// type (NI MAX's "Dev1") are what korvane's device checks meet.
TEST_F(ApiTest, DevicePropertiesOfTheOneModule)
{
    auto text = [&](auto get, const std::string &want) {
        SCOPED_TRACE(want);
        const int32 size = get(nullptr, 0u);
        ASSERT_EQ(size, static_cast<int32>(want.size() + 1));
        EXPECT_EQ(get(nullptr, 100u), size) << "a NULL buffer asks for the size";
        std::string buf(want.size() + 8, '#');
        EXPECT_EQ(get(buf.data(), static_cast<uInt32>(size - 1)), DAQmxErrorBufferTooSmallForString);
        EXPECT_EQ(buf, std::string(want.size() + 8, '#')) << "a refused read writes nothing";
        EXPECT_EQ(get(buf.data(), static_cast<uInt32>(size)), 0);
        EXPECT_EQ(std::string(buf.c_str()), want);
        EXPECT_EQ(buf[static_cast<size_t>(size)], '#') << "nothing past the size given";
    };
    auto names = [&](char *d, uInt32 n) { return bench.GetSysDevNames(d, n); };
    auto type_of = [&](const char *dev) { return [this, dev](char *d, uInt32 n) { return bench.GetDevProductType(dev, d, n); }; };
    text(names, "PXI1Slot2");
    text(type_of("pxi1slot2"), "PXI-6251");
    uInt32 v = 7;
    EXPECT_EQ(bench.GetDevSerialNum("PXI1Slot2", &v), 0);
    EXPECT_EQ(v, 0x01A5C3F1u);
    EXPECT_EQ(bench.GetDevPXIChassisNum("PXI1Slot2", &v), 0);
    EXPECT_EQ(v, 1u);
    EXPECT_EQ(bench.GetDevPXISlotNum("PXI1Slot2", &v), 0);
    EXPECT_EQ(v, 2u);
    EXPECT_EQ(bench.GetDevSerialNum("PXI1Slot2", nullptr), DAQmxErrorInvalidAttributeValue);
    char buf[32] = "untouched";
    for (const char *other : {"Dev1", "PXI1Slot3", "", static_cast<const char *>(nullptr)}) {
        SCOPED_TRACE(other ? other : "NULL");
        EXPECT_EQ(bench.GetDevProductType(other, buf, sizeof buf), DAQmxErrorInvalidDeviceID);
        EXPECT_EQ(bench.GetDevSerialNum(other, &v), DAQmxErrorInvalidDeviceID);
        EXPECT_EQ(bench.GetDevPXIChassisNum(other, &v), DAQmxErrorInvalidDeviceID);
        EXPECT_EQ(bench.GetDevPXISlotNum(other, &v), DAQmxErrorInvalidDeviceID);
    }
    EXPECT_STREQ(buf, "untouched");

    // Another slot renames the device; NI MAX's own name and another type.
    ASSERT_EQ(bench.set_slot(5), 0);
    text(names, "PXI1Slot5");
    EXPECT_EQ(bench.GetDevPXISlotNum("PXI1Slot5", &v), 0);
    EXPECT_EQ(v, 5u);
    EXPECT_EQ(bench.set_device("Dev/1", nullptr), -1);
    ASSERT_EQ(bench.set_device("Dev1", "PXI-6221"), 0);
    text(names, "Dev1");
    text(type_of("Dev1"), "PXI-6221");
    EXPECT_EQ(bench.GetDevPXISlotNum("Dev1", &v), 0);
    EXPECT_EQ(v, 5u) << "a name is only a name: the slot stays";
    TaskHandle h = task("t");
    EXPECT_EQ(bench.CreateDOChan(h, "PXI1Slot5/port0", "w", 1), DAQmxErrorInvalidDeviceID);
    EXPECT_EQ(bench.CreateDOChan(h, "Dev1/port0", "w", 1), 0);
    bench.reset();
    text(names, "PXI1Slot5");
    text(type_of("PXI1Slot5"), "PXI-6251");
}

TEST_F(ApiTest, AnalogChannelArguments)
{
    TaskHandle h = task("a");
    EXPECT_EQ(bench.CreateAOVoltageChan(h, "PXI1Slot2/ao0", "", -11, 10, DAQmx_Val_Volts, ""),
              DAQmxErrorInvalidAttributeValue);
    EXPECT_EQ(bench.CreateAOVoltageChan(h, "PXI1Slot2/ao0", "", 5, 5, DAQmx_Val_Volts, ""), sim::kErrMinNotLessThanMax);
    EXPECT_EQ(bench.CreateAOVoltageChan(h, "PXI1Slot2/ao0", "", -10, 10, 12345, ""), DAQmxErrorInvalidAttributeValue);
    EXPECT_EQ(bench.CreateAOVoltageChan(h, "PXI1Slot2/ao0", "", -10, 10, DAQmx_Val_Volts, "myScale"),
              DAQmxErrorInvalidAttributeValue);
    EXPECT_EQ(bench.CreateAOVoltageChan(h, "PXI1Slot2/ao2", "", -10, 10, DAQmx_Val_Volts, nullptr),
              DAQmxErrorPhysicalChanDoesNotExist);
    TaskHandle i = task("i");
    EXPECT_EQ(bench.CreateAIVoltageChan(i, "PXI1Slot2/ai0", "", 4242, -10, 10, DAQmx_Val_Volts, ""),
              DAQmxErrorInvalidAttributeValue);
    EXPECT_EQ(bench.CreateAIVoltageChan(i, "PXI1Slot2/ai0", "", DAQmx_Val_Cfg_Default, -1, 1, DAQmx_Val_Volts, ""), 0);
    EXPECT_NEAR(bench.find_task(i)->chans[0].lsb, 2.0 / 65536, 1e-15) << "the +-1 V range";
}

TEST_F(ApiTest, ErrorTextsOfEveryCode)
{
    struct Case {
        int32 code;
        const char *text;
    } cases[] = {
        {-200088, "Task specified is invalid or does not exist."},
        {-200089, "Task name specified conflicts with an existing task name."},
        {-200220, "Device identifier is invalid."},
        {-50103, "The specified resource is reserved. The operation could not be completed as specified."},
        {-200478, "Specified operation cannot be performed when there are no channels in the task."},
        {-200561, "Attempted writing analog data that is too large or too small."},
        {-200474, "Specified operation did not complete, because the specified timeout expired."},
    };
    for (const Case &c : cases) {
        char buf[1024];
        EXPECT_EQ(bench.GetErrorString(c.code, buf, sizeof buf), 0);
        EXPECT_STREQ(buf, c.text) << c.code;
    }
    for (int32 code : {-200170, -200284, -200022, -200279, -200290, -200292, -200077, -200459, -200012, -200559,
                       -200587, -200397, -200398}) {
        EXPECT_TRUE(sim::error_known(code)) << code;
        EXPECT_EQ(sim::error_message(code).rfind("Error code could not be found.", 0), std::string::npos) << code;
    }
    EXPECT_EQ(sim::error_message(-200284).substr(0, 60),
              "Some or all of the samples requested have not yet been acqui");
    EXPECT_EQ(sim::error_message(-123456).rfind("Error code could not be found.", 0), 0u);
    EXPECT_EQ(sim::error_message(0), "");
}

// As the driver's string functions: size 0 asks for the size; a buffer too
// An on-demand read or write of a task that is not running costs the implicit
// verify, reserve, commit, start, stop and unreserve on top of the access; a
// started task costs the access alone.
TEST_F(ApiTest, OnDemandCallsOfTasksNotRunningCostTheImplicitStartAndStop)
{
    TaskHandle w = do_task("port0W255", "PXI1Slot2/port0");
    TaskHandle r = di_task("port1R0", "PXI1Slot2/port1");
    TaskHandle o = ao_task("analog0o", "PXI1Slot2/ao0");
    TaskHandle i = ai_task("analog0I", "PXI1Slot2/ai0");
    const std::vector<std::pair<const char *, std::function<int32()>>> calls = {
        {"digital write", [&] { return write(w, 0x5A); }},
        {"digital read of the output task", [&] { int32 st; read(w, &st); return st; }},
        {"digital read", [&] { int32 st; read(r, &st); return st; }},
        {"analog write", [&] { return ao(o, 1.0); }},
        {"analog read", [&] { double v; return bench.ReadAnalogF64(i, 1, 1.0, 0, &v, 1, nullptr, nullptr); }},
    };
    for (const auto &[what, call] : calls) {
        SCOPED_TRACE(what);
        int64_t t = bench.now();
        ASSERT_EQ(call(), 0);
        const int64_t unstarted = bench.now() - t;
        for (TaskHandle h : {w, r, o, i}) ASSERT_EQ(bench.StartTask(h), 0);
        t = bench.now();
        ASSERT_EQ(call(), 0);
        const int64_t started = bench.now() - t;
        for (TaskHandle h : {w, r, o, i}) ASSERT_EQ(bench.StopTask(h), 0);
        EXPECT_EQ(unstarted - started, sim::Latency::kImplicitStartStop);
        EXPECT_GT(started, 0);
    }
}

// small gets the text cut and the warning that says so.
TEST_F(ApiTest, ErrorStringSizing)
{
    const std::string text = sim::error_message(-200088);
    EXPECT_EQ(bench.GetErrorString(-200088, nullptr, 0), static_cast<int32>(text.size() + 1));
    for (uInt32 size : {1u, 5u, static_cast<uInt32>(text.size()), static_cast<uInt32>(text.size() + 1)}) {
        std::string buf(size + 4, '#');
        EXPECT_EQ(bench.GetErrorString(-200088, buf.data(), size),
                  size > text.size() ? 0 : DAQmxWarningCAPIStringTruncatedToFitBuffer)
            << size;
        EXPECT_EQ(std::string(buf.c_str()), text.substr(0, size - 1)) << size;
        EXPECT_EQ(buf[size], '#') << "wrote past the buffer";
    }
}

TEST_F(ApiTest, ExtendedErrorInfoDescribesTheLastError)
{
    TaskHandle h = task("port0W255");
    EXPECT_EQ(bench.CreateDOChan(h, "PXI1Slot2/port9", "w", 1), DAQmxErrorPhysicalChanDoesNotExist);
    char buf[1024];
    ASSERT_EQ(bench.GetExtendedErrorInfo(buf, sizeof buf), 0);
    const std::string s = buf;
    EXPECT_EQ(s.rfind(sim::error_message(-200170), 0), 0u) << s;
    EXPECT_NE(s.find("\nDevice: PXI1Slot2\n"), std::string::npos) << s;
    EXPECT_NE(s.find("\nTask Name: port0W255\n"), std::string::npos) << s;
    EXPECT_NE(s.find("\nStatus Code: -200170"), std::string::npos) << s;
    // A success in between does not clear it; the next failure replaces it.
    EXPECT_EQ(bench.CreateDOChan(h, "PXI1Slot2/port0", "w", 1), 0);
    EXPECT_EQ(bench.StartTask(nullptr), DAQmxErrorInvalidTask);
    ASSERT_EQ(bench.GetExtendedErrorInfo(buf, sizeof buf), 0);
    EXPECT_EQ(std::string(buf).find("Task Name"), std::string::npos) << buf;
    EXPECT_NE(std::string(buf).find("Status Code: -200088"), std::string::npos);
    const int32 need = bench.GetExtendedErrorInfo(nullptr, 0);
    EXPECT_EQ(need, static_cast<int32>(std::strlen(buf) + 1));
}

}  // namespace

namespace {

// On the real clock a short call's time is not slept at once, but the bench's
// time moves on by it all the same: a status poll right after a write sees the
// write's time passed (it once saw a stale time and polled several times over).
TEST(SteadyClock, ShortWaitsAreSeenAtOnce)
{
    sim::SteadyClock clock;
    const int64_t t0 = clock.now_ns();
    for (int i = 0; i < 5; ++i) clock.sleep_ns(4'000);
    const int64_t t1 = clock.now_ns();
    EXPECT_GE(t1 - t0, 20'000);
    EXPECT_GE(clock.now_ns(), t1) << "never back";
}

// Every row of the property table, through every getter: its own answers (not
// -200233, whatever else it says of this task), every other refuses it; a
// string property asked with a buffer of size 0 answers the size it needs.
TEST_F(ApiTest, EachPropertyIdAnswersFromItsOwnGetterOnly)
{
    namespace attr = driver::attributes;
    TaskHandle t = ai_task("props", "PXI1Slot2/ai0");
    const auto ask = [&](attr::Getter g, int32 id, void *value, uInt32 size) -> int32 {
        switch (g) {
        case attr::Getter::SystemInfo: return bench.GetSystemInfoAttribute(id, value, size);
        case attr::Getter::Task: return bench.GetTaskAttribute(t, id, value, size);
        case attr::Getter::Chan: return bench.GetChanAttribute(t, "", id, value, size);
        case attr::Getter::Timing: return bench.GetTimingAttribute(t, id, value, size);
        case attr::Getter::Read: return bench.GetReadAttribute(t, id, value, size);
        case attr::Getter::Write: return bench.GetWriteAttribute(t, id, value, size);
        case attr::Getter::Trig: return bench.GetTrigAttribute(t, id, value, size);
        case attr::Getter::Buffer: return bench.GetBufferAttribute(t, id, value);
        default: return bench.GetDeviceAttribute("PXI1Slot2", id, value, size);
        }
    };
    const attr::Getter getters[] = {attr::Getter::SystemInfo, attr::Getter::Task, attr::Getter::Chan,
                                    attr::Getter::Timing,     attr::Getter::Read, attr::Getter::Write,
                                    attr::Getter::Device,     attr::Getter::Trig, attr::Getter::Buffer};
    // The getter NI's reference gives each property, by its name's group, not by the table.
    const auto owner = [](std::string_view name) {
        const std::pair<std::string_view, attr::Getter> groups[] = {
            {"DAQmx_Sys_", attr::Getter::SystemInfo}, {"DAQmx_Task_", attr::Getter::Task},
            {"DAQmx_Read_", attr::Getter::Read},      {"DAQmx_Write_", attr::Getter::Write},
            {"DAQmx_Dev_", attr::Getter::Device},     {"DAQmx_SampClk_", attr::Getter::Timing},
            {"DAQmx_SampQuant_", attr::Getter::Timing}, {"DAQmx_SampTimingType", attr::Getter::Timing},
            {"DAQmx_StartTrig_", attr::Getter::Trig}, {"DAQmx_RefTrig_", attr::Getter::Trig},
            {"DAQmx_Buf_", attr::Getter::Buffer}};
        for (const auto &[prefix, getter] : groups)
            if (name.rfind(prefix, 0) == 0) return getter;
        return attr::Getter::Chan;  // ChanType, PhysicalChanName, AI_, AO_, DI_, DO_
    };
    struct Row {
        attr::Getter getter;
        int32 id;
        attr::Type type;
        const char *name;
    };
    const Row rows[] = {
#define KORVANE_ROW(getter, id, type) {attr::Getter::getter, id, attr::Type::type, #id},
        DAQMX_ATTRIBUTES(KORVANE_ROW)
#undef KORVANE_ROW
    };
    for (const Row &row : rows)
        for (attr::Getter g : getters) {
            SCOPED_TRACE(std::string(row.name) + ", getter " + std::to_string(static_cast<int>(g)));
            EXPECT_EQ(row.getter, owner(row.name));
            alignas(8) char value[256] = {};
            const int32 st = ask(g, row.id, value, sizeof value);
            if (g != owner(row.name)) {
                EXPECT_EQ(st, DAQmxErrorSpecifiedAttrNotValid);
                continue;
            }
            EXPECT_NE(st, DAQmxErrorSpecifiedAttrNotValid);
            if (row.type != attr::Type::String || st < 0) continue;
            const int32 needed = ask(g, row.id, nullptr, 0);
            EXPECT_EQ(needed, static_cast<int32>(std::strlen(value)) + 1);
            EXPECT_EQ(ask(g, row.id, value, 0), needed) << "a buffer of size 0 asks for the size";
        }
}

}  // namespace
