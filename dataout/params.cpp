#include "params.h"

#include <cstdio>

namespace params {

const std::array<Preset, 6> kPresets = {{
    {1040, "8-out-hex-forward", {.dataBase = Hexadecimal, .orientation = Forward, .snSize = SnSizeFront(4), .outLength = 8}},
    {1041, "8-out-hex-reverse", {.dataBase = Hexadecimal, .orientation = Reverse, .snSize = SnSizeFront(4), .outLength = 8}},
    {1042, "10-out-dec-forward", {.dataBase = Decimal, .orientation = Forward, .snSize = SnSizeFront(4), .outLength = 10}},
    {1043, "10-out-dec-reverse", {.dataBase = Decimal, .orientation = Reverse, .snSize = SnSizeFront(4), .outLength = 10}},
    {1044, "14-out-hex-forward", {.dataBase = Hexadecimal, .orientation = Forward, .snSize = SnSizeFront(7), .outLength = 14}},
    {1045, "14-out-hex-reverse", {.dataBase = Hexadecimal, .orientation = Reverse, .snSize = SnSizeFront(7), .outLength = 14}},
}};

// Checked against kDefaultKeyText by the tests.
const std::array<unsigned char, 6> kDefaultKey = {0x3A, 0x7F, 0x19, 0xC2, 0xE8, 0x45};

std::string FormatCode(int32_t result)
{
    char text[32];
    std::snprintf(text, sizeof text, "code: 0x%02X", static_cast<unsigned>(static_cast<uint32_t>(result)));
    return text;
}

}  // namespace params
