// One preset press end to end: the Simple page, the real library and an
// emulated reader on a pseudo-terminal. The mandated pauses (2 x 1000 ms) are
// skipped, so the time shown is what the press costs beyond them. A
// pseudo-terminal does not pace bytes at the baud rate; "wire_ms" is what the
// frames would take on a real line (bytes x 10 / baud).
#include <QAbstractButton>
#include <benchmark/benchmark.h>

#include "dataout/params.h"
#include "pages/common/ReaderPause.h"
#include "tests/support/EmulatedReader.h"

namespace {

// Bytes of the two request frames a preset sends, and of their two replies.
struct WireBytes {
    size_t sent, received;
};
WireBytes PresetWireBytes(const params::Preset& p)
{
    const params::CardSettings& s = p.settings;
    const t2proto::ReadOnlyParams readOnly{
        .dataBase = s.dataBase, .orientation = s.orientation, .snSize = s.snSize, .outLength = s.outLength};
    const t2proto::BlockRead block{params::kBlockUid, params::kDefaultKey};
    const std::vector<uint8_t> ok = {t2proto::kStatusOk};
    return {t2proto::Encode({t2proto::kSetReadOnly, t2proto::EncodeReadOnly(readOnly)}).size() +
                t2proto::Encode({t2proto::kSetBlockRead, t2proto::EncodeBlockRead(block)}).size(),
            t2proto::Encode({t2proto::kSetReadOnly | t2proto::kReplyBit, ok}).size() +
                t2proto::Encode({t2proto::kSetBlockRead | t2proto::kReplyBit, ok}).size()};
}

void BM_PresetPress(benchmark::State& state)
{
    const int baud = int(state.range(0));
    EmulatedReader setup;
    if (const std::string error = setup.Start(baud); !error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    setup.reader.SetStoreMs(int(state.range(1)));
    SetWaitHook([](int) {});
    const params::Preset& preset = params::kPresets[2];
    auto* button = &setup.dlg->SimplePage().Control<QAbstractButton>(CPage_comm::PresetButton(2));

    for (auto _ : state) {
        button->click();
        if (setup.dlg->LogText() != "Set ok\r\n") {
            state.SkipWithError(setup.dlg->LogText().toStdString().c_str());
            break;
        }
        setup.dlg->ClearLog();
    }
    SetWaitHook(nullptr);

    const WireBytes bytes = PresetWireBytes(preset);
    state.counters["bytes_sent"] = double(bytes.sent);
    state.counters["wire_ms"] = bytes.sent * 10.0 * 1000 / baud;
    state.counters["wire_ms_with_replies"] = (bytes.sent + bytes.received) * 10.0 * 1000 / baud;
}
// Arguments: baud, the emulated reader's time to store a setting (ms).
BENCHMARK(BM_PresetPress)
    ->ArgNames({"baud", "store_ms"})
    ->ArgsProduct({{9600, 115200}, {0, emulator::Emulator::kDefaultStoreMs}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
