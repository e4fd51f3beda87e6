// The HTTP and web-service client against a local server in the shape of the web service: bodies and headers of
// every operation, the cleaning of replies, failures and the threads they arrive on, the multipart upload, TLS.
#include "KorvoUpdateNetworkManager.h"
#include "KorvoUpdateNetworkReachability.h"
#include "NotificationCenter.h"
#include "TempDir.h"
#include "TestWebServer.h"
#include "webclienttest.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <thread>

using json = nlohmann::ordered_json;

namespace {

// What one operation's blocks saw.
struct Outcome {
    std::atomic<bool> done{false};
    std::atomic<bool> succeeded{false};
    std::atomic<bool> onMain{false};
    std::atomic<bool> onNetworkQueue{false};
    KorvoUpdateNetworkError error;
    std::shared_ptr<void> model;

    template <class T> ModelSuccess<T> success() {
        return [this](const std::shared_ptr<T>& m) {
            model = m;
            onMain = onMainThread();
            onNetworkQueue = KorvoUpdateNetworkManager::isNetworkQueue();
            succeeded = true;
            done = true;
        };
    }
    HTTPFailure failure() {
        return [this](const KorvoUpdateNetworkError& e) {
            error = e;
            onMain = onMainThread();
            done = true;
        };
    }
    bool wait(int ms = 8000) {
        return waitUntil([this] { return done.load(); }, ms);
    }
    template <class T> std::shared_ptr<T> as() const { return std::static_pointer_cast<T>(model); }
};

int closedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd); // nothing listens there now
    return ntohs(addr.sin_port);
}

class WebService : public ::testing::Test {
protected:
    void SetUp() override {
        KorvoUpdateHTTPSessionManager::sharedManager().setBaseURL(QString::fromStdString(server.baseURL()));
        KorvoUpdateHTTPSessionManager::sharedManager().setCAFile({});
        KorvoUpdateNetworkRequest::setRequestTimeoutInterval(10);
    }
    void reply(const std::string& jsonText, int status = 200) {
        server.setHandler([jsonText, status](const TestRequest&) {
            TestResponse r;
            r.status = status;
            r.body = TestWebServer::xmlReply(jsonText);
            return r;
        });
    }
    KorvoUpdateNetworkManager& manager = KorvoUpdateNetworkManager::sharedManager();
    TestWebServer server;
};

} // namespace

TEST_F(WebService, EveryFormOperationPostsItsPathAndBodyKey) {
    using Call = std::function<void(const json&, Outcome&)>;
    struct Row {
        const char* path;
        const char* bodyKey;
        Call call;
    };
    auto& m = manager;
    const Row rows[] = {
        {"UserReg", "information",
         [&](const json& p, Outcome& o) {
             m.requestRegisteWithParams(p, o.success<KorvoUpdateRegisteResultModel>(), o.failure());
         }},
        {"UserLogin", "information",
         [&](const json& p, Outcome& o) {
             m.requestLoginWithParams(p, o.success<KorvoUpdateLoginResultModel>(), o.failure());
         }},
        {"UserProductInformation", "information",
         [&](const json& p, Outcome& o) {
             m.requestGetProductWithParams(p, o.success<KorvoUpdateProductResultModel>(), o.failure());
         }},
        {"ProductUpdateInformation", "information",
         [&](const json& p, Outcome& o) {
             m.requestUpdateProductWithParams(p, o.success<KorvoUpdateUpgradeResultModel>(), o.failure());
         }},
        {"UserComplaint", "contents",
         [&](const json& p, Outcome& o) {
             m.requestSupportWithParams(p, o.success<KorvoUpdateResultModel>(), o.failure());
         }},
        {"GenerateOrder", "information",
         [&](const json& p, Outcome& o) {
             m.requestGenerateOrderWithParams(p, o.success<KorvoUpdateOrderResultModel>(), o.failure());
         }},
        {"GetOrderStatus", "information",
         [&](const json& p, Outcome& o) {
             m.requestGetOrderStatusWithParams(p, o.success<KorvoUpdateOrderResultModel>(), o.failure());
         }},
        {"SoftwareInfo", "information",
         [&](const json& p, Outcome& o) {
             m.requestGetSoftwareInfoWithParams(p, o.success<KorvoUpdateSoftwareResultModel>(), o.failure());
         }},
        {"ProductInfo", "information",
         [&](const json& p, Outcome& o) {
             m.requestGetProductInfoWithParams(p, o.success<KorvoUpdateProductResultModel>(), o.failure());
         }},
        {"GetUserInformation", "information",
         [&](const json& p, Outcome& o) {
             m.requestGetUserInfoWithParams(p, o.success<KorvoUpdateUserInfoResultModel>(), o.failure());
         }},
        {"UpdateUserInformation", "information",
         [&](const json& p, Outcome& o) {
             m.requestUpdateUserInfoWithParams(p, o.success<KorvoUpdateResultModel>(), o.failure());
         }},
        {"PostBackServer", "information",
         [&](const json& p, Outcome& o) {
             m.requestPostBackServerWithParams(p, o.success<KorvoUpdateResultModel>(), o.failure());
         }},
    };
    reply(R"({"MSG_CODE": 1, "MSG_INFO": "ok"})");
    const json params = {{"user_name", "ann & bob"}, {"note", "1+1=2, 100%"}, {"n", 7}};
    size_t sent = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        Outcome outcome;
        row.call(params, outcome);
        ASSERT_TRUE(outcome.wait());
        EXPECT_TRUE(outcome.succeeded) << outcome.error.message.toStdString();
        EXPECT_TRUE(outcome.model);
        EXPECT_TRUE(outcome.onNetworkQueue) << "form-POST success runs on the network queue";
        EXPECT_FALSE(outcome.onMain);
        ASSERT_TRUE(server.waitForRequests(++sent));
        TestRequest request = server.requests().back();
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.target, std::string("/webs/WebService.asmx/") + row.path);
        EXPECT_EQ(request.headers["content-type"], "application/x-www-form-urlencoded");
        // "&", "+" and "%" arrive byte-exact after the server's form decoding.
        EXPECT_EQ(TestWebServer::formValue(request.body, row.bodyKey), params.dump());
        EXPECT_EQ(request.body.rfind(std::string(row.bodyKey) + "={\"user_name\":\"ann %26 bob\"", 0), 0u)
            << request.body;
    }
}

TEST_F(WebService, BodyAndPathEncoding) {
    EXPECT_EQ(KorvoUpdateNetworkRequest::formBody(nullptr, "information"), "information={}");
    EXPECT_EQ(KorvoUpdateNetworkRequest::formBody(json::array({1}), "information"), "information={}");
    EXPECT_EQ(KorvoUpdateNetworkRequest::formBody(json{{"a", "%&+\"{}"}}, "contents"),
              R"(contents={"a":"%25%26%2B\"{}"})");

    Outcome outcome;
    KorvoUpdateNetworkRequest::postDataWithParameters(
        nullptr, "webs/a b", "information",
        [&](const QByteArray&) {
            outcome.onMain = onMainThread();
            outcome.succeeded = true;
            outcome.done = true;
        },
        outcome.failure());
    ASSERT_TRUE(outcome.wait());
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_TRUE(outcome.onMain) << "the plain request completes on the main queue";
    ASSERT_TRUE(server.waitForRequests(1));
    EXPECT_EQ(server.requests()[0].target, "/webs/a%20b");
    EXPECT_EQ(server.requests()[0].body, "information={}");
}

TEST_F(WebService, AnIPv6BaseURLKeepsItsBrackets) {
    EXPECT_EQ(KorvoUpdateNetworkRequest::formURL("http://[::1]:8080/", "webs/a b").toStdString(),
              "http://[::1]:8080/webs/a%20b");
    EXPECT_EQ(KorvoUpdateNetworkRequest::formURL("https://h.example/base dir/", "x?y=[1]").toStdString(),
              "https://h.example/base%20dir/x?y=%5B1%5D");

    // The test server listens on 127.0.0.1 alone; one request on ::1 is served here.
    const int listener = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 1) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listener >= 0) ::close(listener);
        GTEST_SKIP() << "this machine has no IPv6 loopback address";
    }
    int stop[2];
    ASSERT_EQ(::pipe2(stop, O_CLOEXEC), 0);
    TestRequest seen;
    std::thread serve([&] {
        pollfd waiting{listener, POLLIN, 0};
        if (::poll(&waiting, 1, 10000) != 1) return;
        const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        LoopbackConnection connection(fd, nullptr, stop[0]);
        if (readHttpRequest(connection, seen, 10000)) {
            const std::string body = TestWebServer::xmlReply(R"({"MSG_CODE": 1, "User_reName": "ann"})");
            connection.writeAll("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " +
                                std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        }
        ::close(fd);
    });
    KorvoUpdateHTTPSessionManager::sharedManager().setBaseURL(
        QStringLiteral("http://[::1]:%1/").arg(ntohs(address.sin6_port)));
    Outcome outcome;
    manager.requestLoginWithParams(json{{"login_name", "ann"}}, outcome.success<KorvoUpdateLoginResultModel>(),
                                   outcome.failure());
    const bool answered = outcome.wait();
    serve.join();
    ::close(listener);
    ::close(stop[0]);
    ::close(stop[1]);
    ASSERT_TRUE(answered);
    ASSERT_TRUE(outcome.succeeded) << outcome.error.message.toStdString();
    EXPECT_EQ(outcome.as<KorvoUpdateLoginResultModel>()->userReName, "ann");
    EXPECT_EQ(seen.method + " " + seen.target, "POST /webs/WebService.asmx/UserLogin");
    EXPECT_EQ(TestWebServer::formValue(seen.body, "information"), R"({"login_name":"ann"})");
}

TEST(ReplyCleaning, FormatXMLStringInItsSixSteps) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {" \t{\"a\":1}\t ", "{\"a\":1}"},
        {"\n\n{\"a\":\"x\ny\"}\n",
         "MARODA_KORVO_FLAGMARODA_KORVO_FLAG{\"a\":\"xMARODA_KORVO_FLAGy\"}MARODA_KORVO_FLAG"},
        {"\r {\"a\":1} \r", "{\"a\":1}"},
        {"{\"p\":\"C:\\\\dir\\n\"}", "{\"p\":\"C://dir/n\"}"},
        {"{\"ok\":True,\"no\":False,\"w\":\"IsTrueFalse\"}", "{\"ok\":true,\"no\":false,\"w\":\"Istruefalse\"}"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KorvoUpdateNetworkManager::formatXMLString(QString::fromUtf8(c.in)).toStdString(), c.out) << c.in;
}

TEST_F(WebService, RepliesAreCleanedBeforeTheyAreParsed) {
    // A real line break inside a value, an escaped one, and True inside a word.
    reply("{\"MSG_CODE\": 1, \"MSG_INFO\": \"a\nb|c\\nd|TrueNorth\"}");
    Outcome outcome;
    manager.requestSupportWithParams(nullptr, outcome.success<KorvoUpdateResultModel>(), outcome.failure());
    ASSERT_TRUE(outcome.wait());
    ASSERT_TRUE(outcome.succeeded) << outcome.error.message.toStdString();
    EXPECT_EQ(outcome.as<KorvoUpdateResultModel>()->msgInfo, "aMARODA_KORVO_FLAGb|c/nd|trueNorth");
    ASSERT_TRUE(server.waitForRequests(1));
    EXPECT_EQ(server.requests()[0].body, "contents={}");
}

TEST_F(WebService, XmlIsReadWithoutEntitiesOrNetwork) {
    EXPECT_EQ(KorvoUpdateNetworkManager::rootTextOfXMLDocument("<r>{<b>\"a\"</b>:1}</r>").value_or(""), "{\"a\":1}");
    EXPECT_FALSE(KorvoUpdateNetworkManager::rootTextOfXMLDocument("{\"MSG_CODE\":1}"));
    const QByteArray external = "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/passwd\">"
                                "<!ENTITY y \"expanded\">]><r>{\"a\":\"&x;&y;\"}</r>";
    const auto text = KorvoUpdateNetworkManager::rootTextOfXMLDocument(external);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "{\"a\":\"\"}");

    // Nested entities that would grow to gigabytes if expanded.
    QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY l0 \"lol\">";
    for (int i = 1; i <= 10; ++i)
        laughs += QStringLiteral("<!ENTITY l%1 \"&l%2;&l%2;&l%2;&l%2;&l%2;&l%2;&l%2;&l%2;&l%2;&l%2;\">")
                      .arg(i)
                      .arg(i - 1)
                      .toLatin1();
    laughs += "]><r>{\"a\":\"&l10;\"}</r>";
    const auto bounded = KorvoUpdateNetworkManager::rootTextOfXMLDocument(laughs);
    EXPECT_LT(bounded.value_or("").size(), 100);
}

TEST_F(WebService, UnreadableRepliesAndTransportErrorsReachTheFailureBlockOnTheMainThread) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
        KorvoUpdateNetworkError::Kind kind;
        long code;
    };
    int refusedPort = closedPort();
    const Case cases[] = {
        {"not XML",
         [&] {
             server.setHandler([](const TestRequest&) {
                 TestResponse r;
                 r.body = "{\"MSG_CODE\":1}";
                 return r;
             });
         },
         KorvoUpdateNetworkError::Kind::Parse, 0},
        {"XML without JSON", [&] { reply("Server Error"); }, KorvoUpdateNetworkError::Kind::Parse, 0},
        {"HTTP 500", [&] { reply("{\"MSG_CODE\":1}", 500); }, KorvoUpdateNetworkError::Kind::Status, 500},
        {"redirect of a POST (not followed)",
         [&] {
             server.setHandler([&](const TestRequest&) {
                 TestResponse r;
                 r.status = 302;
                 r.location = server.baseURL() + "elsewhere";
                 return r;
             });
         },
         KorvoUpdateNetworkError::Kind::Status, 302},
        {"stalled server",
         [&] {
             KorvoUpdateNetworkRequest::setRequestTimeoutInterval(1);
             server.setHandler([](const TestRequest&) {
                 TestResponse r;
                 r.stallMs = 6000;
                 return r;
             });
         },
         KorvoUpdateNetworkError::Kind::Transport, 28},
        {"refused connection",
         [&] {
             KorvoUpdateHTTPSessionManager::sharedManager().setBaseURL(
                 QStringLiteral("http://127.0.0.1:%1/").arg(refusedPort));
         },
         KorvoUpdateNetworkError::Kind::Transport, 7},
        {"plain http to another host",
         [&] { KorvoUpdateHTTPSessionManager::sharedManager().setBaseURL(QStringLiteral("http://192.0.2.1/")); },
         KorvoUpdateNetworkError::Kind::Refused, 0},
        {"reply above the cap",
         [&] {
             server.setHandler([](const TestRequest&) {
                 TestResponse r;
                 r.body = TestWebServer::xmlReply(std::string(KorvoUpdateHTTPSessionManager::kMaxReplyBytes + 10, 'x'));
                 return r;
             });
         },
         KorvoUpdateNetworkError::Kind::Transport, 63},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        c.arrange();
        Outcome outcome;
        manager.requestLoginWithParams(json{{"login_name", "ann"}}, outcome.success<KorvoUpdateLoginResultModel>(),
                                       outcome.failure());
        ASSERT_TRUE(outcome.wait());
        EXPECT_FALSE(outcome.succeeded);
        EXPECT_TRUE(outcome.onMain);
        EXPECT_EQ(outcome.error.kind, c.kind);
        EXPECT_EQ(outcome.error.code, c.code);
        EXPECT_FALSE(outcome.error.message.isEmpty());
    }
    EXPECT_EQ(server.requests().size(), 6u) << "refused addresses are never sent, redirects not followed";
}

TEST_F(WebService, RepliesMayHoldOnlySoManyElements) {
    // Values, counted by the commas between them outside texts: up to the cap a reply is read, one more is refused.
    const auto numbers = [](long count) {
        std::string text = "[0";
        for (long i = 1; i < count; ++i)
            text += ",0";
        return QByteArray::fromStdString(text + "]");
    };
    QString refusal;
    EXPECT_FALSE(modelcoding::parseJSON(numbers(modelcoding::kMaxElements), &refusal).is_discarded());
    EXPECT_TRUE(refusal.isEmpty());
    EXPECT_TRUE(modelcoding::parseJSON(numbers(modelcoding::kMaxElements + 1), &refusal).is_discarded());
    EXPECT_TRUE(refusal.contains("elements")) << refusal.toStdString();
    const std::string commas(modelcoding::kMaxElements + 1, ',');
    EXPECT_FALSE(modelcoding::parseJSON(QByteArray::fromStdString("[\"" + commas + "\"]")).is_discarded())
        << "commas inside a text do not count";

    // Empty records in a JSON text, and empty elements around it: cheap to send, dear to hold.
    std::string records = R"({"MSG_CODE": 1, "UPGRADE": [{})";
    for (long i = 0; i < modelcoding::kMaxElements; ++i)
        records += ",{}";
    records += "]}";
    std::string tags = "<string>{\"MSG_CODE\": 1}";
    for (long i = 0; i < modelcoding::kMaxElements; ++i)
        tags += "<a/>";
    tags += "</string>";
    for (const std::string& body : {TestWebServer::xmlReply(records), tags}) {
        server.setHandler([body](const TestRequest&) {
            TestResponse r;
            r.body = body;
            return r;
        });
        Outcome outcome;
        manager.requestUpdateProductWithParams(nullptr, outcome.success<KorvoUpdateUpgradeResultModel>(),
                                               outcome.failure());
        ASSERT_TRUE(outcome.wait());
        EXPECT_FALSE(outcome.succeeded);
        EXPECT_EQ(outcome.error.kind, KorvoUpdateNetworkError::Kind::Parse);
        EXPECT_TRUE(outcome.error.message.contains(QString::number(modelcoding::kMaxElements)))
            << outcome.error.message.toStdString();
    }
}

TEST_F(WebService, TheTimeOutIsAnIdleTimeNotATotal) {
    // A reply that keeps moving takes longer than the time-out in all, and still arrives.
    KorvoUpdateNetworkRequest::setRequestTimeoutInterval(1);
    server.setHandler([](const TestRequest&) {
        TestResponse r;
        r.body = TestWebServer::xmlReply(R"({"MSG_CODE": 1, "MSG_INFO": "slow but steady"})");
        r.chunks = 5;
        r.chunkDelayMs = 350;
        return r;
    });
    Outcome outcome;
    manager.requestSupportWithParams(nullptr, outcome.success<KorvoUpdateResultModel>(), outcome.failure());
    ASSERT_TRUE(outcome.wait());
    EXPECT_TRUE(outcome.succeeded) << outcome.error.message.toStdString();
}

TEST_F(WebService, UploadSendsItsPartsByteForByte) {
    server.setHandler([](const TestRequest&) {
        TestResponse r;
        r.contentType = "application/json";
        r.body = R"({"status": true, "msg": "ok", "name": "report.log", "size": 5, "ext": "log"})";
        return r;
    });
    const QByteArray file("\x00\x01\xff\r\n--x", 8);
    Outcome outcome;
    manager.requestUploadWithParams({{"serial", "SN 1&2"}, {"Filedata", file}}, "report.log",
                                    outcome.success<KorvoUpdateFileUploadResultModel>(), outcome.failure());
    ASSERT_TRUE(outcome.wait());
    ASSERT_TRUE(outcome.succeeded) << outcome.error.message.toStdString();
    EXPECT_TRUE(outcome.onMain) << "the upload's success runs on the main queue";
    EXPECT_EQ(outcome.as<KorvoUpdateFileUploadResultModel>()->size, 5);

    ASSERT_TRUE(server.waitForRequests(1));
    TestRequest request = server.requests()[0];
    EXPECT_EQ(request.target, "/function/upload.ashx");
    const std::string type = request.headers["content-type"];
    const std::string marker = "multipart/form-data; boundary=";
    ASSERT_EQ(type.rfind(marker, 0), 0u) << type;
    const std::string boundary = "--" + type.substr(marker.size());
    const std::string expected = boundary + "\r\nContent-Disposition: form-data; name=\"serial\"\r\n\r\nSN 1&2\r\n" +
                                 boundary +
                                 "\r\nContent-Disposition: form-data; name=\"Filedata\"; filename=\"report.log\"\r\n"
                                 "Content-Type: application/octet-stream\r\n\r\n" +
                                 file.toStdString() + "\r\n" + boundary + "--\r\n";
    EXPECT_EQ(request.body, expected);

    // A body key without a value is left out, not read past the parameters.
    Outcome second;
    manager.requestUploadWithParams({{"Filedata", "abc"}}, "a.bin", second.success<KorvoUpdateFileUploadResultModel>(),
                                    second.failure());
    ASSERT_TRUE(second.wait());
    ASSERT_TRUE(server.waitForRequests(2));
    request = server.requests()[1];
    EXPECT_EQ(request.body.find("name=\"serial\""), std::string::npos);
    EXPECT_NE(request.body.find("name=\"Filedata\"; filename=\"a.bin\""), std::string::npos);

    // An upload reply that is no JSON is a failure.
    server.setHandler([](const TestRequest&) {
        TestResponse r;
        r.contentType = "text/html";
        r.body = "<html/>";
        return r;
    });
    Outcome third;
    manager.requestUploadWithParams({{"serial", "1"}}, "a.bin", third.success<KorvoUpdateFileUploadResultModel>(),
                                    third.failure());
    ASSERT_TRUE(third.wait());
    EXPECT_FALSE(third.succeeded);
    EXPECT_EQ(third.error.kind, KorvoUpdateNetworkError::Kind::Parse);
}

TEST(WebServiceTls, CertificatesHostNamesAndRedirectsAreVerifiedAndExplained) {
    TempDir dir;
    const TestCertificates certs = TestCertificates::make(dir.path());
    TestWebServer good(certs.certFile, certs.keyFile);
    TestWebServer wrongHost(certs.wrongCertFile, certs.wrongKeyFile);
    TestWebServer plain;
    auto& session = KorvoUpdateHTTPSessionManager::sharedManager();
    KorvoUpdateNetworkRequest::setRequestTimeoutInterval(10);

    auto login = [](Outcome& outcome) {
        KorvoUpdateNetworkManager::sharedManager().requestLoginWithParams(
            nullptr, outcome.success<KorvoUpdateLoginResultModel>(), outcome.failure());
        return outcome.wait();
    };

    session.setBaseURL(QString::fromStdString(good.baseURL()));
    session.setCAFile({});
    Outcome unknownCA;
    ASSERT_TRUE(login(unknownCA));
    EXPECT_FALSE(unknownCA.succeeded) << "a certificate of an unknown authority is refused by default";
    EXPECT_EQ(unknownCA.error.kind, KorvoUpdateNetworkError::Kind::Transport);
    EXPECT_EQ(unknownCA.error.code, 60);
    EXPECT_TRUE(unknownCA.error.message.startsWith("The certificate of 127.0.0.1 is not trusted"))
        << unknownCA.error.message.toStdString();
    EXPECT_TRUE(unknownCA.error.message.contains("CA file"));

    session.setCAFile(QString::fromStdString(certs.caFile));
    Outcome trusted;
    ASSERT_TRUE(login(trusted));
    EXPECT_TRUE(trusted.succeeded) << trusted.error.message.toStdString();
    EXPECT_EQ(good.requests().size(), 1u);

    // A reading request follows a redirect to https only; one to plain http is refused and explained.
    const std::string away = plain.baseURL() + "elsewhere";
    good.setHandler([&](const TestRequest&) {
        TestResponse r;
        r.status = 302;
        r.location = away;
        return r;
    });
    Outcome redirected;
    session.GET(
        "items", nullptr, {}, {}, [&](const QByteArray&) { redirected.done = true; }, redirected.failure());
    ASSERT_TRUE(redirected.wait());
    EXPECT_EQ(redirected.error.kind, KorvoUpdateNetworkError::Kind::Transport);
    EXPECT_EQ(redirected.error.code, 1);
    EXPECT_TRUE(redirected.error.message.contains(QString::fromStdString(away) + ", which is no https address"))
        << redirected.error.message.toStdString();
    EXPECT_TRUE(redirected.error.message.contains("set that as the server address"));
    EXPECT_TRUE(plain.requests().empty());

    session.setBaseURL(QString::fromStdString(wrongHost.baseURL()));
    Outcome mismatch;
    ASSERT_TRUE(login(mismatch));
    EXPECT_FALSE(mismatch.succeeded) << "a certificate for another host name is refused";
    EXPECT_EQ(mismatch.error.kind, KorvoUpdateNetworkError::Kind::Transport);
    EXPECT_EQ(mismatch.error.code, KorvoUpdateNetworkError::kHostNameMismatch);
    EXPECT_TRUE(mismatch.error.message.startsWith("The certificate of 127.0.0.1 was made for another host name"))
        << mismatch.error.message.toStdString();
    EXPECT_TRUE(wrongHost.requests().empty());
    session.setCAFile({});
}

TEST_F(WebService, SessionMethodsPutTheBaseURLFirst) {
    auto& session = KorvoUpdateHTTPSessionManager::sharedManager();
    std::atomic<int> done{0};
    auto ok = [&](const QByteArray&) { ++done; };
    auto bad = [&](const KorvoUpdateNetworkError&) { ++done; };
    session.GET("items", json{{"q", "a b"}}, {}, {}, ok, bad);
    ASSERT_TRUE(waitUntil([&] { return done == 1; }));
    session.PUT("items/1", json{{"v", "x&y"}}, {}, ok, bad);
    ASSERT_TRUE(waitUntil([&] { return done == 2; }));
    session.DELETE("items/1", nullptr, {}, ok, bad);
    ASSERT_TRUE(waitUntil([&] { return done == 3; }));
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].method + " " + requests[0].target, "GET /items?q=a%20b");
    EXPECT_EQ(requests[1].method + " " + requests[1].target + " " + requests[1].body, "PUT /items/1 v=x%26y");
    EXPECT_EQ(requests[2].method + " " + requests[2].target, "DELETE /items/1");
}

TEST(Reachability, StatusChangesAreNotified) {
    auto& reachability = KorvoUpdateNetworkReachability::sharedManager();
    std::vector<int> seen;
    int owner = 0;
    NotificationCenter::defaultCenter().addObserver(
        &owner, kKorvoUpdateReachabilityDidChangeNotification,
        [&](const Notification& n) { seen.push_back(n.userInfo.value(kKorvoUpdateReachabilityStatusKey).toInt()); });
    reachability.setStatus(KorvoUpdateNetworkReachability::Status::NotReachable);
    reachability.setStatus(KorvoUpdateNetworkReachability::Status::ReachableViaWiFi);
    reachability.setStatus(KorvoUpdateNetworkReachability::Status::ReachableViaWiFi);
    EXPECT_TRUE(reachability.isReachable());
    NotificationCenter::defaultCenter().removeObserver(&owner);
    ASSERT_GE(seen.size(), 1u);
    EXPECT_EQ(seen.back(), 2);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 2), 1) << "an unchanged status is not notified again";
}
