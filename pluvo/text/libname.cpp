#include "libname.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace libname {

namespace {

// Our own constants; libraries shipped under a scrambled name must be named with these.
// key[i] = kNameBase[i] + kNameTable[i % 7]; name byte j moves by kNameBase[j % 12]; every sum is taken
// modulo 256 and a zero sum becomes 1.
constexpr uint8_t kNameBase[12] = {0x5A, 0x17, 0xC3, 0x08, 0x71, 0x9E, 0x2B, 0xE4, 0x36, 0x8D, 0x4F, 0xB0};
constexpr uint8_t kNameTable[7] = {0x13, 0x37, 0x42, 0x69, 0x7F, 0xA5, 0xD1};
constexpr size_t kNameKeyLength = sizeof(kNameBase);

uint8_t nonZeroSum(uint8_t a, uint8_t b) {
    const uint8_t sum = uint8_t(a + b);
    return sum ? sum : 1;
}

bool isFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool equalNoCase(const std::string& a, const std::string& b) {
    auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : char(c); };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

std::string ScrambleLibraryName(const std::string& name) {
    std::string out;
    out.reserve(kNameKeyLength + name.size());
    for (size_t i = 0; i < kNameKeyLength; ++i)
        out += char(nonZeroSum(kNameBase[i], kNameTable[i % 7]));
    for (size_t j = 0; j < name.size(); ++j)
        out += char(nonZeroSum(uint8_t(name[j]), kNameBase[j % kNameKeyLength]));
    return out;
}

std::string ScrambledFileName(const std::string& name) {
    std::string out;
    char digits[3];
    for (unsigned char c : ScrambleLibraryName(name)) {
        std::snprintf(digits, sizeof digits, "%X", c);
        out += digits;
    }
    return out;
}

std::string FindFileNoCase(const std::string& folder, const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos) return {};
    const std::string dir = folder.empty() ? std::string("./") : (folder.back() == '/' ? folder : folder + "/");
    if (isFile(dir + name)) return dir + name;
    DIR* d = ::opendir(dir.c_str());
    if (!d) return {};
    std::vector<std::string> matches;
    while (const dirent* e = ::readdir(d)) {
        if (equalNoCase(e->d_name, name)) matches.emplace_back(e->d_name);
    }
    ::closedir(d);
    std::sort(matches.begin(), matches.end());
    for (const std::string& m : matches)
        if (isFile(dir + m)) return dir + m;
    return {};
}

} // namespace libname
