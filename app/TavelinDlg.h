// The main window: the two setting pages, the link row and the message log.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <optional>

#include "framework/Dialog.h"
#include "pages/common/ReaderLink.h"
#include "pages/simple/Page_comm.h"
#include "pages/special/Page_special.h"

class CCardCheckDlg;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QTabWidget;

class CTavelinDlg : public Dialog, public MessageLog {
    Q_DECLARE_TR_FUNCTIONS(CTavelinDlg)

public:
    static constexpr char kTitle[] = QT_TR_NOOP("ID/IC Card Data-Out Setting Tool");  // the window's title

    CTavelinDlg();
    ~CTavelinDlg() override;

    // Appends `message` (and a line break when `newLine` is nonzero) to the
    // log and brings the newest line into view.
    void AppendLog(const QString& message, int newLine) override;
    // The same, with `toolTip` shown over the new text.
    void AppendLog(const QString& message, int newLine, const QString& toolTip) override;
    void SettingTaken(const params::CardSettings& settings) override;
    void ClearLog();
    void OnOpenClose();
    bool OpenReaderLink();  // true when the link opened

    // System commands (command AND 0xFFF0): the IDM_ values below.
    void OnSysCommand(unsigned command);
    // The Special page's choices to a setting file, and back onto the page,
    // sending nothing; a message box says what went wrong. False then.
    bool SaveSpecialSetting(const QString& path);
    bool LoadSpecialSetting(const QString& path);
    CCardCheckDlg* CardCheck() const { return m_cardCheck; }  // null until first opened

    const QString& LogText() const { return m_logText; }
    // Beside Open/Close: the port and baud of the open link, shown while the
    // lists choose others, which count only at the next Open.
    const QLabel* LinkInUse() const { return m_linkInUse; }
    QTabWidget* Sheet() const { return m_sheet; }
    CPage_comm& SimplePage() { return m_pageComm; }
    CPage_special& SpecialPage() { return m_pageSpecial; }

protected:
    bool OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
#ifdef _WIN32
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

private:
    void MakeRoomForSheet();
    // The window's actions (its commands) as the system menu's items on
    // Windows; elsewhere F1 for About, and on the log's own menu too.
    void AddCommands();
    int32_t ChosenPort() const;  // by its name in the list
    void FillPorts();
    void ShowLinkInUse();

    QComboBox* m_portCombo = nullptr;
    QComboBox* m_baudCombo = nullptr;
    ReaderLink m_link;  // left as it is when the window goes: an open link ends with the process
    QString m_logText;
    QPlainTextEdit* m_logBox = nullptr;
    QLabel* m_linkInUse = nullptr;
    QString m_baudInUse;  // the port in use is the link's
    QTabWidget* m_sheet = nullptr;
    CPage_comm m_pageComm;
    CPage_special m_pageSpecial;
    CCardCheckDlg* m_cardCheck = nullptr;  // modeless, a child window of this one
    std::optional<params::CardSettings> m_taken;  // the setting a reader took last
    bool m_logBoxEdited = false;  // the user typed into the log box
    bool m_writingLog = false;
};

// The window's link and log, and its Special page's card-number size, by
// the names they have always had: each window sets them as it is built and
// clears them as it goes, unless a later one has taken them. The pages use
// their own references, not these.
extern ReaderLink* g_readerLink;
extern MessageLog* g_mainDlg;
extern int32_t* g_cardSizeDetail;

constexpr unsigned IDM_ABOUTBOX = 0x0010;
constexpr unsigned IDM_CARDCHECK = 0x0020;
constexpr unsigned IDM_SAVESETTING = 0x0030;
constexpr unsigned IDM_LOADSETTING = 0x0040;
