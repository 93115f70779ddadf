// asc_hex: exactly 2 * count hex digits of either case, nothing else, and no
// write anywhere on refusal.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "t2/t2.h"

namespace {

using Key = std::array<unsigned char, 6>;
constexpr Key kUntouched = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};

TEST(AscHex, AcceptsTwelveDigitsOfEitherCase)
{
    const Key expected = {0x3A, 0x7F, 0x19, 0xC2, 0xE8, 0x45};
    for (const char* text : {"3A7F19C2E845", "3a7f19c2e845", "3a7F19c2E845"}) {
        Key key = kUntouched;
        EXPECT_EQ(asc_hex(text, key.data(), 6), 0) << text;
        EXPECT_EQ(key, expected) << text;
    }
    unsigned char one = 0;
    EXPECT_EQ(asc_hex("fF", &one, 1), 0);
    EXPECT_EQ(one, 0xFF);
}

TEST(AscHex, RefusesEverythingElseAndLeavesTheBufferAlone)
{
    const std::string cases[] = {
        "",
        "3A7F19C2E84",                          // 11 digits
        "3A7F19C2E8450",                        // 13
        "3A7F19C2E84G",                         // not hex
        "0x3A7F19C2E8",                         // prefix
        " 3A7F19C2E84",                         // leading space
        "3A7F19C2E845 ",                        // trailing space
        "3A 7F 19 C2 E8 45",                    // spaced
        "3A7F19C2E8\xC3\xA9",                   // non-ASCII, 12 bytes
        "\xEF\xBC\x93\xEF\xBC\xA1" "7F19C2E8",  // full-width digits
        "3A7F19C2E8-5",
        std::string(127, 'A'),
        std::string(200, '0'),
    };
    for (const auto& text : cases) {
        std::array<unsigned char, 8> buffer;
        buffer.fill(0xEE);
        EXPECT_NE(asc_hex(text.c_str(), buffer.data() + 1, 6), 0) << '"' << text << '"';
        EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](unsigned char b) { return b == 0xEE; }))
            << '"' << text << '"';
    }
}

TEST(AscHex, RefusesNullPointersAndCounts)
{
    Key key = kUntouched;
    EXPECT_NE(asc_hex(nullptr, key.data(), 6), 0);
    EXPECT_NE(asc_hex("3A7F19C2E845", nullptr, 6), 0);
    EXPECT_NE(asc_hex("", key.data(), 0), 0);
    EXPECT_NE(asc_hex("3A7F19C2E845", key.data(), -6), 0);
    EXPECT_EQ(key, kUntouched);
}

}  // namespace
