// Geometry of the capture frame: hover regions, handles, resizing by a drag, clamping after a move, grab area.
// Pure functions of rectangles and points, so the frame's behaviour is testable without a screen.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QVector>

namespace capture {

enum HoverRegion {
    kNone = 0,
    kLeft = 1,
    kRight = 2,
    kTop = 3,
    kBottom = 4,
    kTopLeft = 5,
    kTopRight = 6,
    kBottomLeft = 7,
    kBottomRight = 8,
};

constexpr int kBorderBand = 20;                // width of the band along the edges that resizes
constexpr int kHandleThickness = 6;            // short side of a red handle bar
constexpr int kHandleLength = 20;              // half-length of an edge handle, arm length of a corner handle
constexpr int kHandleInset = 4;                // handles stand this far inside the frame's edge
constexpr int kFrameLineInset = 11;            // the blue line runs this far inside the see-through margin
constexpr int kFrameLineWidth = 2;             // pen width of the blue line
constexpr int kGrabInset = 12;                 // grab just inside the blue line, so it is not captured
constexpr int kSmallestSide = 2 * kBorderBand; // below this the two bands would overlap
constexpr QSize kDefaultSize{320, 240};        // the logo's own size

// The region under p (frame coordinates); kNone inside the band or outside the frame.
int hoverRegionAt(const QPoint& p, const QSize& frame);

// Red handle bars shown for the region.
QVector<QRect> handleRects(int region, const QSize& frame);

// The frame's geometry after dragging a region by (dx, dy) since the press. The edge or corner opposite the
// dragged one stays where it was; a change that would make a side shorter than kSmallestSide is ignored on that
// axis, which then keeps its current place and size.
QRect resizeByDrag(int region, const QRect& atPress, const QRect& current, const QPoint& delta);

// Top-left after a move, so that the frame leaves the desktop by its see-through margin at most.
QPoint clampMovedTopLeft(const QPoint& topLeft, const QSize& frame, const QRect& desktop);

// Screen area captured for a frame at this geometry.
QRect grabRect(const QRect& frameGeometry);

} // namespace capture
