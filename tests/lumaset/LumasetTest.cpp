// The logo converter: exact header and pixel packing, row order, stretching, refusals, and real pictures read
// back by an independent reader.
#include "Lumaset.h"
#include "LumasetTestSupport.h"

#include <QImage>
#include <QPainter>

#include <cstring>
#include <fstream>

namespace {

const std::vector<uint8_t> kExpectedHeader = {
    0x42, 0x4D, 0x46, 0x58, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46, 0x00, 0x00, 0x00, 0x38, 0x00, 0x00, 0x00,
    0x40, 0x01, 0x00, 0x00, 0xF0, 0x00, 0x00, 0x00, 0x01, 0x00, 0x10, 0x00, 0x03, 0x00, 0x00, 0x00, 0x02, 0x58,
    0x02, 0x00, 0x12, 0x0B, 0x00, 0x00, 0x12, 0x0B, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0xF8, 0x00, 0x00, 0xE0, 0x07, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

constexpr int kW = Lumaset::kLogoWidth, kH = Lumaset::kLogoHeight;

// The 16-bit value of pixel (x, row) where row 0 is the first row in the file (the picture's bottom row).
uint16_t pixelAt(const std::vector<uint8_t>& logo, int x, int fileRow) {
    const size_t at = Lumaset::kHeaderSize + 2 * (size_t(fileRow) * kW + x);
    return uint16_t(logo[at] | logo[at + 1] << 8);
}

// 24-bit bitmap header bytes for crafted inputs.
std::vector<uint8_t> bmpHeader(uint32_t fileSize, uint32_t pixelOffset, int32_t width, int32_t height,
                               uint16_t bits = 24) {
    std::vector<uint8_t> h(54, 0);
    auto put = [&](size_t at, uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            h[at + i] = uint8_t(v >> (8 * i));
    };
    h[0] = 'B';
    h[1] = 'M';
    put(2, fileSize, 4);
    put(10, pixelOffset, 4);
    put(14, 40, 4);
    put(18, uint32_t(width), 4);
    put(22, uint32_t(height), 4);
    put(26, 1, 2);
    put(28, bits, 2);
    return h;
}

class LogoConverter : public InWorkingFolder {};

TEST_F(LogoConverter, HeaderIsFixedWhateverThePicture) {
    const Lumaset converter;
    EXPECT_EQ(std::vector<uint8_t>(converter.header().begin(), converter.header().end()), kExpectedHeader);
    writeSolidPicture("odd.png", 17, 999, QColor(10, 20, 30));
    ASSERT_TRUE(convertToLogo("odd.png", "logo.bmp"));
    const auto logo = readFileBytes("logo.bmp");
    ASSERT_EQ(logo.size(), Lumaset::kLogoFileSize);
    EXPECT_EQ(std::vector<uint8_t>(logo.begin(), logo.begin() + 70), kExpectedHeader);
    EXPECT_FALSE(fileExists(kTempBitmapName));
}

struct ColourCase {
    QColor colour;
    uint8_t low, high;
};

class PureColours : public InWorkingFolder, public ::testing::WithParamInterface<ColourCase> {};

TEST_P(PureColours, EveryPixelPacksToRgb565) {
    const ColourCase c = GetParam();
    writeSolidPicture("solid.png", kW, kH, c.colour);
    ASSERT_TRUE(convertToLogo("solid.png", "logo.bmp"));
    const auto logo = readFileBytes("logo.bmp");
    ASSERT_EQ(logo.size(), Lumaset::kLogoFileSize);
    for (size_t i = Lumaset::kHeaderSize; i < logo.size(); i += 2) {
        ASSERT_EQ(logo[i], c.low) << "at byte " << i;
        ASSERT_EQ(logo[i + 1], c.high) << "at byte " << i;
    }
}

std::string colourName(const ::testing::TestParamInfo<ColourCase>& info) {
    const QColor& c = info.param.colour;
    return "r" + std::to_string(c.red()) + "g" + std::to_string(c.green()) + "b" + std::to_string(c.blue());
}

INSTANTIATE_TEST_SUITE_P(LogoConverter, PureColours,
                         ::testing::Values(ColourCase{QColor(255, 0, 0), 0x00, 0xF8},
                                           ColourCase{QColor(0, 255, 0), 0xE0, 0x07},
                                           ColourCase{QColor(0, 0, 255), 0x1F, 0x00},
                                           ColourCase{QColor(255, 255, 255), 0xFF, 0xFF},
                                           ColourCase{QColor(0, 0, 0), 0x00, 0x00},
                                           // low bits are dropped, not rounded
                                           ColourCase{QColor(7, 3, 7), 0x00, 0x00}),
                         colourName);

TEST_F(LogoConverter, BottomRowOfThePictureComesFirst) {
    QImage picture(kW, kH, QImage::Format_RGB32);
    picture.fill(Qt::green);
    for (int x = 0; x < kW; ++x) {
        picture.setPixelColor(x, 0, Qt::red);
        picture.setPixelColor(x, kH - 1, Qt::blue);
    }
    picture.setPixelColor(0, kH - 1, Qt::white); // bottom-left stays the very first pixel
    ASSERT_TRUE(picture.save("rows.png"));
    ASSERT_TRUE(convertToLogo("rows.png", "logo.bmp"));
    const auto logo = readFileBytes("logo.bmp");
    ASSERT_EQ(logo.size(), Lumaset::kLogoFileSize);
    EXPECT_EQ(pixelAt(logo, 0, 0), 0xFFFF);
    for (int x = 1; x < kW; ++x)
        ASSERT_EQ(pixelAt(logo, x, 0), 0x001F) << x;
    for (int x = 0; x < kW; ++x)
        ASSERT_EQ(pixelAt(logo, x, kH - 1), 0xF800) << x;
    EXPECT_EQ(pixelAt(logo, kW / 2, kH / 2), 0x07E0);
}

TEST_F(LogoConverter, WidePictureIsStretchedWithoutBarsOrCropping) {
    QImage picture(640, 200, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.fillRect(0, 0, 320, 100, Qt::red);
    painter.fillRect(320, 0, 320, 100, Qt::green);
    painter.fillRect(0, 100, 320, 100, Qt::blue);
    painter.fillRect(320, 100, 320, 100, Qt::white);
    painter.end();
    ASSERT_TRUE(picture.save("wide.png"));
    ASSERT_TRUE(convertToLogo("wide.png", "logo.bmp"));
    const auto logo = readFileBytes("logo.bmp");
    ASSERT_EQ(logo.size(), Lumaset::kLogoFileSize);
    // File rows count from the bottom: rows 0-119 are the picture's lower half.
    EXPECT_EQ(pixelAt(logo, 0, kH - 1), 0xF800);
    EXPECT_EQ(pixelAt(logo, kW - 1, kH - 1), 0x07E0);
    EXPECT_EQ(pixelAt(logo, 0, 0), 0x001F);
    EXPECT_EQ(pixelAt(logo, kW - 1, 0), 0xFFFF);
    EXPECT_EQ(pixelAt(logo, 100, 140), 0xF800);
    EXPECT_EQ(pixelAt(logo, 100, 100), 0x001F);
    EXPECT_EQ(pixelAt(logo, 200, 140), 0x07E0);
    EXPECT_EQ(pixelAt(logo, 200, 100), 0xFFFF);
}

TEST_F(LogoConverter, UnreadableSourceLeavesNoTempAndKeepsTheDestination) {
    dir.write("logo.bmp", std::string("previous"));
    EXPECT_FALSE(convertToLogo("missing.png", "logo.bmp"));
    dir.write("notapicture.png", std::string("plain text, not a picture"));
    EXPECT_FALSE(convertToLogo("notapicture.png", "logo.bmp"));
    EXPECT_FALSE(fileExists(kTempBitmapName));
    EXPECT_EQ(readFileBytes("logo.bmp"), std::vector<uint8_t>({'p', 'r', 'e', 'v', 'i', 'o', 'u', 's'}));
}

TEST_F(LogoConverter, DestinationThatCannotBeWrittenIsAFailure) {
    writeSolidPicture("solid.png", kW, kH, Qt::red);
    EXPECT_FALSE(convertToLogo("solid.png", "no-such-folder/logo.bmp"));
    EXPECT_FALSE(fileExists(kTempBitmapName));
    EXPECT_EQ(Lumaset().bmp24ToRgb565("missing.bmp", "logo.bmp"), Lumaset::kOpenFailed);
    // A good bitmap whose destination cannot be created is refused with the same flag alone.
    ASSERT_TRUE(Lumaset().resizePicture("solid.png", "good.bmp", kW, kH));
    EXPECT_EQ(Lumaset().bmp24ToRgb565("good.bmp", "no-such-folder/logo.bmp"), Lumaset::kOpenFailed);
}

struct CraftedCase {
    const char* name;
    std::vector<uint8_t> bytes;
    int mustFlag;
};

std::vector<uint8_t> cutTo(std::vector<uint8_t> bytes, size_t n) {
    bytes.resize(n);
    return bytes;
}

std::vector<uint8_t> withPixels(std::vector<uint8_t> header, size_t pixelBytes) {
    header.resize(header.size() + pixelBytes, 0x80);
    return header;
}

// Inputs that lie about their sizes must be refused without reading or allocating beyond the file; the
// sanitizer build runs these with a cap on single allocations.
TEST_F(LogoConverter, CraftedBitmapsAreRefusedWithinTheirBytes) {
    const size_t fullPixels = size_t(kW) * kH * 3;
    const std::vector<CraftedCase> cases = {
        {"empty file", {}, Lumaset::kNoFileHeader},
        {"file header only", cutTo(bmpHeader(0, 54, kW, kH), 14), Lumaset::kNoInfoHeader},
        {"stated size far beyond the file", withPixels(bmpHeader(0xFFFFFFF0u, 54, kW, kH), 300), Lumaset::kNoPixels},
        {"pixel offset beyond the stated size", withPixels(bmpHeader(100, 0xFFFFFF00u, kW, kH), 300),
         Lumaset::kWrongFormat},
        {"pixel offset past the end", withPixels(bmpHeader(uint32_t(54 + fullPixels), 5000000, kW, kH), fullPixels),
         Lumaset::kWrongFormat},
        {"pixels cut short", withPixels(bmpHeader(uint32_t(54 + fullPixels), 54, kW, kH), fullPixels / 2),
         Lumaset::kNoPixels},
        {"16 bits per pixel", withPixels(bmpHeader(uint32_t(54 + fullPixels), 54, kW, kH, 16), fullPixels),
         Lumaset::kWrongFormat},
        {"top-down rows", withPixels(bmpHeader(uint32_t(54 + fullPixels), 54, kW, -kH), fullPixels),
         Lumaset::kWrongFormat},
        {"other size", withPixels(bmpHeader(uint32_t(54 + fullPixels), 54, 240, 320), fullPixels),
         Lumaset::kWrongFormat},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.write("crafted.bmp", c.bytes);
        dir.write("logo.bmp", std::string("previous"));
        const int flags = Lumaset().bmp24ToRgb565("crafted.bmp", "logo.bmp");
        EXPECT_NE(flags & c.mustFlag, 0) << "flags " << flags;
        EXPECT_EQ(readFileBytes("logo.bmp").size(), 8u) << "a refused input must not replace the destination";
    }
}

TEST_F(LogoConverter, TrailingBytesBeyondOneLogoAreNotConverted) {
    const size_t fullPixels = size_t(kW) * kH * 3;
    dir.write("long.bmp", withPixels(bmpHeader(uint32_t(54 + 2 * fullPixels), 54, kW, kH), 2 * fullPixels));
    EXPECT_EQ(Lumaset().bmp24ToRgb565("long.bmp", "logo.bmp"), 0);
    EXPECT_EQ(readFileBytes("logo.bmp").size(), Lumaset::kLogoFileSize);
}

// Colours of the four quadrants of a test picture.
const QColor kQuadrants[4] = {QColor(230, 40, 30), QColor(20, 200, 60), QColor(40, 60, 220), QColor(250, 250, 240)};

QImage quadrantPicture(int w, int h, QImage::Format format) {
    QImage picture(w, h, format);
    QPainter painter(&picture);
    painter.fillRect(0, 0, w / 2, h / 2, kQuadrants[0]);
    painter.fillRect(w / 2, 0, w - w / 2, h / 2, kQuadrants[1]);
    painter.fillRect(0, h / 2, w / 2, h - h / 2, kQuadrants[2]);
    painter.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, kQuadrants[3]);
    return picture;
}

// Reads the logo with Qt's own bitmap reader and checks each quadrant's centre within RGB565's steps
// (8 for red and blue, 4 for green) plus what lossy compression of the source adds.
// Qt reads only 40-byte info headers; with bit fields their masks follow the header exactly where the logo's
// 56-byte header holds them, so only the size field is changed for it.
void expectQuadrants(const std::string& logoPath, const QColor expected[4], int slack) {
    auto bytes = readFileBytes(logoPath);
    ASSERT_EQ(bytes.size(), Lumaset::kLogoFileSize);
    ASSERT_EQ(bytes[14], 56);
    bytes[14] = 40;
    QImage logo;
    ASSERT_TRUE(logo.loadFromData(bytes.data(), int(bytes.size()), "BMP"));
    ASSERT_EQ(logo.size(), QSize(kW, kH));
    const QPoint centres[4] = {{kW / 4, kH / 4}, {3 * kW / 4, kH / 4}, {kW / 4, 3 * kH / 4}, {3 * kW / 4, 3 * kH / 4}};
    for (int q = 0; q < 4; ++q) {
        const QColor got = logo.pixelColor(centres[q]);
        SCOPED_TRACE("quadrant " + std::to_string(q));
        EXPECT_NEAR(got.red(), expected[q].red(), 8 + slack);
        EXPECT_NEAR(got.green(), expected[q].green(), 4 + slack);
        EXPECT_NEAR(got.blue(), expected[q].blue(), 8 + slack);
    }
}

TEST_F(LogoConverter, PngWithAlphaKeepsItsColours) {
    QImage picture = quadrantPicture(500, 400, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            QColor c = picture.pixelColor(x, y);
            c.setAlpha(x % 2 ? 255 : 90); // alpha is dropped, the colour stays
            picture.setPixelColor(x, y, c);
        }
    ASSERT_TRUE(picture.save("alpha.png"));
    ASSERT_TRUE(convertToLogo("alpha.png", "logo.bmp"));
    expectQuadrants("logo.bmp", kQuadrants, 2);
}

TEST_F(LogoConverter, GreyJpegBecomesGreyLogo) {
    const QImage grey = quadrantPicture(800, 600, QImage::Format_RGB32).convertToFormat(QImage::Format_Grayscale8);
    ASSERT_TRUE(grey.save("grey.jpg", "JPG", 95));
    ASSERT_TRUE(convertToLogo("grey.jpg", "logo.bmp"));
    QColor expected[4];
    for (int q = 0; q < 4; ++q) {
        const int g = qGray(kQuadrants[q].rgb());
        expected[q] = QColor(g, g, g);
    }
    expectQuadrants("logo.bmp", expected, 4);
}

TEST_F(LogoConverter, LargePhotoIsScaledDown) {
    QImage photo = quadrantPicture(4000, 3000, QImage::Format_RGB32);
    ASSERT_TRUE(photo.save("photo.jpg", "JPG", 90));
    ASSERT_TRUE(convertToLogo("photo.jpg", "logo.bmp"));
    EXPECT_EQ(readFileBytes("logo.bmp").size(), Lumaset::kLogoFileSize);
    expectQuadrants("logo.bmp", kQuadrants, 6);
}

} // namespace
