// tavelin-config against an emulated reader: the reader receives from a file
// exactly what it receives from the window's buttons for the same choices.
#include <QAbstractButton>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <QFile>
#include <fstream>
#include <mutex>

#include "DeviceFolder.h"
#include "EmulatedReader.h"
#include "common/ReaderPause.h"
#include "qt_print.h"

namespace {

struct Result {
    int exitCode;
    QString out, err;
};

Result Config(const QStringList& args)
{
    QProcess config;
    config.start(QStringLiteral(TAVELIN_CONFIG), args);
    if (!config.waitForFinished(20000))
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
    QString File(const char* text)
    {
        const QString path = dir.filePath(QStringLiteral("setting.ini"));
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
    std::unique_ptr<Record> record;  // outlives the reader, which logs as it stops
    EmulatedReader setup;
};

TEST_F(Cli, AppliesAFileAsTheWindowSetsTheSameChoices)
{
    qobject_cast<QAbstractButton*>(setup.dlg->SimplePage().Item(1043))->click();  // "10-out-dec-reverse"
    auto byWindow = record->Take();
    ASSERT_EQ(byWindow.size(), 2u);
    Result run = Apply(File("format = 1\npreset = 10-out-dec-reverse\n"));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.endsWith("done: the reader took the setting\n")) << run.out.toStdString();
    EXPECT_EQ(record->Take(), byWindow);

    // A Special composition chosen by hand and Set, then saved from the window and applied.
    CPage_special& page = setup.dlg->SpecialPage();
    setup.dlg->Sheet()->setCurrentWidget(&page);
    for (int id : {1009, 1012, 1013})  // Wiegand, Forward, With
        qobject_cast<QAbstractButton*>(page.Item(id))->click();
    page.SetSelectedIndex(1046, 9);
    page.SetItemText(1047, QStringLiteral("a1b2c3d4e5f6"));
    qobject_cast<QAbstractButton*>(page.Item(1021))->click();
    byWindow = record->Take();
    ASSERT_EQ(byWindow.size(), 3u);
    const QString file = dir.filePath(QStringLiteral("special.ini"));
    ASSERT_TRUE(setup.dlg->SaveSpecialSetting(file));
    run = Apply(file);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(record->Take(), byWindow);
}

TEST_F(Cli, RefusalsAndBadInputEndWithTheirStatusAndSendNothingMore)
{
    setup.reader.SetFaults({.refuse = {{t2proto::kSetHeader, 0x21}}});
    const QString special = File("format = 1\nbase = Wiegand\norder = Forward\nsize = All\nlength = Default\n"
                                 "header = With\nblock = 255\nkey = 3A7F19C2E845\n");
    Result run = Apply(special);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("header failed: code: 0x21")) << run.err.toStdString();
    const auto lines = record->Take();
    ASSERT_EQ(lines.size(), 2u);  // the output, then the refused header: no block after it
    EXPECT_EQ(lines[1], "header -> refused 0x21 (fault)");

    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{}, "no command"},
        {{"apply", special}, "apply needs --port"},
        {{"apply", special, "--port", "COM10"}, "--port COM10: use USB or COM1..COM9"},
        {{"apply", special, "--port", "USB", "--baud", "4800"}, "--baud 4800: use 9600 or 115200"},
        {{"check", dir.filePath("none.ini")}, "none.ini: no such file"},
        {{"check", File("format = 1\npreset = 9-out\n")}, "preset = \"9-out\" is not valid"},
        {{"station", special, "--count", "0"}, "--count 0: use a whole number from 1"},
        {{"version", special, "--port", "USB"}, "version takes no file"},
    };
    for (const auto& c : cases) {
        run = Config(c.args);
        EXPECT_EQ(run.exitCode, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
    }
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
    EXPECT_TRUE(Config({"--help"}).out.contains("man tavelin-config"));
    EXPECT_TRUE(record->Take().empty());

    setup.dlg->OnOpenClose();
    const Result run = Config({"version", "--port", "USB"});
    setup.dlg->OnOpenClose();
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("%1\n").arg(emulator::Emulator::kDefaultVersion));
}

// A line's morning: three readers in turn, one refusing a value and one pulled
// during the reader's pause; each is one row, and the station goes on.
TEST(Station, RecordsEachReaderAndGoesOnAfterAFailure)
{
    DeviceFolder folder;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("line.ini")), csv = dir.filePath(QStringLiteral("readers.csv"));
    std::ofstream(file.toStdString()) << "format = 1\npreset = 8-out-hex-reverse\n";
    emulator::Emulator reader;
    reader.Unplug();
    std::string error;
    ASSERT_TRUE(reader.Start("USB", &error)) << error;
    reader.SetStoreMs(0);

    QProcess station;
    station.start(QStringLiteral(TAVELIN_CONFIG), {"station", file, "--port", "USB", "--log", csv, "--count", "3"});
    QString out;
    auto await = [&](const QString& text, int count) {
        for (QDeadlineTimer bound(30000); out.count(text) < count && !bound.hasExpired();) {
            station.waitForReadyRead(100);
            out += QString::fromUtf8(station.readAllStandardOutput());
        }
        return out.count(text) >= count;
    };
    ASSERT_TRUE(reader.Plug("TR-200 V2.14 #0001"));
    ASSERT_TRUE(await("Take the reader off.", 1)) << out.toStdString();
    reader.Unplug();
    reader.SetFaults({.refuse = {{t2proto::kSetBlockRead, 0x21}}});
    ASSERT_TRUE(reader.Plug("TR-200 V2.14 #0002"));
    ASSERT_TRUE(await("Take the reader off.", 2)) << out.toStdString();
    reader.Unplug();
    reader.SetFaults({});
    ASSERT_TRUE(reader.Plug("TR-200 V2.14 #0003"));
    ASSERT_TRUE(await("[1/2] output        ok, reader storing", 3)) << out.toStdString();
    reader.Unplug();  // while the reader stores what it took
    ASSERT_TRUE(station.waitForFinished(20000));
    out += QString::fromUtf8(station.readAllStandardOutput());
    EXPECT_EQ(station.exitCode(), 1);
    EXPECT_TRUE(out.endsWith("Station stopped: ok 1, failed 2.\n")) << out.toStdString();

    QFile log(csv);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QStringList rows = QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 4) << out.toStdString();
    EXPECT_EQ(rows[0], "time,port,version,setting file,sha256,result,failed step,code");
    const QStringList expected[] = {
        {"USB", "TR-200 V2.14 #0001", file, "ok", "", ""},
        {"USB", "", file, "failed", "read address", "0x21"},
        {"USB", "", file, "failed", "read address", "0x1003"},
    };
    for (int i = 0; i < 3; ++i) {
        QStringList fields = rows[i + 1].split(',');
        ASSERT_EQ(fields.size(), 8) << rows[i + 1].toStdString();
        EXPECT_EQ(fields[4].size(), 64);  // the file's SHA-256
        fields.removeAt(4);
        fields.removeFirst();  // the time
        EXPECT_EQ(fields, expected[i]);
    }
}

}  // namespace
