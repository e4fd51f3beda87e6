// Cost of one insert, one update (state and stamp, then progress) and one look-up by url of the record store, with
// the download table holding 1,000, 10,000 and 100,000 rows, each as a ratio of its cost at 1,000 rows (target: flat,
// near 1). Then the same at 100,000 rows with the indexes dropped, against the indexed cost of the same run. The file
// lies on a memory file system where there is one, so that the disk's flushes do not hide what the table costs.
#include "Documents.h"
#include "KorvoUpdateDownloadDataBaseManager.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kOperations = 300; // of each kind, per table size
constexpr int kRounds = 3;       // best of three, against noise from other work on the machine
constexpr int kVehicles = 20;

struct Costs {
    double insert = 1e9, update = 1e9, lookup = 1e9; // microseconds per operation
};

QString urlOf(int n) {
    return QString("https://dl.example.com/pkg/VEHICLE%1_V%2_EN.zip").arg(n % kVehicles).arg(n);
}

KorvoUpdateDownloadModelPtr recordOf(int n) {
    auto r = KorvoUpdateDownloadModel::create();
    r->setSoftware(QString("SOFT%1").arg(n % 50));
    r->setVehicle(QString("VEHICLE%1").arg(n % kVehicles));
    r->setUrl(urlOf(n));
    r->setFilePath(QString("pkg/VEHICLE%1_V%2_EN").arg(n % kVehicles).arg(n));
    r->setTotalFileSize(1000000);
    r->setExpectedContentLength(1000000);
    r->setState(n % 6);
    r->setLastStateTime(uint64_t(1700000000000000LL + n));
    return r;
}

// Fills the download table to rows records through a connection of its own, in one transaction.
void fill(const std::string& file, const std::string& table, int rows) {
    SQLite::Database db(file, SQLite::OPEN_READWRITE);
    SQLite::Transaction transaction(db);
    SQLite::Statement insert(db, "INSERT INTO " + table +
                                     " (software, vehicle, url, filePath, state, lastStateTime, totalFileSize, "
                                     "expectedContentLength, progress, tmpFileSize, speed, intervalFileSize, "
                                     "lastSpeedTime, price, isUpdate, ratio) VALUES (?, ?, ?, ?, ?, ?, 1000000, "
                                     "1000000, 0, 0, 0, 0, 0, 0, 0, 0)");
    for (int n = 0; n < rows; ++n) {
        const auto r = recordOf(n);
        insert.bind(1, r->software().toStdString());
        insert.bind(2, r->vehicle().toStdString());
        insert.bind(3, r->url().toStdString());
        insert.bind(4, r->filePath().toStdString());
        insert.bind(5, int64_t(r->state()));
        insert.bind(6, int64_t(r->lastStateTime()));
        insert.exec();
        insert.reset();
    }
    transaction.commit();
}

double microsecondsPer(Clock::time_point since, int count) {
    return std::chrono::duration<double, std::micro>(Clock::now() - since).count() / count;
}

// One round at one table size: a fresh file filled to rows, then the store's own operations on it.
Costs measure(const std::string& folder, int rows, bool dropIndexes) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    platform::setDocumentsDirectory(QString::fromStdString(folder));
    KorvoUpdateDownloadDataBaseManager store;
    store.creatDBWithSerialNumber("BENCH0001", "bench@example.com");
    const std::string file = KorvoUpdateDownloadDataBaseManager::databasePath().toStdString();
    const std::string table = "t_downloadFiles_" + store.uniqueIDString().toStdString();
    fill(file, table, rows);
    if (dropIndexes) {
        SQLite::Database db(file, SQLite::OPEN_READWRITE);
        for (const char* index : {"_url", "_vehicle", "_state"})
            db.exec("DROP INDEX IF EXISTS " + table + index);
    }

    std::mt19937 random{uint32_t(rows)};
    std::uniform_int_distribution<int> existing(0, rows - 1);
    Costs costs;
    auto start = Clock::now();
    for (int i = 0; i < kOperations; ++i)
        store.insertModel(*recordOf(rows + i));
    costs.insert = microsecondsPer(start, kOperations);

    start = Clock::now();
    for (int i = 0; i < kOperations; ++i) {
        const auto r = recordOf(existing(random));
        r->setState(KorvoUpdateDownloadStateWaiting);
        store.updateWithModel(r, KorvoUpdateDownloadUpdateState | KorvoUpdateDownloadUpdateStateTime);
        r->setTmpFileSize(5000);
        r->setProgress(0.005);
        store.updateWithModel(r, KorvoUpdateDownloadUpdateProgress);
    }
    costs.update = microsecondsPer(start, kOperations);

    start = Clock::now();
    int found = 0;
    for (int i = 0; i < kOperations; ++i)
        found += store.getModelWithUrl(urlOf(existing(random))) != nullptr;
    costs.lookup = microsecondsPer(start, kOperations);
    if (found != kOperations) std::fprintf(stderr, "only %d of %d look-ups found their record\n", found, kOperations);
    return costs;
}

Costs best(const std::string& folder, int rows, bool dropIndexes, int rounds) {
    Costs b;
    for (int round = 0; round < rounds; ++round) {
        const Costs c = measure(folder, rows, dropIndexes);
        b.insert = std::min(b.insert, c.insert);
        b.update = std::min(b.update, c.update);
        b.lookup = std::min(b.lookup, c.lookup);
    }
    return b;
}

} // namespace

int main() {
    const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    const std::string folder = (base / ("korvo-records-bench-" + std::to_string(::getpid()))).string();

    std::printf("Record store, microseconds per operation by rows in the download table (best of %d, %d each):\n",
                kRounds, kOperations);
    std::printf("  %7s  %9s %9s %9s   %s\n", "rows", "insert", "update", "look-up", "ratio to 1,000 rows");
    Costs base1000;
    Costs largest;
    for (int rows : {1000, 10000, 100000}) {
        const Costs c = best(folder, rows, false, kRounds);
        if (rows == 1000) base1000 = c;
        largest = c;
        std::printf("  %7d  %9.1f %9.1f %9.1f   insert %.2f, update %.2f, look-up %.2f\n", rows, c.insert, c.update,
                    c.lookup, c.insert / base1000.insert, c.update / base1000.update, c.lookup / base1000.lookup);
    }
    // Once: each of its operations reads the whole table, which no noise of the machine hides.
    const Costs bare = best(folder, 100000, true, 1);
    std::printf("  Without the indexes at 100,000 rows: insert %.1f, update %.1f, look-up %.1f: %.0f, %.0f and %.0f "
                "times the indexed cost\n",
                bare.insert, bare.update, bare.lookup, bare.insert / largest.insert, bare.update / largest.update,
                bare.lookup / largest.lookup);
    fs::remove_all(folder);
    return 0;
}
