// Card Check's rules, free of the window: from what the user typed, the UID
// the rows are for, what each row's setting types and which give the number
// printed on the card, the best other settings that do, and the setting to
// save. The window says it in words.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "dataout/card.h"

namespace params {

struct CardCheckInput {
    std::string uid;      // the card's UID in hex
    std::string typed;    // what the reader typed under kPresets[preset]: when not blank, it gives the UID
    size_t preset = 0;
    std::string printed;  // the number printed on the card
};

struct CardCheckRow {
    CardSettings settings;
    Typed output;
    bool marked = false;  // gives the printed number
};

struct CardCheck {
    enum Source { kNothing, kUid, kTyped } source = kNothing;  // what the UID comes from
    UidChoices uids;  // its problem says why there is none
    size_t uid = 0;   // the one of `uids` the rows are for
    std::vector<CardCheckRow> rows;  // the presets, then the common Special choices; none without a UID
    // The marked rows' settings, "also" the best of those no row lists, up to
    // kShown in all; when no row is marked, those are `given`.
    std::vector<CardSettings> given, also;
    enum Verdict { kNone, kAskPrinted, kNoneGives, kGiven } verdict = kNone;
    // The first given: a preset's index, else its Special choices.
    std::optional<size_t> savePreset;
    std::optional<CardSettings> saveSpecial;
};

inline constexpr size_t kShown = 5;

CardCheck RunCardCheck(const CardCheckInput& input);

}  // namespace params
