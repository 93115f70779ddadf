#include "t2/frame.h"

#include <algorithm>

namespace t2proto {

uint16_t Crc16(std::span<const uint8_t> bytes, uint16_t crc)
{
    for (uint8_t b : bytes) {
        crc ^= static_cast<uint16_t>(b << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

std::vector<uint8_t> Encode(const Frame& frame)
{
    const auto& payload = frame.payload;
    if (payload.size() > kMaxPayload)
        return {};
    std::vector<uint8_t> out;
    out.reserve(kHeaderSize + payload.size() + kCrcSize);
    out.push_back(kMarker0);
    out.push_back(kMarker1);
    out.push_back(static_cast<uint8_t>(payload.size()));
    out.push_back(static_cast<uint8_t>(payload.size() >> 8));
    out.push_back(frame.command);
    out.push_back(frame.sequence);
    out.insert(out.end(), payload.begin(), payload.end());
    uint16_t crc = Crc16(std::span(out).subspan(2));
    out.push_back(static_cast<uint8_t>(crc));
    out.push_back(static_cast<uint8_t>(crc >> 8));
    return out;
}

void Decoder::Feed(std::span<const uint8_t> bytes)
{
    // Drop what has been consumed before growing, so the buffer stays about
    // one frame long whatever the stream holds.
    if (start_ > 0) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
        start_ = 0;
    }
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

std::optional<Decoder::Event> Decoder::Next()
{
    // Find a start marker; a lone first marker byte at the end may be completed later.
    size_t at = start_;
    while (at < buffer_.size() &&
           !(buffer_[at] == kMarker0 && (at + 1 == buffer_.size() || buffer_[at + 1] == kMarker1)))
        ++at;
    start_ = at;
    size_t available = buffer_.size() - start_;
    if (available < kHeaderSize)
        return std::nullopt;

    const uint8_t* head = buffer_.data() + start_;
    size_t length = head[2] | static_cast<size_t>(head[3]) << 8;
    if (length > kMaxPayload) {
        ++start_;
        return Event{Kind::Oversize, {}};
    }
    if (available < kHeaderSize + length + kCrcSize)
        return std::nullopt;

    std::span<const uint8_t> covered(head + 2, kHeaderSize - 2 + length);
    const uint8_t* crcBytes = head + kHeaderSize + length;
    uint16_t received = static_cast<uint16_t>(crcBytes[0] | crcBytes[1] << 8);
    if (Crc16(covered) != received) {
        ++start_;
        return Event{Kind::BadCrc, {}};
    }
    Event event{Kind::Frame, {head[4], std::vector<uint8_t>(head + kHeaderSize, crcBytes), head[5]}};
    start_ += kHeaderSize + length + kCrcSize;
    return event;
}

void Decoder::DropPartial()
{
    if (start_ < buffer_.size())
        ++start_;
}

void Decoder::Reset()
{
    buffer_.clear();
    start_ = 0;
}

}  // namespace t2proto
