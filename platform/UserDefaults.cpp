#include "UserDefaults.h"

#include <QDir>
#include <QStandardPaths>

namespace {
QString g_storePath;
}

void UserDefaults::setStorePath(const QString& path) {
    g_storePath = path;
}

UserDefaults& UserDefaults::standardUserDefaults() {
    static UserDefaults defaults(g_storePath.isEmpty()
                                     ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                           "/KorvoUpdate/defaults.ini"
                                     : g_storePath);
    return defaults;
}

UserDefaults::UserDefaults(const QString& path) : m_settings(std::make_unique<QSettings>(path, QSettings::IniFormat)) {}

QVariant UserDefaults::objectForKey(const QString& key) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_settings->value(key);
}

void UserDefaults::setObject(const QVariant& value, const QString& key) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_settings->setValue(key, value);
}

void UserDefaults::removeObjectForKey(const QString& key) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_settings->remove(key);
}

QString UserDefaults::stringForKey(const QString& key) const {
    return objectForKey(key).toString();
}
bool UserDefaults::boolForKey(const QString& key) const {
    return objectForKey(key).toBool();
}
long long UserDefaults::integerForKey(const QString& key) const {
    return objectForKey(key).toLongLong();
}

bool UserDefaults::synchronize() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}
