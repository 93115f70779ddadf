#include <gtest/gtest.h>

#include <array>

#include "card.h"

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
    const params::Bytes fromText = params::ParseHex(params::kDefaultKeyText, 6, 6);
    EXPECT_TRUE(std::equal(fromText.bytes.begin(), fromText.bytes.end(), params::kDefaultKey.begin(),
                           params::kDefaultKey.end()));
}

}  // namespace
