// Card Check: for a card's UID, what every preset and the common Special
// choices make the reader type, and which of them give the number printed
// on the card. Works out the UID from what a preset made the reader type.
// Needs no reader and writes no log line.
#pragma once

#include "Dialog.h"

class CCardCheckDlg : public Dialog {
public:
    explicit CCardCheckDlg(QWidget* parent = nullptr);

protected:
    bool OnInitDialog() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Refresh();
};
