#include "pages/common/ReaderPause.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <thread>

#ifdef _WIN32
#include <windows.h>

#include <QAbstractNativeEventFilter>
#endif

namespace {

std::function<void(int)> g_waitHook;

#ifdef _WIN32
// Qt holds back keys and clicks in the window during the pause, but not
// clicks on its frame: the close box or the system menu would act in the
// middle of a setting. They are dropped, as a window that does not answer
// meanwhile would miss them.
class HoldFrameClicks : public QAbstractNativeEventFilter {
public:
    HoldFrameClicks() { QCoreApplication::instance()->installNativeEventFilter(this); }
    ~HoldFrameClicks() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override
    {
        const UINT m = static_cast<const MSG*>(message)->message;
        return (m > WM_NCMOUSEMOVE && m <= WM_NCXBUTTONDBLCLK) || m == WM_SYSCOMMAND;
    }
};
#endif

}  // namespace

void Wait(int ms)
{
    if (g_waitHook) {
        g_waitHook(ms);
        return;
    }
    if (ms <= 0)
        return;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    if (QCoreApplication::instance()) {
        // The window keeps painting; input stays queued until the pause ends.
#ifdef _WIN32
        HoldFrameClicks hold;
#endif
        QEventLoop loop;
        QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    std::this_thread::sleep_until(until);  // never shorter than asked: the reader is storing
}

void SetWaitHook(std::function<void(int)> hook)
{
    g_waitHook = std::move(hook);
}
