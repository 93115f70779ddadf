// A production line's pace: readers a tavelin-config station sets per minute,
// the emulated reader re-plugged as another as soon as the station asks for
// the next, against the limit the reader's pauses set (60 s over the pauses
// of one setting: a preset's 2000 ms, a Special Setting's 2100 ms).
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>

#include "DeviceFolder.h"
#include "emulator.h"

namespace {

constexpr int kReaders = 10;

void BM_Station(benchmark::State& state)
{
    const bool special = state.range(0) == 1;
    const double pausesMs = special ? 2100 : 2000;
    DeviceFolder folder;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("line.ini"));
    std::ofstream(file.toStdString()) << (special ? "format = 1\nbase = Hexadecimal\norder = Reverse\nsize = Last 3\n"
                                                    "length = Static 12\nheader = With\nblock = 255\nkey = 3A7F19C2E845\n"
                                                  : "format = 1\npreset = 10-out-dec-forward\n");
    emulator::Emulator reader;
    reader.SetLog([](const std::string&) {});
    reader.Unplug();
    if (!reader.Start("USB")) {
        state.SkipWithError("the emulated reader did not start");
        return;
    }
    reader.SetStoreMs(0);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        QProcess station;
        station.start(QStringLiteral(TAVELIN_CONFIG), {"station", file, "--port", "USB", "--log",
                                                       dir.filePath(QStringLiteral("readers.csv")), "--count",
                                                       QString::number(kReaders)});
        QString out;
        for (int n = 1; n <= kReaders; ++n) {
            reader.Plug("TR-200 V2.14 #" + std::to_string(n));
            const QString done = QStringLiteral("Reader %1: ").arg(n);
            while (!out.contains(done) && station.state() != QProcess::NotRunning) {
                station.waitForReadyRead(50);
                out += QString::fromUtf8(station.readAllStandardOutput());
            }
            reader.Unplug();
        }
        station.waitForFinished(30000);
        out += QString::fromUtf8(station.readAllStandardOutput());
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!out.contains(QStringLiteral("ok %1, failed 0").arg(kReaders))) {
            state.SkipWithError(out.toStdString().c_str());
            return;
        }
    }
    const double perMinute = kReaders * state.iterations() * 60 / seconds;
    state.counters["readers_per_min"] = perMinute;
    state.counters["limit_per_min"] = 60000 / pausesMs;
    state.counters["of_limit"] = perMinute / (60000 / pausesMs);
}
BENCHMARK(BM_Station)->ArgName("special")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
