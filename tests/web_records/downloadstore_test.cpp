#include "Documents.h"
#include "KorvoUpdateDownloadDataBaseManager.h"
#include "Log.h"
#include "NotificationCenter.h"
#include "TempDir.h"
#include "TestBytes.h"

#include <QCryptographicHash>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

int64_t nowMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

KorvoUpdateDownloadModelPtr makeRecord(const QString& software, const QString& vehicle, const QString& url,
                                       int64_t state = 0, uint64_t stamp = 0) {
    auto m = KorvoUpdateDownloadModel::create();
    m->setSoftware(software);
    m->setVehicle(vehicle);
    m->setUrl(url);
    m->setState(state);
    m->setLastStateTime(stamp);
    return m;
}

QStringList urls(const KorvoUpdateDownloadModelList& list) {
    QStringList out;
    for (const auto& m : list)
        out << m->url();
    return out;
}

// Counts the state-change notifications and what the store held for the record when each came.
struct StateObserver {
    explicit StateObserver(KorvoUpdateDownloadDataBaseManager& store) : store(store) {
        NotificationCenter::defaultCenter().addObserver(
            this, KorvoUpdateDownloadStateChangeNotification, [this](const Notification& n) {
                ++posts;
                auto record = retainedObject<KorvoUpdateDownloadModel>(n.userInfo);
                retainedMatches = record && record.get() == n.object;
                // Reading the store from inside must neither deadlock
                // nor see the new state yet.
                const auto row = this->store.getModelWithUrl(record->url());
                storedWhenPosted = row ? row->state() : -1;
            });
    }
    ~StateObserver() { NotificationCenter::defaultCenter().removeObserver(this); }
    KorvoUpdateDownloadDataBaseManager& store;
    int posts = 0;
    bool retainedMatches = false;
    int64_t storedWhenPosted = -2;
};

// Keeps the log lines written while it lives.
struct LogCapture {
    LogCapture() {
        previous = syslogline::setSink([this](const std::string& line) { lines.push_back(line); });
    }
    ~LogCapture() { syslogline::setSink(previous); }
    int count(const std::string& part) const {
        return int(std::count_if(lines.begin(), lines.end(),
                                 [&](const std::string& l) { return l.find(part) != std::string::npos; }));
    }
    std::vector<std::string> lines;
    syslogline::Sink previous;
};

class DownloadStore : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setDocumentsDirectory(QString::fromStdString(dir.path()));
        store.creatDBWithSerialNumber("sn0042", "owner@example.com");
    }
    void TearDown() override { platform::setDocumentsDirectory({}); }
    // A second connection to the file, as another reader would have.
    std::unique_ptr<SQLite::Database> openFile() const {
        return std::make_unique<SQLite::Database>(dir.file("KorvoUpdate.db"), SQLite::OPEN_READWRITE, 5000);
    }
    TempDir dir;
    KorvoUpdateDownloadDataBaseManager store;
};

TEST_F(DownloadStore, TablesPerSerialNumberAndAccount) {
    const QString suffix = KorvoUpdateDownloadDataBaseManager::uniqueIDStringFor("sn0042", "owner@example.com");
    EXPECT_EQ(suffix, QString(QCryptographicHash::hash("SN0042_owner@example.com", QCryptographicHash::Md5).toHex()));
    EXPECT_EQ(store.uniqueIDString(), suffix);
    EXPECT_EQ(KorvoUpdateDownloadDataBaseManager::databasePath(), QString::fromStdString(dir.file("KorvoUpdate.db")));

    auto db = openFile();
    for (const char* table : {"t_downloadFiles_", "t_installFinishFiles_"}) {
        SQLite::Statement columns(*db, "PRAGMA table_info(" + std::string(table) + suffix.toStdString() + ")");
        int count = 0;
        while (columns.executeStep())
            ++count;
        EXPECT_EQ(count, 25) << table;
    }

    store.insertModel(*makeRecord("BMW", "BMW", "http://h/a.zip"));
    store.creatDBWithSerialNumber("SN0042", "other");
    EXPECT_TRUE(store.getAllCacheData().empty()) << "another account has tables of its own";
    store.insertModel(*makeRecord("VW", "VW", "http://h/b.zip"));
    store.creatDBWithSerialNumber("Sn0042", "owner@example.com");
    EXPECT_EQ(urls(store.getAllCacheData()), QStringList{"http://h/a.zip"});
}

TEST_F(DownloadStore, ClosedOrRefusedStoreDoesNothing) {
    KorvoUpdateDownloadDataBaseManager closed;
    EXPECT_FALSE(closed.isOpen());
    StateObserver observer(closed);
    {
        LogCapture log;
        closed.insertModel(*makeRecord("BMW", "BMW", "u"));
        closed.updateWithModel(makeRecord("BMW", "BMW", "u", 3), KorvoUpdateDownloadUpdateState);
        EXPECT_EQ(log.count("dropped"), 2) << "no write goes without a trace in the log";
    }
    EXPECT_TRUE(closed.getAllCacheData().empty());
    EXPECT_FALSE(closed.getModelWithUrl("u"));
    EXPECT_EQ(observer.posts, 0);

    closed.setUniqueIDString("x; DROP TABLE t_downloadFiles_0");
    closed.creatCachesTableWithUniqueIDString("x; DROP TABLE t_downloadFiles_0");
    EXPECT_FALSE(closed.isOpen()) << "a suffix that is no MD5 is never formatted into SQL";
    closed.creatCachesTableWithUniqueIDString("0123456789ABCDEF0123456789abcdef");
    EXPECT_FALSE(closed.isOpen());

    // A file that cannot be opened closes the store instead of leaving it on the previous user's tables.
    store.insertModel(*makeRecord("BMW", "BMW", "first user"));
    dir.write("blocked", std::string("a file where the folder should be"));
    platform::setDocumentsDirectory(QString::fromStdString(dir.file("blocked/Documents")));
    store.creatDBWithSerialNumber("sn0042", "second user");
    EXPECT_FALSE(store.isOpen());
    store.insertModel(*makeRecord("BMW", "BMW", "second user"));
    EXPECT_TRUE(store.getAllCacheData().empty());
    platform::setDocumentsDirectory(QString::fromStdString(dir.path()));
    store.creatDBWithSerialNumber("sn0042", "owner@example.com");
    EXPECT_EQ(urls(store.getAllCacheData()), QStringList{"first user"});
}

TEST_F(DownloadStore, InsertKeepsTheFirstRowAndWritesColumnsAsTheStoreDoes) {
    auto first = makeRecord("bmw", "bmw", "http://h/BMW_V1.zip", KorvoUpdateDownloadStatePaused, 77);
    first->setVersion("V1.00");
    first->setLanguage(" English\r\n");
    first->setUpdateInfo("aMARODA_KORVO_FLAGb");
    first->setProgress(0.1);
    first->setResumeData(QByteArray("\0\1\2", 3));
    first->setRatio(0.5f);
    first->setTotalFileSize(5000000000ULL);
    store.insertModel(*first);
    auto second = makeRecord("BMW", "BMW", "http://h/BMW_V1.zip");
    second->setVersion("V2.00");
    store.insertModel(*second);
    store.insertModel(*makeRecord("BMW", "BMW", "http://h/bmw_v1.zip"));

    const auto all = store.getAllCacheData();
    ASSERT_EQ(all.size(), 2u) << "a url that differs in case is another record";
    const auto row = store.getModelWithUrl("http://h/BMW_V1.zip");
    ASSERT_TRUE(row);
    EXPECT_EQ(row->version(), "V1.00");
    EXPECT_EQ(row->software(), "BMW");
    EXPECT_EQ(row->vehicle(), "BMW");
    EXPECT_EQ(row->storedLanguage(), "English");
    EXPECT_EQ(row->storedUpdateInfo(), "a\nb");
    EXPECT_EQ(row->progress(), static_cast<double>(0.1f));
    EXPECT_EQ(row->resumeData(), QByteArray("\0\1\2", 3));
    EXPECT_EQ(row->state(), KorvoUpdateDownloadStatePaused);
    EXPECT_EQ(row->lastStateTime(), 77u);
    EXPECT_EQ(row->totalFileSize(), 5000000000ULL);
    EXPECT_EQ(row->zipPath(), "<null>");
    EXPECT_NE(row.get(), first.get()) << "every read gives new records";
    EXPECT_EQ(store.getModelWithName("Bmw").size(), 2u);
}

TEST_F(DownloadStore, QueryOptions) {
    const int64_t t = 1700000000000000;
    store.insertModel(*makeRecord("S", "V", "new", 0, t));
    store.insertModel(*makeRecord("S", "V", "down-old", 1, t + 1));
    store.insertModel(*makeRecord("S", "V", "down-new", 1, t + 5));
    store.insertModel(*makeRecord("S", "V", "down-unstamped", 1, 0));
    store.insertModel(*makeRecord("S", "V", "wait-unstamped", 2, 0));
    store.insertModel(*makeRecord("S", "V", "wait-new", 2, t + 9));
    store.insertModel(*makeRecord("S", "V", "wait-old", 2, t + 2));
    store.insertModel(*makeRecord("S", "V", "paused", 3, t));
    store.insertModel(*makeRecord("T", "W", "done", 4, t));
    store.insertModel(*makeRecord("T", "W", "failed", 5, t));

    EXPECT_EQ(store.getAllCacheData().size(), 10u);
    EXPECT_EQ(urls(store.getAllDownloadingData()), (QStringList{"down-new", "down-old", "down-unstamped"}));
    EXPECT_EQ(urls(store.getAllDownloadedData()), QStringList{"done"});
    EXPECT_EQ(urls(store.getAllUnDownloadedData()),
              (QStringList{"down-old", "down-new", "down-unstamped", "wait-unstamped", "wait-new", "wait-old", "paused",
                           "failed"}));
    EXPECT_EQ(urls(store.getAllWaitingData()), (QStringList{"wait-unstamped", "wait-new", "wait-old"}));
    EXPECT_EQ(store.getWaitingModel()->url(), "wait-old");
    EXPECT_EQ(store.getLastDownloadingModel()->url(), "down-new");
    EXPECT_EQ(store.getModelWithUrl("paused")->state(), 3);
    EXPECT_EQ(store.getModelWithUrl("paused", 3)->url(), "paused");
    EXPECT_FALSE(store.getModelWithUrl("paused", 2));
    EXPECT_EQ(urls(store.getModelWithName("t")), (QStringList{"done", "failed"}));
    EXPECT_EQ(urls(store.getModelWithVehicle("w")), (QStringList{"done", "failed"}));

    EXPECT_TRUE(store.getDateWithOption(5).empty());
    EXPECT_TRUE(store.getDateWithOption(8).empty());
    EXPECT_TRUE(store.getDateWithOption(0, "S").empty());
    EXPECT_FALSE(store.getModelWithOption(0, "paused"));
    EXPECT_FALSE(store.getModelWithOption(8, "paused"));
    EXPECT_FALSE(store.getModelWithOption(6, "paused", 3));

    // A single read gives the last row its query yields.
    store.insertModel(*makeRecord("S", "Other", "paused", 5, t));
    EXPECT_EQ(store.getModelWithUrl("paused")->state(), 5);

    store.deleteAll();
    store.insertModel(*makeRecord("S", "V", "only-unstamped", 2, 0));
    EXPECT_EQ(store.getAllWaitingData().size(), 1u);
    EXPECT_FALSE(store.getWaitingModel()) << "an unstamped waiting record is never started from the queue";
}

// The plan SQLite makes for a statement, as its lines of EXPLAIN QUERY PLAN.
std::string queryPlan(SQLite::Database& db, const std::string& sql) {
    SQLite::Statement explain(db, "EXPLAIN QUERY PLAN " + sql);
    std::string plan;
    while (explain.executeStep())
        plan += explain.getColumn(3).getString() + "\n";
    return plan;
}

// Every look-up, update and insert finds its rows by an index, not by reading the whole table; a file made before
// the indexes gets them when it is opened, keeping its rows and its tables' layout.
TEST_F(DownloadStore, LookupsUseIndexesWhichAnExistingFileGets) {
    TempDir old;
    platform::setDocumentsDirectory(QString::fromStdString(old.path()));
    const std::string suffix = KorvoUpdateDownloadDataBaseManager::uniqueIDStringFor("SN7", "me").toStdString();
    std::string downloadTable, installTable;
    {
        SQLite::Database db(old.file("KorvoUpdate.db"), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        for (const std::string& table : {std::string("t_downloadFiles_"), std::string("t_installFinishFiles_")}) {
            db.exec("CREATE TABLE " + table + suffix +
                    " (id integer PRIMARY KEY AUTOINCREMENT, software text, version text, language text, "
                    "releaseVerion text, isUpdate integer, filePath text, sdPath text, updateInfo text, price double, "
                    "vehicle text, zipPath text, vid text, url text, resumeData blob, progress float, state integer, "
                    "totalFileSize integer, tmpFileSize integer, speed integer, lastSpeedTime double, "
                    "intervalFileSize integer, lastStateTime integer, expectedContentLength integer, ratio float)");
            for (int i = 0; i < 50; ++i)
                db.exec("INSERT INTO " + table + suffix + " (software, vehicle, url, state, lastStateTime) VALUES " +
                        "('S', 'V" + std::to_string(i % 5) + "', 'u" + std::to_string(i) + "', " +
                        std::to_string(i % 6) + ", " + std::to_string(1000 - i) + ")");
        }
        SQLite::Statement schema(
            db, "SELECT sql FROM sqlite_master WHERE type = 'table' AND name LIKE 't_%' ORDER BY name");
        ASSERT_TRUE(schema.executeStep());
        downloadTable = schema.getColumn(0).getString();
        ASSERT_TRUE(schema.executeStep());
        installTable = schema.getColumn(0).getString();
    }
    KorvoUpdateDownloadDataBaseManager reopened;
    reopened.creatDBWithSerialNumber("SN7", "me");
    EXPECT_EQ(reopened.getAllCacheData().size(), 50u);
    EXPECT_EQ(reopened.getAllCacheDataForInstall().size(), 50u);
    EXPECT_EQ(urls(reopened.getAllWaitingData()), (QStringList{"u2", "u8", "u14", "u20", "u26", "u32", "u38", "u44"}))
        << "lists keep the order of the rows";
    EXPECT_EQ(reopened.getWaitingModel()->url(), "u44") << "the waiting record stamped longest ago";
    EXPECT_EQ(urls(reopened.getModelWithVehicle("V1")).mid(0, 3), (QStringList{"u1", "u6", "u11"}));
    EXPECT_EQ(urls(reopened.getAllDataWithVehicleForInstall("V1")).mid(0, 3), (QStringList{"u1", "u6", "u11"}));

    SQLite::Database db(old.file("KorvoUpdate.db"), SQLite::OPEN_READONLY);
    SQLite::Statement schema(db,
                             "SELECT sql FROM sqlite_master WHERE type = 'table' AND name LIKE 't_%' ORDER BY name");
    ASSERT_TRUE(schema.executeStep());
    EXPECT_EQ(schema.getColumn(0).getString(), downloadTable);
    ASSERT_TRUE(schema.executeStep());
    EXPECT_EQ(schema.getColumn(0).getString(), installTable);

    for (const std::string& table : {"t_downloadFiles_" + suffix, "t_installFinishFiles_" + suffix}) {
        SCOPED_TRACE(table);
        for (const std::string& where :
             {std::string("url = ?"), std::string("vehicle = ?"), std::string("vehicle = ? and url = ?"),
              std::string("software = ? and vehicle = ? and url = ?"),
              std::string("state = ? and lastStateTime != 0 order by lastStateTime asc limit 0,1")}) {
            const std::string plan = queryPlan(db, "SELECT * FROM " + table + " WHERE " + where);
            EXPECT_NE(plan.find("USING INDEX"), std::string::npos) << where << ": " << plan;
            EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos) << where << ": " << plan;
            // A vehicle's rows can be all rows: a key with the url is searched by the url.
            if (where.find("url") != std::string::npos) {
                EXPECT_NE(plan.find("url=?"), std::string::npos) << where << ": " << plan;
            }
        }
    }
    const std::string downloads = "t_downloadFiles_" + suffix;
    for (const std::string& sql :
         {"UPDATE " + downloads + " SET state = ? WHERE vehicle = ? and url = ?",
          "SELECT * FROM " + downloads + " WHERE vehicle = ?", "DELETE FROM " + downloads + " WHERE url = ?",
          "SELECT * FROM " + downloads + " WHERE state = ? order by lastStateTime desc",
          "SELECT state FROM " + downloads + " WHERE url = ?"}) {
        const std::string plan = queryPlan(db, sql);
        EXPECT_NE(plan.find("USING INDEX"), std::string::npos) << sql << ": " << plan;
    }
}

TEST_F(DownloadStore, InstalledPackagesAndDeletes) {
    store.insertModelForInstall(*makeRecord("bmw", "bmw", "a"));
    store.insertModelForInstall(*makeRecord("BMW", "BMW", "a"));
    store.insertModelForInstall(*makeRecord("vw", "audi", "b"));
    EXPECT_EQ(urls(store.getAllCacheDataForInstall()), (QStringList{"a", "b"}));
    EXPECT_EQ(urls(store.getAllDataWithSoftwareForInstall("Vw")), QStringList{"b"});
    EXPECT_EQ(urls(store.getAllDataWithVehicleForInstall("Audi")), QStringList{"b"});
    EXPECT_TRUE(store.getDateWithOptionForInstall(1).empty());
    EXPECT_TRUE(store.getDateWithOptionForInstall(0, "BMW").empty());
    EXPECT_TRUE(store.getAllCacheData().empty()) << "the download table is another table";
    store.deleteModelWithVehicleForInstall("audi");
    store.deleteModelWithSoftwareForInstall("Bmw");
    EXPECT_TRUE(store.getAllCacheDataForInstall().empty());

    for (const char* url : {"u1", "U1", "u2", "u3"})
        store.insertModel(*makeRecord("soft", "car", url, 3));
    store.insertModel(*makeRecord("soft", "car", "u4", 4));
    store.insertModel(*makeRecord("other", "van", "u5", 4));
    store.deleteModelWithUrl("u1");
    EXPECT_EQ(urls(store.getAllCacheData()), (QStringList{"U1", "u2", "u3", "u4", "u5"}));
    store.deleteModelWithName("Car", 4);
    EXPECT_EQ(urls(store.getAllCacheData()), (QStringList{"U1", "u2", "u3", "u5"}));
    store.deleteModelWithSoftware("OTHER");
    EXPECT_EQ(urls(store.getAllCacheData()), (QStringList{"U1", "u2", "u3"}));
    store.deleteModelWithVehicle("cAr");
    EXPECT_TRUE(store.getAllCacheData().empty());
    store.insertModel(*makeRecord("soft", "car", "u6"));
    store.deleteAll();
    EXPECT_TRUE(store.getAllCacheData().empty());
}

TEST_F(DownloadStore, EachUpdateBitWritesItsColumns) {
    const uint64_t stamp = 1000;
    auto stored = makeRecord("soft", "car", "u", KorvoUpdateDownloadStatePaused, stamp);
    stored->setZipPath("/old.7z");
    store.insertModel(*stored);

    auto m = makeRecord("SOFT2", "Car", "u", KorvoUpdateDownloadStatePaused, 5);
    m->setVersion("V9");
    m->setZipPath("/new.7z");
    m->setResumeData("resume");
    m->setTmpFileSize(10);
    m->setTotalFileSize(20);
    m->setProgress(0.5);
    m->setLastSpeedTime(12.5);
    m->setIntervalFileSize(3);
    m->setSpeed(4);
    const auto row = [&] { return store.getModelWithUrl("u"); };

    for (int option : {0, 64, 128})
        store.updateWithModel(m, option);
    EXPECT_EQ(row()->tmpFileSize(), 0u);
    EXPECT_TRUE(row()->resumeData().isNull());

    store.updateWithModel(m, KorvoUpdateDownloadUpdateResumeData);
    EXPECT_EQ(row()->resumeData(), "resume");
    EXPECT_EQ(row()->tmpFileSize(), 0u);
    store.updateWithModel(m, KorvoUpdateDownloadUpdateProgress);
    EXPECT_EQ(row()->tmpFileSize(), 10u);
    EXPECT_EQ(row()->totalFileSize(), 20u);
    EXPECT_EQ(row()->progress(), 0.5);
    EXPECT_EQ(row()->lastSpeedTime(), 12.5);
    EXPECT_EQ(row()->speed(), 4u);
    EXPECT_EQ(row()->version(), "<null>");
    EXPECT_EQ(row()->lastStateTime(), stamp);

    const int64_t before = nowMicros();
    store.updateWithModel(m, KorvoUpdateDownloadUpdateStateTime);
    EXPECT_GE(int64_t(row()->lastStateTime()), before);
    EXPECT_LE(int64_t(row()->lastStateTime()), nowMicros());

    m->setResumeData(QByteArray());
    store.updateWithModel(m, KorvoUpdateDownloadUpdateResumeData);
    EXPECT_TRUE(row()->resumeData().isNull());

    store.updateWithModel(m, KorvoUpdateDownloadUpdateAllButZipPath);
    EXPECT_EQ(row()->version(), "V9");
    EXPECT_EQ(row()->software(), "SOFT2");
    EXPECT_EQ(row()->zipPath(), "/old.7z");
    EXPECT_GE(int64_t(row()->lastStateTime()), before) << "stamped with now, not the record's 5";
    store.updateWithModel(m, KorvoUpdateDownloadUpdateAll);
    EXPECT_EQ(row()->zipPath(), "/new.7z");
    EXPECT_EQ(m->lastStateTime(), 5u) << "the record itself is never changed";

    // Rows are found by the upper-cased vehicle and the exact url.
    m->setVehicle("truck");
    m->setTmpFileSize(99);
    store.updateWithModel(m, KorvoUpdateDownloadUpdateProgress);
    EXPECT_EQ(row()->tmpFileSize(), 10u);
}

TEST_F(DownloadStore, StateChangeNotificationRules) {
    StateObserver observer(store);
    store.insertModel(*makeRecord("S", "V", "waiting", KorvoUpdateDownloadStateWaiting));
    store.insertModel(*makeRecord("S", "V", "finished", KorvoUpdateDownloadStateFinished));
    EXPECT_EQ(observer.posts, 0) << "inserts never post";

    store.updateWithModel(makeRecord("S", "V", "waiting", KorvoUpdateDownloadStateDownloading),
                          KorvoUpdateDownloadUpdateState | KorvoUpdateDownloadUpdateAllButZipPath);
    EXPECT_EQ(observer.posts, 1) << "the later check sees the state the earlier bit wrote";
    EXPECT_TRUE(observer.retainedMatches);
    EXPECT_EQ(observer.storedWhenPosted, KorvoUpdateDownloadStateWaiting) << "posted before the row holds 1";
    EXPECT_EQ(store.getModelWithUrl("waiting")->state(), KorvoUpdateDownloadStateDownloading);

    store.updateWithModel(makeRecord("S", "V", "finished", KorvoUpdateDownloadStateFailed),
                          KorvoUpdateDownloadUpdateState);
    EXPECT_EQ(observer.posts, 1) << "a finished row is silent";
    EXPECT_EQ(store.getModelWithUrl("finished")->state(), KorvoUpdateDownloadStateFailed);
    store.updateWithModel(makeRecord("S", "V", "finished", KorvoUpdateDownloadStatePaused),
                          KorvoUpdateDownloadUpdateAll);
    EXPECT_EQ(observer.posts, 2) << "once 5 is stored the row speaks again";

    store.updateWithModel(makeRecord("S", "V", "absent", KorvoUpdateDownloadStatePaused),
                          KorvoUpdateDownloadUpdateState);
    EXPECT_EQ(observer.posts, 3) << "no row reads as state 0";
    EXPECT_FALSE(store.getModelWithUrl("absent"));
    store.updateWithModel(makeRecord("S", "V", "absent", KorvoUpdateDownloadStateNew), KorvoUpdateDownloadUpdateState);
    store.updateWithModel(makeRecord("S", "V", "waiting", KorvoUpdateDownloadStateNew),
                          KorvoUpdateDownloadUpdateStateTime | KorvoUpdateDownloadUpdateResumeData |
                              KorvoUpdateDownloadUpdateProgress);
    EXPECT_EQ(observer.posts, 3);
}

TEST_F(DownloadStore, ObserverMayWriteTheStoreFromInsideTheNotification) {
    store.insertModel(*makeRecord("S", "V", "a", KorvoUpdateDownloadStateDownloading));
    store.insertModel(*makeRecord("S", "V", "b", KorvoUpdateDownloadStateWaiting));
    int posts = 0;
    NotificationCenter::defaultCenter().addObserver(
        this, KorvoUpdateDownloadStateChangeNotification, [&](const Notification& n) {
            ++posts;
            auto record = retainedObject<KorvoUpdateDownloadModel>(n.userInfo);
            if (record->url() != "a") return;
            // The engine starts the next waiting download when one ends.
            store.updateWithModel(makeRecord("S", "V", "b", KorvoUpdateDownloadStateDownloading),
                                  KorvoUpdateDownloadUpdateState | KorvoUpdateDownloadUpdateStateTime);
        });
    store.updateWithModel(makeRecord("S", "V", "a", KorvoUpdateDownloadStateFinished),
                          KorvoUpdateDownloadUpdateState | KorvoUpdateDownloadUpdateStateTime);
    NotificationCenter::defaultCenter().removeObserver(this);
    EXPECT_EQ(posts, 2);
    EXPECT_EQ(store.getModelWithUrl("a")->state(), KorvoUpdateDownloadStateFinished);
    EXPECT_EQ(store.getModelWithUrl("b")->state(), KorvoUpdateDownloadStateDownloading);
    EXPECT_NE(store.getModelWithUrl("b")->lastStateTime(), 0u);
}

TEST_F(DownloadStore, ReadersNeverSeeAWaitingRowWithoutItsStamp) {
    for (int i = 0; i < 20; ++i)
        store.insertModel(*makeRecord("S", "V", QString("u%1").arg(i)));
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::thread sameStore([&] {
        while (!done)
            for (const auto& m : store.getAllWaitingData())
                if (m->lastStateTime() == 0) ++torn;
    });
    std::thread otherConnection([&] {
        auto db = openFile();
        const std::string sql = "SELECT count(*) FROM t_downloadFiles_" + store.uniqueIDString().toStdString() +
                                " WHERE state = 2 AND lastStateTime = 0";
        while (!done) {
            SQLite::Statement st(*db, sql);
            if (st.executeStep() && st.getColumn(0).getInt() != 0) ++torn;
        }
    });
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 20; ++i)
            store.updateWithModel(makeRecord("S", "V", QString("u%1").arg(i), KorvoUpdateDownloadStateWaiting),
                                  KorvoUpdateDownloadUpdateState | KorvoUpdateDownloadUpdateStateTime);
        store.deleteAll();
        for (int i = 0; i < 20; ++i)
            store.insertModel(*makeRecord("S", "V", QString("u%1").arg(i)));
    }
    done = true;
    sameStore.join();
    otherConnection.join();
    EXPECT_EQ(torn, 0);
}

TEST_F(DownloadStore, CrashBetweenStateAndStampLeavesTheRowAsItWas) {
    store.insertModel(*makeRecord("S", "V", "u"));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        store.setAfterStatementHook([](int bit) {
            if (bit == KorvoUpdateDownloadUpdateState) _exit(0);
        });
        store.updateWithModel(makeRecord("S", "V", "u", KorvoUpdateDownloadStateWaiting),
                              KorvoUpdateDownloadUpdateState | KorvoUpdateDownloadUpdateStateTime);
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << "the child stopped between the two statements";

    KorvoUpdateDownloadDataBaseManager reopened;
    reopened.creatDBWithSerialNumber("sn0042", "owner@example.com");
    const auto row = reopened.getModelWithUrl("u");
    ASSERT_TRUE(row);
    EXPECT_EQ(row->state(), KorvoUpdateDownloadStateNew);
    EXPECT_EQ(row->lastStateTime(), 0u);
}

TEST_F(DownloadStore, WriterWaitsForABusyFileInsteadOfDroppingTheWrite) {
    store.insertModel(*makeRecord("S", "V", "u"));
    auto other = openFile();
    other->exec("BEGIN IMMEDIATE");
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        other->exec("COMMIT");
    });
    store.updateWithModel(makeRecord("S", "V", "u", KorvoUpdateDownloadStatePaused), KorvoUpdateDownloadUpdateState);
    release.join();
    EXPECT_EQ(store.getModelWithUrl("u")->state(), KorvoUpdateDownloadStatePaused);
}

class StoreOpening : public DownloadStore {
protected:
    // The fixture's file with one record, back in rollback mode, as a file of another program could be.
    void SetUp() override {
        DownloadStore::SetUp();
        store.insertModel(*makeRecord("S", "V", "kept"));
        release(store);
        setJournalMode("DELETE");
    }
    // Opens the store on a file elsewhere, so that it lets go of ours.
    void release(KorvoUpdateDownloadDataBaseManager& s) {
        platform::setDocumentsDirectory(QString::fromStdString(elsewhere.path()));
        s.creatDBWithSerialNumber("sn0042", "owner@example.com");
        platform::setDocumentsDirectory(QString::fromStdString(dir.path()));
    }
    void setJournalMode(const std::string& mode) {
        auto db = openFile();
        db->exec("PRAGMA journal_mode=" + mode);
    }
    std::string journalMode() {
        auto db = openFile();
        SQLite::Statement mode(*db, "PRAGMA journal_mode");
        return mode.executeStep() ? mode.getColumn(0).getString() : std::string();
    }
    TempDir elsewhere;
    KorvoUpdateDownloadDataBaseManager other;
};

// Switching to WAL needs the file to itself: with another program reading it, the store stays in rollback mode.
TEST_F(StoreOpening, AFailedSwitchToWalLeavesTheStoreOpenInRollbackMode) {
    auto reader = openFile();
    reader->exec("BEGIN");
    reader->exec("SELECT count(*) FROM sqlite_master");
    other.setBusyTimeout(50);
    other.creatDBWithSerialNumber("sn0042", "owner@example.com");
    EXPECT_TRUE(other.isOpen());
    EXPECT_EQ(urls(other.getAllCacheData()), QStringList{"kept"});
    reader->exec("COMMIT");
    other.insertModel(*makeRecord("S", "V", "added"));
    EXPECT_EQ(urls(other.getAllCacheData()), (QStringList{"kept", "added"}));
    EXPECT_EQ(journalMode(), "delete");
}

// Another program holds the file while the store opens: every operation tries the open again until it works, and
// each write dropped in the meantime is logged.
TEST_F(StoreOpening, ABusyOpenIsTriedAgainByTheNextOperation) {
    LogCapture log;
    auto holder = openFile();
    holder->exec("BEGIN EXCLUSIVE");
    other.setBusyTimeout(50);
    other.creatDBWithSerialNumber("sn0042", "owner@example.com");
    EXPECT_FALSE(other.isOpen());
    other.insertModel(*makeRecord("S", "V", "lost"));
    other.updateWithModel(makeRecord("S", "V", "kept", KorvoUpdateDownloadStatePaused), KorvoUpdateDownloadUpdateState);
    other.deleteModelWithUrl("kept");
    EXPECT_EQ(log.count("dropped"), 3);
    EXPECT_TRUE(other.getAllCacheData().empty());
    holder->exec("COMMIT");

    EXPECT_EQ(urls(other.getAllCacheData()), QStringList{"kept"});
    EXPECT_TRUE(other.isOpen());
    other.insertModel(*makeRecord("S", "V", "added"));
    EXPECT_EQ(urls(other.getAllCacheData()), (QStringList{"kept", "added"}));
    EXPECT_EQ(log.count("dropped"), 3);
    other.insertModelForInstall(*makeRecord("S", "V", "installed"));
    EXPECT_EQ(urls(other.getAllCacheDataForInstall()), QStringList{"installed"}) << "both tables are there";
}

// A file that is no database is moved aside, never removed or overwritten, and a new one is started in its place.
TEST_F(StoreOpening, ADamagedFileIsMovedAsideAndANewOneStarted) {
    // No database at all, with a journal beside it; and an SQLite header over pages that are not.
    const auto valid = readFileBytes(dir.file("KorvoUpdate.db"));
    std::string brokenPages(valid.begin(), valid.begin() + 100);
    brokenPages += std::string(valid.size() - 100, '\xff');
    const std::vector<std::pair<std::string, std::string>> damages = {
        {"first damage" + std::string(4096, 'x'), "first journal"},
        {"second damage" + std::string(4096, 'x'), "second journal"},
        {brokenPages, ""}};
    for (const auto& [bytes, journal] : damages) {
        dir.write("KorvoUpdate.db", bytes);
        if (!journal.empty()) dir.write("KorvoUpdate.db-wal", journal);
        other.creatDBWithSerialNumber("sn0042", "owner@example.com");
        EXPECT_TRUE(other.isOpen());
        EXPECT_TRUE(other.getAllCacheData().empty());
        other.insertModel(*makeRecord("S", "V", "new"));
        EXPECT_EQ(urls(other.getAllCacheData()), QStringList{"new"});
        release(other);
    }
    std::vector<std::string> aside;
    for (const auto& name : dir.list())
        if (name.rfind("KorvoUpdate.db.damaged-", 0) == 0) aside.push_back(name);
    std::sort(aside.begin(), aside.end());
    // Each under a name of its own (numbered within one second), its journal under the same name.
    ASSERT_EQ(aside.size(), 5u);
    std::vector<std::string> kept;
    for (const auto& name : aside) {
        const auto bytes = readFileBytes(dir.file(name));
        kept.emplace_back(bytes.begin(), bytes.end());
    }
    std::sort(kept.begin(), kept.end());
    std::vector<std::string> written = {damages[0].first, damages[0].second, damages[1].first, damages[1].second,
                                        damages[2].first};
    std::sort(written.begin(), written.end());
    EXPECT_TRUE(kept == written) << "every damaged file is kept as it was";
}

// Damage behind a sound first page (header and schema) is found by the check at the opening or, without it, by
// whichever statement meets it first, also inside an observer of the notification: the file is moved aside as it
// was, and a new one serves the rest of the session and every other connection.
TEST_F(StoreOpening, DamagedTablePagesAreMovedAsideByWhateverMeetsThem) {
    const auto valid = readFileBytes(dir.file("KorvoUpdate.db"));
    const size_t page = size_t(valid[16]) << 8 | valid[17];
    ASSERT_GT(valid.size(), 2 * page);
    const int64_t tablePage =
        openFile()->execAndGet("SELECT rootpage FROM sqlite_master WHERE name LIKE 't_downloadFiles_%'").getInt64();
    const size_t table = size_t(tablePage - 1) * page;
    // Every page but the first; or the download table's alone, which a look-up by a url that is not there misses.
    auto damaged = valid, tableOnly = valid;
    const auto noise = randomBytes(valid.size() - page, 24);
    std::copy(noise.begin(), noise.end(), damaged.begin() + long(page));
    std::copy(noise.begin(), noise.begin() + long(page), tableOnly.begin() + long(table));
    const auto reading = [&](const Notification&) { other.getAllCacheData(); };
    const std::vector<std::tuple<std::string, const std::vector<uint8_t>*, std::function<void()>>> ways = {
        {"opening", &damaged, nullptr},
        {"list", &damaged, [&] { other.getAllCacheData(); }},
        {"one record", &damaged, [&] { other.getModelWithUrl("kept"); }},
        {"installed", &damaged, [&] { other.getAllCacheDataForInstall(); }},
        {"insert", &damaged, [&] { other.insertModel(*makeRecord("S", "V", "new")); }},
        {"update", &damaged,
         [&] { other.updateWithModel(makeRecord("S", "V", "kept", 3), KorvoUpdateDownloadUpdateState); }},
        {"delete", &damaged, [&] { other.deleteModelWithVehicle("V"); }},
        {"observer", &tableOnly,
         [&] {
             NotificationCenter::defaultCenter().addObserver(&reading, KorvoUpdateDownloadStateChangeNotification,
                                                             reading);
             other.updateWithModel(makeRecord("S", "V", "absent", 3), KorvoUpdateDownloadUpdateState);
             NotificationCenter::defaultCenter().removeObserver(&reading);
         }},
    };
    int renewals = 0;
    NotificationCenter::defaultCenter().addObserver(this, KorvoUpdateDownloadStoreRenewedNotification,
                                                    [&](const Notification& n) { renewals += n.object == &other; });
    for (const auto& [way, bytes, use] : ways) {
        SCOPED_TRACE(way);
        const int before = renewals;
        dir.write("KorvoUpdate.db", *bytes);
        other.setOpenCheckTimeout(use ? 0 : 60000);
        other.creatDBWithSerialNumber("sn0042", "owner@example.com");
        if (use) use();
        EXPECT_EQ(renewals, before + 1);
        other.insertModel(*makeRecord("S", "V", "after"));
        KorvoUpdateDownloadDataBaseManager later;
        later.creatDBWithSerialNumber("sn0042", "owner@example.com");
        EXPECT_EQ(urls(later.getAllCacheData()),
                  way == "insert" ? QStringList({"new", "after"}) : QStringList{"after"});
        release(later);
        release(other);
    }
    NotificationCenter::defaultCenter().removeObserver(this);
    std::vector<std::string> aside;
    for (const auto& name : dir.list())
        if (name.rfind("KorvoUpdate.db.damaged-", 0) == 0 && name.find("-wal") == std::string::npos &&
            name.find("-shm") == std::string::npos)
            aside.push_back(name);
    ASSERT_EQ(aside.size(), ways.size());
    const auto sameBehindTheFirstPage = [&](const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
        return a.size() == b.size() && std::equal(a.begin() + long(page), a.end(), b.begin() + long(page));
    };
    for (const auto& name : aside) {
        const auto kept = readFileBytes(dir.file(name));
        EXPECT_TRUE(sameBehindTheFirstPage(kept, damaged) || sameBehindTheFirstPage(kept, tableOnly))
            << name << ": the damaged pages are kept as they were";
    }
}

// The check at the opening runs on the caller's thread: past its time a sound file opens unchecked.
TEST_F(StoreOpening, TheCheckAtTheOpeningIsCutShortInTime) {
    const std::string table = "t_downloadFiles_" + store.uniqueIDString().toStdString();
    openFile()->exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) INSERT INTO " +
                     table + " (url, resumeData) SELECT 'u' || i, randomblob(4000) FROM n");
    LogCapture log;
    other.setOpenCheckTimeout(1);
    other.creatDBWithSerialNumber("sn0042", "owner@example.com");
    EXPECT_EQ(log.count("checking the pages of KorvoUpdate.db failed"), 1);
    EXPECT_EQ(other.getAllCacheData().size(), 2001u);
}

// Read-only, in a read-only folder, in rollback or WAL mode, the records can still be read; writes fail and are
// logged. Checked in a child process, which drops root's rights so that the permissions hold.
TEST_F(StoreOpening, AReadOnlyFileIsStillRead) {
    for (const char* mode : {"DELETE", "WAL"}) {
        SCOPED_TRACE(mode);
        setJournalMode(mode);
        ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
        ASSERT_EQ(::chmod(dir.file("KorvoUpdate.db").c_str(), 0444), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            constexpr uid_t kNobody = 65534;
            if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(10);
            LogCapture log;
            KorvoUpdateDownloadDataBaseManager readOnly;
            readOnly.creatDBWithSerialNumber("sn0042", "owner@example.com");
            if (urls(readOnly.getAllCacheData()) != QStringList{"kept"}) _exit(11);
            readOnly.insertModel(*makeRecord("S", "V", "refused"));
            if (readOnly.getAllCacheData().size() != 1) _exit(12);
            if (log.count("a write failed") != 1) _exit(13);
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ::chmod(dir.path().c_str(), 0755);
        ::chmod(dir.file("KorvoUpdate.db").c_str(), 0644);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "10: no other user; 11: not read; 12: written; 13: not logged";
    }
}

TEST_F(DownloadStore, ReopeningWhileOtherThreadsUseTheStore) {
    store.insertModel(*makeRecord("S", "V", "mine"));
    store.creatDBWithSerialNumber("sn0042", "second");
    store.insertModel(*makeRecord("S", "V", "theirs"));
    std::atomic<bool> done{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&] {
            while (!done) {
                const QStringList found = urls(store.getAllCacheData());
                if (found != QStringList{"mine"} && found != QStringList{"theirs"}) ++wrong;
                store.updateWithModel(makeRecord("S", "V", "mine", 3), KorvoUpdateDownloadUpdateProgress);
            }
        });
    }
    for (int i = 0; i < 40; ++i)
        store.creatDBWithSerialNumber("sn0042", i % 2 ? "second" : "owner@example.com");
    done = true;
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(wrong, 0);
}

} // namespace
