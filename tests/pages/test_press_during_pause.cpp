// A press or a close that arrives during a reader's pause, by any road but
// the mouse and keys, acts once the setting it came into has ended.
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QTest>

#include <chrono>
#include <thread>
#include <utility>

#include "tests/pages/PagesFixture.h"

namespace {

using Trace = std::vector<std::string>;

// Records the window's close in the library's trace.
class CloseRecorder : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close)
            Fake().calls.push_back({"Close", {}, {}, {}});
        return QObject::eventFilter(watched, event);
    }
};

struct Road {
    const char* name;
    void (*send)(CTavelinDlg&);  // during the first pause
    Trace after;                 // what it does, after the first preset's calls and pauses
};
void PrintTo(const Road& r, std::ostream* os)
{
    *os << r.name;
}

const Trace kPreset = {"lc_setReadOnlyPara", "Wait", "lc_setBlockReadPara", "Wait"};

QAbstractButton& SecondPreset(CTavelinDlg& w)
{
    return w.SimplePage().Control<QAbstractButton>(CPage_comm::PresetButton(1));
}

class PressDuringPause : public PagesTest, public testing::WithParamInterface<Road> {};

TEST_P(PressDuringPause, ActsAfterTheSequenceItCameInto)
{
    const Road road = GetParam();
    CloseRecorder closes;
    dlg->installEventFilter(&closes);
    bool sent = false;
    // Real pauses, shorter than the reader's: the window paints in them and holds the rest.
    SetWaitHook([&](int) {
        Fake().calls.push_back({"Wait", {}, {}, {}});
        if (!std::exchange(sent, true))
            road.send(*dlg);
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
        PaintUntil(until);
        std::this_thread::sleep_until(until);
    });
    Trace expected = kPreset;
    expected.insert(expected.end(), road.after.begin(), road.after.end());

    Click(dlg->SimplePage(), CPage_comm::PresetButton(0));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Fake().calls.size() >= expected.size(); }, 20000));

    EXPECT_EQ(Ops(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Roads, PressDuringPause,
    testing::Values(
        Road{"QueuedCall",
             [](CTavelinDlg& w) { QMetaObject::invokeMethod(&SecondPreset(w), "click", Qt::QueuedConnection); },
             kPreset},
        // As a screen reader presses, over the accessibility bus.
        Road{"AccessibilityPress",
             [](CTavelinDlg& w) {
                 QAccessibleInterface* button = QAccessible::queryAccessibleInterface(&SecondPreset(w));
                 button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
             },
             kPreset},
        Road{"QueuedClose", [](CTavelinDlg& w) { QMetaObject::invokeMethod(&w, "close", Qt::QueuedConnection); },
             {"Close"}}),
    [](const auto& info) { return info.param.name; });

}  // namespace
