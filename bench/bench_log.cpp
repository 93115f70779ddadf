// Cost of one log append as the log grows: the program's append against
// putting the whole text into the box each time.
#include <QPlainTextEdit>
#include <benchmark/benchmark.h>

#include "app/TavelinDlg.h"
#include "resource.h"

namespace {

namespace mainDlg = IDD_TAVELIN_DIALOG;

void Fill(CTavelinDlg& dlg, int64_t lines)
{
    for (int64_t i = 0; i < lines; ++i)
        dlg.AppendLog(QStringLiteral("Set return error，code: 0x%1").arg(i), 1);
}

void BM_AppendLog(benchmark::State& state)
{
    CTavelinDlg dlg;
    dlg.show();
    Fill(dlg, state.range(0));
    for (auto _ : state)
        dlg.AppendLog(QStringLiteral("Set ok"), 1);
}
BENCHMARK(BM_AppendLog)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_SetWholeText(benchmark::State& state)
{
    CTavelinDlg dlg;
    dlg.show();
    Fill(dlg, state.range(0));
    auto* box = &dlg.Control<QPlainTextEdit>(mainDlg::IDC_EDIT_MSG);
    QString text = dlg.LogText();
    for (auto _ : state) {
        text += QStringLiteral("Set ok\r\n");
        box->setPlainText(text);
        box->moveCursor(QTextCursor::End);
        box->ensureCursorVisible();
    }
}
BENCHMARK(BM_SetWholeText)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
