#include "KorvoUpdateSearchField.h"

#include "KorvoUpdateSearchFieldCell.h"
#include "RoundedBorderOverlay.h"

KorvoUpdateSearchField::KorvoUpdateSearchField(QWidget* parent) : KorvoUpdateCellTextField(parent) {
    m_border = new RoundedBorderOverlay(this);
    setCell(new KorvoUpdateSearchFieldCell);
    setFiledEventType(kBorderedRounded);
    connect(this, &QLineEdit::editingFinished, this, &KorvoUpdateSearchField::textDidEndEditing);
    connect(this, &QLineEdit::textEdited, this, &KorvoUpdateSearchField::textDidChange);
}

KorvoUpdateSearchFieldCell* KorvoUpdateSearchField::searchCell() const {
    return qobject_cast<KorvoUpdateSearchFieldCell*>(cell());
}

void KorvoUpdateSearchField::setFiledEventType(int type) {
    m_filedEventType = type;
    if (type == kBorderedRounded)
        m_border->setBordered(true);
    else if (type == kPlain)
        m_border->setBordered(false);
    update();
}

bool KorvoUpdateSearchField::isBordered() const {
    return m_border->isBordered();
}

void KorvoUpdateSearchField::textDidEndEditing() {
    if (m_textFieldDidEndEditing) m_textFieldDidEndEditing(this, text());
}

void KorvoUpdateSearchField::textDidChange(const QString& text) {
    if (m_textFieldDidChange) m_textFieldDidChange(this, text);
}
