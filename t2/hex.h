// Hexadecimal text to bytes, as asc_hex takes it.
#pragma once

#include <cstddef>
#include <string_view>

namespace t2proto {

// Exactly 2 * count hexadecimal digits (either case) into `count` bytes;
// false, with `out` untouched, for anything else.
bool HexToBytes(std::string_view text, unsigned char* out, size_t count);

}  // namespace t2proto
