#include "KorvoUpdateNetworkRequest.h"

#include <atomic>

namespace {
const char* const kFormFieldKey = "serial";
const char* const kFileMimeType = "application/octet-stream";
// Besides letters and digits, the characters a URL query allows; every other one is percent-encoded.
const char* const kQueryCharacters = "!$&'()*+,-./:;=?@_~";
std::atomic<double> g_requestTimeoutInterval{KorvoUpdateHTTPSessionManager::kDefaultTimeoutInterval};
} // namespace

QString KorvoUpdateNetworkRequest::formURL(const QString& baseURL, const QString& path) {
    const QString url = baseURL + path;
    // The scheme and host stay as they are: an IPv6 address keeps its brackets ("http://[::1]:8080").
    const int scheme = url.indexOf(QLatin1String("://"));
    int rest = scheme < 0 ? 0 : url.indexOf(QLatin1Char('/'), scheme + 3);
    if (rest < 0) rest = url.size();
    return url.left(rest) + QString::fromLatin1(url.mid(rest).toUtf8().toPercentEncoding(kQueryCharacters));
}

double KorvoUpdateNetworkRequest::requestTimeoutInterval() {
    return g_requestTimeoutInterval;
}

void KorvoUpdateNetworkRequest::setRequestTimeoutInterval(double seconds) {
    g_requestTimeoutInterval = seconds;
}

QByteArray KorvoUpdateNetworkRequest::formBody(const nlohmann::ordered_json& parameters, const QString& bodyKey) {
    const nlohmann::ordered_json object = parameters.is_object() ? parameters : nlohmann::ordered_json::object();
    const QByteArray text =
        QByteArray::fromStdString(object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
    // The server form-decodes the body: these three would cut the value, turn into spaces or start an escape.
    QByteArray escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        if (c == '%')
            escaped += "%25";
        else if (c == '&')
            escaped += "%26";
        else if (c == '+')
            escaped += "%2B";
        else
            escaped += c;
    }
    return bodyKey.toUtf8() + '=' + escaped;
}

void KorvoUpdateNetworkRequest::postDataWithParameters(const nlohmann::ordered_json& parameters,
                                                       const QString& interfaceUrlString, const QString& bodyKey,
                                                       const HTTPSuccess& success, const HTTPFailure& failure) {
    auto& session = KorvoUpdateHTTPSessionManager::sharedManager();
    KorvoUpdateHTTPSessionManager::Request request;
    request.method = "POST";
    request.url = formURL(session.baseURL(), interfaceUrlString);
    request.headers.append(qMakePair(QByteArray("Content-Type"), QByteArray("application/x-www-form-urlencoded")));
    request.body = formBody(parameters, bodyKey);
    request.timeoutInterval = requestTimeoutInterval();
    session.dataTask(request, {}, success, failure);
}

void KorvoUpdateNetworkRequest::postFormDataWithParameters(const KorvoUpdateUploadParameters& parameters,
                                                           const QString& interfaceUrlString, const QString& fileName,
                                                           const QStringList& bodyKeys, const HTTPSuccess& success,
                                                           const HTTPFailure& failure) {
    auto& session = KorvoUpdateHTTPSessionManager::sharedManager();
    session.setTimeoutInterval(requestTimeoutInterval());
    session.POST(
        interfaceUrlString, nullptr, {},
        [&](KorvoUpdateMultipartFormData& form) {
            for (const QString& key : bodyKeys) {
                const auto value = parameters.find(key);
                if (value == parameters.end()) continue;
                if (key == QLatin1String(kFormFieldKey))
                    form.appendPartWithFormData(*value, key.toUtf8());
                else
                    form.appendPartWithFileData(*value, key.toUtf8(), fileName.toUtf8(), kFileMimeType);
            }
        },
        {}, success, failure);
}
