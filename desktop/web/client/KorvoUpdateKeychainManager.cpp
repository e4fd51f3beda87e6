#include "KorvoUpdateKeychainManager.h"

#include "Log.h"
#include "modelcoding.h"

namespace {
const char* const kItemClass = "genericPassword";
const char* const kAccessibility = "afterFirstUnlock";

QString label(const QString& identifier) {
    return QStringLiteral("KorvoUpdate account %1").arg(identifier);
}
} // namespace

KorvoUpdateKeychainManager& KorvoUpdateKeychainManager::sharedManager() {
    static KorvoUpdateKeychainManager manager;
    return manager;
}

void KorvoUpdateKeychainManager::setBackend(secretstore::Backend* backend) {
    m_backend = backend;
}

secretstore::Backend& KorvoUpdateKeychainManager::backend() const {
    secretstore::Backend* replaced = m_backend;
    return replaced ? *replaced : secretstore::secretServiceBackend();
}

QVariantMap KorvoUpdateKeychainManager::keyChainIdentifier(const QString& identifier) const {
    return {{QStringLiteral("class"), QString::fromLatin1(kItemClass)},
            {QStringLiteral("service"), identifier},
            {QStringLiteral("account"), identifier},
            {QStringLiteral("accessible"), QString::fromLatin1(kAccessibility)}};
}

bool KorvoUpdateKeychainManager::saveDataForKeyChain(const QString& value, const QString& identifier) {
    const QString archive = QString::fromUtf8(modelcoding::archivedData(modelcoding::encodeText(value)));
    QString error;
    if (backend().store(identifier, identifier, label(identifier), archive, &error)) return true;
    syslogline::write(("The secret of account \"" + identifier + "\" was not saved (" + error +
                       "); the one saved before, if any, is kept. Check that the keyring is running and unlocked.")
                          .toStdString());
    return false;
}

std::optional<QString> KorvoUpdateKeychainManager::readDataFromKeyChain(const QString& identifier) {
    const secretstore::Lookup found = backend().lookup(identifier, identifier);
    if (!found.ok || !found.secret) return std::nullopt;
    return modelcoding::decodeText(modelcoding::readArchive(found.secret->toUtf8()));
}

bool KorvoUpdateKeychainManager::keyChainUpdate(const QString& value, const QString& identifier) {
    const secretstore::Lookup found = backend().lookup(identifier, identifier);
    if (!found.ok || !found.secret) return false;
    return saveDataForKeyChain(value, identifier);
}

void KorvoUpdateKeychainManager::deleteFromKeyChain(const QString& identifier) {
    backend().clear(identifier, identifier, nullptr);
}
