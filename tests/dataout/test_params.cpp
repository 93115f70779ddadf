#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>

#include "dataout/card.h"
#include "dataout/link.h"
#include "tests/fakes/fake_t2.h"

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

// What the window, a terminal and the record show of a version: each byte
// the library gives, on one line that sets off no terminal's command.
TEST(Version, KeepsEachByteOnOneLineAndShowsACut)
{
    using namespace std::string_literals;
    const struct {
        std::string read, line;
    } cases[] = {
        {"TR-200 V2.14 #0001", "TR-200 V2.14 #0001"},
        {"V\xE9", "V\\xE9"},
        {"V\xE8", "V\\xE8"},
        {"V\xC3\xA9", "V\xC3\xA9"},  // é in UTF-8 stays
        {"a\nb\tc\x7F\x1B[2J", "a\\x0Ab\\x09c\\x7F\\x1B[2J"},
        {"V\xC2\x9B" "2J\xC2\x85", "V\\xC2\\x9B2J\\xC2\\x85"},  // C1: CSI and NEL
        {"V\xC2\xA0" "1", "V\xC2\xA0" "1"},  // U+00A0, past C1, stays
        {"TR-200\0#0001"s, "TR-200\\x00#0001"},
        {"\\xE9", "\\x5CxE9"},  // typed as text, not the byte
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},  // a surrogate is no UTF-8
        {std::string(254, 'v'), std::string(254, 'v')},
        {std::string(255, 'v'), std::string(255, 'v') + "\\..."},  // filled the library's buffer
        {std::string(254, 'v') + "\xE9", std::string(254, 'v') + "\\xE9\\..."},
        {"V\\...", "V\\x5C..."},  // never taken for a cut
    };
    for (const auto& c : cases)
        EXPECT_EQ(params::VersionLine(c.read), c.line) << c.read;
}

// The library's length, where it gives one the buffer can hold, keeps a NUL
// inside the text; a maker's library may give none, or a wrong one.
TEST(Version, ReadsToTheLengthTheLibraryGives)
{
    using namespace std::string_literals;
    const std::string full(256, 'v');  // unterminated
    const struct {
        std::string text;
        std::optional<int32_t> length;  // none: the text's size
        bool left;                      // no length written
        std::string line;
    } cases[] = {
        {"TR-200\0#0001"s, {}, false, "TR-200\\x00#0001"},
        {"TR-200\0#0002"s, {}, false, "TR-200\\x00#0002"},
        {"TR-200\0#0001"s, {}, true, "TR-200"},
        {"TR-200 V2.14", 0, false, "TR-200 V2.14"},
        {"TR-200 V2.14", 13, false, "TR-200 V2.14"},  // the terminator counted
        {"TR-200 V2.14", 255, false, "TR-200 V2.14"},
        {"TR-200 V2.14", 256, false, "TR-200 V2.14"},
        {"TR-200 V2.14", -7, false, "TR-200 V2.14"},
        {"\0\0#1"s, {}, false, "\\x00\\x00#1"},
        {full, {}, false, std::string(255, 'v') + "\\..."},
        {full, {}, true, std::string(255, 'v') + "\\..."},
    };
    for (const auto& c : cases) {
        Fake().Reset();
        Fake().versionText = c.text;
        Fake().versionUnterminated = c.text.size() > 255;
        Fake().versionLength = c.length;
        Fake().versionLengthLeft = c.left;
        std::string line = "unchanged";
        EXPECT_EQ(params::ReadVersion(7, line), 0);
        EXPECT_EQ(line, c.line) << c.text << " " << c.length.value_or(-1);
    }
}

}  // namespace
