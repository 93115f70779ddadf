// The program's own start, as its entry point does it, ended at first paint.
#include "app/TavelinApp.h"
#include "bench/startup/first_paint.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QuitOnFirstPaint quit;
    return theApp.Start();
}
