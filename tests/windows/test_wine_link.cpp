// The Windows side of the reader library against emulated readers that run
// on the Linux side, each behind a Wine COM port (the `readers` fixture starts
// them): COM2 is unplugged and plugged in by lines written to reader-COM2.in,
// COM4 answers, COM5 is silent, COM6 garbles every checksum, COM7 refuses
// "readonly" with 0x05, COM8 sends noise before every reply.
// TAVELIN_EMULATOR_LOGS is the folder, as a Windows path, of their console
// output (reader-COMn.log; "COMn.log" would name the port itself): what each
// reader received is checked there.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "t2/import/last_error.h"
#include "t2/t2.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int32_t kCom2 = 1, kCom4 = 3, kCom5 = 4, kCom6 = 5, kCom7 = 6, kCom8 = 7, kCom9 = 8;
const unsigned char kAux8[8] = {};
const unsigned char kAux3[3] = {};
const unsigned char kKey[6] = {0x3A, 0x7F, 0x19, 0xC2, 0xE8, 0x45};

std::string LogFile(const std::string& name)
{
    const char* folder = std::getenv("TAVELIN_EMULATOR_LOGS");
    return std::string(folder ? folder : ".") + "\\" + name;
}

std::vector<std::string> Lines(const char* port)
{
    std::ifstream log(LogFile(std::string("reader-") + port + ".log"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);)
        lines.push_back(line);
    return lines;
}

// The reader prints its line before its reply leaves, so it is there once the call returns.
std::string LastLine(const char* port)
{
    const auto lines = Lines(port);
    return lines.empty() ? std::string() : lines.back();
}

// Writes `command` to COM2's reader and waits, within a generous bound, for
// the line that says it was done; whether it came.
bool TellCom2(const std::string& command, const std::string& done)
{
    HANDLE input = CreateFileA(LogFile("reader-COM2.in").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const std::string line = command + "\n";
    DWORD written = 0;
    const bool sent = input != INVALID_HANDLE_VALUE &&
                      WriteFile(input, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
                      written == line.size();
    if (input != INVALID_HANDLE_VALUE)
        CloseHandle(input);
    for (auto until = Clock::now() + 30s; sent && Clock::now() < until; Sleep(20))
        if (LastLine("COM2").starts_with(done))
            return true;
    return false;
}

TEST(WineLink, EveryOperationAtBothRates)
{
    for (int32_t baud : {9600, 115200}) {
        SCOPED_TRACE(baud);
        int32_t h = lc_init(kCom4, baud);
        ASSERT_GE(h, 0);
        EXPECT_EQ(LastLine("COM4"), "handshake -> ok");

        unsigned char text[256];
        int32_t length = -1;
        EXPECT_EQ(lc_getver(h, text, &length), 0);
        EXPECT_STREQ(reinterpret_cast<char*>(text), "TR-200 V2.14");
        EXPECT_EQ(length, 12);

        EXPECT_EQ(lc_setReadOnlyPara(h, 2, kAux8, 0, 0xF3, 14, kAux3, kAux3), 0);
        EXPECT_EQ(LastLine("COM4"), "readonly dataBase=2 orientation=0 snSize=243 outLength=14 "
                                    "aux8=0000000000000000 auxA=000000 auxB=000000 -> ok");
        EXPECT_EQ(lc_setReaderOnlyHead(h, 1), 0);
        EXPECT_EQ(LastLine("COM4"), "header flag=1 -> ok");
        EXPECT_EQ(lc_setBlockReadPara(h, 7, kKey), 0);
        EXPECT_EQ(LastLine("COM4"), "block address=7 key=3A7F19C2E845 -> ok");
        EXPECT_EQ(lc_exit(h), 0);
    }
}

// The reason comes through t2_last_error, found in t2.dll at run time.
TEST(WineLink, APortHeldIsBusyUntilClosed)
{
    int32_t h = lc_init(kCom4, 9600);
    ASSERT_GE(h, 0);
    EXPECT_EQ(lc_init(kCom4, 9600), -1);
    EXPECT_NE(T2LastError().find("is already open in this program"), std::string::npos)
        << T2LastError();
    EXPECT_EQ(lc_exit(h), 0);
    h = lc_init(kCom4, 9600);
    EXPECT_GE(h, 0);
    EXPECT_EQ(T2LastError(), "");
    lc_exit(h);
}

// Unplugged with the link open: the loss is said once, and the call after
// that, once the reader is back, opens COM2 again by its name, shakes hands
// and sends its request once.
TEST(WineLink, ALinkOpensAgainOnceTheReaderIsBack)
{
    int32_t h = lc_init(kCom2, 9600);
    ASSERT_GE(h, 0);
    ASSERT_TRUE(TellCom2("unplug", "unplugged")) << LastLine("COM2");
    EXPECT_EQ(lc_setReaderOnlyHead(h, 1), T2_E_LINK_LOST);
    EXPECT_EQ(lc_setReaderOnlyHead(h, 1), T2_E_LINK_LOST);
    EXPECT_NE(T2LastError().find("opening it again failed"), std::string::npos) << T2LastError();
    ASSERT_TRUE(TellCom2("plug", "plugged in on COM2")) << LastLine("COM2");
    EXPECT_EQ(lc_setReaderOnlyHead(h, 1), 0);
    const auto lines = Lines("COM2");
    ASSERT_GE(lines.size(), 3u);
    EXPECT_TRUE(lines[lines.size() - 3].starts_with("plugged in on COM2")) << lines[lines.size() - 3];
    EXPECT_EQ(lines[lines.size() - 2], "handshake -> ok");
    EXPECT_EQ(lines.back(), "header flag=1 -> ok");
    EXPECT_EQ(lc_exit(h), 0);
}

TEST(WineLink, FaultsGiveTheirCodeWithinTheBound)
{
    // A generous margin over the library's bound: this checks for hangs, not speed.
    constexpr auto kBound = std::chrono::milliseconds(T2_REPLY_TIMEOUT_MS) + 1500ms;
    auto timed = [&](auto call) {
        auto start = Clock::now();
        auto result = call();
        EXPECT_LT(Clock::now() - start, kBound);
        return result;
    };
    EXPECT_EQ(timed([] { return lc_init(kCom5, 9600); }), -1) << "silent";
    EXPECT_EQ(timed([] { return lc_init(kCom6, 9600); }), -1) << "bad checksum";
    EXPECT_EQ(timed([] { return lc_init(kCom9, 9600); }), -1) << "no such port";

    int32_t refusing = lc_init(kCom7, 9600);
    ASSERT_GE(refusing, 0);
    EXPECT_EQ(timed([&] { return lc_setReadOnlyPara(refusing, 0, kAux8, 1, 4, 10, kAux3, kAux3); }), 0x05);
    EXPECT_EQ(lc_setReaderOnlyHead(refusing, 0), 0) << "other commands still answered";
    lc_exit(refusing);

    int32_t noisy = lc_init(kCom8, 115200);
    ASSERT_GE(noisy, 0);
    unsigned char text[256];
    EXPECT_EQ(timed([&] { return lc_getver(noisy, text, nullptr); }), 0);
    EXPECT_STREQ(reinterpret_cast<char*>(text), "TR-200 V2.14");
    lc_exit(noisy);
}

}  // namespace
