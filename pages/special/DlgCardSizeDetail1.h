// The "Detail" dialog: how many card-number bytes, from the front or back.
#pragma once

#include <cstdint>

#include "framework/Dialog.h"

extern int32_t g_cardSizeDetail;

class CDlgCardSizeDetail1 : public Dialog {
public:
    explicit CDlgCardSizeDetail1(QWidget* parent = nullptr);
    int32_t* m_target = nullptr;

protected:
    bool OnInitDialog() override;
    void accept() override;  // OnOK
};
