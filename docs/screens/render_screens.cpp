// Renders the program's windows to PNG files in the folder given as the
// first argument, with the fonts the program uses on this machine.
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include "AboutDlg.h"
#include "CardCheckDlg.h"
#include "TavelinDlg.h"
#include "special/DlgCardSizeDetail1.h"

namespace {

void Save(QWidget& w, const QDir& dir, const QString& name)
{
    w.grab().save(dir.filePath(name));
}

// Grabs the modal dialog `dialog` once it is up, then closes it.
void SaveModal(Dialog& dialog, const QDir& dir, const QString& name, const std::function<void()>& prepare = {})
{
    QTimer::singleShot(0, &dialog, [&] {
        if (prepare)
            prepare();
        Save(dialog, dir, name);
        dialog.reject();
    });
    dialog.DoModal();
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QDir dir(argc > 1 ? argv[1] : ".");

    CTavelinDlg main;
    main.show();
    main.AppendLog(QStringLiteral("Reader link ok"), 1);
    main.AppendLog(QStringLiteral("Set ok"), 1);
    main.AppendLog(QStringLiteral("Get version success"), 1);
    main.SimplePage().SetItemText(1063, QStringLiteral("TR-200 V2.14"));
    main.SetItemText(1029, QStringLiteral("Close"));
    QApplication::processEvents();
    Save(main, dir, QStringLiteral("main-simple.png"));
    main.Sheet()->setCurrentIndex(1);
    QApplication::processEvents();
    Save(main, dir, QStringLiteral("main-special.png"));

    CDlgCardSizeDetail1 detail(&main);
    SaveModal(detail, dir, QStringLiteral("detail.png"), [&] {
        qobject_cast<QAbstractButton*>(detail.Item(1042))->click();
        detail.SetItemText(1041, QStringLiteral("4"));
    });

    CAboutDlg about;
    SaveModal(about, dir, QStringLiteral("about.png"));

    main.OnSysCommand(IDM_CARDCHECK);
    CCardCheckDlg& check = *main.CardCheck();
    check.SetSelectedIndex(1066, 2);
    check.SetItemText(1065, QStringLiteral("0008592248"));
    check.SetItemText(1069, QStringLiteral("131,07032"));
    QApplication::processEvents();
    Save(check, dir, QStringLiteral("card-check.png"));
    return 0;
}
