// Inside the run-time only (its parts, the Qt view and the run-time's own
// tests): how a window front end plugs into the core, the callback registry,
// the panel file reader and the script runner's hooks. The program uses
// userint.h and runtime.h.
#pragma once

#include "ui/model.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace ui {

// A window system front end. The core runs the headless one itself; uir_qt
// installs the Qt one (ui::qt::install), which InitCVIRTE starts when no
// script is given.
class FrontEnd {
public:
    virtual ~FrontEnd() = default;
    // false with one clear line in why when the window system cannot start.
    virtual bool start(char *argv[], std::string &why) = 0;
    // Runs the event loop until model::quit_requested(); returns nothing, the
    // core returns the quit code.
    virtual void run() = 0;
    virtual void displayed(int panel) { (void)panel; }
    virtual void discarded(int panel) { (void)panel; }
};
using FrontEndFactory = std::function<std::unique_ptr<FrontEnd>()>;
void set_window_front_end(FrontEndFactory factory);
bool has_window_front_end();

// Renders a panel as the window shows it into a PNG file (--screenshot).
using ScreenshotRenderer = std::function<bool(int panel, const std::string &file, std::string &why)>;
void set_screenshot_renderer(ScreenshotRenderer renderer);

// The virtual clock ends at 100 years: time slept or waited past it is not
// kept, so that the clock and the timers' due times cannot overflow.
constexpr std::int64_t kVirtualClockEndNs = 3155760000000000000;

namespace detail {

CtrlCallbackPtr find_ctrl_callback(const std::string &name);
PanelCallbackPtr find_panel_callback(const std::string &name);

// Reads panel `resource` of the panel file at `path` into `out`, binding its
// callbacks unless `bind` is false (the header generator reads a file whose
// callbacks are not registered). On failure returns a negative UIE* status
// with one line in `error` naming the file, the line or the control, and the fault.
int read_panel_file(const std::string &path, int resource, Panel &out, std::string &error, bool bind = true);
// The same for the file's text; path is used in the messages.
int read_panel_text(const std::string &path, const std::string &text, int resource, Panel &out, std::string &error,
                    bool bind = true);

// Used by the script runner and front ends inside the core.
void set_last_failure(const std::string &line);
struct Verb {
    int min_args;
    int max_args;
    script::Verb fn;
    std::string arguments;  // as documented
};
const Verb *find_verb(const std::string &name);
// Script mode stops at the `quit` verb; RunUserInterface then closes the window.
}  // namespace detail

}  // namespace ui
