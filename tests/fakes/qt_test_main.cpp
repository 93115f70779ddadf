// Test entry point for widget tests: one QApplication for the whole run,
// on the offscreen platform unless the caller chose another. Windows builds
// run on the native platform (under Wine, on a virtual screen).
#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
#ifndef _WIN32
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);  // what the program remembers goes to Qt's test folder, not the user's
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
