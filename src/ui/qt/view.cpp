// The Qt Widgets view of the run-time's panels: renders the core's controls,
// hands the operator's actions to the core, and drives the core's timers on
// real time. All state stays in the core; this is only a view.

#include "ui/qt/view.h"

#include "base/atomic_file.h"
#include "ui/internal.h"
#include "ui/qt/parts.h"
#include "ui/qt/window.h"
#include "base/error_output.h"
#include "base/platform.h"
#include "base/startup_marks.h"

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

namespace ui::qt {
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
    std::string name = base::platform::file_name(program);
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

// What a desk user without a display can run first: the subcommands and
// script mode; the window elsewhere through VNC (offscreen draws it nowhere
// and runs until stopped).
static std::string without_window(const std::string &program)
{
    return "; without a window: a subcommand (" + base_name(program) + " --help lists them) or --script FILE; "
           "the window over the network: -platform vnc";
}

std::string no_display_reason(const std::string &program, const std::vector<std::string> &args)
{
    if (base::platform::always_has_desktop() || has_platform_arg(args) || env_set("QT_QPA_PLATFORM") ||
        env_set("DISPLAY") || env_set("WAYLAND_DISPLAY"))
        return "";
    return base_name(program) + ": no display found (DISPLAY is not set)" + without_window(program);
}

std::string display_failure_line(const std::string &program, const std::string &cause)
{
    return base_name(program) + ": the window system cannot be started" + (cause.empty() ? "" : " (" + cause + ")") +
           without_window(program);
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
        else if (std::string failed = base::write_file_atomically(file, std::string_view(png.constData(), static_cast<size_t>(png.size())));
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

}  // namespace ui::qt
