// Our stand-in for the platform keychain: generic-password items in the Secret Service (libsecret), found by two
// attributes, service and account. Storing replaces an item with the same attributes in one call, so a failed
// store leaves the old secret in place. Every call blocks on the session bus: call from a worker thread, never the
// GUI thread. The backend can be replaced (tests of faults the real service cannot be made to show).
#pragma once

#include <QString>

#include <optional>

namespace secretstore {

struct Lookup {
    bool ok = false;               // the service answered
    std::optional<QString> secret; // none when no item matched
    QString error;
};

class Backend {
public:
    virtual ~Backend() = default;
    virtual bool store(const QString& service, const QString& account, const QString& label, const QString& secret,
                       QString* error) = 0;
    virtual Lookup lookup(const QString& service, const QString& account) = 0;
    // true when the service answered, whether or not an item was there.
    virtual bool clear(const QString& service, const QString& account, QString* error) = 0;
};

// The Secret Service of the user's session.
Backend& secretServiceBackend();

} // namespace secretstore
