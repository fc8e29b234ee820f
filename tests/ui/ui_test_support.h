// Shared by the run-time's tests: a fresh headless run-time per test, panel
// files written to a temporary folder, and callbacks that record what they get.
#pragma once

#include "ui/internal.h"
#include "base/error_output.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <unistd.h>
#include <fstream>
#include <string>
#include <vector>

namespace uitest {

struct Call {
    std::string who;
    int panel;
    int control;
    int event;
    std::int64_t at_ns;
};

inline std::vector<Call> &calls()
{
    static std::vector<Call> c;
    return c;
}

// What a callback does besides recording, set per test.
inline std::function<void(const Call &)> &on_call()
{
    static std::function<void(const Call &)> f;
    return f;
}

inline int record(const char *who, int panel, int control, int event)
{
    Call c{who, panel, control, event, ui::now_ns()};
    calls().push_back(c);
    if (on_call())
        on_call()(c);
    return 0;
}

inline int rec_cb(int panel, int control, int event, void *, int, int) { return record("rec_cb", panel, control, event); }
inline int timer_a(int panel, int control, int event, void *, int, int) { return record("timer_a", panel, control, event); }
inline int timer_b(int panel, int control, int event, void *, int, int) { return record("timer_b", panel, control, event); }
inline int panel_cb(int panel, int event, void *, int, int)
{
    record("panel_cb", panel, 0, event);
    if (event == EVENT_CLOSE)
        QuitUserInterface(0);
    return 0;
}

// The panel most tests use.
inline const char *kTestPanel = R"PF(
[[panel]]
resource = 1
title = "Test bench"
width = 400
height = 300
callback = "panel_cb"

[[panel.control]]
id = 2
name = "NUM_INT"
kind = "numeric_int"
label = "Mask"
min = 0
max = 255
format = "hex"
digits = 2
callback = "rec_cb"

[[panel.control]]
id = 3
name = "NUM_DBL"
kind = "numeric_double"
label = "Volts (V)"
digits = 3
value = nan
min = -10
max = 10
callback = "rec_cb"

[[panel.control]]
id = 4
name = "IND"
kind = "numeric_int"
mode = "indicator"
format = "binary"
digits = 8
value = 5

[[panel.control]]
id = 5
name = "TOG"
kind = "toggle"
label = "Link"
callback = "rec_cb"

[[panel.control]]
id = 6
name = "BTN"
kind = "button"
label = "Go"
callback = "rec_cb"

[[panel.control]]
id = 7
name = "TIMER_A"
kind = "timer"
interval = 0.1
enabled = true
callback = "timer_a"

[[panel.control]]
id = 8
name = "TIMER_B"
kind = "timer"
interval = 0.25
enabled = false
callback = "timer_b"

[[panel.control]]
id = 9
name = "FRAME"
kind = "decoration"
title = "Frame"

[[panel.control]]
id = 10
name = "DIM_BTN"
kind = "button"
label = "Dimmed"
dimmed = true
callback = "rec_cb"
)PF";

class Runtime : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui::model::reset();
        base::set_stderr_echo(false);
        calls().clear();
        on_call() = nullptr;
        dir_ = std::filesystem::temp_directory_path() /
               ("uir-test-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        ui::RegisterCallback("rec_cb", rec_cb);
        ui::RegisterCallback("timer_a", timer_a);
        ui::RegisterCallback("timer_b", timer_b);
        ui::RegisterCallback("panel_cb", panel_cb);
    }
    void TearDown() override
    {
        on_call() = nullptr;
        ui::script::set_output(nullptr);
        ui::model::reset();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // configure + InitCVIRTE with the given options.
    void init(ui::Options o = {})
    {
        ui::configure(o);
        static char arg0[] = "test";
        static char *argv[] = {arg0, nullptr};
        ASSERT_EQ(InitCVIRTE(nullptr, argv, nullptr), 1);
    }

    std::string write(const std::string &name, const std::string &text)
    {
        auto p = dir_ / name;
        std::ofstream(p, std::ios::binary) << text;
        return p.string();
    }

    // Loads and displays a panel from text; returns its handle.
    int show(const std::string &text = kTestPanel)
    {
        int h = LoadPanel(0, write("panel.uir", text).c_str(), 1);
        EXPECT_GT(h, 0) << ui::last_failure();
        if (h > 0) {
            EXPECT_EQ(DisplayPanel(h), 0);
        }
        return h;
    }

    std::vector<Call> calls_of(const std::string &who) const
    {
        std::vector<Call> r;
        for (auto &c : calls())
            if (c.who == who)
                r.push_back(c);
        return r;
    }

    std::filesystem::path dir_;
};

}  // namespace uitest
