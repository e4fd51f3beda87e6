#include "Profile.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using CProfile::CTextFile;

namespace {

const QString kSetting = QStringLiteral("Setting");
const QString kLanguage = QStringLiteral("Language");

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        CTextFile::SetMessageHandler([this](const QString& m) { messages.push_back(m.toStdString()); });
    }
    void TearDown() override { CTextFile::SetMessageHandler(nullptr); }

    QString cfg(const std::string& content) { return QString::fromStdString(dir.write("pluvo.cfg", content)); }
    std::string bytes(const QString& path) {
        const auto b = readFileBytes(path.toStdString());
        return std::string(b.begin(), b.end());
    }
    QString get(const QString& path, const char* section, const char* key, const char* def = "default") {
        return CTextFile::GetConfigString(path, QString::fromLatin1(section), QString::fromLatin1(key),
                                          QString::fromLatin1(def));
    }
    bool set(const QString& path, const char* section, const char* key, const QString& value) {
        return CTextFile::SetConfigString(path, QString::fromLatin1(section), QString::fromLatin1(key), value);
    }

    TempDir dir;
    std::vector<std::string> messages;
};

TEST_F(ProfileTest, ReadsEntriesOfTheirOwnSectionOnly) {
    const QString p =
        cfg("Language = 9\r\n[Setting]\r\nLanguage = 3 // German\r\nSkin=5\r\n[DTC]\r\nHistoryNum = 2\r\n");
    EXPECT_EQ(CTextFile::GetConfigInt(p, kSetting, kLanguage, 0), 3);
    EXPECT_EQ(get(p, "Setting", "Language"), "3");
    EXPECT_EQ(get(p, "Setting", "Skin"), "5");
    EXPECT_EQ(get(p, "Setting", "HistoryNum"), "default"); // the next header ends the section
    EXPECT_EQ(get(p, "DTC", "HistoryNum"), "2");
    EXPECT_EQ(get(p, "Update", "QM64"), "default");
    EXPECT_EQ(get(QString::fromStdString(dir.file("missing.cfg")), "Setting", "Language"), "default");
}

TEST_F(ProfileTest, SectionAndKeyNamesMustMatchExactly) {
    EXPECT_EQ(get(cfg("[ Setting ]\r\nLanguage = 3\r\n"), "Setting", "Language"), "default");
    EXPECT_EQ(get(cfg("[setting]\r\nLanguage = 3\r\n"), "Setting", "Language"), "default");
    EXPECT_EQ(get(cfg("[Setting]\r\nlanguage = 3\r\n"), "Setting", "Language"), "default");
    EXPECT_EQ(get(cfg("// [Setting]\r\nLanguage = 3\r\n"), "Setting", "Language"), "default");
    EXPECT_EQ(get(cfg("[Setting]\r\n// Language = 3\r\nLanguage = 4\r\n"), "Setting", "Language"), "4");
    EXPECT_EQ(get(cfg("  [Setting]  // main\r\n  Language=3\r\n"), "Setting", "Language"), "3");
}

TEST_F(ProfileTest, KeysContainedInOtherKeysAreToldApart) {
    const QString numberedFirst = cfg("[DTC]\r\nHistoryNum01 = P0100\r\nHistoryNum02 = P0300\r\nHistoryNum = 2\r\n");
    EXPECT_EQ(get(numberedFirst, "DTC", "HistoryNum"), "2");
    EXPECT_EQ(get(numberedFirst, "DTC", "HistoryNum02"), "P0300");
    EXPECT_EQ(get(numberedFirst, "DTC", "HistoryNum0"), "default");

    const QString update = cfg("[Update]\r\nQM64 = V1.20\r\n");
    ASSERT_TRUE(set(update, "Update", "QM6", QStringLiteral("V2.00")));
    EXPECT_EQ(bytes(update), "[Update]\r\nQM64 = V1.20\r\nQM6 = V2.00\r\n");
    EXPECT_EQ(get(update, "Update", "QM6"), "V2.00");
    EXPECT_EQ(get(update, "Update", "QM64"), "V1.20");
}

TEST_F(ProfileTest, EmptyValueReadsAsEmptyAndZero) {
    const QString p = cfg("[Setting]\r\nLanguage =\r\nSkin = // none\r\n");
    EXPECT_EQ(get(p, "Setting", "Language"), "");
    EXPECT_EQ(CTextFile::GetConfigInt(p, kSetting, kLanguage, 7), 0);
    EXPECT_EQ(get(p, "Setting", "Skin"), "");
}

TEST_F(ProfileTest, IntegersParseLikeAtoi) {
    const QString p = cfg("[S]\r\na = -12abc\r\nb = abc\r\nc = +7\r\nd = 99999999999\r\ne = -99999999999\r\n");
    auto i = [&](const char* key) {
        return CTextFile::GetConfigInt(p, QStringLiteral("S"), QString::fromLatin1(key), 5);
    };
    EXPECT_EQ(i("a"), -12);
    EXPECT_EQ(i("b"), 0);
    EXPECT_EQ(i("c"), 7);
    EXPECT_EQ(i("d"), INT_MAX);
    EXPECT_EQ(i("e"), INT_MIN);
    EXPECT_EQ(i("missing"), 5);
}

TEST_F(ProfileTest, CrOnlyAndLfOnlyFilesRead) {
    for (const char* end : {"\r", "\n"}) {
        const std::string e = end;
        const QString p = cfg("[Setting]" + e + "Skin = 1" + e + "Language = 8" + e + "[DTC]" + e + "HistoryNum = 1");
        EXPECT_EQ(CTextFile::GetConfigInt(p, kSetting, kLanguage, 0), 8);
        EXPECT_EQ(get(p, "DTC", "HistoryNum"), "1");
    }
}

TEST_F(ProfileTest, ReplacingAValueKeepsEveryOtherByte) {
    const std::string rest = "Skin = 5\r\n\r\n[DTC]\r\nHistoryNum = 0\r\n";
    const QString p = cfg("[Setting]\r\nLanguage = 10\r\n" + rest);
    const size_t before = bytes(p).size();
    ASSERT_TRUE(CTextFile::SetConfigInt(p, kSetting, kLanguage, 4));
    EXPECT_EQ(bytes(p), "[Setting]\r\nLanguage = 4\r\n" + rest);
    EXPECT_EQ(bytes(p).size(), before - 1);

    const QString commented = cfg("[Setting]\nLanguage=3 // German\nSkin = 1\n");
    ASSERT_TRUE(CTextFile::SetConfigInt(commented, kSetting, kLanguage, 10));
    EXPECT_EQ(bytes(commented), "[Setting]\nLanguage= 10\r\nSkin = 1\n");
    EXPECT_EQ(dir.list(), std::vector<std::string>{"pluvo.cfg"}); // no temporary file left behind
}

TEST_F(ProfileTest, NewEntriesGoToTheEndOfTheirSection) {
    const QString p = cfg("[Setting]\r\nLanguage = 0\r\n\r\n[DTC]\r\nHistoryNum = 0\r\n");
    ASSERT_TRUE(set(p, "Setting", "Skin", QStringLiteral("5")));
    EXPECT_EQ(bytes(p), "[Setting]\r\nLanguage = 0\r\n\r\nSkin = 5\r\n[DTC]\r\nHistoryNum = 0\r\n");
    ASSERT_TRUE(set(p, "DTC", "HistoryNum01", QStringLiteral("P0300")));
    EXPECT_EQ(bytes(p),
              "[Setting]\r\nLanguage = 0\r\n\r\nSkin = 5\r\n[DTC]\r\nHistoryNum = 0\r\nHistoryNum01 = P0300\r\n");
    ASSERT_TRUE(set(p, "DTC", "HistoryNum", QStringLiteral("1")));
    EXPECT_EQ(get(p, "DTC", "HistoryNum01"), "P0300");
    EXPECT_EQ(get(p, "DTC", "HistoryNum"), "1");
}

TEST_F(ProfileTest, MissingSectionIsAppended) {
    const std::string old = "[Setting]\r\nLanguage = 0\r\n";
    const QString p = cfg(old);
    ASSERT_TRUE(set(p, "Update", "QM64", QStringLiteral("V1.20")));
    EXPECT_EQ(bytes(p), old + "\r\n[Update]\r\nQM64 = V1.20\r\n");

    const QString unterminated = cfg("[Update]\r\nQM64 = V1.20");
    ASSERT_TRUE(set(unterminated, "Update", "QM65", QStringLiteral("V1.30")));
    EXPECT_EQ(bytes(unterminated), "[Update]\r\nQM64 = V1.20\r\nQM65 = V1.30\r\n");
}

TEST_F(ProfileTest, ValuesThatWouldNotReadBackAreRefused) {
    const std::string old = "[Update]\r\nQM64 = V1.20\r\n";
    const QString p = cfg(old);
    for (const QString& bad : {QStringLiteral("V1\r\n[Setting]"), QStringLiteral("V1\n"), QStringLiteral("a\rb"),
                               QStringLiteral("[beta]"), QStringLiteral("V1 // x")}) {
        EXPECT_FALSE(set(p, "Update", "QM64", bad)) << bad.toStdString();
    }
    EXPECT_FALSE(set(p, "Update", "QM=64", QStringLiteral("V1")));
    EXPECT_FALSE(set(p, "Update", "", QStringLiteral("V1")));
    EXPECT_FALSE(set(p, "Up]date", "QM64", QStringLiteral("V1")));
    EXPECT_EQ(bytes(p), old);
    EXPECT_EQ(messages.size(), 8u);
    EXPECT_TRUE(set(p, "Update", "QM64", QStringLiteral("V1 = beta ]")));
    EXPECT_EQ(get(p, "Update", "QM64"), "V1 = beta ]");
}

TEST_F(ProfileTest, WritingKeepsPermissionsAndFollowsLinks) {
    const QString p = cfg("[Setting]\r\nLanguage = 0\r\n");
    ASSERT_EQ(chmod(p.toUtf8().constData(), 0640), 0);
    const std::string link = dir.file("link.cfg");
    ASSERT_EQ(symlink(p.toUtf8().constData(), link.c_str()), 0);
    ASSERT_TRUE(CTextFile::SetConfigInt(QString::fromStdString(link), kSetting, kLanguage, 2));
    struct stat st {};
    ASSERT_EQ(lstat(p.toUtf8().constData(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(bytes(p), "[Setting]\r\nLanguage = 2\r\n");
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"link.cfg", "pluvo.cfg"}));
}

TEST_F(ProfileTest, MissingFileIsNotCreated) {
    const QString p = QString::fromStdString(dir.file("pluvo.cfg"));
    EXPECT_FALSE(CTextFile::SetConfigInt(p, kSetting, kLanguage, 3));
    EXPECT_FALSE(fileExists(p.toStdString()));
    EXPECT_EQ(messages, std::vector<std::string>{"Write error"});
}

TEST_F(ProfileTest, FailedWriteLeavesTheOldFile) {
    // A file-size limit stops the temporary file half-way, as a full disk would (and root is not exempt).
    const std::string old = "[Setting]\r\nLanguage = 0\r\n// " + std::string(3000, 'x') + "\r\n";
    const QString p = cfg(old);
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = CTextFile::SetConfigInt(p, kSetting, kLanguage, 3);
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_FALSE(written);
    EXPECT_EQ(bytes(p), old);
    EXPECT_EQ(messages, std::vector<std::string>{"Write Error"});
    EXPECT_EQ(dir.list(), std::vector<std::string>{"pluvo.cfg"});
}

TEST_F(ProfileTest, ShippedFileHoldsTheDefaults) {
    const QString p = QStringLiteral(PLUVO_DIST_DIR "/pluvo.cfg");
    EXPECT_EQ(CTextFile::GetConfigInt(p, kSetting, kLanguage, -1), 0);
    EXPECT_EQ(CTextFile::GetConfigInt(p, kSetting, QStringLiteral("AutoUpdate"), -1), 1);
    EXPECT_EQ(CTextFile::GetConfigInt(p, QStringLiteral("DTC"), QStringLiteral("HistoryNum"), -1), 0);
    const std::string content = bytes(p);
    EXPECT_NE(content.find("\r\n[Update]\r\n"), std::string::npos);
    for (size_t i = 0; i < content.size(); ++i) {
        if (content[i] == '\n') {
            EXPECT_TRUE(i > 0 && content[i - 1] == '\r') << "line end at " << i;
        } else if (content[i] == '\r') {
            EXPECT_TRUE(i + 1 < content.size() && content[i + 1] == '\n') << "line end at " << i;
        }
    }
}

// The shipped file goes through every kind of write pluvo makes; its download address, which this reader cuts at
// the "//" of "http://", must come through byte for byte.
TEST_F(ProfileTest, ShippedFileKeepsItsDownloadLinkThroughWrites) {
    const std::string shipped = bytes(QStringLiteral(PLUVO_DIST_DIR "/pluvo.cfg"));
    const std::string link = "DownloadLink = http://";
    const size_t linkAt = shipped.find("\r\n" + link);
    ASSERT_NE(linkAt, std::string::npos);
    const std::string linkLine = shipped.substr(linkAt, shipped.find('\n', linkAt + 2) - linkAt + 1);
    const QString p = cfg(shipped);
    EXPECT_EQ(get(p, "Setting", "DownloadLink"), "http:");

    ASSERT_TRUE(CTextFile::SetConfigInt(p, kSetting, kLanguage, 3));
    ASSERT_TRUE(CTextFile::SetConfigInt(p, QStringLiteral("DTC"), QStringLiteral("HistoryNum"), 1));
    ASSERT_TRUE(set(p, "DTC", "HistoryNum01", QStringLiteral("P0300")));
    ASSERT_TRUE(set(p, "Update", "QM64", QStringLiteral("V1.20")));
    ASSERT_TRUE(set(p, "Setting", "Skin", QStringLiteral("2")));
    const std::string now = bytes(p);
    EXPECT_NE(now.find(linkLine), std::string::npos) << now;
    EXPECT_EQ(CTextFile::GetConfigInt(p, kSetting, kLanguage, -1), 3);
    EXPECT_EQ(get(p, "DTC", "HistoryNum01"), "P0300");
    EXPECT_EQ(get(p, "Update", "QM64"), "V1.20");
    EXPECT_EQ(get(p, "Setting", "Skin"), "2");
    EXPECT_TRUE(messages.empty());
}

} // namespace
