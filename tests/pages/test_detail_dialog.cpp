#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>

#include "PagesFixture.h"
#include "special/DlgCardSizeDetail1.h"

namespace {

// Runs `act` on the modal window of type W as soon as it is up; anything else
// that turns up modal is a failure and gets closed, so no test hangs.
template <class W>
void WhenModal(std::function<void(W&)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* w = dynamic_cast<W*>(modal))
            return act(*w);
        ADD_FAILURE() << "expected modal window missing";
        if (auto* d = qobject_cast<QDialog*>(modal))
            d->reject();
    });
}

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

}  // namespace
