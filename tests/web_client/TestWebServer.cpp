#include "TestWebServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

struct Connection {
    int fd;
    SSL* ssl = nullptr;
    long read(char* buf, size_t size) {
        if (ssl) return SSL_read(ssl, buf, static_cast<int>(size));
        return ::read(fd, buf, size);
    }
    bool writeAll(const std::string& data) {
        size_t done = 0;
        while (done < data.size()) {
            long n = ssl ? SSL_write(ssl, data.data() + done, static_cast<int>(data.size() - done))
                         : ::write(fd, data.data() + done, data.size() - done);
            if (n <= 0) return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }
};

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

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
    std::signal(SIGPIPE, SIG_IGN); // a client that refused our certificate has closed its end
    m_handler = [](const TestRequest&) {
        TestResponse response;
        response.body = xmlReply("{\"MSG_CODE\":1}");
        return response;
    };
    if (!certFile.empty()) {
        SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
        if (SSL_CTX_use_certificate_chain_file(ctx, certFile.c_str()) != 1 ||
            SSL_CTX_use_PrivateKey_file(ctx, keyFile.c_str(), SSL_FILETYPE_PEM) != 1)
            throw std::runtime_error("cannot load the test certificate");
        m_ctx = ctx;
        m_tls = true;
    }
    m_listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(m_listen, 16) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    socklen_t len = sizeof addr;
    getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_acceptThread = std::thread([this] { acceptLoop(); });
}

TestWebServer::~TestWebServer() {
    stop();
    if (m_ctx) SSL_CTX_free(static_cast<SSL_CTX*>(m_ctx));
}

void TestWebServer::stop() {
    if (m_stop.exchange(true)) return;
    m_cv.notify_all();
    if (m_acceptThread.joinable()) m_acceptThread.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        workers.swap(m_workers);
    }
    for (auto& worker : workers)
        worker.join();
    close(m_listen);
}

std::string TestWebServer::baseURL() const {
    return std::string(m_tls ? "https" : "http") + "://127.0.0.1:" + std::to_string(m_port) + "/";
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

void TestWebServer::acceptLoop() {
    while (!m_stop) {
        pollfd pfd{m_listen, POLLIN, 0};
        if (poll(&pfd, 1, 50) <= 0) continue;
        const int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_workers.emplace_back([this, fd] { serve(fd); });
    }
}

void TestWebServer::serve(int fd) {
    Connection conn{fd};
    if (m_tls) {
        conn.ssl = SSL_new(static_cast<SSL_CTX*>(m_ctx));
        SSL_set_fd(conn.ssl, fd);
        if (SSL_accept(conn.ssl) != 1) {
            SSL_free(conn.ssl);
            close(fd);
            return;
        }
    }
    std::string data;
    char buf[65536];
    TestRequest request;
    size_t headerEnd = std::string::npos;
    size_t contentLength = 0;
    for (;;) {
        if (!conn.ssl || SSL_pending(conn.ssl) == 0) {
            pollfd pfd{fd, POLLIN, 0};
            if (poll(&pfd, 1, 100) <= 0) {
                if (m_stop) break;
                continue;
            }
        }
        const long n = conn.read(buf, sizeof buf);
        if (n <= 0) break;
        data.append(buf, static_cast<size_t>(n));
        if (headerEnd == std::string::npos) {
            headerEnd = data.find("\r\n\r\n");
            if (headerEnd == std::string::npos) continue;
            std::istringstream head(data.substr(0, headerEnd));
            std::string line;
            std::getline(head, line);
            std::istringstream first(line);
            first >> request.method >> request.target;
            while (std::getline(head, line)) {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                const auto colon = line.find(':');
                if (colon == std::string::npos) continue;
                std::string value = line.substr(colon + 1);
                while (!value.empty() && value.front() == ' ')
                    value.erase(0, 1);
                request.headers[lower(line.substr(0, colon))] = value;
            }
            if (request.headers.count("content-length")) contentLength = std::stoul(request.headers["content-length"]);
        }
        if (data.size() - (headerEnd + 4) >= contentLength) break;
    }
    if (headerEnd != std::string::npos) {
        request.body = data.substr(headerEnd + 4, contentLength);
        Handler handler;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.push_back(request);
            handler = m_handler;
        }
        m_cv.notify_all();
        const TestResponse response = handler(request);
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(response.stallMs);
        while (!m_stop && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (!m_stop) {
            std::string reply = "HTTP/1.1 " + std::to_string(response.status) + " " + reason(response.status) +
                                "\r\nContent-Type: " + response.contentType +
                                "\r\nContent-Length: " + std::to_string(response.body.size()) +
                                "\r\nConnection: close\r\n";
            if (!response.location.empty()) reply += "Location: " + response.location + "\r\n";
            conn.writeAll(reply + "\r\n");
            const size_t piece = (response.body.size() + response.chunks - 1) / std::max(1, response.chunks);
            for (size_t at = 0; at < response.body.size() && !m_stop; at += piece) {
                if (at > 0) std::this_thread::sleep_for(std::chrono::milliseconds(response.chunkDelayMs));
                if (!conn.writeAll(response.body.substr(at, piece))) break;
            }
        }
    }
    if (conn.ssl) {
        SSL_shutdown(conn.ssl);
        SSL_free(conn.ssl);
    }
    close(fd);
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
