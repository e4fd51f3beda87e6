#include "KorvoUpdateTableHeaderView.h"

#include "KorvoUpdateTableHeaderCell.h"

#include <QPainter>

KorvoUpdateTableHeaderView::KorvoUpdateTableHeaderView(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsMovable(false);
    setSectionsClickable(false);
    setHighlightSections(false);
    setStretchLastSection(false);
    setSectionResizeMode(QHeaderView::Interactive);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setFixedHeight(kHeaderHeight);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Button, Qt::white);
    palette.setColor(QPalette::ButtonText, Qt::black);
    setPalette(palette);
}

void KorvoUpdateTableHeaderView::setHeaderCell(int logicalIndex, KorvoUpdateTableHeaderCell* cell) {
    KorvoUpdateTableHeaderCell* previous = m_cells.take(logicalIndex);
    if (previous != cell) delete previous;
    if (cell) {
        cell->setParent(this);
        m_cells.insert(logicalIndex, cell);
    }
    viewport()->update();
}

QSize KorvoUpdateTableHeaderView::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    size.setHeight(kHeaderHeight);
    return size;
}

void KorvoUpdateTableHeaderView::paintEvent(QPaintEvent* event) {
    QHeaderView::paintEvent(event);
    // Past the last column the header stays white rather than the style's empty header.
    int right = 0;
    for (int i = 0; i < count(); ++i)
        if (!isSectionHidden(i)) right = std::max(right, sectionViewportPosition(i) + sectionSize(i));
    if (right < viewport()->width()) {
        QPainter painter(viewport());
        painter.fillRect(QRect(right, 0, viewport()->width() - right, viewport()->height()), Qt::white);
    }
}

void KorvoUpdateTableHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    KorvoUpdateTableHeaderCell* cell = m_cells.value(logicalIndex);
    if (!cell) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    cell->drawWithFrame(*painter, rect, viewport());
}
