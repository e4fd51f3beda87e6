#include "DownloadTask.h"

#include "Dispatch.h"
#include "urlrule.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

// Large receive buffers keep a loopback or LAN transfer from being bound by calls into our callbacks.
constexpr long kReceiveBufferSize = 512 * 1024;
// A server that breaks the range it promised twice gets no third try within one run.
constexpr int kMaxRestarts = 2;
constexpr long kMaxRedirects = 5;

using Clock = std::chrono::steady_clock;

void curlGlobalInit() {
    static const bool done = [] { return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }();
    (void)done;
}

bool startsWithNoCase(const std::string& line, const char* prefix) {
    return strncasecmp(line.c_str(), prefix, std::strlen(prefix)) == 0;
}

std::string headerValue(const std::string& line) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) return {};
    size_t b = colon + 1;
    size_t e = line.size();
    while (b < e && (line[b] == ' ' || line[b] == '\t'))
        ++b;
    while (e > b && (line[e - 1] == '\r' || line[e - 1] == '\n' || line[e - 1] == ' ' || line[e - 1] == '\t'))
        --e;
    return line.substr(b, e - b);
}

// A value that is no validator (a bare CR inside it) is none: the resume then starts from zero.
std::string validatorValue(const std::string& line) {
    std::string value = headerValue(line);
    return DownloadResumeData::isHeaderValue(QString::fromStdString(value)) ? value : std::string();
}

bool writeAll(int fd, const char* data, size_t length) {
    while (length > 0) {
        const ssize_t n = ::write(fd, data, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        length -= size_t(n);
    }
    return true;
}

// Cuts the file to size bytes and places the write position there. A file that already has that size is left
// alone: ext4 flushes a file truncated and rewritten on its close (its guard against empty files after a crash),
// which would make every fresh download wait for the disk.
bool cutTo(int fd, uint64_t size) {
    struct stat st;
    if (::fstat(fd, &st) != 0) return false;
    if (uint64_t(st.st_size) != size && ::ftruncate(fd, off_t(size)) != 0) return false;
    return ::lseek(fd, off_t(size), SEEK_SET) == off_t(size);
}

DownloadError makeError(int code, const QString& message, int httpStatus = 0) {
    DownloadError e;
    e.code = code;
    e.message = message;
    e.httpStatus = httpStatus;
    return e;
}

// Why a 206 was not appended (the file is then fetched again from zero).
const char* const kOtherRangeText =
    "The server sent a range other than the one asked for, or of another version of the file.";

} // namespace

struct DownloadTask::Attempt {
    CURL* curl = nullptr;
    int fd = -1;
    uint64_t start = 0;   // offset asked for with Range (0: the whole file)
    uint64_t written = 0; // bytes in the partial file
    // What the partial file was written from: a 206 is appended only when it comes from that same file.
    std::string storedEtag, storedLastModified;
    uint64_t storedTotal = 0;
    // Of the response being read; reset by every status line (redirects, 100 Continue).
    int status = 0;
    std::string contentRange, etag, lastModified;
    int64_t contentLength = -1;
    bool decided = false;
    bool restart = false;
    bool ignoreBody = false; // a 416's body
    std::optional<DownloadError> error;
    Clock::time_point lastData;
    Clock::time_point lastProgress;
    uint64_t sinceProgress = 0;
    bool timedOut = false;
    DownloadTask* task = nullptr;
};

std::shared_ptr<DownloadTask> DownloadTask::withUrl(const QString& url, const Options& options) {
    std::shared_ptr<DownloadTask> task(new DownloadTask);
    task->m_url = url;
    task->m_options = options;
    return task;
}

std::shared_ptr<DownloadTask> DownloadTask::withResumeData(const QByteArray& resumeData, const Options& options) {
    auto resume = DownloadResumeData::fromData(resumeData);
    if (!resume) return nullptr;
    auto task = withUrl(resume->url, options);
    task->m_resume = resume;
    return task;
}

DownloadTask::~DownloadTask() = default;

bool DownloadTask::isAllowedUrl(const QString& text) {
    // A name and password in a download url would be kept in its record and its resume data.
    return urlrule::isAllowed(text) && QUrl(text, QUrl::StrictMode).userInfo().isEmpty();
}

QString DownloadTask::taskDescription() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_description;
}

void DownloadTask::setTaskDescription(const QString& description) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_description = description;
}

void DownloadTask::setCallbacks(Deliver deliver, Progress progress, FinishedFile finished, Completion completion) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_deliver = std::move(deliver);
    m_progress = std::move(progress);
    m_finished = std::move(finished);
    m_completion = std::move(completion);
}

void DownloadTask::resume() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_started) return;
        m_started = true;
    }
    // The thread keeps the task alive until it has delivered its completion.
    dispatch::globalAsync([self = shared_from_this()] { self->run(); });
}

void DownloadTask::cancel() {
    m_cancel = true;
}

void DownloadTask::cancelByProducingResumeData(std::function<void(const QByteArray&)> answer) {
    bool running;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        running = m_started && !m_done;
        if (running) m_resumeAnswer = std::move(answer);
    }
    m_cancel = true;
    if (running) return;
    // Never started or already over: answer at once with what there is.
    Deliver deliver;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        deliver = m_deliver;
    }
    const QByteArray data = currentResumeData();
    if (answer && deliver) deliver([answer, data] { answer(data); });
}

bool DownloadTask::isDone() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_done || !m_started;
}

bool DownloadTask::waitUntilDone(int timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_doneChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_done || !m_started; });
}

QByteArray DownloadTask::currentResumeData() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const bool strongEtag = !m_etag.isEmpty() && !m_etag.startsWith(QLatin1String("W/"));
    if (m_partialName.isEmpty() || m_fileSize == 0 || (!strongEtag && m_lastModified.isEmpty())) return {};
    DownloadResumeData r;
    r.url = m_url;
    r.partialName = m_partialName;
    r.bytesWritten = m_fileSize;
    r.etag = strongEtag ? m_etag : QString();
    r.lastModified = m_lastModified;
    r.total = m_total;
    return r.toData();
}

namespace {

size_t onHeader(char* data, size_t size, size_t count, void* user) {
    auto* a = static_cast<DownloadTask::Attempt*>(user);
    const size_t length = size * count;
    const std::string line(data, length);
    if (startsWithNoCase(line, "HTTP/")) {
        const size_t space = line.find(' ');
        a->status = 0;
        if (space != std::string::npos) std::from_chars(line.data() + space + 1, line.data() + line.size(), a->status);
        a->contentRange.clear();
        a->etag.clear();
        a->lastModified.clear();
        a->contentLength = -1;
    } else if (startsWithNoCase(line, "ETag:")) {
        a->etag = validatorValue(line);
    } else if (startsWithNoCase(line, "Last-Modified:")) {
        a->lastModified = validatorValue(line);
    } else if (startsWithNoCase(line, "Content-Range:")) {
        a->contentRange = headerValue(line);
    } else if (startsWithNoCase(line, "Content-Length:")) {
        const std::string value = headerValue(line);
        int64_t length = -1;
        const auto r = std::from_chars(value.data(), value.data() + value.size(), length);
        a->contentLength = r.ec == std::errc() && r.ptr == value.data() + value.size() && length >= 0 ? length : -1;
    }
    return length;
}

} // namespace

// Whether a 206 is a piece of the file the partial file holds the start of: its strong ETag is the stored one, or,
// when none was stored, its Last-Modified is; and its whole size is the stored size. A server that ignores If-Range
// sends a piece of a changed file all the same.
static bool sameFile(const DownloadTask::Attempt& a, uint64_t total) {
    if (a.storedTotal == 0 || total != a.storedTotal) return false;
    if (!a.storedEtag.empty()) return a.etag == a.storedEtag;
    return !a.storedLastModified.empty() && a.lastModified == a.storedLastModified;
}

// "bytes N-M/T" with decimal numbers; T may be "*" (unknown, read as 0).
static bool parseContentRange(const std::string& text, uint64_t* first, uint64_t* last, uint64_t* total) {
    static const std::string prefix = "bytes ";
    if (text.compare(0, prefix.size(), prefix) != 0) return false;
    const char* p = text.data() + prefix.size();
    const char* end = text.data() + text.size();
    auto r = std::from_chars(p, end, *first);
    if (r.ec != std::errc() || r.ptr == end || *r.ptr != '-') return false;
    r = std::from_chars(r.ptr + 1, end, *last);
    if (r.ec != std::errc() || r.ptr == end || *r.ptr != '/') return false;
    if (end - r.ptr == 2 && r.ptr[1] == '*') {
        *total = 0;
        return true;
    }
    r = std::from_chars(r.ptr + 1, end, *total);
    return r.ec == std::errc() && r.ptr == end;
}

// Looks at the final response before its first body byte: which status, which range, where to write. A 206 that
// cannot be appended sets restart: the file is fetched again from zero.
static bool decide(DownloadTask::Attempt* a, uint64_t* total) {
    a->decided = true;
    if (a->status == 206) {
        // Only a range that begins where our file ends, of the same file, can be appended.
        uint64_t first = 0, last = 0, whole = 0;
        if (!parseContentRange(a->contentRange, &first, &last, &whole) || first != a->start || a->start == 0 ||
            !sameFile(*a, whole)) {
            a->restart = true;
            return false;
        }
        *total = whole;
        return true;
    }
    if (a->status == 200) {
        // The whole file (the server ignored the range, or the file changed): start it again.
        if (!cutTo(a->fd, 0)) return false;
        a->written = 0;
        a->start = 0;
        *total = a->contentLength >= 0 ? uint64_t(a->contentLength) : 0;
        return true;
    }
    if (a->status == 416 && a->start > 0) {
        a->ignoreBody = true;
        return true;
    }
    a->error = makeError(DownloadErrorBadServerResponse,
                         QStringLiteral("The server answered HTTP %1 instead of the file.").arg(a->status), a->status);
    return false;
}

void DownloadTask::run() {
    curlGlobalInit();
    std::optional<DownloadError> error;
    bool finishedFile = false;

    const QString folder = m_options.folder;
    if (!isAllowedUrl(m_url)) {
        error =
            makeError(DownloadErrorUnsupportedURL,
                      QStringLiteral("Only https addresses (and http on this machine) are downloaded: %1").arg(m_url));
    } else if (folder.isEmpty() || !QDir().mkpath(folder)) {
        error = makeError(DownloadErrorCannotCreateFile,
                          QStringLiteral("The download folder %1 cannot be made.").arg(folder));
    }

    uint64_t start = 0;
    if (!error) {
        // Resume only into the file our data names inside the folder, and only as far as it really holds.
        if (m_resume) {
            const QString path = folder + QLatin1Char('/') + m_resume->partialName;
            struct stat st;
            if (::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode)) {
                m_partialName = m_resume->partialName;
                start = std::min<uint64_t>(uint64_t(st.st_size), m_resume->bytesWritten);
                std::lock_guard<std::mutex> lock(m_mutex);
                m_etag = m_resume->etag;
                m_lastModified = m_resume->lastModified;
                m_total = m_resume->total;
            }
        }
        if (m_partialName.isEmpty()) m_partialName = DownloadResumeData::newPartialName();
        m_partialPath = folder + QLatin1Char('/') + m_partialName;
        // Without a validator a range could splice two versions of the file together.
        if (m_etag.isEmpty() && m_lastModified.isEmpty()) start = 0;
    }

    int fd = -1;
    if (!error) {
        fd = ::open(QFile::encodeName(m_partialPath).constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0)
            error = makeError(DownloadErrorCannotCreateFile,
                              QStringLiteral("%1 cannot be written: %2")
                                  .arg(m_partialPath, QString::fromLocal8Bit(std::strerror(errno))));
    }

    for (int restarts = 0; !error && !m_cancel; ++restarts) {
        Attempt a;
        a.fd = fd;
        a.start = start;
        a.task = this;
        if (!cutTo(fd, start)) {
            error =
                makeError(DownloadErrorCannotCreateFile, QStringLiteral("%1 cannot be written.").arg(m_partialPath));
            break;
        }
        a.written = start;
        error = attempt(a);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_fileSize = a.written;
        }
        if (a.restart && restarts < kMaxRestarts) {
            error.reset();
            start = 0;
            continue;
        }
        // A length of 0, or none and a cut connection, or one short of the listed size, ends a transfer without an
        // error of its own; no package is empty or of another size than listed. A short file is kept to go on from.
        if (!error && a.written == 0)
            error = makeError(DownloadErrorZeroByteResource, QStringLiteral("The server sent no bytes of the file."));
        else if (!error && m_options.expectedSize > 0 && a.written != m_options.expectedSize)
            error = makeError(DownloadErrorWrongSize, QStringLiteral("The file ended after %1 bytes; %2 were expected.")
                                                          .arg(a.written)
                                                          .arg(m_options.expectedSize));
        if (!error) finishedFile = true;
        break;
    }
    if (fd >= 0) ::close(fd);
    if (m_cancel && !finishedFile) error = makeError(DownloadErrorCancelled, QStringLiteral("cancelled"));

    Deliver deliver;
    FinishedFile finished;
    Completion completion;
    std::function<void(const QByteArray&)> answer;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        deliver = m_deliver;
        finished = m_finished;
        completion = m_completion;
        answer = std::move(m_resumeAnswer);
    }
    // A plain cancel wants nothing kept; a cancel that asks for resume data, and a failure that can go on, do.
    const bool plainCancel = error && error->code == DownloadErrorCancelled && !answer;
    QByteArray resumeData;
    if (error && !plainCancel && error->code != DownloadErrorBadServerResponse &&
        error->code != DownloadErrorUnsupportedURL)
        resumeData = currentResumeData();
    if (error) error->resumeData = resumeData;
    // A partial file nothing can go on from is only litter.
    if (error && resumeData.isEmpty() && !m_partialPath.isEmpty()) QFile::remove(m_partialPath);

    if (deliver) {
        const QString partial = m_partialPath;
        auto self = shared_from_this();
        deliver([self, partial, finishedFile, error, resumeData, finished, completion, answer] {
            if (answer) answer(resumeData);
            if (finishedFile) {
                if (finished) finished(partial);
                QFile::remove(partial);
            }
            if (completion) completion(error);
        });
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_done = true;
    }
    m_doneChanged.notify_all();
}

struct DownloadTask::Context {
    DownloadTask* task;
    Attempt* a;
    uint64_t* total;
    bool* diskFull;
};

size_t DownloadTask::onWrite(char* data, size_t size, size_t count, void* user) {
    auto* c = static_cast<Context*>(user);
    Attempt& a = *c->a;
    const size_t length = size * count;
    if (c->task->m_cancel) return 0;
    if (!a.decided && !decide(&a, c->total)) return 0;
    a.lastData = Clock::now();
    if (a.ignoreBody) return length;
    if (!writeAll(a.fd, data, length)) {
        *c->diskFull = true;
        return 0;
    }
    a.written += length;
    a.sinceProgress += length;
    c->task->m_bytesReceived += length;
    const auto now = a.lastData;
    if (now - a.lastProgress >= std::chrono::milliseconds(c->task->m_options.progressIntervalMs))
        c->task->reportProgress(a, *c->total);
    return length;
}

int DownloadTask::onTransferInfo(void* user, int64_t, int64_t, int64_t, int64_t) {
    auto* c = static_cast<Context*>(user);
    Attempt& a = *c->a;
    if (c->task->m_cancel) return 1;
    const auto now = Clock::now();
    if (now - a.lastData >= std::chrono::milliseconds(c->task->m_options.stallTimeoutMs)) {
        a.timedOut = true;
        return 1;
    }
    // Bytes held back by the interval are reported once the data pauses, not only with the next write.
    if (a.sinceProgress > 0 && now - a.lastProgress >= std::chrono::milliseconds(c->task->m_options.progressIntervalMs))
        c->task->reportProgress(a, *c->total);
    return 0;
}

void DownloadTask::reportProgress(Attempt& a, uint64_t expected) {
    a.lastProgress = Clock::now();
    Deliver deliver;
    Progress progress;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        deliver = m_deliver;
        progress = m_progress;
        // What resumeDataSoFar hands out: the file as written so far, with the validators of this answer.
        if (a.decided && !a.ignoreBody) {
            m_etag = QString::fromStdString(a.etag);
            m_lastModified = QString::fromStdString(a.lastModified);
            m_total = expected;
            m_fileSize = a.written;
        }
    }
    const uint64_t step = a.sinceProgress, written = a.written;
    a.sinceProgress = 0;
    if (deliver && progress) deliver([progress, step, written, expected] { progress(step, written, expected); });
}

std::optional<DownloadError> DownloadTask::attempt(Attempt& a) {
    CURL* curl = curl_easy_init();
    if (!curl) return makeError(DownloadErrorUnknown, QStringLiteral("libcurl cannot make a transfer."));
    a.curl = curl;
    uint64_t total = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        total = m_total;
        a.storedEtag = m_etag.toStdString();
        a.storedLastModified = m_lastModified.toStdString();
        a.storedTotal = m_total;
    }
    bool diskFull = false;
    Context context{this, &a, &total, &diskFull};

    const QByteArray url = m_url.toUtf8();
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(m_options.connectTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &a);

    struct curl_slist* headers = nullptr;
    std::string range, ifRange;
    if (a.start > 0) {
        range = "Range: bytes=" + std::to_string(a.start) + "-";
        // If-Range: the server sends the whole file, not a piece of another version, when it has changed.
        std::lock_guard<std::mutex> lock(m_mutex);
        ifRange = "If-Range: " + (m_etag.isEmpty() ? m_lastModified : m_etag).toStdString();
        headers = curl_slist_append(headers, range.c_str());
        headers = curl_slist_append(headers, ifRange.c_str());
    }
    if (headers) curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);

    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &context);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &DownloadTask::onWrite);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &context);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &DownloadTask::onTransferInfo);

    a.lastData = Clock::now();
    a.lastProgress = a.lastData;
    const CURLcode rc = curl_easy_perform(curl);
    long osErrno = 0;
    curl_easy_getinfo(curl, CURLINFO_OS_ERRNO, &osErrno);
    char curlMessage[CURL_ERROR_SIZE] = {};
    std::strncpy(curlMessage, curl_easy_strerror(rc), sizeof curlMessage - 1);
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);

    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // The validators of the answer that the file now comes from.
        if (a.decided && !a.ignoreBody && (a.status == 200 || a.status == 206)) {
            m_etag = QString::fromStdString(a.etag);
            m_lastModified = QString::fromStdString(a.lastModified);
            m_total = total;
        }
    }
    if (m_cancel) return makeError(DownloadErrorCancelled, QStringLiteral("cancelled"));
    if (a.restart) return makeError(DownloadErrorBadServerResponse, QLatin1String(kOtherRangeText));
    if (a.timedOut)
        return makeError(DownloadErrorTimedOut,
                         QStringLiteral("No data came for %1 ms.").arg(m_options.stallTimeoutMs));
    if (diskFull)
        return makeError(DownloadErrorCannotCreateFile,
                         QStringLiteral("%1 cannot be written (is the disk full?).").arg(m_partialPath));
    if (a.error) return a.error;

    switch (rc) {
    case CURLE_OK:
        break;
    case CURLE_OPERATION_TIMEDOUT:
        return makeError(DownloadErrorTimedOut, QString::fromLocal8Bit(curlMessage));
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return makeError(DownloadErrorNotConnectedToInternet, QString::fromLocal8Bit(curlMessage));
    case CURLE_COULDNT_CONNECT:
        if (osErrno == ENETUNREACH || osErrno == ENETDOWN || osErrno == EHOSTUNREACH)
            return makeError(DownloadErrorNotConnectedToInternet, QString::fromLocal8Bit(curlMessage));
        return makeError(DownloadErrorCannotConnectToHost, QString::fromLocal8Bit(curlMessage));
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
        return makeError(DownloadErrorNetworkConnectionLost, QString::fromLocal8Bit(curlMessage));
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
        return makeError(DownloadErrorSecureConnectionFailed, QString::fromLocal8Bit(curlMessage));
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_TOO_MANY_REDIRECTS:
        return makeError(DownloadErrorUnsupportedURL, QString::fromLocal8Bit(curlMessage));
    case CURLE_URL_MALFORMAT:
        return makeError(DownloadErrorBadURL, QString::fromLocal8Bit(curlMessage));
    default:
        return makeError(DownloadErrorUnknown, QString::fromLocal8Bit(curlMessage));
    }

    if (!a.decided && !decide(&a, &total)) {
        if (a.restart) return makeError(DownloadErrorBadServerResponse, QLatin1String(kOtherRangeText));
        return a.error;
    }
    if (a.ignoreBody) {
        // 416: the range begins at the end. Complete only when that end is the whole size we were told, and the
        // size the server gives with it ("bytes */T") when it gives one.
        static const std::string unsatisfied = "bytes */";
        uint64_t served = 0;
        const std::string& range = a.contentRange;
        const bool told =
            range.compare(0, unsatisfied.size(), unsatisfied) == 0 &&
            std::from_chars(range.data() + unsatisfied.size(), range.data() + range.size(), served).ec == std::errc();
        if (total > 0 && a.start == total && (!told || served == total)) return std::nullopt;
        a.restart = true;
        return makeError(DownloadErrorBadServerResponse, QStringLiteral("The server refused the range."));
    }
    if (a.status == 200 || a.status == 206) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_etag = QString::fromStdString(a.etag);
        m_lastModified = QString::fromStdString(a.lastModified);
        m_total = total;
    }
    if (total > 0 && a.written != total)
        return makeError(DownloadErrorNetworkConnectionLost,
                         QStringLiteral("The connection ended after %1 of %2 bytes.").arg(a.written).arg(total));
    // A last progress step with whatever the interval held back.
    Deliver deliver;
    Progress progress;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        deliver = m_deliver;
        progress = m_progress;
    }
    if (deliver && progress) {
        const uint64_t step = a.sinceProgress, written = a.written, expected = total;
        deliver([progress, step, written, expected] { progress(step, written, expected); });
    }
    return std::nullopt;
}
