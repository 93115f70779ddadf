#include "cli/calls.h"

#include <algorithm>
#include <tuple>

namespace {
void (*storeWait)(LibraryCalls::ms) = [](LibraryCalls::ms pause) { std::this_thread::sleep_for(pause); };
}  // namespace

void LibraryCalls::SetStoreWait(void (*wait)(ms)) { storeWait = wait; }

LibraryCalls::LibraryCalls(bool parallel, size_t ports, std::function<bool()> stopped)
    : parallel_(parallel), stopped_(std::move(stopped)), ports_(ports)
{
    const auto now = Clock::now();
    for (Port& p : ports_) {
        p.due = p.last = now;
        p.cost = kLongestLook / 2;  // not known before its first look
    }
    if (!parallel_)
        library_ = std::thread([this] { Serve(); });
}

LibraryCalls::~LibraryCalls()
{
    if (parallel_)
        return;
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    library_.join();
}

std::optional<int32_t> LibraryCalls::Run(size_t port, const std::function<int32_t()>& call, bool look, ms atLeast)
{
    std::unique_lock lock(mutex_);
    Port& p = ports_[port];
    if (look) {
        p.interval = std::max<Clock::duration>(p.interval, atLeast);
        p.due = p.last + p.interval;
    } else {
        p.due = Clock::now();
    }
    p.urgent = !look;
    int32_t result = 0;
    Clock::duration took{};
    const auto job = [&] {
        const auto start = Clock::now();
        result = call();
        took = Clock::now() - start;
    };
    if (parallel_) {
        const auto due = p.due;
        lock.unlock();
        for (auto now = Clock::now(); now < due; now = Clock::now()) {
            if (stopped_())
                return std::nullopt;
            std::this_thread::sleep_for(std::min<Clock::duration>(due - now, kShortestLook));
        }
        job();
        lock.lock();
    } else {
        p.job = job;
        changed_.notify_all();
        // A stop is seen within a short look's time.
        while (!changed_.wait_for(lock, kShortestLook, [&] { return !p.job && !p.running; })) {
            if (look && p.job && stopped_()) {
                p.job = nullptr;
                return std::nullopt;
            }
        }
    }
    p.last = Clock::now();
    if (look) {
        p.cost = took;
        p.looked = true;
        // Where calls may overlap, a look costs the other ports nothing.
        p.interval = std::clamp<Clock::duration>(p.interval * 2, kShortestLook,
                                                 parallel_ ? Clock::duration(kShortestLook) : kLongestLook);
    }
    return result;
}

void LibraryCalls::Store(size_t port, ms pause)
{
    {
        const std::lock_guard lock(mutex_);
        Port& p = ports_[port];
        p.due = Clock::now() + pause;
        p.urgent = true;
    }
    changed_.notify_all();
    storeWait(pause);
}

void LibraryCalls::LookAnew(size_t port)
{
    const std::lock_guard lock(mutex_);
    ports_[port].interval = {};
}

void LibraryCalls::Leave(size_t port)
{
    {
        const std::lock_guard lock(mutex_);
        ports_[port].due = Clock::time_point::max();
    }
    changed_.notify_all();
}

int32_t LibraryCalls::operator()(const std::function<int32_t()>& call)
{
    if (parallel_)
        return call();
    std::unique_lock lock(mutex_);
    std::optional<int32_t> result;
    anyone_.push_back([&] { result = call(); });
    changed_.notify_all();
    changed_.wait(lock, [&] { return result.has_value(); });
    return *result;
}

LibraryCalls::Clock::duration LibraryCalls::Rank(const Port& p)
{
    // A port not looked at yet is put after the ports known to be quick.
    return p.urgent ? Clock::duration(-1) : p.looked ? p.cost : Clock::duration(kShortestLook);
}

// The port whose call goes now, if any; else `wake` is when to think again.
std::optional<size_t> LibraryCalls::Next(Clock::time_point now, Clock::time_point& wake)
{
    std::optional<size_t> best;
    auto key = [&](size_t i) {
        const Port& p = ports_[i];
        return std::tuple(Rank(p), p.due, i);
    };
    for (size_t i = 0; i < ports_.size(); ++i) {
        if (!ports_[i].job)
            continue;
        if (ports_[i].due > now)
            wake = std::min(wake, ports_[i].due);
        else if (!best || key(i) < key(*best))
            best = i;
    }
    if (!best || ports_[*best].urgent)
        return best;
    const Port& look = ports_[*best];
    const auto ends = now + look.cost + look.cost / 8;  // and a margin for a slower one
    const bool fits = std::ranges::none_of(ports_, [&](const Port& p) {
        return &p != &look && Rank(p) < Rank(look) && p.due < ends;
    });
    if (fits || now - look.due >= kLongestWait)
        return best;
    wake = std::min(wake, look.due + kLongestWait);
    return std::nullopt;
}

void LibraryCalls::Serve()
{
    std::unique_lock lock(mutex_);
    while (!quit_) {
        if (!anyone_.empty()) {
            const auto job = std::move(anyone_.front());
            anyone_.erase(anyone_.begin());
            lock.unlock();
            job();
            lock.lock();
            changed_.notify_all();
            continue;
        }
        const auto now = Clock::now();
        auto wake = Clock::time_point::max();
        const std::optional<size_t> next = Next(now, wake);
        if (!next) {
            if (wake == Clock::time_point::max())
                changed_.wait(lock);
            else
                changed_.wait_until(lock, wake);
            continue;
        }
        Port& p = ports_[*next];
        const auto job = std::move(p.job);
        p.job = nullptr;
        p.running = true;
        lock.unlock();
        job();
        lock.lock();
        p.running = false;
        // Until the port says what it does next, it may act at once.
        p.due = Clock::now();
        p.urgent = true;
        changed_.notify_all();
    }
}
