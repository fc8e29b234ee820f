// Script mode: each verb, refused actions and failed checks, parse errors,
// exit statuses and the summary line.
#include "tests/ui/ui_test_support.h"

#include <cmath>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace uitest;

namespace {

class Script : public Runtime {
protected:
    void SetUp() override
    {
        Runtime::SetUp();
        ui::script::set_output([this](const std::string &l) { out.push_back(l); });
    }
    // Loads the test panel, then runs the script as RunUserInterface would.
    int run(const std::string &text, ui::Options o = {})
    {
        o.script_file = write("t.ks", text);
        init(o);
        h = show();
        int rc = RunUserInterface();
        EXPECT_EQ(ui::exit_status(), rc);
        return rc;
    }
    std::string path() const { return (dir_ / "t.ks").string(); }
    std::vector<std::string> out;
    int h = 0;
};

TEST_F(Script, ActionsAndChecksThatPass)
{
    int rc = run(R"(# a comment, then a blank line

set NUM_INT 0x1F        # trailing comment
expect NUM_INT 31
expect NUM_INT 0b11111
set NUM_DBL 1.23456
expect NUM_DBL 1.235    # as shown, at 3 digits
expect NUM_DBL 1.2 0.05
press TOG
expect TOG 1
press BTN
expect IND 5
expect-dimmed DIM_BTN yes
expect-dimmed BTN no
expect-timer TIMER_A on
expect-timer TIMER_B off
expect 3 1.235
)");
    EXPECT_EQ(rc, 0);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.back(), "15 passed, 0 failed");
    EXPECT_EQ(out.size(), 1u);
    // set, set, press, press: each committed to rec_cb
    EXPECT_EQ(calls_of("rec_cb").size(), 4u);
    // the end of the script closes the window
    ASSERT_FALSE(calls_of("panel_cb").empty());
    EXPECT_EQ(calls_of("panel_cb").back().event, EVENT_CLOSE);
}

TEST_F(Script, RefusedActionsAndFailedChecksGoOn)
{
    int rc = run(R"(set DIM_BTN 1
set IND 3
press DIM_BTN
set NUM_DBL nan
expect NUM_INT 7
expect NUM_DBL 0
expect BTN 1
expect-dimmed BTN yes
expect-timer BTN on
expect-timer TIMER_A off
press FRAME
set NOPE 1
expect IND 5
)");
    EXPECT_EQ(rc, 1);
    const std::string f = path();
    std::vector<std::string> want = {
        f + ":1: expected set DIM_BTN 1 to be accepted, got refused: a button takes no value",
        f + ":2: expected set IND 3 to be accepted, got refused: the control is an indicator",
        f + ":3: expected press DIM_BTN to be accepted, got refused: the control is dimmed",
        f + ":4: expected set NUM_DBL nan to be accepted, got refused: not a number",
        f + ":5: expected NUM_INT = 7, got 0x00 (0)",
        f + ":6: expected NUM_DBL = 0, got NaN",
        f + ":7: expected BTN to show a value, got a button",
        f + ":8: expected BTN dimmed, got not dimmed",
        f + ":9: expected BTN to be a timer, got a button",
        f + ":10: expected timer TIMER_A off, got on",
        f + ":11: expected press FRAME to be accepted, got refused: a decoration cannot be pressed",
        f + ":12: expected a control named NOPE, got none on the panel",
        "1 passed, 12 failed",
    };
    EXPECT_EQ(out, want);
    EXPECT_TRUE(calls_of("rec_cb").empty());
}

TEST_F(Script, WaitLetsTimersTickInVirtualTime)
{
    int rc = run(R"(wait 250ms
wait 0.05s
wait 50000us
)");
    EXPECT_EQ(rc, 0);
    auto ticks = calls_of("timer_a");
    ASSERT_EQ(ticks.size(), 3u);
    EXPECT_EQ(ticks[2].at_ns, 300000000);
    EXPECT_EQ(ui::now_ns(), 350000000);
    EXPECT_EQ(out.back(), "0 passed, 0 failed");
}

TEST_F(Script, ExpectLogLooksAtLinesSinceTheLastLogCheck)
{
    on_call() = [](const Call &c) {
        if (c.who == "rec_cb" && c.control == 6)
            ErrorPrintf("Error = %i, %s\n", -1, "\xcf\xee\xf0\xf2 \xe2\xed\xe5 \xe4\xe8\xe0\xef\xe0\xe7\xee\xed\xe0");
    };
    int rc = run(R"(expect-no-log
press BTN
expect-log Error = -1, Порт вне диапазона
expect-no-log
expect-log Error
press BTN
press BTN
expect-no-log
)");
    EXPECT_EQ(rc, 1);
    const std::string f = path();
    EXPECT_EQ(out, (std::vector<std::string>{
                       f + ":5: expected an error output line containing \"Error\", got none",
                       f + ":8: expected no error output, got \"Error = -1, Порт вне диапазона\", \"Error = -1, "
                           "Порт вне диапазона\"",
                       "6 passed, 2 failed"}));
}

// expect-log-count looks at the newest entry that matches: an older run of
// the same message counts for nothing.
TEST_F(Script, ExpectLogCountLooksAtTheNewestMatchingEntry)
{
    on_call() = [](const Call &c) {
        if (c.who == "rec_cb") ErrorPrintf("Error = -1, %s\n", c.control == 6 ? "the button" : "the toggle");
    };
    int rc = run(R"(press BTN
press BTN
press BTN
press TOG
press BTN
expect-log-count 1 the button
expect-log-count 1 the toggle
expect-log-count 3 the button
)");
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(out, (std::vector<std::string>{path() + ":8: expected the log pane's last entry with \"the button\" to "
                                                      "count 3, got 1",
                                             "7 passed, 1 failed"}));
}

TEST_F(Script, QuitClosesTheWindowAndEndsTheScript)
{
    int rc = run("press BTN\nquit\npress BTN\nexpect NUM_INT 99\n");
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(calls_of("rec_cb").size(), 1u);
    ASSERT_EQ(calls_of("panel_cb").size(), 1u);
    EXPECT_EQ(calls_of("panel_cb")[0].event, EVENT_CLOSE);
    EXPECT_EQ(out.back(), "1 passed, 0 failed");
}

TEST_F(Script, ProgramQuittingMidScriptIsAFailure)
{
    on_call() = [](const Call &c) {
        if (c.who == "rec_cb")
            QuitUserInterface(0);
    };
    int rc = run("press BTN\nexpect NUM_INT 0\n");
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(out[0], path() + ":2: expected the script to run to its end, got QuitUserInterface from the program");
    EXPECT_TRUE(calls_of("panel_cb").empty());  // the loop already ended: no close event
}

struct ParseCase {
    const char *line;
    const char *why;
};

class ScriptParse : public Script, public ::testing::WithParamInterface<ParseCase> {};

TEST_P(ScriptParse, CannotBeParsedAndNothingRuns)
{
    int rc = run(std::string("press BTN\n") + GetParam().line + "\n");
    EXPECT_EQ(rc, 2);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], path() + ":2: " + GetParam().why);
    EXPECT_TRUE(calls().empty());  // parsed before anything runs; no close either
    EXPECT_EQ(ui::last_failure(), out[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, ScriptParse,
    ::testing::Values(ParseCase{"jump BTN", "unknown verb \"jump\""},
                      ParseCase{"set NUM_INT", "set takes 2 arguments, got 1"},
                      ParseCase{"press", "press takes 1 argument, got 0"},
                      ParseCase{"expect NUM_INT 1 2 3", "expect takes 2 to 3 arguments, got 4"},
                      ParseCase{"set NUM_INT 12abc", "\"12abc\" is not a number"},
                      ParseCase{"expect NUM_DBL 1 -0.5", "the tolerance must be a number of 0 or more"},
                      ParseCase{"wait 10", "\"10\" is not a duration (e.g. 250ms, 2s, 500us)"},
                      ParseCase{"wait -1s", "\"-1s\" is not a duration (e.g. 250ms, 2s, 500us)"},
                      ParseCase{"expect-dimmed BTN maybe", "expect-dimmed takes yes or no, got \"maybe\""},
                      ParseCase{"expect-timer TIMER_A 1", "expect-timer takes on or off, got \"1\""},
                      ParseCase{"expect-trace CHART t median 1",
                                "expect-trace measures points, gaps, last, min, max or mean, not \"median\""},
                      ParseCase{"expect-log", "expect-log needs the text to look for"},
                      ParseCase{"quit now", "quit takes 0 arguments, got 1"},
                      ParseCase{"wait 4000000000s", "wait 4000000000s is longer than the virtual clock's 100 years"},
                      ParseCase{"\x01jump\x1b[2J\x7f BTN", "unknown verb \"\\x01jump\\x1B[2J\\x7F\""}));

// Waits that together pass the virtual clock's end: the clock stops there
// (it never overflows) and the wait that passes it is a failure.
TEST_F(Script, LongWaitsStopAtTheClocksEnd)
{
    ui::Options o;
    o.script_file = write("t.ks", "wait 3000000000s\nwait 3000000000s\nwait 3000000000s\nexpect NUM_INT 0\n");
    init(o);
    std::string text = kTestPanel;
    text.replace(text.find("enabled = true"), 14, "enabled = false");
    show(text);
    EXPECT_EQ(RunUserInterface(), 1);
    EXPECT_EQ(out, (std::vector<std::string>{
                       path() + ":2: expected the virtual time to stay within 100 years, got wait 3000000000s at "
                                "3000000000 s",
                       path() + ":3: expected the virtual time to stay within 100 years, got wait 3000000000s at "
                                "3155760000 s",
                       "1 passed, 2 failed"}));
}

TEST_F(Script, AllParseErrorsAreListed)
{
    int rc = run("bogus\nset X\nexpect-no-log extra\n");
    EXPECT_EQ(rc, 2);
    EXPECT_EQ(out.size(), 3u);
}

TEST_F(Script, UnreadableScriptIsStatusTwo)
{
    ui::Options o;
    o.script_file = (dir_ / "missing.ks").string();
    init(o);
    show();
    EXPECT_EQ(RunUserInterface(), 2);
    EXPECT_EQ(ui::exit_status(), 2);
    EXPECT_NE(ui::last_failure().find("cannot read the script"), std::string::npos);
}

TEST_F(Script, PanelDiscardedByTheCallbackThatQuitsStillTellsItsTimers)
{
    on_call() = [](const Call &c) {
        if (c.who == "rec_cb") {
            QuitUserInterface(0);
            DiscardPanel(c.panel);
        }
    };
    EXPECT_EQ(run("press BTN\n"), 0);
    std::vector<std::string> seq;
    for (auto &c : calls())
        seq.push_back(c.who + ":" + std::to_string(c.event));
    EXPECT_EQ(seq, (std::vector<std::string>{"rec_cb:1", "timer_a:16", "timer_b:16"}));
}

// What is no script file is refused unread: a folder, a FIFO (opening it
// would block), a device, a file larger than korvane reads.
TEST_F(Script, NoFileOrAHugeOneGivenAsTheScriptIsStatusTwo)
{
    // Beside the test's folder, which each round below makes anew.
    const std::filesystem::path files = dir_.string() + "-files";
    std::filesystem::create_directories(files);
    const std::string fifo = (files / "fifo.ks").string(), huge = (files / "huge.ks").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream(huge) << "wait 1s\n";
    std::filesystem::resize_file(huge, 27u << 20);
    const std::pair<std::string, std::string> cases[] = {
        {files.string(), "a folder"}, {fifo, "a FIFO"}, {"/dev/zero", "a device"}, {huge, "more than 1 MiB"}};
    for (const auto &[file, why] : cases) {
        TearDown();
        SetUp();
        out.clear();
        ui::Options o;
        o.script_file = file;
        init(o);
        show();
        EXPECT_EQ(RunUserInterface(), 2) << file;
        EXPECT_EQ(out, (std::vector<std::string>{file + ": cannot read the script (" + why + ")"}));
        EXPECT_TRUE(calls_of("panel_cb").empty());  // nothing was played, the window was not closed
    }
    std::filesystem::remove_all(files);
}

// Standard input closed, or a folder, is no script (not an empty one that passes).
TEST_F(Script, UnreadableStandardInputIsStatusTwo)
{
    init();
    show();
    int saved = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);  // -1 when it is closed already
    ::close(STDIN_FILENO);
    EXPECT_EQ(ui::script::run_file("-"), 2);
    int dir = ::open(dir_.c_str(), O_RDONLY | O_DIRECTORY);  // the lowest free descriptor: 0
    EXPECT_EQ(dir, STDIN_FILENO);
    EXPECT_EQ(ui::script::run_file("-"), 2);
    if (saved >= 0) {
        ::dup2(saved, STDIN_FILENO);
        ::close(saved);
    } else {
        ::close(STDIN_FILENO);
    }
    EXPECT_EQ(out, (std::vector<std::string>{"stdin: cannot read the script (standard input is closed)",
                                             "stdin: cannot read the script (a folder)"}));
    EXPECT_TRUE(calls_of("panel_cb").empty());
}

TEST_F(Script, RegisteredVerbsTakeTheirArguments)
{
    std::vector<std::vector<std::string>> seen;
    ui::script::register_verb("probe", 2, 3, [&](const std::vector<std::string> &a) {
        seen.push_back(a);
        if (a[0] == "ao0")
            return ui::script::Result{true, ""};
        if (a[0] == "boom")
            throw std::runtime_error("bench gone");
        return ui::script::Result{false, "expected " + a[0] + " = " + a[1] + ", got 0"};
    });
    int rc = run("probe ao0 2.5\nprobe port0 0xA5 0\nprobe boom 1\n");
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[1], (std::vector<std::string>{"port0", "0xA5", "0"}));
    EXPECT_EQ(out, (std::vector<std::string>{path() + ":2: expected port0 = 0xA5, got 0",
                                             path() + ":3: expected probe to run, got an exception: bench gone",
                                             "1 passed, 2 failed"}));
}

TEST_F(Script, RegisteredVerbArgumentCountIsAParseError)
{
    ui::script::register_verb("drive", 2, 2, [](const std::vector<std::string> &) { return ui::script::Result{}; });
    EXPECT_EQ(run("drive ai4\n"), 2);
    EXPECT_EQ(out[0], path() + ":1: drive takes 2 arguments, got 1");
}

TEST_F(Script, NewCtrlControlsAreNamedByLabel)
{
    ui::Options o;
    o.script_file = write("t.ks", "expect AI0 nan\nexpect AI1 1.5\nset AI1 2\nexpect 12 2\n");
    init(o);
    h = show();
    int a0 = NewCtrl(h, CTRL_NUMERIC, "AI0", 0, 0);
    int a1 = NewCtrl(h, CTRL_NUMERIC, "AI1", 60, 0);
    SetCtrlVal(h, a0, NotANumber());
    SetCtrlVal(h, a1, 1.5);
    EXPECT_EQ(RunUserInterface(), 0) << (out.empty() ? "" : out[0]);
}

TEST(ParseNumber, Forms)
{
    struct {
        const char *text;
        double value;
    } ok[] = {{"0", 0},      {"42", 42},   {"-3", -3},    {"+7", 7},     {"1.5", 1.5},     {".5", 0.5},
              {"1e3", 1000}, {"0x1F", 31}, {"0XfF", 255}, {"-0x10", -16}, {"0b101", 5},     {"0B11111111", 255},
              {"007", 7}};
    for (auto &c : ok) {
        double v = -999;
        EXPECT_TRUE(ui::script::parse_number(c.text, v)) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
    }
    for (const char *n : {"nan", "NaN", "-nan"}) {
        double v = 0;
        EXPECT_TRUE(ui::script::parse_number(n, v)) << n;
        EXPECT_TRUE(std::isnan(v));
    }
    for (const char *bad : {"", "-", "0x", "0b", "0b102", "0xG1", "abc", "1.2.3", "inf", "1e999", "12 ", " 12", "1_000",
                            "0x1p3", "--1"}) {
        double v = 0;
        EXPECT_FALSE(ui::script::parse_number(bad, v)) << '"' << bad << '"';
    }
}

TEST(ParseDuration, Units)
{
    std::int64_t ns = 0;
    EXPECT_TRUE(ui::script::parse_duration("250ms", ns));
    EXPECT_EQ(ns, 250000000);
    EXPECT_TRUE(ui::script::parse_duration("2s", ns));
    EXPECT_EQ(ns, 2000000000);
    EXPECT_TRUE(ui::script::parse_duration("1.5us", ns));
    EXPECT_EQ(ns, 1500);
    EXPECT_TRUE(ui::script::parse_duration("0s", ns));
    EXPECT_EQ(ns, 0);
    for (const char *bad : {"", "s", "ms", "10", "10 ms", "-5ms", "1e3s", "10min", "99999999999s"})
        EXPECT_FALSE(ui::script::parse_duration(bad, ns)) << bad;
}

}  // namespace
