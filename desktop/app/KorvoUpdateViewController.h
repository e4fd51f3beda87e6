// Base of the window's content controllers: a widget of the window's fixed size, 1140 x 724, whose view is built
// once by viewDidLoad() when the window first installs it.
#pragma once

#include <QSize>
#include <QWidget>

class KorvoUpdateViewController : public QWidget {
public:
    static constexpr int kWindowWidth = 1140;
    static constexpr int kWindowHeight = 724;

    explicit KorvoUpdateViewController(QWidget* parent = nullptr);
    // Builds the view on the first call.
    void loadViewIfNeeded();
    bool isViewLoaded() const { return m_viewLoaded; }
    // Asked before the window closes, however the close was asked for (its own button, the window manager, the
    // end of the session); false keeps the window open.
    virtual bool windowShouldClose() { return true; }

protected:
    virtual void viewDidLoad() {}

private:
    bool m_viewLoaded = false;
};
