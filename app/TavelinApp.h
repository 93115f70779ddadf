#pragma once

// The application: runs the main window modally, then ends.
class CTavelinApp {
public:
    bool InitInstance();
};

extern CTavelinApp theApp;
