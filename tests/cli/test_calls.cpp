// The order in which a station's ports get the reader library, when its
// calls go one at a time.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cli/calls.h"

namespace {

using ms = std::chrono::milliseconds;

// What the library was asked, in order, and by which thread.
struct Journal {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> calls;
    std::vector<std::thread::id> threads;

    std::function<int32_t()> Call(std::string what, int32_t result = 0, ms takes = {})
    {
        return [=, this] {
            std::this_thread::sleep_for(takes);  // the library's own time, a silent port's say
            const std::lock_guard lock(mutex);
            calls.push_back(what);
            threads.push_back(std::this_thread::get_id());
            changed.notify_all();
            return result;
        };
    }
    // Whether `what` has been called, within a bound for a failure.
    bool Await(const std::string& what)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(30),
                                [&] { return std::ranges::find(calls, what) != calls.end(); });
    }
};

TEST(LibraryCalls, EveryCallIsMadeByOneThreadOfItsOwn)
{
    Journal journal;
    {
        LibraryCalls calls(false, 2);
        std::jthread ports[] = {std::jthread([&] {
                                    calls.Set(0, journal.Call("set"));
                                    calls.Leave(0);
                                }),
                                std::jthread([&] {
                                    calls.Look(1, journal.Call("look"));
                                    calls.Leave(1);
                                }),
                                std::jthread([&] { calls(journal.Call("any")); })};
    }
    ASSERT_EQ(journal.threads.size(), 3u);
    for (const std::thread::id id : journal.threads) {
        EXPECT_EQ(id, journal.threads[0]);
        EXPECT_NE(id, std::this_thread::get_id());
    }
}

// A look is made within a reader's pause only where it ends before the
// reader's next call, if it takes as long as the port's last look; else
// the reader's next call goes first.
TEST(LibraryCalls, ALookGoesInAPauseOnlyWhereItFits)
{
    const struct {
        ms pause, look;
        std::vector<std::string> order;
    } cases[] = {
        {ms(1000), ms(0), {"first look", "output", "look", "block"}},
        {ms(100), ms(300), {"first look", "output", "block", "look"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pause.count());
        Journal journal;
        LibraryCalls calls(false, 2);
        calls.Look(1, journal.Call("first look", -1, c.look));
        std::jthread look([&] {
            journal.Await("output");
            calls.Look(1, journal.Call("look", -1, c.look));
            calls.Leave(1);
        });
        calls.Set(0, journal.Call("output"));
        calls.Store(0, c.pause);
        calls.Set(0, journal.Call("block"));
        calls.Leave(0);
        look.join();
        EXPECT_EQ(journal.calls, c.order);
    }
}

// A port where nothing changes is looked at less and less often.
TEST(LibraryCalls, AnEmptyPortsLooksSlowDown)
{
    LibraryCalls calls(false, 2);
    std::atomic<int> looks = 0;
    std::atomic<bool> done = false;
    std::jthread empty([&] {
        while (!done)
            calls.Look(1, [&] { return ++looks, -1; });
        calls.Leave(1);
    });
    int halves[2] = {};
    for (int i = 0; i < 2; ++i) {
        const int before = looks;
        for (int pause = 0; pause < 3; ++pause) {
            calls.Set(0, [] { return 0; });
            calls.Store(0, ms(600));
        }
        halves[i] = looks - before;
    }
    done = true;
    calls.Leave(0);
    empty.join();
    EXPECT_LT(halves[1], halves[0]);
    EXPECT_GT(halves[1], 0);
}

}  // namespace
