// The reader library: a table of open links and the seven operations, each a
// request and its reply in the frames of docs/protocol.md.
#include "t2.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "devices.h"
#include "frame.h"
#include "hex.h"
#include "one_line.h"
#include "protocol.h"
#include "serial.h"

namespace {

using t2::Clock;
using t2::SerialLine;

constexpr int32_t kMaxLinks = 32;
constexpr auto kReplyTimeout = std::chrono::milliseconds(T2_REPLY_TIMEOUT_MS);

struct Link {
    std::mutex mutex;  // one request on the line at a time
    std::unique_ptr<SerialLine> line;
    std::string path;  // the device it is open on
    t2proto::Decoder decoder;
    bool lost = false;  // once the line went away every call says so at once
    // A link's own count: other links' requests must not bring a late reply's
    // sequence round again sooner.
    uint8_t nextSequence = 0;
};

// Why the calling thread's latest call failed; empty after a success.
thread_local std::string lastError;

std::mutex tableMutex;
std::array<std::shared_ptr<Link>, kMaxLinks> links;
int32_t nextSlot = 0;  // handles go round the table, so a closed one is not soon reused

std::shared_ptr<Link> Find(int32_t handle)
{
    std::lock_guard lock(tableMutex);
    return handle >= 0 && handle < kMaxLinks ? links[handle] : nullptr;
}

// Whether a link of ours is open on the device.
bool HeldHere(const std::string& path)
{
    std::lock_guard lock(tableMutex);
    return std::any_of(links.begin(), links.end(), [&](const auto& link) { return link && link->path == path; });
}

// Sends one request and waits for its reply until the deadline. 0 with the
// reply's data, the reader's refusal code, or a T2_E_* code.
int32_t Transact(Link& link, uint8_t command, std::span<const uint8_t> payload, std::vector<uint8_t>& data,
                 Clock::time_point deadline)
{
    using Io = SerialLine::Io;
    using Kind = t2proto::Decoder::Kind;
    if (link.lost)
        return T2_E_LINK_LOST;
    auto failed = [&link](Io io) {
        link.lost = io == Io::Lost;
        return link.lost ? T2_E_LINK_LOST : T2_E_TIMEOUT;
    };
    const uint8_t sequence = link.nextSequence++;
    link.line->Discard();
    link.decoder.Reset();
    if (Io io = link.line->Write(t2proto::Encode({command, {payload.begin(), payload.end()}, sequence}), deadline);
        io != Io::Ok)
        return failed(io);
    // Noise on the line can break a frame ahead of the reply, so a broken
    // frame counts only if no good reply follows before the deadline.
    int32_t broken = T2_E_TIMEOUT;
    std::vector<uint8_t> received;
    for (;;) {
        while (auto event = link.decoder.Next()) {
            if (event->kind != Kind::Frame) {
                broken = event->kind == Kind::BadCrc ? T2_E_BAD_CRC : T2_E_BAD_REPLY;
                continue;
            }
            const auto& reply = event->frame;
            if (reply.sequence != sequence)
                continue;  // a late or repeated reply to an earlier request
            if (reply.command != (command | t2proto::kReplyBit) || reply.payload.empty())
                return T2_E_BAD_REPLY;
            if (reply.payload[0] != t2proto::kStatusOk)
                return reply.payload[0];
            data.assign(reply.payload.begin() + 1, reply.payload.end());
            return 0;
        }
        // A line that keeps sending would otherwise keep the call past its
        // bound: a read after the deadline still takes what is waiting.
        if (Clock::now() >= deadline)
            return broken;
        received.clear();
        Io io = link.line->Read(received, deadline);
        if (io == Io::Timeout)
            return broken;
        if (io != Io::Ok)
            return failed(io);
        link.decoder.Feed(received);
    }
}

// Runs `call` on the open link `handle`, one call at a time per link.
template <class Call>
int32_t WithLink(int32_t handle, Call call)
{
    auto link = Find(handle);
    if (!link)
        return T2_E_BAD_HANDLE;
    std::lock_guard lock(link->mutex);
    if (!link->line)
        return T2_E_BAD_HANDLE;  // closed while this call waited
    return call(*link, Clock::now() + kReplyTimeout);
}

int32_t Request(int32_t handle, uint8_t command, std::span<const uint8_t> payload)
{
    return WithLink(handle, [&](Link& link, Clock::time_point deadline) {
        std::vector<uint8_t> data;
        return Transact(link, command, payload, data, deadline);
    });
}

// Every operation's result passes here, so that t2_last_error speaks of the latest call.
int32_t Outcome(int32_t code)
{
    lastError = code == 0 ? std::string() : t2proto::CodeWords(code);
    return code;
}

// A failed lc_init: the reason is for t2_last_error; a library prints nothing.
int32_t InitFailed(const std::string& reason)
{
    lastError = t2proto::OneLine(reason);
    return -1;
}

}  // namespace

extern "C" {

T2_API int32_t T2_CALL lc_init(int32_t port, int32_t baud)
{
    lastError.clear();
    auto name = t2dev::PortName(port);
    if (!name)
        return InitFailed("no port number " + std::to_string(port) + ": use 0..8 for COM1..COM9 or 100 for USB");
    if (!t2proto::IsBaudRate(baud))
        return InitFailed("no baud rate " + std::to_string(baud) + " on " + *name + ": use 9600 or 115200");
    t2dev::Device device = t2dev::FindDevice(*name);
    std::string at = *name + " (" + device.where + ")";
    auto fail = [&device](const std::string& reason) {
        return InitFailed(device.note.empty() ? reason : reason + "; " + device.note);
    };
    // Where else to look: an emulator not started, or on another port.
    const std::string emulated =
        device.folderEntry.empty() ? "" : "; an emulated reader would be at " + device.folderEntry;
    if (device.path.empty())
        return fail("no such device for " + *name + ": looked for " + device.where + emulated);

    // Asked before opening: not every system refuses a second open of a port
    // by the same process (Wine does not).
    if (HeldHere(device.path))
        return fail(at + " is already open in this program");

    SerialLine::OpenError error;
    auto link = std::make_shared<Link>();
    link->path = device.path;
    link->line = SerialLine::Open(device.path, baud, error, device.inFolder);
    if (!link->line) {
        switch (error.failure) {
        case SerialLine::Failure::NoDevice:
            return fail("no such device for " + at + ": " + error.detail + emulated);
        case SerialLine::Failure::Busy:
            return fail(at + " is busy: held by another program");
        case SerialLine::Failure::Denied:
            return fail("permission denied on " + at +
                        ": join the serial-port group (dialout on Debian: sudo adduser $USER dialout, "
                        "then log in again)");
        default:
            return fail("cannot open " + at + ": " + error.detail);
        }
    }

    std::vector<uint8_t> data;
    int32_t code = Transact(*link, t2proto::kHandshake, {}, data, Clock::now() + kReplyTimeout);
    if (code == 0 && !std::equal(t2proto::kHandshakeReply.begin(), t2proto::kHandshakeReply.end(), data.begin(),
                                 data.end()))
        code = T2_E_BAD_REPLY;
    if (code != 0)
        return fail(at + ": " + t2proto::CodeWords(code, "the handshake"));

    std::lock_guard lock(tableMutex);
    for (int32_t i = 0; i < kMaxLinks; ++i) {
        int32_t slot = (nextSlot + i) % kMaxLinks;
        if (!links[slot]) {
            links[slot] = std::move(link);
            nextSlot = (slot + 1) % kMaxLinks;
            return slot;
        }
    }
    return fail("too many links open (" + std::to_string(kMaxLinks) + "); close one first");
}

T2_API int32_t T2_CALL lc_exit(int32_t handle)
{
    std::shared_ptr<Link> link;
    {
        std::lock_guard lock(tableMutex);
        if (handle < 0 || handle >= kMaxLinks || !links[handle])
            return Outcome(T2_E_BAD_HANDLE);
        link = std::move(links[handle]);
    }
    std::lock_guard lock(link->mutex);  // waits for a call in progress
    link->line.reset();
    return Outcome(0);
}

T2_API int32_t T2_CALL lc_getver(int32_t handle, unsigned char* versionText, int32_t* versionLength)
{
    if (versionLength)
        *versionLength = 0;
    if (!versionText)
        return Outcome(T2_E_BAD_ARGUMENT);
    versionText[0] = 0;
    return Outcome(WithLink(handle, [&](Link& link, Clock::time_point deadline) {
        std::vector<uint8_t> text;
        int32_t code = Transact(link, t2proto::kGetVersion, {}, text, deadline);
        if (code != 0)
            return code;
        size_t length = std::min<size_t>(text.size(), 255);
        std::copy_n(text.begin(), length, versionText);
        versionText[length] = 0;
        if (versionLength)
            *versionLength = static_cast<int32_t>(length);
        return 0;
    }));
}

T2_API int32_t T2_CALL lc_setReadOnlyPara(int32_t handle, int32_t dataBase, const unsigned char* aux8,
                                          int32_t orientation, int32_t snSize, int32_t outLength,
                                          const unsigned char* auxA, const unsigned char* auxB)
{
    if (!aux8 || !auxA || !auxB)
        return Outcome(T2_E_BAD_ARGUMENT);
    t2proto::ReadOnlyParams p{.dataBase = dataBase, .orientation = orientation, .snSize = snSize, .outLength = outLength};
    std::memcpy(p.aux8.data(), aux8, p.aux8.size());
    std::memcpy(p.auxA.data(), auxA, p.auxA.size());
    std::memcpy(p.auxB.data(), auxB, p.auxB.size());
    return Outcome(Request(handle, t2proto::kSetReadOnly, t2proto::EncodeReadOnly(p)));
}

T2_API int32_t T2_CALL lc_setBlockReadPara(int32_t handle, int32_t blockAddress, const unsigned char* key)
{
    if (!key)
        return Outcome(T2_E_BAD_ARGUMENT);
    t2proto::BlockRead b{blockAddress, {}};
    std::memcpy(b.key.data(), key, b.key.size());
    return Outcome(Request(handle, t2proto::kSetBlockRead, t2proto::EncodeBlockRead(b)));
}

T2_API int32_t T2_CALL lc_setReaderOnlyHead(int32_t handle, int32_t headerFlag)
{
    std::vector<uint8_t> payload;
    t2proto::PutInt32(payload, headerFlag);
    return Outcome(Request(handle, t2proto::kSetHeader, payload));
}

T2_API int32_t T2_CALL asc_hex(const char* text, unsigned char* out, int32_t count)
{
    if (!text || !out || count <= 0)
        return Outcome(T2_E_BAD_ARGUMENT);
    // Reads no further than one character past what a valid text holds.
    size_t digits = 2 * static_cast<size_t>(count);
    return Outcome(t2proto::HexToBytes({text, strnlen(text, digits + 1)}, out, static_cast<size_t>(count))
                       ? 0
                       : T2_E_BAD_ARGUMENT);
}

T2_API const char* T2_CALL t2_last_error(void)
{
    return lastError.c_str();
}

}  // extern "C"
