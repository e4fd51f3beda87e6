#include "CodePage.h"
#include "TextIds.h"
#include "TextLibrary.h"

#include "LibraryFixture.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <iterator>
#include <sys/stat.h>
#include <thread>

namespace {

CBinary id(const std::string& hex) {
    return CBinary::FromHex(hex);
}

// The exported functions read the library of the settled language from the default folder: a temporary one here.
class TextLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        CDataSheet::SetDefaultFolder(dir.path());
        pluvo::ResetTextLibrary();
        CCodePage::Settle(0);
    }
    void TearDown() override {
        CDataSheet::SetDefaultFolder(PLUVO_DIST_DIR "/language/");
        pluvo::ResetTextLibrary();
    }
    std::string install(const std::vector<uint8_t>& bytes, const std::string& name = "en_text.cbf") {
        return dir.write(name, bytes);
    }

    TempDir dir;
};

TEST_F(TextLibraryTest, OpensTheLibraryOfTheSettledLanguage) {
    install(numberedLibrary(2, false, " en"));
    install(numberedLibrary(2, true, " de"), "de_TEXT.cbf");
    CDataSheet sheet;
    CCodePage::Settle(3);
    ASSERT_TRUE(pluvo::OpenTextLibrary(sheet));
    EXPECT_EQ(sheet.ReadText(id(numberedId(1))), numberedText(1) + " de");
    CCodePage::Settle(99);
    ASSERT_TRUE(pluvo::OpenTextLibrary(sheet));
    EXPECT_EQ(sheet.ReadText(id(numberedId(1))), numberedText(1) + " en");
    CCodePage::Settle(10);
    EXPECT_FALSE(pluvo::OpenTextLibrary(sheet));
}

TEST_F(TextLibraryTest, TheTwentySecondIdPushesTheFirstOutOfTheCache) {
    install(numberedLibrary(30, false, " old"));
    for (int n = 0; n < 21; ++n)
        ASSERT_EQ(pluvo::adsGetStdText(id(numberedId(n))), numberedText(n) + " old");
    install(numberedLibrary(30, false, " new"));
    EXPECT_EQ(pluvo::adsGetStdText(id(numberedId(0))), numberedText(0) + " old"); // still cached
    EXPECT_EQ(pluvo::adsGetStdText(id(numberedId(21))), numberedText(21) + " new");
    EXPECT_EQ(pluvo::adsGetStdText(id(numberedId(0))), numberedText(0) + " new"); // the file was read again
    EXPECT_EQ(pluvo::adsGetStdText(id(numberedId(2))), numberedText(2) + " old");
}

TEST_F(TextLibraryTest, AbsentIdsAreCachedButAMissingLibraryIsNot) {
    EXPECT_EQ(pluvo::adsGetStdText(id(numberedId(1))), "");
    install(numberedLibrary(1, false));
    EXPECT_EQ(pluvo::adsGetStdText(id(numberedId(0))), numberedText(0));
    EXPECT_EQ(pluvo::adsGetStdText(id(numberedId(1))), "");
    install(numberedLibrary(2, false));
    EXPECT_EQ(pluvo::adsGetStdText(id(numberedId(1))), "");
}

TEST_F(TextLibraryTest, WideTextsUseTheInterfaceCodePage) {
    install(buildLibrary({textRecord("FF000000003A", *Utf8ToCodePage(1251, "Не подключён"))}, true), "ru_text.cbf");
    install(buildLibrary({textRecord("FF000000003A", *Utf8ToCodePage(28592, "Nie je pripojený"))}, false),
            "sk_text.cbf");
    CCodePage::Settle(10);
    EXPECT_EQ(pluvo::adsGetStdText_CString(id("FF000000003A")), QStringLiteral("Не подключён"));
    pluvo::ResetTextLibrary();
    CCodePage::Settle(13);
    EXPECT_EQ(pluvo::adsGetStdText_CString(id("FF000000003A")), QStringLiteral("Nie je pripojený"));
}

TEST_F(TextLibraryTest, EmbeddedIdsAreReplacedByTheirTexts) {
    install(buildLibrary({textRecord("FF0000000001", "a|FF0000000002|b"), textRecord("FF0000000002", "middle"),
                          textRecord("FF0000000003", "x##ff0000000002##y##FF0000000001"),
                          textRecord("FF0000000004", "a|FF00000000ZZ|b|FF0000000009|c"),
                          textRecord("FF0000000005", "|FF0000000002|")},
                         true));
    EXPECT_EQ(pluvo::adsGetTextFromTextLibEx(id("FF0000000001"), "|"), "amiddleb");
    EXPECT_EQ(pluvo::adsGetTextFromTextLibEx(id("FF0000000003"), "##"), "xmiddleya|FF0000000002|b"); // not nested
    EXPECT_EQ(pluvo::adsGetTextFromTextLibEx(id("FF0000000004"), "|"), "abc");
    EXPECT_EQ(pluvo::adsGetTextFromTextLibEx(id("FF0000000005"), "|"), "middle");
    EXPECT_EQ(pluvo::adsGetTextFromTextLibEx(id("FF0000000001"), ""), "a|FF0000000002|b");
    EXPECT_EQ(pluvo::adsGetTextFromTextLibEx(id("FF0000000001"), "#"), "a|FF0000000002|b");
    EXPECT_EQ(pluvo::adsGetTextFromTextLib(id("FF0000000001")), "a|FF0000000002|b");
}

TEST_F(TextLibraryTest, ProgramWideSheetStaysOpenOnceUsed) {
    install(numberedLibrary(3, false));
    EXPECT_EQ(pluvo::adsGetTextFromTextLib(id(numberedId(2))), numberedText(2));
    std::remove(dir.file("en_text.cbf").c_str());
    EXPECT_EQ(pluvo::adsGetTextFromTextLib(id(numberedId(1))), numberedText(1));
    EXPECT_EQ(pluvo::adsGetStdText(id(numberedId(1))), ""); // each cache miss opens the file anew
}

// A library replaced while pluvo runs: rewritten in place (the same inode, another size or time) or renamed over.
TEST_F(TextLibraryTest, ProgramWideSheetReopensALibraryReplacedWhileOpen) {
    const std::string path = install(numberedLibrary(3, false, " old"));
    EXPECT_EQ(pluvo::adsGetTextFromTextLib(id(numberedId(2))), numberedText(2) + " old");
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);

    install(numberedLibrary(5, true, " newer"));
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    ASSERT_EQ(after.st_ino, before.st_ino) << "rewritten in place";
    EXPECT_EQ(pluvo::adsGetTextFromTextLib(id(numberedId(2))), numberedText(2) + " newer");
    EXPECT_EQ(pluvo::adsGetTextFromTextLib(id(numberedId(4))), numberedText(4) + " newer");

    // The same size, only its time differs.
    install(numberedLibrary(5, true, " later"));
    const timespec times[2] = {{0, UTIME_OMIT}, {after.st_mtim.tv_sec + 10, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EXPECT_EQ(pluvo::adsGetTextFromTextLibEx(id(numberedId(1)), "|"), numberedText(1) + " later");

    const std::string replacement = dir.write("next.cbf", numberedLibrary(2, false, " renamed"));
    ASSERT_EQ(std::rename(replacement.c_str(), path.c_str()), 0);
    EXPECT_EQ(pluvo::adsGetTextFromTextLib(id(numberedId(1))), numberedText(1) + " renamed");
    EXPECT_EQ(pluvo::adsGetTextFromTextLib(id(numberedId(4))), "");
}

// Usable means a text reads back: a sound header and index over damaged records are not enough.
TEST_F(TextLibraryTest, ALibraryIsUsableOnlyWhenItsTitleReadsBack) {
    std::vector<mktextlib::Record> records{textRecord("FF0000000000", "pluvo"), textRecord("FF000000003A", "absent")};
    install(buildLibrary(records, false), "de_text.cbf");
    CDataSheet sheet;
    EXPECT_TRUE(pluvo::OpenUsableLibrary(sheet, "de_text.cbf"));
    EXPECT_TRUE(sheet.IsOpen());

    // Every record's field count zeroed: the index still finds them, and each reads back empty.
    std::vector<uint8_t> damaged = buildLibrary(records, false);
    const size_t indexEnd = 20 + records.size() * (6 + 4);
    std::fill(damaged.begin() + long(indexEnd), damaged.end(), 0);
    install(damaged, "de_text.cbf");
    ASSERT_TRUE(sheet.Open("de_text.cbf")) << "the header and index are sound";
    EXPECT_FALSE(pluvo::OpenUsableLibrary(sheet, "de_text.cbf"));
    EXPECT_FALSE(sheet.IsOpen());

    // A library without the title is no library of pluvo's either.
    install(buildLibrary({textRecord("FF000000003A", "absent")}, true), "de_text.cbf");
    EXPECT_FALSE(pluvo::OpenUsableLibrary(sheet, "de_text.cbf"));
}

TEST_F(TextLibraryTest, InterfaceAndWorkerThreadsShareTheCache) {
    install(numberedLibrary(40, true));
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&wrong, t] {
            for (int i = 0; i < 400; ++i) {
                const int n = (i * 7 + t) % 40;
                if (pluvo::adsGetStdText(id(numberedId(n))) != numberedText(n)) ++wrong;
                if (i % 5 == 0 && pluvo::adsGetTextFromTextLib(id(numberedId(n))) != numberedText(n)) ++wrong;
            }
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(wrong, 0);
}

// Every id pluvo's screens use has a text in every language pluvo honours, those pluvo.cfg may hold without the
// settings page offering them (11 to 13) included: a missing library stops pluvo with "Language error".
TEST(ShippedTexts, EveryLanguageHoldsEveryTextId) {
    const struct {
        const char* code;
        int language;
    } languages[] = {{"en", 0}, {"fr", 1}, {"es", 2}, {"de", 3},  {"sk", 4},  {"pt", 5},  {"se", 6},
                     {"it", 7}, {"cz", 8}, {"hu", 9}, {"ru", 10}, {"cn", 11}, {"cz", 12}, {"sk", 13}};
    for (const auto& l : languages) {
        EXPECT_EQ(std::string(pluvo::LibraryCode(CCodePage::ForLanguage(l.language).libraryIndex)), l.code)
            << l.language;
        CDataSheet sheet;
        sheet.SetFolder(PLUVO_DIST_DIR "/language");
        ASSERT_TRUE(sheet.Open(std::string(l.code) + "_text.cbf")) << l.code;
        EXPECT_EQ(sheet.GetRecordCount(), std::size(textid::kAll)) << l.code;
        const int codePage = CCodePage::ForLanguage(l.language).codePage;
        for (const TextId& t : textid::kAll) {
            const std::string text = sheet.ReadText(MakeTextId(t));
            EXPECT_FALSE(text.empty()) << l.code << " " << MakeTextId(t).ToHex();
            const auto utf8 = CodePageToUtf8(codePage, text);
            ASSERT_TRUE(utf8);
            EXPECT_EQ(utf8->find("\xEF\xBF\xBD"), std::string::npos) << l.code << " " << MakeTextId(t).ToHex();
        }
    }
}

TEST(ShippedTexts, ChineseTextsAreInCodePage936) {
    CCodePage::Settle(11);
    EXPECT_EQ(pluvo::adsGetStdText_CString(MakeTextId(textid::kApply)), QString::fromUtf8("应用"));
    EXPECT_EQ(pluvo::adsGetStdText(MakeTextId(textid::kDevicePresent)), *Utf8ToCodePage(936, "诊断仪已连接"));
}

TEST(ShippedTexts, ExportedFunctionsReadPluvosOwnFolder) {
    CCodePage::Settle(4);
    EXPECT_EQ(pluvo::adsGetStdText_CString(MakeTextId(textid::kDeviceAbsent)),
              QStringLiteral("Diagnostický prístroj nie je pripojený"));
    EXPECT_EQ(pluvo::adsGetStdText(MakeTextId(textid::kDialogTitle)), "pluvo");
}

} // namespace
