// The command line: each option lands in its field, -platform goes to the
// toolkit, and faults give status 2 with one line naming the culprit.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "app/panel/options.h"

namespace {

struct Parsed {
    int status;
    app::panel::Options opt;
    std::string out, err;
};

Parsed parse(std::vector<std::string> args, bool window = true, bool rtl_board = true)
{
    args.insert(args.begin(), "korvane");
    std::vector<const char *> argv;
    for (const auto &a : args) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    Parsed p;
    p.opt.window = window;
    p.opt.rtl_board = rtl_board;
    std::ostringstream out, err;
    p.status = app::panel::parse_options(static_cast<int>(args.size()), argv.data(), p.opt, out, err);
    p.out = out.str();
    p.err = err.str();
    return p;
}

TEST(Options, EveryOptionLandsInItsField)
{
    Parsed p = parse({"--panel", "p.uir", "--script", "-", "--screenshot", "s.png", "--daq", "/opt/lib.so",
                      "--trace", "t.txt", "--vcd", "v.vcd", "--vcd-layout", "lines"});
    ASSERT_EQ(p.status, app::panel::KEEP_GOING) << p.err;
    EXPECT_EQ(p.opt.panel, "p.uir");
    EXPECT_EQ(p.opt.script, "-");
    EXPECT_EQ(p.opt.screenshot, "s.png");
    EXPECT_EQ(p.opt.daq, "/opt/lib.so");
    EXPECT_EQ(p.opt.trace, "t.txt");
    EXPECT_EQ(p.opt.vcd, "v.vcd");
    EXPECT_EQ(p.opt.vcd_layout, "lines");
    EXPECT_FALSE(p.opt.version);
    EXPECT_TRUE(p.opt.toolkit_args.empty());
    EXPECT_TRUE(p.err.empty());
}

TEST(Options, PlatformGoesToTheToolkitWherever)
{
    for (auto args : std::vector<std::vector<std::string>>{{"-platform", "offscreen", "--daq", "sim"},
                                                           {"--daq", "sim", "-platform", "offscreen"}}) {
        Parsed p = parse(args);
        ASSERT_EQ(p.status, app::panel::KEEP_GOING) << p.err;
        EXPECT_EQ(p.opt.daq, "sim");
        EXPECT_EQ(p.opt.toolkit_args, (std::vector<std::string>{"-platform", "offscreen"}));
    }
}

TEST(Options, HelpAndVersion)
{
    Parsed help = parse({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--daq"), std::string::npos);
    EXPECT_NE(help.out.find("-platform"), std::string::npos);
    Parsed version = parse({"--version"});
    EXPECT_EQ(version.status, app::panel::KEEP_GOING);  // main prints it, with the driver
    EXPECT_TRUE(version.opt.version);
}

TEST(Options, FaultsGiveStatusTwoAndOneLine)
{
    struct Case {
        std::vector<std::string> args;
        const char *named;
    };
    for (const Case &c : std::vector<Case>{{{"--frobnicate"}, "--frobnicate"},
                                          {{"-x"}, "-x"},
                                          {{"stray"}, "stray"},
                                          {{"--daq"}, "--daq"},
                                          {{"--script"}, "--script"},
                                          {{"-platform"}, "-platform"},
                                          {{"--vcd", "v.vcd", "--vcd-layout", "wires"}, "wires"},
                                          {{"--vcd-layout", "lines"}, "--vcd-layout"}}) {
        Parsed p = parse(c.args);
        SCOPED_TRACE(c.named);
        EXPECT_EQ(p.status, app::panel::USAGE_ERROR);
        EXPECT_NE(p.err.find(c.named), std::string::npos) << p.err;
        EXPECT_EQ(std::count(p.err.begin(), p.err.end(), '\n'), 1) << p.err;
        EXPECT_TRUE(p.out.empty());
    }
}

// The help lists what the build has, each name clear of its description, a
// choice once (not "hex|dec:{hex,dec}"); the window's options without the
// window are usage errors before anything runs.
TEST(Options, HelpAndOptionsFollowTheBuild)
{
    for (bool window : {true, false})
        for (bool rtl : {true, false}) {
            SCOPED_TRACE(std::to_string(window) + std::to_string(rtl));
            Parsed help = parse({"--help"}, window, rtl);
            ASSERT_EQ(help.status, 0);
            EXPECT_EQ(help.out.find("--screenshot") != std::string::npos, window);
            EXPECT_EQ(help.out.find("-platform") != std::string::npos, window);
            EXPECT_EQ(help.out.find("model|rtl|PATH") != std::string::npos, rtl);
            EXPECT_EQ(help.out.find(":{"), std::string::npos) << help.out;
            std::istringstream lines(help.out);
            for (std::string line; std::getline(lines, line);)
                if (line.rfind("  -", 0) == 0 && line.size() > 44) {
                    EXPECT_EQ(line.substr(42, 2), "  ") << line;
                }
        }
    Parsed read_help = parse({"bus", "read", "--help"});
    EXPECT_NE(read_help.out.find("--format hex|dec "), std::string::npos) << read_help.out;
    EXPECT_EQ(read_help.out.find(":{"), std::string::npos) << read_help.out;

    for (auto args : std::vector<std::vector<std::string>>{{"--screenshot", "s.png", "--script", "x.ks"},
                                                           {"-platform", "offscreen"}}) {
        Parsed p = parse(args, false);
        EXPECT_EQ(p.status, app::panel::USAGE_ERROR);
        EXPECT_NE(p.err.find("built without"), std::string::npos) << p.err;
        EXPECT_EQ(parse(args, true).status, app::panel::KEEP_GOING);
    }
}

// A mistyped subcommand is answered with the closest name; a word far from all is not.
TEST(Options, AMistypedSubcommandGetsTheClosestName)
{
    for (auto [typed, meant] : std::vector<std::pair<std::string, std::string>>{
             {"selftets", "selftest"}, {"devcies", "devices"}, {"Bus", "bus"}, {"selftes", "selftest"}}) {
        Parsed p = parse({typed});
        EXPECT_EQ(p.status, app::panel::USAGE_ERROR);
        EXPECT_NE(p.err.find(": did you mean " + meant + "?"), std::string::npos) << p.err;
    }
    Parsed p = parse({"bus", "raed", "0", "0"});
    EXPECT_NE(p.err.find("unknown subcommand raed: did you mean read?"), std::string::npos) << p.err;
    p = parse({"frobnicate"});
    EXPECT_EQ(p.err.find("did you mean"), std::string::npos) << p.err;
}

}  // namespace
