// The "Simple Setting" page: six one-click presets and the version query.
#pragma once

#include "Dialog.h"

// Fills combo 1046 of `page` with "0".."255" and selects 255.
void FillBlockList(DlgItems& page);

class CPage_comm : public Page {
public:
    explicit CPage_comm(QWidget* parent = nullptr);

    void ApplyPreset(int row);
    int ResetReadAddress(int handle);
    void OnGetVersion();

protected:
    bool OnInitDialog() override;
};
