// The reader's pause: the window paints meanwhile, and input waits for its end.
#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QDeadlineTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <qpa/qwindowsysteminterface.h>

#include "pages/common/ReaderPause.h"

namespace {

class Watched : public QWidget {
public:
    int paints = 0;
    int keys = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
    void keyPressEvent(QKeyEvent*) override { ++keys; }
};

TEST(ReaderPause, PaintsMeanwhileAndHoldsInputToItsEnd)
{
    Watched window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const int painted = window.paints;
    window.update();
    // As the system hands a key over, queued: a pause finds it waiting.
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window.windowHandle(), QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    // Pauses until one has painted, within a bound: on a busy machine one may end first.
    for (QDeadlineTimer bound(10000); window.paints == painted && !bound.hasExpired();)
        Wait(20);
    EXPECT_GT(window.paints, painted);
    EXPECT_EQ(window.keys, 0) << "a key during the pause";
    QCoreApplication::processEvents();
    EXPECT_EQ(window.keys, 1) << "the key after it";
}

}  // namespace
