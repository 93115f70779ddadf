#pragma once

// The application: runs the main window modally, then ends.
class CTavelinApp {
public:
    // The entry point's work once the toolkit is up; the exit code. The
    // start-up benchmark calls it too, so that it times this very start.
    int Start();
    bool InitInstance();
};

extern CTavelinApp theApp;
