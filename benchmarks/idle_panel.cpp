// korvane's window left alone with the hardware open: the CPU the process
// spends while idle, from /proc/self/stat (utime + stime), over a measured
// stretch after a warm-up.
//
// Starts as korvane does with --daq sim (the Qt window on the display the
// environment gives, e.g. under xvfb-run), presses Open and the Avalon area's
// Init as the operator would (so the port, analog and ADC timers all run and
// the chart's ten traces, all shown, take new points), waits WARMUP seconds,
// then measures for SECONDS and closes the window.
//
//   bench_idle_panel [SECONDS [WARMUP]]     (default 60 and 5)
//
// Prints the process's CPU seconds over the stretch, its share of one core,
// the ticks the timers ran and the points the chart recorded.
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "driver/daqmx_import.h"
#include "app/panel/korvane_main.h"
#include "app/simlink/simlink.h"
#include "ui/model.h"
#include "ui/qt/view.h"
#include "ui/userint.h"

namespace {

// utime + stime of this process, in seconds.
double cpu_seconds()
{
    std::ifstream in("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Fields after the command's closing parenthesis: state is field 3, utime 14, stime 15.
    std::istringstream rest(stat.substr(stat.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::size_t chart_points()
{
    std::size_t n = 0;
    if (ui::Chart *c = ui::model::chart(panelHandle, SIGNAL_CHART))
        for (auto &t : c->traces()) n += t.points.size();
    return n;
}

}  // namespace

int main(int argc, char *argv[])
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    const double warmup = argc > 2 ? std::atof(argv[2]) : 5.0;
    if (seconds <= 0 || warmup < 0) {
        std::fprintf(stderr, "usage: bench_idle_panel [SECONDS [WARMUP]]\n");
        return 2;
    }

    driver::select("sim");
    driver::load();
    ui::Options ui;
    ui.title_suffix = korvane_driver_name();
    ui::configure(ui);
    korvane_share_status();
    ui::qt::install();
    ui::add_panel_search_dir(KORVANE_APP_DIR);
    app::simlink::share_clock();
    korvane_register_callbacks();
    if (InitCVIRTE(nullptr, argv, nullptr) == 0) {
        std::fprintf(stderr, "bench_idle_panel: %s\n", ui::last_failure().c_str());
        return 1;
    }
    panelHandle = LoadPanel(0, "korvane.uir", PANEL);
    if (panelHandle <= 0) {
        std::fprintf(stderr, "bench_idle_panel: %s\n", ui::last_failure().c_str());
        return 1;
    }
    pxi_draw_gui();
    DisplayPanel(panelHandle);

    double cpu0 = 0;
    std::size_t points0 = 0;
    // Presses once the loop runs, as the operator's clicks would come.
    QTimer::singleShot(0, [] {
        ui::model::press(panelHandle, OPEN_BTN);
        ui::model::press(panelHandle, AV_INIT_BTN);
    });
    QTimer::singleShot(static_cast<int>(warmup * 1000), [&] {
        cpu0 = cpu_seconds();
        points0 = chart_points();
    });
    QTimer::singleShot(static_cast<int>((warmup + seconds) * 1000), [&] {
        const double cpu = cpu_seconds() - cpu0;
        const std::size_t points = chart_points();
        std::printf("idle %.0f s with the hardware open, ADC polled, all traces shown: CPU %.3f s = %.2f%% of a "
                    "core; chart points kept %zu (was %zu)\n",
                    seconds, cpu, 100.0 * cpu / seconds, points, points0);
        std::fflush(stdout);
        ui::model::close(panelHandle);  // as the window's close button: the program quits
    });
    RunUserInterface();
    DiscardPanel(panelHandle);
    return 0;
}
