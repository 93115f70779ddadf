#include <QApplication>

#include "TavelinApp.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    return theApp.Start();
}
