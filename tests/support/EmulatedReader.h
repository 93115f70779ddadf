// An emulated reader published as "USB" in a private device folder, and a
// real main window whose link is open on it through the real library.
#pragma once

#include <memory>
#include <string>

#include "app/TavelinDlg.h"
#include "emulator/emulator.h"
#include "pages/common/ReaderLink.h"
#include "resource.h"
#include "tests/support/DeviceFolder.h"

namespace mainDlg = IDD_TAVELIN_DIALOG;

class EmulatedReader {
public:
    EmulatedReader() = default;
    ~EmulatedReader()
    {
        if (dlg && g_readerLink->handle != -1)
            dlg->OnOpenClose();  // a window leaves it open, as the program does; a benchmark builds many
        dlg.reset();
        reader.Stop();
    }
    EmulatedReader(const EmulatedReader&) = delete;
    EmulatedReader& operator=(const EmulatedReader&) = delete;

    // Starts the reader and opens the link at `baud` with "Open"; the
    // error, or empty on success.
    std::string Start(int baud)
    {
        std::string error;
        if (!m_folder.Ok())
            return "no temporary folder";
        if (!reader.Start("USB", &error))
            return error;
        dlg = std::make_unique<CTavelinDlg>();
        dlg->show();
        dlg->SetSelectedIndex(mainDlg::IDC_COMBO_PORT, 0);
        dlg->SetSelectedIndex(mainDlg::IDC_COMBO_BAUD, baud == 9600 ? 0 : 1);
        dlg->OnOpenClose();
        if (dlg->LogText() != "Reader link ok\r\n")
            return "link not opened: " + dlg->LogText().toStdString();
        dlg->ClearLog();
        return {};
    }

    emulator::Emulator reader;
    std::unique_ptr<CTavelinDlg> dlg;

private:
    DeviceFolder m_folder;
};
