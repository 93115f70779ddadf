// The "Simple Setting" page: six one-click presets and the version query.
#pragma once

#include "framework/Dialog.h"

class CPage_comm : public Page {
public:
    explicit CPage_comm(QWidget* parent = nullptr);
    static constexpr char kTitle[] = "Simple Setting";  // the tab's text

    static int PresetButton(int row);  // the button of params::kPresets[row]
    void ApplyPreset(int row);         // row of params::kPresets
    void OnGetVersion();

protected:
    bool OnInitDialog() override;
};
