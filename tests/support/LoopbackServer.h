// The socket side of the tests' own HTTP servers: a listener on 127.0.0.1 at a free port that serves every
// connection on a thread of its own with the function it was given, over TLS (OpenSSL) when it has a certificate.
// stop() (or the destructor) wakes every wait of the connections and joins their threads; a serve function must
// therefore wait only through its connection. The HTTP a server speaks is its own; readHttpRequest reads a request.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct ssl_st;

// A port that was free a moment ago.
int freeLoopbackPort();
// Waits until something accepts on 127.0.0.1:port.
bool waitForPort(int port, int timeoutMs);

class LoopbackConnection {
public:
    LoopbackConnection(int fd, ssl_st* ssl, int stopFd) : m_fd(fd), m_ssl(ssl), m_stopFd(stopFd) {}
    // Bytes read (> 0), 0 when the peer closed, -1 on an error, after timeoutMs (-1: none) or when the server
    // stops.
    long read(char* buffer, size_t size, int timeoutMs);
    bool writeAll(const void* data, size_t size);
    bool writeAll(const std::string& data) { return writeAll(data.data(), data.size()); }
    // Waits ms; false when the server stopped meanwhile.
    bool pause(int ms);
    // Holds the connection open, silent, until the peer sends or goes, the server stops, or timeoutMs passes.
    void holdOpen(int timeoutMs);

private:
    int m_fd;
    ssl_st* m_ssl;
    int m_stopFd;
};

struct HttpRequest {
    std::string method;
    std::string target;                         // path and query as sent
    std::map<std::string, std::string> headers; // names in lower case
    std::string body;

    std::string header(const std::string& lowerCaseName) const;
};

// Reads one request, with a body of its Content-Length. idleMs bounds each wait for more bytes (-1: none). False
// when the peer went, the wait ran out or the server stopped before a whole head came.
bool readHttpRequest(LoopbackConnection& connection, HttpRequest& request, int idleMs = -1);

class LoopbackServer {
public:
    using Serve = std::function<void(LoopbackConnection&)>;

    // certFile and keyFile empty: plain TCP. Throws std::runtime_error when it cannot listen or load them.
    explicit LoopbackServer(Serve serve, const std::string& certFile = {}, const std::string& keyFile = {});
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int port() const { return m_port; }
    bool isTLS() const { return m_ctx != nullptr; }
    void stop();

private:
    void acceptLoop();
    void run(int fd);

    Serve m_serve;
    void* m_ctx = nullptr;
    int m_listen = -1;
    int m_stopPipe[2] = {-1, -1};
    int m_port = 0;
    bool m_stopped = false;
    std::thread m_acceptThread;
    std::mutex m_mutex;
    std::vector<std::thread> m_workers;
};
