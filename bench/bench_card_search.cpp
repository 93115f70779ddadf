// Card Check's search for the settings that give a printed number, at its
// slowest: the longest UID and a number no setting gives, so that every
// setting is tried. The window runs it on every key typed.
#include <benchmark/benchmark.h>

#include "dataout/card.h"

namespace {

void BM_FindSettingsNoneGives(benchmark::State& state)
{
    const std::vector<uint8_t> uid = {0x04, 0xA2, 0x24, 0x6A, 0x1F, 0x3B, 0x80, 0x91, 0xC5, 0x7E};
    // As many digits as the longest decimal a 10-byte UID gives.
    const std::string printed = "1234567890123456789012345";
    for (auto _ : state) {
        const std::vector<params::CardSettings> found = params::FindSettings(uid, printed);
        if (!found.empty()) {
            state.SkipWithError("a setting gives the number: the search stopped short of trying every one");
            break;
        }
    }
}
BENCHMARK(BM_FindSettingsNoneGives)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
