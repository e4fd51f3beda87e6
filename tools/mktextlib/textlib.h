// Building text libraries (".cbf"): parsing our text tables (UTF-8, one "<12 hex digits> <text>" per line),
// conversion into a language's code page, and the library bytes, plain or scrambled. Refusals name the line and
// the reason; nothing here throws.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mktextlib {

constexpr size_t kIdDigits = 12;
constexpr size_t kDefaultKeyLength = 255; // every key byte the scrambling uses

struct TextEntry {
    std::string id;   // raw id bytes
    std::string text; // UTF-8 until encoded
    int line = 0;
};

// A record as stored: its id and its fields' bytes.
struct Record {
    std::string id;
    std::vector<std::string> fields;
};

struct Options {
    bool scrambled = false;
    std::vector<uint8_t> fileKey; // scrambled only; at most 400 bytes
};

// Lines: blank, "#" comment, or the id's twelve hexadecimal digits, blanks or tabs, and the text up to the line end.
// In texts "\n" is a line feed, "\t" a tab, "\\" a backslash. Refuses bad ids, duplicates and unknown escapes.
bool ParseTextTable(std::string_view source, std::vector<TextEntry>& entries, std::string& error);

// Converts every text into the code page and makes its fields: none for an empty text, one field, or two when the
// text is longer than one field can hold. Refuses characters the code page lacks.
bool EncodeEntries(const std::vector<TextEntry>& entries, int codePage, std::vector<Record>& records,
                   std::string& error);

// The library bytes, index sorted by id. Refuses ids of different or zero length, duplicate ids, more than 255
// fields, fields longer than 65535 bytes and keys longer than 400 bytes.
bool BuildLibrary(std::vector<Record> records, const Options& options, std::vector<uint8_t>& out, std::string& error);

// A file key that depends only on the seed, so that builds are reproducible.
std::vector<uint8_t> MakeFileKey(std::string_view seed, size_t length = kDefaultKeyLength);

// Code page of a library code ("en" -> 1252, "ru" -> 1251), as pluvo reads it; 0 when no language uses the code.
int CodePageOfLibrary(std::string_view code);

} // namespace mktextlib
