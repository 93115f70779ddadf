// The yardstick: a bare dialog with one button, on the same toolkit.
#include <QDialog>
#include <QPushButton>

#include "bench/startup/first_paint.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QuitOnFirstPaint quit;
    QDialog dialog;
    QPushButton button(QStringLiteral("OK"), &dialog);
    dialog.exec();
    return 0;
}
