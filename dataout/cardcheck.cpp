#include "dataout/cardcheck.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace params {

namespace {

// Beside the presets, the Special choices that give the numbers cards are
// most often printed with.
const CardSettings kSpecialRows[] = {
    {Decimal, Forward},
    {Decimal, Reverse},
    {Hexadecimal, Forward},
    {Hexadecimal, Reverse},
    {Wiegand, Forward},
    {Wiegand, Reverse},
    {Decimal, Forward, SnSizeBack(3), 8},
    {Decimal, Reverse, SnSizeBack(3), 8},
};

bool Blank(std::string_view text)
{
    return std::ranges::all_of(text, [](unsigned char c) { return std::isspace(c); });
}

// The UIDs the reader's text allows under its preset when there is one, else the UID box's.
void FindUids(const CardCheckInput& in, CardCheck& check)
{
    if (!Blank(in.typed)) {
        check.source = CardCheck::kTyped;
        check.uids = UidsFromPresetText(in.typed, kPresets.at(in.preset));
    } else if (!Blank(in.uid)) {
        check.source = CardCheck::kUid;
        Bytes uid = ParseHex(in.uid, kMinUid, kMaxUid);
        check.uids = uid.problem.empty() ? UidChoices{{uid.bytes}, {}} : UidChoices{{}, uid.problem};
    }
}

}  // namespace

CardCheck RunCardCheck(const CardCheckInput& in)
{
    CardCheck check;
    FindUids(in, check);
    std::vector<CardSettings> settings;
    for (const Preset& p : kPresets)
        settings.push_back(p.settings);
    settings.insert(settings.end(), std::begin(kSpecialRows), std::end(kSpecialRows));
    const CheckedCard card = CheckCard(check.uids.uids, settings, in.printed);
    check.uid = card.uid;
    for (size_t k = 0; k < card.outputs.size(); ++k)
        check.rows.push_back({settings[k], card.outputs[k], std::ranges::find(card.matches, k) != card.matches.end()});

    for (size_t k : card.matches)
        check.given.push_back(settings[k]);
    std::vector<CardSettings>& others = check.given.empty() ? check.given : check.also;
    for (const CardSettings& s : card.found)
        if (std::ranges::find(settings, s) == settings.end() && card.matches.size() + others.size() < kShown)
            others.push_back(s);

    check.verdict = !check.given.empty() ? CardCheck::kGiven
                    : check.rows.empty() ? CardCheck::kNone
                    : Blank(in.printed)  ? CardCheck::kAskPrinted
                                         : CardCheck::kNoneGives;
    // A preset's row is that preset; a Special row, its choices with the UID and default key.
    if (!check.given.empty()) {
        if (const Preset* p = PresetOf(check.given.front()))
            check.savePreset = size_t(p - kPresets.data());
        else
            check.saveSpecial = check.given.front();
    }
    return check;
}

}  // namespace params
