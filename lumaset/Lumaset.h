// Turns a picture into the scan tool's boot logo: a 320x240 bottom-up RGB565 bitmap of exactly 153670 bytes
// behind a fixed 70-byte header. Runs on the caller's thread; nothing here throws.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class Lumaset {
public:
    static constexpr int kLogoWidth = 320;
    static constexpr int kLogoHeight = 240;
    static constexpr size_t kHeaderSize = 70;
    static constexpr size_t kLogoFileSize = kHeaderSize + size_t(kLogoWidth) * kLogoHeight * 2;

    // Error flags of bmp24ToRgb565; 0 is success, and the header checks may set several together.
    enum Flag : int {
        kOpenFailed = 0x01,   // the input could not be opened, or the output not created
        kNoFileHeader = 0x02, // nothing of the 14-byte file header could be read
        kNoInfoHeader = 0x04, // the 40-byte info header is incomplete
        kWrongFormat = 0x08,  // not a bottom-up 320x240 24-bit uncompressed "BM" with pixels at 54
        kNoPixels = 0x10,     // fewer than 320x240 pixels could be read
    };

    Lumaset();
    virtual ~Lumaset();

    const std::array<uint8_t, kHeaderSize>& header() const { return m_header; }

    // Scales the picture to width x height (stretched, bilinear) and writes it in the format the destination's
    // extension names. False only when the picture library refuses (unreadable or missing source).
    bool resizePicture(const std::string& source, const std::string& destination, int width, int height);

    // Repacks a 24-bit bitmap into the 16-bit logo; the pixel count is bounded by what the file holds.
    // The destination is replaced (temporary file renamed into place) only when no flag is set.
    int bmp24ToRgb565(const std::string& bmpPath, const std::string& destination);

private:
    std::array<uint8_t, kHeaderSize> m_header;
};

// Name of the intermediate 24-bit bitmap, made in the destination's folder; removed after every conversion.
constexpr char kTempBitmapName[] = "temp.bmp";

// Whether the picture library recognises the file's format (by its content, not its name); says nothing of
// whether the picture is intact.
bool pictureLibraryReads(const std::string& path);

// True when destination now holds the logo of source. Never leaves "temp.bmp" behind; a file of that name beside
// the destination is replaced, so the caller keeps the destination in a folder of its own.
bool convertToLogo(const std::string& source, const std::string& destination);
