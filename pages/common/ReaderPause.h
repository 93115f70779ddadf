// The pauses the pages make around the reader's setting calls, about two
// seconds for each "Set" or preset. A reader stores each setting it is sent
// and does not answer while it does, so the next call, and the "Set ok" that
// tells the user the reader is ready, wait until it is done. The window
// keeps painting and does nothing else: a press or a close meanwhile, by
// the mouse, the keys, a queued call or a screen reader, waits in its queue
// and acts after the whole setting, never between two of its calls.
#pragma once

#include <chrono>
#include <functional>

// Waits `ms` milliseconds on the user-interface thread, which paints
// meanwhile: whatever else arrives is handled afterwards, in order.
void Wait(int ms);
// Tests replace the wait; nullptr restores the real one.
void SetWaitHook(std::function<void(int)> hook);
// Lets the window paint until `until`, holding all else for after; one
// source file per system.
void PaintUntil(std::chrono::steady_clock::time_point until);
