// The address rule shared by the web-service client and the download engine, checked through both of them.
#include "DownloadTask.h"
#include "KorvoUpdateHTTPSessionManager.h"
#include "urlrule.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* url;
    bool allowed;         // by the rule, and so by the client
    bool downloadAllowed; // the engine also refuses a name and password in the url
};

const Case kCases[] = {
    {"https://service.example.com/webs/x", true, true},
    {"https://example.com/a_b_part.zip", true, true},
    {"http://127.0.0.1:8080/x", true, true},
    {"http://127.0.0.2/x", true, true},
    {"http://localhost/x", true, true},
    {"http://LocalHost/x", true, true},
    {"http://[::1]/x", true, true},
    {"https://user:pw@example.com/x", true, false},
    {"http://example.com/x", false, false},
    {"http://service.example.com/x", false, false},
    {"http://127.0.0.1.example.com/x", false, false},
    {"http://127.999.0.1/x", false, false},
    {"http://128.0.0.1/x", false, false},
    {"http://[::2]/x", false, false},
    // Hosts that only IDNA mapping turns into loopback: libcurl need not map them as QUrl does.
    {"http://\uff4c\uff4f\uff43\uff41\uff4c\uff48\uff4f\uff53\uff54/x", false, false},
    {"http://127\u30020\u30020\u30021/x", false, false},
    {"http://\u034f127.2/x", false, false},
    {"https://\uff4c\uff4f\uff43\uff41\uff4c\uff48\uff4f\uff53\uff54/x", true, true},
    {"ftp://127.0.0.1/x", false, false},
    {"ftp://example.com/x", false, false},
    {"file:///etc/passwd", false, false},
    {"not a url", false, false},
    {"", false, false},
};

} // namespace

TEST(UrlRule, OnlyHttpsOrLoopbackHttpForTheClientAndTheEngine) {
    for (const Case& c : kCases) {
        const QString url = QString::fromUtf8(c.url);
        EXPECT_EQ(urlrule::isAllowed(url), c.allowed) << c.url;
        QString reason;
        EXPECT_EQ(KorvoUpdateHTTPSessionManager::isAllowedURL(url, &reason), c.allowed) << c.url;
        EXPECT_EQ(reason.isEmpty(), c.allowed) << c.url << ": a refusal says why";
        EXPECT_EQ(DownloadTask::isAllowedUrl(url), c.downloadAllowed) << c.url;
    }
    EXPECT_EQ(urlrule::check("not a url"), urlrule::Verdict::Invalid);

    // The host test alone: only the whole text counts, also past a NUL character.
    EXPECT_TRUE(urlrule::isLoopbackHost("127.0.0.1"));
    EXPECT_TRUE(urlrule::isLoopbackHost("::1"));
    EXPECT_FALSE(urlrule::isLoopbackHost(QString("127.0.0.1") + QChar(0) + "evil.example.com"));
    EXPECT_FALSE(urlrule::isLoopbackHost(QString("::1") + QChar(0) + "x"));
    EXPECT_FALSE(urlrule::isLoopbackHost(QString("localhost") + QChar(0)));
    EXPECT_EQ(urlrule::check("http://example.com/x"), urlrule::Verdict::NotSecure);
}
