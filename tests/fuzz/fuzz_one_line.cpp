// One-line fuzzer: any bytes become one line of valid UTF-8 without a
// control character (C0, DEL, C1) for a terminal to act on; with its
// backslashes escaped the line gives the very bytes back, so two texts never
// share one, and a version's line adds the cut mark only to a full buffer.
// A station's CSV row of such fields, and of raw ones, reads back as them.
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/record.h"
#include "dataout/link.h"
#include "t2/one_line.h"

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

// Whether `line` is valid UTF-8 (no overlong form, surrogate or code point
// past U+10FFFF) of no control character.
bool PrintableUtf8(std::string_view line)
{
    for (size_t i = 0; i < line.size();) {
        const auto c = static_cast<unsigned char>(line[i]);
        const size_t length = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        if (length == 0 || i + length > line.size())
            return false;
        char32_t code = length == 1 ? c : c & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(line[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = code << 6 | (next & 0x3F);
        }
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < least[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
            return false;
        if (code < 0x20 || (code >= 0x7F && code <= 0x9F))
            return false;
        i += length;
    }
    return true;
}

// The bytes a line with escaped backslashes stands for.
std::optional<std::string> Unescaped(std::string_view line)
{
    std::string bytes;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '\\') {
            bytes += line[i];
            continue;
        }
        if (line.substr(i, 2) != "\\x" || i + 4 > line.size())
            return std::nullopt;
        const std::string hex(line.substr(i + 2, 2));
        char* end = nullptr;
        const unsigned long byte = std::strtoul(hex.c_str(), &end, 16);
        if (end != hex.c_str() + 2 || hex.find_first_not_of("0123456789ABCDEF") != std::string::npos)
            return std::nullopt;
        bytes += static_cast<char>(byte);
        i += 3;
    }
    return bytes;
}

// A CSV line's fields (RFC 4180), or nothing where it is not one line of them.
std::optional<std::vector<std::string>> Fields(std::string_view row)
{
    if (row.empty() || row.back() != '\n')
        return std::nullopt;
    row.remove_suffix(1);
    std::vector<std::string> fields;
    size_t i = 0;
    while (true) {
        std::string field;
        if (i < row.size() && row[i] == '"') {
            for (++i;; ++i) {
                if (i >= row.size())
                    return std::nullopt;
                if (row[i] == '"' && (i + 1 >= row.size() || row[i + 1] != '"'))
                    break;
                field += row[i];
                i += row[i] == '"';
            }
            ++i;
        } else {
            for (; i < row.size() && row[i] != ','; ++i) {
                if (row[i] == '"' || row[i] == '\n' || row[i] == '\r')
                    return std::nullopt;
                field += row[i];
            }
        }
        fields.push_back(field);
        if (i == row.size())
            return fields;
        if (row[i] != ',')
            return std::nullopt;
        ++i;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const std::string line = t2proto::OneLine(text);
    Check(PrintableUtf8(line));
    Check(t2proto::OneLine(line) == line);  // a line made twice is the same line

    const std::string exact = t2proto::OneLine(text, true);
    Check(PrintableUtf8(exact));
    Check(Unescaped(exact) == std::string(text));

    const std::string version = params::VersionLine(text);
    Check(version == exact + (size >= params::kVersionMax ? "\\..." : ""));

    // Raw fields between 0x1E bytes, then the escaped line: each reads back,
    // a spreadsheet's formula start behind a '.
    std::vector<std::string> fields;
    for (size_t start = 0;;) {
        const size_t end = std::min(text.find('\x1E', start), text.size());
        fields.emplace_back(text.substr(start, end - start));
        if (end == text.size())
            break;
        start = end + 1;
    }
    fields.push_back(version);
    const std::optional<std::vector<std::string>> read = Fields(record::Row(fields));
    Check(read && read->size() == fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        const std::string& shown = (*read)[i];
        const bool formula = !fields[i].empty() && std::string_view("=+-@\t\r'").find(fields[i][0]) != std::string_view::npos;
        Check(shown == (formula ? "'" : "") + fields[i]);
    }
    return 0;
}
