#include "Documents.h"
#include "KorvoUpdateCommonTool.h"
#include "TempDir.h"
#include "mainbundle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <thread>

namespace {

KorvoUpdateCommonTool& tool() {
    return KorvoUpdateCommonTool::sharedTool();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

KorvoUpdateDownloadModelPtr record(const QString& sdPath, const QString& version = {}) {
    auto m = KorvoUpdateDownloadModel::create();
    m->setSdPath(sdPath);
    m->setVersion(version);
    return m;
}

TEST(CommonToolVersions, NumbersAndComparisons) {
    struct Case {
        const char* text;
        float number;
    };
    for (const Case& c :
         {Case{"V1.05", 1.05f}, Case{"1.2.3", 1.2f}, Case{"", 0.0f}, Case{"abc", 0.0f}, Case{"V2.10 beta", 2.1f},
          Case{"2.10.3", 2.1f}, Case{"V12\r\n", 12.0f}, Case{"x.5", 5.0f}, Case{"V3.", 3.0f}})
        EXPECT_EQ(KorvoUpdateCommonTool::getVersionNumber(c.text), c.number) << c.text;

    struct Compare {
        const char* v1;
        const char* v2;
        bool newer;
    };
    for (const Compare& c :
         {Compare{"V1.002", "V1.001", false}, Compare{"V1.01", "V1.00", true}, Compare{"V1.00", "V1.01", false},
          Compare{"V2.0", "V1.99", true}, Compare{"V1.0", "V1.0", false}})
        EXPECT_EQ(KorvoUpdateCommonTool::compareVersion1(c.v1, c.v2), c.newer) << c.v1 << " " << c.v2;
    EXPECT_EQ(KorvoUpdateCommonTool::compare2Version1("V1.5", "V1.25"), 1.5f - 1.25f);
}

class CommonToolFiles : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setDocumentsDirectory(documents() + "/Documents");
        tool().setSaveFilePath(card());
    }
    void TearDown() override {
        platform::setDocumentsDirectory({});
        tool().setSaveFilePath({});
        mainbundle::setResourcePath(QStringLiteral(KORVO_RESOURCES_DIR));
    }
    QString documents() const { return QString::fromStdString(dir.path()); }
    QString card() const { return documents() + "/card"; }
    QString onCard(const QString& relative) const { return card() + "/" + relative; }
    TempDir dir;
};

TEST_F(CommonToolFiles, SameVersionRoundsToTheHundredth) {
    writeFile(onCard("Scan/BMW/VERSION.TXT"), "V2.10\r\n");
    EXPECT_TRUE(tool().isSameVersion(*record("Scan/BMW", "2.1")));
    EXPECT_TRUE(tool().isSameVersion(*record("Scan/bmw", "V2.100")));
    EXPECT_FALSE(tool().isSameVersion(*record("Scan/BMW", "V2.11")));
    writeFile(onCard("Scan/Benz/version.txt"), "V1.08");
    EXPECT_FALSE(tool().isSameVersion(*record("Scan/Benz", "V1.09"))) << "neighbouring versions are not the same";
    EXPECT_TRUE(tool().isSameVersion(*record("Scan/Benz", "1.08")));
    QDir().mkpath(onCard("Scan/VW"));
    EXPECT_FALSE(tool().isSameVersion(*record("Scan/VW", "V0.00"))) << "no version file";
    EXPECT_FALSE(tool().isSameVersion(*record("Scan/Absent", "V0.00")));
}

TEST_F(CommonToolFiles, HighestInstalledVersion) {
    EXPECT_EQ(tool().getMaxVersionFromList({}), "V0.00");
    writeFile(onCard("Scan/A/Version.txt"), "V1.25");
    writeFile(onCard("Scan/B/VERSION.TXT"), "V1.5");
    EXPECT_EQ(tool().getMaxVersionFromList({record("Scan/A"), record("Scan/B"), record("Scan/C"), nullptr}), "V1.50");
}

TEST_F(CommonToolFiles, DownloadFolderAndArchivePaths) {
    const QString update = documents() + "/Documents/Update";
    EXPECT_EQ(tool().getUpdateDirectory(), update);
    EXPECT_TRUE(QFileInfo(update).isDir());
    EXPECT_EQ(tool().getSoftwareUpdatePathWithSoftware("BMW"), update + "/BMW");
    EXPECT_TRUE(QFileInfo(update + "/BMW").isDir());
    // Names that would make the path the download folder, Documents or a place outside.
    for (const char* name : {"", ".", "..", "../Documents", "a/b", "x..y"})
        EXPECT_EQ(tool().getSoftwareUpdatePathWithSoftware(name), "") << name;

    EXPECT_EQ(tool().getZipResourcePath("http://h/d/pkg_v1.zip"), update + "/pkg_v1.zip");
    EXPECT_EQ(tool().get7ZResourcePath("http://h/d/pkg_v1.zip"), update + "/pkg_v1.7z");
    for (const char* url : {"http://h/d/", "http://h/d/..", "http://h/d/."}) {
        EXPECT_EQ(tool().getZipResourcePath(url), "") << url;
        EXPECT_EQ(tool().get7ZResourcePath(url), "") << url;
    }

    struct Name {
        const char* url;
        const char* name;
    };
    for (const Name& n : {Name{"http://h/pkg_v1.zip", "pkg_v1.7z"}, Name{"http://h/pkg.7z", "pkg.7z"},
                          Name{"http://h/a.zip.zip", "a.zip.7z"}, Name{"http://h/a.ZIP", "a.ZIP"}})
        EXPECT_EQ(KorvoUpdateCommonTool::get7zFileName(n.url), n.name) << n.url;

    for (const Name& n :
         {Name{"http://h/d/A_B_C.zip", "http://h/d/A_B.zip"}, Name{"http://h/d/A_B_C.7z", "http://h/d/A_B_C.7z"},
          Name{"http://h/my_dir/file.zip", "http://h/my_dir/file.zip"},
          Name{"http://h/my_dir/A_B.zip", "http://h/my_dir/A.zip"}})
        EXPECT_EQ(KorvoUpdateCommonTool::getDataPackageURLFromZipURL(n.url), n.name) << n.url;
}

TEST_F(CommonToolFiles, DownloadFolderThatCannotBeMade) {
    writeFile(documents() + "/plainfile", "x");
    platform::setDocumentsDirectory(documents() + "/plainfile/Documents");
    EXPECT_EQ(tool().getUpdateDirectory(), "");
    EXPECT_EQ(tool().getSoftwareUpdatePathWithSoftware("BMW"), "");
    EXPECT_EQ(tool().getZipResourcePath("http://h/a.zip"), "");
    EXPECT_FALSE(tool().writeVersion("V1"));
    EXPECT_EQ(tool().getVersion(), "");
}

TEST_F(CommonToolFiles, VersionFileIsReplacedAsAWhole) {
    EXPECT_EQ(tool().getVersion(), "");
    ASSERT_TRUE(tool().writeVersion(QString::fromUtf8("V1.20 \u00e9\n")));
    EXPECT_EQ(tool().getVersion(), QString::fromUtf8("V1.20 \u00e9\n"));
    ASSERT_TRUE(tool().writeVersion("V2"));
    EXPECT_EQ(tool().getVersion(), "V2");
    EXPECT_EQ(QDir(documents() + "/Documents").entryList(QDir::Files), QStringList{"version.txt"});
}

TEST_F(CommonToolFiles, CardPathsAndLetterCaseVariants) {
    QDir().mkpath(onCard("Scan/BMW"));
    QDir().mkpath(onCard("Scan/bMw2"));
    EXPECT_EQ(tool().getScanPathFromSDCard(), card() + "/Scan");
    EXPECT_EQ(tool().getDecompressPathWithSoftware("Scan/X"), card() + "/Scan/X");
    EXPECT_EQ(tool().getSoftwareParentPath(*record("Scan/BMW/Sub")), card() + "/Scan/BMW");
    for (const char* path : {"Scan/BMW", "Scan/bmw", "Scan/Bmw", "Scan/BMw"})
        EXPECT_EQ(tool().getSoftwarePathByPath(path), card() + "/Scan/BMW") << path;
    EXPECT_EQ(tool().getSoftwarePathByPath("Scan/bmw2"), "") << "bMw2 is none of the four forms";
    for (const char* unusable : {"NULL", "<null>", "(null)", " \t\r\n", ""})
        EXPECT_EQ(tool().getSoftwarePathByPath(unusable), "") << unusable;
    EXPECT_EQ(tool().getSoftwarePath(*record({})), "");
    EXPECT_TRUE(tool().getHasSoftwarePath(*record("Scan/BMW")));
    EXPECT_FALSE(tool().getHasSoftwarePath(*record("Scan/bmw")));

    struct Parent {
        const char* path;
        const char* parent;
    };
    for (const Parent& p :
         {Parent{"Scan/X/Y", "Scan/X"}, Parent{"Scan/X/Scan", "Scan/X"}, Parent{"", ""}, Parent{"Scan", ""}})
        EXPECT_EQ(KorvoUpdateCommonTool::getParentPath(p.path), p.parent) << p.path;

    tool().setSaveFilePath({});
    EXPECT_EQ(tool().getDecompressPathWithSoftware("Scan/X"), "");
    EXPECT_EQ(tool().getScanPathFromSDCard(), "");
    EXPECT_EQ(tool().getSoftwarePathByPath("Scan/BMW"), "");
}

TEST_F(CommonToolFiles, CardFilesInTheirLetterCases) {
    const QString folder = onCard("Scan/BMW");
    for (const char* name : {"english.cfg", "ENGLISH.cfg", "English.cfg", "english.CFG"}) {
        QDir(folder).removeRecursively();
        writeFile(folder + "/" + name, "");
        EXPECT_TRUE(KorvoUpdateCommonTool::getIsHasLanFromFilePath(folder, "English")) << name;
    }
    for (const char* name : {"English.CFG", "eNGLISH.cfg", "ENGLISH.CFG"}) {
        QDir(folder).removeRecursively();
        writeFile(folder + "/" + name, "");
        EXPECT_FALSE(KorvoUpdateCommonTool::getIsHasLanFromFilePath(folder, "English")) << name;
    }
    writeFile(folder + "/englishus.cfg", "");
    auto m = record("Scan/bmw");
    m->setLanguage(" English US\n");
    EXPECT_TRUE(tool().getIsHasLanFromModel(*m));
    m->setSdPath("NULL");
    EXPECT_FALSE(tool().getIsHasLanFromModel(*m));

    EXPECT_EQ(KorvoUpdateCommonTool::getLinkFromFilePath(folder), "");
    writeFile(folder + "/LINK.TXT", "");
    EXPECT_EQ(KorvoUpdateCommonTool::getLinkFromFilePath(folder), folder + "/LINK.TXT");
    writeFile(folder + "/link.txt", "");
    EXPECT_EQ(KorvoUpdateCommonTool::getLinkFromFilePath(folder), folder + "/link.txt");

    writeFile(folder + "/Version.txt", "V1");
    EXPECT_EQ(KorvoUpdateCommonTool::getVersionPathFromFilePath(folder), folder + "/Version.txt");
    writeFile(folder + "/version.txt", "V2");
    EXPECT_EQ(KorvoUpdateCommonTool::getVersionFromFilePath(folder), "V2");
    writeFile(folder + "/VERSION.TXT", " V3\r\n");
    EXPECT_EQ(KorvoUpdateCommonTool::getVersionFromFilePath(folder), " V3\r\n") << "read untrimmed";
    EXPECT_EQ(KorvoUpdateCommonTool::getVersionFromFilePath(""), "");
    EXPECT_EQ(KorvoUpdateCommonTool::getContentFromFilePath(""), "");
    EXPECT_EQ(KorvoUpdateCommonTool::getContentFromFilePath(folder + "/absent"), "");

    auto downloaded = KorvoUpdateDownloadModel::create();
    EXPECT_FALSE(KorvoUpdateCommonTool::getHasDownFile(*downloaded));
    downloaded->setZipPath(folder + "/VERSION.TXT");
    EXPECT_TRUE(KorvoUpdateCommonTool::getHasDownFile(*downloaded));
}

TEST_F(CommonToolFiles, UninstallStaysStrictlyInsideTheCard) {
    const QString outside = documents() + "/outside";
    writeFile(outside + "/keep.txt", "keep");
    writeFile(onCard("Scan/BMW/VERSION.TXT"), "V1");
    writeFile(onCard("Scan/Benz/VERSION.TXT"), "V1");
    // Paths with an empty, "." or ".." component are refused, even where they would stay on the card: "Scan/BMW/.."
    // is every vehicle's software.
    for (const char* path : {"", "<null>", "NULL", ".", "..", "../outside", "Scan/../..", "Scan/../../outside", "/",
                             "Scan/Absent", "Scan/BMW/..", "Scan/./BMW", "Scan//BMW", "Scan/BMW/", "/Scan/BMW"}) {
        EXPECT_FALSE(tool().unInstallSoftwore(*record(path))) << path;
        if (QString(path) != "Scan/Absent") {
            EXPECT_FALSE(tool().getHasSoftwarePath(*record(path))) << path << ": names no software folder";
        }
    }
    EXPECT_FALSE(tool().unInstallSoftwore(*record("Scan/bmw"))) << "no letter-case variants";
    EXPECT_TRUE(QFile::exists(outside + "/keep.txt"));
    EXPECT_TRUE(QFile::exists(onCard("Scan/BMW/VERSION.TXT")));
    EXPECT_TRUE(QFile::exists(onCard("Scan/Benz/VERSION.TXT")));

    // A link on the card that leads outside: what lies behind it stays.
    ASSERT_TRUE(QFile::link(outside, onCard("Scan/Link")));
    EXPECT_FALSE(tool().unInstallSoftwore(*record("Scan/Link/keep.txt")));
    EXPECT_TRUE(tool().unInstallSoftwore(*record("Scan/Link")));
    EXPECT_FALSE(QFileInfo(onCard("Scan/Link")).isSymLink());
    EXPECT_TRUE(QFile::exists(outside + "/keep.txt"));

    EXPECT_TRUE(tool().unInstallSoftwore(*record("Scan/BMW")));
    EXPECT_FALSE(QFileInfo::exists(onCard("Scan/BMW")));
    EXPECT_TRUE(QFileInfo::exists(onCard("Scan/Benz")));

    // With no card root nothing is removed, not even relative to the working directory.
    tool().setSaveFilePath({});
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(card()));
    EXPECT_FALSE(tool().unInstallSoftwore(*record("Scan/Benz")));
    QDir::setCurrent(previous);
    EXPECT_TRUE(QFileInfo::exists(onCard("Scan/Benz")));
}

TEST_F(CommonToolFiles, RemovingALinkNeverEmptiesWhatItLeadsTo) {
    const QString outside = documents() + "/outside";
    writeFile(outside + "/keep.txt", "keep");
    QDir().mkpath(card());
    for (const char* suffix : {"", "/", "//"}) {
        ASSERT_TRUE(QFile::link(outside, onCard("link")));
        EXPECT_TRUE(KorvoUpdateCommonTool::removeItemAtPath(onCard("link") + suffix)) << suffix;
        EXPECT_FALSE(QFileInfo(onCard("link")).isSymLink()) << suffix;
        EXPECT_TRUE(QFile::exists(outside + "/keep.txt")) << suffix;
    }
    // Through "." or "..", a path may name what a link leads to: refused.
    ASSERT_TRUE(QFile::link(outside, onCard("link")));
    for (const char* suffix : {"/.", "/./", "/sub/.."}) {
        EXPECT_FALSE(KorvoUpdateCommonTool::removeItemAtPath(onCard("link") + suffix)) << suffix;
        EXPECT_TRUE(QFile::exists(outside + "/keep.txt")) << suffix;
    }
    writeFile(onCard("Scan/VW/sub/a.txt"), "a");
    EXPECT_TRUE(KorvoUpdateCommonTool::removeItemAtPath(onCard("Scan/VW/")));
    EXPECT_FALSE(QFileInfo::exists(onCard("Scan/VW")));
    writeFile(onCard("file.txt"), "f");
    EXPECT_TRUE(KorvoUpdateCommonTool::removeItemAtPath(onCard("file.txt")));
    EXPECT_FALSE(KorvoUpdateCommonTool::removeItemAtPath(onCard("file.txt")));
    EXPECT_FALSE(KorvoUpdateCommonTool::removeItemAtPath(""));
}

TEST_F(CommonToolFiles, SaveFilePathIsSafeAcrossThreads) {
    std::thread writer([] {
        for (int i = 0; i < 1000; ++i)
            tool().setSaveFilePath(QString("/media/card%1").arg(i));
    });
    for (int i = 0; i < 1000; ++i)
        EXPECT_TRUE(tool().getScanPathFromSDCard().endsWith("/Scan"));
    writer.join();
}

class CommonToolVehicleLists : public CommonToolFiles {
protected:
    void useLists(const QByteArray& carIni, const QByteArray& carVersion = {}) {
        writeFile(documents() + "/res/car_ini.txt", carIni);
        writeFile(documents() + "/res/car_version.txt", carVersion);
        mainbundle::setResourcePath(documents() + "/res");
    }
    static QStringList paths(const std::vector<KorvoUpdateVehicleModel>& models) {
        QStringList list;
        for (const auto& m : models)
            list << m.path();
        return list;
    }
};

TEST_F(CommonToolVehicleLists, EntriesAndSections) {
    useLists("Top\\A\t\tTop\r\n"
             "//Europe\r\n"
             "Scan\\BMW\t\tBMW\r\n"
             "Scan\\BMW\\MINI\t\tBMW\r\n"
             "Scan\\Three\t\t\tTabs\r\n"
             "Scan\\Four\t\t\t\tTabs\r\n"
             "no entry\r\n"
             "////Asia//\r\n"
             "Scan\\Toyota\t\tToyota\r\n"
             "//Europe\r\n"
             "Scan\\VW\t\tVW\r\n"
             "Scan\\Last\t\tLast");
    const auto models = tool().getVehicleModelsFromBundle();
    EXPECT_EQ(paths(models),
              (QStringList{"Top/A", "Scan/BMW", "Scan/BMW/MINI", "Scan/Toyota", "Scan/VW", "Scan/Last"}));
    EXPECT_EQ(models[2].vehicle(), "BMW");
    EXPECT_EQ(models[2].subVehicle(), "MINI");

    const auto sections = tool().getAllVehicleModelsFromBundle();
    EXPECT_EQ(sections.keys(), (QStringList{"Asia", "Europe", "General"}));
    EXPECT_EQ(paths(sections["General"]), QStringList{"Top/A"});
    EXPECT_EQ(paths(sections["Asia"]), QStringList{"Scan/Toyota"});
    EXPECT_EQ(paths(sections["Europe"]), (QStringList{"Scan/VW", "Scan/Last"}))
        << "a later section replaces an earlier one of the same name; the last line without CR LF stays";

    const auto byPath = tool().getNewAllVehicleModelsFromBundle();
    EXPECT_EQ(byPath.value("SCAN/BMW/MINI").subVehicle(), "MINI");
    EXPECT_FALSE(byPath.contains("Scan/BMW/MINI"));
}

TEST_F(CommonToolVehicleLists, HeaderFirstOrNone) {
    useLists("//Only\r\nA\\B\t\tA\r\n");
    auto sections = tool().getAllVehicleModelsFromBundle();
    ASSERT_TRUE(sections.contains("General"));
    EXPECT_TRUE(sections["General"].empty());
    EXPECT_EQ(paths(sections["Only"]), QStringList{"A/B"});

    useLists("A\\B\t\tA\r\nC\t\tC\r\n");
    EXPECT_TRUE(tool().getAllVehicleModelsFromBundle().isEmpty()) << "no header: no sections, no General";
    EXPECT_EQ(tool().getVehicleModelsFromBundle().size(), 2u);

    useLists("A\t\tA\r\n//Tail");
    sections = tool().getAllVehicleModelsFromBundle();
    EXPECT_TRUE(sections.contains("Tail"));
    EXPECT_TRUE(sections["Tail"].empty());

    mainbundle::setResourcePath(documents() + "/nothing");
    EXPECT_TRUE(tool().getVehicleModelsFromBundle().empty());
    EXPECT_TRUE(tool().getAllVehicleModelsFromBundle().isEmpty());
    EXPECT_TRUE(tool().getAllVersionModelsFromBundle().isEmpty());
    EXPECT_TRUE(tool().getVehicles().isEmpty());
}

TEST_F(CommonToolVehicleLists, VersionPairs) {
    useLists({}, "BMW = V0\r\n//Europe\r\nBMW = V1\r\nBenz = V2\r\nBMW = V3\r\nbad = a = b\r\nnospaces=V4\r\n"
                 "//Asia\r\nToyota = V5");
    const auto versions = tool().getAllVersionModelsFromBundle();
    EXPECT_EQ(versions.keys(), (QStringList{"Asia", "Europe"}));
    EXPECT_EQ(versions["Europe"], (QMap<QString, QString>{{"BMW", "V3"}, {"Benz", "V2"}}));
    EXPECT_EQ(versions["Asia"], (QMap<QString, QString>{{"Toyota", "V5"}}));
}

TEST_F(CommonToolVehicleLists, VehiclesAndSubVehicles) {
    useLists("//Europe\r\n"
             "Scan\\BMW\t\tBMW\r\n"
             "Scan\\BMW\\MINI\t\tbmw\r\n"
             "Scan\\BMW\\mini\t\tBMW\r\n"
             "Scan\\bmw\t\tBmw\r\n"
             "Scan\\VW\\SEAT\t\tVW\r\n"
             "Scan\\VW\t\tVW\r\n"
             "Scan\\SEAT\t\tSEAT\r\n"
             "Scan\\FordAU\t\tfordau\r\n"
             "Scan\\Ford\\Lincoln\t\tFord\r\n");
    const auto vehicles = tool().getVehicles();
    EXPECT_EQ(vehicles.keys(), (QStringList{"BMW", "VW"})) << "Ford has no entry of its own";
    EXPECT_EQ(vehicles["BMW"], (QStringList{"BMW", "MINI"}));
    EXPECT_EQ(vehicles["VW"], (QStringList{"SEAT", "VW"}));
}

TEST_F(CommonToolVehicleLists, ShippedLists) {
    mainbundle::setResourcePath(QStringLiteral(KORVO_RESOURCES_DIR));
    const auto vehicles = tool().getVehicles();
    EXPECT_EQ(vehicles.value("BMW"), (QStringList{"BMW", "MINI", "RollsRoyce"}));
    EXPECT_TRUE(vehicles.value("VW").contains("SEAT"));
    EXPECT_FALSE(vehicles.contains("SEAT"));
    EXPECT_FALSE(vehicles.contains("FordAU"));
    const auto sections = tool().getAllVehicleModelsFromBundle();
    EXPECT_TRUE(sections.value("General").empty());
    EXPECT_EQ(sections.value("Australia").size(), 2u);
    const auto versions = tool().getAllVersionModelsFromBundle();
    EXPECT_EQ(versions.value("Europe").value("BMW"), "V10.20");
    EXPECT_EQ(versions.keys(), sections.keys().filter(QRegularExpression("^(?!General$)")));
}

TEST(CommonToolChecks, PasswordAndEmail) {
    struct Case {
        const char* text;
        bool ok;
    };
    for (const Case& c : {Case{"123456", false}, Case{"abcdef", false}, Case{"abc12", false},
                          Case{"abcdefgh123456789", false}, Case{"abc123", true}, Case{"1a2b3c4d5e6f7g8h", true},
                          Case{"abc 123", false}, Case{"abc123\n", false}, Case{"abc12\u00e9", false}, Case{"", false}})
        EXPECT_EQ(KorvoUpdateCommonTool::isAvailablePassword(QString::fromUtf8(c.text)), c.ok) << c.text;
    for (const Case& c :
         {Case{"a.b_c%d+e-f@mail-x.example.com", true}, Case{"user@host.de", true}, Case{"user@host.museum", false},
          Case{"user@host.c", false}, Case{"@host.com", false}, Case{"user@.com", false}, Case{"user@a..com", true},
          Case{"user host@host.com", false}, Case{"user@host.com\n", false}, Case{"user@@host.com", false}})
        EXPECT_EQ(KorvoUpdateCommonTool::isAvailableEmail(c.text), c.ok) << c.text;
}

} // namespace
