// On Windows, the window's commands are items of its system menu.
#include "TavelinDlg.h"

#include <windows.h>

#include <algorithm>

void CTavelinDlg::AddCommands()
{
    if (HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE)) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        for (const auto& [command, text] : m_commands)
            AppendMenuW(menu, MF_STRING, command, reinterpret_cast<LPCWSTR>(text.utf16()));
    }
}

bool CTavelinDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result)
{
    const auto* msg = static_cast<const MSG*>(message);
    const auto ours = [this](WPARAM command) {
        return std::any_of(m_commands.begin(), m_commands.end(),
                           [command](const auto& item) { return item.first == (command & 0xFFF0); });
    };
    if (eventType == "windows_generic_MSG" && msg->message == WM_SYSCOMMAND && ours(msg->wParam)) {
        OnSysCommand(static_cast<unsigned>(msg->wParam));
        *result = 0;
        return true;
    }
    return Dialog::nativeEvent(eventType, message, result);
}
