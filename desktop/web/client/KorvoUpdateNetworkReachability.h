// Whether the network can be reached, and a notification when that changes: our stand-in for the platform's
// reachability monitor. The status is read from the computer's interfaces (an interface that is up, not loopback,
// with an address) when monitoring starts and on refresh(); tests set it with setStatus. Safe from any thread; the
// notification is posted on the default centre, on the thread that changed the status.
#pragma once

#include <QString>

#include <mutex>

inline const QString kKorvoUpdateReachabilityDidChangeNotification =
    QStringLiteral("KorvoUpdateReachabilityDidChangeNotification");
inline const QString kKorvoUpdateReachabilityStatusKey = QStringLiteral("KorvoUpdateReachabilityStatus");

class KorvoUpdateNetworkReachability {
public:
    enum class Status { Unknown = -1, NotReachable = 0, ReachableViaWWAN = 1, ReachableViaWiFi = 2 };

    static KorvoUpdateNetworkReachability& sharedManager();

    Status networkReachabilityStatus() const;
    bool isReachable() const;
    void startMonitoring(); // reads the status now
    void refresh();         // reads it again; posts the notification when it changed
    // Sets the status (tests, or a caller that learnt it otherwise); posts the notification when it changed.
    void setStatus(Status status);

    static Status statusOfInterfaces();

private:
    KorvoUpdateNetworkReachability() = default;
    mutable std::mutex m_mutex;
    Status m_status = Status::Unknown;
};
