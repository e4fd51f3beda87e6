#include "ControlsTestSupport.h"
#include "KorvoUpdateBasicButton.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

namespace {

using Button = KorvoUpdateBasicButton;
using Layer = KorvoUpdateLayer;

const QColor kBorderOff(10, 20, 30), kBorderOn(200, 0, 0);
const QColor kFillOff(240, 240, 240), kFillOn(0, 120, 255);
const QColor kImageOff(90, 90, 90), kImageOn(255, 255, 255);
const QColor kTitleOff(0, 0, 0), kTitleOn(255, 255, 0);

QImage squareImage(int side) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::black);
    return image;
}

void colour(Button& b) {
    b.setBorderNormalColor(kBorderOff);
    b.setBorderHighlightColor(kBorderOn);
    b.setBackgroundNormalColor(kFillOff);
    b.setBackgroundHighlightColor(kFillOn);
    b.setImageNormalColor(kImageOff);
    b.setImageHighlightColor(kImageOn);
    b.setTitleNormalColor(kTitleOff);
    b.setTitleHighlightColor(kTitleOn);
}

// The four colours the button shows now (border, fill, image, title).
struct Shown {
    QColor border, fill, image, title;
};

Shown shown(Button& b) {
    return {b.layer()->presentationValueForKeyPath(Layer::kBorderColorKey),
            b.layer()->presentationValueForKeyPath(Layer::kBackgroundColorKey),
            b.imageLayer()->presentationValueForKeyPath(Layer::kBackgroundColorKey),
            b.titleLayer()->presentationValueForKeyPath(Layer::kForegroundColorKey)};
}

bool shows(Button& b, const QColor& border, const QColor& fill, const QColor& image, const QColor& title) {
    const Shown s = shown(b);
    return s.border == border && s.fill == fill && s.image == image && s.title == title;
}

bool animating(Button& b) {
    return b.layer()->hasRunningAnimation() || b.imageLayer()->hasRunningAnimation() ||
           b.titleLayer()->hasRunningAnimation();
}

} // namespace

TEST(BasicButtonLayout, ImageAndTitlePlacementFollowsHugging) {
    const QSizeF button(100, 30), image(20, 20), title(40, 16);
    EXPECT_DOUBLE_EQ(15, Button::imageOrigin(Button::ImageLeft, true, button, image, title, 5).x());
    EXPECT_DOUBLE_EQ(45, Button::titleOrigin(Button::ImageLeft, true, button, image, title, 5).x());
    EXPECT_DOUBLE_EQ(5, Button::imageOrigin(Button::ImageLeft, false, button, image, title, 5).x());
    EXPECT_DOUBLE_EQ(55, Button::titleOrigin(Button::ImageLeft, false, button, image, title, 5).x());
    // Leading and trailing mirror left and right; above and below move on the other axis.
    EXPECT_EQ(Button::imageOrigin(Button::ImageLeading, true, button, image, title, 5),
              Button::imageOrigin(Button::ImageLeft, true, button, image, title, 5));
    EXPECT_DOUBLE_EQ(75, Button::imageOrigin(Button::ImageTrailing, false, button, image, title, 5).x());
    EXPECT_DOUBLE_EQ(5, Button::imageOrigin(Button::ImageAbove, false, button, image, title, 5).y());
    EXPECT_DOUBLE_EQ(5, Button::imageOrigin(Button::ImageBelow, false, button, image, title, 5).y());
    EXPECT_EQ(QPointF(0, 0), Button::imageOrigin(Button::ImagePosition(42), true, button, image, title, 5));
}

TEST(BasicButtonLayout, TitleLayerRoundsCornerAndGrowsSize) {
    const QRectF frame = Button::titleFrame(QPointF(10.5, -2.5), QSizeF(40.2, 15.1));
    EXPECT_EQ(QRectF(11, -3, 41, 16), frame);
}

TEST(BasicButtonLayout, PositionsZeroAndOneDropTheOtherLayer) {
    Button button(QRect(0, 0, 120, 30));
    button.setTitle(QStringLiteral("Go"));
    button.setImage(squareImage(16));
    button.setImagePosition(Button::NoImage);
    EXPECT_FALSE(button.layer()->sublayers().contains(button.imageLayer()));
    ASSERT_TRUE(button.layer()->sublayers().contains(button.titleLayer()));
    const QRectF title = button.titleLayer()->frame();
    EXPECT_NEAR(60, title.center().x(), 1.0);

    button.setImagePosition(Button::ImageOnly);
    EXPECT_FALSE(button.layer()->sublayers().contains(button.titleLayer()));
    ASSERT_TRUE(button.layer()->sublayers().contains(button.imageLayer()));
    EXPECT_EQ(QRectF(52, 7, 16, 16), button.imageLayer()->maskFrame());

    // An empty title is still a title.
    Button empty(QRect(0, 0, 50, 20));
    EXPECT_FALSE(empty.layer()->sublayers().contains(empty.titleLayer()));
    empty.setTitle(QString());
    EXPECT_TRUE(empty.layer()->sublayers().contains(empty.titleLayer()));
}

TEST(BasicButtonLayout, ResizingMovesTheTitleButNotTheImage) {
    Button button(QRect(0, 0, 100, 30));
    button.setTitle(QStringLiteral("Title"));
    button.setImage(squareImage(10));
    button.setImagePosition(Button::ImageOverlaps);
    button.show();
    const QRectF image = button.imageLayer()->maskFrame();
    const QRectF title = button.titleLayer()->frame();
    button.resize(200, 30);
    EXPECT_EQ(image, button.imageLayer()->maskFrame());
    EXPECT_NEAR(title.x() + 50, button.titleLayer()->frame().x(), 1.0);
}

TEST(BasicButtonColours, RedUntilFirstColourChangeThenNoColour) {
    Button button(QRect(0, 0, 40, 20));
    EXPECT_TRUE(near(QColor(255, 59, 48), button.layer()->backgroundColor(), 0));
    button.setState(Button::kOffState);
    EXPECT_FALSE(button.layer()->backgroundColor().isValid());
    EXPECT_FALSE(shown(button).fill.isValid());
}

TEST(BasicButtonColours, ClickFlipsAndAnimatesToTheHighlightColours) {
    Button button(QRect(0, 0, 80, 24));
    button.setTitle(QStringLiteral("On"));
    colour(button);
    ASSERT_TRUE(shows(button, kBorderOff, kFillOff, kImageOff, kTitleOff));
    button.setOnAnimateDuration(0.15);
    button.setOffAnimateDuration(0.15);
    QSignalSpy clicked(&button, &QAbstractButton::clicked);

    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(Button::kOnState, button.state());
    EXPECT_EQ(1, clicked.count());
    // The model holds the new colours at once; what is drawn gets there over the duration.
    EXPECT_EQ(kFillOn, button.layer()->backgroundColor());
    EXPECT_TRUE(animating(button));
    ASSERT_TRUE(waitFor([&] { return !animating(button); }));
    EXPECT_TRUE(shows(button, kBorderOn, kFillOn, kImageOn, kTitleOn));
    EXPECT_TRUE(button.layer()->animationKeys().contains(Layer::kBackgroundColorKey));

    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(Button::kOffState, button.state());
    ASSERT_TRUE(waitFor([&] { return !animating(button); }));
    EXPECT_TRUE(shows(button, kBorderOff, kFillOff, kImageOff, kTitleOff));
    EXPECT_EQ(2, clicked.count());
}

TEST(BasicButtonColours, MixedStateShowsNormalColoursWithTheOffDuration) {
    Button button(QRect(0, 0, 80, 24));
    colour(button);
    button.setState(Button::kOnState);
    button.setOnAnimateDuration(10);
    button.setOffAnimateDuration(0);
    button.setState(2);
    EXPECT_FALSE(animating(button));
    EXPECT_TRUE(shows(button, kBorderOff, kFillOff, kImageOff, kTitleOff));
    button.setState(Button::kMixedState);
    EXPECT_TRUE(shows(button, kBorderOff, kFillOff, kImageOff, kTitleOff));
}

TEST(BasicButtonColours, SameColourStartsNoAnimation) {
    Button button(QRect(0, 0, 80, 24));
    colour(button);
    button.setOnAnimateDuration(5);
    button.setOffAnimateDuration(5);
    button.setBackgroundNormalColor(kFillOff);
    EXPECT_TRUE(button.layer()->animationKeys().isEmpty());
    EXPECT_FALSE(animating(button));
    button.setBackgroundNormalColor(kFillOn);
    EXPECT_EQ(QStringList{Layer::kBackgroundColorKey}, button.layer()->animationKeys());
}

TEST(BasicButtonPress, MomentaryIsOnOnlyWhileHeld) {
    Button button(QRect(0, 0, 80, 24));
    colour(button);
    button.setMomentary(true);
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    QTest::mousePress(&button, Qt::LeftButton);
    EXPECT_EQ(Button::kOnState, button.state());
    EXPECT_TRUE(button.isMouseDown());
    EXPECT_EQ(kFillOn, button.layer()->backgroundColor());
    QTest::mouseRelease(&button, Qt::LeftButton);
    EXPECT_EQ(Button::kOffState, button.state());
    EXPECT_FALSE(button.isMouseDown());
    EXPECT_EQ(1, clicked.count());
    // A release without a press sends nothing.
    QTest::mouseRelease(&button, Qt::LeftButton);
    EXPECT_EQ(1, clicked.count());
}

TEST(BasicButtonPress, LeavingWhilePressedCancelsOnlyWithTracking) {
    Button coded(QRect(0, 0, 80, 24));
    QSignalSpy codedClicks(&coded, &QAbstractButton::clicked);
    QTest::mousePress(&coded, Qt::LeftButton);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&coded, &leave);
    EXPECT_TRUE(coded.isMouseDown()); // no tracking area: no exit seen
    QTest::mouseRelease(&coded, Qt::LeftButton);
    EXPECT_EQ(1, codedClicks.count());
    EXPECT_EQ(Button::kOnState, coded.state());

    Button tracked(QRect(0, 0, 80, 24));
    tracked.awakeFromNib();
    QSignalSpy trackedClicks(&tracked, &QAbstractButton::clicked);
    QTest::mousePress(&tracked, Qt::LeftButton);
    ASSERT_EQ(Button::kOnState, tracked.state());
    QApplication::sendEvent(&tracked, &leave);
    EXPECT_FALSE(tracked.isMouseDown());
    EXPECT_EQ(Button::kOffState, tracked.state());
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(&tracked, &enter);
    EXPECT_EQ(Button::kOffState, tracked.state());
    QTest::mouseRelease(&tracked, Qt::LeftButton);
    EXPECT_EQ(0, trackedClicks.count());
}

// Through the window, as a user drags: Qt holds entry and exit back while a mouse button is down.
TEST(BasicButtonPress, DraggingOutOfATrackedButtonCancelsTheClick) {
    QWidget window;
    window.resize(200, 100);
    auto* button = new Button(QRect(50, 30, 80, 30), &window);
    button->awakeFromNib();
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    ASSERT_TRUE(showAndWait(&window));
    QWindow* handle = window.windowHandle();
    const QPoint inside = button->mapTo(&window, QPoint(40, 15));
    const QPoint outside(10, 10);

    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, inside);
    ASSERT_EQ(Button::kOnState, button->state());
    QTest::mouseMove(handle, outside);
    EXPECT_FALSE(button->isMouseDown());
    EXPECT_EQ(Button::kOffState, button->state());
    QTest::mouseMove(handle, inside);
    EXPECT_EQ(Button::kOffState, button->state());
    QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, inside);
    EXPECT_EQ(0, clicked.count());
    EXPECT_EQ(Button::kOffState, button->state());

    // A drag that stays inside is an ordinary click.
    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, inside);
    QTest::mouseMove(handle, inside + QPoint(5, 2));
    QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, inside + QPoint(5, 2));
    EXPECT_EQ(1, clicked.count());
    EXPECT_EQ(Button::kOnState, button->state());
}

TEST(BasicButtonPress, DisabledButtonLetsClicksThroughToWhatIsBehind) {
    QWidget window;
    window.resize(200, 100);
    struct Behind : QWidget {
        using QWidget::QWidget;
        int presses = 0;
        void mousePressEvent(QMouseEvent*) override { ++presses; }
    };
    auto* behind = new Behind(&window);
    behind->setGeometry(0, 0, 200, 100);
    auto* button = new Button(QRect(50, 30, 80, 30), &window);
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    ASSERT_TRUE(showAndWait(&window));

    clickThroughWindow(button, QPoint(40, 15));
    EXPECT_EQ(0, behind->presses);
    EXPECT_EQ(1, clicked.count());

    button->setEnabled(false);
    clickThroughWindow(button, QPoint(40, 15));
    EXPECT_EQ(1, behind->presses);
    EXPECT_EQ(1, clicked.count());
    EXPECT_EQ(Button::kOnState, button->state());
    // The alpha is settled when the button is made.
    EXPECT_DOUBLE_EQ(1.0, button->alphaValue());

    QWidget disabledParent;
    disabledParent.setEnabled(false);
    Button dim(&disabledParent);
    EXPECT_DOUBLE_EQ(0.5, dim.alphaValue());
}

TEST(BasicButtonLook, DrawsFillBorderAndTintedImage) {
    Button button(QRect(0, 0, 60, 40));
    colour(button);
    button.setBorderWidth(2);
    button.setImage(squareImage(10));
    button.setImagePosition(Button::ImageOnly);
    const QImage image = grabImage(&button);
    EXPECT_TRUE(near(kBorderOff, image.pixelColor(0, 20)));
    EXPECT_TRUE(near(kFillOff, image.pixelColor(10, 20)));
    EXPECT_TRUE(near(kImageOff, image.pixelColor(30, 20)));
}
