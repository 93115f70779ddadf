// reader-emulator: a card reader on a pseudo-terminal (docs/emulator.md).
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "emulator.h"

namespace {

constexpr const char* kUsage =
    "usage: reader-emulator [options]\n"
    "  --port NAME        publish as USB (default) or COM1..COM9\n"
    "  --version TEXT     firmware version text (default \"%s\")\n"
    "  --store-ms N       time to store settings, ms (default %d)\n"
    "faults:\n"
    "  --silent           answer nothing\n"
    "  --bad-crc          answer with a wrong checksum\n"
    "  --refuse CMD:CODE  refuse CMD (handshake, version, readonly, header, block) with CODE 1..255\n"
    "  --drop-after N     answer N requests, then hang up on the next (once)\n"
    "  --garbage N        send N noise bytes before every reply\n";

// A whole decimal or 0x-hexadecimal number within [low, high], or nothing.
std::optional<long> Number(const std::string& text, long low, long high)
{
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 0);
    if (*end != '\0' || value < low || value > high)
        return std::nullopt;
    return value;
}

int Usage(const char* problem)
{
    if (problem) {
        std::fprintf(stderr, "reader-emulator: %s (see --help)\n", problem);
        return 2;
    }
    std::printf(kUsage, emulator::Emulator::kDefaultVersion, emulator::Emulator::kDefaultStoreMs);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string port = "USB";
    std::string version = emulator::Emulator::kDefaultVersion;
    int storeMs = emulator::Emulator::kDefaultStoreMs;
    emulator::Faults faults;

    for (int i = 1; i < argc; ++i) {
        std::string_view option = argv[i];
        if (option == "--help" || option == "-h")
            return Usage(nullptr);
        if (option == "--silent") {
            faults.silent = true;
            continue;
        }
        if (option == "--bad-crc") {
            faults.badCrc = true;
            continue;
        }
        if (i + 1 >= argc)
            return Usage(("unknown option or missing value: " + std::string(option)).c_str());
        std::string value = argv[++i];
        if (option == "--port") {
            port = value;
        } else if (option == "--version") {
            version = value;
        } else if (option == "--store-ms") {
            auto ms = Number(value, 0, 10000);
            if (!ms)
                return Usage("--store-ms takes 0..10000");
            storeMs = static_cast<int>(*ms);
        } else if (option == "--drop-after") {
            auto n = Number(value, 0, 1000000);
            if (!n)
                return Usage("--drop-after takes a count of requests");
            faults.dropAfterFrames = static_cast<int>(*n);
        } else if (option == "--garbage") {
            auto n = Number(value, 0, 4096);
            if (!n)
                return Usage("--garbage takes 0..4096");
            faults.garbageBytes = static_cast<size_t>(*n);
        } else if (option == "--refuse") {
            size_t colon = value.find(':');
            auto command = t2proto::CommandByName(value.substr(0, colon));
            auto code = colon == std::string::npos ? std::nullopt : Number(value.substr(colon + 1), 1, 255);
            if (!command || !code)
                return Usage("--refuse takes CMD:CODE, e.g. readonly:0x05");
            faults.refuse[*command] = static_cast<uint8_t>(*code);
        } else {
            return Usage(("unknown option: " + std::string(option)).c_str());
        }
    }

    // Signals are taken by this thread alone, in sigwait; the reader's thread never sees them.
    sigset_t signals;
    sigemptyset(&signals);
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&signals, s);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    emulator::Emulator reader;
    reader.SetLog([](const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    });
    reader.SetVersion(version);
    reader.SetStoreMs(storeMs);
    reader.SetFaults(faults);
    std::string error;
    if (!reader.Start(port, &error)) {
        std::fprintf(stderr, "reader-emulator: %s\n", error.c_str());
        return 1;
    }
    int received = 0;
    sigwait(&signals, &received);
    reader.Stop();
    return 0;
}
