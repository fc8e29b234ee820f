// korvane's panel through the real Qt widgets (offscreen): open the hardware,
// set a port mask and run an Avalon read with mouse clicks and key strokes;
// the chart, the arrow keys and the layout on a 1024 x 768 screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <qcustomplot.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/panel/korvane_main.h"
#include "tests/app/panel/panel_fixture.h"
#include "sim/device/ksim_client.h"
#include "ui/model.h"
#include "ui/qt/view.h"
#include "ui/qt/parts.h"
#include "ui/userint.h"
#include "vekta/vekta_testing.h"

namespace {

class QtPanel : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui::Options opts;
        opts.toolkit_args = {"-platform", "offscreen"};
        opts.title_suffix = "simulated bench";
        ui::qt::install();
        panel_fixture::start_panel(opts, &bench);
        if (HasFatalFailure()) return;
        win = ui::qt::window(panelHandle);
        ASSERT_NE(win, nullptr);
        QApplication::processEvents();
    }

    void TearDown() override
    {
        if (panelHandle > 0) DiscardPanel(panelHandle);
        panelHandle = 0;
        ui::model::reset();
    }

    template <class W>
    W *widget(const char *name)
    {
        W *w = win->findChild<W *>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void click(const char *name)
    {
        auto *b = widget<QPushButton>(name);
        ASSERT_NE(b, nullptr);
        ASSERT_TRUE(b->isEnabled()) << name << " is dimmed";
        QTest::mouseClick(b, Qt::LeftButton);
        QApplication::processEvents();
    }

    void type(const char *name, const char *text)
    {
        auto *e = widget<QLineEdit>(name);
        ASSERT_NE(e, nullptr);
        ASSERT_TRUE(e->isEnabled()) << name << " is dimmed";
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, text);
        QTest::keyClick(e, Qt::Key_Return);
        QApplication::processEvents();
    }

    const sim::BackDoor *bench = nullptr;
    QWidget *win = nullptr;
};

TEST_F(QtPanel, OpenSetAMaskAndReadTheBus)
{
    auto *mask = widget<QLineEdit>("PORT_MASK_0");
    ASSERT_NE(mask, nullptr);
    EXPECT_FALSE(mask->isEnabled());
    EXPECT_FALSE(widget<QPushButton>("CLOSE_BTN")->isEnabled());

    // Before the port area's first hint (no Open yet) the panel file's rule greys
    // lamps showing 0 while the mask field shows its dash, and a change of that
    // field alone repaints them.
    auto *first_lamps = widget<ui::qt::Lamps>("PORT_IN_0");
    ASSERT_NE(first_lamps, nullptr);
    SetCtrlVal(panelHandle, PORT_IN_0, 0);
    QApplication::processEvents();
    EXPECT_FALSE(first_lamps->grey());
    SetCtrlVal(panelHandle, PORT_MASK_0, -1);
    QApplication::processEvents();
    EXPECT_TRUE(first_lamps->grey()) << "repainted when the mask field changed, not at the next tick";

    auto *status = widget<QLabel>("status");
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->text().startsWith("SIMULATED BENCH")) << status->text().toStdString();
    // The hardware area says so too, in its frame's title.
    auto *frame = widget<QGroupBox>("COMMAND_FRAME");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->title(), QString::fromUtf8("Hardware \u2014 SIMULATED BENCH"));
    EXPECT_TRUE(status->text().contains("hardware closed"));
    click("OPEN_BTN");
    EXPECT_EQ(pxi_opened, 1);
    ui::qt::catch_up(panelHandle);  // the status line's next frame
    EXPECT_TRUE(status->text().contains("hardware open")) << status->text().toStdString();
    EXPECT_TRUE(widget<QPushButton>("CLOSE_BTN")->isEnabled());
    EXPECT_EQ(mask->text(), QString::fromUtf8("\u2014"));  // -1: not set since Open
    // A tick reads nothing of ports without a mask: their lamps are grey, though
    // the value is 0 and the indicator is not dimmed (the panel file ties them
    // to the mask field's dash).
    auto *lamps0 = widget<ui::qt::Lamps>("PORT_IN_0");
    auto *lamps1 = widget<ui::qt::Lamps>("PORT_IN_1");
    ASSERT_TRUE(lamps0 && lamps1);
    port_timer_CB(panelHandle, PORT_TIMER, EVENT_TIMER_TICK, nullptr, 0, 0);
    QApplication::processEvents();
    int level = -1;
    GetCtrlVal(panelHandle, PORT_IN_0, &level);
    EXPECT_EQ(level, 0);
    EXPECT_TRUE(lamps0->grey());
    EXPECT_TRUE(lamps0->isEnabled());

    // Port 0: low nibble outputs, driving 0x0F. The mask sets the port up, but
    // the 0 its lamps show was not read: grey until a tick reads the lines.
    type("PORT_MASK_0", "0F");
    QApplication::processEvents();
    EXPECT_TRUE(lamps0->grey()) << "no reading since the port was set up";
    type("PORT_OUT_0", "FF");
    port_timer_CB(panelHandle, PORT_TIMER, EVENT_TIMER_TICK, nullptr, 0, 0);
    QApplication::processEvents();
    EXPECT_FALSE(lamps0->grey());
    EXPECT_TRUE(lamps1->grey());
    double lines = -1;
    ASSERT_EQ(bench->probe("port0", &lines), 0);
    EXPECT_EQ(lines, 0x0F);
    EXPECT_EQ(mask->text(), "0x0F");
    // The port calls went through the import layer, which counts them.
    ui::qt::catch_up(panelHandle);
    EXPECT_TRUE(status->text().contains(QRegularExpression(" [1-9][0-9]* driver calls/s, 0 failed/s")))
        << status->text().toStdString();

    // A word in slave 0's memory, read back by the Read button.
    ASSERT_EQ(bench->poke_reg(0, 0x321, 0xCAFE), 0);
    click("AV_INIT_BTN");
    // Init set port 2 up through the bus master: its lamps show the idle strobes
    // (a lit lamp is a level), though its mask field still shows the dash.
    auto *lamps2 = widget<ui::qt::Lamps>("PORT_IN_2");
    ASSERT_NE(lamps2, nullptr);
    port_timer_CB(panelHandle, PORT_TIMER, EVENT_TIMER_TICK, nullptr, 0, 0);
    QApplication::processEvents();
    EXPECT_EQ(widget<QLineEdit>("PORT_MASK_2")->text(), QString::fromUtf8("\u2014"));
    EXPECT_FALSE(lamps2->grey());
    // Port 1 too: the bus master drives it low, and that is a reading, not grey.
    GetCtrlVal(panelHandle, PORT_IN_1, &level);
    EXPECT_EQ(level, 0);
    EXPECT_FALSE(lamps1->grey()) << "port 1 was read: its low lines are levels";
    type("AV_READ_SLAVE", "0");
    type("AV_READ_ADDR", "321");
    click("AV_READ_BTN");
    EXPECT_EQ(widget<QLineEdit>("AV_READ_DATA")->text(), "0xCAFE");
    int data = 0;
    GetCtrlVal(panelHandle, AV_READ_DATA, &data);
    EXPECT_EQ(data, 0xCAFE);

    // The ADC's first reading, through the Avalon area's timer.
    avalon_timer_cb(panelHandle, AVALON_TIMER, EVENT_TIMER_TICK, nullptr, 0, 0);
    QApplication::processEvents();
    auto *read_data = widget<ui::qt::Field>("AV_READ_DATA");
    auto *vin1 = widget<ui::qt::Field>("ADC_VIN1");
    ASSERT_TRUE(read_data && vin1);
    EXPECT_NE(vin1->text(), "NaN");
    EXPECT_FALSE(read_data->held() || vin1->held());
    const QColor live_text = read_data->palette().color(QPalette::Text);

    EXPECT_FALSE(lamps0->held());
    click("CLOSE_BTN");
    EXPECT_EQ(pxi_opened, 0);
    // The lamps keep the levels last read, shown as held from before Close.
    QApplication::processEvents();
    EXPECT_TRUE(lamps0->held());
    EXPECT_FALSE(lamps0->grey());
    EXPECT_FALSE(mask->isEnabled());
    EXPECT_TRUE(lamps0->isEnabled() && lamps1->isEnabled() && lamps2->isEnabled());  // never dimmed
    EXPECT_EQ(bench->live_tasks(), 0);
    // So do the fields that keep their readings: Close dimmed only their area's
    // buttons, and the fields follow.
    EXPECT_EQ(read_data->text(), "0xCAFE");
    EXPECT_TRUE(read_data->held());
    EXPECT_TRUE(vin1->held());
    EXPECT_NE(read_data->palette().color(QPalette::Text), live_text);
    // What was set, which the lines keep, and what Close cleared (NaN) are not held.
    EXPECT_FALSE(widget<ui::qt::Field>("PORT_OUT_0")->held());
    EXPECT_FALSE(widget<ui::qt::Field>("AO0_NUMERIC")->held());

    // Open again: the fields are live once more.
    click("OPEN_BTN");
    EXPECT_FALSE(read_data->held());
    EXPECT_EQ(read_data->palette().color(QPalette::Text), live_text);
}

// The analog timer's tick, as the event loop would run it (the test does not
// run the loop: the window's clock is the real one).
void analog_tick() { ai_timer_CB(panelHandle, AI_TIMER, EVENT_TIMER_TICK, nullptr, 0, 0); }

std::vector<std::vector<std::string>> read_csv(const std::string &file)
{
    std::ifstream in(file);
    std::vector<std::vector<std::string>> rows;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream ss(line);
        std::string cell;
        while (std::getline(ss, cell, ',')) cells.push_back(cell);
        if (!line.empty() && line.back() == ',') cells.emplace_back();
        rows.push_back(cells);
    }
    return rows;
}

TEST_F(QtPanel, ChartHidesATraceAndSavesWhatItRecorded)
{
    click("OPEN_BTN");
    for (int i = 0; i < 6; i++) analog_tick();
    QApplication::processEvents();
    ui::qt::catch_up(panelHandle);  // the chart's next frame
    auto *pane = widget<QWidget>("SIGNAL_CHART");
    ASSERT_NE(pane, nullptr);
    ui::Chart *chart = ui::model::chart(panelHandle, SIGNAL_CHART);
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->stats(chart->find_trace("AI5")).points, 7u);  // start-up NaN and 6 readings

    // Hiding AI3: its lines go, the others stay.
    auto *plot = pane->findChild<QCustomPlot *>("chart_view");
    ASSERT_NE(plot, nullptr);
    auto drawn = [&](const char *trace) {  // the values a shown graph holds (no NaN's gap)
        int n = 0;
        for (int g = 0; g < plot->graphCount(); g++)
            if (plot->graph(g)->objectName() == trace && plot->graph(g)->visible())
                for (auto it = plot->graph(g)->data()->constBegin(); it != plot->graph(g)->data()->constEnd(); ++it)
                    n += !std::isnan(it->value);
        return n;
    };
    auto *ai3 = pane->findChild<QCheckBox *>("trace_AI3");
    ASSERT_NE(ai3, nullptr);
    EXPECT_EQ(drawn("AI3"), 6);
    QTest::mouseClick(ai3, Qt::LeftButton, {}, QPoint(4, ai3->height() / 2));
    EXPECT_FALSE(chart->traces()[chart->find_trace("AI3")].visible);
    EXPECT_EQ(drawn("AI3"), 0);
    EXPECT_EQ(drawn("AI4"), 6);

    // Save CSV through the file dialog: one row a tick, each trace's column its recorded values.
    std::string file = (std::filesystem::temp_directory_path() / "korvane_qt_chart.csv").string();
    std::filesystem::remove(file);
    QTimer::singleShot(0, [file] {
        auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        d->selectFile(QString::fromStdString(file));
        static_cast<QDialog *>(d)->accept();  // as the Save button does
    });
    QTest::mouseClick(pane->findChild<QPushButton *>("save_csv"), Qt::LeftButton);
    auto rows = read_csv(file);
    ASSERT_EQ(rows.size(), 1u + 1u + 6u);  // header, start-up, six ticks
    ASSERT_EQ(rows[0].size(), 1u + chart->traces().size());
    EXPECT_EQ(rows[0][0], "time_s");
    for (size_t i = 0; i < chart->traces().size(); i++) {
        const ui::ChartTrace &t = chart->traces()[i];
        SCOPED_TRACE(t.name);
        EXPECT_EQ(rows[0][i + 1], t.name);
        std::vector<double> column;
        for (size_t r = 1; r < rows.size(); r++)
            if (!rows[r][i + 1].empty()) column.push_back(std::stod(rows[r][i + 1]));
        std::vector<double> recorded;
        for (const auto &p : t.points)
            if (!std::isnan(p.v)) recorded.push_back(p.v);
        ASSERT_EQ(column.size(), recorded.size());
        for (size_t k = 0; k < column.size(); k++) EXPECT_NEAR(column[k], recorded[k], 1e-8 * (1 + std::fabs(recorded[k])));
    }
    for (size_t r = 2; r < rows.size(); r++) EXPECT_GE(std::stod(rows[r][0]), std::stod(rows[r - 1][0]));
    std::filesystem::remove(file);
}

TEST_F(QtPanel, ArrowKeysStepAHexFieldWithinItsRange)
{
    click("OPEN_BTN");
    auto *mask = widget<QLineEdit>("PORT_MASK_0");
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->text(), QString::fromUtf8("\u2014"));
    mask->setFocus();
    auto key = [&](Qt::Key k, int times = 1) {
        for (int i = 0; i < times; i++) QTest::keyClick(mask, k);
        QApplication::processEvents();
    };
    key(Qt::Key_Up);  // from no value: the range's bottom
    EXPECT_EQ(mask->text(), "0x00");
    key(Qt::Key_Up);
    EXPECT_EQ(mask->text(), "0x01");
    key(Qt::Key_PageUp);
    EXPECT_EQ(mask->text(), "0x11");
    key(Qt::Key_Down);
    EXPECT_EQ(mask->text(), "0x10");
    int v = -1;
    GetCtrlVal(panelHandle, PORT_MASK_0, &v);
    EXPECT_EQ(v, 0x10);  // each step is committed: the port has it
    key(Qt::Key_PageUp, 20);
    EXPECT_EQ(mask->text(), "0xFF");
    key(Qt::Key_PageDown, 20);
    EXPECT_EQ(mask->text(), "0x00");
}

// At 1024 x 768 every operator control is on the screen without scrolling:
// widget rectangles against the window's (the fonts may change labels and
// the status line's height, not the controls' places).
TEST_F(QtPanel, EveryControlVisibleWithoutScrollingAt1024x768)
{
    win->resize(1024, 768);
    win->show();
    QApplication::processEvents();
    EXPECT_EQ(win->size(), QSize(1024, 768));  // nothing forces it larger
    auto *scroll = widget<QScrollArea>("panel_scroll");
    ASSERT_NE(scroll, nullptr);
    QWidget *viewport = scroll->viewport();
    const QRect shown = QRect(viewport->mapTo(win, QPoint(0, 0)), viewport->size()).intersected(win->rect());
    auto in_window = [&](QWidget *w) { return QRect(w->mapTo(win, QPoint(0, 0)), w->size()); };
    int checked = 0;
    for (const ui::Control &c : ui::model::controls(panelHandle)) {
        if (c.kind == ui::Kind::timer) continue;
        QString name = QString::fromStdString(c.name.empty() ? c.label : c.name);
        SCOPED_TRACE(name.toStdString());
        QWidget *w = win->findChild<QWidget *>(name);
        ASSERT_NE(w, nullptr);
        EXPECT_FALSE(w->toolTip().isEmpty());
        if (c.kind == ui::Kind::chart) {
            // Below the panel, beside the log, inside the window, with room of its own.
            EXPECT_TRUE(w->isVisible());
            EXPECT_TRUE(win->rect().contains(in_window(w)));
            EXPECT_GE(in_window(w).top(), shown.bottom());
            EXPECT_GT(w->height(), 40);
            continue;
        }
        ASSERT_TRUE(scroll->widget()->isAncestorOf(w));
        EXPECT_TRUE(shown.contains(in_window(w))) << "not on the screen without scrolling";
        checked++;
    }
    EXPECT_GT(checked, 40);
    EXPECT_EQ(scroll->verticalScrollBar()->value(), 0);
    EXPECT_EQ(scroll->horizontalScrollBar()->value(), 0);
    auto *log = widget<QWidget>("log_pane");
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->isVisible());
    EXPECT_TRUE(win->rect().contains(in_window(log)));

    // A long message repeated: its count ("×2", after the last line) is inside the pane.
    const std::string long_line(300, 'x');
    ErrorPrintf("%s\n", long_line.c_str());
    ErrorPrintf("%s\n", long_line.c_str());
    QApplication::processEvents();
    auto *text = widget<QPlainTextEdit>("log");
    ASSERT_NE(text, nullptr);
    ASSERT_TRUE(text->toPlainText().endsWith(QString::fromUtf8("\u00d72")));
    QTextCursor end(text->document());
    end.movePosition(QTextCursor::End);
    text->setTextCursor(end);
    text->ensureCursorVisible();
    QApplication::processEvents();
    EXPECT_TRUE(text->viewport()->rect().contains(text->cursorRect(end).center())) << "the repeat count is cut off";
    EXPECT_EQ(text->horizontalScrollBar()->maximum(), 0);

    // Grown, the window gives the room to the chart and the log, not to the panel's frame.
    QWidget *area = scroll->widget();
    const int chart_height = widget<QWidget>("SIGNAL_CHART")->height();
    const int scroll_height = scroll->height();
    win->resize(1024, 1400);
    QApplication::processEvents();
    EXPECT_GT(widget<QWidget>("SIGNAL_CHART")->height(), chart_height);
    EXPECT_LE(scroll->height(), area->height() + 2 * scroll->frameWidth() + scroll->horizontalScrollBar()->height());
    EXPECT_GE(scroll->height(), scroll_height);
}

}  // namespace
