#include "t2/protocol.h"

#include <cstdio>
#include <cstring>

#include "t2/t2.h"

namespace t2proto {

namespace {

constexpr std::array<std::pair<uint8_t, std::string_view>, 5> kNames = {{
    {kHandshake, "handshake"},
    {kGetVersion, "version"},
    {kSetReadOnly, "readonly"},
    {kSetHeader, "header"},
    {kSetBlockRead, "block"},
}};

template <size_t N>
void PutBytes(std::vector<uint8_t>& out, const std::array<uint8_t, N>& bytes)
{
    out.insert(out.end(), bytes.begin(), bytes.end());
}

template <size_t N>
void GetBytes(std::array<uint8_t, N>& bytes, const uint8_t*& in)
{
    std::memcpy(bytes.data(), in, N);
    in += N;
}

int32_t TakeInt32(const uint8_t*& in)
{
    int32_t value = GetInt32(in);
    in += 4;
    return value;
}

}  // namespace

std::string_view CommandName(uint8_t command)
{
    for (const auto& [code, name] : kNames)
        if (code == command)
            return name;
    return {};
}

std::optional<uint8_t> CommandByName(std::string_view name)
{
    for (const auto& [code, n] : kNames)
        if (n == name)
            return code;
    return std::nullopt;
}

void PutInt32(std::vector<uint8_t>& out, int32_t value)
{
    auto u = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(u >> shift));
}

int32_t GetInt32(const uint8_t* in)
{
    return static_cast<int32_t>(in[0] | in[1] << 8 | in[2] << 16 | static_cast<uint32_t>(in[3]) << 24);
}

std::vector<uint8_t> EncodeReadOnly(const ReadOnlyParams& p)
{
    std::vector<uint8_t> out;
    out.reserve(kReadOnlySize);
    PutInt32(out, p.dataBase);
    PutBytes(out, p.aux8);
    PutInt32(out, p.orientation);
    PutInt32(out, p.snSize);
    PutInt32(out, p.outLength);
    PutBytes(out, p.auxA);
    PutBytes(out, p.auxB);
    return out;
}

std::optional<ReadOnlyParams> DecodeReadOnly(std::span<const uint8_t> payload)
{
    if (payload.size() != kReadOnlySize)
        return std::nullopt;
    const uint8_t* in = payload.data();
    ReadOnlyParams p;
    p.dataBase = TakeInt32(in);
    GetBytes(p.aux8, in);
    p.orientation = TakeInt32(in);
    p.snSize = TakeInt32(in);
    p.outLength = TakeInt32(in);
    GetBytes(p.auxA, in);
    GetBytes(p.auxB, in);
    return p;
}

std::vector<uint8_t> EncodeBlockRead(const BlockRead& b)
{
    std::vector<uint8_t> out;
    out.reserve(kBlockReadSize);
    PutInt32(out, b.address);
    PutBytes(out, b.key);
    return out;
}

std::optional<BlockRead> DecodeBlockRead(std::span<const uint8_t> payload)
{
    if (payload.size() != kBlockReadSize)
        return std::nullopt;
    const uint8_t* in = payload.data();
    BlockRead b;
    b.address = TakeInt32(in);
    GetBytes(b.key, in);
    return b;
}

#define T2_DIGITS(n) #n
#define T2_NUMBER(n) T2_DIGITS(n)

const std::span<const CodeMeaning> kCodeMeanings{[] {
    static constexpr CodeMeaning table[] = {
        {T2_E_TIMEOUT, "no answer from the reader within " T2_NUMBER(T2_REPLY_TIMEOUT_MS) " ms (is it connected, powered and set to this baud rate?)"},
        {T2_E_BAD_CRC, "answer garbled (bad checksum; check the baud rate)"},
        {T2_E_LINK_LOST, "the port went away"},
        {T2_E_BAD_HANDLE, "no open link with this handle"},
        {T2_E_BAD_REPLY, "answer garbled (not a reader's answer; is this the reader's port?)"},
        {T2_E_BAD_ARGUMENT, "an argument is missing or not valid"},
        {T2_READER_E_COMMAND, "a command the reader does not know"},
        {T2_READER_E_RANGE, "a value out of range"},
        {T2_READER_E_LENGTH, "a request of the wrong size"},
    };
    return std::span<const CodeMeaning>(table);
}()};

std::string_view CodeMeaningOf(int32_t code)
{
    for (const auto& [known, words] : kCodeMeanings)
        if (known == code)
            return words;
    return kUnknownCode;
}

std::string CodeWords(int32_t code, std::string_view request)
{
    char text[32];
    std::snprintf(text, sizeof text, " code 0x%02X", static_cast<unsigned>(code));
    if (code > 0 && code <= 0xFF)
        return "the reader refused " + std::string(request) + " with" + text + " (" + std::string(CodeMeaningOf(code)) +
               ")";
    const std::string_view words = CodeMeaningOf(code);
    if (words != kUnknownCode)
        return std::string(words);
    return "the reader library's own" + std::string(text) + ", not one this program knows";
}

bool NothingThere(std::string_view reason)
{
    const auto says = [reason](std::string_view words) { return reason.find(words) != std::string_view::npos; };
    const std::string refused = CodeWords(1, kHandshakeWords);  // a reader's refusal: these words and its code
    return reason.starts_with(kNoSuchDevice) || says(CodeWords(T2_E_TIMEOUT)) || says(CodeWords(T2_E_BAD_CRC)) ||
           says(CodeWords(T2_E_BAD_REPLY)) || says(CodeWords(T2_E_LINK_LOST)) ||
           says(std::string_view(refused).substr(0, refused.find(" with")));
}

}  // namespace t2proto
