#include "ProListCtrl.h"

#include "FlashWorker.h"
#include "Marks.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QTextOption>
#include <cmath>

namespace {
constexpr int kCheckColumn = 0;
constexpr int kProgressColumn = 3;
constexpr int kColumnCount = 4;

QColor fromColorRef(unsigned ref) {
    return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF);
}

QTextOption statusOption() {
    QTextOption o(Qt::AlignLeft | Qt::AlignVCenter);
    o.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return o;
}

// Height of text wrapped into width, laid out as QPainter::drawText lays it out.
int wrappedHeight(const QFont& font, const QString& text, int width) {
    QTextLayout layout(text, font);
    layout.setTextOption(statusOption());
    const qreal leading = QFontMetricsF(font).leading();
    qreal height = -leading;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(1, width));
        height = std::ceil(height + leading) + line.height();
    }
    layout.endLayout();
    return int(std::ceil(std::max<qreal>(0, height)));
}

class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(CProListCtrl* list) : QStyledItemDelegate(list), m_list(list) {}

protected:
    // The cell's background and selection as the list's style draws them, without its text or check box.
    void drawBackground(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
        QStyleOptionViewItem o(option);
        initStyleOption(&o, index);
        o.text.clear();
        o.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        const QWidget* w = o.widget;
        (w ? w->style() : QApplication::style())->drawControl(QStyle::CE_ItemViewItem, &o, p, w);
    }
    static QColor textColor(const QStyleOptionViewItem& option) {
        return option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text);
    }

    CProListCtrl* m_list;
};

class CheckDelegate : public CellDelegate {
public:
    using CellDelegate::CellDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        drawBackground(p, option, index);
        DrawMark(p, QStyle::PE_IndicatorCheckBox, CProListCtrl::CheckBoxRect(option.rect),
                 index.data(Qt::CheckStateRole).toInt() == Qt::Checked);
        // Centred as the other columns, clear of the box on both sides.
        const int clear = CProListCtrl::kCheckBoxLeft + CProListCtrl::kCheckBoxSize + CProListCtrl::kStatusGap;
        const QRect textRect = option.rect.adjusted(clear, 0, -clear, 0);
        p->save();
        p->setFont(option.font);
        p->setPen(textColor(option));
        p->drawText(textRect, Qt::AlignCenter,
                    QFontMetrics(option.font).elidedText(index.data().toString(), Qt::ElideRight, textRect.width()));
        p->restore();
    }

    // The box the user sees is the box that takes the click, whatever the list's own style thinks.
    bool editorEvent(QEvent* e, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override {
        const Qt::ItemFlags flags = model->flags(index);
        if (!(flags & Qt::ItemIsUserCheckable) || !(flags & Qt::ItemIsEnabled)) return false;
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease: {
            const auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() != Qt::LeftButton || !CProListCtrl::CheckBoxRect(option.rect).contains(me->pos()))
                return false;
            if (e->type() != QEvent::MouseButtonRelease) return true;
            const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
            return model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        }
        default:
            return QStyledItemDelegate::editorEvent(e, model, option, index);
        }
    }
};

class ProgressDelegate : public CellDelegate {
public:
    using CellDelegate::CellDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        // The cell's background and selection as usual; its text is drawn right of the track below.
        drawBackground(p, option, index);
        QRect track(option.rect.left() + CProListCtrl::kTrackInset, option.rect.top() + 1, CProListCtrl::kTrackWidth,
                    option.rect.height() - 2);
        p->fillRect(track, fromColorRef(CProListCtrl::kTrackColor));
        const int percent = m_list->Percent(index.row());
        if (percent != 0) {
            QRect bar = track;
            bar.setWidth(2 * std::min(percent, 100));
            p->fillRect(bar, fromColorRef(CProListCtrl::kBarColor));
        }
        p->save();
        p->setFont(option.font);
        p->setPen(textColor(option));
        p->drawText(CProListCtrl::StatusTextRect(option.rect), index.data().toString().trimmed(), statusOption());
        p->restore();
    }
};
} // namespace

CProListCtrl::CProListCtrl(QWidget* parent) : QTableWidget(0, kColumnCount, parent) {
    setObjectName(QStringLiteral("list1003"));
    setItemDelegateForColumn(kCheckColumn, new CheckDelegate(this));
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

QRect CProListCtrl::StatusTextRect(const QRect& cell) {
    return QRect(QPoint(cell.left() + kTrackInset + kTrackWidth + kStatusGap, cell.top()),
                 QPoint(cell.right() - kStatusGap, cell.bottom()));
}

QRect CProListCtrl::CheckBoxRect(const QRect& cell) {
    return QRect(cell.left() + kCheckBoxLeft, cell.top() + (cell.height() - kCheckBoxSize) / 2, kCheckBoxSize,
                 kCheckBoxSize);
}

QRect CProListCtrl::CheckBoxRect(int row) const {
    const QTableWidgetItem* it = item(row, kCheckColumn);
    return it ? CheckBoxRect(visualItemRect(it)) : QRect();
}

void CProListCtrl::FitStatusTexts(const QStringList& texts) {
    const int width = StatusTextRect(QRect(0, 0, columnWidth(kProgressColumn), 1)).width();
    int needed = 0;
    for (const QString& t : texts)
        needed = std::max(needed, wrappedHeight(font(), t, width) + 2 * kStatusPadding);
    // Never lower than the style's own height for the font: the check box and the bar need it too.
    const int base = std::max(fontMetrics().height() + 2 * kStatusPadding, kCheckBoxSize + 2 * kStatusPadding);
    verticalHeader()->setMinimumSectionSize(std::min(verticalHeader()->minimumSectionSize(), base));
    verticalHeader()->setDefaultSectionSize(std::max(base, needed));
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
