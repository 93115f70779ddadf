#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "dataout/card.h"

namespace {

using namespace params;

// A card, what the reader holds, and what it types; or, where `text` starts
// with "!", how the reason it types nothing begins.
TEST(FormatCard, TypesTheWorkedExamplesAndRefusesWhatNoReaderHolds)
{
    const std::vector<uint8_t> uid4 = {0x00, 0x83, 0x1B, 0x78};
    const std::vector<uint8_t> uid7 = {0x04, 0xA2, 0x24, 0x6A, 0x1F, 0x3B, 0x80};
    const std::vector<uint8_t> uid10(10, 0xFF);
    const std::vector<uint8_t> block = {'C', 'a', 'r', 'd', ' ', '7', '\n', 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const struct {
        const std::vector<uint8_t>& data;
        CardSettings s;
        std::string_view text;
    } cases[] = {
        // The six presets, on the cards they are made for and on the other size.
        {uid4, {Decimal, Forward, 4, 10}, "0008592248"},
        {uid4, {Decimal, Reverse, 4, 10}, "2015068928"},
        {uid4, {Hexadecimal, Forward, 4, 8}, "00831B78"},
        {uid4, {Hexadecimal, Reverse, 4, 8}, "781B8300"},
        {uid7, {Hexadecimal, Forward, 7, 14}, "04A2246A1F3B80"},
        {uid7, {Hexadecimal, Reverse, 7, 14}, "803B1F6A24A204"},
        {uid7, {Decimal, Forward, 4, 10}, "0077735018"},
        {uid4, {Hexadecimal, Forward, 7, 14}, "00000000831B78"},
        // Wiegand: the last three chosen bytes; fewer count as zeros in front.
        {uid4, {Wiegand, Forward}, "131,07032"},
        {uid4, {Wiegand, Reverse}, "027,33536"},
        {uid4, {Wiegand, Forward, 2}, "000,00131"},
        {uid4, {Wiegand, Forward, kSnSizeAll, 4}, "131,07032"},
        // Length: default strips leading zeros; L pads, or keeps the last L.
        {uid4, {Decimal, Forward}, "8592248"},
        {uid4, {Hexadecimal, Forward}, "831B78"},
        {uid4, {Decimal, Forward, kSnSizeAll, 5}, "92248"},
        {uid4, {Hexadecimal, Forward, kSnSizeAll, 12}, "000000831B78"},
        {{0, 0, 0, 0}, {Decimal, Forward}, "0"},
        {uid10, {Decimal, Forward}, "1208925819614629174706175"},
        // The last N bytes, also as a typed "-13" arrives; N = 0 from either end is all.
        {uid4, {Decimal, Forward, SnSizeBack(3), 8}, "08592248"},
        {uid4, {Decimal, Forward, -13, 8}, "08592248"},
        {uid7, {Hexadecimal, Forward, SnSizeBack(0)}, "4A2246A1F3B80"},
        // Enter with the header, and a block's text.
        {uid4, {Decimal, Forward, 4, 10, WithHeader}, "0008592248<Enter>"},
        {block, {String, Forward, kSnSizeAll, 0, WithHeader, 4}, "Card 7<Enter>"},
        {block, {Hexadecimal, Forward, 2, 0, WithoutHeader, 4}, "4361"},
        // Nothing typed, and why.
        {uid4, {String, Forward}, "!not a valid setting: String"},
        {uid4, {4, Forward}, "!not a valid setting: dataBase 4"},
        {uid4, {Decimal, 2}, "!not a valid setting: orientation 2"},
        {uid4, {Decimal, Forward, 16}, "!not a valid setting: snSize 16"},
        {uid4, {Decimal, Forward, -17}, "!not a valid setting: snSize -17"},
        {uid4, {Decimal, Forward, 4, 100}, "!not a valid setting: outLength 100"},
        {uid4, {Decimal, Forward, 4, -1}, "!not a valid setting: outLength -1"},
        {uid4, {Decimal, Forward, 4, 10, 2}, "!not a valid setting: headerFlag 2"},
        {uid4, {Decimal, Forward, 4, 10, 0, 256}, "!not a valid setting: blockAddress 256"},
        {{1, 2, 3}, {}, "!not a card: a UID has 4 to 10 bytes, not 3"},
        {std::vector<uint8_t>(11), {}, "!not a card"},
        {std::vector<uint8_t>(17), {Hexadecimal, Forward, 0, 0, 0, 1}, "!not a data block"},
    };
    for (const auto& c : cases) {
        const CardText out = FormatCard(c.data, c.s);
        const std::string where = BytesToHex(c.data) + " " + std::to_string(c.s.dataBase) + "/" +
                                  std::to_string(c.s.orientation) + "/" + std::to_string(c.s.snSize) + "/" +
                                  std::to_string(c.s.outLength);
        if (c.text.starts_with('!')) {
            EXPECT_TRUE(out.typed.empty()) << where;
            EXPECT_TRUE(out.problem.starts_with(c.text.substr(1))) << where << ": " << out.problem;
        } else {
            EXPECT_EQ(Shown(out.typed), c.text) << where;
            EXPECT_EQ(out.problem, "") << where;
        }
    }
}

// A block's own letters "<Enter>" are text: only the header presses Enter.
TEST(FormatCard, TellsABlocksTextFromTheEnterKey)
{
    const std::vector<uint8_t> block = {'<', 'E', 'n', 't', 'e', 'r', '>'};
    EXPECT_EQ(FormatCard(block, {String, Forward, kSnSizeAll, 0, WithoutHeader, 4}).typed, Typed{"<Enter>"});
    EXPECT_EQ(FormatCard(block, {String, Forward, kSnSizeAll, 0, WithHeader, 4}).typed,
              (Typed{"<Enter>", Key::Enter}));
}

// What a preset typed, and every UID that gives it ("|" between them), or
// the reason none does; 4-byte cards under the 14-character presets most of all.
TEST(UidsFromPresetText, FindsEveryLengthTheTextAllowsShortestFirst)
{
    const struct {
        std::string_view typed;
        size_t preset;
        std::string_view uids;
    } cases[] = {
        {"00831B78", 0, "00831B78"},
        {"781B8300", 1, "00831B78"},
        {"00000000831B78", 4, "00831B78|0000831B78|000000831B78"},
        {"831B78", 4, "00831B78|0000831B78|000000831B78"},
        {"000000781B8300", 5, "00831B78|00831B7800|00831B780000"},
        {"04A2246A1F3B80", 4, "04A2246A1F3B80"},
        {"803B1F6A24A204", 5, "04A2246A1F3B80"},
        {"00000A2246A1F3", 4, "0A2246A1F3|000A2246A1F3"},
        {"9999999999", 2, "!a number larger than 4 bytes hold"},
    };
    for (const auto& c : cases) {
        const UidChoices choices = UidsFromPresetText(c.typed, kPresets[c.preset]);
        std::string uids = choices.problem.empty() ? "" : "!" + choices.problem.Text();
        for (const auto& uid : choices.uids)
            uids.append(uids.empty() ? "" : "|").append(BytesToHex(uid));
        EXPECT_EQ(uids, c.uids) << c.typed << " after " << kPresets[c.preset].caption;
    }
}

// Settings beyond the presets and common choices: where the search ranks each
// (presets first, then the fewest choices away from the Special page's
// defaults), and every setting it finds types the number as printed.
TEST(FindSettings, RanksEverySettingThatGivesTheNumber)
{
    const std::vector<uint8_t> uid4 = {0x00, 0x83, 0x1B, 0x78};
    const std::vector<uint8_t> uid7 = {0x04, 0xA2, 0x24, 0x6A, 0x1F, 0x3B, 0x80};
    const struct {
        const std::vector<uint8_t>& uid;
        std::string_view printed;
        CardSettings s;
        size_t rank;
    } cases[] = {
        {uid4, "0008592248", kPresets[2].settings, 0},
        {uid4, "0008592248", {Decimal, Forward, kSnSizeAll, 10}, 1},
        {uid4, "92248", {Decimal, Forward, kSnSizeAll, 5}, 0},
        {uid7, "2400772", {Decimal, Reverse, SnSizeFront(3)}, 0},
        {uid7, "803B", {Hexadecimal, Reverse, SnSizeBack(2)}, 0},
        {uid7, "162,09322", {Wiegand, Forward, SnSizeFront(4)}, 0},
        {uid4, "2015068928<Enter>", {Decimal, Reverse, kSnSizeAll, 0, WithHeader}, 0},
    };
    for (const auto& c : cases) {
        const std::vector<CardSettings> found = FindSettings(c.uid, c.printed);
        ASSERT_GT(found.size(), c.rank) << c.printed;
        EXPECT_EQ(found[c.rank], c.s) << c.printed << " at " << c.rank;
        for (const CardSettings& s : found)
            EXPECT_EQ(Shown(FormatCard(c.uid, s).typed), c.printed) << c.printed;
    }
}

// Of the UIDs a text allows, the one whose output is the printed number.
TEST(CheckCard, TakesTheUidThatGivesThePrintedNumber)
{
    const std::vector<std::vector<uint8_t>> uids = {{0x00, 0x83, 0x1B, 0x78}, {0x00, 0x00, 0x83, 0x1B, 0x78}};
    const CardSettings settings[] = {{Decimal, Forward}, {Decimal, Reverse}, {Wiegand, Forward}};
    const struct {
        std::string_view printed;
        size_t uid;
        std::vector<size_t> matches;
    } cases[] = {
        {"", 0, {}},
        {"8592248", 0, {0}},
        {"131, 07032", 0, {2}},
        {"515857645568", 1, {1}},
        {"1", 0, {}},
    };
    for (const auto& c : cases) {
        const CheckedCard card = CheckCard(uids, settings, c.printed);
        EXPECT_EQ(card.uid, c.uid) << c.printed;
        EXPECT_EQ(card.matches, c.matches) << c.printed;
        EXPECT_EQ(card.outputs.size(), std::size(settings));
    }
}

}  // namespace
