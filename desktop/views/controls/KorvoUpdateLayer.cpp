#include "KorvoUpdateLayer.h"

#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

#include <cmath>

const QString KorvoUpdateLayer::kBackgroundColorKey = QStringLiteral("backgroundColor");
const QString KorvoUpdateLayer::kBorderColorKey = QStringLiteral("borderColor");
const QString KorvoUpdateLayer::kForegroundColorKey = QStringLiteral("foregroundColor");

namespace {

bool isColorKey(const QString& keyPath) {
    return keyPath == KorvoUpdateLayer::kBackgroundColorKey || keyPath == KorvoUpdateLayer::kBorderColorKey ||
           keyPath == KorvoUpdateLayer::kForegroundColorKey;
}

// An unset end of an animation fades: it stands for the other end's colour made fully transparent.
QColor interpolable(const QColor& color, const QColor& other) {
    if (color.isValid()) return color;
    QColor clear = other.isValid() ? other : QColor(Qt::transparent);
    clear.setAlpha(0);
    return clear;
}

QPainterPath roundedPath(const QRectF& rect, double radius) {
    QPainterPath path;
    if (radius > 0)
        path.addRoundedRect(rect, radius, radius);
    else
        path.addRect(rect);
    return path;
}

} // namespace

KorvoUpdateLayer::KorvoUpdateLayer(QObject* parent) : QObject(parent) {}

KorvoUpdateLayer::~KorvoUpdateLayer() {
    removeAllAnimations();
    removeFromSuperlayer();
    for (KorvoUpdateLayer* sublayer : m_sublayers)
        sublayer->m_superlayer = nullptr;
}

void KorvoUpdateLayer::setFrame(const QRectF& frame) {
    if (frame == m_frame) return;
    m_frame = frame;
    emit needsDisplay();
}

void KorvoUpdateLayer::setCornerRadius(double radius) {
    m_cornerRadius = radius;
    emit needsDisplay();
}

void KorvoUpdateLayer::setBorderWidth(double width) {
    m_borderWidth = width;
    emit needsDisplay();
}

void KorvoUpdateLayer::setMasksToBounds(bool masks) {
    m_masksToBounds = masks;
    emit needsDisplay();
}

QColor KorvoUpdateLayer::valueForKeyPath(const QString& keyPath) const {
    return m_colors.value(keyPath);
}

void KorvoUpdateLayer::setValueForKeyPath(const QString& keyPath, const QColor& color) {
    if (!isColorKey(keyPath)) return;
    m_colors.insert(keyPath, color);
    emit needsDisplay();
}

QColor KorvoUpdateLayer::presentationValueForKeyPath(const QString& keyPath) const {
    const QVariantAnimation* animation = m_animations.value(keyPath);
    if (animation && animation->state() == QAbstractAnimation::Running)
        return animation->currentValue().value<QColor>();
    return valueForKeyPath(keyPath);
}

void KorvoUpdateLayer::setMask(const QImage& contents, const QRectF& maskFrame) {
    m_maskContents = contents;
    m_maskFrame = maskFrame;
    emit needsDisplay();
}

void KorvoUpdateLayer::clearMask() {
    m_maskContents = QImage();
    m_maskFrame = QRectF();
    emit needsDisplay();
}

void KorvoUpdateLayer::setString(const QString& string) {
    m_string = string;
    emit needsDisplay();
}

void KorvoUpdateLayer::setFont(const QFont& font) {
    m_font = font;
    emit needsDisplay();
}

void KorvoUpdateLayer::addSublayer(KorvoUpdateLayer* layer) {
    if (!layer || layer == this) return;
    layer->removeFromSuperlayer();
    m_sublayers.append(layer);
    layer->m_superlayer = this;
    connect(layer, &KorvoUpdateLayer::needsDisplay, this, &KorvoUpdateLayer::needsDisplay);
    emit needsDisplay();
}

void KorvoUpdateLayer::removeFromSuperlayer() {
    KorvoUpdateLayer* superlayer = m_superlayer;
    if (!superlayer) return;
    superlayer->m_sublayers.removeAll(this);
    m_superlayer = nullptr;
    disconnect(this, &KorvoUpdateLayer::needsDisplay, superlayer, &KorvoUpdateLayer::needsDisplay);
    emit superlayer->needsDisplay();
}

void KorvoUpdateLayer::addColorAnimation(const QString& keyPath, const QColor& from, const QColor& to, double seconds) {
    if (!isColorKey(keyPath)) return;
    delete m_animations.take(keyPath);
    auto* animation = new QVariantAnimation(this);
    animation->setStartValue(interpolable(from, to));
    animation->setEndValue(interpolable(to, from));
    animation->setDuration(std::max(0, static_cast<int>(std::lround(seconds * 1000.0))));
    connect(animation, &QVariantAnimation::valueChanged, this, &KorvoUpdateLayer::needsDisplay);
    connect(animation, &QVariantAnimation::finished, this, &KorvoUpdateLayer::needsDisplay);
    m_animations.insert(keyPath, animation);
    if (animation->duration() > 0) animation->start();
    emit needsDisplay();
}

bool KorvoUpdateLayer::hasRunningAnimation() const {
    for (const QVariantAnimation* animation : m_animations)
        if (animation->state() == QAbstractAnimation::Running) return true;
    return false;
}

void KorvoUpdateLayer::removeAllAnimations() {
    if (m_animations.isEmpty()) return;
    for (QVariantAnimation* animation : m_animations) {
        animation->disconnect(this);
        animation->stop();
        delete animation;
    }
    m_animations.clear();
    emit needsDisplay();
}

void KorvoUpdateLayer::render(QPainter& painter) const {
    if (m_frame.width() <= 0 || m_frame.height() <= 0) return;
    const QRectF bounds(0, 0, m_frame.width(), m_frame.height());
    painter.save();
    painter.translate(m_frame.topLeft());
    if (!hasMask()) {
        renderContents(painter, bounds);
    } else {
        // The layer is drawn apart and cut by the picture's opacity before it joins the rest.
        const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
        QImage content(bounds.size().toSize() * ratio, QImage::Format_ARGB32_Premultiplied);
        content.setDevicePixelRatio(ratio);
        content.fill(Qt::transparent);
        QPainter contentPainter(&content);
        contentPainter.setRenderHints(painter.renderHints());
        renderContents(contentPainter, bounds);
        contentPainter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        QImage clipOutside(content.size(), QImage::Format_ARGB32_Premultiplied);
        clipOutside.fill(Qt::transparent);
        clipOutside.setDevicePixelRatio(ratio);
        {
            QPainter maskPainter(&clipOutside);
            maskPainter.setRenderHint(QPainter::SmoothPixmapTransform);
            maskPainter.drawImage(m_maskFrame, m_maskContents);
        }
        contentPainter.drawImage(QPointF(0, 0), clipOutside);
        contentPainter.end();
        painter.drawImage(QPointF(0, 0), content);
    }
    painter.restore();
}

void KorvoUpdateLayer::renderContents(QPainter& painter, const QRectF& bounds) const {
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape = roundedPath(bounds, m_cornerRadius);
    const QColor background = presentationValueForKeyPath(kBackgroundColorKey);
    if (background.isValid() && background.alpha() > 0) painter.fillPath(shape, background);

    const QColor foreground = presentationValueForKeyPath(kForegroundColorKey);
    if (!m_string.isEmpty() && foreground.isValid()) {
        painter.setFont(m_font);
        painter.setPen(foreground);
        painter.drawText(bounds, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_string);
    }

    if (!m_sublayers.isEmpty()) {
        painter.save();
        if (m_masksToBounds) painter.setClipPath(shape, Qt::IntersectClip);
        for (const KorvoUpdateLayer* sublayer : m_sublayers)
            sublayer->render(painter);
        painter.restore();
    }

    // The border lies inside the bounds, over the sublayers.
    const QColor border = presentationValueForKeyPath(kBorderColorKey);
    if (m_borderWidth > 0 && border.isValid() && border.alpha() > 0) {
        const double half = m_borderWidth / 2;
        QPen pen(border, m_borderWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(roundedPath(bounds.adjusted(half, half, -half, -half), std::max(0.0, m_cornerRadius - half)));
    }
}
