// The commands, and what they share with the station: the screen, and a
// setting applied on an open link.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "cli/calls.h"
#include "cli/options.h"
#include "dataout/steps.h"
#include "settingfile/SettingFile.h"

// docs/tavelin-config.md: the first that applies wins in this order: 2, 3, 4, 1, 5.
enum Exit { kOk = 0, kStepFailed = 1, kUsage = 2, kNoLink = 3, kNotWritten = 4, kStopped = 5 };

// Why something said did not reach standard output; empty when all did.
std::string OutputProblem();

// `text` on standard output at once, whole, whichever thread says it.
void Write(std::string_view text);

std::string Format(const char* format, auto... args)
{
    const int n = std::snprintf(nullptr, 0, format, args...);
    if (n <= 0)
        return {};
    std::string text(static_cast<size_t>(n), '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
}

void Say(const char* format, auto... args) { Write(Format(format, args...)); }

// What one port says, printed a whole line at a time after `prefix`, so
// that the lines of ports set at once stay whole and say whose they are.
// A blank line, which only parts one reader from the next, goes with no prefix.
class Screen {
public:
    explicit Screen(std::string prefix = {}) : prefix_(std::move(prefix)) {}
    void operator()(const char* format, auto... args)
    {
        pending_ += Format(format, args...);
        for (size_t end; (end = pending_.find('\n')) != std::string::npos; pending_.erase(0, end + 1)) {
            if (end > 0)
                Write(prefix_ + pending_.substr(0, end + 1));
            else if (prefix_.empty())
                Write("\n");
        }
    }

private:
    std::string prefix_, pending_;
};

// Our library keeps links apart and is safe across threads; a maker's is
// not known to be, unless the user says so with --calls.
bool ParallelCalls(const Options& o);

int Fail(int code, const std::string& why);

// A link to the reader on `port`: by its number, or else by its name.
int32_t Open(const Port& port, int32_t baud);
// Why a port given cannot be opened by the library loaded: a maker's takes
// numbers only. Empty when all can.
std::string UnopenablePort(const Options& o);

// A library result with its reason.
std::string Code(int32_t result);

// The calls a file makes; nothing where asc_hex refuses its Password.
std::optional<params::Steps> StepsOf(const setting::File& file);

struct Outcome {
    int32_t code = 0;
    std::string step;  // the one that failed
    std::string said;  // its Code(), taken at once: later calls change the library's reason
};
// One setting on an open link, a line a step, by `port` of `calls`.
Outcome ApplyOn(int32_t handle, const setting::File& file, Screen& say, LibraryCalls& calls, size_t port);

int Version(const Options& o);
int ApplyFile(const Options& o, const setting::File& file);
int Check(const Options& o, const setting::File& file);
int Ports(const Options& o);
