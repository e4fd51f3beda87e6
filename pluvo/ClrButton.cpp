#include "ClrButton.h"

#include "PngResource.h"
#include "WindowMessage.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
// The caption's look: the CJK-capable family, 9 points, and ARGB 0xFE9FEFFF.
constexpr char kCaptionFamily[] = "宋体";
constexpr int kCaptionPoints = 9;
constexpr QRgb kCaptionColor = 0xFE9FEFFF;
} // namespace

ClrButton::ClrButton(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
}

bool ClrButton::Create(bool tabStop, const QRect& rect, QWidget* parent, int id) {
    m_tabStop = tabStop;
    m_id = id;
    setParent(parent);
    setObjectName(QStringLiteral("button%1").arg(id));
    setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::NoFocus);
    setGeometry(rect);
    show();
    update();
    return true;
}

void ClrButton::setStatePictures(int normal, int hover, int pressed, int fourth) {
    m_pictures[0] = normal;
    m_pictures[1] = hover;
    m_pictures[2] = pressed;
    m_pictures[3] = fourth;
}

QRect ClrButton::stripSource(int pictureWidth, int pictureHeight) const {
    const int column = pictureWidth / kStripColumns;
    return QRect(m_state * pictureWidth / kStripColumns, 0, column, pictureHeight);
}

void ClrButton::paintEvent(QPaintEvent*) {
    const int id = m_mode == Strip ? m_strip : m_pictures[m_state];
    if (id == 0) return; // the parent's background shows
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QImage picture = LoadPngResource(id);
    if (!picture.isNull()) {
        if (m_mode == Strip)
            p.drawImage(rect(), picture, stripSource(picture.width(), picture.height()));
        else
            p.drawImage(rect(), picture);
    }
    if (!m_caption.isEmpty()) {
        QFont f(QString::fromUtf8(kCaptionFamily));
        f.setPointSize(kCaptionPoints);
        p.setFont(f);
        p.setPen(QColor::fromRgba(kCaptionColor));
        p.drawText(rect(), Qt::AlignCenter, m_caption);
    }
    if (m_focus && m_tabStop) {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.drawRect(rect().adjusted(kFocusInset, kFocusInset, -kFocusInset - 1, -kFocusInset - 1));
    }
}

void ClrButton::enterEvent(QEvent*) {
    if (m_trackingArmed) {
        m_trackingArmed = false;
        m_state = Hover;
        update();
    }
}

void ClrButton::mouseMoveEvent(QMouseEvent*) {
    if (m_trackingArmed) {
        m_trackingArmed = false;
        m_state = Hover;
        update();
    }
}

void ClrButton::leaveEvent(QEvent*) {
    m_trackingArmed = true;
    m_state = Normal;
    update();
}

void ClrButton::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    m_pressed = true;
    m_state = Pressed;
    if (m_tabStop) setFocus(Qt::MouseFocusReason);
    update();
}

void ClrButton::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !m_pressed) return;
    m_pressed = false;
    // Released outside the button: no click (pressing close and dragging off must not close).
    const bool inside = rect().contains(e->pos());
    m_state = inside ? Hover : Normal;
    update();
    if (inside) PostMessage(parentWidget(), kMsgButtonClicked, WPARAM(m_id), 0);
}

void ClrButton::focusInEvent(QFocusEvent*) {
    m_focus = true;
    update();
}

void ClrButton::focusOutEvent(QFocusEvent*) {
    m_focus = false;
    update();
}
