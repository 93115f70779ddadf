#include "pages/special/DlgCardSizeDetail1.h"

#include "dataout/params.h"
#include "resource.h"

using namespace IDD_DLG_CARDSIZE_DETAIL1;

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
    if (IsChecked(IDC_RADIO_FRONT))
        *m_target = params::SnSizeFront(ItemInt(IDC_EDIT_FRONT));
    if (IsChecked(IDC_RADIO_BACK))
        *m_target = params::SnSizeBack(ItemInt(IDC_EDIT_BACK));
    MessageBoxOk(this, tr(kConfirmText), tr(kConfirmCaption),
                 QMessageBox::Information);
    Dialog::accept();
}
