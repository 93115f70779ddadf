// Pages over the recording fake of the reader library: a page alone, or in a
// real main window.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/TavelinDlg.h"
#include "pages/common/ReaderLink.h"
#include "pages/common/ReaderPause.h"
#include "resource.h"
#include "tests/fakes/fake_t2.h"

namespace mainDlg = IDD_TAVELIN_DIALOG;

constexpr int32_t kHandle = 7;  // what the fake's lc_init hands out

// The recording library, with every pause recorded in its trace as a "Wait" entry.
class FakeLibraryTest : public testing::Test {
protected:
    void SetUp() override
    {
        Fake().Reset();
        Fake().initDefault = kHandle;
        SetWaitHook([this](int ms) {
            Fake().calls.push_back({"Wait", {ms}, {}, {}});
            busyDuringWaits.push_back(IsBusy());
        });
    }
    void TearDown() override
    {
        EXPECT_FALSE(IsBusy()) << "wait cursor left behind";
        SetWaitHook(nullptr);
    }

    static bool IsBusy()
    {
        const QCursor* c = QApplication::overrideCursor();
        return c && c->shape() == Qt::WaitCursor;
    }
    static void Click(DlgItems& w, int id) { w.Control<QAbstractButton>(id).click(); }
    static QLineEdit* Edit(DlgItems& w, int id) { return &w.Control<QLineEdit>(id); }

    static std::vector<std::string> Ops() { return Fake().Ops(); }
    // The first recorded call of `op`.
    static const T2Call& Call(const std::string& op)
    {
        for (const T2Call& c : Fake().calls)
            if (c.op == op)
                return c;
        throw std::runtime_error("no call " + op);
    }

    std::vector<bool> busyDuringWaits;
};

// A real main window over it, with the link open.
class PagesTest : public FakeLibraryTest {
protected:
    void SetUp() override
    {
        FakeLibraryTest::SetUp();
        dlg = std::make_unique<CTavelinDlg>();
        dlg->show();
        dlg->OnOpenClose();
        dlg->ClearLog();
        Fake().calls.clear();
    }
    void TearDown() override
    {
        FakeLibraryTest::TearDown();
        dlg.reset();
    }

    // Log lines since the link was opened.
    QStringList Log() const
    {
        QStringList lines = dlg->LogText().split(QStringLiteral("\r\n"));
        lines.removeLast();  // every line ends with a break
        return lines;
    }
    // What the log's last line explains over itself.
    QString LastLogToolTip() const
    {
        auto* log = &dlg->Control<QPlainTextEdit>(mainDlg::IDC_EDIT_MSG);
        const QString tip = log->document()->lastBlock().previous().begin().fragment().charFormat().toolTip();
        EXPECT_TRUE(tip.isEmpty() || Qt::mightBeRichText(tip)) << "a plain tip runs off the screen: " << tip.toStdString();
        QTextDocument shown;
        shown.setHtml(tip);
        return shown.toPlainText();
    }
    std::unique_ptr<CTavelinDlg> dlg;
};

inline const std::vector<unsigned char> kZero8(8, 0), kZero3(3, 0);
inline const std::vector<unsigned char> kDefaultKeyBytes = {0x3A, 0x7F, 0x19, 0xC2, 0xE8, 0x45};

// Runs `act` on the modal window of type W as soon as it is up; anything else
// that turns up modal is a failure and gets closed, so no test hangs.
template <class W>
inline void WhenModal(std::function<void(W&)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* w = dynamic_cast<W*>(modal))
            return act(*w);
        ADD_FAILURE() << "expected modal window missing, found " << (modal ? modal->metaObject()->className() : "none");
        if (auto* d = qobject_cast<QDialog*>(modal))
            d->reject();
    });
}
