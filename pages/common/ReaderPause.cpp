#include "pages/common/ReaderPause.h"

#include <chrono>
#include <thread>

namespace {

std::function<void(int)> g_waitHook;

}  // namespace

void Wait(int ms)
{
    if (g_waitHook)
        g_waitHook(ms);
    else if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SetWaitHook(std::function<void(int)> hook)
{
    g_waitHook = std::move(hook);
}
