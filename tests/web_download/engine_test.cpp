// The download engine against nginx and the scripted server, over a real record store: the limit on running
// vehicles, pause and resume (also across a new engine and store), failures that free their slot, bounded
// time-out retries, the network rule, joining parts and removing files.
#include "KorvoUpdateDownloadManager.h"

#include "ChildProcess.h"

#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateDownloadDataBaseManager.h"
#include "KorvoUpdateNetworkReachability.h"

#include "Documents.h"
#include "NotificationCenter.h"
#include "TempDir.h"
#include "TestBytes.h"
#include "TestServers.h"
#include "UserDefaults.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

// The engine reads its settings from the user defaults: a file of this run, with the limit unset.
bool redirectDefaults() {
    static TempDir defaults;
    static const bool done = [] {
        UserDefaults::setStorePath(QString::fromStdString(defaults.file("defaults.ini")));
        return true;
    }();
    return done;
}

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(redirectDefaults());
        platform::setDocumentsDirectory(QString::fromStdString(docs.path()));
        KorvoUpdateNetworkReachability::sharedManager().setStatus(KorvoUpdateNetworkReachability::Status::Unknown);
        openEngine();
        auto& centre = NotificationCenter::workspaceCenter();
        centre.addObserver(this, KorvoUpdateDownloadProgressNotification, [this](const Notification&) { ++progress; });
        centre.addObserver(this, KorvoUpdateDownloadRequestErrorNotification, [this](const Notification& n) {
            if (auto model = retainedObject<KorvoUpdateDownloadModel>(n.userInfo)) {
                std::lock_guard<std::mutex> lock(mutex);
                errors << model->url();
            }
        });
        centre.addObserver(this, KorvoUpdateDownloadRequestCompleteNotification, [this](const Notification& n) {
            if (auto model = retainedObject<KorvoUpdateDownloadModel>(n.userInfo)) {
                std::lock_guard<std::mutex> lock(mutex);
                completed << model->vehicle();
            }
        });
    }
    void TearDown() override {
        NotificationCenter::workspaceCenter().removeObserver(this);
        engine.reset();
        store.reset();
        KorvoUpdateNetworkReachability::sharedManager().setStatus(KorvoUpdateNetworkReachability::Status::Unknown);
        platform::setDocumentsDirectory({});
    }
    // A new engine over a newly opened store of the same database file, as after a restart of the program.
    void openEngine() {
        engine.reset();
        store = std::make_unique<KorvoUpdateDownloadDataBaseManager>();
        store->creatDBWithSerialNumber("SN0001", "owner@example.com");
        engine = std::make_unique<KorvoUpdateDownloadManager>(*store);
        DownloadTask::Options options;
        options.stallTimeoutMs = 1000; // the stall tests wait this long; nginx's rate-limited bursts stay under it
        options.progressIntervalMs = 10;
        engine->setTaskOptions(options);
    }
    void setLimit(long long count) {
        NotificationCenter::workspaceCenter().post(KorvoUpdateDownloadMaxConcurrentCountChangeNotification, &count);
    }
    // A record listing its size as totalFileSize and, unless told otherwise, as expectedContentLength.
    KorvoUpdateDownloadModelPtr record(const std::string& url, const QString& vehicle, size_t size,
                                       const QString& filePath = {}, bool expectedLength = true) {
        auto r = KorvoUpdateDownloadModel::create();
        r->setSoftware("DIAG");
        r->setVehicle(vehicle);
        r->setUrl(QString::fromStdString(url));
        r->setFilePath(filePath.isEmpty() ? QFileInfo(QString::fromStdString(url)).completeBaseName() : filePath);
        r->setTotalFileSize(size);
        r->setExpectedContentLength(expectedLength ? size : 0);
        store->insertModel(*r);
        return store->getModelWithUrl(QString::fromStdString(url));
    }
    int64_t stateOf(const std::string& url) {
        auto r = store->getModelWithUrl(QString::fromStdString(url));
        return r ? r->state() : -1;
    }
    bool waitFor(const std::function<bool()>& done, int timeoutMs = 15000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < deadline) {
            engine->sync();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    // A record's state is stored before its vehicle's completion is posted: wait for the notice itself.
    bool waitForCompleted(int count) {
        return waitFor([&] {
            std::lock_guard<std::mutex> lock(mutex);
            return completed.size() >= count;
        });
    }
    std::string update(const std::string& name) const { return docs.path() + "/Update/" + name; }

    TempDir docs, www;
    std::unique_ptr<KorvoUpdateDownloadDataBaseManager> store;
    std::unique_ptr<KorvoUpdateDownloadManager> engine;
    std::atomic<int> progress{0};
    std::mutex mutex;
    QStringList errors, completed;
};

TEST_F(EngineTest, LimitZeroStartsNothingAndOneStartsTheOldestWaitingVehicle) {
    const auto a = randomBytes(200000, 1), b = randomBytes(150000, 2);
    www.write("Ford_V1.0_EN.zip", a);
    www.write("Opel_V2.0_EN.zip", b);
    NginxServer nginx(www.path());
    ASSERT_TRUE(nginx.ok());
    auto ford = record(nginx.url("Ford_V1.0_EN.zip"), "Ford", a.size());
    auto opel = record(nginx.url("Opel_V2.0_EN.zip"), "Opel", b.size());
    EXPECT_EQ(engine->maxConcurrentCount(), 0);
    engine->startDownloadTask(ford);
    std::this_thread::sleep_for(std::chrono::milliseconds(5)); // distinct stamps: Ford waits longest
    engine->startDownloadTask(opel);
    engine->sync();
    EXPECT_EQ(stateOf(nginx.url("Ford_V1.0_EN.zip")), KorvoUpdateDownloadStateWaiting);
    EXPECT_EQ(stateOf(nginx.url("Opel_V2.0_EN.zip")), KorvoUpdateDownloadStateWaiting);
    EXPECT_TRUE(engine->dataTaskVehiclesSet().isEmpty());
    EXPECT_TRUE(engine->dataTaskDic().isEmpty());

    setLimit(1);
    engine->sync();
    EXPECT_EQ(engine->dataTaskVehiclesSet(), QStringList{"FORD"});
    EXPECT_EQ(stateOf(nginx.url("Opel_V2.0_EN.zip")), KorvoUpdateDownloadStateWaiting);
    ASSERT_TRUE(waitFor([&] { return stateOf(nginx.url("Opel_V2.0_EN.zip")) == KorvoUpdateDownloadStateFinished; }));
    ASSERT_TRUE(waitForCompleted(2));
    EXPECT_EQ(readFileBytes(update("Ford_V1.0_EN.7z")), a);
    EXPECT_EQ(readFileBytes(update("Opel_V2.0_EN.7z")), b);
    const auto finished = store->getModelWithUrl(QString::fromStdString(nginx.url("Ford_V1.0_EN.zip")));
    EXPECT_EQ(finished->zipPath().toStdString(), update("Ford_V1.0_EN.7z"));
    EXPECT_DOUBLE_EQ(finished->progress(), 1.0);
    EXPECT_EQ(finished->tmpFileSize(), a.size());
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(completed, (QStringList{"FORD", "OPEL"}));
    EXPECT_GT(progress, 0);
    EXPECT_TRUE(engine->dataTaskVehiclesSet().isEmpty());
}

TEST_F(EngineTest, PauseKeepsThePartialFileFreesTheSlotAndResumesByteIdentical) {
    const auto slow = randomBytes(100 * 1024, 3), quick = randomBytes(50000, 4);
    www.write("Benz_V1.0_EN.zip", slow);
    www.write("Audi_V1.0_EN.zip", quick);
    NginxServer nginx(www.path(), "location /Benz { limit_rate 32k; }");
    ASSERT_TRUE(nginx.ok());
    const std::string slowUrl = nginx.url("Benz_V1.0_EN.zip"), quickUrl = nginx.url("Audi_V1.0_EN.zip");
    auto benz = record(slowUrl, "Benz", slow.size());
    auto audi = record(quickUrl, "Audi", quick.size());
    setLimit(1);
    engine->startDownloadTask(benz);
    engine->startDownloadTask(audi);
    ASSERT_TRUE(waitFor([&] { return progress > 0; }));
    EXPECT_EQ(stateOf(quickUrl), KorvoUpdateDownloadStateWaiting);
    engine->pauseDownloadTask(benz);
    // The pause gives the slot to the waiting vehicle.
    ASSERT_TRUE(waitFor([&] { return stateOf(quickUrl) == KorvoUpdateDownloadStateFinished; }));
    EXPECT_EQ(readFileBytes(update("Audi_V1.0_EN.7z")), quick);
    const auto paused = store->getModelWithUrl(QString::fromStdString(slowUrl));
    EXPECT_EQ(paused->state(), KorvoUpdateDownloadStatePaused);
    const auto resume = DownloadResumeData::fromData(paused->resumeData());
    ASSERT_TRUE(resume);
    EXPECT_GT(resume->bytesWritten, 0u);
    EXPECT_LT(resume->bytesWritten, slow.size());
    EXPECT_EQ(readFileBytes(update(resume->partialName.toStdString())).size(), resume->bytesWritten);

    engine->startDownloadTask(paused);
    ASSERT_TRUE(waitFor([&] { return stateOf(slowUrl) == KorvoUpdateDownloadStateFinished; }));
    EXPECT_EQ(readFileBytes(update("Benz_V1.0_EN.7z")), slow);
    EXPECT_FALSE(fileExists(update(resume->partialName.toStdString())));
}

// A store that finds its file damaged starts a new one: the transfers whose records went with the old one stop and
// free their slots for the records of the new one.
TEST_F(EngineTest, ARenewedStoreStopsTheTransfersOfTheRecordsItLost) {
    const auto slow = randomBytes(100 * 1024, 31), quick = randomBytes(20000, 32);
    www.write("Benz_V1.0_EN.zip", slow);
    www.write("Audi_V1.0_EN.zip", quick);
    NginxServer nginx(www.path(), "location /Benz { limit_rate 32k; }");
    ASSERT_TRUE(nginx.ok());
    setLimit(1);
    engine->startDownloadTask(record(nginx.url("Benz_V1.0_EN.zip"), "Benz", slow.size()));
    ASSERT_TRUE(waitFor([&] { return progress > 0; }));
    // The store lets go of the file, which is then damaged behind its first page, and opens it again.
    TempDir elsewhere;
    platform::setDocumentsDirectory(QString::fromStdString(elsewhere.path()));
    store->creatDBWithSerialNumber("SN0001", "owner@example.com");
    auto bytes = readFileBytes(docs.file("KorvoUpdate.db"));
    const size_t page = size_t(bytes[16]) << 8 | bytes[17];
    const auto noise = randomBytes(bytes.size() - page, 33);
    std::copy(noise.begin(), noise.end(), bytes.begin() + long(page));
    docs.write("KorvoUpdate.db", bytes);
    platform::setDocumentsDirectory(QString::fromStdString(docs.path()));
    store->creatDBWithSerialNumber("SN0001", "owner@example.com");
    ASSERT_TRUE(store->getAllCacheData().empty());
    ASSERT_TRUE(waitFor([&] { return engine->dataTaskVehiclesSet().isEmpty() && engine->dataTaskDic().isEmpty(); }));

    const std::string url = nginx.url("Audi_V1.0_EN.zip");
    engine->startDownloadTask(record(url, "Audi", quick.size()));
    ASSERT_TRUE(waitFor([&] { return stateOf(url) == KorvoUpdateDownloadStateFinished; }));
    EXPECT_EQ(readFileBytes(update("Audi_V1.0_EN.7z")), quick);
}

TEST_F(EngineTest, RestartedProgramResumesFromTheOffset) {
    const auto content = randomBytes(120000, 5);
    ScriptedServer server(content);
    server.setMode(ScriptedServer::Mode::Stall);
    server.setStallAfter(40000);
    auto model = record(server.url("Seat_V1.0_EN.zip"), "Seat", content.size());
    setLimit(1);
    engine->startDownloadTask(model);
    ASSERT_TRUE(waitFor([&] {
        auto r = store->getModelWithUrl(QString::fromStdString(server.url("Seat_V1.0_EN.zip")));
        return r && r->tmpFileSize() == 40000;
    }));
    engine->pauseDownloadTask(model);
    engine->sync();
    ASSERT_TRUE(waitFor([&] {
        return !store->getModelWithUrl(QString::fromStdString(server.url("Seat_V1.0_EN.zip")))->resumeData().isEmpty();
    }));

    // A new engine and store, as after the program was started again; the limit comes from the defaults now.
    UserDefaults::standardUserDefaults().setObject(1, KorvoUpdateDownloadMaxConcurrentCountKey);
    openEngine();
    UserDefaults::standardUserDefaults().removeObjectForKey(KorvoUpdateDownloadMaxConcurrentCountKey);
    EXPECT_EQ(engine->maxConcurrentCount(), 1);
    server.setMode(ScriptedServer::Mode::Normal);
    engine->startDownloadTask(store->getModelWithUrl(QString::fromStdString(server.url("Seat_V1.0_EN.zip"))));
    ASSERT_TRUE(waitFor([&] { return stateOf(server.url("Seat_V1.0_EN.zip")) == KorvoUpdateDownloadStateFinished; }));
    EXPECT_EQ(server.lastRange(), "bytes=40000-");
    EXPECT_EQ(readFileBytes(update("Seat_V1.0_EN.7z")), content);
}

TEST_F(EngineTest, NotFoundFailsTheRecordFreesTheSlotAndTheNextVehicleStarts) {
    const auto good = randomBytes(30000, 6);
    ScriptedServer missing(randomBytes(10, 7));
    missing.setMode(ScriptedServer::Mode::Status, 404);
    www.write("Kia_V1.0_EN.zip", good);
    NginxServer nginx(www.path());
    ASSERT_TRUE(nginx.ok());
    auto bad = record(missing.url("Fiat_V1.0_EN.zip"), "Fiat", 10);
    auto sibling = record(missing.url("Fiat_V1.0_DE.zip"), "Fiat", 10);
    auto next = record(nginx.url("Kia_V1.0_EN.zip"), "Kia", good.size());
    setLimit(1);
    engine->startDownloadTask(bad);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    engine->startDownloadTask(next);
    ASSERT_TRUE(waitFor([&] { return stateOf(nginx.url("Kia_V1.0_EN.zip")) == KorvoUpdateDownloadStateFinished; }));
    ASSERT_TRUE(waitForCompleted(1));
    EXPECT_EQ(stateOf(missing.url("Fiat_V1.0_EN.zip")), KorvoUpdateDownloadStateFailed);
    EXPECT_EQ(stateOf(missing.url("Fiat_V1.0_DE.zip")), KorvoUpdateDownloadStateFailed);
    EXPECT_FALSE(fileExists(update("Fiat_V1.0_EN.zip"))) << "a 404 page is no package";
    // Whichever of the two answered first failed the vehicle and stopped the other.
    auto error = engine->lastErrorForUrl(QString::fromStdString(missing.url("Fiat_V1.0_EN.zip")));
    if (!error) error = engine->lastErrorForUrl(QString::fromStdString(missing.url("Fiat_V1.0_DE.zip")));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->httpStatus, 404);
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_FALSE(errors.isEmpty());
    EXPECT_EQ(completed, QStringList{"KIA"});
}

TEST_F(EngineTest, TimeOutsResumeAndFailAfterTheBoundOfRetriesThatBringNothing) {
    const auto content = randomBytes(90000, 8);
    ScriptedServer server(content);
    server.setMode(ScriptedServer::Mode::StallAtOffset);
    server.setStallAfter(20000);
    engine->setMaxTimeoutRetries(1);
    DownloadTask::Options quick;
    quick.stallTimeoutMs = 300;
    quick.progressIntervalMs = 10;
    engine->setTaskOptions(quick);
    const std::string url = server.url("Mini_V1.0_EN.zip");
    setLimit(1);
    engine->startDownloadTask(record(url, "Mini", content.size()));
    ASSERT_TRUE(waitFor([&] { return stateOf(url) == KorvoUpdateDownloadStateFailed; }));
    EXPECT_EQ(server.requests(), 2);
    // The retry goes on from where the transfer before stalled.
    EXPECT_EQ(server.lastRange(), "bytes=20000-");
    const auto failed = store->getModelWithUrl(QString::fromStdString(url));
    EXPECT_FALSE(failed->resumeData().isEmpty()) << "a failed record can still go on later";
    EXPECT_EQ(engine->lastErrorForUrl(QString::fromStdString(url))->code, DownloadErrorTimedOut);
    EXPECT_TRUE(engine->dataTaskVehiclesSet().isEmpty());

    // Started again by the user, the vehicle has its retries again.
    engine->startDownloadTask(failed);
    ASSERT_TRUE(waitFor([&] { return stateOf(url) == KorvoUpdateDownloadStateFailed; }));
    EXPECT_EQ(server.requests(), 4);

    // Retries that bring bytes do not count: a line that keeps delivering gets the file through, though it stalls
    // more often than the one retry in a row allowed without progress.
    server.setMode(ScriptedServer::Mode::Stall);
    server.setStallAfter(30000);
    engine->startDownloadTask(store->getModelWithUrl(QString::fromStdString(url)));
    ASSERT_TRUE(waitFor([&] { return stateOf(url) == KorvoUpdateDownloadStateFinished; }));
    EXPECT_EQ(server.requests(), 7);
    EXPECT_EQ(readFileBytes(update("Mini_V1.0_EN.7z")), content);
}

// A TCP connection to a multicast address is refused at once as "network unreachable": no Internet connection.
TEST_F(EngineTest, NoInternetForOneRecordPausesItsWholeVehicleBeforeTheNextOneStarts) {
    const auto slow = randomBytes(60000, 29), next = randomBytes(30000, 30);
    ScriptedServer stalled(slow);
    stalled.setMode(ScriptedServer::Mode::StallAtOffset);
    stalled.setStallAfter(20000);
    www.write("Opel_V1.0_EN.zip", next);
    NginxServer nginx(www.path());
    ASSERT_TRUE(nginx.ok());
    const std::string runningUrl = stalled.url("Ford_V1.0_DE.zip"), offlineUrl = "https://224.0.0.1/Ford_V1.0_EN.zip",
                      nextUrl = nginx.url("Opel_V1.0_EN.zip");
    auto ford = record(runningUrl, "Ford", slow.size());
    record(offlineUrl, "Ford", 1000);
    auto opel = record(nextUrl, "Opel", next.size());
    // What the store held for the first vehicle when the next one started.
    std::atomic<int64_t> fordWhenOpelStarted{-1};
    NotificationCenter::workspaceCenter().addObserver(
        &fordWhenOpelStarted, KorvoUpdateDownloadProgressNotification, [&](const Notification& n) {
            const auto model = retainedObject<KorvoUpdateDownloadModel>(n.userInfo);
            if (model && model->url().toStdString() == nextUrl && fordWhenOpelStarted == -1)
                fordWhenOpelStarted = stateOf(runningUrl);
        });
    setLimit(1);
    engine->startDownloadTask(ford);
    std::this_thread::sleep_for(std::chrono::milliseconds(5)); // distinct stamps: Ford waits longest
    engine->startDownloadTask(opel);
    ASSERT_TRUE(waitFor([&] { return stateOf(nextUrl) == KorvoUpdateDownloadStateFinished; }));
    ASSERT_TRUE(waitForCompleted(1));
    NotificationCenter::workspaceCenter().removeObserver(&fordWhenOpelStarted);
    EXPECT_EQ(engine->lastErrorForUrl(QString::fromStdString(offlineUrl))->code, DownloadErrorNotConnectedToInternet);
    EXPECT_EQ(stateOf(offlineUrl), KorvoUpdateDownloadStatePaused);
    EXPECT_EQ(stateOf(runningUrl), KorvoUpdateDownloadStatePaused);
    EXPECT_EQ(fordWhenOpelStarted, KorvoUpdateDownloadStatePaused);
    const auto transfer = engine->dataTaskDic().value(QString::fromStdString(runningUrl));
    EXPECT_TRUE(!transfer || transfer->isCancelled()) << "the rest of the vehicle stopped too";
    EXPECT_TRUE(engine->dataTaskVehiclesSet().isEmpty());
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_TRUE(errors.contains(QString::fromStdString(offlineUrl)));
    EXPECT_EQ(completed, QStringList{"OPEL"});
}

TEST_F(EngineTest, NetworkRuleHoldsDownloadsBack) {
    const auto content = randomBytes(20000, 9);
    ScriptedServer server(content);
    const std::string url = server.url("Mazda_V1.0_EN.zip");
    auto model = record(url, "Mazda", content.size());
    setLimit(1);
    KorvoUpdateNetworkReachability::sharedManager().setStatus(KorvoUpdateNetworkReachability::Status::ReachableViaWWAN);
    EXPECT_FALSE(engine->networkingAllowsDownloadTask());
    engine->startDownloadTask(model);
    engine->sync();
    EXPECT_EQ(stateOf(url), KorvoUpdateDownloadStateWaiting);
    EXPECT_EQ(server.requests(), 0);
    // Cellular allowed: the change itself starts the waiting vehicle.
    bool allows = true;
    NotificationCenter::workspaceCenter().post(KorvoUpdateDownloadAllowsCellularAccessChangeNotification, &allows);
    ASSERT_TRUE(waitFor([&] { return stateOf(url) == KorvoUpdateDownloadStateFinished; }));

    // Losing the network sends a downloading vehicle back to waiting, keeping its partial file; it goes on when
    // the network is back.
    const auto big = randomBytes(60000, 16);
    ScriptedServer slow(big);
    slow.setMode(ScriptedServer::Mode::Stall);
    slow.setStallAfter(25000);
    const std::string slowUrl = slow.url("Lada_V1.0_EN.zip");
    engine->startDownloadTask(record(slowUrl, "Lada", big.size()));
    ASSERT_TRUE(
        waitFor([&] { return store->getModelWithUrl(QString::fromStdString(slowUrl))->tmpFileSize() == 25000; }));
    KorvoUpdateNetworkReachability::sharedManager().setStatus(KorvoUpdateNetworkReachability::Status::NotReachable);
    EXPECT_FALSE(engine->networkingAllowsDownloadTask());
    ASSERT_TRUE(waitFor([&] {
        const auto r = store->getModelWithUrl(QString::fromStdString(slowUrl));
        return r->state() == KorvoUpdateDownloadStateWaiting && !r->resumeData().isEmpty();
    }));
    EXPECT_TRUE(engine->dataTaskVehiclesSet().isEmpty());
    slow.setMode(ScriptedServer::Mode::Normal);
    KorvoUpdateNetworkReachability::sharedManager().setStatus(KorvoUpdateNetworkReachability::Status::ReachableViaWiFi);
    ASSERT_TRUE(waitFor([&] { return stateOf(slowUrl) == KorvoUpdateDownloadStateFinished; }));
    EXPECT_EQ(slow.lastRange(), "bytes=25000-");
    EXPECT_EQ(readFileBytes(update("Lada_V1.0_EN.7z")), big);
}

TEST_F(EngineTest, PartsJoinInUrlOrderIntoOneRecord) {
    const auto p1 = randomBytes(40000, 10), p2 = randomBytes(30000, 11), p3 = randomBytes(20000, 12);
    www.write("VW_V1.0_1part.zip", p1);
    www.write("VW_V1.0_2part.zip", p2);
    www.write("VW_V1.0_3part.zip", p3);
    NginxServer nginx(www.path());
    ASSERT_TRUE(nginx.ok());
    // Listed out of order.
    record(nginx.url("VW_V1.0_3part.zip"), "VW", p3.size(), "files/VW_V1.0_3part");
    record(nginx.url("VW_V1.0_1part.zip"), "VW", p1.size(), "files/VW_V1.0_1part");
    auto second = record(nginx.url("VW_V1.0_2part.zip"), "VW", p2.size(), "files/VW_V1.0_2part");
    setLimit(1);
    engine->startDownloadTask(second);
    ASSERT_TRUE(waitFor([&] { return !completed.isEmpty(); }));
    std::vector<uint8_t> whole = p1;
    whole.insert(whole.end(), p2.begin(), p2.end());
    whole.insert(whole.end(), p3.begin(), p3.end());
    EXPECT_EQ(readFileBytes(update("VW.7z")), whole);
    const auto records = store->getModelWithVehicle("VW");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]->state(), KorvoUpdateDownloadStateFinished);
    EXPECT_EQ(records[0]->zipPath().toStdString(), update("VW.7z"));
    EXPECT_DOUBLE_EQ(records[0]->progress(), 3.0);
    EXPECT_EQ(records[0]->tmpFileSize(), whole.size());
    EXPECT_FALSE(fileExists(update("VW_V1.0_1part.7z")));
}

TEST_F(EngineTest, MissingPartOrShortNameKeepsThePartsAndJoinsNothing) {
    QDir().mkpath(QString::fromStdString(docs.path() + "/Update"));
    docs.write("Update/VW_V1.0_1part.7z", std::string("one"));
    docs.write("Update/VW_V1.0_3part.7z", std::string("three"));
    KorvoUpdateDownloadManager::ModelList parts;
    for (const char* n : {"1", "2", "3"}) {
        auto r = record(std::string("https://example.com/VW_V1.0_") + n + "part.zip", "VW", 3,
                        QString("VW_V1.0_%1part").arg(n));
        r->setState(KorvoUpdateDownloadStateFinished);
        store->updateWithModel(r, 1);
        parts.push_back(store->getModelWithUrl(r->url()));
    }
    engine->composeFilePath(parts);
    engine->sync();
    EXPECT_FALSE(fileExists(update("VW.7z")));
    EXPECT_TRUE(fileExists(update("VW_V1.0_1part.7z")));
    EXPECT_TRUE(fileExists(update("VW_V1.0_3part.7z")));
    EXPECT_EQ(store->getModelWithVehicle("VW").size(), 3u);
    EXPECT_TRUE(engine->lastErrorForUrl("https://example.com/VW_V1.0_1part.zip"));

    // Two fields only: no name is left for the joined file (it would be a hidden ".7z").
    auto shortName = record("https://example.com/VW_1part.zip", "Golf", 3, "VW_1part");
    docs.write("Update/VW_1part.7z", std::string("x"));
    engine->composeFilePath({shortName});
    engine->sync();
    EXPECT_FALSE(fileExists(update(".7z")));
    EXPECT_TRUE(fileExists(update("VW_1part.7z")));
}

TEST_F(EngineTest, RemovingFilesCutsOnlyTheFileNameAndStaysInTheDownloadFolder) {
    // A Documents folder whose own path holds "_": cutting the whole path would name a file above it.
    TempDir home;
    const std::string documents = home.path() + "/john_doe/Documents";
    QDir().mkpath(QString::fromStdString(documents + "/Update"));
    platform::setDocumentsDirectory(QString::fromStdString(documents));
    openEngine();
    home.write("john.7z", std::string("not ours"));
    home.write("john_doe/Documents/Update/Ford.7z", std::string("joined"));
    home.write("john_doe/Documents/Update/Ford_V1_2part.7z", std::string("part"));
    home.write("outside.7z", std::string("not ours either"));
    auto part = record("https://example.com/Ford_V1_2part.zip", "Ford", 4);
    part->setZipPath(QString::fromStdString(documents + "/Update/Ford_V1_2part.7z"));
    engine->deleteLocFilePath(part);
    auto stray = record("https://example.com/other.zip", "Ford", 4);
    stray->setZipPath(QString::fromStdString(home.path() + "/outside.7z"));
    engine->deleteLocFilePath(stray);
    engine->sync();
    EXPECT_FALSE(fileExists(documents + "/Update/Ford_V1_2part.7z"));
    EXPECT_FALSE(fileExists(documents + "/Update/Ford.7z"));
    EXPECT_TRUE(fileExists(home.path() + "/john.7z"));
    EXPECT_TRUE(fileExists(home.path() + "/outside.7z"));
}

TEST_F(EngineTest, UnsafeAddressesFailAndFinishedFilesAreNotFetchedAgain) {
    ScriptedServer server(randomBytes(100, 13));
    auto local = record("file:///etc/passwd", "Ford", 10);
    auto plain = record("http://example.com/Ford_V1.zip", "Ford", 10);
    auto nameless = record("https://example.com/", "Ford", 10);
    setLimit(1);
    engine->startDownloadTask(local);
    ASSERT_TRUE(waitFor([&] { return stateOf("file:///etc/passwd") == KorvoUpdateDownloadStateFailed; }));
    EXPECT_EQ(stateOf("http://example.com/Ford_V1.zip"), KorvoUpdateDownloadStateFailed);
    EXPECT_TRUE(engine->dataTaskVehiclesSet().isEmpty());
    const auto refusal = [&](const char* url) {
        const auto error = engine->lastErrorForUrl(url);
        return error ? error->code : 0;
    };
    EXPECT_EQ(refusal("file:///etc/passwd"), DownloadErrorUnsupportedURL);
    EXPECT_EQ(refusal("http://example.com/Ford_V1.zip"), DownloadErrorUnsupportedURL);
    EXPECT_EQ(refusal("https://example.com/"), DownloadErrorBadURL);

    // A finished record whose file is there is not downloaded again.
    const std::string url = server.url("Kia_V9.zip");
    auto done = record(url, "Kia", 100);
    QDir().mkpath(QString::fromStdString(docs.path() + "/Update"));
    docs.write("Update/Kia_V9.7z", std::string("present"));
    done->setZipPath(QString::fromStdString(update("Kia_V9.7z")));
    done->setState(KorvoUpdateDownloadStateFinished);
    engine->downloadwithModel(done);
    engine->sync();
    EXPECT_EQ(server.requests(), 0);
    EXPECT_EQ(done->tmpFileSize(), 100u);
}

// The speed interval's start is a field of the record, which the service's package list or a damaged store can fill
// with any number; the download goes on and only the speed is unknown.
TEST_F(EngineTest, ASpeedIntervalStartOfAnyNumberKeepsTheDownloadGoing) {
    const auto bytes = randomBytes(60000, 21);
    www.write("Seat_V1.0_EN.zip", bytes);
    www.write("Mini_V1.0_EN.zip", bytes);
    NginxServer nginx(www.path());
    ASSERT_TRUE(nginx.ok());
    setLimit(2);
    for (const auto& [name, start] : {std::pair<std::string, double>{"Seat_V1.0_EN.zip", -1e300},
                                      std::pair<std::string, double>{"Mini_V1.0_EN.zip", -2e25}}) {
        SCOPED_TRACE(name);
        const std::string url = nginx.url(name);
        const auto listed = KorvoUpdateDownloadModel::mj_objectWithKeyValues(
            {{"software", "DIAG"}, {"url", url}, {"file_path", name}, {"lastSpeedTime", start}});
        ASSERT_TRUE(listed);
        listed->setVehicle(QString::fromStdString(name.substr(0, 4)));
        listed->setTotalFileSize(bytes.size());
        store->insertModel(*listed);
        engine->startDownloadTask(store->getModelWithUrl(QString::fromStdString(url)));
        ASSERT_TRUE(waitFor([&] { return stateOf(url) == KorvoUpdateDownloadStateFinished; }));
        EXPECT_EQ(readFileBytes(update(name.substr(0, name.size() - 3) + "7z")), bytes);
    }
}

TEST_F(EngineTest, AFinishedFileThatCannotBeMovedFailsTheRecord) {
    ScriptedServer server(randomBytes(5000, 14));
    const std::string url = server.url("Jeep_V1.zip");
    // A folder where the file should go: the move fails, and no file is left.
    QDir().mkpath(QString::fromStdString(update("Jeep_V1.7z") + "/taken"));
    setLimit(1);
    engine->startDownloadTask(record(url, "Jeep", 5000));
    ASSERT_TRUE(waitFor([&] { return stateOf(url) == KorvoUpdateDownloadStateFailed; }));
    EXPECT_EQ(engine->lastErrorForUrl(QString::fromStdString(url))->code, DownloadErrorCannotMoveFile);
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_TRUE(completed.isEmpty());
}

// The transfer ends without an error of its own in each case; the record's listed size tells the file is wrong.
TEST_F(EngineTest, AnEmptyBodyOrAFileOfAnotherSizeThanListedNeverFinishes) {
    const auto whole = randomBytes(50000, 27);
    ScriptedServer empty(std::vector<uint8_t>{});   // Content-Length: 0
    ScriptedServer shorter(randomBytes(30000, 28)); // a length short of the record's size
    ScriptedServer unsized(whole);                  // no length, and the connection cut
    unsized.setMode(ScriptedServer::Mode::NoLength);
    unsized.cutNext(1, 20000);
    const std::string emptyUrl = empty.url("Opel_V1.0_EN.zip"), unlistedUrl = empty.url("Fiat_V1.0_EN.zip"),
                      shortUrl = shorter.url("Seat_V1.0_EN.zip"), unsizedUrl = unsized.url("Jeep_V1.0_EN.zip"),
                      totalOnlyUrl = shorter.url("Mini_V1.0_EN.zip");
    setLimit(5);
    engine->startDownloadTask(record(emptyUrl, "Opel", 1000));
    engine->startDownloadTask(record(unlistedUrl, "Fiat", 0)); // no size listed: still no empty package
    engine->startDownloadTask(record(shortUrl, "Seat", whole.size()));
    engine->startDownloadTask(record(unsizedUrl, "Jeep", whole.size()));
    engine->startDownloadTask(record(totalOnlyUrl, "Mini", whole.size(), {}, false)); // the whole size alone
    for (const std::string& url : {emptyUrl, unlistedUrl, shortUrl, unsizedUrl, totalOnlyUrl}) {
        SCOPED_TRACE(url);
        ASSERT_TRUE(waitFor([&] { return stateOf(url) == KorvoUpdateDownloadStateFailed; }));
        const auto error = engine->lastErrorForUrl(QString::fromStdString(url));
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code,
                  url == emptyUrl || url == unlistedUrl ? DownloadErrorZeroByteResource : DownloadErrorWrongSize);
    }
    for (const char* name :
         {"Opel_V1.0_EN.7z", "Fiat_V1.0_EN.7z", "Seat_V1.0_EN.7z", "Jeep_V1.0_EN.7z", "Mini_V1.0_EN.7z"})
        EXPECT_FALSE(fileExists(update(name))) << name;
    {
        std::lock_guard<std::mutex> lock(mutex);
        EXPECT_TRUE(completed.isEmpty());
    }

    // What came is kept for a later start, which fetches the file again: with no whole size to compare, a range
    // could be of another file.
    const auto cut =
        DownloadResumeData::fromData(store->getModelWithUrl(QString::fromStdString(unsizedUrl))->resumeData());
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->bytesWritten, 20000u);
    EXPECT_TRUE(DownloadResumeData::fromData(store->getModelWithUrl(QString::fromStdString(shortUrl))->resumeData()));
    engine->startDownloadTask(store->getModelWithUrl(QString::fromStdString(unsizedUrl)));
    ASSERT_TRUE(waitFor([&] { return stateOf(unsizedUrl) == KorvoUpdateDownloadStateFinished; }));
    EXPECT_EQ(unsized.lastRange(), "");
    EXPECT_EQ(readFileBytes(update("Jeep_V1.0_EN.7z")), whole);
}

TEST_F(EngineTest, RunningSetBookkeeping) {
    setLimit(2);
    ScriptedServer server(randomBytes(1000, 15));
    server.setMode(ScriptedServer::Mode::Stall);
    server.setStallAfter(10);
    auto ford = record(server.url("Ford_V1.zip"), "Ford", 1000);
    engine->startDownloadTask(ford);
    engine->sync();
    EXPECT_EQ(engine->dataTaskVehiclesSet(), QStringList{"FORD"});
    EXPECT_EQ(engine->dataTaskDic().keys(), QStringList{QString::fromStdString(server.url("Ford_V1.zip"))});
    EXPECT_EQ(engine->downloadTaskDic().keys(), engine->dataTaskDic().keys());
    engine->removeVehicleDownloadTask(ford);
    engine->sync();
    EXPECT_TRUE(engine->dataTaskVehiclesSet().isEmpty());
    engine->deleteAllTask();
    engine->sync();
    EXPECT_TRUE(store->getAllCacheData().empty());
    EXPECT_TRUE(engine->dataTaskDic().isEmpty());
    EXPECT_TRUE(engine->downloadTaskDic().isEmpty());
    EXPECT_TRUE(engine->downloadPausedModels().empty());
}

} // namespace

namespace {

TEST_F(EngineTest, StartRightAfterPauseWaitsForTheStoppingTransfer) {
    const auto content = randomBytes(80000, 17);
    ScriptedServer server(content);
    server.setMode(ScriptedServer::Mode::Stall);
    server.setStallAfter(30000);
    const std::string url = server.url("Tata_V1.0_EN.zip");
    auto model = record(url, "Tata", content.size());
    setLimit(1);
    engine->startDownloadTask(model);
    ASSERT_TRUE(waitFor([&] { return store->getModelWithUrl(QString::fromStdString(url))->tmpFileSize() == 30000; }));
    // The stalled transfer notices its cancel only at its next look, so the new start finds it still stopping:
    // it must not run a second transfer on the same partial file, but go on from the first one's resume data.
    server.setMode(ScriptedServer::Mode::Normal);
    engine->pauseDownloadTask(model);
    engine->startDownloadTask(model);
    ASSERT_TRUE(waitFor([&] { return stateOf(url) == KorvoUpdateDownloadStateFinished; }));
    EXPECT_EQ(server.requests(), 2);
    EXPECT_EQ(server.lastRange(), "bytes=30000-");
    EXPECT_EQ(readFileBytes(update("Tata_V1.0_EN.7z")), content);
}

} // namespace

namespace {

// Set by the test below for the copy of this program that it starts and kills.
constexpr char kChildDocumentsVariable[] = "KORVO_ENGINE_CHILD_DOCUMENTS";

// Not a test of its own: the downloading program that KilledProgramGoesOnFromItsLastProgress kills.
TEST(EngineChild, DownloadsUntilKilled) {
    const char* documents = std::getenv(kChildDocumentsVariable);
    if (!documents) GTEST_SKIP() << "runs only as the program killed by KilledProgramGoesOnFromItsLastProgress";
    ASSERT_TRUE(redirectDefaults());
    platform::setDocumentsDirectory(documents);
    KorvoUpdateDownloadDataBaseManager store;
    store.creatDBWithSerialNumber("SN0001", "owner@example.com");
    KorvoUpdateDownloadManager engine(store);
    DownloadTask::Options options;
    options.progressIntervalMs = 10;
    engine.setTaskOptions(options);
    long long limit = 1;
    NotificationCenter::workspaceCenter().post(KorvoUpdateDownloadMaxConcurrentCountChangeNotification, &limit);
    engine.startDownloadTask(store.getAllCacheData().at(0));
    std::this_thread::sleep_for(std::chrono::seconds(30));
}

TEST_F(EngineTest, KilledProgramGoesOnFromItsLastProgress) {
    const auto content = randomBytes(70000, 18);
    ScriptedServer server(content);
    server.setMode(ScriptedServer::Mode::Stall);
    server.setStallAfter(30000);
    const std::string url = server.url("Dacia_V1.0_EN.zip");
    record(url, "Dacia", content.size());

    ::setenv(kChildDocumentsVariable, docs.path().c_str(), 1);
    ChildProcess child;
    const bool started = child.start({"/proc/self/exe", "--gtest_filter=EngineChild.DownloadsUntilKilled"});
    ::unsetenv(kChildDocumentsVariable);
    ASSERT_TRUE(started);
    const bool reached = waitFor([&] {
        const auto r = store->getModelWithUrl(QString::fromStdString(url));
        return r && r->tmpFileSize() == 30000 && !r->resumeData().isEmpty();
    });
    child.terminate(); // killed: no pause, no answer, nothing saved on the way out
    child.wait();
    ASSERT_TRUE(reached);
    EXPECT_EQ(stateOf(url), KorvoUpdateDownloadStateDownloading);

    // The program starts again: with no transfer of its own, the record waits for a slot, which a limit gives it.
    openEngine();
    engine->sync();
    const auto waiting = store->getModelWithUrl(QString::fromStdString(url));
    EXPECT_EQ(waiting->state(), KorvoUpdateDownloadStateWaiting);
    EXPECT_NE(waiting->lastStateTime(), 0u) << "stamped, so that the waiting queue sees it";
    server.setMode(ScriptedServer::Mode::Normal);
    setLimit(1);
    ASSERT_TRUE(waitFor([&] { return stateOf(url) == KorvoUpdateDownloadStateFinished; }));
    EXPECT_EQ(server.lastRange(), "bytes=30000-");
    EXPECT_EQ(readFileBytes(update("Dacia_V1.0_EN.7z")), content);
}

} // namespace

namespace {

TEST_F(EngineTest, DeleteTaskAndCacheStopsTheVehicleAndRemovesItsFiles) {
    const auto done = randomBytes(5000, 19), slow = randomBytes(60000, 20);
    ScriptedServer server(done);
    ScriptedServer stalled(slow);
    stalled.setMode(ScriptedServer::Mode::Stall);
    stalled.setStallAfter(20000);
    const std::string finishedUrl = server.url("Saab_V1.0_EN.zip"), runningUrl = stalled.url("Saab_V1.0_DE.zip");
    auto first = record(finishedUrl, "Saab", done.size());
    record(runningUrl, "Saab", slow.size());
    setLimit(1);
    engine->startDownloadTask(first);
    ASSERT_TRUE(waitFor([&] {
        const auto r = store->getModelWithUrl(QString::fromStdString(runningUrl));
        return stateOf(finishedUrl) == KorvoUpdateDownloadStateFinished && r->tmpFileSize() == 20000 &&
               !r->resumeData().isEmpty();
    }));
    ASSERT_TRUE(fileExists(update("Saab_V1.0_EN.7z")));
    engine->deleteTaskAndCache(first);
    engine->sync();
    EXPECT_TRUE(engine->dataTaskVehiclesSet().isEmpty());
    EXPECT_FALSE(fileExists(update("Saab_V1.0_EN.7z")));
    // Only the download folder itself is left: the finished file and the partial file are gone.
    EXPECT_TRUE(waitFor([&] { return QDir(QString::fromStdString(docs.path() + "/Update")).isEmpty(); }));
}

} // namespace
