#include "RadioListBox.h"

#include "Fonts.h"
#include "Marks.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {
QColor rgb(unsigned v) {
    return QColor((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}
} // namespace

class RadioRowDelegate : public QStyledItemDelegate {
public:
    explicit RadioRowDelegate(CRadioListBox* list) : QStyledItemDelegate(list), m_list(list) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        m_list->DrawItem(p, option.rect, index.row());
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return QSize(m_list->m_columnWidth > 0 ? m_list->m_columnWidth : m_list->viewport()->width(),
                     m_list->itemHeight());
    }

private:
    CRadioListBox* m_list;
};

CRadioListBox::CRadioListBox(QWidget* parent) : QListWidget(parent), m_marks(kMaxRows, 1), m_available(kMaxRows, 1) {
    setItemDelegate(new RadioRowDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void CRadioListBox::DrawItem(QPainter* p, const QRect& r, int row) const {
    if (row < 0 || row >= count()) return;
    p->save();
    p->fillRect(r, rgb(row % 2 ? kOddRowColor : kEvenRowColor));
    const bool available = isAvailable(row);
    int textLeft = r.left() + m_indent;
    if (isMarked(row)) {
        // The style's disabled mark is barely there: an unavailable row's is the plain one faded, out of reach
        // but still seen.
        if (!available) p->setOpacity(kUnavailableMarkOpacity);
        DrawMark(p, QStyle::PE_IndicatorRadioButton,
                 QRect(textLeft, r.top() + (r.height() - kMarkSize) / 2, kMarkSize, kMarkSize), selectedRow() == row);
        p->setOpacity(1.0);
        textLeft += kMarkSize;
    }
    textLeft += kTextGap;
    p->setFont(LabelFont());
    p->setPen(available ? QColor(Qt::black) : rgb(kUnavailableTextColor));
    p->drawText(QRect(textLeft, r.top(), r.right() - textLeft, r.height()), Qt::AlignLeft | Qt::AlignVCenter,
                item(row)->text());
    p->restore();
}

int CRadioListBox::AddRow(int indent, const QString& text, int itemData) {
    if (indent > 0) m_indent = indent;
    auto* item = new QListWidgetItem(text, this);
    item->setData(Qt::UserRole, itemData);
    return count() - 1;
}

void CRadioListBox::setItemHeight(int height) {
    m_itemHeight = height;
    doItemsLayout();
}

void CRadioListBox::setColumnWidth(int width) {
    m_columnWidth = width;
    if (width > 0) {
        setFlow(QListView::TopToBottom);
        setWrapping(true);
        setResizeMode(QListView::Adjust);
    }
    doItemsLayout();
}

void CRadioListBox::setAvailable(int row, bool available) {
    if (row < 0 || row >= kMaxRows) return;
    m_available[size_t(row)] = available ? 1 : 0;
    if (QListWidgetItem* it = item(row)) {
        const Qt::ItemFlags reachable = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
        it->setFlags(available ? (it->flags() | reachable) : (it->flags() & ~reachable));
        if (!available && it->isSelected()) clearSelection();
    }
    viewport()->update();
}

bool CRadioListBox::isAvailable(int row) const {
    return row >= 0 && row < kMaxRows && m_available[size_t(row)] != 0;
}

void CRadioListBox::setMarked(int row, bool marked) {
    if (row >= 0 && row < kMaxRows) m_marks[size_t(row)] = marked ? 1 : 0;
}

bool CRadioListBox::isMarked(int row) const {
    return row >= 0 && row < kMaxRows && m_marks[size_t(row)] != 0;
}

int CRadioListBox::selectedRow() const {
    const QList<QListWidgetItem*> items = selectedItems();
    return items.isEmpty() ? -1 : row(items.first());
}

void CRadioListBox::selectRow(int r) {
    if (r < 0 || r >= count() || !isAvailable(r)) {
        clearSelection();
        setCurrentItem(nullptr, QItemSelectionModel::Clear);
        return;
    }
    setCurrentRow(r, QItemSelectionModel::ClearAndSelect);
}

int CRadioListBox::nearestAvailable(int r, int step) const {
    for (; r >= 0 && r < count(); r += step)
        if (isAvailable(r)) return r;
    return -1;
}

void CRadioListBox::keyPressEvent(QKeyEvent* e) {
    const int current = selectedRow() >= 0 ? selectedRow() : currentRow();
    int target = -2; // -2: not a movement key
    switch (e->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        e->accept();
        return;
    case Qt::Key_Home:
        target = nearestAvailable(0, +1);
        break;
    case Qt::Key_End:
        target = nearestAvailable(count() - 1, -1);
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        target = current > 0 ? nearestAvailable(current - 1, -1) : -1;
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        target = nearestAvailable(current + 1, +1);
        break;
    default:
        break;
    }
    if (target == -2) return QListWidget::keyPressEvent(e);
    e->accept();
    // Nothing available that way: the selection stays.
    if (target >= 0) {
        selectRow(target);
        scrollToItem(item(target));
    }
}

void CRadioListBox::keyboardSearch(const QString& search) {
    // The next available row, after the current one and round, whose text begins with the letters typed.
    const QString wanted = search.trimmed();
    if (wanted.isEmpty() || count() == 0) return;
    const int from = std::max(selectedRow(), currentRow());
    for (int i = 1; i <= count(); ++i) {
        const int r = (from + i + count()) % count();
        if (isAvailable(r) && item(r)->text().trimmed().startsWith(wanted, Qt::CaseInsensitive)) {
            selectRow(r);
            scrollToItem(item(r));
            return;
        }
    }
}

void CRadioListBox::mousePressEvent(QMouseEvent* e) {
    const QModelIndex index = indexAt(e->pos());
    if (!index.isValid() || !isAvailable(index.row())) {
        e->accept();
        return;
    }
    QListWidget::mousePressEvent(e);
}

void CRadioListBox::paintEvent(QPaintEvent* e) {
    // Below the last row the stripes go on.
    {
        QPainter p(viewport());
        const int h = std::max(1, m_itemHeight);
        for (int y = 0, row = 0; y < viewport()->height(); y += h, ++row)
            p.fillRect(0, y, viewport()->width(), h, rgb(row % 2 ? kOddRowColor : kEvenRowColor));
    }
    QListWidget::paintEvent(e);
}
