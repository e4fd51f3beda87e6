#include "KorvoUpdateTableCellView.h"

#include "KorvoUpdateSearchField.h"
#include "KorvoUpdateSearchFieldCell.h"

#include <QLabel>
#include <QPainter>

const QColor KorvoUpdateTableCellView::kEmphasizedColor(0, 122, 255);

KorvoUpdateTableCellView::KorvoUpdateTableCellView(QWidget* parent) : QWidget(parent) {
    m_imageView1 = new QLabel(this);
    m_imageView1->setAlignment(Qt::AlignCenter);

    m_textField1 = new KorvoUpdateSearchField;
    m_textField1->setFiledEventType(KorvoUpdateSearchField::kPlain);
    auto* cell = new KorvoUpdateSearchFieldCell;
    cell->setBgColor(Qt::transparent);
    cell->setInsertionPointColor(Qt::black);
    cell->setLeftButtonWidth(0);
    cell->setRightButtonWidth(0);
    cell->setMargin(0);
    QFont font = m_textField1->font();
    font.setPixelSize(kFontPixelSize);
    cell->setFont(font);
    m_textField1->setCell(cell);
    m_textField1->setParent(this);
    layoutSubviews();
}

void KorvoUpdateTableCellView::setStringValue(const QString& text) {
    m_stringValue = text;
    fitStringValue();
}

void KorvoUpdateTableCellView::fitStringValue() {
    const int room = m_textField1->textAreaWidth();
    const QString shown = m_textField1->fontMetrics().elidedText(m_stringValue, Qt::ElideRight, room);
    m_textField1->setText(shown);
    setToolTip(shown == m_stringValue ? QString() : m_stringValue);
}

void KorvoUpdateTableCellView::setShowImage(bool show) {
    m_showImage = show;
    layoutSubviews();
}

void KorvoUpdateTableCellView::setBackgroundStyle(int style) {
    m_backgroundStyle = style;
    update();
}

void KorvoUpdateTableCellView::layoutSubviews() {
    if (m_showImage) {
        m_imageView1->setGeometry(kImageLeading, 0, kImageWidth, height());
        const int textX = kImageLeading + kImageWidth + kTextGap;
        m_textField1->setGeometry(textX, 0, std::max(0, width() - textX), height());
    } else {
        m_imageView1->setGeometry(0, 0, 0, 0);
        const int textHeight = m_textField1->sizeHint().height();
        m_textField1->setGeometry(kTextLeading, (height() - textHeight) / 2, std::max(0, width() - kTextLeading),
                                  textHeight);
    }
    if (!m_stringValue.isEmpty()) fitStringValue();
}

void KorvoUpdateTableCellView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutSubviews();
}

void KorvoUpdateTableCellView::paintEvent(QPaintEvent*) {
    if (m_backgroundStyle != BackgroundStyleEmphasized) return;
    QPainter painter(this);
    painter.fillRect(rect(), kEmphasizedColor);
}
