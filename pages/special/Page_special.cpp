#include "special/Page_special.h"

#include <QAbstractButton>
#include <array>
#include <initializer_list>
#include <utility>

#include "common/ReaderLink.h"
#include "common/ReaderPause.h"
#include "link.h"
#include "params.h"
#include "resource.h"
#include "special/DlgCardSizeDetail1.h"
#include "steps.h"

using namespace IDD_PAGE_SPECIAL;

namespace {

const struct {
    int id;
    const char* text;
} kCaptions[] = {
    {IDC_STATIC_SN_SIZE, "SN Size"},
    {IDC_RADIO_ALL, "All"},
    {IDC_RADIO_SELF_DEFINE, "Self-Define"},
    {IDC_BTN_DETAIL, "Detail"},
    {IDC_STATIC_DATA_BASE, "Data Base"},
    {IDC_RADIO_DECIMAL, "Decimal"},
    {IDC_RADIO_HEX, "Hexadecimal"},
    {IDC_RADIO_WIEGAND, "Wiegand"},
    {IDC_RADIO_STRING, "String"},
    {IDC_STATIC_DATA_ORIEN, "Data Orien"},
    {IDC_RADIO_REVERSE, "Reverse"},
    {IDC_RADIO_FORWARD, "Forward"},
    {IDC_STATIC_OUT_LENGTH, "Out Length"},
    {IDC_RADIO_LENGTH_DEFAULT, "Default"},
    {IDC_RADIO_LENGTH_STATIC, "Static"},
    {IDC_STATIC_CHARS, "Chars"},
    {IDC_STATIC_HEADER, "Header"},
    {IDC_RADIO_HEADER, "With"},
    {IDC_RADIO_NO_HEADER, "WithOut"},
    {IDC_RADIO_USB_NO_ENTER, "USB Without Enter"},
    {IDC_STATIC_DATA_FROM, "Data From"},
    {IDC_STATIC_ADDR, "Addr"},
    {IDC_STATIC_PASSWORD, "Password"},
    {IDC_STATIC_UID_NOTE, "(Read UID when address set to 255)"},
    {IDC_BTN_SET, "Set"},
};

}  // namespace

QString CPage_special::Caption(int id)
{
    for (const auto& caption : kCaptions)
        if (caption.id == id)
            return QString::fromLatin1(caption.text);
    return {};
}

CPage_special::CPage_special(QWidget* parent) : Page(IDD, parent) {}

bool CPage_special::OnInitDialog()
{
    Page::OnInitDialog();
    OnClicked(IDC_RADIO_SELF_DEFINE, [this] {
        EnableItem(IDC_BTN_DETAIL, IsChecked(IDC_RADIO_SELF_DEFINE));
        // Until Detail says otherwise, the first 4 bytes: every card's UID has
        // at least 4 (kMinUid), and they are what the 4-byte presets read.
        if (g_cardSizeDetail == 0)
            g_cardSizeDetail = params::SnSizeFront(4);
    });
    OnClicked(IDC_BTN_DETAIL, [this] {
        CDlgCardSizeDetail1 dlg(this);
        dlg.m_target = &g_cardSizeDetail;
        dlg.DoModal();
    });
    OnClicked(IDC_RADIO_LENGTH_DEFAULT, [this] { EnableItem(IDC_EDIT_LENGTH, false); });
    OnClicked(IDC_RADIO_LENGTH_STATIC, [this] {
        EnableItem(IDC_EDIT_LENGTH, true);
        FocusAndSelectAll(IDC_EDIT_LENGTH);
    });
    OnClicked(IDC_BTN_SET, [this] { OnSet(); });
    for (const auto& caption : kCaptions)
        SetItemText(caption.id, caption.text);
    LabelItem(IDC_EDIT_LENGTH, IDC_STATIC_CHARS);
    LabelItem(IDC_COMBO_ADDR, IDC_STATIC_ADDR);
    LabelItem(IDC_EDIT_PASSWORD, IDC_STATIC_PASSWORD);
    for (int id : {IDC_RADIO_ALL, IDC_RADIO_DECIMAL, IDC_RADIO_REVERSE, IDC_RADIO_LENGTH_DEFAULT, IDC_RADIO_NO_HEADER})
        SetCheck(id, true);
    LimitText(IDC_EDIT_LENGTH, 2);
    EnableItem(IDC_BTN_DETAIL, false);
    FillBlockList(*this, IDC_COMBO_ADDR);
    SetItemText(IDC_EDIT_PASSWORD, QString::fromLatin1(params::kDefaultKeyText));
    g_cardSizeDetail = 0;
    return true;
}

params::CardSettings CPage_special::GatherOptions() const
{
    using namespace params;
    CardSettings o{.blockAddress = SelectedIndex(IDC_COMBO_ADDR)};
    auto pick = [this](int32_t& out, std::initializer_list<std::pair<int, int32_t>> choices) {
        for (const auto& [id, value] : choices)
            if (IsChecked(id))
                out = value;
    };
    pick(o.snSize, {{IDC_RADIO_ALL, kSnSizeAll}, {IDC_RADIO_SELF_DEFINE, g_cardSizeDetail}});
    pick(o.dataBase, {{IDC_RADIO_DECIMAL, Decimal},
                      {IDC_RADIO_HEX, Hexadecimal},
                      {IDC_RADIO_WIEGAND, Wiegand},
                      {IDC_RADIO_STRING, String}});
    pick(o.orientation, {{IDC_RADIO_REVERSE, Reverse}, {IDC_RADIO_FORWARD, Forward}});
    pick(o.outLength,
         {{IDC_RADIO_LENGTH_DEFAULT, kOutLengthDefault}, {IDC_RADIO_LENGTH_STATIC, ItemInt(IDC_EDIT_LENGTH)}});
    pick(o.headerFlag, {{IDC_RADIO_HEADER, WithHeader},
                        {IDC_RADIO_NO_HEADER, WithoutHeader},
                        {IDC_RADIO_USB_NO_ENTER, WithoutHeader}});
    return o;
}

setting::Special CPage_special::Choices()
{
    Initialise();
    return {GatherOptions(), IsChecked(IDC_RADIO_USB_NO_ENTER), ItemText8(IDC_EDIT_PASSWORD).toStdString()};
}

void CPage_special::Choose(const setting::Special& special)
{
    using namespace params;
    Initialise();
    const CardSettings& s = special.output;
    const int size = s.snSize == kSnSizeAll ? IDC_RADIO_ALL : IDC_RADIO_SELF_DEFINE;
    const int bases[] = {IDC_RADIO_DECIMAL, IDC_RADIO_HEX, IDC_RADIO_WIEGAND, IDC_RADIO_STRING};
    const int length = s.outLength == kOutLengthDefault ? IDC_RADIO_LENGTH_DEFAULT : IDC_RADIO_LENGTH_STATIC;
    const int header = s.headerFlag == WithHeader ? IDC_RADIO_HEADER
                       : special.usbWithoutEnter  ? IDC_RADIO_USB_NO_ENTER
                                                  : IDC_RADIO_NO_HEADER;
    // A click, as the user's would, so that what hangs on a choice follows it.
    for (int id : {size, bases[s.dataBase], s.orientation == Forward ? IDC_RADIO_FORWARD : IDC_RADIO_REVERSE, length,
                   header})
        qobject_cast<QAbstractButton*>(Item(id))->click();
    if (s.snSize != kSnSizeAll)
        g_cardSizeDetail = s.snSize;
    SetItemText(IDC_EDIT_LENGTH, s.outLength == kOutLengthDefault ? QString() : QString::number(s.outLength));
    SetSelectedIndex(IDC_COMBO_ADDR, s.blockAddress);
    SetItemText(IDC_EDIT_PASSWORD, QString::fromStdString(special.key));
}

void CPage_special::OnSet()
{
    if (!EnsurePortOpen())
        return;
    BusyCursor busy;
    std::array<unsigned char, 6> key{};
    if (!params::KeyBytes(ItemText8(IDC_EDIT_PASSWORD).toStdString(), key)) {
        g_mainDlg->AppendLog("Data or length invalid", 1);
        return;
    }
    if (ApplySteps(params::SpecialSteps(GatherOptions(), key)) == 0)
        g_mainDlg->AppendLog("Set ok", 1);
}
