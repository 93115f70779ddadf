// What a station asks of the system it runs on, one source file per system.
#pragma once

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
