// The application's start and end: the icon, the USB attach monitor, quitting when the window closes, and no end
// of the session that cuts a flash silently.
#pragma once

class AppDelegate {
public:
    // Sets the application's icon.
    void applicationWillFinishLaunching();
    // Starts the USB attach monitor, which reports a tool already attached at once.
    void applicationDidFinishLaunching();
    static bool applicationShouldTerminateAfterLastWindowClosed() { return true; }
    // The session is ending (logout, shutdown). Idle: true. During a flash: false, so the session's end is held
    // back; when the session manager lets us interact, the window is asked to close, which asks the user as its
    // close button does.
    static bool applicationShouldTerminate(bool interactionAllowed);
    // Answers the session manager's question before the session ends, and turns SIGTERM and SIGHUP (a session
    // ending without a session manager) into terminateWhenIdle().
    static void watchSessionEnd();
    // Quits now when idle, else once the running flash has ended.
    static void terminateWhenIdle();
    static bool applicationSupportsSecureRestorableState() { return true; }
};
