// Fixtures for the picture tool's tests: a private current directory, test pictures, packages with a logo entry.
#pragma once

#include "TempDir.h"
#include "package.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QString>

#include <atomic>
#include <string>
#include <thread>

// Runs each test in its own empty current directory, since the tool keeps its working files there.
class InWorkingFolder : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    QString path(const QString& name) const { return QString::fromStdString(dir.file(name.toStdString())); }

    TempDir dir;

private:
    std::string m_previous;
};

// Writes a picture of the given size in one colour (format by extension) and returns its path.
std::string writeSolidPicture(const std::string& path, int width, int height, const QColor& colour);

// A data section of the given size holding the logo entry's name at namePos with its offset and size fields.
firmware::Bytes dataSectionWithLogo(size_t sectionSize, size_t namePos, uint32_t logoOffset, uint32_t logoSize);

// Writes the scrambled package for the sections; returns its path.
std::string writePackage(const std::string& path, const firmware::SectionMap& sections);

// The unscrambled sections of a package file; empty when it cannot be read.
firmware::SectionMap readPackage(const std::string& path);

// Today's date as a package name carries it.
std::string today();

// A real PNG of width x height black pixels, small on disk (one bit a pixel, compressed): decoding it would take
// gigabytes where the size is not checked first.
std::string writeHugePng(const std::string& path, int width, int height);
// Sets a file's modification time (nanoseconds since the epoch), leaving its contents.
void setModifiedNs(const std::string& path, int64_t ns);

// A 64x48 GIF of one blue (Qt reads GIF but does not write it).
std::string writeBlueGif(const std::string& path);
// A few hundred bytes of JPEG whose header claims width x height.
std::string writeJpegClaiming(const std::string& path, int width, int height);

// A FIFO named like a picture, and a watch that counts the times something opened it for reading. Each such reader
// is let go at once (it reads an empty file), so a fault shows as a count, not as a hung test.
class FifoWatch {
public:
    explicit FifoWatch(const std::string& path);
    ~FifoWatch();
    FifoWatch(const FifoWatch&) = delete;
    FifoWatch& operator=(const FifoWatch&) = delete;
    int readers() const { return m_readers.load(); }

private:
    std::string m_path;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_readers{0};
    std::thread m_thread;
};
