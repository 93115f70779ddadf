// tavelin-config against an emulated reader: the reader receives from a file
// exactly what it receives from the window's buttons for the same choices.
#include <QAbstractButton>
#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "emulator/keyboard.h"
#include "pages/common/ReaderPause.h"
#include "resource.h"
#include "t2/devices.h"
#include "t2/t2.h"
#include "tests/support/DeviceFolder.h"
#include "tests/support/EmulatedReader.h"
#include "tests/support/qt_print.h"

namespace {

namespace specialPage = IDD_PAGE_SPECIAL;
namespace commPage = IDD_PAGE_COMM;

// The program as shipped, and as most tests run it: the reader's pauses said,
// and waited out only while a file "hold" is in its working folder.
const QString kShipped = QStringLiteral(TAVELIN_CONFIG), kNoPause = QStringLiteral(TAVELIN_CONFIG_NOPAUSE);

struct Result {
    int exitCode;
    QString out, err;
};

// `inChild` runs in the program's process before it starts.
Result Config(const QStringList& args, const QString& out = {}, const std::function<void()>& inChild = {})
{
    QProcess config;
    if (!out.isEmpty())
        config.setStandardOutputFile(out);
    if (inChild)
        config.setChildProcessModifier(inChild);
    config.start(kNoPause, args);
    if (!config.waitForFinished(60000))  // a bound for a failure, not a pace
        return {-1, {}, QStringLiteral("did not finish")};
    return {config.exitCode(), QString::fromUtf8(config.readAllStandardOutput()),
            QString::fromUtf8(config.readAllStandardError())};
}

// What the reader received and answered, one line a request, handshakes left out.
class Record {
public:
    explicit Record(emulator::Emulator& reader)
    {
        reader.SetLog([this](const std::string& line) {
            std::lock_guard lock(mutex_);
            if (!line.starts_with("handshake") && !line.starts_with("reader on"))
                lines_.push_back(line);
        });
    }
    std::vector<std::string> Take()
    {
        std::lock_guard lock(mutex_);
        return std::exchange(lines_, {});
    }

private:
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

class Cli : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        record = std::make_unique<Record>(setup.reader);
        ASSERT_EQ(setup.Start(9600), "");
        setup.reader.SetStoreMs(0);
        SetWaitHook([](int) {});
    }
    void TearDown() override { SetWaitHook(nullptr); }
    // A file of its own for each text: a table's files are all written before the first is read.
    QString File(const char* text)
    {
        const QString path = dir.filePath(QStringLiteral("setting%1.ini").arg(++files));
        std::ofstream(path.toStdString()) << text;
        return path;
    }
    // The window's link is closed while the program holds the port.
    Result Apply(const QString& file)
    {
        setup.dlg->OnOpenClose();
        Result run = Config({"apply", file, "--port", "USB"});
        setup.dlg->OnOpenClose();
        return run;
    }

    QTemporaryDir dir;
    int files = 0;
    std::unique_ptr<Record> record;  // outlives the reader, which logs as it stops
    EmulatedReader setup;
};

TEST_F(Cli, AppliesAFileAsTheWindowSetsTheSameChoices)
{
    setup.dlg->SimplePage().Control<QAbstractButton>(commPage::IDC_BTN_10DEC_REVERSE).click();
    auto byWindow = record->Take();
    ASSERT_EQ(byWindow.size(), 2u);
    Result run = Apply(File("format = 1\npreset = 10-out-dec-reverse\n"));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.endsWith("done: the reader took the setting\n")) << run.out.toStdString();
    EXPECT_EQ(record->Take(), byWindow);

    // A Special composition chosen by hand and Set, then saved from the window and applied.
    CPage_special& page = setup.dlg->SpecialPage();
    setup.dlg->Sheet()->setCurrentWidget(&page);
    for (int id : {specialPage::IDC_RADIO_WIEGAND, specialPage::IDC_RADIO_FORWARD, specialPage::IDC_RADIO_HEADER})
        page.Control<QAbstractButton>(id).click();
    page.SetSelectedIndex(specialPage::IDC_COMBO_ADDR, 9);
    page.SetItemText(specialPage::IDC_EDIT_PASSWORD, QStringLiteral("a1b2c3d4e5f6"));
    page.Control<QAbstractButton>(specialPage::IDC_BTN_SET).click();
    byWindow = record->Take();
    ASSERT_EQ(byWindow.size(), 3u);
    const QString file = dir.filePath(QStringLiteral("special.ini"));
    ASSERT_TRUE(setup.dlg->SaveSpecialSetting(file));
    run = Apply(file);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(record->Take(), byWindow);
}

TEST_F(Cli, BadInputAndNoReaderEndWithTheirStatusAndSendNothing)
{
    const QString special = File("format = 1\nbase = Wiegand\norder = Forward\nsize = All\nlength = Default\n"
                                 "header = With\nblock = 255\nkey = 3A7F19C2E845\n");
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{}, "no command"},
        {{"check", dir.filePath("none.ini")}, "none.ini: no such file"},
        {{"check", File("format = 1\npreset = 9-out\n")}, "preset = \"9-out\" is not valid"},
        {{"check", File("format = 1\npreset = 8-out-hex-forward\nordr Forward\n")}, ".ini:3: \"ordr Forward\" is not"},
        {{"check", File("format = 1\npreset = 8-out-hex-forward ; \x01\n")}, ".ini:2: \"preset = 8-out-hex-forward ; \\x01\" "},
        {{"apply", File("format = 1\nbase = String\norder = Forward\nsize = All\nlength = Default\nheader = With\n"
                        "block = 255\nkey = 3A7F19C2E845\n"), "--port", "USB"},
         ".ini:7: base = String with block = 255: not a valid setting"},
        {{"station", special, "--port", "USB", "--log", special, "--count", "1"},
         "cannot append: not a station's record: its first line is not \"time,port,"},
        {{"version", "--port", "USB:1." + QString(120000, '1')}, "--port USB:1.111"},
        {{"station", File("format = 1\npreset = 8-out-hex-forward\n"), "--log", dir.filePath("r.csv"), "--verify-text",
          "Card 7"},
         "--verify-text goes with a setting that reads a data block, and this one reads the card's UID"},
    };
    Result run;
    for (const auto& c : cases) {
        run = Config(c.args);
        EXPECT_EQ(run.exitCode, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
        EXPECT_LT(run.err.size(), 2000) << "a refusal echoes a pasted name whole";
    }

    // No reader: the program gives the library's reason, and the library says nothing itself.
    run = Config({"version", "--port", "com9"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.err.startsWith("tavelin-config: no reader on COM9: ")) << run.err.toStdString();
    // COM9 is missing here, or a port with no reader: the library has a reason either way.
    EXPECT_FALSE(run.err.contains("gives no reason")) << run.err.toStdString();
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    EXPECT_TRUE(record->Take().empty());
}

// Help, the program's version, a dry run, a check and a reader's version: the
// answer on standard output and status 0; a dry run sends nothing.
TEST_F(Cli, AnswersOnStandardOutput)
{
    const QString preset = File("format = 1\npreset = 8-out-hex-forward\n");
    const struct {
        QStringList args;
        QString out;  // the start of standard output
    } cases[] = {
        {{"--help"}, "tavelin-config: "},
        {{"-h"}, "tavelin-config: "},
        {{"help"}, "tavelin-config: "},
        {{"--version"}, "tavelin-config " TAVELIN_VERSION "\n"},
        {{"check", preset}, preset + ": preset = 8-out-hex-forward\n"},
        {{"apply", preset, "--port", "USB", "--dry-run"},
         "lc_init(100, 9600)  ; USB\n"
         "lc_setReadOnlyPara(handle, dataBase=1, aux8=0..., orientation=1, snSize=4, outLength=8, auxA=0..., "
         "auxB=0...)\npause 1000 ms\n"
         "lc_setBlockReadPara(handle, blockAddress=255, key=3A7F19C2E845)\npause 1000 ms, also after a failure\n"
         "lc_exit(handle)\n"},
    };
    for (const auto& c : cases) {
        const Result run = Config(c.args);
        EXPECT_EQ(run.exitCode, 0) << c.args.join(' ').toStdString() << ": " << run.err.toStdString();
        EXPECT_TRUE(run.out.startsWith(c.out)) << run.out.toStdString();
    }
    // Run from the build tree, it names the clone's manual page, which is there.
    const QString manual = QRegularExpression("man (/\\S+[.]1)[.]\n").match(Config({"--help"}).out).captured(1);
    EXPECT_TRUE(manual.endsWith("/packaging/tavelin-config.1") && QFile::exists(manual)) << manual.toStdString();
    EXPECT_TRUE(record->Take().empty());

    setup.dlg->OnOpenClose();
    const Result run = Config({"version", "--port", "USB"});
    setup.dlg->OnOpenClose();
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("%1\n").arg(emulator::Emulator::kDefaultVersion));
}

// An answer that does not reach standard output is a failure, not a success.
TEST_F(Cli, AnAnswerLostOnTheWayIsAFailure)
{
    setup.dlg->OnOpenClose();
    const QString preset = File("format = 1\npreset = 8-out-hex-forward\n");
    for (const QStringList& args : {QStringList{"version", "--port", "USB"}, {"check", preset}, {"--help"}}) {
        const Result run = Config(args, "/dev/full");
        EXPECT_EQ(run.exitCode, 4) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("standard output: No space left on device")) << run.err.toStdString();
    }
    setup.dlg->OnOpenClose();
}

// A station program and what it has printed so far.
struct StationRun {
    QProcess process;
    QString out;
    QString program = kNoPause;

    void Start(const QString& dir, const QStringList& args)
    {
        process.setWorkingDirectory(dir);
        process.start(program, QStringList{"station"} + args);
    }
    // With these very bytes for arguments, which QProcess would take as text:
    // the child runs the program itself.
    void StartBytes(const QString& dir, const std::vector<std::string>& args)
    {
        bytes = {program.toStdString(), "station"};
        bytes.insert(bytes.end(), args.begin(), args.end());
        for (std::string& arg : bytes)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        process.setChildProcessModifier([this] { execv(argv[0], argv.data()); });
        process.setWorkingDirectory(dir);
        process.start(program);
    }
    std::vector<std::string> bytes;
    std::vector<char*> argv;
    // From Hold() to Release(), a reader's pause lasts: the test acts while it stores.
    void Hold() { QFile(process.workingDirectory() + "/hold").open(QIODevice::WriteOnly); }
    void Release() { QFile::remove(process.workingDirectory() + "/hold"); }
    // Whether it says `text` `count` times within a generous bound.
    bool Await(const QString& text, int count = 1)
    {
        for (QDeadlineTimer bound(30000); out.count(text) < count && !bound.hasExpired();) {
            process.waitForReadyRead(100);
            out += QString::fromUtf8(process.readAllStandardOutput());
        }
        return out.count(text) >= count;
    }
    // Its exit status once it ends by itself, or -1.
    int Finish()
    {
        const bool ended = process.waitForFinished(30000);
        out += QString::fromUtf8(process.readAllStandardOutput());
        return ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

// A station on a port the window holds says so, once, and waits; it takes the
// reader once the window lets it go.
TEST_F(Cli, AStationOnAPortHeldElsewhereSaysSoAndWaits)
{
    StationRun station;
    station.Start(dir.path(), {File("format = 1\npreset = 8-out-hex-forward\n"), "--count", "1"});
    ASSERT_TRUE(station.Await("is busy: held by another program")) << station.out.toStdString();
    setup.dlg->OnOpenClose();
    EXPECT_EQ(station.Finish(), 0) << station.out.toStdString();
    EXPECT_EQ(station.out.count("busy"), 1) << station.out.toStdString();
    EXPECT_TRUE(station.out.contains("Reader 1: OK")) << station.out.toStdString();
}

// Stations against an emulated reader on "USB" in a private device folder.
class Station : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        std::ofstream(file.toStdString()) << "format = 1\npreset = 8-out-hex-reverse\n";
        reader.Unplug();
        std::string error;
        ASSERT_TRUE(reader.Start("USB", &error)) << error;
        reader.SetStoreMs(0);
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QStringList Lines(const QString& path) const
    {
        QFile log(path);
        // fromUtf8 drops a new record's byte order mark
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()).split('\n') : QStringList{"none"};
    }
    // The rows under the header: port, version, result, failed step, code,
    // and up to `last`, what the reader typed and the verdict.
    QStringList Rows(const QString& path, int last = 7) const
    {
        QStringList rows = Lines(path);
        rows = rows.mid(1, rows.size() - 2);
        for (QString& row : rows)
            row = row.section(',', 1, 2) + ',' + row.section(',', 5, last);
        return rows;
    }

    static constexpr const char* kHeader =
        "time,port,version,setting file,sha256,result,failed step,code,typed,verdict";
    DeviceFolder folder;
    QTemporaryDir dir;
    const QString file = Path("line.ini"), csv = Path("readers.csv");
    emulator::Emulator reader;
};

// A line's morning: three readers in turn, one refusing a value and one pulled
// during the reader's pause; each is one row, and the station goes on.
TEST_F(Station, RecordsEachReaderAndGoesOnAfterAFailure)
{
    StationRun station;
    station.Start(dir.path(), {file, "--port", "USB", "--log", csv, "--count", "3"});
    ASSERT_TRUE(reader.Plug("TR-200 V2.14 #0001"));
    ASSERT_TRUE(station.Await("Take the reader off.", 1)) << station.out.toStdString();
    reader.Unplug();
    reader.SetFaults({.refuse = {{t2proto::kSetBlockRead, 0x21}}});
    ASSERT_TRUE(reader.Plug("TR-200 V2.14 #0002"));
    ASSERT_TRUE(station.Await("Take the reader off.", 2)) << station.out.toStdString();
    reader.Unplug();
    reader.SetFaults({});
    station.Hold();
    ASSERT_TRUE(reader.Plug("TR-200 V2.14 #0003"));
    ASSERT_TRUE(station.Await("[1/2] output        ok, reader storing", 3)) << station.out.toStdString();
    reader.Unplug();  // while the reader stores what it took
    station.Release();
    EXPECT_EQ(station.Finish(), 1);
    EXPECT_TRUE(station.out.endsWith("Station stopped: ok 1, failed 2.\n")) << station.out.toStdString();
    // The failed step's own reason, not that of the version read after it.
    EXPECT_TRUE(station.out.contains("FAILED at read address: code: 0x1003 (the port went away (a later call"))
        << station.out.toStdString();
    EXPECT_TRUE(station.out.contains("FAILED at read address: code: 0x21 (the reader refused the request with code "
                                     "0x21 (a value out of range))"))
        << station.out.toStdString();

    const QStringList rows = Lines(csv);
    ASSERT_EQ(rows.size(), 5) << station.out.toStdString();
    EXPECT_EQ(rows[0], kHeader);
    EXPECT_EQ(rows[4], "");
    const QStringList expected[] = {
        {"USB", "TR-200 V2.14 #0001", file, "ok", "", "", "", ""},
        {"USB", "TR-200 V2.14 #0002", file, "failed", "read address", "0x21", "", ""},  // still answering
        {"USB", "", file, "failed", "read address", "0x1003", "", ""},
    };
    for (int i = 0; i < 3; ++i) {
        QStringList fields = rows[i + 1].split(',');
        ASSERT_EQ(fields.size(), 10) << rows[i + 1].toStdString();
        EXPECT_EQ(fields[4].size(), 64);  // the file's SHA-256
        fields.removeAt(4);
        fields.removeFirst();  // the time
        EXPECT_EQ(fields, expected[i]);
    }
}

// A reader swapped at once for one alike still ends the wait for it to be
// taken off, though the station's link could take up the port again.
TEST_F(Station, AReaderSwappedAtOnceIsStillSeenGoing)
{
    StationRun station;
    station.Start(dir.path(), {file, "--log", csv, "--count", "2"});
    ASSERT_TRUE(reader.Plug());
    ASSERT_TRUE(station.Await("Take the reader off.")) << station.out.toStdString();
    reader.Unplug();
    ASSERT_TRUE(reader.Plug());
    EXPECT_EQ(station.Finish(), 0) << station.out.toStdString();
    EXPECT_TRUE(station.out.contains("Reader 2: OK")) << station.out.toStdString();
}

// A reader left on is set once, with one row, however it misbehaves: only
// its going (a lost link; with a maker's library, a port where no reader
// answers) ends the wait for it to be taken off, and its one row leaves the
// rest of --count for the readers after it. Ours, and ours standing in for a
// maker's library, which says nothing of a lost link.
class ReaderLeftOn : public Station {
protected:
    void IsSetOnce(const QString& library);
};

void ReaderLeftOn::IsSetOnce(const QString& library)
{
    using namespace t2proto;
    const struct {
        const char* what;
        emulator::Faults faults;
        const char* row;  // port, version, result, failed step, code
    } cases[] = {
        {"no version command", {.refuse = {{kGetVersion, T2_READER_E_COMMAND}}}, "USB,,failed,version,0x20"},
        {"hangs after the handshake", {.ignore = {kGetVersion, kSetReadOnly, kSetHeader, kSetBlockRead}},
         "USB,,failed,output,0x1001"},
        {"a request in five lost on the line", {.loseEvery = 5}, "USB,left on,ok,,"},
        {"refuses all but the handshake",
         {.refuse = {{kGetVersion, 0x21}, {kSetReadOnly, 0x21}, {kSetHeader, 0x21}, {kSetBlockRead, 0x21}}},
         "USB,,failed,output,0x21"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString log = Path(QStringLiteral("%1.csv").arg(c.what));
        reader.SetFaults(c.faults);
        StationRun station;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LD_LIBRARY_PATH", library);
        station.process.setProcessEnvironment(environment);
        station.Start(dir.path(), {file, "--log", log, "--count", "2"});
        ASSERT_TRUE(reader.Plug("left on"));
        ASSERT_TRUE(station.Await("Take the reader off.")) << station.out.toStdString();
        // Some more looks at it, enough for one taken for the next reader to be set again.
        const int asked = reader.State().requests;
        for (QDeadlineTimer bound(30000); reader.State().requests < asked + 4 && !bound.hasExpired();)
            QThread::msleep(50);
        reader.Unplug();
        EXPECT_TRUE(station.Await("Waiting for a reader", 2)) << station.out.toStdString();
        kill(station.process.processId(), SIGINT);
        EXPECT_EQ(station.Finish(), QString(c.row).contains(",ok,") ? 5 : 1) << station.out.toStdString();
        EXPECT_FALSE(station.out.contains("Reader 2:")) << station.out.toStdString();
        EXPECT_EQ(Rows(log), QStringList{c.row});
    }
}

TEST_F(ReaderLeftOn, IsSetOnceWithOurLibrary) { IsSetOnce(""); }
TEST_F(ReaderLeftOn, IsSetOnceWithAMakersLibrary) { IsSetOnce(MAKER_LIBRARY_DIR); }

// A reader swapped for another mid-set is recorded as itself, without the
// version of the one that took its place, and that one is set next.
TEST_F(Station, AReaderSwappedMidSetIsRecordedAsItself)
{
    StationRun station;
    station.Start(dir.path(), {file, "--log", csv, "--count", "2"});
    station.Hold();
    ASSERT_TRUE(reader.Plug("first"));
    ASSERT_TRUE(station.Await("[1/2] output        ok, reader storing")) << station.out.toStdString();
    reader.Unplug();
    ASSERT_TRUE(reader.Plug("second"));
    station.Release();
    EXPECT_EQ(station.Finish(), 1) << station.out.toStdString();
    EXPECT_EQ(Rows(csv), (QStringList{"USB,,failed,read address,0x1003", "USB,second,ok,,"}))
        << station.out.toStdString();
}

// Rows go after a last line left without its line break, and what a reader
// or a file name says is kept as text a spreadsheet does not run.
TEST_F(Station, RowsStayApartAndReadAsText)
{
    using namespace std::string_literals;
    std::ofstream(Path("=line.ini").toStdString()) << "format = 1\npreset = 8-out-hex-reverse\n";
    std::ofstream(csv.toStdString()) << kHeader << "\nan earlier row cut short";
    const std::string cut = std::string(255, 'v') + "\\...";  // what the library's buffer holds, marked
    const struct {
        std::string version;
        std::string field;   // in the row
        std::string screen;  // on the screen
    } readers[] = {
        {"=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\"", "=HYPERLINK(\"http://x\")"},
        {"-2+3", "'-2+3", "-2+3"},
        {"TR-200 \xE9\n\xE8", "TR-200 \\xE9\\x0A\\xE8", "TR-200 \\xE9\\x0A\\xE8"},
        {"TR-200 \xC2\x9B" "2J", "TR-200 \\xC2\\x9B2J", "TR-200 \\xC2\\x9B2J"},  // a terminal's CSI, in C1
        {"TR-200\0#0001"s, "TR-200\\x00#0001", "TR-200\\x00#0001"},
        {"TR-200\0#0002"s, "TR-200\\x00#0002", "TR-200\\x00#0002"},
        {std::string(300, 'v'), cut, cut},
    };
    const int count = int(std::size(readers));
    StationRun station;
    station.Start(dir.path(), {"=line.ini", "--log", "readers.csv", "--count", QString::number(count)});
    int done = 0;
    for (const auto& r : readers) {
        ASSERT_TRUE(reader.Plug(r.version));
        ASSERT_TRUE(station.Await(QStringLiteral("Reader %1: OK").arg(++done))) << station.out.toStdString();
        EXPECT_TRUE(station.out.contains(QStringLiteral("version \"%1\"").arg(r.screen.c_str())))
            << station.out.toStdString();
        reader.Unplug();
    }
    EXPECT_EQ(station.Finish(), 0) << station.process.readAllStandardError().toStdString();
    const QStringList rows = Lines(csv);
    ASSERT_EQ(rows.size(), count + 3) << rows.join('\n').toStdString();
    EXPECT_EQ(rows[1], "an earlier row cut short");
    for (int i = 0; i < count; ++i)
        EXPECT_TRUE(rows[i + 2].contains(QStringLiteral(",USB,%1,'=line.ini,").arg(readers[i].field.c_str())))
            << rows[i + 2].toStdString();
}

// A name is the one given, byte for byte, though it is not UTF-8: two such
// names stay two files, and the screen and the row show a byte of no text as \xNN.
TEST_F(Station, KeepsTheNamesGivenAsTheirBytes)
{
    const std::string folder = dir.path().toStdString() + '/', setting = "line\xE9.ini";
    std::ofstream(folder + setting) << "format = 1\npreset = 8-out-hex-reverse\n";
    const struct {
        std::string log;
        const char* shown;
    } logs[] = {{"r\xE9.csv", "r\\xE9.csv"}, {"r\xE8.csv", "r\\xE8.csv"}};
    for (const auto& l : logs) {
        StationRun station;
        station.StartBytes(dir.path(), {setting, "--log", l.log, "--count", "1"});
        ASSERT_TRUE(reader.Plug("TR-200"));
        EXPECT_EQ(station.Finish(), 0) << station.process.readAllStandardError().toStdString();
        EXPECT_TRUE(station.out.startsWith(QStringLiteral("Station: line\\xE9.ini (preset = 8-out-hex-reverse) on USB "
                                                          "at 9600 baud, rows to %1\n").arg(l.shown)))
            << station.out.toStdString();
        reader.Unplug();
        std::ifstream in(folder + l.log);
        std::string header, row, more;
        std::getline(in, header);
        std::getline(in, row);
        EXPECT_EQ(header, std::string("\xEF\xBB\xBF") + kHeader);  // a new record, marked as UTF-8
        EXPECT_NE(row.find(",USB,TR-200,line\\xE9.ini,"), std::string::npos) << row;
        EXPECT_FALSE(std::getline(in, more)) << more;
    }
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().native());
    std::ranges::sort(names);
    EXPECT_EQ(names, (std::vector<std::string>{"line.ini", setting, "r\xE8.csv", "r\xE9.csv"}));
    for (const std::string& name : names)  // which QTemporaryDir could not
        std::filesystem::remove(folder + name);
}

// Two stations of a line starting on one new log: one header.
TEST_F(Station, TwoStationsOnANewLogWriteOneHeader)
{
    emulator::Emulator second;
    second.Unplug();
    std::string error;
    ASSERT_TRUE(second.Start("COM1", &error)) << error;
    second.SetStoreMs(0);
    StationRun stations[2];
    const char* ports[] = {"USB", "COM1"};
    for (int i = 0; i < 2; ++i) {
        stations[i].Start(dir.path(), {file, "--port", ports[i], "--log", csv, "--count", "1"});
        ASSERT_TRUE(stations[i].Await("Waiting for a reader")) << stations[i].out.toStdString();
    }
    ASSERT_TRUE(reader.Plug());
    ASSERT_TRUE(second.Plug());
    for (StationRun& station : stations)
        EXPECT_EQ(station.Finish(), 0) << station.out.toStdString();
    const QStringList rows = Lines(csv);
    EXPECT_EQ(rows.count(kHeader), 1) << rows.join('\n').toStdString();
    EXPECT_EQ(rows.size(), 4) << rows.join('\n').toStdString();
}

// The station's standard input, and the emulator's keyboard side typing
// into it: a pseudo-terminal, as a reader types into the station's window,
// or a FIFO, as --type-into writes into one. The FIFO is held open here too,
// so that the station never sees it end.
struct Typing {
    QString input;
    int held = -1;
    std::unique_ptr<emulator::Keyboard> keys;

    explicit Typing(const QString& fifo = {})
    {
        if (fifo.isEmpty()) {
            const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
            if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) {
                input = ptsname(master);
                keys = emulator::FileKeyboard(master);
            } else if (master >= 0) {
                close(master);
            }
            return;
        }
        std::string error;
        if (mkfifo(fifo.toLocal8Bit(), 0600) == 0 && (held = open(fifo.toLocal8Bit(), O_RDWR | O_CLOEXEC)) >= 0) {
            input = fifo;
            keys = emulator::FileKeyboard(fifo.toStdString(), error);
        }
    }
    ~Typing()
    {
        if (held >= 0)
            close(held);
    }
    // The card on `reader`, typed as the reader types it.
    bool Present(emulator::Emulator& reader, std::span<const uint8_t> uid)
    {
        std::string error;
        return keys->Type(reader.PresentCard(uid).typed, error);
    }
};

// Each reader set is checked with a reference card, whose text the emulator
// types into the station's standard input: on a terminal a text without Enter
// ends as the keys stop, on a FIFO one ends at Enter. A reader that types
// right is verified; one whose firmware mis-stores its order fails with what
// it typed; one that types nothing fails once the wait is over.
TEST_F(Station, VerifiesEachReaderWithAReferenceCard)
{
    const uint8_t card[] = {0x00, 0x83, 0x1B, 0x78};
    reader.SetBlock(4, {{'C', 'a', 'r', 'd', ' ', '7', 0, 0}});
    const struct {
        const char* fifo;  // empty: a terminal
        const char* setting;
        QStringList verify;
        QStringList rows;
    } cases[] = {
        {"", "base = Hexadecimal\norder = Forward\nsize = All\nlength = Default\nheader = WithOut\nblock = 255\n",
         {"--verify-card", "00831B78"},
         {"USB,right,ok,,,831B78,verified", "USB,mis-stores,failed,verify,,781B8300,typed other"}},
        {"keys", "base = String\norder = Forward\nsize = All\nlength = Default\nheader = With\nblock = 4\n",
         {"--verify-text", "Card 7"},
         {"USB,right,ok,,,Card 7<Enter>,verified", "USB,mis-stores,failed,verify,,7 draC<Enter>,typed other"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        const QString setting = Path(QStringLiteral("verify%1.ini").arg(c.fifo)),
                      log = Path(QStringLiteral("verify%1.csv").arg(c.fifo));
        std::ofstream(setting.toStdString()) << "format = 1\n" << c.setting << "key = 3A7F19C2E845\n";
        Typing typing(*c.fifo ? Path(c.fifo) : QString());
        ASSERT_TRUE(typing.keys);
        StationRun station;
        station.process.setStandardInputFile(typing.input);
        station.Start(dir.path(), QStringList{setting, "--log", log, "--count", "2"} + c.verify);
        ASSERT_TRUE(reader.Plug("right"));
        ASSERT_TRUE(station.Await("present the reference card")) << station.out.toStdString();
        ASSERT_TRUE(typing.Present(reader, card));
        ASSERT_TRUE(station.Await("Take the reader off.")) << station.out.toStdString();
        reader.Unplug();
        reader.SetFaults({.misstore = true});
        ASSERT_TRUE(reader.Plug("mis-stores"));
        ASSERT_TRUE(station.Await("present the reference card", 2)) << station.out.toStdString();
        ASSERT_TRUE(typing.Present(reader, card));
        EXPECT_EQ(station.Finish(), 1) << station.out.toStdString();
        reader.Unplug();
        reader.SetFaults({});
        EXPECT_TRUE(station.out.contains("Reader 1: OK, verified, version \"right\"\n")) << station.out.toStdString();
        EXPECT_TRUE(station.out.contains("Reader 2: FAILED at verify: typed \"")) << station.out.toStdString();
        EXPECT_EQ(Rows(log, 9), c.rows);
    }

    Typing quiet(Path("quiet"));
    StationRun station;
    station.process.setStandardInputFile(quiet.input);
    station.Start(dir.path(), {file, "--log", csv, "--count", "1", "--verify-card", "00831B78", "--verify-wait", "1"});
    ASSERT_TRUE(reader.Plug("quiet"));
    EXPECT_EQ(station.Finish(), 1) << station.out.toStdString();
    EXPECT_TRUE(station.out.contains("Reader 1: FAILED at verify: nothing typed within 1 s\n"))
        << station.out.toStdString();
    EXPECT_EQ(Rows(csv, 9), QStringList{"USB,quiet,failed,verify,,,nothing typed"});
}

// Keys typed do not say which reader typed them: with readers set on several
// ports at once, the station asks for one card at a time and takes its text
// before it asks for the next.
TEST_F(Station, SeveralPortsAreVerifiedOneAtATime)
{
    emulator::Emulator com1;
    com1.Unplug();
    com1.SetStoreMs(0);
    std::string error;
    ASSERT_TRUE(com1.Start("COM1", &error)) << error;
    Typing typing(Path("keys"));
    ASSERT_TRUE(typing.keys);
    StationRun station;
    station.process.setStandardInputFile(typing.input);
    station.Start(dir.path(), {file, "--port", "USB", "--port", "COM1", "--log", csv, "--count", "2", "--verify-card",
                               "00831B78"});
    ASSERT_TRUE(reader.Plug());
    ASSERT_TRUE(com1.Plug());
    const uint8_t card[] = {0x00, 0x83, 0x1B, 0x78};
    for (int i = 1; i <= 2; ++i) {
        ASSERT_TRUE(station.Await("present the reference card", i)) << station.out.toStdString();
        const QString asked = station.out.section("present the reference card", i - 1, i - 1).section('\n', -1);
        ASSERT_TRUE(typing.Present(asked.startsWith("COM1: ") ? com1 : reader, card));
        ASSERT_TRUE(station.Await(": verified", i)) << station.out.toStdString();
    }
    EXPECT_EQ(station.Finish(), 0) << station.out.toStdString();
    QStringList verifying;
    for (const QString& said : station.out.split('\n'))
        if (said.contains("  verify "))
            verifying << said.section(':', 0, 0) + (said.contains("present") ? " asked" : " typed");
    EXPECT_TRUE(verifying == QStringList({"USB asked", "USB typed", "COM1 asked", "COM1 typed"}) ||
                verifying == QStringList({"COM1 asked", "COM1 typed", "USB asked", "USB typed"}))
        << station.out.toStdString();
}

// A line of readers at once: each port sets its own, one row each in the
// shared log, and one reader refusing a value or pulled mid-set fails its own
// row only. With the readers left on, the station ends only if the ports
// went at once; the same with library calls kept one at a time.
TEST_F(Station, SeveralPortsSetTheirReadersAtOnce)
{
    emulator::Emulator com1, com2;
    for (emulator::Emulator* r : {&com1, &com2}) {
        r->Unplug();
        r->SetStoreMs(0);
    }
    std::string error;
    ASSERT_TRUE(com1.Start("COM1", &error)) << error;
    ASSERT_TRUE(com2.Start("COM2", &error)) << error;
    com2.SetFaults({.refuse = {{t2proto::kSetBlockRead, 0x21}}});
    for (const QStringList& calls : {QStringList{}, QStringList{"--calls", "serial"}}) {
        SCOPED_TRACE(calls.join(' ').toStdString());
        const QString log = Path(QStringLiteral("readers%1.csv").arg(calls.size()));
        StationRun station;
        station.Start(dir.path(), QStringList{file, "--port", "USB", "--port", "COM1", "--port", "COM2", "--log", log,
                                              "--count", "3"} + calls);
        station.Hold();
        ASSERT_TRUE(reader.Plug("USB reader"));
        ASSERT_TRUE(com1.Plug("COM1 reader"));
        ASSERT_TRUE(com2.Plug("COM2 reader"));
        ASSERT_TRUE(station.Await("COM1:   [1/2] output        ok, reader storing")) << station.out.toStdString();
        com1.Unplug();  // while the reader stores what it took
        station.Release();
        EXPECT_EQ(station.Finish(), 1) << station.out.toStdString();
        for (const char* summary : {"\nUSB: ok 1, failed 0\n", "\nCOM1: ok 0, failed 1\n", "\nCOM2: ok 0, failed 1\n"})
            EXPECT_TRUE(station.out.contains(summary)) << station.out.toStdString();
        EXPECT_TRUE(station.out.endsWith("Station stopped: ok 1, failed 2.\n")) << station.out.toStdString();
    // The failed step's own reason, not that of the version read after it.
    EXPECT_TRUE(station.out.contains("FAILED at read address: code: 0x1003 (the port went away (a later call"))
        << station.out.toStdString();
        // Whole lines, each a port's, with no other port's in it.
        const QRegularExpression portsLine("^(USB|COM1|COM2): ((?!(USB|COM1|COM2): ).)*$");
        for (const QString& said : station.out.section("current reader.\n", 1).split('\n'))
            EXPECT_TRUE(said.isEmpty() || said.startsWith("Station stopped") || portsLine.match(said).hasMatch())
                << said.toStdString();

        QStringList rows = Lines(log).mid(1, 3);
        for (QString& row : rows)
            row = row.section(',', 1, 3) + ',' + row.section(',', 5, 7);  // without the time and the file's hash
        rows.sort();
        EXPECT_EQ(rows, (QStringList{"COM1,," + file + ",failed,read address,0x1003",
                                      "COM2,COM2 reader," + file + ",failed,read address,0x21",
                                      "USB,USB reader," + file + ",ok,,"}))
            << Lines(log).join('\n').toStdString();
        EXPECT_EQ(Lines(log).size(), 5);
        for (emulator::Emulator* r : {&reader, &com2})
            r->Unplug();
    }
}

// With calls one at a time, a port where nothing answers (each look takes
// the library's whole reply bound) neither holds up a reader being set
// beside it nor misses a reader that starts answering there.
TEST_F(Station, APortWhereNothingAnswersKeepsNoReaderWaiting)
{
    emulator::Emulator com1;
    com1.Unplug();
    com1.SetStoreMs(0);
    std::string error;
    ASSERT_TRUE(com1.Start("COM1", &error)) << error;
    com1.SetFaults({.silent = true});
    ASSERT_TRUE(com1.Plug("COM1 reader"));
    StationRun station;
    station.program = kShipped;  // its looks go in the reader's pauses
    station.Start(dir.path(), {file, "--port", "USB", "--port", "COM1", "--log", csv, "--count", "2", "--calls",
                               "serial"});
    ASSERT_TRUE(reader.Plug("USB reader"));
    ASSERT_TRUE(station.Await("USB: Take the reader off.")) << station.out.toStdString();
    EXPECT_GT(com1.State().requests, 0);  // looked at while the USB reader was set
    com1.SetFaults({});
    EXPECT_EQ(station.Finish(), 0) << station.out.toStdString();
    EXPECT_TRUE(station.out.contains("COM1: Reader 2: OK")) << station.out.toStdString();
}

// Stopped, every port finishes the reader it is setting and writes its row.
TEST_F(Station, StoppedEveryPortFinishesItsReader)
{
    emulator::Emulator com1;
    com1.Unplug();
    std::string error;
    ASSERT_TRUE(com1.Start("COM1", &error)) << error;
    com1.SetStoreMs(0);
    StationRun station;
    station.Start(dir.path(), {file, "--port", "USB", "--port", "COM1", "--log", csv, "--count", "4"});
    station.Hold();
    ASSERT_TRUE(reader.Plug());
    ASSERT_TRUE(com1.Plug());
    for (const char* port : {"USB", "COM1"})
        ASSERT_TRUE(station.Await(QStringLiteral("%1:   [1/2] output        ok, reader storing").arg(port)))
            << station.out.toStdString();
    kill(station.process.processId(), SIGINT);
    station.Release();
    EXPECT_EQ(station.Finish(), 5) << station.out.toStdString();
    const QStringList rows = Lines(csv);
    ASSERT_EQ(rows.size(), 4) << rows.join('\n').toStdString();
    for (const QString& row : rows.mid(1, 2))
        EXPECT_TRUE(row.contains(",ok,")) << row.toStdString();
}

// Which ports have a reader that answers, with its version.
TEST_F(Station, PortsListsTheReadersThatAnswer)
{
    emulator::Emulator com3;
    com3.Unplug();
    std::string error;
    ASSERT_TRUE(com3.Start("COM3", &error)) << error;
    Result run = Config({"ports"});
    EXPECT_EQ(run.exitCode, 3) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains("no reader answers on any serial port")) << run.err.toStdString();
    ASSERT_TRUE(reader.Plug("TR-200 #1"));
    ASSERT_TRUE(com3.Plug("TR-200 #3\xC2\x9B" "2J"));
    run = Config({"ports"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "USB   TR-200 #1\nCOM3  TR-200 #3\\xC2\\x9B2J\n");
    EXPECT_EQ(run.err, "");

    // Every port's look-up ignores the folder; that is said once.
    ASSERT_EQ(chmod(folder.Path().c_str(), 0755), 0);
    run = Config({"ports"});
    EXPECT_EQ(run.exitCode, 3) << run.out.toStdString();
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.count(QStringLiteral("device folder %1 ignored: open to group or others (mode 0755)")
                                .arg(QString::fromStdString(folder.Path()))),
              1)
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("no reader answers on any serial port")) << run.err.toStdString();
}

// A hundred ports with nothing answering and a reader on the last: every port
// is tried, however few descriptors the program may have. One that cannot be
// tried is named so, never taken for one without a reader.
TEST_F(Station, PortsTriesEveryPortAndNamesThoseItCannot)
{
    std::vector<t2dev::Fd> silent;
    for (int n = 1; n <= 100; ++n) {
        silent.emplace_back(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
        ASSERT_TRUE(silent.back() && grantpt(silent.back().get()) == 0 && unlockpt(silent.back().get()) == 0);
        const std::string entry = folder.Path() + "/COM" + std::to_string(n);
        ASSERT_EQ(symlink(ptsname(silent.back().get()), entry.c_str()), 0);
    }
    const QString plain = Path("plain.txt");
    std::ofstream(plain.toStdString()) << "not a tty\n";
    ASSERT_EQ(symlink(plain.toUtf8().constData(), (folder.Path() + "/COM200").c_str()), 0);
    emulator::Emulator last;
    std::string error;
    ASSERT_TRUE(last.Start("COM256", &error)) << error;

    Result run = Config({"ports"}, {}, [] {
        rlimit limit{};
        getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = 64;
        setrlimit(RLIMIT_NOFILE, &limit);
    });
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("COM256 %1\n").arg(emulator::Emulator::kDefaultVersion));
    const QString untried = QStringLiteral("tavelin-config: COM200: not tried: cannot open COM200 (%1/COM200 -> %2): "
                                           "not a serial device\n")
                                .arg(QString::fromStdString(folder.Path()), plain);
    EXPECT_EQ(run.err, untried);

    last.Stop();
    run = Config({"ports"});
    EXPECT_EQ(run.exitCode, 3) << run.out.toStdString();
    EXPECT_EQ(run.err, untried + "tavelin-config: no reader answers on the ports tried; 1 not tried (above)\n");
}

// A line of readers in the sockets of a USB hub and one on a port past COM9:
// ports lists each by the name a station takes, and a station on all of them
// sets each reader once. A maker's library opens ports by number only.
TEST_F(Station, SocketsOfAHubAndPortsPastCom9)
{
    const QStringList names{"USB:1.1", "USB:1.2", "USB:1.3", "USB:1.4", "COM12"};
    emulator::Emulator readers[5];
    QStringList args{file, "--log", csv, "--count", "5"}, listed, rows;
    for (int i = 0; i < names.size(); ++i) {
        std::string error;
        readers[i].Unplug();
        readers[i].SetStoreMs(0);
        ASSERT_TRUE(readers[i].Start(names[i].toLower().toStdString(), &error)) << error;
        ASSERT_TRUE(readers[i].Plug(names[i].toStdString()));
        args << "--port" << names[i];
        listed << QStringLiteral("%1 %2\n").arg(names[i], -7).arg(names[i]);
        rows << names[i] + ',' + names[i] + ",ok,,";
    }
    listed.move(4, 0);  // COM ports come first
    Result run = Config({"ports"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, listed.join(""));

    StationRun station;
    station.Start(dir.path(), args);
    EXPECT_EQ(station.Finish(), 0) << station.out.toStdString();
    QStringList written = Rows(csv);
    written.sort();
    rows.sort();
    EXPECT_EQ(written, rows);

    qputenv("LD_LIBRARY_PATH", MAKER_LIBRARY_DIR);
    run = Config({"station", file, "--port", "COM12", "--port", "usb:1.3", "--log", Path("maker.csv")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("--port USB:1.3: the reader library is a maker's, which opens a port by its number "
                                 "only, and USB:1.3 has none"))
        << run.err.toStdString();
    run = Config({"ports"});
    qunsetenv("LD_LIBRARY_PATH");
    EXPECT_EQ(run.out, "COM12 COM12\n");
}

// A row that does not reach the disk stops the station after that reader,
// with the reason, and no part of it stays in the log.
TEST_F(Station, StopsWhenARowCannotBeWritten)
{
    const struct {
        QString log;
        qint64 sizeLimit;  // of a file the station writes; 0: none
        bool readerSet;
        const char* why;
    } cases[] = {
        {"/dev/full", 0, false, "No space left on device"},  // not even the header: stops before any reader
        {csv, static_cast<qint64>(strlen(kHeader)) + 1 + 20, true, "File too large"},
    };
    for (const auto& c : cases) {
        StationRun station;
        if (c.sizeLimit)
            station.process.setChildProcessModifier([limit = c.sizeLimit] {
                const rlimit size{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
                setrlimit(RLIMIT_FSIZE, &size);
            });
        station.Start(dir.path(), {file, "--log", c.log, "--count", "2"});
        if (c.readerSet) {
            ASSERT_TRUE(reader.Plug());
        }
        EXPECT_EQ(station.Finish(), 4) << c.log.toStdString();
        const QString err = QString::fromUtf8(station.process.readAllStandardError());
        EXPECT_TRUE(err.contains(c.log + ": cannot write: " + c.why)) << err.toStdString();
        EXPECT_EQ(station.out.contains("Reader 1: OK"), c.readerSet) << station.out.toStdString();
        EXPECT_FALSE(station.out.contains("Take the reader off")) << station.out.toStdString();
        reader.Unplug();
    }
    EXPECT_EQ(Lines(csv), (QStringList{kHeader, ""}));
}

// However a station is stopped, the reader being set is finished and has its
// row; stopped before --count, the station says so in its status.
TEST_F(Station, FinishesTheReaderWhenStopped)
{
    const struct {
        int signal;  // SIGPIPE: what it writes goes to a reader of the pipe that goes away
        int status;
    } cases[] = {{SIGINT, 5}, {SIGTERM, 5}, {SIGHUP, 5}, {SIGPIPE, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(strsignal(c.signal));
        const QString log = Path(QStringLiteral("readers-%1.csv").arg(c.signal));
        StationRun station;
        QProcess head;  // reads up to "Reader 1:" and leaves
        if (c.signal == SIGPIPE) {
            station.process.setStandardOutputProcess(&head);
            head.start("head", {"-n", "5"});
        }
        station.Start(dir.path(), {file, "--log", log, "--count", "2"});
        if (c.signal != SIGPIPE)
            station.Hold();
        ASSERT_TRUE(reader.Plug());
        if (c.signal == SIGPIPE) {
            // However late the pipe's reader leaves, the station finds it gone
            // by the time the reader with its row is taken off.
            ASSERT_TRUE(head.waitForFinished(30000));
            for (QDeadlineTimer bound(30000); Lines(log).size() < 3 && !bound.hasExpired();)
                QThread::msleep(50);
            reader.Unplug();
        } else {
            ASSERT_TRUE(station.Await("[1/2] output        ok, reader storing")) << station.out.toStdString();
            kill(station.process.processId(), c.signal);
            station.Release();
        }
        EXPECT_EQ(station.Finish(), c.status) << station.out.toStdString();
        reader.Unplug();
        const QStringList rows = Lines(log);
        ASSERT_EQ(rows.size(), 3) << rows.join('\n').toStdString();
        EXPECT_TRUE(rows[1].contains(",ok,")) << rows[1].toStdString();
    }
}

}  // namespace
