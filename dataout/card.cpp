#include "dataout/card.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>

namespace params {

namespace {

struct SnSizeChoice {
    bool fromBack;
    size_t count;  // 0: the whole number
};

// 0..15 are the first N bytes, 0xF0..0xFF the last N. A value typed as "-N"
// arrives sign-extended (-5 OR 0xF0 is -5): a byte-wide reader sees its low
// byte, so -16..-1 are taken as 0xF0..0xFF.
std::optional<SnSizeChoice> DecodeSnSize(int32_t v)
{
    if (v >= -16 && v <= -1)
        v &= 0xFF;
    if (v >= 0 && v <= 0x0F)
        return SnSizeChoice{false, static_cast<size_t>(v)};
    if (v >= 0xF0 && v <= 0xFF)
        return SnSizeChoice{true, static_cast<size_t>(v & 0x0F)};
    return std::nullopt;
}

std::string OutOfRange(const char* name, int32_t value, const char* range)
{
    return "not a valid setting: " + std::string(name) + " " + std::to_string(value) + " is not " + range;
}

// The bytes as one unsigned big-endian number, in decimal without leading zeros.
std::string ToDecimal(std::vector<uint8_t> bytes)
{
    std::string digits;
    bool rest = true;
    while (rest) {
        unsigned remainder = 0;
        rest = false;
        for (uint8_t& b : bytes) {
            const unsigned part = remainder << 8 | b;
            b = static_cast<uint8_t>(part / 10);
            remainder = part % 10;
            rest = rest || b != 0;
        }
        digits.insert(digits.begin(), static_cast<char>('0' + remainder));
    }
    return digits;
}

// Length 0 strips leading zeros (one stays for zero itself); L pads with
// leading zeros or keeps the last L characters.
std::string Fit(std::string digits, int32_t length)
{
    if (length == kOutLengthDefault) {
        digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
        return digits;
    }
    const auto want = static_cast<size_t>(length);
    if (digits.size() < want)
        return std::string(want - digits.size(), '0') + digits;
    return digits.substr(digits.size() - want);
}

// -1 for a character that is no digit of `base` (10 or 16).
int DigitValue(char c, int base)
{
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < base ? v : -1;
}

// The digits as one number in `base`, into `bytes` big-endian (their size
// stays); false when it does not fit.
bool DigitsToBytes(std::string_view digits, int base, std::vector<uint8_t>& bytes)
{
    for (char c : digits) {
        unsigned carry = static_cast<unsigned>(DigitValue(c, base));
        for (auto b = bytes.rbegin(); b != bytes.rend(); ++b) {
            const unsigned part = *b * static_cast<unsigned>(base) + carry;
            *b = static_cast<uint8_t>(part & 0xFF);
            carry = part >> 8;
        }
        if (carry != 0)
            return false;
    }
    return true;
}

std::string WithoutSpaces(std::string_view text)
{
    std::string kept;
    for (char c : text)
        if (c != ' ')
            kept += c;
    return kept;
}

// The first character that is no digit of `base`, or nothing.
std::optional<char> NonDigit(std::string_view text, int base)
{
    for (char c : text)
        if (DigitValue(c, base) < 0)
            return c;
    return std::nullopt;
}

std::string Quoted(char c)
{
    return std::string("\"") + c + "\"";
}

bool Gives(std::span<const uint8_t> uid, const CardSettings& s, const std::string& bareNumber)
{
    const CardText out = FormatCard(uid, s);
    return out.problem.empty() && Bare(Shown(out.typed)) == bareNumber;
}

// The values of `g` worth trying: its default, then its choices in the
// table's order, a counted one with each of `counts` it takes, fewest first.
std::vector<int32_t> Candidates(const Group& g, std::span<const int32_t> counts)
{
    std::vector<int32_t> values{kSpecialDefaults.*g.field};
    auto add = [&](int32_t value) {
        if (std::ranges::find(values, value) == values.end())
            values.push_back(value);
    };
    for (const Choice& c : g.choices)
        if (c.maxCount == 0)
            add(c.value);
    for (int32_t n : counts)
        for (const Choice& c : g.choices)
            if (c.Takes(n))
                add(c.value + n);
    return values;
}

}  // namespace

std::string SettingProblem(const CardSettings& s)
{
    if (s.dataBase < Decimal || s.dataBase > String)
        return OutOfRange("dataBase", s.dataBase, "0..3");
    if (s.orientation < Reverse || s.orientation > Forward)
        return OutOfRange("orientation", s.orientation, "0..1");
    if (!DecodeSnSize(s.snSize))
        return OutOfRange("snSize", s.snSize, "0..15, 0xF0..0xFF or -16..-1");
    if (s.outLength < 0 || s.outLength > 99)
        return OutOfRange("outLength", s.outLength, "0..99");
    if (s.headerFlag < WithoutHeader || s.headerFlag > WithHeader)
        return OutOfRange("headerFlag", s.headerFlag, "0..1");
    if (s.blockAddress < 0 || s.blockAddress > kBlockUid)
        return OutOfRange("blockAddress", s.blockAddress, "0..255");
    return {};
}

std::string PairingProblem(const CardSettings& s)
{
    if (s.blockAddress == kBlockUid && s.dataBase == String)
        return TAVELIN_TEXT("card", "not a valid setting: String puts out a data block's text, and block address 255 reads the UID");
    return {};
}

CardText FormatCard(std::span<const uint8_t> data, const CardSettings& s)
{
    if (std::string problem = SettingProblem(s); !problem.empty())
        return {{}, problem};
    const bool uid = s.blockAddress == kBlockUid;
    if (uid && (data.size() < kMinUid || data.size() > kMaxUid))
        return {{}, "not a card: a UID has 4 to 10 bytes, not " + std::to_string(data.size())};
    if (!uid && (data.empty() || data.size() > kMaxBlock))
        return {{}, "not a data block: it has 1 to 16 bytes, not " + std::to_string(data.size())};
    if (std::string problem = PairingProblem(s); !problem.empty())
        return {{}, problem};

    // Chosen from the card's own order, then put in the output's order.
    const SnSizeChoice size = *DecodeSnSize(s.snSize);
    const size_t n = size.count == 0 ? data.size() : std::min(size.count, data.size());
    const auto first = size.fromBack ? data.end() - static_cast<std::ptrdiff_t>(n) : data.begin();
    std::vector<uint8_t> bytes(first, first + static_cast<std::ptrdiff_t>(n));
    if (s.orientation == Reverse)
        std::reverse(bytes.begin(), bytes.end());

    std::string text;
    switch (s.dataBase) {
    case Decimal:
        text = Fit(ToDecimal(bytes), s.outLength);
        break;
    case Hexadecimal:
        text = Fit(BytesToHex(bytes), s.outLength);
        break;
    case Wiegand: {
        // Fewer than three bytes stand as if zeros came first.
        bytes.insert(bytes.begin(), 3 - std::min<size_t>(bytes.size(), 3), 0);
        const uint8_t* last = bytes.data() + bytes.size() - 3;
        char form[16];
        std::snprintf(form, sizeof form, "%03u,%05u", unsigned(last[0]), unsigned(last[1]) << 8 | last[2]);
        text = form;
        break;
    }
    default:  // String: no key types a control character
        for (uint8_t b : bytes)
            if (b >= 0x20 && b != 0x7F)
                text += static_cast<char>(b);
        break;
    }
    CardText out;
    if (!text.empty())
        out.typed.emplace_back(std::move(text));
    if (s.headerFlag == WithHeader)
        out.typed.emplace_back(Key::Enter);
    return out;
}

std::string Words::Text() const
{
    std::string text;
    for (const char* c = format; *c; ++c) {
        const size_t arg = c[1] >= '1' && c[1] <= '9' ? size_t(c[1] - '1') : args.size();
        if (*c == '%' && arg < args.size()) {
            text += args[arg];
            ++c;
        } else {
            text += *c;
        }
    }
    return text;
}

Bytes ParseHex(std::string_view text, size_t minBytes, size_t maxBytes)
{
    const std::string digits = WithoutSpaces(text);
    if (digits.empty())
        return {{}, {TAVELIN_TEXT("card", "no hex digits"), {}}};
    if (auto c = NonDigit(digits, 16))
        return {{}, {TAVELIN_TEXT("card", "%1 is not a hex digit"), {Quoted(*c)}}};
    if (digits.size() % 2 != 0)
        return {{}, {TAVELIN_TEXT("card", "an odd number of hex digits (%1): two make a byte"), {std::to_string(digits.size())}}};
    const size_t count = digits.size() / 2;
    if (count < minBytes || count > maxBytes)
        return {{},
                {TAVELIN_TEXT("card", "%1 bytes, not %2 to %3"),
                 {std::to_string(count), std::to_string(minBytes), std::to_string(maxBytes)}}};
    std::vector<uint8_t> bytes(count);
    DigitsToBytes(digits, 16, bytes);
    return {bytes, {}};
}

UidChoices UidsFromPresetText(std::string_view text, const Preset& preset)
{
    const std::string digits = WithoutSpaces(text);
    const int base = preset.settings.dataBase == Decimal ? 10 : 16;
    const auto length = static_cast<size_t>(preset.settings.outLength);
    const auto read = static_cast<size_t>(preset.settings.snSize);
    if (digits.empty())
        return {{}, {TAVELIN_TEXT("card", "no text"), {}}};
    if (auto c = NonDigit(digits, base))
        return {{},
                {base == 10 ? TAVELIN_TEXT("card", "%1 is not a decimal digit") : TAVELIN_TEXT("card", "%1 is not a hex digit"),
                 {Quoted(*c)}}};
    if (digits.size() > length)
        return {{},
                {TAVELIN_TEXT("card", "this preset types %1 characters, not %2"),
                 {std::to_string(length), std::to_string(digits.size())}}};
    UidChoices choices;
    for (size_t n = kMinUid; n <= read; ++n) {
        std::vector<uint8_t> bytes(n);
        if (!DigitsToBytes(digits, base, bytes))
            continue;
        if (preset.settings.orientation == Reverse)
            std::reverse(bytes.begin(), bytes.end());
        // A UID of 7 bytes or more begins with its maker's code, never 00.
        if (n >= 7 && bytes[0] == 0)
            continue;
        choices.uids.push_back(std::move(bytes));
    }
    if (choices.uids.empty())
        choices.problem = {TAVELIN_TEXT("card", "a number larger than %1 bytes hold"), {std::to_string(read)}};
    return choices;
}

std::vector<CardSettings> FindSettings(std::span<const uint8_t> uid, std::string_view printed)
{
    const std::string number = Bare(printed);
    std::vector<CardSettings> found;
    if (number.empty())
        return found;
    for (const Preset& preset : kPresets)
        if (Gives(uid, preset.settings, number))
            found.push_back(preset.settings);
    const size_t presets = found.size();

    // Each group's values in the table's order, its default first. A count
    // matters up to a byte short of the UID, as N bytes or more from either end
    // are all of them; a Static length types that many characters before any
    // Enter, so it is the number's length, with or without one.
    const auto withEnter = static_cast<int32_t>(number.size() - Bare(kEnter).size());
    // The bytes read turn slowest: of settings as far from the defaults, one
    // reading all of them, else fewer, comes first.
    std::vector<const Group*> groups{&GroupOf(&CardSettings::snSize)};
    for (const Group& g : kGroups)
        if (&g != groups[0])
            groups.push_back(&g);
    std::vector<std::vector<int32_t>> values;
    for (const Group* g : groups) {
        std::vector<int32_t> counts;
        if (g->field == &CardSettings::snSize)
            for (int32_t n = 1; n < static_cast<int32_t>(uid.size()); ++n)
                counts.push_back(n);
        else if (g->field == &CardSettings::outLength)
            counts = {withEnter, static_cast<int32_t>(number.size())};
        values.push_back(Candidates(*g, counts));
    }
    // Each group a choice away from its default.
    auto away = [](const CardSettings& s) {
        return std::ranges::count_if(kGroups, [&s](const Group& g) { return s.*g.field != kSpecialDefaults.*g.field; });
    };
    auto needless = [&](const CardSettings& s) {
        return std::ranges::any_of(kGroups, [&](const Group& g) {
            CardSettings without = s;
            without.*g.field = kSpecialDefaults.*g.field;
            return without != s && Gives(uid, without, number);
        });
    };
    // Every combination, the last group's values turning fastest.
    std::vector<size_t> at(values.size(), 0);
    for (size_t turned = values.size(); turned > 0;) {
        CardSettings s;
        for (size_t i = 0; i < values.size(); ++i)
            s.*groups[i]->field = values[i][at[i]];
        if (Gives(uid, s, number) && std::ranges::find(found, s) == found.end() && !needless(s))
            found.push_back(s);
        for (turned = values.size(); turned > 0 && ++at[turned - 1] == values[turned - 1].size();)
            at[--turned] = 0;
    }
    std::ranges::stable_sort(found.begin() + static_cast<std::ptrdiff_t>(presets), found.end(), {}, away);
    return found;
}

CheckedCard CheckCard(std::span<const std::vector<uint8_t>> uids, std::span<const CardSettings> settings,
                      std::string_view printed)
{
    const std::string number = Bare(printed);
    std::optional<CheckedCard> taken;
    for (size_t i = 0; i < uids.size(); ++i) {
        CheckedCard card{i, {}, {}, FindSettings(uids[i], printed)};
        for (size_t k = 0; k < settings.size(); ++k) {
            card.outputs.push_back(FormatCard(uids[i], settings[k]).typed);
            if (!number.empty() && Bare(Shown(card.outputs.back())) == number)
                card.matches.push_back(k);
        }
        if (!card.matches.empty())
            return card;
        if (!taken || (taken->found.empty() && !card.found.empty()))
            taken = std::move(card);
    }
    return taken ? std::move(*taken) : CheckedCard{};
}

std::string Bare(std::string_view text)
{
    std::string kept;
    for (char c : text)
        if (std::isalnum(static_cast<unsigned char>(c)))
            kept += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return kept;
}

std::string Shown(const Typed& typed)
{
    std::string text;
    for (const auto& part : typed)
        text += std::holds_alternative<Key>(part) ? kEnter : std::get<std::string>(part);
    return text;
}

std::string BytesToHex(std::span<const uint8_t> bytes, std::string_view separator)
{
    std::string text;
    for (uint8_t b : bytes) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", b);
        if (!text.empty())
            text += separator;
        text += digits;
    }
    return text;
}

}  // namespace params
