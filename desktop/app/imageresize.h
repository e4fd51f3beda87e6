// Image scaling, nine-part and three-part stretching. The rectangle arithmetic is kept apart from the drawing:
// the geometry functions work in image coordinates with the origin at the lower-left corner and y growing upward,
// the drawing functions turn them into QImage's top-left coordinates. Empty sizes give an empty (transparent)
// image, never a division by zero.
#pragma once

#include <QImage>
#include <QRectF>
#include <QSizeF>

#include <array>

namespace imageresize {

struct EdgeInsets {
    double top = 0, left = 0, bottom = 0, right = 0;
};

// The part of a w x h source that fills a W x H target without distortion (centred crop).
QRectF cropRectForFill(QSizeF source, QSizeF target);
// The nine parts of a rectangle of that size: top-left, top, top-right, left, centre, right, bottom-left, bottom,
// bottom-right.
std::array<QRectF, 9> ninePartRects(QSizeF size, const EdgeInsets& insets);
// Source rectangles of the left cap, the middle and the right cap for caps L and R of a w x h source.
std::array<QRectF, 3> threePartSourceRects(QSizeF source, float leftCap, float rightCap);
// Where a w x h image is drawn so that it covers W x H, centred, at its own aspect (sizes rounded up).
QRectF fillCentreRect(QSizeF image, QSizeF target);

// Fill and crop: the centred crop of the image scaled into the whole target.
QImage resizeImageWithSize(const QImage& image, QSizeF target);
// Each of the nine parts of the image scaled into the matching part of the target.
QImage stretchableImageWithSize(const QImage& image, QSizeF target, const EdgeInsets& insets);
// Left and right caps at their widths, the middle of the image stretched to middleWidth.
QImage stretchableImageWithLeftCapWidth(const QImage& image, float leftCap, float middleWidth, float rightCap);
// The whole image scaled to cover the target, centred, the overflow cut off equally at both sides.
QImage resizeImage(const QImage& image, QSizeF target);

} // namespace imageresize
