#include "ReaderLink.h"

#include "TavelinDlg.h"

ReaderLink* g_readerLink = nullptr;
CTavelinDlg* g_mainDlg = nullptr;

bool EnsurePortOpen()
{
    if (g_readerLink->handle == -1) {
        g_mainDlg->AppendLog(QStringLiteral("Port is not open"), 1);
        return false;
    }
    return true;
}
