#include "special/Page_special.h"

#include <initializer_list>
#include <utility>

#include "common/ReaderLink.h"
#include "params.h"
#include "special/DlgCardSizeDetail1.h"
#include "t2.h"

namespace {

const struct {
    int id;
    const char* text;
} kCaptions[] = {
    {1051, "SN Size"},    {1001, "All"},         {1008, "Self-Define"},       {1023, "Detail"},
    {1054, "Data Base"},  {1006, "Decimal"},     {1007, "Hexadecimal"},       {1009, "Wiegand"},
    {1010, "String"},     {1055, "Data Orien"},  {1011, "Reverse"},           {1012, "Forward"},
    {1056, "Out Length"}, {1016, "Default"},     {1017, "Static"},            {1057, "Chars"},
    {1058, "Header"},     {1013, "With"},        {1014, "WithOut"},           {1015, "USB Without Enter"},
    {1059, "Data From"},  {1060, "Addr"},        {1061, "Password"},
    {1062, "(Read UID when address set to 255)"}, {1021, "Set"},
};

}  // namespace

CPage_special::CPage_special(QWidget* parent) : Page(133, parent)
{
    OnClicked(1008, [this] {
        EnableItem(1023, IsChecked(1008));
        if (g_cardSizeDetail == 0)
            g_cardSizeDetail = params::SnSizeFront(4);
    });
    OnClicked(1023, [this] {
        CDlgCardSizeDetail1 dlg(this);
        dlg.m_target = &g_cardSizeDetail;
        dlg.DoModal();
    });
    OnClicked(1016, [this] { EnableItem(1019, false); });
    OnClicked(1017, [this] {
        EnableItem(1019, true);
        FocusAndSelectAll(1019);
    });
    OnClicked(1021, [this] { OnSet(); });
}

bool CPage_special::OnInitDialog()
{
    Page::OnInitDialog();
    for (const auto& caption : kCaptions)
        SetItemText(caption.id, caption.text);
    LabelItem(1019, 1057);
    LabelItem(1046, 1060);
    LabelItem(1047, 1061);
    for (int id : {1001, 1006, 1011, 1016, 1014})
        SetCheck(id, true);
    LimitText(1019, 2);
    EnableItem(1023, false);
    FillBlockList(*this);
    SetItemText(1047, QString::fromLatin1(params::kDefaultKeyText));
    g_cardSizeDetail = 0;
    return true;
}

CPage_special::Options CPage_special::GatherOptions() const
{
    using namespace params;
    Options o;
    auto pick = [this](int32_t& out, std::initializer_list<std::pair<int, int32_t>> choices) {
        for (const auto& [id, value] : choices)
            if (IsChecked(id))
                out = value;
    };
    pick(o.snSize, {{1001, kSnSizeAll}, {1008, g_cardSizeDetail}});
    pick(o.dataBase, {{1006, Decimal}, {1007, Hexadecimal}, {1009, Wiegand}, {1010, String}});
    pick(o.orientation, {{1011, Reverse}, {1012, Forward}});
    pick(o.outLength, {{1016, kOutLengthDefault}, {1017, ItemInt(1019)}});
    pick(o.headerFlag, {{1013, WithHeader}, {1014, WithoutHeader}, {1015, WithoutHeader}});
    return o;
}

void CPage_special::OnSet()
{
    if (!EnsurePortOpen())
        return;
    BusyCursor busy;
    const int32_t handle = g_readerLink->handle;
    const Options o = GatherOptions();
    const int32_t blockAddress = SelectedIndex(1046);
    const QByteArray keyText = ItemText8(1047).left(127);
    unsigned char key[6] = {};
    if (asc_hex(keyText.constData(), key, 6) != 0) {
        g_mainDlg->AppendLog("Data or length invalid", 1);
        return;
    }
    const params::AuxBuffers aux;
    int32_t r = lc_setReadOnlyPara(handle, o.dataBase, aux.aux8, o.orientation, o.snSize, o.outLength,
                                   aux.auxA, aux.auxB);
    if (r != 0) {
        LogWithCode("Set return error，", r);
        return;
    }
    Wait(100);
    r = lc_setReaderOnlyHead(handle, o.headerFlag);
    if (r != 0) {
        LogWithCode("Set header return error，", r);
        return;
    }
    Wait(1000);
    r = lc_setBlockReadPara(handle, blockAddress, key);
    if (r != 0) {
        LogWithCode("Set address of reading return error，", r);
        return;
    }
    Wait(1000);
    g_mainDlg->AppendLog("Set ok", 1);
}
