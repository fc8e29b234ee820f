// The Qt window's larger parts, each a thin view over the core's model: the
// chart of a chart control (QCustomPlot), the lamps of a numeric in the leds
// format, and the log pane. Inside uir_qt only.
#pragma once

#include "ui/model.h"

#include <QLineEdit>
#include <QWidget>

#include <functional>
#include <map>
#include <vector>

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QVBoxLayout;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class QCPGraph;
class QCPLayer;
class QCustomPlot;

namespace ui::qt {

// Asks where to save (a Qt file dialog named "save_dialog", not the desktop's,
// so that tests can drive it); "" when the operator cancels.
QString ask_save_path(QWidget *parent, const QString &title, const QString &name, const QString &filter);

// A chart control: the traces' lines over the chosen span, a check box per
// trace (its colour; shows or hides it), the span, Pause, Autoscale, Save CSV.
class ChartPane : public QWidget {
public:
    ChartPane(int panel, const Control &c, QWidget *parent);
    // One frame: catches up with the model when there is something a pixel
    // could show (the window calls it on its frame timer), or in any case
    // when forced (the operator changed what is shown).
    void redraw(bool force = false);
    void update_control(const Control &c);

private:
    QHBoxLayout *make_toolbar(const Control &c);
    QCustomPlot *make_plot();
    QVBoxLayout *make_trace_boxes();
    void show_choices();
    Chart *model() const;
    void save_csv();
    bool set_axes(double span_s, double lo, double hi);
    bool set_trace(std::size_t i, std::int64_t end, std::int64_t span_ns, int columns);
    int plot_columns() const;

    int panel_, id_;
    QCustomPlot *plot_ = nullptr;
    QCPLayer *traces_ = nullptr;  // the lines, in a paint buffer of their own
    QComboBox *span_ = nullptr;
    QPushButton *pause_ = nullptr;
    QCheckBox *autoscale_ = nullptr;
    std::vector<QCheckBox *> shown_;
    // One graph per trace: its runs of numbers with a NaN between them, which
    // breaks the line.
    std::vector<QCPGraph *> graphs_;
    std::uint64_t drawn_revision_ = ~0ull;
    std::int64_t drawn_end_ = 0;
    int drawn_columns_ = 0;
};

// One lamp per bit, the bit number beside it; grey when blank, negative or dimmed;
// pale with a dashed rim when held (the levels read before their area closed).
// Not an indicator: a click on a lamp flips its bit and commits.
class Lamps : public QWidget {
public:
    Lamps(std::function<void(int bit)> clicked, QWidget *parent);
    void set_state(int value, bool grey, bool held, int count, bool clickable);
    int value() const { return value_; }
    bool grey() const { return grey_; }
    bool held() const { return held_; }

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;

private:
    std::function<void(int)> clicked_;
    int value_ = 0, count_ = 8;
    bool grey_ = true, held_ = false, clickable_ = false;
};

// A numeric's text field; drawn as held lamps are (pale text, dashed rim)
// while its value is held from before its area closed.
class Field : public QLineEdit {
public:
    explicit Field(QWidget *parent) : QLineEdit(parent) {}
    void set_held(bool held);
    bool held() const { return held_; }

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    bool held_ = false;
};

// The log pane: each message of the error output once, with its time and
// the count of repeats, reports in red; Clear, Copy and Save as text.
class LogPane : public QWidget {
public:
    explicit LogPane(QWidget *parent);
    ~LogPane() override;
    QPlainTextEdit *text() const { return text_; }

private:
    void changed(LogModel::Change change);
    void put(const LogEntry &e, bool replace_last);

    QPlainTextEdit *text_ = nullptr;
    int listener_ = 0;
    bool follow_ = true;  // at the bottom, and stays there
};

}  // namespace ui::qt
