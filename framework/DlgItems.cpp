#include "framework/DlgItems.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <algorithm>

QWidget* DlgItems::Item(int id) const
{
    if (!m_root || id == -1)
        return nullptr;
    return m_root->findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

void DlgItems::WrongControl(int id, const char* wanted, const QWidget* found) const
{
    if (!found)
        qFatal("template %d has no control %d (a %s wanted)", m_template.id, id, wanted);
    qFatal("control %d of template %d is a %s, not a %s", id, m_template.id, found->metaObject()->className(),
           wanted);
}

bool DlgItems::IsChecked(int id) const
{
    return Control<QAbstractButton>(id).isChecked();
}

void DlgItems::SetCheck(int id, bool checked)
{
    auto& button = Control<QAbstractButton>(id);
    QButtonGroup* group = button.group();
    if (!checked && group && group->exclusive()) {
        // An exclusive group keeps its checked button; the platform's check state does not.
        group->setExclusive(false);
        button.setChecked(false);
        group->setExclusive(true);
    } else {
        button.setChecked(checked);
    }
}

int DlgItems::SelectedIndex(int id) const
{
    return Control<QComboBox>(id).currentIndex();
}

void DlgItems::SetSelectedIndex(int id, int index)
{
    Control<QComboBox>(id).setCurrentIndex(index);
}

void DlgItems::AddString(int id, const QString& text)
{
    Control<QComboBox>(id).addItem(text);
}

QString DlgItems::ItemText(int id) const
{
    QWidget* w = &Control(id);
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
    WrongControl(id, "control with a text", w);
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
void DlgItems::GrowToFit(QWidget* w)
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
    QWidget* w = &Control(id);
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
    else
        WrongControl(id, "control with a text", w);
}

void DlgItems::LimitText(int id, int maxChars)
{
    // As on the platform, a limit of 0 (or less) means no practical limit.
    Control<QLineEdit>(id).setMaxLength(maxChars > 0 ? maxChars : 32767);
}

void DlgItems::EnableItem(int id, bool enabled)
{
    Control(id).setEnabled(enabled);
}

void DlgItems::ShowItem(int id, bool visible)
{
    QWidget* w = &Control(id);
    w->setVisible(visible);
    if (visible && qobject_cast<QComboBox*>(w))
        GrowToFit(w);
}

void DlgItems::FocusAndSelectAll(int id)
{
    QWidget* w = &Control(id);
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
    QWidget* control = &Control(id);
    auto* label = &Control<QLabel>(labelId);
    for (QLabel* other : m_root->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        if (other->buddy() == control)
            other->setBuddy(nullptr);
    label->setBuddy(control);
}

void DlgItems::OnClicked(int id, std::function<void()> handler)
{
    auto* button = &Control<QAbstractButton>(id);
    QObject::connect(button, &QAbstractButton::clicked, button, std::move(handler));
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
