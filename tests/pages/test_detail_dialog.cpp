#include <QMessageBox>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <functional>

#include "pages/special/DlgCardSizeDetail1.h"
#include "resource.h"
#include "tests/pages/PagesFixture.h"

namespace {

namespace detailDlg = IDD_DLG_CARDSIZE_DETAIL1;
namespace specialPage = IDD_PAGE_SPECIAL;
namespace mainDlg = IDD_TAVELIN_DIALOG;

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
        Click(Page(), specialPage::IDC_RADIO_SELF_DEFINE);  // the detail value becomes 4
    }
    CPage_special& Page() { return dlg->SpecialPage(); }

    // Presses "Detail" and runs `act` inside the dialog.
    void RunDetail(std::function<void(CDlgCardSizeDetail1&)> act)
    {
        WhenModal<CDlgCardSizeDetail1>([this, act](CDlgCardSizeDetail1& d) {
            EXPECT_EQ(d.parentWidget(), &Page());
            EXPECT_FALSE(d.IsChecked(detailDlg::IDC_RADIO_FRONT) || d.IsChecked(detailDlg::IDC_RADIO_BACK))
                << "a radio checked at start";
            EXPECT_TRUE(d.Control(detailDlg::IDC_EDIT_FRONT).isHidden() &&
                        d.Control(detailDlg::IDC_EDIT_BACK).isHidden())
                << "a box shown at start";
            act(d);
        });
        Click(Page(), specialPage::IDC_BTN_DETAIL);
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
    int32_t stored;  // 4, the value held before, where it is refused
    bool refused = false;
};
void PrintTo(const SizeCase& c, std::ostream* os)
{
    *os << c.name;
}

class DetailSize : public DetailDialog, public testing::WithParamInterface<SizeCase> {};

TEST_P(DetailSize, StoresACountTheReaderCanBeGivenAndRefusesAnyOther)
{
    const SizeCase c = GetParam();
    QWidget* dialog = nullptr;
    RunDetail([&](CDlgCardSizeDetail1& d) {
        dialog = &d;
        if (c.radio) {
            Click(d, c.radio);
            const int shown =
                          c.radio == detailDlg::IDC_RADIO_FRONT ? detailDlg::IDC_EDIT_FRONT : detailDlg::IDC_EDIT_BACK,
                      hidden =
                          c.radio == detailDlg::IDC_RADIO_FRONT ? detailDlg::IDC_EDIT_BACK : detailDlg::IDC_EDIT_FRONT;
            EXPECT_FALSE(d.Control(shown).isHidden());
            EXPECT_TRUE(d.Control(hidden).isHidden());
            Type(d, shown, c.typed);
        }
        Confirm(d);
        EXPECT_EQ(d.isVisible(), c.refused) << "open after a refusal, closed after Set ok";
        d.reject();
    });

    EXPECT_EQ(*g_cardSizeDetail, c.stored);
    EXPECT_EQ(seen.count, 1);
    EXPECT_EQ(seen.text, c.refused ? "Type a number of bytes from 1 to 15." : "Set ok");
    EXPECT_EQ(seen.title, c.refused ? "详细" : "Paramter set ok");
    EXPECT_EQ(seen.icon, c.refused ? QMessageBox::Warning : QMessageBox::Information);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);
    EXPECT_EQ(seen.owner, dialog);
    EXPECT_TRUE(Log().isEmpty()) << "the dialog writes no log line";
}

INSTANTIATE_TEST_SUITE_P(Sizes, DetailSize,
                         testing::Values(SizeCase{"Front3", detailDlg::IDC_RADIO_FRONT, "3", 3},
                                         SizeCase{"Back3", detailDlg::IDC_RADIO_BACK, "3", 243},
                                         SizeCase{"LeadingSpace", detailDlg::IDC_RADIO_FRONT, " 1", 1},
                                         SizeCase{"Back15", detailDlg::IDC_RADIO_BACK, "15", 0xFF},
                                         SizeCase{"TwoCharactersAtMost", detailDlg::IDC_RADIO_BACK, "123", 0xFC},
                                         SizeCase{"NoRadioKeepsTheValue", 0, "", 4},
                                         // Past 15, ORed with 0xF0, a count would become another one.
                                         SizeCase{"Back20", detailDlg::IDC_RADIO_BACK, "20", 4, true},
                                         SizeCase{"Front16", detailDlg::IDC_RADIO_FRONT, "16", 4, true},
                                         SizeCase{"BackEmpty", detailDlg::IDC_RADIO_BACK, "", 4, true},
                                         SizeCase{"Front0", detailDlg::IDC_RADIO_FRONT, "0", 4, true},  // "All"
                                         SizeCase{"FrontMinus5", detailDlg::IDC_RADIO_FRONT, "-5", 4, true}),
                         [](const auto& info) { return info.param.name; });

TEST_F(DetailDialog, EscapeLeavesTheValue)
{
    RunDetail([&](CDlgCardSizeDetail1& d) {
        Click(d, detailDlg::IDC_RADIO_BACK);
        Click(d, detailDlg::IDC_RADIO_FRONT);
        EXPECT_TRUE(d.Control(detailDlg::IDC_EDIT_BACK).isHidden()) << "the front hides the back box";
        Type(d, detailDlg::IDC_EDIT_FRONT, "9");
        Click(d, detailDlg::IDC_RADIO_BACK);
        EXPECT_TRUE(d.Control(detailDlg::IDC_EDIT_FRONT).isHidden()) << "the back hides the front box";
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_EQ(*g_cardSizeDetail, 4);
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
    EXPECT_EQ(*g_cardSizeDetail, 4);
}

TEST_F(DetailDialog, ReopensBlankAndTheSetPressSendsTheStoredSize)
{
    RunDetail([&](CDlgCardSizeDetail1& d) {
        Click(d, detailDlg::IDC_RADIO_BACK);
        Type(d, detailDlg::IDC_EDIT_BACK, "3");
        Confirm(d);
    });
    RunDetail([&](CDlgCardSizeDetail1& d) { d.reject(); });  // the start checks run again

    Click(Page(), specialPage::IDC_BTN_SET);
    EXPECT_EQ(Call("lc_setReadOnlyPara").ints.at(3), 0xF3);
    Click(Page(), specialPage::IDC_RADIO_ALL);
    Fake().calls.clear();
    Click(Page(), specialPage::IDC_BTN_SET);
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
    using namespace IDD_DLG_CARDSIZE_DETAIL1;
    using namespace IDD_PAGE_SPECIAL;
    const int kDetail = IDD_DLG_CARDSIZE_DETAIL1::IDD, kSpecial = IDD_PAGE_SPECIAL::IDD;
    const Arrow steps[] = {
        // No group start: one group of the button, the two boxes and the radios.
        {kDetail, 1, Qt::Key_Right, IDC_RADIO_FRONT, IDC_RADIO_FRONT,
         IDC_EDIT_FRONT},  // "前" reached, checked, its box shown
        {kDetail, IDC_RADIO_FRONT, Qt::Key_Down, IDC_RADIO_BACK, IDC_RADIO_BACK, IDC_EDIT_BACK},
        {kDetail, IDC_RADIO_BACK, Qt::Key_Right, 1, IDC_RADIO_BACK, IDC_EDIT_BACK},  // round the end
        {kDetail, 1, Qt::Key_Right, IDC_EDIT_BACK, IDC_RADIO_BACK, IDC_EDIT_BACK},   // the hidden box passed over
        {kDetail, 1, Qt::Key_Left, IDC_RADIO_BACK, IDC_RADIO_BACK, IDC_EDIT_BACK},   // a checked radio stays checked
        {kDetail, IDC_RADIO_BACK, Qt::Key_Up, IDC_RADIO_FRONT, IDC_RADIO_FRONT, IDC_EDIT_FRONT},
        // From "Default" to the next group start, labels and frames between.
        {kSpecial, IDC_BTN_SET, Qt::Key_Right, IDC_COMBO_ADDR, IDC_RADIO_LENGTH_DEFAULT,
         0},  // hidden Get, disabled box passed over
        {kSpecial, IDC_BTN_SET, Qt::Key_Left, IDC_EDIT_LENGTH, IDC_RADIO_LENGTH_STATIC,
         IDC_EDIT_LENGTH},  // "Static": its handler focuses its box
        {kSpecial, IDC_BTN_SET, Qt::Key_Right, IDC_EDIT_LENGTH, IDC_RADIO_LENGTH_STATIC,
         IDC_EDIT_LENGTH},  // enabled now
        {kSpecial, IDC_RADIO_LENGTH_STATIC, Qt::Key_Left, IDC_RADIO_LENGTH_DEFAULT, IDC_RADIO_LENGTH_DEFAULT, 0},
        {kSpecial, IDC_RADIO_LENGTH_DEFAULT, Qt::Key_Up, IDC_EDIT_PASSWORD, IDC_RADIO_LENGTH_DEFAULT,
         0},  // round to the group's last control
        {kSpecial, IDC_EDIT_PASSWORD, Qt::Key_Left, IDC_EDIT_PASSWORD, IDC_RADIO_LENGTH_DEFAULT,
         0},  // an edit keeps its arrows
    };
    CDlgCardSizeDetail1 detail(&Page());
    detail.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&detail));
    EXPECT_EQ(QApplication::focusWidget(), &detail.Control(detailDlg::IDOK));
    const auto firstOf = [](DlgItems& w, std::initializer_list<int> ids, auto test) {
        for (int id : ids)
            if (w.Item(id) && test(w.Item(id)))
                return id;
        return 0;
    };
    for (const Arrow& s : steps) {
        if (s.window == kSpecial && detail.isVisible()) {
            detail.close();
            dlg->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
        }
        DlgItems& w = s.window == kDetail ? static_cast<DlgItems&>(detail) : Page();
        w.Control(s.from).setFocus();
        QTest::keyClick(&w.Control(s.from), s.key);
        const auto where = testing::Message() << s.window << ": " << s.from << " key " << s.key;
        EXPECT_EQ(QApplication::focusWidget(), &w.Control(s.focus)) << where;
        EXPECT_EQ(firstOf(w, {IDC_RADIO_FRONT, IDC_RADIO_BACK, IDC_RADIO_LENGTH_DEFAULT, IDC_RADIO_LENGTH_STATIC},
                          [](QWidget* r) { return qobject_cast<QAbstractButton*>(r)->isChecked(); }),
                  s.checked)
            << where;
        EXPECT_EQ(firstOf(w, {IDC_EDIT_FRONT, IDC_EDIT_BACK, IDC_EDIT_LENGTH},
                          [](QWidget* c) { return !c->isHidden() && c->isEnabled(); }),
                  s.handled)
            << where;
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
    QWidget* detailButton = &Page().Control(specialPage::IDC_BTN_DETAIL);
    QWidget* openButton = &dlg->Control(mainDlg::IDC_BTN_OPEN);
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
            mouse ? QTest::mouseClick(&d.Control(detailDlg::IDOK), Qt::LeftButton) : enter();
        });
        press(detailButton, mouse);
        EXPECT_TRUE(QTest::qWaitFor([&] { return active() == dlg.get(); }));
        EXPECT_EQ(QApplication::focusWidget(), detailButton);

        openButton->setFocus();
        WhenModal<Dialog>([&](Dialog& about) {
            ASSERT_TRUE(Activate(about));
            EXPECT_EQ(about.objectName(), QString::number(IDD_ABOUTBOX::IDD));
            mouse ? QTest::mouseClick(&about.Control(IDD_ABOUTBOX::IDOK), Qt::LeftButton)
                  : QTest::keyClick(&about, Qt::Key_Escape);
        });
        dlg->OnSysCommand(IDM_ABOUTBOX);
        EXPECT_TRUE(QTest::qWaitFor([&] { return active() == dlg.get(); }));
        EXPECT_EQ(QApplication::focusWidget(), openButton);
    }
}

}  // namespace
