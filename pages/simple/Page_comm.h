// The "Simple Setting" page: six one-click presets and the version query.
#pragma once

#include <cstdint>

#include "Dialog.h"

// Fills combo 1046 of `page` with "0".."255" and selects 255.
void FillBlockList(DlgItems& page);

// Logs `message` (UTF-8) followed by the library's result as "code: 0x..".
void LogWithCode(const char* message, int32_t result);

class CPage_comm : public Page {
public:
    explicit CPage_comm(QWidget* parent = nullptr);

    void ApplyPreset(int row);  // row of params::kPresets
    int ResetReadAddress(int handle);
    void OnGetVersion();

protected:
    bool OnInitDialog() override;
};
