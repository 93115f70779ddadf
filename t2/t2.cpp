// The reader library: a table of open links and the seven operations, each a
// request and its reply in the frames of docs/protocol.md.
#include "t2/t2.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "t2/devices.h"
#include "t2/frame.h"
#include "t2/hex.h"
#include "t2/one_line.h"
#include "t2/protocol.h"
#include "t2/serial.h"

namespace {

using t2::Clock;
using t2::SerialLine;

constexpr int32_t kMaxLinks = 32;
constexpr auto kReplyTimeout = std::chrono::milliseconds(T2_REPLY_TIMEOUT_MS);

struct Link {
    std::mutex mutex;  // one request on the line at a time
    std::string port;  // "USB", "COM3": looked up again when its device comes back
    int32_t baud = 0;
    std::unique_ptr<SerialLine> line;  // none once its going away has been said
    std::string path;  // the device it is (or was last) open on; written under tableMutex too
    t2proto::Decoder decoder;
    bool closed = false;  // by lc_exit
    // A link's own count: other links' requests must not bring a late reply's
    // sequence round again sooner.
    uint8_t nextSequence = 0;
};

// Why the calling thread's latest call failed; empty after a success.
thread_local std::string lastError;
// Why its latest call could not open a lost link's port again.
thread_local std::string reopenFailure;

std::mutex tableMutex;
std::array<std::shared_ptr<Link>, kMaxLinks> links;
int32_t nextSlot = 0;  // handles go round the table, so a closed one is not soon reused

std::shared_ptr<Link> Find(int32_t handle)
{
    std::lock_guard lock(tableMutex);
    return handle >= 0 && handle < kMaxLinks ? links[handle] : nullptr;
}

// Takes the device for `link`, unless another link of ours holds it.
bool Claim(Link& link, const std::string& path)
{
    std::lock_guard lock(tableMutex);
    if (std::any_of(links.begin(), links.end(),
                    [&](const auto& other) { return other && other.get() != &link && other->path == path; }))
        return false;
    link.path = path;
    return true;
}

// Sends one request and waits for its reply until the deadline. 0 with the
// reply's data, the reader's refusal code, or a T2_E_* code.
int32_t Transact(Link& link, uint8_t command, std::span<const uint8_t> payload, std::vector<uint8_t>& data,
                 Clock::time_point deadline)
{
    using Io = SerialLine::Io;
    using Kind = t2proto::Decoder::Kind;
    auto failed = [&link](Io io) {
        if (io != Io::Lost)
            return T2_E_TIMEOUT;
        // Let go at once: a USB device held open keeps its name from the
        // same device plugged in again.
        link.line.reset();
        return T2_E_LINK_LOST;
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

// Opens the link's port wherever it leads now, exclusively, and shakes hands:
// lc_init's way in, and a lost link's way back. The reason when it cannot,
// and then nothing of it stays open.
std::string Connect(Link& link, Clock::time_point deadline)
{
    t2dev::Device device = t2dev::FindDevice(link.port);
    const std::string at = link.port + " (" + device.where + ")";
    auto fail = [&device](const std::string& reason) {
        return device.note.empty() ? reason : reason + "; " + device.note;
    };
    // Where else to look: an emulator not started, or on another port.
    const std::string emulated =
        device.folderEntry.empty() ? "" : "; an emulated reader would be at " + device.folderEntry;
    if (!device.failure.empty())
        return fail("cannot look up " + link.port + ": " + device.failure);
    if (device.path.empty())
        return fail(std::string(t2proto::kNoSuchDevice) + link.port + ": looked for " + device.where + emulated);

    // Asked before opening: not every system refuses a second open of a port
    // by the same process (Wine does not).
    if (!Claim(link, device.path))
        return fail(at + " is already open in this program");

    SerialLine::OpenError error;
    link.line = SerialLine::Open(device.path, link.baud, error, device.inFolder);
    if (!link.line) {
        switch (error.failure) {
        case SerialLine::Failure::NoDevice:
            return fail(std::string(t2proto::kNoSuchDevice) + at + ": " + error.detail + emulated);
        case SerialLine::Failure::Busy:
            return fail(at + std::string(t2proto::kHeldElsewhere));
        case SerialLine::Failure::Denied:
            return fail("permission denied on " + at +
                        ": join the serial-port group (dialout on Debian: sudo adduser $USER dialout, "
                        "then log in again)");
        default:
            return fail("cannot open " + at + ": " + error.detail);
        }
    }

    std::vector<uint8_t> data;
    int32_t code = Transact(link, t2proto::kHandshake, {}, data, deadline);
    if (code == 0 && !std::equal(t2proto::kHandshakeReply.begin(), t2proto::kHandshakeReply.end(), data.begin(),
                                 data.end()))
        code = T2_E_BAD_REPLY;
    if (code != 0) {
        link.line.reset();
        return fail(at + ": " + t2proto::CodeWords(code, t2proto::kHandshakeWords));
    }
    return {};
}

// Runs `call` on the open link `handle`, one call at a time per link.
template <class Call>
int32_t WithLink(int32_t handle, Call call)
{
    auto link = Find(handle);
    if (!link)
        return T2_E_BAD_HANDLE;
    std::lock_guard lock(link->mutex);
    if (link->closed)
        return T2_E_BAD_HANDLE;  // closed while this call waited
    // A line whose device went away is said so once, by the first call to
    // find it, which sends nothing: a caller amid a sequence of calls learns
    // that it broke, and is not carried on with whatever reader has been
    // plugged in meanwhile. The call after that opens the port again.
    if (link->line && link->line->Gone()) {
        link->line.reset();
        return T2_E_LINK_LOST;
    }
    const auto deadline = Clock::now() + kReplyTimeout;
    if (!link->line) {
        reopenFailure = Connect(*link, deadline);
        if (!reopenFailure.empty())
            return T2_E_LINK_LOST;
    }
    return call(*link, deadline);
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
    std::string why = code == 0 ? std::string() : t2proto::CodeWords(code);
    if (code == T2_E_LINK_LOST)
        why += reopenFailure.empty() ? " (a later call opens it again once the reader is back)"
                                     : ", and opening it again failed: " + reopenFailure;
    reopenFailure.clear();
    lastError = t2proto::OneLine(why);
    return code;
}

// A failed lc_init: the reason is for t2_last_error; a library prints nothing.
int32_t InitFailed(const std::string& reason)
{
    lastError = t2proto::OneLine(reason);
    return -1;
}

// lc_init's work once the port's name is known.
int32_t Open(const std::string& name, int32_t baud)
{
    if (!t2proto::IsBaudRate(baud))
        return InitFailed("no baud rate " + std::to_string(baud) + " on " + name + ": use 9600 or 115200");
    auto link = std::make_shared<Link>();
    link->port = name;
    link->baud = baud;
    if (std::string why = Connect(*link, Clock::now() + kReplyTimeout); !why.empty())
        return InitFailed(why);

    std::lock_guard lock(tableMutex);
    for (int32_t i = 0; i < kMaxLinks; ++i) {
        int32_t slot = (nextSlot + i) % kMaxLinks;
        if (!links[slot]) {
            links[slot] = std::move(link);
            nextSlot = (slot + 1) % kMaxLinks;
            return slot;
        }
    }
    return InitFailed("too many links open (" + std::to_string(kMaxLinks) + "); close one first");
}

}  // namespace

extern "C" {

T2_API int32_t T2_CALL lc_init(int32_t port, int32_t baud)
{
    lastError.clear();
    auto name = t2dev::PortName(port);
    if (!name)
        return InitFailed("no port number " + std::to_string(port) +
                          ": use 0..255 for " T2DEV_COM_NAMES " (COM101 has none: 100 is USB) or 100 for USB");
    return Open(*name, baud);
}

T2_API int32_t T2_CALL t2_open(const char* port, int32_t baud)
{
    lastError.clear();
    // No port's name is longer: the rest need not be read.
    const std::string_view given = port ? std::string_view(port, strnlen(port, t2dev::kMaxPortName + 1)) : "";
    auto name = port ? t2dev::CanonicalPortName(given) : std::nullopt;
    if (!name) {
        const std::string said = port ? t2proto::OneLine(given.substr(0, t2dev::kMaxPortName)) : "(null)";
        return InitFailed("no port " + said + ": use " + t2dev::kPortNames);
    }
    return Open(*name, baud);
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
    link->closed = true;
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
