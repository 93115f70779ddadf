#pragma once

#include "Dialog.h"

class CAboutDlg : public Dialog {
public:
    CAboutDlg() : Dialog(100) {}
};
