// A production line's pace: readers a tavelin-config station sets per minute
// on 1, 2, 4 and 8 ports at once, each port's emulated reader re-plugged as
// another as soon as the port asks for the next, against N times the
// one-port limit the reader's pauses set (60 s over the pauses of one
// setting: a preset's 2000 ms, a Special Setting's 2100 ms). With serial,
// library calls are kept one at a time, as for a reader maker's library.
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <vector>

#include "emulator/emulator.h"
#include "tests/support/DeviceFolder.h"

namespace {

constexpr int kReadersPerPort = 8;
// Not COM1: where its emulated reader is away for the moment of a swap, the
// library finds this machine's /dev/ttyS0 behind the name, and a port with
// no reader takes the whole reply bound (400 ms) to say so.
constexpr const char* kPorts[] = {"USB", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"};

void BM_Station(benchmark::State& state)
{
    const bool special = state.range(0) == 1;
    const int ports = static_cast<int>(state.range(1));
    const bool serial = state.range(2) == 1;
    const int readers = ports * kReadersPerPort;
    const double pausesMs = special ? 2100 : 2000;
    DeviceFolder folder;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("line.ini"));
    std::ofstream(file.toStdString()) << (special ? "format = 1\nbase = Hexadecimal\norder = Reverse\nsize = Last 3\n"
                                                    "length = Static 12\nheader = With\nblock = 255\nkey = 3A7F19C2E845\n"
                                                  : "format = 1\npreset = 10-out-dec-forward\n");
    QStringList args{"station", file, "--log", dir.filePath(QStringLiteral("readers.csv")), "--count",
                     QString::number(readers)};
    if (serial)
        args << "--calls" << "serial";
    std::vector<std::unique_ptr<emulator::Emulator>> line;
    std::vector<QString> asks;  // what a port says when it wants the next reader
    for (int i = 0; i < ports; ++i) {
        auto& reader = line.emplace_back(std::make_unique<emulator::Emulator>());
        reader->SetLog([](const std::string&) {});
        reader->Unplug();
        if (!reader->Start(kPorts[i])) {
            state.SkipWithError("an emulated reader did not start");
            return;
        }
        reader->SetStoreMs(0);
        args << "--port" << kPorts[i];
        asks.push_back(QString(ports > 1 ? QStringLiteral("%1: ").arg(kPorts[i]) : QString()) +
                       "Take the reader off.");
    }
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        QProcess station;
        station.start(QStringLiteral(TAVELIN_CONFIG), args);
        int plugged = 0;
        std::vector<int> swapped(ports, 0);
        for (auto& reader : line)
            reader->Plug("TR-200 V2.14 #" + std::to_string(++plugged));
        QString out;
        while (station.state() != QProcess::NotRunning) {
            station.waitForReadyRead(50);
            out += QString::fromUtf8(station.readAllStandardOutput());
            for (int i = 0; i < ports; ++i) {
                for (const int asked = static_cast<int>(out.count(asks[i])); swapped[i] < asked; ++swapped[i]) {
                    line[i]->Unplug();
                    line[i]->Plug("TR-200 V2.14 #" + std::to_string(++plugged));
                }
            }
        }
        station.waitForFinished(30000);
        out += QString::fromUtf8(station.readAllStandardOutput());
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        for (auto& reader : line)
            reader->Unplug();
        if (!out.contains(QStringLiteral("Station stopped: ok %1, failed 0.").arg(readers))) {
            state.SkipWithError(out.toStdString().c_str());
            return;
        }
    }
    const double perMinute = readers * state.iterations() * 60 / seconds;
    const double limit = ports * 60000 / pausesMs;
    state.counters["readers_per_min"] = perMinute;
    state.counters["limit_per_min"] = limit;
    state.counters["of_limit"] = perMinute / limit;
}
BENCHMARK(BM_Station)
    ->ArgNames({"special", "ports", "serial"})
    ->ArgsProduct({{0, 1}, {1, 2, 4, 8}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
