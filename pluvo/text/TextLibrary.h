// The text library of the interface language as pluvo and other programs use it: choice and opening of the
// library file, the text cache, and the C++ forms of the four exported text functions (pluvotext.h has the C
// forms). Safe to call from any thread: the cache and the program-wide sheet are locked.
#pragma once

#include "Binary.h"
#include "DataSheet.h"

#include <QString>

#include <cstddef>
#include <string>

namespace pluvo {

constexpr size_t kTextCacheSize = 21; // pairs kept; the 22nd distinct id pushes out the oldest
constexpr int kLibraryCodeCount = 18;

// "en", "pt", ... by text-library index; indexes outside the table give "en".
const char* LibraryCode(int libraryIndex);
// Code + "_text.cbf".
std::string LibraryFileName(int libraryIndex);
// Opens the library of the settled interface language (CCodePage) in the sheet.
bool OpenTextLibrary(CDataSheet& sheet);
// Opens the library file in the sheet and keeps it open only when it is usable: a text every library holds (the
// program's title) reads back non-empty. A file whose header and index are sound but whose records are damaged
// is not. What the start-up check and the settings page offer.
bool OpenUsableLibrary(CDataSheet& sheet, const std::string& fileName);

// The id's text in the interface code page, through the cache; empty when absent or no library opens.
std::string adsGetStdText(const CBinary& id);
// The same text as Unicode.
QString adsGetStdText_CString(const CBinary& id);
// The id's text read through the program-wide sheet, opened on first use; no cache.
std::string adsGetTextFromTextLib(const CBinary& id);
// As adsGetTextFromTextLib, with the ids embedded between separators (twelve hexadecimal digits) replaced by
// their texts. An empty separator gives the text unchanged.
std::string adsGetTextFromTextLibEx(const CBinary& id, const std::string& separator);
// The expansion step alone, with lookup giving an embedded id's text.
template <typename Lookup>
std::string ExpandEmbeddedIds(const std::string& text, const std::string& separator, Lookup lookup);

// Empties the cache and closes the program-wide sheet, so the next texts come from the library files as they are
// now (after a change of library folder or language).
void ResetTextLibrary();

template <typename Lookup>
std::string ExpandEmbeddedIds(const std::string& text, const std::string& separator, Lookup lookup) {
    if (separator.empty() || text.find(separator) == std::string::npos) return text;
    std::string out;
    size_t start = 0;
    for (size_t piece = 0;; ++piece) {
        const size_t end = text.find(separator, start);
        const std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        out += (piece % 2 == 0) ? part : lookup(CBinary::FromHex(part));
        if (end == std::string::npos) break;
        start = end + separator.size();
    }
    return out;
}

} // namespace pluvo
