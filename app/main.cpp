#include <QApplication>
#include <QIcon>

#include "TavelinApp.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("tavelin"));  // the desktop matches the window to its menu entry
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/res/icon128.xpm")));
    theApp.InitInstance();
    return 0;
}
