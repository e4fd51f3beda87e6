#include "KorvoUpdateTableHeaderCell.h"

#include "KorvoUpdateButton.h"

#include <QPainter>

const QColor KorvoUpdateTableHeaderCell::kBackgroundColor(187, 187, 187);
const QColor KorvoUpdateTableHeaderCell::kGridColor(230, 230, 230);

namespace {

// The title on a borderless KorvoUpdateButton in black, left aligned, with neither the picture nor the text-colour
// look. It has no action, so a press on it ends there: neither the header nor the delegate hears of it.
KorvoUpdateButton* checkButtonWithTitle(const QString& title) {
    auto* button = new KorvoUpdateButton;
    QFont font = button->font();
    font.setPixelSize(KorvoUpdateTableHeaderCell::kTitlePixelSize);
    button->setFont(font);
    button->setAttributedTitle(title, Qt::black);
    button->setAlignment(Qt::AlignLeft);
    button->setFlat(true);
    button->setCursor(Qt::ArrowCursor);
    button->setOnlyShowTextColor(false);
    button->setShowBackgroundImage(false);
    return button;
}

QWidget* lineView() {
    auto* view = new QWidget;
    view->setAutoFillBackground(true);
    // Its own role, not the one of whatever view it is placed in.
    view->setBackgroundRole(QPalette::Window);
    QPalette palette = view->palette();
    palette.setColor(QPalette::Window, KorvoUpdateTableHeaderCell::kGridColor);
    view->setPalette(palette);
    view->setAttribute(Qt::WA_TransparentForMouseEvents);
    return view;
}

void place(QWidget* subview, QWidget* view, const QRect& frame) {
    if (!subview) return;
    if (subview->parentWidget() != view) {
        subview->setParent(view);
        subview->show();
    }
    subview->setGeometry(frame);
}

} // namespace

KorvoUpdateTableHeaderCell::KorvoUpdateTableHeaderCell(const QString& text, QObject* parent)
    : QObject(parent), m_text(text) {
    m_checkButton = checkButtonWithTitle(text);
    m_rightLineView = lineView();
    m_bottomLineView = lineView();
}

KorvoUpdateTableHeaderCell::~KorvoUpdateTableHeaderCell() {
    delete m_checkButton.data();
    delete m_rightLineView.data();
    delete m_bottomLineView.data();
}

QRect KorvoUpdateTableHeaderCell::checkButtonFrame(const QRect& frame) {
    return QRect(frame.x() + 6, frame.y() + 1, frame.width() - 3, frame.height() - 2);
}

QRect KorvoUpdateTableHeaderCell::rightLineFrame(const QRect& frame, int viewHeight) {
    return QRect(frame.x() + frame.width() - 1, 0, 1, viewHeight);
}

QRect KorvoUpdateTableHeaderCell::bottomLineFrame(const QRect& frame, int viewHeight) {
    return QRect(frame.x() + 1, frame.y() + viewHeight - 1, frame.width() - 2, 1);
}

void KorvoUpdateTableHeaderCell::drawWithFrame(QPainter& painter, const QRect& frame, QWidget* view) {
    painter.fillRect(frame, kBackgroundColor);
    drawInteriorWithFrame(frame, view);
}

void KorvoUpdateTableHeaderCell::drawInteriorWithFrame(const QRect& frame, QWidget* view) {
    if (!view) return;
    const int viewHeight = view->height();
    place(m_checkButton, view, checkButtonFrame(frame));
    place(m_rightLineView, view, rightLineFrame(frame, viewHeight));
    place(m_bottomLineView, view, bottomLineFrame(frame, viewHeight));
}

void KorvoUpdateTableHeaderCell::checkAction(QAbstractButton* sender) {
    if (m_delegate) m_delegate->softwareManagementTableHeader(this, sender);
}
