// The Card Check window: opened from the menu that carries About, worked
// examples of the card-output rules, and bad input answered in the window.
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QRawFont>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/CardCheckDlg.h"
#include "app/TavelinDlg.h"
#include "pages/common/ReaderPause.h"
#include "resource.h"
#include "tests/fakes/fake_t2.h"
#include "tests/support/qt_print.h"

namespace {

using namespace IDD_CARDCHECK;

TEST(CardCheck, OpensFromTheMenuBesideAboutAndCallsNoReader)
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

    check->SetItemText(IDC_EDIT_UID, "00831B78");
    check->SetItemText(IDC_EDIT_PRINTED, "0008592248");
    EXPECT_EQ(dlg->LogText(), "");
    EXPECT_TRUE(Fake().calls.empty());
    dlg.reset();
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

// After a Set, Card Check starts on the setting the reader took, and judges
// what the reader types for the UID given as it comes.
TEST(CardCheck, JudgesWhatTheReaderTypesAgainstTheSettingJustSent)
{
    Fake().Reset();
    SetWaitHook([](int) {});
    auto dlg = std::make_unique<CTavelinDlg>();
    dlg->show();
    dlg->Control<QPushButton>(IDD_TAVELIN_DIALOG::IDC_BTN_OPEN).click();
    dlg->SimplePage().Control<QPushButton>(IDD_PAGE_COMM::IDC_BTN_10DEC_FORWARD).click();
    ASSERT_TRUE(dlg->LogText().endsWith("Set ok\r\n")) << dlg->LogText().toStdString();
    dlg->OnSysCommand(IDM_CARDCHECK);
    CCardCheckDlg& check = *dlg->CardCheck();
    EXPECT_EQ(check.ItemText(IDC_COMBO_PRESET), "The setting just sent: Simple Setting: \"10-out-dec-forward\"");

    const struct {
        const char *uid, *typed, *note;
    } cases[] = {
        {"", "", "Type the card's UID, then click into the box"},
        {"00831B78", "", "Now present the card: the reader should type 0008592248."},
        {"00831B78", "0008592248", "As expected: the reader typed 0008592248."},
        {"00831B78", "0008592249", "Not what this setting types: expected 0008592248, got 0008592249."},
    };
    for (const auto& c : cases) {
        check.SetItemText(IDC_EDIT_UID, c.uid);
        check.SetItemText(IDC_EDIT_TYPED, c.typed);
        EXPECT_TRUE(check.ItemText(IDC_STATIC_NOTE).startsWith(c.note)) << check.ItemText(IDC_STATIC_NOTE).toStdString();
        EXPECT_EQ(check.ItemText(IDC_EDIT_UID), c.uid);  // the typed text is judged, not read back into a UID
    }

    // A later Set while it is open takes the first place.
    dlg->SimplePage().Control<QPushButton>(IDD_PAGE_COMM::IDC_BTN_8HEX_FORWARD).click();
    EXPECT_EQ(check.ItemText(IDC_COMBO_PRESET), "The setting just sent: Simple Setting: \"8-out-hex-forward\"");
    EXPECT_EQ(check.Control<QComboBox>(IDC_COMBO_PRESET).count(), 7);
    SetWaitHook(nullptr);
}

// What the rules find (tests/dataout/test_card_check.cpp), in the window's
// words: the note above the rows, the rows marked, the verdict below them.
TEST(CardCheck, SaysWhatTheRulesFindInThePagesWords)
{
    CCardCheckDlg check;
    check.show();
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
         "Given by: Simple Setting: \"10-out-dec-forward\". "
         "Also given by: Special Setting: All · Decimal · Forward · Static 10 Chars · WithOut."},
        {"00831B78", "", 0, "08592248", "",
         {"08592248 Special Setting: Self-Define, Detail 后 3 · Decimal · Forward · Static 8 Chars · WithOut"},
         "Given by: Special Setting: Self-Define, Detail 后 3 · Decimal · Forward · Static 8 Chars · WithOut. "
         "Also given by: Special Setting: All · Decimal · Forward · Static 8 Chars · WithOut."},
        {"00831B78", "", 0, "2015068928<Enter>", "", {}, "Given by: Special Setting: All · Decimal · Reverse · Default · With."},
        {"00831B78", "", 0, "086,13432", "", {}, "No preset or Special choice listed gives 086,13432."},
        {"00831B78", "", 0, "", "", {}, "Type the number printed on the card to see which settings give it."},
        {"", "3456789012", 2, "3456789012", "Worked out from \"3456789012\" after \"10-out-dec-forward\": the UID's first 4 bytes "
         "(a longer UID's other bytes are not in that text).",
         {"3456789012 Simple Setting: \"10-out-dec-forward\"",
          "3456789012 Special Setting: All · Decimal · Forward · Default · WithOut"},
         "Given by: Simple Setting: \"10-out-dec-forward\"; Special Setting: All · Decimal · Forward · Default · WithOut."},
        {"", "831B78", 0, "",
         "Worked out from \"831B78\" after \"8-out-hex-forward\": the UID's first 4 bytes (a longer UID's other "
         "bytes are not in that text). The preset types 8 characters: the leading zeros left off count as zeros.", {},
         "Type the number"},
        {"", "00000000831B78", 4, "515857645568",
         "Worked out from \"00000000831B78\" after \"14-out-hex-forward\": a UID of 5 bytes, the one that gives the "
         "printed number. The text fits too: a UID of 4 bytes, 00 83 1B 78; a UID of 6 bytes, 00 00 00 83 1B 78.",
         {"515857645568 Special Setting: All · Decimal · Reverse · Default · WithOut"}, "Given by: Special Setting: All"},
        {"", "9999999999", 2, "", "No UID gives \"9999999999\" after \"10-out-dec-forward\": a number larger than 4 bytes hold.",
         {}, ""},
        {"00831B7", "", 0, "0008592248", "Not a card's UID: an odd number of hex digits (7): two make a byte.", {}, ""},
        {"", "", 0, "1", "Type the card's UID in hex, or what the reader types and the preset it was set to.", {}, ""},
    };
    for (const auto& c : cases) {
        check.SetItemText(IDC_EDIT_UID, c.uid);
        check.SetItemText(IDC_EDIT_PRINTED, c.printed);
        check.SetSelectedIndex(IDC_COMBO_PRESET, c.preset);
        check.SetItemText(IDC_EDIT_TYPED, c.typed);
        const QString rows = check.ItemText(IDC_EDIT_OUTPUTS);
        const std::string where = QStringLiteral("%1/%2/%3").arg(c.uid, c.typed, c.printed).toStdString();
        EXPECT_EQ(check.ItemText(IDC_STATIC_NOTE), QString(c.note)) << where;
        EXPECT_EQ(rows.isEmpty(), QString(c.verdict).isEmpty()) << where;  // a card has rows and a verdict
        EXPECT_EQ(check.ItemText(IDC_STATIC_VERDICT).left(QString(c.verdict).size()), c.verdict) << where;
        EXPECT_EQ(check.Control(IDC_BTN_SAVE_SETTING).isEnabled(), QString(c.verdict).startsWith("Given")) << where;
        QStringList marked;
        for (const QString& row : rows.split('\n'))
            if (row.startsWith(QLatin1String(CCardCheckDlg::kMark)))
                marked << row.mid(2).simplified();
        EXPECT_EQ(marked, c.marked) << where << "\n" << rows.toStdString();
    }
    // Both sources: a preset's text fills in the UID box, which a typed UID then overrides.
    check.SetSelectedIndex(IDC_COMBO_PRESET, 2);
    check.SetItemText(IDC_EDIT_TYPED, "3456789012");
    EXPECT_EQ(check.ItemText(IDC_EDIT_UID), "CE 0A 6A 14");
    check.SetItemText(IDC_EDIT_UID, "00831B78");
    EXPECT_EQ(check.ItemText(IDC_EDIT_TYPED), "");
}

// Card Check saves a bare name as ".ini", as the window's Save does; the
// file dialogs start in the user's documents, then where the last file went,
// in a later run too.
// The mark is drawn by the window's own face and by the Chinese one it falls
// back to, not shown as a box.
TEST(CardCheck, MarkIsDrawnByEveryFaceTheWindowTakes)
{
    CCardCheckDlg check;
    const QFont list = check.Control(IDC_EDIT_OUTPUTS).font();
    for (const QFont& font : {list, QFont(QStringLiteral("WenQuanYi Micro Hei"), list.pointSize())}) {
        if (!QFontDatabase::hasFamily(font.family()))
            continue;  // a system without the Chinese face
        const QRawFont face = QRawFont::fromFont(font);  // the face itself, not those Qt falls back to
        for (const QChar c : QString::fromLatin1(CCardCheckDlg::kMark))
            EXPECT_TRUE(face.supportsCharacter(c)) << face.familyName().toStdString() << " lacks U+" << int(c.unicode());
    }
}

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
