// Elsewhere there is no system menu to extend: the window's context menu
// carries its commands, and F1 opens About.
#include "TavelinDlg.h"

#include <QShortcut>
#include <algorithm>

void CTavelinDlg::AddCommands()
{
    if (std::any_of(m_commands.begin(), m_commands.end(), [](const auto& item) { return item.first == IDM_ABOUTBOX; })) {
        auto* help = new QShortcut(QKeySequence::HelpContents, this);
        connect(help, &QShortcut::activated, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
    }
}
