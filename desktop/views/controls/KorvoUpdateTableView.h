// The table of the application's lists. Its data source answers the row count and makes one view per visible
// cell (reusing views the table hands back through makeViewWithIdentifier); the cell views only show, presses go
// to the table. After the table has handled a press it tells its extended delegate, and emits didClickedRow, which
// row the press landed on (found before the handling; none for a press below the last row). A cell view that has an
// invokable setBackgroundStyle(int) is told 1 (emphasized) while its row is selected under the ordinary highlight,
// else 0. A cell view's tool tip shows while the pointer rests on its cell. Columns carry an
// identifier, a title and a KorvoUpdateTableHeaderCell when one is set. Delegate and data source are not owned:
// their owner clears them before they go away. GUI thread only.
#pragma once

#include <QColor>
#include <QHash>
#include <QList>
#include <QMultiHash>
#include <QSet>
#include <QString>
#include <QTableView>
#include <QVector>

class KorvoUpdateTableView;
class KorvoUpdateTableHeaderCell;
class KorvoUpdateTableHeaderView;
class KorvoUpdateTableModel;

class KorvoUpdateTableViewDelegate {
public:
    virtual ~KorvoUpdateTableViewDelegate() = default;
    // A press landed on row; the table has already updated its selection.
    virtual void tableView(KorvoUpdateTableView* tableView, long didClickedRow) {
        (void)tableView;
        (void)didClickedRow;
    }
};

class KorvoUpdateTableViewDataSource {
public:
    virtual ~KorvoUpdateTableViewDataSource() = default;
    virtual int numberOfRowsInTableView(KorvoUpdateTableView* tableView) = 0;
    // The view of one cell, which the table owns from then on; nullptr leaves the cell empty.
    virtual QWidget* tableView(KorvoUpdateTableView* tableView, int viewForTableColumn, int row) = 0;
};

class KorvoUpdateTableView : public QTableView {
    Q_OBJECT
public:
    enum SelectionHighlightStyle { SelectionHighlightNone = -1, SelectionHighlightRegular = 0 };
    enum GridStyle { GridNone = 0, SolidVerticalGridLine = 1, SolidHorizontalGridLine = 2 };
    static const QColor kGridColor;
    static constexpr int kDefaultRowHeight = 17;

    explicit KorvoUpdateTableView(QWidget* parent = nullptr);
    ~KorvoUpdateTableView() override;

    KorvoUpdateTableViewDelegate* extendedDelegate() const { return m_extendedDelegate; }
    void setExtendedDelegate(KorvoUpdateTableViewDelegate* delegate) { m_extendedDelegate = delegate; }
    KorvoUpdateTableViewDataSource* dataSource() const { return m_dataSource; }
    void setDataSource(KorvoUpdateTableViewDataSource* dataSource);

    // Appends a column; returns its index.
    int addTableColumn(const QString& identifier, const QString& title, int width);
    int numberOfColumns() const;
    QString columnIdentifier(int column) const;
    int columnWithIdentifier(const QString& identifier) const;
    // Takes the cell; the column's previous one is deleted.
    void setHeaderCell(int column, KorvoUpdateTableHeaderCell* cell);
    KorvoUpdateTableHeaderCell* headerCell(int column) const;
    KorvoUpdateTableHeaderView* headerView() const { return m_headerView; }

    // One height for every row.
    using QTableView::rowHeight;
    using QTableView::setRowHeight;
    int rowHeight() const { return m_rowHeight; }
    void setRowHeight(int height);
    int numberOfRows() const;
    // Asks the data source for the row count and every visible cell again; the selection of rows that remain stays.
    void reloadData();
    void reloadDataForRowIndexes(const QSet<int>& rowIndexes, const QSet<int>& columnIndexes);
    // A cell view the table has taken back under this identifier (the column's), or nullptr.
    QWidget* makeViewWithIdentifier(const QString& identifier);
    // The view a visible cell shows now, or nullptr.
    QWidget* viewAtColumn(int column, int row) const;

    SelectionHighlightStyle selectionHighlightStyle() const { return m_highlightStyle; }
    void setSelectionHighlightStyle(SelectionHighlightStyle style);
    bool allowsMultipleSelection() const;
    void setAllowsMultipleSelection(bool allows);
    void selectRowIndexes(const QSet<int>& rowIndexes, bool byExtendingSelection);
    void deselectRow(int row);
    void deselectAll();
    QList<int> selectedRowIndexes() const;
    bool isRowSelected(int row) const;
    void scrollRowToVisible(int row);

    int gridStyleMask() const { return m_gridStyleMask; }
    void setGridStyleMask(int mask);
    QColor gridColor() const { return m_gridColor; }
    void setGridColor(const QColor& color);

signals:
    void didClickedRow(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;

private:
    using CellKey = quint64;
    static CellKey cellKey(int row, int column);
    void pressed(QMouseEvent* event, bool doubleClick);
    void recycleCell(CellKey key);
    void layoutCellViews();
    void updateBackgroundStyles();
    QRect cellFrame(int row, int column) const;

    KorvoUpdateTableModel* m_model = nullptr;
    KorvoUpdateTableHeaderView* m_headerView = nullptr;
    KorvoUpdateTableViewDelegate* m_extendedDelegate = nullptr;
    KorvoUpdateTableViewDataSource* m_dataSource = nullptr;
    QHash<CellKey, QWidget*> m_cellViews;
    QMultiHash<QString, QWidget*> m_reusePool;
    int m_rowHeight = kDefaultRowHeight;
    SelectionHighlightStyle m_highlightStyle = SelectionHighlightRegular;
    int m_gridStyleMask = GridNone;
    QColor m_gridColor = kGridColor;
    bool m_inLayout = false;
    bool m_layoutAgain = false;
};
