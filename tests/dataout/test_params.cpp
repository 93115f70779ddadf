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

// The names the window's boxes and the command line take, and the library's numbers for them.
TEST(LinkNames, PortsAndRates)
{
    const struct {
        const char* name;
        std::optional<std::string> canonical;
        std::optional<int32_t> port;
    } ports[] = {{"USB", "USB", 100},        {"usb", "USB", 100},           {"COM1", "COM1", 0},
                 {"com9", "COM9", 8},        {"COM10", "COM10", 9},         {"Com12", "COM12", 11},
                 {"COM100", "COM100", 99},   {"COM101", "COM101", {}},      {"COM102", "COM102", 101},
                 {"COM256", "COM256", 255},  {"COM257", {}, {}},            {"COM0", {}, {}},
                 {"COM012", {}, {}},         {"COM", {}, {}},               {"", {}, {}},
                 {"USB ", {}, {}},           {"LPT1", {}, {}},              {"COM1x", {}, {}},
#ifndef _WIN32
                 {"USB:1.2", "USB:1.2", {}}, {"usb:3", "USB:3", {}},        {"USB:1.2:1.1", "USB:1.2:1.1", {}},
                 {"USB:1.4-PORT1", "USB:1.4-port1", {}},
#endif
                 {"USB:", {}, {}},           {"USB:1..2", {}, {}},          {"USB:../x", {}, {}},
                 {"USB:1.2 ", {}, {}}};
    for (const auto& c : ports) {
        const auto port = params::ParsePort(c.name);
        EXPECT_EQ(port ? std::optional(port->name) : std::nullopt, c.canonical) << c.name;
        EXPECT_EQ(port ? port->number : std::nullopt, c.port) << c.name;
    }
    EXPECT_EQ(params::BaudRate("9600"), 9600);
    EXPECT_EQ(params::BaudRate("115200"), 115200);
    for (const char* rate : {"4800", "09600", "", "9600 "})
        EXPECT_EQ(params::BaudRate(rate), std::nullopt) << rate;
}

}  // namespace
