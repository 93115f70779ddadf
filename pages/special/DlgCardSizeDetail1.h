// The "Detail" dialog: how many card-number bytes, from the front or back.
#pragma once

#include <QCoreApplication>
#include <cstdint>

#include "framework/Dialog.h"

class CDlgCardSizeDetail1 : public Dialog {
    Q_DECLARE_TR_FUNCTIONS(CDlgCardSizeDetail1)

public:
    explicit CDlgCardSizeDetail1(QWidget* parent = nullptr);
    // The confirmation's text and caption; "Paramter" is the tool's own
    // spelling, kept as it stands.
    static constexpr char kConfirmText[] = QT_TR_NOOP("Set ok");
    static constexpr char kConfirmCaption[] = QT_TR_NOOP("Paramter set ok");
    int32_t* m_target = nullptr;

protected:
    bool OnInitDialog() override;
    void accept() override;  // OnOK
};
