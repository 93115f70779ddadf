// What a station asks of the system it runs on, one source file per system.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>

// Each way a station is normally stopped lets it finish the current reader
// and write its row first; a half-set reader with no row is what must not be.
// While one of these lives, those ways only make Asked() true.
class StopAfterTheCurrentReader {
public:
    StopAfterTheCurrentReader();
    ~StopAfterTheCurrentReader();
    StopAfterTheCurrentReader(const StopAfterTheCurrentReader&) = delete;
    StopAfterTheCurrentReader& operator=(const StopAfterTheCurrentReader&) = delete;
    static bool Asked();
};

// The keys typed at the station: its standard input, where a keyboard reader
// types when the station's terminal has the focus. While one lives (one at a
// time), a terminal gives each key as it comes, unechoed, and what was typed
// before is dropped; a pipe or file is read as it is.
class TypedKeys {
public:
    TypedKeys();
    ~TypedKeys();
    TypedKeys(const TypedKeys&) = delete;
    TypedKeys& operator=(const TypedKeys&) = delete;
    // Up to `size` bytes, waiting at most `wait` for the first: their count,
    // 0 when none came, -1 at the input's end.
    int Read(char* data, size_t size, std::chrono::milliseconds wait);

private:
    struct Terminal;
    std::unique_ptr<Terminal> terminal_;  // as it was; none for a pipe or file
};
