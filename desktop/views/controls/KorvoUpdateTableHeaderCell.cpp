#include "KorvoUpdateTableHeaderCell.h"

#include <QPainter>
#include <QPushButton>

const QColor KorvoUpdateTableHeaderCell::kBackgroundColor(187, 187, 187);
const QColor KorvoUpdateTableHeaderCell::kGridColor(230, 230, 230);

namespace {

// The title on a borderless button: left aligned, vertically centred, no look of its own.
class HeaderCheckButton : public QPushButton {
public:
    explicit HeaderCheckButton(const QString& title) : QPushButton(title) {
        setFlat(true);
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        QFont font = this->font();
        font.setPixelSize(KorvoUpdateTableHeaderCell::kTitlePixelSize);
        setFont(font);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(Qt::black);
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
    }
};

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
    m_checkButton = new HeaderCheckButton(text);
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
