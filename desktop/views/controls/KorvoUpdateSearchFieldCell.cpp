#include "KorvoUpdateSearchFieldCell.h"

#include "KorvoUpdateBasicButton.h"
#include "KorvoUpdateCellTextField.h"

#include <cmath>

KorvoUpdateSearchFieldCell::KorvoUpdateSearchFieldCell(QObject* parent) : KorvoUpdateTextFieldCell(parent) {
    setBgColor(Qt::transparent);
    setInsertionPointColor(Qt::black);
}

KorvoUpdateSearchFieldCell::~KorvoUpdateSearchFieldCell() {
    for (const QPointer<KorvoUpdateBasicButton>& button : m_madeButtons)
        if (button && !button->parent()) delete button.data();
}

void KorvoUpdateSearchFieldCell::didAttachToControlView() {
    controlView()->setPlaceholderText(QString());
}

KorvoUpdateBasicButton* KorvoUpdateSearchFieldCell::makeSideButton(double x, double width) {
    QWidget* view = controlView();
    auto* button = new KorvoUpdateBasicButton(view);
    button->setGeometry(
        QRect(static_cast<int>(std::lround(x)), 0, static_cast<int>(std::lround(width)), view ? view->height() : 0));
    if (view) button->show();
    m_madeButtons.append(button);
    return button;
}

void KorvoUpdateSearchFieldCell::setLeftButton(KorvoUpdateBasicButton* button) {
    m_leftButton = button;
    emit cellChanged();
}

void KorvoUpdateSearchFieldCell::setRightButton(KorvoUpdateBasicButton* button) {
    m_rightButton = button;
    emit cellChanged();
}

void KorvoUpdateSearchFieldCell::setLeftButtonWidth(double width) {
    m_leftButtonWidth = width;
    setLeftButton(makeSideButton(0, width));
}

void KorvoUpdateSearchFieldCell::setRightButtonWidth(double width) {
    m_rightButtonWidth = width;
    const double controlWidth = controlView() ? controlView()->width() : 0;
    const double leftX = m_leftButton ? m_leftButton->x() : 0;
    const double leftWidth = m_leftButton ? m_leftButton->width() : 0;
    setRightButton(makeSideButton(controlWidth - leftWidth - leftX, width));
}

void KorvoUpdateSearchFieldCell::setMargin(double margin) {
    m_margin = margin;
    emit cellChanged();
}

QRectF KorvoUpdateSearchFieldCell::searchTextRectForBounds(const QRectF& bounds) const {
    const double leftX = m_leftButton ? m_leftButton->x() : 0;
    const double leftWidth = m_leftButton ? m_leftButton->width() : 0;
    const double rightWidth = m_rightButton ? m_rightButton->width() : 0;
    const double controlWidth = controlView() ? controlView()->width() : 0;
    const double lineHeight = textLineHeight();
    return QRectF(leftX + leftWidth + m_margin, (bounds.height() - lineHeight) / 2,
                  controlWidth - leftX - leftWidth - rightWidth - 2 * m_margin, lineHeight);
}

QRectF KorvoUpdateSearchFieldCell::searchButtonRectForBounds(const QRectF& bounds) const {
    // The field's own button square sits at the left edge; only its width follows the side button.
    return QRectF(bounds.left(), bounds.top(), m_leftButton ? m_leftButton->width() : 0, bounds.height());
}

QRectF KorvoUpdateSearchFieldCell::cancelButtonRectForBounds(const QRectF& bounds) const {
    return QRectF(bounds.right() - bounds.height(), bounds.top(),
                  (m_rightButton ? m_rightButton->width() : 0) + m_margin, bounds.height());
}
