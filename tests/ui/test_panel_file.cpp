// Panel files: what loads, where bare names are found, and one clear line
// (never a crash) for each kind of broken file.
#include "tests/ui/ui_test_support.h"

#include <cerrno>
#include <climits>
#include <filesystem>

#include "base/platform.h"

using namespace uitest;

namespace {

const std::string kHead = R"([[panel]]
resource = 1
callback = "panel_cb"
)";

std::string control(const std::string &body)
{
    return "\n[[panel.control]]\n" + body + "\n";
}

const std::string kOk = control("id = 5\nname = \"OK\"\nkind = \"button\"");

struct BrokenCase {
    const char *what;
    std::string text;
    int status;
    const char *message;  // expected inside the error line, after "FILE"
};

void PrintTo(const BrokenCase &c, std::ostream *os) { *os << c.what; }

class BrokenFile : public Runtime, public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(BrokenFile, FailsWithOneClearLine)
{
    const BrokenCase &c = GetParam();
    init();
    std::vector<std::string> lines;
    base::add_error_sink([&](const std::string &l) { lines.push_back(l); });
    std::string path = write("bad.uir", c.text);
    int st = LoadPanel(0, path.c_str(), 1);
    EXPECT_EQ(st, c.status);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind(path, 0), 0u) << lines[0];  // names the file first
    EXPECT_NE(lines[0].find(c.message), std::string::npos) << lines[0];
    EXPECT_EQ(ui::last_failure(), lines[0]);
    EXPECT_TRUE(ui::model::panels().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BrokenFile,
    ::testing::Values(
        BrokenCase{"syntax", kHead + "width = = 3\n", UIEPanelFileInvalid, ":4:"},
        BrokenCase{"empty", "", UIEPanelFileInvalid, "no [[panel]] tables"},
        BrokenCase{"garbage", std::string("\x00\xff\xfe\x01[[[", 7), UIEPanelFileInvalid, ":1:"},
        BrokenCase{"unclosed string", kHead + "title = \"abc\n", UIEPanelFileInvalid, ":4:"},
        BrokenCase{"unknown top key", "version = 2\n" + kHead, UIEPanelFileInvalid, ":1: unknown key \"version\""},
        BrokenCase{"panel not array", "[panel]\nresource = 1\n", UIEPanelFileInvalid, "no [[panel]] tables"},
        BrokenCase{"unknown panel key", kHead + "colour = \"red\"\n", UIEPanelFileInvalid,
                   ":4: panel: unknown key \"colour\""},
        BrokenCase{"missing resource", "[[panel]]\ntitle = \"x\"\n", UIEPanelFileInvalid,
                   "missing required key \"resource\""},
        BrokenCase{"resource type", "[[panel]]\nresource = \"1\"\n", UIEPanelFileInvalid,
                   ":2: panel: \"resource\" must be an integer"},
        BrokenCase{"duplicate resource", kHead + kHead, UIEPanelFileInvalid, "resource 1 is given twice"},
        BrokenCase{"no such resource", "[[panel]]\nresource = 2\n", UIEResourceNotFound,
                   "no panel with resource number 1"},
        BrokenCase{"fault in another panel", kHead + "\n[[panel]]\nresource = 2\nwidth = -4\n", UIEPanelFileInvalid,
                   ":7: panel 2: \"width\" is -4"},
        BrokenCase{"control table not array", kHead + "[panel.control]\nid = 1\n", UIEPanelFileInvalid,
                   "[[panel.control]]"},
        BrokenCase{"unknown control key", kHead + control("id = 7\nname = \"A\"\nkind = \"button\"\ncolour = 1"),
                   UIEPanelFileInvalid, ":9: control 7 (A): unknown key \"colour\""},
        BrokenCase{"unknown kind", kHead + control("id = 7\nname = \"A\"\nkind = \"slider\""), UIEPanelFileInvalid,
                   ":8: control 7 (A): unknown kind \"slider\""},
        BrokenCase{"missing id", kHead + control("name = \"A\"\nkind = \"button\""), UIEPanelFileInvalid,
                   ":5: control: missing required key \"id\""},
        BrokenCase{"missing name", kHead + control("id = 7\nkind = \"button\""), UIEPanelFileInvalid,
                   "control 7: missing required key \"name\""},
        BrokenCase{"missing kind", kHead + control("id = 7\nname = \"A\""), UIEPanelFileInvalid,
                   "control 7 (A): missing required key \"kind\""},
        BrokenCase{"id as text", kHead + control("id = \"7\"\nname = \"A\"\nkind = \"button\""), UIEPanelFileInvalid,
                   ":6: control: \"id\" must be an integer"},
        BrokenCase{"id zero", kHead + control("id = 0\nname = \"A\"\nkind = \"button\""), UIEPanelFileInvalid,
                   "\"id\" is 0, outside"},
        BrokenCase{"id huge", kHead + control("id = 99999999999\nname = \"A\"\nkind = \"button\""),
                   UIEPanelFileInvalid, "\"id\" is 99999999999"},
        BrokenCase{"name not identifier", kHead + control("id = 7\nname = \"1A B\"\nkind = \"button\""),
                   UIEPanelFileInvalid, "must be a C identifier"},
        BrokenCase{"label type", kHead + control("id = 7\nname = \"A\"\nkind = \"button\"\nlabel = 5"),
                   UIEPanelFileInvalid, ":9: control 7 (A): \"label\" must be a string"},
        BrokenCase{"dimmed type", kHead + control("id = 7\nname = \"A\"\nkind = \"button\"\ndimmed = 1"),
                   UIEPanelFileInvalid, "\"dimmed\" must be true or false"},
        BrokenCase{"duplicate id", kHead + kOk + control("id = 5\nname = \"B\"\nkind = \"button\""),
                   UIEPanelFileInvalid, ":10: control 5 (B): identifier 5 is used twice"},
        BrokenCase{"duplicate name", kHead + kOk + control("id = 6\nname = \"OK\"\nkind = \"button\""),
                   UIEPanelFileInvalid, "constant name OK is also given to control 5"},
        BrokenCase{"key not for kind", kHead + control("id = 7\nname = \"A\"\nkind = \"button\"\ninterval = 1"),
                   UIEPanelFileInvalid, "key \"interval\" does not apply to a button"},
        BrokenCase{"title on numeric", kHead + control("id = 7\nname = \"A\"\nkind = \"numeric_int\"\ntitle = \"x\""),
                   UIEPanelFileInvalid, "key \"title\" does not apply to a numeric_int"},
        BrokenCase{"format on double",
                   kHead + control("id = 7\nname = \"A\"\nkind = \"numeric_double\"\nformat = \"hex\""),
                   UIEPanelFileInvalid, "key \"format\" does not apply to a numeric_double"},
        BrokenCase{"bad format", kHead + control("id = 7\nname = \"A\"\nkind = \"numeric_int\"\nformat = \"octal\""),
                   UIEPanelFileInvalid, "format must be"},
        BrokenCase{"bad mode", kHead + control("id = 7\nname = \"A\"\nkind = \"numeric_int\"\nmode = \"hot\""),
                   UIEPanelFileInvalid, "mode must be"},
        BrokenCase{"chart without traces", kHead + control("id = 7\nname = \"C\"\nkind = \"chart\""),
                   UIEPanelFileInvalid, "missing required key \"traces\""},
        BrokenCase{"chart trace twice",
                   kHead + control("id = 7\nname = \"C\"\nkind = \"chart\"\ntraces = [\"AI0\", \"AI0\"]"),
                   UIEPanelFileInvalid, "names \"AI0\" twice"},
        BrokenCase{"chart placed", kHead + control("id = 7\nname = \"C\"\nkind = \"chart\"\ntraces = [\"A\"]\ntop = 4"),
                   UIEPanelFileInvalid, "key \"top\" does not apply to a chart"},
        BrokenCase{"chart span", kHead + control("id = 7\nname = \"C\"\nkind = \"chart\"\ntraces = [\"A\"]\nspan = 5"),
                   UIEPanelFileInvalid, "span is in seconds, from 10 to 600"},
        BrokenCase{"blank on toggle", kHead + control("id = 7\nname = \"A\"\nkind = \"toggle\"\nblank = 1"),
                   UIEPanelFileInvalid, "key \"blank\" does not apply to a toggle"},
        BrokenCase{"interval zero", kHead + control("id = 7\nname = \"T\"\nkind = \"timer\"\ninterval = 0"),
                   UIEPanelFileInvalid, "interval is in seconds"},
        BrokenCase{"interval nan", kHead + control("id = 7\nname = \"T\"\nkind = \"timer\"\ninterval = nan"),
                   UIEPanelFileInvalid, "\"interval\" must not be nan"},
        BrokenCase{"min above max",
                   kHead + control("id = 7\nname = \"A\"\nkind = \"numeric_int\"\nmin = 5\nmax = 1"),
                   UIEPanelFileInvalid, ":10: control 7 (A): max is below min"},
        BrokenCase{"grey_while on a field",
                   kHead + control("id = 7\nname = \"A\"\nkind = \"numeric_int\"\ngrey_while = \"OK\""),
                   UIEPanelFileInvalid, "grey_while is for lamps"},
        BrokenCase{"grey_while names nothing",
                   kHead + control("id = 7\nname = \"A\"\nkind = \"numeric_int\"\nformat = \"leds\"\n"
                                   "grey_while = \"B\""),
                   UIEPanelFileInvalid, "control 7 (A): grey_while names no control of the panel: B"},
        BrokenCase{"grey_while without blank",
                   kHead + kOk + control("id = 7\nname = \"A\"\nkind = \"numeric_int\"\nformat = \"leds\"\n"
                                         "grey_while = \"OK\""),
                   UIEPanelFileInvalid, "grey_while names OK, which has no blank value"},
        BrokenCase{"held_while names nothing",
                   kHead + control("id = 7\nname = \"A\"\nkind = \"numeric_double\"\nheld_while = \"B\""),
                   UIEPanelFileInvalid, "control 7 (A): held_while names no control of the panel: B"},
        BrokenCase{"held_while on a button",
                   kHead + kOk + control("id = 7\nname = \"A\"\nkind = \"button\"\nheld_while = \"OK\""),
                   UIEPanelFileInvalid, "held_while"},
        BrokenCase{"int value float", kHead + control("id = 7\nname = \"A\"\nkind = \"numeric_int\"\nvalue = 1.5"),
                   UIEPanelFileInvalid, "\"value\" must be an integer"},
        BrokenCase{"int value nan", kHead + control("id = 7\nname = \"A\"\nkind = \"numeric_int\"\nvalue = nan"),
                   UIEPanelFileInvalid, "\"value\" must be an integer"},
        BrokenCase{"double inf", kHead + control("id = 7\nname = \"A\"\nkind = \"numeric_double\"\nvalue = inf"),
                   UIEPanelFileInvalid, "\"value\" must be finite"},
        BrokenCase{"toggle value 2", kHead + control("id = 7\nname = \"A\"\nkind = \"toggle\"\nvalue = 2"),
                   UIEPanelFileInvalid, "\"value\" is 2, outside 0..1"},
        BrokenCase{"digits too many",
                   kHead + control("id = 7\nname = \"A\"\nkind = \"numeric_double\"\ndigits = 16"),
                   UIEPanelFileInvalid, "\"digits\" is 16, outside 0..15"},
        BrokenCase{"unknown callback",
                   kHead + control("id = 23\nname = \"PORT_MASK_0\"\nkind = \"numeric_int\"\ncallback = \"mask_cbb\""),
                   UIECallbackNotFound, ":9: control 23 (PORT_MASK_0): unknown callback \"mask_cbb\""},
        BrokenCase{"panel callback on control",
                   kHead + control("id = 7\nname = \"A\"\nkind = \"button\"\ncallback = \"panel_cb\""),
                   UIECallbackNotFound, "\"panel_cb\" is registered as a panel callback"},
        BrokenCase{"control callback on panel", "[[panel]]\nresource = 1\ncallback = \"rec_cb\"\n",
                   UIECallbackNotFound, ":3: panel 1: callback \"rec_cb\" is registered as a control callback"},
        BrokenCase{"newline in the parser's message", kHead + "title = tru\n", UIEPanelFileInvalid,
                   ":4: Error while parsing boolean: expected 'true', saw 'tru\\n'"},
        BrokenCase{"newline in a quoted key", kHead + "\"col\\nour\" = 1\n", UIEPanelFileInvalid,
                   ":4: panel: unknown key \"col\\nour\""},
        BrokenCase{"control characters in a kind",
                   kHead + control("id = 7\nname = \"A\"\nkind = \"but\\r\\nton\\u0001\""), UIEPanelFileInvalid,
                   "unknown kind \"but\\r\\nton\\x01\""},
        BrokenCase{"not UTF-8", kHead + "title = \"ok\"\n# caf\xe9 au lait\n", UIEPanelFileInvalid,
                   ":5: the file is not valid UTF-8 (byte 0xE9)"},
        BrokenCase{"empty callback", kHead + control("id = 7\nname = \"A\"\nkind = \"button\"\ncallback = \"\""),
                   UIEPanelFileInvalid, "must be a C identifier"}),
    [](const ::testing::TestParamInfo<BrokenCase> &info) {
        std::string n = info.param.what;
        for (auto &ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return n;
    });

TEST_F(Runtime, NestingAndHugeFilesDoNotCrash)
{
    init();
    std::string deep = "x = " + std::string(5000, '[') + std::string(5000, ']') + "\n";
    EXPECT_EQ(LoadPanel(0, write("deep.uir", deep).c_str(), 1), UIEPanelFileInvalid);
    std::string many = kHead;
    for (int i = 1; i <= 3000; ++i)
        many += control("id = " + std::to_string(i) + "\nname = \"C" + std::to_string(i) +
                        "\"\nkind = \"numeric_int\"");
    int h = LoadPanel(0, write("many.uir", many).c_str(), 1);
    EXPECT_GT(h, 0);
    EXPECT_EQ(ui::model::controls(h).size(), 3000u);
}

// What is there but is no file is named as what it is, and never opened (a
// FIFO would block the reader).
TEST_F(Runtime, FifoOrFolderGivenAsThePanelFileIsNamed)
{
    init();
    std::string fifo = (dir_ / "fifo.uir").string();
    const int made = base::platform::make_fifo(fifo);
    ASSERT_TRUE(made == 0 || made == ENOSYS) << made;  // Windows has no FIFOs
    if (made == 0) {
        EXPECT_EQ(LoadPanel(0, fifo.c_str(), 1), UIEFileNotFound);
        EXPECT_EQ(ui::last_failure(), fifo + ": a FIFO, not a panel file");
    }
    EXPECT_EQ(LoadPanel(0, dir_.string().c_str(), 1), UIEFileNotFound);
    EXPECT_EQ(ui::last_failure(), dir_.string() + ": a folder, not a panel file");
    // A file larger than korvane reads is refused unread.
    std::string huge = write("huge.uir", kHead);
    std::filesystem::resize_file(huge, 27u << 20);
    EXPECT_EQ(LoadPanel(0, huge.c_str(), 1), UIEFileNotFound);
    EXPECT_EQ(ui::last_failure(), huge + ": cannot read the panel file (more than 1 MiB)");
}

// Every integer key takes both ends of its range, and nothing past them.
TEST_F(Runtime, IntegerKeysTakeBothEndsOfTheirRange)
{
    init();
    struct Key {
        const char *key, *kind;  // kind: of the control; "panel" for a key of the panel
        long long lo, hi;
    };
    const Key keys[] = {
        {"id", "button", 1, INT_MAX - 1000000}, {"top", "button", -10000, 10000},
        {"left", "button", -10000, 10000},      {"width", "button", 0, 10000},
        {"height", "button", 0, 10000},         {"digits", "numeric_int", 0, 32},
        {"digits", "numeric_double", 0, 15},    {"min", "numeric_int", INT_MIN, INT_MAX},
        {"max", "numeric_int", INT_MIN, INT_MAX}, {"blank", "numeric_int", INT_MIN, INT_MAX},
        {"value", "numeric_int", INT_MIN, INT_MAX}, {"value", "toggle", 0, 1},
        {"width", "panel", 1, 10000},           {"height", "panel", 1, 10000},
        {"resource", "panel", 1, INT_MAX},
    };
    for (const Key &k : keys) {
        for (long long v : {k.lo - 1, k.lo, k.hi, k.hi + 1}) {
            const std::string key = k.key, value = std::to_string(v);
            std::string text;
            if (std::string(k.kind) != "panel")
                text = kHead + control((key == "id" ? "" : "id = 7\n") + ("name = \"K\"\nkind = \"" + std::string(k.kind)) +
                                       "\"\n" + key + " = " + value);
            else if (key == "resource")  // the panel loaded by that resource number
                text = "[[panel]]\nresource = " + value + "\n" + kOk;
            else
                text = kHead + key + " = " + value + "\n" + kOk;
            SCOPED_TRACE(std::string(k.kind) + " " + key + " = " + value);
            const bool in_range = v >= k.lo && v <= k.hi;
            const int resource = key == "resource" && in_range ? static_cast<int>(v) : 1;
            const int h = LoadPanel(0, write("range.uir", text).c_str(), resource);
            if (in_range) {
                EXPECT_GT(h, 0) << ui::last_failure();
                if (h > 0) DiscardPanel(h);
            } else {
                EXPECT_EQ(h, UIEPanelFileInvalid);
                EXPECT_NE(ui::last_failure().find("\"" + key + "\" is " + value + ", outside"), std::string::npos)
                    << ui::last_failure();
            }
        }
    }
}

TEST_F(Runtime, EveryKeyIsRead)
{
    init();
    std::string text = kHead + R"PF(name = "MAIN"
title = "Main"
width = 640
height = 480

[[panel.control]]
id = 12
name = "AO"
kind = "numeric_double"
mode = "indicator"
label = "AO0 (V)"
top = 30
left = 40
width = 70
height = 20
min = -10.0
max = 10
digits = 4
value = -1.25
dimmed = true
callback = "rec_cb"

[[panel.control]]
id = 13
name = "T"
kind = "timer"
interval = 0.25
enabled = true
callback = "timer_a"

[[panel.control]]
id = 14
name = "TG"
kind = "toggle"
value = true
)PF";
    int h = LoadPanel(0, write("all.uir", text).c_str(), 1);
    ASSERT_GT(h, 0) << ui::last_failure();
    auto p = ui::model::panel(h);
    EXPECT_EQ(p->name, "MAIN");
    EXPECT_EQ(p->title, "Main");
    EXPECT_EQ(p->width, 640);
    EXPECT_EQ(p->height, 480);
    EXPECT_EQ(p->callback, &panel_cb);
    auto ao = ui::model::control(h, 12);
    EXPECT_TRUE(ao->indicator);
    EXPECT_TRUE(ao->dimmed);
    EXPECT_EQ(ao->label, "AO0 (V)");
    EXPECT_EQ(ao->line, 9);
    EXPECT_EQ((std::vector<int>{ao->top, ao->left, ao->width, ao->height}), (std::vector<int>{30, 40, 70, 20}));
    EXPECT_EQ(ao->min, -10.0);
    EXPECT_EQ(ao->max, 10.0);
    EXPECT_EQ(ao->digits, 4);
    EXPECT_EQ(ao->dvalue, -1.25);
    EXPECT_EQ(ao->callback, &rec_cb);
    auto t = ui::model::control(h, 13);
    EXPECT_EQ(t->interval_ns, 250000000);
    EXPECT_TRUE(t->enabled);
    EXPECT_EQ(t->next_due_ns, ui::now_ns() + 250000000);
    EXPECT_EQ(ui::model::control(h, 14)->ivalue, 1);
}

TEST_F(Runtime, BareNameIsFoundInSearchFoldersAndPanelOptionWins)
{
    ui::add_panel_search_dir((dir_ / "none").string());
    ui::add_panel_search_dir(dir_.string());
    std::filesystem::create_directories(dir_ / "other");
    std::ofstream(dir_ / "other" / "chosen.uir") << "[[panel]]\nresource = 1\ntitle = \"chosen\"\n";
    write("bare.uir", "[[panel]]\nresource = 1\ntitle = \"bare\"\n");
    init();
    int h = LoadPanel(0, "bare.uir", 1);
    ASSERT_GT(h, 0) << ui::last_failure();
    EXPECT_EQ(ui::model::panel(h)->title, "bare");
    EXPECT_EQ(LoadPanel(0, "absent.uir", 1), UIEFileNotFound);
    EXPECT_NE(ui::last_failure().find("absent.uir: panel file not found (looked in "), std::string::npos);
    EXPECT_NE(ui::last_failure().find(dir_.string()), std::string::npos);
    EXPECT_EQ(LoadPanel(0, "bare.uir", 7), UIEResourceNotFound);
}

TEST_F(Runtime, PanelOptionOverridesTheName)
{
    ui::Options o;
    o.panel_file = write("chosen.uir", "[[panel]]\nresource = 1\ntitle = \"chosen\"\n");
    init(o);
    int h = LoadPanel(0, "korvane.uir", 1);
    ASSERT_GT(h, 0);
    EXPECT_EQ(ui::model::panel(h)->title, "chosen");
}

TEST_F(Runtime, BareNameBesideTheExecutable)
{
    const std::filesystem::path exe = base::platform::self_exe();
    ASSERT_FALSE(exe.empty());
    auto name = "beside-" + std::to_string(::getpid()) + ".uir";
    auto path = exe.parent_path() / name;
    std::ofstream(path) << "[[panel]]\nresource = 1\ntitle = \"beside\"\n";
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << "the test's folder is not writable";
    init();
    int h = LoadPanel(0, name.c_str(), 1);
    std::filesystem::remove(path);
    ASSERT_GT(h, 0) << ui::last_failure();
    EXPECT_EQ(ui::model::panel(h)->title, "beside");
}

TEST_F(Runtime, CallbacksMustBeRegisteredBeforeLoad)
{
    init();
    std::string text = kHead + control("id = 7\nname = \"A\"\nkind = \"button\"\ncallback = \"late_cb\"");
    std::string path = write("late.uir", text);
    EXPECT_EQ(LoadPanel(0, path.c_str(), 1), UIECallbackNotFound);
    ui::RegisterCallback("late_cb", rec_cb);
    int h = LoadPanel(0, path.c_str(), 1);
    ASSERT_GT(h, 0);
    EXPECT_EQ(ui::model::control(h, 7)->callback, &rec_cb);
    EXPECT_EQ(ui::RegisterCallback(nullptr, rec_cb), UIEValueInvalid);
    EXPECT_EQ(ui::RegisterCallback("x", static_cast<CtrlCallbackPtr>(nullptr)), UIEValueInvalid);
}

TEST_F(Runtime, CallbacksOfOtherPanelsAreNotNeeded)
{
    init();
    std::string text = kHead + "\n[[panel]]\nresource = 2\ncallback = \"never_registered\"\n";
    EXPECT_GT(LoadPanel(0, write("two.uir", text).c_str(), 1), 0);
    EXPECT_EQ(LoadPanel(0, write("two.uir", text).c_str(), 2), UIECallbackNotFound);
}

}  // namespace
