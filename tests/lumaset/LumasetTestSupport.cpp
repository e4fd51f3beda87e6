#include "LumasetTestSupport.h"

#include <QDate>
#include <QFileInfo>
#include <QImage>

#include <cstring>
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
