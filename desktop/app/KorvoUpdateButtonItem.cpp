#include "KorvoUpdateButtonItem.h"

#include "KorvoUpdateImageView.h"
#include "images.h"
#include "korvostyle.h"

#include <QLabel>
#include <QPushButton>

namespace {
constexpr int kTitlePixelSize = 16;
const QColor kSelectedTitleColor(Qt::red);
const QColor kTitleColor(Qt::black);

} // namespace

KorvoUpdateButtonItem::KorvoUpdateButtonItem(const QString& title, const QString& icon, QWidget* parent)
    : QWidget(parent) {
    setupUI(icon, title);
}

void KorvoUpdateButtonItem::setupUI(const QString& icon, const QString& title) {
    m_imageView = new KorvoUpdateImageView(this);
    m_imageView->setImage(images::imageNamed(icon, QSize(kIconSize, kIconSize)));

    m_label = new QLabel(title, this);
    QFont font = m_label->font();
    font.setPixelSize(kTitlePixelSize);
    m_label->setFont(font);
    m_label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_label->setWordWrap(true);
    m_label->setAttribute(Qt::WA_TranslucentBackground);
    korvostyle::setTextColor(m_label, kTitleColor);

    m_tabButton = new QPushButton(this);
    m_tabButton->setFlat(true);
    m_tabButton->setFocusPolicy(Qt::NoFocus);
    m_tabButton->setCursor(Qt::PointingHandCursor);
    m_tabButton->setStyleSheet("QPushButton { border: none; background: transparent; }");
    m_tabButton->raise();
}

void KorvoUpdateButtonItem::didChangeFont(const QFont& font) {
    m_label->setFont(font);
    updateGeometry();
    resizeEvent(nullptr);
}

void KorvoUpdateButtonItem::didChangeStatus(bool selected) {
    m_selected = selected;
    korvostyle::setTextColor(m_label, selected ? kSelectedTitleColor : kTitleColor);
}

QSize KorvoUpdateButtonItem::sizeHint() const {
    const int labelHeight = m_label->fontMetrics().height();
    return QSize(kIconSize + 2 * kSideMargin, kIconTop + kIconSize + kLabelGap + labelHeight + kBottomMargin);
}

void KorvoUpdateButtonItem::resizeEvent(QResizeEvent*) {
    m_imageView->setGeometry((width() - kIconSize) / 2, kIconTop, kIconSize, kIconSize);
    const int labelTop = kIconTop + kIconSize + kLabelGap;
    m_label->setGeometry(kSideMargin, labelTop, width() - 2 * kSideMargin,
                         std::max(0, height() - labelTop - kBottomMargin));
    m_tabButton->setGeometry(rect());
}
