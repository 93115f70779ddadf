// Card Check's rules without its window: where the UID comes from, the rows
// marked, the settings that give the number, the verdict and what Save writes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dataout/cardcheck.h"

namespace {

using namespace params;
using Settings = std::vector<CardSettings>;

std::string Marked(const CardCheck& check)
{
    std::string marked;
    for (const CardCheckRow& row : check.rows)
        marked += row.marked ? "x" : ".";
    return marked;
}

TEST(CardCheck, FindsTheUidMarksTheRowsAndRanksTheOthers)
{
    const CardSettings dec10 = kPresets[2].settings, hex14rev = kPresets[5].settings;
    const CardSettings wiegand{Wiegand, Forward}, back3{Decimal, Forward, SnSizeBack(3), 8};
    // The UID box, or the reader's text after a preset; the printed number;
    // the UID taken (or why none), the rows marked, the settings that give the
    // number, and the verdict.
    const struct {
        const char* uid;
        const char* typed;
        size_t preset;
        const char* printed;
        std::string taken;
        std::string marked;  // a mark a row: the six presets, then the eight Special choices
        Settings given, also;
        CardCheck::Verdict verdict;
    } cases[] = {
        {"00831B78", "", 0, "0008592248", "00 83 1B 78", "..x...........", {dec10}, {{Decimal, Forward, 0, 10}}, CardCheck::kGiven},
        {"00 83 1b 78", "", 0, "131, 07032", "00 83 1B 78", "..........x...", {wiegand}, {}, CardCheck::kGiven},
        {"00831B78", "", 0, "08592248", "00 83 1B 78", "............x.", {back3}, {{Decimal, Forward, 0, 8}}, CardCheck::kGiven},
        {"04A2246A1F3B80", "", 0, "803b1f6a24a204", "04 A2 24 6A 1F 3B 80", ".....x...x....", {hex14rev, {Hexadecimal, Reverse}}, {},
         CardCheck::kGiven},
        // No row gives it: the best few of the others, fewest choices first.
        {"00831B78", "", 0, "92248", "00 83 1B 78", "..............", {{Decimal, Forward, 0, 5}}, {}, CardCheck::kGiven},
        {"00831B78", "", 0, "2015068928<Enter>", "00 83 1B 78", "..............", {{Decimal, Reverse, 0, 0, WithHeader}}, {},
         CardCheck::kGiven},
        {"04A2246A1F3B8091C57E", "", 0, "6", "04 A2 24 6A 1F 3B 80 91 C5 7E", "..............",
         {{Decimal, Reverse, SnSizeBack(1), 1}, {Decimal, Reverse, 2, 1}, {Decimal, Reverse, SnSizeBack(4), 1},
          {Decimal, Reverse, 7, 1}, {Decimal, Reverse, 8, 1}},
         {}, CardCheck::kGiven},
        {"00831B78", "", 0, "086,13432", "00 83 1B 78", "..............", {}, {}, CardCheck::kNoneGives},
        {"00831B78", "", 0, " ", "00 83 1B 78", "..............", {}, {}, CardCheck::kAskPrinted},
        // Worked back from a preset's text; of the UIDs it allows, the one that gives the number.
        {"", "3456789012", 2, "3456789012", "CE 0A 6A 14", "..x...x.......", {dec10, {Decimal, Forward}}, {}, CardCheck::kGiven},
        {"", "00000000831B78", 4, "131,07032", "00 83 1B 78", "..........x...", {wiegand}, {}, CardCheck::kGiven},
        {"", "00000000831B78", 4, "515857645568", "00 00 83 1B 78", ".......x......", {{Decimal, Reverse}}, {}, CardCheck::kGiven},
        {"", "9999999999", 2, "", "a number larger than 4 bytes hold", "", {}, {}, CardCheck::kNone},
        {"", "00831B78", 2, "", "\"B\" is not a decimal digit", "", {}, {}, CardCheck::kNone},
        {"00831B7", "", 0, "0008592248", "an odd number of hex digits (7): two make a byte", "", {}, {}, CardCheck::kNone},
        {"001122", "", 0, "", "3 bytes, not 4 to 10", "", {}, {}, CardCheck::kNone},
        {" ", "", 0, "1", "", "", {}, {}, CardCheck::kNone},
    };
    for (const auto& c : cases) {
        const CardCheck check = RunCardCheck({c.uid, c.typed, c.preset, c.printed});
        const std::string where = std::string(c.uid) + "/" + c.typed + "/" + c.printed;
        EXPECT_EQ(check.uids.uids.empty() ? check.uids.problem.Text() : BytesToHex(check.uids.uids[check.uid], " "), c.taken)
            << where;
        EXPECT_EQ(Marked(check), c.marked) << where;
        EXPECT_EQ(check.given, c.given) << where;
        EXPECT_EQ(check.also, c.also) << where;
        EXPECT_EQ(check.verdict, c.verdict) << where;
        EXPECT_EQ(check.source, *c.typed ? CardCheck::kTyped : *c.uid != ' ' && *c.uid ? CardCheck::kUid : CardCheck::kNothing)
            << where;
    }
}

// Save writes the first setting given: a preset as itself, else its Special choices.
TEST(CardCheck, SavesTheFirstSettingGiven)
{
    const CardCheck preset = RunCardCheck({"00831B78", "", 0, "0008592248"});
    EXPECT_EQ(preset.savePreset, 2u);
    EXPECT_FALSE(preset.saveSpecial);
    const CardCheck special = RunCardCheck({"00831B78", "", 0, "92248"});
    EXPECT_FALSE(special.savePreset);
    EXPECT_EQ(special.saveSpecial, (CardSettings{Decimal, Forward, 0, 5}));
    const CardCheck none = RunCardCheck({"00831B78", "", 0, "086,13432"});
    EXPECT_FALSE(none.savePreset || none.saveSpecial);
}

}  // namespace
