#include "pages/common/ReaderPause.h"

#include <thread>

namespace {

std::function<void(int)> g_waitHook;

}  // namespace

void Wait(int ms)
{
    if (g_waitHook) {
        g_waitHook(ms);
        return;
    }
    if (ms <= 0)
        return;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    PaintUntil(until);
    std::this_thread::sleep_until(until);  // never shorter than asked: the reader is storing
}

void SetWaitHook(std::function<void(int)> hook)
{
    g_waitHook = std::move(hook);
}
