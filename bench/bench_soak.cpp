// Soak: many Open/Close cycles and Special "Set" presses through the real
// window and library against an emulated reader that stores at once, with
// the pauses skipped. Counters show memory and descriptors before and after;
// growth would be a leak.
#include <QAbstractButton>
#include <QApplication>
#include <QTabWidget>
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <filesystem>
#include <fstream>

#include "pages/common/ReaderPause.h"
#include "resource.h"
#include "tests/support/EmulatedReader.h"

namespace {

namespace specialPage = IDD_PAGE_SPECIAL;

// Bytes the allocator has handed out and not had back: grows with a leak.
double HeapInUseKiB()
{
    return double(mallinfo2().uordblks) / 1024.0;
}

double ResidentKiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / 1024.0;
}

double OpenFds()
{
    double n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

// Runs `press` `count` times, clearing the log every 1000 presses (the log
// keeps every line by design, which is not what this measures).
template <typename Press>
bool Soak(benchmark::State& state, EmulatedReader& setup, int count, Press press)
{
    press();  // first use allocates what stays for the process's life
    QApplication::processEvents();
    setup.dlg->ClearLog();
    const double heap = HeapInUseKiB(), kib = ResidentKiB(), fds = OpenFds();
    for (int i = 1; i <= count; ++i) {
        const bool ok = press();
        QApplication::processEvents();  // back to the event loop, as after a real press
        if (!ok) {
            state.SkipWithError(setup.dlg->LogText().toStdString().c_str());
            return false;
        }
        if (i % 1000 == 0)
            setup.dlg->ClearLog();
    }
    state.counters["heap_growth_KiB"] = HeapInUseKiB() - heap;
    state.counters["rss_growth_KiB"] = ResidentKiB() - kib;
    state.counters["fd_growth"] = OpenFds() - fds;
    state.counters["presses"] = count;
    return true;
}

// Opens the link on a reader that stores at once; false (and the benchmark
// skipped) when that fails.
bool Ready(benchmark::State& state, EmulatedReader& setup)
{
    if (const std::string error = setup.Start(115200); !error.empty()) {
        state.SkipWithError(error.c_str());
        return false;
    }
    setup.reader.SetStoreMs(0);
    return true;
}

bool LastLineIs(const CTavelinDlg& dlg, const char* line)
{
    return dlg.LogText().endsWith(QString::fromUtf8(line) + QStringLiteral("\r\n"));
}

void BM_OpenCloseCycles(benchmark::State& state)
{
    EmulatedReader setup;
    if (!Ready(state, setup))
        return;
    setup.dlg->OnOpenClose();  // the fixture leaves it open
    for (auto _ : state) {
        Soak(state, setup, int(state.range(0)), [&] {
            setup.dlg->OnOpenClose();
            const bool opened = LastLineIs(*setup.dlg, "Reader link ok");
            setup.dlg->OnOpenClose();
            return opened && LastLineIs(*setup.dlg, "Reader link released");
        });
    }
}
BENCHMARK(BM_OpenCloseCycles)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_SpecialSetPresses(benchmark::State& state)
{
    EmulatedReader setup;
    if (!Ready(state, setup))
        return;
    SetWaitHook([](int) {});
    setup.dlg->Sheet()->setCurrentIndex(1);
    auto* set = &setup.dlg->SpecialPage().Control<QAbstractButton>(specialPage::IDC_BTN_SET);
    for (auto _ : state) {
        Soak(state, setup, int(state.range(0)), [&] {
            set->click();
            return LastLineIs(*setup.dlg, "Set ok");
        });
    }
    SetWaitHook(nullptr);
}
BENCHMARK(BM_SpecialSetPresses)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
