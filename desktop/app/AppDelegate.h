// The application's start and end: the icon, the USB attach monitor, and quitting when the window closes.
#pragma once

class AppDelegate {
public:
    // Sets the application's icon.
    void applicationWillFinishLaunching();
    // Starts the USB attach monitor, which reports a tool already attached at once.
    void applicationDidFinishLaunching();
    static bool applicationShouldTerminateAfterLastWindowClosed() { return true; }
    static bool applicationSupportsSecureRestorableState() { return true; }
};
