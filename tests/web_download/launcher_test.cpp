// The installer launcher's rules on what it hands to the opener, and the version number of a version text.
#include "BaseMainTools.h"
#include "KorvoUpdateAppUpdateManager.h"
#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateDownloadModel.h"

#include "Documents.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <cstdlib>
#include <sys/stat.h>

namespace {

class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setDocumentsDirectory(QString::fromStdString(docs.path()));
        QDir().mkpath(update());
        KorvoUpdateAppUpdateManager::sharedManager().setOpener([this](const QString& path) { opened << path; });
    }
    void TearDown() override {
        KorvoUpdateAppUpdateManager::sharedManager().setOpener({});
        platform::setDocumentsDirectory({});
    }
    QString update() const { return QString::fromStdString(docs.path()) + "/Update"; }
    QString put(const QString& name, mode_t mode = 0644) {
        const QString path = update() + "/" + name;
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("installer");
        f.close();
        ::chmod(QFile::encodeName(path).constData(), mode);
        return path;
    }
    TempDir docs, other;
    QStringList opened;
};

TEST_F(LauncherTest, OpensOnlyPlainFilesOfTheDownloadFolderByAbsolutePath) {
    auto& manager = KorvoUpdateAppUpdateManager::sharedManager();
    const QString package = put("Setup_V1.2.pkg");
    manager.openInstallationPackage(package);
    // A path with ".." that still ends inside the folder is handed over in its plain absolute form.
    manager.openInstallationPackage(update() + "/../Update/Setup_V1.2.pkg");
    EXPECT_EQ(opened, (QStringList{QFileInfo(package).canonicalFilePath(), QFileInfo(package).canonicalFilePath()}));
    opened.clear();

    manager.openInstallationPackage(put("evil.desktop"));
    manager.openInstallationPackage(put("Evil.DESKTOP"));
    manager.openInstallationPackage(put("run.sh", 0755));
    manager.openInstallationPackage(put("group.bin", 0654));
    manager.openInstallationPackage(update() + "/missing.pkg");
    manager.openInstallationPackage(update());
    manager.openInstallationPackage(QString());
    // Outside the folder, directly or through a link placed inside it.
    const std::string outside = other.write("outside.pkg", std::string("x"));
    manager.openInstallationPackage(QString::fromStdString(outside));
    QFile::link(QString::fromStdString(outside), update() + "/link.pkg");
    manager.openInstallationPackage(update() + "/link.pkg");
    manager.openInstallationPackage(update() + "/../outside.pkg");
    EXPECT_TRUE(opened.isEmpty()) << opened.join(",").toStdString();
}

TEST_F(LauncherTest, DefaultOpenerRunsXdgOpenWithTheBarePath) {
    // A stand-in xdg-open first on PATH keeps its arguments.
    TempDir bin;
    const std::string log = bin.file("args");
    const std::string fake =
        bin.write("xdg-open", "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" + log + "'\n");
    ::chmod(fake.c_str(), 0755);
    const std::string oldPath = std::getenv("PATH");
    ::setenv("PATH", (bin.path() + ":" + oldPath).c_str(), 1);
    KorvoUpdateAppUpdateManager::sharedManager().setOpener({});
    const QString package = put("name with spaces;$(reboot).pkg");
    KorvoUpdateAppUpdateManager::sharedManager().openInstallationPackage(package);
    ::setenv("PATH", oldPath.c_str(), 1);
    const auto args = readFileBytes(log);
    EXPECT_EQ(std::string(args.begin(), args.end()), QFileInfo(package).canonicalFilePath().toStdString() + "\n");
}

TEST(BaseMainToolsTest, VersionIsTheNumberAfterTheFirstV) {
    EXPECT_FLOAT_EQ(BaseMainTools::getVersion("V2.10"), 2.1f);
    EXPECT_FLOAT_EQ(BaseMainTools::getVersion("3.5"), 3.5f);
    EXPECT_FLOAT_EQ(BaseMainTools::getVersion("abcV1.05 beta"), 1.05f);
    EXPECT_FLOAT_EQ(BaseMainTools::getVersion("V2.1V3"), 2.1f);
    EXPECT_FLOAT_EQ(BaseMainTools::getVersion(" 7.25x"), 7.25f);
    EXPECT_FLOAT_EQ(BaseMainTools::getVersion("v2.5"), 0.f); // lower-case v is not the marker
    EXPECT_FLOAT_EQ(BaseMainTools::getVersion("V"), 0.f);
    EXPECT_FLOAT_EQ(BaseMainTools::getVersion(""), 0.f);
    EXPECT_FLOAT_EQ(BaseMainTools::getVersion("Vnan"), 0.f);
    EXPECT_FLOAT_EQ(BaseMainTools::getVersion("V1e2"), 100.f);
}

} // namespace

namespace {

class AppendRuleTest : public ::testing::Test {
protected:
    void SetUp() override { KorvoUpdateCommonTool::sharedTool().setSaveFilePath(QString::fromStdString(card.path())); }
    void TearDown() override { KorvoUpdateCommonTool::sharedTool().setSaveFilePath({}); }
    // An installed software folder on the card with its version file.
    void install(const std::string& sdPath, const std::string& version) {
        QDir().mkpath(QString::fromStdString(card.file(sdPath)));
        card.write(sdPath + "/VERSION.TXT", version);
    }
    KorvoUpdateDownloadModelPtr record(const QString& version, const QString& filePath = "Ford_APPEND_V2.1.zip",
                                       const QString& sdPath = "Scan/Ford") {
        auto r = KorvoUpdateDownloadModel::create();
        r->setVersion(version);
        r->setFilePath(filePath);
        r->setSdPath(sdPath);
        return r;
    }
    TempDir card;
    const QMap<QString, QString> minimum{{"SCAN/FORD", "2.0"}};
};

TEST_F(AppendRuleTest, AddOnMustFitTheInstalledMajorVersionAndItsMinimum) {
    install("Scan/Ford", "V2.0");
    EXPECT_TRUE(BaseMainTools::isHasAppend(minimum, *record("V2.1")));
    EXPECT_FALSE(BaseMainTools::isHasAppend(minimum, *record("V2.0"))) << "a whole version is no add-on";
    EXPECT_FALSE(BaseMainTools::isHasAppend(minimum, *record("V3.1"))) << "a newer major version";
    EXPECT_FALSE(BaseMainTools::isHasAppend({{"SCAN/FORD", "2.05"}}, *record("V2.1"))) << "below the minimum";
    EXPECT_FALSE(BaseMainTools::isHasAppend(minimum, *record("V2.1", "Ford_V2.1.zip"))) << "no APPEND in the name";
    EXPECT_FALSE(BaseMainTools::isHasAppend(minimum, *record("V2.1", "Ford_append_V2.1.zip"))) << "case-sensitive";
    EXPECT_FALSE(BaseMainTools::isHasAppend({}, *record("V2.1"))) << "no minimum for the card path";
    EXPECT_FALSE(BaseMainTools::isHasAppend(minimum, *record("V2.1", "Ford_APPEND_V2.1.zip", QString())));
    EXPECT_FALSE(BaseMainTools::isHasAppend(minimum, *record("V2.1", "Ford_APPEND_V2.1.zip", "<null>")));
    // An older major version installed still takes the add-on when it meets the minimum.
    install("Scan/Ford", "V3.0");
    EXPECT_TRUE(BaseMainTools::isHasAppend(minimum, *record("V2.1")));
}

TEST_F(AppendRuleTest, NothingInstalledOrAnEmptyVersionIsNoAddOn) {
    EXPECT_FALSE(BaseMainTools::isHasAppend(minimum, *record("V2.1")));
    install("Scan/Ford", "");
    EXPECT_FALSE(BaseMainTools::isHasAppend(minimum, *record("V2.1")));
    // The installed folder is found in another letter case, as the card's path rules allow.
    QDir(QString::fromStdString(card.file("Scan/Ford"))).removeRecursively();
    install("Scan/FORD", "V2.0");
    EXPECT_TRUE(BaseMainTools::isHasAppend(minimum, *record("V2.1")));
}

} // namespace
