// korvane's panel through the real Qt widgets (offscreen): open the hardware,
// set a port mask and run an Avalon read with mouse clicks and key strokes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "korvane.h"
#include "panel_fixture.h"
#include "ksim_client.h"
#include "uir_core.h"
#include "uir_qt.h"
#include "userint.h"
#include "vekta_testing.h"

namespace {

class QtPanel : public ::testing::Test {
protected:
    void SetUp() override
    {
        uir::Options opts;
        opts.toolkit_args = {"-platform", "offscreen"};
        opts.title_suffix = "simulated bench";
        uir::qt::install();
        panel_fixture::start_panel(opts, &bench);
        if (HasFatalFailure()) return;
        win = uir::qt::window(panelHandle);
        ASSERT_NE(win, nullptr);
        QApplication::processEvents();
    }

    void TearDown() override
    {
        if (panelHandle > 0) DiscardPanel(panelHandle);
        panelHandle = 0;
        uir::model::reset();
    }

    template <class W>
    W *widget(const char *name)
    {
        W *w = win->findChild<W *>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void click(const char *name)
    {
        auto *b = widget<QPushButton>(name);
        ASSERT_NE(b, nullptr);
        ASSERT_TRUE(b->isEnabled()) << name << " is dimmed";
        QTest::mouseClick(b, Qt::LeftButton);
        QApplication::processEvents();
    }

    void type(const char *name, const char *text)
    {
        auto *e = widget<QLineEdit>(name);
        ASSERT_NE(e, nullptr);
        ASSERT_TRUE(e->isEnabled()) << name << " is dimmed";
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, text);
        QTest::keyClick(e, Qt::Key_Return);
        QApplication::processEvents();
    }

    const ksim::BackDoor *bench = nullptr;
    QWidget *win = nullptr;
};

TEST_F(QtPanel, OpenSetAMaskAndReadTheBus)
{
    auto *mask = widget<QLineEdit>("PORT_MASK_0");
    ASSERT_NE(mask, nullptr);
    EXPECT_FALSE(mask->isEnabled());
    EXPECT_FALSE(widget<QPushButton>("CLOSE_BTN")->isEnabled());

    click("OPEN_BTN");
    EXPECT_EQ(pxi_opened, 1);
    EXPECT_TRUE(widget<QPushButton>("CLOSE_BTN")->isEnabled());
    EXPECT_EQ(mask->text(), QString::fromUtf8("\u2014"));  // -1: not set since Open

    // Port 0: low nibble outputs, driving 0x0F.
    type("PORT_MASK_0", "0F");
    type("PORT_OUT_0", "FF");
    double lines = -1;
    ASSERT_EQ(bench->probe("port0", &lines), 0);
    EXPECT_EQ(lines, 0x0F);
    EXPECT_EQ(mask->text(), "0x0F");

    // A word in slave 0's memory, read back by the Read button.
    ASSERT_EQ(bench->poke_reg(0, 0x321, 0xCAFE), 0);
    click("AV_INIT_BTN");
    type("AV_READ_SLAVE", "0");
    type("AV_READ_ADDR", "321");
    click("AV_READ_BTN");
    EXPECT_EQ(widget<QLineEdit>("AV_READ_DATA")->text(), "0xCAFE");
    int data = 0;
    GetCtrlVal(panelHandle, AV_READ_DATA, &data);
    EXPECT_EQ(data, 0xCAFE);

    click("CLOSE_BTN");
    EXPECT_EQ(pxi_opened, 0);
    EXPECT_FALSE(mask->isEnabled());
    EXPECT_EQ(bench->live_tasks(), 0);
}

}  // namespace
