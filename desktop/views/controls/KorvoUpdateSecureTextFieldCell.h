// The cell of KorvoUpdateSecureTextField: a rounded background in bgColor and the text line centred vertically in
// the field, where editing and selecting take place.
#pragma once

#include "KorvoUpdateTextFieldCell.h"

class KorvoUpdateSecureTextFieldCell : public KorvoUpdateTextFieldCell {
    Q_OBJECT
public:
    explicit KorvoUpdateSecureTextFieldCell(QObject* parent = nullptr);

    // One text line high, centred vertically in the rectangle, as wide as it.
    QRectF adjustedFrameToVerticallyCenterText(const QRectF& rect) const;
    QRectF textRectForBounds(const QRectF& bounds) const override {
        return adjustedFrameToVerticallyCenterText(bounds);
    }
};
