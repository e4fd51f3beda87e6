// One secret per account (such as its password) in the secret store: an item whose service and account are both
// the caller's identifier, holding an archive of the text. Saving replaces the item in one call, so a failed save
// keeps the old secret. No state of its own; every call blocks on the session bus, so call it from a worker thread.
#pragma once

#include "secretstore.h"

#include <QVariantMap>

#include <atomic>
#include <optional>

class KorvoUpdateKeychainManager {
public:
    static KorvoUpdateKeychainManager& sharedManager();

    // The attributes of the item for identifier: class, service, account, accessibility.
    QVariantMap keyChainIdentifier(const QString& identifier) const;
    // Stores value for identifier, replacing any older one; true when the store has it.
    bool saveDataForKeyChain(const QString& value, const QString& identifier);
    // The stored text, or nothing when there is none, it cannot be read or it is no archive of a text.
    std::optional<QString> readDataFromKeyChain(const QString& identifier);
    // Replaces the value of an existing item; false (and nothing added) when there is none.
    bool keyChainUpdate(const QString& value, const QString& identifier);
    void deleteFromKeyChain(const QString& identifier);

    // Tests replace the secret service (nullptr restores it).
    void setBackend(secretstore::Backend* backend);

private:
    KorvoUpdateKeychainManager() = default;
    secretstore::Backend& backend() const;
    std::atomic<secretstore::Backend*> m_backend{nullptr};
};
