#include <windows.h>

#include "pages/common/ReaderPause.h"

// Only painting: keys and clicks stay in the system's queue, in order and
// with the state of Ctrl and Shift they came with, which input Qt took in
// and held would lose (Ctrl+C would arrive as C). The frame's clicks wait
// there too, so the close box acts after the setting, never inside it.
void PaintUntil(std::chrono::steady_clock::time_point until)
{
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            return;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left), QS_PAINT, 0);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
            DispatchMessageW(&msg);
    }
}
