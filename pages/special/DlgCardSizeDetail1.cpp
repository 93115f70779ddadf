#include "special/DlgCardSizeDetail1.h"

#include "params.h"

int32_t g_cardSizeDetail = 0;

CDlgCardSizeDetail1::CDlgCardSizeDetail1(QWidget* parent) : Dialog(134, parent)
{
    OnClicked(1042, [this] {
        ShowItem(1041, true);
        ShowItem(1043, false);
    });
    OnClicked(1044, [this] {
        ShowItem(1041, false);
        ShowItem(1043, true);
    });
}

bool CDlgCardSizeDetail1::OnInitDialog()
{
    Dialog::OnInitDialog();
    LimitText(1041, 2);
    LimitText(1043, 2);
    return true;
}

void CDlgCardSizeDetail1::accept()
{
    if (IsChecked(1042))
        *m_target = params::SnSizeFront(ItemInt(1041));
    if (IsChecked(1044))
        *m_target = params::SnSizeBack(ItemInt(1043));
    MessageBoxOk(this, QStringLiteral("Set ok"), QStringLiteral("Paramter set ok"), QMessageBox::Information);
    Dialog::accept();
}
