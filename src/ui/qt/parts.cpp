// The chart, the lamps and the log pane of the Qt window.

#include "ui/qt/parts.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include <qcustomplot.h>

#include <cmath>
#include <limits>

#include "base/atomic_file.h"

namespace ui::qt {
namespace {

QString qs(const std::string &s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

// Trace colours, told apart on screen and in print.
const QColor kTraceColours[] = {
    QColor(0x1f, 0x77, 0xb4), QColor(0xff, 0x7f, 0x0e), QColor(0x2c, 0xa0, 0x2c), QColor(0xd6, 0x27, 0x28),
    QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b), QColor(0xe3, 0x77, 0xc2), QColor(0x7f, 0x7f, 0x7f),
    QColor(0xbc, 0xbd, 0x22), QColor(0x17, 0xbe, 0xcf),
};

QColor trace_colour(std::size_t i) { return kTraceColours[i % std::size(kTraceColours)]; }

// A caption's bold font (a style sheet of its own would give each caption a
// style of its own to build and polish).
QFont bold_font(const QWidget *w)
{
    QFont f = w->font();
    f.setBold(true);
    return f;
}

// Runs of a trace drawn as lines; a trace broken more often shows its newest runs.
constexpr std::size_t kMostRuns = 200;

// The grid, light and solid, and the axes' lines.
const QColor kGridColour(0xe0, 0xe0, 0xe0), kFrameColour(0x80, 0x80, 0x80);
// Held values (from before their area closed): a dashed rim, and a field's text pale.
const QColor kHeldRim(0x40, 0x40, 0x40), kHeldText(0x90, 0x90, 0x90);

// The points a graph holds, NaN equal to NaN.
bool same_line(const QCPGraphDataContainer &drawn, const QVector<QCPGraphData> &line)
{
    if (drawn.size() != line.size())
        return false;
    auto it = drawn.constBegin();
    for (const QCPGraphData &d : line) {
        if (it->key != d.key || !(it->value == d.value || (std::isnan(it->value) && std::isnan(d.value))))
            return false;
        ++it;
    }
    return true;
}

// Written whole or not at all (atomic_file.h); a failure is told in a box.
bool write_file(QWidget *parent, const QString &path, const std::string &text)
{
    const std::string why = base::write_file_atomically(path.toStdString(), text);
    if (why.empty()) return true;
    QMessageBox::warning(parent, QStringLiteral("korvane"), qs(why));
    return false;
}

}  // namespace

QString ask_save_path(QWidget *parent, const QString &title, const QString &name, const QString &filter)
{
    QFileDialog d(parent, title, QString(), filter);
    d.setObjectName("save_dialog");
    d.setOption(QFileDialog::DontUseNativeDialog);
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.selectFile(name);
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return QString();
    return d.selectedFiles().front();
}

// ---- chart ------------------------------------------------------------------

ChartPane::ChartPane(int panel, const Control &c, QWidget *parent) : QWidget(parent), panel_(panel), id_(c.id)
{
    setObjectName(qs(c.name));
    setMinimumSize(std::max(c.width, 1), std::max(c.height, 1));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->setSpacing(2);
    outer->addLayout(make_toolbar(c));
    auto *body = new QHBoxLayout;
    body->addWidget(make_plot(), 1);
    body->addLayout(make_trace_boxes());
    outer->addLayout(body, 1);
    show_choices();
    update_control(c);
    redraw(true);
}

// The caption, then the operator's choices: span, pause, autoscale, save.
QHBoxLayout *ChartPane::make_toolbar(const Control &c)
{
    auto *row = new QHBoxLayout;
    auto *caption = new QLabel(qs(c.label), this);
    caption->setFont(bold_font(caption));
    row->addWidget(caption);
    row->addStretch(1);
    span_ = new QComboBox(this);
    span_->setObjectName("span");
    span_->setToolTip("Time shown");
    for (int s : Chart::kSpans)
        span_->addItem(s < 60 ? QString("%1 s").arg(s) : QString("%1 min").arg(s / 60), s);
    pause_ = new QPushButton("Pause", this);
    pause_->setObjectName("pause");
    pause_->setCheckable(true);
    pause_->setAutoDefault(false);
    pause_->setToolTip("Hold the picture still; recording goes on");
    autoscale_ = new QCheckBox("Autoscale", this);
    autoscale_->setObjectName("autoscale");
    autoscale_->setToolTip("Fit the scale to the traces shown, instead of the fixed scale");
    auto *save = new QPushButton("Save CSV\u2026", this);
    save->setObjectName("save_csv");
    save->setAutoDefault(false);
    save->setToolTip("Save everything recorded: time in seconds, one column per trace");
    row->addWidget(span_);
    row->addWidget(pause_);
    row->addWidget(autoscale_);
    row->addWidget(save);
    connect(save, &QPushButton::clicked, this, [this] { save_csv(); });
    return row;
}

// The plot: time along the bottom, volts up the side; no legend (the check
// boxes are), no zoom or drag (the operator's choices are).
QCustomPlot *ChartPane::make_plot()
{
    plot_ = new QCustomPlot(this);
    plot_->setObjectName("chart_view");
    plot_->setMinimumSize(120, 80);
    plot_->plotLayout()->setMargins(QMargins(2, 2, 6, 2));
    // A line stroked segment by segment: a noisy trace's whole polyline
    // stroked as one path costs several times as much (its outline is filled
    // across the plot's width), for the same pixels.
    plot_->setPlottingHint(QCP::phFastPolylines);
    // The lines get a paint buffer of their own, above the grid and below the
    // axes: a frame that moves only the lines draws nothing else again.
    plot_->addLayer("traces", plot_->layer("main"), QCustomPlot::limAbove);
    traces_ = plot_->layer("traces");
    traces_->setMode(QCPLayer::lmBuffered);
    auto ticker = QSharedPointer<QCPAxisTickerFixed>::create();
    ticker->setScaleStrategy(QCPAxisTickerFixed::ssNone);  // six steps a span, from 0 back
    plot_->xAxis->setTicker(ticker);
    plot_->xAxis->setLabel("s");
    plot_->xAxis->setLabelFont(bold_font(plot_));
    plot_->xAxis->setNumberPrecision(0);
    plot_->yAxis->setNumberPrecision(2);
    for (QCPAxis *a : {plot_->xAxis, plot_->yAxis}) {
        a->setNumberFormat("f");
        a->setBasePen(QPen(kFrameColour, 0));
        a->setTickPen(QPen(kFrameColour, 0));
        a->setSubTicks(false);
        a->grid()->setPen(QPen(kGridColour, 0));
        a->grid()->setZeroLinePen(Qt::NoPen);
    }
    return plot_;
}

// One box per trace, in its colour, that shows or hides it.
QVBoxLayout *ChartPane::make_trace_boxes()
{
    auto *traces = new QVBoxLayout;
    traces->setSpacing(0);
    // Two columns: the chart stays low enough for the panel above it to be
    // whole on a 1024 x 768 screen.
    auto *grid = new QGridLayout;
    grid->setSpacing(0);
    traces->addLayout(grid);
    Chart *m = model();
    std::size_t n = m ? m->traces().size() : 0;
    const int rows = static_cast<int>((n + 1) / 2);
    for (std::size_t i = 0; i < n; ++i) {
        const ChartTrace &t = m->traces()[i];
        QCPGraph *g = plot_->addGraph();
        g->setObjectName(qs(t.name));
        g->setName(qs(t.name));
        g->setLayer(traces_);
        QPen pen(trace_colour(i));
        pen.setWidthF(1.5);
        g->setPen(pen);
        // The model already keeps each pixel column's lowest and highest
        // value: the graph draws what it holds, without sampling it again.
        g->setAdaptiveSampling(false);
        g->setVisible(t.visible);
        graphs_.push_back(g);
        // The followed control's label where it has one ("ADC ch 0 (V)"), else its name.
        auto followed = model::control(panel_, t.control);
        auto *box = new QCheckBox(qs(followed && !followed->label.empty() ? followed->label : t.name), this);
        box->setObjectName(qs("trace_" + t.name));
        QPixmap swatch(10, 10);
        swatch.fill(trace_colour(i));
        box->setIcon(QIcon(swatch));
        box->setChecked(t.visible);
        box->setToolTip(qs("Show or hide " + t.name));
        connect(box, &QCheckBox::toggled, this, [this, i](bool on) {
            if (Chart *mm = model()) {
                mm->traces()[i].visible = on;
                redraw(true);
            }
        });
        grid->addWidget(box, static_cast<int>(i) % rows, static_cast<int>(i) / rows);
        shown_.push_back(box);
    }
    traces->addStretch(1);
    return traces;
}

// The choices as the model holds them, then the operator's changes into it.
void ChartPane::show_choices()
{
    if (Chart *m = model()) {
        int at = span_->findData(static_cast<int>(std::lround(m->span_s)));
        if (at < 0) {
            span_->addItem(QString("%1 s").arg(m->span_s), static_cast<int>(std::lround(m->span_s)));
            at = span_->count() - 1;
        }
        span_->setCurrentIndex(at);
        autoscale_->setChecked(m->autoscale);
        pause_->setChecked(m->paused());
    }
    connect(span_, &QComboBox::currentIndexChanged, this, [this](int) {
        if (Chart *mm = model()) {
            mm->span_s = span_->currentData().toDouble();
            redraw(true);
        }
    });
    connect(pause_, &QPushButton::toggled, this, [this](bool on) {
        if (Chart *mm = model()) {
            mm->set_paused(on, now_ns());
            pause_->setText(on ? "Resume" : "Pause");
            redraw(true);
        }
    });
    connect(autoscale_, &QCheckBox::toggled, this, [this](bool on) {
        if (Chart *mm = model()) {
            mm->autoscale = on;
            redraw(true);
        }
    });
}

Chart *ChartPane::model() const { return model::chart(panel_, id_); }

void ChartPane::update_control(const Control &c)
{
    setEnabled(!c.dimmed);
    setToolTip(qs(c.tip));
}

void ChartPane::save_csv()
{
    QPointer<ChartPane> self(this);
    QString path = ask_save_path(this, "Save the chart as CSV", objectName().toLower() + ".csv", "CSV (*.csv)");
    if (!self || path.isEmpty())
        return;
    if (Chart *m = model())
        write_file(this, path, m->csv());
}

void ChartPane::redraw(bool force)
{
    Chart *m = model();
    if (!m)
        return;
    const std::int64_t now = now_ns();
    const std::int64_t end = m->view_end_ns(now);
    const std::int64_t span_ns = static_cast<std::int64_t>(m->span_s * 1e9);
    // A frame is drawn when the window has moved by a pixel column's time with
    // new values, or by a tenth of a second (a column at least) without, or
    // when the plot's width changed: nothing else could change a pixel, and
    // the picture stands.
    int columns = plot_columns();
    const std::int64_t column_ns = span_ns / columns;
    const std::int64_t moved = std::llabs(end - drawn_end_);
    const bool fresh = m->revision() != drawn_revision_;
    if (!force && columns == drawn_columns_ && !(fresh && moved >= column_ns) &&
        moved < std::max<std::int64_t>(column_ns, 100000000))
        return;
    double lo, hi;
    m->y_range(now, lo, hi);
    const bool scaled = set_axes(m->span_s, lo, hi);
    columns = plot_columns();
    drawn_revision_ = m->revision();
    drawn_end_ = end;
    drawn_columns_ = columns;
    bool lines = false;
    for (std::size_t i = 0; i < graphs_.size(); ++i)
        lines = set_trace(i, end, span_ns, columns) || lines;
    // A new scale draws the whole plot, new lines only their own layer.
    if (scaled)
        plot_->replot();
    else if (lines)
        traces_->replot();
}

// The scale shown: true when it changed, the plot then laid out again at once
// (the labels' width decides the plot's, and that how a long span is thinned out).
bool ChartPane::set_axes(double span_s, double lo, double hi)
{
    QCPAxis *x = plot_->xAxis, *y = plot_->yAxis;
    const QCPRange time(-span_s, 0.0), volts(lo, hi);
    if (x->range() == time && y->range() == volts)
        return false;
    if (x->range() != time) {
        static_cast<QCPAxisTickerFixed *>(x->ticker().data())->setTickStep(span_s / 6.0);
        x->setRange(time);
    }
    y->setRange(volts);
    for (auto phase : {QCPLayoutElement::upPreparation, QCPLayoutElement::upMargins, QCPLayoutElement::upLayout})
        plot_->plotLayout()->update(phase);
    return true;
}

// Trace i's runs between end - span and end into its graph, a NaN between
// two runs; true when what the graph shows changed.
bool ChartPane::set_trace(std::size_t i, std::int64_t end, std::int64_t span_ns, int columns)
{
    const ChartTrace &t = model()->traces()[i];
    const auto seconds = [end](const ChartPoint &p) { return static_cast<double>(p.t_ns - end) / 1e9; };
    QVector<QCPGraphData> line;
    if (t.visible) {
        for (const ChartRun &run : model()->visible_runs(i, end - span_ns, end, columns, kMostRuns)) {
            if (!line.isEmpty())
                line.append(QCPGraphData((line.back().key + seconds(run.front())) / 2,
                                         std::numeric_limits<double>::quiet_NaN()));
            for (const ChartPoint &p : run)
                line.append(QCPGraphData(seconds(p), p.v));
        }
    }
    // A hidden trace holds no points: what it shows changes with them alone.
    QCPGraph *g = graphs_[i];
    g->setVisible(t.visible);
    if (same_line(*g->data(), line))
        return false;
    g->data()->set(line, true);
    return true;
}

// The plot's width in pixels (the widget's before its first layout).
int ChartPane::plot_columns() const
{
    const int w = plot_->axisRect()->width();
    return std::max(w > 0 ? w : plot_->width(), 1);
}

// ---- lamps ------------------------------------------------------------------

void Field::set_held(bool held)
{
    if (held == held_)
        return;
    held_ = held;
    QPalette pal = palette();
    const QColor text = held ? kHeldText : QApplication::palette(this).color(QPalette::Active, QPalette::Text);
    pal.setColor(QPalette::Active, QPalette::Text, text);
    pal.setColor(QPalette::Inactive, QPalette::Text, text);
    setPalette(pal);
    update();
}

void Field::paintEvent(QPaintEvent *e)
{
    QLineEdit::paintEvent(e);
    if (!held_)
        return;
    QPainter p(this);
    p.setPen(QPen(kHeldRim, 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

Lamps::Lamps(std::function<void(int)> clicked, QWidget *parent) : QWidget(parent), clicked_(std::move(clicked)) {}

void Lamps::set_state(int value, bool grey, bool held, int count, bool clickable)
{
    if (value == value_ && grey == grey_ && held == held_ && count == count_ && clickable == clickable_)
        return;
    value_ = value;
    grey_ = grey;
    held_ = held;
    count_ = count;
    clickable_ = clickable;
    update();
}

void Lamps::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int n = std::max(count_, 1);
    const double cell = static_cast<double>(width()) / n;
    const double d = std::min(static_cast<double>(height()) - 6.0, std::min(cell * 0.45, 14.0));
    QFont f = font();
    f.setPixelSize(std::max(8, static_cast<int>(d * 0.8)));
    p.setFont(f);
    for (int k = 0; k < n; ++k) {
        const int bit = n - 1 - k;  // the highest bit at the left, as the digits read
        const double x0 = k * cell;
        QRectF number(x0, 0, cell - d - 2, height());
        p.setPen(isEnabled() ? palette().color(QPalette::WindowText) : palette().color(QPalette::Disabled, QPalette::WindowText));
        p.drawText(number, Qt::AlignRight | Qt::AlignVCenter, QString::number(bit));
        QRectF lamp(x0 + cell - d - 1, (height() - d) / 2.0, d, d);
        QColor fill = grey_ ? QColor(0xc8, 0xc8, 0xc8)
                      : (value_ >> bit) & 1 ? QColor(0x20, 0xd0, 0x40)
                                            : QColor(0x30, 0x50, 0x38);
        if (held_ && !grey_)
            fill = fill.lighter(160);  // a level from before Close, not a live one
        p.setPen(QPen(kHeldRim, 1, held_ ? Qt::DashLine : Qt::SolidLine));
        p.setBrush(fill);
        p.drawEllipse(lamp);
    }
}

void Lamps::mousePressEvent(QMouseEvent *e)
{
    if (!clickable_ || !isEnabled() || width() <= 0)
        return;
    const int n = std::max(count_, 1);
    int k = static_cast<int>(e->position().x() * n / width());
    if (k >= 0 && k < n)
        clicked_(n - 1 - k);
}

// ---- log pane ---------------------------------------------------------------

LogPane::LogPane(QWidget *parent) : QWidget(parent)
{
    setObjectName("log_pane");
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->setSpacing(2);
    auto *row = new QHBoxLayout;
    auto *caption = new QLabel("Log", this);
    caption->setFont(bold_font(caption));
    row->addWidget(caption);
    row->addStretch(1);
    auto *clear = new QPushButton("Clear", this);
    clear->setObjectName("log_clear");
    clear->setToolTip("Empty the log pane (standard error keeps every line)");
    auto *copy = new QPushButton("Copy", this);
    copy->setObjectName("log_copy");
    copy->setToolTip("Copy the whole log to the clipboard");
    auto *save = new QPushButton("Save as text\u2026", this);
    save->setObjectName("log_save");
    save->setToolTip("Save the whole log as a text file");
    for (auto *b : {clear, copy, save}) {
        b->setAutoDefault(false);
        row->addWidget(b);
    }
    outer->addLayout(row);
    text_ = new QPlainTextEdit(this);
    text_->setObjectName("log");
    text_->setReadOnly(true);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text_->setMaximumBlockCount(static_cast<int>(LogModel::kBound));
    // Long messages wrap at the pane's width, so a repeat count ("×40") after
    // the last line is never beyond the right edge.
    text_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text_->setMinimumHeight(60);
    outer->addWidget(text_, 1);

    // The pane follows the newest line while it is scrolled to the bottom:
    // whenever its range changes (a line added, the pane laid out or
    // resized), not only at the moment a line is added.
    QScrollBar *bar = text_->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int v) { follow_ = v >= bar->maximum(); });
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int max) {
        if (follow_)
            bar->setValue(max);
    });
    connect(clear, &QPushButton::clicked, this, [] { model::clear_log_pane(); });
    connect(copy, &QPushButton::clicked, this, [] { QApplication::clipboard()->setText(qs(model::log_pane().text())); });
    connect(save, &QPushButton::clicked, this, [this] {
        QPointer<LogPane> self(this);
        QString path = ask_save_path(this, "Save the log as text", "korvane-log.txt", "Text (*.txt)");
        if (self && !path.isEmpty())
            write_file(this, path, model::log_pane().text());
    });

    for (auto &e : model::log_pane().entries())
        put(e, false);
    QPointer<LogPane> self(this);
    listener_ = model::add_log_listener([self](LogModel::Change c) {
        if (self)
            self->changed(c);
    });
}

LogPane::~LogPane()
{
    model::remove_log_listener(listener_);
    text_->verticalScrollBar()->disconnect(this);
}

void LogPane::changed(LogModel::Change change)
{
    const auto &entries = model::log_pane().entries();
    if (change == LogModel::Change::cleared) {
        text_->clear();
        return;
    }
    if (!entries.empty())
        put(entries.back(), change == LogModel::Change::last_changed);
}

void LogPane::put(const LogEntry &e, bool replace_last)
{
    QStringList lines;
    for (auto &l : e.shown_lines())
        lines << qs(l);
    QTextCharFormat fmt;
    fmt.setForeground(e.report ? QColor(0xb0, 0x10, 0x20) : palette().color(QPalette::Text));
    QTextDocument *doc = text_->document();
    QTextCursor cur(doc);
    bool empty = doc->blockCount() == 1 && doc->firstBlock().length() <= 1;
    if (replace_last && !empty) {
        cur = QTextCursor(doc->lastBlock());
        cur.movePosition(QTextCursor::StartOfBlock);
        cur.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    } else {
        cur.movePosition(QTextCursor::End);
        if (!empty)
            cur.insertBlock();
    }
    // One block per entry: its further lines stay in it.
    cur.insertText(lines.join(QChar::LineSeparator), fmt);
}

}  // namespace ui::qt
