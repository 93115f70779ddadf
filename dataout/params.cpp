#include "dataout/params.h"

#include <cstdio>
#include <cstdlib>

namespace params {

const std::array<Preset, 6> kPresets = {{
    {"8-out-hex-forward", TAVELIN_TEXT("params", "8-out-hex-forward"),
     {.dataBase = Hexadecimal, .orientation = Forward, .snSize = SnSizeFront(4), .outLength = 8}},
    {"8-out-hex-reverse", TAVELIN_TEXT("params", "8-out-hex-reverse"),
     {.dataBase = Hexadecimal, .orientation = Reverse, .snSize = SnSizeFront(4), .outLength = 8}},
    {"10-out-dec-forward", TAVELIN_TEXT("params", "10-out-dec-forward"),
     {.dataBase = Decimal, .orientation = Forward, .snSize = SnSizeFront(4), .outLength = 10}},
    {"10-out-dec-reverse", TAVELIN_TEXT("params", "10-out-dec-reverse"),
     {.dataBase = Decimal, .orientation = Reverse, .snSize = SnSizeFront(4), .outLength = 10}},
    {"14-out-hex-forward", TAVELIN_TEXT("params", "14-out-hex-forward"),
     {.dataBase = Hexadecimal, .orientation = Forward, .snSize = SnSizeFront(7), .outLength = 14}},
    {"14-out-hex-reverse", TAVELIN_TEXT("params", "14-out-hex-reverse"),
     {.dataBase = Hexadecimal, .orientation = Reverse, .snSize = SnSizeFront(7), .outLength = 14}},
}};

// Checked against kDefaultKeyText by the tests.
const std::array<unsigned char, 6> kDefaultKey = {0x3A, 0x7F, 0x19, 0xC2, 0xE8, 0x45};

const Preset* PresetOf(const CardSettings& settings)
{
    for (const Preset& p : kPresets)
        if (p.settings == settings)
            return &p;
    return nullptr;
}

const Choice* FindChoice(std::span<const Choice> choices, int32_t value)
{
    for (const Choice& c : choices)
        if (c.maxCount == 0 ? value == c.value : c.Takes(value - c.value))
            return &c;
    return nullptr;
}

const Group& GroupOf(int32_t CardSettings::*field)
{
    for (const Group& g : kGroups)
        if (g.field == field)
            return g;
    std::abort();  // a field no group sets: the caller's mistake
}

std::string HexCode(int32_t result)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(static_cast<uint32_t>(result)));
    return text;
}

std::string FormatCode(int32_t result)
{
    return "code: " + HexCode(result);
}

}  // namespace params
