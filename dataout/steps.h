// The library calls that set a reader, in order, each with the pause the
// reader needs after it: the same for the window's buttons and for
// tavelin-config, so that both set a reader alike.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dataout/params.h"

namespace params {

struct Step {
    enum Call { ReadOnly, Header, Block } call;
    const char* what;    // for progress: "output", "header", "read address"
    const char* failed;  // the log line's text before the code when the reader refuses
    int pauseMs;         // the reader stores what it took and answers nothing meanwhile
    bool pauseAfterFailure = false;
};

struct Steps {
    CardSettings settings;
    std::array<unsigned char, 6> key{};
    std::vector<Step> steps;
};

// A preset's button: its output, then the UID with the default key.
Steps PresetSteps(const Preset& preset);
// The Special page's Set: its Password's text through the library's asc_hex,
// then output, header, and the block with that key; nothing where asc_hex
// refuses the text.
std::optional<Steps> SpecialSteps(const CardSettings& settings, std::string_view keyText);

// The call as C, for a dry run: "lc_setReaderOnlyHead(handle, headerFlag=1)".
std::string Call(const Step& step, const Steps& steps);

// Makes the calls on the open link `handle`, each through `through` where
// given, telling `done` each one's result and pausing after it with `pause`.
// The first failure ends it: its code, else 0.
using Through = std::function<int32_t(const std::function<int32_t()>& call)>;
int32_t Apply(const Steps& steps, int32_t handle, const std::function<void(int ms)>& pause,
              const std::function<void(const Step&, int32_t result)>& done, const Through& through = {});

}  // namespace params
