#include "KorvoUpdateDownloadManager.h"

#include "KorvoUpdateCommonTool.h"
#include "KorvoUpdateDownloadDataBaseManager.h"
#include "KorvoUpdateNetworkReachability.h"

#include "NotificationCenter.h"
#include "UserDefaults.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <future>

const char* const KorvoUpdateDownloadMaxConcurrentCountKey = "KorvoUpdateDownloadMaxConcurrentCountKey";
const char* const KorvoUpdateDownloadAllowsCellularAccessKey = "KorvoUpdateDownloadAllowsCellularAccessKey";
const char* const KorvoUpdateDownloadMaxConcurrentCountChangeNotification =
    "KorvoUpdateDownloadMaxConcurrentCountChangeNotification";
const char* const KorvoUpdateDownloadAllowsCellularAccessChangeNotification =
    "KorvoUpdateDownloadAllowsCellularAccessChangeNotification";
const char* const KorvoUpdateDownloadProgressNotification = "KorvoUpdateDownloadProgressNotification";
const char* const KorvoUpdateDownloadRequestErrorNotification = "KorvoUpdateDownloadRequestErrorNotification";
const char* const KorvoUpdateDownloadRequestCompleteNotification = "KorvoUpdateDownloadRequestCompleteNotification";

namespace {

enum : int64_t {
    StateNew = KorvoUpdateDownloadStateNew,
    StateDownloading = KorvoUpdateDownloadStateDownloading,
    StateWaiting = KorvoUpdateDownloadStateWaiting,
    StatePaused = KorvoUpdateDownloadStatePaused,
    StateFinished = KorvoUpdateDownloadStateFinished,
    StateFailed = KorvoUpdateDownloadStateFailed,
};

// Update bits of the record store, as combined here.
constexpr int kUpdateState = KorvoUpdateDownloadUpdateState;
constexpr int kUpdateStateAndTime = KorvoUpdateDownloadUpdateState | KorvoUpdateDownloadUpdateStateTime;
constexpr int kUpdateResumeData = KorvoUpdateDownloadUpdateResumeData;
constexpr int kUpdateStateAndResumeData = KorvoUpdateDownloadUpdateState | KorvoUpdateDownloadUpdateResumeData;
constexpr int kUpdateProgress = KorvoUpdateDownloadUpdateProgress;
constexpr int kUpdateWholeRow = KorvoUpdateDownloadUpdateAll;

// The url part that marks one piece of a split archive, and what the pieces' archive paths then hold.
const QString kPartUrlMarker = QStringLiteral("part.zip");
const QString kPartZipMarker = QStringLiteral("part.7z");
// Joined archives are copied in pieces of this size, never held whole in memory.
constexpr qint64 kJoinChunk = 1 << 20;
// How long the end of the engine waits for a transfer thread to notice its cancel.
constexpr int kShutdownWaitMs = 5000;

double nowMicroseconds() {
    return double(QDateTime::currentMSecsSinceEpoch()) * 1000.0;
}

// The name of a split archive's joined file: its "_"-separated fields without the last two. Empty for a name with
// fewer than three fields, which would leave nothing (a hidden ".7z") or cut the name wrongly.
QString joinedBaseName(const QString& fileName) {
    QStringList fields = fileName.split(QLatin1Char('_'));
    if (fields.size() < 3) return {};
    fields.removeLast();
    fields.removeLast();
    return fields.join(QLatin1Char('_'));
}

// Removes path when it is a regular file (or a link) directly inside folder; anything else is left alone.
void removeFileInFolder(const QString& folder, const QString& path) {
    if (path.isEmpty() || folder.isEmpty()) return;
    const QFileInfo info(path);
    const QString parent = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (parent.isEmpty() || parent != QFileInfo(folder).canonicalFilePath()) return;
    struct stat st;
    const QByteArray encoded = QFile::encodeName(info.absoluteFilePath());
    if (::lstat(encoded.constData(), &st) != 0 || !(S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))) return;
    ::unlink(encoded.constData());
}

bool sameVehicle(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

KorvoUpdateDownloadManager& KorvoUpdateDownloadManager::sharedManager() {
    static KorvoUpdateDownloadManager instance(KorvoUpdateDownloadDataBaseManager::sharedManager());
    return instance;
}

KorvoUpdateDownloadManager::KorvoUpdateDownloadManager(KorvoUpdateDownloadDataBaseManager& store) : m_store(store) {
    init();
}

void KorvoUpdateDownloadManager::init() {
    // Made before this engine so that they outlive it: its last queued jobs at the end of the program use them.
    KorvoUpdateCommonTool::sharedTool();
    KorvoUpdateNetworkReachability::sharedManager();
    auto& defaults = UserDefaults::standardUserDefaults();
    m_maxConcurrentCount = defaults.integerForKey(QString::fromLatin1(KorvoUpdateDownloadMaxConcurrentCountKey));
    m_allowsCellularAccess = defaults.boolForKey(QString::fromLatin1(KorvoUpdateDownloadAllowsCellularAccessKey));
    // The request time-out of every download.
    m_options.stallTimeoutMs = 240000;

    auto& centre = NotificationCenter::workspaceCenter();
    centre.addObserver(this, QString::fromLatin1(KorvoUpdateDownloadMaxConcurrentCountChangeNotification),
                       [this](const Notification& n) { downloadMaxConcurrentCountChange(n); });
    centre.addObserver(this, QString::fromLatin1(KorvoUpdateDownloadAllowsCellularAccessChangeNotification),
                       [this](const Notification& n) { downloadAllowsCellularAccessChange(n); });
    // The reachability manager posts its change on the default centre, so the engine listens there for it.
    NotificationCenter::defaultCenter().addObserver(
        this, kKorvoUpdateReachabilityDidChangeNotification,
        [this](const Notification& n) { networkingReachabilityDidChange(n); });
    NotificationCenter::defaultCenter().addObserver(
        this, KorvoUpdateDownloadStoreRenewedNotification,
        [this](const Notification&) { async([this] { storeRenewedOnQueue(); }); });
    // A program that was killed while downloading left its records in state 1, which nothing starts again: no
    // transfer runs for them in this engine, so they wait for a slot like any other (stamped, so the queue sees them).
    async([this] {
        for (const auto& record : m_store.getAllDownloadingData()) {
            record->setState(StateWaiting);
            m_store.updateWithModel(record, kUpdateStateAndTime);
        }
    });
}

KorvoUpdateDownloadManager::~KorvoUpdateDownloadManager() {
    NotificationCenter::workspaceCenter().removeObserver(this);
    NotificationCenter::defaultCenter().removeObserver(this);
    std::vector<std::shared_ptr<DownloadTask>> tasks;
    {
        std::lock_guard<std::mutex> lock(m_snapshotMutex);
        for (const auto& weak : m_allTasks)
            if (auto task = weak.lock()) tasks.push_back(task);
    }
    for (const auto& task : tasks)
        task->cancel();
    // Their last callbacks reach the queue before they count as done; the queue then runs them while the engine
    // still stands.
    for (const auto& task : tasks)
        task->waitUntilDone(kShutdownWaitMs);
    sync();
}

void KorvoUpdateDownloadManager::async(std::function<void()> job) {
    m_queue.async(std::move(job));
}

void KorvoUpdateDownloadManager::sync() {
    std::promise<void> done;
    m_queue.async([&] { done.set_value(); });
    done.get_future().wait();
    std::promise<void> files;
    m_fileQueue.async([&] { files.set_value(); });
    files.get_future().wait();
}

void KorvoUpdateDownloadManager::setTaskOptions(const DownloadTask::Options& options) {
    std::lock_guard<std::mutex> lock(m_snapshotMutex);
    m_options = options;
}

void KorvoUpdateDownloadManager::setMaxTimeoutRetries(int retries) {
    std::lock_guard<std::mutex> lock(m_snapshotMutex);
    m_maxTimeoutRetries = std::max(0, retries);
}

long long KorvoUpdateDownloadManager::maxConcurrentCount() const {
    std::lock_guard<std::mutex> lock(m_snapshotMutex);
    return m_maxConcurrentCount;
}

bool KorvoUpdateDownloadManager::allowsCellularAccess() const {
    std::lock_guard<std::mutex> lock(m_snapshotMutex);
    return m_allowsCellularAccess;
}

QStringList KorvoUpdateDownloadManager::dataTaskVehiclesSet() const {
    std::lock_guard<std::mutex> lock(m_snapshotMutex);
    return m_dataTaskVehiclesSet;
}

QMap<QString, std::shared_ptr<DownloadTask>> KorvoUpdateDownloadManager::dataTaskDic() const {
    std::lock_guard<std::mutex> lock(m_snapshotMutex);
    return m_dataTaskDic;
}

QMap<QString, std::shared_ptr<DownloadTask>> KorvoUpdateDownloadManager::downloadTaskDic() const {
    std::lock_guard<std::mutex> lock(m_snapshotMutex);
    return m_downloadTaskDic;
}

KorvoUpdateDownloadManager::ModelList KorvoUpdateDownloadManager::downloadPausedModels() const {
    std::lock_guard<std::mutex> lock(m_snapshotMutex);
    return m_downloadPausedModels;
}

std::optional<DownloadError> KorvoUpdateDownloadManager::lastErrorForUrl(const QString& url) const {
    std::lock_guard<std::mutex> lock(m_snapshotMutex);
    const auto it = m_lastErrors.constFind(url);
    if (it == m_lastErrors.constEnd()) return std::nullopt;
    return it.value();
}

QString KorvoUpdateDownloadManager::downloadFolder() const {
    return KorvoUpdateCommonTool::sharedTool().getUpdateDirectory();
}

QString KorvoUpdateDownloadManager::zipPathForUrl(const QString& url) const {
    // The file name of the url's path: no query, no fragment, percent-escapes decoded; it must be a plain name.
    const QString name = QUrl(url).fileName(QUrl::FullyDecoded);
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')) || name.contains(QLatin1Char('/')) ||
        name.contains(QLatin1Char('\\')) || name.contains(QChar(0)))
        return {};
    return KorvoUpdateCommonTool::sharedTool().get7ZResourcePath(name);
}

void KorvoUpdateDownloadManager::post(const char* name, const ModelPtr& model) {
    QVariantMap info;
    setRetainedObject(info, model);
    NotificationCenter::workspaceCenter().post(QString::fromLatin1(name), model.get(), info);
}

bool KorvoUpdateDownloadManager::networkingAllowsDownloadTask() const {
    using Status = KorvoUpdateNetworkReachability::Status;
    const Status status = KorvoUpdateNetworkReachability::sharedManager().networkReachabilityStatus();
    return status != Status::NotReachable && (status != Status::ReachableViaWWAN || allowsCellularAccess());
}

// ---- public operations: queued ----

void KorvoUpdateDownloadManager::startDownloadTask(const ModelPtr& model) {
    async([this, model] { startDownloadTaskOnQueue(model); });
}
void KorvoUpdateDownloadManager::startDownloadWaitingTask() {
    async([this] { startDownloadWaitingTaskOnQueue(); });
}
void KorvoUpdateDownloadManager::downloadwithModel(const ModelPtr& model) {
    async([this, model] { downloadwithModelOnQueue(model); });
}
void KorvoUpdateDownloadManager::pauseDownloadTask(const ModelPtr& model) {
    async([this, model] { pauseDownloadTaskOnQueue(model); });
}
void KorvoUpdateDownloadManager::pauseDownloadingTaskWithAll(bool) {
    async([this] { pauseDownloadingTaskWithAllOnQueue(); });
}
void KorvoUpdateDownloadManager::cancelTaskWithModel(const ModelPtr& model, bool deleteTask) {
    async([this, model, deleteTask] { cancelTaskWithModelOnQueue(model, deleteTask); });
}
void KorvoUpdateDownloadManager::cancelAllDownTask() {
    async([this] { cancelAllDownTaskOnQueue(); });
}
void KorvoUpdateDownloadManager::deleteTaskAndCache(const ModelPtr& model) {
    async([this, model] { deleteTaskAndCacheOnQueue(model); });
}
void KorvoUpdateDownloadManager::deleteLocFilePath(const ModelPtr& model) {
    async([this, model] { deleteLocFilePathOnQueue(model); });
}
void KorvoUpdateDownloadManager::deleteAllTask() {
    async([this] { deleteAllTaskOnQueue(); });
}
void KorvoUpdateDownloadManager::removeVehicleDownloadTask(const ModelPtr& model) {
    async([this, model] {
        if (model) removeVehicle(model->vehicle());
    });
}
void KorvoUpdateDownloadManager::removeFailData(const ModelPtr& model, const DownloadError& error,
                                                const ModelList& list) {
    async([this, model, error, list] { removeFailDataOnQueue(model, error, list); });
}
void KorvoUpdateDownloadManager::composeFilePath(const ModelList& models) {
    async([this, models] { composeFilePathOnQueue(models); });
}

void KorvoUpdateDownloadManager::downloadMaxConcurrentCountChange(const Notification& notification) {
    // The object is a number: here a pointer to a long long, or the "count" of the user info.
    long long count = notification.userInfo.value(QStringLiteral("count"), -1).toLongLong();
    if (notification.object) count = *static_cast<const long long*>(notification.object);
    if (count < 0) return;
    async([this, count] { setMaxConcurrentCountOnQueue(count); });
}

void KorvoUpdateDownloadManager::downloadAllowsCellularAccessChange(const Notification& notification) {
    bool allows = notification.userInfo.value(QStringLiteral("allows")).toBool();
    if (notification.object) allows = *static_cast<const bool*>(notification.object);
    async([this, allows] {
        {
            std::lock_guard<std::mutex> lock(m_snapshotMutex);
            m_allowsCellularAccess = allows;
        }
        reachabilityActionOnQueue();
    });
}

void KorvoUpdateDownloadManager::networkingReachabilityDidChange(const Notification&) {
    allowsCellularAccessOrNetworkingReachabilityDidChangeAction();
}

void KorvoUpdateDownloadManager::allowsCellularAccessOrNetworkingReachabilityDidChangeAction() {
    async([this] { reachabilityActionOnQueue(); });
}

// ---- on the engine queue ----

void KorvoUpdateDownloadManager::setMaxConcurrentCountOnQueue(long long count) {
    long long running;
    {
        std::lock_guard<std::mutex> lock(m_snapshotMutex);
        m_maxConcurrentCount = count;
        running = m_dataTaskVehiclesSet.size();
    }
    if (running < count)
        startDownloadWaitingTaskOnQueue();
    else if (running > count)
        pauseDownloadingTaskWithAllOnQueue();
}

void KorvoUpdateDownloadManager::reachabilityActionOnQueue() {
    const auto status = KorvoUpdateNetworkReachability::sharedManager().networkReachabilityStatus();
    if (status != KorvoUpdateNetworkReachability::Status::NotReachable && networkingAllowsDownloadTask())
        startDownloadWaitingTaskOnQueue();
    else
        pauseDownloadingTaskWithAllOnQueue();
}

void KorvoUpdateDownloadManager::storeRenewedOnQueue() {
    // The records of every transfer went with the damaged file, so none can be finished or resumed: the transfers
    // stop (their partial files with them) and their slots are free for what the new file gets.
    cancelAllDownTaskOnQueue();
    m_restartAfter.clear();
    m_moveFailed.clear();
    std::lock_guard<std::mutex> lock(m_snapshotMutex);
    m_dataTaskVehiclesSet.clear();
    m_retries.clear();
}

void KorvoUpdateDownloadManager::removeVehicle(const QString& vehicle) {
    std::lock_guard<std::mutex> lock(m_snapshotMutex);
    m_dataTaskVehiclesSet.erase(std::remove_if(m_dataTaskVehiclesSet.begin(), m_dataTaskVehiclesSet.end(),
                                               [&](const QString& name) { return sameVehicle(name, vehicle); }),
                                m_dataTaskVehiclesSet.end());
}

void KorvoUpdateDownloadManager::startDownloadTaskOnQueue(const ModelPtr& model) {
    if (!model) return;
    const QString vehicle = model->vehicle().toUpper();
    {
        // A vehicle already downloading has nothing to queue; sending its records back to waiting would stop
        // them while it keeps its slot.
        std::lock_guard<std::mutex> lock(m_snapshotMutex);
        if (m_dataTaskVehiclesSet.contains(vehicle)) return;
    }
    for (const auto& record : m_store.getModelWithVehicle(vehicle)) {
        if (record->state() == StateFinished) continue;
        {
            // Started by the user: the failed runs before count no more.
            std::lock_guard<std::mutex> lock(m_snapshotMutex);
            m_retries.remove(record->url());
        }
        record->setState(StateWaiting);
        m_store.updateWithModel(record, kUpdateStateAndTime);
    }
    bool start;
    {
        std::lock_guard<std::mutex> lock(m_snapshotMutex);
        start = m_dataTaskVehiclesSet.size() < m_maxConcurrentCount;
    }
    if (!start || !networkingAllowsDownloadTask()) return;
    {
        std::lock_guard<std::mutex> lock(m_snapshotMutex);
        m_dataTaskVehiclesSet.append(vehicle);
    }
    for (const auto& record : m_store.getModelWithVehicle(vehicle))
        downloadwithModelOnQueue(record);
}

void KorvoUpdateDownloadManager::startDownloadWaitingTaskOnQueue() {
    // Every free slot gets the oldest waiting vehicle, not only the first one.
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_snapshotMutex);
            if (m_dataTaskVehiclesSet.size() >= m_maxConcurrentCount) return;
        }
        if (!networkingAllowsDownloadTask()) return;
        const ModelPtr waiting = m_store.getWaitingModel();
        if (!waiting) return;
        const QString vehicle = waiting->vehicle().toUpper();
        {
            std::lock_guard<std::mutex> lock(m_snapshotMutex);
            if (m_dataTaskVehiclesSet.contains(vehicle)) return; // its records are being started already
            m_dataTaskVehiclesSet.append(vehicle);
        }
        for (const auto& record : m_store.getModelWithVehicle(vehicle))
            downloadwithModelOnQueue(record);
    }
}

void KorvoUpdateDownloadManager::downloadwithModelOnQueue(const ModelPtr& model) {
    if (!model) return;
    if (model->state() == StateFinished) {
        if (KorvoUpdateCommonTool::getHasDownFile(*model)) {
            model->setTmpFileSize(model->expectedContentLength());
            return;
        }
        model->setState(StateNew);
    }
    const QString url = model->url();
    std::shared_ptr<DownloadTask> running;
    {
        std::lock_guard<std::mutex> lock(m_snapshotMutex);
        running = m_dataTaskDic.value(url);
    }
    if (running && !running->isDone()) {
        // One transfer per url at a time: two would write the same partial file. A transfer that runs on is
        // left alone; one that is stopping hands over once its resume data is stored (in didComplete).
        if (running->isCancelled()) m_restartAfter.insert(url, running);
        model->setState(StateDownloading);
        m_store.updateWithModel(model, kUpdateState);
        return;
    }
    model->setState(StateDownloading);
    // The archive path comes from the url alone: directly inside the download folder, whatever a row says.
    const QString zipPath = zipPathForUrl(url);
    int option = kUpdateState;
    if (!zipPath.isEmpty() && model->zipPath() != zipPath) {
        model->setZipPath(zipPath);
        option |= kUpdateWholeRow;
    }
    m_store.updateWithModel(model, option);
    if (url.isEmpty()) return;
    if (zipPath.isEmpty() || !DownloadTask::isAllowedUrl(url)) {
        DownloadError error;
        error.code = zipPath.isEmpty() ? DownloadErrorBadURL : DownloadErrorUnsupportedURL;
        error.message = QStringLiteral("%1 is not an https address of a file.").arg(url);
        {
            std::lock_guard<std::mutex> lock(m_snapshotMutex);
            m_lastErrors.insert(url, error);
        }
        failVehicle(model, error);
        return;
    }

    DownloadTask::Options options;
    {
        std::lock_guard<std::mutex> lock(m_snapshotMutex);
        options = m_options;
    }
    options.folder = downloadFolder();
    options.expectedSize = model->expectedContentLength() > 0 ? model->expectedContentLength() : model->totalFileSize();
    std::shared_ptr<DownloadTask> task;
    const QByteArray resumeData = model->resumeData();
    const auto resume = DownloadResumeData::fromData(resumeData);
    if (resume && resume->url == url) task = DownloadTask::withResumeData(resumeData, options);
    if (!task) task = DownloadTask::withUrl(url, options);
    task->setTaskDescription(url);
    std::weak_ptr<DownloadTask> weak = task;
    task->setCallbacks([this](std::function<void()> job) { m_queue.async(std::move(job)); },
                       [this, weak](uint64_t written, uint64_t total, uint64_t expected) {
                           if (auto t = weak.lock()) didWriteData(t, written, total, expected);
                       },
                       [this, weak](const QString& location) {
                           if (auto t = weak.lock()) didFinishDownloading(t, location);
                       },
                       [this, weak](const std::optional<DownloadError>& error) {
                           if (auto t = weak.lock()) didComplete(t, error);
                       });
    {
        std::lock_guard<std::mutex> lock(m_snapshotMutex);
        m_dataTaskDic.insert(url, task);
        m_downloadTaskDic.insert(url, task);
        m_allTasks.erase(
            std::remove_if(m_allTasks.begin(), m_allTasks.end(), [](const auto& w) { return w.expired(); }),
            m_allTasks.end());
        m_allTasks.push_back(task);
    }
    task->resume();
}

bool KorvoUpdateDownloadManager::isCurrentTask(const std::shared_ptr<DownloadTask>& task) const {
    std::lock_guard<std::mutex> lock(m_snapshotMutex);
    return m_dataTaskDic.value(task->taskDescription()) == task;
}

void KorvoUpdateDownloadManager::forgetTask(const QString& url) {
    std::lock_guard<std::mutex> lock(m_snapshotMutex);
    m_dataTaskDic.remove(url);
    m_downloadTaskDic.remove(url);
}

void KorvoUpdateDownloadManager::didWriteData(const std::shared_ptr<DownloadTask>& task, uint64_t written,
                                              uint64_t totalWritten, uint64_t) {
    if (!isCurrentTask(task)) return;
    const ModelPtr model = m_store.getModelWithUrl(task->taskDescription());
    if (!model) return;
    // A record no longer downloading stops its transfer, keeping what it has (a pause has asked for that already).
    if (model->state() != StateDownloading && !task->isCancelled()) {
        const QString url = model->url();
        task->cancelByProducingResumeData([this, url](const QByteArray& data) {
            if (const ModelPtr current = m_store.getModelWithUrl(url)) {
                current->setResumeData(data);
                m_store.updateWithModel(current, kUpdateResumeData);
            }
        });
    }
    model->setTmpFileSize(totalWritten);
    model->setIntervalFileSize(model->intervalFileSize() + written);
    const double now = nowMicroseconds();
    const double elapsed = std::floor((now - model->lastSpeedTime()) / 1e6);
    if (elapsed >= 1) {
        // The interval's start comes from the record, which may hold any number: a span past what an integer holds
        // gives no speed (converting it is undefined, and came out as a division by zero).
        const uint64_t seconds = elapsed < 18446744073709551616.0 ? uint64_t(elapsed) : 0;
        model->setSpeed(seconds > 0 ? model->intervalFileSize() / seconds : 0);
        model->setIntervalFileSize(0);
        model->setLastSpeedTime(now);
    }
    const uint64_t total = model->totalFileSize();
    model->setProgress(total == 0 ? 0.0 : double(model->tmpFileSize()) / double(total));
    int option = kUpdateProgress;
    // The resume data so far goes with the progress: a program killed in the middle goes on from here.
    if (model->state() == StateDownloading) {
        const QByteArray soFar = task->resumeDataSoFar();
        if (!soFar.isEmpty()) {
            model->setResumeData(soFar);
            option |= kUpdateResumeData;
        }
    }
    m_store.updateWithModel(model, option);
    post(KorvoUpdateDownloadProgressNotification, model);
}

void KorvoUpdateDownloadManager::didFinishDownloading(const std::shared_ptr<DownloadTask>& task,
                                                      const QString& location) {
    if (!isCurrentTask(task)) return;
    const QString url = task->taskDescription();
    const ModelPtr model = m_store.getModelWithUrl(url);
    if (!model) return;
    const QString zipPath = zipPathForUrl(url);
    const QString folder = downloadFolder();
    removeFileInFolder(folder, zipPath);
    if (zipPath.isEmpty() || !QFile::rename(location, zipPath))
        m_moveFailed.insert(url);
    else
        m_moveFailed.erase(url);
}

void KorvoUpdateDownloadManager::didComplete(const std::shared_ptr<DownloadTask>& task,
                                             const std::optional<DownloadError>& error) {
    const QString url = task->taskDescription();
    const bool handOver = m_restartAfter.value(url).lock() == task;
    if (handOver) m_restartAfter.remove(url);
    if (error && error->code == DownloadErrorCancelled) {
        if (handOver) {
            forgetTask(url);
            if (const ModelPtr model = m_store.getModelWithUrl(url, StateDownloading)) downloadwithModelOnQueue(model);
        }
        return;
    }
    // A transfer that another one of the same url has replaced has nothing more to say.
    if (!isCurrentTask(task)) return;
    if (error) {
        std::lock_guard<std::mutex> lock(m_snapshotMutex);
        m_lastErrors.insert(url, *error);
    }

    if (error && error->code == DownloadErrorNotConnectedToInternet) {
        ModelPtr model = m_store.getModelWithUrl(url, StatePaused);
        if (!model) {
            model = m_store.getModelWithUrl(url, StateDownloading);
            if (!model) return;
            model->setState(StatePaused);
        }
        forgetTask(url);
        removeVehicle(model->vehicle());
        model->setResumeData(error->resumeData);
        m_store.updateWithModel(model, kUpdateStateAndResumeData);
        // The rest of the vehicle stops with it, keeping what it has, before its slot goes to the next vehicle: a
        // vehicle whose transfers ran on outside the running set would never be completed.
        pauseDownloadTaskOnQueue(model);
        post(KorvoUpdateDownloadRequestErrorNotification, model);
        startDownloadWaitingTaskOnQueue();
        return;
    }

    if (error && (error->code == DownloadErrorTimedOut || error->code == DownloadErrorNetworkConnectionLost)) {
        const ModelPtr model = m_store.getModelWithUrl(url, StateDownloading);
        if (!model) return;
        int retries, limit;
        {
            std::lock_guard<std::mutex> lock(m_snapshotMutex);
            // Only retries in a row that bring nothing count: a slow line that keeps delivering is not failing.
            retries = task->bytesReceived() > 0 ? 0 : m_retries.value(url);
            limit = m_maxTimeoutRetries;
        }
        // Resumed from the partial file a few times; then the record fails, keeping its resume data.
        if (retries < limit) {
            {
                std::lock_guard<std::mutex> lock(m_snapshotMutex);
                m_retries.insert(url, retries + 1);
            }
            model->setResumeData(error->resumeData);
            m_store.updateWithModel(model, kUpdateStateAndResumeData);
            forgetTask(url);
            downloadwithModelOnQueue(model);
            return;
        }
        failVehicle(model, *error);
        return;
    }

    const ModelPtr model = m_store.getModelWithUrl(url);
    if (!model) return;
    {
        std::lock_guard<std::mutex> lock(m_snapshotMutex);
        m_retries.remove(url);
    }
    if (error) {
        failVehicle(model, *error);
        return;
    }
    if (m_moveFailed.erase(url)) {
        DownloadError moveError;
        moveError.code = DownloadErrorCannotMoveFile;
        moveError.message = QStringLiteral("The downloaded file could not be moved to %1.").arg(zipPathForUrl(url));
        {
            std::lock_guard<std::mutex> lock(m_snapshotMutex);
            m_lastErrors.insert(url, moveError);
        }
        failVehicle(model, moveError);
        return;
    }
    model->setState(StateFinished);
    model->setResumeData({});
    forgetTask(url);
    m_store.updateWithModel(model, kUpdateStateAndResumeData);
    const ModelList records = m_store.getModelWithVehicle(model->vehicle());
    const bool all =
        std::all_of(records.begin(), records.end(), [](const ModelPtr& r) { return r->state() == StateFinished; });
    if (!all) return;
    removeVehicle(model->vehicle());
    const bool joined = composeFilePathOnQueue(records);
    startDownloadWaitingTaskOnQueue();
    post(joined ? KorvoUpdateDownloadRequestCompleteNotification : KorvoUpdateDownloadRequestErrorNotification, model);
}

void KorvoUpdateDownloadManager::failVehicle(const ModelPtr& model, const DownloadError& error) {
    const QString url = model->url();
    forgetTask(url);
    const ModelList list = m_store.getModelWithVehicle(model->vehicle());
    // The rest of the vehicle stops too, keeping what it has for a later start.
    for (const auto& record : list)
        if (record->url() != url && record->state() == StateDownloading) cancelTaskWithModelOnQueue(record, true);
    removeFailDataOnQueue(model, error, list);
    startDownloadWaitingTaskOnQueue();
}

void KorvoUpdateDownloadManager::removeFailDataOnQueue(const ModelPtr& model, const DownloadError& error,
                                                       const ModelList& list) {
    if (!model) return;
    removeVehicle(model->vehicle());
    model->setState(StateFailed);
    model->setResumeData(error.resumeData);
    m_store.updateWithModel(model, kUpdateStateAndResumeData);
    for (const auto& record : list) {
        if (record->state() == StateFinished || record->url() == model->url()) continue;
        record->setState(StateFailed);
        m_store.updateWithModel(record, kUpdateState);
    }
    post(KorvoUpdateDownloadRequestErrorNotification, model);
}

void KorvoUpdateDownloadManager::pauseDownloadTaskOnQueue(const ModelPtr& model) {
    if (!model) return;
    for (const auto& record : m_store.getModelWithVehicle(model->vehicle())) {
        cancelTaskWithModelOnQueue(record, false);
        if (record->state() != StateFinished) {
            record->setState(StatePaused);
            m_store.updateWithModel(record, kUpdateState);
        }
    }
    removeVehicle(model->vehicle());
}

void KorvoUpdateDownloadManager::cancelTaskWithModelOnQueue(const ModelPtr& model, bool deleteTask) {
    if (!model || model->state() != StateDownloading) return;
    const QString url = model->url();
    std::shared_ptr<DownloadTask> task;
    {
        std::lock_guard<std::mutex> lock(m_snapshotMutex);
        task = m_dataTaskDic.value(url);
    }
    if (task) {
        // The answer comes back on this queue: the record keeps the resume data and the slot goes to the next
        // waiting vehicle.
        task->cancelByProducingResumeData([this, model](const QByteArray& data) {
            model->setResumeData(data);
            m_store.updateWithModel(model, kUpdateResumeData);
            startDownloadWaitingTaskOnQueue();
        });
    }
    if (deleteTask) forgetTask(url);
}

void KorvoUpdateDownloadManager::cancelAllDownTaskOnQueue() {
    QMap<QString, std::shared_ptr<DownloadTask>> tasks;
    {
        std::lock_guard<std::mutex> lock(m_snapshotMutex);
        tasks = m_dataTaskDic;
        m_dataTaskDic.clear();
        m_downloadTaskDic.clear();
    }
    // Their resume data is not wanted: a plain cancel also removes their partial files.
    for (const auto& task : tasks)
        task->cancel();
}

void KorvoUpdateDownloadManager::pauseDownloadingTaskWithAllOnQueue() {
    QStringList vehicles;
    for (const auto& record : m_store.getAllDownloadingData())
        if (!vehicles.contains(record->vehicle(), Qt::CaseInsensitive)) vehicles << record->vehicle();
    for (const QString& vehicle : vehicles) {
        for (const auto& record : m_store.getModelWithVehicle(vehicle)) {
            cancelTaskWithModelOnQueue(record, false);
            record->setState(StateWaiting);
            m_store.updateWithModel(record, kUpdateState);
        }
    }
    std::lock_guard<std::mutex> lock(m_snapshotMutex);
    m_dataTaskVehiclesSet.clear();
}

void KorvoUpdateDownloadManager::deleteTaskAndCacheOnQueue(const ModelPtr& model) {
    if (!model) return;
    const ModelList records = m_store.getModelWithVehicle(model->vehicle());
    if (std::any_of(records.begin(), records.end(), [](const ModelPtr& r) { return r->state() == StateDownloading; }))
        removeVehicle(model->vehicle());
    for (const auto& record : records) {
        cancelTaskWithModelOnQueue(record, true);
        deleteLocFilePathOnQueue(record);
    }
}

void KorvoUpdateDownloadManager::deleteLocFilePathOnQueue(const ModelPtr& model) {
    if (!model) return;
    const QString folder = downloadFolder();
    const QString zipPath = model->zipPath();
    const QByteArray resumeData = model->resumeData();
    auto record = model;
    m_fileQueue.async([folder, zipPath, resumeData, record] {
        const QFileInfo zip(zipPath);
        if (zipPath.contains(kPartZipMarker)) {
            // The joined archive of a part: its file name cut, never the folders above it.
            const QString base = joinedBaseName(zip.fileName());
            if (!base.isEmpty())
                removeFileInFolder(folder, zip.absolutePath() + QLatin1Char('/') + base + QStringLiteral(".7z"));
        }
        removeFileInFolder(folder, zipPath);
        // The partial file of an unfinished download, by its checked name only.
        if (const auto resume = DownloadResumeData::fromData(resumeData))
            removeFileInFolder(folder, folder + QLatin1Char('/') + resume->partialName);
        KorvoUpdateCommonTool::sharedTool().unInstallSoftwore(*record);
    });
}

void KorvoUpdateDownloadManager::deleteAllTaskOnQueue() {
    {
        std::lock_guard<std::mutex> lock(m_snapshotMutex);
        m_downloadPausedModels.clear();
    }
    cancelAllDownTaskOnQueue();
    ModelList records = m_store.getAllUnDownloadedData();
    const ModelList waiting = m_store.getAllWaitingData();
    records.insert(records.end(), waiting.begin(), waiting.end());
    for (const auto& record : records) {
        deleteLocFilePathOnQueue(record);
        m_store.deleteModelWithVehicleForInstall(record->vehicle());
        m_store.deleteModelWithVehicle(record->vehicle());
    }
    std::lock_guard<std::mutex> lock(m_snapshotMutex);
    m_dataTaskVehiclesSet.clear();
}

bool KorvoUpdateDownloadManager::composeFilePathOnQueue(const ModelList& models) {
    ModelList parts;
    for (const auto& record : models)
        if (record->url().contains(kPartUrlMarker)) parts.push_back(record);
    std::stable_sort(parts.begin(), parts.end(), [](const ModelPtr& a, const ModelPtr& b) {
        return a->url().compare(b->url(), Qt::CaseInsensitive) < 0;
    });
    if (parts.empty()) {
        for (const auto& record : models) {
            record->setState(StateFinished);
            m_store.updateWithModel(record, kUpdateState);
        }
        return true;
    }
    const ModelPtr first = parts.front();
    const QString base = joinedBaseName(QFileInfo(first->filePath()).fileName());
    const QString zipPath = base.isEmpty()
                                ? QString()
                                : KorvoUpdateCommonTool::sharedTool().get7ZResourcePath(base + QStringLiteral(".zip"));
    const auto fail = [&](const QString& why) {
        DownloadError error;
        error.code = DownloadErrorCannotCreateFile;
        error.message = why;
        std::lock_guard<std::mutex> lock(m_snapshotMutex);
        m_lastErrors.insert(first->url(), error);
        return false;
    };
    if (zipPath.isEmpty())
        return fail(QStringLiteral("%1 is no name of a split archive (name_part_piece).").arg(first->filePath()));

    // Streamed into a temporary file that replaces the joined archive only when every part went in whole.
    QSaveFile joined(zipPath);
    if (!joined.open(QIODevice::WriteOnly)) return fail(QStringLiteral("%1 cannot be written.").arg(zipPath));
    QByteArray buffer;
    for (const auto& part : parts) {
        QFile in(zipPathForUrl(part->url()));
        if (!QFileInfo(in.fileName()).isFile() || !in.open(QIODevice::ReadOnly)) {
            joined.cancelWriting();
            return fail(QStringLiteral("The part %1 is missing; the parts are kept.").arg(in.fileName()));
        }
        for (;;) {
            buffer = in.read(kJoinChunk);
            if (buffer.isEmpty()) break;
            if (joined.write(buffer) != buffer.size()) {
                joined.cancelWriting();
                return fail(QStringLiteral("%1 cannot be written (is the disk full?).").arg(zipPath));
            }
        }
        if (in.error() != QFileDevice::NoError) {
            joined.cancelWriting();
            return fail(QStringLiteral("The part %1 cannot be read.").arg(in.fileName()));
        }
    }
    if (!joined.commit()) return fail(QStringLiteral("%1 cannot be written.").arg(zipPath));

    // The joined record: a copy of the first part through its key-value form, with the sums of all parts.
    ModelPtr record = KorvoUpdateDownloadModel::mj_objectWithKeyValues(first->mj_keyValues());
    if (!record) record = KorvoUpdateDownloadModel::create();
    double progress = 0;
    float ratio = 0;
    uint64_t tmpFileSize = 0;
    for (const auto& part : parts) {
        progress += part->progress();
        ratio += part->ratio();
        tmpFileSize += part->tmpFileSize();
    }
    record->setState(StateFinished);
    record->setProgress(progress);
    record->setRatio(ratio);
    record->setTmpFileSize(tmpFileSize);
    record->setZipPath(zipPath);
    const QString folder = downloadFolder();
    for (const auto& part : parts) {
        removeFileInFolder(folder, zipPathForUrl(part->url()));
        m_store.deleteModelWithUrl(part->url());
    }
    m_store.insertModel(*record);
    return true;
}
