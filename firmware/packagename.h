// Fields of a package file name: model, version, upper-case language code and date, "_"-separated, ".bin".
#pragma once

#include <optional>
#include <string>

namespace firmware {

struct PackageFileName {
    std::string model;    // field 1, e.g. QM82
    std::string version;  // field 2, e.g. V1.20
    std::string language; // field 3, e.g. EN
    std::string date;     // field 4 without ".bin", e.g. 20240105
};

// Splits a file name (no folder) at "_"; exactly four fields, else nothing.
std::optional<PackageFileName> splitPackageFileName(const std::string& fileName);

} // namespace firmware
