#include "Lumaset.h"

#include "package.h"

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <vector>

namespace {

// The 24-bit bitmap as the picture library writes it: 14-byte file header, 40-byte info header, pixels.
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr uint32_t kBmp24PixelOffset = kFileHeaderSize + kInfoHeaderSize;
constexpr size_t kBytesPerPixel24 = 3;
constexpr uint64_t kLogoPixels = uint64_t(Lumaset::kLogoWidth) * Lumaset::kLogoHeight;

// Header field values of the logo bitmap.
constexpr uint32_t kLogoImageSize = 153602; // as the scan tool expects it, two more than the pixel bytes
constexpr uint32_t kPixelsPerMetre = 2834;  // 72 dpi
constexpr uint32_t kBitFieldsCompression = 3;
constexpr uint32_t kRedMask = 0xF800, kGreenMask = 0x07E0, kBlueMask = 0x001F;
constexpr uint32_t kLogoInfoHeaderSize = 56; // BITMAPV3 info header: 40 bytes plus four masks

void putLE(uint8_t* at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        at[i] = uint8_t(value >> (8 * i));
}

uint32_t getLE(const uint8_t* at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | at[i];
    return v;
}

long fileSizeOf(FILE* f) {
    if (std::fseek(f, 0, SEEK_END) != 0) return -1;
    const long size = std::ftell(f);
    std::rewind(f);
    return size;
}

} // namespace

Lumaset::Lumaset() : m_header{} {
    uint8_t* h = m_header.data();
    h[0] = 'B';
    h[1] = 'M';
    putLE(h + 2, uint32_t(kLogoFileSize), 4);
    putLE(h + 10, uint32_t(kHeaderSize), 4);
    putLE(h + 14, kLogoInfoHeaderSize, 4);
    putLE(h + 18, kLogoWidth, 4);
    putLE(h + 22, kLogoHeight, 4);
    putLE(h + 26, 1, 2);
    putLE(h + 28, 16, 2);
    putLE(h + 30, kBitFieldsCompression, 4);
    putLE(h + 34, kLogoImageSize, 4);
    putLE(h + 38, kPixelsPerMetre, 4);
    putLE(h + 42, kPixelsPerMetre, 4);
    putLE(h + 54, kRedMask, 4);
    putLE(h + 58, kGreenMask, 4);
    putLE(h + 62, kBlueMask, 4);
}

Lumaset::~Lumaset() = default;

bool pictureLibraryReads(const std::string& path) {
    try {
        return cv::haveImageReader(path);
    } catch (const std::exception&) {
        return false;
    }
}

bool Lumaset::resizePicture(const std::string& source, const std::string& destination, int width, int height) {
    try {
        const cv::Mat picture = cv::imread(source, cv::IMREAD_COLOR);
        cv::Mat scaled;
        cv::resize(picture, scaled, cv::Size(width, height), 0, 0, cv::INTER_LINEAR);
        cv::imwrite(destination, scaled);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

int Lumaset::bmp24ToRgb565(const std::string& bmpPath, const std::string& destination) {
    FILE* in = std::fopen(bmpPath.c_str(), "rb");
    if (!in) return kOpenFailed;

    int flags = 0;
    const long actualSize = fileSizeOf(in);
    uint8_t fileHeader[kFileHeaderSize] = {};
    uint8_t infoHeader[kInfoHeaderSize] = {};
    if (std::fread(fileHeader, 1, sizeof fileHeader, in) == 0) flags |= kNoFileHeader;
    if (std::fread(infoHeader, sizeof infoHeader, 1, in) != 1) flags |= kNoInfoHeader;

    const uint32_t statedSize = getLE(fileHeader + 2, 4);
    const uint32_t pixelOffset = getLE(fileHeader + 10, 4);
    const bool isBM = fileHeader[0] == 'B' && fileHeader[1] == 'M';
    const int32_t width = int32_t(getLE(infoHeader + 4, 4));
    const int32_t height = int32_t(getLE(infoHeader + 8, 4));
    const uint32_t bitCount = getLE(infoHeader + 14, 2);
    const uint32_t compression = getLE(infoHeader + 16, 4);
    // Pixels are read from 54 on and the output header always says 320x240 bottom-up, so anything else would
    // give a logo that does not match its header.
    if (!isBM || bitCount != 24 || compression != 0 || pixelOffset != kBmp24PixelOffset || width != kLogoWidth ||
        height != kLogoHeight)
        flags |= kWrongFormat;

    // The stated sizes are trusted neither beyond what the file holds nor beyond one logo's pixels.
    uint64_t count = (statedSize - pixelOffset) / kBytesPerPixel24;
    const uint64_t available =
        actualSize > long(kBmp24PixelOffset) ? uint64_t(actualSize - long(kBmp24PixelOffset)) / kBytesPerPixel24 : 0;
    count = std::min({count, available, kLogoPixels});

    std::vector<uint8_t> bgr(size_t(count) * kBytesPerPixel24);
    size_t got = 0;
    if (!bgr.empty() && std::fseek(in, long(kBmp24PixelOffset), SEEK_SET) == 0)
        got = std::fread(bgr.data(), 1, bgr.size(), in);
    std::fclose(in);
    // A short logo would not match its header.
    if (got < kLogoPixels * kBytesPerPixel24) flags |= kNoPixels;
    if (flags != 0) return flags;

    const size_t pixels = got / kBytesPerPixel24;
    std::vector<uint8_t> logo(m_header.begin(), m_header.end());
    logo.resize(kHeaderSize + pixels * 2);
    uint8_t* out = logo.data() + kHeaderSize;
    for (size_t i = 0; i < pixels; ++i) {
        const uint8_t b = bgr[3 * i], g = bgr[3 * i + 1], r = bgr[3 * i + 2];
        const uint16_t v = uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
        out[2 * i] = uint8_t(v);
        out[2 * i + 1] = uint8_t(v >> 8);
    }
    // The output is made whole behind a temporary name, so a failure there is one of creating it.
    return firmware::writeFileAtomically(destination, logo) ? 0 : kOpenFailed;
}

bool convertToLogo(const std::string& source, const std::string& destination) {
    const size_t slash = destination.find_last_of('/');
    const std::string temp =
        slash == std::string::npos ? kTempBitmapName : destination.substr(0, slash + 1) + kTempBitmapName;
    Lumaset converter;
    if (converter.resizePicture(source, temp, Lumaset::kLogoWidth, Lumaset::kLogoHeight)) {
        const int flags = converter.bmp24ToRgb565(temp, destination);
        std::remove(temp.c_str());
        return flags == 0;
    }
    std::remove(temp.c_str());
    return false;
}
