// Setting files: what loads and what each bad file is told.
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>

#include "settingfile/SettingFile.h"
#include "tests/support/qt_print.h"

namespace {

using namespace params;
using namespace std::string_literals;

const char* const kSpecial = "format = 1\nbase = Hexadecimal\norder = Reverse\nsize = Last 3\nlength = Static 12\n"
                             "header = USB Without Enter\nblock = 4\nkey = a1B2c3D4e5F6\n";

// A file's text, and what loading it gives: "LINE: " and the problem's start,
// or for a good file the text it is written back as.
TEST(SettingFile, LoadsGoodFilesAndNamesWhatIsWrongInBadOnes)
{
    const std::string special = kSpecial;
    const struct {
        std::string text;
        const char* problem;
    } cases[] = {
        {"format = 1\npreset = 14-out-hex-reverse\n", ""},
        {"; from the line\n\nformat = 1\npreset = 8-out-hex-forward   ; the usual\n", ""},
        {special, ""},
        {"format=1\nbase=decimal\norder=forward\nsize=All\nlength=Default\nheader=With\nblock=255\nkey=3A7F19C2E845", ""},
        {"format = 1\nbase = Wiegand\norder = Forward\nsize = First 15\nlength = Static 99\nheader = WithOut\n"
         "block = 0\nkey = 3A7F19C2E845\n", ""},
        {"\xEF\xBB\xBF" "FORMAT = 1\r\n\tPreset\t=\t8-OUT-HEX-FORWARD\r\n", ""},
        {"", "1: no format key: write format = 1 first"},
        {"format = 2\npreset = 8-out-hex-forward\n", "1: format = \"2\" is not one this program reads: format takes 1"},
        {"format = %2\n", "1: format = \"%2\" is not one this program reads: format takes 1"},
        {"format = 1\npreset = 8-out-hex\n", "2: preset = \"8-out-hex\" is not valid: preset takes 8-out-hex-forward, "},
        {"format = 1\nblock = 4\npreset = 8-out-hex-forward\n",
         "2: \"block\" with a preset: a preset file holds format and preset only"},
        {"format = 1\npreset = 8-out-hex-forward\ncolour = red\n", "3: unknown key \"colour\": a setting file has"},
        {"format = 1\nbase = Hexadecimal\n", "3: no \"order\" key: add a line order = ...: order takes Forward or Reverse"},
        {"format = 1\nbase = Octal\norder = Forward\n", "2: base = \"Octal\" is not valid: base takes Decimal, Hexadecimal, Wiegand or String"},
        {"format = 1\nbase = Decimal\norder = Up\n", "3: order = \"Up\" is not valid"},
        {"format = 1\nsize = First 16\n", "2: size = \"First 16\" is not valid: size takes All, First N or Last N, N 1..15 bytes"},
        {"format = 1\nsize = Last 0\n", "2: size = \"Last 0\" is not valid"},
        {"format = 1\nlength = Static 100\n", "2: length = \"Static 100\" is not valid"},
        {"format = 1\nheader = Yes\n", "2: header = \"Yes\" is not valid"},
        {"format = 1\nblock = 256\n", "2: block = \"256\" is not valid: block takes 0..255, where 255 reads the card's UID"},
        {"format = 1\nkey = 3A7F19C2E84\n", "2: key = \"3A7F19C2E84\" is not valid: key takes 12 hexadecimal digits"},
        {"format = 1\nkey = 3A,7F19C2E845\n", "2: key = \"3A,7F19C2E845\" is not valid"},
        // Every line is a setting, a comment or blank: no typing mistake passes for one.
        {special + "ordr Forward\n", "9: \"ordr Forward\" is not key = value: write key = value, or ; before a comment"},
        {"= 1\n", "1: \"= 1\" is not key = value"},
        {"[broken\nformat = 1\n", "1: \"[broken\" is a section header: a setting file has none, only key = value lines"},
        {"[General]\nformat = 1\n", "1: \"[General]\" is a section header"},
        {special + "order = Forward\n", "9: order is given again, first on line 3: a setting file gives each key once"},
        {special + "BLOCK = 4\n", "9: block is given again, first on line 7"},
        {special + "key = 3A7F19C2E845\n", "9: key is given again, first on line 8"},
        {"format = 1\npreset = 8-out-hex-forward\npreset = 8-out-hex-reverse\n", "3: preset is given again, first on line 2"},
        // Bytes that are no text are shown, not cut.
        {"format = 1\nblock = 1\0\0\n"s, "2: \"block = 1\\x00\\x00\" holds bytes that are not text (shown as \\xNN)"},
        {"format = 1\nlength = Static 1\0junk\n"s, "2: \"length = Static 1\\x00junk\" holds bytes that are not text"},
        {"format = 1\r\nblock = 4\xE9\r\n", "2: \"block = 4\\xE9\" holds bytes that are not text"},
        {"format = 1\nkey = \x1b[2J\n", "2: \"key = \\x1B[2J\" holds bytes that are not text"},
        // Values each valid that together type nothing (docs/card-output.md).
        {"format = 1\nbase = String\norder = Forward\nsize = All\nlength = Default\nheader = With\nblock = 255\n"
         "key = 3A7F19C2E845\n", "7: base = String with block = 255: not a valid setting: String puts out a data block's text"},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("setting.ini");
    for (const auto& c : cases) {
        std::ofstream(path.toStdString(), std::ios::binary) << c.text;
        const setting::Loaded loaded = setting::Load(path);
        if (*c.problem) {
            EXPECT_TRUE(loaded.problem.startsWith(QDir::toNativeSeparators(path) + ":" + c.problem)) << c.text << "\n" << loaded.problem.toStdString();
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
    bad.special.output.snSize = 20;  // no choice sends it
    EXPECT_EQ(setting::Save(path, bad), "size = \"20\" is not valid: size takes All, First N or Last N, N 1..15 bytes");
    bad.special.output.snSize = kSnSizeAll;
    bad.special.key = "xyz";
    EXPECT_TRUE(setting::Save(path, bad).startsWith("key = \"xyz\" is not valid"));
    EXPECT_EQ(setting::Load(path).file.special.key, "a1B2c3D4e5F6");  // the file stayed as it was
}

// Files written so far hold these words: they are written and read the same
// whatever the captions become.
TEST(SettingFile, KeepsTheWordsFilesHold)
{
    const QString head = "; tavelin setting file (docs/setting-file.md)\nformat = 1\n";
    const char* const presets[] = {"8-out-hex-forward",  "8-out-hex-reverse",  "10-out-dec-forward",
                                   "10-out-dec-reverse", "14-out-hex-forward", "14-out-hex-reverse"};
    for (size_t i = 0; i < std::size(presets); ++i)
        EXPECT_EQ(setting::Text({i, {}}), head + "preset = " + presets[i] + "\n");
    const char* const specials[] = {
        "base = Decimal\norder = Forward\nsize = All\nlength = Default\nheader = With\n",
        "base = Hexadecimal\norder = Reverse\nsize = First 4\nlength = Static 12\nheader = WithOut\n",
        "base = Wiegand\norder = Forward\nsize = Last 3\nlength = Default\nheader = USB Without Enter\n",
        "base = String\norder = Reverse\nsize = All\nlength = Default\nheader = With\n",
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("words.ini");
    for (const char* special : specials) {
        const QString text = head + special + "block = 4\nkey = 3A7F19C2E845\n";
        std::ofstream(path.toStdString(), std::ios::binary) << text.toStdString();
        const setting::Loaded loaded = setting::Load(path);
        EXPECT_EQ(loaded.problem, "") << special;
        EXPECT_EQ(setting::Text(loaded.file), text);
    }
}

}  // namespace
