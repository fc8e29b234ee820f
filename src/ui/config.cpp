// Configuration before InitCVIRTE, the front ends' hooks, and the run-time's
// clock: virtual under the headless front end, the steady clock under a window.

#include "ui/state.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace ui {

using namespace detail;

void configure(const Options &options)
{
    Runtime &r = rt();
    if (r.initialized)
        return;
    r.opts = options;
}

const Options &options() { return rt().opts; }

void set_status_source(std::function<StatusFacts()> source) { rt().status_source = std::move(source); }

void add_panel_search_dir(const std::string &dir) { rt().search_dirs.push_back(dir); }

int exit_status() { return rt().exit_status; }

std::string last_failure() { return rt().last_failure; }

void set_window_front_end(FrontEndFactory factory) { window_factory() = std::move(factory); }
bool has_window_front_end() { return static_cast<bool>(window_factory()); }
void set_screenshot_renderer(ScreenshotRenderer renderer) { screenshot_renderer() = std::move(renderer); }

bool virtual_clock()
{
    Runtime &r = rt();
    if (r.initialized)
        return r.headless;
    return !r.opts.script_file.empty() || !r.opts.screenshot_file.empty() || !has_window_front_end();
}

std::int64_t now_ns()
{
    if (virtual_clock())
        return rt().vnow;
    return steady_ns();
}

void sleep_ns(std::int64_t ns)
{
    if (ns <= 0)
        return;
    if (virtual_clock())
        rt().vnow += std::min(ns, kVirtualClockEndNs - rt().vnow);  // timers now due tick when the callback returns
    else
        std::this_thread::sleep_for(std::chrono::nanoseconds(ns));
}

}  // namespace ui
