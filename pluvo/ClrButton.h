// ClrButton: a push button painted from pictures of its four states (normal, hover, pressed, and a fourth it never
// enters by itself), either one strip picture or four pictures, with hover tracking; a completed click posts
// message 0x614 (wParam = its control id) to its parent. Interface thread only.
#pragma once

#include <QString>
#include <QWidget>

class ClrButton : public QWidget {
    Q_OBJECT
public:
    enum Mode { Strip = 0, Separate = 1 };
    enum State { Normal = 0, Hover = 1, Pressed = 2 };
    static constexpr int kStripColumns = 4;
    static constexpr int kFocusInset = 3;

    explicit ClrButton(QWidget* parent = nullptr);
    // A visible child at rect, with the control id.
    bool Create(bool tabStop, const QRect& rect, QWidget* parent, int id);

    int id() const { return m_id; }
    int state() const { return m_state; }
    void setMode(int mode) { m_mode = mode; }
    void setStripPicture(int resourceId) { m_strip = resourceId; }
    void setStatePictures(int normal, int hover, int pressed, int fourth);
    void setCaption(const QString& caption) { m_caption = caption; }
    // The source rectangle of the current state within a strip picture of that width and height.
    QRect stripSource(int pictureWidth, int pictureHeight) const;

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void leaveEvent(QEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;
    void enterEvent(QEvent*) override;

private:
    int m_mode = Strip;
    int m_state = Normal;
    bool m_trackingArmed = true;
    bool m_pressed = false;
    bool m_focus = false;
    bool m_tabStop = false;
    int m_strip = 0;
    int m_pictures[4] = {0, 0, 0, 0};
    QString m_caption;
    int m_id = 0;
};
