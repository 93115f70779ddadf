#include "TavelinApp.h"

#include "TavelinDlg.h"

CTavelinApp theApp;

bool CTavelinApp::InitInstance()
{
    CTavelinDlg dlg;
    dlg.DoModal();
    // No message loop of our own after the window: the process ends.
    return false;
}
