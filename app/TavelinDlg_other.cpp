// Elsewhere there is no system menu to extend: the window's context menu
// carries About and Card Check, and F1 opens About.
#include "TavelinDlg.h"

#include <QShortcut>

void CTavelinDlg::AddAboutAndCardCheck()
{
    if (!m_aboutText.isEmpty()) {
        auto* help = new QShortcut(QKeySequence::HelpContents, this);
        connect(help, &QShortcut::activated, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
    }
}
