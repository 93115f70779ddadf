#include <QPushButton>

#include "resource.h"
#include "tests/pages/PagesFixture.h"
#include "tests/support/qt_print.h"

namespace {

using namespace IDD_PAGE_COMM;

using Trace = std::vector<std::string>;

// The page alone, with a link and a log as the window hands it them.
class SimplePage : public FakeLibraryTest, public MessageLog {
protected:
    void SetUp() override
    {
        FakeLibraryTest::SetUp();
        page.show();
    }
    void AppendLog(const QString& message, int newLine) override { log += message + (newLine ? "\n" : ""); }
    void AppendLog(const QString& message, int newLine, const QString& toolTip) override
    {
        tip = toolTip;
        AppendLog(message, newLine);
    }
    CPage_comm& Page() { return page; }
    QStringList Log() const { return log.split('\n', Qt::SkipEmptyParts); }

    ReaderLink link{kHandle, 0};
    QString log, tip;
    CPage_comm page{PageContext{link, *this}};
};

struct PresetCase {
    int button;
    const char* caption;
    int32_t dataBase, orientation, snSize, outLength;
};

class Preset : public SimplePage, public testing::WithParamInterface<PresetCase> {};

TEST_P(Preset, SendsItsRowThenResetsToUidWithTheDefaultKey)
{
    const PresetCase c = GetParam();
    EXPECT_EQ(Page().ItemText(c.button), c.caption);

    Click(Page(), c.button);

    EXPECT_EQ(Ops(), (Trace{"lc_setReadOnlyPara", "Wait", "lc_setBlockReadPara", "Wait"}));
    const T2Call& para = Call("lc_setReadOnlyPara");
    EXPECT_EQ(para.ints, (std::vector<int32_t>{kHandle, c.dataBase, c.orientation, c.snSize, c.outLength}));
    EXPECT_EQ(para.buffers, (std::vector<std::vector<unsigned char>>{kZero8, kZero3, kZero3}));
    const T2Call& block = Call("lc_setBlockReadPara");
    EXPECT_EQ(block.ints, (std::vector<int32_t>{kHandle, 255}));
    EXPECT_EQ(block.buffers.at(0), kDefaultKeyBytes);
    EXPECT_EQ(Fake().calls[1].ints, std::vector<int32_t>{1000});
    EXPECT_EQ(Fake().calls[3].ints, std::vector<int32_t>{1000});
    EXPECT_EQ(busyDuringWaits, (std::vector<bool>{true, true}));
    EXPECT_EQ(Log(), QStringList{"Set ok"});
}

INSTANTIATE_TEST_SUITE_P(AllSix, Preset,
                         testing::Values(PresetCase{IDC_BTN_8HEX_FORWARD, "8-out-hex-forward", 1, 1, 4, 8},
                                         PresetCase{IDC_BTN_8HEX_REVERSE, "8-out-hex-reverse", 1, 0, 4, 8},
                                         PresetCase{IDC_BTN_10DEC_FORWARD, "10-out-dec-forward", 0, 1, 4, 10},
                                         PresetCase{IDC_BTN_10DEC_REVERSE, "10-out-dec-reverse", 0, 0, 4, 10},
                                         PresetCase{IDC_BTN_14HEX_FORWARD, "14-out-hex-forward", 1, 1, 7, 14},
                                         PresetCase{IDC_BTN_14HEX_REVERSE, "14-out-hex-reverse", 1, 0, 7, 14}));

struct PresetFailure {
    const char* name;
    int32_t paraResult, blockResult;
    Trace ops;
    const char* log;
    const char* why;  // over the line; the fake has no words of its own
};

class PresetFails : public SimplePage, public testing::WithParamInterface<PresetFailure> {};

TEST_P(PresetFails, LogsOneLineAndStopsWhereTheReaderRefused)
{
    const PresetFailure c = GetParam();
    Fake().readOnlyResults = {c.paraResult};
    Fake().blockResults = {c.blockResult};

    Click(Page(), IDC_BTN_10DEC_FORWARD);

    EXPECT_EQ(Ops(), c.ops);
    EXPECT_EQ(Log(), QStringList{QString::fromUtf8(c.log)});
    EXPECT_EQ(tip, c.why);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PresetFails,
    testing::Values(PresetFailure{"ParametersRefused", 5, 0, {"lc_setReadOnlyPara"}, "Set return error，code: 0x05",
                                  "the reader refused the request with code 0x05 (a code this tool does not know)"},
                    PresetFailure{"LibraryErrorOnParameters", 0x3001, 0, {"lc_setReadOnlyPara"},
                                  "Set return error，code: 0x3001", "the reader library's own code 0x3001, not one this program knows"},
                    // A refused reset still waits out its second pause.
                    PresetFailure{"ResetRefused", 0, -1,
                                  {"lc_setReadOnlyPara", "Wait", "lc_setBlockReadPara", "Wait"},
                                  "Set return error，code: 0xFFFFFFFF", "the reader library's own code 0xFFFFFFFF, not one this program knows"}),
    [](const auto& info) { return info.param.name; });

TEST_F(SimplePage, PresetUsesTheHandleItReadFirstThroughout)
{
    SetWaitHook([this](int) { link.handle = 99; });
    Click(Page(), IDC_BTN_8HEX_FORWARD);
    EXPECT_EQ(Call("lc_setBlockReadPara").ints.at(0), kHandle);
}

TEST_F(SimplePage, ClosedLinkLogsOnlyTheGuardForEveryButton)
{
    link.handle = -1;
    for (int id : {IDC_BTN_8HEX_FORWARD, IDC_BTN_8HEX_REVERSE, IDC_BTN_10DEC_FORWARD, IDC_BTN_10DEC_REVERSE,
                   IDC_BTN_14HEX_FORWARD, IDC_BTN_14HEX_REVERSE, IDC_BTN_GETVER})
        Click(Page(), id);

    EXPECT_TRUE(Fake().calls.empty());
    EXPECT_EQ(Log(), QStringList(7, "Port is not open"));
}

TEST_F(SimplePage, InitialisesCaptionsAndDefaults)
{
    EXPECT_FALSE(Page().children().isEmpty());
    EXPECT_EQ(Page().ItemText(IDC_GROUP_4BYTE), "4-byte");
    EXPECT_EQ(Page().ItemText(IDC_GROUP_7BYTE), "7-byte");
    EXPECT_EQ(Page().ItemText(IDC_BTN_GETVER), "Get-Ver");
    EXPECT_EQ(Page().ItemText(IDC_EDIT_VERSION), "");
}

TEST_F(SimplePage, GetVersionShowsTheTextAfterLoggingSuccess)
{
    Fake().versionText = "T2 reader v1.0";
    Click(Page(), IDC_BTN_GETVER);

    EXPECT_EQ(Ops(), Trace{"lc_getver"});
    const T2Call& call = Call("lc_getver");
    EXPECT_EQ(call.ints, std::vector<int32_t>{kHandle});
    EXPECT_EQ(call.buffers.at(0), std::vector<unsigned char>(256, 0)) << "buffer not zero-filled";
    EXPECT_EQ(Page().ItemText(IDC_EDIT_VERSION), "T2 reader v1.0");
    EXPECT_EQ(Log(), QStringList{"Get version success"});
}

TEST_F(SimplePage, FailedGetVersionKeepsTheOldText)
{
    Fake().versionText = "old";
    Click(Page(), IDC_BTN_GETVER);
    Fake().getverResults = {1};
    Fake().versionText = "new";
    Click(Page(), IDC_BTN_GETVER);

    EXPECT_EQ(Page().ItemText(IDC_EDIT_VERSION), "old");
    EXPECT_EQ(Log(), (QStringList{"Get version success", "Get version failed"}));
}

// The box shows the version as a terminal and the station's record do: each
// byte, bounded to the library's buffer, marked where it may have been cut.
TEST_F(SimplePage, VersionBoxShowsEachByteBounded)
{
    using namespace std::string_literals;
    const struct {
        std::string text;
        bool unterminated;
        QString shown;
    } cases[] = {
        {std::string(255, 'V'), false, QString(255, 'V') + "\\..."},
        {std::string(256, 'V'), true, QString(255, 'V') + "\\..."},
        {"TR-200\0#0001\xC2\x9B" "2J\r"s, false, "TR-200\\x00#0001\\xC2\\x9B2J\\x0D"},
    };
    for (const auto& c : cases) {
        Fake().versionText = c.text;
        Fake().versionUnterminated = c.unterminated;
        Click(Page(), IDC_BTN_GETVER);
        EXPECT_EQ(Page().ItemText(IDC_EDIT_VERSION), c.shown) << c.text;
    }
}

}  // namespace
