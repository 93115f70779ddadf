// Commands of the reader protocol and the layout of their payloads
// (docs/protocol.md), shared by the library and the emulator.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace t2proto {

enum Command : uint8_t {
    kHandshake = 0x01,
    kGetVersion = 0x02,
    kSetReadOnly = 0x03,
    kSetHeader = 0x04,
    kSetBlockRead = 0x05,
};
constexpr uint8_t kReplyBit = 0x80;
constexpr uint8_t kStatusOk = 0x00;

// The line speeds a reader runs at, slowest first. Checked before a port is
// opened, on every platform: a serial driver would take other values its own
// way (keep the old speed, hang up for 0, set a custom rate).
inline constexpr int32_t kBaudRates[] = {9600, 115200};
constexpr bool IsBaudRate(int32_t baud)
{
    for (const int32_t rate : kBaudRates)
        if (baud == rate)
            return true;
    return false;
}

// The handshake reply's data: a reader says what it is, so that a device that
// merely echoes or chatters does not pass for one.
inline constexpr std::array<uint8_t, 5> kHandshakeReply = {'T', '2', 'R', 'D', 0x01};

// What a code means, for every code our library or our emulator returns:
// the one list behind the reasons, the front ends' messages and
// docs/codes.md. A reader's code outside it means kUnknownCode.
struct CodeMeaning {
    int32_t code;
    std::string_view words;
};
extern const std::span<const CodeMeaning> kCodeMeanings;
inline constexpr std::string_view kUnknownCode = "a code this tool does not know";
std::string_view CodeMeaningOf(int32_t code);

// A result code of the library in words a user can act on: ours (T2_E_*),
// else a reader's refusal of `request`. The library's reasons and the front
// ends' explanations of a code, for any library, come from here.
std::string CodeWords(int32_t code, std::string_view request = "the request");

// lc_init's reason, after the port's name, when another program holds the
// port: a program waiting there for a reader tells it by these words.
inline constexpr std::string_view kHeldElsewhere = " is busy: held by another program";
// How lc_init's reason starts where there is no device for the port.
inline constexpr std::string_view kNoSuchDevice = "no such device for ";
// How lc_init's reasons name the request it makes once the port is open.
inline constexpr std::string_view kHandshakeWords = "the handshake";
// Whether lc_init's reason says that nothing is there: no device, or a device
// that did not answer the handshake as a reader. Any other reason (busy,
// denied, out of descriptors) means the port could not be tried.
bool NothingThere(std::string_view reason);

// Command name as the emulator's options and log use it ("readonly", ...),
// and back; nothing for an unknown one.
std::string_view CommandName(uint8_t command);
std::optional<uint8_t> CommandByName(std::string_view name);

struct ReadOnlyParams {
    int32_t dataBase = 0;
    std::array<uint8_t, 8> aux8{};
    int32_t orientation = 0;
    int32_t snSize = 0;
    int32_t outLength = 0;
    std::array<uint8_t, 3> auxA{};
    std::array<uint8_t, 3> auxB{};
    bool operator==(const ReadOnlyParams&) const = default;
};
constexpr size_t kReadOnlySize = 4 + 8 + 4 + 4 + 4 + 3 + 3;

struct BlockRead {
    int32_t address = 0;
    std::array<uint8_t, 6> key{};
    bool operator==(const BlockRead&) const = default;
};
constexpr size_t kBlockReadSize = 4 + 6;

// Integers travel as 32-bit little-endian.
void PutInt32(std::vector<uint8_t>& out, int32_t value);
int32_t GetInt32(const uint8_t* in);

std::vector<uint8_t> EncodeReadOnly(const ReadOnlyParams& p);
std::optional<ReadOnlyParams> DecodeReadOnly(std::span<const uint8_t> payload);
std::vector<uint8_t> EncodeBlockRead(const BlockRead& b);
std::optional<BlockRead> DecodeBlockRead(std::span<const uint8_t> payload);

}  // namespace t2proto
