// The window in the user's language: every window, page, menu, message box
// and tooltip the user can reach, walked under English and under Chinese,
// shows no text in the other script.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "app/CardCheckDlg.h"
#include "app/Language.h"
#include "app/TavelinDlg.h"
#include "pages/common/ReaderPause.h"
#include "pages/special/DlgCardSizeDetail1.h"
#include "resource.h"
#include "settingfile/SettingFile.h"
#include "t2/protocol.h"
#include "t2/t2.h"
#include "tests/fakes/fake_t2.h"
#include "tests/support/qt_print.h"

namespace {

namespace mainDlg = IDD_TAVELIN_DIALOG;
namespace commPage = IDD_PAGE_COMM;
namespace specialPage = IDD_PAGE_SPECIAL;
namespace detailDlg = IDD_DLG_CARDSIZE_DETAIL1;
namespace checkDlg = IDD_CARDCHECK;

// The texts `window` shows: title, captions, list items, box contents,
// tooltips, its menu's commands.
void Read(QWidget* window, QStringList& texts)
{
    texts << window->windowTitle();
    for (QAction* action : window->actions())
        texts << action->text();
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window))
            continue;
        texts << w->toolTip() << w->accessibleName();
        if (auto* label = qobject_cast<QLabel*>(w))
            texts << label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            texts << button->text();
        else if (auto* group = qobject_cast<QGroupBox*>(w))
            texts << group->title();
        else if (auto* line = qobject_cast<QLineEdit*>(w))
            texts << line->text();
        else if (auto* box = qobject_cast<QPlainTextEdit*>(w))
            for (QTextBlock line = box->document()->begin(); line.isValid(); line = line.next()) {
                texts << line.text();
                for (auto part = line.begin(); !part.atEnd(); ++part)
                    texts << QTextDocumentFragment::fromHtml(part.fragment().charFormat().toolTip())
                                 .toPlainText()
                                 .replace(QChar::LineSeparator, u' ')
                                 .replace(u'\n', u' ');  // as one line: tips wrap
            }
        else if (auto* list = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < list->count(); ++i)
                texts << list->itemText(i);
        else if (auto* tabs = qobject_cast<QTabBar*>(w))
            for (int i = 0; i < tabs->count(); ++i)
                texts << tabs->tabText(i);
    }
}

// Runs `action`, reading every modal window it opens before closing it: the
// Detail dialog with "前" chosen, OK on a size it refuses and then on one it
// takes, each bringing its box; any other with OK.
void ReadModals(const std::function<void()>& action, QStringList& texts)
{
    QPointer<QWidget> seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == seen)
            return;
        seen = modal;
        Read(modal, texts);
        QTimer::singleShot(0, modal, [modal, &texts] {
            if (auto* detail = dynamic_cast<CDlgCardSizeDetail1*>(modal)) {
                detail->Control<QAbstractButton>(detailDlg::IDC_RADIO_FRONT).click();
                detail->SetItemText(detailDlg::IDC_EDIT_FRONT, QStringLiteral("0"));
                detail->Control<QAbstractButton>(detailDlg::IDOK).click();
                detail->SetItemText(detailDlg::IDC_EDIT_FRONT, QStringLiteral("3"));
                Read(detail, texts);
                detail->Control<QAbstractButton>(detailDlg::IDOK).click();
            } else {
                static_cast<QDialog*>(modal)->accept();
            }
        });
    });
    watch.start(0);
    action();
}

// The values in the library's reasons below: kept as given in every language.
const char* const kReasonValues[] = {"/dev/ttyS2", "/dev/ttyUSB0", "/dev/ttyACM0", "/run/user/1000/tavelin/COM3",
                                     "sudo adduser $USER dialout", "Debian", "dialout", "chmod"};

// A reason of each form the library gives, with the system's words of this
// system: the window shows them over a failed line or Open.
std::vector<std::string> LibraryReasons()
{
    const std::string at = "COM3 (/dev/ttyS2)", missing = std::strerror(ENOENT);
    std::vector<std::string> reasons = {
        t2proto::CodeWords(T2_E_LINK_LOST) + " (a later call opens it again once the reader is back)",
        t2proto::CodeWords(T2_E_LINK_LOST) + ", and opening it again failed: no such device for " + at + ": " +
            missing + "; an emulated reader would be at /run/user/1000/tavelin/COM3",
        "no such device for USB: looked for /dev/ttyUSB0 or /dev/ttyACM0",
        at + ": " + t2proto::CodeWords(T2_E_TIMEOUT, t2proto::kHandshakeWords),
        at + ": " + t2proto::CodeWords(0x07, t2proto::kHandshakeWords),
        at + std::string(t2proto::kHeldElsewhere),
        at + " is already open in this program",
        "permission denied on " + at +
            ": join the serial-port group (dialout on Debian: sudo adduser $USER dialout, then log in again)",
        "cannot open " + at + ": cannot set 9600 baud 8N1: " + std::strerror(EIO),
        "cannot open " + at + ": not a serial device",
        "no such device for " + at + ": " + missing +
            "; device folder /run/user/1000/tavelin/COM3 ignored: open to group or others (mode 0755); chmod 700 it",
        t2proto::CodeWords(0x3001),
    };
    for (const auto& [code, words] : t2proto::kCodeMeanings)
        reasons.push_back(t2proto::CodeWords(code));
    return reasons;
}

// Everything the user can reach, with the recording library: the log's every
// kind of line, both pages, Detail and its box, About, the commands, Card
// Check in each of its states and the box a preset's setting file brings.
QStringList WalkEverything()
{
    QStringList texts;
    Fake().Reset();
    Fake().versionText = "2.14";
    SetWaitHook([](int) {});
    auto dlg = std::make_unique<CTavelinDlg>();
    dlg->show();
    CPage_comm& simple = dlg->SimplePage();
    CPage_special& special = dlg->SpecialPage();
    special.Initialise();
    const auto press = [](DlgItems& window, int id) { window.Control<QAbstractButton>(id).click(); };

    press(simple, CPage_comm::PresetButton(0));  // not open
    Fake().initResults = {-1};
    press(*dlg, mainDlg::IDC_BTN_OPEN);  // fails
    press(*dlg, mainDlg::IDC_BTN_OPEN);
    Fake().readOnlyResults = {5};
    press(simple, CPage_comm::PresetButton(0));
    press(simple, CPage_comm::PresetButton(1));
    Fake().getverResults = {1};
    press(simple, commPage::IDC_BTN_GETVER);
    press(simple, commPage::IDC_BTN_GETVER);
    special.SetItemText(specialPage::IDC_EDIT_PASSWORD, QStringLiteral("12"));
    press(special, specialPage::IDC_BTN_SET);
    special.SetItemText(specialPage::IDC_EDIT_PASSWORD, QString::fromLatin1(params::kDefaultKeyText));
    Fake().headResults = {6};
    press(special, specialPage::IDC_BTN_SET);
    Fake().blockResults = {7};
    press(special, specialPage::IDC_BTN_SET);
    Read(dlg.get(), texts);

    press(*dlg, mainDlg::IDC_BTN_OPEN);  // Close
    dlg->Sheet()->setCurrentIndex(1);
    press(special, specialPage::IDC_RADIO_SELF_DEFINE);
    ReadModals([&] { press(special, specialPage::IDC_BTN_DETAIL); }, texts);
    Read(dlg.get(), texts);
    ReadModals([&] { dlg->OnSysCommand(IDM_ABOUTBOX); }, texts);

    const QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("1"));  // a name in no script;
    setting::File preset;
    preset.preset = 2;
    EXPECT_TRUE(setting::Save(file, preset).isEmpty());
    ReadModals([&] { dlg->LoadSpecialSetting(file); }, texts);
    ReadModals([&] { dlg->LoadSpecialSetting(dir.filePath(QStringLiteral("2"))); }, texts);  // no such file

    dlg->OnSysCommand(IDM_CARDCHECK);
    CCardCheckDlg& check = *dlg->CardCheck();
    Read(&check, texts);
    // Opened after a Set, it offers the setting just sent first, and judges what is typed.
    check.SetItemText(checkDlg::IDC_EDIT_UID, QStringLiteral("00831B78"));
    Read(&check, texts);
    check.SetItemText(checkDlg::IDC_EDIT_TYPED, QStringLiteral("1"));
    Read(&check, texts);
    check.SetItemText(checkDlg::IDC_EDIT_UID, QString());
    check.SetSelectedIndex(checkDlg::IDC_COMBO_PRESET, 1 + 2);
    check.SetItemText(checkDlg::IDC_EDIT_TYPED, QStringLiteral("0008592248"));
    Read(&check, texts);
    check.SetItemText(checkDlg::IDC_EDIT_PRINTED, QStringLiteral("08592248"));
    Read(&check, texts);
    check.SetItemText(checkDlg::IDC_EDIT_PRINTED, QStringLiteral("1"));
    Read(&check, texts);
    check.SetItemText(checkDlg::IDC_EDIT_TYPED, QStringLiteral("99999999999"));
    Read(&check, texts);
    check.SetItemText(checkDlg::IDC_EDIT_UID, QStringLiteral("12"));
    Read(&check, texts);
    SetWaitHook(nullptr);
    for (const std::string& reason : LibraryReasons())
        texts << ReasonText(reason);
    for (const char* value : kReasonValues)
        texts.replaceInStrings(QString::fromLatin1(value), QString());
    texts.replaceInStrings(QString::fromLocal8Bit(std::strerror(ENOENT)), QString());
    texts.replaceInStrings(QString::fromLocal8Bit(std::strerror(EIO)), QString());
    return texts.replaceInStrings(QDir::toNativeSeparators(dir.path()), QString());  // the user's, in any script
}

// Han characters: English shows none (the log's full-width commas are the
// tool's own punctuation).
bool HasHan(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.script() == QChar::Script_Han; });
}

// Latin words, beyond the names that stay in every language: ports, the
// program's name, card and key terms, keys, hex values.
bool HasLatinWord(const QString& text)
{
    static const QRegularExpression mnemonic(QStringLiteral("\\(&[A-Z]\\)"));
    static const QRegularExpression word(QStringLiteral("\\b[A-Za-z][A-Za-z0-9]*\\b"));
    static const QRegularExpression kept(
        QStringLiteral("^(ID|IC|USB|COM[1-9][0-9]*|Tavelin|UID|Ctrl|F[0-9]+|[0-9A-F]+|x[0-9A-F]+)$"));
    auto words = word.globalMatch(QString(text).remove(mnemonic));
    while (words.hasNext())
        if (!kept.match(words.next().captured()).hasMatch())
            return true;
    return false;
}

const struct LanguageCase {
    const char* language;
    bool (*foreign)(const QString&);
    const char* shown[5];  // a few of the texts the walk must have met
} kLanguages[] = {
    {"en", HasHan, {"Last", "About Tavelin", "Set header return error，code: 0x06", "1 bytes, not 4 to 10",
      "the reader refused the request with code 0x05 (a code this tool does not know)"}},
    {"zh_CN",
     HasLatinWord,
     {"参数设置成功", "设置命令头返回错误，代码：0x06", "根据“10位10进制（正向）”预设下输出的“0008592248”推算",
      "没有此文件", "读卡器拒绝了请求，代码 0x05（本工具不认识的代码）"}},
};

void PrintTo(const LanguageCase& c, std::ostream* os)
{
    *os << c.language;
}

class Language : public testing::TestWithParam<LanguageCase> {
protected:
    void TearDown() override { UseLanguage({}); }
};

TEST_P(Language, EveryReachableTextIsInIt)
{
    UseLanguage(QString::fromLatin1(GetParam().language));
    const QStringList texts = WalkEverything();
    QStringList foreign;
    for (const QString& text : texts)
        if (GetParam().foreign(text))
            foreign << text;
    EXPECT_TRUE(foreign.isEmpty()) << foreign.join('\n').toStdString();
    const QString all = texts.join('\n');
    for (const char* shown : GetParam().shown)
        EXPECT_TRUE(all.contains(QString::fromUtf8(shown))) << shown;
}

INSTANTIATE_TEST_SUITE_P(, Language, testing::ValuesIn(kLanguages),
                         [](const auto& info) { return std::string(info.param.language); });

TEST(UserLanguage, EnglishAndChineseAreTranslatedOthersAndCKeepTheirTexts)
{
    const struct {
        const char* chosen;
        const char* language;
    } cases[] = {{"C", ""},         {"POSIX", ""},      {"C.UTF-8", ""},    {"en_US.UTF-8", "en"}, {"en-GB", "en"},
                 {"zh_CN.UTF-8", "zh_CN"}, {"zh_TW", "zh_CN"}, {"de_DE.UTF-8", ""}, {"fr", ""}};
    for (const auto& c : cases) {
        qputenv("TAVELIN_LANG", c.chosen);
        EXPECT_EQ(UserLanguage(), QString::fromLatin1(c.language)) << c.chosen;
    }

    // Under C nothing is translated: the templates' own texts, the English run-time ones.
    qputenv("TAVELIN_LANG", "C");
    UseLanguage(UserLanguage());
    qunsetenv("TAVELIN_LANG");
    CDlgCardSizeDetail1 detail;
    EXPECT_EQ(detail.windowTitle(), "详细");
    EXPECT_EQ(CTavelinDlg::tr(CTavelinDlg::kTitle), "ID/IC Card Data-Out Setting Tool");
    std::vector<std::string> reasons = LibraryReasons();
    std::string many;  // of no form, in many parts: shown as given, in its turn
    for (int i = 0; i < 300; ++i)
        many += "the port went away; x: ";
    reasons.push_back(many);
    for (const std::string& reason : reasons)
        EXPECT_EQ(ReasonText(reason).toStdString(), reason);
}

}  // namespace
