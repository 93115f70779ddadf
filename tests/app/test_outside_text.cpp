// Text the program did not write, a setting file's line and name, a
// reader's version, a library's reason, what is typed into Card Check,
// shows as itself wherever the window shows it: never a picture or a link.
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextDocument>
#include <gtest/gtest.h>

#include <fstream>

#include "app/AboutDlg.h"
#include "app/CardCheckDlg.h"
#include "pages/special/DlgCardSizeDetail1.h"
#include "tests/pages/PagesFixture.h"
#include "tests/support/qt_print.h"

namespace {

namespace cardCheck = IDD_CARDCHECK;
namespace commPage = IDD_PAGE_COMM;

// As rich text, a link that opens a browser and pictures read from disk.
const QString kPicture = QStringLiteral("<img src=/some/picture.png width=500 height=200>");
const QString kLine = QStringLiteral("base = <a href=\"https://example.invalid/update\">%1</a>").arg(kPicture);
#ifdef _WIN32
// Windows takes no < or > in a file's name: entities, which rich text reads too.
const QString kName = QStringLiteral("&lt;img src=named.png&gt;.ini");
#else
const QString kName = QStringLiteral("<img src=named.png>.ini");
#endif

// What one road put on the screen: its text, and whether as plain text.
struct Shown {
    QString text;
    bool plain = false;
};

// What the message box that `act` opens says.
Shown BoxAfter(const std::function<void()>& act)
{
    Shown shown;
    WhenModal<QMessageBox>([&shown](QMessageBox& box) {
        shown = {box.text(), box.textFormat() == Qt::PlainText};
        box.accept();
    });
    act();
    return shown;
}

Shown LabelText(const QLabel& label)
{
    return {label.text(), label.textFormat() == Qt::PlainText};
}

// A tip is rich text, which Qt wraps: shown as itself when it reads back as the text.
Shown TipText(const QString& tip)
{
    QTextDocument document;
    document.setHtml(tip);
    return {document.toPlainText().replace(u'\n', u' '), true};  // as one line: tips wrap
}

using OutsideText = PagesTest;

TEST_F(OutsideText, ShowsAsItselfOnEveryRoad)
{
    QTemporaryDir dir;
    const QString named = dir.filePath(kName), unwritable = dir.filePath(kName + "/line.ini");
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    dlg->OnSysCommand(IDM_CARDCHECK);
    CCardCheckDlg& check = *dlg->CardCheck();
    const struct {
        const char* road;
        std::function<Shown()> show;
        QStringList holds;  // what the text shows as it is
    } roads[] = {
        {"Load: the file's bad line",
         [&] {
             std::ofstream(named.toStdString()) << "format = 1\n" << kLine.toStdString() << "\n";
             return BoxAfter([&] { dlg->LoadSpecialSetting(named); });
         },
         {kName, kPicture}},
        {"Load: a preset's file",
         [&] {
             std::ofstream(named.toStdString()) << "format = 1\npreset = 8-out-hex-reverse\n";
             return BoxAfter([&] { dlg->LoadSpecialSetting(named); });
         },
         {kName}},
        {"Save: the path", [&] { return BoxAfter([&] { dlg->SaveSpecialSetting(unwritable); }); }, {kName}},
        {"Card Check's Save: the path",
         [&] {
             check.SetItemText(cardCheck::IDC_EDIT_UID, "00831B78");
             check.SetItemText(cardCheck::IDC_EDIT_PRINTED, "0008592248");
             Shown shown;
             WhenModal<QFileDialog>([&](QFileDialog& files) {
                 files.selectFile(unwritable);
                 WhenModal<QMessageBox>([&shown](QMessageBox& box) {
                     shown = {box.text(), box.textFormat() == Qt::PlainText};
                     box.accept();
                 });
                 static_cast<QDialog&>(files).accept();  // as its button does
             });
             check.Control<QPushButton>(cardCheck::IDC_BTN_SAVE_SETTING).click();
             return shown;
         },
         {kName}},
        {"Card Check: what the reader typed",
         [&] {
             check.SetItemText(cardCheck::IDC_EDIT_TYPED, kLine);
             return LabelText(check.Control<QLabel>(cardCheck::IDC_STATIC_NOTE));
         },
         {kLine}},
        {"Card Check: the printed number",
         [&] {
             check.SetItemText(cardCheck::IDC_EDIT_UID, "00831B78");
             check.SetItemText(cardCheck::IDC_EDIT_PRINTED, kLine);
             return LabelText(check.Control<QLabel>(cardCheck::IDC_STATIC_VERDICT));
         },
         {kLine}},
        {"the log's tip: the library's reason",
         [&] {
             dlg->AppendLog("failed", 1, kLine);
             return TipText(dlg->Control<QPlainTextEdit>(mainDlg::IDC_EDIT_MSG)
                                .document()->lastBlock().previous().begin().fragment().charFormat().toolTip());
         },
         {kLine}},
        {"the version box",
         [&] {
             Fake().versionText = kLine.toStdString();
             Click(dlg->SimplePage(), commPage::IDC_BTN_GETVER);
             return Shown{dlg->SimplePage().ItemText(commPage::IDC_EDIT_VERSION), true};
         },
         {kLine}},
    };
    for (const auto& r : roads) {
        const Shown shown = r.show();
        EXPECT_TRUE(shown.plain) << r.road << ": " << shown.text.toStdString();
        for (const QString& part : r.holds)
            EXPECT_TRUE(shown.text.contains(part)) << r.road << ": " << shown.text.toStdString();
    }

    // Every label of every window takes its text as plain text, whatever sets it.
    dlg->Sheet()->setCurrentIndex(1);  // the Special page is built when first shown
    CAboutDlg about;
    CDlgCardSizeDetail1 detail;
    for (QWidget* w : QApplication::allWidgets()) {
        if (auto* label = qobject_cast<QLabel*>(w)) {
            EXPECT_EQ(label->textFormat(), Qt::PlainText)
                << label->window()->metaObject()->className() << ": " << label->text().toStdString();
        }
    }
}

}  // namespace
