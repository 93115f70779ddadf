#include "cli/commands.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "dataout/link.h"
#include "t2/devices.h"
#include "t2/import/last_error.h"
#include "t2/import/t2_import.h"
#include "t2/protocol.h"
#include "t2/t2.h"

using namespace params;

namespace {

std::mutex output;
std::atomic<int> outputError = 0;

// Keeps the reason of the first output that did not reach standard output.
void OutputFailed(int error)
{
    int none = 0;
    outputError.compare_exchange_strong(none, error ? error : EIO);
}

}  // namespace

void Write(std::string_view text)
{
    const std::lock_guard lock(output);
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
        OutputFailed(errno);
}

std::string OutputProblem()
{
    {
        const std::lock_guard lock(output);
        if (std::fflush(stdout) != 0 || std::ferror(stdout))
            OutputFailed(errno);
    }
    const int error = outputError;
    return error ? std::strerror(error) : "";
}

bool ParallelCalls(const Options& o) { return o.parallelCalls.value_or(T2IsOurs()); }

int Fail(int code, const std::string& why)
{
    std::fprintf(stderr, "tavelin-config: %s\n", why.c_str());
    return code;
}

std::optional<Steps> StepsOf(const setting::File& file)
{
    if (file.preset)
        return PresetSteps(kPresets[*file.preset]);
    return SpecialSteps(file.special.output, file.special.key);
}

std::string Code(int32_t r)
{
    return FormatCode(r) + " (" + T2Reason(r) + ")";
}

// The reader's pauses are said before they are waited out. A failure's
// reason is taken on the thread that made the call, where the library keeps it.
Outcome ApplyOn(int32_t handle, const setting::File& file, Screen& say, LibraryCalls& calls, size_t port)
{
    std::string said;
    std::optional<Steps> steps;
    if (file.preset)
        steps = StepsOf(file);
    // A Special Setting's Password goes through the library's asc_hex, as the page sends it.
    else if (calls.Set(port, [&] {
                 steps = StepsOf(file);
                 said = steps ? "" : Code(T2_E_BAD_ARGUMENT);
                 return steps ? 0 : 1;
             }) != 0)
        return {T2_E_BAD_ARGUMENT, "key", said};
    const size_t total = steps->steps.size();
    size_t at = 0;
    Outcome outcome;
    Apply(
        *steps, handle,
        [&](int ms) {
            say(", reader storing %.1f s\n", ms / 1000.0);
            calls.Store(port, std::chrono::milliseconds(ms));
        },
        [&](const Step& step, int32_t r) {
            say("  [%zu/%zu] %-13s %s", ++at, total, step.what, r == 0 ? "ok" : "FAILED");
            if (r != 0) {
                outcome = {r, step.what, said};
                say(": %s", outcome.said.c_str());
                if (!step.pauseAfterFailure)
                    say("\n");
            }
        },
        [&](const std::function<int32_t()>& call) {
            return calls.Set(port, [&] {
                const int32_t r = call();
                said = r == 0 ? "" : Code(r);
                return r;
            });
        });
    return outcome;
}

int32_t Open(const Port& port, int32_t baud)
{
    return port.number ? lc_init(*port.number, baud) : T2Open(port.name, baud);
}

std::string UnopenablePort(const Options& o)
{
    if (T2OpensNames())
        return {};
    for (const Port& port : o.ports)
        if (!port.number)
            return "--port " + port.name +
                   ": the reader library is a maker's, which opens a port by its number only, and " + port.name +
                   " has none (" + t2dev::kNumberedPortNames + " have one)";
    return {};
}

// The library's reason where it gives one: a maker's library may give none.
int NoLink(const Options& o)
{
    const std::string why = T2LastError();
    return Fail(kNoLink, "no reader on " + o.ports[0].name + ": " + (why.empty() ? "the library gives no reason" : why));
}

int Version(const Options& o)
{
    const int32_t handle = Open(o.ports[0], o.baud);
    if (handle == -1)
        return NoLink(o);
    std::string version;
    const int32_t r = ReadVersion(handle, version);
    lc_exit(handle);
    if (r != 0)
        return Fail(kStepFailed, "version: " + Code(r));
    Say("%s\n", version.c_str());
    return kOk;
}

int ApplyFile(const Options& o, const setting::File& file)
{
    if (o.dryRun) {
        const Port& port = o.ports[0];
        if (port.number)
            Say("lc_init(%d, %d)  ; %s\n", *port.number, o.baud, port.name.c_str());
        else
            Say("t2_open(\"%s\", %d)\n", port.name.c_str(), o.baud);
        if (!file.preset)
            Say("asc_hex(\"%s\", key, 6)\n", file.special.key.c_str());
        const std::optional<Steps> steps = StepsOf(file);
        if (!steps)
            return Fail(kStepFailed, "key failed: " + Code(T2_E_BAD_ARGUMENT));
        for (const Step& step : steps->steps)
            Say("%s\npause %d ms%s\n", Call(step, *steps).c_str(), step.pauseMs,
                step.pauseAfterFailure ? ", also after a failure" : "");
        Say("lc_exit(handle)\n");
        return kOk;
    }
    const int32_t handle = Open(o.ports[0], o.baud);
    if (handle == -1)
        return NoLink(o);
    Say("%s at %d baud: %s\n", o.ports[0].name.c_str(), o.baud, setting::Describe(file).toUtf8().constData());
    Screen say;
    LibraryCalls calls;
    const Outcome outcome = ApplyOn(handle, file, say, calls, 0);
    lc_exit(handle);
    if (outcome.code != 0)
        return Fail(kStepFailed, outcome.step + " failed: " + outcome.said);
    Say("done: the reader took the setting\n");
    return kOk;
}

int Check(const Options& o, const setting::File& file)
{
    Say("%s: %s\n", Shown(o.file.native()).c_str(), setting::Describe(file).toUtf8().constData());
    return kOk;
}

namespace {

// How many ports are tried at once: a port being tried holds a descriptor or
// two, and past the system's limit for them an open fails.
size_t PortsAtOnce()
{
    constexpr size_t kMost = 16;
#ifdef _WIN32
    return kMost;
#else
    struct rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return kMost;
    // Some kept for the program's own, and twice what the ports need.
    constexpr rlim_t kOwn = 32;
    return std::clamp<rlim_t>(limit.rlim_cur > kOwn ? (limit.rlim_cur - kOwn) / 4 : 1, 1, kMost);
#endif
}

}  // namespace

// Up to PortsAtOnce() ports tried at once, so that the answer comes within
// about one port's time where there are few; where calls must not overlap,
// one port after another. Names that lead to one device share its answer,
// tried once. A port that could not be tried (busy, out of descriptors) is
// named as such, never taken for one without a reader.
int Ports(const Options& o)
{
    LibraryCalls calls(ParallelCalls(o));
    struct Try {
        std::vector<Port> names;
        std::optional<std::string> said;  // none: no reader answered
        std::string untried;              // why it could not be tried, where it could not
    };
    std::vector<Try> tries;
    for (const std::vector<std::string>& device : t2dev::PortsByDevice()) {
        Try t;
        for (const std::string& name : device)
            if (const auto port = ParsePort(name); port && (port->number || T2OpensNames()))
                t.names.push_back(*port);
        if (!t.names.empty())
            tries.push_back(std::move(t));
    }
    const auto tryPort = [&](Try& t) {
        std::string why;
        const int32_t handle = calls([&] {
            const int32_t h = Open(t.names[0], o.baud);
            why = h == -1 ? T2LastError() : "";  // the calling thread's
            return h;
        });
        if (handle == -1) {
            // A maker's library gives no reason: nothing to tell it by.
            if (!why.empty() && !t2proto::NothingThere(why))
                t.untried = why;
            return;
        }
        std::string version, failed;
        const int32_t r = calls([&] {
            const int32_t r = ReadVersion(handle, version);
            failed = r == 0 ? "" : Code(r);
            return r;
        });
        t.said = r == 0 ? version : "answers, but its version failed: " + failed;
        calls([&] { return lc_exit(handle); });
    };
    {
        std::atomic<size_t> next = 0;
        std::vector<std::jthread> workers(std::min(PortsAtOnce(), tries.size()));
        for (std::jthread& worker : workers)
            worker = std::jthread([&] {
                for (size_t i; (i = next++) < tries.size();)
                    tryPort(tries[i]);
            });
    }
    // Each port's look-up would say it; once is enough.
    if (const std::string ignored = t2dev::IgnoredFolder(); !ignored.empty())
        std::fprintf(stderr, "tavelin-config: %s\n", ignored.c_str());
    size_t untried = 0;
    for (const Try& t : tries) {
        if (t.untried.empty())
            continue;
        ++untried;
        std::string names;
        for (const Port& port : t.names)
            names += (names.empty() ? "" : ", ") + port.name;
        std::fprintf(stderr, "tavelin-config: %s: not tried: %s\n", names.c_str(), t.untried.c_str());
    }
    std::erase_if(tries, [](const Try& t) { return !t.said; });
    size_t width = 5;
    for (const Try& t : tries)
        for (const Port& port : t.names)
            width = std::max(width, port.name.size());
    for (const Try& t : tries)
        for (const Port& port : t.names)
            Say("%-*s %s\n", int(width), port.name.c_str(), t.said->c_str());
    if (!tries.empty())
        return kOk;
    return Fail(kNoLink, untried ? "no reader answers on the ports tried; " + std::to_string(untried) +
                                       " not tried (above)"
                                 : "no reader answers on any serial port");
}
