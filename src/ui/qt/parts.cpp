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
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <cmath>

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
    // A plot that changes size is drawn again in the next frame: its pixel
    // columns decide how a long span is thinned out.
    connect(chart_, &QChart::plotAreaChanged, this, [this] { stale_ = true; });
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

// The plot: time along the bottom, volts up the side.
QChartView *ChartPane::make_plot()
{
    chart_ = new QChart;
    chart_->legend()->hide();
    chart_->setMargins(QMargins(2, 2, 2, 2));
    chart_->setBackgroundRoundness(0);
    x_ = new QValueAxis(chart_);
    x_->setTitleText("s");
    x_->setLabelFormat("%.0f");
    y_ = new QValueAxis(chart_);
    y_->setLabelFormat("%.2f");
    chart_->addAxis(x_, Qt::AlignBottom);
    chart_->addAxis(y_, Qt::AlignLeft);
    view_ = new QChartView(chart_, this);
    view_->setObjectName("chart_view");
    view_->setRenderHint(QPainter::Antialiasing);
    // A frame repaints the rectangle around what changed: the series clip to
    // that one rectangle, not to the union of every series' old and new
    // outline, which costs their strokes much more.
    view_->setViewportUpdateMode(QGraphicsView::BoundingRectViewportUpdate);
    view_->setMinimumSize(120, 80);
    return view_;
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
    runs_.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const ChartTrace &t = m->traces()[i];
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
    // new values, or by a tenth of a second (a column at least) without:
    // nothing new that a pixel could show, and the picture stands.
    const int columns = plot_columns();
    const std::int64_t column_ns = span_ns / columns;
    const std::int64_t moved = std::llabs(end - drawn_end_);
    const bool fresh = m->revision() != drawn_revision_;
    if (!force && !stale_ && !(fresh && moved >= column_ns) && moved < std::max<std::int64_t>(column_ns, 100000000))
        return;
    stale_ = false;
    drawn_revision_ = m->revision();
    drawn_end_ = end;
    if (m->span_s != drawn_span_) {
        drawn_span_ = m->span_s;
        x_->setRange(-m->span_s, 0.0);
        x_->setTickType(QValueAxis::TicksDynamic);
        x_->setTickAnchor(0.0);
        x_->setTickInterval(m->span_s / 6.0);
    }
    double lo, hi;
    m->y_range(now, lo, hi);
    if (lo != y_->min() || hi != y_->max())
        y_->setRange(lo, hi);
    for (std::size_t i = 0; i < m->traces().size(); ++i) {
        const ChartTrace &t = m->traces()[i];
        std::vector<ChartRun> runs;
        if (t.visible)
            runs = m->visible_runs(i, end - span_ns, end, columns, kMostRuns);
        auto &pool = runs_[i];
        while (pool.size() < runs.size()) {
            auto *s = new QLineSeries;
            s->setObjectName(qs(t.name));
            QPen pen(trace_colour(i));
            pen.setWidthF(1.5);
            s->setPen(pen);
            chart_->addSeries(s);
            s->attachAxis(x_);
            s->attachAxis(y_);
            pool.push_back(s);
        }
        // A series changes only where its points do: each change costs the
        // series' whole geometry.
        for (std::size_t k = 0; k < pool.size(); ++k) {
            QList<QPointF> line;
            if (k < runs.size()) {
                line.reserve(static_cast<qsizetype>(runs[k].size()));
                for (const ChartPoint &p : runs[k])
                    line.append(QPointF(static_cast<double>(p.t_ns - end) / 1e9, p.v));
            }
            if (pool[k]->points() != line)
                pool[k]->replace(line);
            if (pool[k]->isVisible() != t.visible)
                pool[k]->setVisible(t.visible);
        }
    }
}

// The plot's width in pixels (the widget's before its first layout).
int ChartPane::plot_columns() const
{
    const int w = static_cast<int>(chart_->plotArea().width());
    return std::max(w > 0 ? w : view_->width(), 1);
}

// ---- lamps ------------------------------------------------------------------

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
        p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1, held_ ? Qt::DashLine : Qt::SolidLine));
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
