#include "t2/hex.h"

namespace t2proto {

bool HexToBytes(std::string_view text, unsigned char* out, size_t count)
{
    if (out == nullptr || count == 0 || text.size() != 2 * count)
        return false;
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    for (char c : text)
        if (nibble(c) < 0)
            return false;
    for (size_t i = 0; i < count; ++i)
        out[i] = static_cast<unsigned char>(nibble(text[2 * i]) << 4 | nibble(text[2 * i + 1]));
    return true;
}

}  // namespace t2proto
