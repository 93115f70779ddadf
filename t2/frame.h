// Frames of the reader protocol (docs/protocol.md): encoding, the CRC and an
// incremental decoder. Pure code: no I/O, no clock.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace t2proto {

constexpr uint8_t kMarker0 = 0xA5;
constexpr uint8_t kMarker1 = 0x5A;
// Marker, 16-bit length, command, sequence.
constexpr size_t kHeaderSize = 6;
constexpr size_t kCrcSize = 2;
// Largest payload either side sends or accepts; a reply needs a status byte
// plus up to 300 bytes of version text, with room to spare.
constexpr size_t kMaxPayload = 512;

// CRC-16/CCITT-FALSE: polynomial 0x1021, initial 0xFFFF, no reflection, no final xor.
uint16_t Crc16(std::span<const uint8_t> bytes, uint16_t crc = 0xFFFF);

struct Frame {
    uint8_t command = 0;
    std::vector<uint8_t> payload;
    // Set by the sender of a request and echoed in its reply, so that a reply
    // is never taken for another request's.
    uint8_t sequence = 0;
    bool operator==(const Frame&) const = default;
};

// The whole frame on the wire; empty when the payload exceeds kMaxPayload.
std::vector<uint8_t> Encode(const Frame& frame);

// Takes received bytes in any chunking and yields what they hold, in order.
// Bytes before a start marker are skipped. After a bad CRC or an oversize
// length only the marker's first byte is dropped and the search goes on from
// the next byte, so a good frame hidden behind a broken one is still found.
class Decoder {
public:
    enum class Kind { Frame, BadCrc, Oversize };
    struct Event {
        Kind kind;
        Frame frame;  // for Kind::Frame
    };

    void Feed(std::span<const uint8_t> bytes);
    // The next complete event, or nothing until more bytes arrive.
    std::optional<Event> Next();
    void Reset();
    // Bytes held once Next() gives nothing: the start of a frame still
    // waiting for its rest.
    size_t Pending() const { return buffer_.size() - start_; }
    // Gives up on that frame start as on a bad CRC: its first byte goes, and
    // Next() searches on from the next one.
    void DropPartial();

private:
    std::vector<uint8_t> buffer_;
    size_t start_ = 0;  // first byte of buffer_ not yet consumed
};

}  // namespace t2proto
