#include "cli/station_system.h"

#include <windows.h>

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
