#include "imageresize.h"

#include <QPainter>

#include <cmath>

namespace imageresize {

namespace {
bool isEmptySize(QSizeF s) {
    return !(s.width() > 0) || !(s.height() > 0);
}

// Lower-left origin to QImage's top-left origin, inside a picture of the given height.
QRectF toTopLeft(const QRectF& r, double height) {
    return QRectF(r.x(), height - r.y() - r.height(), r.width(), r.height());
}

QImage blankImage(QSizeF size) {
    if (isEmptySize(size)) return {};
    QImage out(int(std::ceil(size.width())), int(std::ceil(size.height())), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    return out;
}

void drawPart(QPainter& p, const QImage& image, const QRectF& src, const QRectF& dst, double srcHeight,
              double dstHeight) {
    if (isEmptySize(src.size()) || isEmptySize(dst.size())) return;
    p.drawImage(toTopLeft(dst, dstHeight), image, toTopLeft(src, srcHeight));
}
} // namespace

QRectF cropRectForFill(QSizeF source, QSizeF target) {
    if (isEmptySize(source) || isEmptySize(target)) return {};
    const double w = source.width(), h = source.height(), W = target.width(), H = target.height();
    double cw, ch;
    if (H / h < W / w) {
        cw = w;
        ch = std::floor(H / (W / w));
    } else {
        cw = std::floor(W / (H / h));
        ch = h;
    }
    return QRectF(std::floor((w - cw) * 0.5), std::floor((h - ch) * 0.5), cw, ch);
}

std::array<QRectF, 9> ninePartRects(QSizeF size, const EdgeInsets& in) {
    const double A = size.width(), B = size.height();
    const double xs[3] = {0, in.left, A - in.right};
    const double ws[3] = {in.left, A - in.left - in.right, in.right};
    const double ys[3] = {B - in.top, in.bottom, 0};
    const double hs[3] = {in.top, B - in.top - in.bottom, in.bottom};
    std::array<QRectF, 9> parts;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            parts[row * 3 + col] = QRectF(xs[col], ys[row], ws[col], hs[row]);
    return parts;
}

std::array<QRectF, 3> threePartSourceRects(QSizeF source, float leftCap, float rightCap) {
    const double w = source.width(), h = source.height();
    return {QRectF(0, 0, leftCap, h), QRectF(leftCap, 0, w - rightCap - leftCap, h),
            QRectF(w - rightCap, 0, rightCap, h)};
}

QRectF fillCentreRect(QSizeF image, QSizeF target) {
    if (isEmptySize(image) || isEmptySize(target)) return {};
    const double w = image.width(), h = image.height(), W = target.width(), H = target.height();
    if (w == W && h == H) return QRectF(0, 0, W, H);
    const double sx = W / w, sy = H / h, s = std::max(sx, sy);
    const double sw = std::ceil(w * s), sh = std::ceil(h * s);
    if (sx > sy) return QRectF(0, (H - sh) * 0.5, sw, sh);
    if (sx < sy) return QRectF((W - sw) * 0.5, 0, sw, sh);
    return QRectF(0, 0, sw, sh);
}

QImage resizeImageWithSize(const QImage& image, QSizeF target) {
    QImage out = blankImage(target);
    const QRectF crop = cropRectForFill(image.size(), target);
    if (out.isNull() || crop.isEmpty()) return out;
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    drawPart(p, image, crop, QRectF(QPointF(0, 0), target), image.height(), target.height());
    return out;
}

QImage stretchableImageWithSize(const QImage& image, QSizeF target, const EdgeInsets& insets) {
    QImage out = blankImage(target);
    if (out.isNull() || image.isNull()) return out;
    const auto src = ninePartRects(image.size(), insets);
    const auto dst = ninePartRects(target, insets);
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (size_t i = 0; i < src.size(); ++i)
        drawPart(p, image, src[i], dst[i], image.height(), target.height());
    return out;
}

QImage stretchableImageWithLeftCapWidth(const QImage& image, float leftCap, float middleWidth, float rightCap) {
    const float width = leftCap + middleWidth + rightCap;
    const float height = float(image.height());
    QImage out = blankImage(QSizeF(width, height));
    if (out.isNull() || image.isNull()) return out;
    const auto src = threePartSourceRects(image.size(), leftCap, rightCap);
    const QRectF dst[3] = {QRectF(0, 0, leftCap, height), QRectF(leftCap, 0, middleWidth, height),
                           QRectF(leftCap + middleWidth, 0, rightCap, height)};
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int i = 0; i < 3; ++i)
        drawPart(p, image, src[i], dst[i], image.height(), height);
    return out;
}

QImage resizeImage(const QImage& image, QSizeF target) {
    QImage out = blankImage(target);
    const QRectF where = fillCentreRect(image.size(), target);
    if (out.isNull() || where.isEmpty()) return out;
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    drawPart(p, image, QRectF(QPointF(0, 0), QSizeF(image.size())), where, image.height(), target.height());
    return out;
}

} // namespace imageresize
