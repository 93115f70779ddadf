// Renders the program's windows to PNG files in the folder given as the
// first argument, with the fonts the program uses on this machine: the texts
// as they stand, or in the language given second ("en", "zh_CN"), whose name
// then starts each file's.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QPainter>
#include <QStyleOptionTitleBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include "app/AboutDlg.h"
#include "app/CardCheckDlg.h"
#include "app/Language.h"
#include "app/TavelinDlg.h"
#include "pages/common/ReaderPause.h"
#include "pages/special/DlgCardSizeDetail1.h"
#include "resource.h"
#include "tests/fakes/fake_t2.h"

namespace {

namespace mainDlg = IDD_TAVELIN_DIALOG;
namespace commPage = IDD_PAGE_COMM;
namespace detailDlg = IDD_DLG_CARDSIZE_DETAIL1;
namespace checkDlg = IDD_CARDCHECK;

QString g_prefix;  // the language's name and a dash, when one is given

void Save(QWidget& w, const QDir& dir, const QString& name)
{
    w.grab().save(dir.filePath(g_prefix + name));
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

// The link row with the list `id` dropped down: the list is a window of its
// own, painted over the main window where it opens.
void SaveListOpen(CTavelinDlg& main, int id, const QDir& dir, const QString& name)
{
    auto* list = &main.Control<QComboBox>(id);
    list->setCurrentIndex(list->count() - 1);
    list->showPopup();
    QApplication::processEvents();
    QWidget* popup = list->view()->window();
    const QRect popupRect(main.mapFromGlobal(popup->mapToGlobal(QPoint(0, 0))), popup->size());
    const QRect row =
        main.Control(mainDlg::IDC_STATIC_PORT).geometry().united(main.Control(mainDlg::IDC_BTN_OPEN).geometry());
    const QRect area = row.united(popupRect).adjusted(-8, -8, 8, 8);
    QPixmap canvas(area.size());
    canvas.fill(main.palette().window().color());
    QPainter painter(&canvas);
    painter.drawPixmap(-area.topLeft(), main.grab());
    painter.drawPixmap(popupRect.topLeft() - area.topLeft(), popup->grab());
    painter.end();
    canvas.save(dir.filePath(g_prefix + name));
    list->hidePopup();
    list->setCurrentIndex(0);
}

// The "Set ok" box with a title bar drawn by the style, as a window manager
// would frame it: offscreen windows have none.
void SaveSetOkBox(CDlgCardSizeDetail1& detail, const QDir& dir, const QString& name)
{
    QTimer::singleShot(0, &detail, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        QStyleOptionTitleBar bar;
        bar.initFrom(box);
        bar.text = box->windowTitle();
        bar.icon = detail.parentWidget()->window()->windowIcon();
        bar.titleBarFlags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        bar.subControls = QStyle::SC_All;
        bar.state |= QStyle::State_Active;
        bar.titleBarState = Qt::WindowActive;
        const int height = box->style()->pixelMetric(QStyle::PM_TitleBarHeight, &bar, box);
        bar.rect = QRect(0, 0, box->width(), height);
        QPixmap canvas(box->width(), height + box->height());
        QPainter painter(&canvas);
        painter.setFont(QApplication::font("QMdiSubWindowTitleBar"));
        box->style()->drawComplexControl(QStyle::CC_TitleBar, &bar, &painter, box);
        painter.drawPixmap(0, height, box->grab());
        painter.end();
        canvas.save(dir.filePath(g_prefix + name));
        box->accept();
    });
    detail.Control<QAbstractButton>(detailDlg::IDOK).click();
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QDir dir(argc > 1 ? argv[1] : ".");
    if (argc > 2) {
        UseLanguage(QString::fromLatin1(argv[2]));
        g_prefix = QString::fromLatin1(argv[2]) + '-';
    }

    CTavelinDlg main;
    main.show();
    // Linked to the recording library, a preset set and the version read.
    Fake().versionText = "TR-200 V2.14";
    SetWaitHook([](int) {});
    main.Control<QPushButton>(mainDlg::IDC_BTN_OPEN).click();
    main.SimplePage().Control<QPushButton>(CPage_comm::PresetButton(0)).click();
    main.SimplePage().Control<QPushButton>(commPage::IDC_BTN_GETVER).click();
    QApplication::processEvents();
    Save(main, dir, QStringLiteral("main-simple.png"));
    main.Sheet()->setCurrentIndex(1);
    QApplication::processEvents();
    Save(main, dir, QStringLiteral("main-special.png"));
    SaveListOpen(main, mainDlg::IDC_COMBO_BAUD, dir, QStringLiteral("baud-list.png"));

    CDlgCardSizeDetail1 detail(&main);
    SaveModal(detail, dir, QStringLiteral("detail.png"), [&] {
        detail.Control<QAbstractButton>(detailDlg::IDC_RADIO_FRONT).click();
        detail.SetItemText(detailDlg::IDC_EDIT_FRONT, QStringLiteral("4"));
    });
    CDlgCardSizeDetail1 confirming(&main);
    int32_t size = 0;
    confirming.m_target = &size;
    QTimer::singleShot(0, &confirming, [&] { SaveSetOkBox(confirming, dir, QStringLiteral("set-ok.png")); });
    confirming.DoModal();

    CAboutDlg about;
    SaveModal(about, dir, QStringLiteral("about.png"));

    main.OnSysCommand(IDM_CARDCHECK);
    CCardCheckDlg& check = *main.CardCheck();
    check.SetSelectedIndex(checkDlg::IDC_COMBO_PRESET, 2);
    check.SetItemText(checkDlg::IDC_EDIT_TYPED, QStringLiteral("0008592248"));
    check.SetItemText(checkDlg::IDC_EDIT_PRINTED, QStringLiteral("08592248"));
    QApplication::processEvents();
    Save(check, dir, QStringLiteral("card-check.png"));
    return 0;
}
