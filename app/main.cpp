#include <QApplication>
#include <QIcon>

#include <cstdio>

#include "Dialog.h"
#include "TavelinApp.h"
#include "t2_import.h"

namespace {

// Qt stops the timer of a closed window's animations (a message box's
// pulsing default button) through posted events, two deep. Left running, it
// is stopped only after Qt has let go of the main thread's data at exit:
// Qt then takes the main thread for a new one and starts a thread to watch
// it, and 32-bit Wine can crash ending the process while that thread starts.
int Ended(int status)
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents();
    return status;
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("tavelin"));  // the desktop matches the window to its menu entry
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/res/icon128.xpm")));
    // Without a usable reader library the program cannot work: it says why before it ends.
    if (const std::string problem = T2ImportProblem(); !problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        MessageBoxOk(nullptr, QString::fromStdString(problem), QStringLiteral("ID/IC Card Data-Out Setting Tool"),
                     QMessageBox::Critical);
        return Ended(1);
    }
    theApp.InitInstance();
    return Ended(0);
}
