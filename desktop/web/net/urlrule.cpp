#include "urlrule.h"

#include <QUrl>

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstring>

namespace urlrule {

bool isLoopbackHost(const QString& host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) return true;
    // inet_pton takes only complete dotted quads and real IPv6 forms, so a name such as 127.0.0.1.example.com
    // is no address here.
    const QByteArray text = host.toLatin1();
    // inet_pton reads up to the first NUL: "127.0.0.1" followed by a NUL and anything is not this computer.
    if (text.contains('\0')) return false;
    in_addr v4{};
    if (inet_pton(AF_INET, text.constData(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (inet_pton(AF_INET6, text.constData(), &v6) == 1) return std::memcmp(&v6, &in6addr_loopback, sizeof v6) == 0;
    return false;
}

Verdict check(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) return Verdict::Invalid;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https")) return Verdict::Allowed;
    // Plain http only in ASCII: QUrl and libcurl map other characters of a host name by their own IDNA rules, so
    // the host checked here need not be the one connected to.
    const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (scheme == QLatin1String("http") && ascii && isLoopbackHost(url.host())) return Verdict::Allowed;
    return Verdict::NotSecure;
}

} // namespace urlrule
