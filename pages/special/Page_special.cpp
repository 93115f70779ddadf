#include "pages/special/Page_special.h"

#include <QAbstractButton>
#include <array>
#include <iterator>
#include <span>
#include <vector>

#include "dataout/link.h"
#include "dataout/params.h"
#include "dataout/steps.h"
#include "pages/common/ReaderLink.h"
#include "pages/common/ReaderPause.h"
#include "pages/special/DlgCardSizeDetail1.h"
#include "resource.h"

using namespace IDD_PAGE_SPECIAL;

namespace {

const struct {
    int id;
    const char* text;
} kCaptions[] = {
    {IDC_STATIC_SN_SIZE, QT_TRANSLATE_NOOP("CPage_special", "SN Size")},
    {IDC_BTN_DETAIL, QT_TRANSLATE_NOOP("CPage_special", "Detail")},
    {IDC_STATIC_DATA_BASE, QT_TRANSLATE_NOOP("CPage_special", "Data Base")},
    {IDC_STATIC_DATA_ORIEN, QT_TRANSLATE_NOOP("CPage_special", "Data Orien")},
    {IDC_STATIC_OUT_LENGTH, QT_TRANSLATE_NOOP("CPage_special", "Out Length")},
    {IDC_STATIC_CHARS, QT_TRANSLATE_NOOP("CPage_special", "Chars")},
    {IDC_STATIC_HEADER, QT_TRANSLATE_NOOP("CPage_special", "Header")},
    {IDC_STATIC_DATA_FROM, QT_TRANSLATE_NOOP("CPage_special", "Data From")},
    {IDC_STATIC_ADDR, QT_TRANSLATE_NOOP("CPage_special", "Addr")},
    {IDC_STATIC_PASSWORD, QT_TRANSLATE_NOOP("CPage_special", "Password")},
    {IDC_STATIC_UID_NOTE, QT_TRANSLATE_NOOP("CPage_special", "(Read UID when address set to 255)")},
    {IDC_BTN_SET, QT_TRANSLATE_NOOP("CPage_special", "Set")},
};

using params::CardSettings;
using params::Choice;

// A group's radios, row for row with its choices; a counted choice's number
// is Detail's for the size, the Chars box's for the length.
struct Group {
    template <size_t N>
    Group(int32_t CardSettings::*field, const Choice (&choices)[N], const int (&radios)[N])
        : field(field), choices(choices), radios(std::begin(radios), std::end(radios))
    {
    }
    int32_t CardSettings::*field;
    std::span<const Choice> choices;
    std::vector<int> radios;
};
const Group kGroups[] = {
    {&CardSettings::snSize, params::kSizeChoices, {IDC_RADIO_ALL, IDC_RADIO_SELF_DEFINE, IDC_RADIO_SELF_DEFINE}},
    {&CardSettings::dataBase, params::kBaseChoices,
     {IDC_RADIO_DECIMAL, IDC_RADIO_HEX, IDC_RADIO_WIEGAND, IDC_RADIO_STRING}},
    {&CardSettings::orientation, params::kOrderChoices, {IDC_RADIO_FORWARD, IDC_RADIO_REVERSE}},
    {&CardSettings::outLength, params::kLengthChoices, {IDC_RADIO_LENGTH_DEFAULT, IDC_RADIO_LENGTH_STATIC}},
    {&CardSettings::headerFlag, params::kHeaderChoices,
     {IDC_RADIO_HEADER, IDC_RADIO_NO_HEADER, IDC_RADIO_USB_NO_ENTER}},
};

}  // namespace

QString CPage_special::Caption(int id)
{
    for (const auto& caption : kCaptions)
        if (caption.id == id)
            return tr(caption.text);
    for (const Group& g : kGroups)
        for (size_t row = 0; row < g.radios.size(); ++row)
            if (g.radios[row] == id)
                return ParamsText(g.choices[row].caption);
    return {};
}

CPage_special::CPage_special(const PageContext& context, QWidget* parent)
    : Page(IDD, parent), m_context(context)
{
}

bool CPage_special::OnInitDialog()
{
    Page::OnInitDialog();
    OnClicked(IDC_RADIO_SELF_DEFINE, [this] {
        EnableItem(IDC_BTN_DETAIL, IsChecked(IDC_RADIO_SELF_DEFINE));
        // Until Detail says otherwise, the first 4 bytes: every card's UID has
        // at least 4 (kMinUid), and they are what the 4-byte presets read.
        if (m_cardSizeDetail == 0)
            m_cardSizeDetail = params::SnSizeFront(4);
    });
    OnClicked(IDC_BTN_DETAIL, [this] {
        CDlgCardSizeDetail1 dlg(this);
        dlg.m_target = &m_cardSizeDetail;
        dlg.DoModal();
    });
    OnClicked(IDC_RADIO_LENGTH_DEFAULT, [this] { EnableItem(IDC_EDIT_LENGTH, false); });
    OnClicked(IDC_RADIO_LENGTH_STATIC, [this] {
        EnableItem(IDC_EDIT_LENGTH, true);
        FocusAndSelectAll(IDC_EDIT_LENGTH);
    });
    OnClicked(IDC_BTN_SET, [this] { OnSet(); });
    for (const auto& caption : kCaptions)
        SetItemText(caption.id, tr(caption.text));
    for (const Group& g : kGroups)
        for (int id : g.radios)
            SetItemText(id, Caption(id));
    LabelItem(IDC_EDIT_LENGTH, IDC_STATIC_CHARS);
    LabelItem(IDC_COMBO_ADDR, IDC_STATIC_ADDR);
    LabelItem(IDC_EDIT_PASSWORD, IDC_STATIC_PASSWORD);
    for (const Group& g : kGroups)
        SetCheck(g.radios[params::FindChoice(g.choices, params::kSpecialDefaults.*g.field) - g.choices.data()], true);
    LimitText(IDC_EDIT_LENGTH, 2);
    EnableItem(IDC_BTN_DETAIL, false);
    FillBlockList(*this, IDC_COMBO_ADDR);
    SetItemText(IDC_EDIT_PASSWORD, QString::fromLatin1(params::kDefaultKeyText));
    m_cardSizeDetail = 0;
    return true;
}

params::CardSettings CPage_special::GatherOptions() const
{
    CardSettings o{.blockAddress = SelectedIndex(IDC_COMBO_ADDR)};
    for (const Group& g : kGroups)
        for (size_t row = 0; row < g.choices.size(); ++row)
            if (IsChecked(g.radios[row]))
                o.*g.field = g.choices[row].maxCount == 0      ? g.choices[row].value
                             : g.field == &CardSettings::snSize ? m_cardSizeDetail
                                                                : ItemInt(IDC_EDIT_LENGTH);
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
    // A click, as the user's would, so that what hangs on a choice follows it.
    for (const Group& g : kGroups) {
        const Choice* c = g.field == &CardSettings::headerFlag ? setting::HeaderChoice(special)
                                                               : FindChoice(g.choices, s.*g.field);
        if (c)
            Control<QAbstractButton>(g.radios[c - g.choices.data()]).click();
    }
    if (s.snSize != kSnSizeAll)
        m_cardSizeDetail = s.snSize;
    SetItemText(IDC_EDIT_LENGTH, s.outLength == kOutLengthDefault ? QString() : QString::number(s.outLength));
    SetSelectedIndex(IDC_COMBO_ADDR, s.blockAddress);
    SetItemText(IDC_EDIT_PASSWORD, QString::fromStdString(special.key));
}

void CPage_special::OnSet()
{
    if (!m_context.EnsurePortOpen())
        return;
    BusyCursor busy;
    std::array<unsigned char, 6> key{};
    if (!params::KeyBytes(ItemText8(IDC_EDIT_PASSWORD).toStdString(), key)) {
        // The line as it stands; over it, and at the caret, the box it means.
        m_context.log.AppendLog(tr("Data or length invalid"), 1,
                                tr("%1 takes the 6-byte key as 12 hexadecimal digits (0-9, A-F), such as %2.")
                                    .arg(Caption(IDC_STATIC_PASSWORD), QString::fromLatin1(params::kDefaultKeyText)));
        FocusAndSelectAll(IDC_EDIT_PASSWORD);
        return;
    }
    if (m_context.ApplySteps(params::SpecialSteps(GatherOptions(), key)) == 0)
        m_context.log.AppendLog(tr("Set ok"), 1);
}
