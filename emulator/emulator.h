// A card reader on a pseudo-terminal, speaking the reader protocol
// (docs/protocol.md, docs/emulator.md). Runs on its own thread, so tests can
// hold one in-process; the reader-emulator program wraps it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "dataout/card.h"
#include "t2/devices.h"
#include "t2/frame.h"
#include "t2/protocol.h"

namespace emulator {

// Faults to inject, for tests.
struct Faults {
    bool silent = false;                 // answer nothing
    bool badCrc = false;                 // answer with a wrong checksum
    bool brokenFirst = false;            // send a copy with a wrong checksum before every reply
    std::map<uint8_t, uint8_t> refuse{}; // command -> refusal code 0x01..0xFF
    int dropAfterFrames = -1;            // answer this many more requests, then hang up on the next (-1: never; fires once)
    size_t garbageBytes = 0;             // noise sent before every reply
    std::set<uint8_t> ignore{};          // commands left unanswered, as by a reader hung after the handshake
    int loseEvery = 0;                   // every Nth request is lost on the line (0: none)
    bool misstore = false;               // stores the byte order it is sent the other way round, and says ok
};

// The values a reader holds: what it was last set to and accepted.
struct ReaderState {
    t2proto::ReadOnlyParams readOnly{.dataBase = 1, .orientation = 1};  // hexadecimal, forward, whole number, default length
    int32_t headerFlag = 0;
    t2proto::BlockRead block{255, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
    int requests = 0;   // request frames received
    int badFrames = 0;  // frames dropped for a bad checksum or length, or cut short
    int hangups = 0;    // links dropped by the fault, each done once this counts it
};

// What a reader answers to one request, without any timing or faults:
// the status, the data after it, and whether it stores settings (which takes time).
struct Answer {
    uint8_t status = t2proto::kStatusOk;
    std::vector<uint8_t> data;
    bool stores = false;
    std::string log;  // one line describing the request and the outcome
};
Answer Respond(const t2proto::Frame& request, ReaderState& state, const std::string& version);

// A data block of the cards presented, and the key that opens it.
struct CardBlock {
    std::vector<uint8_t> data;  // 1..params::kMaxBlock bytes
    std::array<uint8_t, 6> key = params::kDefaultKey;
};

class Emulator {
public:
    static constexpr const char* kDefaultVersion = "TR-200 V2.14";
    static constexpr int kDefaultStoreMs = 30;

    Emulator();
    ~Emulator();
    Emulator(const Emulator&) = delete;
    Emulator& operator=(const Emulator&) = delete;

    // Where each handled command is described, one line per call; set before Start.
    void SetLog(std::function<void(const std::string&)> log);
    // Opens a pseudo-terminal and publishes it in the device folder as
    // `portName` (a name of t2/devices.h: "USB", "COM12", "USB:1.2"); false with `error` filled in.
    bool Start(const std::string& portName, std::string* error = nullptr);
    // Hangs up and removes the device entry (if it is still ours).
    void Stop();
    // Like a reader pulled off its port: the entry goes and clients lose
    // the line at once. Called before Start, it starts unplugged.
    void Unplug();
    // Publishes a fresh tty again. With `version` it is another reader: that
    // version text, and the settings and counters of a new one. False with
    // `error` filled in, and still unplugged, when it cannot.
    bool Plug(std::optional<std::string> version = std::nullopt, std::string* error = nullptr);
    bool Plugged() const;

    void SetVersion(std::string text);  // cut to what one reply can carry
    void SetStoreMs(int ms);
    void SetFaults(Faults faults);
    // Block `address` (0..254) of every card presented from now on.
    void SetBlock(int address, CardBlock block);
    // A card with this UID (4..10 bytes) on the reader: logs, on a line of
    // its own, what the reader types for it under the settings it holds, or
    // why it types nothing; and returns that.
    params::CardText PresentCard(std::span<const uint8_t> uid);
    ReaderState State() const;
    std::string EntryPath() const;  // the published device-folder entry
    std::string TtyPath() const;    // the tty it points at

private:
    bool OpenFolder(std::string* error);
    bool Connect(std::string* error);
    bool Disconnect();  // true when it removed the entry
    bool OpenTty(std::string* error);
    void CloseTty();
    bool Publish(std::string* error);
    std::string Described() const;  // the entry, its tty and the version
    void Run();
    void Drain();  // handles what the decoder holds whole
    void Dropped(const std::string& why);
    void Handle(const t2proto::Frame& request);
    void Reply(const t2proto::Frame& request, uint8_t status, std::span<const uint8_t> data, const Faults& faults);
    void Hangup();
    bool Wait(int ms);  // false when stopping
    void Log(const std::string& line);

    // Read and set from other threads while the reader runs: guarded by mutex_.
    mutable std::mutex mutex_;
    ReaderState state_;
    Faults faults_;
    std::string version_ = kDefaultVersion;
    int storeMs_ = kDefaultStoreMs;
    int framesSinceFaults_ = 0;
    std::map<int, CardBlock> blocks_;
    std::string entry_;
    std::string tty_;

    // Set before the reader's thread starts or after it ends, and otherwise
    // touched by that thread alone.
    std::function<void(const std::string&)> log_;
    std::string portName_;
    t2dev::Fd folder_;  // the device folder, checked once and used for every entry change; open while started
    std::atomic<bool> plugged_{true};
    int master_ = -1;
    int keepalive_ = -1;  // our own slave descriptor: clients come and go without the master seeing a hang-up
    int wake_[2] = {-1, -1};
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    t2proto::Decoder decoder_;
};

}  // namespace emulator
