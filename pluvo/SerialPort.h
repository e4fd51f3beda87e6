// SerialPort: pluvo's serial transport to the scan tool: open (115200 8N1 raw, for exclusive use), read, write and
// the request-and-reply exchange Query. Each user makes, opens and closes its own object; one object is never
// shared between threads. Every wait blocks in poll() for the remaining time and can be cut short by a wake
// descriptor (an eventfd a closing program signals).
#pragma once

#include <QObject>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>

class SerialPort {
public:
    // A reply buffer holds at least this many bytes; one Read takes at most this many.
    static constexpr size_t kReplyBufferSize = 2048;
    // Write and reply attempts of one exchange.
    static constexpr int kQueryAttempts = 3;
    // A failed write costs this pause and one attempt.
    static constexpr int kFailedWritePauseMs = 100;
    // After an accepted reply, before the next frame: the tool is ready again.
    static constexpr int kReplyPauseMs = 1;
    // The identification reply has no length or terminator: it is complete once the line has been quiet this long.
    static constexpr int kProbeQuietMs = 20;
    // A write of n bytes may take its line time plus this much (a slow driver, a busy tool).
    static constexpr int kWriteSlackMs = 1000;

    SerialPort() = default;
    ~SerialPort(); // Close()
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    int handle = -1;
    bool isOpen = false;
    // Receives failure texts as message 0x47B when set; Open clears it.
    QObject* notifyWindow = nullptr;

    // 1 opened (or already open), 0 failed (lastOpenError() tells why). leaseFd: a lease this process holds on
    // the port (serial::acquireLease).
    int Open(const std::string& port, int leaseFd = -1);
    int Close();
    // The whole frame within its line time plus kWriteSlackMs: count, or -1 (never a part of the frame).
    long Write(const uint8_t* bytes, long count);
    // What is queued, at most min(capacity, kReplyBufferSize) bytes; 0 when nothing is, -1 on failure.
    long Read(uint8_t* buffer, size_t capacity = kReplyBufferSize);
    // Up to three attempts of: purge the input, write the frame, wait for a reply for timeoutMs plus the frame's
    // own time on the line. Returns the reply's length, 0 when none came, -1 for a device error reply (third byte
    // E0..EF), a read failure, a gone device or a wake-up. At most replySize bytes are stored.
    long Query(const uint8_t* frame, long frameLength, uint32_t timeoutMs, uint8_t* reply,
               size_t replySize = kReplyBufferSize);
    // Drops bytes received but not yet read.
    void Purge();

    // An eventfd (or pipe end) whose readability ends every wait with failure; -1 for none.
    void setWakeFd(int fd) { m_wakeFd = fd; }
    int lastOpenError() const { return m_openErrno; }

    // Time 115200 baud 8N1 needs for n bytes, rounded up to whole milliseconds.
    static uint32_t lineTimeMs(size_t bytes);

private:
    void notify(const char* format, int error);
    // Sleeps unless woken; false when woken.
    bool pause(int ms);
    bool gone() const { return m_gone; }

    int m_wakeFd = -1;
    int m_openErrno = 0;
    bool m_gone = false;
};
