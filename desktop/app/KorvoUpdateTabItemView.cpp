#include "KorvoUpdateTabItemView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

void KorvoUpdateTabItemView::setOffset(double offset) {
    m_offset = offset;
    update();
}

void KorvoUpdateTabItemView::paintEvent(QPaintEvent* event) {
    const QRectF r = event->rect();
    QPainterPath path;
    // Drawn in the original's bottom-up coordinates: y grows upward from the widget's bottom edge.
    const auto at = [this](double x, double y) { return QPointF(x, height() - y); };
    path.moveTo(at(r.x(), r.y()));
    path.lineTo(at(r.x() + r.width() - m_offset, r.y()));
    path.lineTo(at(r.x() + r.width(), r.y() + r.height()));
    path.lineTo(at(r.x() + m_offset, r.y() + r.height()));
    path.closeSubpath();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(path, QColor(Qt::blue));
}
