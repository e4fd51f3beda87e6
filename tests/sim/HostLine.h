// The host's end of the simulated tool's line, with plain POSIX calls: what an updater does, and nothing more.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class HostLine {
public:
    using Bytes = std::vector<uint8_t>;
    explicit HostLine(const std::string& path);
    ~HostLine();
    HostLine(const HostLine&) = delete;
    HostLine& operator=(const HostLine&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // Writes all bytes; false with errno set when a write fails, or EAGAIN when the line took nothing for
    // stallMs. sentBytes() tells how many went.
    bool send(const Bytes& bytes, int stallMs = 5000);
    size_t sentBytes() const { return m_sent; }
    // Reads until `want` bytes came, the time ran out, or the line failed (then lastError() is set).
    Bytes receive(size_t want, int timeoutMs);
    // Sends a frame and reads the reply (4 bytes of a reply frame unless told otherwise).
    Bytes transact(const Bytes& frame, size_t want = 4, int timeoutMs = 1000);
    // errno of the last failed read, or -1 for an end of file; 0 when none failed.
    int lastError() const { return m_lastError; }

private:
    int m_fd = -1;
    int m_lastError = 0;
    size_t m_sent = 0;
};
