// The one link to the reader, and the guard the setting pages run before
// every reader action.
#pragma once

#include <cstdint>

struct ReaderLink {
    int32_t handle = -1;  // from lc_init; -1 while closed
    int32_t port = -1;    // port of the last successful open
};

class CTavelinDlg;

extern ReaderLink* g_readerLink;
extern CTavelinDlg* g_mainDlg;

// True when the link is open; otherwise logs "Port is not open".
bool EnsurePortOpen();
