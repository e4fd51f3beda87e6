#include "NotificationCenter.h"

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter centre;
    return centre;
}

NotificationCenter& NotificationCenter::workspaceCenter() {
    static NotificationCenter centre;
    return centre;
}

void NotificationCenter::addObserver(const void* owner, const QString& name, Handler handler) {
    auto observer = std::make_shared<Observer>();
    observer->handler = std::move(handler);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.push_back({owner, name, std::move(observer)});
}

void NotificationCenter::remove(const std::function<bool(const Entry&)>& match) {
    std::vector<std::shared_ptr<Observer>> gone;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const Entry& e : m_entries)
            if (match(e)) gone.push_back(e.observer);
        m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(), match), m_entries.end());
    }
    // Waits for a handler that is running on another thread; a handler removing itself holds the lock already.
    for (const auto& o : gone) {
        std::lock_guard<std::recursive_mutex> running(o->running);
        o->removed = true;
    }
}

void NotificationCenter::removeObserver(const void* owner) {
    remove([owner](const Entry& e) { return e.owner == owner; });
}

void NotificationCenter::removeObserver(const void* owner, const QString& name) {
    remove([owner, &name](const Entry& e) { return e.owner == owner && e.name == name; });
}

void NotificationCenter::post(const QString& name, const void* object, const QVariantMap& userInfo) {
    // Handlers run outside the centre's lock so that they may post or (un)register themselves.
    std::vector<std::shared_ptr<Observer>> targets;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const Entry& e : m_entries)
            if (e.name.isEmpty() || e.name == name) targets.push_back(e.observer);
    }
    const Notification n{name, object, userInfo};
    for (const auto& o : targets) {
        std::lock_guard<std::recursive_mutex> running(o->running);
        if (!o->removed) o->handler(n);
    }
}
