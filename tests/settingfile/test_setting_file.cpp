// Setting files: what loads and what each bad file is told.
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>

#include "SettingFile.h"
#include "qt_print.h"

namespace {

using namespace params;

const char* const kSpecial = "format = 1\nbase = Hexadecimal\norder = Reverse\nsize = Last 3\nlength = Static 12\n"
                             "header = USB Without Enter\nblock = 4\nkey = a1B2c3D4e5F6\n";

// A file's text, and what loading it gives: the problem's end, or for a good
// file the text it is written back as.
TEST(SettingFile, LoadsGoodFilesAndNamesWhatIsWrongInBadOnes)
{
    const struct {
        const char* text;
        const char* problem;
    } cases[] = {
        {"format = 1\npreset = 14-out-hex-reverse\n", ""},
        {"; from the line\nformat = 1\npreset = 8-out-hex-forward   ; the usual\n", ""},
        {kSpecial, ""},
        {"format=1\nbase=decimal\norder=forward\nsize=All\nlength=Default\nheader=With\nblock=255\nkey=3A7F19C2E845\n", ""},
        {"format = 1\nbase = Wiegand\norder = Forward\nsize = First 15\nlength = Static 99\nheader = WithOut\n"
         "block = 0\nkey = 3A7F19C2E845\n", ""},
        {"", ": no format key: write format = 1 first"},
        {"format = 2\npreset = 8-out-hex-forward\n", "format = \"2\" is not one this program reads: format takes 1"},
        {"format = 1\npreset = 8-out-hex\n", "preset = \"8-out-hex\" is not valid: preset takes 8-out-hex-forward, "},
        {"format = 1\npreset = 8-out-hex-forward\nblock = 4\n", "\"block\" with a preset: a preset file holds format and preset only"},
        {"format = 1\npreset = 8-out-hex-forward\ncolour = red\n", "unknown key \"colour\""},
        {"format = 1\nbase = Hexadecimal\n", "no \"order\" key"},
        {"format = 1\nbase = Octal\norder = Forward\n", "base = \"Octal\" is not valid: base takes Decimal, Hexadecimal, Wiegand or String"},
        {"format = 1\nbase = Decimal\norder = Up\n", "order = \"Up\" is not valid"},
        {"format = 1\nbase = Decimal\norder = Forward\nsize = First 16\n", "size = \"First 16\" is not valid: size takes All, First N or Last N, N 1..15 bytes"},
        {"format = 1\nbase = Decimal\norder = Forward\nsize = Last 0\n", "size = \"Last 0\" is not valid"},
        {"format = 1\nbase = Decimal\norder = Forward\nsize = All\nlength = Static 100\n", "length = \"Static 100\" is not valid"},
        {"format = 1\nbase = Decimal\norder = Forward\nsize = All\nlength = Default\nheader = Yes\n", "header = \"Yes\" is not valid"},
        {"format = 1\nbase = Decimal\norder = Forward\nsize = All\nlength = Default\nheader = With\nblock = 256\n",
         "block = \"256\" is not valid: block takes 0..255, where 255 reads the card's UID"},
        {"format = 1\nbase = Decimal\norder = Forward\nsize = All\nlength = Default\nheader = With\nblock = 4\nkey = 3A7F19C2E84\n",
         "key = \"3A7F19C2E84\" is not valid: key takes 12 hexadecimal digits"},
        {"format = 1\nbase = Decimal\norder = Forward\nsize = All\nlength = Default\nheader = With\nblock = 4\nkey = 3A,7F19C2E845\n",
         "key = \"3A,7F19C2E845\" is not valid"},
        {"[broken\nformat = 1\n", "not a setting file: not INI text"},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("setting.ini");
    for (const auto& c : cases) {
        std::ofstream(path.toStdString()) << c.text;
        const setting::Loaded loaded = setting::Load(path);
        if (*c.problem) {
            EXPECT_TRUE(loaded.problem.startsWith(path + ": ")) << c.text << loaded.problem.toStdString();
            EXPECT_TRUE(loaded.problem.contains(c.problem)) << c.text << loaded.problem.toStdString();
            continue;
        }
        EXPECT_EQ(loaded.problem, "") << c.text;
        // Written back and read again, it is the same setting.
        ASSERT_EQ(setting::Save(path, loaded.file), "");
        const setting::Loaded again = setting::Load(path);
        EXPECT_EQ(setting::Text(again.file), setting::Text(loaded.file)) << c.text;
    }
    EXPECT_TRUE(setting::Load(dir.filePath("none.ini")).problem.endsWith(": no such file"));
    EXPECT_TRUE(setting::Load(dir.path()).problem.endsWith(": not a file that can be read"));
}

TEST(SettingFile, HoldsWhatThePageShowsAndRefusesToSaveWhatNoFileCanHold)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("special.ini");
    std::ofstream(path.toStdString()) << kSpecial;
    const setting::Loaded loaded = setting::Load(path);
    ASSERT_EQ(loaded.problem, "");
    const setting::Special& s = loaded.file.special;
    EXPECT_FALSE(loaded.file.preset);
    EXPECT_EQ(s.output.dataBase, Hexadecimal);
    EXPECT_EQ(s.output.orientation, Reverse);
    EXPECT_EQ(s.output.snSize, 0xF3);
    EXPECT_EQ(s.output.outLength, 12);
    EXPECT_EQ(s.output.headerFlag, WithoutHeader);
    EXPECT_TRUE(s.usbWithoutEnter);
    EXPECT_EQ(s.output.blockAddress, 4);
    EXPECT_EQ(s.key, "a1B2c3D4e5F6");  // as typed

    setting::File bad = loaded.file;
    bad.special.output.snSize = 20;  // what "Detail" 前 20 gives
    EXPECT_EQ(setting::Save(path, bad), "size = \"20\" is not valid: size takes All, First N or Last N, N 1..15 bytes");
    bad.special.output.snSize = kSnSizeAll;
    bad.special.key = "xyz";
    EXPECT_TRUE(setting::Save(path, bad).startsWith("key = \"xyz\" is not valid"));
    EXPECT_EQ(setting::Load(path).file.special.key, "a1B2c3D4e5F6");  // the file stayed as it was
}

}  // namespace
