// Elsewhere there is no system menu to extend: the right-click menu lists
// the window's commands, and F1 opens About.
#include "app/TavelinDlg.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>

void CTavelinDlg::AddCommands()
{
    for (QAction* action : actions())
        if (action->data().toUInt() == IDM_ABOUTBOX)
            action->setShortcut(QKeySequence::HelpContents);
    // The log has a menu of its own, for its text: the commands go under it.
    m_logBox->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_logBox, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = m_logBox->createStandardContextMenu(at);
        menu->addSeparator();
        menu->addActions(actions());
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_logBox->viewport()->mapToGlobal(at));
    });
}
