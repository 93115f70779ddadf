// Card Check: for a card's UID, what every preset and the common Special
// choices make the reader type, which of them give the number printed on the
// card, and the best of the other settings that do. Works out the UID from
// what a preset made the reader type.
// Needs no reader and writes no log line. The setting that gives the
// printed number can be saved as a setting file.
#pragma once

#include <QCoreApplication>

#include "dataout/card.h"
#include "framework/Dialog.h"
#include "resource.h"
#include "settingfile/SettingFile.h"

class CCardCheckDlg : public Dialog {
    Q_DECLARE_TR_FUNCTIONS(CCardCheckDlg)

public:
    explicit CCardCheckDlg(QWidget* parent = nullptr) : Dialog(IDD_CARDCHECK::IDD, parent) {}

    // Before the rows that give the printed number: ASCII, which every face
    // draws; a Chinese face lacks the geometric arrows.
    static constexpr char kMark[] = "> ";

protected:
    bool OnInitDialog() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Refresh();
    void SaveMatched();

    setting::File m_matched;  // the best setting that gives the printed number, when one does
};
