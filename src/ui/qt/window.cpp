// The Qt view of one panel (qt/window.h): the window's layout, each
// kind's face, the operator's entries handed to the core, the frames that
// bring charts and the status line up to date.

#include "ui/qt/window.h"

#include "base/startup_marks.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>

namespace ui::qt {
namespace {

QString qs(const std::string &s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

constexpr int kLabelHeight = 16;
constexpr int kFrameMs = 200;  // the charts' and the status line's frames

}  // namespace

// The status line's text, laid out once: the label sits in a holder without a
// layout, which asks for the height of a line of text and no width, so that a
// new text (the rates change every frame) is painted in place and never has
// the window lay itself out again.
class StatusText : public QWidget {
public:
    explicit StatusText(QWidget *parent) : QWidget(parent), label_(new QLabel(QStringLiteral("X"), this))
    {
        label_->setObjectName("status");
        height_ = label_->sizeHint().height();
        label_->clear();
    }
    void set_text(const QString &text)
    {
        if (label_->text() != text)
            label_->setText(text);
    }
    QSize sizeHint() const override { return QSize(0, height_); }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void resizeEvent(QResizeEvent *) override { label_->setGeometry(rect()); }

private:
    QLabel *label_;
    int height_ = 0;
};

PanelWindow::PanelWindow(int panel) : panel_(panel)
{
    auto p = model::panel(panel);
    setObjectName(p && !p->name.empty() ? qs(p->name) : QStringLiteral("panel"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    split_ = new QSplitter(Qt::Vertical, this);
    split_->setObjectName("splitter");
    split_->setChildrenCollapsible(false);
    layout->addWidget(split_, 1);
    scroll_ = new QScrollArea(split_);
    scroll_->setObjectName("panel_scroll");
    scroll_->setWidgetResizable(false);
    scroll_->setMinimumHeight(120);
    area_ = new QWidget;
    area_->setObjectName("panel_area");
    area_->setFixedSize(p ? p->width : 400, p ? p->height : 300);
    scroll_->setWidget(area_);
    // Never taller than the panel: the room beyond it goes to the charts and the log.
    const int frame = 2 * scroll_->frameWidth();
    scroll_->setMaximumHeight(area_->height() + frame + scroll_->horizontalScrollBar()->sizeHint().height());
    bottom_ = new QSplitter(Qt::Horizontal, split_);
    bottom_->setObjectName("bottom");
    bottom_->setChildrenCollapsible(false);
    log_pane_ = new LogPane(bottom_);
    split_->setStretchFactor(0, 0);
    split_->setStretchFactor(1, 1);
    status_ = new QStatusBar(this);
    status_->setObjectName("status_bar");
    status_->setSizeGripEnabled(false);
    status_text_ = new StatusText(status_);
    status_->addWidget(status_text_, 1);
    layout->addWidget(status_);
    // The rules name the panel's fields and frames only: the charts, the
    // log and the status line stay out of the style sheet's polish and paint.
    area_->setStyleSheet(
        "QLineEdit:read-only { background: #e6eaee; color: #102030; }"
        "QGroupBox { font-weight: bold; border: 1px solid #9aa4ae; border-radius: 4px; margin-top: 8px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 4px; }");

    QPointer<PanelWindow> self(this);
    listener_ = model::add_listener([self](const model::Change &what) {
        if (self)
            self->changed(what);
    });
    refresh();
    bottom_->addWidget(log_pane_);  // the log after the charts
    for (int i = 0; i < bottom_->count(); ++i)
        bottom_->setStretchFactor(i, bottom_->widget(i) == log_pane_ ? 2 : 3);
    std::string title = p ? p->title : "";
    if (!options().title_suffix.empty())
        title += (title.empty() ? "" : " \u2014 ") + options().title_suffix;
    setWindowTitle(qs(title));
    // At first the whole panel and a chart's height below it, as the screen allows.
    natural_ = QSize(area_->width() + frame + scroll_->verticalScrollBar()->sizeHint().width(),
                     area_->height() + frame + 320 + status_->sizeHint().height());
    QSize want = natural_;
    if (QScreen *screen = QGuiApplication::primaryScreen())
        want = want.boundedTo(screen->availableGeometry().size());
    resize(want);
    split_->setSizes({area_->height() + frame, 320});
    connect(&ticker_, &QTimer::timeout, this, [this] { tick(); });
    ticker_.start(kFrameMs);
    tick();
}

PanelWindow::~PanelWindow()
{
    // Children are deleted after this body: a focused field would report
    // editingFinished to a half-destroyed window.
    for (auto &kv : items_)
        if (kv.second.w)
            kv.second.w->disconnect(this);
    model::remove_listener(listener_);
}

void PanelWindow::tick(bool force)
{
    // A minimized window draws nothing: its charts catch up when it is shown again.
    if (!force && isMinimized())
        return;
    for (auto *c : charts_)
        c->redraw(force);
    status_text_->set_text(qs(model::status_line()));
}

void PanelWindow::refresh()
{
    pending_ = false;
    if (all_changed_) {
        auto p = model::panel(panel_);
        if (!p)
            return;
        for (auto &c : p->controls) {
            if (!items_.count(c.id))
                create(c);
            update(c);
        }
    } else {
        for (int id : changed_) {
            auto c = model::control(panel_, id);
            if (!c)
                continue;
            if (!items_.count(id))
                create(*c);
            update(*c);
        }
    }
    all_changed_ = false;
    changed_.clear();
}

bool PanelWindow::event(QEvent *e)
{
    // The first frame is on the screen once the paint that began with the
    // window's own is flushed: the mark comes when the loop turns next.
    if (e->type() == QEvent::Paint && !painted_) {
        painted_ = true;
        if (startup_marks_on())
            QTimer::singleShot(0, [] { startup_mark("first frame"); });
    }
    return QWidget::event(e);
}

// The panel first, whole when the window's height allows (no scrolling on a
// 1024 x 768 screen), the charts and the log below it take what is left.
void PanelWindow::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    layout()->activate();
    const int total = split_->height() - split_->handleWidth();
    const int bottom_min = bottom_->minimumSizeHint().height();
    const int panel = std::max(scroll_->minimumHeight(), std::min(scroll_->maximumHeight(), total - bottom_min));
    split_->setSizes({panel, std::max(total - panel, bottom_min)});
}

void PanelWindow::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::WindowStateChange && !isMinimized())
        tick();  // shown again: the charts catch up before it is painted
    QWidget::changeEvent(e);
}

void PanelWindow::closeEvent(QCloseEvent *e)
{
    // The window stays until the program discards its panel: closing is a request.
    e->ignore();
    model::close(panel_);
}

void PanelWindow::changed(const model::Change &what)
{
    if (what.panel != panel_)
        return;  // another panel's change, or none that shows
    if (what.control == 0)
        all_changed_ = true;
    else
        changed_.insert(what.control);
    if (auto tied = ties_.find(what.control); tied != ties_.end())
        changed_.insert(tied->second.begin(), tied->second.end());
    schedule_refresh();
}

void PanelWindow::schedule_refresh()
{
    if (pending_)
        return;
    pending_ = true;
    QTimer::singleShot(0, this, [this] { refresh(); });
}

Field *PanelWindow::make_field(int id, const QRect &rect)
{
    auto *e = new Field(area_);
    e->setGeometry(rect);
    e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    e->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Enter commits what the field holds, changed or not (the operator sends
    // it again); leaving the field commits only an entry typed since the last
    // commit. Qt reports Enter as returnPressed then editingFinished: the
    // first commits and clears the modified flag, so the second does nothing.
    connect(e, &QLineEdit::returnPressed, this, [this, id, e] { edited(id, e, true); });
    connect(e, &QLineEdit::editingFinished, this, [this, id, e] { edited(id, e, false); });
    e->installEventFilter(this);
    steppers_[e] = id;
    return e;
}

void PanelWindow::make_numeric(const Control &c, const QRect &rect, Item &it)
{
    const int id = c.id;
    if (c.kind == Kind::numeric_int && c.format == Format::leds) {
        auto *l = new Lamps([this, id](int bit) { flip_bit(id, bit); }, area_);
        l->setGeometry(rect);
        it.w = l;
        // A change of the control that greys them brings the lamps up to date too.
        if (!c.grey_while.empty())
            ties_[model::find_control(panel_, c.grey_while)].push_back(id);
    } else {
        it.w = make_field(id, rect);
    }
    // ... and one of the control whose dimming marks the value as held.
    if (!c.held_while.empty())
        ties_[model::find_control(panel_, c.held_while)].push_back(id);
    if (!c.label.empty()) {
        it.label = new QLabel(qs(c.label), area_);
        it.label->setObjectName(qs(c.name.empty() ? c.label : c.name) + "_label");
        // A caption wider than its control keeps its whole text; the
        // label's own size is asked only when the text may not fit.
        int w = c.width;
        if (it.label->fontMetrics().horizontalAdvance(it.label->text()) + 8 > c.width)
            w = std::max(c.width, it.label->sizeHint().width());
        it.label->setGeometry(c.left, c.top - kLabelHeight - 2, w, kLabelHeight);
    }
}

void PanelWindow::make_toggle(const Control &c, const QRect &rect, Item &it)
{
    auto *b = new QCheckBox(qs(c.label), area_);
    b->setGeometry(rect);
    connect(b, &QCheckBox::clicked, this, [this, id = c.id] { pressed(id); });
    it.w = b;
}

void PanelWindow::make_button(const Control &c, const QRect &rect, Item &it)
{
    auto *b = new QPushButton(qs(c.label), area_);
    b->setGeometry(rect);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, id = c.id] { pressed(id); });
    it.w = b;
}

void PanelWindow::make_frame(const Control &c, const QRect &rect, Item &it)
{
    auto *g = new QGroupBox(qs(c.title), area_);
    g->setGeometry(rect);
    g->lower();  // frames sit behind the controls they group
    it.w = g;
}

void PanelWindow::make_chart(const Control &c, const QRect &, Item &it)
{
    auto *chart = new ChartPane(panel_, c, bottom_);
    bottom_->addWidget(chart);
    charts_.push_back(chart);
    it.w = chart;
}

void PanelWindow::update(const Control &c)
{
    Item &it = items_[c.id];
    if (!it.w)
        return;
    it.w->setEnabled(!c.dimmed);
    if (it.label) {
        it.label->setEnabled(!c.dimmed);
        if (it.label->text() != qs(c.label))
            it.label->setText(qs(c.label));
    }
    if (auto *g = dynamic_cast<QGroupBox *>(it.w)) {
        if (g->title() != qs(c.title))
            g->setTitle(qs(c.title));  // ATTR_LABEL_TEXT may change it
    } else if (auto *l = dynamic_cast<Lamps *>(it.w)) {
        l->set_state(c.ivalue, model::lamps_grey(panel_, c), model::shows_held(panel_, c), lamp_count(c),
                     !c.indicator);
    } else if (auto *chart = dynamic_cast<ChartPane *>(it.w)) {
        chart->update_control(c);
    } else if (auto *e = dynamic_cast<Field *>(it.w)) {
        e->setReadOnly(c.indicator);
        e->set_held(model::shows_held(panel_, c));
        // What the operator is typing is left alone until committed.
        if (!(e->hasFocus() && e->isModified())) {
            QString text = qs(display_text(c));
            if (e->text() != text)
                e->setText(text);
            e->setModified(false);
        }
    } else if (auto *b = dynamic_cast<QCheckBox *>(it.w)) {
        QSignalBlocker block(b);
        b->setChecked(c.ivalue != 0);
        if (b->text() != qs(c.label))
            b->setText(qs(c.label));
        b->setAttribute(Qt::WA_TransparentForMouseEvents, c.indicator);
    } else if (auto *pb = dynamic_cast<QPushButton *>(it.w)) {
        pb->setAttribute(Qt::WA_TransparentForMouseEvents, c.indicator);
        if (pb->text() != qs(c.label))
            pb->setText(qs(c.label));
    }
}

void PanelWindow::edited(int id, QLineEdit *e, bool enter)
{
    if (!enter && !e->isModified())
        return;
    e->setModified(false);
    auto c = model::control(panel_, id);
    if (!c)
        return;
    double v;
    if (parse_operator_text(*c, e->text().toStdString(), v))
        model::commit(panel_, id, v);  // refused entries fall back to the value shown
    if (auto now = model::control(panel_, id)) {
        e->setText(qs(display_text(*now)));
        e->setModified(false);
    }
}

bool PanelWindow::eventFilter(QObject *obj, QEvent *ev)
{
    if (ev->type() != QEvent::KeyPress)
        return QWidget::eventFilter(obj, ev);
    auto found = steppers_.find(obj);
    if (found == steppers_.end())
        return false;
    int steps = 0;
    switch (static_cast<QKeyEvent *>(ev)->key()) {
    case Qt::Key_Up: steps = 1; break;
    case Qt::Key_Down: steps = -1; break;
    case Qt::Key_PageUp: steps = 16; break;
    case Qt::Key_PageDown: steps = -16; break;
    default: return false;
    }
    auto *e = static_cast<QLineEdit *>(obj);
    auto c = model::control(panel_, found->second);
    if (!c || e->isReadOnly() || !e->isEnabled())
        return true;
    model::step(panel_, found->second, steps);
    if (auto now = model::control(panel_, found->second)) {
        e->setText(qs(display_text(*now)));
        e->setModified(false);
    }
    return true;
}

void PanelWindow::flip_bit(int id, int bit)
{
    auto c = model::control(panel_, id);
    if (!c)
        return;
    int v = shows_blank(*c) || c->ivalue < 0 ? 0 : c->ivalue;
    model::commit(panel_, id, static_cast<double>(v ^ (1 << bit)));
}

void PanelWindow::pressed(int id)
{
    model::press(panel_, id);
    if (auto c = model::control(panel_, id))
        update(*c);
}

constexpr PanelWindow::KindView PanelWindow::kKindViews[] = {
    {Kind::numeric_int, &PanelWindow::make_numeric}, {Kind::numeric_double, &PanelWindow::make_numeric},
    {Kind::toggle, &PanelWindow::make_toggle},       {Kind::button, &PanelWindow::make_button},
    {Kind::timer, &PanelWindow::make_none},          {Kind::decoration, &PanelWindow::make_frame},
    {Kind::chart, &PanelWindow::make_chart},
};

// Every kind of the core has its face, in the core's order.
constexpr bool views_follow_kinds()
{
    if (std::size(PanelWindow::kKindViews) != std::size(kKinds))
        return false;
    for (std::size_t i = 0; i < std::size(kKinds); ++i)
        if (PanelWindow::kKindViews[i].kind != kKinds[i].kind)
            return false;
    return true;
}
static_assert(views_follow_kinds(), "kKindViews has one row per kind of kKinds, in its order");

void PanelWindow::create(const Control &c)
{
    Item it;
    QRect rect(c.left, c.top, std::max(c.width, 1), std::max(c.height, 1));
    (this->*kKindViews[static_cast<int>(c.kind)].make)(c, rect, it);
    if (it.w) {
        it.w->setObjectName(qs(c.name.empty() ? c.label : c.name));
        it.w->setToolTip(qs(c.tip));
        it.w->show();
    }
    if (it.label) {
        it.label->setToolTip(qs(c.tip));
        it.label->show();
    }
    items_[c.id] = it;
}

}  // namespace ui::qt
