#include "KorvoUpdateDownloadDataBaseManager.h"

#include "Documents.h"
#include "Log.h"
#include "NotificationCenter.h"
#include "md5encoding.h"
#include "safefile.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <sqlite3.h>

#include <chrono>

const char* const KorvoUpdateDownloadStateChangeNotification = "KorvoUpdateDownloadStateChangeNotification";
const char* const KorvoUpdateDownloadStoreRenewedNotification = "KorvoUpdateDownloadStoreRenewedNotification";
const char* const kKorvoUpdateDatabaseFileName = "KorvoUpdate.db";

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

// A writer that finds the file locked waits this long before the write is given up (and logged), rather than
// dropping it at once.
constexpr int kBusyTimeoutMs = 5000;
// The check of every page at the opening runs on the caller's thread (the GUI's among them); past this the
// statements find damage as they meet it. A file of one account's downloads is read in far less.
constexpr int kOpenCheckMs = 2000;
// How many SQLite steps run between two looks at the clock during that check.
constexpr int kCheckStepsPerLook = 1000;

const char* const kCreateDownloadTable =
    "CREATE TABLE IF NOT EXISTS t_downloadFiles_%@ (id integer PRIMARY KEY AUTOINCREMENT, software text, version "
    "text, language text, releaseVerion text, isUpdate integer, filePath text, sdPath text, updateInfo text, price "
    "double, vehicle text, zipPath text, vid text, url text, resumeData blob, progress float, state integer, "
    "totalFileSize integer, tmpFileSize integer, speed integer, lastSpeedTime double, intervalFileSize integer, "
    "lastStateTime integer, expectedContentLength integer, ratio float)";
const char* const kCreateInstallTable =
    "CREATE TABLE IF NOT EXISTS t_installFinishFiles_%@ (id integer PRIMARY KEY AUTOINCREMENT, software text, "
    "version text, language text, releaseVerion text, isUpdate integer, filePath text, sdPath text, updateInfo "
    "text, price double, vehicle text, zipPath text, vid text, url text, resumeData blob, progress float, state "
    "integer, totalFileSize integer, tmpFileSize integer, speed integer, lastSpeedTime double, intervalFileSize "
    "integer, lastStateTime integer, expectedContentLength integer, ratio float)";

// Every update, look-up and delete finds its rows by url, vehicle or state; without these each would read the
// whole table. Made with the tables and on opening a file made before them; the tables keep their layout. The
// vehicle index also holds the url, so that the key of the updates and of the insert, (vehicle, url), is searched
// by both: without table statistics SQLite could pick the vehicle alone, whose rows may be all rows.
// Each index as "<name>", "<columns>"; both tables get them, named <table>_<suffix>_<name>.
const char* const kIndexes[][2] = {{"url", "url"}, {"vehicle", "vehicle, url"}, {"state", "state, lastStateTime"}};
const char* const kDownloadTableName = "t_downloadFiles_%@";
const char* const kInstallTableName = "t_installFinishFiles_%@";

const char* const kInsertDownload =
    "INSERT INTO t_downloadFiles_%@ (software, version, language, releaseVerion, isUpdate, filePath, sdPath, "
    "updateInfo, price, vehicle, zipPath, vid, url, resumeData, progress, state, totalFileSize, tmpFileSize, speed, "
    "lastSpeedTime, intervalFileSize, lastStateTime, expectedContentLength, ratio) SELECT ?, ?, ?, ?, ?, ?, ?, ?, ?, "
    "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ? WHERE NOT EXISTS (SELECT * FROM t_downloadFiles_%@ WHERE software = "
    "? and vehicle = ? and url = ?)";
const char* const kInsertInstall =
    "INSERT INTO t_installFinishFiles_%@ (software, version, language, releaseVerion, isUpdate, filePath, sdPath, "
    "updateInfo, price, vehicle, zipPath, vid, url, resumeData, progress, state, totalFileSize, tmpFileSize, speed, "
    "lastSpeedTime, intervalFileSize, lastStateTime, expectedContentLength, ratio) SELECT ?, ?, ?, ?, ?, ?, ?, ?, ?, "
    "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ? WHERE NOT EXISTS (SELECT * FROM t_installFinishFiles_%@ WHERE "
    "software = ? and vehicle = ? and url = ?)";
const char* const kStoredState = "SELECT state FROM t_downloadFiles_%@ WHERE url = ?";
const char* const kUpdateState = "UPDATE t_downloadFiles_%@ SET state = ? WHERE vehicle = ? and url = ?";
const char* const kUpdateStateTime = "UPDATE t_downloadFiles_%@ SET lastStateTime = ? WHERE vehicle = ? and url = ?";
const char* const kUpdateResumeData = "UPDATE t_downloadFiles_%@ SET resumeData = ? WHERE vehicle = ? and url = ?";
const char* const kUpdateProgress =
    "UPDATE t_downloadFiles_%@ SET tmpFileSize = ?, totalFileSize = ?, progress = ?, lastSpeedTime = ?, "
    "intervalFileSize = ?, speed = ? WHERE vehicle = ? and url = ?";
const char* const kUpdateAllButZipPath =
    "UPDATE t_downloadFiles_%@ SET software = ?, version = ?, language = ?, releaseVerion = ?, isUpdate = ?, filePath "
    "= ?, sdPath = ?, updateInfo = ?, price = ?, vehicle = ?, vid = ?, url = ?, resumeData = ?, totalFileSize = ?, "
    "tmpFileSize = ?, progress = ?, state = ?, lastSpeedTime = ?, intervalFileSize = ?, lastStateTime = ?, speed = ?, "
    "expectedContentLength = ?, ratio = ? WHERE vehicle = ? and url = ?";
const char* const kUpdateAll =
    "UPDATE t_downloadFiles_%@ SET software = ?, version = ?, language = ?, releaseVerion = ?, isUpdate = ?, filePath "
    "= ?, sdPath = ?, updateInfo = ?, price = ?, vehicle = ?, vid = ?, url = ?, resumeData = ?, totalFileSize = ?, "
    "tmpFileSize = ?, progress = ?, state = ?, lastSpeedTime = ?, intervalFileSize = ?, lastStateTime = ?, speed = ?, "
    "zipPath = ?, expectedContentLength = ?, ratio = ? WHERE vehicle = ? and url = ?";

// The columns a statement binds before its key, read from its own text, so the SQL above is their one list: the
// "(a, b, ...)" of an INSERT, the "SET a = ?, b = ?" of an UPDATE.
std::vector<std::string> boundColumns(const std::string& sql) {
    std::string list;
    if (sql.rfind("INSERT", 0) == 0) {
        const size_t open = sql.find('(');
        list = sql.substr(open + 1, sql.find(')', open) - open - 1);
    } else {
        const size_t set = sql.find(" SET ") + 5;
        list = sql.substr(set, sql.find(" WHERE ") - set);
    }
    std::vector<std::string> columns;
    size_t at = 0;
    while (at < list.size()) {
        size_t end = list.find(',', at);
        if (end == std::string::npos) end = list.size();
        std::string column = list.substr(at, end - at);
        column = column.substr(0, column.find('='));
        column.erase(0, column.find_first_not_of(' '));
        column.erase(column.find_last_not_of(' ') + 1);
        columns.push_back(column);
        at = end + 1;
    }
    return columns;
}

struct UpdateStep {
    int bit;
    const char* sql;
    bool checksState;
    std::vector<std::string> columns = boundColumns(sql); // bound before the (vehicle, url) key
};
const UpdateStep kUpdateSteps[] = {
    {KorvoUpdateDownloadUpdateState, kUpdateState, true},
    {KorvoUpdateDownloadUpdateStateTime, kUpdateStateTime, false},
    {KorvoUpdateDownloadUpdateResumeData, kUpdateResumeData, false},
    {KorvoUpdateDownloadUpdateProgress, kUpdateProgress, false},
    {KorvoUpdateDownloadUpdateAllButZipPath, kUpdateAllButZipPath, true},
    {KorvoUpdateDownloadUpdateAll, kUpdateAll, true},
};
// The download and the install table take the same columns.
const std::vector<std::string> kInsertColumns = boundColumns(kInsertDownload);

const char* const kSelectAll = "SELECT * FROM t_downloadFiles_%@";
const char* const kSelectDownloading = "SELECT * FROM t_downloadFiles_%@ WHERE state = ? order by lastStateTime desc";
// Lists by state or vehicle keep the order of the rows, which their indexes alone would give by lastStateTime or url.
const char* const kSelectState = "SELECT * FROM t_downloadFiles_%@ WHERE state = ? order by id";
const char* const kSelectUnfinished =
    "SELECT * FROM t_downloadFiles_%@ WHERE state != 0 and state < ? or state = ? order by id";
const char* const kSelectUrl = "SELECT * FROM t_downloadFiles_%@ WHERE url = ?";
const char* const kSelectUrlState = "SELECT * FROM t_downloadFiles_%@ WHERE url = ? AND state = ?";
const char* const kSelectNextWaiting =
    "SELECT * FROM t_downloadFiles_%@ WHERE state = ? and lastStateTime != 0 order by lastStateTime asc limit 0,1";
const char* const kSelectLastDownloading =
    "SELECT * FROM t_downloadFiles_%@ WHERE state = ? and lastStateTime != 0 order by lastStateTime desc limit 0,1";
const char* const kSelectSoftware = "SELECT * FROM t_downloadFiles_%@ WHERE software = ?";
const char* const kSelectVehicle = "SELECT * FROM t_downloadFiles_%@ WHERE vehicle = ? order by id";
const char* const kSelectAllInstalled = "SELECT * FROM t_installFinishFiles_%@";
const char* const kSelectInstalledSoftware = "SELECT * FROM t_installFinishFiles_%@ WHERE software = ?";
const char* const kSelectInstalledVehicle = "SELECT * FROM t_installFinishFiles_%@ WHERE vehicle = ? order by id";

const char* const kDeleteUrl = "DELETE FROM t_downloadFiles_%@ WHERE url = ?";
const char* const kDeleteVehicleState = "DELETE FROM t_downloadFiles_%@ WHERE vehicle = ? and state = ?";
const char* const kDeleteVehicle = "DELETE FROM t_downloadFiles_%@ WHERE vehicle = ?";
const char* const kDeleteSoftware = "DELETE FROM t_downloadFiles_%@ WHERE software = ?";
const char* const kDeleteAll = "DELETE FROM t_downloadFiles_%@";
const char* const kDeleteInstalledVehicle = "DELETE FROM t_installFinishFiles_%@ WHERE vehicle = ?";
const char* const kDeleteInstalledSoftware = "DELETE FROM t_installFinishFiles_%@ WHERE software = ?";

// The suffix is formatted into SQL, so only what an MD5 gives is accepted.
bool isValidSuffix(const QString& suffix) {
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern("[0-9a-f]{32}"));
    return pattern.match(suffix).hasMatch();
}

std::string sqlFor(const char* sqlTemplate, const QString& suffix) {
    return QString::fromLatin1(sqlTemplate).replace("%@", suffix).toStdString();
}

// Now in microseconds since 1970, cut toward zero.
int64_t nowStamp() {
    const double seconds = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    return static_cast<int64_t>(seconds * 1000 * 1000);
}

void bindText(SQLite::Statement& st, int index, const QString& text) {
    if (text.isNull())
        st.bind(index);
    else
        st.bind(index, text.toStdString());
}

QString upper(const QString& text) {
    return text.isNull() ? QString() : text.toUpper();
}

// The record's value of one column as the store writes it.
void bindColumn(SQLite::Statement& st, int index, const KorvoUpdateDownloadModel& m, const std::string& column,
                int64_t stamp) {
    if (column == "software") return bindText(st, index, upper(m.software()));
    if (column == "version") return bindText(st, index, m.version());
    if (column == "language") return bindText(st, index, m.language());
    if (column == "releaseVerion") return bindText(st, index, m.releaseVerion());
    if (column == "isUpdate") return st.bind(index, int32_t(m.isUpdate() ? 1 : 0));
    if (column == "filePath") return bindText(st, index, m.filePath());
    if (column == "sdPath") return bindText(st, index, m.sdPath());
    if (column == "updateInfo") return bindText(st, index, m.updateInfo());
    if (column == "price") return st.bind(index, m.price());
    if (column == "vehicle") return bindText(st, index, upper(m.vehicle()));
    if (column == "zipPath") return bindText(st, index, m.zipPath());
    if (column == "vid") return bindText(st, index, m.vid());
    if (column == "url") return bindText(st, index, m.url());
    if (column == "resumeData") {
        const QByteArray data = m.resumeData();
        if (data.isNull()) return st.bind(index);
        return st.bind(index, data.constData(), data.size());
    }
    if (column == "progress") return st.bind(index, static_cast<double>(static_cast<float>(m.progress())));
    if (column == "state") return st.bind(index, int64_t(m.state()));
    if (column == "totalFileSize") return st.bind(index, int64_t(m.totalFileSize()));
    if (column == "tmpFileSize") return st.bind(index, int64_t(m.tmpFileSize()));
    if (column == "speed") return st.bind(index, int64_t(m.speed()));
    if (column == "lastSpeedTime") return st.bind(index, m.lastSpeedTime());
    if (column == "intervalFileSize") return st.bind(index, int64_t(m.intervalFileSize()));
    if (column == "lastStateTime") return st.bind(index, stamp);
    if (column == "expectedContentLength") return st.bind(index, int64_t(m.expectedContentLength()));
    if (column == "ratio") return st.bind(index, static_cast<double>(m.ratio()));
}

void logFailure(const char* what, const std::exception& e, const char* next = "the records are left as they were") {
    syslogline::write(std::string("Download records: ") + what + " failed: " + e.what() + "; " + next + ".");
}

// A file that is no database, or whose pages are broken.
bool isDamage(const SQLite::Exception& e) {
    const int code = e.getErrorCode() & 0xff;
    return code == SQLITE_NOTADB || code == SQLITE_CORRUPT;
}

// Whether path is an SQLite file, or none yet (SQLite makes one of a missing or empty file); a file that cannot be
// read is left for SQLite to report.
bool isDatabaseFile(const QString& path) {
    static const QByteArray kHeader("SQLite format 3\0", 16);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0) return true;
    return file.read(kHeader.size()) == kHeader;
}

// A file or folder that may be read but not written.
bool cannotWrite(const SQLite::Exception& e) {
    const int code = e.getErrorCode() & 0xff;
    return code == SQLITE_READONLY || code == SQLITE_CANTOPEN || code == SQLITE_PERM;
}

// Reads every page of the file, for at most timeoutMs: throws SQLITE_CORRUPT when one is broken. A check cut short
// finds nothing.
void checkPages(SQLite::Database& db, int timeoutMs) {
    if (timeoutMs <= 0) return;
    using Clock = std::chrono::steady_clock;
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    sqlite3_progress_handler(
        db.getHandle(), kCheckStepsPerLook,
        [](void* end) { return Clock::now() > *static_cast<Clock::time_point*>(end) ? 1 : 0; }, &deadline);
    std::string verdict;
    try {
        SQLite::Statement check(db, "PRAGMA quick_check(1)");
        verdict = check.executeStep() ? check.getColumn(0).getString() : std::string();
    } catch (const SQLite::Exception& e) {
        sqlite3_progress_handler(db.getHandle(), 0, nullptr, nullptr);
        if ((e.getErrorCode() & 0xff) != SQLITE_INTERRUPT) throw;
        logFailure("checking the pages of KorvoUpdate.db", e, "damage is found as the records are used");
        return;
    }
    sqlite3_progress_handler(db.getHandle(), 0, nullptr, nullptr);
    if (verdict != "ok") throw SQLite::Exception("KorvoUpdate.db has broken pages: " + verdict, SQLITE_CORRUPT);
}

void makeIndexes(SQLite::Database& db, const char* tableTemplate, const QString& suffix) {
    const std::string table = sqlFor(tableTemplate, suffix);
    for (const auto& [name, columns] : kIndexes)
        db.exec("CREATE INDEX IF NOT EXISTS " + table + "_" + name + " ON " + table + " (" + columns + ")");
}

void makeInstallTable(SQLite::Database& db, const QString& suffix) {
    db.exec(sqlFor(kCreateInstallTable, suffix));
    makeIndexes(db, kInstallTableName, suffix);
}

} // namespace

KorvoUpdateDownloadDataBaseManager& KorvoUpdateDownloadDataBaseManager::sharedManager() {
    static KorvoUpdateDownloadDataBaseManager manager;
    return manager;
}

KorvoUpdateDownloadDataBaseManager::KorvoUpdateDownloadDataBaseManager()
    : m_busyTimeoutMs(kBusyTimeoutMs), m_openCheckMs(kOpenCheckMs) {}
KorvoUpdateDownloadDataBaseManager::~KorvoUpdateDownloadDataBaseManager() = default;

QString KorvoUpdateDownloadDataBaseManager::uniqueIDStringFor(const QString& serialNumber, const QString& account) {
    return md5String(serialNumber.toUpper() + "_" + account);
}

QString KorvoUpdateDownloadDataBaseManager::databasePath() {
    return QDir(platform::documentsDirectory()).filePath(kKorvoUpdateDatabaseFileName);
}

void KorvoUpdateDownloadDataBaseManager::creatDBWithSerialNumber(const QString& serialNumber, const QString& account) {
    const QString suffix = uniqueIDStringFor(serialNumber, account);
    Lock lock(m_mutex);
    setUniqueIDString(suffix);
    creatCachesTableWithUniqueIDString(suffix);
    creatInstallRecordTableWithUniqueIDString(suffix);
}

void KorvoUpdateDownloadDataBaseManager::creatCachesTableWithUniqueIDString(const QString& uniqueIDString) {
    if (!isValidSuffix(uniqueIDString)) {
        syslogline::write("Download records: refused a table suffix that is not an MD5 digest.");
        return;
    }
    Lock lock(m_mutex);
    // The connection held before goes in any case: until the new file opens, the store is closed rather than left
    // on the tables of the previous user.
    m_db.reset();
    m_target = Target{databasePath(), uniqueIDString, false};
    m_openFailure.clear();
    openTarget();
}

void KorvoUpdateDownloadDataBaseManager::creatInstallRecordTableWithUniqueIDString(const QString& uniqueIDString) {
    if (!isValidSuffix(uniqueIDString)) return;
    Lock lock(m_mutex);
    // Made with the download table when an open that failed is tried again.
    if (m_target && m_target->suffix == uniqueIDString) m_target->installTable = true;
    if (!m_db) return;
    withTables("making the installed-package table", true,
               [&](SQLite::Database& db, const QString&) { makeInstallTable(db, uniqueIDString); });
}

bool KorvoUpdateDownloadDataBaseManager::openTarget() {
    const Target target = *m_target;
    const std::string path = target.path.toStdString();
    // A file that is no database is moved before SQLite opens it, which would reset a journal beside it.
    bool movedAside = false;
    if (!isDatabaseFile(target.path)) {
        movedAside = true;
        if (!moveAside(target.path)) {
            m_openFailure = QStringLiteral("KorvoUpdate.db is damaged and cannot be moved aside");
            return false;
        }
    }
    for (;;) {
        try {
            auto db =
                std::make_shared<SQLite::Database>(path, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE, m_busyTimeoutMs);
            // Before the switch to WAL, the first write.
            checkPages(*db, m_openCheckMs);
            try {
                // WAL: readers of another connection never see a half-written transaction and do not block the
                // writer. The switch needs the file to itself; without it the store works in rollback mode.
                db->exec("PRAGMA journal_mode=WAL");
            } catch (const SQLite::Exception& e) {
                if (isDamage(e)) throw;
                logFailure("switching KorvoUpdate.db to WAL", e, "it stays in rollback mode");
            }
            db->exec(sqlFor(kCreateDownloadTable, target.suffix));
            makeIndexes(*db, kDownloadTableName, target.suffix);
            if (target.installTable) makeInstallTable(*db, target.suffix);
            m_db = db;
            m_openFailure.clear();
            announceRenewal();
            return true;
        } catch (const SQLite::Exception& e) {
            if (isDamage(e) && !movedAside) {
                movedAside = true;
                if (moveAside(target.path)) continue;
            }
            // A file that cannot be written (or a folder where no journal can be made) can still be read.
            if (cannotWrite(e) && QFileInfo::exists(target.path) && openReadOnly(target.path)) return true;
            m_openFailure = QString::fromUtf8(e.what());
            logFailure("opening KorvoUpdate.db", e, "it is tried again at the next operation");
            return false;
        }
    }
}

bool KorvoUpdateDownloadDataBaseManager::openReadOnly(const QString& path) {
    // Read-only with locks first; in a read-only folder a WAL file has no shared-memory file to lock by, and is
    // read as it stands.
    const QByteArray uri = QUrl::fromLocalFile(path).toEncoded();
    for (const char* mode : {"?mode=ro", "?immutable=1"}) {
        try {
            auto db = std::make_shared<SQLite::Database>((uri + mode).toStdString(),
                                                         SQLite::OPEN_READONLY | SQLite::OPEN_URI, m_busyTimeoutMs);
            db->exec("SELECT count(*) FROM sqlite_master");
            m_db = db;
            m_openFailure.clear();
            announceRenewal();
            syslogline::write("Download records: KorvoUpdate.db cannot be written (see the permissions of Documents "
                              "and of the file); its records are read, and every change fails until it is opened "
                              "again.");
            return true;
        } catch (const std::exception&) {
        }
    }
    return false;
}

bool KorvoUpdateDownloadDataBaseManager::moveAside(const QString& path) {
    // Beside the file, under a name no earlier damaged file has, with its journal files under the same name.
    std::string why;
    const QString aside =
        QFile::decodeName(safefile::MoveAsideDamaged(QFile::encodeName(path).toStdString(), &why).c_str());
    if (aside.isEmpty()) {
        syslogline::write("Download records: KorvoUpdate.db is damaged and " + why +
                          "; the records stay closed until Documents may be written.");
        return false;
    }
    for (const char* journal : {"-wal", "-shm", "-journal"})
        if (QFileInfo::exists(path + journal)) QFile::rename(path + journal, aside + journal);
    syslogline::write("Download records: KorvoUpdate.db was damaged; it was moved aside to " + aside.toStdString() +
                      " and a new one is started.");
    m_renewalPending = true;
    return true;
}

void KorvoUpdateDownloadDataBaseManager::announceRenewal() {
    if (!m_renewalPending) return;
    m_renewalPending = false;
    NotificationCenter::defaultCenter().post(KorvoUpdateDownloadStoreRenewedNotification, this);
}

void KorvoUpdateDownloadDataBaseManager::renewDamaged() {
    m_damaged = false;
    // Closed before its file moves: closing afterwards would remove the journal files by their names, the new
    // file's by then.
    m_db.reset();
    if (!m_target) return;
    if (!moveAside(m_target->path)) {
        m_openFailure = QStringLiteral("KorvoUpdate.db is damaged and cannot be moved aside");
        return;
    }
    openTarget();
}

bool KorvoUpdateDownloadDataBaseManager::withTables(const char* what, bool again, const TableWork& work) {
    for (bool first = true;; first = false) {
        {
            std::shared_ptr<SQLite::Database> db;
            QString suffix;
            if (!openTables(db, suffix)) return false;
            ++m_depth;
            try {
                work(*db, suffix);
            } catch (const SQLite::Exception& e) {
                if (isDamage(e)) m_damaged = true;
                logFailure(what, e);
            } catch (const std::exception& e) {
                logFailure(what, e);
            }
            --m_depth;
        }
        // Only the outermost operation renews: a call made from inside another one (an observer of the state
        // notification) must not take the connection away from under it.
        if (m_depth > 0 || !m_damaged) return true;
        renewDamaged();
        if (!first || !again) return true;
    }
}

void KorvoUpdateDownloadDataBaseManager::setOpenCheckTimeout(int milliseconds) {
    Lock lock(m_mutex);
    m_openCheckMs = milliseconds;
}

void KorvoUpdateDownloadDataBaseManager::setBusyTimeout(int milliseconds) {
    Lock lock(m_mutex);
    m_busyTimeoutMs = milliseconds;
}

QString KorvoUpdateDownloadDataBaseManager::uniqueIDString() const {
    Lock lock(m_mutex);
    return m_uniqueIDString;
}

void KorvoUpdateDownloadDataBaseManager::setUniqueIDString(const QString& uniqueIDString) {
    Lock lock(m_mutex);
    m_uniqueIDString = uniqueIDString;
}

bool KorvoUpdateDownloadDataBaseManager::isOpen() const {
    Lock lock(m_mutex);
    return m_db != nullptr;
}

void KorvoUpdateDownloadDataBaseManager::setAfterStatementHook(StatementHook hook) {
    Lock lock(m_mutex);
    m_hook = std::move(hook);
}

bool KorvoUpdateDownloadDataBaseManager::openTables(std::shared_ptr<SQLite::Database>& db, QString& suffix) {
    if (!isValidSuffix(m_uniqueIDString)) return false;
    if (!m_db && !(m_target && openTarget())) return false;
    db = m_db;
    suffix = m_uniqueIDString;
    return true;
}

void KorvoUpdateDownloadDataBaseManager::logDropped(const char* what) const {
    const std::string why = !m_target                 ? std::string("no records were opened yet")
                            : m_openFailure.isEmpty() ? std::string("it cannot be opened")
                                                      : m_openFailure.toStdString();
    syslogline::write(std::string("Download records: ") + what + " was dropped: the record store is not open (" + why +
                      ").");
}

void KorvoUpdateDownloadDataBaseManager::execute(const char* sqlTemplate,
                                                 const std::function<void(SQLite::Statement&)>& bind) {
    Lock lock(m_mutex);
    const bool open = withTables("a write", true, [&](SQLite::Database& db, const QString& suffix) {
        SQLite::Statement st(db, sqlFor(sqlTemplate, suffix));
        if (bind) bind(st);
        st.exec();
    });
    if (!open) logDropped("a write");
}

KorvoUpdateDownloadModelList
KorvoUpdateDownloadDataBaseManager::query(const char* sqlTemplate, const std::function<void(SQLite::Statement&)>& bind,
                                          bool lastOnly) {
    Lock lock(m_mutex);
    KorvoUpdateDownloadModelList models;
    withTables("a read", true, [&](SQLite::Database& db, const QString& suffix) {
        SQLite::Statement st(db, sqlFor(sqlTemplate, suffix));
        if (bind) bind(st);
        // Rows read before a failure are no answer: the list is given only when the query ran to its end.
        KorvoUpdateDownloadModelList rows;
        while (st.executeStep()) {
            auto model = KorvoUpdateDownloadModel::initWithFMResultSet(st);
            if (!model) continue;
            if (lastOnly) rows.clear();
            rows.push_back(std::move(model));
        }
        models = std::move(rows);
    });
    return models;
}

void KorvoUpdateDownloadDataBaseManager::insertInto(const char* sqlTemplate, const KorvoUpdateDownloadModel& model) {
    execute(sqlTemplate, [&](SQLite::Statement& st) {
        int index = 1;
        for (const std::string& column : kInsertColumns)
            bindColumn(st, index++, model, column, int64_t(model.lastStateTime()));
        bindText(st, index++, upper(model.software()));
        bindText(st, index++, upper(model.vehicle()));
        bindText(st, index++, model.url());
    });
}

void KorvoUpdateDownloadDataBaseManager::insertModel(const KorvoUpdateDownloadModel& model) {
    insertInto(kInsertDownload, model);
}

void KorvoUpdateDownloadDataBaseManager::insertModelForInstall(const KorvoUpdateDownloadModel& model) {
    insertInto(kInsertInstall, model);
}

void KorvoUpdateDownloadDataBaseManager::updateWithModel(const KorvoUpdateDownloadModelPtr& model, int option) {
    if (!model) return;
    Lock lock(m_mutex);
    // Not made again on a file started anew after damage: the row went with the damaged file.
    const bool open = withTables("an update", false, [&](SQLite::Database& db, const QString& suffix) {
        // One transaction: a crash between two statements (state, then its stamp) leaves the row as it was. It takes
        // the write lock at once, so a busy file is waited for rather than failing when the read turns into a write.
        // An observer of the notification updating the store inside this update gets a savepoint within it.
        const bool outermost = sqlite3_get_autocommit(db.getHandle()) != 0;
        db.exec(outermost ? "BEGIN IMMEDIATE" : "SAVEPOINT korvo_update");
        try {
            for (const UpdateStep& step : kUpdateSteps) {
                if (!(option & step.bit)) continue;
                if (step.checksState) {
                    int64_t stored = 0;
                    {
                        // Finished before the notification, so an observer may use the store.
                        SQLite::Statement check(db, sqlFor(kStoredState, suffix));
                        bindText(check, 1, model->url());
                        if (check.executeStep()) stored = check.getColumn(0).getInt64();
                    }
                    if (stored != KorvoUpdateDownloadStateFinished && model->state() != stored) {
                        QVariantMap userInfo;
                        setRetainedObject(userInfo, model);
                        NotificationCenter::defaultCenter().post(KorvoUpdateDownloadStateChangeNotification,
                                                                 model.get(), userInfo);
                    }
                }
                SQLite::Statement st(db, sqlFor(step.sql, suffix));
                int index = 1;
                const int64_t stamp = nowStamp();
                for (const std::string& column : step.columns)
                    bindColumn(st, index++, *model, column, stamp);
                bindText(st, index++, upper(model->vehicle()));
                bindText(st, index++, model->url());
                st.exec();
                if (m_hook) m_hook(step.bit);
            }
            db.exec(outermost ? "COMMIT" : "RELEASE korvo_update");
        } catch (const std::exception&) {
            try {
                db.exec(outermost ? "ROLLBACK" : "ROLLBACK TO korvo_update; RELEASE korvo_update");
            } catch (const std::exception&) {
            }
            throw;
        }
    });
    if (!open) logDropped("an update");
}

void KorvoUpdateDownloadDataBaseManager::deleteModelWithUrl(const QString& url) {
    execute(kDeleteUrl, [&](SQLite::Statement& st) { bindText(st, 1, url); });
}

void KorvoUpdateDownloadDataBaseManager::deleteModelWithName(const QString& vehicle, int64_t state) {
    execute(kDeleteVehicleState, [&](SQLite::Statement& st) {
        bindText(st, 1, upper(vehicle));
        st.bind(2, state);
    });
}

void KorvoUpdateDownloadDataBaseManager::deleteModelWithVehicle(const QString& vehicle) {
    execute(kDeleteVehicle, [&](SQLite::Statement& st) { bindText(st, 1, upper(vehicle)); });
}

void KorvoUpdateDownloadDataBaseManager::deleteModelWithSoftware(const QString& software) {
    execute(kDeleteSoftware, [&](SQLite::Statement& st) { bindText(st, 1, upper(software)); });
}

void KorvoUpdateDownloadDataBaseManager::deleteAll() {
    execute(kDeleteAll, nullptr);
}

void KorvoUpdateDownloadDataBaseManager::deleteModelWithVehicleForInstall(const QString& vehicle) {
    execute(kDeleteInstalledVehicle, [&](SQLite::Statement& st) { bindText(st, 1, upper(vehicle)); });
}

void KorvoUpdateDownloadDataBaseManager::deleteModelWithSoftwareForInstall(const QString& software) {
    execute(kDeleteInstalledSoftware, [&](SQLite::Statement& st) { bindText(st, 1, upper(software)); });
}

KorvoUpdateDownloadModelList KorvoUpdateDownloadDataBaseManager::getDateWithOption(int option) {
    const auto byState = [](std::vector<int64_t> states) {
        return [states](SQLite::Statement& st) {
            int index = 1;
            for (int64_t s : states)
                st.bind(index++, s);
        };
    };
    switch (option) {
    case KorvoUpdateDownloadQueryAll:
        return query(kSelectAll, nullptr, false);
    case KorvoUpdateDownloadQueryDownloading:
        return query(kSelectDownloading, byState({KorvoUpdateDownloadStateDownloading}), false);
    case KorvoUpdateDownloadQueryFinished:
        return query(kSelectState, byState({KorvoUpdateDownloadStateFinished}), false);
    case KorvoUpdateDownloadQueryUnfinished:
        return query(kSelectUnfinished, byState({KorvoUpdateDownloadStateFinished, KorvoUpdateDownloadStateFailed}),
                     false);
    case KorvoUpdateDownloadQueryWaiting:
        return query(kSelectState, byState({KorvoUpdateDownloadStateWaiting}), false);
    default:
        return {};
    }
}

KorvoUpdateDownloadModelList KorvoUpdateDownloadDataBaseManager::getDateWithOption(int option, const QString& name) {
    const auto byName = [&](SQLite::Statement& st) { bindText(st, 1, upper(name)); };
    switch (option) {
    case KorvoUpdateDownloadQuerySoftware:
        return query(kSelectSoftware, byName, false);
    case KorvoUpdateDownloadQueryVehicle:
        return query(kSelectVehicle, byName, false);
    default:
        return {};
    }
}

KorvoUpdateDownloadModelPtr KorvoUpdateDownloadDataBaseManager::getModelWithOption(int option, const QString& url) {
    KorvoUpdateDownloadModelList found;
    switch (option) {
    case KorvoUpdateDownloadQueryUrl:
        found = query(
            kSelectUrl, [&](SQLite::Statement& st) { bindText(st, 1, url); }, true);
        break;
    case KorvoUpdateDownloadQueryNextWaiting:
        found = query(
            kSelectNextWaiting, [](SQLite::Statement& st) { st.bind(1, int64_t(KorvoUpdateDownloadStateWaiting)); },
            true);
        break;
    case KorvoUpdateDownloadQueryLastDownloading:
        found = query(
            kSelectLastDownloading,
            [](SQLite::Statement& st) { st.bind(1, int64_t(KorvoUpdateDownloadStateDownloading)); }, true);
        break;
    default:
        return nullptr;
    }
    return found.empty() ? nullptr : found.back();
}

KorvoUpdateDownloadModelPtr KorvoUpdateDownloadDataBaseManager::getModelWithOption(int option, const QString& url,
                                                                                   int64_t state) {
    if (option != KorvoUpdateDownloadQueryUrl) return nullptr;
    const auto found = query(
        kSelectUrlState,
        [&](SQLite::Statement& st) {
            bindText(st, 1, url);
            st.bind(2, state);
        },
        true);
    return found.empty() ? nullptr : found.back();
}

KorvoUpdateDownloadModelList KorvoUpdateDownloadDataBaseManager::getDateWithOptionForInstall(int option) {
    if (option != KorvoUpdateDownloadQueryAll) return {};
    return query(kSelectAllInstalled, nullptr, false);
}

KorvoUpdateDownloadModelList KorvoUpdateDownloadDataBaseManager::getDateWithOptionForInstall(int option,
                                                                                             const QString& name) {
    const auto byName = [&](SQLite::Statement& st) { bindText(st, 1, upper(name)); };
    switch (option) {
    case KorvoUpdateDownloadQuerySoftware:
        return query(kSelectInstalledSoftware, byName, false);
    case KorvoUpdateDownloadQueryVehicle:
        return query(kSelectInstalledVehicle, byName, false);
    default:
        return {};
    }
}
