#include "framework/Dialog.h"

#include <QApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSpacerItem>
#include <QStyle>
#include <QTextDocument>
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
    return text.isEmpty() ? QString() : Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
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
