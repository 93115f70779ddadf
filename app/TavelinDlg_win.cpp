// On Windows, About and Card Check are items of the window's system menu.
#include "TavelinDlg.h"

#include <windows.h>

void CTavelinDlg::AddAboutAndCardCheck()
{
    if (HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE)) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        if (!m_aboutText.isEmpty())
            AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, reinterpret_cast<LPCWSTR>(m_aboutText.utf16()));
        AppendMenuW(menu, MF_STRING, IDM_CARDCHECK, reinterpret_cast<LPCWSTR>(m_cardCheckText.utf16()));
    }
}

bool CTavelinDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result)
{
    const auto* msg = static_cast<const MSG*>(message);
    if (eventType == "windows_generic_MSG" && msg->message == WM_SYSCOMMAND
        && ((msg->wParam & 0xFFF0) == IDM_ABOUTBOX || (msg->wParam & 0xFFF0) == IDM_CARDCHECK)) {
        OnSysCommand(static_cast<unsigned>(msg->wParam));
        *result = 0;
        return true;
    }
    return Dialog::nativeEvent(eventType, message, result);
}
