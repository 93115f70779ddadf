#include <QApplication>
#include <QIcon>
#include <QMessageBox>

#include <cstdio>

#include "TavelinApp.h"
#include "t2_import.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("tavelin"));  // the desktop matches the window to its menu entry
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/res/icon128.xpm")));
    // Without a usable reader library the program cannot work: it says why before it ends.
    if (const std::string problem = T2ImportProblem(); !problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        QMessageBox::critical(nullptr, QStringLiteral("ID/IC Card Data-Out Setting Tool"),
                              QString::fromStdString(problem));
        return 1;
    }
    theApp.InitInstance();
    return 0;
}
