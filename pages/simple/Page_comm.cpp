#include "pages/simple/Page_comm.h"

#include <iterator>

#include "dataout/link.h"
#include "dataout/params.h"
#include "dataout/steps.h"
#include "pages/common/ReaderLink.h"
#include "pages/common/ReaderPause.h"
#include "resource.h"

using namespace IDD_PAGE_COMM;

namespace {

// Row for row with params::kPresets.
constexpr int kPresetButtons[] = {IDC_BTN_8HEX_FORWARD,  IDC_BTN_8HEX_REVERSE,  IDC_BTN_10DEC_FORWARD,
                                  IDC_BTN_10DEC_REVERSE, IDC_BTN_14HEX_FORWARD, IDC_BTN_14HEX_REVERSE};
static_assert(std::size(kPresetButtons) == params::kPresets.size());

}  // namespace

CPage_comm::CPage_comm(const PageContext& context, QWidget* parent) : Page(IDD, parent), m_context(context) {}

int CPage_comm::PresetButton(int row)
{
    return kPresetButtons[row];
}

bool CPage_comm::OnInitDialog()
{
    Page::OnInitDialog();
    for (int row = 0; row < int(params::kPresets.size()); ++row)
        OnClicked(PresetButton(row), [this, row] { ApplyPreset(row); });
    OnClicked(IDC_BTN_GETVER, [this] { OnGetVersion(); });
    FillBlockList(*this, IDC_COMBO_ADDR);
    SetItemText(IDC_GROUP_4BYTE, tr("4-byte"));
    SetItemText(IDC_GROUP_7BYTE, tr("7-byte"));
    for (int row = 0; row < int(params::kPresets.size()); ++row)
        SetItemText(PresetButton(row), ParamsText(params::kPresets[row].caption));
    SetItemText(IDC_BTN_GETVER, tr("Get-Ver"));
    // No label: the button beside it says what it holds.
    Control(IDC_EDIT_VERSION).setAccessibleName(ItemText(IDC_BTN_GETVER));
    SetItemText(IDC_EDIT_PASSWORD, QString::fromLatin1(params::kDefaultKeyText));
    return true;
}

void CPage_comm::ApplyPreset(int row)
{
    if (!m_context.EnsurePortOpen())
        return;
    BusyCursor busy;
    if (m_context.ApplySteps(params::PresetSteps(params::kPresets.at(row))) == 0)
        m_context.log.AppendLog(tr("Set ok"), 1);
}

void CPage_comm::OnGetVersion()
{
    if (!m_context.EnsurePortOpen())
        return;
    BusyCursor busy;
    std::string text;
    if (const int32_t r = params::ReadVersion(m_context.link.handle, text); r != 0) {
        m_context.log.AppendLog(tr("Get version failed"), 1, CodeReason(r));
        return;
    }
    m_context.log.AppendLog(tr("Get version success"), 1);
    SetItemText(IDC_EDIT_VERSION, QString::fromStdString(text));
}
