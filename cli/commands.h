// The commands, and what they share with the station: the screen, and a
// setting applied on an open link.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "SettingFile.h"
#include "options.h"
#include "steps.h"

// docs/tavelin-config.md: the first that applies wins in this order: 2, 3, 4, 1, 5.
enum Exit { kOk = 0, kStepFailed = 1, kUsage = 2, kNoLink = 3, kNotWritten = 4, kStopped = 5 };

// Keeps the reason of the first output that did not reach standard output.
void OutputFailed(int error);
// Why something said did not reach standard output; empty when all did.
std::string OutputProblem();

void Say(const char* format, auto... args)
{
    if (std::printf(format, args...) < 0 || std::fflush(stdout) != 0)
        OutputFailed(errno);
}

int Fail(int code, const std::string& why);

// A library result with its reason.
std::string Code(int32_t result);

// The calls a file makes, and whether its key goes through asc_hex first
// (a Special Setting's Password does, as the page sends it).
struct Plan {
    params::Steps steps;
    std::optional<std::string> keyText;
};
Plan PlanOf(const setting::File& file);

struct Outcome {
    int32_t code = 0;
    std::string step;  // the one that failed
};
// One setting on an open link, a line a step.
Outcome ApplyOn(int32_t handle, Plan plan);

int Version(const Options& o);
int ApplyFile(const Options& o, const setting::File& file);
int Check(const Options& o, const setting::File& file);
