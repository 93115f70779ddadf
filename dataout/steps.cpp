#include "dataout/steps.h"

#include "dataout/card.h"
#include "dataout/link.h"
#include "t2/t2.h"

namespace params {

// The log's texts are the tool's own, full-width commas and all.
Steps PresetSteps(const Preset& preset)
{
    return {preset.settings,
            kDefaultKey,
            {{Step::ReadOnly, "output", TAVELIN_TEXT("params", "Set return error，"), 1000},
             {Step::Block, "read address", TAVELIN_TEXT("params", "Set return error，"), 1000, true}}};
}

std::optional<Steps> SpecialSteps(const CardSettings& settings, std::string_view keyText)
{
    std::array<unsigned char, 6> key{};
    if (!KeyBytes(keyText, key))
        return std::nullopt;
    return Steps{settings,
                 key,
                 {{Step::ReadOnly, "output", TAVELIN_TEXT("params", "Set return error，"), 100},
                  {Step::Header, "header", TAVELIN_TEXT("params", "Set header return error，"), 1000},
                  {Step::Block, "read address", TAVELIN_TEXT("params", "Set address of reading return error，"), 1000}}};
}

std::string Call(const Step& step, const Steps& steps)
{
    const CardSettings& s = steps.settings;
    switch (step.call) {
    case Step::ReadOnly:
        return "lc_setReadOnlyPara(handle, dataBase=" + std::to_string(s.dataBase) + ", aux8=0..., orientation=" +
               std::to_string(s.orientation) + ", snSize=" + std::to_string(s.snSize) +
               ", outLength=" + std::to_string(s.outLength) + ", auxA=0..., auxB=0...)";
    case Step::Header:
        return "lc_setReaderOnlyHead(handle, headerFlag=" + std::to_string(s.headerFlag) + ")";
    case Step::Block:
        return "lc_setBlockReadPara(handle, blockAddress=" + std::to_string(s.blockAddress) +
               ", key=" + BytesToHex(steps.key) + ")";
    }
    return {};
}

int32_t Apply(const Steps& steps, int32_t handle, const std::function<void(int ms)>& pause,
              const std::function<void(const Step&, int32_t result)>& done, const Through& through)
{
    const CardSettings& s = steps.settings;
    const AuxBuffers aux;
    for (const Step& step : steps.steps) {
        const auto call = [&]() -> int32_t {
            switch (step.call) {
            case Step::ReadOnly:
                return lc_setReadOnlyPara(handle, s.dataBase, aux.aux8, s.orientation, s.snSize, s.outLength,
                                          aux.auxA, aux.auxB);
            case Step::Header:
                return lc_setReaderOnlyHead(handle, s.headerFlag);
            case Step::Block:
                return lc_setBlockReadPara(handle, s.blockAddress, steps.key.data());
            }
            return 0;
        };
        const int32_t r = through ? through(call) : call();
        done(step, r);
        if (r == 0 || step.pauseAfterFailure)
            pause(step.pauseMs);
        if (r != 0)
            return r;
    }
    return 0;
}

}  // namespace params
