#include "KorvoUpdateSecureField.h"

#include "KorvoUpdateBasicButton.h"
#include "KorvoUpdateSecureTextField.h"
#include "KorvoUpdateSecureTextFieldCell.h"
#include "RoundedBorderOverlay.h"

#include <cmath>

namespace {

int points(double value) {
    return static_cast<int>(std::lround(value));
}

} // namespace

KorvoUpdateSecureField::KorvoUpdateSecureField(QWidget* parent) : QWidget(parent) {
    auto* cell = new KorvoUpdateSecureTextFieldCell;
    cell->setBgColor(Qt::white);
    cell->setInsertionPointColor(Qt::black);
    QFont font = this->font();
    font.setPixelSize(kFontPixelSize);
    cell->setFont(font);

    m_secureTextField = new KorvoUpdateSecureTextField(this);
    m_secureTextField->setCell(cell);
    m_secureTextField->setText(QString());
    m_leftButton = new KorvoUpdateBasicButton(this);
    m_rightButton = new KorvoUpdateBasicButton(this);
    m_border = new RoundedBorderOverlay(this);
    setFiledEventType(kBorderedRounded);
    layoutTextField();
}

KorvoUpdateSecureField::KorvoUpdateSecureField(const QRect& frame, QWidget* parent) : KorvoUpdateSecureField(parent) {
    setGeometry(frame);
}

void KorvoUpdateSecureField::setLeftButtonWidth(double width) {
    m_leftButtonWidth = width;
    m_leftButton->setGeometry(0, 0, points(width), height());
    layoutTextField();
}

void KorvoUpdateSecureField::setRightButtonWidth(double width) {
    m_rightButtonWidth = width;
    // Placed by the left button's right edge, not by its own width.
    m_rightButton->setGeometry(this->width() - m_leftButton->width() - m_leftButton->x(), 0, points(width), height());
    layoutTextField();
}

void KorvoUpdateSecureField::setFiledEventType(int type) {
    m_filedEventType = type;
    m_border->setBordered(type == kBorderedRounded);
    update();
}

bool KorvoUpdateSecureField::isBordered() const {
    return m_border->isBordered();
}

QRect KorvoUpdateSecureField::secureTextFieldFrame(QSize size) const {
    const double leftX = m_leftButton->x();
    const double x = m_leftButtonWidth + leftX - (m_leftButtonWidth > 0 ? kLeftButtonOverlap : 0);
    const double width = size.width() - leftX - m_leftButtonWidth - m_rightButtonWidth;
    return QRect(points(x), 0, std::max(0, points(width)), size.height());
}

void KorvoUpdateSecureField::layoutTextField() {
    m_secureTextField->setGeometry(secureTextFieldFrame(size()));
}

void KorvoUpdateSecureField::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutTextField();
}
