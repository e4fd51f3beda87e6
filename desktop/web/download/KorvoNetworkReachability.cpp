#include "KorvoNetworkReachability.h"

#include "NotificationCenter.h"

const char* const KorvoNetworkingReachabilityDidChangeNotification = "KorvoNetworkingReachabilityDidChangeNotification";

KorvoNetworkReachability& KorvoNetworkReachability::sharedManager() {
    static KorvoNetworkReachability instance;
    return instance;
}

void KorvoNetworkReachability::setNetworkReachabilityStatus(int status) {
    if (m_status.exchange(status) == status) return;
    QVariantMap info;
    info.insert(QStringLiteral("status"), status);
    NotificationCenter::workspaceCenter().post(QString::fromLatin1(KorvoNetworkingReachabilityDidChangeNotification),
                                               nullptr, info);
}
