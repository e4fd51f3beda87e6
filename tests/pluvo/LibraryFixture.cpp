#include "LibraryFixture.h"

#include "Binary.h"

#include <cstdio>

std::string idBytes(const std::string& hex) {
    const CBinary id = CBinary::FromHex(hex);
    return std::string(reinterpret_cast<const char*>(id.GetData()), id.GetLength());
}

mktextlib::Record textRecord(const std::string& hexId, const std::string& text) {
    mktextlib::Record r{idBytes(hexId), {}};
    if (!text.empty()) r.fields.push_back(text);
    return r;
}

std::vector<uint8_t> buildLibrary(const std::vector<mktextlib::Record>& records, bool scrambled) {
    mktextlib::Options options;
    options.scrambled = scrambled;
    if (scrambled) options.fileKey = mktextlib::MakeFileKey("test");
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(mktextlib::BuildLibrary(records, options, bytes, error)) << error;
    return bytes;
}

std::string numberedId(int n) {
    char hex[13];
    std::snprintf(hex, sizeof hex, "FF000000%04X", unsigned(n));
    return hex;
}

std::string numberedText(int n) {
    return "text " + std::to_string(n);
}

std::vector<uint8_t> numberedLibrary(int count, bool scrambled, const std::string& suffix) {
    std::vector<mktextlib::Record> records;
    for (int n = 0; n < count; ++n)
        records.push_back(textRecord(numberedId(n), numberedText(n) + suffix));
    return buildLibrary(records, scrambled);
}
