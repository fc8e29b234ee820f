// The core on the headless front end: values, attributes, operator actions,
// NewCtrl, timers in virtual time, events and the loop.
#include "tests/ui/ui_test_support.h"

#include <cmath>
#include <cstring>
#include <climits>
#include <set>

using namespace uitest;

namespace {

class Core : public Runtime {
protected:
    void SetUp() override
    {
        Runtime::SetUp();
        init();
        h = show();
    }
    int h = 0;
};

TEST_F(Core, ValuesConvertToTheControlsType)
{
    int i = -7;
    double d = -7;
    EXPECT_EQ(SetCtrlVal(h, 2, 2.5), 0);  // rounds to nearest, half away from zero
    EXPECT_EQ(GetCtrlVal(h, 2, &i), 0);
    EXPECT_EQ(i, 3);
    EXPECT_EQ(GetCtrlVal(h, 2, &d), 0);
    EXPECT_EQ(d, 3.0);
    SetCtrlVal(h, 2, -2.5);
    GetCtrlVal(h, 2, &i);
    EXPECT_EQ(i, -3);
    SetCtrlVal(h, 2, NotANumber());
    GetCtrlVal(h, 2, &i);
    EXPECT_EQ(i, 0);
    SetCtrlVal(h, 2, 1e300);
    GetCtrlVal(h, 2, &i);
    EXPECT_EQ(i, INT_MAX);

    SetCtrlVal(h, 3, 7);  // int into a double control
    GetCtrlVal(h, 3, &d);
    EXPECT_EQ(d, 7.0);
    SetCtrlVal(h, 3, 1.6);
    GetCtrlVal(h, 3, &i);
    EXPECT_EQ(i, 2);
}

TEST_F(Core, ProgramValuesIgnoreTheOperatorsRange)
{
    EXPECT_EQ(SetCtrlVal(h, 2, -1), 0);
    int i = 0;
    GetCtrlVal(h, 2, &i);
    EXPECT_EQ(i, -1);
    EXPECT_EQ(ui::display_text(*ui::model::control(h, 2)), "-0x01");
    SetCtrlVal(h, 3, 99.0);
    EXPECT_EQ(ui::model::control(h, 3)->dvalue, 99.0);
}

TEST_F(Core, ToggleHoldsZeroOrOne)
{
    int v = -1;
    SetCtrlVal(h, 5, 42);
    GetCtrlVal(h, 5, &v);
    EXPECT_EQ(v, 1);
    SetCtrlVal(h, 5, -0.2);
    GetCtrlVal(h, 5, &v);
    EXPECT_EQ(v, 1);
    SetCtrlVal(h, 5, 0);
    GetCtrlVal(h, 5, &v);
    EXPECT_EQ(v, 0);
    SetCtrlVal(h, 5, NotANumber());
    GetCtrlVal(h, 5, &v);
    EXPECT_EQ(v, 0);
}

TEST_F(Core, NaNIsKeptBitForBitAndShownAsNaN)
{
    double d = 0;
    ASSERT_EQ(GetCtrlVal(h, 3, &d), 0);  // the file gave nan
    EXPECT_TRUE(std::isnan(d));
    SetCtrlVal(h, 3, NotANumber());
    GetCtrlVal(h, 3, &d);
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    EXPECT_EQ(bits, 0x7FF8000000000000ULL);
    EXPECT_EQ(ui::display_text(*ui::model::control(h, 3)), "NaN");
}

TEST_F(Core, InvalidHandlesControlsAndKinds)
{
    int i;
    double d;
    EXPECT_EQ(SetCtrlVal(h + 5, 2, 1), UIEHandleInvalid);
    EXPECT_EQ(SetCtrlVal(h, 99, 1), UIEInvalidControlId);
    EXPECT_EQ(GetCtrlVal(h, 99, &i), UIEInvalidControlId);
    EXPECT_EQ(SetCtrlVal(h, 6, 1), UIECtrlTypeInvalid);  // a button has no value
    EXPECT_EQ(GetCtrlVal(h, 7, &d), UIECtrlTypeInvalid);
    EXPECT_EQ(GetCtrlVal(h, 2, static_cast<int *>(nullptr)), UIEValueInvalid);
    EXPECT_EQ(DisplayPanel(0), UIEHandleInvalid);
    EXPECT_EQ(DiscardPanel(-6), UIEHandleInvalid);
    EXPECT_EQ(NewCtrl(h + 1, CTRL_NUMERIC, "x", 0, 0), UIEHandleInvalid);
    EXPECT_EQ(NewCtrl(h, 7, "x", 0, 0), UIEValueInvalid);
}

struct AttrCase {
    int control, attribute, value, status;
};

void PrintTo(const AttrCase &c, std::ostream *os)
{
    *os << "control " << c.control << " attribute " << c.attribute << " value " << c.value;
}

class Attributes : public Core, public ::testing::WithParamInterface<AttrCase> {};

TEST_P(Attributes, SetAndReadBack)
{
    const AttrCase &c = GetParam();
    EXPECT_EQ(SetCtrlAttribute(h, c.control, c.attribute, c.value), c.status);
    if (c.status == 0) {
        int v = -1;
        EXPECT_EQ(GetCtrlAttribute(h, c.control, c.attribute, &v), 0);
        EXPECT_EQ(v, c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Attributes,
    ::testing::Values(AttrCase{2, ATTR_DIMMED, 1, 0}, AttrCase{10, ATTR_DIMMED, 0, 0}, AttrCase{2, ATTR_DIMMED, 2, UIEValueInvalid},
                      AttrCase{9, ATTR_DIMMED, 1, 0}, AttrCase{7, ATTR_ENABLED, 0, 0}, AttrCase{8, ATTR_ENABLED, 1, 0},
                      AttrCase{7, ATTR_ENABLED, 5, UIEValueInvalid}, AttrCase{2, ATTR_ENABLED, 1, UIEAttributeInvalid},
                      AttrCase{2, ATTR_CTRL_MODE, VAL_INDICATOR, 0}, AttrCase{4, ATTR_CTRL_MODE, VAL_HOT, 0},
                      AttrCase{2, ATTR_CTRL_MODE, 3, UIEValueInvalid}, AttrCase{7, ATTR_CTRL_MODE, 0, UIEAttributeInvalid},
                      AttrCase{3, ATTR_PRECISION, 6, 0}, AttrCase{3, ATTR_PRECISION, 0, 0}, AttrCase{3, ATTR_PRECISION, 15, 0},
                      AttrCase{3, ATTR_PRECISION, 16, UIEValueInvalid}, AttrCase{3, ATTR_PRECISION, -1, UIEValueInvalid},
                      AttrCase{2, ATTR_PRECISION, 2, UIEAttributeInvalid}, AttrCase{2, 12345, 0, UIEAttributeInvalid},
                      AttrCase{99, ATTR_DIMMED, 1, UIEInvalidControlId}));

TEST_F(Core, PrecisionChangesWhatIsShown)
{
    SetCtrlVal(h, 3, 1.23456789);
    EXPECT_EQ(ui::display_text(*ui::model::control(h, 3)), "1.235");
    SetCtrlAttribute(h, 3, ATTR_PRECISION, 6);
    EXPECT_EQ(ui::display_text(*ui::model::control(h, 3)), "1.234568");
}

TEST_F(Core, DisplayFormats)
{
    SetCtrlVal(h, 2, 31);
    EXPECT_EQ(ui::display_text(*ui::model::control(h, 2)), "0x1F");
    SetCtrlVal(h, 2, 0x1ABC);
    EXPECT_EQ(ui::display_text(*ui::model::control(h, 2)), "0x1ABC");  // wider than its digits: all shown
    EXPECT_EQ(ui::display_text(*ui::model::control(h, 4)), "00000101");
    SetCtrlVal(h, 4, 255);
    EXPECT_EQ(ui::display_text(*ui::model::control(h, 4)), "11111111");
    SetCtrlVal(h, 4, INT_MIN);
    EXPECT_EQ(ui::display_text(*ui::model::control(h, 4)).size(), 33u);  // sign and 32 bits, no overflow
}

TEST_F(Core, OperatorTextInTheControlsFormat)
{
    auto hex = *ui::model::control(h, 2), bin = *ui::model::control(h, 4), dbl = *ui::model::control(h, 3);
    double v = 0;
    EXPECT_TRUE(ui::parse_operator_text(hex, " 1f ", v));
    EXPECT_EQ(v, 31);
    EXPECT_TRUE(ui::parse_operator_text(hex, "10", v));  // hex digits, not decimal ten
    EXPECT_EQ(v, 16);
    EXPECT_TRUE(ui::parse_operator_text(hex, "0b11", v));
    EXPECT_EQ(v, 3);
    EXPECT_TRUE(ui::parse_operator_text(bin, "101", v));
    EXPECT_EQ(v, 5);
    EXPECT_TRUE(ui::parse_operator_text(bin, "12", v));  // not binary digits: decimal
    EXPECT_EQ(v, 12);
    EXPECT_TRUE(ui::parse_operator_text(dbl, "-2.5", v));
    EXPECT_EQ(v, -2.5);
    EXPECT_TRUE(ui::parse_operator_text(hex, std::string(16, 'F'), v));
    EXPECT_FALSE(ui::parse_operator_text(hex, std::string(40, 'F'), v));  // too long: refused, no throw
    EXPECT_FALSE(ui::parse_operator_text(dbl, "1,5", v));
}

TEST_F(Core, OperatorCommitIsClampedAndCallsBack)
{
    auto a = ui::model::commit(h, 2, 300);
    ASSERT_TRUE(a.ok) << a.why;
    EXPECT_EQ(ui::model::control(h, 2)->ivalue, 255);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].control, 2);
    EXPECT_EQ(calls()[0].event, EVENT_COMMIT);
    ui::model::commit(h, 3, -20.5);
    EXPECT_EQ(ui::model::control(h, 3)->dvalue, -10.0);
}

TEST_F(Core, OperatorIsRefusedOnDimmedIndicatorsAndNaN)
{
    SetCtrlAttribute(h, 2, ATTR_DIMMED, 1);
    EXPECT_FALSE(ui::model::commit(h, 2, 1).ok);
    EXPECT_FALSE(ui::model::commit(h, 4, 1).ok);  // indicator
    EXPECT_FALSE(ui::model::commit(h, 3, NotANumber()).ok);
    EXPECT_FALSE(ui::model::commit(h, 6, 1).ok);  // a button takes no value
    EXPECT_FALSE(ui::model::press(h, 10).ok);    // dimmed in the file
    EXPECT_FALSE(ui::model::press(h, 2).ok);     // numerics cannot be pressed
    SetCtrlAttribute(h, 5, ATTR_CTRL_MODE, VAL_INDICATOR);
    EXPECT_FALSE(ui::model::press(h, 5).ok);
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(ui::model::control(h, 2)->ivalue, 0);

    SetCtrlAttribute(h, 2, ATTR_DIMMED, 0);
    EXPECT_TRUE(ui::model::commit(h, 2, 1).ok);
    SetCtrlAttribute(h, 4, ATTR_CTRL_MODE, VAL_HOT);
    EXPECT_TRUE(ui::model::commit(h, 4, 1).ok);
}

TEST_F(Core, PressFlipsToggleThenCommits)
{
    int seen = -1;
    on_call() = [&](const Call &c) {
        if (c.control == 5)
            GetCtrlVal(c.panel, 5, &seen);
    };
    ASSERT_TRUE(ui::model::press(h, 5).ok);
    EXPECT_EQ(seen, 1);
    ui::model::press(h, 5);
    EXPECT_EQ(seen, 0);
    ASSERT_TRUE(ui::model::press(h, 6).ok);
    EXPECT_EQ(calls().size(), 3u);
    EXPECT_EQ(calls().back().event, EVENT_COMMIT);
}

TEST_F(Core, NewCtrlMakesANumericAboveAllIds)
{
    int a = NewCtrl(h, CTRL_NUMERIC, "AI0", 520, 300);
    int b = NewCtrl(h, CTRL_NUMERIC, "AI1", 460, 300);
    EXPECT_EQ(a, 11);
    EXPECT_EQ(b, 12);
    auto c = ui::model::control(h, a);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->kind, ui::Kind::numeric_double);
    EXPECT_EQ(c->label, "AI0");
    EXPECT_EQ(c->top, 520);
    EXPECT_EQ(c->left, 300);
    EXPECT_TRUE(c->created);
    EXPECT_EQ(SetCtrlAttribute(h, a, ATTR_CTRL_MODE, VAL_INDICATOR), 0);
    EXPECT_EQ(SetCtrlAttribute(h, a, ATTR_PRECISION, 6), 0);
    SetCtrlVal(h, a, 1.5);
    EXPECT_EQ(ui::display_text(*ui::model::control(h, a)), "1.500000");
    EXPECT_EQ(ui::model::find_control(h, "AI1"), b);
    EXPECT_EQ(ui::model::find_control(h, "NUM_INT"), 2);
    EXPECT_EQ(ui::model::find_control(h, "7"), 7);
    EXPECT_EQ(ui::model::find_control(h, "Mask"), 0);  // labels name only NewCtrl controls
    EXPECT_EQ(ui::model::find_control(h, "77"), 0);
}

// ---- timers -------------------------------------------------------------------

constexpr std::int64_t ms = 1000000;

TEST_F(Core, TimerTicksAtItsIntervalInVirtualTime)
{
    std::int64_t t0 = ui::now_ns();
    ui::model::advance(350 * ms);
    auto ticks = calls_of("timer_a");
    ASSERT_EQ(ticks.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ticks[i].at_ns - t0, (i + 1) * 100 * ms);
        EXPECT_EQ(ticks[i].event, EVENT_TIMER_TICK);
        EXPECT_EQ(ticks[i].control, 7);
    }
    EXPECT_EQ(ui::now_ns() - t0, 350 * ms);
    EXPECT_TRUE(calls_of("timer_b").empty());  // disabled in the file
}

TEST_F(Core, EnablingRestartsTheIntervalFromNow)
{
    ui::model::advance(30 * ms);
    SetCtrlAttribute(h, 7, ATTR_ENABLED, 0);
    ui::model::advance(500 * ms);
    EXPECT_TRUE(calls_of("timer_a").empty());
    std::int64_t on = ui::now_ns();
    SetCtrlAttribute(h, 7, ATTR_ENABLED, 1);
    ui::model::advance(150 * ms);
    auto ticks = calls_of("timer_a");
    ASSERT_EQ(ticks.size(), 1u);
    EXPECT_EQ(ticks[0].at_ns - on, 100 * ms);
}

TEST_F(Core, TwoTimersTickInTimeOrder)
{
    SetCtrlAttribute(h, 8, ATTR_ENABLED, 1);
    ui::model::advance(500 * ms);
    std::vector<std::string> order;
    std::int64_t last = 0;
    for (auto &c : calls()) {
        order.push_back(c.who);
        EXPECT_GE(c.at_ns, last);
        last = c.at_ns;
    }
    // A ticks at 100..500, B at 250 and 500; at 500 both, A first (panel order).
    EXPECT_EQ(order, (std::vector<std::string>{"timer_a", "timer_a", "timer_b", "timer_a", "timer_a", "timer_a",
                                               "timer_b"}));
}

TEST_F(Core, LongCallbackCoalescesMissedTicks)
{
    bool slow = true;
    on_call() = [&](const Call &c) {
        if (c.who == "timer_a" && slow) {
            slow = false;
            ui::sleep_ns(350 * ms);  // the tick's work takes 3.5 intervals
        }
    };
    std::int64_t t0 = ui::now_ns();
    ui::model::advance(700 * ms);
    auto ticks = calls_of("timer_a");
    std::vector<std::int64_t> at;
    for (auto &t : ticks)
        at.push_back((t.at_ns - t0) / ms);
    // Tick at 100 runs until 450: one tick for the missed 200/300/400, then the grid again.
    EXPECT_EQ(at, (std::vector<std::int64_t>{100, 450, 500, 600, 700}));
}

// A tick whose work always takes longer than the interval: time still moves
// on in steps the loop controls (operator events get their turn between
// ticks), and the ticks follow each other as fast as the work allows.
TEST_F(Core, TimerSlowerThanItsIntervalDoesNotHoldTheLoop)
{
    on_call() = [&](const Call &c) {
        if (c.who == "timer_a")
            ui::sleep_ns(150 * ms);  // every tick: 1.5 intervals of work
    };
    std::int64_t t0 = ui::now_ns();
    ui::model::advance(1000 * ms);
    auto ticks = calls_of("timer_a");
    std::vector<std::int64_t> at;
    for (auto &t : ticks)
        at.push_back((t.at_ns - t0) / ms);
    // Each tick starts when the previous one's work is over.
    EXPECT_EQ(at, (std::vector<std::int64_t>{100, 250, 400, 550, 700, 850, 1000}));

    // An operator action between two such ticks runs in its turn.
    std::vector<std::string> seq;
    on_call() = [&](const Call &c) {
        seq.push_back(c.who);
        if (c.who == "timer_a")
            ui::sleep_ns(150 * ms);
    };
    ui::model::press(h, 6);
    ui::model::press(h, 6);
    // Each turn of the loop: the click, then the one tick that is due.
    EXPECT_EQ(seq, (std::vector<std::string>{"rec_cb", "timer_a", "rec_cb", "timer_a"}));
}

TEST_F(Core, TicksDueDuringACallbackFireAfterItReturns)
{
    std::vector<std::string> seq;
    on_call() = [&](const Call &c) {
        seq.push_back(c.who + ":" + std::to_string(c.event));
        if (c.who == "rec_cb")
            ui::sleep_ns(250 * ms);  // ticks fall due while the callback runs
    };
    ui::model::press(h, 6);
    EXPECT_EQ(seq, (std::vector<std::string>{"rec_cb:1", "timer_a:15"}));
}

TEST_F(Core, DiscardSendsDiscardToEachTimerCallback)
{
    int seen_value = -1;
    on_call() = [&](const Call &c) {
        if (c.event == EVENT_DISCARD)
            GetCtrlAttribute(c.panel, c.control, ATTR_ENABLED, &seen_value);  // its panel is still there
    };
    ASSERT_EQ(DiscardPanel(h), 0);
    auto a = calls_of("timer_a"), b = calls_of("timer_b");
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(a[0].event, EVENT_DISCARD);
    EXPECT_EQ(b[0].event, EVENT_DISCARD);
    EXPECT_EQ(seen_value, 0);  // timer_b's own attribute, read during its discard event
    EXPECT_FALSE(ui::model::panel(h));
    EXPECT_EQ(DiscardPanel(h), UIEHandleInvalid);
    ui::model::advance(1000 * ms);
    EXPECT_EQ(calls().size(), 2u);  // no ticks after discard
}

// ---- the loop -----------------------------------------------------------------

TEST_F(Core, QuitInsideACallbackEndsTheLoopAfterIt)
{
    on_call() = [&](const Call &c) {
        if (c.who == "rec_cb") {
            QuitUserInterface(7);
            ui::sleep_ns(500 * ms);  // ticks fall due, but the loop ends first
        }
    };
    ui::model::press(h, 6);
    EXPECT_TRUE(ui::model::quit_requested());
    EXPECT_TRUE(calls_of("timer_a").empty());
}

int quit_42(int, int event, void *, int, int)
{
    record("quit_42", 0, 0, event);
    if (event == EVENT_CLOSE)
        QuitUserInterface(42);
    return 0;
}

TEST_F(Runtime, RunUserInterfaceReturnsTheQuitCode)
{
    ui::RegisterCallback("panel_cb", quit_42);
    init();
    int h = show();
    SetCtrlAttribute(h, 7, ATTR_ENABLED, 0);
    // Headless without a script: the loop runs what is pending, then the
    // operator closes the window and the panel callback quits.
    EXPECT_EQ(RunUserInterface(), 42);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].event, EVENT_CLOSE);
    EXPECT_EQ(ui::exit_status(), 0);
}

TEST_F(Core, OperationsBeforeInitFail)
{
    ui::model::reset();
    EXPECT_EQ(LoadPanel(0, "x.uir", 1), UIENotInitialized);
    EXPECT_EQ(RunUserInterface(), UIENotInitialized);
    EXPECT_EQ(SetCtrlVal(1, 2, 3), UIENotInitialized);
}

TEST_F(Core, ConfigureAfterInitIsIgnored)
{
    ui::Options o;
    o.title_suffix = "late";
    ui::configure(o);
    EXPECT_EQ(ui::options().title_suffix, "");
}

TEST_F(Core, ErrorOutputLinesAreLogged)
{
    ErrorPrintf("Error = %i, %s\n", -200, "\xd1\xe1\xee\xe9");
    auto lines = ui::model::log_lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Error = -200, Сбой");
}

}  // namespace

namespace {

TEST_F(Core, ActionsDuringACallbackRunAfterItInOrder)
{
    std::vector<std::string> seq;
    on_call() = [&](const Call &c) {
        seq.push_back("begin " + std::to_string(c.control));
        if (c.control == 6) {
            ui::model::press(c.panel, 5);  // queued: callbacks never nest
            ui::model::commit(c.panel, 2, 4);
        }
        seq.push_back("end " + std::to_string(c.control));
    };
    ui::model::press(h, 6);
    EXPECT_EQ(seq, (std::vector<std::string>{"begin 6", "end 6", "begin 5", "end 5", "begin 2", "end 2"}));
}

TEST_F(Core, DiscardInsideACallbackDeliversDiscardEventsAfterIt)
{
    std::vector<std::string> seq;
    on_call() = [&](const Call &c) {
        seq.push_back(c.who + ":" + std::to_string(c.event));
        if (c.who == "rec_cb") {
            EXPECT_EQ(DiscardPanel(c.panel), 0);
        }
    };
    ui::model::press(h, 6);
    EXPECT_EQ(seq, (std::vector<std::string>{"rec_cb:1", "timer_a:16", "timer_b:16"}));
    EXPECT_TRUE(ui::model::panels().empty());
}

TEST_F(Runtime, ScreenshotAfterTheScriptAndItsFailure)
{
    std::vector<std::string> shots;
    ui::set_screenshot_renderer([&](int panel, const std::string &file, std::string &why) {
        shots.push_back(std::to_string(panel) + " " + file);
        why = "disk full";
        return false;
    });
    ui::Options o;
    o.screenshot_file = "out.png";
    o.script_file = write("s.ks", "press BTN\n");
    init(o);
    ui::script::set_output([](const std::string &) {});
    int h = show();
    EXPECT_EQ(RunUserInterface(), 1);  // the script passed, the picture did not
    ui::set_screenshot_renderer(nullptr);
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(shots[0], std::to_string(h) + " out.png");
    EXPECT_EQ(calls_of("rec_cb").size(), 1u);  // the script ran before the picture
    EXPECT_EQ(ui::exit_status(), 1);
    EXPECT_EQ(ui::last_failure(), "out.png: screenshot not written: disk full");
    EXPECT_EQ(calls_of("panel_cb").size(), 1u);  // then the window is closed
}

TEST(GetUILErrorString, EveryStatusHasItsOwnText)
{
    std::set<std::string> seen;
    for (int s = -12; s <= 0; ++s)
        EXPECT_TRUE(seen.insert(GetUILErrorString(s)).second) << s;
    EXPECT_STREQ(GetUILErrorString(-999), "Unknown run-time error.");
}

}  // namespace
