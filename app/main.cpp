#include <QApplication>

#include "app/TavelinApp.h"

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
    return Ended(theApp.Start());
}
