#include "TestWebServer.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace {

const char* reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

int fromHex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void run(const std::string& command) {
    if (std::system((command + " >/dev/null 2>&1").c_str()) != 0)
        throw std::runtime_error("command failed: " + command);
}

} // namespace

TestWebServer::TestWebServer(const std::string& certFile, const std::string& keyFile) {
    m_handler = [](const TestRequest&) {
        TestResponse response;
        response.body = xmlReply("{\"MSG_CODE\":1}");
        return response;
    };
    m_server = std::make_unique<LoopbackServer>([this](LoopbackConnection& c) { serve(c); }, certFile, keyFile);
}

TestWebServer::~TestWebServer() {
    stop();
}

void TestWebServer::stop() {
    m_server->stop();
}

std::string TestWebServer::baseURL() const {
    return std::string(m_server->isTLS() ? "https" : "http") + "://127.0.0.1:" + std::to_string(port()) + "/";
}

void TestWebServer::setHandler(Handler handler) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handler = std::move(handler);
}

std::vector<TestRequest> TestWebServer::requests() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

bool TestWebServer::waitForRequests(size_t count, int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_requests.size() >= count; });
}

void TestWebServer::serve(LoopbackConnection& conn) {
    TestRequest request;
    if (!readHttpRequest(conn, request)) return;
    Handler handler;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back(request);
        handler = m_handler;
    }
    m_cv.notify_all();
    const TestResponse response = handler(request);
    if (!conn.pause(response.stallMs)) return;
    std::string reply = "HTTP/1.1 " + std::to_string(response.status) + " " + reason(response.status) +
                        "\r\nContent-Type: " + response.contentType +
                        "\r\nContent-Length: " + std::to_string(response.body.size()) + "\r\nConnection: close\r\n";
    if (!response.location.empty()) reply += "Location: " + response.location + "\r\n";
    conn.writeAll(reply + "\r\n");
    const size_t piece = (response.body.size() + response.chunks - 1) / std::max(1, response.chunks);
    for (size_t at = 0; at < response.body.size(); at += piece) {
        if (at > 0 && !conn.pause(response.chunkDelayMs)) break;
        if (!conn.writeAll(response.body.substr(at, piece))) break;
    }
}

std::string TestWebServer::xmlReply(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (c == '&')
            escaped += "&amp;";
        else if (c == '<')
            escaped += "&lt;";
        else if (c == '>')
            escaped += "&gt;";
        else
            escaped += c;
    }
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<string xmlns=\"http://tempuri.org/\">" + escaped +
           "</string>";
}

std::string TestWebServer::formValue(const std::string& body, const std::string& key) {
    size_t pos = 0;
    while (pos <= body.size()) {
        size_t end = body.find('&', pos);
        if (end == std::string::npos) end = body.size();
        const std::string pair = body.substr(pos, end - pos);
        const auto eq = pair.find('=');
        if (eq != std::string::npos && pair.substr(0, eq) == key) {
            std::string value;
            const std::string raw = pair.substr(eq + 1);
            for (size_t i = 0; i < raw.size(); ++i) {
                if (raw[i] == '+') {
                    value += ' ';
                } else if (raw[i] == '%' && i + 2 < raw.size() && fromHex(raw[i + 1]) >= 0 &&
                           fromHex(raw[i + 2]) >= 0) {
                    value += static_cast<char>(fromHex(raw[i + 1]) * 16 + fromHex(raw[i + 2]));
                    i += 2;
                } else {
                    value += raw[i];
                }
            }
            return value;
        }
        pos = end + 1;
    }
    return {};
}

TestCertificates TestCertificates::make(const std::string& folder) {
    TestCertificates c;
    const std::string f = folder + "/";
    c.caFile = f + "ca.pem";
    c.certFile = f + "server.pem";
    c.keyFile = f + "server.key";
    c.wrongCertFile = f + "wrong.pem";
    c.wrongKeyFile = f + "wrong.key";
    run("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=KorvoTestCA -keyout " + f + "ca.key -out " +
        c.caFile);
    auto issue = [&](const std::string& name, const std::string& san, const std::string& cert, const std::string& key) {
        run("openssl req -newkey rsa:2048 -nodes -subj /CN=" + name + " -keyout " + key + " -out " + f + name + ".csr");
        std::string ext = f + name + ".ext";
        std::ofstream(ext) << "subjectAltName=" << san << "\n";
        run("openssl x509 -req -in " + f + name + ".csr -CA " + c.caFile + " -CAkey " + f +
            "ca.key -CAcreateserial -days 2 -extfile " + ext + " -out " + cert);
    };
    issue("localhost", "IP:127.0.0.1,DNS:localhost", c.certFile, c.keyFile);
    issue("wrong.example", "DNS:wrong.example", c.wrongCertFile, c.wrongKeyFile);
    return c;
}
