// The Qt Widgets window of the panel run-time. Once install() has run,
// InitCVIRTE starts Qt unless a script or a screenshot is asked for; without
// it the run-time has only its headless front end.
#pragma once

#include <string>
#include <vector>

class QWidget;

namespace ui::qt {

// Registers the Qt front end and the screenshot renderer with the core; call
// before InitCVIRTE. Calling it again does no harm.
void install();

// The window showing a displayed panel (nullptr if none): for tests.
QWidget *window(int panel);

// The window's controls, charts and status line catch up with the model now,
// as its frame timer has the charts and status line do five times a second
// (for tests, which do not wait for the timer).
void catch_up(int panel);

// Builds a window over the panel's current state and saves it as PNG. Starts
// Qt (offscreen when there is no display) if it is not running.
bool render_png(int panel, const std::string &file, std::string &why);

// The line InitCVIRTE writes when no display can be reached ("" when one can):
// DISPLAY / WAYLAND_DISPLAY, -platform in args, or QT_QPA_PLATFORM.
std::string no_display_reason(const std::string &program, const std::vector<std::string> &args);

// The line written, before exiting with status 1, when Qt cannot start its
// window system after all (a DISPLAY whose server is not there, a failing
// platform plugin); cause is what Qt said first.
std::string display_failure_line(const std::string &program, const std::string &cause);

}  // namespace ui::qt
