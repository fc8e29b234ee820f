// The order in which the commands and callbacks change the panel and call the
// library. A recorder listens to the run-time and writes one entry per change
// of a control ("dim 26=0", "timer 25=1", "val 17=-1", "new AI3", ...) and a
// "driver" entry where driver calls happened since the previous change. Each
// test first puts the controls into a state the step under test must change,
// so that every call of the step leaves its entry.
#include <cstdio>
#include <map>
#include <vector>

#include "tests/app/panel/panel_fixture.h"

namespace {

using Seq = std::vector<std::string>;

std::string number_text(double v)
{
    if (std::isnan(v)) return "nan";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

std::string name_of(const ui::Control &c) { return c.created ? c.label : std::to_string(c.id); }

class Recorder {
public:
    Recorder(int panel, const sim::BackDoor *bench) : panel_(panel), bench_(bench)
    {
        last_ = snapshot();
        calls_ = bench_->driver_calls();
        listener_ = ui::model::add_listener([this] { changed(); });
    }
    ~Recorder() { ui::model::remove_listener(listener_); }

    // What happened since the recorder started.
    Seq take()
    {
        note_driver_calls();
        return seq_;
    }

private:
    std::map<int, ui::Control> snapshot() const
    {
        std::map<int, ui::Control> m;
        for (const ui::Control &c : ui::model::controls(panel_)) m.emplace(c.id, c);
        return m;
    }

    void note_driver_calls()
    {
        long now = bench_->driver_calls();
        if (now != calls_) seq_.push_back("driver");
        calls_ = now;
    }

    void changed()
    {
        note_driver_calls();
        auto now = snapshot();
        for (const auto &[id, c] : now) {
            std::string n = name_of(c);
            auto it = last_.find(id);
            if (it == last_.end()) {
                seq_.push_back("new " + n);
                continue;
            }
            const ui::Control &was = it->second;
            if (c.dimmed != was.dimmed) seq_.push_back("dim " + n + "=" + (c.dimmed ? "1" : "0"));
            if (c.enabled != was.enabled) seq_.push_back("timer " + n + "=" + (c.enabled ? "1" : "0"));
            if (c.indicator != was.indicator) seq_.push_back("indicator " + n);
            if (c.digits != was.digits) seq_.push_back("digits " + n + "=" + std::to_string(c.digits));
            double a = c.value(), b = was.value();
            if (!(a == b || (std::isnan(a) && std::isnan(b)))) seq_.push_back("val " + n + "=" + number_text(a));
        }
        last_ = std::move(now);
    }

    int panel_;
    const sim::BackDoor *bench_;
    std::map<int, ui::Control> last_;
    long calls_ = 0;
    int listener_ = 0;
    Seq seq_;
};

class Sequence : public Panel {
protected:
    // One entry per control of ids, e.g. dims({26, 28}, 0) = {"dim 26=0", "dim 28=0"}.
    static Seq each(const char *what, std::initializer_list<int> ids, const std::string &v)
    {
        Seq s;
        for (int id : ids) s.push_back(std::string(what) + " " + std::to_string(id) + "=" + v);
        return s;
    }
    // The value a control shows now, as an entry.
    std::string val(int id) const { return "val " + std::to_string(id) + "=" + number_text(value(id)); }
    std::string val(const std::string &label) const { return "val " + label + "=" + number_text(value(label)); }

    static void append(Seq &s, const Seq &more) { s.insert(s.end(), more.begin(), more.end()); }

    void set_all(std::initializer_list<int> ids, double v)
    {
        for (int id : ids) SetCtrlVal(panelHandle, id, v);
    }
    void set_inputs(double v)
    {
        for (int i = 0; i < 8; i++) SetCtrlVal(panelHandle, ai(i), v);
    }
    int ai(int i) const { return ui::model::find_control(panelHandle, "AI" + std::to_string(i)); }

    static constexpr std::initializer_list<int> kPortOperator = {PORT_DEFAULT_BTN, PORT_MODE_OUTPUT_BTN,
                                                                 PORT_MODE_INPUT_BTN, PORT_OUT_0, PORT_OUT_1,
                                                                 PORT_OUT_2, PORT_MASK_0, PORT_MASK_1, PORT_MASK_2};
    // Port values as shown: outputs, inputs, masks.
    Seq port_values() const
    {
        Seq s;
        for (int id : {PORT_OUT_0, PORT_OUT_1, PORT_OUT_2, PORT_IN_0, PORT_IN_1, PORT_IN_2, PORT_MASK_0,
                       PORT_MASK_1, PORT_MASK_2})
            s.push_back(val(id));
        return s;
    }
    void port_sentinels()
    {
        // 1000 is no value the area ever holds.
        set_all({PORT_OUT_0, PORT_OUT_1, PORT_OUT_2, PORT_IN_0, PORT_IN_1, PORT_IN_2, PORT_MASK_0, PORT_MASK_1,
                 PORT_MASK_2},
                1000);
    }
};

TEST_F(Sequence, StartUpDrawsInOrderAndTouchesNoHardware)
{
    // A fresh panel whose controls the draw step must all change.
    DiscardPanel(panelHandle);
    panelHandle = LoadPanel(0, "korvane.uir", PANEL);
    ASSERT_GT(panelHandle, 0);
    SetCtrlAttribute(panelHandle, OPEN_ONLY_CTRL, ATTR_DIMMED, 0);
    SetCtrlAttribute(panelHandle, AO0_NUMERIC, ATTR_DIMMED, 0);
    SetCtrlAttribute(panelHandle, AO1_NUMERIC, ATTR_DIMMED, 0);
    SetCtrlAttribute(panelHandle, AI_TIMER, ATTR_ENABLED, 1);
    pxi_opened = 1;

    Recorder rec(panelHandle, bench);
    pxi_draw_gui();
    Seq want = {"dim 4=1"};
    for (int i = 0; i < 8; i++) {
        std::string n = "AI" + std::to_string(i);
        append(want, {"new " + n, "indicator " + n, "digits " + n + "=6", "val " + n + "=nan"});
    }
    append(want, {"val 11=nan", "val 8=nan", "dim 11=1", "dim 8=1", "timer 24=0", "val 45=nan", "val 43=nan"});
    EXPECT_EQ(rec.take(), want);
    EXPECT_EQ(pxi_opened, 0);
}

TEST_F(Sequence, OpenRunsTheAreasInOrderWithoutHardware)
{
    port_sentinels();
    set_all({AO0_NUMERIC, AO1_NUMERIC, ADC_VIN1, ADC_VIN2}, 1.0);

    Recorder rec(panelHandle, bench);
    pxi_open();
    Seq want = {"timer 25=1"};
    append(want, each("dim", kPortOperator, "0"));
    append(want, port_values());
    append(want, {"val 11=nan", "val 8=nan", "dim 11=0", "dim 8=0", "timer 24=1"});
    append(want, each("dim", {14, 39, 33, 40, 38, 37, 10, 9, 42, 41, 13, 47, 46}, "0"));
    append(want, {"val 45=nan", "val 43=nan", "dim 4=0"});
    EXPECT_EQ(rec.take(), want);
    for (int id : {PORT_OUT_0, PORT_OUT_1, PORT_OUT_2, PORT_MASK_0, PORT_MASK_1, PORT_MASK_2})
        EXPECT_EQ(value(id), -1) << id;
}

TEST_F(Sequence, CloseStopsEveryAreaBeforeTheLibraryReleasesItsTasks)
{
    pxi_open();
    commit_raw(PORT_MASK_0, 0xFF, mask_cb);  // tasks for the library to clear
    SetCtrlAttribute(panelHandle, AVALON_TIMER, ATTR_ENABLED, 1);
    set_inputs(1.0);
    set_all({AO0_NUMERIC, AO1_NUMERIC}, 1.0);

    Recorder rec(panelHandle, bench);
    pxi_close();
    Seq want = {"dim 4=1", "timer 25=0"};
    append(want, each("dim", kPortOperator, "1"));
    want.push_back("timer 24=0");
    for (int i = 0; i < 8; i++) want.push_back("val AI" + std::to_string(i) + "=nan");
    append(want, {"val 11=nan", "val 8=nan", "dim 11=1", "dim 8=1", "timer 49=0"});
    append(want, each("dim", {14, 39, 33, 40, 38, 37, 10, 9, 42, 41, 47, 46, 13}, "1"));
    want.push_back("driver");  // the library's close, last
    EXPECT_EQ(rec.take(), want);
    EXPECT_EQ(bench->live_tasks(), 0);
}

TEST_F(Sequence, DefaultConfiguresThePortsThenShowsThemThenTheAnalogOutputs)
{
    port_sentinels();
    // Closed: the analog step dims both outputs; undim them to see it.
    SetCtrlAttribute(panelHandle, AO0_NUMERIC, ATTR_DIMMED, 0);
    SetCtrlAttribute(panelHandle, AO1_NUMERIC, ATTR_DIMMED, 0);

    Recorder rec(panelHandle, bench);
    pxi_default();
    Seq want = {"driver"};
    append(want, port_values());
    append(want, {"driver", "val 11=0", "val 8=0", "dim 11=1", "dim 8=1"});
    EXPECT_EQ(rec.take(), want);
    EXPECT_EQ(value(PORT_MASK_2), 0);
    EXPECT_EQ(value(PORT_OUT_2), 0);
}

TEST_F(Sequence, PortCallbacks)
{
    pxi_open();
    {
        // A mask or value shows nothing: the control already shows it.
        Recorder rec(panelHandle, bench);
        commit_raw(PORT_MASK_1, 0x0F, mask_cb);
        commit_raw(PORT_OUT_1, 0x05, write_cb);
        EXPECT_EQ(rec.take(), (Seq{"val 21=15", "driver", "val 16=5", "driver"}));
    }
    {
        port_sentinels();
        Recorder rec(panelHandle, bench);
        port_mode_output_cb(panelHandle, PORT_MODE_OUTPUT_BTN, EVENT_COMMIT, nullptr, 0, 0);
        Seq want = {"driver"};
        append(want, port_values());
        EXPECT_EQ(rec.take(), want);
        EXPECT_EQ(value(PORT_OUT_0), -1);  // ports 0 and 1 keep their output entries
        EXPECT_EQ(value(PORT_OUT_1), 5);
        EXPECT_EQ(value(PORT_OUT_2), 6);  // the bus idle: no strobe active
        EXPECT_EQ(value(PORT_MASK_0), 255);
        EXPECT_EQ(value(PORT_MASK_2), 7);
    }
    {
        port_sentinels();
        Recorder rec(panelHandle, bench);
        port_timer_CB(panelHandle, PORT_TIMER, EVENT_TIMER_TICK, nullptr, 0, 0);
        // All three reads, then the three indicators; nothing else.
        EXPECT_EQ(rec.take(), (Seq{"driver", val(PORT_IN_0), val(PORT_IN_1), val(PORT_IN_2)}));
        EXPECT_EQ(value(PORT_IN_2), 6);  // mask 7, output 6
    }
}

TEST_F(Sequence, AvalonInitShowsTheDacThenStartsThePoll)
{
    pxi_open();
    ASSERT_EQ(bench->poke_reg(2, 0, 6), 0);  // bit 1 and bit 2
    ASSERT_EQ(bench->poke_reg(2, 2, 77), 0);
    ASSERT_EQ(bench->poke_reg(2, 3, 128), 0);
    SetCtrlVal(panelHandle, DAC_CTRL_BIT1, 0);
    SetCtrlVal(panelHandle, DAC_CTRL_BIT0, 1);
    SetCtrlVal(panelHandle, DAC_CTRL_BIT2, 0);

    Recorder rec(panelHandle, bench);
    avalon_init_cb(panelHandle, AV_INIT_BTN, EVENT_COMMIT, nullptr, 0, 0);
    Seq want = {"driver", "val 40=1", "val 38=0", "val 37=1",
                "driver", "val 47=77", val(DAC_VOUT1),
                "driver", "val 46=128", val(DAC_VOUT2),
                "driver", "timer 49=1"};
    EXPECT_EQ(rec.take(), want);
    EXPECT_NEAR(value(DAC_VOUT1), 77 * 3.3 / 255, 1e-12);
    EXPECT_NEAR(value(DAC_VOUT2), 128 * 3.3 / 255, 1e-12);
}

TEST_F(Sequence, AvalonTickConvertsChannelZeroThenOne)
{
    pxi_open();
    avalon_init_cb(panelHandle, AV_INIT_BTN, EVENT_COMMIT, nullptr, 0, 0);
    ASSERT_EQ(bench->drive("adc0", 1.0), 0);
    ASSERT_EQ(bench->drive("adc1", 2.0), 0);

    Recorder rec(panelHandle, bench);
    avalon_timer_cb(panelHandle, AVALON_TIMER, EVENT_TIMER_TICK, nullptr, 0, 0);
    EXPECT_EQ(rec.take(), (Seq{"driver", "val 48=400", "val 45=1", "driver", "val 44=800", "val 43=2"}));
    // Full scale and zero are codes like any other, with their volts.
    ASSERT_EQ(bench->drive("adc0", 12.0), 0);
    ASSERT_EQ(bench->drive("adc1", 0.0), 0);
    Recorder full_scale(panelHandle, bench);
    avalon_timer_cb(panelHandle, AVALON_TIMER, EVENT_TIMER_TICK, nullptr, 0, 0);
    EXPECT_EQ(full_scale.take(), (Seq{"driver", "val 48=4095", "val 45=10.2375", "driver", "val 44=0", "val 43=0"}));
    bench->drive("adc0", NAN);
    bench->drive("adc1", NAN);
}

TEST_F(Sequence, AnalogCallbacks)
{
    pxi_open();
    {
        // Each channel is read, then shown, in channel order.
        set_inputs(1000);
        Recorder rec(panelHandle, bench);
        ai_timer_CB(panelHandle, AI_TIMER, EVENT_TIMER_TICK, nullptr, 0, 0);
        Seq want;
        for (int i = 0; i < 8; i++) append(want, {"driver", val("AI" + std::to_string(i))});
        EXPECT_EQ(rec.take(), want);
    }
    {
        // Linked: both outputs written, then shown, then output 1 dimmed.
        SetCtrlVal(panelHandle, AO_LINK_TOGGLE, 1);
        ao0ao1_CB(panelHandle, AO_LINK_TOGGLE, EVENT_COMMIT, nullptr, 0, 0);
        SetCtrlAttribute(panelHandle, AO0_NUMERIC, ATTR_DIMMED, 1);
        SetCtrlAttribute(panelHandle, AO1_NUMERIC, ATTR_DIMMED, 0);
        SetCtrlVal(panelHandle, AO0_NUMERIC, 2.5);
        Recorder rec(panelHandle, bench);
        ao0_CB(panelHandle, AO0_NUMERIC, EVENT_COMMIT, nullptr, 0, 0);
        EXPECT_EQ(rec.take(), (Seq{"driver", "val 8=2.5", "dim 11=0", "dim 8=1"}));
        EXPECT_NEAR(probe("ao1"), 2.5, 1e-3);
    }
    {
        // Switching the link off writes nothing and undims output 1.
        SetCtrlVal(panelHandle, AO_LINK_TOGGLE, 0);
        Recorder rec(panelHandle, bench);
        ao0ao1_CB(panelHandle, AO_LINK_TOGGLE, EVENT_COMMIT, nullptr, 0, 0);
        EXPECT_EQ(rec.take(), (Seq{"dim 8=0"}));
    }
}

}  // namespace
