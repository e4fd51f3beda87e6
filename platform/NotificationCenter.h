// Named notifications with a QVariantMap user info, delivered synchronously on the posting thread to every
// observer registered for the name (or for every name). Thread-safe; observers may post or unregister from a handler.
// removeObserver returns only when no handler of that owner is still running on another thread, so the owner can
// then go away; a handler must therefore not block waiting for the thread that removes it.
#pragma once

#include <QString>
#include <QVariantMap>

#include <algorithm>
#include <functional>
#include <memory>
#include <typeinfo>
#include <mutex>
#include <vector>

// A notification whose object must stay alive while queued observers use it carries a shared pointer to it in
// its user info under kRetainedObjectKey: setRetainedObject when posting, retainedObject<T> when handling.
inline const QString kRetainedObjectKey = QStringLiteral("RetainedObject");

struct RetainedObject {
    std::shared_ptr<void> object;
    const std::type_info* type = nullptr;
};

Q_DECLARE_METATYPE(RetainedObject)

template <class T> void setRetainedObject(QVariantMap& userInfo, const std::shared_ptr<T>& object)
{
    userInfo.insert(kRetainedObjectKey, QVariant::fromValue(RetainedObject{object, &typeid(T)}));
}

// The object set by setRetainedObject, or null when there is none or it is of another type.
template <class T> std::shared_ptr<T> retainedObject(const QVariantMap& userInfo)
{
    const QVariant value = userInfo.value(kRetainedObjectKey);
    if (!value.canConvert<RetainedObject>())
        return nullptr;
    const RetainedObject held = value.value<RetainedObject>();
    if (!held.type || *held.type != typeid(T))
        return nullptr;
    return std::static_pointer_cast<T>(held.object);
}

struct Notification {
    QString name;
    const void* object = nullptr;
    QVariantMap userInfo;
};

class NotificationCenter {
public:
    using Handler = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();
    // The shared workspace's centre, kept apart from the default one.
    static NotificationCenter& workspaceCenter();

    // Registers handler for name (empty: every name). owner is the key for removeObserver.
    void addObserver(const void* owner, const QString& name, Handler handler);
    void removeObserver(const void* owner);
    void removeObserver(const void* owner, const QString& name);
    void post(const QString& name, const void* object = nullptr, const QVariantMap& userInfo = {});

private:
    // One registration; its mutex is held while its handler runs and when it is removed.
    struct Observer {
        Handler handler;
        std::recursive_mutex running;
        bool removed = false;
    };
    struct Entry {
        const void* owner;
        QString name;
        std::shared_ptr<Observer> observer;
    };
    void remove(const std::function<bool(const Entry&)>& match);
    std::mutex m_mutex;
    std::vector<Entry> m_entries;
};
