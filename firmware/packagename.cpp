#include "packagename.h"

#include <algorithm>
#include <vector>

namespace firmware {

namespace {
const std::string kExtension = ".bin";

// ASCII only: the locale must not decide what a name is.
char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// Where ".bin" begins in text, letters in any case; npos when nowhere.
size_t findExtension(const std::string& text) {
    const auto at = std::search(text.begin(), text.end(), kExtension.begin(), kExtension.end(),
                                [](char a, char b) { return asciiLower(a) == b; });
    return at == text.end() ? std::string::npos : size_t(at - text.begin());
}
} // namespace

std::optional<PackageFileName> splitPackageFileName(const std::string& fileName) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t us = fileName.find('_', start);
        fields.push_back(fileName.substr(start, us == std::string::npos ? std::string::npos : us - start));
        if (us == std::string::npos) break;
        start = us + 1;
    }
    if (fields.size() != 4) return std::nullopt;
    // The extension in any letter case: sticks formatted FAT often show names in upper case.
    std::string date = fields[3];
    for (size_t at; (at = findExtension(date)) != std::string::npos;)
        date.erase(at, kExtension.size());
    return PackageFileName{fields[0], fields[1], fields[2], date};
}

bool packageModelMatches(const std::string& packageModel, const std::string& toolModel) {
    if (packageModel.empty() || packageModel.size() != toolModel.size()) return false;
    return std::equal(packageModel.begin(), packageModel.end(), toolModel.begin(),
                      [](char a, char b) { return asciiLower(a) == asciiLower(b); });
}

} // namespace firmware
