// The password field inside KorvoUpdateSecureField: shows a bullet for every character it holds; text() still
// gives what was typed. Drawn by its cell, a KorvoUpdateSecureTextFieldCell unless another is set.
#pragma once

#include "KorvoUpdateCellTextField.h"

class KorvoUpdateSecureTextFieldCell;

class KorvoUpdateSecureTextField : public KorvoUpdateCellTextField {
    Q_OBJECT
public:
    explicit KorvoUpdateSecureTextField(QWidget* parent = nullptr);

    // The cell when it is a secure text field cell, else nullptr.
    KorvoUpdateSecureTextFieldCell* secureCell() const;
};
