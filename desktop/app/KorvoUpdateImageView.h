// An image view that lets a drag starting on it move the window (it never takes the mouse press).
// It draws its image scaled to its bounds, scaled down proportionally and centred, or centred as it is.
#pragma once

#include <QImage>
#include <QWidget>

class KorvoUpdateImageView : public QWidget {
public:
    enum class Scaling { Fill, ProportionallyDown, None };

    explicit KorvoUpdateImageView(QWidget* parent = nullptr);
    void setImage(const QImage& image);
    const QImage& image() const { return m_image; }
    void setScaling(Scaling scaling);
    static bool mouseDownCanMoveWindow() { return true; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage m_image;
    Scaling m_scaling = Scaling::Fill;
};
