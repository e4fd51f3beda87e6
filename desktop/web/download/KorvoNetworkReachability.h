// The network reachability status the download engine's network rule reads, in place of an HTTP library's
// reachability manager: -1 not yet determined, 0 not reachable, 1 cellular, 2 Wi-Fi or wired. Nothing on this
// system watches the network for it, so it stays -1 (which allows downloads) unless someone sets it; setting a
// different status posts KorvoNetworkingReachabilityDidChangeNotification on the workspace centre. Thread-safe.
#pragma once

#include <atomic>

extern const char* const KorvoNetworkingReachabilityDidChangeNotification;

enum KorvoNetworkReachabilityStatus : int {
    KorvoNetworkReachabilityStatusUnknown = -1,
    KorvoNetworkReachabilityStatusNotReachable = 0,
    KorvoNetworkReachabilityStatusReachableViaWWAN = 1,
    KorvoNetworkReachabilityStatusReachableViaWiFi = 2,
};

class KorvoNetworkReachability {
public:
    static KorvoNetworkReachability& sharedManager();
    int networkReachabilityStatus() const { return m_status; }
    void setNetworkReachabilityStatus(int status);

private:
    KorvoNetworkReachability() = default;
    std::atomic<int> m_status{KorvoNetworkReachabilityStatusUnknown};
};
