// Setting files: one of the presets by its word, or a Special Setting
// composition, in a few key = value lines (docs/setting-file.md).
#pragma once

#include <QByteArray>
#include <QString>
#include <filesystem>
#include <optional>
#include <string>

#include "dataout/params.h"

namespace setting {

// The Special page's choices. The header flag alone cannot tell "WithOut"
// from "USB Without Enter", which the page shows apart.
struct Special {
    params::CardSettings output;
    bool usbWithoutEnter = false;
    std::string key = std::string(params::kDefaultKeyText);  // as typed: 12 hex digits
};

// The header's row of params::kHeaderChoices, "USB Without Enter" apart
// from "WithOut"; nullptr for a flag no row sends.
const params::Choice* HeaderChoice(const Special& special);

struct File {
    std::optional<size_t> preset;  // index into params::kPresets; else `special`
    Special special;
};

// What is wrong with a setting no file could hold (a value out of its
// range, a key not 12 hex digits, String from the UID), naming the key;
// empty when nothing is.
QString Problem(const File& file);

struct Loaded {
    File file;
    // "FILE:LINE: ..." naming the line and what it should be ("FILE: ..." when
    // the file cannot be read); empty when loaded
    QString problem;
    // The file as it was read, once: what `file` was parsed from, to be
    // hashed as the setting applied though the file changes after.
    QByteArray bytes;
};
// The file at `path`, named `shown` in a problem: a name as given, whatever bytes it holds.
Loaded Load(const std::filesystem::path& path, const QString& shown);
// A name from the window, shown with the system's separators.
Loaded Load(const QString& path);

// The file's text, as Save writes it.
QString Text(const File& file);
// The setting on one line: "preset = 8-out-hex-forward" or "base = ..., order = ...".
QString Describe(const File& file);
// Writes the file whole or not at all; the reason when it cannot (Problem
// first), else empty.
QString Save(const QString& path, const File& file);

}  // namespace setting
