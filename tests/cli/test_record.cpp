// The station record's rules: its text as plain functions, and the file it goes to.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "cli/record.h"

namespace {

TEST(Record, FieldsReadAsTheTextTheyHold)
{
    const struct {
        const char* text;
        const char* field;
    } cases[] = {
        {"TR-200 V2.14", "TR-200 V2.14"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        // a spreadsheet would run these as formulas
        {"=1+2", "'=1+2"},
        {"+1", "'+1"},
        {"-1", "'-1"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\t=1", "'\t=1"},
        {"\r=1", "\"'\r=1\""},
        {"=HYPERLINK(\"x\",\"y\")", "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\""},
        {"'=1", "''=1"},
        {"a=1", "a=1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(record::Field(c.text), c.field) << c.text;
    EXPECT_EQ(record::Row({"a", "=b", "c,d", ""}), "a,'=b,\"c,d\",\n");
    EXPECT_EQ(record::Row({"", "x"}), ",x\n");  // an empty first field keeps its place
}

// A file of the test's own, named on the path the log is opened by.
class RecordFile : public testing::Test {
protected:
    void TearDown() override { std::filesystem::remove_all(folder); }
    static std::string Read(const std::filesystem::path& path)
    {
        std::stringstream text;
        text << std::ifstream(path, std::ios::binary).rdbuf();
        return text.str();
    }
    static void Write(const std::filesystem::path& path, const std::string& text)
    {
        std::ofstream(path, std::ios::binary) << text;
    }

    const std::filesystem::path folder = [] {
        const auto path = std::filesystem::temp_directory_path() /
                          ("tavelin-record-" + std::to_string(std::random_device()()));
        std::filesystem::create_directory(path);
        return path;
    }();
    const std::filesystem::path path = folder / "readers.csv";
    const std::string header{record::kHeader};
    const std::string newFile = "\xEF\xBB\xBF" + header;  // the mark tells a spreadsheet it is UTF-8
};

// Rows go only into a station's record: what else is there is left as it was.
TEST_F(RecordFile, OpensOnlyAnEmptyFileOrOneThatStartsWithTheHeader)
{
    const std::string line = header.substr(0, header.size() - 1);
    const struct {
        std::string text;
        bool ours;
    } cases[] = {
        {"", true},
        {header + "a row\n", true},
        {line, true},
        {line + "\r\nsaved by a spreadsheet\r\n", true},
        {"\xEF\xBB\xBF" + line + "\r\n", true},
        {"format = 1\npreset = 8-out-hex-reverse\n", false},
        {"serial,batch\n1,2\n", false},
        {line + ",notes\n", false},
        {"\xEF\xBB\xBF", false},
    };
    for (const auto& c : cases) {
        Write(path, c.text);
        record::Log log;
        EXPECT_EQ(log.Open(path).empty(), c.ours) << c.text;
        if (!c.ours) {
            EXPECT_NE(log.Append({"a row of ours"}), "") << c.text;
        }
        EXPECT_EQ(Read(path), c.text);
    }
}

// A record begun before readers were checked with a card is still taken,
// and its rows keep to its columns; a new one has them all.
TEST_F(RecordFile, ARecordBegunEarlierKeepsItsColumns)
{
    const std::string earlier{record::kEarlierHeader};
    const std::string saved = "\xEF\xBB\xBF" + earlier.substr(0, earlier.size() - 1) + "\r\n";
    const std::vector<std::string> fields{"t", "USB", "V1", "line.ini", "h", "failed", "verify", "", "781B8300",
                                          "typed other"};
    const struct {
        std::string before, after;
        bool earlier;
    } cases[] = {
        {"", newFile + "t,USB,V1,line.ini,h,failed,verify,,781B8300,typed other\n", false},
        {earlier, earlier + "t,USB,V1,line.ini,h,failed,verify,\n", true},
        {saved, saved + "t,USB,V1,line.ini,h,failed,verify,\n", true},
    };
    for (const auto& c : cases) {
        Write(path, c.before);
        record::Log log;
        ASSERT_EQ(log.Open(path), "") << c.before;
        EXPECT_EQ(log.Earlier(), c.earlier) << c.before;
        EXPECT_EQ(log.Append(fields), "") << c.before;
        EXPECT_EQ(Read(path), c.after);
    }
}

#ifndef _WIN32  // Windows keeps a file held open from being replaced or removed
// The next row goes to the file the path names now, whatever became of the one held.
TEST_F(RecordFile, FollowsItsPathWhenTheFileIsReplacedOrRemoved)
{
    const std::filesystem::path saved = folder / "saved.csv";
    const struct {
        const char* what;
        std::function<void()> change;
        std::string then;  // at the path after the next row
        bool written;
    } cases[] = {
        {"saved over", [&] { Write(saved, header + "edited\n"); std::filesystem::rename(saved, path); },
         header + "edited\nrow 2\n", true},
        {"removed", [&] { std::filesystem::remove(path); }, newFile + "row 2\n", true},
        {"saved over by another file", [&] { Write(saved, "serial\n"); std::filesystem::rename(saved, path); },
         "serial\n", false},
        {"removed with its folder", [&] { std::filesystem::remove_all(folder); }, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::create_directory(folder);
        std::filesystem::remove(path);
        record::Log log;
        ASSERT_EQ(log.Open(path), "");
        ASSERT_EQ(log.Append({"row 1"}), "");
        c.change();
        EXPECT_EQ(log.Append({"row 2"}).empty(), c.written);
        EXPECT_EQ(Read(path), c.then);
    }
}
#endif

}  // namespace
