#include "cli/station_system.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

namespace {

std::atomic<bool> asked = false, stationEnded = false;

// Windows ends the program once this returns from the window being closed (or
// the session ending); until then, some seconds, the current reader gets its row.
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    asked = true;
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        while (!stationEnded)
            Sleep(20);
    return TRUE;
}

}  // namespace

StopAfterTheCurrentReader::StopAfterTheCurrentReader() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

StopAfterTheCurrentReader::~StopAfterTheCurrentReader() { stationEnded = true; }

bool StopAfterTheCurrentReader::Asked() { return asked; }

struct TypedKeys::Terminal {
    DWORD was;
};

TypedKeys::TypedKeys()
{
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    DWORD was = 0;
    if (!GetConsoleMode(in, &was))
        return;
    terminal_ = std::make_unique<Terminal>(was);
    FlushConsoleInputBuffer(in);
    SetConsoleMode(in, was & ~(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT));  // Ctrl+C still stops the station
}

TypedKeys::~TypedKeys()
{
    if (terminal_)
        SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), terminal_->was);
}

int TypedKeys::Read(char* data, size_t size, std::chrono::milliseconds wait)
{
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    if (in == nullptr || in == INVALID_HANDLE_VALUE)
        return -1;
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(wait.count());
    auto left = [&] { return static_cast<DWORD>(until - std::min(until, GetTickCount64())); };
    DWORD got = 0;
    if (terminal_) {
        // Key presses alone, as characters: the console also reports key releases, the mouse and the focus.
        for (;;) {
            if (WaitForSingleObject(in, left()) != WAIT_OBJECT_0)
                return 0;
            INPUT_RECORD records[64];
            if (!ReadConsoleInputA(in, records, 64, &got))
                return -1;
            size_t n = 0;
            for (DWORD i = 0; i < got; ++i) {
                const KEY_EVENT_RECORD& key = records[i].Event.KeyEvent;
                const char c = key.uChar.AsciiChar == '\r' ? '\n' : key.uChar.AsciiChar;
                if (records[i].EventType == KEY_EVENT && key.bKeyDown && c != 0)
                    for (WORD r = 0; r < std::max<WORD>(key.wRepeatCount, 1) && n < size; ++r)
                        data[n++] = c;
            }
            if (n > 0)
                return static_cast<int>(n);
            if (left() == 0)
                return 0;
        }
    }
    if (GetFileType(in) == FILE_TYPE_PIPE) {
        // A pipe cannot be waited on: it is looked at until something is there.
        DWORD available = 0;
        while (PeekNamedPipe(in, nullptr, 0, nullptr, &available, nullptr) && available == 0) {
            if (left() == 0)
                return 0;
            Sleep(std::min<DWORD>(left(), 10));
        }
        if (available == 0)
            return -1;
        size = std::min<size_t>(size, available);
    }
    return ReadFile(in, data, static_cast<DWORD>(size), &got, nullptr) && got > 0 ? static_cast<int>(got) : -1;
}
