// The pauses the pages make around the reader's setting calls, about two
// seconds for each "Set" or preset. A reader stores each setting it is sent
// and does not answer while it does, so the next call, and the "Set ok" that
// tells the user the reader is ready, wait until it is done. The pause blocks
// the window's input: a click meanwhile waits in the queue and runs after
// the whole setting, never between two of its calls; the window keeps
// painting.
#pragma once

#include <chrono>
#include <functional>

// Waits `ms` milliseconds on the user-interface thread, which paints
// meanwhile: input arriving is queued and handled afterwards, in order.
void Wait(int ms);
// Tests replace the wait; nullptr restores the real one.
void SetWaitHook(std::function<void(int)> hook);
// Lets the window paint until `until`, holding input for after; one source
// file per system.
void PaintUntil(std::chrono::steady_clock::time_point until);
