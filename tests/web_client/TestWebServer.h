// A small HTTP(S) server on 127.0.0.1 for the web client's tests, in the shape of the web service: it records
// every request (method, path, headers, body) and answers each with what the test's handler returns (by default an
// XML document whose root text is {"MSG_CODE":1}). It can stall, to test idle time-outs. With a certificate and key
// it speaks TLS. Connections are served by LoopbackServer; stop() (or the destructor) ends them.
#pragma once

#include "LoopbackServer.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

using TestRequest = HttpRequest;

struct TestResponse {
    int status = 200;
    std::string contentType = "text/xml; charset=utf-8";
    std::string body;
    int stallMs = 0;      // wait this long before answering (the connection stays open, silent)
    std::string location; // a Location header, for redirects
    int chunks = 1;       // the body is sent in this many pieces...
    int chunkDelayMs = 0; // ...with this pause before each one after the first
};

class TestWebServer {
public:
    using Handler = std::function<TestResponse(const TestRequest&)>;

    // certFile and keyFile empty: plain HTTP.
    explicit TestWebServer(const std::string& certFile = {}, const std::string& keyFile = {});
    ~TestWebServer();

    int port() const { return m_server->port(); }
    std::string baseURL() const; // "http(s)://127.0.0.1:<port>/"
    void setHandler(Handler handler);
    std::vector<TestRequest> requests();
    // Waits until at least count requests arrived.
    bool waitForRequests(size_t count, int timeoutMs = 5000);
    void stop();

    // The XML reply of the web service carrying text as its root element's text (escaped for XML).
    static std::string xmlReply(const std::string& text);
    // The form value of key in a URL-encoded body, decoded.
    static std::string formValue(const std::string& body, const std::string& key);

private:
    void serve(LoopbackConnection& connection);
    std::mutex m_mutex;
    std::condition_variable m_cv;
    Handler m_handler;
    std::vector<TestRequest> m_requests;
    std::unique_ptr<LoopbackServer> m_server; // last: its threads use the members above
};
// A certificate authority and server certificates made by openssl in folder.
struct TestCertificates {
    std::string caFile;
    std::string certFile; // for 127.0.0.1 and localhost, signed by the CA
    std::string keyFile;
    std::string wrongCertFile; // for another host name, signed by the CA
    std::string wrongKeyFile;
    static TestCertificates make(const std::string& folder);
};
