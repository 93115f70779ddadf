// What a screen reader says for every control a user can reach: the main
// window with each page in turn, and the detail dialog with each edit shown.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QTabBar>
#include <QTabWidget>
#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "app/TavelinDlg.h"
#include "pages/special/DlgCardSizeDetail1.h"
#include "resource.h"
#include "tests/support/qt_print.h"

namespace {

namespace mainDlg = IDD_TAVELIN_DIALOG;
namespace commPage = IDD_PAGE_COMM;
namespace specialPage = IDD_PAGE_SPECIAL;
namespace detailDlg = IDD_DLG_CARDSIZE_DETAIL1;

// Edits and combos carry the text of the label a sighted user reads beside
// them, the log (which has none) what it is; keyed by template and ID.
const std::map<std::pair<int, int>, QString> kLabelled = {
    {{mainDlg::IDD, mainDlg::IDC_COMBO_PORT}, "Port"},
    {{mainDlg::IDD, mainDlg::IDC_COMBO_BAUD}, "Baud"},
    {{mainDlg::IDD, mainDlg::IDC_EDIT_MSG}, "Message log"},
    {{commPage::IDD, commPage::IDC_EDIT_VERSION}, "Get-Ver"},
    {{specialPage::IDD, specialPage::IDC_EDIT_LENGTH}, "Chars"},
    {{specialPage::IDD, specialPage::IDC_COMBO_ADDR}, "Addr"},
    {{specialPage::IDD, specialPage::IDC_EDIT_PASSWORD}, "Password"},
    {{detailDlg::IDD, detailDlg::IDC_EDIT_FRONT}, "个字节"},
    {{detailDlg::IDD, detailDlg::IDC_EDIT_BACK}, "个字节"},
};

// What a sighted user reads on or beside `w`, or nothing when it is no
// control a user reaches (a label, a frame without caption, a hidden page).
std::optional<QString> Visible(QWidget* w)
{
    if (!w->isVisible())
        return std::nullopt;
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* box = qobject_cast<QGroupBox*>(w))
        return box->title().isEmpty() ? std::nullopt : std::optional(box->title());
    if (auto* page = dynamic_cast<Page*>(w)) {
        auto* sheet = qobject_cast<QTabWidget*>(page->parentWidget()->parentWidget());
        return sheet->tabText(sheet->indexOf(page));
    }
    // The sheet and its tab row hold the tabs, which are walked one by one.
    if (w->focusPolicy() == Qt::NoFocus || qobject_cast<QTabWidget*>(w) || qobject_cast<QTabBar*>(w))
        return std::nullopt;
    const auto labelled = kLabelled.find({w->parentWidget()->objectName().toInt(), w->objectName().toInt()});
    return labelled != kLabelled.end() ? labelled->second : QStringLiteral("(no label for %1)").arg(w->objectName());
}

// The name a screen reader gives a control: the text of its label where one
// labels it (Qt on Linux names a combo box by its value and leaves the name to
// that relation), else its accessible name.
QString SpokenName(QAccessibleInterface* control)
{
    const auto labels = control->relations(QAccessible::Label);
    EXPECT_LE(labels.size(), 1) << "labels of " << control->object()->objectName().toStdString();
    return labels.isEmpty() ? control->text(QAccessible::Name) : labels.first().first->text(QAccessible::Name);
}

// Walks the accessible tree under `node`; checks the name of each reachable
// control and each tab, and counts them.
int CheckNames(QAccessibleInterface* node)
{
    int checked = 0;
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (!child)
            continue;
        if (child->role() == QAccessible::PageTab) {
            EXPECT_EQ(SpokenName(child), qobject_cast<QTabBar*>(node->object())->tabText(i));
            ++checked;
        } else if (auto* w = qobject_cast<QWidget*>(child->object())) {
            if (const auto seen = Visible(w)) {
                const QString name = SpokenName(child);
                EXPECT_FALSE(name.isEmpty()) << w->metaObject()->className();
                EXPECT_EQ(name, *seen) << "control " << w->objectName().toStdString();
                ++checked;
            }
        }
        checked += CheckNames(child);
    }
    return checked;
}

int CheckNamesOf(QWidget* window)
{
    return CheckNames(QAccessible::queryAccessibleInterface(window));
}

TEST(ScreenReader, HearsWhatTheEyeReadsOnEveryReachableControl)
{
    CTavelinDlg dlg;
    dlg.show();
    // The link row (5), the tabs (2), the Simple page, its 2 frames, 6 presets, Get-Ver and its box.
    EXPECT_EQ(CheckNamesOf(&dlg), 18);
    dlg.Sheet()->setCurrentIndex(1);
    // The row, the tabs, the Special page, its 13 radios, Detail, Set, the length, block and key boxes.
    EXPECT_EQ(CheckNamesOf(&dlg), 26);

    CDlgCardSizeDetail1 detail(&dlg);
    detail.show();
    EXPECT_EQ(CheckNamesOf(&detail), 3);  // OK and two radios; both edits hidden
    for (int radio : {detailDlg::IDC_RADIO_FRONT, detailDlg::IDC_RADIO_BACK}) {
        detail.Control<QAbstractButton>(radio).click();
        EXPECT_EQ(CheckNamesOf(&detail), 4) << radio;  // and the edit it shows
    }
}

}  // namespace
