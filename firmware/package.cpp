#include "package.h"

#include "frames.h"
#include "safefile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace firmware {

namespace {

// Sum of the magic's seven bytes, the constant part of every checksum.
uint32_t magicSum() {
    return byteSum(reinterpret_cast<const uint8_t*>(kPackageMagic), kMagicLength);
}

void appendLE32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

// Takes up to n bytes from the front of [pos, end) and advances pos past them.
Bytes takeFront(const uint8_t*& pos, const uint8_t* end, size_t n) {
    const size_t take = std::min<size_t>(n, size_t(end - pos));
    Bytes out(pos, pos + take);
    pos += take;
    return out;
}

void dropFront(const uint8_t*& pos, const uint8_t* end, size_t n) {
    pos += std::min<size_t>(n, size_t(end - pos));
}

std::string fileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool endsWithDatedBin(const std::string& name) {
    // "_" + eight digits + ".bin"
    if (name.size() < 13) return false;
    const std::string tail = name.substr(name.size() - 13);
    if (tail[0] != '_') return false;
    for (int i = 1; i <= 8; ++i)
        if (!std::isdigit(static_cast<unsigned char>(tail[i]))) return false;
    std::string ext = tail.substr(9);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".bin";
}

bool hasBinExtension(const std::string& name) {
    if (name.size() < 4) return false;
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".bin";
}

int compareIgnoringCase(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

// The last eight characters of the name without its extension, as a number; 0 when they are not one.
long dateKey(const std::string& name) {
    const std::string stem = name.substr(0, name.size() - 4);
    const std::string digits = stem.size() > 8 ? stem.substr(stem.size() - 8) : stem;
    if (digits.empty()) return 0;
    for (char c : digits)
        if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
    return std::strtol(digits.c_str(), nullptr, 10);
}

// Copies a file about to be replaced to its name + kOriginalSuffix. The first copy stays: a later save of the same
// day must not replace the package the user started from with one of our own patches.
bool keepOriginal(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return errno == ENOENT;
    if (!S_ISREG(st.st_mode)) return false; // not a package, and reading a FIFO would wait for a writer
    const std::string original = path + kOriginalSuffix;
    struct stat kept {};
    if (lstat(original.c_str(), &kept) == 0) return true;
    Bytes bytes;
    return readWholeFile(path, bytes) && writeFileAtomically(original, bytes);
}

} // namespace

void scramble(Bytes& bytes) {
    for (auto& b : bytes)
        b ^= kScrambleKey;
}

uint32_t readUInt32LE(const uint8_t* data, size_t length) {
    // A field cut short reads as if zero bytes stood in front of the bytes present.
    const size_t n = std::min<size_t>(length, 4);
    uint8_t field[4] = {0, 0, 0, 0};
    for (size_t i = 0; i < n; ++i)
        field[4 - n + i] = data[i];
    return uint32_t(field[0]) | uint32_t(field[1]) << 8 | uint32_t(field[2]) << 16 | uint32_t(field[3]) << 24;
}

uint32_t readUInt32LE(const Bytes& bytes) {
    return readUInt32LE(bytes.data(), bytes.size());
}

SectionMap parsePackage(const Bytes& unscrambled) {
    SectionMap map;
    const uint8_t* pos = unscrambled.data();
    const uint8_t* end = pos + unscrambled.size();
    dropFront(pos, end, kMagicLength);
    if (end - pos <= 4) return map;
    const uint32_t flags = readUInt32LE(pos, 4);
    dropFront(pos, end, 4);
    if (end - pos <= 4) return map;
    if ((flags & 3) == 3) {
        const uint32_t len1 = readUInt32LE(pos, 4);
        const uint32_t len2 = readUInt32LE(pos + 4, std::min<size_t>(4, size_t(end - pos) - 4));
        dropFront(pos, end, 8);
        map[kProgramSectionKey] = takeFront(pos, end, len1);
        map[kDataSectionKey] = takeFront(pos, end, len2);
    } else if (flags & 3) {
        const uint32_t len = readUInt32LE(pos, 4);
        dropFront(pos, end, 4);
        map[(flags & 2) ? kDataSectionKey : kProgramSectionKey] = takeFront(pos, end, len);
    }
    return map;
}

uint32_t packageChecksum(const SectionMap& sections) {
    const bool hasProgram = sections.count(kProgramSectionKey) != 0;
    const bool hasData = sections.count(kDataSectionKey) != 0;
    const uint32_t flags = (hasProgram ? 1u : 0u) | (hasData ? 2u : 0u);
    uint32_t sum = magicSum() + flags;
    for (const auto& [key, bytes] : sections) {
        if (key != kProgramSectionKey && key != kDataSectionKey) continue;
        sum += uint32_t(bytes.size());
        sum += byteSum(bytes.data(), bytes.size());
    }
    return sum;
}

Bytes buildPackage(const SectionMap& sections) {
    const auto program = sections.find(kProgramSectionKey);
    const auto data = sections.find(kDataSectionKey);
    const bool hasProgram = program != sections.end();
    const bool hasData = data != sections.end();
    if (!hasProgram && !hasData) return {};

    Bytes out(kPackageMagic, kPackageMagic + kMagicLength);
    out.reserve(out.size() + 16 + (hasProgram ? program->second.size() : 0) + (hasData ? data->second.size() : 0));
    appendLE32(out, (hasProgram ? 1u : 0u) | (hasData ? 2u : 0u));
    if (hasProgram) appendLE32(out, uint32_t(program->second.size()));
    if (hasData) appendLE32(out, uint32_t(data->second.size()));
    if (hasProgram) out.insert(out.end(), program->second.begin(), program->second.end());
    if (hasData) out.insert(out.end(), data->second.begin(), data->second.end());
    appendLE32(out, packageChecksum(sections));
    scramble(out);
    return out;
}

std::string datedPackagePath(const std::string& packagePath, const std::string& yyyymmdd) {
    if (endsWithDatedBin(fileNameOf(packagePath)))
        return packagePath.substr(0, packagePath.size() - 12) + yyyymmdd + ".bin";
    std::string stem = packagePath;
    if (hasBinExtension(fileNameOf(stem))) stem.resize(stem.size() - 4);
    return stem + "_" + yyyymmdd + ".bin";
}

std::string todayYyyyMmDd() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buf[16];
    std::strftime(buf, sizeof buf, "%Y%m%d", &local);
    return buf;
}

bool patchLogoInPackage(const SectionMap& sections, const std::string& packagePath, const std::string& logoPath) {
    return patchLogoInPackage(sections, packagePath, logoPath, todayYyyyMmDd());
}

bool patchLogoInPackage(const SectionMap& sections, const std::string& packagePath, const std::string& logoPath,
                        const std::string& yyyymmdd) {
    SectionMap patched = sections;
    auto data = patched.find(kDataSectionKey);
    Bytes logo;
    if (data != patched.end() && readWholeFile(logoPath, logo)) {
        Bytes& section = data->second;
        const uint8_t* name = reinterpret_cast<const uint8_t*>(kLogoEntryName);
        const size_t nameLength = std::strlen(kLogoEntryName);
        const auto found = std::search(section.begin(), section.end(), name, name + nameLength);
        if (found != section.end() && section.size() > 52) {
            const size_t at = size_t(found - section.begin());
            // The entry's fields and range must lie inside the section, else the package would be damaged.
            if (at + kLogoSizeField + 4 > section.size()) return false;
            const uint32_t offset = readUInt32LE(&section[at + kLogoOffsetField], 4);
            const uint32_t size = readUInt32LE(&section[at + kLogoSizeField], 4);
            if (uint64_t(offset) + size > section.size()) return false;
            logo.resize(size, 0);
            std::copy(logo.begin(), logo.end(), section.begin() + offset);
        }
    }
    const Bytes built = buildPackage(patched);
    if (built.empty()) return false;
    const std::string out = datedPackagePath(packagePath, yyyymmdd);
    return keepOriginal(out) && writeFileAtomically(out, built);
}

bool loadAndPatchPackage(const std::string& packagePath, const std::string& logoPath) {
    return loadAndPatchPackage(packagePath, logoPath, todayYyyyMmDd());
}

bool loadAndPatchPackage(const std::string& packagePath, const std::string& logoPath, const std::string& yyyymmdd) {
    Bytes bytes;
    if (packagePath.empty() || !readWholeFile(packagePath, bytes)) return false;
    scramble(bytes);
    if (!checkPackage(bytes.data(), bytes.size()).ok) return false;
    const SectionMap map = parsePackage(bytes);
    if (map.empty()) return false;
    return patchLogoInPackage(map, packagePath, logoPath, yyyymmdd);
}

std::string findLatestPackageIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir)) {
            const std::string name = e->d_name;
            if (!hasBinExtension(name)) continue;
            struct stat st {};
            if (stat((folder + "/" + name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.push_back(name);
        }
        closedir(dir);
    }
    if (names.empty()) return {};
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return compareIgnoringCase(a, b) < 0; });
    size_t newest = 0;
    long best = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        const long key = dateKey(names[i]);
        if (key > best) {
            best = key;
            newest = i;
        }
    }
    std::string dir = folder;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir + names[newest];
}

std::string findLatestPackage() {
    char exe[PATH_MAX] = {0};
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return {};
    std::string path(exe, size_t(n));
    const std::string exeDir = path.substr(0, path.find_last_of('/'));
    const std::string parent = exeDir.substr(0, exeDir.find_last_of('/'));
    return findLatestPackageIn(parent + "/update/");
}

UpdatePackage checkPackage(const uint8_t* data, size_t size) {
    UpdatePackage c;
    constexpr size_t kChecksumLength = 4;
    if (size < kMagicLength + 4 || std::memcmp(data, kPackageMagic, kMagicLength) != 0) {
        c.error = "not a firmware package (magic missing)";
        return c;
    }
    c.sectionFlags = readUInt32LE(data + kMagicLength, 4);
    if (c.sectionFlags < 1 || c.sectionFlags > 3) {
        c.error = "unknown section flags " + std::to_string(c.sectionFlags);
        return c;
    }
    const size_t lengthFields = c.sectionFlags == 3 ? 2 : 1;
    const size_t header = kMagicLength + 4 + 4 * lengthFields;
    if (size < header + kChecksumLength) {
        c.error = "package shorter than its header";
        return c;
    }
    const uint32_t len1 = readUInt32LE(data + 11, 4);
    const uint32_t len2 = lengthFields == 2 ? readUInt32LE(data + 15, 4) : 0;
    if (uint64_t(header) + len1 + len2 + kChecksumLength != size) {
        c.error = "section lengths do not match the package size";
        return c;
    }
    uint32_t sum = byteSum(data, size - kChecksumLength);
    for (size_t f = 0; f < lengthFields; ++f) {
        const uint8_t* field = data + 11 + 4 * f;
        sum = sum - byteSum(field, 4) + readUInt32LE(field, 4);
    }
    if (sum != readUInt32LE(data + size - kChecksumLength, 4)) {
        c.error = "checksum mismatch";
        return c;
    }
    if (c.sectionFlags == 1) {
        c.programOffset = header;
        c.programLength = len1;
    } else if (c.sectionFlags == 2) {
        c.dataOffset = header;
        c.dataLength = len1;
    } else {
        c.programOffset = header;
        c.programLength = len1;
        c.dataOffset = header + len1;
        c.dataLength = len2;
    }
    c.ok = true;
    return c;
}

bool readWholeFile(const std::string& path, Bytes& out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    out.clear();
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.insert(out.end(), buf, buf + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool writeFileAtomically(const std::string& path, const Bytes& bytes) {
    constexpr int kPackageMode = 0644; // packages are read by every program of the user, and by the flash tools
    return safefile::ReplaceFile(path, bytes.data(), bytes.size(), nullptr, kPackageMode);
}

} // namespace firmware
