// The Qt Widgets view of the run-time's panels: renders the core's controls,
// hands the operator's actions to the core, and drives the core's timers on
// real time. All state stays in the core; this is only a view.

#include "uir_qt.h"

#include "atomic_file.h"
#include "uir_internal.h"
#include "uir_qt_parts.h"
#include "error_output.h"
#include "startup_marks.h"

#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QCheckBox>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <climits>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <memory>

namespace uir::qt {
namespace {

// QApplication keeps references to argc and argv: they live here.
struct AppArgs {
    int argc = 0;
    std::vector<std::string> store;
    std::vector<char *> argv;
};

AppArgs &app_args()
{
    static AppArgs *a = new AppArgs;
    return *a;
}

QApplication *owned_app = nullptr;  // the QApplication this view made, if any

bool has_platform_arg(const std::vector<std::string> &args)
{
    for (auto &a : args)
        if (a == "-platform" || a.rfind("-platform=", 0) == 0)
            return true;
    return false;
}

bool env_set(const char *name)
{
    const char *v = std::getenv(name);
    return v && *v;
}

std::string base_name(const std::string &program)
{
    std::string name = program;
    if (auto slash = name.rfind('/'); slash != std::string::npos)
        name = name.substr(slash + 1);
    return name.empty() ? "korvane" : name;
}

// Qt ends the process (qFatal, then abort) when its window system plugin cannot
// start, e.g. DISPLAY names a server that is not there. While the application
// object is made, Qt's messages are held back: a fatal one becomes one clear
// line and exit status 1; otherwise they are passed on afterwards.
struct HeldMessage {
    QtMsgType type;
    std::string category, file, function;
    int line;
    QString text;
};

struct StartupGuard {
    std::string program;
    std::vector<HeldMessage> held;
    QtMessageHandler previous = nullptr;
};

StartupGuard *startup_guard = nullptr;

void startup_message(QtMsgType type, const QMessageLogContext &ctx, const QString &text)
{
    StartupGuard &g = *startup_guard;
    if (type != QtFatalMsg) {
        g.held.push_back({type, ctx.category ? ctx.category : "", ctx.file ? ctx.file : "",
                          ctx.function ? ctx.function : "", ctx.line, text});
        return;
    }
    // The first thing Qt said names the cause best ("could not connect to display :1").
    QString cause = g.held.empty() ? text : g.held.front().text;
    cause = cause.section('\n', 0, 0).trimmed();
    ErrorPrintf("%s\n", display_failure_line(g.program, cause.toStdString()).c_str());
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(1);
}

void make_app(const std::string &program, std::vector<std::string> args)
{
    if (QApplication::instance())
        return;
    AppArgs &a = app_args();
    a.store.clear();
    a.store.push_back(program.empty() ? "korvane" : program);
    for (auto &s : args)
        a.store.push_back(s);
    a.argv.clear();
    for (auto &s : a.store)
        a.argv.push_back(s.data());
    a.argv.push_back(nullptr);
    a.argc = static_cast<int>(a.store.size());
    StartupGuard guard;
    guard.program = a.store[0];
    startup_guard = &guard;
    guard.previous = qInstallMessageHandler(startup_message);
    owned_app = new QApplication(a.argc, a.argv.data());
    qInstallMessageHandler(guard.previous);
    startup_guard = nullptr;
    for (auto &m : guard.held) {
        QMessageLogContext ctx(m.file.empty() ? nullptr : m.file.c_str(), m.line,
                               m.function.empty() ? nullptr : m.function.c_str(),
                               m.category.empty() ? nullptr : m.category.c_str());
        if (guard.previous)
            guard.previous(m.type, ctx, m.text);
        else
            std::fprintf(stderr, "%s\n", m.text.toLocal8Bit().constData());
    }
    QApplication::setQuitOnLastWindowClosed(false);
}

void drop_app()
{
    delete owned_app;
    owned_app = nullptr;
}

QString qs(const std::string &s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

constexpr int kLabelHeight = 16;
constexpr int kFrameMs = 200;  // the charts' and the status line's frames

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

// One panel's window: the panel area in a scroll area; below it the charts and
// the log pane, which take the room the window has beyond the panel; the
// status line at the bottom.
class PanelWindow : public QWidget {
public:
    explicit PanelWindow(int panel) : panel_(panel)
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

    ~PanelWindow() override
    {
        // Children are deleted after this body: a focused field would report
        // editingFinished to a half-destroyed window.
        for (auto &kv : items_)
            if (kv.second.w)
                kv.second.w->disconnect(this);
        model::remove_listener(listener_);
    }

    // The whole panel with the charts and the log below it.
    QSize natural_size() const { return natural_; }

    // A frame: the charts and the status line catch up with the model (the
    // charts only where a pixel would change, unless forced).
    void tick(bool force = false)
    {
        // A minimized window draws nothing: its charts catch up when it is shown again.
        if (!force && isMinimized())
            return;
        for (auto *c : charts_)
            c->redraw(force);
        status_text_->set_text(qs(model::status_line()));
    }

    // Brings the controls changed since the last time up to date (all of them
    // after a change of the panel as a whole). The charts and the status line
    // catch up in the next frame, however many values came meanwhile: a
    // status line redrawn after every change (its rates move with each tick)
    // would repaint a dozen times a second.
    void refresh()
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

protected:
    bool event(QEvent *e) override
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

    void changeEvent(QEvent *e) override
    {
        if (e->type() == QEvent::WindowStateChange && !isMinimized())
            tick();  // shown again: the charts catch up before it is painted
        QWidget::changeEvent(e);
    }

    void closeEvent(QCloseEvent *e) override
    {
        // The window stays until the program discards its panel: closing is a request.
        e->ignore();
        model::close(panel_);
    }

private:
    struct Item {
        QWidget *w = nullptr;
        QLabel *label = nullptr;
    };

    void changed(const model::Change &what)
    {
        if (what.panel != panel_)
            return;  // another panel's change, or none that shows
        if (what.control == 0)
            all_changed_ = true;
        else
            changed_.insert(what.control);
        schedule_refresh();
    }

    void schedule_refresh()
    {
        if (pending_)
            return;
        pending_ = true;
        QTimer::singleShot(0, this, [this] { refresh(); });
    }

    QLineEdit *make_field(int id, const QRect &rect)
    {
        auto *e = new QLineEdit(area_);
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

    // The face of each kind, one row of kKindViews per kind of the core's kKinds.
    using MakeFace = void (PanelWindow::*)(const Control &c, const QRect &rect, Item &it);
    struct KindView {
        Kind kind;
        MakeFace make;
    };
    static const KindView kKindViews[];
    friend constexpr bool views_follow_kinds();

    void make_numeric(const Control &c, const QRect &rect, Item &it)
    {
        const int id = c.id;
        if (c.kind == Kind::numeric_int && c.format == Format::leds) {
            auto *l = new Lamps([this, id](int bit) { flip_bit(id, bit); }, area_);
            l->setGeometry(rect);
            it.w = l;
        } else {
            it.w = make_field(id, rect);
        }
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

    void make_toggle(const Control &c, const QRect &rect, Item &it)
    {
        auto *b = new QCheckBox(qs(c.label), area_);
        b->setGeometry(rect);
        connect(b, &QCheckBox::clicked, this, [this, id = c.id] { pressed(id); });
        it.w = b;
    }

    void make_button(const Control &c, const QRect &rect, Item &it)
    {
        auto *b = new QPushButton(qs(c.label), area_);
        b->setGeometry(rect);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, id = c.id] { pressed(id); });
        it.w = b;
    }

    void make_frame(const Control &c, const QRect &rect, Item &it)
    {
        auto *g = new QGroupBox(qs(c.title), area_);
        g->setGeometry(rect);
        g->lower();  // frames sit behind the controls they group
        it.w = g;
    }

    void make_chart(const Control &c, const QRect &, Item &it)
    {
        auto *chart = new ChartPane(panel_, c, bottom_);
        bottom_->addWidget(chart);
        charts_.push_back(chart);
        it.w = chart;
    }

    void make_none(const Control &, const QRect &, Item &) {}  // timers have no face

    void create(const Control &c);

    void update(const Control &c)
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
            l->set_state(c.ivalue, shows_blank(c) || c.ivalue < 0 || c.dimmed, lamp_count(c), !c.indicator);
        } else if (auto *chart = dynamic_cast<ChartPane *>(it.w)) {
            chart->update_control(c);
        } else if (auto *e = dynamic_cast<QLineEdit *>(it.w)) {
            e->setReadOnly(c.indicator);
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

    void edited(int id, QLineEdit *e, bool enter)
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

    // Up/Down step a numeric by one unit of its last digit, Page Up/Down by 16.
    bool eventFilter(QObject *obj, QEvent *ev) override
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

    void flip_bit(int id, int bit)
    {
        auto c = model::control(panel_, id);
        if (!c)
            return;
        int v = shows_blank(*c) || c->ivalue < 0 ? 0 : c->ivalue;
        model::commit(panel_, id, static_cast<double>(v ^ (1 << bit)));
    }

    void pressed(int id)
    {
        model::press(panel_, id);
        if (auto c = model::control(panel_, id))
            update(*c);
    }

    int panel_;
    QSplitter *split_ = nullptr, *bottom_ = nullptr;
    QScrollArea *scroll_ = nullptr;
    QWidget *area_ = nullptr;
    LogPane *log_pane_ = nullptr;
    QStatusBar *status_ = nullptr;
    StatusText *status_text_ = nullptr;
    std::vector<ChartPane *> charts_;
    std::map<QObject *, int> steppers_;  // numeric fields and their controls
    QTimer ticker_;
    QSize natural_;
    std::map<int, Item> items_;
    int listener_ = 0;
    bool pending_ = false;
    bool painted_ = false;
    bool all_changed_ = true;  // the next refresh brings every control up to date
    std::set<int> changed_;    // else only these
};

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
    if (it.label)
        it.label->setToolTip(qs(c.tip));
    if (it.label)
        it.label->show();
    items_[c.id] = it;
}

std::map<int, PanelWindow *> &windows()
{
    static auto *w = new std::map<int, PanelWindow *>;
    return *w;
}

class QtFrontEnd : public FrontEnd {
public:
    ~QtFrontEnd() override
    {
        for (auto &kv : windows())
            delete kv.second;
        windows().clear();
        delete_retired();
    }

    bool start(char *argv[], std::string &why) override
    {
        std::string program = argv && argv[0] ? argv[0] : "korvane";
        std::vector<std::string> args = options().toolkit_args;
        // A -platform left in the program's own arguments is honoured too.
        if (argv && !has_platform_arg(args)) {
            for (int i = 1; argv[i]; ++i) {
                std::string a = argv[i];
                if (a == "-platform" && argv[i + 1]) {
                    args.push_back(a);
                    args.push_back(argv[i + 1]);
                    break;
                }
                if (a.rfind("-platform=", 0) == 0) {
                    args.push_back("-platform");
                    args.push_back(a.substr(10));
                    break;
                }
            }
        }
        args_ = args;
        why = no_display_reason(program, args);
        if (!why.empty())
            return false;
        program_ = program;
        make_app(program_, args_);
        startup_mark("toolkit started");
        return true;
    }

    void run() override
    {
        if (!QApplication::instance())
            make_app(program_, args_);
        QEventLoop loop;
        QTimer tick;
        tick.setSingleShot(true);
        loop_ = &loop;
        tick_ = &tick;
        QObject::connect(&tick, &QTimer::timeout, [this] {
            model::pump();
            schedule();
        });
        int listener = model::add_listener([this] { schedule(); });
        schedule();
        if (!model::quit_requested())
            loop.exec();
        delete_retired();
        model::remove_listener(listener);
        loop_ = nullptr;
        tick_ = nullptr;
    }

    void displayed(int panel) override
    {
        if (!QApplication::instance())
            make_app(program_, args_);
        PanelWindow *&w = windows()[panel];
        if (!w)
            w = new PanelWindow(panel);
        w->show();
    }

    void discarded(int panel) override
    {
        auto it = windows().find(panel);
        if (it == windows().end())
            return;
        PanelWindow *w = it->second;
        windows().erase(it);
        if (model::in_callback()) {
            // The callback may run from a signal of one of this window's widgets,
            // which must outlive it: the window goes when control is back in Qt.
            w->hide();
            retired_.push_back(w);
            w->deleteLater();
            return;
        }
        delete w;
        if (windows().empty() && !loop_) {
            delete_retired();
            drop_app();  // the program is done with its windows
        }
    }

private:
    void delete_retired()
    {
        for (auto &w : retired_)
            delete w.data();  // null when Qt has deleted it already
        retired_.clear();
    }

    // Wakes the loop when the next timer tick is due, or ends it after a quit.
    void schedule()
    {
        if (!loop_)
            return;
        if (model::quit_requested()) {
            loop_->quit();
            return;
        }
        if (model::in_callback())
            return;
        std::int64_t due = model::next_due_ns();
        if (due == INT64_MAX) {
            tick_->stop();
            return;
        }
        std::int64_t wait_ns = due - now_ns();
        int ms = wait_ns <= 0 ? 0 : static_cast<int>(std::min<std::int64_t>((wait_ns + 999999) / 1000000, INT_MAX));
        tick_->start(ms);
    }

    std::string program_;
    std::vector<std::string> args_;
    QEventLoop *loop_ = nullptr;
    QTimer *tick_ = nullptr;
    std::vector<QPointer<PanelWindow>> retired_;  // discarded from a callback, deleted later
};

bool installed = false;

}  // namespace

std::string no_display_reason(const std::string &program, const std::vector<std::string> &args)
{
    if (has_platform_arg(args) || env_set("QT_QPA_PLATFORM") || env_set("DISPLAY") || env_set("WAYLAND_DISPLAY"))
        return "";
    return base_name(program) + ": no display found (DISPLAY is not set); run with -platform offscreen or "
                                "-platform vnc, or use --script FILE";
}

std::string display_failure_line(const std::string &program, const std::string &cause)
{
    return base_name(program) + ": the window system cannot be started" + (cause.empty() ? "" : " (" + cause + ")") +
           "; run with -platform offscreen or -platform vnc, or use --script FILE";
}

QWidget *window(int panel)
{
    auto it = windows().find(panel);
    return it == windows().end() ? nullptr : it->second;
}

void catch_up(int panel)
{
    auto it = windows().find(panel);
    if (it == windows().end())
        return;
    it->second->refresh();
    it->second->tick(true);
}

bool render_png(int panel, const std::string &file, std::string &why)
{
    bool made = false;
    if (!QApplication::instance()) {
        // The picture needs no screen: unless a platform is named, draw offscreen,
        // so that a DISPLAY whose server is gone does not stop it.
        std::vector<std::string> args = options().toolkit_args;
        if (!has_platform_arg(args) && !env_set("QT_QPA_PLATFORM")) {
            args.push_back("-platform");
            args.push_back("offscreen");
        }
        make_app("korvane", args);
        made = true;
    }
    bool ok;
    {
        PanelWindow w(panel);
        w.setAttribute(Qt::WA_DontShowOnScreen);
        w.resize(w.natural_size());
        w.show();
        w.refresh();
        // Laid out at its real size (the log pane, the chart's plot), then the
        // charts drawn for that size before the picture is taken.
        QApplication::sendPostedEvents();
        w.tick(true);
        QApplication::sendPostedEvents();
        QPixmap pm = w.grab();
        // Encoded in memory, then written whole or not at all (atomic_file.h).
        QByteArray png;
        QBuffer buffer(&png);
        ok = !pm.isNull() && buffer.open(QIODevice::WriteOnly) && pm.save(&buffer, "PNG");
        if (!ok)
            why = "cannot make the PNG picture";
        else if (std::string failed = korvane::write_file_atomically(file, std::string_view(png.constData(), static_cast<size_t>(png.size())));
                 !failed.empty()) {
            ok = false;
            why = failed;
        }
    }
    if (made)
        drop_app();
    return ok;
}

void install()
{
    if (installed)
        return;
    installed = true;
    set_window_front_end([] { return std::make_unique<QtFrontEnd>(); });
    set_screenshot_renderer(render_png);
}

}  // namespace uir::qt
