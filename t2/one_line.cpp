#include "t2/one_line.h"

#include <cstdio>

namespace t2proto {

std::string OneLine(std::string_view text, bool escapeBackslash)
{
    std::string line;
    auto escape = [&line](unsigned char c) {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        line += hex;
    };
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        // A sequence's length from its lead byte, and the range its second
        // byte must be in to be neither overlong, a surrogate nor past U+10FFFF.
        size_t length = c >= 0x20 && c < 0x7F && !(escapeBackslash && c == '\\') ? 1
                        : c >= 0xC2 && c <= 0xDF ? 2
                        : c >= 0xE0 && c <= 0xEF ? 3
                        : c >= 0xF0 && c <= 0xF4 ? 4
                                                 : 0;
        // C2 80..9F are C1 controls: escaped as the C0 ones are.
        const unsigned char low = c == 0xC2 || c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
        bool valid = length > 0 && i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = next >= (k == 1 ? low : 0x80) && next <= (k == 1 ? high : 0xBF);
        }
        if (valid) {
            line.append(text.substr(i, length));
            i += length;
        } else {
            escape(c);  // a control character's byte, or a byte of no sequence
            ++i;
        }
    }
    return line;
}

std::string OneLineCut(std::string_view text, size_t bytes)
{
    return text.size() <= bytes ? OneLine(text) : OneLine(text.substr(0, bytes)) + "...";
}

}  // namespace t2proto
