// One open serial line, 8N1 without flow control, held exclusively, with
// reads and writes bounded by a deadline. serial.cpp holds the POSIX side,
// serial_win.cpp the Windows one.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace t2 {

using Clock = std::chrono::steady_clock;

// Whole milliseconds left until `deadline`, rounded up; 0 once it has passed.
inline unsigned RemainingMs(Clock::time_point deadline)
{
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<unsigned>(left) : 0;
}

class SerialLine {
public:
    enum class Io { Ok, Timeout, Lost };
    enum class Failure { NoDevice, Busy, Denied, Other };
    struct OpenError {
        Failure failure;
        std::string detail;  // the system's words, for Failure::Other
    };

    // The line, or nothing with `error` filled in; nothing stays open on failure.
    // What the port was set to is put back when the line goes, so that a port
    // holding no reader (the serial console, say) is left as it was.
    // `ownOnly`: refuse a device that is not the user's own or that others
    // may write to (one reached through the device folder).
    static std::unique_ptr<SerialLine> Open(const std::string& path, int32_t baud, OpenError& error,
                                            bool ownOnly = false);
    ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // On a timeout, what is left unsent is dropped, not sent ahead of the next write.
    Io Write(std::span<const uint8_t> bytes, Clock::time_point deadline);
    // Appends what arrives to `out`, waiting until the deadline for at least one byte.
    Io Read(std::vector<uint8_t>& out, Clock::time_point deadline);
    // Drops whatever has arrived and not been read.
    void Discard();
    // Whether the device has gone from under the line (unplugged, hung up):
    // such a line never works again. Waits for nothing.
    bool Gone() const;

private:
    SerialLine() = default;
    bool Configure(int32_t baud, OpenError& error);

    struct Settings;
    std::unique_ptr<Settings> saved_;

#ifdef _WIN32
    void* handle_ = nullptr;  // the port's HANDLE, opened for synchronous I/O
#else
    int fd_ = -1;
    bool exclusive_ = false;
#endif
};

}  // namespace t2
