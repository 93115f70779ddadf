#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "dataout/card.h"
#include "dataout/link.h"

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

// The names the window's boxes and the command line both take.
TEST(LinkNames, PortsAndRates)
{
    const struct {
        const char* name;
        std::optional<int32_t> port;
    } ports[] = {{"USB", 100}, {"usb", 100}, {"COM1", 0}, {"com9", 8}, {"COM0", {}}, {"COM10", {}}, {"COM", {}},
                 {"", {}}, {"USB ", {}}, {"LPT1", {}}};
    for (const auto& c : ports)
        EXPECT_EQ(params::PortNumber(c.name), c.port) << c.name;
    EXPECT_EQ(params::BaudRate("9600"), 9600);
    EXPECT_EQ(params::BaudRate("115200"), 115200);
    for (const char* rate : {"4800", "09600", "", "9600 "})
        EXPECT_EQ(params::BaudRate(rate), std::nullopt) << rate;
}

}  // namespace
