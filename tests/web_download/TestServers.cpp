#include "TestServers.h"

#include "ChildProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

sockaddr_in loopback(int port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(uint16_t(port));
    return addr;
}

bool sendAll(int fd, const void* data, size_t length) {
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
        const ssize_t n = ::send(fd, p, length, MSG_NOSIGNAL);
        if (n <= 0) return false;
        p += n;
        length -= size_t(n);
    }
    return true;
}

std::string header(const std::string& request, const std::string& name) {
    std::string lower = request;
    for (char& c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    std::string key = "\r\n" + name + ":";
    for (char& c : key)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    const size_t at = lower.find(key);
    if (at == std::string::npos) return {};
    size_t b = at + key.size();
    while (b < request.size() && request[b] == ' ')
        ++b;
    const size_t e = request.find("\r\n", b);
    return request.substr(b, e - b);
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

NginxServer::NginxServer(const std::string& root, const std::string& serverExtra) {
    char tmpl[] = "/tmp/korvo-nginx-XXXXXX";
    if (!::mkdtemp(tmpl)) return;
    m_dir = tmpl;
    // A port taken between our look and nginx's bind: try another.
    for (int attempt = 0; attempt < 5 && m_port == 0; ++attempt) {
        const int port = freeLoopbackPort();
        std::ofstream conf(m_dir + "/nginx.conf", std::ios::trunc);
        conf << "daemon off;\nmaster_process off;\nworker_processes 1;\npid " << m_dir << "/nginx.pid;\n"
             << "error_log " << m_dir << "/error.log;\nevents { worker_connections 256; }\n"
             << "http {\n access_log off;\n default_type application/octet-stream;\n sendfile on;\n"
             << " client_body_temp_path " << m_dir << "/body;\n proxy_temp_path " << m_dir << "/proxy;\n"
             << " fastcgi_temp_path " << m_dir << "/fastcgi;\n uwsgi_temp_path " << m_dir << "/uwsgi;\n"
             << " scgi_temp_path " << m_dir << "/scgi;\n"
             << " server {\n  listen 127.0.0.1:" << port << ";\n  root " << root << ";\n  " << serverExtra
             << "\n }\n}\n";
        conf.close();
        auto process = std::make_unique<ChildProcess>();
        if (!process->start({"/usr/sbin/nginx", "-p", m_dir, "-e", m_dir + "/error.log", "-c", m_dir + "/nginx.conf"}))
            break;
        if (waitForPort(port, 3000)) {
            m_process = std::move(process);
            m_port = port;
        }
    }
}

NginxServer::~NginxServer() {
    m_process.reset(); // kills and reaps nginx
    if (!m_dir.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
}

std::string NginxServer::url(const std::string& name) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + "/" + name;
}

ScriptedServer::ScriptedServer(std::vector<uint8_t> content) : m_content(std::move(content)) {
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr = loopback(0);
    socklen_t len = sizeof addr;
    ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(m_listen, 16);
    ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    if (::pipe2(m_stopPipe, O_CLOEXEC) != 0) std::abort();
    m_thread = std::thread([this] { acceptLoop(); });
}

ScriptedServer::~ScriptedServer() {
    const char stop = 1;
    (void)!::write(m_stopPipe[1], &stop, 1);
    m_thread.join();
    for (auto& worker : m_workers)
        worker.join();
    ::close(m_listen);
    ::close(m_stopPipe[0]);
    ::close(m_stopPipe[1]);
}

std::string ScriptedServer::url(const std::string& name) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + "/" + name;
}

void ScriptedServer::setMode(Mode mode, int status) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_mode = mode;
    m_status = status;
}

void ScriptedServer::setContent(std::vector<uint8_t> content, const std::string& etag) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_content = std::move(content);
    m_etag = etag;
}

void ScriptedServer::cutNext(int count, size_t bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_cutCount = count;
    m_cutBytes = bytes;
}

std::string ScriptedServer::lastRange() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastRange;
}

std::string ScriptedServer::lastIfRange() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastIfRange;
}

void ScriptedServer::acceptLoop() {
    for (;;) {
        pollfd fds[2] = {{m_listen, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents) return;
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) m_workers.emplace_back([this, fd] { serve(fd); });
    }
}

void ScriptedServer::serve(int fd) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
        if (::poll(fds, 2, 5000) <= 0 || fds[1].revents) {
            ::close(fd);
            return;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            ::close(fd);
            return;
        }
        request.append(buffer, size_t(n));
    }
    ++m_requests;
    const std::string range = header(request, "Range");
    const std::string ifRange = header(request, "If-Range");
    std::vector<uint8_t> content;
    std::string etag;
    Mode mode;
    int status;
    size_t cut = SIZE_MAX;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lastRange = range;
        m_lastIfRange = ifRange;
        content = m_content;
        etag = m_etag;
        mode = m_mode;
        status = m_status;
        if (m_cutCount > 0) {
            --m_cutCount;
            cut = m_cutBytes;
        }
    }
    std::string head;
    size_t from = 0;
    if (mode == Mode::Status) {
        const std::string page = "<html>status " + std::to_string(status) + "</html>";
        head = "HTTP/1.1 " + std::to_string(status) + " Scripted\r\nContent-Length: " + std::to_string(page.size()) +
               "\r\nConnection: close\r\n\r\n" + page;
        sendAll(fd, head.data(), head.size());
        ::close(fd);
        return;
    }
    unsigned long long asked = 0;
    const bool wantsRange = std::sscanf(range.c_str(), "bytes=%llu-", &asked) == 1;
    const bool rangeOk = wantsRange && (ifRange.empty() || ifRange == etag) && mode != Mode::IgnoreRange;
    if (rangeOk && asked >= content.size()) {
        head = "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */" + std::to_string(content.size()) +
               "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        sendAll(fd, head.data(), head.size());
        ::close(fd);
        return;
    }
    if (rangeOk) {
        from = size_t(asked);
        const size_t shown = mode == Mode::WrongRangeStart ? from + 1 : from;
        head = "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + std::to_string(shown) + "-" +
               std::to_string(content.size() - 1) + "/" + std::to_string(content.size()) + "\r\n";
    } else {
        head = "HTTP/1.1 200 OK\r\n";
    }
    head += "ETag: " + etag + "\r\nAccept-Ranges: bytes\r\nContent-Length: " + std::to_string(content.size() - from) +
            "\r\nConnection: close\r\n\r\n";
    if (!sendAll(fd, head.data(), head.size())) {
        ::close(fd);
        return;
    }
    size_t length = content.size() - from;
    if (mode == Mode::Stall) length = std::min(length, m_stallAfter.load());
    length = std::min(length, cut);
    sendAll(fd, content.data() + from, length);
    if (mode == Mode::Stall) {
        // Holds the connection open, silent, until the client gives up or the server stops.
        pollfd fds[2] = {{fd, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
        ::poll(fds, 2, 30000);
    }
    ::close(fd);
}
