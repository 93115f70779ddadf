// The frame codec and payload layouts: what goes on the wire and how the
// decoder copes with a stream that is chunked, noisy, cut short or corrupt.
#include <gtest/gtest.h>

#include <string_view>

#include "t2/frame.h"
#include "t2/protocol.h"

namespace {

using t2proto::Decoder;
using Bytes = std::vector<uint8_t>;

Bytes Payload(size_t size)
{
    Bytes p(size);
    for (size_t i = 0; i < size; ++i)
        p[i] = static_cast<uint8_t>(i * 31 + 7);
    return p;
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// Feeds `stream` in chunks of `chunk` bytes and lists every event as text;
// with `giveUp`, drops what is left unfinished at the end, as after a gap.
std::vector<std::string> Decode(const Bytes& stream, size_t chunk = 1 << 20, bool giveUp = false)
{
    Decoder decoder;
    std::vector<std::string> events;
    auto drain = [&] {
        while (auto e = decoder.Next()) {
            if (e->kind == Decoder::Kind::Frame)
                events.push_back("frame " + std::to_string(e->frame.command) + "/" +
                                 std::to_string(e->frame.payload.size()));
            else
                events.push_back(e->kind == Decoder::Kind::BadCrc ? "bad crc" : "oversize");
        }
    };
    for (size_t at = 0; at < stream.size(); at += chunk) {
        decoder.Feed(std::span(stream).subspan(at, std::min(chunk, stream.size() - at)));
        drain();
    }
    for (; giveUp && decoder.Pending(); drain())
        decoder.DropPartial();
    return events;
}

TEST(Frame, CrcIsCcittFalse)
{
    std::string_view check = "123456789";
    EXPECT_EQ(t2proto::Crc16({reinterpret_cast<const uint8_t*>(check.data()), check.size()}), 0x29B1);
}

TEST(Frame, LayoutOnTheWire)
{
    // CRC-16/CCITT-FALSE of 04 00 04 37 01 00 00 00 is 0x257C, worked out apart from our code.
    EXPECT_EQ(t2proto::Encode({0x04, Bytes{0x01, 0x00, 0x00, 0x00}, 0x37}),
              (Bytes{0xA5, 0x5A, 0x04, 0x00, 0x04, 0x37, 0x01, 0x00, 0x00, 0x00, 0x7C, 0x25}));
}

TEST(Frame, RoundTripsEverySizeUpToTheMaximum)
{
    for (size_t size : {size_t{0}, size_t{1}, size_t{31}, size_t{301}, t2proto::kMaxPayload}) {
        SCOPED_TRACE(size);
        Decoder decoder;
        decoder.Feed(t2proto::Encode({0x82, Payload(size), 0xFE}));
        auto e = decoder.Next();
        ASSERT_TRUE(e);
        EXPECT_EQ(e->kind, Decoder::Kind::Frame);
        EXPECT_EQ(e->frame, (t2proto::Frame{0x82, Payload(size), 0xFE}));
        EXPECT_FALSE(decoder.Next());
    }
    EXPECT_TRUE(t2proto::Encode({0x82, Payload(t2proto::kMaxPayload + 1)}).empty());
}

TEST(Frame, AnyChunkingGivesTheSameEvents)
{
    Bytes stream = Concat({Bytes{0x00, 0xA5, 0x13}, t2proto::Encode({1, Payload(5)}), Bytes{0xA5},
                           t2proto::Encode({2, Payload(300)}), t2proto::Encode({3, {}})});
    std::vector<std::string> whole = Decode(stream);
    EXPECT_EQ(whole, (std::vector<std::string>{"frame 1/5", "frame 2/300", "frame 3/0"}));
    for (size_t chunk : {1, 2, 3, 5, 7, 64, 299})
        EXPECT_EQ(Decode(stream, chunk), whole) << "chunk " << chunk;
}

TEST(Frame, ResynchronisesAfterGarbage)
{
    const Bytes frame = t2proto::Encode({0x81, Payload(3)});
    struct Case {
        const char* name;
        Bytes garbage;
    };
    const Case cases[] = {
        {"noise", {0x00, 0xFF, 0x13, 0x37, 0x5A}},
        {"lone first marker byte", {0xA5}},
        {"first marker byte twice", {0xA5, 0xA5}},
        {"marker without its second byte", {0xA5, 0x00, 0xA5, 0x11}},
        {"second marker byte first", {0x5A, 0x5A}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (size_t chunk : {1, 1000})
            EXPECT_EQ(Decode(Concat({c.garbage, frame}), chunk), std::vector<std::string>{"frame 129/3"});
    }
}

// A broken frame is reported, and the good one behind it is still found.
TEST(Frame, BrokenFramesAreReportedAndSkipped)
{
    const Bytes good = t2proto::Encode({0x83, Payload(2)});
    auto broken = [&](size_t index, uint8_t value) {
        Bytes f = t2proto::Encode({0x85, Payload(4)});
        f[index] = value;
        return f;
    };
    Bytes oversize = {0xA5, 0x5A, 0x01, 0x02, 0x02, 0x00};  // 513 bytes announced
    struct Case {
        const char* name;
        Bytes bad;
        const char* event;
    };
    const Case cases[] = {
        {"checksum low byte", broken(10, 0x00), "bad crc"},
        {"checksum high byte", broken(11, 0x00), "bad crc"},
        {"payload byte", broken(6, 0xEE), "bad crc"},
        {"command", broken(4, 0x86), "bad crc"},
        {"sequence", broken(5, 0x01), "bad crc"},
        {"length beyond the maximum", oversize, "oversize"},
        {"length 0xFFFF", broken(3, 0xFF), "oversize"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto events = Decode(Concat({c.bad, good}));
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.front(), c.event);
        EXPECT_EQ(events.back(), "frame 131/2");
    }
}

// A cut frame's length may claim the bytes of the frames after it; once those
// bytes are in, the checksum fails and the frames are found after all.
TEST(Frame, TruncatedFrameYieldsNothingAndDoesNotHideWhatFollows)
{
    const Bytes full = t2proto::Encode({0x82, Payload(12)});
    const Bytes next = t2proto::Encode({0x83, Payload(1)});
    for (size_t cut = 1; cut < full.size(); ++cut) {
        SCOPED_TRACE(cut);
        Bytes truncated(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_TRUE(Decode(truncated).empty());
        auto events = Decode(Concat({truncated, next, next}));
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back(), "frame 131/1");
        // Given up on, it no longer waits for the bytes its length claims.
        auto givenUp = Decode(Concat({truncated, next}), 1 << 20, true);
        ASSERT_FALSE(givenUp.empty());
        EXPECT_EQ(givenUp.back(), "frame 131/1");
    }
}

TEST(Protocol, PayloadsAreLittleEndianInArgumentOrder)
{
    t2proto::ReadOnlyParams p{3, {1, 2, 3, 4, 5, 6, 7, 8}, 1, -5, 99, {9, 10, 11}, {12, 13, 14}};
    Bytes wire = t2proto::EncodeReadOnly(p);
    ASSERT_EQ(wire.size(), t2proto::kReadOnlySize);
    EXPECT_EQ((Bytes{wire.begin(), wire.begin() + 4}), (Bytes{3, 0, 0, 0}));
    EXPECT_EQ(wire[4], 1);
    EXPECT_EQ((Bytes{wire.begin() + 16, wire.begin() + 20}), (Bytes{0xFB, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(t2proto::DecodeReadOnly(wire), p);
    wire.pop_back();
    EXPECT_FALSE(t2proto::DecodeReadOnly(wire));

    t2proto::BlockRead b{255, {0x3A, 0x7F, 0x19, 0xC2, 0xE8, 0x45}};
    EXPECT_EQ(t2proto::DecodeBlockRead(t2proto::EncodeBlockRead(b)), b);
    EXPECT_FALSE(t2proto::DecodeBlockRead(Bytes(9)));
}

}  // namespace
