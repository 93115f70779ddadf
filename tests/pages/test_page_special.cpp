#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>

#include <fstream>

#include "pages/special/DlgCardSizeDetail1.h"
#include "resource.h"
#include "tests/pages/PagesFixture.h"
#include "tests/support/qt_print.h"

namespace {

using namespace IDD_PAGE_SPECIAL;

using Trace = std::vector<std::string>;

class SpecialPage : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        dlg->Sheet()->setCurrentIndex(1);
    }
    CPage_special& Page() { return dlg->SpecialPage(); }
    void Type(int id, const QString& text)
    {
        Edit(Page(), id)->clear();
        QTest::keyClicks(Edit(Page(), id), text);
    }
    // Presses "Set" and returns the integer arguments of the call `op`.
    std::vector<int32_t> SetAndRead(const std::string& op)
    {
        Fake().calls.clear();
        Click(Page(), IDC_BTN_SET);
        return Call(op).ints;
    }
    int32_t SentSnSize() { return SetAndRead("lc_setReadOnlyPara").at(3); }
    int32_t SentOutLength() { return SetAndRead("lc_setReadOnlyPara").at(4); }
};

TEST_F(SpecialPage, DefaultsSendAllDecimalReverseDefaultWithoutUidAndDefaultKey)
{
    EXPECT_EQ(Page().ItemText(IDC_BTN_SET), "Set");
    EXPECT_EQ(Page().ItemText(IDC_RADIO_USB_NO_ENTER), "USB Without Enter");
    EXPECT_EQ(Page().ItemText(IDC_STATIC_UID_NOTE), "(Read UID when address set to 255)");
    EXPECT_FALSE(Page().Control(IDC_BTN_DETAIL).isEnabled());
    EXPECT_FALSE(Page().Control(IDC_EDIT_LENGTH).isEnabled());
    EXPECT_EQ(Page().ItemText(IDC_EDIT_PASSWORD), "3A7F19C2E845");
    EXPECT_EQ(Page().GatherOptions(), params::kSpecialDefaults);
    auto* blocks = &Page().Control<QComboBox>(IDC_COMBO_ADDR);
    ASSERT_EQ(blocks->count(), 256);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(blocks->itemText(i), QString::number(i));

    Click(Page(), IDC_BTN_SET);

    EXPECT_EQ(Ops(), (Trace{"asc_hex", "lc_setReadOnlyPara", "Wait", "lc_setReaderOnlyHead", "Wait",
                          "lc_setBlockReadPara", "Wait"}));
    EXPECT_EQ(Call("asc_hex").text, "3A7F19C2E845");
    EXPECT_EQ(Call("asc_hex").ints, std::vector<int32_t>{6});
    const T2Call& para = Call("lc_setReadOnlyPara");
    EXPECT_EQ(para.ints, (std::vector<int32_t>{kHandle, 0, 0, 0, 0}));
    EXPECT_EQ(para.buffers, (std::vector<std::vector<unsigned char>>{kZero8, kZero3, kZero3}));
    EXPECT_EQ(Call("lc_setReaderOnlyHead").ints, (std::vector<int32_t>{kHandle, 0}));
    EXPECT_EQ(Call("lc_setBlockReadPara").ints, (std::vector<int32_t>{kHandle, 255}));
    EXPECT_EQ(Call("lc_setBlockReadPara").buffers.at(0), kDefaultKeyBytes);
    EXPECT_EQ(Fake().calls[2].ints, std::vector<int32_t>{100});
    EXPECT_EQ(Fake().calls[4].ints, std::vector<int32_t>{1000});
    EXPECT_EQ(Fake().calls[6].ints, std::vector<int32_t>{1000});
    EXPECT_EQ(busyDuringWaits, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(Log(), QStringList{"Set ok"});
}

struct Choice {
    int id;
    const char* op;
    size_t arg;  // index in the call's integer arguments
    int32_t value;
};

class RadioChoice : public SpecialPage, public testing::WithParamInterface<Choice> {};

TEST_P(RadioChoice, SendsItsValue)
{
    const Choice c = GetParam();
    Click(Page(), c.id);
    EXPECT_TRUE(Page().IsChecked(c.id));
    EXPECT_EQ(SetAndRead(c.op).at(c.arg), c.value);
}

INSTANTIATE_TEST_SUITE_P(Groups, RadioChoice,
                         testing::Values(Choice{IDC_RADIO_ALL, "lc_setReadOnlyPara", 3, 0},
                                         Choice{IDC_RADIO_SELF_DEFINE, "lc_setReadOnlyPara", 3, 4},
                                         Choice{IDC_RADIO_DECIMAL, "lc_setReadOnlyPara", 1, 0},
                                         Choice{IDC_RADIO_HEX, "lc_setReadOnlyPara", 1, 1},
                                         Choice{IDC_RADIO_WIEGAND, "lc_setReadOnlyPara", 1, 2},
                                         Choice{IDC_RADIO_STRING, "lc_setReadOnlyPara", 1, 3},
                                         Choice{IDC_RADIO_REVERSE, "lc_setReadOnlyPara", 2, 0},
                                         Choice{IDC_RADIO_FORWARD, "lc_setReadOnlyPara", 2, 1},
                                         Choice{IDC_RADIO_LENGTH_DEFAULT, "lc_setReadOnlyPara", 4, 0},
                                         Choice{IDC_RADIO_LENGTH_STATIC, "lc_setReadOnlyPara", 4, 0},
                                         Choice{IDC_RADIO_HEADER, "lc_setReaderOnlyHead", 1, 1},
                                         Choice{IDC_RADIO_NO_HEADER, "lc_setReaderOnlyHead", 1, 0},
                                         Choice{IDC_RADIO_USB_NO_ENTER, "lc_setReaderOnlyHead", 1, 0}),
                         [](const auto& info) { return std::to_string(info.param.id); });

TEST_F(SpecialPage, FullCustomCombination)
{
    for (int id : {IDC_RADIO_SELF_DEFINE, IDC_RADIO_HEX, IDC_RADIO_FORWARD, IDC_RADIO_LENGTH_STATIC, IDC_RADIO_HEADER})
        Click(Page(), id);
    Type(IDC_EDIT_LENGTH, "12");
    Page().SetSelectedIndex(IDC_COMBO_ADDR, 17);
    Page().SetItemText(IDC_EDIT_PASSWORD, "00a1B2c3D4fF");

    Click(Page(), IDC_BTN_SET);

    EXPECT_EQ(Call("lc_setReadOnlyPara").ints, (std::vector<int32_t>{kHandle, 1, 1, 4, 12}));
    EXPECT_EQ(Call("lc_setReaderOnlyHead").ints, (std::vector<int32_t>{kHandle, 1}));
    EXPECT_EQ(Call("lc_setBlockReadPara").ints, (std::vector<int32_t>{kHandle, 17}));
    EXPECT_EQ(Call("lc_setBlockReadPara").buffers.at(0),
              (std::vector<unsigned char>{0x00, 0xA1, 0xB2, 0xC3, 0xD4, 0xFF}));
    EXPECT_EQ(Log(), QStringList{"Set ok"});
}

// A composition saved, loaded into a fresh window and Set makes the very calls,
// pauses and log line that choosing it by hand and Set make; a preset file
// chooses nothing.
TEST_F(SpecialPage, ASavedSettingLoadedAgainSetsAsChoosingByHand)
{
    const struct {
        std::vector<int> clicks;
        int32_t detail;  // what Detail set, for Self-Define
        const char* length;
        int block;
        const char* key;
    } cases[] = {
        {{IDC_RADIO_SELF_DEFINE, IDC_RADIO_HEX, IDC_RADIO_FORWARD, IDC_RADIO_LENGTH_STATIC, IDC_RADIO_HEADER},
         params::SnSizeBack(3), "12", 17, "00a1B2c3D4fF"},
        {{IDC_RADIO_WIEGAND, IDC_RADIO_USB_NO_ENTER}, 0, "", 255, "3A7F19C2E845"},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("special.ini");
    auto set = [this] {
        Fake().calls.clear();
        Click(Page(), IDC_BTN_SET);
        std::vector<std::string> trace;
        for (const T2Call& c : Fake().calls) {
            std::string call = c.op + " " + c.text;
            for (int32_t i : c.ints)
                call.append(" ").append(std::to_string(i));
            for (const auto& buffer : c.buffers)
                call.append(" ").append(buffer.begin(), buffer.end());
            trace.push_back(call);
        }
        return trace;
    };
    for (const auto& c : cases) {
        SetUp();  // a window at the defaults
        for (int id : c.clicks)
            Click(Page(), id);
        if (c.detail)
            *g_cardSizeDetail = c.detail;
        Type(IDC_EDIT_LENGTH, c.length);
        Page().SetSelectedIndex(IDC_COMBO_ADDR, c.block);
        Page().SetItemText(IDC_EDIT_PASSWORD, c.key);
        const auto byHand = set();
        ASSERT_TRUE(dlg->SaveSpecialSetting(path));

        SetUp();
        dlg->Sheet()->setCurrentIndex(0);
        ASSERT_TRUE(dlg->LoadSpecialSetting(path));
        EXPECT_EQ(dlg->Sheet()->currentWidget(), &Page());
        EXPECT_EQ(set(), byHand);
        EXPECT_EQ(Page().ItemText(IDC_EDIT_PASSWORD), c.key);
        EXPECT_EQ(Log(), QStringList{"Set ok"});
    }

    std::ofstream(path.toStdString()) << "format = 1\npreset = 8-out-hex-reverse\n";
    Fake().calls.clear();
    QString said;
    WhenModal<QMessageBox>([&said](QMessageBox& box) {
        said = box.text();
        box.accept();
    });
    EXPECT_FALSE(dlg->LoadSpecialSetting(path));
    EXPECT_EQ(said, "special.ini holds the preset \"8-out-hex-reverse\": press that button on Simple Setting.");
    EXPECT_TRUE(Fake().calls.empty());
}

// Save from the menu gives a name without an extension the one Load lists.
// A choice under which the reader types nothing is not saved, and the box
// says why; Set still sends it as it always has.
TEST_F(SpecialPage, SaveNamesTheFileDotIniAndRefusesStringFromTheUid)
{
    QTemporaryDir dir;
    // Windows' own file dialog is no widget that a test can answer.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    for (const auto& [typed, saved] : {std::pair{"line", "line.ini"}, {"line.txt", "line.txt"}}) {
        WhenModal<QFileDialog>([&dir, typed](QFileDialog& files) {
            files.selectFile(dir.filePath(typed));
            static_cast<QDialog&>(files).accept();  // as the Save button does
        });
        dlg->OnSysCommand(IDM_SAVESETTING);
        EXPECT_TRUE(QFileInfo::exists(dir.filePath(saved))) << typed;
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("line")));

    Click(Page(), IDC_RADIO_STRING);  // with the block address at 255
    QString said;
    WhenModal<QMessageBox>([&said](QMessageBox& box) {
        said = box.text();
        box.accept();
    });
    EXPECT_FALSE(dlg->SaveSpecialSetting(dir.filePath("string.ini")));
    EXPECT_EQ(said, "Nothing was saved: base = String with block = 255: not a valid setting: String puts out a data "
                    "block's text, and block address 255 reads the UID");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("string.ini")));
    EXPECT_EQ(SetAndRead("lc_setReadOnlyPara").at(1), params::String);
    EXPECT_EQ(Call("lc_setBlockReadPara").ints, (std::vector<int32_t>{kHandle, 255}));
    EXPECT_EQ(Log(), QStringList{"Set ok"});
}

TEST_F(SpecialPage, StaticLengthBox)
{
    QLineEdit* box = Edit(Page(), IDC_EDIT_LENGTH);
    Click(Page(), IDC_RADIO_LENGTH_STATIC);
    EXPECT_TRUE(box->isEnabled());
    EXPECT_EQ(SentOutLength(), 0) << "empty box";

    Type(IDC_EDIT_LENGTH, "a1b2c3");  // digits only, two at most
    EXPECT_EQ(box->text(), "12");
    EXPECT_EQ(SentOutLength(), 12);

    Click(Page(), IDC_RADIO_LENGTH_STATIC);
    EXPECT_EQ(box->selectedText(), "12");

    Click(Page(), IDC_RADIO_LENGTH_DEFAULT);
    EXPECT_FALSE(box->isEnabled());
    EXPECT_EQ(box->text(), "12");
    EXPECT_EQ(SentOutLength(), 0);
}

TEST_F(SpecialPage, SelfDefineEnablesDetailAndTurnsZeroIntoFour)
{
    EXPECT_EQ(*g_cardSizeDetail, 0);
    Click(Page(), IDC_RADIO_SELF_DEFINE);
    EXPECT_TRUE(Page().Control(IDC_BTN_DETAIL).isEnabled());
    EXPECT_EQ(*g_cardSizeDetail, 4);

    *g_cardSizeDetail = 0xF3;  // as the detail dialog leaves it
    EXPECT_EQ(SentSnSize(), 0xF3);
    Click(Page(), IDC_RADIO_ALL);
    EXPECT_EQ(SentSnSize(), 0) << "All sends 0 whatever the detail holds";
    Click(Page(), IDC_RADIO_SELF_DEFINE);
    EXPECT_EQ(SentSnSize(), 0xF3) << "a nonzero detail value is kept";

    *g_cardSizeDetail = 0;
    EXPECT_EQ(SentSnSize(), 0) << "a stored 0 is sent until Self-Define is clicked again";
    Click(Page(), IDC_RADIO_SELF_DEFINE);
    EXPECT_EQ(SentSnSize(), 4);
}

struct SetFailure {
    const char* name;
    int32_t para, head, block;
    size_t readerCalls;
    const char* log;
};

class SetFails : public SpecialPage, public testing::WithParamInterface<SetFailure> {};

TEST_P(SetFails, LogsItsMessageAndStops)
{
    const SetFailure c = GetParam();
    Fake().readOnlyResults = {c.para};
    Fake().headResults = {c.head};
    Fake().blockResults = {c.block};

    Click(Page(), IDC_BTN_SET);

    size_t readerCalls = 0;
    for (const std::string& op : Ops())
        readerCalls += op.starts_with("lc_");
    EXPECT_EQ(readerCalls, c.readerCalls);
    EXPECT_NE(Ops().back(), "Wait") << "no pause after a refusal";
    EXPECT_EQ(Log(), QStringList{QString::fromUtf8(c.log)});
}

INSTANTIATE_TEST_SUITE_P(
    Points, SetFails,
    testing::Values(SetFailure{"Parameters", 5, 0, 0, 1, "Set return error，code: 0x05"},
                    SetFailure{"Header", 0, 0x21, 0, 2, "Set header return error，code: 0x21"},
                    SetFailure{"BlockAddress", 0, 0, 0x3001, 3, "Set address of reading return error，code: 0x3001"}),
    [](const auto& info) { return info.param.name; });

TEST_F(SpecialPage, UsesTheHandleItReadFirstThroughout)
{
    SetWaitHook([](int) { g_readerLink->handle = 99; });
    Click(Page(), IDC_BTN_SET);
    EXPECT_EQ(Call("lc_setReaderOnlyHead").ints.at(0), kHandle);
    EXPECT_EQ(Call("lc_setBlockReadPara").ints.at(0), kHandle);
}

struct BadKey {
    const char* name;
    QString text;
    std::string sent;  // what asc_hex is handed
};

class InvalidKey : public SpecialPage, public testing::WithParamInterface<BadKey> {};

TEST_P(InvalidKey, IsRefusedBeforeAnyReaderCall)
{
    const BadKey c = GetParam();
    Page().SetItemText(IDC_EDIT_PASSWORD, c.text);

    Click(Page(), IDC_BTN_SET);

    EXPECT_EQ(Ops(), Trace{"asc_hex"});
    EXPECT_EQ(Call("asc_hex").text, c.sent);
    EXPECT_EQ(Log(), QStringList{"Data or length invalid"});
    // The box it means is named over the line and has the focus.
    EXPECT_TRUE(LastLogToolTip().contains("Password")) << LastLogToolTip().toStdString();
    EXPECT_EQ(dlg->focusWidget(), Edit(Page(), IDC_EDIT_PASSWORD));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, InvalidKey,
    testing::Values(BadKey{"Empty", "", ""}, BadKey{"Eleven", "3A7F19C2E84", "3A7F19C2E84"},
                    BadKey{"Thirteen", "3A7F19C2E8451", "3A7F19C2E8451"},
                    BadKey{"NonHex", "3A7F19C2E84G", "3A7F19C2E84G"},
                    BadKey{"NonAscii", QString::fromUtf8("3A7F19C2E84é"), QString::fromUtf8("3A7F19C2E84é").toLocal8Bit().toStdString()},
                    BadKey{"Spaces", "3A 7F 19 C2 E8 45", "3A 7F 19 C2 E8 45"},
                    BadKey{"Long127", QString(127, 'A'), std::string(127, 'A')},
                    BadKey{"Long200CutTo127", QString(200, 'A'), std::string(127, 'A')}),
    [](const auto& info) { return info.param.name; });

TEST_F(SpecialPage, ClosedLinkIsReportedBeforeTheKey)
{
    dlg->OnOpenClose();
    dlg->ClearLog();
    Fake().calls.clear();
    Page().SetItemText(IDC_EDIT_PASSWORD, "not a key");

    Click(Page(), IDC_BTN_SET);

    EXPECT_TRUE(Fake().calls.empty());
    EXPECT_EQ(Log(), QStringList{"Port is not open"});
}

TEST(SpecialPageStart, IsBuiltAndInitialisedOnlyWhenItsTabIsFirstShown)
{
    Fake().Reset();
    CTavelinDlg dlg;
    dlg.show();
    *g_cardSizeDetail = 9;
    EXPECT_TRUE(dlg.SpecialPage().children().isEmpty());

    dlg.Sheet()->setCurrentIndex(1);

    EXPECT_FALSE(dlg.SpecialPage().children().isEmpty());
    EXPECT_EQ(dlg.SpecialPage().ItemText(IDC_BTN_SET), "Set");
    EXPECT_TRUE(dlg.SpecialPage().Control(IDC_BTN_SET).isVisible());
    EXPECT_FALSE(dlg.SpecialPage().Control(IDC_BTN_GET).isVisible()) << "hidden in the template";
    EXPECT_EQ(*g_cardSizeDetail, 0);
    for (int id : {IDC_RADIO_ALL, IDC_RADIO_DECIMAL, IDC_RADIO_REVERSE, IDC_RADIO_LENGTH_DEFAULT, IDC_RADIO_NO_HEADER})
        EXPECT_TRUE(dlg.SpecialPage().IsChecked(id)) << id;
    EXPECT_EQ(dlg.SpecialPage().SelectedIndex(IDC_COMBO_ADDR), 255);
}

}  // namespace
