// The archive tool against archives made by 7zz: encrypted round trips, refusals, abort, unsafe tar items.
#include "LzmaTool.h"

#include "NotificationCenter.h"
#include "TempDir.h"
#include "TestBytes.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cstring>
#include <fstream>
#include <thread>

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

TEST_F(ArchiveTest, WrongOrMissingPasswordFailsWithoutFinished) {
    const std::string archive = tmp.file("pack.7z");
    LzmaTool::tool().compressWithDestinationPath(q(archive), "right", 1, q(makeTree()));
    ASSERT_EQ(compressed, 1);
    LzmaTool::tool().decompressWithPath(q(archive), "wrong", 1, q(tmp.file("dest")));
    LzmaTool::tool().decompressWithPath(q(archive), {}, 1, q(tmp.file("dest")));
    ASSERT_EQ(recorder->decompressErrors.size(), 2u);
    EXPECT_EQ(recorder->decompressErrors[0].code, LzmaTool::ErrorArchive);
    EXPECT_EQ(recorder->decompressErrors[1].code, LzmaTool::ErrorArchive);
    EXPECT_EQ(decompressed, 0);
    EXPECT_TRUE(QDir(q(tmp.file("dest"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
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
    ASSERT_EQ(recorder->compressErrors.size(), 3u);
    EXPECT_EQ(recorder->compressErrors[0].code, LzmaTool::ErrorFileType);
    EXPECT_EQ(recorder->compressErrors[1].code, LzmaTool::ErrorInput);
    EXPECT_EQ(recorder->compressErrors[2].code, LzmaTool::ErrorPassword);

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
