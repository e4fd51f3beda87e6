#include "KorvoUpdateHTTPSessionManager.h"

#include "Dispatch.h"
#include "UserDefaults.h"
#include "urlrule.h"

#include <QUrl>

#include <curl/curl.h>

#include <chrono>
#include <csignal>
#include <thread>

namespace {

const char* const kBaseURLKey = "KorvoUpdateServerBaseURL";
const char* const kCAFileKey = "KorvoUpdateServerCAFile";
const char* const kUserAgent = "KorvoUpdate";
// libcurl gives an untrusted certificate and one made for another host name the same code; only its text of the
// second names the host ("... does not match target host name '...'", "no alternative certificate subject name
// matches target host name '...'").
const char* const kHostNameRefusal = "target host name";

struct Transfer {
    QByteArray reply;
    bool tooLarge = false;
    HTTPProgress progress;
    // Idle time-out: the transfer ends when no byte moved either way for idleLimit.
    std::chrono::steady_clock::duration idleLimit{};
    std::chrono::steady_clock::time_point lastActivity = std::chrono::steady_clock::now();
    curl_off_t lastDown = 0;
    curl_off_t lastUp = 0;
    bool idle = false;
};

size_t writeReply(char* data, size_t size, size_t count, void* context) {
    auto* transfer = static_cast<Transfer*>(context);
    const size_t bytes = size * count;
    if (transfer->reply.size() + static_cast<long long>(bytes) > KorvoUpdateHTTPSessionManager::kMaxReplyBytes) {
        transfer->tooLarge = true;
        return 0; // ends the transfer with a write error
    }
    transfer->reply.append(data, static_cast<int>(bytes));
    return bytes;
}

int reportProgress(void* context, curl_off_t downTotal, curl_off_t downNow, curl_off_t upTotal, curl_off_t upNow) {
    auto* transfer = static_cast<Transfer*>(context);
    const auto now = std::chrono::steady_clock::now();
    if (downNow != transfer->lastDown || upNow != transfer->lastUp) {
        transfer->lastDown = downNow;
        transfer->lastUp = upNow;
        transfer->lastActivity = now;
    } else if (now - transfer->lastActivity >= transfer->idleLimit) {
        transfer->idle = true;
        return 1; // aborts the transfer
    }
    if (!transfer->progress) return 0;
    if (upTotal > 0 && upNow < upTotal)
        transfer->progress(static_cast<double>(upNow) / static_cast<double>(upTotal));
    else if (downTotal > 0)
        transfer->progress(static_cast<double>(downNow) / static_cast<double>(downTotal));
    return 0;
}

void failOnMain(const HTTPFailure& failure, KorvoUpdateNetworkError error) {
    if (!failure) return;
    dispatch::mainAsync([failure, error] { failure(error); });
}

// Runs one request to its end on the calling (worker) thread and reports on the main queue.
void perform(const KorvoUpdateHTTPSessionManager::Request& request, const QString& caFile, const HTTPProgress& progress,
             const HTTPSuccess& success, const HTTPFailure& failure) {
    CURL* curl = curl_easy_init();
    if (!curl) {
        failOnMain(failure, {KorvoUpdateNetworkError::Kind::Transport, CURLE_FAILED_INIT,
                             QStringLiteral("The network library could not start a request.")});
        return;
    }
    const QUrl url(request.url);
    const bool loopback = urlrule::isLoopbackHost(url.host());
    const QByteArray urlBytes = request.url.toUtf8();
    const QByteArray caBytes = caFile.toLocal8Bit();
    Transfer transfer;
    transfer.progress = progress;
    char errorText[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(curl, CURLOPT_URL, urlBytes.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, loopback ? "https,http" : "https");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    // Peer and host verification stay at libcurl's defaults (on); a CA file only adds trust.
    if (!caBytes.isEmpty()) curl_easy_setopt(curl, CURLOPT_CAINFO, caBytes.constData());
    const auto idleMs = static_cast<long>(request.timeoutInterval * 1000);
    transfer.idleLimit = std::chrono::milliseconds(idleMs);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, idleMs);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(KorvoUpdateHTTPSessionManager::kMaxReplyBytes));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeReply);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, reportProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L); // the callback also keeps the idle time

    const bool isPost = request.method == "POST";
    if (!isPost && request.method != "PUT") {
        // A redirect of a reading request may lead only to https.
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "https");
        curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    }

    curl_slist* headers = nullptr;
    // The server gets the whole body at once; waiting for "100 Continue" only adds a round trip.
    headers = curl_slist_append(headers, "Expect:");
    for (const auto& header : request.headers)
        headers = curl_slist_append(headers, (header.first + ": " + header.second).constData());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);

    curl_mime* mime = nullptr;
    if (request.multipart) {
        mime = curl_mime_init(curl);
        for (const auto& part : request.multipart->parts()) {
            curl_mimepart* field = curl_mime_addpart(mime);
            curl_mime_name(field, part.name.constData());
            curl_mime_data(field, part.data.constData(), static_cast<size_t>(part.data.size()));
            if (!part.fileName.isEmpty()) curl_mime_filename(field, part.fileName.constData());
            if (!part.mimeType.isEmpty()) curl_mime_type(field, part.mimeType.constData());
        }
        curl_easy_setopt(curl, CURLOPT_MIMEPOST, mime);
    } else if (isPost || request.method == "PUT") {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.constData());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    }
    if (request.method != "GET" && request.method != "POST")
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.method.constData());

    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    char* lastURL = nullptr;
    curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &lastURL);
    const QString effectiveURL = QString::fromUtf8(lastURL ? lastURL : "");
    curl_easy_cleanup(curl);
    curl_mime_free(mime);
    curl_slist_free_all(headers);

    if (code != CURLE_OK) {
        const QString detail = QString::fromLocal8Bit(errorText[0] ? errorText : curl_easy_strerror(code));
        const QString host = QUrl(request.url).host();
        QString message;
        long reported = code;
        if (transfer.idle) {
            reported = CURLE_OPERATION_TIMEDOUT;
            message = QStringLiteral("The server sent nothing for %1 s; check the network and try again.")
                          .arg(request.timeoutInterval);
        } else if (transfer.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
            message = QStringLiteral("The server's reply is larger than %1 bytes and was refused.")
                          .arg(KorvoUpdateHTTPSessionManager::kMaxReplyBytes);
        } else if (code == CURLE_UNSUPPORTED_PROTOCOL) {
            // The first address passed urlrule, so only a redirect can lead to a scheme that is not allowed; the
            // effective URL is then where it led.
            message = QStringLiteral("The server sent the request on to %1, which is no https address, and it was not "
                                     "followed: passwords and packages travel only over https. Ask the service for "
                                     "its https address and set that as the server address.")
                          .arg(effectiveURL);
        } else if (code == CURLE_PEER_FAILED_VERIFICATION && detail.contains(QLatin1String(kHostNameRefusal))) {
            reported = KorvoUpdateNetworkError::kHostNameMismatch;
            message = QStringLiteral("The certificate of %1 was made for another host name, so nothing was sent. "
                                     "Check the server address: it must name the host the certificate is for (%2).")
                          .arg(host, detail);
        } else if (code == CURLE_PEER_FAILED_VERIFICATION) {
            message = QStringLiteral("The certificate of %1 is not trusted, so nothing was sent. Check the computer's "
                                     "date and the server address; a server whose certificate comes from an "
                                     "authority of its own needs that authority's file set as the CA file (%2).")
                          .arg(host, detail);
        } else {
            message = detail;
        }
        failOnMain(failure, {KorvoUpdateNetworkError::Kind::Transport, reported, message});
        return;
    }
    if (status < 200 || status > 299) {
        failOnMain(failure, {KorvoUpdateNetworkError::Kind::Status, status,
                             QStringLiteral("The server answered with HTTP status %1.").arg(status)});
        return;
    }
    if (!success) return;
    QByteArray reply = std::move(transfer.reply);
    dispatch::mainAsync([success, reply] { success(reply); });
}

QString queryString(const nlohmann::ordered_json& parameters) {
    return QString::fromUtf8(KorvoUpdateHTTPSessionManager::formEncodedParameters(parameters));
}

QString withQuery(const QString& url, const nlohmann::ordered_json& parameters) {
    const QString query = queryString(parameters);
    if (query.isEmpty()) return url;
    return url + (url.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?')) + query;
}

} // namespace

KorvoUpdateHTTPSessionManager& KorvoUpdateHTTPSessionManager::sharedManager() {
    static KorvoUpdateHTTPSessionManager manager;
    return manager;
}

KorvoUpdateHTTPSessionManager::KorvoUpdateHTTPSessionManager() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    // A server that closes its end mid-request must give an error, not end the program.
    std::signal(SIGPIPE, SIG_IGN);
    const QString saved = UserDefaults::standardUserDefaults().stringForKey(kBaseURLKey);
    m_baseURL = saved.isEmpty() ? QString::fromLatin1(kDefaultBaseURL) : saved;
    m_caFile = UserDefaults::standardUserDefaults().stringForKey(kCAFileKey);
}

QString KorvoUpdateHTTPSessionManager::baseURL() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_baseURL;
}

void KorvoUpdateHTTPSessionManager::setBaseURL(const QString& url) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_baseURL = url;
}

QString KorvoUpdateHTTPSessionManager::caFile() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_caFile;
}

void KorvoUpdateHTTPSessionManager::setCAFile(const QString& path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_caFile = path;
}

double KorvoUpdateHTTPSessionManager::timeoutInterval() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_timeoutInterval;
}

void KorvoUpdateHTTPSessionManager::setTimeoutInterval(double seconds) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_timeoutInterval = seconds;
}

bool KorvoUpdateHTTPSessionManager::isAllowedURL(const QString& text, QString* reason) {
    auto refuse = [&](const QString& why) {
        if (reason) *reason = why;
        return false;
    };
    const urlrule::Verdict verdict = urlrule::check(text);
    if (verdict == urlrule::Verdict::Allowed) return true;
    if (verdict == urlrule::Verdict::Invalid)
        return refuse(
            QStringLiteral("\"%1\" is no valid server address; set one that begins with https://.").arg(text));
    return refuse(QStringLiteral("\"%1\" is not sent: passwords and package lists travel only over https. Set a "
                                 "server address that begins with https://.")
                      .arg(text));
}

void KorvoUpdateHTTPSessionManager::dataTask(const Request& request, const HTTPProgress& progress,
                                             const HTTPSuccess& success, const HTTPFailure& failure) {
    QString reason;
    if (!isAllowedURL(request.url, &reason)) {
        failOnMain(failure, {KorvoUpdateNetworkError::Kind::Refused, 0, reason});
        return;
    }
    const QString ca = caFile();
    dispatch::globalAsync(
        [request, ca, progress, success, failure] { perform(request, ca, progress, success, failure); });
}

QByteArray KorvoUpdateHTTPSessionManager::formEncode(const QByteArray& text) {
    return text.toPercentEncoding();
}

QByteArray KorvoUpdateHTTPSessionManager::formEncodedParameters(const nlohmann::ordered_json& parameters) {
    QByteArray out;
    if (!parameters.is_object()) return out;
    for (auto it = parameters.begin(); it != parameters.end(); ++it) {
        if (!out.isEmpty()) out += '&';
        const std::string value = it->is_string()
                                      ? it->get<std::string>()
                                      : it->dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
        out += formEncode(QByteArray::fromStdString(it.key())) + '=' + formEncode(QByteArray::fromStdString(value));
    }
    return out;
}

void KorvoUpdateHTTPSessionManager::GET(const QString& path, const nlohmann::ordered_json& parameters,
                                        const HTTPHeaders& headers, const HTTPProgress& progress,
                                        const HTTPSuccess& success, const HTTPFailure& failure) {
    Request request{"GET", withQuery(baseURL() + path, parameters), headers, {}, nullptr, timeoutInterval()};
    dataTask(request, progress, success, failure);
}

void KorvoUpdateHTTPSessionManager::POST(const QString& path, const nlohmann::ordered_json& parameters,
                                         const HTTPHeaders& headers,
                                         const std::function<void(KorvoUpdateMultipartFormData&)>& constructingBody,
                                         const HTTPProgress& progress, const HTTPSuccess& success,
                                         const HTTPFailure& failure) {
    Request request{"POST", baseURL() + path, headers, {}, nullptr, timeoutInterval()};
    if (constructingBody) {
        request.multipart = std::make_shared<KorvoUpdateMultipartFormData>();
        if (parameters.is_object())
            for (auto it = parameters.begin(); it != parameters.end(); ++it) {
                const std::string value = it->is_string() ? it->get<std::string>() : it->dump();
                request.multipart->appendPartWithFormData(QByteArray::fromStdString(value),
                                                          QByteArray::fromStdString(it.key()));
            }
        constructingBody(*request.multipart);
    } else {
        request.headers.append(qMakePair(QByteArray("Content-Type"), QByteArray("application/x-www-form-urlencoded")));
        request.body = formEncodedParameters(parameters);
    }
    dataTask(request, progress, success, failure);
}

void KorvoUpdateHTTPSessionManager::PUT(const QString& path, const nlohmann::ordered_json& parameters,
                                        const HTTPHeaders& headers, const HTTPSuccess& success,
                                        const HTTPFailure& failure) {
    Request request{"PUT", baseURL() + path, headers, formEncodedParameters(parameters), nullptr, timeoutInterval()};
    request.headers.append(qMakePair(QByteArray("Content-Type"), QByteArray("application/x-www-form-urlencoded")));
    dataTask(request, {}, success, failure);
}

void KorvoUpdateHTTPSessionManager::DELETE(const QString& path, const nlohmann::ordered_json& parameters,
                                           const HTTPHeaders& headers, const HTTPSuccess& success,
                                           const HTTPFailure& failure) {
    Request request{"DELETE", withQuery(baseURL() + path, parameters), headers, {}, nullptr, timeoutInterval()};
    dataTask(request, {}, success, failure);
}
