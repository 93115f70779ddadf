// The real libt2 against in-process emulated readers on pseudo-terminals,
// found through a private device folder.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/select.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <tuple>

#include "emulator/emulator.h"
#include "t2/devices.h"
#include "t2/t2.h"
#include "tests/support/DeviceFolder.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using emulator::Emulator;
using emulator::Faults;

constexpr int32_t kUsb = 100;
constexpr int32_t kCom3 = 2;
constexpr auto kBound = std::chrono::milliseconds(T2_REPLY_TIMEOUT_MS);
constexpr auto kSlack = 300ms;  // scheduling on a loaded machine, not the library's own time

const unsigned char kAux8[8] = {1, 2, 3, 4, 5, 6, 7, 8};
const unsigned char kAuxA[3] = {9, 10, 11};
const unsigned char kAuxB[3] = {12, 13, 14};
const unsigned char kKey[6] = {0x3A, 0x7F, 0x19, 0xC2, 0xE8, 0x45};

int OpenFds()
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

struct Timed {
    int32_t result;
    Clock::duration took;
};
Timed Time(const std::function<int32_t()>& call)
{
    auto start = Clock::now();
    int32_t result = call();
    return {result, Clock::now() - start};
}

struct Init {
    int32_t handle;
    std::string message;  // t2_last_error's
};
// The library says why through t2_last_error alone: it prints nothing.
Init InitWithReason(int32_t port, int32_t baud = 9600)
{
    testing::internal::CaptureStderr();
    int32_t handle = lc_init(port, baud);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    return {handle, t2_last_error()};
}

// In a child: whether lc_init failed, its reason on standard error.
int InitFailsSaying(int32_t port)
{
    const bool failed = lc_init(port, 9600) == -1;
    std::fprintf(stderr, "%s\n", t2_last_error());
    return failed ? 0 : 1;
}

// Waits (a bounded while) until the reader has come back from a hang-up.
void WaitForHangups(const Emulator& reader, int count)
{
    for (auto until = Clock::now() + 30s; reader.State().hangups < count && Clock::now() < until;)
        std::this_thread::sleep_for(5ms);
    ASSERT_EQ(reader.State().hangups, count);
}

// A device-folder entry made by hand.
void Publish(const std::string& folder, const std::string& port, const std::string& target)
{
    std::filesystem::create_directory(folder);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    std::filesystem::create_symlink(target, folder + "/" + port);
}

bool NoUsbSerialOnThisMachine()
{
    return access("/dev/ttyUSB0", F_OK) != 0 && access("/dev/ttyACM0", F_OK) != 0;
}

class Link : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.Ok()); }
    void TearDown() override { readers_.clear(); }
    Emulator& StartReader(const std::string& port = "USB")
    {
        auto& reader = readers_.emplace_back(std::make_unique<Emulator>());
        std::string error;
        EXPECT_TRUE(reader->Start(port, &error)) << error;
        reader->SetStoreMs(5);
        return *reader;
    }
    std::string Folder() const { return folder_.Path(); }

    DeviceFolder folder_;
    std::vector<std::unique_ptr<Emulator>> readers_;
};

TEST_F(Link, EveryOperationReachesTheReader)
{
    Emulator& reader = StartReader();
    int32_t h = lc_init(kUsb, 9600);
    ASSERT_GE(h, 0);

    unsigned char text[256];
    int32_t length = -1;
    EXPECT_EQ(lc_getver(h, text, &length), 0);
    EXPECT_STREQ(reinterpret_cast<char*>(text), Emulator::kDefaultVersion);
    EXPECT_EQ(length, static_cast<int32_t>(strlen(Emulator::kDefaultVersion)));

    EXPECT_EQ(lc_setReadOnlyPara(h, 2, kAux8, 0, 0xF3, 14, kAuxA, kAuxB), 0);
    EXPECT_EQ(lc_setReaderOnlyHead(h, 1), 0);
    EXPECT_EQ(lc_setBlockReadPara(h, 7, kKey), 0);

    auto state = reader.State();
    EXPECT_EQ(state.readOnly,
              (t2proto::ReadOnlyParams{2, {1, 2, 3, 4, 5, 6, 7, 8}, 0, 0xF3, 14, {9, 10, 11}, {12, 13, 14}}));
    EXPECT_EQ(state.headerFlag, 1);
    EXPECT_EQ(state.block, (t2proto::BlockRead{7, {0x3A, 0x7F, 0x19, 0xC2, 0xE8, 0x45}}));
    EXPECT_EQ(state.requests, 5);  // with the handshake
    EXPECT_EQ(state.badFrames, 0);
    EXPECT_EQ(lc_exit(h), 0);
}

TEST_F(Link, ReaderRefusesValuesOutOfRangeAndKeepsWhatItHad)
{
    Emulator& reader = StartReader();
    int32_t h = lc_init(kUsb, 115200);
    ASSERT_GE(h, 0);
    auto readOnly = [h](int32_t base, int32_t orientation, int32_t size, int32_t out) {
        return lc_setReadOnlyPara(h, base, kAux8, orientation, size, out, kAuxA, kAuxB);
    };
    struct Case {
        const char* name;
        std::function<int32_t()> call;
        bool accepted;
    };
    const Case cases[] = {
        {"dataBase 3", [&] { return readOnly(3, 1, 4, 8); }, true},
        {"dataBase 4", [&] { return readOnly(4, 1, 4, 8); }, false},
        {"dataBase -1", [&] { return readOnly(-1, 1, 4, 8); }, false},
        {"orientation 2", [&] { return readOnly(0, 2, 4, 8); }, false},
        {"snSize 15", [&] { return readOnly(0, 1, 15, 8); }, true},
        {"snSize 16", [&] { return readOnly(0, 1, 16, 8); }, false},
        {"snSize 0xEF", [&] { return readOnly(0, 1, 0xEF, 8); }, false},
        {"snSize 0xF0", [&] { return readOnly(0, 1, 0xF0, 8); }, true},
        {"snSize 0xFF", [&] { return readOnly(0, 1, 0xFF, 8); }, true},
        {"snSize -5 OR 0xF0", [&] { return readOnly(0, 1, -5 | 0xF0, 8); }, true},
        {"snSize -17", [&] { return readOnly(0, 1, -17, 8); }, false},
        {"snSize 0x100", [&] { return readOnly(0, 1, 0x100, 8); }, false},
        {"outLength 99", [&] { return readOnly(0, 1, 4, 99); }, true},
        {"outLength 100", [&] { return readOnly(0, 1, 4, 100); }, false},
        {"outLength -1", [&] { return readOnly(0, 1, 4, -1); }, false},
        {"header 2", [&] { return lc_setReaderOnlyHead(h, 2); }, false},
        {"header -1", [&] { return lc_setReaderOnlyHead(h, -1); }, false},
        {"block 0", [&] { return lc_setBlockReadPara(h, 0, kKey); }, true},
        {"block 255", [&] { return lc_setBlockReadPara(h, 255, kKey); }, true},
        {"block 256", [&] { return lc_setBlockReadPara(h, 256, kKey); }, false},
        {"block -1", [&] { return lc_setBlockReadPara(h, -1, kKey); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto before = reader.State();
        int32_t result = c.call();
        auto after = reader.State();
        if (c.accepted) {
            EXPECT_EQ(result, 0);
            continue;
        }
        EXPECT_EQ(result, T2_READER_E_RANGE);
        EXPECT_EQ(after.readOnly, before.readOnly);
        EXPECT_EQ(after.headerFlag, before.headerFlag);
        EXPECT_EQ(after.block, before.block);
    }
    EXPECT_EQ(reader.State().block.address, 255);
    EXPECT_EQ(lc_exit(h), 0);
}

TEST_F(Link, SeveralLinksAtOnceEachReachItsOwnReader)
{
    Emulator& usb = StartReader("USB");
    Emulator& com3 = StartReader("COM3");
    int32_t a = lc_init(kUsb, 9600);
    int32_t b = lc_init(kCom3, 9600);
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    EXPECT_NE(a, b);
    EXPECT_EQ(lc_setBlockReadPara(a, 10, kKey), 0);
    EXPECT_EQ(lc_setBlockReadPara(b, 20, kKey), 0);
    EXPECT_EQ(usb.State().block.address, 10);
    EXPECT_EQ(com3.State().block.address, 20);
    EXPECT_EQ(lc_exit(a), 0);
    EXPECT_EQ(lc_setReaderOnlyHead(b, 1), 0);  // the other link lives on
    EXPECT_EQ(lc_exit(b), 0);
}

TEST_F(Link, ClosedOrUnknownHandlesAreRefused)
{
    StartReader();
    int32_t h = lc_init(kUsb, 9600);
    ASSERT_GE(h, 0);
    ASSERT_EQ(lc_exit(h), 0);
    unsigned char text[256];
    for (int32_t handle : {h, -1, 31, 32, 1 << 30}) {
        SCOPED_TRACE(handle);
        EXPECT_EQ(lc_getver(handle, text, nullptr), T2_E_BAD_HANDLE);
        EXPECT_EQ(text[0], 0);
        EXPECT_EQ(lc_setReadOnlyPara(handle, 0, kAux8, 1, 4, 10, kAuxA, kAuxB), T2_E_BAD_HANDLE);
        EXPECT_EQ(lc_setReaderOnlyHead(handle, 0), T2_E_BAD_HANDLE);
        EXPECT_EQ(lc_setBlockReadPara(handle, 255, kKey), T2_E_BAD_HANDLE);
        EXPECT_EQ(lc_exit(handle), T2_E_BAD_HANDLE);
    }
}

TEST_F(Link, NullBuffersAreRefusedBeforeAnythingIsSent)
{
    Emulator& reader = StartReader();
    int32_t h = lc_init(kUsb, 9600);
    ASSERT_GE(h, 0);
    int32_t length = -1;
    EXPECT_EQ(lc_getver(h, nullptr, &length), T2_E_BAD_ARGUMENT);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(lc_setReadOnlyPara(h, 0, nullptr, 1, 4, 10, kAuxA, kAuxB), T2_E_BAD_ARGUMENT);
    EXPECT_EQ(lc_setReadOnlyPara(h, 0, kAux8, 1, 4, 10, nullptr, kAuxB), T2_E_BAD_ARGUMENT);
    EXPECT_EQ(lc_setReadOnlyPara(h, 0, kAux8, 1, 4, 10, kAuxA, nullptr), T2_E_BAD_ARGUMENT);
    EXPECT_EQ(lc_setBlockReadPara(h, 255, nullptr), T2_E_BAD_ARGUMENT);
    EXPECT_EQ(reader.State().requests, 1);
    EXPECT_EQ(lc_exit(h), 0);
}

TEST_F(Link, VersionTextIsCutTo255AndAlwaysTerminated)
{
    Emulator& reader = StartReader();
    int32_t h = lc_init(kUsb, 9600);
    ASSERT_GE(h, 0);
    for (size_t size : {0, 1, 255, 256, 300, 511}) {
        SCOPED_TRACE(size);
        std::string version(size, 'v');
        reader.SetVersion(version);
        unsigned char buffer[300];
        std::fill(std::begin(buffer), std::end(buffer), 0xEE);
        int32_t length = -1;
        ASSERT_EQ(lc_getver(h, buffer, &length), 0);
        size_t kept = std::min<size_t>(size, 255);
        EXPECT_EQ(length, static_cast<int32_t>(kept));
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer)), version.substr(0, kept));
        EXPECT_TRUE(std::all_of(buffer + 256, std::end(buffer), [](unsigned char b) { return b == 0xEE; }));
    }
    EXPECT_EQ(lc_getver(h, std::array<unsigned char, 256>{}.data(), nullptr), 0);  // length not wanted
    EXPECT_EQ(lc_exit(h), 0);
}

// Each fault on each operation: its code within the bound, and nothing left open.
struct FaultCase {
    const char* name;
    Faults faults;
    int32_t expected;
};

void PrintTo(const FaultCase& c, std::ostream* os)
{
    *os << c.name;
}

class LinkFault : public Link, public testing::WithParamInterface<FaultCase> {};

TEST_P(LinkFault, GivesItsCodeWithinTheBound)
{
    const FaultCase& c = GetParam();
    const std::pair<const char*, std::function<int32_t(int32_t)>> operations[] = {
        {"getver", [](int32_t h) { unsigned char t[256]; return lc_getver(h, t, nullptr); }},
        {"readonly", [](int32_t h) { return lc_setReadOnlyPara(h, 0, kAux8, 1, 4, 10, kAuxA, kAuxB); }},
        {"header", [](int32_t h) { return lc_setReaderOnlyHead(h, 1); }},
        {"block", [](int32_t h) { return lc_setBlockReadPara(h, 255, kKey); }},
    };
    Emulator& reader = StartReader();
    int fds = OpenFds();
    for (const auto& [name, operation] : operations) {
        SCOPED_TRACE(name);
        int32_t h = lc_init(kUsb, 9600);
        ASSERT_GE(h, 0);
        int hangups = reader.State().hangups;
        reader.SetFaults(c.faults);
        Timed call = Time([&, &operation = operation] { return operation(h); });
        EXPECT_EQ(call.result, c.expected);
        EXPECT_LT(call.took, kBound + kSlack);
        if (c.expected == T2_E_LINK_LOST) {
            // The reader comes back at once on a fresh tty, which the next call takes up.
            WaitForHangups(reader, hangups + 1);
            EXPECT_EQ(operation(h), 0);
        }
        reader.SetFaults({});
        EXPECT_EQ(lc_exit(h), 0);
        EXPECT_EQ(OpenFds(), fds);
    }
}

Faults Refusing(uint8_t command, uint8_t code)
{
    Faults f;
    f.refuse[command] = code;
    return f;
}

Faults RefusingAll(uint8_t code)
{
    Faults f;
    for (uint8_t command : {t2proto::kGetVersion, t2proto::kSetReadOnly, t2proto::kSetHeader, t2proto::kSetBlockRead})
        f.refuse[command] = code;
    return f;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LinkFault,
    testing::Values(FaultCase{"silent", {.silent = true}, T2_E_TIMEOUT},
                    FaultCase{"bad_crc", {.badCrc = true}, T2_E_BAD_CRC},
                    FaultCase{"hang_up", {.dropAfterFrames = 0}, T2_E_LINK_LOST},
                    FaultCase{"garbage_before_reply", {.garbageBytes = 40}, 0},
                    FaultCase{"broken_frame_before_reply", {.brokenFirst = true}, 0},
                    FaultCase{"refused_0x01", RefusingAll(0x01), 0x01},
                    FaultCase{"refused_0xFF", RefusingAll(0xFF), 0xFF}),
    [](const auto& info) { return std::string(info.param.name); });

// A client that goes away mid-frame leaves its start behind in the reader;
// the next client's request comes in after it and must still be answered.
TEST_F(Link, AFrameCutShortDoesNotSilenceTheReaderForTheNextClient)
{
    using Bytes = std::vector<uint8_t>;
    struct Case {
        const char* name;
        Bytes cut;
    };
    const Case cases[] = {
        {"512 bytes announced, 10 sent", {0xA5, 0x5A, 0x00, 0x02, 0x02, 0x07, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"header announcing 40 bytes", {0xA5, 0x5A, 40, 0x00, 0x02, 0x07}},
        {"lone marker byte", {0xA5}},
    };
    Emulator& reader = StartReader();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int client = open(reader.TtyPath().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(client, 0);
        ASSERT_EQ(write(client, c.cut.data(), c.cut.size()), static_cast<ssize_t>(c.cut.size()));
        close(client);
        Timed init = Time([] { return lc_init(kUsb, 9600); });
        EXPECT_GE(init.result, 0);
        EXPECT_LT(init.took, kBound + kSlack);
        lc_exit(init.result);
    }
}

TEST_F(Link, RefusalOfOneCommandLeavesTheOthers)
{
    Emulator& reader = StartReader();
    int32_t h = lc_init(kUsb, 9600);
    ASSERT_GE(h, 0);
    reader.SetFaults(Refusing(t2proto::kSetReadOnly, 0x05));
    EXPECT_EQ(lc_setReadOnlyPara(h, 0, kAux8, 1, 4, 10, kAuxA, kAuxB), 0x05);
    EXPECT_EQ(lc_setBlockReadPara(h, 255, kKey), 0);
    EXPECT_EQ(lc_exit(h), 0);
}

TEST_F(Link, ALateReplyIsNeverTakenForTheNextCall)
{
    Emulator& reader = StartReader();
    int32_t h = lc_init(kUsb, 9600);
    ASSERT_GE(h, 0);
    reader.SetStoreMs(T2_REPLY_TIMEOUT_MS + 200);  // its "ok" comes while the next call waits
    EXPECT_EQ(lc_setReaderOnlyHead(h, 1), T2_E_TIMEOUT);
    reader.SetFaults(Refusing(t2proto::kSetHeader, 0x08));
    EXPECT_EQ(lc_setReaderOnlyHead(h, 1), 0x08);
    EXPECT_EQ(lc_exit(h), 0);
}

// Another link's calls must not bring a late reply's sequence round again.
TEST_F(Link, ALateReplyIsNeverTakenForACallAfterOtherLinksCalls)
{
    Emulator& a = StartReader("USB");
    StartReader("COM3");
    int32_t ha = lc_init(kUsb, 9600);
    int32_t hb = lc_init(kCom3, 9600);
    ASSERT_GE(ha, 0);
    ASSERT_GE(hb, 0);
    unsigned char text[256];
    auto versions = [&] {
        auto start = Clock::now();
        for (int i = 0; i < 255; ++i)
            EXPECT_EQ(lc_getver(hb, text, nullptr), 0);
        return Clock::now() - start;
    };
    // A's "ok" comes while its next call waits, however long B's calls take.
    a.SetStoreMs(static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                      kBound + 2 * versions() + 100ms).count()));
    EXPECT_EQ(lc_setReaderOnlyHead(ha, 1), T2_E_TIMEOUT);
    versions();
    a.SetFaults(Refusing(t2proto::kSetHeader, 0x05));
    EXPECT_EQ(lc_setReaderOnlyHead(ha, 5), 0x05);
    EXPECT_EQ(lc_exit(ha), 0);
    EXPECT_EQ(lc_exit(hb), 0);
}

TEST_F(Link, AfterAHangUpTheReaderCanBeOpenedAgain)
{
    Emulator& reader = StartReader();
    int32_t h = lc_init(kUsb, 9600);
    ASSERT_GE(h, 0);
    std::string before = reader.TtyPath();
    reader.SetFaults({.dropAfterFrames = 1});
    EXPECT_EQ(lc_setReaderOnlyHead(h, 1), 0);
    EXPECT_EQ(lc_setBlockReadPara(h, 9, kKey), T2_E_LINK_LOST);
    EXPECT_EQ(lc_exit(h), 0);
    EXPECT_NE(reader.TtyPath(), before);
    h = lc_init(kUsb, 9600);
    ASSERT_GE(h, 0);
    EXPECT_EQ(lc_setBlockReadPara(h, 9, kKey), 0);
    EXPECT_EQ(reader.State().block.address, 9);
    EXPECT_EQ(lc_exit(h), 0);
}

TEST_F(Link, ReaderGoingAwayIsSeenAtOnce)
{
    Emulator& reader = StartReader();
    int32_t h = lc_init(kUsb, 9600);
    ASSERT_GE(h, 0);
    reader.Stop();
    Timed call = Time([h] { return lc_setReaderOnlyHead(h, 0); });
    EXPECT_EQ(call.result, T2_E_LINK_LOST);
    EXPECT_LT(call.took, kBound / 2);
    EXPECT_EQ(lc_exit(h), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(Folder() + "/USB")));
}

TEST_F(Link, UnpluggedReaderIsGoneUntilPluggedInAgain)
{
    if (!NoUsbSerialOnThisMachine())
        GTEST_SKIP() << "a USB serial port here would be found instead";
    Emulator& reader = StartReader();
    int32_t h = lc_init(kUsb, 9600);
    ASSERT_GE(h, 0);
    EXPECT_EQ(lc_setBlockReadPara(h, 9, kKey), 0);
    reader.Unplug();
    Timed call = Time([h] { return lc_setReaderOnlyHead(h, 1); });
    EXPECT_EQ(call.result, T2_E_LINK_LOST);
    EXPECT_LT(call.took, kBound / 2);
    EXPECT_EQ(lc_exit(h), 0);
    Init init = InitWithReason(kUsb);
    EXPECT_EQ(init.handle, -1);
    EXPECT_NE(init.message.find("no such device for USB"), std::string::npos) << init.message;

    // With a version it is another reader, holding a new one's settings.
    struct Case {
        std::optional<std::string> version;
        const char* answers;
        int blockHeld;
    };
    const Case cases[] = {{"TR-200 V2.14 #0002", "TR-200 V2.14 #0002", 255}, {std::nullopt, "TR-200 V2.14 #0002", 9}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version.value_or("no version"));
        reader.Unplug();
        std::string error;
        ASSERT_TRUE(reader.Plug(c.version, &error)) << error;
        EXPECT_EQ(reader.State().block.address, c.blockHeld);
        h = lc_init(kUsb, 9600);
        ASSERT_GE(h, 0);
        unsigned char text[256];
        int32_t length = -1;
        EXPECT_EQ(lc_getver(h, text, &length), 0);
        EXPECT_STREQ(reinterpret_cast<char*>(text), c.answers);
        EXPECT_EQ(lc_setBlockReadPara(h, 9, kKey), 0);
        EXPECT_EQ(lc_exit(h), 0);
    }
}

// However the line went, the loss is said once, sending nothing; the call
// after that, with the reader back, opens the port again: one handshake, then
// its own request, once, on one descriptor as before.
TEST_F(Link, ALostLinkOpensAgainOnceTheReaderIsBack)
{
    if (!NoUsbSerialOnThisMachine())
        GTEST_SKIP() << "a USB serial port here would be found while unplugged";
    std::mutex mutex;
    std::vector<std::string> heard;  // the requests the reader answered
    auto take = [&] {
        std::lock_guard lock(mutex);
        return std::exchange(heard, {});
    };
    Emulator reader;  // logs as it stops: goes before what it logs to
    reader.SetLog([&](const std::string& line) {
        std::lock_guard lock(mutex);
        if (line.ends_with("-> ok"))
            heard.push_back(line.substr(0, line.find(' ')));
    });
    ASSERT_TRUE(reader.Start("USB"));
    int32_t h = lc_init(kUsb, 9600);
    ASSERT_GE(h, 0);
    auto header = [h] { return lc_setReaderOnlyHead(h, 1); };
    auto said = [](const char* text) { return std::string(t2_last_error()).find(text) != std::string::npos; };
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"a call while unplugged", [&] {
             reader.Unplug();
             EXPECT_EQ(header(), T2_E_LINK_LOST);
             EXPECT_EQ(header(), T2_E_LINK_LOST);
             EXPECT_TRUE(said("opening it again failed: no such device for USB")) << t2_last_error();
             ASSERT_TRUE(reader.Plug());
         }},
        {"unplugged and back between two calls", [&] {
             reader.Unplug();
             ASSERT_TRUE(reader.Plug());
             EXPECT_EQ(header(), T2_E_LINK_LOST);
             EXPECT_TRUE(said("went away")) << t2_last_error();
         }},
        {"hung up on a request", [&] {
             reader.SetFaults({.dropAfterFrames = 0});
             EXPECT_EQ(header(), T2_E_LINK_LOST);
             WaitForHangups(reader, 1);
         }},
    };
    for (const auto& [name, lose] : cases) {
        SCOPED_TRACE(name);
        take();
        const int fds = OpenFds();
        lose();
        EXPECT_EQ(take(), std::vector<std::string>{});
        EXPECT_EQ(header(), 0);
        EXPECT_EQ(take(), (std::vector<std::string>{"handshake", "header"}));
        EXPECT_EQ(OpenFds(), fds);
    }
    EXPECT_EQ(lc_exit(h), 0);
}

TEST_F(Link, OpenFailsWithOneLineAndNothingLeftOpen)
{
    Emulator& reader = StartReader();
    int fds = OpenFds();
    struct Case {
        const char* name;
        Faults faults;
        const char* says;
    };
    const Case cases[] = {
        {"silent reader", {.silent = true}, "no answer from the reader"},
        {"bad checksum", {.badCrc = true}, "answer garbled"},
        {"handshake refused", Refusing(t2proto::kHandshake, 0x07), "refused the handshake with code 0x07"},
        {"hang-up", {.dropAfterFrames = 0}, "went away"},
    };
    int hangups = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reader.SetFaults(c.faults);
        auto start = Clock::now();
        Init init = InitWithReason(kUsb);
        EXPECT_LT(Clock::now() - start, kBound + kSlack);
        EXPECT_EQ(init.handle, -1);
        EXPECT_NE(init.message.find(c.says), std::string::npos) << init.message;
        EXPECT_EQ(init.message.find('\n'), std::string::npos) << init.message;
        hangups += c.faults.dropAfterFrames == 0;
        WaitForHangups(reader, hangups);
        EXPECT_EQ(OpenFds(), fds);
    }
}

// The same table on a pseudo-terminal and, where there is one, a port that
// libserialport drives (COM1 is /dev/ttyS0): a driver would keep the old
// speed for -1, hang up for 0 and set 12345 as a custom rate.
TEST_F(Link, OnlyTheReadersBaudRatesAreAccepted)
{
    Emulator& reader = StartReader();
    for (int32_t port : {kUsb, 0}) {
        for (int32_t baud : {-1, 0, 1200, 12345, 38400, 230400}) {
            SCOPED_TRACE(testing::Message() << "port " << port << ", baud " << baud);
            Init init = InitWithReason(port, baud);
            EXPECT_EQ(init.handle, -1);
            EXPECT_NE(init.message.find("no baud rate " + std::to_string(baud)), std::string::npos) << init.message;
        }
    }
    EXPECT_EQ(reader.State().requests, 0);
}

// A device of a test's own making on a pseudo-terminal, published as COM1,
// whose far side `serve` drives, called whenever the master is ready for
// `events`, until the object goes.
class RawDevice {
public:
    using Serve = std::function<void(int master)>;
    RawDevice(const std::string& folder, short events, Serve serve)
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
            return;
        Publish(folder, "COM1", ptsname(master_));
        thread_ = std::thread([this, events, serve] {
            while (!done_) {
                struct pollfd p{master_, events, 0};
                if (poll(&p, 1, 20) > 0 && (p.revents & POLLHUP))
                    std::this_thread::sleep_for(5ms);  // no one on the other side yet
                else
                    serve(master_);
            }
        });
    }
    ~RawDevice()
    {
        done_ = true;
        if (thread_.joinable())
            thread_.join();
        if (master_ >= 0)
            close(master_);
    }
    bool Ok() const { return thread_.joinable(); }

private:
    int master_ = -1;
    std::atomic<bool> done_ = false;
    std::thread thread_;
};

TEST_F(Link, ADeviceThatEchoesIsNoReader)
{
    // The far side sends back whatever it gets, as a loop-back plug would.
    RawDevice echo(Folder(), POLLIN, [](int master) {
        char buffer[256];
        ssize_t n = read(master, buffer, sizeof buffer);
        if (n > 0)
            [[maybe_unused]] ssize_t w = write(master, buffer, static_cast<size_t>(n));
    });
    ASSERT_TRUE(echo.Ok());
    Init init = InitWithReason(0);
    EXPECT_EQ(init.handle, -1);
    EXPECT_NE(init.message.find("answer garbled"), std::string::npos) << init.message;
}

// A device that answers `answered` requests as a reader does, then sends frame
// starts of the largest length for as long as anyone reads them.
TEST_F(Link, ADeviceThatKeepsSendingHoldsNoCallPastItsBound)
{
    for (int answered : {0, 1}) {
        SCOPED_TRACE(answered ? "lc_getver" : "lc_init");
        int requests = 0;
        t2proto::Decoder decoder;
        RawDevice streaming(Folder(), POLLIN | POLLOUT, [&](int master) {
            uint8_t buffer[256];
            if (ssize_t n = read(master, buffer, sizeof buffer); n > 0)
                decoder.Feed({buffer, static_cast<size_t>(n)});
            while (requests < answered) {
                auto event = decoder.Next();
                if (!event)
                    return;
                const t2proto::Frame& request = event->frame;
                std::vector<uint8_t> payload = {t2proto::kStatusOk};
                payload.insert(payload.end(), t2proto::kHandshakeReply.begin(), t2proto::kHandshakeReply.end());
                auto reply = t2proto::Encode({uint8_t(request.command | t2proto::kReplyBit), payload, request.sequence});
                [[maybe_unused]] ssize_t w = write(master, reply.data(), reply.size());
                ++requests;
            }
            std::vector<uint8_t> starts;
            for (int i = 0; i < 1024; ++i)
                starts.insert(starts.end(), {t2proto::kMarker0, t2proto::kMarker1, 0x00, 0x02});
            [[maybe_unused]] ssize_t w = write(master, starts.data(), starts.size());
        });
        ASSERT_TRUE(streaming.Ok());
        auto start = Clock::now();
        Init init = InitWithReason(0);
        if (answered) {
            ASSERT_GE(init.handle, 0) << init.message;
            start = Clock::now();
            unsigned char text[256];
            EXPECT_EQ(lc_getver(init.handle, text, nullptr), T2_E_BAD_CRC);
        } else {
            EXPECT_NE(init.message.find("answer garbled"), std::string::npos) << init.message;
        }
        EXPECT_LT(Clock::now() - start, kBound + kSlack);
        if (init.handle >= 0) {
            EXPECT_EQ(lc_exit(init.handle), 0);
        }
        std::filesystem::remove(Folder() + "/COM1");
    }
}

TEST_F(Link, BusyPortIsRefused)
{
    Emulator& reader = StartReader();
    int other = open(reader.TtyPath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    Init init = InitWithReason(kUsb);
    EXPECT_EQ(init.handle, -1);
    EXPECT_NE(init.message.find("busy: held by another program"), std::string::npos) << init.message;
    close(other);
    int32_t h = lc_init(kUsb, 9600);
    EXPECT_GE(h, 0);
    Init second = InitWithReason(kUsb);  // our own link holds it now
    EXPECT_EQ(second.handle, -1);
    EXPECT_NE(second.message.find("already open in this program"), std::string::npos) << second.message;
    EXPECT_EQ(lc_exit(h), 0);
}

// A serial console's settings, as its getty leaves them: none of them the library's.
void SetConsole(int tty)
{
    struct termios tio{};
    tcgetattr(tty, &tio);
    tio.c_iflag |= ICRNL;
    tio.c_oflag |= OPOST | ONLCR;
    tio.c_lflag |= ICANON | ECHO | ISIG;
    cfsetspeed(&tio, B115200);
    tcsetattr(tty, TCSANOW, &tio);
}

auto Settings(int tty)
{
    struct termios tio{};
    EXPECT_EQ(tcgetattr(tty, &tio), 0);
    return std::tuple(tio.c_iflag, tio.c_oflag, tio.c_cflag, tio.c_lflag, tio.c_line, std::to_array(tio.c_cc),
                      cfgetispeed(&tio), cfgetospeed(&tio));
}

// Another program's port (COM1 is often the serial console) is left as that
// program set it, whether a reader answers there or not.
TEST_F(Link, APortKeepsItsSettingsOnceTheLinkLetsGo)
{
    int silent = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(silent >= 0 && grantpt(silent) == 0 && unlockpt(silent) == 0);
    const std::string silentTty = ptsname(silent);
    Publish(Folder(), "COM1", silentTty);
    Emulator& reader = StartReader();
    const struct {
        const char* name;
        std::string tty;
        int32_t port;
    } cases[] = {{"no reader answers", silentTty, 0}, {"a reader's link, closed", reader.TtyPath(), kUsb}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Held open meanwhile, as a console's own program holds it.
        int tty = open(c.tty.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(tty, 0);
        SetConsole(tty);
        const auto before = Settings(tty);
        int32_t h = lc_init(c.port, 9600);
        if (c.port == kUsb) {
            ASSERT_GE(h, 0) << t2_last_error();
            EXPECT_EQ(lc_exit(h), 0);
        } else {
            EXPECT_EQ(h, -1);
        }
        EXPECT_EQ(Settings(tty), before);
        close(tty);
    }
    close(silent);
}

TEST_F(Link, WithoutADeviceOpenFailsAtOnce)
{
    struct Case {
        const char* name;
        std::function<void(const std::string& folder)> arrange;
        int32_t port;
        std::string says;
    };
    const Case cases[] = {
        {"port number 256", [](auto&) {}, 256, "no port number 256"},
        {"port number -1", [](auto&) {}, -1, "no port number -1"},
        {"port number 9 is COM10",
         [](const std::string& folder) { Publish(folder, "COM10", "/dev/pts/no-such-tty"); },
         9, "no such device for COM10 ("},
        {"entry pointing at nothing",
         [](const std::string& folder) { Publish(folder, "COM5", "/dev/pts/no-such-tty"); },
         4, "no such device for COM5"},
        {"entry whose target holds a line break and a byte of no encoding",
         [](const std::string& folder) { Publish(folder, "COM6", "/dev/pts/\xC3\xBC\nno\xFF"); },
         5, "/dev/pts/\xC3\xBC\\x0Ano\\xFF"},
        {"no entry and no USB serial port", [](auto&) {}, kUsb,
         "no such device for USB: looked for /dev/ttyUSB0 or /dev/ttyACM0; an emulated reader would be at " +
             Folder() + "/USB"},
    };
    int fds = OpenFds();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.port == kUsb && !NoUsbSerialOnThisMachine())
            GTEST_SKIP() << c.name << ": a USB serial port here would be found";  // the last case
        c.arrange(Folder());
        auto start = Clock::now();
        Init init = InitWithReason(c.port);
        EXPECT_LT(Clock::now() - start, kBound / 2);  // no reply was waited for
        EXPECT_EQ(init.handle, -1);
        EXPECT_NE(init.message.find(c.says), std::string::npos) << init.message;
        EXPECT_EQ(init.message.find('\n'), std::string::npos) << init.message;
    }
    // A name is echoed up to the longest a port's can be.
    std::string hubs = "USB:1";  // 120 KB of them
    while (hubs.size() < 120000)
        hubs += ".1";
    const std::string names[] = {"LPT1", "COM257", "USB:", "USB:1.2/../x", hubs};
    for (const std::string& name : names) {
        const std::string echoed = name.substr(0, t2dev::kMaxPortName);
        EXPECT_EQ(t2_open(name.c_str(), 9600), -1) << echoed;
        EXPECT_EQ(t2_last_error(), "no port " + echoed + ": use " + t2dev::kPortNames);
    }
    EXPECT_EQ(OpenFds(), fds);
}

// A link made by hand to a serial port (USB -> /dev/ttyUSB1) is taken though
// the system owns the port: only a pseudo-terminal's number passes between users.
TEST_F(Link, EntryToASerialPortOfTheSystemsIsTaken)
{
    if (geteuid() != 0 || access("/dev/ttyS0", F_OK) != 0)
        GTEST_SKIP() << "needs root and a built-in port, for a node of it owned by another user";
    const std::string node = Folder() + "/../ttyS0-of-another";
    Publish(Folder(), "COM5", node);
    ASSERT_EQ(mknod(node.c_str(), S_IFCHR | 0660, makedev(4, 64)), 0);
    ASSERT_EQ(chown(node.c_str(), 4242, 4242), 0);
    const Init init = InitWithReason(4);
    if (init.handle != -1)
        lc_exit(init.handle);
    unlink(node.c_str());
    EXPECT_EQ(init.message.find("refused"), std::string::npos) << init.message;
}

TEST_F(Link, DeviceFolderNotPrivateIsIgnored)
{
    if (!NoUsbSerialOnThisMachine())
        GTEST_SKIP() << "a USB serial port here would be found instead";
    StartReader();
    int32_t h = lc_init(kUsb, 9600);
    ASSERT_GE(h, 0);  // the entry works while the folder is private
    ASSERT_EQ(lc_exit(h), 0);
    struct Case {
        const char* name;
        std::function<bool()> spoil;  // false: cannot be arranged here
        const char* says;
    };
    const Case cases[] = {
        {"open to others", [&] { return chmod(Folder().c_str(), 0755) == 0; }, "open to group or others"},
        {"open to the group", [&] { return chmod(Folder().c_str(), 0730) == 0; }, "open to group or others"},
        {"owned by someone else",
         [&] { return chmod(Folder().c_str(), 0700) == 0 && geteuid() == 0 && chown(Folder().c_str(), 65534, 65534) == 0; },
         "not by you"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.spoil())
            GTEST_SKIP() << c.name << ": cannot be arranged here (needs root)";  // the last case
        Init init = InitWithReason(kUsb);
        EXPECT_EQ(init.handle, -1);
        EXPECT_NE(init.message.find("ignored: "), std::string::npos) << init.message;
        EXPECT_NE(init.message.find(c.says), std::string::npos) << init.message;
        EXPECT_EQ(init.message.find('\n'), std::string::npos) << init.message;
    }
}

// libserialport waits for a port in select(), which takes no descriptor
// past FD_SETSIZE. COM1 is /dev/ttyS0, a UART with no reader on it: the
// handshake goes out and no answer comes.
TEST(LinkRealPort, WorksWithDescriptorsPastTheSelectLimit)
{
    int uart = open("/dev/ttyS0", O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (uart < 0)
        GTEST_SKIP() << "no built-in serial port here";
    close(uart);
    struct rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_max < FD_SETSIZE + 64)
        GTEST_SKIP() << "cannot open that many descriptors";
    DeviceFolder empty;
    EXPECT_EXIT(
        {
            limit.rlim_cur = limit.rlim_max;
            setrlimit(RLIMIT_NOFILE, &limit);
            for (int fd = 0; fd >= 0 && fd < FD_SETSIZE + 8;)
                fd = dup(2);
            std::exit(InitFailsSaying(0));
        },
        testing::ExitedWithCode(0), "no answer from the reader");
}

// With no descriptor left the port cannot be tried, which is not the same as
// no device or no reader there: the device folder may hold its entry.
TEST(LinkRealPort, OutOfDescriptorsIsNotNothingThere)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizers' checks open files of their own, and fail where none can be opened";
#endif
    DeviceFolder folder;
    ASSERT_EQ(mkdir(folder.Path().c_str(), 0700), 0);
    EXPECT_EXIT(
        {
            const int lowest = dup(2);  // those below it are taken
            close(lowest);
            struct rlimit limit{};
            getrlimit(RLIMIT_NOFILE, &limit);
            limit.rlim_cur = lowest;
            setrlimit(RLIMIT_NOFILE, &limit);
            const bool failed = lc_init(kUsb, 9600) == -1;
            std::fprintf(stderr, "%s\n", t2_last_error());
            std::exit(failed && !t2proto::NothingThere(t2_last_error()) ? 0 : 1);
        },
        testing::ExitedWithCode(0), "cannot look up USB: cannot open device folder .*: Too many open files");
}

struct Child {
    int exitCode;         // -1 when it did not exit by itself
    std::string stderrText;
};

// Runs `body` in a child, as another user when we are root (root opens
// anything, so only a plain user sees a refusal), and waits for it. The child
// is forked before `prepare` runs here and `body` gets what it returns: a
// thread started in this process (a reader's, say) may hold a lock of the
// allocator or the loader as the child is forked, and the child hangs on it.
Child RunAsAnotherUser(const std::function<int(const std::string&)>& body,
                       const std::function<std::string()>& prepare = [] { return std::string(); })
{
    int pipeFds[2], handOver[2];
    if (pipe(pipeFds) != 0 || pipe(handOver) != 0)
        return {-1, "no pipe"};
    pid_t child = fork();
    if (child == 0) {
        alarm(120);  // a child that hangs fails its test, well within the suite's bound
        close(handOver[1]);
        std::string handed;
        char c = 0;
        while (read(handOver[0], &c, 1) == 1)
            handed += c;
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        dup2(pipeFds[1], 2);
        _exit(body(handed));
    }
    close(handOver[0]);
    close(pipeFds[1]);
    const std::string handed = prepare();
    const bool handedOver = write(handOver[1], handed.data(), handed.size()) == ssize_t(handed.size());
    close(handOver[1]);
    std::string text;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    if (child < 0 || !handedOver || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return {-1, text};
    return {WEXITSTATUS(status), text};
}

// A private device folder of the child's own, with `entries` (name -> target).
int WithOwnFolder(const std::map<std::string, std::string>& entries, const std::function<int()>& body)
{
    char root[] = "/tmp/t2-child.XXXXXX";
    if (!mkdtemp(root))
        return 4;
    std::string dir = std::string(root) + "/tavelin";
    mkdir(dir.c_str(), 0700);
    for (const auto& [name, target] : entries)
        if (symlink(target.c_str(), (dir + "/" + name).c_str()) != 0)
            return 5;
    setenv("XDG_RUNTIME_DIR", root, 1);
    int result = body();
    std::filesystem::remove_all(root);
    return result;
}

TEST(LinkPermission, DeniedPortNamesTheSerialGroup)
{
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    std::string tty = ptsname(master);
    if (geteuid() != 0) {
        ASSERT_EQ(chmod(tty.c_str(), 0), 0);  // our own tty, closed to us
    }
    Child child = RunAsAnotherUser([&](const std::string&) {
        return WithOwnFolder({{"USB", tty}}, [] { return InitFailsSaying(kUsb); });
    });
    close(master);
    EXPECT_EQ(child.exitCode, 0);
    EXPECT_NE(child.stderrText.find("permission denied on USB"), std::string::npos) << child.stderrText;
    EXPECT_NE(child.stderrText.find("dialout"), std::string::npos) << child.stderrText;
}

// A reader that died left its entry; another user has since taken its tty
// number and opened the tty to all. The entry must not lead there.
TEST(LinkPermission, LeftoverEntryToAnotherUsersTtyIsRefused)
{
    DeviceFolder theirs;
    Emulator other;
    std::string error;
    Child child = RunAsAnotherUser(
        [](const std::string& tty) {
            return WithOwnFolder({{"USB", tty}}, [] { return InitFailsSaying(kUsb); });
        },
        [&] {
            if (!other.Start("USB", &error) || chmod(other.TtyPath().c_str(), 0666) != 0)
                return std::string();
            return other.TtyPath();
        });
    ASSERT_EQ(error, "");
    EXPECT_EQ(child.exitCode, 0);
    EXPECT_NE(child.stderrText.find("refused: a device-folder entry must lead to a tty of your own"),
              std::string::npos)
        << child.stderrText;
    EXPECT_EQ(other.State().requests, 0);
}

// The folder's parent is open to all (a shared TMPDIR without the sticky
// bit), and someone keeps swapping the folder with a link to a folder of
// their own. Whatever the timing, their entry is never used.
TEST(LinkPermission, FolderSwappedAfterItsCheckIsNeverUsed)
{
    if (!NoUsbSerialOnThisMachine())
        GTEST_SKIP() << "a USB serial port here would be opened";
    char shared[] = "/tmp/t2-shared.XXXXXX";
    ASSERT_TRUE(mkdtemp(shared));
    ASSERT_EQ(chmod(shared, 0777), 0);
    std::string folder = std::string(shared) + "/tavelin", decoy = std::string(shared) + "/decoy";
    std::string theirs = std::string(shared) + "/theirs";
    ASSERT_EQ(mkdir(theirs.c_str(), 0755), 0);
    ASSERT_EQ(symlink("/dev/t2-theirs", (theirs + "/USB").c_str()), 0);
    ASSERT_EQ(symlink(theirs.c_str(), decoy.c_str()), 0);
    std::atomic<bool> done = false;
    int swaps = 0;
    std::thread swapper;
    Child child = RunAsAnotherUser(
        [&](const std::string&) {
            if (mkdir(folder.c_str(), 0700) != 0)
                return 4;
            setenv("XDG_RUNTIME_DIR", shared, 1);
            for (int i = 0; i < 3000; ++i)
                InitFailsSaying(kUsb);
            return 0;
        },
        [&] {
            swapper = std::thread([&] {
                while (!done)
                    swaps += renameat2(AT_FDCWD, folder.c_str(), AT_FDCWD, decoy.c_str(), RENAME_EXCHANGE) == 0;
            });
            return std::string();
        });
    done = true;
    swapper.join();
    std::filesystem::remove_all(shared);
    EXPECT_EQ(child.exitCode, 0);
    EXPECT_GT(swaps, 100);  // the folder did change under the child
    EXPECT_EQ(child.stderrText.find("t2-theirs"), std::string::npos);
}

}  // namespace
