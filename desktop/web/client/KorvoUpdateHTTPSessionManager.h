// The one HTTP session of the web client, on libcurl: every path is appended to one configurable server base URL.
// Security: certificates and host names are verified (a setting may name an extra CA file); the base URL must be
// https, plain http is allowed only to this computer (urlrule: 127.0.0.0/8, ::1, localhost); a POST never follows a
// redirect, other methods follow only to https; a reply is capped at kMaxReplyBytes.
// Time-outs are idle times, not totals: connecting may take timeoutInterval(), and a transfer that moves no byte
// for timeoutInterval() is cut, so a slow but moving upload goes on.
// Threads: each request runs on a worker thread of its own; success and failure are called on the main queue
// (the GUI thread's event loop, which must run). The manager itself is safe from any thread.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// Why a request failed. The code is libcurl's (transport), the HTTP status (status) or 0. The refusals that need
// the user's hand carry messages of ours with the next step: a redirect away from https (libcurl's
// CURLE_UNSUPPORTED_PROTOCOL, 1), a certificate that is not trusted (CURLE_PEER_FAILED_VERIFICATION, 60) and a
// certificate made for another host name, which libcurl reports with 60 too and which gets kHostNameMismatch.
struct KorvoUpdateNetworkError {
    static constexpr long kHostNameMismatch = 1060;
    enum class Kind {
        Transport, // no reply: refused, timed out, TLS refused, reply too large
        Status,    // a reply whose status is outside 200 to 299
        Parse,     // a reply that holds no readable result
        Refused,   // the request was not sent: an address that is not allowed
        Caller     // the request was not sent: parameters it cannot be built from
    };
    Kind kind = Kind::Transport;
    long code = 0;
    QString message;
};

using HTTPSuccess = std::function<void(const QByteArray& reply)>;
using HTTPFailure = std::function<void(const KorvoUpdateNetworkError& error)>;
// Fraction of the upload or download done (0..1), called on the request's worker thread.
using HTTPProgress = std::function<void(double fraction)>;
using HTTPHeaders = QList<QPair<QByteArray, QByteArray>>;

// The parts of a multipart body, in order.
class KorvoUpdateMultipartFormData {
public:
    struct Part {
        QByteArray name;
        QByteArray data;
        QByteArray fileName; // empty for a plain form field
        QByteArray mimeType; // empty for a plain form field
    };
    void appendPartWithFormData(const QByteArray& data, const QByteArray& name) {
        m_parts.push_back({name, data, {}, {}});
    }
    void appendPartWithFileData(const QByteArray& data, const QByteArray& name, const QByteArray& fileName,
                                const QByteArray& mimeType) {
        m_parts.push_back({name, data, fileName, mimeType});
    }
    const std::vector<Part>& parts() const { return m_parts; }

private:
    std::vector<Part> m_parts;
};

class KorvoUpdateHTTPSessionManager {
public:
    // The default server, used until setBaseURL or the user default "KorvoUpdateServerBaseURL" names another.
    static constexpr const char* kDefaultBaseURL = "https://service.korvoupdate.com/";
    // Replies are JSON texts of package lists and accounts, far below this; a larger one is refused, not held.
    static constexpr long long kMaxReplyBytes = 8LL * 1024 * 1024;
    // The platform's default request time-out, applied as an idle time.
    static constexpr double kDefaultTimeoutInterval = 60.0;

    static KorvoUpdateHTTPSessionManager& sharedManager();

    QString baseURL() const;
    void setBaseURL(const QString& url); // must end in "/": paths are appended as they are
    // A PEM file of certificate authorities trusted beside the system's; empty for none.
    QString caFile() const;
    void setCAFile(const QString& path);
    double timeoutInterval() const;
    void setTimeoutInterval(double seconds);

    // Whether a request may be sent to url (urlrule's rule); why not in *reason.
    static bool isAllowedURL(const QString& url, QString* reason = nullptr);

    // The library's four methods with the base URL put in front of the path. Parameters (a JSON object) go into
    // the query for GET and DELETE and into a URL-encoded body for PUT; the POST's parameters come before the
    // parts built by constructingBody.
    void GET(const QString& path, const nlohmann::ordered_json& parameters, const HTTPHeaders& headers,
             const HTTPProgress& progress, const HTTPSuccess& success, const HTTPFailure& failure);
    void POST(const QString& path, const nlohmann::ordered_json& parameters, const HTTPHeaders& headers,
              const std::function<void(KorvoUpdateMultipartFormData&)>& constructingBody, const HTTPProgress& progress,
              const HTTPSuccess& success, const HTTPFailure& failure);
    void PUT(const QString& path, const nlohmann::ordered_json& parameters, const HTTPHeaders& headers,
             const HTTPSuccess& success, const HTTPFailure& failure);
    void DELETE(const QString& path, const nlohmann::ordered_json& parameters, const HTTPHeaders& headers,
                const HTTPSuccess& success, const HTTPFailure& failure);

    // One request to a full URL; what the methods above and the form POST build.
    struct Request {
        QByteArray method;
        QString url;
        HTTPHeaders headers;
        QByteArray body;                                         // sent as it is when no multipart is given
        std::shared_ptr<KorvoUpdateMultipartFormData> multipart; // a multipart/form-data body
        double timeoutInterval = kDefaultTimeoutInterval;
    };
    void dataTask(const Request& request, const HTTPProgress& progress, const HTTPSuccess& success,
                  const HTTPFailure& failure);

    // application/x-www-form-urlencoded encoding of one text (space as %20, every byte but A-Z a-z 0-9 - . _ ~).
    static QByteArray formEncode(const QByteArray& text);
    static QByteArray formEncodedParameters(const nlohmann::ordered_json& parameters);

private:
    KorvoUpdateHTTPSessionManager();
    mutable std::mutex m_mutex;
    QString m_baseURL;
    QString m_caFile;
    double m_timeoutInterval = kDefaultTimeoutInterval;
};
