#include "pluvotext.h"

#include "TextLibrary.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

enum class Cut { AnyByte, Utf8Boundary };

long deliver(const std::string& result, char* text, size_t size, Cut cut) {
    if (size > 0) {
        size_t n = result.size() < size ? result.size() : size - 1;
        if (cut == Cut::Utf8Boundary && n < result.size())
            while (n > 0 && (uint8_t(result[n]) & 0xC0) == 0x80)
                --n; // not inside a character
        std::memcpy(text, result.data(), n);
        text[n] = '\0';
    }
    return long(result.size());
}

bool validArguments(const unsigned char* id, const char* text, size_t size) {
    return id && (text || size == 0);
}

CBinary idOf(const unsigned char* id) {
    return CBinary(id, ADS_TEXT_ID_LENGTH);
}

// Nothing may leave through the C interface; running out of memory gives -1.
template <typename Fetch> long guarded(const unsigned char* id, char* text, size_t size, Cut cut, Fetch fetch) {
    if (!validArguments(id, text, size)) return -1;
    try {
        return deliver(fetch(idOf(id)), text, size, cut);
    } catch (...) {
        return -1;
    }
}

} // namespace

extern "C" {

long adsGetStdText(const unsigned char* id, char* text, size_t size) {
    return guarded(id, text, size, Cut::AnyByte, [](const CBinary& i) { return pluvo::adsGetStdText(i); });
}

long adsGetStdText_CString(const unsigned char* id, char* text, size_t size) {
    return guarded(id, text, size, Cut::Utf8Boundary,
                   [](const CBinary& i) { return pluvo::adsGetStdText_CString(i).toStdString(); });
}

long adsGetTextFromTextLib(const unsigned char* id, char* text, size_t size) {
    return guarded(id, text, size, Cut::AnyByte, [](const CBinary& i) { return pluvo::adsGetTextFromTextLib(i); });
}

long adsGetTextFromTextLibEx(const unsigned char* id, const char* separator, char* text, size_t size) {
    const std::string sep = separator ? separator : "";
    return guarded(id, text, size, Cut::AnyByte,
                   [&sep](const CBinary& i) { return pluvo::adsGetTextFromTextLibEx(i, sep); });
}

int adsSetTextLibraryFolder(const char* folder) {
    if (!folder || !*folder) return -1;
    try {
        CDataSheet::SetDefaultFolder(folder);
        pluvo::ResetTextLibrary();
    } catch (...) {
        return -1;
    }
    return 0;
}

} // extern "C"
