#include "KorvoUpdateBasicButton.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

// Shown until the first colour change: a button nobody has given colours to stands out.
const QColor kSetupBackgroundColor(255, 59, 48);
// Drawn opacity of a button that was disabled when it was made.
constexpr double kDisabledAlpha = 0.5;

} // namespace

KorvoUpdateBasicButton::KorvoUpdateBasicButton(QWidget* parent) : QAbstractButton(parent) {
    // Made without a frame the button takes no room until it is given one; a Qt child would start at 100 x 30 and
    // take its size hint when first shown, and the side buttons of the fields are placed by each other's frames.
    setGeometry(QRect(0, 0, 0, 0));
    setFocusPolicy(Qt::NoFocus);
    setup();
    setupImageLayer();
    setupTitleLayer();
}

KorvoUpdateBasicButton::KorvoUpdateBasicButton(const QRect& frame, QWidget* parent) : KorvoUpdateBasicButton(parent) {
    setGeometry(frame);
}

void KorvoUpdateBasicButton::setup() {
    m_layer = new KorvoUpdateLayer(this);
    m_layer->setFrame(QRectF(rect()));
    m_layer->setMasksToBounds(true);
    m_layer->setBackgroundColor(kSetupBackgroundColor);
    connect(m_layer, &KorvoUpdateLayer::needsDisplay, this, qOverload<>(&QWidget::update));
    m_alphaValue = isEnabled() ? 1.0 : kDisabledAlpha;
    setAttribute(Qt::WA_TransparentForMouseEvents, !isEnabled());
}

void KorvoUpdateBasicButton::adoptLayer(KorvoUpdateLayer* layer) {
    if (!layer) return;
    if (!layer->parent()) layer->setParent(this);
    // A layer outside the backing layer's tree still asks for a redraw of its own.
    connect(layer, &KorvoUpdateLayer::needsDisplay, this, qOverload<>(&QWidget::update), Qt::UniqueConnection);
}

KorvoUpdateLayer* KorvoUpdateBasicButton::imageLayer() {
    if (!m_imageLayer) {
        m_imageLayer = new KorvoUpdateLayer(this);
        adoptLayer(m_imageLayer);
    }
    return m_imageLayer;
}

KorvoUpdateLayer* KorvoUpdateBasicButton::titleLayer() {
    if (!m_titleLayer) {
        m_titleLayer = new KorvoUpdateLayer(this);
        // A text layer draws white until it is given a colour.
        m_titleLayer->setValueForKeyPath(KorvoUpdateLayer::kForegroundColorKey, Qt::white);
        adoptLayer(m_titleLayer);
    }
    return m_titleLayer;
}

void KorvoUpdateBasicButton::setImageLayer(KorvoUpdateLayer* layer) {
    m_imageLayer = layer;
    adoptLayer(layer);
}

void KorvoUpdateBasicButton::setTitleLayer(KorvoUpdateLayer* layer) {
    m_titleLayer = layer;
    adoptLayer(layer);
}

void KorvoUpdateBasicButton::awakeFromNib() {
    m_tracksMouseEntry = true;
}

QSizeF KorvoUpdateBasicButton::imageSize() const {
    if (m_image.isNull()) return QSizeF(0, 0);
    return QSizeF(m_image.size()) / m_image.devicePixelRatio();
}

QSizeF KorvoUpdateBasicButton::titleSize() const {
    const QFontMetricsF metrics(font());
    return QSizeF(metrics.horizontalAdvance(m_title), metrics.height());
}

QPointF KorvoUpdateBasicButton::imageOrigin(ImagePosition position, bool hugs, QSizeF button, QSizeF image,
                                            QSizeF title, double spacing) {
    const double W = button.width(), H = button.height();
    const double iw = image.width(), ih = image.height(), tw = title.width(), th = title.height();
    const double s = spacing;
    switch (position) {
    case ImageOnly:
    case ImageOverlaps:
        return {(W - iw) / 2, (H - ih) / 2};
    case ImageLeft:
    case ImageLeading:
        return {hugs ? (W - iw - tw) / 2 - s : s, (H - ih) / 2};
    case ImageRight:
    case ImageTrailing:
        return {hugs ? (W - iw + tw) / 2 + s : W - iw - s, (H - ih) / 2};
    case ImageBelow:
        return {(W - iw) / 2, hugs ? (H - ih + th) / 2 + s : H - ih - s};
    case ImageAbove:
        return {(W - iw) / 2, hugs ? (H - ih - th) / 2 - s : s};
    default:
        return {0, 0};
    }
}

QPointF KorvoUpdateBasicButton::titleOrigin(ImagePosition position, bool hugs, QSizeF button, QSizeF image,
                                            QSizeF title, double spacing) {
    const double W = button.width(), H = button.height();
    const double iw = image.width(), ih = image.height(), tw = title.width(), th = title.height();
    const double s = spacing;
    switch (position) {
    case NoImage:
    case ImageOverlaps:
        return {(W - tw) / 2, (H - th) / 2};
    case ImageLeft:
    case ImageLeading:
        return {hugs ? (W + iw - tw) / 2 + s : W - tw - s, (H - th) / 2};
    case ImageRight:
    case ImageTrailing:
        return {hugs ? (W - iw - tw) / 2 - s : s, (H - th) / 2};
    case ImageBelow:
        return {(W - tw) / 2, hugs ? (H - ih - th) / 2 - s : s};
    case ImageAbove:
        return {(W - tw) / 2, hugs ? (H + ih - th) / 2 + s : H - th - s};
    default:
        return {0, 0};
    }
}

QRectF KorvoUpdateBasicButton::titleFrame(QPointF origin, QSizeF title) {
    return QRectF(std::round(origin.x()), std::round(origin.y()), std::ceil(title.width()), std::ceil(title.height()));
}

void KorvoUpdateBasicButton::setupImageLayer() {
    if (m_image.isNull() || m_imagePosition == NoImage) {
        imageLayer()->removeFromSuperlayer();
        return;
    }
    const QSizeF image = imageSize();
    const QPointF origin = imageOrigin(m_imagePosition, m_imageHugsTitle, size(), image,
                                       m_hasTitle ? titleSize() : QSizeF(0, 0), m_spacing);
    imageLayer()->setFrame(QRectF(rect()));
    imageLayer()->setMask(m_image, QRectF(QPointF(std::round(origin.x()), std::round(origin.y())), image));
    m_layer->addSublayer(imageLayer());
}

void KorvoUpdateBasicButton::setupTitleLayer() {
    if (!m_hasTitle || m_imagePosition == ImageOnly) {
        titleLayer()->removeFromSuperlayer();
        return;
    }
    const QSizeF title = titleSize();
    const QPointF origin = titleOrigin(m_imagePosition, m_imageHugsTitle, size(), imageSize(), title, m_spacing);
    titleLayer()->setFrame(titleFrame(origin, title));
    titleLayer()->setString(m_title);
    titleLayer()->setFont(font());
    m_layer->addSublayer(titleLayer());
}

void KorvoUpdateBasicButton::removeAllAnimations() {
    m_layer->removeAllAnimations();
    for (KorvoUpdateLayer* sublayer : m_layer->sublayers())
        sublayer->removeAllAnimations();
}

void KorvoUpdateBasicButton::animateColorWithState(int state) {
    removeAllAnimations();
    const bool on = state == kOnState;
    const double duration = on ? m_onAnimateDuration : m_offAnimateDuration;
    animateLayer(m_layer, on ? m_borderHighlightColor : m_borderNormalColor, KorvoUpdateLayer::kBorderColorKey,
                 duration);
    animateLayer(m_layer, on ? m_backgroundHighlightColor : m_backgroundNormalColor,
                 KorvoUpdateLayer::kBackgroundColorKey, duration);
    animateLayer(imageLayer(), on ? m_imageHighlightColor : m_imageNormalColor, KorvoUpdateLayer::kBackgroundColorKey,
                 duration);
    animateLayer(titleLayer(), on ? m_titleHighlightColor : m_titleNormalColor, KorvoUpdateLayer::kForegroundColorKey,
                 duration);
}

void KorvoUpdateBasicButton::animateLayer(KorvoUpdateLayer* layer, const QColor& color, const QString& keyPath,
                                          double duration) {
    const QColor present = layer->valueForKeyPath(keyPath);
    if (present == color) return;
    layer->addColorAnimation(keyPath, present, color, duration);
    layer->setValueForKeyPath(keyPath, color);
}

void KorvoUpdateBasicButton::setState(int state) {
    m_state = state;
    animateColorWithState(state);
}

void KorvoUpdateBasicButton::flip() {
    setState(m_state == kOnState ? kOffState : kOnState);
}

void KorvoUpdateBasicButton::setMomentary(bool momentary) {
    m_momentary = momentary;
    animateColorWithState(m_state);
}

void KorvoUpdateBasicButton::setColor(QColor& field, const QColor& color) {
    field = color;
    animateColorWithState(m_state);
}

void KorvoUpdateBasicButton::setBorderNormalColor(const QColor& color) {
    setColor(m_borderNormalColor, color);
}
void KorvoUpdateBasicButton::setBorderHighlightColor(const QColor& color) {
    setColor(m_borderHighlightColor, color);
}
void KorvoUpdateBasicButton::setBackgroundNormalColor(const QColor& color) {
    setColor(m_backgroundNormalColor, color);
}
void KorvoUpdateBasicButton::setBackgroundHighlightColor(const QColor& color) {
    setColor(m_backgroundHighlightColor, color);
}
void KorvoUpdateBasicButton::setImageNormalColor(const QColor& color) {
    setColor(m_imageNormalColor, color);
}
void KorvoUpdateBasicButton::setImageHighlightColor(const QColor& color) {
    setColor(m_imageHighlightColor, color);
}
void KorvoUpdateBasicButton::setTitleNormalColor(const QColor& color) {
    setColor(m_titleNormalColor, color);
}
void KorvoUpdateBasicButton::setTitleHighlightColor(const QColor& color) {
    setColor(m_titleHighlightColor, color);
}

void KorvoUpdateBasicButton::setCornerRadius(double radius) {
    m_cornerRadius = radius;
    m_layer->setCornerRadius(radius);
}

void KorvoUpdateBasicButton::setBorderWidth(double width) {
    m_borderWidth = width;
    m_layer->setBorderWidth(width);
}

void KorvoUpdateBasicButton::setSpacing(double spacing) {
    m_spacing = spacing;
    setupImageLayer();
    setupTitleLayer();
}

void KorvoUpdateBasicButton::setTitle(const QString& title) {
    m_title = title;
    m_hasTitle = true;
    setText(title);
    setupTitleLayer();
}

void KorvoUpdateBasicButton::setImage(const QImage& image) {
    m_image = image;
    setupImageLayer();
}

void KorvoUpdateBasicButton::setImagePosition(ImagePosition position) {
    m_imagePosition = position;
    setupImageLayer();
    setupTitleLayer();
}

void KorvoUpdateBasicButton::setImageHugsTitle(bool hugs) {
    m_imageHugsTitle = hugs;
    setupImageLayer();
    setupTitleLayer();
}

QSize KorvoUpdateBasicButton::sizeHint() const {
    const QSizeF image = m_imagePosition == NoImage ? QSizeF(0, 0) : imageSize();
    const QSizeF title = m_hasTitle && m_imagePosition != ImageOnly ? titleSize() : QSizeF(0, 0);
    const bool sideBySide = m_imagePosition != ImageBelow && m_imagePosition != ImageAbove &&
                            m_imagePosition != ImageOverlaps && m_imagePosition != ImageOnly;
    const double width = (sideBySide ? image.width() + title.width() : std::max(image.width(), title.width()));
    const double height = (sideBySide ? std::max(image.height(), title.height()) : image.height() + title.height());
    return QSize(static_cast<int>(std::ceil(width + 4 * m_spacing)),
                 static_cast<int>(std::ceil(height + 2 * m_spacing)));
}

void KorvoUpdateBasicButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setOpacity(m_alphaValue);
    m_layer->render(painter);
}

void KorvoUpdateBasicButton::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    m_layer->setFrame(QRectF(rect()));
    // The image keeps its place; only the title follows the new size.
    setupTitleLayer();
}

void KorvoUpdateBasicButton::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::FontChange) setupTitleLayer();
    if (event->type() == QEvent::EnabledChange) setAttribute(Qt::WA_TransparentForMouseEvents, !isEnabled());
}

void KorvoUpdateBasicButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        event->ignore();
        return;
    }
    m_mouseDown = true;
    flip();
}

// Qt holds entry and exit back while a mouse button is down, so the exit that cancels a press is seen here.
void KorvoUpdateBasicButton::mouseMoveEvent(QMouseEvent* event) {
    if (!rect().contains(event->pos())) pointerExited();
}

void KorvoUpdateBasicButton::enterEvent(QEvent*) {
    if (m_tracksMouseEntry && m_mouseDown) flip();
}

void KorvoUpdateBasicButton::leaveEvent(QEvent*) {
    pointerExited();
}

void KorvoUpdateBasicButton::pointerExited() {
    if (!m_tracksMouseEntry || !m_mouseDown) return;
    m_mouseDown = false;
    flip();
}

void KorvoUpdateBasicButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_mouseDown) return;
    m_mouseDown = false;
    if (m_momentary) flip();
    emit clicked();
}
