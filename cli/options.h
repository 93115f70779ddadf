// What the command line asks for, or why it cannot be done.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "dataout/link.h"

using params::Port;

struct Options {
    std::string command;  // apply, version, check, station, ports; "help" and "--version" too
    std::filesystem::path file;  // the names as given, byte for byte
    std::vector<Port> ports{{"USB", params::kUsbPort}};  // apply and version: one
    int32_t baud = 9600;
    bool dryRun = false;
    std::filesystem::path log = "readers.csv";
    int count = 0;  // 0: no end; over all ports
    std::optional<bool> parallelCalls;  // --calls; unset: as the library is known to allow
    // A station's check of each reader set, with a reference card: its UID,
    // or what its data block types; and how long to wait for what it types.
    std::vector<uint8_t> verifyCard;
    std::optional<std::string> verifyText;
    int verifyWait = 30;  // seconds
    bool Verifies() const { return !verifyCard.empty() || verifyText; }
};

// The arguments, program name first; nullopt with `problem` naming the
// option and value that cannot be used.
std::optional<Options> Parse(const std::vector<Argument>& args, std::string& problem);

// After a refusal, on standard error.
std::string UsageText();
// For --help, on standard output.
std::string HelpText();
