// A Qt Widgets hello-world that marks its first painted frame the way korvane
// does (KORVANE_STARTUP_MARKS): the yardstick of bench_startup.
#include <QApplication>
#include <QLabel>
#include <QTimer>

#include "base/startup_marks.h"

namespace {

class Hello : public QLabel {
public:
    Hello() : QLabel(QStringLiteral("Hello, world!")) {}

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            QTimer::singleShot(0, [] { startup_mark("first frame"); });
        }
        return QLabel::event(e);
    }

private:
    bool painted_ = false;
};

}  // namespace

int main(int argc, char *argv[])
{
    startup_mark("main");
    QApplication app(argc, argv);
    Hello hello;
    hello.show();
    return app.exec();
}
