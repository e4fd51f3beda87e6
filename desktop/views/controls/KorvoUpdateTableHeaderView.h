// The column header row of KorvoUpdateTableView: each column draws through its KorvoUpdateTableHeaderCell when it
// has one (the view owns the cells), else as a plain title; white where no column is. GUI thread only.
#pragma once

#include <QHash>
#include <QHeaderView>

class KorvoUpdateTableHeaderCell;

class KorvoUpdateTableHeaderView : public QHeaderView {
    Q_OBJECT
public:
    static constexpr int kHeaderHeight = 28; // room for a 15-pixel title with its lines

    explicit KorvoUpdateTableHeaderView(QWidget* parent = nullptr);

    // Takes the cell; the column's previous cell is deleted. nullptr gives the plain title back.
    void setHeaderCell(int logicalIndex, KorvoUpdateTableHeaderCell* cell);
    KorvoUpdateTableHeaderCell* headerCell(int logicalIndex) const { return m_cells.value(logicalIndex); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    QHash<int, KorvoUpdateTableHeaderCell*> m_cells;
};
