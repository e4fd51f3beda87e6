#include "packagename.h"

#include <vector>

namespace firmware {

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
    std::string date = fields[3];
    for (size_t at; (at = date.find(".bin")) != std::string::npos;)
        date.erase(at, 4);
    return PackageFileName{fields[0], fields[1], fields[2], date};
}

bool packageModelMatches(const std::string& packageModel, const std::string& toolModel) {
    if (packageModel.empty() || packageModel.size() != toolModel.size()) return false;
    // ASCII only: the locale must not decide what a model name is.
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
    for (size_t i = 0; i < packageModel.size(); ++i)
        if (upper(packageModel[i]) != upper(toolModel[i])) return false;
    return true;
}

} // namespace firmware
