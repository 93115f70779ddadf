#include "pages/special/Page_special.h"

#include <QAbstractButton>
#include <QStringList>
#include <span>
#include <vector>

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
using params::Group;

// A choice's radio and its caption; captions are marked in the context of
// the texts dataout/ gives (ParamsText).
struct Radio {
    int id;
    const char* caption;
};
// Each group's radios, row for row with its choices, in the page's order, top
// to bottom; a counted choice's number is Detail's for the size, the Chars
// box's for the length.
struct Row {
    const Group& group;
    std::vector<Radio> radios;
};
const Row kRows[] = {
    {params::GroupOf(&CardSettings::snSize),
     {{IDC_RADIO_ALL, QT_TRANSLATE_NOOP("params", "All")},
      {IDC_RADIO_SELF_DEFINE, QT_TRANSLATE_NOOP("params", "Self-Define")},
      {IDC_RADIO_SELF_DEFINE, QT_TRANSLATE_NOOP("params", "Self-Define")}}},
    {params::GroupOf(&CardSettings::dataBase),
     {{IDC_RADIO_DECIMAL, QT_TRANSLATE_NOOP("params", "Decimal")},
      {IDC_RADIO_HEX, QT_TRANSLATE_NOOP("params", "Hexadecimal")},
      {IDC_RADIO_WIEGAND, QT_TRANSLATE_NOOP("params", "Wiegand")},
      {IDC_RADIO_STRING, QT_TRANSLATE_NOOP("params", "String")}}},
    {params::GroupOf(&CardSettings::orientation),
     {{IDC_RADIO_FORWARD, QT_TRANSLATE_NOOP("params", "Forward")},
      {IDC_RADIO_REVERSE, QT_TRANSLATE_NOOP("params", "Reverse")}}},
    {params::GroupOf(&CardSettings::outLength),
     {{IDC_RADIO_LENGTH_DEFAULT, QT_TRANSLATE_NOOP("params", "Default")},
      {IDC_RADIO_LENGTH_STATIC, QT_TRANSLATE_NOOP("params", "Static")}}},
    {params::GroupOf(&CardSettings::headerFlag),
     {{IDC_RADIO_HEADER, QT_TRANSLATE_NOOP("params", "With")},
      {IDC_RADIO_NO_HEADER, QT_TRANSLATE_NOOP("params", "WithOut")},
      {IDC_RADIO_USB_NO_ENTER, QT_TRANSLATE_NOOP("params", "USB Without Enter")}}},
};

// The radio of `row`'s choice `c`.
const Radio& RadioOf(const Row& row, const Choice& c)
{
    return row.radios[size_t(&c - row.group.choices.data())];
}

}  // namespace

QString CPage_special::Caption(int id)
{
    for (const auto& caption : kCaptions)
        if (caption.id == id)
            return tr(caption.text);
    for (const Row& row : kRows)
        for (const Radio& radio : row.radios)
            if (radio.id == id)
                return ParamsText(radio.caption);
    return {};
}

QString CPage_special::Describe(const params::CardSettings& s)
{
    namespace detail = IDD_DLG_CARDSIZE_DETAIL1;
    QStringList parts;
    for (const Row& row : kRows) {
        const int32_t value = s.*row.group.field;
        const Choice* c = params::FindChoice(row.group.choices, value);
        QString part = c ? ParamsText(RadioOf(row, *c).caption) : QString::number(value);
        if (c && c->maxCount > 0 && row.group.field == &CardSettings::snSize) {
            const int end = c->value == params::SnSizeBack(0) ? detail::IDC_RADIO_BACK : detail::IDC_RADIO_FRONT;
            part = tr("%1, %2 %3 %4").arg(part, Caption(IDC_BTN_DETAIL), TemplateText(detail::IDD, end),
                                          QString::number(value - c->value));
        } else if (c && c->maxCount > 0) {
            part = tr("%1 %2 %3").arg(part, QString::number(value - c->value), Caption(IDC_STATIC_CHARS));
        }
        parts << part;
    }
    return tr("%1: %2").arg(Title(), parts.join(QStringLiteral(" · ")));
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
    for (const Row& row : kRows)
        for (const Radio& radio : row.radios)
            SetItemText(radio.id, ParamsText(radio.caption));
    LabelItem(IDC_EDIT_LENGTH, IDC_STATIC_CHARS);
    LabelItem(IDC_COMBO_ADDR, IDC_STATIC_ADDR);
    LabelItem(IDC_EDIT_PASSWORD, IDC_STATIC_PASSWORD);
    for (const Row& row : kRows) {
        const Group& g = row.group;
        SetCheck(RadioOf(row, *params::FindChoice(g.choices, params::kSpecialDefaults.*g.field)).id, true);
    }
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
    for (const Row& row : kRows)
        for (size_t k = 0; k < row.radios.size(); ++k) {
            const Group& g = row.group;
            if (IsChecked(row.radios[k].id))
                o.*g.field = g.choices[k].maxCount == 0      ? g.choices[k].value
                             : g.field == &CardSettings::snSize ? m_cardSizeDetail
                                                                : ItemInt(IDC_EDIT_LENGTH);
        }
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
    for (const Row& row : kRows) {
        const Group& g = row.group;
        const Choice* c = g.field == &CardSettings::headerFlag ? setting::HeaderChoice(special)
                                                               : FindChoice(g.choices, s.*g.field);
        if (c)
            Control<QAbstractButton>(RadioOf(row, *c).id).click();
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
    const auto steps = params::SpecialSteps(GatherOptions(), ItemText8(IDC_EDIT_PASSWORD).toStdString());
    if (!steps) {
        // The line as it stands; over it, and at the caret, the box it means.
        m_context.log.AppendLog(tr("Data or length invalid"), 1,
                                tr("%1 takes the 6-byte key as 12 hexadecimal digits (0-9, A-F), such as %2.")
                                    .arg(Caption(IDC_STATIC_PASSWORD), QString::fromLatin1(params::kDefaultKeyText)));
        FocusAndSelectAll(IDC_EDIT_PASSWORD);
        return;
    }
    if (m_context.ApplySteps(*steps) == 0)
        m_context.log.AppendLog(tr("Set ok"), 1);
}
