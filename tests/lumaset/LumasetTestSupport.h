// Fixtures for the picture tool's tests: a private current directory, test pictures, packages with a logo entry.
#pragma once

#include "TempDir.h"
#include "package.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QString>

#include <string>

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
