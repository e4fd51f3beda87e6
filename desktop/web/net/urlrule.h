// The addresses the web part may reach: https anywhere, plain http only to this computer (127.0.0.0/8, ::1,
// localhost), so that passwords and packages never cross a network unencrypted while tests can use a local
// server. Pure functions, safe from any thread.
#pragma once

#include <QString>

namespace urlrule {

enum class Verdict {
    Allowed,
    Invalid,   // not an absolute url with a host
    NotSecure, // a scheme other than https, or http to another computer
};

// Whether host names this computer: localhost, an IPv4 address in 127.0.0.0/8, or ::1.
bool isLoopbackHost(const QString& host);
Verdict check(const QString& url);
inline bool isAllowed(const QString& url) {
    return check(url) == Verdict::Allowed;
}

} // namespace urlrule
