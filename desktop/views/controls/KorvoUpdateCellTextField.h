// A one-line text field drawn by its cell (KorvoUpdateTextFieldCell): the cell's background behind the text, the
// text inside the cell's text rectangle, and a caret in the cell's insertion point colour. The field owns its cell.
// Base of the search field and the secure text field. GUI thread only.
#pragma once

#include <QColor>
#include <QLineEdit>
#include <QTimer>

class KorvoUpdateTextFieldCell;

class KorvoUpdateCellTextField : public QLineEdit {
    Q_OBJECT
public:
    explicit KorvoUpdateCellTextField(QWidget* parent = nullptr);
    ~KorvoUpdateCellTextField() override;

    KorvoUpdateTextFieldCell* cell() const { return m_cell; }
    // Takes the cell; the one it had is deleted. The field takes the cell's font when the cell has one.
    void setCell(KorvoUpdateTextFieldCell* cell);

    bool isEditable() const { return !isReadOnly(); }
    void setEditable(bool editable) { setReadOnly(!editable); }
    QColor insertionPointColor() const { return m_insertionPointColor; }
    void setInsertionPointColor(const QColor& color);
    // The caret as drawn now, in the field's coordinates; empty while none is shown.
    QRect caretRect() const;

    // Re-reads the cell's text rectangle for the field's bounds.
    void updateTextRect();
    // Where the text is drawn while it is not scrolled, in the field's coordinates.
    QRect textArea() const;
    // The widest text the field shows whole, without scrolling it.
    int textAreaWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void restartCaret();
    // A field that is not being edited shows the start of a text too long for it.
    void showStartUnlessEditing();

    KorvoUpdateTextFieldCell* m_cell = nullptr;
    QColor m_insertionPointColor = Qt::black;
    QTimer m_caretTimer;
    bool m_caretOn = true;
    bool m_inUserInput = false;
};
