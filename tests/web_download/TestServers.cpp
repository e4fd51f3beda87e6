#include "TestServers.h"

#include "ChildProcess.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

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
    m_server = std::make_unique<LoopbackServer>([this](LoopbackConnection& c) { serve(c); });
}

ScriptedServer::~ScriptedServer() {
    m_server->stop();
}

std::string ScriptedServer::url(const std::string& name) const {
    return "http://127.0.0.1:" + std::to_string(port()) + "/" + name;
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

void ScriptedServer::serve(LoopbackConnection& connection) {
    // A client that sends no whole head within this time is dropped.
    constexpr int kHeadWaitMs = 5000;
    HttpRequest request;
    if (!readHttpRequest(connection, request, kHeadWaitMs)) return;
    ++m_requests;
    const std::string range = request.header("range");
    const std::string ifRange = request.header("if-range");
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
        connection.writeAll(head);
        return;
    }
    unsigned long long asked = 0;
    const bool wantsRange = std::sscanf(range.c_str(), "bytes=%llu-", &asked) == 1;
    const bool rangeOk = wantsRange && (ifRange.empty() || ifRange == etag) && mode != Mode::IgnoreRange;
    if (rangeOk && asked >= content.size()) {
        head = "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */" + std::to_string(content.size()) +
               "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        connection.writeAll(head);
        return;
    }
    if (rangeOk) {
        // The misplaced range is what it says: its body begins one byte after the asked offset.
        from = mode == Mode::WrongRangeStart ? size_t(asked) + 1 : size_t(asked);
        head = "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + std::to_string(from) + "-" +
               std::to_string(content.size() - 1) + "/" + std::to_string(content.size()) + "\r\n";
    } else {
        head = "HTTP/1.1 200 OK\r\n";
    }
    head += "ETag: " + etag + "\r\nAccept-Ranges: bytes\r\n";
    if (mode != Mode::NoLength) head += "Content-Length: " + std::to_string(content.size() - from) + "\r\n";
    head += "Connection: close\r\n\r\n";
    if (!connection.writeAll(head)) return;
    size_t length = content.size() - from;
    if (mode == Mode::Stall) length = std::min(length, m_stallAfter.load());
    const size_t stallAt = m_stallAfter;
    if (mode == Mode::StallAtOffset) length = stallAt > from ? std::min(length, stallAt - from) : 0;
    length = std::min(length, cut);
    connection.writeAll(content.data() + from, length);
    // Holds the connection open, silent, until the client gives up or the server stops.
    if (mode == Mode::Stall || mode == Mode::StallAtOffset) connection.holdOpen(30000);
}
