#include <gtest/gtest.h>

#include <array>

#include "params.h"

namespace {

TEST(FormatCode, PrintsUnsigned32BitUpperCaseWithAtLeastTwoDigits)
{
    const struct {
        int32_t code;
        const char* text;
    } cases[] = {
        {5, "code: 0x05"},
        {0x3001, "code: 0x3001"},
        {-1, "code: 0xFFFFFFFF"},
        {0xAB, "code: 0xAB"},
        {0, "code: 0x00"},
        {INT32_MIN, "code: 0x80000000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(params::FormatCode(c.code), c.text) << c.code;
}

TEST(DefaultKey, IsTheDefaultKeyTextReadAsHex)
{
    std::array<unsigned char, 6> fromText{};
    ASSERT_TRUE(params::HexToBytes(params::kDefaultKeyText, fromText.data(), fromText.size()));
    EXPECT_EQ(fromText, params::kDefaultKey);
}

TEST(HexToBytes, AcceptsExactlyTwoDigitsPerByteOfEitherCase)
{
    unsigned char out[6] = {};
    ASSERT_TRUE(params::HexToBytes("00ff7Fa0B1c2", out, 6));
    const unsigned char expected[6] = {0x00, 0xFF, 0x7F, 0xA0, 0xB1, 0xC2};
    EXPECT_TRUE(std::equal(out, out + 6, expected));
}

TEST(HexToBytes, RefusesAnythingElseAndLeavesTheOutputUntouched)
{
    for (const char* text : {"", "3A7F19C2E84", "3A7F19C2E8451", "3A7F19C2E8G5", "3A 7F19C2E845",
                             "3A7F19C2E84 ", "0x7F19C2E845", "3A7F19C2E8-5"}) {
        unsigned char out[6] = {1, 2, 3, 4, 5, 6};
        EXPECT_FALSE(params::HexToBytes(text, out, 6)) << text;
        EXPECT_EQ(out[0], 1) << text;
        EXPECT_EQ(out[5], 6) << text;
    }
    unsigned char out[1] = {};
    EXPECT_FALSE(params::HexToBytes("", out, 0));
    EXPECT_FALSE(params::HexToBytes("00", nullptr, 1));
}

}  // namespace
