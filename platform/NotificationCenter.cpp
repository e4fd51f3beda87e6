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
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.push_back({owner, name, std::make_shared<Handler>(std::move(handler))});
}

void NotificationCenter::removeObserver(const void* owner) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.owner == owner; }),
                    m_entries.end());
}

void NotificationCenter::removeObserver(const void* owner, const QString& name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                   [&](const Entry& e) { return e.owner == owner && e.name == name; }),
                    m_entries.end());
}

void NotificationCenter::post(const QString& name, const void* object, const QVariantMap& userInfo) {
    // Handlers run outside the lock so that they may post or (un)register themselves.
    std::vector<std::shared_ptr<Handler>> targets;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const Entry& e : m_entries)
            if (e.name.isEmpty() || e.name == name) targets.push_back(e.handler);
    }
    const Notification n{name, object, userInfo};
    for (const auto& h : targets) (*h)(n);
}
