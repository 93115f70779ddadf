#include "app/TavelinApp.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

#include <cstdio>

#include "app/Language.h"
#include "app/TavelinDlg.h"
#include "framework/Dialog.h"
#include "framework/Template.h"
#include "resource.h"
#include "t2/import/t2_import.h"

CTavelinApp theApp;

int CTavelinApp::Start()
{
    UseLanguage(UserLanguage());
    QGuiApplication::setDesktopFileName(QStringLiteral("tavelin"));  // the desktop matches the window to its menu entry
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/res/icon128.xpm")));
    UseDrawnFaces();
    UseReadableTips();
    // Without a usable reader library, or with a broken template, the program
    // cannot work: it says why before it ends.
    std::string problem = T2ImportProblem();
    if (problem.empty())
        problem = ResourceProblem(kDialogTemplates);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        MessageBoxOk(nullptr, QString::fromStdString(problem), CTavelinDlg::tr(CTavelinDlg::kTitle),
                     QMessageBox::Critical);
        return 1;
    }
    InitInstance();
    return 0;
}

bool CTavelinApp::InitInstance()
{
    CTavelinDlg dlg;
    dlg.DoModal();
    // No message loop of our own after the window: the process ends.
    return false;
}
