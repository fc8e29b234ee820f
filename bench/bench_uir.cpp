// The panel run-time's own costs: parsing a script (every end-to-end script
// of tests/app, parsed and not run), and one change of a control's value as
// the window shows it (the value set, the Qt view brought up to date and
// painted).
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "korvane.h"
#include "simlink.h"
#include "uir_core.h"
#include "uir_qt.h"
#include "userint.h"

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
    uir::model::reset();
    simlink::register_verbs();
    uir::script::set_output([](const std::string &) {});
    int lines = 0;
    std::string text = end_to_end_scripts(&lines);
    for (auto _ : state) benchmark::DoNotOptimize(uir::script::run_text("bench.ks", text));
    state.SetItemsProcessed(state.iterations() * lines);
    state.counters["lines"] = lines;
    uir::script::set_output(nullptr);
    uir::model::reset();
}

void BM_ValueChangeInWindow(benchmark::State &state)
{
    uir::model::reset();
    uir::qt::install();
    uir::Options o;
    o.toolkit_args = {"-platform", "offscreen"};
    uir::configure(o);
    uir::add_panel_search_dir(KORVANE_SOURCE_DIR "/app");
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
    uir::model::reset();
}

BENCHMARK(BM_ScriptParse);
BENCHMARK(BM_ValueChangeInWindow);

}  // namespace

BENCHMARK_MAIN();
