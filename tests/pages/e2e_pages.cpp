// Both pages through the real library against an emulated reader.
#include <QAbstractButton>
#include <QTabWidget>
#include <gtest/gtest.h>

#include <vector>

#include "EmulatedReader.h"
#include "params.h"
#include "special/DlgCardSizeDetail1.h"

namespace {

using t2proto::BlockRead;
using t2proto::ReadOnlyParams;

const std::array<uint8_t, 6> kDefaultKey = {0x3A, 0x7F, 0x19, 0xC2, 0xE8, 0x45};

class EndToEnd : public testing::Test {
protected:
    void SetUp() override
    {
        SetWaitHook([this](int ms) { waits.push_back(ms); });
        const std::string error = setup.Start(9600);
        ASSERT_EQ(error, "");
        setup.reader.SetStoreMs(5);
        before = setup.reader.State();
    }
    void TearDown() override { SetWaitHook(nullptr); }

    CTavelinDlg& Dlg() { return *setup.dlg; }
    static void Click(DlgItems& w, int id) { qobject_cast<QAbstractButton*>(w.Item(id))->click(); }
    QString Log() const { return setup.dlg->LogText(); }
    CPage_special& Special()
    {
        Dlg().Sheet()->setCurrentIndex(1);
        return Dlg().SpecialPage();
    }

    EmulatedReader setup;
    emulator::ReaderState before;
    std::vector<int> waits;
};

TEST_F(EndToEnd, PresetLeavesTheReaderHoldingItsValues)
{
    Click(Dlg().SimplePage(), 1043);  // "10-out-dec-reverse"

    EXPECT_EQ(Log(), "Set ok\r\n");
    EXPECT_EQ(waits, (std::vector<int>{1000, 1000}));
    const emulator::ReaderState after = setup.reader.State();
    EXPECT_EQ(after.readOnly, (ReadOnlyParams{0, {}, 0, 4, 10, {}, {}}));
    EXPECT_EQ(after.block, (BlockRead{255, kDefaultKey}));
    EXPECT_EQ(after.headerFlag, before.headerFlag);
    EXPECT_EQ(after.requests - before.requests, 2);
}

TEST_F(EndToEnd, GetVersionFillsTheBox)
{
    setup.reader.SetVersion("E2E reader 9.9");
    Click(Dlg().SimplePage(), 1049);
    EXPECT_EQ(Log(), "Get version success\r\n");
    EXPECT_EQ(Dlg().SimplePage().ItemText(1063), "E2E reader 9.9");
}

TEST_F(EndToEnd, SilentReaderFailsTheVersionQuery)
{
    setup.reader.SetFaults({.silent = true});
    Click(Dlg().SimplePage(), 1049);
    EXPECT_EQ(Log(), "Get version failed\r\n");
    EXPECT_EQ(Dlg().SimplePage().ItemText(1063), "");
}

struct Refusal {
    const char* name;
    emulator::Faults faults;
    const char* log;
    bool readOnlyStored;
};

class PresetRefused : public EndToEnd, public testing::WithParamInterface<Refusal> {};

TEST_P(PresetRefused, ReportsTheCodeAndKeepsWhatWasAccepted)
{
    setup.reader.SetFaults(GetParam().faults);
    Click(Dlg().SimplePage(), 1040);  // "8-out-hex-forward"

    EXPECT_EQ(Log(), QString::fromUtf8(GetParam().log) + "\r\n");
    const emulator::ReaderState after = setup.reader.State();
    EXPECT_EQ(after.readOnly == (ReadOnlyParams{1, {}, 1, 4, 8, {}, {}}), GetParam().readOnlyStored);
    EXPECT_EQ(after.block, before.block);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, PresetRefused,
    testing::Values(Refusal{"First", {.refuse = {{t2proto::kSetReadOnly, 0x21}}}, "Set return error，code: 0x21", false},
                    Refusal{"Second", {.refuse = {{t2proto::kSetBlockRead, 0x07}}}, "Set return error，code: 0x07", true},
                    Refusal{"NoAnswer", {.silent = true}, "Set return error，code: 0x1001", false}),
    [](const auto& info) { return info.param.name; });

TEST_F(EndToEnd, SpecialSetLeavesTheReaderHoldingEveryValue)
{
    CPage_special& page = Special();
    for (int id : {1008, 1009, 1012, 1017, 1013})
        Click(page, id);
    g_cardSizeDetail = params::SnSizeBack(3);  // as the detail dialog stores "后" 3
    page.SetItemText(1019, "14");
    page.SetSelectedIndex(1046, 7);
    page.SetItemText(1047, "00a1B2c3D4fF");

    Click(page, 1021);

    EXPECT_EQ(Log(), "Set ok\r\n");
    EXPECT_EQ(waits, (std::vector<int>{100, 1000, 1000}));
    const emulator::ReaderState after = setup.reader.State();
    EXPECT_EQ(after.readOnly, (ReadOnlyParams{2, {}, 1, 0xF3, 14, {}, {}}));
    EXPECT_EQ(after.headerFlag, 1);
    EXPECT_EQ(after.block, (BlockRead{7, {0x00, 0xA1, 0xB2, 0xC3, 0xD4, 0xFF}}));
}

TEST_F(EndToEnd, SpecialSetStopsAtARefusedHeader)
{
    setup.reader.SetFaults({.refuse = {{t2proto::kSetHeader, 0x21}}});
    Click(Special(), 1013);  // "With"
    Click(Special(), 1021);

    EXPECT_EQ(Log(), "Set header return error，code: 0x21\r\n");
    EXPECT_EQ(setup.reader.State().headerFlag, before.headerFlag);
    EXPECT_EQ(setup.reader.State().block, before.block);
}

}  // namespace
