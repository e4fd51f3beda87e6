// Fields of a package file name: model, version, upper-case language code and date, "_"-separated, ".bin".
#pragma once

#include <optional>
#include <string>

namespace firmware {

struct PackageFileName {
    std::string model;    // field 1, e.g. QM82
    std::string version;  // field 2, e.g. V1.20
    std::string language; // field 3, e.g. EN
    std::string date;     // field 4 without ".bin" (in any letter case), e.g. 20240105
};

// Splits a file name (no folder) at "_"; exactly four fields, else nothing.
std::optional<PackageFileName> splitPackageFileName(const std::string& fileName);

// Whether a package's model field names the tool's model. Letters compare without regard to their case: a file
// system or a hand may lower a name's case ("qm82_..."), and the model stays the same. pluvo and flashcli judge a
// package's model by this one rule. An empty field or model matches nothing.
bool packageModelMatches(const std::string& packageModel, const std::string& toolModel);

} // namespace firmware
