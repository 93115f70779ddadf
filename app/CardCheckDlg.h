// Card Check: for a card's UID, what every preset and the common Special
// choices make the reader type, which of them give the number printed on the
// card, and the best of the other settings that do. Works out the UID from
// what a preset made the reader type.
// Needs no reader and writes no log line. The setting that gives the
// printed number can be saved as a setting file.
#pragma once

#include <QCoreApplication>
#include <optional>

#include "dataout/card.h"
#include "framework/Dialog.h"
#include "resource.h"
#include "settingfile/SettingFile.h"

class CCardCheckDlg : public Dialog {
    Q_DECLARE_TR_FUNCTIONS(CCardCheckDlg)

public:
    explicit CCardCheckDlg(QWidget* parent = nullptr) : Dialog(IDD_CARDCHECK::IDD, parent) {}

    // The setting a reader took last: offered first in the list, and a card
    // typed into the typed box is judged against it, for the UID given.
    void CheckAgainst(const params::CardSettings& taken);

    // Before the rows that give the printed number: ASCII, which every face
    // draws; a Chinese face lacks the geometric arrows.
    static constexpr char kMark[] = "> ";

protected:
    bool OnInitDialog() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Refresh();
    bool Checking() const;  // against the setting taken, rather than a preset
    QString Judged() const;
    void SaveMatched();

    setting::File m_matched;  // the best setting that gives the printed number, when one does
    std::optional<params::CardSettings> m_taken;
};
