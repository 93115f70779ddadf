// The main window: the two setting pages, the link row and the message log.
#pragma once

#include <QByteArray>

#include <QIcon>
#include <QString>

#include "Dialog.h"
#include "common/ReaderLink.h"
#include "simple/Page_comm.h"
#include "special/Page_special.h"

class CCardCheckDlg;
class QComboBox;
class QPlainTextEdit;
class QTabWidget;

class CTavelinDlg : public Dialog, public MessageLog {
public:
    CTavelinDlg();

    // Appends `message` (and a line break when `newLine` is nonzero) to the
    // log and brings the newest line into view.
    void AppendLog(const QString& message, int newLine) override;
    // The same, with `toolTip` shown over the new text.
    void AppendLog(const QString& message, int newLine, const QString& toolTip);
    void ClearLog();
    void OnOpenClose();
    bool OpenReaderLink();  // true when the link opened

    // System commands: (command AND 0xFFF0) = 0x0010 shows the About box,
    // 0x0020 the Card Check window.
    void OnSysCommand(unsigned command);
    CCardCheckDlg* CardCheck() const { return m_cardCheck; }  // null until first opened

    const QString& LogText() const { return m_logText; }
    QTabWidget* Sheet() const { return m_sheet; }
    CPage_comm& SimplePage() { return m_pageComm; }
    CPage_special& SpecialPage() { return m_pageSpecial; }

protected:
    bool OnInitDialog() override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
#ifdef _WIN32
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

private:
    // The system menu's items on Windows; elsewhere F1 (the context menu has both).
    void AddAboutAndCardCheck();

    QIcon m_icon;
    QComboBox* m_portCombo = nullptr;
    QComboBox* m_baudCombo = nullptr;
    QString m_logText;
    QPlainTextEdit* m_logBox = nullptr;
    QTabWidget* m_sheet = nullptr;
    CPage_comm m_pageComm;
    CPage_special m_pageSpecial;
    QString m_aboutText;
    QString m_cardCheckText;
    CCardCheckDlg* m_cardCheck = nullptr;  // modeless, a child window of this one
    bool m_logBoxEdited = false;  // the user typed into the log box
    bool m_writingLog = false;
};

constexpr unsigned IDM_ABOUTBOX = 0x0010;
constexpr unsigned IDM_CARDCHECK = 0x0020;
