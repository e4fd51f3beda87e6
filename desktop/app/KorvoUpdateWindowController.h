// Makes the application's window and puts the main view controller in it.
#pragma once

#include <memory>

class KorvoUpdateWindow;

class KorvoUpdateWindowController {
public:
    KorvoUpdateWindowController();
    ~KorvoUpdateWindowController();
    // Builds the window with a new main view controller (whose view loads then) and shows it.
    void windowDidLoad();
    KorvoUpdateWindow* window() const { return m_window.get(); }

private:
    std::unique_ptr<KorvoUpdateWindow> m_window;
};
