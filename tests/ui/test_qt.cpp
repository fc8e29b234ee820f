// The Qt view on the offscreen platform: the real widgets reach the core's
// callbacks and values, and the core's changes reach the widgets.
#include "base/platform.h"
#include "tests/ui/ui_test_support.h"
#include "ui/qt/view.h"
#include "ui/qt/parts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <qcustomplot.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <utility>

#include <gmock/gmock.h>

using namespace uitest;

namespace {

class QtView : public Runtime {
protected:
    void SetUp() override
    {
        Runtime::SetUp();
        ui::Options o;
        o.title_suffix = "simulated bench";
        o.banner = {"korvane 0.1 on the simulated bench"};
        init(o);
        h = show();
        // The tests count the callbacks of the operator's actions: the panel's
        // 0.1 s timer, on the real clock, would add a tick to a test that runs slowly.
        SetCtrlAttribute(h, 7, ATTR_ENABLED, 0);
        win = ui::qt::window(h);
        ASSERT_NE(win, nullptr);
        QApplication::processEvents();
    }
    template <class W>
    W *find(const char *name)
    {
        W *w = win->findChild<W *>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    int h = 0;
    QWidget *win = nullptr;
};

TEST_F(QtView, ClickingAButtonCommitsThroughTheCore)
{
    auto *b = find<QPushButton>("BTN");
    ASSERT_TRUE(b);
    QTest::mouseClick(b, Qt::LeftButton);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].control, 6);
    EXPECT_EQ(calls()[0].event, EVENT_COMMIT);
}

TEST_F(QtView, TypingIntoANumericCommitsItsValue)
{
    auto *e = find<QLineEdit>("NUM_INT");
    ASSERT_TRUE(e);
    int seen = -1;
    on_call() = [&](const Call &c) { GetCtrlVal(c.panel, c.control, &seen); };
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, "1F");  // a hex control takes bare hex digits
    QTest::keyClick(e, Qt::Key_Return);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].control, 2);
    EXPECT_EQ(seen, 31);
    EXPECT_EQ(e->text(), "0x1F");

    e->selectAll();
    QTest::keyClicks(e, "999");  // held to the range 0..255
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(seen, 255);
    EXPECT_EQ(e->text(), "0xFF");

    auto *d = find<QLineEdit>("NUM_DBL");
    d->setFocus();
    d->selectAll();
    QTest::keyClicks(d, "2.5");
    QTest::keyClick(d, Qt::Key_Return);
    EXPECT_EQ(ui::model::control(h, 3)->dvalue, 2.5);
    EXPECT_EQ(d->text(), "2.500");
}

// Enter commits what is in the field, also when it is what was shown (the
// operator sends the value again); leaving the field commits only an entry
// that changed since the last commit. Never twice for one entry.
TEST_F(QtView, EachEntryCommitsExactlyOnce)
{
    auto *e = find<QLineEdit>("NUM_INT");
    auto *d = find<QLineEdit>("NUM_DBL");
    ASSERT_TRUE(e && d);
    win->activateWindow();
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, "12");
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(calls().size(), 1u);
    d->setFocus();  // leaving after Enter: nothing new to commit
    QApplication::processEvents();
    EXPECT_EQ(calls().size(), 1u);

    e->setFocus();
    QTest::keyClick(e, Qt::Key_Return);  // Enter on the unchanged field sends it again
    ASSERT_EQ(calls().size(), 2u);
    EXPECT_EQ(calls()[1].control, 2);
    d->setFocus();
    e->setFocus();
    d->setFocus();  // passing through without typing commits nothing
    QApplication::processEvents();
    EXPECT_EQ(calls().size(), 2u);

    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, "7");
    d->setFocus();  // leaving a changed field commits it
    QApplication::processEvents();
    ASSERT_EQ(calls().size(), 3u);
    EXPECT_EQ(ui::model::control(h, 2)->ivalue, 7);
    e->setFocus();
    d->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(calls().size(), 3u);
}

TEST_F(QtView, IndicatorsAndDimmedControlsTakeNoInput)
{
    auto *ind = find<QLineEdit>("IND");
    ASSERT_TRUE(ind);
    ind->setFocus();
    QTest::keyClicks(ind, "11");
    QTest::keyClick(ind, Qt::Key_Return);
    EXPECT_EQ(ind->text(), "00000101");
    EXPECT_EQ(ui::model::control(h, 4)->ivalue, 5);

    auto *tog = find<QCheckBox>("TOG");
    SetCtrlAttribute(h, 5, ATTR_CTRL_MODE, VAL_INDICATOR);
    QApplication::processEvents();
    QTest::mouseClick(tog, Qt::LeftButton, {}, QPoint(8, tog->height() / 2));
    tog->setFocus();
    QTest::keyClick(tog, Qt::Key_Space);
    QApplication::processEvents();
    EXPECT_FALSE(tog->isChecked());
    EXPECT_EQ(ui::model::control(h, 5)->ivalue, 0);

    auto *num = find<QLineEdit>("NUM_INT");
    SetCtrlAttribute(h, 2, ATTR_DIMMED, 1);
    QApplication::processEvents();
    num->setFocus();
    QTest::keyClicks(num, "3");
    QTest::keyClick(num, Qt::Key_Return);
    EXPECT_EQ(num->text(), "0x00");
    EXPECT_TRUE(calls().empty());
}

TEST_F(QtView, LogPaneKeepsTheNewestLineInView)
{
    auto *log = find<QPlainTextEdit>("log");
    ASSERT_TRUE(log);
    // More lines than the pane has pixels: they overflow it in any font.
    const int n = log->height() + 1;
    for (int i = 0; i < n; ++i)
        ErrorPrintf("line %d\n", i);
    QApplication::processEvents();
    QStringList lines = log->toPlainText().split('\n');
    EXPECT_TRUE(lines.back().endsWith(QString("  line %1").arg(n - 1))) << lines.back().toStdString();
    auto *bar = log->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());

    // A window opened after many lines starts with the newest in view too.
    DiscardPanel(h);
    h = show();
    win = ui::qt::window(h);
    ASSERT_TRUE(win);
    QApplication::processEvents();
    log = find<QPlainTextEdit>("log");
    bar = log->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(QtView, RejectedEntryFallsBackToTheShownValue)
{
    auto *e = find<QLineEdit>("NUM_INT");
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, "zz");
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(e->text(), "0x00");
}

TEST_F(QtView, ClickingAToggleFlipsItInTheCore)
{
    auto *t = find<QCheckBox>("TOG");
    ASSERT_TRUE(t);
    QTest::mouseClick(t, Qt::LeftButton, {}, QPoint(8, t->height() / 2));
    EXPECT_EQ(ui::model::control(h, 5)->ivalue, 1);
    EXPECT_TRUE(t->isChecked());
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].control, 5);
}

TEST_F(QtView, WidgetsFollowTheModel)
{
    auto *ind = find<QLineEdit>("IND");
    auto *dbl = find<QLineEdit>("NUM_DBL");
    auto *dim = find<QPushButton>("DIM_BTN");
    ASSERT_TRUE(ind && dbl && dim);
    EXPECT_TRUE(ind->isReadOnly());
    EXPECT_EQ(ind->text(), "00000101");
    EXPECT_EQ(dbl->text(), "NaN");
    EXPECT_FALSE(dim->isEnabled());
    EXPECT_EQ(find<QGroupBox>("FRAME")->title(), "Frame");
    EXPECT_EQ(find<QLabel>("NUM_DBL_label")->text(), "Volts (V)");

    SetCtrlVal(h, 4, 0xA5);
    SetCtrlAttribute(h, 10, ATTR_DIMMED, 0);
    SetCtrlAttribute(h, 3, ATTR_CTRL_MODE, VAL_INDICATOR);
    int ai = NewCtrl(h, CTRL_NUMERIC, "AI3", 200, 300);
    SetCtrlVal(h, ai, NotANumber());
    QApplication::processEvents();
    EXPECT_EQ(ind->text(), "10100101");
    EXPECT_TRUE(dim->isEnabled());
    EXPECT_TRUE(dbl->isReadOnly());
    auto *made = find<QLineEdit>("AI3");
    ASSERT_TRUE(made);
    EXPECT_EQ(made->text(), "NaN");
    EXPECT_EQ(made->geometry().topLeft(), QPoint(300, 200));

    QTest::mouseClick(dim, Qt::LeftButton);
    EXPECT_EQ(calls().size(), 1u);
}

// A value change brings only its own widget up to date; a change of the
// panel as a whole (a control added) brings every one.
TEST_F(QtView, AValueChangeUpdatesOnlyItsControl)
{
    auto *ind = find<QLineEdit>("IND");
    auto *num = find<QLineEdit>("NUM_INT");
    ASSERT_TRUE(ind && num);
    num->setText("stale");  // shown, but not the model's
    SetCtrlVal(h, 4, 0xA5);
    SetCtrlAttribute(h, 10, ATTR_DIMMED, 0);
    QApplication::processEvents();
    EXPECT_EQ(ind->text(), "10100101");
    EXPECT_TRUE(find<QPushButton>("DIM_BTN")->isEnabled());
    EXPECT_EQ(num->text(), "stale");
    NewCtrl(h, CTRL_NUMERIC, "AI3", 200, 300);
    QApplication::processEvents();
    EXPECT_EQ(num->text(), "0x00");
}

// The status line's rates change every frame: a new text is painted where
// the old one was, and nothing is laid out again for it.
TEST_F(QtView, ANewStatusTextLaysNothingOut)
{
    struct Counter : QObject {
        int layouts = 0;
        bool eventFilter(QObject *o, QEvent *e) override
        {
            auto *w = qobject_cast<QWidget *>(o);
            layouts += e->type() == QEvent::LayoutRequest && w && w->layout();
            return false;
        }
    } counter;
    std::uint64_t calls = 0;
    bool open = false;
    ui::set_status_source([&] { return ui::StatusFacts{"simulated bench", open, calls += 400, 0}; });
    ui::qt::catch_up(h);
    for (int i = 0; i < 5; i++) {  // the window settles after it is shown
        QApplication::sendPostedEvents();
        QApplication::processEvents();
    }
    auto *status = find<QLabel>("status");
    ASSERT_TRUE(status);
    const QString before = status->text();
    EXPECT_TRUE(before.startsWith("simulated bench")) << before.toStdString();
    qApp->installEventFilter(&counter);
    open = true;
    ui::qt::catch_up(h);
    QApplication::processEvents();
    qApp->removeEventFilter(&counter);
    EXPECT_TRUE(status->text().contains("hardware open")) << status->text().toStdString();
    EXPECT_EQ(counter.layouts, 0);
    ui::set_status_source(nullptr);
}

// Two numerics and a chart following them, 10 s shown of 10 min kept.
const char kChartPanel[] = R"PF(
[[panel]]
resource = 1
width = 200
height = 100

[[panel.control]]
id = 2
name = "A"
kind = "numeric_double"
min = -10
max = 10

[[panel.control]]
id = 3
name = "B"
kind = "numeric_double"
min = -10
max = 10

[[panel.control]]
id = 4
name = "CH"
kind = "chart"
traces = ["A", "B"]
width = 300
height = 200
span = 10
history = 600
)PF";

// A chart drawn frame by frame as values come (with gaps), the operator
// changing the span, pausing, hiding a trace and autoscaling meanwhile, shows
// at every look exactly what a chart drawn afresh from the same record shows.
TEST_F(Runtime, ChartFramesShowWhatAFreshChartShows)
{
    ui::Options o;
    o.script_file = "chart";  // the headless core: virtual time, no window
    init(o);
    const int h = show(kChartPanel);
    auto make = [&](std::unique_ptr<ui::qt::ChartPane> &pane) {
        pane = std::make_unique<ui::qt::ChartPane>(h, *ui::model::control(h, 4), nullptr);
        pane->resize(360, 300);  // a narrow plot: a few hundred pixel columns
        pane->setAttribute(Qt::WA_DontShowOnScreen);
        pane->show();
        QApplication::processEvents();  // laid out: the plot's width is known
    };
    using Shown = std::map<QString, std::vector<QList<QPointF>>>;
    // Each shown graph's runs: its stretches of numbers between NaNs.
    auto shown = [](ui::qt::ChartPane &pane, double axes[4]) {
        Shown m;
        auto *plot = pane.findChild<QCustomPlot *>("chart_view");
        for (int g = 0; g < plot->graphCount(); g++) {
            QCPGraph *graph = plot->graph(g);
            if (!graph->visible()) continue;
            bool open = false;
            for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it) {
                if (std::isnan(it->value)) {
                    open = false;
                    continue;
                }
                auto &runs = m[graph->objectName()];
                if (!open) runs.emplace_back();
                open = true;
                runs.back().append(QPointF(it->key, it->value));
            }
        }
        axes[0] = plot->xAxis->range().lower, axes[1] = plot->xAxis->range().upper;
        axes[2] = plot->yAxis->range().lower, axes[3] = plot->yAxis->range().upper;
        return m;
    };
    // Runs and their first and last points, for a failure's message.
    auto describe = [](const Shown &m) {
        std::string d;
        for (auto &[name, runs] : m) {
            d += name.toStdString() + ":";
            for (auto &r : runs)
                d += " [" + std::to_string(r.size()) + " (" + std::to_string(r.front().x()) + ", " +
                     std::to_string(r.front().y()) + ")..(" + std::to_string(r.back().x()) + ")]";
            d += "; ";
        }
        return d;
    };
    std::unique_ptr<ui::qt::ChartPane> live, fresh;
    make(live);
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> volts(-4, 4);
    int looks = 0;
    for (int step = 1; step <= 1200; step++) {
        ui::sleep_ns(50000000);
        SetCtrlVal(h, 2, rng() % 30 == 0 ? NotANumber() : volts(rng));
        if (step % 3 == 0) SetCtrlVal(h, 3, rng() % 10 == 0 ? NotANumber() : volts(rng));
        if (step == 350) live->findChild<QComboBox *>("span")->setCurrentIndex(2);  // 1 min
        if (step == 600) live->findChild<QComboBox *>("span")->setCurrentIndex(5);  // 10 min: A thinned out
        if (step == 800 || step == 950) live->findChild<QPushButton *>("pause")->click();
        if (step == 1000 || step == 1100) live->findChild<QCheckBox *>("trace_A")->click();
        if (step == 1100) live->findChild<QCheckBox *>("autoscale")->click();
        if (step % 4 == 0) {  // the frame timer
            QApplication::processEvents();
            live->redraw();
        }
        if (step % 150 == 0) {
            // A look after 5 s without values: the window has moved by more
            // than a pixel column even on the longest span, so a frame is due.
            ui::sleep_ns(5000000000);
            QApplication::processEvents();
            live->redraw();
            make(fresh);
            fresh->redraw(true);
            double a[4], b[4];
            const Shown l = shown(*live, a), f = shown(*fresh, b);
            EXPECT_TRUE(l == f) << "at step " << step << ": " << describe(l) << " instead of " << describe(f);
            EXPECT_TRUE(std::equal(a, a + 4, b)) << "at step " << step;
            EXPECT_FALSE(f.empty());
            if (step == 750) {  // 10 min of A's 20 values a second on a narrow plot: at most two a column
                std::size_t drawn = 0, recorded = 0;
                for (auto &run : f.at("A")) drawn += run.size();
                for (auto &p : ui::model::chart(h, 4)->traces()[0].points) recorded += std::isfinite(p.v);
                EXPECT_LT(drawn, recorded / 2);
                EXPECT_LE(drawn, 2u * static_cast<std::size_t>(live->width()));
                EXPECT_GT(f.at("A").size(), 1u);  // its NaNs break the line
            }
            looks++;
        }
    }
    EXPECT_EQ(looks, 8);
}

// The plot is painted again only when a pixel could change: not for the same
// picture, nor for a new value less than a pixel column's time on; then for
// one a column on, and for the window moved a tenth of a second without one.
TEST_F(Runtime, ChartPaintsOnlyWhenAPixelCouldChange)
{
    ui::Options o;
    o.script_file = "chart";  // virtual time
    init(o);
    const int h = show(kChartPanel);
    ui::qt::ChartPane pane(h, *ui::model::control(h, 4), nullptr);
    pane.resize(360, 300);
    pane.show();
    QApplication::processEvents();
    struct Paints : QObject {
        int n = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            n += e->type() == QEvent::Paint;
            return false;
        }
    } paints;
    auto *plot = pane.findChild<QCustomPlot *>("chart_view");
    ASSERT_NE(plot, nullptr);
    plot->installEventFilter(&paints);
    auto frame = [&] {
        pane.redraw();
        QApplication::processEvents();
        return std::exchange(paints.n, 0);
    };
    const std::int64_t column_ns = 10000000000 / plot->axisRect()->width();
    ASSERT_TRUE(column_ns > 20000000 && column_ns < 100000000);  // the steps below fit
    SetCtrlVal(h, 2, 1.0);
    ui::sleep_ns(1000000000);
    SetCtrlVal(h, 2, 2.0);
    EXPECT_GT(frame(), 0);
    EXPECT_EQ(frame(), 0);
    ui::sleep_ns(column_ns / 4);
    SetCtrlVal(h, 2, 3.0);
    EXPECT_EQ(frame(), 0);
    ui::sleep_ns(column_ns);
    EXPECT_GT(frame(), 0);  // 3.0 is a column back: drawn
    ui::sleep_ns(50000000);
    EXPECT_EQ(frame(), 0);
    ui::sleep_ns(60000000);
    EXPECT_GT(frame(), 0);  // the window moved on
    pane.findChild<QCheckBox *>("trace_B")->click();
    EXPECT_EQ(frame(), 0);  // B has no values: its graph shows nothing either way
}

TEST_F(QtView, DimmedWidgetIgnoresClicks)
{
    QTest::mouseClick(find<QPushButton>("DIM_BTN"), Qt::LeftButton);
    EXPECT_TRUE(calls().empty());
}

TEST_F(QtView, TitleAndLogPane)
{
    EXPECT_EQ(win->windowTitle(), QString::fromUtf8("Test bench \u2014 simulated bench"));
    ErrorPrintf("Error = %i, %s\n", -1, "\xcf\xee\xf0\xf2");
    auto *log = find<QPlainTextEdit>("log");
    QStringList lines = log->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 2);
    // Each line after its time; the banner first.
    EXPECT_TRUE(lines[0].endsWith("  korvane 0.1 on the simulated bench")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(QString::fromUtf8("  Error = -1, Порт"))) << lines[1].toStdString();
}

TEST_F(QtView, ClosingTheWindowEndsTheLoop)
{
    QTimer::singleShot(0, win, [this] { win->close(); });
    EXPECT_EQ(RunUserInterface(), 0);
    ASSERT_FALSE(calls_of("panel_cb").empty());
    EXPECT_EQ(calls_of("panel_cb")[0].event, EVENT_CLOSE);
    EXPECT_TRUE(win->isVisible());  // the window stays until its panel is discarded
    EXPECT_EQ(DiscardPanel(h), 0);
    EXPECT_EQ(ui::qt::window(h), nullptr);
}

// A callback may discard the panel whose widget it was called from: the
// window goes, and nothing touches it afterwards.
TEST_F(QtView, CallbackMayDiscardItsOwnPanel)
{
    on_call() = [](const Call &c) {
        if (c.who == "rec_cb")
            DiscardPanel(c.panel);
    };
    QPointer<QWidget> w = win;
    QTest::mouseClick(find<QPushButton>("BTN"), Qt::LeftButton);
    EXPECT_EQ(ui::qt::window(h), nullptr);
    EXPECT_FALSE(ui::model::panel(h));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());

    h = show();
    win = ui::qt::window(h);
    ASSERT_TRUE(win);
    QApplication::processEvents();
    auto *e = find<QLineEdit>("NUM_INT");
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, "5");
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(ui::qt::window(h), nullptr);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(QtView, ScreenshotIsThePanelAndItsLog)
{
    std::string file = (dir_ / "shot.png").string();
    std::string why;
    ASSERT_TRUE(ui::qt::render_png(h, file, why)) << why;
    QImage img(QString::fromStdString(file));
    ASSERT_FALSE(img.isNull());
    EXPECT_GE(img.width(), 400);  // the panel area, in its scroll area
    EXPECT_GT(img.height(), 300);
    EXPECT_FALSE(ui::qt::render_png(h, (dir_ / "no" / "such" / "dir.png").string(), why));
}

TEST(NoDisplay, ReasonOnlyWithoutAnyDisplay)
{
    if (base::platform::always_has_desktop())
        GTEST_SKIP() << "Windows always has its desktop: no display to miss";
    const char *keep[] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    std::vector<std::pair<std::string, std::string>> saved;
    for (auto *k : keep) {
        if (const char *v = std::getenv(k))
            saved.emplace_back(k, v);
        qunsetenv(k);
    }
    EXPECT_EQ(ui::qt::no_display_reason("/usr/bin/korvane", {}),
              "korvane: no display found (DISPLAY is not set); without a window: a subcommand (korvane --help lists "
              "them) or --script FILE; the window over the network: -platform vnc");
    EXPECT_EQ(ui::qt::no_display_reason("korvane", {"-platform", "vnc"}), "");
    qputenv("DISPLAY", ":0");
    EXPECT_EQ(ui::qt::no_display_reason("korvane", {}), "");
    qunsetenv("DISPLAY");
    for (auto &[k, v] : saved)
        qputenv(k.c_str(), v.c_str());
}

struct EnvGuard {
    std::vector<std::pair<std::string, std::string>> saved;
    EnvGuard()
    {
        for (const char *k : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            if (const char *v = std::getenv(k))
                saved.emplace_back(k, v);
            qunsetenv(k);
        }
    }
    ~EnvGuard()
    {
        for (auto &[k, v] : saved)
            qputenv(k.c_str(), v.c_str());
    }
};

TEST_F(Runtime, WithoutADisplayInitFailsWithOneLine)
{
    if (base::platform::always_has_desktop())
        GTEST_SKIP() << "Windows always has its desktop: no display to miss";
    EnvGuard env;
    std::vector<std::string> lines;
    base::add_error_sink([&](const std::string &l) { lines.push_back(l); });
    ui::Options opts;
    opts.banner = {"korvane 1.0", "driver: simulated bench"};  // for a window's log pane, not for this line
    ui::configure(opts);
    char arg0[] = "/opt/bin/korvane";
    char *argv[] = {arg0, nullptr};
    EXPECT_EQ(InitCVIRTE(nullptr, argv, nullptr), 0);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "korvane: no display found (DISPLAY is not set); without a window: a subcommand (korvane "
                        "--help lists them) or --script FILE; the window over the network: -platform vnc");
    EXPECT_EQ(ui::last_failure(), lines[0]);
    EXPECT_NE(ui::exit_status(), 0);
    EXPECT_EQ(LoadPanel(0, "x.uir", 1), UIENotInitialized);
}

// DISPLAY names a server that is not there: Qt would abort with its own
// screenful; the program says so in one line and exits with status 1.
TEST(NoDisplayDeathTest, UnreachableDisplayIsOneLineAndStatusOne)
{
    if (base::platform::always_has_desktop())
        GTEST_SKIP() << "Windows always has its desktop: no display to miss";
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // the child starts without a QApplication
    auto start = [] {
        qunsetenv("QT_QPA_PLATFORM");
        qunsetenv("WAYLAND_DISPLAY");
        qputenv("DISPLAY", ":9917");
        ui::model::reset();
        ui::configure({});
        char arg0[] = "/opt/bin/korvane";
        char *argv[] = {arg0, nullptr};
        InitCVIRTE(nullptr, argv, nullptr);
        std::_Exit(3);  // not reached: the window system must not start
    };
    EXPECT_EXIT(start(), ::testing::ExitedWithCode(1),
                ::testing::AllOf(::testing::StartsWith("korvane: the window system cannot be started ("),
                                 ::testing::HasSubstr("); without a window: a subcommand (korvane --help lists "
                                                      "them) or --script FILE; the window over the network: "
                                                      "-platform vnc\n"),
                                 ::testing::Not(::testing::HasSubstr("\n\n"))));
}

// A screenshot needs no screen: a DISPLAY whose server is gone does not stop it.
TEST(NoDisplayDeathTest, ScreenshotDrawsOffscreenWhateverDisplaySays)
{
    if (base::platform::always_has_desktop())
        GTEST_SKIP() << "Windows always has its desktop: no display to miss";
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // the child starts without a QApplication
    std::string file = (std::filesystem::temp_directory_path() /
                        ("uir-shot-" + std::to_string(::getpid()) + ".png"))
                           .string();
    auto run = [&] {
        qunsetenv("QT_QPA_PLATFORM");
        qunsetenv("WAYLAND_DISPLAY");
        qputenv("DISPLAY", ":9917");
        ui::model::reset();
        ui::RegisterCallback("rec_cb", rec_cb);
        ui::RegisterCallback("timer_a", timer_a);
        ui::RegisterCallback("timer_b", timer_b);
        ui::RegisterCallback("panel_cb", panel_cb);
        ui::Options o;
        o.screenshot_file = file;
        ui::configure(o);
        char arg0[] = "korvane";
        char *argv[] = {arg0, nullptr};
        if (InitCVIRTE(nullptr, argv, nullptr) != 1)
            std::_Exit(4);
        std::string panel = file + ".uir";
        std::ofstream(panel) << kTestPanel;
        int h = LoadPanel(0, panel.c_str(), 1);
        if (h <= 0 || DisplayPanel(h) != 0)
            std::_Exit(5);
        int rc = RunUserInterface();
        std::filesystem::remove(panel);
        std::_Exit(rc == 0 && std::filesystem::exists(file) ? 0 : 6);
    };
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(0), "");
    std::filesystem::remove(file);
}

TEST_F(Runtime, PlatformInTheProgramsArgumentsCountsAsADisplay)
{
    EnvGuard env;
    ui::configure({});
    char arg0[] = "korvane", arg1[] = "-platform", arg2[] = "offscreen";
    char *argv[] = {arg0, arg1, arg2, nullptr};
    EXPECT_EQ(InitCVIRTE(nullptr, argv, nullptr), 1) << ui::last_failure();
}

TEST_F(Runtime, ScriptOrScreenshotChoosesTheHeadlessFrontEnd)
{
    EnvGuard env;  // no display: the window front end would refuse to start
    ui::Options o;
    o.screenshot_file = (dir_ / "s.png").string();
    init(o);
    EXPECT_TRUE(ui::virtual_clock());
    int h = show();
    EXPECT_EQ(ui::qt::window(h), nullptr);
    EXPECT_EQ(RunUserInterface(), 0);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "s.png")) << ui::last_failure();
}

TEST_F(QtView, TimersTickOnTheRealClockInTheLoop)
{
    // A 1 ms timer whose first tick ends the loop.
    on_call() = [](const Call &c) {
        if (c.who == "timer_b")
            QuitUserInterface(5);
    };
    DiscardPanel(h);
    std::string text = kTestPanel;
    text.replace(text.find("interval = 0.25\nenabled = false"), 31, "interval = 0.001\nenabled = true ");
    h = show(text);
    EXPECT_FALSE(ui::virtual_clock());
    EXPECT_EQ(RunUserInterface(), 5);
    EXPECT_GE(calls_of("timer_b").size(), 1u);
}

}  // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ui::qt::install();
    // A death test's child makes its own QApplication, or fails to.
    bool death_child = false;
    for (int i = 1; i < argc; ++i)
        death_child = death_child || std::string(argv[i]).rfind("--gtest_internal_run_death_test", 0) == 0;
    std::unique_ptr<QApplication> app;
    if (!death_child)
        app = std::make_unique<QApplication>(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
