#include "imageresize.h"
#include "md5encoding.h"
#include "viewextension.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace imageresize;

namespace {

TEST(Md5, PublishedTestVectors) {
    const std::pair<const char*, const char*> vectors[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [text, digest] : vectors) {
        EXPECT_EQ(md5String(QString(text)), digest) << text;
        EXPECT_EQ(md5String(QByteArray(text)), digest) << text;
        EXPECT_EQ(md5Data(QByteArray(text)).toHex(), QByteArray(digest)) << text;
    }
    // The text form digests UTF-8.
    EXPECT_EQ(md5String(QString::fromUtf8("é")), md5String(QByteArray("\xC3\xA9")));
}

TEST(TextTests, PureDigitAndNumber) {
    EXPECT_TRUE(isPureDigit(""));
    EXPECT_TRUE(isPureDigit("0123456789"));
    for (const char* no : {"1 2", "-1", "+1", "1.5"})
        EXPECT_FALSE(isPureDigit(no)) << no;
    EXPECT_FALSE(isPureDigit(QString::fromUtf8("١٢"))); // digits of another script

    for (const char* yes : {"+", "-12.5", "12", ".", "1..2", "+.5"})
        EXPECT_TRUE(isNumber(yes)) << yes;
    for (const char* no : {"", "1e5", "--1", "+-1", "1,5", " 1"})
        EXPECT_FALSE(isNumber(no)) << no;
}

TEST(ImageGeometry, FillAndCropTakesTheCentredPart) {
    EXPECT_EQ(cropRectForFill({200, 100}, {100, 100}), QRectF(50, 0, 100, 100));
    EXPECT_EQ(cropRectForFill({200, 100}, {200, 50}), QRectF(0, 25, 200, 50));
    EXPECT_EQ(cropRectForFill({100, 100}, {300, 100}), QRectF(0, 33, 100, 33)); // rounded down
    EXPECT_TRUE(cropRectForFill({0, 100}, {10, 10}).isNull());
}

TEST(ImageGeometry, FillAndCentreCoversTheTarget) {
    EXPECT_EQ(fillCentreRect({100, 50}, {100, 50}), QRectF(0, 0, 100, 50));
    EXPECT_EQ(fillCentreRect({100, 50}, {50, 50}), QRectF(-25, 0, 100, 50));
    EXPECT_EQ(fillCentreRect({100, 50}, {200, 200}), QRectF(-100, 0, 400, 200));
    EXPECT_EQ(fillCentreRect({50, 100}, {200, 200}), QRectF(0, -100, 200, 400));
    EXPECT_EQ(fillCentreRect({50, 50}, {100, 100}), QRectF(0, 0, 100, 100));
    EXPECT_EQ(fillCentreRect({3, 2}, {10, 10}), QRectF(-2.5, 0, 15, 10));
    EXPECT_TRUE(fillCentreRect({100, 0}, {10, 10}).isNull());
}

TEST(ImageGeometry, NinePartsInBottomUpOrder) {
    const auto p = ninePartRects({100, 40}, {5, 10, 7, 12});
    EXPECT_EQ(p[0], QRectF(0, 35, 10, 5));  // top-left
    EXPECT_EQ(p[1], QRectF(10, 35, 78, 5)); // top
    EXPECT_EQ(p[2], QRectF(88, 35, 12, 5)); // top-right
    EXPECT_EQ(p[4], QRectF(10, 7, 78, 28)); // centre
    EXPECT_EQ(p[6], QRectF(0, 0, 10, 7));   // bottom-left
    EXPECT_EQ(p[8], QRectF(88, 0, 12, 7));  // bottom-right
}

TEST(ImageGeometry, ThreePartSourceRects) {
    const auto p = threePartSourceRects({50, 20}, 8, 6);
    EXPECT_EQ(p[0], QRectF(0, 0, 8, 20));
    EXPECT_EQ(p[1], QRectF(8, 0, 36, 20));
    EXPECT_EQ(p[2], QRectF(44, 0, 6, 20));
}

// A 100 x 50 picture: left half red, right half blue, top row of pixels green (y grows downward here).
QImage testPicture() {
    QImage img(100, 50, QImage::Format_ARGB32);
    img.fill(Qt::red);
    QPainter p(&img);
    p.fillRect(50, 0, 50, 50, Qt::blue);
    p.fillRect(0, 0, 100, 1, Qt::green);
    return img;
}

TEST(ImageDrawing, ResizesDrawWhatTheGeometrySays) {
    const QImage src = testPicture();
    // Cropping the centre square of 100 x 50 into 50 x 50 shows red on the left and blue on the right.
    const QImage crop = resizeImageWithSize(src, {50, 50});
    ASSERT_EQ(crop.size(), QSize(50, 50));
    EXPECT_EQ(QColor(crop.pixel(2, 25)), QColor(Qt::red));
    EXPECT_EQ(QColor(crop.pixel(47, 25)), QColor(Qt::blue));

    // Covering 200 x 200 scales to 400 x 200: only the middle 200 columns are seen, still half and half.
    const QImage cover = resizeImage(src, {200, 200});
    ASSERT_EQ(cover.size(), QSize(200, 200));
    EXPECT_EQ(QColor(cover.pixel(10, 100)), QColor(Qt::red));
    EXPECT_EQ(QColor(cover.pixel(190, 100)), QColor(Qt::blue));
    EXPECT_EQ(QColor(cover.pixel(100, 1)), QColor(Qt::green)); // the top stays at the top

    // Nine-part stretching keeps the top row at the top edge of the bigger picture.
    const QImage nine = stretchableImageWithSize(src, {300, 120}, {4, 4, 4, 4});
    ASSERT_EQ(nine.size(), QSize(300, 120));
    EXPECT_EQ(QColor(nine.pixel(150, 0)), QColor(Qt::green));
    EXPECT_EQ(QColor(nine.pixel(10, 60)), QColor(Qt::red));
    EXPECT_EQ(QColor(nine.pixel(290, 60)), QColor(Qt::blue));

    const QImage three = stretchableImageWithLeftCapWidth(src, 10, 200, 10);
    EXPECT_EQ(three.size(), QSize(220, 50));

    EXPECT_TRUE(resizeImageWithSize(src, {0, 10}).isNull());
    EXPECT_TRUE(stretchableImageWithLeftCapWidth(src, 0, 0, 0).isNull());
    EXPECT_EQ(resizeImage(QImage(), {10, 10}).size(), QSize(10, 10));
}

TEST(BorderStrips, RectanglesFollowTheirEdge) {
    using viewextension::Edge;
    EXPECT_EQ(viewextension::borderStripRect({200, 100}, Edge::Top, 2), QRect(0, 0, 200, 2));
    EXPECT_EQ(viewextension::borderStripRect({200, 100}, Edge::Bottom, 2), QRect(0, 98, 200, 2));
    EXPECT_EQ(viewextension::borderStripRect({200, 100}, Edge::Left, 3), QRect(0, 0, 3, 100));
    EXPECT_EQ(viewextension::borderStripRect({200, 100}, Edge::Right, 3), QRect(197, 0, 3, 100));
}

} // namespace
