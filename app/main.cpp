#include <QApplication>
#include <QIcon>

#include "TavelinApp.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/res/icon128.xpm")));
    theApp.InitInstance();
    return 0;
}
