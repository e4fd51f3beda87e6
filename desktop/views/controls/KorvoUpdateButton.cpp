#include "KorvoUpdateButton.h"

#include "imageresize.h"
#include "images.h"

#include <QPainter>

namespace {
constexpr char kNormalImage[] = "Btn_Nor";
constexpr char kFocusImage[] = "Btn_Fcs";
// The rounded ends of the button pictures keep their shape when the picture is stretched.
constexpr double kPictureCap = 10;
} // namespace

KorvoUpdateButton::KorvoUpdateButton(QWidget* parent) : KorvoUpdateButton(QString(), parent) {}

KorvoUpdateButton::KorvoUpdateButton(const QString& title, QWidget* parent) : QPushButton(title, parent) {
    m_imageName = kNormalImage;
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    setOnlyShowTextColor(false);
    setShowBackgroundImage(true);
}

void KorvoUpdateButton::setShowBackgroundImage(bool flag) {
    m_showBackgroundImage = flag;
    if (flag) m_imageName = kNormalImage;
    update();
}

void KorvoUpdateButton::setOnlyShowTextColor(bool flag) {
    m_onlyShowTextColor = flag;
    m_textColor = m_normalTextColor;
    update();
}

void KorvoUpdateButton::setAlignment(Qt::Alignment alignment) {
    m_alignment = alignment;
    update();
}

void KorvoUpdateButton::setAttributedTitle(const QString& title, const QColor& foreground) {
    m_titleColor = foreground;
    setText(title);
}

void KorvoUpdateButton::setHighlighted(bool highlighted) {
    m_highlighted = highlighted;
    if (m_showBackgroundImage)
        m_imageName = highlighted ? kFocusImage : kNormalImage;
    else if (m_onlyShowTextColor)
        m_textColor = highlighted ? m_highlightedTextColor : m_normalTextColor;
    else
        m_backgroundColor = highlighted ? m_highlightedBackgroundColor : m_normalBackgroundColor;
    update();
}

void KorvoUpdateButton::enterEvent(QEvent* event) {
    QPushButton::enterEvent(event);
    setHighlighted(true);
}

void KorvoUpdateButton::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    setHighlighted(false);
}

void KorvoUpdateButton::mousePressEvent(QMouseEvent* event) {
    QPushButton::mousePressEvent(event);
    setHighlighted(true);
}

void KorvoUpdateButton::mouseReleaseEvent(QMouseEvent* event) {
    QPushButton::mouseReleaseEvent(event);
    setHighlighted(false);
}

void KorvoUpdateButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), m_backgroundColor);
    if (m_showBackgroundImage) {
        const QImage source = images::imageNamed(m_imageName);
        const double cap = std::min({kPictureCap, width() / 2.0, height() / 2.0});
        p.drawImage(rect(), imageresize::stretchableImageWithSize(source, size(), {cap, cap, cap, cap}));
    }
    p.setFont(font());
    const QColor text = m_titleColor.isValid() ? m_titleColor : m_textColor;
    p.setPen(isEnabled() ? text : QColor(text.red(), text.green(), text.blue(), 128));
    p.drawText(rect(), int(m_alignment) | Qt::AlignVCenter | Qt::TextSingleLine, this->text());
}
