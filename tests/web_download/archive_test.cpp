// The archive tool against archives made by 7zz: encrypted round trips, refusals, abort, unsafe tar items.
#include "LzmaTool.h"

#include "NotificationCenter.h"
#include "TempDir.h"
#include "TestBytes.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <tuple>

namespace {

struct Recorder : LzmaToolDelegate {
    std::atomic<int> decompressProgress{0}, compressProgress{0};
    std::vector<LzmaToolError> decompressErrors, compressErrors;
    void decompressWithProgress(double, const QString&) override { ++decompressProgress; }
    void decompressErrorWithError(const LzmaToolError& e) override { decompressErrors.push_back(e); }
    void compressWithProgress(double, const QString&) override { ++compressProgress; }
    void compressErrorWithError(const LzmaToolError& e) override { compressErrors.push_back(e); }
};

class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        recorder = std::make_shared<Recorder>();
        LzmaTool::tool().setDelegate(recorder);
        LzmaTool::tool().setProgram({});
        auto& centre = NotificationCenter::workspaceCenter();
        centre.addObserver(this, LzmaTool::decompressFinishedNotification(),
                           [this](const Notification&) { ++decompressed; });
        centre.addObserver(this, LzmaTool::compressFinishedNotification(),
                           [this](const Notification&) { ++compressed; });
    }
    void TearDown() override {
        NotificationCenter::workspaceCenter().removeObserver(this);
        LzmaTool::tool().setDelegate(nullptr);
        LzmaTool::tool().setProgram({});
        LzmaTool::tool().setFreeSpaceQuery({});
    }
    QString q(const std::string& s) { return QString::fromStdString(s); }
    std::string makeTree() {
        QDir().mkpath(q(tmp.file("src/sub")));
        tmp.write("src/a.txt", std::string("first file\n"));
        tmp.write("src/sub/b.bin", randomBytes(70000, 3));
        return tmp.file("src");
    }
    // Lists the archive with no password on 7zz's input: an encrypted header makes that fail.
    static bool listsWithoutPassword(const std::string& archive) {
        const std::string cmd = "7zz l '" + archive + "' </dev/null >/dev/null 2>&1";
        return std::system(cmd.c_str()) == 0;
    }
    // Everything in folder, hidden entries too, sorted.
    QStringList entries(const std::string& folder) {
        return QDir(q(folder)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                         QDir::Name);
    }
    // A stand-in for 7zz that runs the real one, then does more in its output folder when it extracted.
    std::string sevenZipThen(const std::string& shellAfterExtraction) {
        const std::string wrapper =
            tmp.write("7zz-then", "#!/bin/sh\n7zz \"$@\" || exit $?\n[ \"$1\" = x ] || exit 0\n"
                                  "for a; do case \"$a\" in -o*) out=\"${a#-o}\";; esac; done\ncd \"$out\" && " +
                                      shellAfterExtraction + "\n");
        ::chmod(wrapper.c_str(), 0755);
        return wrapper;
    }

    TempDir tmp;
    std::shared_ptr<Recorder> recorder;
    std::atomic<int> decompressed{0}, compressed{0};
};

TEST_F(ArchiveTest, EncryptedRoundTripKeepsEveryItemAndHidesTheNames) {
    const std::string src = makeTree();
    const std::string archive = tmp.file("out/pack.7z");
    LzmaTool::tool().compressWithDestinationPath(q(archive), "pa ss:word", 1, q(src));
    ASSERT_TRUE(recorder->compressErrors.empty()) << recorder->compressErrors[0].message.toStdString();
    EXPECT_EQ(compressed, 1);
    ASSERT_TRUE(fileExists(archive));
    EXPECT_FALSE(listsWithoutPassword(archive)) << "header must be encrypted";
    // No temporary name is left beside the archive.
    EXPECT_EQ(QDir(q(tmp.file("out"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);

    LzmaTool::tool().decompressWithPath(q(archive), "pa ss:word", 1, q(tmp.file("dest")));
    ASSERT_TRUE(recorder->decompressErrors.empty()) << recorder->decompressErrors[0].message.toStdString();
    EXPECT_EQ(decompressed, 1);
    EXPECT_EQ(readFileBytes(tmp.file("dest/src/a.txt")), readFileBytes(tmp.file("src/a.txt")));
    EXPECT_EQ(readFileBytes(tmp.file("dest/src/sub/b.bin")), readFileBytes(tmp.file("src/sub/b.bin")));
    // No staging folder is left in the destination.
    EXPECT_EQ(QDir(q(tmp.file("dest"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"src"});
}

TEST_F(ArchiveTest, WrongOrMissingPasswordIsAPasswordError) {
    const std::string archive = tmp.file("pack.7z");
    LzmaTool::tool().compressWithDestinationPath(q(archive), "right", 1, q(makeTree()));
    ASSERT_EQ(compressed, 1);
    // Only the content encrypted, the names readable: 7zz lists it without a password.
    ASSERT_EQ(
        std::system(
            ("cd '" + tmp.path() + "' && printf 'right\\nright\\n' | 7zz a -p content.7z src >/dev/null").c_str()),
        0);
    for (const std::string& name : {archive, tmp.file("content.7z")}) {
        SCOPED_TRACE(name);
        recorder->decompressErrors.clear();
        LzmaTool::tool().decompressWithPath(q(name), "wrong", 1, q(tmp.file("dest")));
        LzmaTool::tool().decompressWithPath(q(name), {}, 1, q(tmp.file("dest")));
        ASSERT_EQ(recorder->decompressErrors.size(), 2u);
        EXPECT_EQ(recorder->decompressErrors[0].code, LzmaTool::ErrorPassword);
        EXPECT_EQ(recorder->decompressErrors[1].code, LzmaTool::ErrorPassword);
        EXPECT_EQ(decompressed, 0);
        EXPECT_TRUE(entries(tmp.file("dest")).isEmpty());
    }
    LzmaTool::tool().decompressWithPath(q(tmp.file("content.7z")), "right", 1, q(tmp.file("dest")));
    EXPECT_EQ(decompressed, 1);
    EXPECT_EQ(readFileBytes(tmp.file("dest/src/sub/b.bin")), readFileBytes(tmp.file("src/sub/b.bin")));
}

// Names that 7zz would take for a switch (-sdel deletes what it archived), a list file (@files) or a pattern.
TEST_F(ArchiveTest, NamesAreNeverReadAsSwitchesListsOrPatterns) {
    QDir().mkpath(q(tmp.file("p/-sdel")));
    QDir().mkpath(q(tmp.file("p/@files")));
    QDir().mkpath(q(tmp.file("p/-x!*")));
    QDir().mkpath(q(tmp.file("p/-x!abc")));
    tmp.write("p/-sdel/a", "a");
    tmp.write("p/@files/b", "b");
    tmp.write("p/-x!*/c", "c");
    tmp.write("p/-x!abc/d", "d");
    tmp.write("p/sibling.txt", "sibling");
    tmp.write("p/files", "sibling.txt\n");
    const QStringList before = entries(tmp.file("p"));
    int made = 0;
    for (const char* name : {"-sdel", "@files", "-x!*"}) {
        SCOPED_TRACE(name);
        const std::string archive = tmp.file(std::string("out/") + std::to_string(made++) + ".7z");
        LzmaTool::tool().compressWithDestinationPath(q(archive), {}, 1, q(tmp.file(std::string("p/") + name)));
        ASSERT_TRUE(recorder->compressErrors.empty()) << recorder->compressErrors[0].message.toStdString();
        const std::string dest = tmp.file("x" + std::to_string(made));
        LzmaTool::tool().decompressWithPath(q(archive), {}, 1, q(dest));
        ASSERT_TRUE(recorder->decompressErrors.empty()) << recorder->decompressErrors[0].message.toStdString();
        EXPECT_EQ(entries(dest), QStringList{name}) << "the archive holds the named item alone";
        EXPECT_EQ(entries(tmp.file("p")), before) << "nothing was deleted";
    }
    EXPECT_EQ(compressed, 3);
    EXPECT_EQ(readFileBytes(tmp.file("x1/-sdel/a")), readFileBytes(tmp.file("p/-sdel/a")));

    // An archive whose name is a pattern that also matches another archive is extracted alone.
    ASSERT_TRUE(QFile::rename(q(tmp.file("out/0.7z")), q(tmp.file("out/a*.7z"))));
    ASSERT_TRUE(QFile::rename(q(tmp.file("out/1.7z")), q(tmp.file("out/ab.7z"))));
    // Room for its one byte only: the listing before the extraction must not count the other archive either.
    LzmaTool::tool().setFreeSpaceQuery([](const QString&) { return std::optional<unsigned long long>(1); });
    LzmaTool::tool().decompressWithPath(q(tmp.file("out/a*.7z")), {}, 1, q(tmp.file("star")));
    ASSERT_TRUE(recorder->decompressErrors.empty()) << recorder->decompressErrors[0].message.toStdString();
    EXPECT_EQ(entries(tmp.file("star")), QStringList{"-sdel"});
}

TEST_F(ArchiveTest, AFolderOfTheTargetIsNeverReplacedByAFile) {
    QDir().mkpath(q(tmp.file("src/data")));
    tmp.write("src/data/new.txt", "new");
    tmp.write("src/readme.txt", "new readme");
    tmp.write("src/conf", "a file in the archive");
    LzmaTool::tool().compressWithDestinationPath(q(tmp.file("pack.7z")), {}, 1, q(tmp.file("src")));
    ASSERT_EQ(compressed, 1);

    // The target has a folder where the archive has the file "conf": nothing is extracted, nothing removed.
    QDir().mkpath(q(tmp.file("dest/src/conf/mine")));
    QDir().mkpath(q(tmp.file("dest/src/data")));
    tmp.write("dest/src/conf/mine/settings.ini", "keep me");
    tmp.write("dest/src/data/old.txt", "old");
    tmp.write("dest/src/readme.txt", "old readme");
    LzmaTool::tool().decompressWithPath(q(tmp.file("pack.7z")), {}, 1, q(tmp.file("dest")));
    ASSERT_EQ(recorder->decompressErrors.size(), 1u);
    EXPECT_EQ(recorder->decompressErrors[0].code, LzmaTool::ErrorConflict);
    EXPECT_TRUE(recorder->decompressErrors[0].message.contains(q(tmp.file("dest/src/conf"))))
        << recorder->decompressErrors[0].message.toStdString();
    EXPECT_EQ(decompressed, 0);
    const std::string kept = "keep me";
    EXPECT_EQ(readFileBytes(tmp.file("dest/src/conf/mine/settings.ini")),
              std::vector<uint8_t>(kept.begin(), kept.end()));
    EXPECT_EQ(entries(tmp.file("dest/src/data")), QStringList{"old.txt"}) << "nothing was moved in";
    EXPECT_EQ(entries(tmp.file("dest")), QStringList{"src"}) << "no staging folder is left";

    // Without the folder in the way, folders merge and a file replaces the file of its name.
    ASSERT_TRUE(QDir(q(tmp.file("dest/src/conf"))).removeRecursively());
    LzmaTool::tool().decompressWithPath(q(tmp.file("pack.7z")), {}, 1, q(tmp.file("dest")));
    EXPECT_EQ(decompressed, 1);
    EXPECT_EQ(entries(tmp.file("dest/src/data")), (QStringList{"new.txt", "old.txt"}));
    EXPECT_EQ(readFileBytes(tmp.file("dest/src/readme.txt")), readFileBytes(tmp.file("src/readme.txt")));
    EXPECT_EQ(readFileBytes(tmp.file("dest/src/conf")), readFileBytes(tmp.file("src/conf")));
}

// Only a staging folder that an extraction made and left when it was killed is removed by the next one; a folder of
// that name which an archive brought or the user made stays.
TEST_F(ArchiveTest, StagingLeftByAKilledExtractionIsRemovedByTheNextOne) {
    LzmaTool::tool().compressWithDestinationPath(q(tmp.file("pack.7z")), {}, 1, q(makeTree()));
    QDir().mkpath(q(tmp.file("theirs/.extract-Ab12Cd")));
    tmp.write("theirs/.extract-Ab12Cd/data.bin", randomBytes(3000, 4));
    LzmaTool::tool().compressWithDestinationPath(q(tmp.file("theirs.7z")), {}, 1,
                                                 q(tmp.file("theirs/.extract-Ab12Cd")));
    ASSERT_EQ(compressed, 2);
    LzmaTool::tool().decompressWithPath(q(tmp.file("theirs.7z")), {}, 1, q(tmp.file("dest")));
    QDir().mkpath(q(tmp.file("dest/.extract-Mine12")));
    // An extraction killed once 7zz is done, its items still in its staging folder.
    LzmaTool::tool().setProgram(q(sevenZipThen("kill -9 $PPID")));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        LzmaTool::tool().decompressWithPath(q(tmp.file("pack.7z")), {}, 1, q(tmp.file("dest")));
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    const QStringList left = entries(tmp.file("dest")).filter(QRegularExpression("^\\.extract-(?!Ab12Cd|Mine12)"));
    ASSERT_EQ(left.size(), 1);
    // A copy of it is the user's.
    std::filesystem::copy(tmp.file("dest/" + left[0].toStdString()), tmp.file("dest/.extract-Copy12"),
                          std::filesystem::copy_options::recursive);
    LzmaTool::tool().setProgram({});

    LzmaTool::tool().decompressWithPath(q(tmp.file("pack.7z")), {}, 1, q(tmp.file("dest")));
    ASSERT_TRUE(recorder->decompressErrors.empty()) << recorder->decompressErrors[0].message.toStdString();
    EXPECT_EQ(entries(tmp.file("dest")), (QStringList{".extract-Ab12Cd", ".extract-Copy12", ".extract-Mine12", "src"}));
    EXPECT_EQ(readFileBytes(tmp.file("dest/.extract-Ab12Cd/data.bin")), randomBytes(3000, 4));
}

TEST_F(ArchiveTest, AnExtractionUnderWayKeepsItsStagingFromTheNextOne) {
    LzmaTool::tool().compressWithDestinationPath(q(tmp.file("first.7z")), {}, 1, q(makeTree()));
    QDir().mkpath(q(tmp.file("other")));
    tmp.write("other/x.txt", "x");
    LzmaTool::tool().compressWithDestinationPath(q(tmp.file("second.7z")), {}, 1, q(tmp.file("other")));
    ASSERT_EQ(compressed, 2);
    // The first extraction stops once 7zz is done, with its items still in its staging folder, until the test lets
    // it go on through the pipe.
    const std::string gate = tmp.write("gate", "");
    const std::string pipe = tmp.file("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    LzmaTool::tool().setProgram(
        q(sevenZipThen("if [ -e '" + gate + "' ]; then rm '" + gate + "'; read line < '" + pipe + "'; fi")));
    std::thread first(
        [&] { LzmaTool::tool().decompressWithPath(q(tmp.file("first.7z")), {}, 1, q(tmp.file("dest"))); });
    const int release = ::open(pipe.c_str(), O_WRONLY); // returns once the first extraction waits
    ASSERT_GE(release, 0);
    LzmaTool::tool().decompressWithPath(q(tmp.file("second.7z")), {}, 1, q(tmp.file("dest")));
    ASSERT_EQ(::write(release, "go\n", 3), 3);
    ::close(release);
    first.join();
    ASSERT_TRUE(recorder->decompressErrors.empty()) << recorder->decompressErrors[0].message.toStdString();
    EXPECT_EQ(decompressed, 2);
    EXPECT_EQ(entries(tmp.file("dest")), (QStringList{"other", "src"}));
    EXPECT_EQ(readFileBytes(tmp.file("dest/src/sub/b.bin")), readFileBytes(tmp.file("src/sub/b.bin")));
}

TEST_F(ArchiveTest, AnArchiveLargerThanTheFreeSpaceIsRefusedBeforeExtraction) {
    const std::string src = makeTree();
    LzmaTool::tool().compressWithDestinationPath(q(tmp.file("pack.7z")), "pw", 1, q(src));
    LzmaTool::tool().compressWithDestinationPath(q(tmp.file("pack.tar")), {}, 3, q(src));
    ASSERT_EQ(compressed, 2);
    const unsigned long long unpacked = 70000 + 11; // b.bin and a.txt
    QStringList asked;
    unsigned long long free = unpacked - 1;
    LzmaTool::tool().setFreeSpaceQuery([&](const QString& folder) {
        asked << folder;
        return std::optional<unsigned long long>(free);
    });
    for (const auto& [archive, type, password] :
         {std::make_tuple("pack.7z", 1, "pw"), std::make_tuple("pack.tar", 3, "")}) {
        SCOPED_TRACE(archive);
        recorder->decompressErrors.clear();
        free = unpacked - 1;
        LzmaTool::tool().decompressWithPath(q(tmp.file(archive)), password, type, q(tmp.file("dest")));
        ASSERT_EQ(recorder->decompressErrors.size(), 1u);
        EXPECT_EQ(recorder->decompressErrors[0].code, LzmaTool::ErrorSpace);
        EXPECT_TRUE(recorder->decompressErrors[0].message.contains(QString::number(unpacked)))
            << recorder->decompressErrors[0].message.toStdString();
        EXPECT_TRUE(entries(tmp.file("dest")).isEmpty());
        EXPECT_EQ(asked.last(), QFileInfo(q(tmp.file("dest"))).canonicalFilePath());

        free = unpacked;
        LzmaTool::tool().decompressWithPath(q(tmp.file(archive)), password, type, q(tmp.file("dest")));
        EXPECT_EQ(recorder->decompressErrors.size(), 1u);
        ASSERT_TRUE(QDir(q(tmp.file("dest"))).removeRecursively());
    }
    EXPECT_EQ(decompressed, 2);
}

TEST_F(ArchiveTest, PasswordReachesSevenZipOnItsInputOnly) {
    // A stand-in program that keeps its own command line and input, then hands over to the real 7zz.
    const std::string log = tmp.file("cmdline");
    const std::string wrapper =
        tmp.write("7zz-wrapper", "#!/bin/sh\ncat /proc/$$/cmdline > '" + log + "'\nexec 7zz \"$@\"\n");
    ::chmod(wrapper.c_str(), 0755);
    LzmaTool::tool().setProgram(q(wrapper));
    const std::string archive = tmp.file("pack.7z");
    LzmaTool::tool().compressWithDestinationPath(q(archive), "TopSecret42", 1, q(makeTree()));
    ASSERT_EQ(compressed, 1);
    const auto creation = readFileBytes(log);
    ASSERT_FALSE(creation.empty());
    EXPECT_EQ(std::string(creation.begin(), creation.end()).find("TopSecret42"), std::string::npos);
    LzmaTool::tool().decompressWithPath(q(archive), "TopSecret42", 1, q(tmp.file("dest")));
    ASSERT_EQ(decompressed, 1);
    const auto extraction = readFileBytes(log);
    EXPECT_EQ(std::string(extraction.begin(), extraction.end()).find("TopSecret42"), std::string::npos);
}

TEST_F(ArchiveTest, XzAndTarRoundTripAndRefuseAPassword) {
    const std::string src = makeTree();
    LzmaTool::tool().compressWithDestinationPath(q(tmp.file("a.tar")), {}, 3, q(src));
    LzmaTool::tool().compressWithDestinationPath(q(tmp.file("b.xz")), {}, 2, q(tmp.file("src/a.txt")));
    ASSERT_TRUE(recorder->compressErrors.empty()) << recorder->compressErrors[0].message.toStdString();
    EXPECT_EQ(compressed, 2);
    LzmaTool::tool().decompressWithPath(q(tmp.file("a.tar")), {}, 3, q(tmp.file("t")));
    LzmaTool::tool().decompressWithPath(q(tmp.file("b.xz")), {}, 2, q(tmp.file("x")));
    ASSERT_TRUE(recorder->decompressErrors.empty()) << recorder->decompressErrors[0].message.toStdString();
    EXPECT_EQ(decompressed, 2);
    EXPECT_EQ(readFileBytes(tmp.file("t/src/sub/b.bin")), readFileBytes(tmp.file("src/sub/b.bin")));
    EXPECT_EQ(readFileBytes(tmp.file("x/b")), readFileBytes(tmp.file("src/a.txt")));

    // xz and tar cannot be encrypted: a password is refused rather than ignored.
    LzmaTool::tool().compressWithDestinationPath(q(tmp.file("c.tar")), "pw", 3, q(src));
    LzmaTool::tool().compressWithDestinationPath(q(tmp.file("c.xz")), "pw", 2, q(tmp.file("src/a.txt")));
    ASSERT_EQ(recorder->compressErrors.size(), 2u);
    EXPECT_EQ(recorder->compressErrors[0].code, LzmaTool::ErrorPassword);
    EXPECT_EQ(recorder->compressErrors[1].code, LzmaTool::ErrorPassword);
    EXPECT_FALSE(fileExists(tmp.file("c.tar")));
    EXPECT_FALSE(fileExists(tmp.file("c.xz")));
    EXPECT_EQ(compressed, 2);
}

TEST_F(ArchiveTest, BadInputIsReportedToTheDelegate) {
    const std::string src = makeTree();
    LzmaTool::tool().compressWithDestinationPath(q(tmp.file("a.7z")), {}, 4, q(src));
    LzmaTool::tool().compressWithDestinationPath(q(tmp.file("a.7z")), {}, 1, q(tmp.file("missing")));
    LzmaTool::tool().compressWithDestinationPath(q(tmp.file("a.7z")), "two\nlines", 1, q(src));
    // A source named through "." or ".." would bring in what lies around it (the parent of "src/sub/..").
    for (const char* through : {"/sub/..", "/.", "/./sub", "/sub/../sub"})
        LzmaTool::tool().compressWithDestinationPath(q(tmp.file("a.7z")), {}, 1, q(src + through));
    ASSERT_EQ(recorder->compressErrors.size(), 7u);
    EXPECT_EQ(recorder->compressErrors[0].code, LzmaTool::ErrorFileType);
    EXPECT_EQ(recorder->compressErrors[1].code, LzmaTool::ErrorInput);
    EXPECT_EQ(recorder->compressErrors[2].code, LzmaTool::ErrorPassword);
    for (size_t i = 3; i < 7; ++i)
        EXPECT_EQ(recorder->compressErrors[i].code, LzmaTool::ErrorInput);
    EXPECT_FALSE(fileExists(tmp.file("a.7z")));

    tmp.write("damaged.7z", std::string("7z\xBC\xAF\x27\x1C garbage that is no archive", 34));
    LzmaTool::tool().decompressWithPath(q(tmp.file("damaged.7z")), {}, 1, q(tmp.file("d")));
    LzmaTool::tool().decompressWithPath(q(tmp.file("damaged.7z")), {}, 0, q(tmp.file("d")));
    LzmaTool::tool().decompressWithPath(q(tmp.file("none.7z")), {}, 1, q(tmp.file("d")));
    ASSERT_EQ(recorder->decompressErrors.size(), 3u);
    EXPECT_EQ(recorder->decompressErrors[0].code, LzmaTool::ErrorArchive);
    EXPECT_EQ(recorder->decompressErrors[1].code, LzmaTool::ErrorFileType);
    EXPECT_EQ(recorder->decompressErrors[2].code, LzmaTool::ErrorInput);
    EXPECT_EQ(decompressed + compressed, 0);

    // A delegate that is gone is not called, and nothing fails.
    recorder.reset();
    LzmaTool::tool().decompressWithPath(q(tmp.file("damaged.7z")), {}, 1, q(tmp.file("d")));
}

// One ustar header block of the given type and link, then the data padded to 512 bytes.
void tarEntry(std::string& tar, const std::string& name, char type, const std::string& data,
              const std::string& link = {}) {
    char header[512] = {};
    std::strncpy(header, name.c_str(), 99);
    std::snprintf(header + 100, 8, "%07o", 0644);
    std::snprintf(header + 108, 8, "%07o", 0);
    std::snprintf(header + 116, 8, "%07o", 0);
    std::snprintf(header + 124, 12, "%011o", unsigned(type == '0' ? data.size() : 0));
    std::snprintf(header + 136, 12, "%011o", 0);
    header[156] = type;
    std::strncpy(header + 157, link.c_str(), 99);
    std::memcpy(header + 257, "ustar", 6);
    std::memcpy(header + 263, "00", 2);
    std::memset(header + 148, ' ', 8);
    unsigned sum = 0;
    for (unsigned char c : header)
        sum += c;
    std::snprintf(header + 148, 8, "%06o", sum);
    tar.append(header, 512);
    if (type == '0') {
        tar += data;
        tar.append((512 - data.size() % 512) % 512, '\0');
    }
}

TEST_F(ArchiveTest, TarItemsCannotReachOutsideTheTarget) {
    const std::string outside = tmp.file("outside");
    QDir().mkpath(q(outside));
    QDir().mkpath(q(tmp.file("work/target")));
    std::string tar;
    tarEntry(tar, "ok.txt", '0', "fine");
    tarEntry(tar, "../x", '0', "up");
    tarEntry(tar, outside + "/abs.txt", '0', "absolute");
    tarEntry(tar, "lnk", '2', "", outside);
    tarEntry(tar, "lnk/through.txt", '0', "through");
    tarEntry(tar, "rel", '2', "", "../../outside");
    tarEntry(tar, "rel/through2.txt", '0', "through");
    tar.append(1024, '\0');
    tmp.write("evil.tar", tar);

    LzmaTool::tool().decompressWithPath(q(tmp.file("evil.tar")), {}, 3, q(tmp.file("work/target")));
    EXPECT_TRUE(QDir(q(outside)).isEmpty());
    EXPECT_FALSE(fileExists(tmp.file("work/x")));
    EXPECT_FALSE(fileExists(tmp.file("x")));
    EXPECT_EQ(QDir(q(tmp.file("work"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"target"});
    // Whatever 7zz made of the items, no link inside the target leads out of it.
    const QString target = QFileInfo(q(tmp.file("work/target"))).canonicalFilePath();
    std::function<void(const QString&)> walk = [&](const QString& dir) {
        for (const QFileInfo& info :
             QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            if (info.isSymLink()) {
                const QString resolved = info.canonicalFilePath();
                EXPECT_TRUE(resolved.isEmpty() || resolved.startsWith(target + "/")) << resolved.toStdString();
            } else if (info.isDir()) {
                walk(info.absoluteFilePath());
            }
        }
    };
    walk(target);
    // 7zz reports the dangerous link, so the extraction is an error and nothing is "finished".
    EXPECT_EQ(decompressed + recorder->decompressErrors.size(), 1u);
}

TEST_F(ArchiveTest, LinksThatWouldLeadOutOfTheTargetAreDropped) {
    // 7zz extracts this tar without complaint, writing the absolute link as one into its output folder.
    std::string tar;
    tarEntry(tar, "f", '0', "data");
    tarEntry(tar, "ok", '2', "", "f");
    tarEntry(tar, "abs", '2', "", "/etc/hostname");
    tar.append(1024, '\0');
    tmp.write("links.tar", tar);
    QDir().mkpath(q(tmp.file("work/target")));
    QDir().mkpath(q(tmp.file("work/target-evil")));
    tmp.write("work/target-evil/secret", "secret");
    // A 7zz that would let a link climb out through a sibling whose name begins with the target's.
    LzmaTool::tool().setProgram(q(sevenZipThen("ln -s ../target-evil/secret evil")));

    LzmaTool::tool().decompressWithPath(q(tmp.file("links.tar")), {}, 3, q(tmp.file("work/target")));
    ASSERT_TRUE(recorder->decompressErrors.empty()) << recorder->decompressErrors[0].message.toStdString();
    EXPECT_EQ(decompressed, 1);
    EXPECT_EQ(entries(tmp.file("work/target")), (QStringList{"f", "ok"}));
    EXPECT_EQ(QFileInfo(q(tmp.file("work/target/ok"))).symLinkTarget(), q(tmp.file("work/target/f")))
        << "a link that stays inside is kept";
}

TEST_F(ArchiveTest, AbortEndsTheChildAndGivesNoFinished) {
    // Random bytes do not compress, so level 9 takes long enough to be caught under way.
    const std::vector<uint8_t> big = randomBytes(48 << 20, 9);
    tmp.write("big.bin", big);
    const std::string archive = tmp.file("big.7z");
    LzmaTool::tool().abortCompress(); // nothing runs: does nothing
    std::thread worker(
        [&] { LzmaTool::tool().compressWithDestinationPath(q(archive), "pw", 1, q(tmp.file("big.bin"))); });
    while (recorder->compressProgress == 0 && recorder->compressErrors.empty() && compressed == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    LzmaTool::tool().abortCompress();
    worker.join();
    ASSERT_EQ(recorder->compressErrors.size(), 1u);
    EXPECT_EQ(recorder->compressErrors[0].code, LzmaTool::ErrorAborted);
    EXPECT_EQ(compressed, 0);
    EXPECT_FALSE(fileExists(archive));
    EXPECT_EQ(QDir(q(tmp.path())).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"big.bin"});

    // An extraction of the same data, made fast without compression, aborted under way.
    ASSERT_EQ(std::system(("cd '" + tmp.path() + "' && 7zz a -mx=0 stored.7z big.bin >/dev/null").c_str()), 0);
    std::thread extractor(
        [&] { LzmaTool::tool().decompressWithPath(q(tmp.file("stored.7z")), {}, 1, q(tmp.file("dest"))); });
    while (recorder->decompressProgress == 0 && recorder->decompressErrors.empty() && decompressed == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    LzmaTool::tool().abortDecompress();
    extractor.join();
    // The child may have finished between its last report and the abort; then it is no abort.
    if (decompressed == 0) {
        ASSERT_EQ(recorder->decompressErrors.size(), 1u);
        EXPECT_EQ(recorder->decompressErrors[0].code, LzmaTool::ErrorAborted);
        EXPECT_TRUE(
            QDir(q(tmp.file("dest"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
    }
}

} // namespace
