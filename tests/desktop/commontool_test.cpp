#include "KorvoUpdateCommonTool.h"
#include "LanguageBundle.h"
#include "TempDir.h"
#include "UserDefaults.h"
#include "desktoptest.h"
#include "mainbundle.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class LanguageChoice : public ::testing::Test {
protected:
    void SetUp() override {
        desktoptest::clearDefaults();
        for (const char* code : {"en", "pt", "zh-Hans", "zh-HK", "fi", "de", "sv"})
            addBundle(code);
        mainbundle::setResourcePath(QString::fromStdString(resources.path()));
    }
    // The bundle chosen here lies in a folder that goes with the test.
    void TearDown() override {
        mainbundle::setResourcePath(desktoptest::resourcesDir());
        desktoptest::useEnglish();
    }
    void addBundle(const std::string& code) {
        QDir().mkpath(QString::fromStdString(resources.file(code + ".lproj")));
        resources.write(code + ".lproj/Localizable.strings", "\"Main1\" = \"" + code + "\";\n");
    }
    static void prefer(const QString& tag) {
        UserDefaults::standardUserDefaults().setObject(QStringList{tag}, kAppleLanguagesKey);
    }
    static QString chosen() {
        KorvoUpdateCommonTool::sharedTool().initBaseBundle();
        return KorvoUpdateCommonTool::sharedTool().userLanguage();
    }
    TempDir resources;
};

TEST_F(LanguageChoice, PreferredLanguageResolvesToASupportedCodeAndIsSaved) {
    const std::pair<const char*, const char*> cases[] = {
        {"en-GB", "en"}, {"pt-BR", "pt"}, {"zh-Hans-CN", "zh-Hans"}, {"zh-Hant-TW", "zh-HK"}, {"zh", "zh-HK"},
        {"fil", "fi"},   {"nl", "en"},    {"sv-SE", "sv"},           {"ja-JP", "en"}, // supported code, but no bundle
                                                                                      // shipped for it
    };
    for (const auto& [tag, expected] : cases) {
        desktoptest::clearDefaults();
        prefer(tag);
        EXPECT_EQ(chosen(), expected) << tag;
        auto bundle = KorvoUpdateCommonTool::sharedTool().getCurrentLanguageBundle();
        ASSERT_TRUE(bundle) << tag;
        EXPECT_EQ(QFileInfo(bundle->bundlePath()).fileName(), QString(expected) + ".lproj") << tag;
        EXPECT_EQ(bundle->localizedString("Main1"), QString(expected)) << tag;
    }
}

TEST_F(LanguageChoice, UnsupportedLanguageWithItsOwnBundleIsUsed) {
    addBundle("nl");
    prefer("nl");
    EXPECT_EQ(chosen(), "nl");
}

TEST_F(LanguageChoice, SavedChoiceWinsOverThePreferredLanguage) {
    prefer("pt-BR");
    UserDefaults::standardUserDefaults().setObject("de", kUserLanguageKey);
    EXPECT_EQ(chosen(), "de");
    EXPECT_EQ(localizedText("Main1"), "de");
}

TEST_F(LanguageChoice, PreferredLanguageComesFromTheLocaleWhenTheDefaultsHaveNone) {
    qputenv("LC_ALL", "zh_TW.UTF-8");
    EXPECT_EQ(KorvoUpdateCommonTool::preferredLanguages(), QStringList{"zh-Hant-TW"});
    EXPECT_EQ(chosen(), "zh-HK");
    desktoptest::clearDefaults();
    qputenv("LC_ALL", "C");
    EXPECT_EQ(chosen(), "en");
    qunsetenv("LC_ALL");
}

TEST(LocaleTag, PosixLocalesBecomeLanguageTags) {
    EXPECT_EQ(KorvoUpdateCommonTool::languageTagFromLocale("zh_CN.UTF-8"), "zh-Hans-CN");
    EXPECT_EQ(KorvoUpdateCommonTool::languageTagFromLocale("zh_TW"), "zh-Hant-TW");
    EXPECT_EQ(KorvoUpdateCommonTool::languageTagFromLocale("zh_HK.UTF-8"), "zh-Hant-HK");
    EXPECT_EQ(KorvoUpdateCommonTool::languageTagFromLocale("en_GB.UTF-8"), "en-GB");
    EXPECT_EQ(KorvoUpdateCommonTool::languageTagFromLocale("sr_RS@latin"), "sr-RS");
    EXPECT_EQ(KorvoUpdateCommonTool::languageTagFromLocale("fil"), "fil");
    EXPECT_EQ(KorvoUpdateCommonTool::languageTagFromLocale("C"), "en");
    EXPECT_EQ(KorvoUpdateCommonTool::languageTagFromLocale("POSIX"), "en");
    EXPECT_EQ(KorvoUpdateCommonTool::languageTagFromLocale("C.UTF-8"), "en");
}

TEST_F(LanguageChoice, FileLanguageCode) {
    auto& tool = KorvoUpdateCommonTool::sharedTool();
    const std::pair<const char*, const char*> cases[] = {
        {"sv", "se"}, {"zh-Hans", "cn"}, {"zh-HK", "zh-HK"}, {"ja", "ja"}, {"en", "en"}};
    for (const auto& [stored, file] : cases) {
        UserDefaults::standardUserDefaults().setObject(stored, kUserLanguageKey);
        EXPECT_EQ(tool.getUserLanguage(), file) << stored;
    }
}

TEST_F(LanguageChoice, SwitchingToTheCurrentCodeChangesNothing) {
    auto& tool = KorvoUpdateCommonTool::sharedTool();
    UserDefaults::standardUserDefaults().setObject("de", kUserLanguageKey);
    tool.initBaseBundle();
    const auto before = tool.getCurrentLanguageBundle();
    tool.setUserlanguage("de");
    EXPECT_EQ(tool.getCurrentLanguageBundle(), before);

    tool.setUserlanguage("pt");
    EXPECT_EQ(tool.userLanguage(), "pt");
    EXPECT_EQ(localizedText("Main1"), "pt");
}

TEST_F(LanguageChoice, SwitchingToACodeWithoutBundleFallsBackToEnglishOnTheNextText) {
    auto& tool = KorvoUpdateCommonTool::sharedTool();
    tool.setUserlanguage("ko");
    EXPECT_EQ(tool.userLanguage(), "ko");
    EXPECT_EQ(localizedText("Main1"), "en");
    EXPECT_EQ(tool.userLanguage(), "en");
}

TEST_F(LanguageChoice, DtcHistoryKeepsFirstAdditionOrderWithoutDuplicates) {
    auto& tool = KorvoUpdateCommonTool::sharedTool();
    EXPECT_TRUE(tool.getSearchDtcData().isEmpty());
    tool.addSearchDtcData("P0301");
    tool.addSearchDtcData("U0100");
    tool.addSearchDtcData("P0301");
    tool.addSearchDtcData("p0301");
    EXPECT_EQ(tool.getSearchDtcData(), (QStringList{"P0301", "U0100", "p0301"}));
}

TEST(LanguageBundle, MissingKeyShowsTheKeyAndTablesParseEscapesAndComments) {
    QHash<QString, QString> table;
    int line = 0;
    ASSERT_TRUE(LanguageBundle::parseStrings("/* block\n comment */\n// line\n\"a\" = \"x \\\"y\\\"\\n\\u00e9\";\n"
                                             "\"b\"=\"\";",
                                             table, &line));
    EXPECT_EQ(table.value("a"), QString("x \"y\"\n") + QChar(0xE9));
    EXPECT_TRUE(table.contains("b"));

    table.clear();
    EXPECT_FALSE(LanguageBundle::parseStrings("\"a\" = \"1\";\n\"b\" = \"2\"\n\"c\" = \"3\";", table, &line));
    EXPECT_EQ(table.value("a"), "1");
    EXPECT_EQ(line, 3);

    // A \u escape takes exactly four hexadecimal digits: a sign, a blank, a line break or "0x" among them is a
    // malformed table, reported at its line, not a character.
    for (const char* bad : {"\"a\" = \"\\u0x41\";", "\"a\" = \"\\u 41A\";", "\"a\" = \"\\u+41A\";",
                            "\"a\" = \"\\u41A \";", "\"a\" = \"\\u\n41A\";"}) {
        table.clear();
        line = 0;
        EXPECT_FALSE(LanguageBundle::parseStrings(QString("\"z\" = \"1\";\n") + bad, table, &line)) << bad;
        EXPECT_EQ(line, 2) << bad;
        EXPECT_EQ(table.value("z"), "1");
    }

    TempDir dir;
    dir.write("Localizable.strings", std::string("\"Main1\" = \"Update\";"));
    auto bundle = LanguageBundle::bundleWithPath(QString::fromStdString(dir.path()));
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle->localizedString("Main1"), "Update");
    EXPECT_EQ(bundle->localizedString("Nope"), "Nope");
    EXPECT_EQ(bundle->localizedString("Nope", "fallback"), "fallback");
    EXPECT_FALSE(LanguageBundle::bundleWithPath(QString::fromStdString(dir.file("none"))));
}

// A strings file is read to its end: NUL bytes between entries or inside a text do not cut it short, and a
// UTF-16 file with its byte-order mark reads as well as a UTF-8 one.
TEST(LanguageBundle, TheWholeFileIsReadPastNulBytes) {
    TempDir dir;
    dir.write("Localizable.strings", std::string("\"A\" = \"1\";\n\0\0\"B\" = \"x\0y\";\n\"C\" = \"3\";\n", 37));
    auto bundle = LanguageBundle::bundleWithPath(QString::fromStdString(dir.path()));
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle->localizedString("A"), "1");
    EXPECT_EQ(bundle->localizedString("B"), QString("x") + QChar(0) + "y");
    EXPECT_EQ(bundle->localizedString("C"), "3");

    TempDir utf16;
    const QString text = QString::fromUtf8("\"Main1\" = \"Обновление\";\n\"Main2\" = \"Отчёты\";\n");
    std::string bytes("\xFF\xFE");
    for (QChar c : text) {
        bytes += char(c.unicode() & 0xFF);
        bytes += char(c.unicode() >> 8);
    }
    utf16.write("Localizable.strings", bytes);
    auto ru = LanguageBundle::bundleWithPath(QString::fromStdString(utf16.path()));
    EXPECT_EQ(ru->localizedString("Main1"), QString::fromUtf8("Обновление"));
    EXPECT_EQ(ru->localizedString("Main2"), QString::fromUtf8("Отчёты"));
}

// Every offered language ships a complete, well-formed table with a text for every key the screens use.
TEST(ShippedBundles, EveryOfferedLanguageHasEveryKey) {
    const QString dir = desktoptest::resourcesDir();
    auto readTable = [&](const QString& code) {
        QFile f(dir + "/" + code + ".lproj/Localizable.strings");
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << code.toStdString();
        QHash<QString, QString> table;
        EXPECT_TRUE(LanguageBundle::parseStrings(QString::fromUtf8(f.readAll()), table)) << code.toStdString();
        return table;
    };
    const QHash<QString, QString> english = readTable("en");
    const QStringList keys = {"App3",        "App4",        "Main1",       "Main2",       "Main3",      "Main4",
                              "Main5",       "Update1",     "Update2",     "Update3",     "Update4",    "Update5",
                              "Update6",     "Update7",     "Update8",     "Update21",    "Update22",   "UpdateHint1",
                              "UpdateHint2", "UpdateHint3", "UpdateHint4", "UpdateHint5", "Print1",     "Print2",
                              "Print3",      "Search1",     "Search2",     "Settings1",   "PortError1", "PortError2",
                              "PortError3",  "Manual1",     "Manual2",     "UpdateHint6", "Alert1"};
    const auto offered = KorvoUpdateCommonTool::appSupportLanguagesNames();
    ASSERT_EQ(offered.size(), 10);
    for (const QString& code : offered) {
        const QHash<QString, QString> table = readTable(code);
        EXPECT_EQ(table.size(), english.size()) << code.toStdString();
        for (const QString& key : keys)
            EXPECT_FALSE(table.value(key).isEmpty()) << code.toStdString() << " " << key.toStdString();
    }
}

// The warning before a flash is stopped (closing the window, another language) ends in a question that OK answers
// with yes; it must not use the Cancel button's word for stopping, or both buttons seem to stop the flash.
TEST(ShippedBundles, TheStopQuestionDoesNotUseTheCancelButtonsWord) {
    for (const QString& code : KorvoUpdateCommonTool::appSupportLanguagesNames()) {
        auto bundle = LanguageBundle::bundleWithPath(desktoptest::resourcesDir() + "/" + code + ".lproj");
        ASSERT_TRUE(bundle) << code.toStdString();
        const QString question = bundle->localizedString("UpdateHint5");
        const QString cancel = bundle->localizedString("Update22");
        EXPECT_FALSE(question.contains(cancel, Qt::CaseInsensitive))
            << code.toStdString() << ": \"" << question.toStdString() << "\" with the button \"" << cancel.toStdString()
            << "\"";
    }
}

} // namespace
