#include <QMessageBox>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <functional>

#include "PagesFixture.h"
#include "special/DlgCardSizeDetail1.h"

namespace {

struct BoxSeen {
    int count = 0;
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QWidget* owner = nullptr;
};

class DetailDialog : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        dlg->Sheet()->setCurrentIndex(1);
        Click(Page(), 1008);  // "Self-Define": the detail value becomes 4
    }
    CPage_special& Page() { return dlg->SpecialPage(); }

    // Presses "Detail" and runs `act` inside the dialog.
    void RunDetail(std::function<void(CDlgCardSizeDetail1&)> act)
    {
        WhenModal<CDlgCardSizeDetail1>([this, act](CDlgCardSizeDetail1& d) {
            EXPECT_EQ(d.parentWidget(), &Page());
            EXPECT_FALSE(d.IsChecked(1042) || d.IsChecked(1044)) << "a radio checked at start";
            EXPECT_TRUE(d.Item(1041)->isHidden() && d.Item(1043)->isHidden()) << "a box shown at start";
            act(d);
        });
        Click(Page(), 1023);
    }
    // Confirms with OK, answering the message box it brings up.
    void Confirm(CDlgCardSizeDetail1& d)
    {
        WhenModal<QMessageBox>([this](QMessageBox& box) {
            seen.count++;
            seen.text = box.text();
            seen.title = box.windowTitle();
            seen.icon = box.icon();
            seen.buttons = box.standardButtons();
            seen.owner = box.parentWidget();
            box.button(QMessageBox::Ok)->click();
        });
        Click(d, 1);
    }
    static void Type(CDlgCardSizeDetail1& d, int id, const QString& text)
    {
        QTest::keyClicks(Edit(d, id), text);
    }

    BoxSeen seen;
};

struct SizeCase {
    const char* name;
    int radio;  // 0: none
    const char* typed;
    int32_t stored;
};

class DetailOk : public DetailDialog, public testing::WithParamInterface<SizeCase> {};

TEST_P(DetailOk, StoresTheSizeAndConfirms)
{
    const SizeCase c = GetParam();
    QWidget* dialog = nullptr;
    RunDetail([&](CDlgCardSizeDetail1& d) {
        dialog = &d;
        if (c.radio) {
            Click(d, c.radio);
            const int shown = c.radio == 1042 ? 1041 : 1043, hidden = c.radio == 1042 ? 1043 : 1041;
            EXPECT_FALSE(d.Item(shown)->isHidden());
            EXPECT_TRUE(d.Item(hidden)->isHidden());
            Type(d, shown, c.typed);
        }
        Confirm(d);
    });

    EXPECT_EQ(g_cardSizeDetail, c.stored);
    EXPECT_EQ(seen.count, 1);
    EXPECT_EQ(seen.text, "Set ok");
    EXPECT_EQ(seen.title, "Paramter set ok");
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);
    EXPECT_EQ(seen.owner, dialog);
    EXPECT_TRUE(Log().isEmpty()) << "the dialog writes no log line";
}

INSTANTIATE_TEST_SUITE_P(Sizes, DetailOk,
                         testing::Values(SizeCase{"Front3", 1042, "3", 3}, SizeCase{"Back3", 1044, "3", 243},
                                         SizeCase{"BackEmpty", 1044, "", 240}, SizeCase{"Back20", 1044, "20", 244},
                                         SizeCase{"FrontMinus5", 1042, "-5", -5},
                                         SizeCase{"BackMinus5", 1044, "-5", -5},
                                         SizeCase{"FrontEmpty", 1042, "", 0},
                                         SizeCase{"TwoCharactersAtMost", 1044, "123", 0xFC},
                                         SizeCase{"NoRadioKeepsTheValue", 0, "", 4}),
                         [](const auto& info) { return info.param.name; });

TEST_F(DetailDialog, EscapeLeavesTheValue)
{
    RunDetail([&](CDlgCardSizeDetail1& d) {
        Click(d, 1044);
        Click(d, 1042);
        EXPECT_TRUE(d.Item(1043)->isHidden()) << "the front hides the back box";
        Type(d, 1041, "9");
        Click(d, 1044);
        EXPECT_TRUE(d.Item(1041)->isHidden()) << "the back hides the front box";
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_EQ(g_cardSizeDetail, 4);
    EXPECT_EQ(seen.count, 0);
}

TEST_F(DetailDialog, EnterAtStartConfirms)
{
    RunDetail([&](CDlgCardSizeDetail1& d) {
        WhenModal<QMessageBox>([this](QMessageBox& box) {
            seen.count++;
            box.button(QMessageBox::Ok)->click();
        });
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &d, Qt::Key_Return);
    });
    EXPECT_EQ(seen.count, 1);
    EXPECT_EQ(g_cardSizeDetail, 4);
}

TEST_F(DetailDialog, ReopensBlankAndTheSetPressSendsTheStoredSize)
{
    RunDetail([&](CDlgCardSizeDetail1& d) {
        Click(d, 1044);
        Type(d, 1043, "3");
        Confirm(d);
    });
    RunDetail([&](CDlgCardSizeDetail1& d) { d.reject(); });  // the start checks run again

    Click(Page(), 1021);
    EXPECT_EQ(Call("lc_setReadOnlyPara").ints.at(3), 0xF3);
    Click(Page(), 1001);
    Fake().calls.clear();
    Click(Page(), 1021);
    EXPECT_EQ(Call("lc_setReadOnlyPara").ints.at(3), 0);
}

// One arrow key on the control `from` of the detail dialog (134) or the
// Special page's output-length group (133), in this order, each row from
// where the one before left off.
struct Arrow {
    int window;
    int from;
    Qt::Key key;
    int focus;    // the control that has the focus afterwards
    int checked;  // the checked radio of the group (0: none)
    int handled;  // the control its radio's handler shows or enables (0: none)
};

TEST_F(DetailDialog, ArrowKeysMoveThroughTheFocusedGroup)
{
    const Arrow steps[] = {
        // No group start: one group of the button, the two boxes and the radios.
        {134, 1, Qt::Key_Right, 1042, 1042, 1041},   // "前" reached, checked, its box shown
        {134, 1042, Qt::Key_Down, 1044, 1044, 1043},
        {134, 1044, Qt::Key_Right, 1, 1044, 1043},    // round the end
        {134, 1, Qt::Key_Right, 1043, 1044, 1043},    // the hidden box passed over
        {134, 1, Qt::Key_Left, 1044, 1044, 1043},     // a checked radio stays checked
        {134, 1044, Qt::Key_Up, 1042, 1042, 1041},
        // From "Default" to the next group start, labels and frames between.
        {133, 1021, Qt::Key_Right, 1046, 1016, 0},  // hidden 1022 and disabled 1019 passed over
        {133, 1021, Qt::Key_Left, 1019, 1017, 1019},  // "Static": its handler focuses its box
        {133, 1021, Qt::Key_Right, 1019, 1017, 1019},  // enabled now
        {133, 1017, Qt::Key_Left, 1016, 1016, 0},
        {133, 1016, Qt::Key_Up, 1047, 1016, 0},  // round to the group's last control
        {133, 1047, Qt::Key_Left, 1047, 1016, 0},  // an edit keeps its arrows
    };
    CDlgCardSizeDetail1 detail(&Page());
    detail.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&detail));
    EXPECT_EQ(QApplication::focusWidget(), detail.Item(1));
    const auto firstOf = [](DlgItems& w, std::initializer_list<int> ids, auto test) {
        for (int id : ids)
            if (w.Item(id) && test(w.Item(id)))
                return id;
        return 0;
    };
    for (const Arrow& s : steps) {
        if (s.window == 133 && detail.isVisible()) {
            detail.close();
            dlg->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
        }
        DlgItems& w = s.window == 134 ? static_cast<DlgItems&>(detail) : Page();
        w.Item(s.from)->setFocus();
        QTest::keyClick(w.Item(s.from), s.key);
        const auto where = testing::Message() << s.window << ": " << s.from << " key " << s.key;
        EXPECT_EQ(QApplication::focusWidget(), w.Item(s.focus)) << where;
        EXPECT_EQ(firstOf(w, {1042, 1044, 1016, 1017}, [](QWidget* r) {
                      return qobject_cast<QAbstractButton*>(r)->isChecked();
                  }), s.checked) << where;
        EXPECT_EQ(firstOf(w, {1041, 1043, 1019}, [](QWidget* c) { return !c->isHidden() && c->isEnabled(); }),
                  s.handled) << where;
    }
}

// Makes `window` the active one, as a window manager does with a new window;
// the offscreen platform does not always.
bool Activate(QWidget& window)
{
    window.activateWindow();
    return QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; });
}

// Closing a modal window, with the mouse or with keys, gives the main window
// the activation back and the focus to the control that opened it.
TEST_F(DetailDialog, FocusComesBackAfterAModalWindow)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    QWidget* detailButton = Page().Item(1023);
    QWidget* openButton = dlg->Item(1029);
    const auto press = [](QWidget* button, bool mouse) {
        if (mouse) {
            QTest::mouseClick(button, Qt::LeftButton);
        } else {
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Space);
        }
    };
    // Keys go to the focused control of the active window.
    const auto enter = [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); };
    const auto active = [] { return QApplication::activeWindow(); };
    for (bool mouse : {true, false}) {
        SCOPED_TRACE(mouse ? "mouse" : "keys");
        WhenModal<CDlgCardSizeDetail1>([&](CDlgCardSizeDetail1& d) {
            ASSERT_TRUE(Activate(d));
            WhenModal<QMessageBox>([&](QMessageBox& box) {
                ASSERT_TRUE(Activate(box));
                // Room in the title bar for the whole caption, an icon and three buttons.
                const int square = box.style()->pixelMetric(QStyle::PM_TitleBarHeight);
                const QFontMetrics title(QApplication::font("QMdiSubWindowTitleBar"));
                EXPECT_GE(box.width(), title.horizontalAdvance(box.windowTitle()) + 4 * square);
                mouse ? QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton) : enter();
            });
            mouse ? QTest::mouseClick(d.Item(1), Qt::LeftButton) : enter();
        });
        press(detailButton, mouse);
        EXPECT_TRUE(QTest::qWaitFor([&] { return active() == dlg.get(); }));
        EXPECT_EQ(QApplication::focusWidget(), detailButton);

        openButton->setFocus();
        WhenModal<Dialog>([&](Dialog& about) {
            ASSERT_TRUE(Activate(about));
            EXPECT_EQ(about.objectName(), "100");
            mouse ? QTest::mouseClick(about.Item(1), Qt::LeftButton) : QTest::keyClick(&about, Qt::Key_Escape);
        });
        dlg->OnSysCommand(IDM_ABOUTBOX);
        EXPECT_TRUE(QTest::qWaitFor([&] { return active() == dlg.get(); }));
        EXPECT_EQ(QApplication::focusWidget(), openButton);
    }
}

}  // namespace
