// The download records of one account and serial number in the SQLite file KorvoUpdate.db in Documents: the
// download table (queued, downloading, paused, failed and finished files) and the installed-package table.
//
// Threads: every operation may be called from any thread. One recursive mutex guards the connection and every
// access, so operations run one at a time and an update's statements run with nothing in between, in one
// transaction. Reopening waits for operations running on other threads.
// Notification: KorvoUpdateDownloadStateChangeNotification is posted on the default centre, synchronously on the
// calling thread while the store is held, before the state is written. Its object is the record; the user info
// holds the record's shared pointer (retainedObject<KorvoUpdateDownloadModel>) for observers that queue work. An
// observer may read or write the store from inside it (same thread); it must not wait for another thread that uses
// the store.
// Failures: no SQL failure reaches the caller: a failed write leaves the tables as they were (logged), a failed read
// gives no record or an empty list. A closed store (never opened, or opened with a bad suffix) does nothing but log
// each write it drops. Opening: a file that cannot be had to itself for WAL stays in rollback mode; a file that
// cannot be written is opened to be read; an open that fails otherwise (a file another program holds) is tried again
// by every operation until it works.
// Damage: a file that is no database or whose pages are broken, found by the check of its pages at the opening (at
// most a few seconds) or by any later statement, is moved aside with its journal ("KorvoUpdate.db.damaged-<UTC
// time>", never removed) once the outermost operation that met it is done, and a new file serves the rest of the
// session; that operation, unless an update (whose row went with the file), is made again on the new file.
// KorvoUpdateDownloadStoreRenewedNotification (default centre, object: the store) then tells that every record held
// before is gone.
#pragma once

#include "KorvoUpdateDownloadModel.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace SQLite {
class Database;
class Statement;
} // namespace SQLite

extern const char* const KorvoUpdateDownloadStateChangeNotification;  // "KorvoUpdateDownloadStateChangeNotification"
extern const char* const KorvoUpdateDownloadStoreRenewedNotification; // "KorvoUpdateDownloadStoreRenewedNotification"
extern const char* const kKorvoUpdateDatabaseFileName;                // "KorvoUpdate.db"

// Bits of KorvoUpdateDownloadDataBaseManager::updateWithModel, applied in this order.
enum KorvoUpdateDownloadUpdateOption : int {
    KorvoUpdateDownloadUpdateState = 1,
    KorvoUpdateDownloadUpdateStateTime = 2,
    KorvoUpdateDownloadUpdateResumeData = 4,
    KorvoUpdateDownloadUpdateProgress = 8,
    KorvoUpdateDownloadUpdateAllButZipPath = 16,
    KorvoUpdateDownloadUpdateAll = 32,
};

// Query options of the download table (getDateWithOption, getModelWithOption) and of the installed-package table
// (getDateWithOptionForInstall).
enum KorvoUpdateDownloadQueryOption : int {
    KorvoUpdateDownloadQueryAll = 0,
    KorvoUpdateDownloadQueryDownloading = 1,
    KorvoUpdateDownloadQueryFinished = 2,
    KorvoUpdateDownloadQueryUnfinished = 3, // states 1, 2, 3 and 5
    KorvoUpdateDownloadQueryWaiting = 4,
    KorvoUpdateDownloadQueryUrl = 5,
    KorvoUpdateDownloadQueryNextWaiting = 6,     // the waiting record stamped longest ago
    KorvoUpdateDownloadQueryLastDownloading = 7, // the downloading record stamped last
    KorvoUpdateDownloadQuerySoftware = 8,
    KorvoUpdateDownloadQueryVehicle = 9,
};

using KorvoUpdateDownloadModelList = std::vector<KorvoUpdateDownloadModelPtr>;

class KorvoUpdateDownloadDataBaseManager {
public:
    // The program's one store, made on first use; it starts closed.
    static KorvoUpdateDownloadDataBaseManager& sharedManager();
    // A store of its own, closed (tests).
    KorvoUpdateDownloadDataBaseManager();
    ~KorvoUpdateDownloadDataBaseManager();
    KorvoUpdateDownloadDataBaseManager(const KorvoUpdateDownloadDataBaseManager&) = delete;
    KorvoUpdateDownloadDataBaseManager& operator=(const KorvoUpdateDownloadDataBaseManager&) = delete;

    // MD5 of the upper-cased serial number, "_" and the account: 32 lower-case hexadecimal digits.
    static QString uniqueIDStringFor(const QString& serialNumber, const QString& account);
    // Full path of KorvoUpdate.db in Documents.
    static QString databasePath();

    // Opens the store for a serial number and account: sets the suffix, opens the file and makes both tables.
    void creatDBWithSerialNumber(const QString& serialNumber, const QString& account);
    // Opens a new connection to the file, replacing the one held, and makes the download table. A suffix that is
    // not 32 lower-case hexadecimal digits is refused (it is formatted into SQL) and leaves the store as it was.
    void creatCachesTableWithUniqueIDString(const QString& uniqueIDString);
    // Makes the installed-package table on the current connection.
    void creatInstallRecordTableWithUniqueIDString(const QString& uniqueIDString);
    // How long an open or a write waits for the file while another connection holds it; tests shorten it.
    void setBusyTimeout(int milliseconds);
    // How long the check of every page at the opening may run before the statements are left to find damage as they
    // meet it; 0: no check.
    void setOpenCheckTimeout(int milliseconds);
    QString uniqueIDString() const;
    void setUniqueIDString(const QString& uniqueIDString);
    bool isOpen() const;

    // Inserts unless a row with the same upper-cased software and vehicle and the same url exists; never notifies.
    void insertModel(const KorvoUpdateDownloadModel& model);
    void insertModelForInstall(const KorvoUpdateDownloadModel& model);
    // Writes the parts named by the option bits (KorvoUpdateDownloadUpdateOption) into the row found by the
    // record's upper-cased vehicle and url, in one transaction; bits 1, 16 and 32 first post the notification when
    // the stored state is not 4 and differs from the record's. The record is not changed.
    void updateWithModel(const KorvoUpdateDownloadModelPtr& model, int option);

    void deleteModelWithUrl(const QString& url);
    void deleteModelWithName(const QString& vehicle, int64_t state);
    void deleteModelWithVehicle(const QString& vehicle);
    void deleteModelWithSoftware(const QString& software);
    void deleteAll();
    void deleteModelWithVehicleForInstall(const QString& vehicle);
    void deleteModelWithSoftwareForInstall(const QString& software);

    // Options 0 to 4; any other gives an empty list.
    KorvoUpdateDownloadModelList getDateWithOption(int option);
    // Options 8 (software) and 9 (vehicle), the name upper-cased; any other gives an empty list.
    KorvoUpdateDownloadModelList getDateWithOption(int option, const QString& name);
    // Options 5 to 7 (the url is used by 5 only): the last row of the query, or null.
    KorvoUpdateDownloadModelPtr getModelWithOption(int option, const QString& url);
    // Option 5 only: the last row with that url and state, or null.
    KorvoUpdateDownloadModelPtr getModelWithOption(int option, const QString& url, int64_t state);
    // Option 0 only.
    KorvoUpdateDownloadModelList getDateWithOptionForInstall(int option);
    // Options 8 (software) and 9 (vehicle), the name upper-cased.
    KorvoUpdateDownloadModelList getDateWithOptionForInstall(int option, const QString& name);

    KorvoUpdateDownloadModelList getAllCacheData() { return getDateWithOption(KorvoUpdateDownloadQueryAll); }
    KorvoUpdateDownloadModelList getAllDownloadingData() {
        return getDateWithOption(KorvoUpdateDownloadQueryDownloading);
    }
    KorvoUpdateDownloadModelList getAllDownloadedData() { return getDateWithOption(KorvoUpdateDownloadQueryFinished); }
    KorvoUpdateDownloadModelList getAllUnDownloadedData() {
        return getDateWithOption(KorvoUpdateDownloadQueryUnfinished);
    }
    KorvoUpdateDownloadModelList getAllWaitingData() { return getDateWithOption(KorvoUpdateDownloadQueryWaiting); }
    KorvoUpdateDownloadModelPtr getModelWithUrl(const QString& url) {
        return getModelWithOption(KorvoUpdateDownloadQueryUrl, url);
    }
    KorvoUpdateDownloadModelPtr getModelWithUrl(const QString& url, int64_t state) {
        return getModelWithOption(KorvoUpdateDownloadQueryUrl, url, state);
    }
    KorvoUpdateDownloadModelPtr getWaitingModel() {
        return getModelWithOption(KorvoUpdateDownloadQueryNextWaiting, {});
    }
    KorvoUpdateDownloadModelPtr getLastDownloadingModel() {
        return getModelWithOption(KorvoUpdateDownloadQueryLastDownloading, {});
    }
    // Every record of a software name (any letter case).
    KorvoUpdateDownloadModelList getModelWithName(const QString& software) {
        return getDateWithOption(KorvoUpdateDownloadQuerySoftware, software);
    }
    KorvoUpdateDownloadModelList getModelWithVehicle(const QString& vehicle) {
        return getDateWithOption(KorvoUpdateDownloadQueryVehicle, vehicle);
    }
    KorvoUpdateDownloadModelList getAllCacheDataForInstall() {
        return getDateWithOptionForInstall(KorvoUpdateDownloadQueryAll);
    }
    KorvoUpdateDownloadModelList getAllDataWithSoftwareForInstall(const QString& software) {
        return getDateWithOptionForInstall(KorvoUpdateDownloadQuerySoftware, software);
    }
    KorvoUpdateDownloadModelList getAllDataWithVehicleForInstall(const QString& vehicle) {
        return getDateWithOptionForInstall(KorvoUpdateDownloadQueryVehicle, vehicle);
    }

    // Called inside updateWithModel after each bit's statement, before the transaction ends (tests that stop the
    // program half-way). Empty: nothing.
    using StatementHook = std::function<void(int bit)>;
    void setAfterStatementHook(StatementHook hook);

private:
    // The connection and suffix to use now, after trying again an open that failed; false when the store is closed.
    // Call with m_mutex held, as every member below.
    bool openTables(std::shared_ptr<SQLite::Database>& db, QString& suffix);
    // Opens m_target: WAL when the file can be had to itself, a damaged file moved aside for a new one, a file that
    // cannot be written opened to be read. False (logged, m_openFailure set) when it cannot be opened now.
    bool openTarget();
    bool openReadOnly(const QString& path);
    bool moveAside(const QString& path);
    void logDropped(const char* what) const;
    // Runs work on the open tables; false when the store is closed. Damage met by a statement of work, or of a call
    // made from inside it, is dealt with once the outermost operation is done: the file is moved aside and a new one
    // opened, on which work runs once more when again is set. Other failures are logged.
    using TableWork = std::function<void(SQLite::Database& db, const QString& suffix)>;
    bool withTables(const char* what, bool again, const TableWork& work);
    // Closes the damaged file, moves it aside and opens a new one.
    void renewDamaged();
    // Posts KorvoUpdateDownloadStoreRenewedNotification once a file moved aside has been replaced.
    void announceRenewal();
    void execute(const char* sqlTemplate, const std::function<void(SQLite::Statement&)>& bind);
    KorvoUpdateDownloadModelList query(const char* sqlTemplate, const std::function<void(SQLite::Statement&)>& bind,
                                       bool lastOnly);
    void insertInto(const char* sqlTemplate, const KorvoUpdateDownloadModel& model);

    mutable std::recursive_mutex m_mutex;
    std::shared_ptr<SQLite::Database> m_db;
    // What the store was last asked to open: kept so that a failed open is tried again by the next operation.
    struct Target {
        QString path;
        QString suffix;
        bool installTable;
    };
    std::optional<Target> m_target;
    QString m_openFailure; // why the last open failed, for the log lines of dropped writes
    int m_busyTimeoutMs;
    int m_openCheckMs;
    int m_depth = 0;               // operations running, one inside another (observers of the notification)
    bool m_damaged = false;        // a statement met damage; the outermost operation renews the file
    bool m_renewalPending = false; // a damaged file was moved aside and its replacement not yet announced
    QString m_uniqueIDString;
    StatementHook m_hook;
};
