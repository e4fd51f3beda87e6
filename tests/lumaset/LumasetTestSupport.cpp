#include "LumasetTestSupport.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <QBuffer>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void InWorkingFolder::SetUp() {
    char buf[4096];
    m_previous = getcwd(buf, sizeof buf) ? buf : "/";
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
}

void InWorkingFolder::TearDown() {
    ASSERT_EQ(chdir(m_previous.c_str()), 0);
}

std::string writeSolidPicture(const std::string& path, int width, int height, const QColor& colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    // A name without an extension still gets a picture, as a user's file may.
    const QString name = QString::fromStdString(path);
    image.save(name, QFileInfo(name).suffix().isEmpty() ? "PNG" : nullptr);
    return path;
}

firmware::Bytes dataSectionWithLogo(size_t sectionSize, size_t namePos, uint32_t logoOffset, uint32_t logoSize) {
    firmware::Bytes section(sectionSize);
    for (size_t i = 0; i < sectionSize; ++i)
        section[i] = uint8_t(i * 7 + 3);
    std::memcpy(&section[namePos], firmware::kLogoEntryName, std::strlen(firmware::kLogoEntryName));
    for (int i = 0; i < 4; ++i) {
        section[namePos + firmware::kLogoOffsetField + i] = uint8_t(logoOffset >> (8 * i));
        section[namePos + firmware::kLogoSizeField + i] = uint8_t(logoSize >> (8 * i));
    }
    return section;
}

std::string writePackage(const std::string& path, const firmware::SectionMap& sections) {
    firmware::writeFileAtomically(path, firmware::buildPackage(sections));
    return path;
}

firmware::SectionMap readPackage(const std::string& path) {
    firmware::Bytes bytes;
    if (!firmware::readWholeFile(path, bytes)) return {};
    firmware::scramble(bytes);
    return firmware::parsePackage(bytes);
}

std::string today() {
    return QDate::currentDate().toString("yyyyMMdd").toStdString();
}

std::string writeHugePng(const std::string& path, int width, int height) {
    QImage picture(width, height, QImage::Format_Mono);
    picture.fill(0);
    picture.save(QString::fromStdString(path), "PNG");
    return path;
}

void setModifiedNs(const std::string& path, int64_t ns) {
    constexpr int64_t kNsPerSecond = 1'000'000'000;
    struct timespec times[2] = {{0, UTIME_OMIT}, {0, 0}};
    times[1].tv_sec = time_t(ns / kNsPerSecond);
    times[1].tv_nsec = long(ns % kNsPerSecond);
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

std::string writeBlueGif(const std::string& path) {
    static const uint8_t kGif[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x40, 0x00, 0x30, 0x00, 0xf0, 0x00, 0x00, 0x00,
                                   0x00, 0xff, 0x00, 0x00, 0x00, 0x21, 0xf9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2c,
                                   0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x30, 0x00, 0x00, 0x02, 0x39, 0x84, 0x8f, 0xa9,
                                   0xcb, 0xed, 0x0f, 0xa3, 0x9c, 0xb4, 0xda, 0x8b, 0xb3, 0xde, 0xbc, 0xfb, 0x0f, 0x86,
                                   0xe2, 0x48, 0x96, 0xe6, 0x89, 0xa6, 0xea, 0xca, 0xb6, 0xee, 0x0b, 0xc7, 0xf2, 0x4c,
                                   0xd7, 0xf6, 0x8d, 0xe7, 0xfa, 0xce, 0xf7, 0xfe, 0x0f, 0x0c, 0x0a, 0x87, 0xc4, 0xa2,
                                   0xf1, 0x88, 0x4c, 0x2a, 0x97, 0xcc, 0xa6, 0xf3, 0x09, 0x8d, 0x26, 0x0b, 0x00, 0x3b};
    QFile out(QString::fromStdString(path));
    if (out.open(QIODevice::WriteOnly)) out.write(reinterpret_cast<const char*>(kGif), sizeof kGif);
    return path;
}

std::string writeJpegClaiming(const std::string& path, int width, int height) {
    QImage small(16, 16, QImage::Format_RGB32);
    small.fill(Qt::red);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    small.save(&buffer, "JPG");
    // The start-of-frame segment: marker FF C0, length, precision, then height and width, big-endian.
    const int sof = jpeg.indexOf("\xFF\xC0");
    if (sof >= 0 && sof + 9 <= jpeg.size()) {
        jpeg[sof + 5] = char(height >> 8);
        jpeg[sof + 6] = char(height & 0xFF);
        jpeg[sof + 7] = char(width >> 8);
        jpeg[sof + 8] = char(width & 0xFF);
    }
    QFile out(QString::fromStdString(path));
    if (out.open(QIODevice::WriteOnly)) out.write(jpeg);
    return path;
}

FifoWatch::FifoWatch(const std::string& path) : m_path(path) {
    ::mkfifo(path.c_str(), 0644);
    m_thread = std::thread([this] {
        constexpr auto kPoll = std::chrono::milliseconds(2);
        while (!m_stop.load()) {
            // Opening the writing end without blocking succeeds only while a reader has the FIFO open.
            const int fd = ::open(m_path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                ++m_readers;
                ::close(fd);
            }
            std::this_thread::sleep_for(kPoll);
        }
    });
}

FifoWatch::~FifoWatch() {
    m_stop = true;
    m_thread.join();
}
