#include <QCoreApplication>
#include <QEvent>

#include <algorithm>
#include <thread>

#include "pages/common/ReaderPause.h"

// Only painting: no event loop runs, so nothing else does either, not input
// from the system, nor queued calls, timers or sockets, the roads by which a
// screen reader or an automation tool presses or closes. Each stays in its
// queue, in order, for the main loop after the setting. A part of the window
// uncovered meanwhile without a compositor is drawn at the pause's end.
void PaintUntil(std::chrono::steady_clock::time_point until)
{
    if (!QCoreApplication::instance())
        return;
    constexpr auto kFrame = std::chrono::milliseconds(16);
    for (;;) {
        // What the window marked for repainting, as update() posts it.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        const auto now = std::chrono::steady_clock::now();
        if (now >= until)
            return;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(until - now, kFrame));
    }
}
