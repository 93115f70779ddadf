// A station's proof that a reader it set types what the setting must: a
// reference card presented to it, and what comes in on the station's
// standard input (the terminal a keyboard reader types into).
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "cli/options.h"
#include "settingfile/SettingFile.h"

namespace verify {

using ms = std::chrono::milliseconds;

// What the reader must type for the reference card.
struct Expected {
    std::string text;           // before any Enter
    std::optional<bool> enter;  // unknown after a preset, which leaves the reader the header it had
};

// What `file` must make a reader type for the reference card `o` gives;
// nothing with `problem` where that card does not fit the setting (a UID for
// a setting that reads a data block, a block's text for one that reads the UID).
std::optional<Expected> Expect(const Options& o, const setting::File& file, std::string& problem);

// What came in once the station asked.
struct Keys {
    std::string text;     // before any Enter, up to kKept bytes
    bool enter = false;   // it ended with Enter
    bool cut = false;     // more came than is kept
    bool ended = false;   // the input has ended: nothing more can come
};
inline constexpr size_t kKept = 256;
// A reader types its text in one burst, keys some milliseconds apart: this
// long without a key ends a text that no Enter ends.
inline constexpr ms kQuiet{500};

// Up to `size` bytes as they come, waiting at most `wait` for the first:
// their count, 0 when none came, -1 at the input's end.
using Read = std::function<int(char* data, size_t size, ms wait)>;
// What is typed within `bound`, to its end: Enter, kQuiet without a key, or
// kKept bytes. Once `stopped` says so, no more is waited for.
Keys Take(const Read& read, ms bound, const std::function<bool()>& stopped);

bool Matches(const Expected& expected, const Keys& keys);

// On one line for the screen and the record, Enter as <Enter>.
std::string Shown(const Expected& expected);
std::string Shown(const Keys& keys);

}  // namespace verify
