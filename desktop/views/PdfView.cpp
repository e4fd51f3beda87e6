#include "PdfView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <poppler-qt5.h>

#include <memory>

namespace {
constexpr double kPointsPerInch = 72.0;
const QColor kPageBreakLine(200, 200, 200);
} // namespace

// The column of pages inside the scroll area; it paints the pages that an update exposes.
class PdfView::Column : public QWidget {
public:
    explicit Column(PdfView* view) : m_view(view) {
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, Qt::white);
        setPalette(p);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        for (int i = 0; i < m_view->m_pageRects.size(); ++i) {
            const QRect page = m_view->m_pageRects[i];
            if (!page.intersects(event->rect())) continue;
            const QImage image = m_view->renderedPage(i);
            if (!image.isNull()) painter.drawImage(page, image);
            painter.setPen(kPageBreakLine);
            painter.drawRect(page.adjusted(-1, -1, 0, 0));
        }
    }

private:
    PdfView* m_view;
};

PdfView::PdfView(QWidget* parent) : QScrollArea(parent), m_column(new Column(this)) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(false);
    setWidget(m_column);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    viewport()->setAutoFillBackground(true);
    viewport()->setPalette(p);
    relayout();
}

PdfView::~PdfView() = default;

void PdfView::setDocument(Poppler::Document* document) {
    m_document = document;
    m_pageSizes.clear();
    if (m_document) {
        for (int i = 0; i < m_document->numPages(); ++i) {
            std::unique_ptr<Poppler::Page> page(m_document->page(i));
            m_pageSizes << (page ? page->pageSizeF() : QSizeF());
        }
    }
    relayout();
    verticalScrollBar()->setValue(0);
}

int PdfView::pageCount() const {
    return m_pageSizes.size();
}

double PdfView::scaleFactor() const {
    return m_scale;
}

QRect PdfView::pageRect(int index) const {
    return index >= 0 && index < m_pageRects.size() ? m_pageRects[index] : QRect();
}

void PdfView::goToPage(int index) {
    const QRect page = pageRect(index);
    if (!page.isNull()) verticalScrollBar()->setValue(page.top() - kPageMargin);
}

void PdfView::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    relayout();
}

void PdfView::relayout() {
    const int width = std::max(1, viewport()->width());
    const int pageWidth = std::max(1, width - 2 * kPageMargin);
    double widest = 0;
    for (const QSizeF& size : m_pageSizes)
        widest = std::max(widest, size.width());
    const double scale = widest > 0 ? pageWidth / widest : 1.0;
    if (scale != m_scale) m_rendered.clear();
    m_scale = scale;

    m_pageRects.clear();
    int y = kPageMargin;
    for (const QSizeF& size : m_pageSizes) {
        const QSize px(qRound(size.width() * scale), qRound(size.height() * scale));
        m_pageRects << QRect(QPoint(kPageMargin + (pageWidth - px.width()) / 2, y), px);
        y += px.height() + kPageBreak;
    }
    const int height = m_pageSizes.isEmpty() ? 0 : y - kPageBreak + kPageMargin;
    m_column->resize(width, std::max(height, viewport()->height()));
    m_column->update();
}

QImage PdfView::renderedPage(int index) {
    auto it = m_rendered.find(index);
    if (it != m_rendered.end()) return *it;
    QImage image;
    if (m_document) {
        std::unique_ptr<Poppler::Page> page(m_document->page(index));
        if (page) {
            const double dpi = kPointsPerInch * m_scale * devicePixelRatioF();
            image = page->renderToImage(dpi, dpi);
            image.setDevicePixelRatio(devicePixelRatioF());
        }
    }
    m_rendered.insert(index, image);
    return image;
}
