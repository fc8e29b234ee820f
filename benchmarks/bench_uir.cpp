// The panel run-time's own costs: parsing a script (every end-to-end script
// of tests/app, parsed and not run), one change of a control's value as the
// window shows it (the value set, the Qt view brought up to date and
// painted), and one frame of korvane's signal chart with its ten traces.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>

#include <cmath>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/panel/korvane_main.h"
#include "app/simlink/simlink.h"
#include "ui/model.h"
#include "ui/qt/view.h"
#include "ui/qt/parts.h"
#include "ui/userint.h"

namespace {

std::string end_to_end_scripts(int *lines)
{
    std::string text;
    for (auto &e : std::filesystem::directory_iterator(KORVANE_SOURCE_DIR "/tests/app"))
        if (e.path().extension() == ".ks") {
            std::ifstream in(e.path());
            text.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            text += '\n';
        }
    *lines = 0;
    for (char ch : text) *lines += ch == '\n';
    return text + "frobnicate\n";  // a parse fault at the end: nothing runs
}

void BM_ScriptParse(benchmark::State &state)
{
    ui::model::reset();
    app::simlink::register_verbs();
    ui::script::set_output([](const std::string &) {});
    int lines = 0;
    std::string text = end_to_end_scripts(&lines);
    for (auto _ : state) benchmark::DoNotOptimize(ui::script::run_text("bench.ks", text));
    state.SetItemsProcessed(state.iterations() * lines);
    state.counters["lines"] = lines;
    ui::script::set_output(nullptr);
    ui::model::reset();
}

void BM_ValueChangeInWindow(benchmark::State &state)
{
    ui::model::reset();
    ui::qt::install();
    ui::Options o;
    o.toolkit_args = {"-platform", "offscreen"};
    ui::configure(o);
    ui::add_panel_search_dir(KORVANE_SOURCE_DIR "/app/panel");
    korvane_register_callbacks();
    static char arg0[] = "bench_uir";
    static char *argv[] = {arg0, nullptr};
    if (!InitCVIRTE(nullptr, argv, nullptr)) return state.SkipWithError("the window cannot start");
    panelHandle = LoadPanel(0, "korvane.uir", PANEL);
    if (panelHandle <= 0) return state.SkipWithError("the panel does not load");
    pxi_draw_gui();
    DisplayPanel(panelHandle);
    QCoreApplication::processEvents();
    int v = 0;
    for (auto _ : state) {
        SetCtrlVal(panelHandle, PORT_IN_0, ++v & 0xFF);
        QCoreApplication::processEvents();  // the view catches up and paints
    }
    DiscardPanel(panelHandle);
    panelHandle = 0;
    ui::model::reset();
}

// One frame of the chart as the window's frame timer draws it, 0.2 s after
// the last: a new value on each of the ten traces (AI0..AI7 and both ADC
// channels, the sine on AI4, steady levels with a little noise elsewhere),
// the window moved on, the chart brought up to date and painted. The span is
// the argument (seconds); the traces hold the span's values and more (the
// chart keeps ten minutes). Virtual time on the headless core; the Qt view
// over it offscreen.
void BM_ChartFrame(benchmark::State &state)
{
    ui::model::reset();
    ui::Options o;
    o.script_file = "bench_uir";  // the headless core: virtual time
    ui::configure(o);
    ui::add_panel_search_dir(KORVANE_SOURCE_DIR "/app/panel");
    korvane_register_callbacks();
    static char arg0[] = "bench_uir";
    static char *argv[] = {arg0, nullptr};
    if (!InitCVIRTE(nullptr, argv, nullptr)) return state.SkipWithError("the run-time cannot start");
    panelHandle = LoadPanel(0, "korvane.uir", PANEL);
    if (panelHandle <= 0) return state.SkipWithError("the panel does not load");
    pxi_draw_gui();  // makes AI0..AI7
    // QApplication keeps argc and argv, and takes out the options it reads.
    static int qargc;
    static char qarg1[] = "-platform", qarg2[] = "offscreen";
    static char *qargv[4];
    qargc = 3;
    qargv[0] = arg0, qargv[1] = qarg1, qargv[2] = qarg2, qargv[3] = nullptr;
    auto app = QApplication::instance() ? nullptr : std::make_unique<QApplication>(qargc, qargv);

    const int span = static_cast<int>(state.range(0));
    int ids[10];
    for (int i = 0; i < 8; ++i) ids[i] = ui::model::find_control(panelHandle, "AI" + std::to_string(i));
    ids[8] = ADC_VIN1;
    ids[9] = ADC_VIN2;
    const double levels[] = {2.5, 2.5, 1.0, 2.2, 0.0, 2.5, 0.0, 0.0, 1.0, 2.2};
    std::uint32_t noise = 1;
    auto sample = [&] {
        const double t = static_cast<double>(ui::now_ns()) / 1e9;
        for (int i = 0; i < 10; ++i) {
            noise = noise * 1664525u + 1013904223u;
            double v = levels[i] + 0.0006 * static_cast<double>(noise >> 28);
            if (i == 4) v += std::sin(2 * M_PI * t);
            SetCtrlVal(panelHandle, ids[i], v);
        }
        ui::sleep_ns(200000000);
    };
    for (int k = 0; k < span * 5 + 50; ++k) sample();  // the span full, and more

    auto c = ui::model::control(panelHandle, SIGNAL_CHART);
    ui::qt::ChartPane pane(panelHandle, *c, nullptr);
    pane.resize(745, 300);  // as in the window at its first size
    pane.setAttribute(Qt::WA_DontShowOnScreen);
    pane.show();
    QCoreApplication::processEvents();
    if (auto *m = ui::model::chart(panelHandle, SIGNAL_CHART)) {
        m->span_s = span;
        pane.redraw();
    }
    QCoreApplication::processEvents();
    for (auto _ : state) {
        sample();
        pane.redraw();
        // The scene reports what changed, then the view paints it.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    pane.hide();
    DiscardPanel(panelHandle);
    panelHandle = 0;
    ui::model::reset();
}

BENCHMARK(BM_ScriptParse);
BENCHMARK(BM_ValueChangeInWindow);
BENCHMARK(BM_ChartFrame)->Arg(30)->Arg(600)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
