#include "KorvoUpdateCellTextField.h"

#include "KorvoUpdateTextFieldCell.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionFrame>

#include <cmath>

namespace {

// The line edit draws no caret of its own, so the field can draw one in its own colour.
class NoCaretStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        if (metric == PM_TextCursorWidth) return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// The line edit's cursor rectangle reaches this far left of the caret position (it is widened for repainting).
constexpr int kCursorRectLeftPad = 5;
constexpr int kCaretWidth = 1;
// The line edit keeps this much clear on either side of its text, and one pixel more for the cursor.
constexpr int kLineEditInnerMargin = 2;
constexpr int kLineEditCursorRoom = 1;

} // namespace

KorvoUpdateCellTextField::KorvoUpdateCellTextField(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    auto* style = new NoCaretStyle;
    style->setParent(this);
    setStyle(style);
    // The cell paints the background; the line edit's own panel stays clear.
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::transparent);
    setPalette(pal);

    const int flash = QApplication::cursorFlashTime();
    m_caretTimer.setInterval(flash > 0 ? flash / 2 : 0);
    connect(&m_caretTimer, &QTimer::timeout, this, [this] {
        m_caretOn = !m_caretOn;
        update();
    });
    connect(this, &QLineEdit::cursorPositionChanged, this, &KorvoUpdateCellTextField::restartCaret);
    connect(this, &QLineEdit::textChanged, this, &KorvoUpdateCellTextField::showStartUnlessEditing);
}

KorvoUpdateCellTextField::~KorvoUpdateCellTextField() {
    // The proxy style is a child; the field must not keep using it while the children go.
    setStyle(nullptr);
}

void KorvoUpdateCellTextField::setCell(KorvoUpdateTextFieldCell* cell) {
    if (cell == m_cell) return;
    delete m_cell;
    m_cell = cell;
    if (!cell) {
        updateTextRect();
        return;
    }
    cell->setParent(this);
    if (cell->m_hasFont) setFont(cell->m_font);
    cell->m_controlView = this;
    connect(cell, &KorvoUpdateTextFieldCell::cellChanged, this, [this] {
        updateTextRect();
        update();
    });
    cell->didAttachToControlView();
    updateTextRect();
    update();
}

void KorvoUpdateCellTextField::setInsertionPointColor(const QColor& color) {
    m_insertionPointColor = color;
    update();
}

void KorvoUpdateCellTextField::updateTextRect() {
    const QRectF bounds(rect());
    const QRectF text = m_cell ? m_cell->textRectForBounds(bounds) : bounds;
    const QMargins margins(std::max(0, static_cast<int>(std::lround(text.left()))),
                           std::max(0, static_cast<int>(std::lround(text.top()))),
                           std::max(0, static_cast<int>(std::lround(bounds.right() - text.right()))),
                           std::max(0, static_cast<int>(std::lround(bounds.bottom() - text.bottom()))));
    if (margins != textMargins()) setTextMargins(margins);
}

QRect KorvoUpdateCellTextField::textArea() const {
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents =
        style()->subElementRect(QStyle::SE_LineEditContents, &option, this).marginsRemoved(textMargins());
    return contents.adjusted(kLineEditInnerMargin, 0, -kLineEditInnerMargin, 0);
}

int KorvoUpdateCellTextField::textAreaWidth() const {
    return std::max(0, textArea().width() - kLineEditCursorRoom);
}

QRect KorvoUpdateCellTextField::caretRect() const {
    if (!hasFocus() || isReadOnly() || !m_caretOn) return QRect();
    const QRect around = cursorRect();
    return QRect(around.left() + kCursorRectLeftPad, around.top(), kCaretWidth, std::max(0, around.height() - 1));
}

void KorvoUpdateCellTextField::paintEvent(QPaintEvent* event) {
    if (m_cell) {
        QPainter painter(this);
        m_cell->drawWithFrame(painter, QRectF(rect()), this);
    }
    QLineEdit::paintEvent(event);
    const QRect caret = caretRect();
    if (!caret.isEmpty() && m_insertionPointColor.isValid()) {
        QPainter painter(this);
        painter.fillRect(caret, m_insertionPointColor);
    }
}

void KorvoUpdateCellTextField::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    updateTextRect();
}

void KorvoUpdateCellTextField::focusInEvent(QFocusEvent* event) {
    if (m_cell) m_cell->setUpFieldEditorAttributes(this);
    QLineEdit::focusInEvent(event);
    restartCaret();
}

void KorvoUpdateCellTextField::showStartUnlessEditing() {
    if (!hasFocus() && !m_inUserInput) setCursorPosition(0);
}

void KorvoUpdateCellTextField::keyPressEvent(QKeyEvent* event) {
    m_inUserInput = true;
    QLineEdit::keyPressEvent(event);
    m_inUserInput = false;
}

void KorvoUpdateCellTextField::inputMethodEvent(QInputMethodEvent* event) {
    m_inUserInput = true;
    QLineEdit::inputMethodEvent(event);
    m_inUserInput = false;
}

void KorvoUpdateCellTextField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    showStartUnlessEditing();
    m_caretTimer.stop();
    update();
}

void KorvoUpdateCellTextField::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) updateTextRect();
}

void KorvoUpdateCellTextField::restartCaret() {
    m_caretOn = true;
    if (hasFocus() && m_caretTimer.interval() > 0)
        m_caretTimer.start();
    else
        m_caretTimer.stop();
    update();
}
