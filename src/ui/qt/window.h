// The Qt view of one panel: its window, the controls drawn by kind (one row
// of kKindViews per kind of the core's kKinds), the charts and the log pane
// below the panel area, the status line. Inside uir_qt only.
#pragma once

#include "ui/model.h"
#include "ui/qt/parts.h"

#include <QSize>
#include <QTimer>
#include <QWidget>

#include <map>
#include <set>
#include <vector>

class QCloseEvent;
class QEvent;
class QLineEdit;
class QRect;
class QScrollArea;
class QSplitter;
class QStatusBar;

namespace ui::qt {

class StatusText;

// One panel's window: the panel area in a scroll area; below it the charts and
// the log pane, which take the room the window has beyond the panel; the
// status line at the bottom.
class PanelWindow : public QWidget {
public:
    explicit PanelWindow(int panel);

    ~PanelWindow() override;

    // The whole panel with the charts and the log below it.
    QSize natural_size() const { return natural_; }

    // A frame: the charts and the status line catch up with the model (the
    // charts only where a pixel would change, unless forced).
    void tick(bool force = false);

    // Brings the controls changed since the last time up to date (all of them
    // after a change of the panel as a whole). The charts and the status line
    // catch up in the next frame, however many values came meanwhile: a
    // status line redrawn after every change (its rates move with each tick)
    // would repaint a dozen times a second.
    void refresh();

protected:
    bool event(QEvent *e) override;

    void changeEvent(QEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

    void closeEvent(QCloseEvent *e) override;

private:
    struct Item {
        QWidget *w = nullptr;
        QLabel *label = nullptr;
    };

    void changed(const model::Change &what);

    void schedule_refresh();

    Field *make_field(int id, const QRect &rect);

    // The face of each kind, one row of kKindViews per kind of the core's kKinds.
    using MakeFace = void (PanelWindow::*)(const Control &c, const QRect &rect, Item &it);
    struct KindView {
        Kind kind;
        MakeFace make;
    };
    static const KindView kKindViews[];
    friend constexpr bool views_follow_kinds();

    void make_numeric(const Control &c, const QRect &rect, Item &it);

    void make_toggle(const Control &c, const QRect &rect, Item &it);

    void make_button(const Control &c, const QRect &rect, Item &it);

    void make_frame(const Control &c, const QRect &rect, Item &it);

    void make_chart(const Control &c, const QRect &, Item &it);

    void make_none(const Control &, const QRect &, Item &) {}  // timers have no face

    void create(const Control &c);

    void update(const Control &c);

    void edited(int id, QLineEdit *e, bool enter);

    // Up/Down step a numeric by one unit of its last digit, Page Up/Down by 16.
    bool eventFilter(QObject *obj, QEvent *ev) override;

    void flip_bit(int id, int bit);

    void pressed(int id);

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
    // A control, and those whose look follows it: lamps its blank value greys,
    // values its dimming marks as held.
    std::map<int, std::vector<int>> ties_;
};

}  // namespace ui::qt
