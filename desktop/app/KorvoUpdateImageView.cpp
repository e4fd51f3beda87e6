#include "KorvoUpdateImageView.h"

#include <QMouseEvent>
#include <QPainter>

KorvoUpdateImageView::KorvoUpdateImageView(QWidget* parent) : QWidget(parent) {}

void KorvoUpdateImageView::setImage(const QImage& image) {
    m_image = image;
    update();
}

void KorvoUpdateImageView::setScaling(Scaling scaling) {
    m_scaling = scaling;
    update();
}

void KorvoUpdateImageView::paintEvent(QPaintEvent*) {
    if (m_image.isNull()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QRectF target = rect();
    if (m_scaling == Scaling::ProportionallyDown) {
        QSizeF size = m_image.size();
        if (size.width() > width() || size.height() > height()) size.scale(this->size(), Qt::KeepAspectRatio);
        target = QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    } else if (m_scaling == Scaling::None) {
        const QSizeF size = m_image.size();
        target = QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    }
    p.drawImage(target, m_image);
}

void KorvoUpdateImageView::mousePressEvent(QMouseEvent* event) {
    event->ignore();
}
