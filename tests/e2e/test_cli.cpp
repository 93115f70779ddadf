// tavelin-config against an emulated reader: the reader receives from a file
// exactly what it receives from the window's buttons for the same choices.
#include <QAbstractButton>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <mutex>

#include "EmulatedReader.h"
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
    const auto byWindow = record->Take();
    ASSERT_EQ(byWindow.size(), 2u);
    const Result run = Apply(File("format = 1\npreset = 10-out-dec-reverse\n"));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.endsWith("done: the reader took the setting\n")) << run.out.toStdString();
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

}  // namespace
