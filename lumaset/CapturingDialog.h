// The capture frame: a frameless, see-through 320x240 window with a blue line that the user moves and resizes
// over the screen; grabToFile writes the screen area inside the line as a PNG. GUI thread only.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QRect>

class QWidget;

class CapturingDialog : public QDialog {
    Q_OBJECT
public:
    explicit CapturingDialog(QWidget* parent = nullptr);

    // False, and nothing written, when the screen could not be grabbed (as under Wayland), would show the frame's
    // own pixels instead of what lies below it, or saving failed.
    bool grabToFile(const QString& path);

    // Whether the screen shows what lies below the frame's see-through parts. An X11 screen without a compositing
    // manager shows the frame's own (black) pixels there instead.
    static bool canSeeThrough();

    int hoverRegion() const { return m_region; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void resizeToCursor(const QPoint& globalPos);
    QRect desktopRect() const;

    bool m_pressed = false;
    bool m_moving = false;
    bool m_resizing = false;
    int m_region = 0;
    QPoint m_pressPos;       // in the frame
    QPoint m_pressGlobalPos; // on the screen
    QRect m_pressGeometry;
};
