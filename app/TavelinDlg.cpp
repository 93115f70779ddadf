#include "app/TavelinDlg.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QStringList>
#include <QTabWidget>
#include <QTextCharFormat>
#include <QTextCursor>

#include "app/AboutDlg.h"
#include "app/CardCheckDlg.h"
#include "app/SettingFileDialog.h"
#include "dataout/link.h"
#include "dataout/params.h"
#include "resource.h"
#include "settingfile/SettingFile.h"
#include "t2/import/last_error.h"
#include "t2/t2.h"

using namespace IDD_TAVELIN_DIALOG;

namespace {

bool IsEnter(const QKeyEvent* e)
{
    return e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
}

// A menu command's text as the title of what it opens: without its "...".
QString CommandTitle(int id)
{
    return LoadString(id).remove(QStringLiteral("..."));
}

}  // namespace

ReaderLink* g_readerLink = nullptr;
MessageLog* g_mainDlg = nullptr;
int32_t* g_cardSizeDetail = nullptr;

CTavelinDlg::CTavelinDlg()
    : Dialog(IDD), m_pageComm({m_link, *this}), m_pageSpecial({m_link, *this})
{
    // Before the window exists: the system takes the icon as the window is
    // made. Set at the first show it takes it a second time, a few ms of
    // start-up under Wine.
    setWindowIcon(QIcon(QStringLiteral(":/res/icon128.xpm")));
    OnClicked(IDC_BTN_OPEN, [this] { OnOpenClose(); });
    OnClicked(IDC_BTN_CLEAR_MSG, [this] { ClearLog(); });
    g_readerLink = &m_link;
    g_mainDlg = this;
    g_cardSizeDetail = &m_pageSpecial.CardSizeDetail();
}

CTavelinDlg::~CTavelinDlg()
{
    if (g_mainDlg != this)
        return;  // a later window holds the names
    g_readerLink = nullptr;
    g_mainDlg = nullptr;
    g_cardSizeDetail = nullptr;
}

bool CTavelinDlg::OnInitDialog()
{
    // The window's commands: their keys work wherever the focus is in the
    // window, and the right-click menu shows them. Keys a text box takes
    // for itself are left alone (Ctrl+K deletes to the line's end).
    const auto command = [this](unsigned id, const QString& text, const QKeySequence& key) {
        auto* action = new QAction(text, this);
        action->setData(id);
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, [this, id] { OnSysCommand(id); });
        addAction(action);
    };
    command(IDM_SAVESETTING, LoadString(IDS_SAVESETTING), QKeySequence::Save);
    command(IDM_LOADSETTING, LoadString(IDS_LOADSETTING), QKeySequence::Open);
    if (const QString about = LoadString(IDS_ABOUTBOX); !about.isEmpty())
        command(IDM_ABOUTBOX, about, {});
    command(IDM_CARDCHECK, LoadString(IDS_CARDCHECK), Qt::Key_F3);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    m_portCombo = &Control<QComboBox>(IDC_COMBO_PORT);
    FillPorts();
    m_portCombo->view()->window()->installEventFilter(this);
    m_baudCombo = &Control<QComboBox>(IDC_COMBO_BAUD);
    for (const int32_t rate : params::kBaudRates)
        m_baudCombo->addItem(QString::number(rate));
    m_logBox = &Control<QPlainTextEdit>(IDC_EDIT_MSG);
    AddCommands();
    SetItemText(IDC_STATIC_PORT, tr("Port"));
    SetItemText(IDC_STATIC_BAUD, tr("Baud"));
    SetItemText(IDC_BTN_OPEN, tr("Open"));
    SetItemText(IDC_BTN_CLEAR_MSG, tr("Clear MSG"));
    m_logBox->setAccessibleName(tr("Message log"));
    ShowTipsBelow(m_logBox);
    ShowTipsBelow(&Control(IDC_BTN_OPEN));
    SetSelectedIndex(IDC_COMBO_PORT, 0);
    SetSelectedIndex(IDC_COMBO_BAUD, 0);
    // In the row's free room right of the button, as high as it.
    const QRect open = Control(IDC_BTN_OPEN).geometry();
    m_linkInUse = PlainLabel(this);
    m_linkInUse->setGeometry(open.right() + open.height(), open.y(),
                             Control(IDC_BTN_CLEAR_MSG).x() - open.right() - 2 * open.height(), open.height());
    m_linkInUse->hide();
    for (QComboBox* list : {m_portCombo, m_baudCombo})
        connect(list, &QComboBox::currentIndexChanged, this, [this] { ShowLinkInUse(); });

    // The log keeps its own copy of the text; the box's undo history would
    // only double it.
    m_logBox->setUndoRedoEnabled(false);
    m_logBox->installEventFilter(this);
    connect(m_logBox, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_writingLog)
            m_logBoxEdited = true;
    });

    m_sheet = new QTabWidget(this);
    // The tabs take their run-time texts at once: measuring the templates'
    // Chinese captions first would load CJK glyphs, a large part of start-up.
    m_sheet->addTab(&m_pageComm, CPage_comm::Title());
    m_sheet->addTab(&m_pageSpecial, CPage_special::Title());
    m_sheet->move(5, 5);
    m_sheet->resize(m_sheet->minimumSizeHint());  // the larger page decides
    MakeRoomForSheet();
    m_sheet->show();
    m_pageComm.Initialise();  // the Special page is built when its tab is first shown
    for (int tab = 0; tab < m_sheet->count(); ++tab)
        m_sheet->widget(tab)->setAccessibleName(m_sheet->tabText(tab));

    setWindowTitle(tr(kTitle));
    return true;
}

// The sheet is sized by its pages' face and the rest by the window's: where
// a machine lacks the window's face and the pages' runs wider or taller, the
// log and the row under the sheet make way rather than lie under it.
void CTavelinDlg::MakeRoomForSheet()
{
    constexpr int kGap = 5;  // as the sheet stands off the window's edge
    const QRect sheet = m_sheet->geometry();
    const int logLeft = m_logBox->x();
    const int rowTop = Control(IDC_BTN_OPEN).y();
    const int dx = std::max(0, sheet.right() + kGap - logLeft);
    const int dy = std::max(0, sheet.bottom() + kGap - rowTop);
    if (dx == 0 && dy == 0)
        return;
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w != m_sheet && !w->isWindow())
            w->move(w->x() + (w->x() >= logLeft ? dx : 0), w->y() + (w->y() >= rowTop ? dy : 0));
    }
    m_logBox->resize(m_logBox->width(), m_logBox->height() + dy);
    setFixedSize(width() + dx, height() + dy);
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
        format.setToolTip(ReasonTip(toolTip));
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
    const int port = ChosenPort();
    const int baud = params::kBaudRates[std::max(m_baudCombo->currentIndex(), 0)];
    const int handle = lc_init(port, baud);
    if (handle == -1)
        return false;
    m_link.handle = handle;
    m_link.port = port;
    m_baudInUse = m_baudCombo->currentText();
    return true;
}

void CTavelinDlg::OnOpenClose()
{
    BusyCursor busy;
    if (m_link.handle == -1) {
        if (!OpenReaderLink()) {
            // The line stays as it is; where the library says why, the reason goes beside it.
            const QString reason = ReasonText(T2LastError());
            Control(IDC_BTN_OPEN).setToolTip(ReasonTip(reason));
            AppendLog(tr("Reader link failed"), 1, reason);
            return;
        }
        Control(IDC_BTN_OPEN).setToolTip(QString());
        AppendLog(tr("Reader link ok"), 1);
        SetItemText(IDC_BTN_OPEN, tr("Close"));
    } else {
        lc_exit(m_link.handle);
        m_link.handle = -1;
        AppendLog(tr("Reader link released"), 1);
        SetItemText(IDC_BTN_OPEN, tr("Open"));
    }
    ShowLinkInUse();
}

int32_t CTavelinDlg::ChosenPort() const
{
    return params::PortNumber(m_portCombo->currentText().toStdString()).value_or(params::kWindowPorts[0]);
}

void CTavelinDlg::FillPorts()
{
    // The template's ports always, then what the system has past them now.
    QStringList names, shown;
    for (const int32_t port : params::kWindowPorts)
        names << QString::fromStdString(params::PortName(port));
    for (const int32_t port : params::MoreComPorts())
        names << QString::fromStdString(params::PortName(port));
    for (int i = 0; i < m_portCombo->count(); ++i)
        shown << m_portCombo->itemText(i);
    if (names == shown)
        return;
    const QString chosen = m_portCombo->currentText();
    const QSignalBlocker quiet(m_portCombo);
    m_portCombo->clear();
    m_portCombo->addItems(names);
    m_portCombo->setCurrentIndex(std::max(m_portCombo->findText(chosen), 0));
}

void CTavelinDlg::ShowLinkInUse()
{
    const bool linked = m_link.handle != -1;
    const bool elsewhere = ChosenPort() != m_link.port ||
                           m_baudCombo->currentText() != m_baudInUse;
    m_linkInUse->setText(
        tr("Linked: %1, %2").arg(QString::fromStdString(params::PortName(m_link.port)), m_baudInUse));
    m_linkInUse->setVisible(linked && elsewhere);
}

void CTavelinDlg::SettingTaken(const params::CardSettings& settings)
{
    m_taken = settings;
    if (m_cardCheck)
        m_cardCheck->CheckAgainst(settings);
}

void CTavelinDlg::OnSysCommand(unsigned command)
{
    if ((command & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
    } else if ((command & 0xFFF0) == IDM_CARDCHECK) {
        const bool first = !m_cardCheck;
        if (first)
            m_cardCheck = new CCardCheckDlg(this);
        m_cardCheck->show();
        if (first && m_taken)
            m_cardCheck->CheckAgainst(*m_taken);
        m_cardCheck->raise();
        m_cardCheck->activateWindow();
    } else if ((command & 0xFFF0) == IDM_SAVESETTING) {
        if (const QString path = AskSettingFile(this, CommandTitle(IDS_SAVESETTING), true); !path.isEmpty())
            SaveSpecialSetting(path);
    } else if ((command & 0xFFF0) == IDM_LOADSETTING) {
        if (const QString path = AskSettingFile(this, CommandTitle(IDS_LOADSETTING), false); !path.isEmpty())
            LoadSpecialSetting(path);
    }
}

bool CTavelinDlg::SaveSpecialSetting(const QString& path)
{
    setting::File file;
    file.special = m_pageSpecial.Choices();
    const QString problem = setting::Save(path, file);
    if (!problem.isEmpty())
        MessageBoxOk(this, tr("Nothing was saved: %1").arg(problem),
                     CommandTitle(IDS_SAVESETTING), QMessageBox::Warning);
    return problem.isEmpty();
}

bool CTavelinDlg::LoadSpecialSetting(const QString& path)
{
    const QString title = CommandTitle(IDS_LOADSETTING);
    const setting::Loaded loaded = setting::Load(path);
    if (!loaded.problem.isEmpty()) {
        MessageBoxOk(this, loaded.problem, title, QMessageBox::Warning);
        return false;
    }
    if (loaded.file.preset) {
        // A preset is one press on the other page: the file chooses nothing.
        MessageBoxOk(this,
                     tr("%1 holds the preset \"%2\": press that button on %3.")
                         .arg(QFileInfo(path).fileName(), ParamsText(params::kPresets[*loaded.file.preset].caption),
                              CPage_comm::Title()),
                     title, QMessageBox::Information);
        return false;
    }
    m_pageSpecial.Choose(loaded.file.special);
    m_sheet->setCurrentWidget(&m_pageSpecial);
    return true;
}

bool CTavelinDlg::eventFilter(QObject* watched, QEvent* event)
{
    // A port plugged in since, as the list opens.
    if (watched == m_portCombo->view()->window() && event->type() == QEvent::Show)
        FillPorts();
    // The log box does not take Enter for itself: it reaches the window, which closes.
    if (watched == m_logBox && event->type() == QEvent::KeyPress && IsEnter(static_cast<QKeyEvent*>(event))) {
        accept();
        return true;
    }
    return Dialog::eventFilter(watched, event);
}
