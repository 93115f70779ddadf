// Frame decoder fuzzer: any bytes, in any chunking, with or without giving up
// on cut frames, never crash the decoder;
// every frame it yields survives a round trip with its command, sequence and
// payload, and payload layouts decode only at their exact size.
#include <cstdlib>

#include "t2/frame.h"
#include "t2/protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t chunk = data[0] % 64 + 1;  // the first byte picks the chunking,
    const bool gaps = data[0] & 0x80;       // and whether a frame cut short is given up after each chunk
    std::span<const uint8_t> rest(data + 1, size - 1);

    t2proto::Decoder decoder;
    for (size_t at = 0; at < rest.size(); at += chunk) {
        decoder.Feed(rest.subspan(at, std::min(chunk, rest.size() - at)));
        while (auto event = decoder.Next()) {
            if (event->kind != t2proto::Decoder::Kind::Frame)
                continue;
            const t2proto::Frame& frame = event->frame;
            if (frame.payload.size() > t2proto::kMaxPayload)
                std::abort();
            t2proto::Decoder again;
            again.Feed(t2proto::Encode(frame));
            auto copy = again.Next();
            if (!copy || copy->kind != t2proto::Decoder::Kind::Frame || !(copy->frame == frame))
                std::abort();
            if (t2proto::DecodeReadOnly(frame.payload).has_value() != (frame.payload.size() == t2proto::kReadOnlySize))
                std::abort();
            if (t2proto::DecodeBlockRead(frame.payload).has_value() != (frame.payload.size() == t2proto::kBlockReadSize))
                std::abort();
        }
        if (gaps)
            decoder.DropPartial();
    }
    return 0;
}
