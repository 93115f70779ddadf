// A recording stand-in for the reader library: every call is recorded with
// its arguments (buffers copied), and each operation's result is scripted.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

struct T2Call {
    std::string op;               // "lc_init", "lc_setReadOnlyPara", ...
    std::vector<int32_t> ints;    // integer arguments in order (handle first)
    std::vector<std::vector<unsigned char>> buffers;  // buffer arguments in order
    std::string text;             // asc_hex's text
};

struct FakeT2 {
    std::vector<T2Call> calls;
    // Results: the front of each queue is used once, then `*Default`.
    std::deque<int32_t> initResults, getverResults, readOnlyResults, blockResults, headResults;
    int32_t initDefault = 7;
    int32_t getverDefault = 0;
    int32_t readOnlyDefault = 0;
    int32_t blockDefault = 0;
    int32_t headDefault = 0;
    std::string versionText = "T2 reader v1.0";  // copied whole, no bound check: tests control it
    bool realAscHex = true;                       // else asc_hex returns ascHexResult
    int32_t ascHexResult = 0;
    // The text is copied without its terminating zero, as a library may leave it.
    bool versionUnterminated = false;
    // What it writes as the text's length where not the text's size; with
    // versionLengthLeft it writes none.
    std::optional<int32_t> versionLength;
    bool versionLengthLeft = false;

    void Reset() { *this = FakeT2{}; }
    std::vector<std::string> Ops() const;
};

// The one fake every test shares (the library's operations are free functions).
FakeT2& Fake();
