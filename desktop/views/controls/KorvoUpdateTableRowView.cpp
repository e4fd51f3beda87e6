#include "KorvoUpdateTableRowView.h"

#include <QPaintEvent>
#include <QPainter>

const QColor KorvoUpdateTableRowView::kSelectionFillColor(179, 215, 255);
const QColor KorvoUpdateTableRowView::kSelectionStrokeColor(255, 255, 255, 230);

KorvoUpdateTableRowView::KorvoUpdateTableRowView(QWidget* parent) : QWidget(parent) {}

void KorvoUpdateTableRowView::setSelected(bool selected) {
    m_selected = selected;
    update();
}

void KorvoUpdateTableRowView::setSelectionHighlightStyle(int style) {
    m_selectionHighlightStyle = style;
    update();
}

// Rows keep the table's own background and separators.
void KorvoUpdateTableRowView::drawBackgroundInRect(QPainter&, const QRect&) {}
void KorvoUpdateTableRowView::drawSeparatorInRect(QPainter&, const QRect&) {}

void KorvoUpdateTableRowView::drawSelectionInRect(QPainter& painter, const QRect&) {
    if (m_selectionHighlightStyle == kSelectionHighlightNone) return;
    const QRectF selection = QRectF(rect()).adjusted(1, 1, -1, -1);
    painter.fillRect(selection, kSelectionFillColor);
    painter.setPen(QPen(kSelectionStrokeColor, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(selection.adjusted(0.5, 0.5, -0.5, -0.5));
}

void KorvoUpdateTableRowView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    drawBackgroundInRect(painter, event->rect());
    if (m_selected) drawSelectionInRect(painter, event->rect());
    drawSeparatorInRect(painter, event->rect());
}
