#include "Dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSpacerItem>
#include <QStyle>
#include <algorithm>
#include <chrono>
#include <thread>

namespace {

constexpr int kOkId = 1;
constexpr int kCancelId = 2;

class DlgRadio : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    // The whole control takes a click, as the platform's radios do; some
    // styles (the Windows one) take it only on the mark and the text.
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

// The platform's dialog manager moves the focus with the arrow keys among
// the controls of the focused one's group: from a control that starts a
// group round to the next one that does (a template without any group start
// is one group), passing over labels, frames, hidden and disabled controls.
// A radio reached this way is clicked, so its handler runs. Only buttons hand
// the arrows on; edits and lists keep them.
class GroupArrows : public QObject {
public:
    using QObject::QObject;

    void Add(QWidget* control, bool groupStart, bool canFocus)
    {
        m_order.append({control, groupStart, canFocus});
        if (qobject_cast<QAbstractButton*>(control))
            control->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const int step = (key->key() == Qt::Key_Down || key->key() == Qt::Key_Right) ? 1
                         : (key->key() == Qt::Key_Up || key->key() == Qt::Key_Left)  ? -1
                                                                                     : 0;
        if (step == 0 || (key->modifiers() & ~Qt::KeypadModifier))
            return false;
        const QList<Control> group = GroupOf(watched);
        const qsizetype n = group.size(), self = group.indexOf(watched);
        for (qsizetype k = 1; k < n; ++k) {
            const Control& next = group[((self + step * k) % n + n) % n];
            if (!next.canFocus || next.widget->isHidden() || !next.widget->isEnabled())
                continue;
            next.widget->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            if (auto* radio = qobject_cast<QRadioButton*>(next.widget); radio && !radio->isChecked())
                radio->click();
            break;
        }
        return true;
    }

private:
    struct Control {
        QWidget* widget;
        bool groupStart;
        bool canFocus;
        bool operator==(const QObject* w) const { return widget == w; }
    };

    QList<Control> GroupOf(QObject* control) const
    {
        const qsizetype n = m_order.size(), self = m_order.indexOf(control);
        qsizetype start = 0;
        for (qsizetype k = 0; k < n; ++k) {
            if (m_order[(self - k + n) % n].groupStart) {
                start = (self - k + n) % n;
                break;
            }
        }
        QList<Control> group{m_order[start]};
        for (qsizetype k = 1; k < n && !m_order[(start + k) % n].groupStart; ++k)
            group << m_order[(start + k) % n];
        return group;
    }

    QList<Control> m_order;  // template order
};

// Tab reaches one radio of a group with tab stops: the checked one, or the
// first while none is checked.
void UpdateRadioTabStop(QButtonGroup* group)
{
    QAbstractButton* stop = group->checkedButton() ? group->checkedButton() : group->buttons().value(0);
    for (QAbstractButton* radio : group->buttons())
        radio->setFocusPolicy(radio == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

QWidget* NewControl(const ControlTemplate& c, QWidget* root)
{
    switch (c.kind) {
    case ControlKind::Static: {
        auto* label = new QLabel(c.text, root);
        label->setTextFormat(Qt::PlainText);
        // One line, as all the templates' labels are: a caption a little wider
        // than its label loses a sliver, not a wrapped-away character.
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case ControlKind::Icon: {
        auto* label = new QLabel(root);
        const int size = label->style()->pixelMetric(QStyle::PM_LargeIconSize);
        label->setPixmap(QIcon(QStringLiteral(":/res/icon%1.xpm").arg(c.text)).pixmap(size));
        return label;
    }
    case ControlKind::GroupBox: {
        auto* box = new QGroupBox(c.text, root);
        // A frame, not a container: clicks go to the controls it surrounds.
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        return box;
    }
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto* button = new QPushButton(c.text, root);
        // Enter is routed by Dialog::keyPressEvent.
        button->setAutoDefault(false);
        button->setDefault(c.kind == ControlKind::DefPushButton);
        return button;
    }
    case ControlKind::AutoRadio: {
        auto* radio = new DlgRadio(c.text, root);
        radio->setAutoExclusive(false);
        return radio;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(root);
        edit->setFrame(c.border);
        edit->setReadOnly(c.readOnly);
        if (c.numbersOnly) {
            static const QRegularExpression digits(QStringLiteral("[0-9]*"));
            edit->setValidator(new QRegularExpressionValidator(digits, edit));
        }
        return edit;
    }
    case ControlKind::MultiLineEdit: {
        auto* edit = new QPlainTextEdit(root);
        edit->setTabChangesFocus(true);
        edit->setReadOnly(c.readOnly);
        if (!c.border)
            edit->setFrameShape(QFrame::NoFrame);
        edit->setVerticalScrollBarPolicy(c.vScroll ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit->setLineWrapMode(c.autoHScroll ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
        return edit;
    }
    case ControlKind::DropDownList: {
        auto* combo = new QComboBox(root);
        combo->addItems(c.items);
        combo->setMaxVisibleItems(30);  // as the platform's common controls show
        return combo;
    }
    }
    Q_UNREACHABLE();
    return nullptr;
}

std::function<void(int)> g_waitHook;

}  // namespace

void DlgItems::Build(QWidget* root, int templateId)
{
    m_template = LoadTemplate(templateId);
    m_root = root;
    root->setObjectName(QString::number(templateId));
    const QFont font = TemplateFont(m_template);
    root->setFont(font);
    const QSize units = DialogBaseUnits(font);

    QButtonGroup* group = nullptr;
    auto* arrows = new GroupArrows(root);
    QWidget* previous = nullptr;
    QList<QLabel*> awaitingBuddy;
    for (const ControlTemplate& c : m_template.controls) {
        QWidget* w = NewControl(c, root);
        // A label's mnemonic ('&') leads to the next tab stop after it.
        if (c.tabStop) {
            for (QLabel* label : awaitingBuddy)
                label->setBuddy(w);
            awaitingBuddy.clear();
        }
        if (c.kind == ControlKind::Static && !c.noPrefix)
            awaitingBuddy << static_cast<QLabel*>(w);
        if (c.id != -1)
            w->setObjectName(QString::number(c.id));
        const bool label = c.kind == ControlKind::Static || c.kind == ControlKind::Icon ||
                           c.kind == ControlKind::GroupBox;
        arrows->Add(w, c.groupStart, !label);

        QRect rect = DluToPixels(c.dlu, units);
        if (c.kind == ControlKind::DropDownList)
            // The template height is the drop-down's. The width hint is left
            // alone: a list works it out once, when first asked, and its items
            // come later.
            rect.setHeight(w->minimumSizeHint().height());
        else if (c.kind == ControlKind::Icon)
            rect.setSize(w->sizeHint());  // an icon control takes its icon's size
        w->setGeometry(rect);

        if (!c.tabStop && w->focusPolicy() != Qt::NoFocus)
            w->setFocusPolicy(Qt::ClickFocus);
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;

        // A radio group runs from one group start to the next, whatever lies between.
        if (c.groupStart)
            group = nullptr;
        if (auto* radio = qobject_cast<QRadioButton*>(w)) {
            if (!group)
                group = new QButtonGroup(root);
            group->addButton(radio);
        }
        if (c.kind == ControlKind::GroupBox)
            w->lower();
        if (c.hidden)
            w->hide();
        if (c.disabled)
            w->setEnabled(false);
    }

    for (QButtonGroup* g : root->findChildren<QButtonGroup*>(Qt::FindDirectChildrenOnly)) {
        const QList<QAbstractButton*> radios = g->buttons();
        if (std::none_of(radios.begin(), radios.end(),
                         [](QAbstractButton* r) { return r->focusPolicy() == Qt::StrongFocus; }))
            continue;
        UpdateRadioTabStop(g);
        QObject::connect(g, &QButtonGroup::buttonToggled, g, [g] { UpdateRadioTabStop(g); });
    }

    const QRect client = DluToPixels(QRect(QPoint(0, 0), m_template.dluSize), units);
    root->resize(client.size());
}

QWidget* DlgItems::Item(int id) const
{
    if (!m_root || id == -1)
        return nullptr;
    return m_root->findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

bool DlgItems::IsChecked(int id) const
{
    auto* button = qobject_cast<QAbstractButton*>(Item(id));
    return button && button->isChecked();
}

void DlgItems::SetCheck(int id, bool checked)
{
    auto* button = qobject_cast<QAbstractButton*>(Item(id));
    if (!button)
        return;
    QButtonGroup* group = button->group();
    if (!checked && group && group->exclusive()) {
        // An exclusive group keeps its checked button; the platform's check state does not.
        group->setExclusive(false);
        button->setChecked(false);
        group->setExclusive(true);
    } else {
        button->setChecked(checked);
    }
}

int DlgItems::SelectedIndex(int id) const
{
    auto* combo = qobject_cast<QComboBox*>(Item(id));
    return combo ? combo->currentIndex() : -1;
}

void DlgItems::SetSelectedIndex(int id, int index)
{
    if (auto* combo = qobject_cast<QComboBox*>(Item(id)))
        combo->setCurrentIndex(index);
}

void DlgItems::AddString(int id, const QString& text)
{
    if (auto* combo = qobject_cast<QComboBox*>(Item(id)))
        combo->addItem(text);
}

QString DlgItems::ItemText(int id) const
{
    QWidget* w = Item(id);
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    if (auto* text = qobject_cast<QPlainTextEdit*>(w))
        return text->toPlainText();
    if (auto* box = qobject_cast<QGroupBox*>(w))
        return box->title();
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->currentText();
    return {};
}

QByteArray DlgItems::ItemText8(int id) const
{
    return ItemText(id).toLocal8Bit();
}

int DlgItems::ItemInt(int id) const
{
    return ParseDlgInt(ItemText(id));
}

// Run-time captions can be longer than the template's, and a list's items
// wider than its template width in the font in use: a label, radio or list
// grows into free room on its right, then on its left, never over another
// control, so no text is cut where the layout leaves space.
static void GrowToFit(QWidget* w)
{
    const int need = w->sizeHint().width();
    QRect r = w->geometry();
    if (need <= r.width())
        return;
    int right = w->parentWidget()->width(), left = 0;
    for (auto* other : w->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QRect o = other->geometry();
        if (other == w || qobject_cast<QGroupBox*>(other) || o.bottom() < r.top() || o.top() > r.bottom())
            continue;
        if (o.left() > r.left())
            right = std::min(right, o.left() - 1);
        else if (o.right() < r.left())
            left = std::max(left, o.right() + 2);
    }
    r.setRight(std::min(right, r.left() + need - 1));
    if (r.width() < need)
        r.setLeft(std::max(left, r.right() - need + 1));
    w->setGeometry(r);
}

void DlgItems::FitLists()
{
    // A hidden list is fitted when it is shown: measuring every item of a
    // long list is a noticeable part of start-up.
    for (QComboBox* combo : m_root->findChildren<QComboBox*>(Qt::FindDirectChildrenOnly))
        if (!combo->isHidden())
            GrowToFit(combo);
}

void DlgItems::SetItemText(int id, const QString& text)
{
    QWidget* w = Item(id);
    if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(text);
        GrowToFit(label);
    } else if (auto* radio = qobject_cast<QRadioButton*>(w)) {
        radio->setText(text);
        GrowToFit(radio);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
        plain->setPlainText(text);
    else if (auto* box = qobject_cast<QGroupBox*>(w))
        box->setTitle(text);
}

void DlgItems::LimitText(int id, int maxChars)
{
    // As on the platform, a limit of 0 (or less) means no practical limit.
    if (auto* edit = qobject_cast<QLineEdit*>(Item(id)))
        edit->setMaxLength(maxChars > 0 ? maxChars : 32767);
}

void DlgItems::EnableItem(int id, bool enabled)
{
    if (QWidget* w = Item(id))
        w->setEnabled(enabled);
}

void DlgItems::ShowItem(int id, bool visible)
{
    QWidget* w = Item(id);
    if (!w)
        return;
    w->setVisible(visible);
    if (visible && qobject_cast<QComboBox*>(w))
        GrowToFit(w);
}

void DlgItems::FocusAndSelectAll(int id)
{
    QWidget* w = Item(id);
    if (!w)
        return;
    w->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->selectAll();  // leaves the cursor at the end, which the edit keeps in view
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(w)) {
        text->selectAll();
        text->ensureCursorVisible();
    }
}

void DlgItems::LabelItem(int id, int labelId)
{
    QWidget* control = Item(id);
    auto* label = qobject_cast<QLabel*>(Item(labelId));
    if (!control || !label)
        return;
    for (QLabel* other : m_root->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        if (other->buddy() == control)
            other->setBuddy(nullptr);
    label->setBuddy(control);
}

void DlgItems::OnClicked(int id, std::function<void()> handler)
{
    if (auto* button = qobject_cast<QAbstractButton*>(Item(id)))
        QObject::connect(button, &QAbstractButton::clicked, button, std::move(handler));
}

Dialog::Dialog(int templateId, QWidget* parent)
    : QDialog(parent)
{
    Build(this, templateId);
    setWindowTitle(Template().caption);
    // Only what works on a fixed-size window: no maximise or minimise, no
    // resizing frame; the close box and system menu where the template has them.
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::MSWindowsFixedSizeDialogHint;
    if (Template().systemMenu)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    setWindowFlags(flags);
    setFixedSize(size());
    // OK and Cancel end the dialog through accept()/reject(), which subclasses override.
    OnClicked(kOkId, [this] { accept(); });
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
    Build(this, templateId);
    setMinimumSize(size());  // so a sheet sizes itself to its largest page
}

void Page::Initialise()
{
    if (m_initialised)
        return;
    m_initialised = true;
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

void Wait(int ms)
{
    if (g_waitHook)
        g_waitHook(ms);
    else if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SetWaitHook(std::function<void(int)> hook)
{
    g_waitHook = std::move(hook);
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

int ParseDlgInt(const QString& text, bool* ok)
{
    static const QRegularExpression number(QStringLiteral("^\\s*-?[0-9]+\\s*$"));
    bool valid = number.match(text).hasMatch();
    const int value = valid ? text.trimmed().toInt(&valid) : 0;
    if (ok)
        *ok = valid;
    return valid ? value : 0;
}
