// The "Simple Setting" page: six one-click presets and the version query.
#pragma once

#include <QCoreApplication>

#include "framework/Dialog.h"
#include "pages/common/ReaderLink.h"

class CPage_comm : public Page {
    Q_DECLARE_TR_FUNCTIONS(CPage_comm)

public:
    explicit CPage_comm(const PageContext& context, QWidget* parent = nullptr);
    static constexpr char kTitle[] = QT_TR_NOOP("Simple Setting");  // the tab's text
    static QString Title() { return tr(kTitle); }  // the same, in the user's language

    static int PresetButton(int row);  // the button of params::kPresets[row]
    void ApplyPreset(int row);         // row of params::kPresets
    void OnGetVersion();

protected:
    bool OnInitDialog() override;

private:
    PageContext m_context;
};
