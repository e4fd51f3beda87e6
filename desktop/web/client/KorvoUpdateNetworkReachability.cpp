#include "KorvoUpdateNetworkReachability.h"

#include "NotificationCenter.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>

KorvoUpdateNetworkReachability& KorvoUpdateNetworkReachability::sharedManager() {
    static KorvoUpdateNetworkReachability reachability;
    return reachability;
}

KorvoUpdateNetworkReachability::Status KorvoUpdateNetworkReachability::networkReachabilityStatus() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_status;
}

bool KorvoUpdateNetworkReachability::isReachable() const {
    const Status status = networkReachabilityStatus();
    return status == Status::ReachableViaWWAN || status == Status::ReachableViaWiFi;
}

void KorvoUpdateNetworkReachability::startMonitoring() {
    refresh();
}

void KorvoUpdateNetworkReachability::refresh() {
    setStatus(statusOfInterfaces());
}

void KorvoUpdateNetworkReachability::setStatus(Status status) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_status == status) return;
        m_status = status;
    }
    NotificationCenter::defaultCenter().post(kKorvoUpdateReachabilityDidChangeNotification, this,
                                             {{kKorvoUpdateReachabilityStatusKey, static_cast<int>(status)}});
}

KorvoUpdateNetworkReachability::Status KorvoUpdateNetworkReachability::statusOfInterfaces() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return Status::Unknown;
    bool up = false;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || !(entry->ifa_flags & IFF_UP) || (entry->ifa_flags & IFF_LOOPBACK)) continue;
        const int family = entry->ifa_addr->sa_family;
        if (family == AF_INET || family == AF_INET6) up = true;
    }
    freeifaddrs(list);
    // A wired or wireless link is all this computer has; there is no cellular link to tell apart.
    return up ? Status::ReachableViaWiFi : Status::NotReachable;
}
