#include "ProListCtrl.h"

#include "FlashWorker.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <cmath>

namespace {
constexpr int kProgressColumn = 3;
constexpr int kColumnCount = 4;

QColor fromColorRef(unsigned ref) {
    return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF);
}

class ProgressDelegate : public QStyledItemDelegate {
public:
    ProgressDelegate(CProListCtrl* list) : QStyledItemDelegate(list), m_list(list) {}
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        // The cell's background and selection as usual; its text is drawn right of the track below.
        QStyleOptionViewItem o(option);
        initStyleOption(&o, index);
        o.text.clear();
        o.widget->style()->drawControl(QStyle::CE_ItemViewItem, &o, p, o.widget);
        QRect track(option.rect.left() + CProListCtrl::kTrackInset, option.rect.top() + 1, CProListCtrl::kTrackWidth,
                    option.rect.height() - 2);
        p->fillRect(track, fromColorRef(CProListCtrl::kTrackColor));
        const int percent = m_list->Percent(index.row());
        if (percent != 0) {
            QRect bar = track;
            bar.setWidth(2 * std::min(percent, 100));
            p->fillRect(bar, fromColorRef(CProListCtrl::kBarColor));
        }
        p->setFont(option.font);
        p->drawText(option.rect.adjusted(CProListCtrl::kTrackInset + CProListCtrl::kTrackWidth + 4, 0, 0, 0),
                    Qt::AlignLeft | Qt::AlignVCenter, index.data().toString().trimmed());
    }

private:
    CProListCtrl* m_list;
};
} // namespace

CProListCtrl::CProListCtrl(QWidget* parent) : QTableWidget(0, kColumnCount, parent) {
    setObjectName(QStringLiteral("list1003"));
    setItemDelegateForColumn(kProgressColumn, new ProgressDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(true);
    verticalHeader()->hide();
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    // The columns' widths overrun the list by a few pixels of the progress column's empty end: no scroll bar.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void CProListCtrl::ResetRows() {
    m_state.clear();
    m_progress.clear();
    const QSignalBlocker block(this);
    setRowCount(0);
}

int CProListCtrl::AppendRow(const QString& version, const QString& date, const QString& size) {
    const QSignalBlocker block(this);
    const int row = rowCount();
    insertRow(row);
    auto* v = new QTableWidgetItem(version);
    v->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    v->setCheckState(Qt::Unchecked);
    v->setTextAlignment(Qt::AlignCenter);
    setItem(row, 0, v);
    const QString cells[] = {date, size, QString()};
    for (int c = 1; c < kColumnCount; ++c) {
        auto* it = new QTableWidgetItem(cells[c - 1]);
        it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        it->setTextAlignment(Qt::AlignCenter);
        setItem(row, c, it);
    }
    m_state[row] = 1;
    return row;
}

bool CProListCtrl::IsChecked(int row) const {
    const QTableWidgetItem* it = item(row, 0);
    return it && it->checkState() == Qt::Checked;
}

void CProListCtrl::SetChecked(int row, bool checked) {
    if (QTableWidgetItem* it = item(row, 0)) it->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

int CProListCtrl::Percent(int row) const {
    const auto it = m_progress.find(row);
    return it == m_progress.end() ? 0 : it->second;
}

int CProListCtrl::State(int row) const {
    const auto it = m_state.find(row);
    return it == m_state.end() ? 0 : it->second;
}

QString CProListCtrl::StatusText(int row) const {
    const QTableWidgetItem* it = item(row, kProgressColumn);
    return it ? it->text().trimmed() : QString();
}

QString CProListCtrl::indentText() {
    if (m_indent.isEmpty()) {
        const int space = std::max(1, QFontMetrics(font()).horizontalAdvance(QLatin1Char(' ')));
        m_indent = QString(int(std::ceil(double(kTrackWidth) / space)), QLatin1Char(' '));
    }
    return m_indent;
}

bool CProListCtrl::event(QEvent* e) {
    if (DispatchMessage(e)) return true;
    return QTableWidget::event(e);
}

bool CProListCtrl::OnMessage(unsigned message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (message) {
    case kMsgProgress:
        m_progress[int(wParam)] = int(lParam);
        viewport()->update();
        return true;
    case kMsgStatusText:
        if (QTableWidgetItem* it = item(int(wParam), kProgressColumn); it && lParam)
            it->setText(indentText() + *reinterpret_cast<const QString*>(lParam));
        return true;
    case kMsgFlashStart:
        m_state[int(lParam)] = 1;
        return true;
    case kMsgFlashFailed:
        if (onFlashFailed) onFlashFailed();
        return true;
    case kMsgFlashSucceeded:
        if (onFlashSucceeded && lParam) onFlashSucceeded(*reinterpret_cast<const FlashedVersion*>(lParam));
        return true;
    case kMsgFlashEnd:
        SetChecked(int(lParam), false);
        return true;
    default:
        return false;
    }
}
