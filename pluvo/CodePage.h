// CCodePage settles once, at start, the code page of the interface texts and the text library of the interface
// language (from Language in pluvo.cfg). Beside it: conversions between Windows code pages and Unicode (glibc
// iconv), and the program's folders. The settled values are program-wide and safe to read from any thread.
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

constexpr char kConfigFileName[] = "pluvo.cfg";
constexpr int kSystemCodePage = 0;        // "the system's ANSI code page"
constexpr int kSystemAnsiCodePage = 1252; // what the system ANSI code page is on this platform
constexpr int kLatin1CodePage = 28591;
constexpr int kLatin2CodePage = 28592;
constexpr int kCyrillicCodePage = 1251;
constexpr int kChineseCodePage = 936;
constexpr int kChineseLanguage = 11; // the one double-byte interface language

class CCodePage {
public:
    struct Choice {
        int codePage;     // 0 = system ANSI
        int libraryIndex; // index into the library code table of the text library
    };

    // Reads Language (section Setting, default 0) from the file and settles both program-wide values.
    explicit CCodePage(const QString& configPath = QString::fromLatin1(kConfigFileName));
    virtual ~CCodePage();

    static Choice ForLanguage(int language);
    static void Settle(int language);
    static bool IsSettled();
    // When nothing settled the values yet (a program that loaded the text library by itself), they are settled
    // from pluvo.cfg in the folder the text library was loaded from.
    static int InterfaceCodePage();
    static int TextLibraryIndex();
};

// Code page 0 means kSystemAnsiCodePage. Unknown code pages give nullopt.
// Bytes to UTF-8, cut at the first zero byte; a byte (or pair) the code page does not define becomes U+FFFD.
std::optional<std::string> CodePageToUtf8(int codePage, std::string_view bytes);
// UTF-8 to bytes; nullopt also when the text is not UTF-8 or holds a character the code page lacks.
std::optional<std::string> Utf8ToCodePage(int codePage, std::string_view utf8);

// A library text, in the interface code page, as Unicode.
QString InterfaceTextToWide(const std::string& narrow);
// A line of a DTC table: as InterfaceTextToWide, except that code page 28591 reads as the system ANSI code page.
QString DtcLineToWide(const std::string& narrow);
// Narrow texts that name files, or go to the clipboard and the printer, are UTF-8 on Linux.
std::string WideToNarrow(const QString& wide);
QString NarrowToWide(const std::string& narrow);

// Folder of the running executable, ending with "/"; found once and kept.
QString GetExeFolder();
// Folder of the shared library holding this code, ending with "/"; pluvo's folder, since the library ships beside
// pluvo. Falls back to GetExeFolder().
QString GetModuleFolder();
