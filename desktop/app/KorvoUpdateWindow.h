// The application's one window: frameless (the content draws its own title bar), of the content's fixed size,
// centred on the screen once, when it is first shown, and moved by a drag on any part of its background.
#pragma once

#include <QPoint>
#include <QWidget>

#include <memory>

class KorvoUpdateViewController;

class KorvoUpdateWindow : public QWidget {
public:
    KorvoUpdateWindow();
    ~KorvoUpdateWindow() override;

    // Installs the controller (loading its view) and hands back the one it replaces; the caller decides when
    // that one goes away.
    std::unique_ptr<KorvoUpdateViewController>
    setContentViewController(std::unique_ptr<KorvoUpdateViewController> controller);
    KorvoUpdateViewController* contentViewController() const { return m_content.get(); }
    bool wasCentred() const { return m_centred; }

protected:
    void showEvent(QShowEvent* event) override;
    // Every close, the window manager's included, goes through the content's windowShouldClose().
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void centre();

    std::unique_ptr<KorvoUpdateViewController> m_content;
    bool m_centred = false;
    bool m_dragging = false;
    QPoint m_dragOffset;
};
