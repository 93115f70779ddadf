// The whole road: the real main window and pages, the real reader library,
// and emulated readers on pseudo-terminals found through a private device
// folder. Pauses are recorded instead of slept.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QProcess>
#include <QTabWidget>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "app/TavelinDlg.h"
#include "dataout/card.h"
#include "dataout/params.h"
#include "emulator/emulator.h"
#include "pages/common/ReaderLink.h"
#include "pages/common/ReaderPause.h"
#include "resource.h"
#include "t2/t2.h"
#include "tests/support/DeviceFolder.h"
#include "tests/support/qt_print.h"

namespace {

namespace specialPage = IDD_PAGE_SPECIAL;
namespace commPage = IDD_PAGE_COMM;
namespace mainDlg = IDD_TAVELIN_DIALOG;

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using emulator::Emulator;
using emulator::Faults;

// A press may make up to three reader calls; each has the library's bound,
// plus room for a loaded machine (sanitizer builds).
constexpr auto kCallBound = std::chrono::milliseconds(T2_REPLY_TIMEOUT_MS) + 600ms;

class EndToEnd : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.Ok());
        SetWaitHook([this](int ms) { waits.push_back(ms); });
        dlg = std::make_unique<CTavelinDlg>();
        dlg->show();
    }
    void TearDown() override
    {
        dlg.reset();
        readers.clear();
        SetWaitHook(nullptr);
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    }

    Emulator& StartReader(const std::string& port = "USB")
    {
        auto& reader = readers.emplace_back(std::make_unique<Emulator>());
        reader->SetLog([](const std::string&) {});
        std::string error;
        EXPECT_TRUE(reader->Start(port, &error)) << error;
        reader->SetStoreMs(0);
        return *reader;
    }

    // Presses a button and returns the log line it wrote (exactly one).
    QString Press(DlgItems& window, int id)
    {
        const qsizetype before = dlg->LogText().size();
        const auto start = Clock::now();
        window.Control<QAbstractButton>(id).click();
        const auto took = Clock::now() - start;
        EXPECT_LT(took, 3 * kCallBound) << "button " << id;
        const QString added = dlg->LogText().mid(before);
        EXPECT_EQ(added.count(QStringLiteral("\r\n")), 1) << added.toStdString();
        EXPECT_TRUE(added.endsWith(QStringLiteral("\r\n")));
        return added.chopped(2);
    }
    QString Open(int portIndex = 0, int baudIndex = 0)
    {
        dlg->SetSelectedIndex(mainDlg::IDC_COMBO_PORT, portIndex);
        dlg->SetSelectedIndex(mainDlg::IDC_COMBO_BAUD, baudIndex);
        return Press(*dlg, mainDlg::IDC_BTN_OPEN);
    }
    CPage_special& Special()
    {
        dlg->Sheet()->setCurrentIndex(1);
        return dlg->SpecialPage();
    }

    DeviceFolder folder;
    std::vector<std::unique_ptr<Emulator>> readers;
    std::unique_ptr<CTavelinDlg> dlg;
    std::vector<int> waits;
};

void ExpectReadOnly(const Emulator& reader, int32_t dataBase, int32_t orientation, int32_t snSize, int32_t outLength)
{
    const auto held = reader.State().readOnly;
    EXPECT_EQ(held.dataBase, dataBase);
    EXPECT_EQ(held.orientation, orientation);
    EXPECT_EQ(held.snSize, snSize);
    EXPECT_EQ(held.outLength, outLength);
}

TEST_F(EndToEnd, EveryPresetConfiguresTheReader)
{
    Emulator& reader = StartReader();
    ASSERT_EQ(Open(0, 1), "Reader link ok");
    for (int row = 0; row < int(params::kPresets.size()); ++row) {
        const params::Preset& preset = params::kPresets[row];
        waits.clear();
        EXPECT_EQ(Press(dlg->SimplePage(), CPage_comm::PresetButton(row)), "Set ok") << preset.caption;
        const params::CardSettings& s = preset.settings;
        ExpectReadOnly(reader, s.dataBase, s.orientation, s.snSize, s.outLength);
        EXPECT_EQ(reader.State().block.address, 255);
        EXPECT_EQ(waits, (std::vector<int>{1000, 1000}));
    }
    const auto key = reader.State().block.key;
    EXPECT_TRUE(std::equal(key.begin(), key.end(), params::kDefaultKey.begin()));
}

TEST_F(EndToEnd, VersionOfAnyLengthIsShownBounded)
{
    Emulator& reader = StartReader();
    ASSERT_EQ(Open(), "Reader link ok");
    EXPECT_EQ(Press(dlg->SimplePage(), commPage::IDC_BTN_GETVER), "Get version success");
    EXPECT_EQ(dlg->SimplePage().ItemText(commPage::IDC_EDIT_VERSION), Emulator::kDefaultVersion);

    for (size_t length : {0u, 255u, 300u}) {
        reader.SetVersion(std::string(length, 'V'));
        EXPECT_EQ(Press(dlg->SimplePage(), commPage::IDC_BTN_GETVER), "Get version success");
        const QString kept(std::min<qsizetype>(length, 255), 'V');  // a full buffer marked as maybe cut
        EXPECT_EQ(dlg->SimplePage().ItemText(commPage::IDC_EDIT_VERSION), length < 255 ? kept : kept + "\\...")
            << length;
    }
}

TEST_F(EndToEnd, SpecialSetSendsEveryChoice)
{
    Emulator& reader = StartReader("COM3");
    ASSERT_EQ(Open(3, 0), "Reader link ok");
    CPage_special& page = Special();
    for (int id : {specialPage::IDC_RADIO_HEX, specialPage::IDC_RADIO_FORWARD, specialPage::IDC_RADIO_LENGTH_STATIC,
                   specialPage::IDC_RADIO_HEADER})
        page.Control<QAbstractButton>(id).click();
    page.SetItemText(specialPage::IDC_EDIT_LENGTH, QStringLiteral("12"));
    page.SetSelectedIndex(specialPage::IDC_COMBO_ADDR, 9);
    page.SetItemText(specialPage::IDC_EDIT_PASSWORD, QStringLiteral("a1b2c3d4e5f6"));

    waits.clear();
    EXPECT_EQ(Press(page, specialPage::IDC_BTN_SET), "Set ok");
    ExpectReadOnly(reader, params::Hexadecimal, params::Forward, params::kSnSizeAll, 12);
    const auto held = reader.State();
    EXPECT_EQ(held.headerFlag, 1);
    EXPECT_EQ(held.block.address, 9);
    EXPECT_EQ(held.block.key, (std::array<uint8_t, 6>{0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6}));
    EXPECT_EQ(waits, (std::vector<int>{100, 1000, 1000}));
}

TEST_F(EndToEnd, CloseAndReopen)
{
    Emulator& reader = StartReader();
    EXPECT_EQ(Open(), "Reader link ok");
    EXPECT_EQ(Press(*dlg, mainDlg::IDC_BTN_OPEN), "Reader link released");
    EXPECT_EQ(Press(dlg->SimplePage(), commPage::IDC_BTN_8HEX_FORWARD), "Port is not open");
    EXPECT_EQ(Open(), "Reader link ok");
    EXPECT_EQ(Press(dlg->SimplePage(), commPage::IDC_BTN_8HEX_REVERSE), "Set ok");
    ExpectReadOnly(reader, params::Hexadecimal, params::Reverse, 4, 8);
}

// A fault, the line the user sees, and the same press working once the fault is gone.
struct FaultCase {
    const char* name;
    Faults faults;
    int button;  // on the Simple page, or Set on the Special page
    const char* line;
    const char* why;  // part of the line's tooltip
    const char* recovered = "Set ok";
};

void PrintTo(const FaultCase& c, std::ostream* os)
{
    *os << c.name;
}

class Fault : public EndToEnd, public testing::WithParamInterface<FaultCase> {};

// A tip's text as it reads, its lines joined into one.
QString ShownTip(const QString& tip)
{
    QTextDocument shown;
    shown.setHtml(tip);
    return shown.toPlainText().replace(u'\n', u' ');
}

TEST_P(Fault, IsReportedAndTheToolStaysUsable)
{
    const FaultCase& c = GetParam();
    Emulator& reader = StartReader();
    ASSERT_EQ(Open(), "Reader link ok");
    DlgItems& page = c.button == specialPage::IDC_BTN_SET ? static_cast<DlgItems&>(Special()) : dlg->SimplePage();

    reader.SetFaults(c.faults);
    EXPECT_EQ(Press(page, c.button), c.line);
    auto* log = &dlg->Control<QPlainTextEdit>(mainDlg::IDC_EDIT_MSG);
    const QString why = ShownTip(log->document()->lastBlock().previous().begin().fragment().charFormat().toolTip());
    EXPECT_TRUE(why.contains(c.why)) << why.toStdString();
    EXPECT_NE(g_readerLink->handle, -1);  // a failed setting leaves the link open

    reader.SetFaults({});
    if (c.faults.dropAfterFrames >= 0) {
        EXPECT_EQ(Press(*dlg, mainDlg::IDC_BTN_OPEN), "Reader link released");
        EXPECT_EQ(Open(), "Reader link ok");
    }
    EXPECT_EQ(Press(page, c.button), c.recovered);
}

Faults Silent() { return {.silent = true}; }
Faults BadCrc() { return {.badCrc = true}; }
Faults Refuse(uint8_t command, uint8_t code) { return {.refuse = {{command, code}}}; }
Faults DropAfter(int frames) { return {.dropAfterFrames = frames}; }

INSTANTIATE_TEST_SUITE_P(
    Reader, Fault,
    testing::Values(FaultCase{"Silent", Silent(), commPage::IDC_BTN_8HEX_FORWARD, "Set return error，code: 0x1001",
                              "no answer from the reader"},
                    FaultCase{"BadCrc", BadCrc(), commPage::IDC_BTN_10DEC_FORWARD, "Set return error，code: 0x1002",
                              "bad checksum"},
                    FaultCase{"VersionSilent", Silent(), commPage::IDC_BTN_GETVER, "Get version failed",
                              "no answer from the reader", "Get version success"},
                    FaultCase{"PresetParamsRefused", Refuse(t2proto::kSetReadOnly, 0x05),
                              commPage::IDC_BTN_14HEX_FORWARD, "Set return error，code: 0x05",
                              "refused the request with code 0x05"},
                    FaultCase{"PresetResetRefused", Refuse(t2proto::kSetBlockRead, 0x21),
                              commPage::IDC_BTN_14HEX_REVERSE, "Set return error，code: 0x21",
                              "refused the request with code 0x21 (a value out of range)"},
                    FaultCase{"SpecialParamsRefused", Refuse(t2proto::kSetReadOnly, 0x07), specialPage::IDC_BTN_SET,
                              "Set return error，code: 0x07", "refused the request with code 0x07"},
                    FaultCase{"SpecialHeaderRefused", Refuse(t2proto::kSetHeader, 0x08), specialPage::IDC_BTN_SET,
                              "Set header return error，code: 0x08", "code 0x08"},
                    FaultCase{"SpecialBlockRefused", Refuse(t2proto::kSetBlockRead, 0x09), specialPage::IDC_BTN_SET,
                              "Set address of reading return error，code: 0x09", "code 0x09"},
                    FaultCase{"PresetLinkDropped", DropAfter(1), commPage::IDC_BTN_10DEC_REVERSE,
                              "Set return error，code: 0x1003", "the port went away"},
                    FaultCase{"SpecialLinkDropped", DropAfter(2), specialPage::IDC_BTN_SET,
                              "Set address of reading return error，code: 0x1003", "the port went away"}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST_F(EndToEnd, RefusedResetKeepsTheNewFormatAndTheOldBlock)
{
    Emulator& reader = StartReader();
    ASSERT_EQ(Open(), "Reader link ok");
    const auto before = reader.State().block;
    reader.SetFaults(Refuse(t2proto::kSetBlockRead, 0x07));
    EXPECT_EQ(Press(dlg->SimplePage(), commPage::IDC_BTN_8HEX_FORWARD), "Set return error，code: 0x07");
    ExpectReadOnly(reader, params::Hexadecimal, params::Forward, 4, 8);
    EXPECT_EQ(reader.State().block, before);
    EXPECT_EQ(waits, (std::vector<int>{1000, 1000}));
}

TEST_F(EndToEnd, GarbageBeforeRepliesIsSkipped)
{
    Emulator& reader = StartReader();
    ASSERT_EQ(Open(), "Reader link ok");
    reader.SetFaults({.garbageBytes = 17});
    EXPECT_EQ(Press(dlg->SimplePage(), commPage::IDC_BTN_8HEX_FORWARD), "Set ok");
    EXPECT_EQ(Press(Special(), specialPage::IDC_BTN_SET), "Set ok");
}

TEST_F(EndToEnd, ReaderGoneWhileOpenThenBack)
{
    StartReader();
    ASSERT_EQ(Open(), "Reader link ok");
    readers.clear();  // the reader is unplugged
    EXPECT_EQ(Press(dlg->SimplePage(), commPage::IDC_BTN_8HEX_FORWARD), "Set return error，code: 0x1003");
    EXPECT_EQ(Press(*dlg, mainDlg::IDC_BTN_OPEN), "Reader link released");
    EXPECT_EQ(Open(), "Reader link failed");

    StartReader();
    EXPECT_EQ(Open(), "Reader link ok");
    EXPECT_EQ(Press(dlg->SimplePage(), commPage::IDC_BTN_8HEX_FORWARD), "Set ok");
}

// No Close and Open needed: pressed while the reader is unplugged, then again
// once it is back.
TEST_F(EndToEnd, ReaderUnpluggedWhileOpenIsTakenUpAgainOncePluggedIn)
{
    Emulator& reader = StartReader();
    ASSERT_EQ(Open(), "Reader link ok");
    reader.Unplug();
    EXPECT_EQ(Press(dlg->SimplePage(), commPage::IDC_BTN_8HEX_FORWARD), "Set return error，code: 0x1003");
    ASSERT_TRUE(reader.Plug());
    EXPECT_EQ(Press(dlg->SimplePage(), commPage::IDC_BTN_8HEX_FORWARD), "Set ok");
    ExpectReadOnly(reader, params::Hexadecimal, params::Forward, 4, 8);
}

TEST_F(EndToEnd, SilentReaderFailsTheOpen)
{
    Emulator& reader = StartReader();
    reader.SetFaults(Silent());
    EXPECT_EQ(Open(), "Reader link failed");
    reader.SetFaults({});
    EXPECT_EQ(Open(), "Reader link ok");
}

// The library's reason for the last failed Open, over the Open button and
// the log's last line alike, as the tip shows it.
QString Reason(CTavelinDlg& dlg)
{
    auto* log = &dlg.Control<QPlainTextEdit>(mainDlg::IDC_EDIT_MSG);
    const QTextBlock last = log->document()->lastBlock().previous();  // the text ends with a line break
    const QString tip = last.begin().fragment().charFormat().toolTip();
    EXPECT_EQ(tip, dlg.Control(mainDlg::IDC_BTN_OPEN).toolTip()) << last.text().toStdString();
    return ShownTip(tip);
}

TEST_F(EndToEnd, PortsThatCannotBeUsed)
{
    Emulator& reader = StartReader();
    const std::string folder = this->folder.Path();

    // Busy: another program holds the device.
    const int other = open(reader.TtyPath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(Open(), "Reader link failed");
    EXPECT_TRUE(Reason(*dlg).contains("busy: held by another program")) << Reason(*dlg).toStdString();
    close(other);
    EXPECT_EQ(Open(), "Reader link ok");
    EXPECT_EQ(dlg->Control(mainDlg::IDC_BTN_OPEN).toolTip(), "");
    EXPECT_EQ(Press(*dlg, mainDlg::IDC_BTN_OPEN), "Reader link released");

    // An entry that leads nowhere.
    ASSERT_EQ(symlink("/dev/no-such-tty", (folder + "/COM5").c_str()), 0);
    EXPECT_EQ(Open(5), "Reader link failed");
    EXPECT_TRUE(Reason(*dlg).startsWith("no such device for COM5")) << Reason(*dlg).toStdString();

    // A folder others may write into is not trusted.
    ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
    EXPECT_EQ(Open(), "Reader link failed");
    ASSERT_EQ(chmod(folder.c_str(), 0700), 0);
    EXPECT_EQ(Open(), "Reader link ok");
}

TEST_F(EndToEnd, InvalidKeysNeverReachTheReader)
{
    Emulator& reader = StartReader();
    ASSERT_EQ(Open(), "Reader link ok");
    CPage_special& page = Special();
    const int before = reader.State().requests;
    for (const QString& key : {QString(), QStringLiteral("3A7F19C2E84"), QStringLiteral("3A7F19C2E8451"),
                               QStringLiteral("3A7F19C2E84G"), QStringLiteral("3A7F19C2E8 5"),
                               QStringLiteral("3A7F19C2E8４5"), QString(127, 'A'), QString(200, '3')}) {
        page.SetItemText(specialPage::IDC_EDIT_PASSWORD, key);
        EXPECT_EQ(Press(page, specialPage::IDC_BTN_SET), "Data or length invalid") << key.toStdString();
    }
    EXPECT_EQ(reader.State().requests, before);
}

}  // namespace

namespace {

// The emulator program itself, as a user runs it; ready once its entry is published.
class EmulatorProgram {
public:
    explicit EmulatorProgram(const std::string& folder, const QStringList& options = {}) : m_entry(folder + "/USB")
    {
        m_process.start(QStringLiteral(READER_EMULATOR), QStringList{QStringLiteral("--store-ms"), QStringLiteral("0")} + options);
        // Its first line says it is published (over any stale entry).
        QByteArray said;
        while (!said.contains("reader on") && m_process.waitForReadyRead(30000))
            said += m_process.readAllStandardOutput();
    }
    ~EmulatorProgram()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    bool Published() const { return std::filesystem::exists(std::filesystem::symlink_status(m_entry)); }
    QProcess& Process() { return m_process; }

private:
    std::string m_entry;
    QProcess m_process;
};

TEST_F(EndToEnd, EmulatorProgramKilledWhileOpen)
{
    {
        EmulatorProgram program(folder.Path());
        ASSERT_TRUE(program.Published());
        ASSERT_EQ(Open(), "Reader link ok");
        EXPECT_EQ(Press(dlg->SimplePage(), commPage::IDC_BTN_10DEC_FORWARD), "Set ok");
        program.Process().kill();  // no chance to tidy up
        ASSERT_TRUE(program.Process().waitForFinished());
        EXPECT_EQ(Press(dlg->SimplePage(), commPage::IDC_BTN_10DEC_FORWARD), "Set return error，code: 0x1003");
        EXPECT_EQ(Press(*dlg, mainDlg::IDC_BTN_OPEN), "Reader link released");
        EXPECT_EQ(Open(), "Reader link failed");  // its entry is left pointing at nothing
    }
    EmulatorProgram again(folder.Path());
    EXPECT_EQ(Open(), "Reader link ok");
    EXPECT_EQ(Press(dlg->SimplePage(), commPage::IDC_BTN_GETVER), "Get version success");
}

TEST_F(EndToEnd, EmulatorProgramRemovesItsEntryWhenStopped)
{
    EmulatorProgram program(folder.Path());
    ASSERT_TRUE(program.Published());
    program.Process().terminate();
    ASSERT_TRUE(program.Process().waitForFinished());
    EXPECT_FALSE(program.Published());
    EXPECT_EQ(Open(), "Reader link failed");
}

// What the emulator program prints for a card typed on its standard input:
// its next line that is not about a request of the link.
std::string Typed(QProcess& program, const std::string& uid)
{
    program.write(("card " + uid + "\n").c_str());
    for (;;) {
        if (!program.canReadLine() && !program.waitForReadyRead(30000))
            return "(nothing printed)";
        if (!program.canReadLine())
            continue;
        const std::string line = program.readLine().trimmed().toStdString();
        if (line.find(" -> ") == std::string::npos)
            return line;
    }
}

TEST_F(EndToEnd, CardsAreTypedAsTheUserChose)
{
    EmulatorProgram program(folder.Path(), {QStringLiteral("--block"), QStringLiteral("4:4361726420370000")});
    ASSERT_EQ(Open(), "Reader link ok");
    auto typed = [&] { return Typed(program.Process(), "00831B78"); };

    EXPECT_EQ(Press(dlg->SimplePage(), commPage::IDC_BTN_10DEC_FORWARD), "Set ok");
    EXPECT_EQ(typed(), "0008592248");

    CPage_special& page = Special();
    for (int id : {specialPage::IDC_RADIO_WIEGAND, specialPage::IDC_RADIO_FORWARD, specialPage::IDC_RADIO_HEADER})
        page.Control<QAbstractButton>(id).click();
    EXPECT_EQ(Press(page, specialPage::IDC_BTN_SET), "Set ok");
    EXPECT_EQ(typed(), "131,07032<Enter>");

    page.Control<QAbstractButton>(specialPage::IDC_RADIO_STRING).click();  // of block 4
    page.SetSelectedIndex(specialPage::IDC_COMBO_ADDR, 4);
    EXPECT_EQ(Press(page, specialPage::IDC_BTN_SET), "Set ok");
    EXPECT_EQ(typed(), "Card 7<Enter>");

    page.SetItemText(specialPage::IDC_EDIT_PASSWORD, QStringLiteral("FFFFFFFFFFFF"));
    EXPECT_EQ(Press(page, specialPage::IDC_BTN_SET), "Set ok");
    EXPECT_TRUE(typed().starts_with("card 00831B78: types nothing: the key sent with Set"));
}

}  // namespace
