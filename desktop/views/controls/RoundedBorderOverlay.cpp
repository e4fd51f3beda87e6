#include "RoundedBorderOverlay.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

const QColor RoundedBorderOverlay::kBorderColor(170, 170, 170);

RoundedBorderOverlay::RoundedBorderOverlay(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    parent->installEventFilter(this);
    hide();
}

void RoundedBorderOverlay::setBordered(bool bordered) {
    if (bordered == m_bordered) return;
    m_bordered = bordered;
    setVisible(bordered);
    follow();
}

void RoundedBorderOverlay::follow() {
    QWidget* parent = parentWidget();
    setGeometry(parent->rect());
    raise();
    if (!m_bordered) {
        parent->clearMask();
        return;
    }
    QPainterPath shape;
    shape.addRoundedRect(QRectF(parent->rect()), kCornerRadius, kCornerRadius);
    parent->setMask(QRegion(shape.toFillPolygon().toPolygon()));
}

bool RoundedBorderOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget()) {
        if (event->type() == QEvent::Resize)
            follow();
        else if (event->type() == QEvent::ChildAdded)
            raise();
    }
    return QWidget::eventFilter(watched, event);
}

void RoundedBorderOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kBorderColor, kBorderWidth));
    const double half = kBorderWidth / 2;
    painter.drawRoundedRect(QRectF(rect()).adjusted(half, half, -half, -half), kCornerRadius - half,
                            kCornerRadius - half);
}
