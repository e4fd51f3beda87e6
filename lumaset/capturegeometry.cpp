#include "capturegeometry.h"

#include <algorithm>

namespace capture {

int hoverRegionAt(const QPoint& p, const QSize& frame) {
    const int w = frame.width(), h = frame.height();
    const QRect whole(QPoint(0, 0), frame);
    const QRect inner(kBorderBand, kBorderBand, w - 2 * kBorderBand, h - 2 * kBorderBand);
    if (!whole.contains(p) || inner.contains(p)) return kNone;
    if (p.y() > kBorderBand && p.y() < h - kBorderBand) return p.x() <= kBorderBand ? kLeft : kRight;
    const bool bottom = p.y() >= h - kBorderBand;
    if (p.x() <= kBorderBand) return bottom ? kBottomLeft : kTopLeft;
    if (p.x() < w - kBorderBand) return bottom ? kBottom : kTop;
    return bottom ? kBottomRight : kTopRight;
}

QVector<QRect> handleRects(int region, const QSize& frame) {
    const int w = frame.width(), h = frame.height();
    const int t = kHandleThickness, l = kHandleLength, in = kHandleInset;
    const QRect left(in, h / 2 - l, t, 2 * l);
    const QRect right(w - in - t, h / 2 - l, t, 2 * l);
    const QRect top(w / 2 - l, in, 2 * l, t);
    const QRect bottom(w / 2 - l, h - in - t, 2 * l, t);
    // A corner is an L: one bar along the horizontal edge, one along the vertical edge.
    auto corner = [&](bool atRight, bool atBottom) {
        const int x = atRight ? w - in - l : in;
        const int y = atBottom ? h - in - t : in;
        const int vx = atRight ? w - in - t : in;
        const int vy = atBottom ? h - in - l : in;
        return QVector<QRect>{QRect(x, y, l, t), QRect(vx, vy, t, l)};
    };
    switch (region) {
    case kLeft:
        return {left};
    case kRight:
        return {right};
    case kTop:
        return {top};
    case kBottom:
        return {bottom};
    case kTopLeft:
        return corner(false, false);
    case kTopRight:
        return corner(true, false);
    case kBottomLeft:
        return corner(false, true);
    case kBottomRight:
        return corner(true, true);
    default:
        return {};
    }
}

namespace {
// One axis of a drag: the edge at the low or the high end moves by d, the other stays; a length below the
// smallest side leaves the axis as it is now.
void dragAxis(bool lowEdge, bool highEdge, int pressStart, int pressLength, int d, int& start, int& length) {
    if (!lowEdge && !highEdge) return;
    const int newLength = lowEdge ? pressLength - d : pressLength + d;
    if (newLength < kSmallestSide) return;
    start = lowEdge ? pressStart + pressLength - newLength : pressStart;
    length = newLength;
}
} // namespace

QRect resizeByDrag(int region, const QRect& atPress, const QRect& current, const QPoint& delta) {
    const bool left = region == kLeft || region == kTopLeft || region == kBottomLeft;
    const bool right = region == kRight || region == kTopRight || region == kBottomRight;
    const bool top = region == kTop || region == kTopLeft || region == kTopRight;
    const bool bottom = region == kBottom || region == kBottomLeft || region == kBottomRight;
    int x = current.x(), w = current.width(), y = current.y(), h = current.height();
    dragAxis(left, right, atPress.x(), atPress.width(), delta.x(), x, w);
    dragAxis(top, bottom, atPress.y(), atPress.height(), delta.y(), y, h);
    return QRect(x, y, w, h);
}

QPoint clampMovedTopLeft(const QPoint& topLeft, const QSize& frame, const QRect& desktop) {
    const int minX = desktop.x() - kFrameLineInset;
    const int maxX = desktop.x() + desktop.width() + kFrameLineInset - frame.width();
    const int minY = desktop.y() - kFrameLineInset;
    const int maxY = desktop.y() + desktop.height() + kFrameLineInset - frame.height();
    // A frame wider than the desktop keeps its left edge in reach.
    const int x = std::max(minX, std::min(topLeft.x(), maxX));
    const int y = std::max(minY, std::min(topLeft.y(), maxY));
    return QPoint(x, y);
}

QRect grabRect(const QRect& frameGeometry) {
    return frameGeometry.adjusted(kGrabInset, kGrabInset, -kGrabInset, -kGrabInset);
}

} // namespace capture
