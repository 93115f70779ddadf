// The controls a template makes, in its order, and the dialog manager's
// arrow keys among them.
#include "framework/Dialog.h"
#include "framework/DlgItems.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <algorithm>

namespace {

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
        QLabel* label = PlainLabel(root);
        label->setText(TemplateTr(c.text));
        // One line, as all the templates' labels are: a caption a little wider
        // than its label loses a sliver, not a wrapped-away character.
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case ControlKind::Icon: {
        QLabel* label = PlainLabel(root);
        const int size = label->style()->pixelMetric(QStyle::PM_LargeIconSize);
        label->setPixmap(QIcon(QStringLiteral(":/res/icon%1.xpm").arg(c.text)).pixmap(size));
        return label;
    }
    case ControlKind::GroupBox: {
        auto* box = new QGroupBox(TemplateTr(c.text), root);
        // A frame, not a container: clicks go to the controls it surrounds.
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        return box;
    }
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto* button = new QPushButton(TemplateTr(c.text), root);
        // Enter is routed by Dialog::keyPressEvent.
        button->setAutoDefault(false);
        button->setDefault(c.kind == ControlKind::DefPushButton);
        return button;
    }
    case ControlKind::AutoRadio: {
        auto* radio = new DlgRadio(TemplateTr(c.text), root);
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
        combo->setMaxVisibleItems(30);  // as the platform's common controls show
        return combo;
    }
    }
    Q_UNREACHABLE();
    return nullptr;
}

}  // namespace

void DlgItems::UseTemplate(QWidget* root, int templateId)
{
    m_template = LoadTemplate(templateId);
    m_root = root;
    root->setObjectName(QString::number(templateId));
    const QFont font = TemplateFont(m_template);
    root->setFont(font);
    m_units = DialogBaseUnits(font);
    root->resize(DluToPixels(QRect(QPoint(0, 0), m_template.dluSize), m_units).size());
}

// Frames without a title that a template lets overlap by a sliver (the
// Special page's label and choice boxes by 3 units across and 1 down) share
// the edge instead: two lines a few pixels apart, more the larger the scale,
// become one.
static void JoinFrames(QWidget* root, QSize units)
{
    QList<QGroupBox*> frames;
    for (QGroupBox* box : root->findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly))
        if (box->title().isEmpty() && !box->isHidden())
            frames << box;
    const int sliverX = units.width(), sliverY = units.height() / 2;  // 4 units either way
    for (QGroupBox* a : frames) {
        for (QGroupBox* b : frames) {
            QRect ra = a->geometry();
            const QRect rb = b->geometry();
            const bool besideY = ra.top() < rb.bottom() && rb.top() < ra.bottom();
            const bool besideX = ra.left() < rb.right() && rb.left() < ra.right();
            const int overX = ra.right() - rb.left(), overY = ra.bottom() - rb.top();
            if (rb.left() > ra.left() && besideY && overX >= -1 && overX < sliverX)
                ra.setRight(rb.left());
            if (rb.top() > ra.top() && besideX && overY >= -1 && overY < sliverY)
                ra.setBottom(rb.top());
            a->setGeometry(ra);
        }
    }
}

void DlgItems::BuildControls()
{
    QWidget* root = m_root;
    QButtonGroup* group = nullptr;
    auto* arrows = new GroupArrows(root);
    QWidget* previous = nullptr;
    QList<QLabel*> awaitingBuddy;
    QList<QWidget*> translated;
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

        QRect rect = DluToPixels(c.dlu, m_units);
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
        else if (root->isVisible())
            w->show();  // built in the root's first show, which has shown its children already
        if (c.disabled)
            w->setEnabled(false);
        if ((c.kind == ControlKind::Static || c.kind == ControlKind::AutoRadio) && TemplateTr(c.text) != c.text)
            translated << w;
    }
    // A translated caption takes free room as a run-time one does.
    for (QWidget* w : translated)
        GrowToFit(w);

    JoinFrames(root, m_units);

    for (QButtonGroup* g : root->findChildren<QButtonGroup*>(Qt::FindDirectChildrenOnly)) {
        const QList<QAbstractButton*> radios = g->buttons();
        if (std::none_of(radios.begin(), radios.end(),
                         [](QAbstractButton* r) { return r->focusPolicy() == Qt::StrongFocus; }))
            continue;
        UpdateRadioTabStop(g);
        QObject::connect(g, &QButtonGroup::buttonToggled, g, [g] { UpdateRadioTabStop(g); });
    }
}
