// asc_hex fuzzer: accepts exactly 2 * count hex digits, refuses the rest,
// and never writes outside its buffer or on refusal.
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "t2/t2.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const int32_t count = data[0] % 10 - 1;  // -1..8, around the 6 the program uses
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    unsigned char out[16];
    std::memset(out, 0xEE, sizeof out);
    const int32_t result = asc_hex(text.c_str(), out + 4, count);  // guard bytes either side

    const size_t length = std::strlen(text.c_str());  // the text ends at its first NUL
    bool valid = count > 0 && length == 2 * size_t(count);
    for (size_t i = 0; valid && i < length; ++i)
        valid = std::isxdigit(static_cast<unsigned char>(text[i])) != 0;
    if ((result == 0) != valid)
        std::abort();
    const size_t written = valid ? size_t(count) : 0;
    for (size_t i = 0; i < sizeof out; ++i)
        if ((i < 4 || i >= 4 + written) && out[i] != 0xEE)
            std::abort();
    return 0;
}
