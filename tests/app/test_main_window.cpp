#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#ifndef _WIN32
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "app/CardCheckDlg.h"
#include "app/TavelinDlg.h"
#include "pages/common/ReaderLink.h"
#include "pages/common/ReaderPause.h"
#include "resource.h"
#include "tests/fakes/fake_t2.h"
#ifndef _WIN32
#include "tests/support/DeviceFolder.h"
#endif
#include "tests/support/qt_print.h"

namespace {

namespace mainDlg = IDD_TAVELIN_DIALOG;
namespace commPage = IDD_PAGE_COMM;

class MainWindow : public testing::Test {
protected:
    void SetUp() override
    {
        Fake().Reset();
        SetWaitHook([](int) {});
        dlg = std::make_unique<CTavelinDlg>();
        dlg->show();
    }
    void TearDown() override
    {
        dlg.reset();
        SetWaitHook(nullptr);
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    }

#ifndef _WIN32
    DeviceFolder folder;  // the port list holds only the ports a test publishes
#endif

    QString LogBox() const { return dlg->Control<QPlainTextEdit>(mainDlg::IDC_EDIT_MSG).toPlainText(); }
    void Select(int portIndex, int baudIndex)
    {
        dlg->SetSelectedIndex(mainDlg::IDC_COMBO_PORT, portIndex);
        dlg->SetSelectedIndex(mainDlg::IDC_COMBO_BAUD, baudIndex);
    }
    void Press(int id) { dlg->Control<QPushButton>(id).click(); }

    std::unique_ptr<CTavelinDlg> dlg;
};

TEST_F(MainWindow, StartsClosedWithRunTimeCaptions)
{
    EXPECT_EQ(dlg->windowTitle(), "ID/IC Card Data-Out Setting Tool");
    EXPECT_EQ(dlg->ItemText(mainDlg::IDC_STATIC_PORT), "Port");
    EXPECT_EQ(dlg->ItemText(mainDlg::IDC_STATIC_BAUD), "Baud");
    EXPECT_EQ(dlg->ItemText(mainDlg::IDC_BTN_OPEN), "Open");
    EXPECT_EQ(dlg->ItemText(mainDlg::IDC_BTN_CLEAR_MSG), "Clear MSG");
    EXPECT_EQ(dlg->ItemText(mainDlg::IDC_COMBO_PORT), "USB");
    EXPECT_EQ(dlg->ItemText(mainDlg::IDC_COMBO_BAUD), "9600");
    const auto items = [&](int id) {
        QStringList names;
        for (int i = 0; i < dlg->Control<QComboBox>(id).count(); ++i)
            names << dlg->Control<QComboBox>(id).itemText(i);
        return names;
    };
    // Then any the system has past COM9 (under Wine, those the prefix maps).
    EXPECT_EQ(items(mainDlg::IDC_COMBO_PORT).mid(0, 10),
              QStringList({"USB", "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM9"}));
    EXPECT_EQ(items(mainDlg::IDC_COMBO_BAUD), QStringList({"9600", "115200"}));
    EXPECT_EQ(g_mainDlg, dlg.get());
    EXPECT_EQ(g_readerLink->handle, -1);
    EXPECT_EQ(g_readerLink->port, -1);

    QTabWidget* sheet = dlg->Sheet();
    EXPECT_EQ(sheet->pos(), QPoint(5, 5));
    EXPECT_EQ(sheet->tabText(0), "Simple Setting");
    EXPECT_EQ(sheet->tabText(1), "Special Setting");
    QApplication::processEvents();
    for (QWidget* page : {static_cast<QWidget*>(&dlg->SimplePage()), static_cast<QWidget*>(&dlg->SpecialPage())}) {
        EXPECT_GE(page->parentWidget()->width(), page->minimumWidth());
        EXPECT_GE(page->parentWidget()->height(), page->minimumHeight());
    }
    // The sheet stays clear of the log on its right.
    EXPECT_LE(sheet->geometry().right(), dlg->Control(mainDlg::IDC_EDIT_MSG).geometry().left());
}

struct OpenCase {
    int portIndex, baudIndex;
    int port, baud;
};

void PrintTo(const OpenCase& c, std::ostream* os)
{
    *os << "port index " << c.portIndex << ", baud index " << c.baudIndex;
}

class OpenArguments : public MainWindow, public testing::WithParamInterface<OpenCase> {};

#ifndef _WIN32
TEST_F(MainWindow, ListsThePortsPastCom9ThatTheSystemHasAsTheListOpens)
{
    int master = -1, slave = -1;
    char tty[128];
    ASSERT_EQ(openpty(&master, &slave, tty, nullptr, nullptr), 0);
    ASSERT_EQ(mkdir(folder.Path().c_str(), 0700), 0);
    ASSERT_EQ(symlink(tty, (folder.Path() + "/COM12").c_str()), 0);
    auto& list = dlg->Control<QComboBox>(mainDlg::IDC_COMBO_PORT);
    ASSERT_EQ(list.count(), 10);  // filled before the port came
    list.showPopup();
    list.hidePopup();
    ASSERT_EQ(list.count(), 11);
    EXPECT_EQ(list.itemText(10), "COM12");
    Select(10, 0);
    Press(mainDlg::IDC_BTN_OPEN);
    ASSERT_EQ(Fake().calls.size(), 1u);
    EXPECT_EQ(Fake().calls[0].ints, (std::vector<int32_t>{11, 9600}));
    close(slave);
    close(master);
}
#endif

TEST_P(OpenArguments, MapsComboChoicesToLibraryArguments)
{
    const OpenCase c = GetParam();
    Select(c.portIndex, c.baudIndex);
    Press(mainDlg::IDC_BTN_OPEN);
    ASSERT_EQ(Fake().calls.size(), 1u);
    EXPECT_EQ(Fake().calls[0].op, "lc_init");
    EXPECT_EQ(Fake().calls[0].ints, (std::vector<int32_t>{c.port, c.baud}));
    EXPECT_EQ(g_readerLink->port, c.port);
}

INSTANTIATE_TEST_SUITE_P(Ports, OpenArguments,
                         testing::Values(OpenCase{0, 0, 100, 9600}, OpenCase{0, 1, 100, 115200},
                                         OpenCase{1, 0, 0, 9600}, OpenCase{3, 0, 2, 9600},
                                         OpenCase{9, 1, 8, 115200}));

TEST_F(MainWindow, OpenThenCloseLogsAndFlipsCaption)
{
    Fake().initDefault = 3;
    Press(mainDlg::IDC_BTN_OPEN);
    EXPECT_EQ(g_readerLink->handle, 3);
    EXPECT_EQ(dlg->ItemText(mainDlg::IDC_BTN_OPEN), "Close");
    Press(mainDlg::IDC_BTN_OPEN);
    EXPECT_EQ(Fake().Ops(), (std::vector<std::string>{"lc_init", "lc_exit"}));
    EXPECT_EQ(Fake().calls[1].ints, (std::vector<int32_t>{3}));
    EXPECT_EQ(g_readerLink->handle, -1);
    EXPECT_EQ(g_readerLink->port, 100);  // kept after close
    EXPECT_EQ(dlg->ItemText(mainDlg::IDC_BTN_OPEN), "Open");
    EXPECT_EQ(dlg->LogText(), "Reader link ok\r\nReader link released\r\n");
    EXPECT_EQ(LogBox(), "Reader link ok\nReader link released\n");
}

TEST_F(MainWindow, FailedOpenKeepsStateAndRetries)
{
    Fake().initResults = {-1};
    Press(mainDlg::IDC_BTN_OPEN);
    EXPECT_EQ(dlg->ItemText(mainDlg::IDC_BTN_OPEN), "Open");
    EXPECT_EQ(dlg->Control(mainDlg::IDC_BTN_OPEN).toolTip(), "") << "the fake gives no reason";
    EXPECT_EQ(g_readerLink->handle, -1);
    EXPECT_EQ(g_readerLink->port, -1);
    Press(mainDlg::IDC_BTN_OPEN);
    EXPECT_EQ(Fake().Ops(), (std::vector<std::string>{"lc_init", "lc_init"}));
    EXPECT_EQ(dlg->LogText(), "Reader link failed\r\nReader link ok\r\n");
    EXPECT_EQ(dlg->ItemText(mainDlg::IDC_BTN_OPEN), "Close");
}

// The lists stay free while linked; once they show other than the link's
// port and baud, the ones in use are named beside the button.
TEST_F(MainWindow, NamesThePortInUseWhileTheListsShowAnother)
{
    const QLabel* inUse = dlg->LinkInUse();
    Select(5, 0);
    Press(mainDlg::IDC_BTN_OPEN);
    EXPECT_TRUE(inUse->isHidden()) << "the lists show the link";
    Select(3, 0);
    EXPECT_TRUE(dlg->Control(mainDlg::IDC_COMBO_PORT).isEnabled());
    EXPECT_TRUE(inUse->isVisible());
    EXPECT_EQ(inUse->text(), "Linked: COM5, 9600");
    Select(5, 1);
    EXPECT_TRUE(inUse->isVisible());
    Select(5, 0);
    EXPECT_TRUE(inUse->isHidden());
    Select(3, 1);
    Press(mainDlg::IDC_BTN_OPEN);
    EXPECT_TRUE(inUse->isHidden()) << "closed";
    Press(mainDlg::IDC_BTN_OPEN);
    EXPECT_TRUE(inUse->isHidden());
    Select(0, 0);
    EXPECT_EQ(inUse->text(), "Linked: COM3, 115200");
    EXPECT_TRUE(dlg->geometry().contains(inUse->geometry().translated(dlg->pos())));
}

TEST_F(MainWindow, OnlyMinusOneIsAFailedOpen)
{
    for (int32_t handle : {0, -2}) {
        Fake().initResults = {handle};
        Press(mainDlg::IDC_BTN_OPEN);
        EXPECT_EQ(g_readerLink->handle, handle);
        Press(mainDlg::IDC_BTN_OPEN);
    }
    EXPECT_EQ(dlg->LogText().count("Reader link ok"), 2);
}

TEST_F(MainWindow, GuardLogsOnlyWhileClosed)
{
    const PageContext page{*g_readerLink, *g_mainDlg};
    EXPECT_FALSE(page.EnsurePortOpen());
    EXPECT_EQ(dlg->LogText(), "Port is not open\r\n");
    Press(mainDlg::IDC_BTN_OPEN);
    dlg->ClearLog();
    EXPECT_TRUE(page.EnsurePortOpen());
    EXPECT_EQ(dlg->LogText(), "");
}

// An open link is left to the process, not closed; the names go with the
// window, and the next one starts closed.
TEST_F(MainWindow, TheLinkAndTheNamesLiveAsLongAsTheWindow)
{
    Press(mainDlg::IDC_BTN_OPEN);
    dlg.reset();
    EXPECT_EQ(Fake().Ops(), (std::vector<std::string>{"lc_init"}));
    EXPECT_EQ(g_readerLink, nullptr);
    EXPECT_EQ(g_mainDlg, nullptr);
    EXPECT_EQ(g_cardSizeDetail, nullptr);

    dlg = std::make_unique<CTavelinDlg>();
    dlg->show();
    EXPECT_EQ(g_mainDlg, dlg.get());
    EXPECT_EQ(g_readerLink->handle, -1);
    EXPECT_EQ(dlg->ItemText(mainDlg::IDC_BTN_OPEN), "Open");
}

TEST_F(MainWindow, ClearEmptiesTheBoxAndStartsAfresh)
{
    dlg->AppendLog("one", 1);
    dlg->AppendLog("two", 1);
    Press(mainDlg::IDC_BTN_CLEAR_MSG);
    EXPECT_EQ(LogBox(), "");
    EXPECT_EQ(dlg->LogText(), "");
    dlg->AppendLog("three", 1);
    EXPECT_EQ(LogBox(), "three\n");
}

TEST_F(MainWindow, LogKeepsEveryLineAndShowsItsEndUnselected)
{
    for (int i = 0; i < 2000; ++i)
        dlg->AppendLog(QString::number(i), 1);
    const QString box = LogBox();
    EXPECT_EQ(box.count('\n'), 2000);
    EXPECT_TRUE(box.startsWith("0\n1\n"));
    EXPECT_TRUE(box.endsWith("1998\n1999\n"));

    auto* log = &dlg->Control<QPlainTextEdit>(mainDlg::IDC_EDIT_MSG);
    EXPECT_FALSE(log->textCursor().hasSelection());
    EXPECT_EQ(log->textCursor().position(), log->document()->characterCount() - 1);
}

TEST_F(MainWindow, TypingIntoTheLogIsReplacedByTheNextAppend)
{
    dlg->AppendLog("first", 1);
    auto* log = &dlg->Control<QPlainTextEdit>(mainDlg::IDC_EDIT_MSG);
    log->setFocus();
    log->insertPlainText("typed by the user");
    dlg->AppendLog("second", 1);
    EXPECT_EQ(LogBox(), "first\nsecond\n");
    dlg->AppendLog("third", 0);
    EXPECT_EQ(LogBox(), "first\nsecond\nthird");
}

// Runs `action`, which is expected to open a modal window, and returns the
// objectName (or `name`) of the modal window seen (closing it), or "" if none opened.
QString ModalOpenedBy(const std::function<void()>& action, QString (QWidget::*name)() const = &QWidget::objectName)
{
    QString seen;
    QTimer::singleShot(0, [&seen, name] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            seen = (modal->*name)();
            modal->close();
        }
    });
    action();
    QApplication::processEvents();
    return seen;
}

TEST_F(MainWindow, AboutCommandIgnoresTheLowFourBits)
{
    for (unsigned command : {0x0010u, 0x0011u, 0x001Fu})
        EXPECT_EQ(ModalOpenedBy([&] { dlg->OnSysCommand(command); }), QString::number(IDD_ABOUTBOX::IDD)) << command;
    EXPECT_EQ(ModalOpenedBy([&] { dlg->OnSysCommand(0x0020); }), "");
    EXPECT_TRUE(dlg->isVisible());
}

// Each command's key opens it wherever the focus is, in the log box and in
// a text box too, which take other keys for themselves.
TEST_F(MainWindow, KeysOpenTheCommands)
{
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);  // a native one is no widget to close
    const std::pair<QKeySequence, QString> cases[] = {
        {QKeySequence::Save, "Save Special Setting as"},
        {QKeySequence::Open, "Load Special Setting"},
#ifndef _WIN32  // Windows' system menu carries About without a key
        {QKeySequence::HelpContents, "关于 Tavelin"},
#endif
        {Qt::Key_F3, "Card Check"},
    };
    for (QWidget* focus :
         {&dlg->Control(mainDlg::IDC_EDIT_MSG), &dlg->SimplePage().Control(commPage::IDC_EDIT_PASSWORD)}) {
        for (const auto& [key, opens] : cases) {
            SCOPED_TRACE((focus->objectName() + " " + key.toString()).toStdString());
            dlg->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
            focus->setFocus();
            QString seen = ModalOpenedBy([focus, key] { QTest::keySequence(focus, key); }, &QWidget::windowTitle);
            if (dlg->CardCheck() && dlg->CardCheck()->isVisible()) {
                seen = dlg->CardCheck()->windowTitle();
                dlg->CardCheck()->close();
            }
            EXPECT_EQ(seen, opens);
        }
    }
    EXPECT_TRUE(dlg->isVisible());
}

#ifndef _WIN32  // Windows lists the commands on the system menu
// A right-click on the log, or its menu key, shows the log's own menu with
// the window's commands under it.
TEST_F(MainWindow, TheLogsMenuHasTheCommandsUnderItsOwn)
{
    auto& log = dlg->Control<QPlainTextEdit>(mainDlg::IDC_EDIT_MSG);
    const QPoint at(5, 5);
    for (auto [reason, receiver] : {std::pair{QContextMenuEvent::Mouse, log.viewport()},
                                    std::pair{QContextMenuEvent::Keyboard, static_cast<QWidget*>(&log)}}) {
        SCOPED_TRACE(reason);
        QContextMenuEvent request(reason, at, receiver->mapToGlobal(at));
        QApplication::sendEvent(receiver, &request);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_TRUE(menu);
        QList<QAction*> items;
        for (QAction* item : menu->actions())
            if (!item->isSeparator())
                items << item;
        const auto starts = [&items](const char* text) {
            return std::find_if(items.begin(), items.end(), [text](QAction* a) { return a->text().startsWith(text); }) -
                   items.begin();
        };
        EXPECT_LT(starts("&Copy"), starts("Select All"));
        ASSERT_LT(starts("Select All"), items.size());
        EXPECT_EQ(items.mid(starts("Select All") + 1), dlg->actions());
        menu->close();
    }
}
#endif

TEST_F(MainWindow, EnterClosesUnlessAButtonHasTheFocus)
{
    Press(mainDlg::IDC_BTN_OPEN);
    ASSERT_EQ(dlg->ItemText(mainDlg::IDC_BTN_OPEN), "Close");
    dlg->Control(mainDlg::IDC_BTN_OPEN).setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&dlg->Control(mainDlg::IDC_BTN_OPEN), &enter);
    EXPECT_EQ(dlg->ItemText(mainDlg::IDC_BTN_OPEN), "Open");  // the button was pressed
    EXPECT_TRUE(dlg->isVisible());

    QApplication::sendEvent(&dlg->Control(mainDlg::IDC_EDIT_MSG), &enter);
    EXPECT_FALSE(dlg->isVisible());
}

// The control with the keyboard focus, by its ID; "tabs" for the sheet's tabs.
QString Focused()
{
    QWidget* w = QApplication::focusWidget();
    return qobject_cast<QTabBar*>(w) ? QStringLiteral("tabs") : w ? w->objectName() : QString();
}

TEST_F(MainWindow, OpensOnThePortAndTabWalksTheRowThenThePageThenBack)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    const auto name = [](int id) { return QString::number(id); };
    EXPECT_EQ(Focused(), name(mainDlg::IDC_COMBO_PORT));

    using namespace IDD_PAGE_COMM;
    const QStringList walk = {name(mainDlg::IDC_COMBO_BAUD),
                              name(mainDlg::IDC_BTN_OPEN),
                              name(mainDlg::IDC_EDIT_MSG),
                              name(mainDlg::IDC_BTN_CLEAR_MSG),
                              "tabs",
                              name(IDC_BTN_8HEX_FORWARD),
                              name(IDC_BTN_8HEX_REVERSE),
                              name(IDC_BTN_10DEC_FORWARD),
                              name(IDC_BTN_10DEC_REVERSE),
                              name(IDC_BTN_14HEX_FORWARD),
                              name(IDC_BTN_14HEX_REVERSE),
                              name(IDC_BTN_GETVER),
                              name(IDC_EDIT_VERSION),
                              name(mainDlg::IDC_COMBO_PORT)};
    QStringList walked;
    for (qsizetype step = 0; step < walk.size(); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << Focused();
    }
    EXPECT_EQ(walked, walk);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // on the port combo, as at start
    EXPECT_FALSE(dlg->isVisible());
}

TEST_F(MainWindow, EscapeCloses)
{
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(dlg.get(), &esc);
    EXPECT_FALSE(dlg->isVisible());
}

}  // namespace
