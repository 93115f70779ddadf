#include "pages/common/ReaderLink.h"

#include <QCoreApplication>

#include "dataout/params.h"
#include "dataout/steps.h"
#include "framework/Dialog.h"
#include "pages/common/ReaderPause.h"

bool PageContext::EnsurePortOpen() const
{
    if (link.handle == -1) {
        log.AppendLog(QCoreApplication::translate("ReaderLink", "Port is not open"), 1);
        return false;
    }
    return true;
}

// The line as it stands, and what the code means over it.
void PageContext::LogWithCode(const char* message, int32_t result) const
{
    const QString code = QCoreApplication::translate("ReaderLink", "code: %1");
    log.AppendLog(ParamsText(message) + code.arg(QString::fromStdString(params::HexCode(result))), 1,
                  CodeReason(result));
}

QString ParamsText(const char* text)
{
    return QCoreApplication::translate("params", text);
}

int32_t PageContext::ApplySteps(const params::Steps& steps) const
{
    const int32_t result = params::Apply(steps, link.handle, Wait, [this](const params::Step& step, int32_t r) {
        if (r != 0)
            LogWithCode(step.failed, r);
    });
    if (result == 0)
        log.SettingTaken(steps.settings);
    return result;
}

void FillBlockList(DlgItems& page, int list)
{
    for (int block = 0; block <= 255; ++block)
        page.AddString(list, QString::number(block));
    page.SetSelectedIndex(list, params::kBlockUid);
}
