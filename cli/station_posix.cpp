#include "cli/station_system.h"

#include <atomic>
#include <csignal>

namespace {
std::atomic<bool> asked = false;
}  // namespace

StopAfterTheCurrentReader::StopAfterTheCurrentReader()
{
    struct sigaction stop{};
    stop.sa_handler = [](int) { asked = true; };
    stop.sa_flags = SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &stop, nullptr);
}

StopAfterTheCurrentReader::~StopAfterTheCurrentReader() = default;

bool StopAfterTheCurrentReader::Asked() { return asked; }
