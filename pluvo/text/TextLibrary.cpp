#include "TextLibrary.h"

#include "CodePage.h"
#include "TextIds.h"
#include "libname.h"

#include <deque>
#include <mutex>
#include <utility>

namespace pluvo {

namespace {

constexpr const char* kLibraryCodes[kLibraryCodeCount] = {"en", "pt", "hu", "hk", "ru", "jp", "pl", "it", "cn",
                                                          "kr", "es", "de", "fr", "nl", "ir", "se", "sk", "cz"};

// Texts are fetched on the interface thread and on the flash worker: one lock for the cache and the sheet.
std::mutex g_mutex;
std::deque<std::pair<CBinary, std::string>> g_cache;

CDataSheet& programSheet() {
    static CDataSheet sheet;
    return sheet;
}

std::string readThroughProgramSheet(const CBinary& id) {
    CDataSheet& sheet = programSheet();
    // A library replaced while pluvo runs (an update of its texts) is read anew, not through stale offsets.
    if (sheet.HasChanged()) sheet.Close();
    if (!sheet.IsOpen() && !OpenTextLibrary(sheet)) return {};
    return sheet.ReadText(id);
}

} // namespace

const char* LibraryCode(int libraryIndex) {
    if (libraryIndex < 0 || libraryIndex >= kLibraryCodeCount) return kLibraryCodes[0];
    return kLibraryCodes[libraryIndex];
}

std::string LibraryFileName(int libraryIndex) {
    return std::string(LibraryCode(libraryIndex)) + libname::kLibrarySuffix;
}

bool OpenUsableLibrary(CDataSheet& sheet, const std::string& fileName) {
    if (!sheet.Open(fileName)) return false;
    if (sheet.ReadText(MakeTextId(textid::kDialogTitle)).empty()) {
        sheet.Close();
        return false;
    }
    return true;
}

bool OpenTextLibrary(CDataSheet& sheet) {
    return sheet.Open(LibraryFileName(CCodePage::TextLibraryIndex()));
}

std::string adsGetStdText(const CBinary& id) {
    std::lock_guard<std::mutex> lock(g_mutex);
    for (const auto& entry : g_cache)
        if (entry.first == id) return entry.second;
    CDataSheet sheet;
    if (!OpenTextLibrary(sheet)) return {};
    std::string text = sheet.ReadText(id);
    sheet.Close();
    if (g_cache.size() >= kTextCacheSize) g_cache.pop_front();
    g_cache.emplace_back(id, text);
    return text;
}

QString adsGetStdText_CString(const CBinary& id) {
    return InterfaceTextToWide(adsGetStdText(id));
}

std::string adsGetTextFromTextLib(const CBinary& id) {
    std::lock_guard<std::mutex> lock(g_mutex);
    return readThroughProgramSheet(id);
}

std::string adsGetTextFromTextLibEx(const CBinary& id, const std::string& separator) {
    std::lock_guard<std::mutex> lock(g_mutex);
    return ExpandEmbeddedIds(readThroughProgramSheet(id), separator, readThroughProgramSheet);
}

void ResetTextLibrary() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_cache.clear();
    programSheet().Close();
    programSheet().SetFolder(CDataSheet::GetDefaultFolder());
}

} // namespace pluvo
