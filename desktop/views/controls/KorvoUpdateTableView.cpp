#include "KorvoUpdateTableView.h"

#include "KorvoUpdateTableHeaderCell.h"
#include "KorvoUpdateTableHeaderView.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <algorithm>

const QColor KorvoUpdateTableView::kGridColor(230, 230, 230);

namespace {

constexpr int kTitlePixelSize = 15;
// The background style of a cell in a selected, highlighted row.
constexpr int kEmphasizedBackground = 1;
// Hidden cell views kept per column for reuse: enough for the rows a scroll brings in at once.
constexpr int kSpareViewsPerColumn = 4;

// No cell shows a focus frame; the cells are views of their own.
class NoFocusDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem plain(option);
        plain.state &= ~QStyle::State_HasFocus;
        QStyledItemDelegate::paint(painter, plain, index);
    }
};

} // namespace

// Rows and column titles for the base table; the cells themselves are views.
class KorvoUpdateTableModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    struct Column {
        QString identifier;
        QString title;
    };

    int rowCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : m_rows; }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : m_columns.size();
    }
    QVariant data(const QModelIndex&, int) const override { return QVariant(); }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size()) return QVariant();
        switch (role) {
        case Qt::DisplayRole:
            return m_columns.at(section).title;
        case Qt::ForegroundRole:
            return QColor(Qt::black);
        case Qt::TextAlignmentRole:
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::FontRole: {
            QFont font;
            font.setPixelSize(kTitlePixelSize);
            return font;
        }
        default:
            return QVariant();
        }
    }

    void setRows(int rows) {
        rows = std::max(0, rows);
        if (rows > m_rows) {
            beginInsertRows(QModelIndex(), m_rows, rows - 1);
            m_rows = rows;
            endInsertRows();
        } else if (rows < m_rows) {
            beginRemoveRows(QModelIndex(), rows, m_rows - 1);
            m_rows = rows;
            endRemoveRows();
        }
    }
    int addColumn(const QString& identifier, const QString& title) {
        const int column = m_columns.size();
        beginInsertColumns(QModelIndex(), column, column);
        m_columns.append({identifier, title});
        endInsertColumns();
        return column;
    }
    const QVector<Column>& columns() const { return m_columns; }

private:
    int m_rows = 0;
    QVector<Column> m_columns;
};

KorvoUpdateTableView::KorvoUpdateTableView(QWidget* parent) : QTableView(parent) {
    m_model = new KorvoUpdateTableModel(this);
    setModel(m_model);
    m_headerView = new KorvoUpdateTableHeaderView(this);
    setHorizontalHeader(m_headerView);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(m_rowHeight);
    setItemDelegate(new NoFocusDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(m_headerView, &QHeaderView::sectionResized, this, &KorvoUpdateTableView::layoutCellViews);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &KorvoUpdateTableView::updateBackgroundStyles);
}

void KorvoUpdateTableView::updateBackgroundStyles() {
    for (auto it = m_cellViews.cbegin(); it != m_cellViews.cend(); ++it) {
        QWidget* view = it.value();
        if (view->metaObject()->indexOfMethod("setBackgroundStyle(int)") < 0) continue;
        const int row = static_cast<int>(it.key() >> 32);
        const bool emphasized = m_highlightStyle == SelectionHighlightRegular && isRowSelected(row);
        QMetaObject::invokeMethod(view, "setBackgroundStyle", Q_ARG(int, emphasized ? kEmphasizedBackground : 0));
    }
}

KorvoUpdateTableView::~KorvoUpdateTableView() {
    // The data source is not asked again while the table goes.
    m_dataSource = nullptr;
    m_extendedDelegate = nullptr;
}

KorvoUpdateTableView::CellKey KorvoUpdateTableView::cellKey(int row, int column) {
    return (static_cast<quint64>(static_cast<quint32>(row)) << 32) | static_cast<quint32>(column);
}

void KorvoUpdateTableView::setDataSource(KorvoUpdateTableViewDataSource* dataSource) {
    m_dataSource = dataSource;
    reloadData();
}

int KorvoUpdateTableView::addTableColumn(const QString& identifier, const QString& title, int width) {
    const int column = m_model->addColumn(identifier, title);
    setColumnWidth(column, width);
    layoutCellViews();
    return column;
}

int KorvoUpdateTableView::numberOfColumns() const {
    return m_model->columns().size();
}

QString KorvoUpdateTableView::columnIdentifier(int column) const {
    if (column < 0 || column >= m_model->columns().size()) return QString();
    return m_model->columns().at(column).identifier;
}

int KorvoUpdateTableView::columnWithIdentifier(const QString& identifier) const {
    const auto& columns = m_model->columns();
    for (int i = 0; i < columns.size(); ++i)
        if (columns.at(i).identifier == identifier) return i;
    return -1;
}

void KorvoUpdateTableView::setHeaderCell(int column, KorvoUpdateTableHeaderCell* cell) {
    if (column < 0 || column >= numberOfColumns()) {
        delete cell;
        return;
    }
    m_headerView->setHeaderCell(column, cell);
}

KorvoUpdateTableHeaderCell* KorvoUpdateTableView::headerCell(int column) const {
    return m_headerView->headerCell(column);
}

void KorvoUpdateTableView::setRowHeight(int height) {
    m_rowHeight = std::max(1, height);
    verticalHeader()->setDefaultSectionSize(m_rowHeight);
    layoutCellViews();
}

int KorvoUpdateTableView::numberOfRows() const {
    return m_model->rowCount();
}

void KorvoUpdateTableView::reloadData() {
    m_model->setRows(m_dataSource ? m_dataSource->numberOfRowsInTableView(this) : 0);
    const QList<CellKey> keys = m_cellViews.keys();
    for (CellKey key : keys)
        recycleCell(key);
    layoutCellViews();
    viewport()->update();
}

void KorvoUpdateTableView::reloadDataForRowIndexes(const QSet<int>& rowIndexes, const QSet<int>& columnIndexes) {
    for (int row : rowIndexes)
        for (int column : columnIndexes)
            recycleCell(cellKey(row, column));
    layoutCellViews();
}

QWidget* KorvoUpdateTableView::makeViewWithIdentifier(const QString& identifier) {
    auto it = m_reusePool.find(identifier);
    if (it == m_reusePool.end()) return nullptr;
    QWidget* view = it.value();
    m_reusePool.erase(it);
    return view;
}

QWidget* KorvoUpdateTableView::viewAtColumn(int column, int row) const {
    return m_cellViews.value(cellKey(row, column));
}

void KorvoUpdateTableView::recycleCell(CellKey key) {
    QWidget* view = m_cellViews.take(key);
    if (!view) return;
    view->hide();
    const int column = static_cast<int>(key & 0xffffffffu);
    m_reusePool.insert(columnIdentifier(column), view);
}

QRect KorvoUpdateTableView::cellFrame(int row, int column) const {
    QRect frame = visualRect(m_model->index(row, column));
    // The grid line at the cell's right and bottom edge stays visible.
    if (m_gridStyleMask & SolidVerticalGridLine) frame.setRight(frame.right() - 1);
    if (m_gridStyleMask & SolidHorizontalGridLine) frame.setBottom(frame.bottom() - 1);
    return frame;
}

void KorvoUpdateTableView::layoutCellViews() {
    if (m_inLayout) {
        m_layoutAgain = true;
        return;
    }
    m_inLayout = true;
    do {
        m_layoutAgain = false;
        const int rows = numberOfRows();
        const int columns = numberOfColumns();
        int first = -1, last = -1;
        if (m_dataSource && rows > 0 && columns > 0 && viewport()->height() > 0) {
            first = rowAt(0);
            last = rowAt(viewport()->height() - 1);
            if (first >= 0 && last < 0) last = rows - 1;
        }
        const QList<CellKey> keys = m_cellViews.keys();
        for (CellKey key : keys) {
            const int row = static_cast<int>(key >> 32);
            const int column = static_cast<int>(key & 0xffffffffu);
            if (first < 0 || row < first || row > last || column >= columns) recycleCell(key);
        }
        if (first >= 0) {
            for (int row = first; row <= last && !m_layoutAgain; ++row) {
                for (int column = 0; column < columns && !m_layoutAgain; ++column) {
                    const CellKey key = cellKey(row, column);
                    QWidget* view = m_cellViews.value(key);
                    if (!view) {
                        view = m_dataSource->tableView(this, column, row);
                        if (!view) continue;
                        // A reload asked for from inside the data source starts the pass over.
                        if (m_layoutAgain) {
                            m_reusePool.insert(columnIdentifier(column), view);
                            view->hide();
                            break;
                        }
                        view->setParent(viewport());
                        view->setAttribute(Qt::WA_TransparentForMouseEvents);
                        m_cellViews.insert(key, view);
                    }
                    view->setGeometry(cellFrame(row, column));
                    view->show();
                }
            }
        }
    } while (m_layoutAgain);
    updateBackgroundStyles();
    // A few spare views per column serve the next scroll; the rest go.
    for (const QString& identifier : m_reusePool.uniqueKeys()) {
        QList<QWidget*> spare = m_reusePool.values(identifier);
        while (spare.size() > kSpareViewsPerColumn)
            spare.takeLast()->deleteLater();
        m_reusePool.remove(identifier);
        for (QWidget* view : spare)
            m_reusePool.insert(identifier, view);
    }
    m_inLayout = false;
}

void KorvoUpdateTableView::setSelectionHighlightStyle(SelectionHighlightStyle style) {
    m_highlightStyle = style;
    // The style draws selected rows in the highlight colour; with no highlight that colour is clear.
    QPalette pal = palette();
    const QPalette standard = QApplication::palette(this);
    const bool none = style == SelectionHighlightNone;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Highlight,
                     none ? QColor(Qt::transparent) : standard.color(group, QPalette::Highlight));
        pal.setColor(group, QPalette::HighlightedText,
                     none ? pal.color(group, QPalette::Text) : standard.color(group, QPalette::HighlightedText));
    }
    setPalette(pal);
    updateBackgroundStyles();
    viewport()->update();
}

bool KorvoUpdateTableView::allowsMultipleSelection() const {
    return selectionMode() == QAbstractItemView::ExtendedSelection;
}

void KorvoUpdateTableView::setAllowsMultipleSelection(bool allows) {
    setSelectionMode(allows ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

void KorvoUpdateTableView::selectRowIndexes(const QSet<int>& rowIndexes, bool byExtendingSelection) {
    QItemSelection selection;
    for (int row : rowIndexes)
        if (row >= 0 && row < numberOfRows()) selection.select(m_model->index(row, 0), m_model->index(row, 0));
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::Select | QItemSelectionModel::Rows;
    if (!byExtendingSelection) flags |= QItemSelectionModel::Clear;
    selectionModel()->select(selection, flags);
}

void KorvoUpdateTableView::deselectRow(int row) {
    if (row < 0 || row >= numberOfRows()) return;
    selectionModel()->select(m_model->index(row, 0), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
}

void KorvoUpdateTableView::deselectAll() {
    selectionModel()->clearSelection();
}

QList<int> KorvoUpdateTableView::selectedRowIndexes() const {
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool KorvoUpdateTableView::isRowSelected(int row) const {
    return selectionModel()->isRowSelected(row, QModelIndex());
}

void KorvoUpdateTableView::scrollRowToVisible(int row) {
    if (row < 0 || row >= numberOfRows()) return;
    scrollTo(m_model->index(row, 0), QAbstractItemView::EnsureVisible);
}

void KorvoUpdateTableView::setGridStyleMask(int mask) {
    m_gridStyleMask = mask;
    layoutCellViews();
    viewport()->update();
}

void KorvoUpdateTableView::setGridColor(const QColor& color) {
    m_gridColor = color;
    viewport()->update();
}

void KorvoUpdateTableView::pressed(QMouseEvent* event, bool doubleClick) {
    const int row = rowAt(event->pos().y());
    if (doubleClick)
        QTableView::mouseDoubleClickEvent(event);
    else
        QTableView::mousePressEvent(event);
    if (row < 0 || event->button() != Qt::LeftButton) return;
    if (m_extendedDelegate) m_extendedDelegate->tableView(this, row);
    emit didClickedRow(row);
}

void KorvoUpdateTableView::mousePressEvent(QMouseEvent* event) {
    pressed(event, false);
}

// A second press in quick succession is a press on the row all the same.
void KorvoUpdateTableView::mouseDoubleClickEvent(QMouseEvent* event) {
    pressed(event, true);
}

void KorvoUpdateTableView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (m_gridStyleMask == GridNone || numberOfRows() == 0 || numberOfColumns() == 0) return;
    QPainter painter(viewport());
    painter.setPen(m_gridColor);
    const int lastRow = numberOfRows() - 1;
    const int bottom = std::min(viewport()->height(), rowViewportPosition(lastRow) + rowHeight()) - 1;
    int right = 0;
    for (int column = 0; column < numberOfColumns(); ++column) {
        if (isColumnHidden(column)) continue;
        const int x = columnViewportPosition(column) + columnWidth(column) - 1;
        right = std::max(right, x);
        if (m_gridStyleMask & SolidVerticalGridLine) painter.drawLine(x, 0, x, bottom);
    }
    if (m_gridStyleMask & SolidHorizontalGridLine) {
        const int first = std::max(0, rowAt(0));
        for (int row = first; row <= lastRow; ++row) {
            const int y = rowViewportPosition(row) + rowHeight() - 1;
            if (y > viewport()->height()) break;
            painter.drawLine(0, y, right, y);
        }
    }
}

bool KorvoUpdateTableView::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QTableView::viewportEvent(event);
    // The cell views let the pointer through to the viewport, so their tips are shown from here.
    const auto* help = static_cast<QHelpEvent*>(event);
    const int row = rowAt(help->pos().y());
    const int column = columnAt(help->pos().x());
    const QWidget* view = viewAtColumn(column, row);
    const QString tip = view ? view->toolTip() : QString();
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, viewport(), cellFrame(row, column));
    return true;
}

void KorvoUpdateTableView::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    layoutCellViews();
}

void KorvoUpdateTableView::updateGeometries() {
    QTableView::updateGeometries();
    layoutCellViews();
}
