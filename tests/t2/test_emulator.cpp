// The emulated reader's answers and its device-folder entry, and the
// reader-emulator program around it.
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <future>
#include <thread>

#include "tests/support/DeviceFolder.h"

#include "emulator/emulator.h"
#include "t2/t2.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using emulator::Emulator;
using Bytes = std::vector<uint8_t>;

TEST(Emulator, RefusesMalformedRequestsAndKeepsItsState)
{
    struct Case {
        const char* name;
        uint8_t command;
        Bytes payload;
        uint8_t status;
    };
    const Case cases[] = {
        {"readonly one byte short", t2proto::kSetReadOnly, Bytes(t2proto::kReadOnlySize - 1), T2_READER_E_LENGTH},
        {"header of two bytes", t2proto::kSetHeader, Bytes(2), T2_READER_E_LENGTH},
        {"block without key", t2proto::kSetBlockRead, Bytes(4), T2_READER_E_LENGTH},
        {"unknown command", 0x09, {}, T2_READER_E_COMMAND},
        {"handshake with anything", t2proto::kHandshake, Bytes(3, 0x42), t2proto::kStatusOk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        emulator::ReaderState state, before;
        auto answer = emulator::Respond({c.command, c.payload}, state, "V1");
        EXPECT_EQ(answer.status, c.status);
        EXPECT_FALSE(answer.stores);
        EXPECT_EQ(state.readOnly, before.readOnly);
        EXPECT_EQ(state.block, before.block);
        EXPECT_EQ(state.headerFlag, before.headerFlag);
        EXPECT_NE(answer.log.find(c.status ? "refused" : "-> ok"), std::string::npos) << answer.log;
    }
}

TEST(Emulator, PublishesOnlyIntoAPrivateFolderAndRemovesOnlyItsOwnEntry)
{
    char root[] = "/tmp/t2-emulator.XXXXXX";
    ASSERT_TRUE(mkdtemp(root));
    setenv("XDG_RUNTIME_DIR", root, 1);
    std::string entry = std::string(root) + "/tavelin/COM9";
    {
        Emulator first, second;
        std::string error;
        EXPECT_FALSE(first.Start("COM257", &error));
        EXPECT_NE(error.find("no port COM257"), std::string::npos) << error;

        ASSERT_TRUE(first.Start("COM9", &error)) << error;
        EXPECT_EQ(first.EntryPath(), entry);
        EXPECT_EQ(std::filesystem::read_symlink(entry), first.TtyPath());
        ASSERT_TRUE(second.Start("COM9", &error)) << error;  // a newer reader on the same port wins
        EXPECT_EQ(std::filesystem::read_symlink(entry), second.TtyPath());
        first.Stop();
        EXPECT_EQ(std::filesystem::read_symlink(entry), second.TtyPath());
        second.Stop();
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(entry)));

        chmod((std::string(root) + "/tavelin").c_str(), 0777);
        EXPECT_FALSE(first.Start("COM9", &error));
        EXPECT_NE(error.find("open to group or others"), std::string::npos) << error;
    }
    std::filesystem::remove_all(root);
    unsetenv("XDG_RUNTIME_DIR");
}

// What it says of a version on its own terminal is one line the version's
// bytes do not drive.
TEST(Emulator, SaysAVersionAsText)
{
    using namespace std::string_literals;
    DeviceFolder folder;
    Emulator reader;
    reader.SetVersion("TR-200\0#1\xC2\x9B" "2J\n"s);
    std::string said;  // logged as it starts, on the calling thread
    reader.SetLog([&said](const std::string& line) { said += line; });
    std::string error;
    ASSERT_TRUE(reader.Start("USB", &error)) << error;
    reader.Stop();
    EXPECT_NE(said.find(R"(, version "TR-200\x00#1\xC2\x9B2J\x0A" (14 bytes))"), std::string::npos) << said;
}

// Replies pile up unread until the tty's buffer is full; stopping must not
// wait for them.
TEST(Emulator, StopsWhileAClientLeavesItsRepliesUnread)
{
    DeviceFolder folder;
    Emulator reader;
    reader.SetVersion(std::string(500, 'v'));
    std::string error;
    ASSERT_TRUE(reader.Start("USB", &error)) << error;
    int client = open(reader.TtyPath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(client, 0);
    const auto request = t2proto::Encode({t2proto::kGetVersion, {}});
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(write(client, request.data(), request.size()), static_cast<ssize_t>(request.size()));
    for (int i = 0; i < 500 && reader.State().requests < 10; ++i)
        std::this_thread::sleep_for(10ms);

    auto stopped = std::async(std::launch::async, [&] { reader.Stop(); });
    bool prompt = stopped.wait_for(10s) == std::future_status::ready;  // a hang, not a speed
    while (stopped.wait_for(50ms) != std::future_status::ready)
        tcflush(client, TCIFLUSH);  // so that a stuck reader gets to the end
    close(client);
    EXPECT_TRUE(prompt);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(folder.Path() + "/USB")));
}

// Starts the reader-emulator program; its descriptors 0, 1 and 2 are
// `fds`, where -1 leaves one closed. `argv0` is the name it is started by.
pid_t StartProgram(const std::vector<std::string>& args, std::array<int, 3> fds,
                   const char* argv0 = READER_EMULATOR)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd = 0; fd < 3; ++fd) {
        if (fds[fd] < 0)
            posix_spawn_file_actions_addclose(&actions, fd);
        else
            posix_spawn_file_actions_adddup2(&actions, fds[fd], fd);
    }
    std::vector<char*> argv{const_cast<char*>(argv0)};
    for (const auto& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, READER_EMULATOR, &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// What `fd` gives until `wanted` shows (empty: until its end), for a bounded while.
std::string ReadUntil(int fd, std::string_view wanted = {})
{
    std::string text;
    char buffer[4096];
    const auto until = Clock::now() + 30s;  // a bound for a failure, not a pace
    while ((wanted.empty() || text.find(wanted) == std::string::npos) && Clock::now() < until) {
        struct pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        text.append(buffer, static_cast<size_t>(n));
    }
    return text;
}

// The program with its standard input and output on pipes, ended with the object.
class Piped {
public:
    explicit Piped(const std::vector<std::string>& args)
    {
        int in[2], out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
            return;
        pid_ = StartProgram(args, {in[0], out[1], STDERR_FILENO});
        close(in[0]);
        close(out[1]);
        in_ = in[1];
        out_ = out[0];
    }
    ~Piped()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        close(in_);
        close(out_);
    }
    bool Ok() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    void Send(const std::string& text) const
    {
        EXPECT_EQ(write(in_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    std::string ReadUntil(std::string_view wanted) const { return ::ReadUntil(out_, wanted); }

private:
    pid_t pid_ = -1;
    int in_ = -1, out_ = -1;
};

// The program run until it ends, for a bounded while: its exit status (-1
// where it ran on and was ended) and all it said.
std::pair<int, std::string> RunToEnd(const std::vector<std::string>& args)
{
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return {-1, "no pipe"};
    const pid_t pid = StartProgram(args, {-1, out[1], out[1]});
    close(out[1]);
    const std::string said = ReadUntil(out[0]);
    close(out[0]);
    if (pid <= 0)
        return {-1, said};
    kill(pid, SIGKILL);  // where it runs on; one whose output has ended is exiting already, as it chose
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, said};
}

// Values are checked before anything is published.
TEST(EmulatorProgram, NumbersAndPortNamesAreChecked)
{
    struct Case {
        std::vector<std::string> args;
        const char* refusal;  // nullptr: accepted
    };
    const Case cases[] = {
        {{"--store-ms", "0"}, nullptr},
        {{"--store-ms", "10000"}, nullptr},
        {{"--store-ms", "0x2710"}, nullptr},
        {{"--block", "254:43"}, nullptr},
        {{"--block", "0xfe:43"}, nullptr},
        {{"--refuse", "readonly:0x05"}, nullptr},
        {{"--drop-after", "1000000"}, nullptr},
        {{"--block", "010:43"}, R"(--block: "010": write 10, or 0x.. for hexadecimal)"},
        {{"--store-ms", "00"}, R"(--store-ms: "00": write 0,)"},
        {{"--refuse", "header:08"}, R"(--refuse: "08": write 8,)"},
        {{"--store-ms", "10001"}, R"(--store-ms: "10001" is out of range 0..10000)"},
        {{"--store-ms", "0x2711"}, R"(--store-ms: "0x2711" is out of range 0..10000)"},
        {{"--block", "0xFF:43"}, R"(--block: "0xFF" is out of range 0..254)"},
        {{"--refuse", "readonly:0"}, R"(--refuse: "0" is out of range 1..255)"},
        {{"--garbage", "99999999999999999999"}, R"(--garbage: "99999999999999999999" is out of range)"},
        {{"--drop-after", "-1"}, R"(--drop-after: "-1" is not a decimal or 0x-hexadecimal number)"},
        {{"--store-ms", "+5"}, R"(--store-ms: "+5" is not)"},
        {{"--store-ms", " 5"}, R"(--store-ms: " 5" is not)"},
        {{"--store-ms", "5 "}, R"(--store-ms: "5 " is not)"},
        {{"--store-ms", ""}, R"(--store-ms: "" is not)"},
        {{"--store-ms", "0x"}, R"(--store-ms: "0x" is not)"},
        {{"--store-ms", "0x-5"}, R"(--store-ms: "0x-5" is not)"},
        {{"--port", "usb:1.2"}, nullptr},
        {{"--port", "LPT1"}, "--port LPT1: use USB, COM1..COM256 or a USB socket's name"},
        {{"--port", "USB:1." + std::string(120000, '1')}, "--port USB:1.111"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1].substr(0, 80));
        std::vector<std::string> args = c.args;
        args.push_back("--help");  // reached only once the value is taken
        const auto [status, said] = RunToEnd(args);
        EXPECT_EQ(status, c.refusal ? 2 : 0) << said.substr(0, 200);
        if (c.refusal) {
            EXPECT_NE(said.find(c.refusal), std::string::npos) << said.substr(0, 200);
            EXPECT_LT(said.size(), 2000u) << "a refusal echoes a pasted name whole";
        }
    }
}

// Installed under another name, it says that name in its help and its refusals.
TEST(EmulatorProgram, NamesItselfAsStarted)
{
    const std::pair<const char*, const char*> cases[] = {
        {"--help", "usage: tavelin-reader-emulator [options]\n"},
        {"--no-such-option", "tavelin-reader-emulator: unknown option"},
    };
    for (const auto& [arg, says] : cases) {
        SCOPED_TRACE(arg);
        int out[2];
        ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
        const pid_t pid = StartProgram({arg}, {-1, out[1], out[1]}, "/usr/bin/tavelin-reader-emulator");
        close(out[1]);
        ASSERT_GT(pid, 0);
        const std::string said = ReadUntil(out[0]);
        close(out[0]);
        ASSERT_EQ(waitpid(pid, nullptr, 0), pid);
        EXPECT_TRUE(said.starts_with(says)) << said;
    }
}

// As a service manager may start it: standard input and output
// closed, not even /dev/null.
TEST(EmulatorProgram, RunsWithStandardInputAndOutputClosed)
{
    DeviceFolder folder;
    ASSERT_TRUE(folder.Ok());
    const auto started = Clock::now();
    const pid_t pid = StartProgram({"--store-ms", "0"}, {-1, -1, STDERR_FILENO});
    ASSERT_GT(pid, 0);
    const std::string entry = folder.Path() + "/USB";
    while (!std::filesystem::exists(std::filesystem::symlink_status(entry)) && Clock::now() < started + 30s)
        std::this_thread::sleep_for(10ms);
    const int32_t h = lc_init(100, 9600);  // USB
    EXPECT_GE(h, 0);
    lc_exit(h);
    std::this_thread::sleep_for(started + 1s - Clock::now());
    kill(pid, SIGTERM);
    int status = -1;
    struct rusage usage{};
    ASSERT_EQ(wait4(pid, &status, 0, &usage), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const auto cpu = std::chrono::seconds(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     std::chrono::microseconds(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    EXPECT_LT(cpu, 300ms);  // of a second, nearly all of it idle
}

TEST(EmulatorProgram, StartedUnpluggedAnswersOncePluggedIn)
{
    DeviceFolder folder;
    ASSERT_TRUE(folder.Ok());
    const Piped program({"--unplugged", "--store-ms", "0"});
    ASSERT_TRUE(program.Ok());
    std::string said = program.ReadUntil("unplugged\n");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(folder.Path() + "/USB"))) << said;
    program.Send("plug TR-200 V2.14 #0003\n");
    said += program.ReadUntil("plugged in");
    const int32_t h = lc_init(100, 9600);  // USB
    EXPECT_GE(h, 0) << said;
    unsigned char text[256] = {};
    int32_t length = -1;
    EXPECT_EQ(lc_getver(h, text, &length), 0);
    EXPECT_STREQ(reinterpret_cast<char*>(text), "TR-200 V2.14 #0003");
    lc_exit(h);
}

// A line too long to read changes nothing, however it is cut into reads:
// what follows its first 4096 bytes is no line of its own.
TEST(EmulatorProgram, OverlongInputLineChangesNothing)
{
    DeviceFolder folder;
    ASSERT_TRUE(folder.Ok());
    const Piped program({"--card", "1A2B3C4D"});
    ASSERT_TRUE(program.Ok());
    const std::pair<size_t, std::string> lines[] = {{4097, "card 04A2246A\n"}, {5000, "card 04A2246A\n"}, {4097, "\n"}};
    std::string said;
    for (const auto& [junk, end] : lines) {
        program.Send(std::string(junk, 'x'));
        said += program.ReadUntil("over 4096 bytes");  // read in full before its end comes
        program.Send(end);
    }
    program.Send("card 11223344\n");
    said += program.ReadUntil("11223344");
    auto count = [&said](std::string_view text) {
        size_t n = 0;
        for (size_t at = said.find(text); at != std::string::npos; at = said.find(text, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("4A2246A"), 0u) << said;
    EXPECT_EQ(count("1A2B3C4D"), 1u) << said;  // from --card alone
    EXPECT_EQ(count("over 4096 bytes"), 3u) << said;
    EXPECT_EQ(count("11223344"), 1u) << said;
}

}  // namespace

// A second program on a name in use refuses, naming the first and leaving its
// entry; with --replace it ends the first and takes its place. The name is
// the port's, however either spells it.
TEST(EmulatorProgram, ASecondOnANameInUseRefusesUnlessToldToReplace)
{
    DeviceFolder folder;
    ASSERT_TRUE(folder.Ok());
    const std::pair<std::string, std::string> cases[] = {
        {"USB", "USB"}, {"USB", "usb"}, {"COM3", "com3"}, {"COM12", "Com12"}, {"USB:1.2", "usb:1.2"},
    };
    for (const auto& [name, again] : cases) {
        SCOPED_TRACE(name + " then " + again);
        const std::string entry = folder.Path() + "/" + name;
        const Piped first({"--port", name, "--store-ms", "0"});
        ASSERT_TRUE(first.Ok());
        first.ReadUntil("reader on " + name);
        const auto firstTty = std::filesystem::read_symlink(entry);

        const auto [status, said] = RunToEnd({"--port", again});
        EXPECT_EQ(status, 1) << said;
        EXPECT_NE(said.find(name + " is in use by another reader emulator, pid " + std::to_string(first.Pid())),
                  std::string::npos)
            << said;
        EXPECT_NE(said.find("--replace"), std::string::npos) << said;
        EXPECT_EQ(std::filesystem::read_symlink(entry), firstTty);

        const Piped third({"--port", again, "--replace"});
        ASSERT_TRUE(third.Ok());
        third.ReadUntil("reader on " + name);
        EXPECT_NE(first.ReadUntil({}).find("stopped"), std::string::npos) << "the first ended";
        EXPECT_TRUE(std::filesystem::is_symlink(entry));
    }
}

// Where the name's lock file cannot be locked, the program does not run unheld.
TEST(EmulatorProgram, RefusesToRunWhereItsNameCannotBeHeld)
{
    DeviceFolder folder;
    ASSERT_TRUE(folder.Ok());
    ASSERT_EQ(mkdir(folder.Path().c_str(), 0700), 0);
    const std::string holder = folder.Path() + "/.USB.holder";
    const std::pair<const char*, std::function<int()>> cases[] = {
        {"a symbolic link", [&] { return symlink((folder.Path() + "/elsewhere").c_str(), holder.c_str()); }},
        {"Is a directory", [&] { return mkdir(holder.c_str(), 0700); }},
    };
    for (const auto& [says, make] : cases) {
        SCOPED_TRACE(says);
        ASSERT_EQ(make(), 0);
        const auto [status, said] = RunToEnd({});
        EXPECT_EQ(status, 1) << said;
        EXPECT_NE(said.find("cannot hold USB: " + holder + ": " + says), std::string::npos) << said;
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(folder.Path() + "/USB"))) << said;
        std::filesystem::remove(holder);
    }
}
