// One HTTP download into a partial file of the download folder, on a thread of its own, over libcurl: our stand-in
// for a URL session's download task. It resumes from our resume data with "Range: bytes=N-" and If-Range, takes a
// 206 only when its Content-Range starts at N and it comes from the file the partial file was written from (the
// stored strong ETag, or Last-Modified when there was none, and the stored whole size; a server may ignore
// If-Range), and otherwise fetches the file again from zero; it starts again from zero on a 200, and reads a 416 as
// complete when the partial file already holds the whole size. Only a 200 or 206 ends in a finished file, and only
// with at least one byte and, when Options::expectedSize is known, with exactly that many.
// Every callback is handed to the deliver function given at creation (the engine's serial queue), in order:
// progress (at most every kProgressIntervalMs), then on success the finished file (which the receiver may move
// away; what is left is removed after it returns), then the completion with the error or none.
// cancel / cancelByProducingResumeData may be called from any thread.
#pragma once

#include "DownloadResumeData.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

// Error codes of a finished download, as the rest of the web part knows them.
enum DownloadErrorCode : int {
    DownloadErrorCancelled = -999,
    DownloadErrorUnknown = -1,
    DownloadErrorBadURL = -1000,
    DownloadErrorTimedOut = -1001,
    DownloadErrorUnsupportedURL = -1002,
    DownloadErrorCannotConnectToHost = -1004,
    DownloadErrorNetworkConnectionLost = -1005,
    DownloadErrorNotConnectedToInternet = -1009,
    DownloadErrorBadServerResponse = -1011,
    DownloadErrorZeroByteResource = -1014, // the body was empty: no package is
    DownloadErrorSecureConnectionFailed = -1200,
    DownloadErrorCannotCreateFile = -3000,
    DownloadErrorCannotMoveFile = -3005,
    DownloadErrorWrongSize = -3100, // ours: the file ended at another size than its record expects
};

struct DownloadError {
    int code = DownloadErrorUnknown;
    int httpStatus = 0; // the status that made a bad server response
    QString message;
    QByteArray resumeData; // empty when the download cannot go on from where it stopped
};

class DownloadTask : public std::enable_shared_from_this<DownloadTask> {
public:
    struct Options {
        QString folder;               // the download folder: where the partial file lives
        int connectTimeoutMs = 60000; // a host that does not answer at all
        int stallTimeoutMs = 240000;  // no byte for this long counts as a time-out (the request time-out)
        int progressIntervalMs = 250; // records are written at most a few times a second
        uint64_t expectedSize = 0;    // the whole file's size as its record lists it; 0: unknown
    };
    using Deliver = std::function<void(std::function<void()>)>;
    using Progress = std::function<void(uint64_t written, uint64_t totalWritten, uint64_t expected)>;
    using FinishedFile = std::function<void(const QString& location)>;
    using Completion = std::function<void(const std::optional<DownloadError>& error)>;

    // From a url, or from resume data (which carries its url); resume data that is not ours or names another
    // url starts from zero.
    static std::shared_ptr<DownloadTask> withUrl(const QString& url, const Options& options);
    static std::shared_ptr<DownloadTask> withResumeData(const QByteArray& resumeData, const Options& options);
    ~DownloadTask();

    // urlrule's rule (https, or http to this machine), and no name or password in the url.
    static bool isAllowedUrl(const QString& url);

    QString taskDescription() const;
    void setTaskDescription(const QString& description);
    QString url() const { return m_url; }

    void setCallbacks(Deliver deliver, Progress progress, FinishedFile finished, Completion completion);
    void resume(); // starts the transfer; once
    // Stops the transfer; the completion comes with DownloadErrorCancelled.
    void cancel();
    // Stops the transfer and hands its resume data (empty when it cannot go on) to answer, through deliver,
    // before the completion.
    void cancelByProducingResumeData(std::function<void(const QByteArray&)> answer);

    bool isCancelled() const { return m_cancel; }
    // Resume data for the bytes written up to the last progress step (empty before any): kept with the progress,
    // it lets a program that was killed go on from there.
    QByteArray resumeDataSoFar() const { return currentResumeData(); }
    // True once the transfer thread has handed over its completion (or was never started).
    bool isDone() const;
    // Blocks until the transfer thread has delivered its completion (or timeoutMs passed); true when it has.
    bool waitUntilDone(int timeoutMs) const;
    uint64_t bytesReceived() const { return m_bytesReceived; }

    struct Attempt; // the state of one HTTP request, for the libcurl callbacks
    struct Context;

private:
    DownloadTask() = default;
    void run();
    static size_t onWrite(char* data, size_t size, size_t count, void* user);
    void reportProgress(Attempt& a, uint64_t expected);
    static int onTransferInfo(void* user, int64_t, int64_t, int64_t, int64_t);
    std::optional<DownloadError> attempt(Attempt& a);
    QByteArray currentResumeData() const;

    QString m_url;
    Options m_options;
    QString m_partialName;
    QString m_partialPath;
    std::optional<DownloadResumeData> m_resume;

    mutable std::mutex m_mutex;
    QString m_description;
    Deliver m_deliver;
    Progress m_progress;
    FinishedFile m_finished;
    Completion m_completion;
    std::function<void(const QByteArray&)> m_resumeAnswer;
    bool m_started = false;
    bool m_done = false;
    mutable std::condition_variable m_doneChanged;
    std::atomic<bool> m_cancel{false};
    std::atomic<uint64_t> m_bytesReceived{0};

    // Written by the transfer thread under m_mutex; read under it by resumeDataSoFar and after the thread ends.
    QString m_etag, m_lastModified;
    uint64_t m_total = 0;
    uint64_t m_fileSize = 0;
};
