// Builds and sends the two kinds of request the web service takes: a form POST whose body carries one JSON text
// under a body key, and a multipart upload. No state; the blocks are called on the main queue, and an absent block
// is not called.
#pragma once

#include "KorvoUpdateHTTPSessionManager.h"

#include <QMap>
#include <QStringList>

// The upload's values by body key: the bytes of a text or of a file.
using KorvoUpdateUploadParameters = QMap<QString, QByteArray>;

class KorvoUpdateNetworkRequest {
public:
    // Form POST to base URL + path (percent-encoded as a URL), body "<bodyKey>=<JSON>". Parameters that are no JSON
    // object are sent as an empty object. The JSON is sent compact, with "%", "&" and "+" percent-encoded, so the
    // server's form decoding gives back the exact text.
    static void postDataWithParameters(const nlohmann::ordered_json& parameters, const QString& interfaceUrlString,
                                       const QString& bodyKey, const HTTPSuccess& success, const HTTPFailure& failure);
    // The body of the form POST above, for tests and logs.
    static QByteArray formBody(const nlohmann::ordered_json& parameters, const QString& bodyKey);
    // Its URL: base URL + path, the characters a URL query does not allow percent-encoded after the host.
    static QString formURL(const QString& baseURL, const QString& path);

    // Multipart POST to base URL + path (not encoded). One part per body key, in their order; a key without a value
    // is left out. "serial" goes in as a form field, every other key as a file part with fileName and the type
    // "application/octet-stream".
    static void postFormDataWithParameters(const KorvoUpdateUploadParameters& parameters,
                                           const QString& interfaceUrlString, const QString& fileName,
                                           const QStringList& bodyKeys, const HTTPSuccess& success,
                                           const HTTPFailure& failure);

    // Both kinds of request give up after this idle time (60 s); tests shorten it.
    static double requestTimeoutInterval();
    static void setRequestTimeoutInterval(double seconds);
};
