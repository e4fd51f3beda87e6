// The capture frame: hover regions, handles, resizing and moving by the mouse, and the grabbed area.
#include "CapturingDialog.h"
#include "capturegeometry.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>

namespace {

using namespace capture;

const QSize kFrame(320, 240);

TEST(CaptureGeometry, HoverRegionsFollowTheBorderBand) {
    struct Case {
        QPoint p;
        int region;
    };
    const Case cases[] = {
        {{5, 5}, kTopLeft},   {{160, 5}, kTop},        {{315, 5}, kTopRight},    {{5, 120}, kLeft},
        {{315, 120}, kRight}, {{5, 235}, kBottomLeft}, {{160, 235}, kBottom},    {{315, 235}, kBottomRight},
        {{160, 120}, kNone},  {{20, 20}, kNone},       {{21, 120}, kNone},       {{19, 120}, kLeft},
        {{300, 120}, kRight}, {{299, 120}, kNone},     {{160, 220}, kBottom},    {{160, 219}, kNone},
        {{-1, 120}, kNone},   {{320, 120}, kNone},     {{20, 5}, kTopLeft},      {{21, 5}, kTop},
        {{299, 5}, kTop},     {{300, 5}, kTopRight},   {{20, 230}, kBottomLeft},
    };
    for (const auto& c : cases)
        EXPECT_EQ(hoverRegionAt(c.p, kFrame), c.region) << c.p.x() << "," << c.p.y();
}

TEST(CaptureGeometry, ResizingKeepsTheOppositeEdgeAndTheSmallestSize) {
    const QRect press(100, 50, 320, 240);
    // Left edge 30 to the right: narrower, right edge stays.
    EXPECT_EQ(resizeByDrag(kLeft, press, press, {30, 0}), QRect(130, 50, 290, 240));
    EXPECT_EQ(resizeByDrag(kRight, press, press, {30, 7}), QRect(100, 50, 350, 240));
    EXPECT_EQ(resizeByDrag(kTop, press, press, {0, -20}), QRect(100, 30, 320, 260));
    EXPECT_EQ(resizeByDrag(kBottom, press, press, {9, 20}), QRect(100, 50, 320, 260));
    EXPECT_EQ(resizeByDrag(kBottomRight, press, press, {-10, -20}), QRect(100, 50, 310, 220));
    EXPECT_EQ(resizeByDrag(kTopLeft, press, press, {10, 20}), QRect(110, 70, 310, 220));
    // Dragging the left edge 300 to the right would leave 20, below the smallest side: nothing changes.
    EXPECT_EQ(resizeByDrag(kLeft, press, press, {300, 0}), press);
    // Exactly the smallest side is allowed.
    EXPECT_EQ(resizeByDrag(kRight, press, press, {-280, 0}).width(), kSmallestSide);
    // A corner dragged too far on one axis still follows on the other.
    const QRect current(110, 50, 310, 240);
    EXPECT_EQ(resizeByDrag(kTopLeft, press, current, {300, 10}), QRect(110, 60, 310, 230));
}

TEST(CaptureGeometry, MovedFrameLeavesTheDesktopByItsMarginAtMost) {
    const QRect desktop(0, 0, 1920, 1080);
    EXPECT_EQ(clampMovedTopLeft({-500, -400}, kFrame, desktop), QPoint(-11, -11));
    EXPECT_EQ(clampMovedTopLeft({5000, 5000}, kFrame, desktop), QPoint(1920 + 11 - 320, 1080 + 11 - 240));
    EXPECT_EQ(clampMovedTopLeft({300, 200}, kFrame, desktop), QPoint(300, 200));
    // A desktop that does not start at 0 (a screen left of the primary one).
    EXPECT_EQ(clampMovedTopLeft({-3000, 0}, kFrame, QRect(-1280, 0, 3200, 1080)), QPoint(-1291, 0));
}

TEST(CaptureGeometry, HandlesAndGrabStayClearOfEachOther) {
    // Handles lie inside the frame and outside the grabbed area, so they never end up in a logo.
    const QRect grab = grabRect(QRect(QPoint(0, 0), kFrame));
    for (int region = kLeft; region <= kBottomRight; ++region)
        for (const QRect& r : handleRects(region, kFrame)) {
            EXPECT_TRUE(QRect(QPoint(0, 0), kFrame).contains(r)) << region;
            EXPECT_FALSE(grab.intersects(r)) << region;
        }
    EXPECT_EQ(handleRects(kBottomRight, kFrame), (QVector<QRect>{QRect(296, 230, 20, 6), QRect(310, 216, 6, 20)}));

    EXPECT_EQ(grabRect(QRect(100, 50, 320, 240)), QRect(112, 62, 296, 216));
    EXPECT_EQ(grabRect(QRect(0, 0, 320, 240)).size(), QSize(296, 216));
}

// Mouse events as the window system delivers them; the frame's position on the screen is its geometry.
void sendMouse(QWidget* w, QEvent::Type type, const QPoint& local, Qt::MouseButtons buttons) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, w->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

class CaptureFrame : public ::testing::Test {
protected:
    void SetUp() override {
        frame.move(400, 300);
        frame.show();
        QApplication::processEvents();
    }
    CapturingDialog frame;
};

TEST_F(CaptureFrame, HoverShowsTheRegionAndLeavingClearsIt) {
    sendMouse(&frame, QEvent::MouseMove, {5, 5}, Qt::NoButton);
    EXPECT_EQ(frame.hoverRegion(), kTopLeft);
    sendMouse(&frame, QEvent::MouseMove, {160, 5}, Qt::NoButton);
    EXPECT_EQ(frame.hoverRegion(), kTop);
    sendMouse(&frame, QEvent::MouseMove, {160, 120}, Qt::NoButton);
    EXPECT_EQ(frame.hoverRegion(), kNone);
    sendMouse(&frame, QEvent::MouseMove, {5, 120}, Qt::NoButton);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&frame, &leave);
    EXPECT_EQ(frame.hoverRegion(), kNone);
}

TEST_F(CaptureFrame, DraggingTheRightEdgeWidensTheFrame) {
    const QRect before = frame.geometry();
    sendMouse(&frame, QEvent::MouseButtonPress, {315, 120}, Qt::LeftButton);
    sendMouse(&frame, QEvent::MouseMove, {316, 120}, Qt::LeftButton); // the first move decides: resize
    EXPECT_EQ(frame.hoverRegion(), kRight);
    sendMouse(&frame, QEvent::MouseMove, {355, 120}, Qt::LeftButton);
    EXPECT_EQ(frame.geometry(), QRect(before.topLeft(), QSize(360, 240)));
    sendMouse(&frame, QEvent::MouseButtonRelease, {355, 120}, Qt::NoButton);
    EXPECT_EQ(frame.hoverRegion(), kNone);
}

TEST_F(CaptureFrame, DraggingTheInsideMovesAndReleaseKeepsItOnTheDesktop) {
    const QRect desktop = QApplication::primaryScreen()->geometry();
    sendMouse(&frame, QEvent::MouseButtonPress, {160, 120}, Qt::LeftButton);
    sendMouse(&frame, QEvent::MouseMove, {161, 121}, Qt::LeftButton); // the first move decides: move
    sendMouse(&frame, QEvent::MouseMove, {170, 130}, Qt::LeftButton);
    EXPECT_EQ(frame.pos(), QPoint(410, 310));
    // Far beyond the left edge: the release pulls it back to the see-through margin.
    const QPoint farLeft = frame.mapFromGlobal(QPoint(desktop.left() - 2000, 310 + 120));
    sendMouse(&frame, QEvent::MouseMove, farLeft, Qt::LeftButton);
    sendMouse(&frame, QEvent::MouseButtonRelease, frame.mapFromGlobal(QPoint(desktop.left() - 2000, 430)),
              Qt::NoButton);
    EXPECT_EQ(frame.pos().x(), desktop.left() - kFrameLineInset);
    EXPECT_EQ(frame.size(), kFrame);
}

} // namespace
