// The "Special Setting" page: free composition of the output settings.
#pragma once

#include <cstdint>

#include "Dialog.h"

class CPage_special : public Page {
public:
    explicit CPage_special(QWidget* parent = nullptr);

    struct Options {
        int32_t snSize = 0;
        int32_t dataBase = 0;
        int32_t orientation = 0;
        int32_t outLength = 0;
        int32_t headerFlag = 0;
    };
    Options GatherOptions() const;
    void OnSet();

protected:
    bool OnInitDialog() override;
};
