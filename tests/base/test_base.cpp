// The run-time's base: error output, Fmt, CompareStrings, NotANumber (Breakpoint: test_breakpoint_posix.cpp).
#include "base/error_output.h"
#include "base/korvane_base.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>

namespace {

class ErrorOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        base::error_output_reset();
        base::set_stderr_echo(false);
        sink = base::add_error_sink([this](const std::string &l) { lines.push_back(l); });
    }
    void TearDown() override { base::error_output_reset(); }
    int sink = 0;
    std::vector<std::string> lines;
};

TEST_F(ErrorOutput, LibraryCp1251TextIsShownAsUtf8)
{
    ErrorPrintf("Error = %i, %s\n", -1,
                "ASSERT ERORR: vekta, line 12: \xcf\xee\xf0\xf2 \xe2\xed\xe5 \xe4\xe8\xe0\xef\xe0\xe7\xee\xed\xe0");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Error = -1, ASSERT ERORR: vekta, line 12: Порт вне диапазона");
    EXPECT_EQ(base::error_log(), lines);
}

TEST_F(ErrorOutput, Utf8AndAsciiPassUnchanged)
{
    ErrorPrintf("plain %d\n", 5);
    ErrorPrintf("уже UTF-8 — ok\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "plain 5");
    EXPECT_EQ(lines[1], "уже UTF-8 — ok");
}

TEST(Cp1251, WholeTableHighBytes)
{
    EXPECT_EQ(base::cp1251_to_utf8("\xa8\xb8"), "Ёё");
    EXPECT_EQ(base::cp1251_to_utf8("\xc0\xdf\xe0\xff"), "АЯая");
    EXPECT_EQ(base::cp1251_to_utf8("\xb9 5"), "№ 5");
    EXPECT_EQ(base::cp1251_to_utf8("\x98"), "\xef\xbf\xbd");  // unassigned byte: replacement character
    // A line that is not valid UTF-8 as a whole is taken as cp1251 throughout.
    EXPECT_EQ(base::cp1251_to_utf8("\xd0\xb0 \xcf"), "Р° П");
    EXPECT_FALSE(base::is_valid_utf8("\xed\xa0\x80"));  // surrogate
    EXPECT_FALSE(base::is_valid_utf8("\xc0\x80"));      // overlong
    EXPECT_FALSE(base::is_valid_utf8("\xe2\x82"));      // cut short
    EXPECT_TRUE(base::is_valid_utf8("\xf0\x9f\x98\x80"));
}

TEST_F(ErrorOutput, OneEntryPerLineWithoutEmptyTail)
{
    ErrorPrintf("a\nb\r\n");
    ErrorPrintf("no newline");
    ErrorPrintf("Error = %i, %s\n", -200397, "Unable to load.\n\nEnsure it is installed.\n");
    ErrorPrintf("\n");
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "no newline", "Error = -200397, Unable to load.",
                                               "Ensure it is installed.", ""}));
}

TEST_F(ErrorOutput, RemovedSinkGetsNothingAndOthersStillDo)
{
    std::vector<std::string> second;
    int id = base::add_error_sink([&](const std::string &l) { second.push_back(l); });
    ErrorPrintf("one\n");
    base::remove_error_sink(id);
    ErrorPrintf("two\n");
    EXPECT_EQ(second, std::vector<std::string>{"one"});
    EXPECT_EQ(lines.size(), 2u);
}

TEST_F(ErrorOutput, SinkMayWriteToTheErrorOutput)
{
    bool inner = false;
    base::add_error_sink([&](const std::string &l) {
        if (!inner && l == "outer") {
            inner = true;
            ErrorPrintf("inner\n");
        }
    });
    ErrorPrintf("outer\n");
    EXPECT_EQ(lines, (std::vector<std::string>{"outer", "inner"}));
}

TEST_F(ErrorOutput, LogSequenceNumbers)
{
    auto start = base::error_log_count();
    ErrorPrintf("x\n");
    ErrorPrintf("y\n");
    EXPECT_EQ(base::error_log_since(start + 1), std::vector<std::string>{"y"});
    EXPECT_TRUE(base::error_log_since(start + 2).empty());
}

// The count of error lines tells whether a report came in between: every line
// of a message counts, a note does not, and clearing the log does not take it back.
TEST_F(ErrorOutput, ReportCountCountsErrorLinesNotNotes)
{
    const auto start = base::error_report_count();
    NotePrintf("a note\n");
    EXPECT_EQ(base::error_report_count(), start);
    ErrorPrintf("Error = -1\nsecond line\n");
    EXPECT_EQ(base::error_report_count(), start + 2);
    base::error_log_clear();
    EXPECT_EQ(base::error_report_count(), start + 2);
}

TEST_F(ErrorOutput, LongLinesAreNotCut)
{
    std::string big(5000, 'z');
    ErrorPrintf("%s\n", big.c_str());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], big);
}

TEST(Fmt, FormatsItems)
{
    char buf[64];
    EXPECT_EQ(Fmt(buf, "port%iW%i", 1, 3), 7);
    EXPECT_STREQ(buf, "port1W3");
    EXPECT_EQ(Fmt(buf, "%sPXI1Slot%d/port%i/line%i", "", 2, 0, 7), 21);
    EXPECT_STREQ(buf, "PXI1Slot2/port0/line7");
    Fmt(buf, "100%% %s", "done");
    EXPECT_STREQ(buf, "100% done");
    Fmt(buf, "[%3i|%-3d|%02i]", 5, 6, 7);
    EXPECT_STREQ(buf, "[  5|6  |07]");
    Fmt(buf, "%s", static_cast<const char *>(nullptr));
    EXPECT_STREQ(buf, "(null)");
}

TEST(Fmt, NeverWritesPastTheBuffer)
{
    char buf[8 + 4];
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(FmtN(buf, 8, "%s-%i", "abcdef", 12345), -1);
    EXPECT_STREQ(buf, "abcdef-");
    for (int i = 8; i < 12; ++i)
        EXPECT_EQ(buf[i], '#');
    char exact[8];
    EXPECT_EQ(Fmt(exact, "%s", "1234567"), 7);  // fits with its NUL
    EXPECT_EQ(Fmt(exact, "%s", "12345678"), -1);
    EXPECT_STREQ(exact, "1234567");
    EXPECT_EQ(FmtN(nullptr, 0, "x"), -1);
}

TEST(Fmt, UnknownConversionsAreCopiedAndConsumeNothing)
{
    char buf[64];
    Fmt(buf, "%f %i", 9);
    EXPECT_STREQ(buf, "%f 9");
}

TEST(CompareStrings, AsStrcmpWithIndexesAndCase)
{
    EXPECT_EQ(CompareStrings("", 0, "", 0, 0), 0);
    EXPECT_EQ(CompareStrings("OnboardClock", 0, "onboardclock", 0, 0), 0);
    EXPECT_NE(CompareStrings("OnboardClock", 0, "onboardclock", 0, 1), 0);
    EXPECT_LT(CompareStrings("abc", 0, "abd", 0, 1), 0);
    EXPECT_GT(CompareStrings("abd", 0, "abc", 0, 1), 0);
    EXPECT_LT(CompareStrings("ab", 0, "abc", 0, 1), 0);
    EXPECT_EQ(CompareStrings("xxabc", 2, "abc", 0, 1), 0);
    EXPECT_EQ(CompareStrings("abc", 99, "", 0, 1), 0);  // index past the end: empty
    EXPECT_EQ(CompareStrings(nullptr, 0, "", 0, 0), 0);
    EXPECT_NE(CompareStrings("/Dev1/PFI0", 0, "", 0, 0), 0);
}

TEST(NotANumber, ExactBits)
{
    double d = NotANumber();
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    EXPECT_EQ(bits, 0x7FF8000000000000ULL);
    EXPECT_TRUE(std::isnan(d));
}

}  // namespace

namespace {

// In the window, standard error says a message that comes again in a row once
// and then how many more times it came; the log and the sinks get every one.
TEST_F(ErrorOutput, RepeatedMessagesAreCountedOnStandardErrorUnderCollapse)
{
    base::set_stderr_echo(true);
    base::set_stderr_collapse(true);
    ::testing::internal::CaptureStderr();
    for (int i = 0; i < 40; ++i)
        base::error_lines({"Error = -200397, Unable to load.", "Ensure that it is installed."});
    base::error_line("other");
    base::error_line("other");
    base::error_line("last");
    base::error_line("last");
    base::set_stderr_collapse(false);
    base::error_line("last");
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "Error = -200397, Unable to load.\nEnsure that it is installed.\n"
                   "(the same message 39 more times)\nother\n(the same line 1 more time)\nlast\n"
                   "(the same line 1 more time)\nlast\n");
    EXPECT_EQ(lines.size(), 40u * 2 + 5) << "the sinks get every line";
    EXPECT_EQ(base::error_log_count(), 40u * 2 + 5);
}

}  // namespace
