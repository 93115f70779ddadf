// Elsewhere there is no system menu to extend: the right-click menu lists
// the window's commands, and F1 opens About.
#include "app/TavelinDlg.h"

#include <QAction>

void CTavelinDlg::AddCommands()
{
    for (QAction* action : actions())
        if (action->data().toUInt() == IDM_ABOUTBOX)
            action->setShortcut(QKeySequence::HelpContents);
}
