// Calls into the reader library from the ports of a station: at once where
// the library allows it, else one at a time, all from one thread of their
// own (a maker's library then sees one caller, as from the window). Calls
// for a reader being set go first; a port's look for a change (a reader
// arriving or going) is made only where it ends, judged by the port's last
// look, before a port setting a reader, or one whose looks are quicker,
// wants the library again: a reader's pauses are the library's idle time,
// and a port's looks back off from at once to kLongestLook while nothing
// changes there. Where calls may overlap, a port looks every kShortestLook.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class LibraryCalls {
public:
    using Clock = std::chrono::steady_clock;
    using ms = std::chrono::milliseconds;
    static constexpr ms kShortestLook{25}, kLongestLook{1000};
    // A look that never fits between the others' calls is made after this all the same.
    static constexpr ms kLongestWait{8000};

    // Once `stopped` says so, looks not yet made are not made.
    explicit LibraryCalls(bool parallel = true, size_t ports = 1, std::function<bool()> stopped = [] { return false; });
    ~LibraryCalls();
    LibraryCalls(const LibraryCalls&) = delete;
    LibraryCalls& operator=(const LibraryCalls&) = delete;
    bool Parallel() const { return parallel_; }

    // A call for the reader `port` is setting: before any look.
    int32_t Set(size_t port, const std::function<int32_t()>& call) { return *Run(port, call, false, {}); }
    // The reader on `port` stores what it took, for `pause`.
    void Store(size_t port, ms pause);
    // Replaces the wait for a reader's store; a test build of the program waits none.
    static void SetStoreWait(void (*wait)(ms));
    // A look on `port`, once the port's interval (at least `atLeast`) has
    // passed since its latest call; each look doubles the interval. None once stopped.
    std::optional<int32_t> Look(size_t port, const std::function<int32_t()>& call, ms atLeast = {})
    {
        return Run(port, call, true, atLeast);
    }
    // The next look on `port` is at once, and those after it back off anew.
    void LookAnew(size_t port);
    // `port` makes no more calls, or none until its next: the others' looks need not wait for it.
    void Leave(size_t port);
    // A call of no port's (listing the ports), as soon as the library is free.
    int32_t operator()(const std::function<int32_t()>& call);

private:
    struct Port {
        Clock::time_point due, last;  // when it next wants the library; when its latest call ended
        Clock::duration interval{};   // between its looks
        Clock::duration cost;         // its latest look's time, or a guess
        bool looked = false;
        bool urgent = false;          // setting a reader, or acting on what a call just gave
        bool running = false;
        std::function<void()> job;    // pending
    };
    std::optional<int32_t> Run(size_t port, const std::function<int32_t()>& call, bool look, ms atLeast);
    // Setting first, then the quicker looks.
    static Clock::duration Rank(const Port& p);
    std::optional<size_t> Next(Clock::time_point now, Clock::time_point& wake);
    void Serve();

    const bool parallel_;
    const std::function<bool()> stopped_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Port> ports_;
    std::vector<std::function<void()>> anyone_;
    bool quit_ = false;
    std::thread library_;
};
