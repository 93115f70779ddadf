#include "TavelinDlg.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextCharFormat>
#include <QTextCursor>

#include "AboutDlg.h"
#include "CardCheckDlg.h"
#include "last_error.h"
#include "resource.h"
#include "t2.h"

using namespace IDD_TAVELIN_DIALOG;

namespace {

constexpr int kUsbPort = 100;

bool IsEnter(const QKeyEvent* e)
{
    return e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
}

}  // namespace

CTavelinDlg::CTavelinDlg()
    : Dialog(IDD)
    , m_icon(QStringLiteral(":/res/icon128.xpm"))
{
    OnClicked(IDC_BTN_OPEN, [this] { OnOpenClose(); });
    OnClicked(IDC_BTN_CLEAR_MSG, [this] { ClearLog(); });
}

bool CTavelinDlg::OnInitDialog()
{
    m_aboutText = LoadString(IDS_ABOUTBOX);
    m_cardCheckText = LoadString(IDS_CARDCHECK);
    AddAboutAndCardCheck();
    setWindowIcon(m_icon);

    m_portCombo = qobject_cast<QComboBox*>(Item(IDC_COMBO_PORT));
    m_baudCombo = qobject_cast<QComboBox*>(Item(IDC_COMBO_BAUD));
    m_logBox = qobject_cast<QPlainTextEdit*>(Item(IDC_EDIT_MSG));
    SetItemText(IDC_STATIC_PORT, QStringLiteral("Port"));
    SetItemText(IDC_STATIC_BAUD, QStringLiteral("Baud"));
    SetItemText(IDC_BTN_OPEN, QStringLiteral("Open"));
    SetItemText(IDC_BTN_CLEAR_MSG, QStringLiteral("Clear MSG"));
    m_logBox->setAccessibleName(QStringLiteral("Message log"));
    SetSelectedIndex(IDC_COMBO_PORT, 0);
    SetSelectedIndex(IDC_COMBO_BAUD, 0);

    // The log keeps its own copy of the text; the box's undo history would
    // only double it.
    m_logBox->setUndoRedoEnabled(false);
    m_logBox->installEventFilter(this);
    connect(m_logBox, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_writingLog)
            m_logBoxEdited = true;
    });

    m_sheet = new QTabWidget(this);
    // The tabs take their English texts at once: measuring the templates'
    // Chinese captions first would load CJK glyphs, a large part of start-up.
    m_sheet->addTab(&m_pageComm, QString::fromLatin1(CPage_comm::kTitle));
    m_sheet->addTab(&m_pageSpecial, QString::fromLatin1(CPage_special::kTitle));
    m_sheet->move(5, 5);
    m_sheet->resize(m_sheet->minimumSizeHint());  // the larger page decides
    m_sheet->show();
    m_pageComm.Initialise();  // the Special page is built when its tab is first shown
    for (int tab = 0; tab < m_sheet->count(); ++tab)
        m_sheet->widget(tab)->setAccessibleName(m_sheet->tabText(tab));

    static ReaderLink link;  // lives as long as the process
    link = ReaderLink{};
    g_readerLink = &link;
    g_mainDlg = this;

    setWindowTitle(QStringLiteral("ID/IC Card Data-Out Setting Tool"));
    return true;
}

void CTavelinDlg::AppendLog(const QString& message, int newLine)
{
    AppendLog(message, newLine, QString());
}

void CTavelinDlg::AppendLog(const QString& message, int newLine, const QString& toolTip)
{
    const QString added = newLine ? message + QStringLiteral("\r\n") : message;
    m_logText += added;

    m_writingLog = true;
    if (m_logBoxEdited) {
        // Whatever was typed into the box gives way to the log itself.
        m_logBox->setPlainText(QString(m_logText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        m_logBoxEdited = false;
    } else {
        // Only the new text goes in, so an append costs the same at any log length.
        QTextCursor end(m_logBox->document());
        end.movePosition(QTextCursor::End);
        QTextCharFormat format;  // its own, not the format of the line before
        format.setToolTip(toolTip);
        end.insertText(QString(added).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), format);
    }
    m_writingLog = false;

    m_logBox->moveCursor(QTextCursor::End);
    m_logBox->ensureCursorVisible();
}

void CTavelinDlg::ClearLog()
{
    m_logText.clear();
    m_writingLog = true;
    m_logBox->clear();
    m_writingLog = false;
    m_logBoxEdited = false;
}

bool CTavelinDlg::OpenReaderLink()
{
    const int index = m_portCombo->currentIndex();
    const int port = index == 0 ? kUsbPort : index - 1;
    const int baud = m_baudCombo->currentIndex() == 0 ? 9600 : 115200;
    const int handle = lc_init(port, baud);
    if (handle == -1)
        return false;
    g_readerLink->handle = handle;
    g_readerLink->port = port;
    return true;
}

void CTavelinDlg::OnOpenClose()
{
    BusyCursor busy;
    if (g_readerLink->handle == -1) {
        if (!OpenReaderLink()) {
            // The line stays as it is; where the library says why, the reason goes beside it.
            const QString reason = QString::fromStdString(T2LastError());
            Item(IDC_BTN_OPEN)->setToolTip(reason);
            AppendLog(QStringLiteral("Reader link failed"), 1, reason);
            return;
        }
        Item(IDC_BTN_OPEN)->setToolTip(QString());
        AppendLog(QStringLiteral("Reader link ok"), 1);
        SetItemText(IDC_BTN_OPEN, QStringLiteral("Close"));
    } else {
        lc_exit(g_readerLink->handle);
        g_readerLink->handle = -1;
        AppendLog(QStringLiteral("Reader link released"), 1);
        SetItemText(IDC_BTN_OPEN, QStringLiteral("Open"));
    }
}

void CTavelinDlg::OnSysCommand(unsigned command)
{
    if ((command & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
    } else if ((command & 0xFFF0) == IDM_CARDCHECK) {
        if (!m_cardCheck)
            m_cardCheck = new CCardCheckDlg(this);
        m_cardCheck->show();
        m_cardCheck->raise();
        m_cardCheck->activateWindow();
    }
}

bool CTavelinDlg::eventFilter(QObject* watched, QEvent* event)
{
    // The log box does not take Enter for itself: it reaches the window, which closes.
    if (watched == m_logBox && event->type() == QEvent::KeyPress && IsEnter(static_cast<QKeyEvent*>(event))) {
        accept();
        return true;
    }
    return Dialog::eventFilter(watched, event);
}

void CTavelinDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    if (!m_aboutText.isEmpty())
        menu.addAction(m_aboutText, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
    menu.addAction(m_cardCheckText, this, [this] { OnSysCommand(IDM_CARDCHECK); });
    menu.exec(event->globalPos());
}
