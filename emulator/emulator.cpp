#include "emulator/emulator.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include "t2/devices.h"
#include "t2/one_line.h"
#include "t2/t2.h"

namespace emulator {

namespace {

std::string Code(unsigned code)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", code);
    return text;
}

std::string NameOf(uint8_t command)
{
    std::string_view name = t2proto::CommandName(command);
    return name.empty() ? "command " + Code(command) : std::string(name);
}

// A version for the emulator's own terminal, which its bytes must not drive.
std::string Quoted(const std::string& text)
{
    constexpr size_t kShown = 40;
    const std::string shown = t2proto::OneLine(std::string_view(text).substr(0, kShown));
    return "\"" + shown + (text.size() > kShown ? "..." : "") + "\" (" + std::to_string(text.size()) + " bytes)";
}

// Gives up on what a client leaves unread for a second, and at once on `wake`.
void WriteAll(int fd, int wake, std::span<const uint8_t> bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        struct pollfd p[2] = {{fd, POLLOUT, 0}, {wake, POLLIN, 0}};
        if (poll(p, 2, 1000) <= 0 || p[1].revents)
            return;
    }
}

}  // namespace

Answer Respond(const t2proto::Frame& request, ReaderState& state, const std::string& version)
{
    Answer a;
    const auto& payload = request.payload;
    auto refuse = [&a](uint8_t code, const std::string& why) {
        a.status = code;
        a.data.clear();
        a.stores = false;
        a.log += " -> refused " + Code(code) + " (" + why + ")";
        return a;
    };
    auto wrongLength = [&](size_t expected) {
        return refuse(T2_READER_E_LENGTH,
                      std::to_string(payload.size()) + " bytes, not " + std::to_string(expected));
    };
    switch (request.command) {
    case t2proto::kHandshake:
        a.log = "handshake";
        a.data.assign(t2proto::kHandshakeReply.begin(), t2proto::kHandshakeReply.end());
        break;
    case t2proto::kGetVersion:
        a.log = "version " + Quoted(version);
        a.data.assign(version.begin(), version.end());
        break;
    case t2proto::kSetReadOnly: {
        a.log = "readonly";
        auto p = t2proto::DecodeReadOnly(payload);
        if (!p)
            return wrongLength(t2proto::kReadOnlySize);
        a.log += " dataBase=" + std::to_string(p->dataBase) + " orientation=" + std::to_string(p->orientation) +
                 " snSize=" + std::to_string(p->snSize) + " outLength=" + std::to_string(p->outLength) +
                 " aux8=" + params::BytesToHex(p->aux8) + " auxA=" + params::BytesToHex(p->auxA) +
                 " auxB=" + params::BytesToHex(p->auxB);
        if (std::string problem = params::SettingProblem(
                {.dataBase = p->dataBase, .orientation = p->orientation, .snSize = p->snSize, .outLength = p->outLength});
            !problem.empty())
            return refuse(T2_READER_E_RANGE, problem);
        state.readOnly = *p;
        a.stores = true;
        break;
    }
    case t2proto::kSetHeader: {
        a.log = "header";
        if (payload.size() != 4)
            return wrongLength(4);
        int32_t flag = t2proto::GetInt32(payload.data());
        a.log += " flag=" + std::to_string(flag);
        if (std::string problem = params::SettingProblem({.headerFlag = flag}); !problem.empty())
            return refuse(T2_READER_E_RANGE, problem);
        state.headerFlag = flag;
        a.stores = true;
        break;
    }
    case t2proto::kSetBlockRead: {
        a.log = "block";
        auto b = t2proto::DecodeBlockRead(payload);
        if (!b)
            return wrongLength(t2proto::kBlockReadSize);
        a.log += " address=" + std::to_string(b->address) + " key=" + params::BytesToHex(b->key);
        if (std::string problem = params::SettingProblem({.blockAddress = b->address}); !problem.empty())
            return refuse(T2_READER_E_RANGE, problem);
        state.block = *b;
        a.stores = true;
        break;
    }
    default:
        a.log = NameOf(request.command);
        return refuse(T2_READER_E_COMMAND, "unknown command");
    }
    a.log += " -> ok";
    return a;
}

Emulator::Emulator() = default;

Emulator::~Emulator()
{
    Stop();
}

void Emulator::SetLog(std::function<void(const std::string&)> log)
{
    log_ = std::move(log);
}

bool Emulator::Start(const std::string& portName, std::string* error)
{
    auto fail = [error](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    if (folder_)
        return fail("already running");
    const auto name = t2dev::CanonicalPortName(portName);
    if (!name)
        return fail("no port " + portName + ": use " + t2dev::kPortNames);
    portName_ = *name;
    std::string why;
    if (!OpenFolder(&why) || (plugged_ && !Connect(&why))) {
        folder_ = {};
        return fail(why);
    }
    Log(plugged_ ? "reader on " + portName_ + ": " + Described() : "reader for " + portName_ + ", unplugged");
    return true;
}

void Emulator::Stop()
{
    const std::string entry = EntryPath();
    if (Disconnect())
        Log("stopped; removed " + entry);
    folder_ = {};
}

void Emulator::Unplug()
{
    if (!plugged_.exchange(false) || !folder_)
        return;
    const std::string entry = EntryPath();
    Log(Disconnect() ? "unplugged; removed " + entry : "unplugged");
}

bool Emulator::Plug(std::optional<std::string> version, std::string* error)
{
    if (plugged_)
        return true;
    if (version) {
        SetVersion(std::move(*version));
        std::lock_guard lock(mutex_);
        state_ = {};
    }
    std::string why;
    if (folder_ && !Connect(&why)) {
        if (error)
            *error = why;
        return false;
    }
    plugged_ = true;
    if (folder_)
        Log("plugged in on " + portName_ + ": " + Described());
    return true;
}

bool Emulator::Plugged() const
{
    return plugged_;
}

void Emulator::SetVersion(std::string text)
{
    text.resize(std::min(text.size(), t2proto::kMaxPayload - 1));  // the status byte comes first
    std::lock_guard lock(mutex_);
    version_ = std::move(text);
}

void Emulator::SetStoreMs(int ms)
{
    std::lock_guard lock(mutex_);
    storeMs_ = std::max(ms, 0);
}

void Emulator::SetFaults(Faults faults)
{
    std::lock_guard lock(mutex_);
    faults_ = std::move(faults);
    framesSinceFaults_ = 0;
}

void Emulator::SetBlock(int address, CardBlock block)
{
    std::lock_guard lock(mutex_);
    blocks_[address] = std::move(block);
}

params::CardText Emulator::PresentCard(std::span<const uint8_t> uid)
{
    ReaderState held;
    std::optional<CardBlock> block;
    {
        std::lock_guard lock(mutex_);
        held = state_;
        if (auto found = blocks_.find(held.block.address); found != blocks_.end())
            block = found->second;
    }
    const params::CardSettings settings{.dataBase = held.readOnly.dataBase,
                                        .orientation = held.readOnly.orientation,
                                        .snSize = held.readOnly.snSize,
                                        .outLength = held.readOnly.outLength,
                                        .headerFlag = held.headerFlag,
                                        .blockAddress = held.block.address};
    const int address = held.block.address;
    params::CardText out;
    if (!plugged_)
        out.problem = "the reader is unplugged";
    else if (address == params::kBlockUid)
        out = params::FormatCard(uid, settings);
    else if (!block)
        out.problem = "block " + std::to_string(address) + " of the card holds no data (see --block)";
    else if (block->key != held.block.key)
        out.problem = "the key sent with Set, " + params::BytesToHex(held.block.key) + ", does not open block " +
                      std::to_string(address) + " (its key is " + params::BytesToHex(block->key) + ")";
    else
        out = params::FormatCard(block->data, settings);
    Log(out.problem.empty() ? params::Shown(out.typed)
                            : "card " + params::BytesToHex(uid) + ": types nothing: " + out.problem);
    return out;
}

ReaderState Emulator::State() const
{
    std::lock_guard lock(mutex_);
    return state_;
}

std::string Emulator::EntryPath() const
{
    std::lock_guard lock(mutex_);
    return entry_;
}

std::string Emulator::TtyPath() const
{
    std::lock_guard lock(mutex_);
    return tty_;
}

bool Emulator::OpenTty(std::string* error)
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128] = {};
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname_r(master_, name, sizeof name) != 0) {
        *error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    keepalive_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    struct termios tio{};
    if (keepalive_ < 0 || tcgetattr(keepalive_, &tio) != 0) {
        *error = std::string("cannot open ") + name + ": " + std::strerror(errno);
        return false;
    }
    // Raw from the start: no echo of our replies back to us, no line editing.
    cfmakeraw(&tio);
    tcsetattr(keepalive_, TCSANOW, &tio);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    decoder_.Reset();
    std::lock_guard lock(mutex_);
    tty_ = name;
    return true;
}

void Emulator::CloseTty()
{
    for (int* fd : {&keepalive_, &master_}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
}

bool Emulator::OpenFolder(std::string* error)
{
    std::string folder = t2dev::DeviceFolderPath();
    mkdir(folder.c_str(), 0700);  // when missing; whatever is there is checked next
    t2dev::FolderCheck check = t2dev::OpenFolder(folder);
    if (check.state != t2dev::FolderState::Usable) {
        *error = "cannot use device folder " + folder + ": " + check.why;
        return false;
    }
    folder_ = std::move(check.folder);
    return true;
}

bool Emulator::Publish(std::string* error)
{
    std::string folder = t2dev::DeviceFolderPath();
    if (std::string why = t2dev::PublishEntry(folder_.get(), portName_, TtyPath()); !why.empty()) {
        *error = "cannot publish " + folder + "/" + portName_ + ": " + why;
        return false;
    }
    std::lock_guard lock(mutex_);
    entry_ = folder + "/" + portName_;
    return true;
}

bool Emulator::Connect(std::string* error)
{
    if (pipe2(wake_, O_CLOEXEC) != 0) {
        *error = std::string("cannot make a pipe: ") + std::strerror(errno);
    } else if (OpenTty(error) && Publish(error)) {
        stopping_ = false;
        thread_ = std::thread(&Emulator::Run, this);
        return true;
    }
    Disconnect();
    return false;
}

bool Emulator::Disconnect()
{
    if (thread_.joinable()) {
        stopping_ = true;
        [[maybe_unused]] ssize_t n = write(wake_[1], "x", 1);
        thread_.join();
    }
    // A newer reader may have published over ours: its entry stays.
    const bool removed = folder_ && !EntryPath().empty() && t2dev::RemoveEntry(folder_.get(), portName_, TtyPath());
    CloseTty();
    for (int& fd : wake_) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
    std::lock_guard lock(mutex_);
    entry_.clear();
    tty_.clear();
    return removed;
}

std::string Emulator::Described() const
{
    std::lock_guard lock(mutex_);
    return entry_ + " -> " + tty_ + ", version " + Quoted(version_);
}

void Emulator::Run()
{
    // A frame begun and then left this long without a byte is not coming
    // whole (a client went away mid-frame); a reader gives up on it too. Some
    // hundred byte times at 9600 baud, yet well inside the library's reply
    // bound, so a request caught behind the cut frame is still answered.
    constexpr int kGapMs = 100;
    uint8_t buffer[1024];
    while (!stopping_) {
        struct pollfd fds[2] = {{master_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        const int ready = poll(fds, 2, decoder_.Pending() ? kGapMs : -1);
        if (ready < 0 && errno != EINTR)
            break;
        if (fds[1].revents)
            break;
        if (ready == 0) {
            while (!stopping_ && decoder_.Pending()) {
                Dropped("cut short (" + std::to_string(decoder_.Pending()) + " bytes, then nothing for " +
                        std::to_string(kGapMs) + " ms)");
                decoder_.DropPartial();
                Drain();
            }
            continue;
        }
        if (!(fds[0].revents & POLLIN)) {
            if (fds[0].revents && !Wait(50))  // nothing to read yet not idle: do not spin
                break;
            continue;
        }
        ssize_t n = read(master_, buffer, sizeof buffer);
        if (n <= 0)
            continue;
        decoder_.Feed({buffer, static_cast<size_t>(n)});
        Drain();
    }
}

void Emulator::Drain()
{
    while (!stopping_) {
        auto event = decoder_.Next();
        if (!event)
            break;
        if (event->kind == t2proto::Decoder::Kind::Frame) {
            Handle(event->frame);
            continue;
        }
        Dropped(event->kind == t2proto::Decoder::Kind::BadCrc ? "with a bad checksum" : "with an oversize length");
    }
}

void Emulator::Dropped(const std::string& why)
{
    {
        std::lock_guard lock(mutex_);
        ++state_.badFrames;
    }
    Log("frame " + why + " ignored");
}

void Emulator::Handle(const t2proto::Frame& request)
{
    if (request.command & t2proto::kReplyBit)
        return;  // a reply, not a request: nothing a reader answers
    Faults faults;
    std::string version;
    int storeMs = 0;
    ReaderState next;
    bool drop = false;
    bool lost = false;
    {
        std::lock_guard lock(mutex_);
        ++state_.requests;
        lost = faults_.loseEvery > 0 && state_.requests % faults_.loseEvery == 0;
        faults = faults_;
        version = version_;
        storeMs = storeMs_;
        next = state_;
        drop = faults_.dropAfterFrames >= 0 && framesSinceFaults_++ >= faults_.dropAfterFrames;
        if (drop)
            faults_.dropAfterFrames = -1;
    }
    std::string name = NameOf(request.command);
    if (drop) {
        Hangup();
        Log(name + ": hung up (fault); " + portName_ + " now -> " + TtyPath());
        return;
    }
    if (faults.silent || faults.ignore.contains(request.command) || lost) {
        Log(name + (lost ? ": lost on the line (fault)" : ": no answer (fault)"));
        return;
    }
    // Each line is logged before its reply leaves: whoever reads the log once
    // the reply is in finds the line there.
    if (auto refusal = faults.refuse.find(request.command); refusal != faults.refuse.end()) {
        Log(name + " -> refused " + Code(refusal->second) + " (fault)");
        Reply(request, refusal->second, {}, faults);
        return;
    }
    Answer answer = Respond(request, next, version);
    std::string stored;
    // Firmware that takes the value and keeps another: the Set says ok, the cards say otherwise.
    if (answer.stores && faults.misstore && request.command == t2proto::kSetReadOnly) {
        next.readOnly.orientation = next.readOnly.orientation == params::Forward ? params::Reverse : params::Forward;
        stored = " (fault: stored orientation=" + std::to_string(next.readOnly.orientation) + ")";
    }
    if (answer.stores) {
        if (!Wait(storeMs))
            return;
        std::lock_guard lock(mutex_);
        state_.readOnly = next.readOnly;
        state_.headerFlag = next.headerFlag;
        state_.block = next.block;
    }
    std::string suffix;
    if (faults.garbageBytes)
        suffix += " after " + std::to_string(faults.garbageBytes) + " garbage bytes";
    if (faults.badCrc)
        suffix += " with a bad checksum";
    Log(answer.log + stored + (suffix.empty() ? "" : " (fault: sent" + suffix + ")"));
    Reply(request, answer.status, answer.data, faults);
}

void Emulator::Reply(const t2proto::Frame& request, uint8_t status, std::span<const uint8_t> data,
                     const Faults& faults)
{
    std::vector<uint8_t> bytes;
    // Noise free of the start marker's first byte, so it reads as plain garbage.
    for (size_t i = 0; i < faults.garbageBytes; ++i) {
        auto b = static_cast<uint8_t>(i * 37 + 11);
        bytes.push_back(b == t2proto::kMarker0 ? 0 : b);
    }
    std::vector<uint8_t> payload{status};
    payload.insert(payload.end(), data.begin(), data.end());
    std::vector<uint8_t> frame =
        t2proto::Encode({static_cast<uint8_t>(request.command | t2proto::kReplyBit), payload, request.sequence});
    std::vector<uint8_t> broken = frame;
    broken.back() ^= 0xFF;
    if (faults.brokenFirst)
        bytes.insert(bytes.end(), broken.begin(), broken.end());
    const auto& sent = faults.badCrc ? broken : frame;
    bytes.insert(bytes.end(), sent.begin(), sent.end());
    WriteAll(master_, wake_[0], bytes);
}

// Like a reader pulled off the cable and plugged in again: clients lose their
// line, and the entry points at a fresh tty. The fresh one is opened and
// published before the old one closes, so it has another name and the entry
// never points at nothing.
void Emulator::Hangup()
{
    int oldMaster = std::exchange(master_, -1);
    int oldKeepalive = std::exchange(keepalive_, -1);
    std::string why;
    if (!OpenTty(&why) || !Publish(&why))
        Log("cannot come back after hanging up: " + why);
    close(oldKeepalive);
    close(oldMaster);
    std::lock_guard lock(mutex_);
    ++state_.hangups;
}

bool Emulator::Wait(int ms)
{
    struct pollfd p{wake_[0], POLLIN, 0};
    poll(&p, 1, ms);
    return !stopping_;
}

void Emulator::Log(const std::string& line)
{
    if (log_)
        log_(line);
}

}  // namespace emulator
