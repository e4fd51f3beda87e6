#include "CodePage.h"
#include "TextLibrary.h"

#include "TempDir.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

std::string libraryOf(int language) {
    return pluvo::LibraryCode(CCodePage::ForLanguage(language).libraryIndex);
}

TEST(CodePage, LanguageNumbersChooseCodePageAndLibrary) {
    const struct {
        int language;
        int codePage;
        const char* library;
    } expected[] = {{0, 0, "en"},      {4, 28592, "sk"},  {10, 1251, "ru"}, {11, 936, "cn"},
                    {13, 28592, "sk"}, {14, 28591, "en"}, {-1, 28591, "en"}};
    for (const auto& e : expected) {
        EXPECT_EQ(CCodePage::ForLanguage(e.language).codePage, e.codePage) << e.language;
        EXPECT_EQ(libraryOf(e.language), e.library) << e.language;
    }
    EXPECT_STREQ(pluvo::LibraryCode(18), "en");
    EXPECT_EQ(pluvo::LibraryFileName(3), "hk_text.cbf");
}

TEST(CodePage, SettlesFromTheConfigurationFile) {
    TempDir dir;
    CCodePage fromFile(QString::fromStdString(dir.write("pluvo.cfg", "[Setting]\r\nLanguage = 13\r\n")));
    EXPECT_EQ(CCodePage::InterfaceCodePage(), 28592);
    EXPECT_EQ(CCodePage::TextLibraryIndex(), 16);

    CCodePage missing(QString::fromStdString(dir.file("none.cfg")));
    EXPECT_EQ(CCodePage::InterfaceCodePage(), 0);
    EXPECT_EQ(CCodePage::TextLibraryIndex(), 0);
}

TEST(CodePage, TextsRoundTripThroughTheirCodePages) {
    const std::string russian = "русский";
    const auto cp1251 = Utf8ToCodePage(1251, russian);
    ASSERT_TRUE(cp1251);
    EXPECT_EQ(*cp1251, "\xF0\xF3\xF1\xF1\xEA\xE8\xE9");
    EXPECT_EQ(CodePageToUtf8(1251, *cp1251), russian);

    const std::string czech = "Čeština";
    const auto latin2 = Utf8ToCodePage(28592, czech);
    ASSERT_TRUE(latin2);
    EXPECT_EQ(*latin2, "\xC8"
                       "e\xB9tina");
    EXPECT_EQ(CodePageToUtf8(28592, *latin2), czech);

    const auto chinese = Utf8ToCodePage(936, "中文");
    ASSERT_TRUE(chinese);
    EXPECT_EQ(chinese->size(), 4u);
    EXPECT_EQ(CodePageToUtf8(936, *chinese), "中文");

    EXPECT_EQ(Utf8ToCodePage(0, "Größe"), std::string("Gr\xF6\xDF"
                                                      "e"));
}

TEST(CodePage, BadInputIsRefusedOrReplaced) {
    EXPECT_FALSE(Utf8ToCodePage(1252, "Čeština"));
    EXPECT_FALSE(Utf8ToCodePage(1251, "\xFF\xFE"));
    EXPECT_FALSE(Utf8ToCodePage(12345, "a"));
    EXPECT_FALSE(CodePageToUtf8(12345, "a"));
    EXPECT_EQ(CodePageToUtf8(1252, "a\x81"
                                   "b"),
              "a\xEF\xBF\xBD"
              "b");                                           // a byte code page 1252 leaves undefined
    EXPECT_EQ(CodePageToUtf8(936, "a\xB0"), "a\xEF\xBF\xBD"); // half a double-byte character
    EXPECT_EQ(CodePageToUtf8(1252, std::string("ab\0cd", 5)), "ab");
}

TEST(CodePage, DtcLinesReadLatin1AsTheSystemCodePage) {
    CCodePage::Settle(5); // Portuguese, code page 28591
    const std::string euro = "\x80";
    EXPECT_EQ(DtcLineToWide(euro), QString(QChar(0x20AC)));
    EXPECT_EQ(InterfaceTextToWide(euro), QString(QChar(0x80)));
    CCodePage::Settle(10);
    EXPECT_EQ(InterfaceTextToWide("\xF0\xF3"), QStringLiteral("ру"));
    EXPECT_EQ(DtcLineToWide("\xF0\xF3"), QStringLiteral("ру"));
}

TEST(CodePage, FoldersEndWithASlash) {
    const QString exe = GetExeFolder();
    EXPECT_TRUE(exe.endsWith(QLatin1Char('/')));
    EXPECT_TRUE(QFileInfo::exists(exe + QStringLiteral("pluvo_tests")));
    EXPECT_EQ(GetModuleFolder(), QStringLiteral(PLUVO_DIST_DIR "/"));
    EXPECT_EQ(NarrowToWide(WideToNarrow(QStringLiteral("/tmp/Čeština/ру"))), QStringLiteral("/tmp/Čeština/ру"));
}

} // namespace
