// A PDF document shown as one continuous column of its pages on white, each page fitted to the view's width (the
// scale follows the view), with a visible break between pages. Pages are rendered when they first come into view
// and kept until the width changes. The document is not owned; it must outlive the view or be replaced first.
// GUI thread only.
#pragma once

#include <QHash>
#include <QImage>
#include <QScrollArea>

namespace Poppler {
class Document;
}

class PdfView : public QScrollArea {
public:
    static constexpr int kPageMargin = 10; // white around the column
    static constexpr int kPageBreak = 12;  // between two pages

    explicit PdfView(QWidget* parent = nullptr);
    ~PdfView() override;

    // nullptr shows nothing.
    void setDocument(Poppler::Document* document);
    Poppler::Document* document() const { return m_document; }
    int pageCount() const;

    // Always true: the pages follow the view's width.
    bool autoScales() const { return true; }
    // Pixels per PDF point at the current width; 1.0 while nothing is shown.
    double scaleFactor() const;
    // A page's place in the column's coordinates (empty for a page that does not exist).
    QRect pageRect(int index) const;
    // Scrolls so that the page's top is at the top of the view.
    void goToPage(int index);
    // Pages rendered so far at the current width.
    int renderedPageCount() const { return m_rendered.size(); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    class Column;
    void relayout();
    QImage renderedPage(int index);

    Poppler::Document* m_document = nullptr;
    Column* m_column = nullptr;
    QVector<QSizeF> m_pageSizes; // in points
    QVector<QRect> m_pageRects;
    double m_scale = 1.0;
    QHash<int, QImage> m_rendered;
};
