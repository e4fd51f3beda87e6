// A table row that draws itself selected as a filled rectangle (the selected-control colour) inset by one point,
// with a light outline; nothing when its table uses no selection highlight. For tables that place a row view
// behind their cells. GUI thread only.
#pragma once

#include <QColor>
#include <QWidget>

class KorvoUpdateTableRowView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSelectionHighlightNone = -1;
    static constexpr int kSelectionHighlightRegular = 0;
    static const QColor kSelectionFillColor;
    static const QColor kSelectionStrokeColor;

    explicit KorvoUpdateTableRowView(QWidget* parent = nullptr);

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    int selectionHighlightStyle() const { return m_selectionHighlightStyle; }
    void setSelectionHighlightStyle(int style);

    void drawBackgroundInRect(QPainter& painter, const QRect& rect);
    void drawSelectionInRect(QPainter& painter, const QRect& rect);
    void drawSeparatorInRect(QPainter& painter, const QRect& rect);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_selected = false;
    int m_selectionHighlightStyle = kSelectionHighlightRegular;
};
