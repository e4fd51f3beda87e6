// The firmware package format: scrambling, header, sections, checksum, the logo entry and the newest-package rule.
// One implementation for every program; Qt-free. Nothing here throws; bad input gives an empty result or false.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace firmware {

using Bytes = std::vector<uint8_t>;
// Section number -> bytes: 1 programSection, 2 dataSection; walked in ascending order.
using SectionMap = std::map<int, Bytes>;

constexpr uint8_t kScrambleKey = 0x5D;
constexpr char kPackageMagic[] = "ZORNAX7";
constexpr size_t kMagicLength = 7;
constexpr int kProgramSectionKey = 1;
constexpr int kDataSectionKey = 2;
constexpr char kLogoEntryName[] = "RB350_LOGO.cbf";
// Offsets of the logo entry's offset and size fields from the start of its name.
constexpr size_t kLogoOffsetField = 44;
constexpr size_t kLogoSizeField = 48;
// Appended to a package's name to keep it when a patch is written under that very name: no program's package
// search takes the result, since every one looks for names ending in ".bin".
constexpr char kOriginalSuffix[] = ".orig";

// XOR with the package key; its own inverse.
void scramble(Bytes& bytes);

// Little-endian value of up to 4 bytes; a shorter string reads as if zero bytes stood in front of it.
uint32_t readUInt32LE(const Bytes& bytes);
uint32_t readUInt32LE(const uint8_t* data, size_t length);

// Splits unscrambled bytes into sections; too short or no section flag gives an empty map.
SectionMap parsePackage(const Bytes& unscrambled);

// The complete scrambled package for the map; an empty map gives empty bytes.
Bytes buildPackage(const SectionMap& sections);

// Checksum over unscrambled bytes before the checksum field, each length field counted by its value.
uint32_t packageChecksum(const SectionMap& sections);

// Output name of a patched package: the "_yyyyMMdd.bin" ending replaced by the given date, or
// stem + "_" + date + ".bin" when the name has no such ending.
std::string datedPackagePath(const std::string& packagePath, const std::string& yyyymmdd);

// The current local date as "yyyyMMdd".
std::string todayYyyyMmDd();

// Replaces the logo entry of section 2 with the logo file's bytes (cut or zero-padded to the entry's size) and
// writes the package under the dated name, through a temporary file renamed into place. A file already under that
// name (a package dated today) is first kept beside it as name + kOriginalSuffix, unless one is kept there already.
// False when nothing could be built, the logo entry lies outside section 2, or keeping or writing failed.
bool patchLogoInPackage(const SectionMap& sections, const std::string& packagePath, const std::string& logoPath);
bool patchLogoInPackage(const SectionMap& sections, const std::string& packagePath, const std::string& logoPath,
                        const std::string& yyyymmdd);

// Reads, unscrambles, checks (as the flashers do) and parses the package, then patches it. False when the file cannot
// be read or is not a sound package: a damaged one is never given a fresh checksum.
bool loadAndPatchPackage(const std::string& packagePath, const std::string& logoPath);
bool loadAndPatchPackage(const std::string& packagePath, const std::string& logoPath, const std::string& yyyymmdd);

// The newest package in folder (by the date in its name; ties keep the earlier name), or "" when there is none.
std::string findLatestPackageIn(const std::string& folder);
// The same for the update folder beside the parent of this executable's folder.
std::string findLatestPackage();

// What a flasher needs of a package after checking it.
struct UpdatePackage {
    bool ok = false;
    std::string error; // why it was refused, for logs
    uint32_t sectionFlags = 0;
    size_t programOffset = 0, programLength = 0; // programLength 0 when absent
    size_t dataOffset = 0, dataLength = 0;       // dataLength 0 when absent
    bool hasProgram() const { return sectionFlags & 1; }
    bool hasData() const { return sectionFlags & 2; }
};

// The flashers' check on unscrambled bytes: magic, flags 1 to 3, header, sections and checksum exactly filling
// the data, and the checksum. Never reads outside [data, data + size).
UpdatePackage checkPackage(const uint8_t* data, size_t size);

// Reads a whole file; false when it cannot be read.
bool readWholeFile(const std::string& path, Bytes& out);
// Writes through a temporary file in the same folder renamed into place; false on any failure.
bool writeFileAtomically(const std::string& path, const Bytes& bytes);

} // namespace firmware
