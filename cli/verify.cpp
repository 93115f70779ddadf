#include "cli/verify.h"

#include <algorithm>
#include <variant>

#include "dataout/card.h"
#include "t2/one_line.h"

namespace verify {

std::optional<Expected> Expect(const Options& o, const setting::File& file, std::string& problem)
{
    const params::CardSettings settings = file.preset ? params::kPresets[*file.preset].settings : file.special.output;
    const bool readsUid = settings.blockAddress == params::kBlockUid;
    if (readsUid && o.verifyText) {
        problem = "--verify-text goes with a setting that reads a data block, and this one reads the card's UID: "
                  "give --verify-card UID";
        return std::nullopt;
    }
    if (!readsUid && !o.verifyCard.empty()) {
        problem = "--verify-card: this setting reads block " + std::to_string(settings.blockAddress) +
                  " of the card, not its UID: give --verify-text, what that block makes the reader type";
        return std::nullopt;
    }
    if (o.verifyText)
        return Expected{*o.verifyText, settings.headerFlag == params::WithHeader};
    const params::CardText out = params::FormatCard(o.verifyCard, settings);
    if (!out.problem.empty()) {
        problem = "--verify-card " + params::BytesToHex(o.verifyCard) + ": " + out.problem;
        return std::nullopt;
    }
    Expected expected{{}, false};
    for (const auto& part : out.typed) {
        if (std::holds_alternative<params::Key>(part))
            expected.enter = true;
        else
            expected.text += std::get<std::string>(part);
    }
    if (file.preset)
        expected.enter.reset();
    return expected;
}

Keys Take(const Read& read, ms bound, const std::function<bool()>& stopped)
{
    Keys keys;
    char chunk[64];
    // Whether the keys so far end the text.
    auto add = [&](int n) {
        for (int i = 0; i < n; ++i) {
            if (chunk[i] == '\n')
                return keys.enter = true;
            if (keys.text.size() == kKept)
                return keys.cut = true;
            keys.text += chunk[i];
        }
        return false;
    };
    // The wait for the first key is seen through in short steps: a stop ends it.
    constexpr ms kStep{100};
    int n = 0;
    for (const auto until = std::chrono::steady_clock::now() + bound; n == 0 && !stopped();) {
        const auto left = std::chrono::duration_cast<ms>(until - std::chrono::steady_clock::now());
        if (left <= ms::zero())
            return keys;
        n = read(chunk, sizeof chunk, std::min(left, kStep));
    }
    while (n > 0 && !add(n))
        n = read(chunk, sizeof chunk, kQuiet);
    keys.ended = n < 0;
    return keys;
}

bool Matches(const Expected& expected, const Keys& keys)
{
    return !keys.cut && keys.text == expected.text && expected.enter.value_or(keys.enter) == keys.enter;
}

std::string Shown(const Expected& expected)
{
    return t2proto::OneLine(expected.text, true) + std::string(expected.enter.value_or(false) ? params::kEnter : "");
}

std::string Shown(const Keys& keys)
{
    return t2proto::OneLine(keys.text, true) + (keys.cut ? "\\..." : "") + std::string(keys.enter ? params::kEnter : "");
}

}  // namespace verify
