// The integers the program sends as the reader's read-only output settings,
// shared by both setting pages.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// A text the window shows in the user's language, translated there under
// `context`; the mark is for lupdate (docs/translations.md), which reads it as
// QT_TRANSLATE_NOOP: this folder stays free of Qt.
#define TAVELIN_TEXT(context, text) text

namespace params {

enum DataBase : int32_t { Decimal = 0, Hexadecimal = 1, Wiegand = 2, String = 3 };
enum Orientation : int32_t { Reverse = 0, Forward = 1 };
enum HeaderFlag : int32_t { WithoutHeader = 0, WithHeader = 1 };

constexpr int32_t kSnSizeAll = 0;
constexpr int32_t kOutLengthDefault = 0;
constexpr int32_t kBlockUid = 255;  // block address that reads the card's UID

// snSize for the first `n` bytes of the card number, or the last `n`.
constexpr int32_t SnSizeFront(int32_t n) { return n; }
constexpr int32_t SnSizeBack(int32_t n) { return n | 0xF0; }

// The values a reader holds that decide what it types for a card: what the
// pages send, in one type wherever they go.
struct CardSettings {
    int32_t dataBase = Decimal;
    int32_t orientation = Forward;
    int32_t snSize = kSnSizeAll;
    int32_t outLength = kOutLengthDefault;
    int32_t headerFlag = WithoutHeader;
    int32_t blockAddress = kBlockUid;

    bool operator==(const CardSettings&) const = default;
};

// What the Special page has chosen when it opens.
inline constexpr CardSettings kSpecialDefaults{Decimal, Reverse};

// One choice of a Special page group: the value it sends and its word in a
// setting file. Files written keep the word, so it stays when the page's
// caption changes. A counted choice takes a number N in 1..maxCount too,
// sends value + N, and is written "word N".
struct Choice {
    int32_t value;
    const char* word;
    int32_t maxCount = 0;

    static constexpr int32_t kMinCount = 1;
    // Whether this choice is counted and takes `n`.
    constexpr bool Takes(int32_t n) const { return n >= kMinCount && n <= maxCount; }
};

inline constexpr Choice kBaseChoices[] = {
    {Decimal, "Decimal"}, {Hexadecimal, "Hexadecimal"}, {Wiegand, "Wiegand"}, {String, "String"}};
inline constexpr Choice kOrderChoices[] = {{Forward, "Forward"}, {Reverse, "Reverse"}};
inline constexpr Choice kSizeChoices[] = {
    {kSnSizeAll, "All"}, {SnSizeFront(0), "First", 15}, {SnSizeBack(0), "Last", 15}};
inline constexpr Choice kLengthChoices[] = {{kOutLengthDefault, "Default"}, {0, "Static", 99}};
// "USB Without Enter" sends what "WithOut" does; the page and its files
// still tell it apart.
inline constexpr Choice kHeaderChoices[] = {
    {WithHeader, "With"}, {WithoutHeader, "WithOut"}, {WithoutHeader, "USB Without Enter"}};
inline constexpr size_t kUsbWithoutEnterRow = 2;

// A Special page group: the value it sets, its choices, its key in a setting
// file, and what a counted choice's number is ("N 1..15 bytes"). The block
// address and its key are no group: a number and a text.
struct Group {
    const char* key;
    int32_t CardSettings::*field;
    std::span<const Choice> choices;
    const char* count = nullptr;
    const char* unit = nullptr;
};
// In a setting file's order.
inline constexpr Group kGroups[] = {
    {"base", &CardSettings::dataBase, kBaseChoices},
    {"order", &CardSettings::orientation, kOrderChoices},
    {"size", &CardSettings::snSize, kSizeChoices, "N", TAVELIN_TEXT("setting", "bytes")},
    {"length", &CardSettings::outLength, kLengthChoices, "L", TAVELIN_TEXT("setting", "characters")},
    {"header", &CardSettings::headerFlag, kHeaderChoices},
};
// The group that sets `field`.
const Group& GroupOf(int32_t CardSettings::*field);

// The first of `choices` that sends `value`, or nullptr when none does.
const Choice* FindChoice(std::span<const Choice> choices, int32_t value);

// One-click output preset: its button sends the output values alone. Files
// name it by `word`, which stays when the caption changes.
struct Preset {
    const char* word;
    const char* caption;
    CardSettings settings;
};
extern const std::array<Preset, 6> kPresets;
// The preset that sends `settings`, or nullptr.
const Preset* PresetOf(const CardSettings& settings);

// Zero-filled side buffers that every setting call passes on.
struct AuxBuffers {
    unsigned char aux8[8] = {};
    unsigned char auxA[3] = {};
    unsigned char auxB[3] = {};
};

inline constexpr std::string_view kDefaultKeyText = "3A7F19C2E845";
// kDefaultKeyText as bytes, first byte first.
extern const std::array<unsigned char, 6> kDefaultKey;

// "code: 0x%02X" of a library result, printed as unsigned 32 bits; HexCode
// is its "0x%02X".
std::string FormatCode(int32_t result);
std::string HexCode(int32_t result);

}  // namespace params
