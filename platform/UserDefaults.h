// A per-user key-value store on QSettings with an explicit synchronize. One shared instance per process;
// its file can be redirected (tests) before first use with setStorePath.
#pragma once

#include <QSettings>
#include <QString>
#include <QVariant>

#include <memory>
#include <mutex>

class UserDefaults {
public:
    static UserDefaults& standardUserDefaults();
    // Store file for the shared instance; call before first use (tests use a temporary file).
    static void setStorePath(const QString& path);

    QVariant objectForKey(const QString& key) const;
    void setObject(const QVariant& value, const QString& key);
    void removeObjectForKey(const QString& key);
    QString stringForKey(const QString& key) const;
    bool boolForKey(const QString& key) const;
    long long integerForKey(const QString& key) const;
    bool synchronize();

private:
    explicit UserDefaults(const QString& path);
    mutable std::mutex m_mutex;
    std::unique_ptr<QSettings> m_settings;
};
