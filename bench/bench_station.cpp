// A production line's pace: readers a tavelin-config station sets per minute
// on 1, 2, 4 and 8 ports at once, each port's emulated reader re-plugged as
// another as soon as the port asks for the next, against N times the
// one-port limit the reader's pauses set (60 s over the pauses of one
// setting: a preset's 2000 ms, a Special Setting's 2100 ms). With serial,
// library calls are kept one at a time, as for a reader maker's library.
// BM_Pace: one port's pace beside ports where no reader answers; BM_TakeUp:
// how soon a reader placed on a long-empty port is taken up on a busy line.
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <memory>
#include <vector>

#include "emulator/emulator.h"
#include "tests/support/DeviceFolder.h"

namespace {

// The station timed: this build's, or another's (TAVELIN_CONFIG), to compare.
QString Program()
{
    const QString other = qEnvironmentVariable("TAVELIN_CONFIG");
    return other.isEmpty() ? QStringLiteral(TAVELIN_CONFIG) : other;
}

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
        station.start(Program(), args);
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

using Clock = std::chrono::steady_clock;
using Readers = std::vector<std::unique_ptr<emulator::Emulator>>;

// Emulated readers on `names`, unplugged unless `faults` says how they answer when plugged.
bool StartReaders(Readers& readers, const std::vector<const char*>& names, const emulator::Faults* faults)
{
    for (const char* name : names) {
        auto& reader = readers.emplace_back(std::make_unique<emulator::Emulator>());
        reader->SetLog([](const std::string&) {});
        reader->Unplug();
        if (!reader->Start(name))
            return false;
        reader->SetStoreMs(0);
        if (faults) {
            reader->SetFaults(*faults);
            if (!reader->Plug())
                return false;
        }
    }
    return true;
}

// Where nothing answers: a device with no reader behind it (silent), or one
// that reads every request and answers none (hung).
emulator::Faults Empty(bool hung)
{
    emulator::Faults faults;
    if (hung)
        faults.ignore = {t2proto::kHandshake, t2proto::kGetVersion, t2proto::kSetReadOnly, t2proto::kSetHeader,
                         t2proto::kSetBlockRead};
    else
        faults.silent = true;
    return faults;
}

// A station and what it has said; `Swap` re-plugs a port's reader each time it asks for the next.
struct Run {
    QProcess station;
    QString out;
    void Read(int ms)
    {
        station.waitForReadyRead(ms);
        out += QString::fromUtf8(station.readAllStandardOutput());
    }
    void Swap(emulator::Emulator& reader, const QString& asks, int& swapped, int& plugged)
    {
        for (const int asked = static_cast<int>(out.count(asks)); swapped < asked; ++swapped) {
            reader.Unplug();
            reader.Plug("TR-200 V2.14 #" + std::to_string(++plugged));
        }
    }
};

QStringList StationArgs(const QTemporaryDir& dir, bool serial)
{
    const QString file = dir.filePath(QStringLiteral("line.ini"));
    std::ofstream(file.toStdString()) << "format = 1\npreset = 10-out-dec-forward\n";
    QStringList args{"station", file, "--log", dir.filePath(QStringLiteral("readers.csv"))};
    if (serial)
        args << "--calls" << "serial";
    return args;
}

constexpr const char* kNeighbours[] = {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM9"};

// One port (USB) setting reader after reader beside `neighbours` ports where
// nothing answers (silent or hung): readers a minute, against the one-port
// limit of the pauses. The goal with calls one at a time: beside one, 90% of
// the pace alone; beside nine, 80%.
void BM_Pace(benchmark::State& state)
{
    const int neighbours = static_cast<int>(state.range(0));
    const bool hung = state.range(1) == 1;
    const bool serial = state.range(2) == 1;
    constexpr int kReaders = 3;
    DeviceFolder folder;
    QTemporaryDir dir;
    QStringList args = StationArgs(dir, serial) << "--count" << QString::number(kReaders) << "--port" << "USB";
    Readers line;
    const emulator::Faults empty = Empty(hung);
    std::vector<const char*> names(kNeighbours, kNeighbours + neighbours);
    if (!StartReaders(line, {"USB"}, nullptr) || !StartReaders(line, names, &empty)) {
        state.SkipWithError("an emulated reader did not start");
        return;
    }
    for (const char* name : names)
        args << "--port" << name;
    const QString asks = neighbours ? "USB: Take the reader off." : "Take the reader off.";
    double seconds = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        Run run;
        run.station.start(Program(), args);
        int plugged = 0, swapped = 0;
        line[0]->Plug("TR-200 V2.14 #" + std::to_string(++plugged));
        while (run.station.state() != QProcess::NotRunning) {
            run.Read(50);
            run.Swap(*line[0], asks, swapped, plugged);
        }
        run.Read(0);
        seconds += std::chrono::duration<double>(Clock::now() - start).count();
        line[0]->Unplug();
        if (!run.out.contains(QStringLiteral("Station stopped: ok %1, failed 0.").arg(kReaders))) {
            state.SkipWithError(run.out.toStdString().c_str());
            return;
        }
    }
    const double perMinute = kReaders * state.iterations() * 60 / seconds;
    state.counters["readers_per_min"] = perMinute;
    state.counters["of_limit"] = perMinute / 30;
}
BENCHMARK(BM_Pace)
    ->ArgNames({"beside", "hung", "serial"})
    ->Args({0, 0, 0})
    ->Args({1, 0, 0})
    ->Args({9, 0, 0})
    ->Args({9, 1, 0})
    ->Args({0, 0, 1})
    ->Args({1, 0, 1})
    ->Args({9, 0, 1})
    ->Args({9, 1, 1})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

// Three ports (USB, COM2, COM3) setting reader after reader, COM4 empty for
// long enough to be looked at least often, and `silent` more ports where
// nothing answers: the seconds from a reader being placed on COM4 until the
// station takes it up (the goal: within 2 s). Three placements a run.
void BM_TakeUp(benchmark::State& state)
{
    const int silent = static_cast<int>(state.range(0));
    const bool serial = state.range(1) == 1;
    constexpr int kPlacements = 3;
    constexpr auto kEmptyFor = std::chrono::seconds(3);
    DeviceFolder folder;
    QTemporaryDir dir;
    QStringList args = StationArgs(dir, serial);
    Readers busy, placed, others;
    const std::vector<const char*> busyNames = {"USB", "COM2", "COM3"};
    constexpr const char* kSilent[] = {"COM1", "COM5", "COM6", "COM7", "COM8", "COM9"};
    const std::vector<const char*> silentNames(kSilent, kSilent + silent);
    const emulator::Faults empty = Empty(false);
    if (!StartReaders(busy, busyNames, nullptr) || !StartReaders(placed, {"COM4"}, nullptr) ||
        !StartReaders(others, silentNames, &empty)) {
        state.SkipWithError("an emulated reader did not start");
        return;
    }
    for (const auto& names : {busyNames, std::vector<const char*>{"COM4"}, silentNames})
        for (const char* name : names)
            args << "--port" << name;
    double total = 0, longest = 0;
    for (auto _ : state) {
        Run run;
        run.station.start(Program(), args);
        int plugged = 0;
        std::vector<int> swapped(busy.size(), 0);
        for (auto& reader : busy)
            reader->Plug("TR-200 V2.14 #" + std::to_string(++plugged));
        // Runs the busy ports until `done` says so, or a bound for a failure.
        auto until = [&](auto done) {
            for (const auto bound = Clock::now() + std::chrono::seconds(60); !done() && Clock::now() < bound;) {
                run.Read(10);
                for (size_t i = 0; i < busy.size(); ++i)
                    run.Swap(*busy[i], QString(busyNames[i]) + ": Take the reader off.", swapped[i], plugged);
            }
            return done();
        };
        for (int i = 1; i <= kPlacements; ++i) {
            const auto emptySince = Clock::now();
            until([&] { return Clock::now() - emptySince >= kEmptyFor; });
            placed[0]->Plug("placed #" + std::to_string(i));
            const auto start = Clock::now();
            if (!until([&] { return run.out.count("COM4: Reader ") >= 2 * i - 1; })) {
                state.SkipWithError(("not taken up: " + run.out).toStdString().c_str());
                return;
            }
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            total += seconds;
            longest = std::max(longest, seconds);
            until([&] { return run.out.count("COM4: Take the reader off.") >= i; });
            placed[0]->Unplug();
        }
        kill(static_cast<pid_t>(run.station.processId()), SIGINT);
        until([&] { return run.station.state() == QProcess::NotRunning; });
        for (auto& reader : busy)
            reader->Unplug();
    }
    state.counters["takeup_s"] = total / (kPlacements * state.iterations());
    state.counters["longest_s"] = longest;
}
BENCHMARK(BM_TakeUp)
    ->ArgNames({"silent", "serial"})
    ->ArgsProduct({{0, 6}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
