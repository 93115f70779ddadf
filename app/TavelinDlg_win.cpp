// On Windows, the window's commands are items of its system menu.
#include "app/TavelinDlg.h"

#include <windows.h>

#include <QAction>
#include <algorithm>

void CTavelinDlg::AddCommands()
{
    if (HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE)) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        for (const QAction* action : actions()) {
            // After a tab, a menu item shows its key on the right.
            QString text = action->text();
            if (!action->shortcut().isEmpty())
                text += QStringLiteral("\t") + action->shortcut().toString(QKeySequence::NativeText);
            AppendMenuW(menu, MF_STRING, action->data().toUInt(), reinterpret_cast<LPCWSTR>(text.utf16()));
        }
    }
}

bool CTavelinDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result)
{
    const auto* msg = static_cast<const MSG*>(message);
    const auto ours = [this](WPARAM command) {
        const QList<QAction*> commands = actions();
        return std::any_of(commands.begin(), commands.end(),
                           [command](const QAction* action) { return action->data().toUInt() == (command & 0xFFF0); });
    };
    if (eventType == "windows_generic_MSG" && msg->message == WM_SYSCOMMAND && ours(msg->wParam)) {
        OnSysCommand(static_cast<unsigned>(msg->wParam));
        *result = 0;
        return true;
    }
    return Dialog::nativeEvent(eventType, message, result);
}
