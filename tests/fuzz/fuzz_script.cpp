// Fuzz target: script mode on any bytes, parsed and played on a small panel
// on the headless run-time. Every line it writes is one clean line and the
// status is 0, 1 or 2.
#include "tests/fuzz/fuzz_check.h"
#include "ui/internal.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

enum { INT = 2, DBL = 3, IND = 4, TOG = 5, BTN = 6, QUIT_BTN = 7, TIMER = 8 };

const char *kPanel = R"([[panel]]
resource = 1
title = "fuzz"
callback = "panel_cb"

[[panel.control]]
id = 2
name = "INT"
kind = "numeric_int"
format = "hex"
digits = 2
min = 0
max = 255
callback = "cb"

[[panel.control]]
id = 3
name = "DBL"
kind = "numeric_double"
digits = 3
min = -10
max = 10
value = nan
callback = "cb"

[[panel.control]]
id = 4
name = "IND"
kind = "numeric_int"
mode = "indicator"
format = "binary"
digits = 8

[[panel.control]]
id = 5
name = "TOG"
kind = "toggle"
callback = "cb"

[[panel.control]]
id = 6
name = "BTN"
kind = "button"
callback = "cb"

[[panel.control]]
id = 7
name = "QUIT_BTN"
kind = "button"
callback = "cb"

[[panel.control]]
id = 8
name = "TIMER"
kind = "timer"
interval = 0.5
callback = "cb"

[[panel.control]]
id = 9
name = "FRAME"
kind = "decoration"
title = "Frame"

[[panel.control]]
id = 10
name = "CHART"
kind = "chart"
traces = ["IND", "DBL"]
history = 10
)";

// The toggle dims the button and starts the timer for one tick; the button
// writes to the error output; the integer is mirrored on the indicator; the
// chart follows the indicator and the double (above 9 a gap).
int cb(int panel, int control, int event, void *, int, int)
{
    int v = 0;
    if (event == EVENT_TIMER_TICK) {
        SetCtrlAttribute(panel, TIMER, ATTR_ENABLED, 0);
        GetCtrlVal(panel, IND, &v);
        SetCtrlVal(panel, IND, v + 1);
        return 0;
    }
    if (event != EVENT_COMMIT)
        return 0;
    switch (control) {
    case INT:
        GetCtrlVal(panel, INT, &v);
        SetCtrlVal(panel, IND, v);
        break;
    case DBL: {
        double d = 0;
        GetCtrlVal(panel, DBL, &d);
        SetCtrlVal(panel, DBL, d > 9 ? NotANumber() : d);  // the chart records it, NaN a gap
        break;
    }
    case TOG:
        GetCtrlVal(panel, TOG, &v);
        SetCtrlAttribute(panel, BTN, ATTR_DIMMED, v);
        SetCtrlAttribute(panel, TIMER, ATTR_ENABLED, 1);
        break;
    case BTN:
        ErrorPrintf("pressed\n");
        break;
    case QUIT_BTN:
        QuitUserInterface(0);
        break;
    }
    return 0;
}

int panel_cb(int, int event, void *, int, int)
{
    if (event == EVENT_CLOSE)
        QuitUserInterface(0);
    return 0;
}

// Written once; kept until the process ends (the exit handler still needs it).
const std::string &panel_path()
{
    static const std::string *path = [] {
        auto p = std::filesystem::temp_directory_path() / ("korvane-fuzz-" + std::to_string(::getpid()) + ".uir");
        std::ofstream(p, std::ios::binary) << kPanel;
        std::atexit([] { std::filesystem::remove(panel_path()); });
        return new std::string(p.string());
    }();
    return *path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ui::model::reset();
    base::set_stderr_echo(false);
    ui::RegisterCallback("cb", cb);
    ui::RegisterCallback("panel_cb", panel_cb);
    ui::script::register_verb("probe", 1, 2, [](const std::vector<std::string> &args) {
        return ui::script::Result{args[0] == "ok", "expected ok, got " + args[0]};
    });
    ui::Options o;
    o.script_file = "fuzz.ks";
    ui::configure(o);
    char arg0[] = "fuzz";
    char *argv[] = {arg0, nullptr};
    fuzz::require(InitCVIRTE(nullptr, argv, nullptr) == 1, "the run-time starts");
    int h = LoadPanel(0, panel_path().c_str(), 1);
    fuzz::require(h > 0 && DisplayPanel(h) == 0, "the panel loads", ui::last_failure());
    ui::script::set_output([](const std::string &line) {
        fuzz::require(fuzz::one_clean_line(line), "script output is one clean line", line);
    });
    std::string text(reinterpret_cast<const char *>(data), size);
    int st = ui::script::run_text("fuzz.ks", text);
    fuzz::require(st >= 0 && st <= 2, "a script status", std::to_string(st));
    ui::script::set_output(nullptr);
    DiscardPanel(h);
    return 0;
}
