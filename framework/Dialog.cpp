#include "framework/Dialog.h"

#include <algorithm>

#include <QApplication>
#include <QGridLayout>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>
#include <QStyle>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolTip>

namespace {

constexpr int kOkId = 1;
constexpr int kCancelId = 2;

}  // namespace

Dialog::Dialog(int templateId, QWidget* parent)
    : QDialog(parent)
{
    UseTemplate(this, templateId);
    BuildControls();
    setWindowTitle(TemplateTr(Template().caption));
    // Only what works on a fixed-size window: no maximise or minimise, no
    // resizing frame; the close box and system menu where the template has them.
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::MSWindowsFixedSizeDialogHint;
    if (Template().systemMenu)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    setWindowFlags(flags);
    setFixedSize(size());
    // OK and Cancel, where the template has them, end the dialog through
    // accept()/reject(), which subclasses override.
    if (Item(kOkId))
        OnClicked(kOkId, [this] { accept(); });
    if (Item(kCancelId))
        OnClicked(kCancelId, [this] { reject(); });
}

int Dialog::DoModal()
{
    return RunModal(*this);
}

void Dialog::showEvent(QShowEvent* event)
{
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
        FitLists();
    }
    QDialog::showEvent(event);
}

void Dialog::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier)) {
        QDialog::keyPressEvent(event);
        return;
    }
    // Enter clicks the focused push button, else the default button, else
    // ends the dialog with OK, as the platform's dialogs do.
    auto* button = qobject_cast<QPushButton*>(focusWidget());
    if (!button) {
        for (QPushButton* b : findChildren<QPushButton*>()) {
            if (b->isDefault() && b->window() == this) {
                button = b;
                break;
            }
        }
    }
    if (!button)
        accept();
    else if (button->isEnabled())
        button->click();
}

Page::Page(int templateId, QWidget* parent)
    : QWidget(parent)
{
    UseTemplate(this, templateId);
    setMinimumSize(size());  // so a sheet sizes itself to its largest page
}

void Page::Initialise()
{
    if (m_initialised)
        return;
    m_initialised = true;
    BuildControls();
    OnInitDialog();
    FitLists();
}

void Page::showEvent(QShowEvent* event)
{
    Initialise();
    QWidget::showEvent(event);
}

int RunModal(QDialog& dialog)
{
    const QPointer<QWidget> focus = QApplication::focusWidget();
    QWidget* parent = dialog.parentWidget();
    const QPointer<QWidget> owner = focus ? focus->window() : parent ? parent->window() : nullptr;
    const int result = dialog.exec();
    if (owner && owner->isVisible()) {
        if (!owner->isActiveWindow())
            owner->activateWindow();
        if (focus)
            focus->setFocus(Qt::ActiveWindowFocusReason);
    }
    return result;
}

void MessageBoxOk(QWidget* owner, const QString& text, const QString& caption, QMessageBox::Icon icon)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    // Qt sizes the box to its text and leaves the title bar a fixed margin,
    // which a window manager's larger title font, icon and buttons outgrow.
    // Room for the caption in bold, and for four title-bar squares besides.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
        titleFont.setBold(true);
        const int square = box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &box);
        const int need = QFontMetrics(titleFont).horizontalAdvance(caption) + 4 * square;
        grid->addItem(new QSpacerItem(need, 0, QSizePolicy::Fixed, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    RunModal(box);
}

QLabel* PlainLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QString ReasonTip(const QString& text)
{
    if (text.isEmpty())
        return {};
    const QFont font = QToolTip::font();
    const QFontMetrics metrics(font);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->availableGeometry().width() : 1024;
    const int readable = std::min(60 * metrics.averageCharWidth(), screenWidth / 3);
    const int widest = screenWidth - 4 * metrics.averageCharWidth();  // the tip's frame and margins besides

    QStringList lines;
    const auto add = [&](const QString& line) {
        if (metrics.horizontalAdvance(line) <= widest)
            return lines.append(line);
        // A single word wider than the screen: broken anywhere, in one pass.
        QTextLayout layout(line, font);
        QTextOption anywhere;
        anywhere.setWrapMode(QTextOption::WrapAnywhere);
        layout.setTextOption(anywhere);
        layout.beginLayout();
        for (QTextLine piece = layout.createLine(); piece.isValid(); piece = layout.createLine()) {
            piece.setLineWidth(widest);
            lines.append(line.mid(piece.textStart(), piece.textLength()));
        }
        layout.endLayout();
    };
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (const QString& word : paragraph.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (!line.isEmpty() && metrics.horizontalAdvance(longer) > readable) {
                add(line);
                line = word;
            } else {
                line = longer;
            }
        }
        add(line);
    }
    // Kept as broken here: Qt's own wrapping of a tip narrows it to a few words a
    // line. The Windows builds' Qt has no CSS, and there it still does.
    for (QString& line : lines)
        line = line.toHtmlEscaped();
    return QStringLiteral("<p style=\"white-space:pre\">") + lines.join(QStringLiteral("<br>")) +
           QStringLiteral("</p>");
}

namespace {

// Shows the tips of the widget it watches below what they explain.
class TipsBelow : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ToolTip)
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        const QPoint pointer = static_cast<QHelpEvent*>(event)->pos();
        QString tip = widget->toolTip();
        QRect explained = widget->rect();
        if (auto* box = qobject_cast<QPlainTextEdit*>(widget->parentWidget()); box && box->viewport() == widget) {
            const QTextCursor at = box->cursorForPosition(pointer);
            tip = at.charFormat().toolTip();
            const QRect line = box->cursorRect(at);
            explained = QRect(0, line.top(), widget->width(), line.height());
        }
        if (tip.isEmpty())
            return false;
        const QPoint anchor = widget->mapToGlobal(QPoint(pointer.x(), explained.bottom()));
        QToolTip::showText(anchor, tip, widget, explained);
        const QRect global(widget->mapToGlobal(explained.topLeft()), explained.size());
        const QRect screen = widget->screen()->availableGeometry();
        for (QWidget* label : QApplication::topLevelWidgets()) {
            if (label->objectName() != QLatin1String("qtooltip_label") || !label->isVisible())
                continue;
            int y = global.bottom() + 3;
            if (y + label->height() > screen.bottom() + 1)
                y = global.top() - 2 - label->height();
            const int right = std::max(screen.left(), screen.right() + 1 - label->width());
            label->move(std::clamp(anchor.x(), screen.left(), right), y);
        }
        return true;
    }
};

}  // namespace

void ShowTipsBelow(QWidget* widget)
{
    auto* box = qobject_cast<QPlainTextEdit*>(widget);
    QWidget* watched = box ? box->viewport() : widget;
    watched->installEventFilter(new TipsBelow(watched));
}

void UseReadableTips()
{
    const QPalette text = QApplication::palette();
    QPalette tips = QToolTip::palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        tips.setColor(group, QPalette::ToolTipText, text.color(group, QPalette::Text));
        tips.setColor(group, QPalette::ToolTipBase, text.color(group, QPalette::Base));
    }
    QToolTip::setPalette(tips);
}

BusyCursor::BusyCursor()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QGuiApplication::restoreOverrideCursor();
}
