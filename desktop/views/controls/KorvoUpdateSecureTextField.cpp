#include "KorvoUpdateSecureTextField.h"

#include "KorvoUpdateSecureTextFieldCell.h"

KorvoUpdateSecureTextField::KorvoUpdateSecureTextField(QWidget* parent) : KorvoUpdateCellTextField(parent) {
    setEchoMode(QLineEdit::Password);
    setCell(new KorvoUpdateSecureTextFieldCell);
}

KorvoUpdateSecureTextFieldCell* KorvoUpdateSecureTextField::secureCell() const {
    return qobject_cast<KorvoUpdateSecureTextFieldCell*>(cell());
}
