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
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/CardCheckDlg.h"
#include "app/Language.h"
#include "app/TavelinDlg.h"
#include "pages/common/ReaderPause.h"
#include "pages/special/DlgCardSizeDetail1.h"
#include "resource.h"
#include "settingfile/SettingFile.h"
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
            texts << box->toPlainText();
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
    const char* shown[4];  // a few of the texts the walk must have met
} kLanguages[] = {
    {"en", HasHan, {"Last", "About Tavelin", "Set header return error，code: 0x06", "1 bytes, not 4 to 10"}},
    {"zh_CN",
     HasLatinWord,
     {"参数设置成功", "设置命令头返回错误，代码：0x06", "根据“10位10进制（正向）”预设下输出的“0008592248”推算",
      "没有此文件"}},
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
}

}  // namespace
