// The desktop application's one-line search field. Its cell (a KorvoUpdateSearchFieldCell unless another is set)
// draws the background and places the text between optional side buttons. filedEventType picks the frame: 0 a
// thin light-grey border with corners of radius 4 (the start), 1 plain, any other value keeps the frame it has.
// Edits made by the user and the end of editing are reported to two optional callbacks. GUI thread only.
#pragma once

#include "KorvoUpdateCellTextField.h"

#include <functional>

class KorvoUpdateSearchFieldCell;
class RoundedBorderOverlay;

class KorvoUpdateSearchField : public KorvoUpdateCellTextField {
    Q_OBJECT
public:
    // The editor (the field itself) and its text at that moment.
    using TextBlock = std::function<void(QObject* editor, const QString& text)>;

    static constexpr int kBorderedRounded = 0;
    static constexpr int kPlain = 1;

    explicit KorvoUpdateSearchField(QWidget* parent = nullptr);

    // The cell when it is a search field cell, else nullptr.
    KorvoUpdateSearchFieldCell* searchCell() const;

    int filedEventType() const { return m_filedEventType; }
    void setFiledEventType(int type);
    bool isBordered() const;

    const TextBlock& textFieldDidEndEditing() const { return m_textFieldDidEndEditing; }
    void setTextFieldDidEndEditing(TextBlock block) { m_textFieldDidEndEditing = std::move(block); }
    const TextBlock& textFieldDidChange() const { return m_textFieldDidChange; }
    void setTextFieldDidChange(TextBlock block) { m_textFieldDidChange = std::move(block); }

private:
    void textDidEndEditing();
    void textDidChange(const QString& text);

    RoundedBorderOverlay* m_border = nullptr;
    int m_filedEventType = kBorderedRounded;
    TextBlock m_textFieldDidEndEditing;
    TextBlock m_textFieldDidChange;
};
