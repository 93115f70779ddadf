#pragma once

#include "framework/Dialog.h"
#include "resource.h"

class CAboutDlg : public Dialog {
public:
    CAboutDlg() : Dialog(IDD_ABOUTBOX::IDD) {}
};
