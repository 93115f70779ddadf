#include "pages/special/DlgCardSizeDetail1.h"

#include <cstdlib>

#include "dataout/params.h"
#include "resource.h"

using namespace IDD_DLG_CARDSIZE_DETAIL1;

namespace {

// The setting files' counted size choice ("First N" or "Last N") whose
// values start at `base`: the counts it takes are those a reader can be given.
const params::Choice& CountedSize(int32_t base)
{
    for (const params::Choice& c : params::kSizeChoices)
        if (c.maxCount > 0 && c.value == base)
            return c;
    std::abort();  // no such choice: the table's mistake
}

}  // namespace

CDlgCardSizeDetail1::CDlgCardSizeDetail1(QWidget* parent) : Dialog(IDD, parent)
{
    OnClicked(IDC_RADIO_FRONT, [this] {
        ShowItem(IDC_EDIT_FRONT, true);
        ShowItem(IDC_EDIT_BACK, false);
    });
    OnClicked(IDC_RADIO_BACK, [this] {
        ShowItem(IDC_EDIT_FRONT, false);
        ShowItem(IDC_EDIT_BACK, true);
    });
}

bool CDlgCardSizeDetail1::OnInitDialog()
{
    Dialog::OnInitDialog();
    LimitText(IDC_EDIT_FRONT, 2);
    LimitText(IDC_EDIT_BACK, 2);
    return true;
}

void CDlgCardSizeDetail1::accept()
{
    const bool back = IsChecked(IDC_RADIO_BACK);
    if (back || IsChecked(IDC_RADIO_FRONT)) {
        const int edit = back ? IDC_EDIT_BACK : IDC_EDIT_FRONT;
        const int n = ItemInt(edit);
        // Refused rather than sent as another: ORed with 0xF0, 20 would be the
        // last 4 bytes, and 0 from the front is All.
        const params::Choice& counted = CountedSize(back ? params::SnSizeBack(0) : params::SnSizeFront(0));
        if (!counted.Takes(n)) {
            MessageBoxOk(this, LoadString(IDS_SIZE_RANGE).arg(params::Choice::kMinCount).arg(counted.maxCount),
                         windowTitle(), QMessageBox::Warning);
            FocusAndSelectAll(edit);
            return;
        }
        *m_target = back ? params::SnSizeBack(n) : params::SnSizeFront(n);
    }
    MessageBoxOk(this, tr(kConfirmText), tr(kConfirmCaption),
                 QMessageBox::Information);
    Dialog::accept();
}
