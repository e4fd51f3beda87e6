// mkpackage: makes firmware packages for demos and tests, from files or deterministic random bytes.
#include "package.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>

namespace {

using firmware::Bytes;

constexpr char kProg[] = "mkpackage";
constexpr int kExitUsage = 2;
constexpr int kExitFailed = 1;
// Random sections are for tests and demos; a real section is a few MiB at most.
constexpr unsigned long kMaxRandomLength = 64ul << 20;
constexpr unsigned long kDefaultSeed = 1;

// The named-entry table: a 44-byte zero-padded name, then the entry's offset and size (LE32, counted from the start
// of the data section); an all-zero entry ends the table.
constexpr size_t kEntryNameLength = 44;
constexpr size_t kEntryLength = 52;
constexpr char kOtherEntryName[] = "DATA.bin";

// The boot logo: 320 x 240 RGB565 behind a 70-byte bit-field bitmap header.
constexpr uint32_t kLogoWidth = 320;
constexpr uint32_t kLogoHeight = 240;
constexpr size_t kLogoHeaderLength = 70;
constexpr size_t kLogoLength = kLogoHeaderLength + kLogoWidth * kLogoHeight * 2; // 153670
constexpr uint8_t kLogoHeader[kLogoHeaderLength] = {
    0x42, 0x4D, 0x46, 0x58, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46, 0x00, 0x00, 0x00, 0x38, 0x00, 0x00, 0x00,
    0x40, 0x01, 0x00, 0x00, 0xF0, 0x00, 0x00, 0x00, 0x01, 0x00, 0x10, 0x00, 0x03, 0x00, 0x00, 0x00, 0x02, 0x58,
    0x02, 0x00, 0x12, 0x0B, 0x00, 0x00, 0x12, 0x0B, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0xF8, 0x00, 0x00, 0xE0, 0x07, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
// Eight vertical colour bars: white, yellow, cyan, green, magenta, red, blue, black.
constexpr uint16_t kBarColours[8] = {0xFFFF, 0xFFE0, 0x07FF, 0x07E0, 0xF81F, 0xF800, 0x001F, 0x0000};

void usage(FILE* to) {
    std::fprintf(to,
                 "usage: %s -o OUT.bin [--program FILE | --random-program N] [--data FILE | --random-data N]\n"
                 "       [--logo-entry] [--seed S]\n"
                 "\n"
                 "Writes a scrambled firmware package with a program section, a data section or both.\n"
                 "--random-* make N bytes from the seed (default %lu), so the same arguments give the same file.\n"
                 "--logo-entry starts the data section with an entry table whose first entry is \"%s\",\n"
                 "pointing to a %zu-byte colour-bar boot logo right after the table; the other data follows.\n",
                 kProg, kDefaultSeed, firmware::kLogoEntryName, kLogoLength);
}

[[noreturn]] void badArgs(const std::string& why) {
    std::fprintf(stderr, "%s: %s\n%s: see %s --help\n", kProg, why.c_str(), kProg, kProg);
    std::exit(kExitUsage);
}

std::optional<unsigned long> toCount(const std::string& s) {
    if (s.empty() || s[0] == '-') return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const unsigned long v = std::strtoul(s.c_str(), &end, 0);
    if (errno != 0 || *end != '\0') return std::nullopt;
    return v;
}

void putLE32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

Bytes colourBarLogo() {
    Bytes logo(kLogoHeader, kLogoHeader + kLogoHeaderLength);
    logo.reserve(kLogoLength);
    for (uint32_t y = 0; y < kLogoHeight; ++y) {
        for (uint32_t x = 0; x < kLogoWidth; ++x) {
            const uint16_t c = kBarColours[x * 8 / kLogoWidth];
            logo.push_back(uint8_t(c));
            logo.push_back(uint8_t(c >> 8));
        }
    }
    return logo;
}

// Entry table, logo, then the other bytes, each entry counted from the start of the section.
Bytes withLogoEntry(const Bytes& other) {
    const size_t entries = other.empty() ? 1 : 2;
    const size_t tableLength = (entries + 1) * kEntryLength;
    Bytes section(tableLength, 0);
    auto entry = [&](size_t i, const char* name, size_t offset, size_t size) {
        const size_t at = i * kEntryLength;
        for (size_t k = 0; name[k] && k < kEntryNameLength; ++k)
            section[at + k] = uint8_t(name[k]);
        putLE32(section, at + firmware::kLogoOffsetField, uint32_t(offset));
        putLE32(section, at + firmware::kLogoSizeField, uint32_t(size));
    };
    entry(0, firmware::kLogoEntryName, tableLength, kLogoLength);
    if (!other.empty()) entry(1, kOtherEntryName, tableLength + kLogoLength, other.size());
    const Bytes logo = colourBarLogo();
    section.insert(section.end(), logo.begin(), logo.end());
    section.insert(section.end(), other.begin(), other.end());
    return section;
}

struct SectionSource {
    std::string file;
    std::optional<unsigned long> randomLength;
    bool given() const { return !file.empty() || randomLength; }
};

bool load(const SectionSource& src, const char* what, std::mt19937& rng, Bytes& out) {
    if (src.randomLength) {
        out.resize(*src.randomLength);
        for (auto& b : out)
            b = uint8_t(rng());
        return true;
    }
    if (src.file.empty()) return true;
    if (!firmware::readWholeFile(src.file, out)) {
        std::fprintf(stderr, "%s: cannot read the %s file %s; check the path and its permissions\n", kProg, what,
                     src.file.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string out;
    SectionSource program, data;
    bool logoEntry = false;
    unsigned long seed = kDefaultSeed;
    auto next = [&](int& i) -> std::string {
        if (i + 1 >= argc) badArgs(std::string(argv[i]) + " needs a value");
        return argv[++i];
    };
    auto length = [&](int& i) {
        const std::string opt = argv[i];
        const auto n = toCount(next(i));
        if (!n || *n > kMaxRandomLength)
            badArgs(opt + " needs a byte count from 0 to " + std::to_string(kMaxRandomLength));
        return n;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string opt = argv[i];
        if (opt == "-h" || opt == "--help") {
            usage(stdout);
            return 0;
        } else if (opt == "-o") {
            out = next(i);
        } else if (opt == "--program") {
            program.file = next(i);
        } else if (opt == "--random-program") {
            program.randomLength = length(i);
        } else if (opt == "--data") {
            data.file = next(i);
        } else if (opt == "--random-data") {
            data.randomLength = length(i);
        } else if (opt == "--logo-entry") {
            logoEntry = true;
        } else if (opt == "--seed") {
            const auto s = toCount(next(i));
            if (!s) badArgs("--seed needs a whole number from 0");
            seed = *s;
        } else {
            badArgs("unknown option " + opt);
        }
    }
    if (out.empty()) badArgs("-o OUT.bin is required");
    if (!program.file.empty() && program.randomLength) badArgs("give --program or --random-program, not both");
    if (!data.file.empty() && data.randomLength) badArgs("give --data or --random-data, not both");
    if (!program.given() && !data.given() && !logoEntry)
        badArgs("nothing to package: give a program section, a data section or --logo-entry");

    std::mt19937 rng(uint32_t(seed & 0xFFFFFFFFu));
    firmware::SectionMap sections;
    Bytes bytes;
    if (program.given()) {
        if (!load(program, "program", rng, bytes)) return kExitFailed;
        sections[firmware::kProgramSectionKey] = std::move(bytes);
    }
    bytes.clear();
    if (data.given() || logoEntry) {
        if (!load(data, "data", rng, bytes)) return kExitFailed;
        sections[firmware::kDataSectionKey] = logoEntry ? withLogoEntry(bytes) : std::move(bytes);
    }
    for (const auto& [key, section] : sections) {
        if (section.size() > UINT32_MAX) {
            std::fprintf(stderr, "%s: section %d is %zu bytes; a package holds at most 4 GiB - 1 per section\n", kProg,
                         key, section.size());
            return kExitFailed;
        }
    }

    const Bytes package = firmware::buildPackage(sections);
    if (!firmware::writeFileAtomically(out, package)) {
        std::fprintf(stderr, "%s: cannot write %s; check that its folder exists and is writable\n", kProg, out.c_str());
        return kExitFailed;
    }
    const auto size = [&](int key) {
        const auto it = sections.find(key);
        return it == sections.end() ? std::string("none") : std::to_string(it->second.size()) + " bytes";
    };
    std::printf("%s: wrote %s (%zu bytes): program section %s, data section %s%s\n", kProg, out.c_str(), package.size(),
                size(firmware::kProgramSectionKey).c_str(), size(firmware::kDataSectionKey).c_str(),
                logoEntry ? ", starting with the logo entry" : "");
    return 0;
}
