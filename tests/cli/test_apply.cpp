// A setting applied on a link as tavelin-config makes the calls, against the
// recording library, with the reader's pauses said but not waited out.
#include <QCryptographicHash>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "cli/commands.h"
#include "cli/station.h"
#include "t2/t2.h"
#include "tests/fakes/fake_t2.h"

namespace {

const bool kNoWait = (LibraryCalls::SetStoreWait([](LibraryCalls::ms) {}), true);

setting::File Preset(size_t index)
{
    setting::File file;
    file.preset = index;
    return file;
}

// The Special page's defaults, with the default key.
setting::File Special() { return {}; }

TEST(Apply, SaysEachStepAndStopsAtTheFirstFailure)
{
    const struct {
        const char* what;
        setting::File file;
        std::function<void(FakeT2&)> script;
        std::vector<std::string> ops;
        const char* screen;
        int32_t code;
        const char* step;  // the one that failed
    } cases[] = {
        {"a preset", Preset(0), [](FakeT2&) {}, {"lc_setReadOnlyPara", "lc_setBlockReadPara"},
         "  [1/2] output        ok, reader storing 1.0 s\n"
         "  [2/2] read address  ok, reader storing 1.0 s\n",
         0, ""},
        {"a composition, its key through asc_hex first", Special(), [](FakeT2&) {},
         {"asc_hex", "lc_setReadOnlyPara", "lc_setReaderOnlyHead", "lc_setBlockReadPara"},
         "  [1/3] output        ok, reader storing 0.1 s\n"
         "  [2/3] header        ok, reader storing 1.0 s\n"
         "  [3/3] read address  ok, reader storing 1.0 s\n",
         0, ""},
        {"a refused header: no block after it", Special(), [](FakeT2& f) { f.headResults = {0x21}; },
         {"asc_hex", "lc_setReadOnlyPara", "lc_setReaderOnlyHead"},
         "  [1/3] output        ok, reader storing 0.1 s\n"
         "  [2/3] header        FAILED: code: 0x21",
         0x21, "header"},
        {"a refused block: the reader still stores", Preset(0), [](FakeT2& f) { f.blockResults = {0x22}; },
         {"lc_setReadOnlyPara", "lc_setBlockReadPara"},
         "  [1/2] output        ok, reader storing 1.0 s\n"
         "  [2/2] read address  FAILED: code: 0x22",
         0x22, "read address"},
        {"a key asc_hex refuses: no call", Special(),
         [](FakeT2& f) {
             f.realAscHex = false;
             f.ascHexResult = 1;
         },
         {"asc_hex"}, "", T2_E_BAD_ARGUMENT, "key"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fake().Reset();
        c.script(Fake());
        Screen say;
        LibraryCalls calls;
        testing::internal::CaptureStdout();
        const Outcome outcome = ApplyOn(7, c.file, say, calls, 0);
        const std::string screen = testing::internal::GetCapturedStdout();
        EXPECT_EQ(Fake().Ops(), c.ops);
        EXPECT_TRUE(screen.starts_with(c.screen)) << screen;
        EXPECT_EQ(outcome.code, c.code);
        EXPECT_EQ(outcome.step, c.step);
        EXPECT_TRUE(outcome.said.starts_with(c.code ? params::FormatCode(c.code) + " (" : "")) << outcome.said;
    }
}

// The link is closed whatever the setting's outcome; the status says which.
TEST(Apply, EndsWithTheStatusOfItsOutcome)
{
    Options o;
    const struct {
        std::function<void(FakeT2&)> script;
        int exit;
        std::vector<std::string> ops;
        const char* says;  // on standard output or error
    } cases[] = {
        {[](FakeT2&) {}, kOk, {"lc_init", "lc_setReadOnlyPara", "lc_setBlockReadPara", "lc_exit"},
         "done: the reader took the setting\n"},
        {[](FakeT2& f) { f.readOnlyResults = {0x21}; }, kStepFailed, {"lc_init", "lc_setReadOnlyPara", "lc_exit"},
         "tavelin-config: output failed: code: 0x21"},
        {[](FakeT2& f) { f.initResults = {-1}; }, kNoLink, {"lc_init"}, "tavelin-config: no reader on USB: "},
    };
    for (const auto& c : cases) {
        Fake().Reset();
        c.script(Fake());
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_EQ(ApplyFile(o, Preset(0)), c.exit);
        const std::string said = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
        EXPECT_EQ(Fake().Ops(), c.ops);
        EXPECT_NE(said.find(c.says), std::string::npos) << said;
    }
}

// A station's row names the setting the reader got: the hash is of the bytes
// that were parsed, though the file is saved over before the station starts.
TEST(Station, HashesTheBytesTheReaderWasSetFrom)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("line.ini"), log = dir.filePath("readers.csv");
    const std::string applied = "format = 1\npreset = 8-out-hex-reverse\n";
    std::ofstream(path.toStdString(), std::ios::binary) << applied;
    const setting::Loaded loaded = setting::Load(path);
    ASSERT_EQ(loaded.problem, "");
    std::ofstream(path.toStdString()) << "format = 1\npreset = 14-out-hex-forward\n";

    Options o;
    o.command = "station";
    o.file = path.toStdString();
    o.log = log.toStdString();
    o.count = 1;
    Fake().Reset();
    testing::internal::CaptureStdout();
    EXPECT_EQ(Station(o, loaded), kOk);
    testing::internal::GetCapturedStdout();
    std::ifstream in(log.toStdString());
    std::string header, row;
    std::getline(in, header);
    std::getline(in, row);
    const QByteArray hash = QCryptographicHash::hash(QByteArray::fromStdString(applied), QCryptographicHash::Sha256);
    EXPECT_NE(row.find(',' + hash.toHex().toStdString() + ",ok,"), std::string::npos) << row;
}

}  // namespace
