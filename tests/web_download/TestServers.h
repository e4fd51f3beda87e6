// HTTP servers on 127.0.0.1 for the download tests and the benchmark: a real nginx started with a config in a
// temporary folder (Range, ETag and If-Range as a real server does them) and a small scripted server for the
// faults nginx does not show (a cut, a range ignored or misplaced, a changed ETag, error statuses, a stall), served
// by LoopbackServer.
#pragma once

#include "LoopbackServer.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class ChildProcess;

class NginxServer {
public:
    // Serves the files of root; ok() tells whether it came up. serverExtra goes into its server block
    // (e.g. "limit_rate 1m;").
    explicit NginxServer(const std::string& root, const std::string& serverExtra = {});
    ~NginxServer();
    bool ok() const { return m_port > 0; }
    int port() const { return m_port; }
    std::string url(const std::string& name) const;

private:
    std::string m_dir;
    std::unique_ptr<ChildProcess> m_process;
    int m_port = 0;
};

class ScriptedServer {
public:
    enum class Mode {
        Normal,          // Range honoured when If-Range matches the ETag
        IgnoreRange,     // always the whole file with 200
        WrongRangeStart, // 206 whose Content-Range and body begin one byte after the asked offset
        Status,          // answers status() with a short page
        Stall,           // headers and stallAfter bytes, then nothing until the client goes
        StallAtOffset, // like Stall, but the body stops at the file's offset stallAfter: a resume from there gets none
        NoLength,      // no Content-Length: the body ends when the connection closes
    };
    explicit ScriptedServer(std::vector<uint8_t> content);
    ~ScriptedServer();
    int port() const { return m_server->port(); }
    std::string url(const std::string& name = "file.bin") const;

    void setMode(Mode mode, int status = 200);
    void setContent(std::vector<uint8_t> content, const std::string& etag);
    // The next `count` answers send their full Content-Length but only `bytes` of the body, then close.
    void cutNext(int count, size_t bytes);
    void setStallAfter(size_t bytes) { m_stallAfter = bytes; }
    int requests() const { return m_requests; }
    std::string lastRange() const;
    std::string lastIfRange() const;

private:
    void serve(LoopbackConnection& connection);
    mutable std::mutex m_mutex;
    std::vector<uint8_t> m_content;
    std::string m_etag = "\"v1\"";
    Mode m_mode = Mode::Normal;
    int m_status = 200;
    int m_cutCount = 0;
    size_t m_cutBytes = 0;
    std::atomic<size_t> m_stallAfter{0};
    std::atomic<int> m_requests{0};
    std::string m_lastRange, m_lastIfRange;
    std::unique_ptr<LoopbackServer> m_server; // last: its threads use the members above
};
