#include "KorvoUpdateDownloadModel.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <thread>

namespace {

const char* const kDownloadTable =
    "CREATE TABLE t (id integer PRIMARY KEY AUTOINCREMENT, software text, version text, language text, "
    "releaseVerion text, isUpdate integer, filePath text, sdPath text, updateInfo text, price double, vehicle text, "
    "zipPath text, vid text, url text, resumeData blob, progress float, state integer, totalFileSize integer, "
    "tmpFileSize integer, speed integer, lastSpeedTime double, intervalFileSize integer, lastStateTime integer, "
    "expectedContentLength integer, ratio float)";

TEST(DownloadModel, NewRecordIsEmpty) {
    const auto m = KorvoUpdateDownloadModel::create();
    EXPECT_TRUE(m->software().isNull());
    EXPECT_TRUE(m->language().isNull());
    EXPECT_TRUE(m->updateInfo().isNull());
    EXPECT_TRUE(m->resumeData().isNull());
    EXPECT_EQ(m->state(), KorvoUpdateDownloadStateNew);
    EXPECT_EQ(m->progress(), 0.0);
    EXPECT_FALSE(m->isSelected());
    EXPECT_FALSE(m->isUpdate());
    EXPECT_EQ(m->resumeCount(), 0);
}

TEST(DownloadModel, UpdateInfoRestoresLineBreaksOnEveryReadAndKeepsTheMarker) {
    const auto m = KorvoUpdateDownloadModel::create();
    m->setUpdateInfo("Fixes:MARODA_KORVO_FLAG- one MARODA_KORVO_FLAG- two");
    EXPECT_EQ(m->updateInfo(), "Fixes:\n- one \n- two");
    EXPECT_EQ(m->updateInfo(), "Fixes:\n- one \n- two");
    EXPECT_EQ(m->storedUpdateInfo(), "Fixes:MARODA_KORVO_FLAG- one MARODA_KORVO_FLAG- two");
    m->setUpdateInfo("plain notes");
    EXPECT_EQ(m->updateInfo(), "plain notes");
}

TEST(DownloadModel, LanguageIsTrimmedOnRead) {
    const auto m = KorvoUpdateDownloadModel::create();
    m->setLanguage(" \tEnglish US\r\n");
    EXPECT_EQ(m->language(), "English US");
    EXPECT_EQ(m->storedLanguage(), " \tEnglish US\r\n");
    m->setLanguage(QString::fromUtf8("\u00a0de\u2028"));
    EXPECT_EQ(m->language(), "de");
    m->setLanguage(" \n ");
    EXPECT_FALSE(m->language().isNull());
    EXPECT_TRUE(m->language().isEmpty());
}

TEST(DownloadModel, JsonUsesTheReplacedKeysOnly) {
    const auto keys = KorvoUpdateDownloadModel::mj_replacedKeyFromPropertyName();
    EXPECT_EQ(keys.size(), 5);
    EXPECT_EQ(keys.value("releaseVerion"), "release");
    EXPECT_EQ(keys.value("updateInfo"), "update_info");

    const auto m = KorvoUpdateDownloadModel::mj_objectWithKeyValues(nlohmann::json::parse(R"({
        "software": "BMW", "version": "V1.05", "language": "EN ", "release": "R2", "is_update": 1,
        "file_path": "a/b/BMW_V1.05_1.zip", "sd_path": "Scan/BMW", "update_info": "xMARODA_KORVO_FLAGy",
        "price": "9.5", "vehicle": "bmw", "vid": 17, "url": "http://h/BMW_V1.05_1.zip", "totalFileSize": 1000,
        "ratio": 0.25, "expectedContentLength": "2048", "releaseVerion": "ignored", "speed": -3,
        "zipPath": "/home/u/.ssh", "state": 4, "resumeData": "AAAA", "resumeCount": 3, "selected": true})"));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->software(), "BMW");
    EXPECT_EQ(m->releaseVerion(), "R2");
    EXPECT_TRUE(m->isUpdate());
    EXPECT_EQ(m->filePath(), "a/b/BMW_V1.05_1.zip");
    EXPECT_EQ(m->sdPath(), "Scan/BMW");
    EXPECT_EQ(m->updateInfo(), "x\ny");
    EXPECT_DOUBLE_EQ(m->price(), 9.5);
    EXPECT_EQ(m->vid(), "17");
    EXPECT_EQ(m->totalFileSize(), 1000u);
    EXPECT_EQ(m->expectedContentLength(), 2048u);
    EXPECT_FLOAT_EQ(m->ratio(), 0.25f);
    EXPECT_EQ(m->speed(), 0u) << "a negative count is refused";
    // What the engine alone decides is not taken from the service.
    EXPECT_TRUE(m->zipPath().isNull());
    EXPECT_EQ(m->state(), KorvoUpdateDownloadStateNew);
    EXPECT_TRUE(m->resumeData().isNull());
    EXPECT_EQ(m->resumeCount(), 0);
    EXPECT_FALSE(m->isSelected());

    // Texts that Qt reads as no finite number are no number here either.
    const auto notNumbers = KorvoUpdateDownloadModel::mj_objectWithKeyValues(nlohmann::json::parse(
        R"({"price": "nan", "progress": "inf", "lastSpeedTime": "-inf", "ratio": " NaN ", "totalFileSize": "inf"})"));
    ASSERT_TRUE(notNumbers);
    EXPECT_EQ(notNumbers->price(), 0);
    EXPECT_EQ(notNumbers->progress(), 0);
    EXPECT_EQ(notNumbers->lastSpeedTime(), 0);
    EXPECT_EQ(notNumbers->ratio(), 0);
    EXPECT_EQ(notNumbers->totalFileSize(), 0u);

    const auto onlyOwnNames =
        KorvoUpdateDownloadModel::mj_objectWithKeyValues(nlohmann::json::parse(R"({"filePath": "x", "sdPath": null})"));
    ASSERT_TRUE(onlyOwnNames);
    EXPECT_TRUE(onlyOwnNames->filePath().isNull());
    EXPECT_TRUE(onlyOwnNames->sdPath().isNull());
    EXPECT_FALSE(KorvoUpdateDownloadModel::mj_objectWithKeyValues(nlohmann::json::array()));

    const nlohmann::json out = m->mj_keyValues();
    EXPECT_EQ(out.at("file_path"), "a/b/BMW_V1.05_1.zip");
    EXPECT_TRUE(out.at("zipPath").is_null());
    EXPECT_FALSE(out.contains("filePath"));
    EXPECT_FALSE(out.contains("resumeCount"));
    EXPECT_FALSE(out.contains("selected"));
}

TEST(DownloadModel, RowReaderReadsColumnsByName) {
    SQLite::Database db(":memory:", SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    db.exec(kDownloadTable);
    SQLite::Statement insert(db, "INSERT INTO t (software, version, language, isUpdate, updateInfo, price, vehicle, "
                                 "url, resumeData, progress, state, totalFileSize, lastStateTime, ratio) "
                                 "VALUES ('BMW', 'V1.0', ' en ', 1, 'aMARODA_KORVO_FLAGb', 2.5, 'BMW', 'u1', "
                                 "x'0102', ?, 3, 5000000000, 1700000000000000, 0.5)");
    insert.bind(1, 0.1);
    insert.exec();
    db.exec("INSERT INTO t (software) VALUES (NULL)");

    SQLite::Statement rows(db, "SELECT * FROM t ORDER BY id");
    ASSERT_TRUE(rows.executeStep());
    auto m = KorvoUpdateDownloadModel::initWithFMResultSet(rows);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->software(), "BMW");
    EXPECT_EQ(m->language(), "en");
    EXPECT_EQ(m->storedLanguage(), " en ");
    EXPECT_EQ(m->updateInfo(), "a\nb");
    EXPECT_TRUE(m->isUpdate());
    EXPECT_EQ(m->vid(), "<null>");
    EXPECT_EQ(m->zipPath(), "<null>");
    EXPECT_EQ(m->resumeData(), QByteArray("\x01\x02", 2));
    EXPECT_EQ(m->progress(), static_cast<double>(0.1f));
    EXPECT_NE(m->progress(), 0.1);
    EXPECT_EQ(m->state(), KorvoUpdateDownloadStatePaused);
    EXPECT_EQ(m->totalFileSize(), 5000000000u);
    EXPECT_EQ(m->lastStateTime(), 1700000000000000u);
    EXPECT_FLOAT_EQ(m->ratio(), 0.5f);

    ASSERT_TRUE(rows.executeStep());
    m = KorvoUpdateDownloadModel::initWithFMResultSet(rows);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->software(), "<null>");
    EXPECT_EQ(m->state(), 0);
    EXPECT_EQ(m->lastSpeedTime(), 0.0);
    EXPECT_TRUE(m->resumeData().isNull());

    EXPECT_FALSE(rows.executeStep());
    EXPECT_FALSE(KorvoUpdateDownloadModel::initWithFMResultSet(rows)) << "no row gives no record";
    SQLite::Statement none(db, "SELECT * FROM t WHERE url = 'absent'");
    EXPECT_FALSE(KorvoUpdateDownloadModel::initWithFMResultSet(none));
}

TEST(DownloadModel, ConcurrentWritersAndReadersOfOneRecord) {
    const auto m = KorvoUpdateDownloadModel::create();
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) {
            m->setZipPath(QString("/tmp/archive-%1.7z").arg(i));
            m->setTmpFileSize(i);
        }
    });
    for (int i = 0; i < 2000; ++i) {
        const QString path = m->zipPath();
        EXPECT_TRUE(path.isNull() || path.startsWith("/tmp/archive-"));
        (void)m->tmpFileSize();
    }
    writer.join();
    EXPECT_EQ(m->zipPath(), "/tmp/archive-1999.7z");
}

} // namespace
