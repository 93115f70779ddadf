// The emulated reader's answers and its device-folder entry.
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

#include "DeviceFolder.h"

#include "emulator.h"
#include "t2.h"

namespace {

using namespace std::chrono_literals;
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
        EXPECT_FALSE(first.Start("COM10", &error));
        EXPECT_NE(error.find("no port COM10"), std::string::npos) << error;

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

}  // namespace
