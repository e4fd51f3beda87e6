#include "KorvoUpdateSecureTextFieldCell.h"

KorvoUpdateSecureTextFieldCell::KorvoUpdateSecureTextFieldCell(QObject* parent) : KorvoUpdateTextFieldCell(parent) {}

QRectF KorvoUpdateSecureTextFieldCell::adjustedFrameToVerticallyCenterText(const QRectF& rect) const {
    const double lineHeight = textLineHeight();
    return QRectF(rect.x(), rect.y() + (rect.height() - lineHeight) / 2, rect.width(), lineHeight);
}
