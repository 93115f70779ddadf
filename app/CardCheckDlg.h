// Card Check: for a card's UID, what every preset and the common Special
// choices make the reader type, and which of them give the number printed
// on the card. Works out the UID from what a preset made the reader type.
// Needs no reader and writes no log line.
#pragma once

#include "Dialog.h"
#include "card.h"

class CCardCheckDlg : public Dialog {
public:
    explicit CCardCheckDlg(QWidget* parent = nullptr) : Dialog(135, parent) {}

protected:
    bool OnInitDialog() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The UID from the reader's text and preset when there is one, else from
    // the UID box; `note` says where it came from, or why there is none.
    params::Bytes CurrentUid(QString& note);
    void Refresh();
};
