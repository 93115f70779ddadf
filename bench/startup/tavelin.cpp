// The program's own start (as its entry point does it), ended at first paint.
#include <QIcon>

#include "TavelinApp.h"
#include "first_paint.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("tavelin"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/res/icon128.xpm")));
    QuitOnFirstPaint quit;
    theApp.InitInstance();
    return 0;
}
