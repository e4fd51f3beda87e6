// The download engine of the web part: downloads the package files of download records, a vehicle at a time.
// All records of a vehicle download together; at most maxConcurrentCount vehicles run at once and the others
// wait in the record store; a vehicle whose records have all finished has its split parts joined into one archive.
// Pause, network loss and time-outs keep our resume data in the record, so a download goes on from where it
// stopped, also after the program has restarted: records a killed program left downloading wait again when the
// engine starts. No Internet connection for one record pauses its whole vehicle. A file of another size than its
// record lists fails the record. When the store moves a damaged file aside, every transfer stops, its record being
// gone. Progress, failures and completed vehicles are posted on the workspace centre with the record as object (and
// as retained object in the user info). The network rule reads KorvoUpdateNetworkReachability, whose changes arrive
// on the default centre.
//
// Threads: every public operation only queues its work on the engine's one serial queue and returns; that queue
// owns all engine state and is where the transfers' callbacks and the notifications run. Nothing here sleeps or
// blocks the caller. File removals run on a second, background queue. sync() waits for both (tests, shutdown).
// Errors: only as record states (5 failed) and the error notification; the transfer's code is in
// lastErrorForUrl for logs and tests.
#pragma once

#include "DownloadTask.h"
#include "KorvoUpdateDownloadModel.h"

#include "Dispatch.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

class KorvoUpdateDownloadDataBaseManager;
struct Notification;

extern const char* const KorvoUpdateDownloadMaxConcurrentCountKey;
extern const char* const KorvoUpdateDownloadAllowsCellularAccessKey;
extern const char* const KorvoUpdateDownloadMaxConcurrentCountChangeNotification;
extern const char* const KorvoUpdateDownloadAllowsCellularAccessChangeNotification;
extern const char* const KorvoUpdateDownloadProgressNotification;
extern const char* const KorvoUpdateDownloadRequestErrorNotification;
extern const char* const KorvoUpdateDownloadRequestCompleteNotification;

class KorvoUpdateDownloadManager {
public:
    using ModelPtr = KorvoUpdateDownloadModelPtr;
    using ModelList = std::vector<KorvoUpdateDownloadModelPtr>;

    static KorvoUpdateDownloadManager& sharedManager();
    // An engine over a store of its own (tests); the shared one uses the shared store.
    explicit KorvoUpdateDownloadManager(KorvoUpdateDownloadDataBaseManager& store);
    // Stops every transfer, keeping nothing, and waits for the queues.
    ~KorvoUpdateDownloadManager();
    KorvoUpdateDownloadManager(const KorvoUpdateDownloadManager&) = delete;
    KorvoUpdateDownloadManager& operator=(const KorvoUpdateDownloadManager&) = delete;

    void startDownloadTask(const ModelPtr& model);
    void startDownloadWaitingTask();
    void downloadwithModel(const ModelPtr& model);
    void pauseDownloadTask(const ModelPtr& model);
    void pauseDownloadingTaskWithAll(bool all);
    void cancelTaskWithModel(const ModelPtr& model, bool deleteTask);
    void cancelAllDownTask();
    void deleteTaskAndCache(const ModelPtr& model);
    void deleteLocFilePath(const ModelPtr& model);
    void deleteAllTask();
    void removeVehicleDownloadTask(const ModelPtr& model);
    void removeFailData(const ModelPtr& model, const DownloadError& error, const ModelList& list);
    void composeFilePath(const ModelList& models);
    bool networkingAllowsDownloadTask() const;

    // Handlers of the observed notifications (registered by the constructor), and the reachability action. The
    // limit change's object points to a long long, the cellular change's to a bool (or their user info holds
    // "count" / "allows").
    void downloadMaxConcurrentCountChange(const Notification& notification);
    void downloadAllowsCellularAccessChange(const Notification& notification);
    void networkingReachabilityDidChange(const Notification& notification);
    void allowsCellularAccessOrNetworkingReachabilityDidChangeAction();

    // Snapshots, safe from any thread.
    long long maxConcurrentCount() const;
    bool allowsCellularAccess() const;
    QStringList dataTaskVehiclesSet() const;
    // url to running transfer; downloadTaskDic loses its entries with dataTaskDic's and is emptied by
    // cancelAllDownTask.
    QMap<QString, std::shared_ptr<DownloadTask>> dataTaskDic() const;
    QMap<QString, std::shared_ptr<DownloadTask>> downloadTaskDic() const;
    // Kept for its owners to fill; deleteAllTask empties it. The engine itself adds nothing.
    ModelList downloadPausedModels() const;
    std::optional<DownloadError> lastErrorForUrl(const QString& url) const;

    // Waits until the work queued so far (and the file removals it queued) has run.
    void sync();
    // Transfer settings (folder aside, which is always the download folder); tests shorten the time-outs.
    void setTaskOptions(const DownloadTask::Options& options);
    // How often in a row a time-out or a lost connection is resumed without a byte coming before the record fails;
    // the count starts again when the user starts the vehicle and after a resume that brought bytes.
    void setMaxTimeoutRetries(int retries);

private:
    // Reads the two settings and registers for the observed notifications.
    void init();
    // The queue-side forms of the public operations; call on the engine queue only.
    void startDownloadTaskOnQueue(const ModelPtr& model);
    void startDownloadWaitingTaskOnQueue();
    void downloadwithModelOnQueue(const ModelPtr& model);
    void pauseDownloadTaskOnQueue(const ModelPtr& model);
    void pauseDownloadingTaskWithAllOnQueue();
    void cancelTaskWithModelOnQueue(const ModelPtr& model, bool deleteTask);
    void cancelAllDownTaskOnQueue();
    void deleteTaskAndCacheOnQueue(const ModelPtr& model);
    void deleteLocFilePathOnQueue(const ModelPtr& model);
    void deleteAllTaskOnQueue();
    void removeVehicle(const QString& vehicle);
    void removeFailDataOnQueue(const ModelPtr& model, const DownloadError& error, const ModelList& list);
    bool composeFilePathOnQueue(const ModelList& models);
    void reachabilityActionOnQueue();
    // The record store started a new file after damage.
    void storeRenewedOnQueue();
    void setMaxConcurrentCountOnQueue(long long count);

    void didWriteData(const std::shared_ptr<DownloadTask>& task, uint64_t written, uint64_t totalWritten,
                      uint64_t expected);
    void didFinishDownloading(const std::shared_ptr<DownloadTask>& task, const QString& location);
    void didComplete(const std::shared_ptr<DownloadTask>& task, const std::optional<DownloadError>& error);
    void failVehicle(const ModelPtr& model, const DownloadError& error);
    bool isCurrentTask(const std::shared_ptr<DownloadTask>& task) const;
    void forgetTask(const QString& url);
    void post(const char* name, const ModelPtr& model);
    void async(std::function<void()> job);
    QString downloadFolder() const;
    // The archive path of a url: the download folder + its checked file name, ".zip" made ".7z". Empty when the
    // url has no usable file name.
    QString zipPathForUrl(const QString& url) const;

    KorvoUpdateDownloadDataBaseManager& m_store;
    // Changed on the engine queue only; the mutex lets the snapshot getters read them from other threads.
    mutable std::mutex m_snapshotMutex;
    long long m_maxConcurrentCount = 0;
    bool m_allowsCellularAccess = false;
    QStringList m_dataTaskVehiclesSet;
    QMap<QString, std::shared_ptr<DownloadTask>> m_dataTaskDic;
    QMap<QString, std::shared_ptr<DownloadTask>> m_downloadTaskDic;
    ModelList m_downloadPausedModels;
    QMap<QString, DownloadError> m_lastErrors;
    QMap<QString, int> m_retries;   // time-out and connection-loss resumes per url without progress, in a row
    std::set<QString> m_moveFailed; // urls whose finished file could not be moved to their archive path
    QMap<QString, std::weak_ptr<DownloadTask>> m_restartAfter; // a stopping transfer to start again after
    std::vector<std::weak_ptr<DownloadTask>> m_allTasks;       // every transfer made, to stop them at the end
    DownloadTask::Options m_options;
    int m_maxTimeoutRetries = 3;
    dispatch::SerialQueue m_fileQueue;
    dispatch::SerialQueue m_queue; // last: it goes first, finishing its jobs while the rest still stands
};
