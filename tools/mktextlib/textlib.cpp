#include "textlib.h"

#include "Binary.h"
#include "CodePage.h"
#include "TextLibrary.h"
#include "cbf.h"

#include <algorithm>
#include <set>

namespace mktextlib {

namespace {

constexpr size_t kMaxFields = 0xFF;
constexpr int kLanguageNumbers = 14;                        // Language values pluvo honours
constexpr uint64_t kKeyMultiplier = 6364136223846793005ULL; // 64-bit LCG (Knuth MMIX)
constexpr uint64_t kKeyIncrement = 1442695040888963407ULL;

std::string lineError(int line, const std::string& what) {
    return "line " + std::to_string(line) + ": " + what;
}

bool unescape(std::string_view in, std::string& out, std::string& what) {
    out.clear();
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '\0') {
            what = "a zero byte cannot be part of a text";
            return false;
        }
        if (in[i] != '\\') {
            out += in[i];
            continue;
        }
        const char next = i + 1 < in.size() ? in[++i] : '\0';
        switch (next) {
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            what = std::string("unknown escape \"\\") + (next ? std::string(1, next) : "") + "\"";
            return false;
        }
    }
    return true;
}

void putBigEndian(std::vector<uint8_t>& out, uint64_t value, size_t bytes) {
    for (size_t i = bytes; i-- > 0;)
        out.push_back(uint8_t(value >> (8 * i)));
}

} // namespace

bool ParseTextTable(std::string_view source, std::vector<TextEntry>& entries, std::string& error) {
    entries.clear();
    std::set<std::string> seen;
    int lineNumber = 0;
    size_t pos = 0;
    while (pos < source.size()) {
        size_t end = source.find('\n', pos);
        if (end == std::string_view::npos) end = source.size();
        std::string_view line = source.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == '#') continue;
        if (first != 0 || line.size() < kIdDigits) {
            error = lineError(lineNumber, "a text line starts with its id, twelve hexadecimal digits");
            return false;
        }
        const CBinary id = CBinary::FromHex(line.substr(0, kIdDigits));
        if (id.GetLength() != kIdDigits / 2) {
            error =
                lineError(lineNumber, "the id \"" + std::string(line.substr(0, kIdDigits)) + "\" is not hexadecimal");
            return false;
        }
        std::string_view rest = line.substr(kIdDigits);
        if (!rest.empty() && rest[0] != ' ' && rest[0] != '\t') {
            error = lineError(lineNumber, "put blanks between the id and the text");
            return false;
        }
        const size_t textStart = rest.find_first_not_of(" \t");
        rest = textStart == std::string_view::npos ? std::string_view() : rest.substr(textStart);
        TextEntry entry;
        entry.id.assign(reinterpret_cast<const char*>(id.GetData()), id.GetLength());
        entry.line = lineNumber;
        std::string what;
        if (!unescape(rest, entry.text, what)) {
            error = lineError(lineNumber, what);
            return false;
        }
        if (!seen.insert(entry.id).second) {
            error = lineError(lineNumber, "the id " + id.ToHex() + " has a text already");
            return false;
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

bool EncodeEntries(const std::vector<TextEntry>& entries, int codePage, std::vector<Record>& records,
                   std::string& error) {
    records.clear();
    for (const TextEntry& e : entries) {
        const auto bytes = Utf8ToCodePage(codePage, e.text);
        if (!bytes) {
            error = lineError(e.line, "the text is not UTF-8 or holds a character that code page " +
                                          std::to_string(codePage) + " lacks");
            return false;
        }
        if (bytes->size() > 2 * cbf::kMaxFieldLength) {
            error = lineError(e.line, "the text is longer than two fields can hold");
            return false;
        }
        Record r{e.id, {}};
        if (bytes->size() > cbf::kMaxFieldLength) {
            r.fields = {bytes->substr(0, cbf::kMaxFieldLength), bytes->substr(cbf::kMaxFieldLength)};
        } else if (!bytes->empty()) {
            r.fields = {*bytes};
        }
        records.push_back(std::move(r));
    }
    return true;
}

bool BuildLibrary(std::vector<Record> records, const Options& options, std::vector<uint8_t>& out, std::string& error) {
    out.clear();
    const size_t keyLength = records.empty() ? kIdDigits / 2 : records.front().id.size();
    if (keyLength == 0 || keyLength > 0xFF) {
        error = "ids must be 1 to 255 bytes long";
        return false;
    }
    if (options.scrambled && options.fileKey.size() > cbf::kMaxFileKey) {
        error = "the file key is longer than 400 bytes";
        return false;
    }
    for (const Record& r : records) {
        if (r.id.size() != keyLength) {
            error = "the id " + CBinary(r.id.data(), r.id.size()).ToHex() + " differs in length from the others";
            return false;
        }
        if (r.fields.size() > kMaxFields) {
            error = "a record holds more than 255 fields";
            return false;
        }
        for (const std::string& f : r.fields)
            if (f.size() > cbf::kMaxFieldLength) {
                error = "a field is longer than 65535 bytes";
                return false;
            }
    }
    std::sort(records.begin(), records.end(), [](const Record& a, const Record& b) {
        return CBinary(a.id.data(), a.id.size()) < CBinary(b.id.data(), b.id.size());
    });
    for (size_t i = 1; i < records.size(); ++i)
        if (records[i].id == records[i - 1].id) {
            error = "the id " + CBinary(records[i].id.data(), keyLength).ToHex() + " occurs twice";
            return false;
        }

    cbf::FileKey key{};
    if (options.scrambled) std::copy(options.fileKey.begin(), options.fileKey.end(), key.begin());
    auto store = [&](std::vector<uint8_t>& to, const std::string& plain) {
        for (size_t i = 0; i < plain.size(); ++i)
            to.push_back(options.scrambled ? cbf::scramble(uint8_t(plain[i]), i, key) : uint8_t(plain[i]));
    };
    auto bigEndian = [](uint64_t value, size_t bytes) {
        std::vector<uint8_t> v;
        putBigEndian(v, value, bytes);
        return std::string(v.begin(), v.end());
    };

    std::vector<uint8_t> body;
    std::vector<uint64_t> offsets;
    const uint64_t bodyStart = cbf::kIndexOffset + records.size() * (keyLength + cbf::kRecordOffsetSize);
    for (const Record& r : records) {
        offsets.push_back(bodyStart + body.size());
        store(body, std::string(1, char(r.fields.size())));
        for (const std::string& f : r.fields) {
            store(body, bigEndian(f.size(), cbf::kFieldLengthSize));
            store(body, f);
        }
    }
    if (bodyStart + body.size() > UINT32_MAX) {
        error = "the library is larger than 4 GB";
        return false;
    }

    const uint16_t version = options.scrambled ? cbf::kScrambledVersion : cbf::kPlainVersion;
    out.insert(out.end(), cbf::kMagic, cbf::kMagic + cbf::kMagicLength);
    out.push_back(uint8_t(version & 0xFF));
    out.push_back(uint8_t(version >> 8));
    out.insert(out.end(), {0, 0, uint8_t(keyLength), 0, 0, 0, 0, 0});
    putBigEndian(out, records.size(), 4);
    for (size_t i = 0; i < records.size(); ++i) {
        store(out, records[i].id);
        store(out, bigEndian(offsets[i], cbf::kRecordOffsetSize));
    }
    out.insert(out.end(), body.begin(), body.end());
    if (options.scrambled) {
        out.insert(out.end(), options.fileKey.begin(), options.fileKey.end());
        out.push_back(uint8_t(options.fileKey.size() & 0xFF));
        out.push_back(uint8_t(options.fileKey.size() >> 8));
    }
    return true;
}

std::vector<uint8_t> MakeFileKey(std::string_view seed, size_t length) {
    uint64_t state = 0;
    for (unsigned char c : seed)
        state = state * kKeyMultiplier + c + kKeyIncrement;
    std::vector<uint8_t> key(length);
    for (uint8_t& b : key) {
        state = state * kKeyMultiplier + kKeyIncrement;
        b = uint8_t(state >> 56);
    }
    return key;
}

int CodePageOfLibrary(std::string_view code) {
    for (int language = 0; language < kLanguageNumbers; ++language) {
        const CCodePage::Choice c = CCodePage::ForLanguage(language);
        if (code == pluvo::LibraryCode(c.libraryIndex))
            return c.codePage == kSystemCodePage ? kSystemAnsiCodePage : c.codePage;
    }
    return 0;
}

} // namespace mktextlib
