#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "pages/common/ReaderPause.h"

void PaintUntil(std::chrono::steady_clock::time_point until)
{
    if (!QCoreApplication::instance())
        return;
    // Qt keeps the input it takes in meanwhile, with its modifiers, for after the pause.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    QEventLoop loop;
    QTimer::singleShot(std::max(left, std::chrono::milliseconds(0)), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}
