#include "CodePage.h"

#include "Profile.h"

#include <dlfcn.h>
#include <iconv.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <mutex>

namespace {

std::atomic<bool> g_settled{false};
std::atomic<int> g_codePage{kSystemCodePage};
std::atomic<int> g_libraryIndex{0};
std::mutex g_settleMutex;

constexpr int kEnglishLibrary = 0;
constexpr char kReplacementCharacter[] = "\xEF\xBF\xBD";
constexpr size_t kConvertChunk = 256;

// Indexed by Language; numbers outside it read as Latin-1 with the English library.
constexpr std::array<CCodePage::Choice, 14> kLanguageTable = {{
    {kSystemCodePage, 0},   // English
    {1252, 12},             // French
    {1252, 10},             // Spanish
    {1252, 11},             // German
    {kLatin2CodePage, 16},  // Slovak
    {kLatin1CodePage, 1},   // Portuguese
    {1252, 15},             // Swedish
    {1252, 7},              // Italian
    {kLatin2CodePage, 17},  // Czech
    {1252, 2},              // Hungarian
    {kCyrillicCodePage, 4}, // Russian
    {kChineseCodePage, 8},  // Chinese
    {kLatin2CodePage, 17},  // Czech
    {kLatin2CodePage, 16},  // Slovak
}};

const char* iconvName(int codePage) {
    switch (codePage == kSystemCodePage ? kSystemAnsiCodePage : codePage) {
    case 1250:
        return "CP1250";
    case 1251:
        return "CP1251";
    case 1252:
        return "CP1252";
    case 28591:
        return "ISO-8859-1";
    case 28592:
        return "ISO-8859-2";
    case 936:
        return "CP936";
    default:
        return nullptr;
    }
}

enum class OnBadInput { Replace, Refuse };

std::optional<std::string> convert(const char* to, const char* from, std::string_view in, OnBadInput bad) {
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1)) return std::nullopt;
    std::string out;
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[kConvertChunk];
    bool ok = true;
    while (ok) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        const size_t r =
            srcLeft ? iconv(cd, &src, &srcLeft, &dst, &dstLeft) : iconv(cd, nullptr, nullptr, &dst, &dstLeft);
        const int error = errno;
        out.append(buffer, size_t(dst - buffer));
        if (r != size_t(-1)) {
            if (srcLeft == 0) break;
            continue;
        }
        if (error == E2BIG) continue;
        if (bad == OnBadInput::Refuse) {
            ok = false;
        } else {
            out += kReplacementCharacter;
            ++src;
            --srcLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    if (!ok) return std::nullopt;
    return out;
}

QString folderOf(const char* path) {
    const QString p = QString::fromUtf8(path);
    return p.left(p.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

CCodePage::CCodePage(const QString& configPath) {
    Settle(CProfile::CTextFile::GetConfigInt(configPath, QStringLiteral("Setting"), QStringLiteral("Language"), 0));
}

CCodePage::~CCodePage() = default;

CCodePage::Choice CCodePage::ForLanguage(int language) {
    if (language < 0 || size_t(language) >= kLanguageTable.size()) return {kLatin1CodePage, kEnglishLibrary};
    return kLanguageTable[size_t(language)];
}

void CCodePage::Settle(int language) {
    std::lock_guard<std::mutex> lock(g_settleMutex);
    const Choice c = ForLanguage(language);
    g_codePage = c.codePage;
    g_libraryIndex = c.libraryIndex;
    g_settled = true;
}

bool CCodePage::IsSettled() {
    return g_settled;
}

namespace {
void settleOnFirstUse() {
    if (g_settled) return;
    const int language = CProfile::CTextFile::GetConfigInt(GetModuleFolder() + QString::fromLatin1(kConfigFileName),
                                                           QStringLiteral("Setting"), QStringLiteral("Language"), 0);
    std::lock_guard<std::mutex> lock(g_settleMutex);
    if (g_settled) return;
    const CCodePage::Choice c = CCodePage::ForLanguage(language);
    g_codePage = c.codePage;
    g_libraryIndex = c.libraryIndex;
    g_settled = true;
}
} // namespace

int CCodePage::InterfaceCodePage() {
    settleOnFirstUse();
    return g_codePage;
}

int CCodePage::TextLibraryIndex() {
    settleOnFirstUse();
    return g_libraryIndex;
}

std::optional<std::string> CodePageToUtf8(int codePage, std::string_view bytes) {
    const char* name = iconvName(codePage);
    if (!name) return std::nullopt;
    const size_t end = bytes.find('\0');
    if (end != std::string_view::npos) bytes = bytes.substr(0, end);
    return convert("UTF-8", name, bytes, OnBadInput::Replace);
}

std::optional<std::string> Utf8ToCodePage(int codePage, std::string_view utf8) {
    const char* name = iconvName(codePage);
    if (!name) return std::nullopt;
    return convert(name, "UTF-8", utf8, OnBadInput::Refuse);
}

QString InterfaceTextToWide(const std::string& narrow) {
    return QString::fromStdString(CodePageToUtf8(CCodePage::InterfaceCodePage(), narrow).value_or(std::string()));
}

QString DtcLineToWide(const std::string& narrow) {
    int codePage = CCodePage::InterfaceCodePage();
    if (codePage == kLatin1CodePage) codePage = kSystemAnsiCodePage;
    return QString::fromStdString(CodePageToUtf8(codePage, narrow).value_or(std::string()));
}

std::string WideToNarrow(const QString& wide) {
    return wide.toStdString();
}

QString NarrowToWide(const std::string& narrow) {
    return QString::fromStdString(narrow);
}

QString GetExeFolder() {
    static const QString folder = [] {
        char path[PATH_MAX];
        const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
        if (n <= 0) return QStringLiteral("./");
        path[n] = '\0';
        return folderOf(path);
    }();
    return folder;
}

QString GetModuleFolder() {
    static const QString folder = [] {
        Dl_info info{};
        if (!::dladdr(reinterpret_cast<void*>(&GetModuleFolder), &info) || !info.dli_fname) return GetExeFolder();
        char* resolved = ::realpath(info.dli_fname, nullptr);
        if (!resolved) return GetExeFolder();
        const QString f = folderOf(resolved);
        std::free(resolved);
        return f;
    }();
    return folder;
}
