#include "LoopbackServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <csignal>
#include <sstream>
#include <stdexcept>

namespace {

sockaddr_in loopback(int port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(uint16_t(port));
    return addr;
}

std::string lower(std::string s) {
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Waits for fd to be readable or for the stop pipe; false on a time-out or a stop.
bool waitReadable(int fd, int stopFd, int timeoutMs) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
    for (;;) {
        const int n = ::poll(fds, 2, timeoutMs);
        if (n < 0 && errno == EINTR) continue;
        return n > 0 && !fds[1].revents;
    }
}

} // namespace

int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr = loopback(0);
    socklen_t len = sizeof addr;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    ::close(fd);
    return port;
}

bool waitForPort(int port, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr = loopback(port);
        const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        ::close(fd);
        if (ok) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

long LoopbackConnection::read(char* buffer, size_t size, int timeoutMs) {
    // Bytes TLS has already decrypted wait in OpenSSL, not in the socket.
    if (!(m_ssl && SSL_pending(m_ssl) > 0) && !waitReadable(m_fd, m_stopFd, timeoutMs)) return -1;
    if (m_ssl) return SSL_read(m_ssl, buffer, int(size));
    return ::recv(m_fd, buffer, size, 0);
}

bool LoopbackConnection::writeAll(const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const long n = m_ssl ? SSL_write(m_ssl, p, int(size)) : ::send(m_fd, p, size, MSG_NOSIGNAL);
        if (n <= 0) return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

bool LoopbackConnection::pause(int ms) {
    pollfd stop{m_stopFd, POLLIN, 0};
    return ::poll(&stop, 1, ms) == 0;
}

void LoopbackConnection::holdOpen(int timeoutMs) {
    waitReadable(m_fd, m_stopFd, timeoutMs);
}

std::string HttpRequest::header(const std::string& lowerCaseName) const {
    const auto it = headers.find(lowerCaseName);
    return it == headers.end() ? std::string() : it->second;
}

bool readHttpRequest(LoopbackConnection& connection, HttpRequest& request, int idleMs) {
    std::string data;
    char buffer[65536];
    size_t headerEnd = std::string::npos;
    size_t contentLength = 0;
    for (;;) {
        const long n = connection.read(buffer, sizeof buffer, idleMs);
        if (n <= 0) break;
        data.append(buffer, size_t(n));
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
            const std::string length = request.header("content-length");
            if (!length.empty()) contentLength = std::stoul(length);
        }
        if (data.size() - (headerEnd + 4) >= contentLength) break;
    }
    if (headerEnd == std::string::npos) return false;
    request.body = data.substr(headerEnd + 4, contentLength);
    return true;
}

LoopbackServer::LoopbackServer(Serve serve, const std::string& certFile, const std::string& keyFile)
    : m_serve(std::move(serve)) {
    if (!certFile.empty()) {
        std::signal(SIGPIPE, SIG_IGN); // OpenSSL writes with write(): a client that refused our certificate is gone
        SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
        if (SSL_CTX_use_certificate_chain_file(ctx, certFile.c_str()) != 1 ||
            SSL_CTX_use_PrivateKey_file(ctx, keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
            SSL_CTX_free(ctx);
            throw std::runtime_error("cannot load the test certificate " + certFile);
        }
        m_ctx = ctx;
    }
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr = loopback(0);
    socklen_t len = sizeof addr;
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(m_listen, 16) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len) != 0 || ::pipe2(m_stopPipe, O_CLOEXEC) != 0) {
        ::close(m_listen);
        if (m_ctx) SSL_CTX_free(static_cast<SSL_CTX*>(m_ctx));
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    m_port = ntohs(addr.sin_port);
    m_acceptThread = std::thread([this] { acceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    stop();
    ::close(m_listen);
    ::close(m_stopPipe[0]);
    ::close(m_stopPipe[1]);
    if (m_ctx) SSL_CTX_free(static_cast<SSL_CTX*>(m_ctx));
}

void LoopbackServer::stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopped) return;
        m_stopped = true;
    }
    const char stop = 1;
    (void)!::write(m_stopPipe[1], &stop, 1);
    m_acceptThread.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        workers.swap(m_workers);
    }
    for (auto& worker : workers)
        worker.join();
}

void LoopbackServer::acceptLoop() {
    for (;;) {
        if (!waitReadable(m_listen, m_stopPipe[0], -1)) {
            pollfd stop{m_stopPipe[0], POLLIN, 0};
            if (::poll(&stop, 1, 0) > 0) return;
            continue;
        }
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_workers.emplace_back([this, fd] { run(fd); });
    }
}

void LoopbackServer::run(int fd) {
    SSL* ssl = nullptr;
    if (m_ctx) {
        ssl = SSL_new(static_cast<SSL_CTX*>(m_ctx));
        SSL_set_fd(ssl, fd);
        if (SSL_accept(ssl) != 1) {
            SSL_free(ssl);
            ::close(fd);
            return;
        }
    }
    LoopbackConnection connection(fd, ssl, m_stopPipe[0]);
    m_serve(connection);
    if (ssl) {
        SSL_shutdown(ssl);
        SSL_free(ssl);
    }
    ::close(fd);
}
