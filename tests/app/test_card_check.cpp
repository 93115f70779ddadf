// The Card Check window: opened from the menu that carries About, worked
// examples of the card-output rules, and bad input answered in the window.
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/CardCheckDlg.h"
#include "app/TavelinDlg.h"
#include "resource.h"
#include "tests/fakes/fake_t2.h"
#include "tests/support/qt_print.h"

namespace {

using namespace IDD_CARDCHECK;

TEST(CardCheck, ListsEveryOutputMarksThePrintedNumberAndAnswersBadInput)
{
    Fake().Reset();
    auto dlg = std::make_unique<CTavelinDlg>();
    dlg->show();

    // The context menu's last item, after About, opens the window beside the
    // main one; each item shows its key.
    QStringList items;
    QTimer::singleShot(0, [&items] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_TRUE(menu);
        for (QAction* action : menu->actions())
            items << action->text() + '\t' + action->shortcut().toString();
        menu->actions().last()->trigger();
        menu->close();
    });
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(20, 20), dlg->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(dlg.get(), &click);
    QApplication::processEvents();
#ifdef _WIN32
    const QString about = "关于 Tavelin(&A)...\t";
#else
    const QString about = "关于 Tavelin(&A)...\tF1";
#endif
    EXPECT_EQ(items, QStringList({"Save Special Setting as...\tCtrl+S", "Load Special Setting...\tCtrl+O", about,
                                  "Card Check(&K)...\tF3"}));
    CCardCheckDlg* check = dlg->CardCheck();
    ASSERT_TRUE(check);
    EXPECT_TRUE(check->isVisible());
    EXPECT_FALSE(check->isModal());
    EXPECT_EQ(check->objectName(), QString::number(IDD));
    EXPECT_EQ(check->windowTitle(), "Card Check");

    // UID, or the reader's text after a preset; the printed number; what the
    // window says above the rows, the rows marked, and the line below them.
    const struct {
        const char* uid;
        const char* typed;
        int preset;
        const char* printed;
        const char* note;
        QStringList marked;
        const char* verdict;
    } cases[] = {
        {"00831B78", "", 0, "0008592248", "", {"0008592248 Simple Setting: \"10-out-dec-forward\""},
         "Given by: Simple Setting: \"10-out-dec-forward\"."},
        {"00 83 1b 78", "", 0, "131, 07032", "", {"131,07032 Special Setting: All · Wiegand · Forward · Default · WithOut"},
         "Given by: Special Setting: All · Wiegand · Forward · Default · WithOut."},
        {"00831B78", "", 0, "08592248", "",
         {"08592248 Special Setting: Self-Define, Detail 后 3 · Decimal · Forward · Static 8 Chars · WithOut"},
         "Given by: Special Setting: Self-Define, Detail 后 3 · Decimal · Forward · Static 8 Chars · WithOut."},
        {"04A2246A1F3B80", "", 0, "803b1f6a24a204", "", {"803B1F6A24A204 Simple Setting: \"14-out-hex-reverse\"",
          "803B1F6A24A204 Special Setting: All · Hexadecimal · Reverse · Default · WithOut"},
         "Given by: Simple Setting: \"14-out-hex-reverse\"; Special Setting: All · Hexadecimal · Reverse"},
        {"00831B78", "", 0, "086,13432", "", {}, "No preset or Special choice listed gives 086,13432."},
        {"00831B78", "", 0, "", "", {}, "Type the number printed on the card to see which settings give it."},
        // Worked back from a preset's text: that preset's row gives the text again.
        {"", "3456789012", 2, "3456789012", "Worked out from \"3456789012\" after \"10-out-dec-forward\": the UID's first 4 bytes "
         "(a longer UID's other bytes are not in that text).",
         {"3456789012 Simple Setting: \"10-out-dec-forward\"",
          "3456789012 Special Setting: All · Decimal · Forward · Default · WithOut"},
         "Given by: Simple Setting: \"10-out-dec-forward\"; Special Setting: All · Decimal · Forward · Default"},
        {"", "831B78", 0, "",
         "Worked out from \"831B78\" after \"8-out-hex-forward\": the UID's first 4 bytes (a longer UID's other "
         "bytes are not in that text). The preset types 8 characters: the leading zeros left off count as zeros.", {},
         "Type the number"},
        // A 4-byte card under the 14-character presets; a longer UID the text allows, when only it gives the number.
        {"", "00000000831B78", 4, "131,07032",
         "Worked out from \"00000000831B78\" after \"14-out-hex-forward\": a UID of 4 bytes. "
         "The text fits too: a UID of 5 bytes, 00 00 83 1B 78; a UID of 6 bytes, 00 00 00 83 1B 78.",
         {"131,07032 Special Setting: All · Wiegand · Forward · Default · WithOut"}, "Given by: Special Setting: All"},
        {"", "000000781B8300", 5, "131,07032",
         "Worked out from \"000000781B8300\" after \"14-out-hex-reverse\": a UID of 4 bytes. "
         "The text fits too: a UID of 5 bytes, 00 83 1B 78 00; a UID of 6 bytes, 00 83 1B 78 00 00.",
         {"131,07032 Special Setting: All · Wiegand · Forward · Default · WithOut"}, "Given by: Special Setting: All"},
        {"", "00000000831B78", 4, "515857645568",
         "Worked out from \"00000000831B78\" after \"14-out-hex-forward\": a UID of 5 bytes, the one that gives the "
         "printed number. The text fits too: a UID of 4 bytes, 00 83 1B 78; a UID of 6 bytes, 00 00 00 83 1B 78.",
         {"515857645568 Special Setting: All · Decimal · Reverse · Default · WithOut"}, "Given by: Special Setting: All"},
        {"", "9999999999", 2, "", "No UID gives \"9999999999\" after \"10-out-dec-forward\": a number larger than 4 bytes hold.",
         {}, ""},
        {"", "00831B780", 0, "",
         "No UID gives \"00831B780\" after \"8-out-hex-forward\": this preset types 8 characters, not 9.", {}, ""},
        {"", "00831B78", 2, "", "No UID gives \"00831B78\" after \"10-out-dec-forward\": \"B\" is not a decimal digit.", {},
         ""},
        // Bad UIDs: said in the window, no rows.
        {"00831B7", "", 0, "0008592248", "Not a card's UID: an odd number of hex digits (7): two make a byte.", {}, ""},
        {"00831BXX", "", 0, "", "Not a card's UID: \"X\" is not a hex digit.", {}, ""},
        {"00112233445566778899AA", "", 0, "", "Not a card's UID: 11 bytes, not 4 to 10.", {}, ""},
        {"001122", "", 0, "", "Not a card's UID: 3 bytes, not 4 to 10.", {}, ""},
        {"", "", 0, "1", "Type the card's UID in hex, or what the reader types and the preset it was set to.", {}, ""},
    };
    for (const auto& c : cases) {
        check->SetItemText(IDC_EDIT_UID, c.uid);
        check->SetItemText(IDC_EDIT_PRINTED, c.printed);
        check->SetSelectedIndex(IDC_COMBO_PRESET, c.preset);
        check->SetItemText(IDC_EDIT_TYPED, c.typed);
        const QString rows = check->ItemText(IDC_EDIT_OUTPUTS);
        const std::string where = QStringLiteral("%1/%2/%3").arg(c.uid, c.typed, c.printed).toStdString();
        EXPECT_EQ(check->ItemText(IDC_STATIC_NOTE), QString(c.note)) << where;
        EXPECT_EQ(rows.isEmpty(), QString(c.verdict).isEmpty()) << where;  // a card has rows and a verdict
        EXPECT_EQ(check->ItemText(IDC_STATIC_VERDICT).left(QString(c.verdict).size()), c.verdict) << where;
        QStringList marked;
        for (const QString& row : rows.split('\n'))
            if (row.startsWith("► "))
                marked << row.mid(2).simplified();
        EXPECT_EQ(marked, c.marked) << where << "\n" << rows.toStdString();
    }
    // Both sources: a preset's text fills in the UID box, which a typed UID then overrides.
    check->SetSelectedIndex(IDC_COMBO_PRESET, 2);
    check->SetItemText(IDC_EDIT_TYPED, "3456789012");
    EXPECT_EQ(check->ItemText(IDC_EDIT_UID), "CE 0A 6A 14");
    check->SetItemText(IDC_EDIT_UID, "00831B78");
    EXPECT_EQ(check->ItemText(IDC_EDIT_TYPED), "");

    EXPECT_EQ(dlg->LogText(), "");
    EXPECT_TRUE(Fake().calls.empty());
    dlg.reset();
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

// Settings no row lists: the best few, after the rows marked, fewest choices first.
TEST(CardCheck, ShowsTheBestFewOfEverySettingThatGivesTheNumber)
{
    CCardCheckDlg check;
    check.show();
    const struct {
        const char* uid;
        const char* printed;
        const char* verdict;
    } cases[] = {
        {"00831B78", "92248", "Given by: Special Setting: All · Decimal · Forward · Static 5 Chars · WithOut."},
        {"00831B78", "0008592248",
         "Given by: Simple Setting: \"10-out-dec-forward\". "
         "Also given by: Special Setting: All · Decimal · Forward · Static 10 Chars · WithOut."},
        {"00831B78", "2015068928<Enter>", "Given by: Special Setting: All · Decimal · Reverse · Default · With."},
    };
    for (const auto& c : cases) {
        check.SetItemText(IDC_EDIT_UID, c.uid);
        check.SetItemText(IDC_EDIT_PRINTED, c.printed);
        EXPECT_EQ(check.ItemText(IDC_STATIC_VERDICT), c.verdict) << c.printed;
        EXPECT_TRUE(check.Control(IDC_BTN_SAVE_SETTING).isEnabled()) << c.printed;
    }
    // Six settings give a 10-byte card's "6": five shown, and the one with most choices is not.
    check.SetItemText(IDC_EDIT_UID, "04A2246A1F3B8091C57E");
    check.SetItemText(IDC_EDIT_PRINTED, "6");
    const QString verdict = check.ItemText(IDC_STATIC_VERDICT);
    EXPECT_EQ(verdict.count("Special Setting:"), 5) << verdict.toStdString();
    EXPECT_FALSE(verdict.contains("Forward")) << verdict.toStdString();
}

// Card Check saves a bare name as ".ini", as the window's Save does; the
// file dialogs start in the user's documents, then where the last file went,
// in a later run too.
TEST(CardCheck, SaveAddsIniAndTheFileDialogsStartWhereTheLastFileWent)
{
    QTemporaryDir home, saved;
    const QByteArray realHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());  // with a documents folder
    // No earlier run's folder, nor another test's running beside this one.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path());
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    ASSERT_TRUE(QDir().mkpath(documents));
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);  // Windows' own is no widget
    QStringList started;
    const auto answer = [&](const char* name) {
        QTimer::singleShot(0, [&, name] {
            auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(files);
            started << QDir(files->directory()).absolutePath();
            if (!name)
                return files->reject();
            files->selectFile(saved.filePath(name));
            static_cast<QDialog*>(files)->accept();  // as its button does
        });
    };

    for (int run = 0; run < 2; ++run) {
        CTavelinDlg dlg;
        dlg.show();
        dlg.OnSysCommand(IDM_CARDCHECK);
        CCardCheckDlg& check = *dlg.CardCheck();
        check.SetItemText(IDC_EDIT_UID, "00831B78");
        check.SetItemText(IDC_EDIT_PRINTED, "0008592248");
        ASSERT_TRUE(check.Control(IDC_BTN_SAVE_SETTING).isEnabled());
        const char* name = run == 0 ? "first" : "second";
        answer(name);
        check.Control<QPushButton>(IDC_BTN_SAVE_SETTING).click();
        EXPECT_TRUE(QFileInfo::exists(saved.filePath(name + QStringLiteral(".ini")))) << name;
        answer(nullptr);
        dlg.OnSysCommand(IDM_LOADSETTING);
    }
    EXPECT_EQ(started, QStringList({documents, saved.path(), saved.path(), saved.path()}));
    EXPECT_FALSE(QFileInfo::exists(saved.filePath("first")));
    qputenv("HOME", realHome);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

}  // namespace
