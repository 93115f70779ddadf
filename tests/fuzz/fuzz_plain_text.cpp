// Outside text on the screen fuzzer: a message box and a label take any text
// as plain text, and a tip is rich text with no markup of the text's own (no
// link, picture, list or table) that reads back as the text.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTimer>
#include <cstdlib>
#include <memory>

#include "framework/Dialog.h"

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

// The text as a reader sees it, but for white space: a tip breaks a word
// wider than the screen anywhere.
QString Letters(const QString& text)
{
    QString letters;
    for (const QChar c : text)
        if (!c.isSpace() && c != QChar::LineSeparator && c != QChar::ParagraphSeparator)
            letters += c;
    return letters;
}

}  // namespace

// What the toolkit and the font stack keep for the process's life, as tests/lsan.supp has it.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\nleak:libQt6\nleak:libglib\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

    const std::unique_ptr<QLabel> label(PlainLabel(nullptr));
    label->setText(text);
    Check(label->textFormat() == Qt::PlainText);

    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        Check(box && box->textFormat() == Qt::PlainText && box->text() == text);
        shown = true;
        box->accept();
    });
    MessageBoxOk(nullptr, text, QStringLiteral("Load Special Setting"), QMessageBox::Warning);
    Check(shown);

    const QString tip = ReasonTip(text);
    if (text.isEmpty())
        return Check(tip.isEmpty()), 0;
    QTextDocument document;
    document.setHtml(tip);
    Check(document.rootFrame()->childFrames().isEmpty());
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        Check(!block.textList());
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            Check(!format.isImageFormat() && !format.isAnchor() && format.anchorHref().isEmpty());
        }
    }
    Check(Letters(document.toPlainText()) == Letters(text));
    return 0;
}
