// What a reader in keyboard mode types for a card under the read-only output
// settings (docs/card-output.md), and the way back from a preset's text to
// the card's UID. Shared by the emulator and the Card Check window.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "dataout/params.h"

namespace params {

// Enter where a typed text is shown.
inline constexpr std::string_view kEnter = "<Enter>";

inline constexpr size_t kMinUid = 4, kMaxUid = 10, kMaxBlock = 16;

// A key the reader presses beside the characters it types: a block's text
// may hold the letters of kEnter, never the key.
enum class Key { Enter };
// What a reader types for a card: runs of characters and key presses, in order.
using Typed = std::vector<std::variant<std::string, Key>>;

// The typed text as shown, kEnter where Enter is pressed.
std::string Shown(const Typed& typed);
// Letters and digits only, upper case: how a printed number and a typed text compare.
std::string Bare(std::string_view text);

struct CardText {
    Typed typed;
    std::string problem;  // when not empty nothing is typed, and this says why
};

// `data` is the card's UID (kMinUid..kMaxUid bytes) when the block address is
// kBlockUid, else the block's bytes (1..kMaxBlock).
CardText FormatCard(std::span<const uint8_t> data, const CardSettings& settings);

// "not a valid setting: ..." for the first value out of range, or empty.
std::string SettingProblem(const CardSettings& settings);
// "not a valid setting: ..." for values each in range that together leave the
// reader nothing to type for any card (String from the UID), or empty.
std::string PairingProblem(const CardSettings& settings);

// Words with %1, %2... standing for `args`: the format is marked
// TAVELIN_TEXT("card", ...), so that the window can say them in the user's
// language; Text() says them in English.
struct Words {
    const char* format = "";
    std::vector<std::string> args;

    bool empty() const { return *format == 0; }
    std::string Text() const;
};

struct Bytes {
    std::vector<uint8_t> bytes;
    Words problem;  // when not empty, `bytes` is empty
};

// Hexadecimal digits, either case, spaces between them allowed, giving
// minBytes..maxBytes bytes.
Bytes ParseHex(std::string_view text, size_t minBytes, size_t maxBytes);

struct UidChoices {
    // Shortest first. The last may stand for a longer UID: when it has as many
    // bytes as the preset reads, they are the first bytes of the UID.
    std::vector<std::vector<uint8_t>> uids;
    Words problem;  // when not empty, `uids` is empty
};

// Every UID that makes a reader set to `preset` type `text`. A text padded
// with zeros fits UIDs of several lengths.
UidChoices UidsFromPresetText(std::string_view text, const Preset& preset);

// Every setting that makes a reader type `printed` for the card `uid`, letters
// and digits compared alone ("131,07032" is "13107032"): the presets that do,
// then what the Special page can compose (any base it allows with a UID,
// either order, all or the first or last N bytes, Default or a Static
// length, with or without the header), fewest choices away from
// kSpecialDefaults first. Left out: a composition that is a preset, and one
// with a choice that changes nothing for this card (the one without it is there).
std::vector<CardSettings> FindSettings(std::span<const uint8_t> uid, std::string_view printed);

struct CheckedCard {
    size_t uid = 0;                    // the one of the UIDs the outputs are for
    std::vector<Typed> outputs;        // what each setting types for it
    std::vector<size_t> matches;       // the settings whose output is the printed number
    std::vector<CardSettings> found;   // FindSettings for it
};

// What each of `settings` makes a reader type for a card, and which give the
// number printed on it, compared as FindSettings does. Of several possible
// UIDs the first that any of `settings` matches is taken, else the first that
// any setting at all gives it for, else the first.
CheckedCard CheckCard(std::span<const std::vector<uint8_t>> uids, std::span<const CardSettings> settings,
                      std::string_view printed);

// Two upper-case digits a byte.
std::string BytesToHex(std::span<const uint8_t> bytes, std::string_view separator = {});

}  // namespace params
