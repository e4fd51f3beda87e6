#include "SerialPort.h"

#include "WindowMessage.h"
#include "serial.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {
using Clock = std::chrono::steady_clock;

// 115200 baud, 8N1: ten bits on the wire per byte.
constexpr uint32_t kBitsPerSecond = 115200;
constexpr uint32_t kBitsPerByte = 10;

long long msLeft(Clock::time_point deadline) {
    return std::max<long long>(0,
                               std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
}
} // namespace

SerialPort::~SerialPort() {
    Close();
}

uint32_t SerialPort::lineTimeMs(size_t bytes) {
    const uint64_t bits = uint64_t(bytes) * kBitsPerByte * 1000;
    return uint32_t((bits + kBitsPerSecond - 1) / kBitsPerSecond);
}

void SerialPort::notify(const char* format, int error) {
    if (!notifyWindow) return;
    const QString text = QString::asprintf(format, error);
    SendMessage(notifyWindow, kMsgSerialFailure, WPARAM(&text), 0);
}

bool SerialPort::pause(int ms) {
    if (m_wakeFd < 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return true;
    }
    pollfd p{m_wakeFd, POLLIN, 0};
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const int r = ::poll(&p, 1, int(msLeft(deadline)));
        if (r > 0) return false;
        if (r == 0 || errno != EINTR) return true;
    }
}

int SerialPort::Open(const std::string& port, int leaseFd) {
    notifyWindow = nullptr;
    if (isOpen) return 1;
    m_gone = false;
    const int fd = serial::openDevice(port, leaseFd);
    if (fd < 0) {
        m_openErrno = errno;
        return 0;
    }
    termios t{};
    if (!serial::configureDevice(fd) || tcgetattr(fd, &t) != 0) {
        notify("SetCommState failed, error = %d", errno);
        m_openErrno = errno;
        serial::closeDevice(fd);
        return 0;
    }
    t.c_cflag &= ~(CSTOPB | PARENB | CSIZE);
    t.c_cflag |= CS8;
    if (tcsetattr(fd, TCSANOW, &t) != 0) {
        notify("SetCommState failed, error = %d", errno);
        m_openErrno = errno;
        serial::closeDevice(fd);
        return 0;
    }
    handle = fd;
    isOpen = true;
    m_openErrno = 0;
    return 1;
}

int SerialPort::Close() {
    if (handle >= 0) serial::closeDevice(handle);
    handle = -1;
    isOpen = false;
    return 1;
}

void SerialPort::Purge() {
    if (isOpen) serial::discardInput(handle);
}

long SerialPort::Write(const uint8_t* bytes, long count) {
    if (!isOpen || handle < 0 || count < 0) return -1;
    const auto deadline = Clock::now() + std::chrono::milliseconds(lineTimeMs(size_t(count)) + kWriteSlackMs);
    long written = 0;
    while (written < count) {
        const ssize_t w = ::write(handle, bytes + written, size_t(count - written));
        if (w > 0) {
            written += w;
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        if (w < 0 && errno != EAGAIN) {
            m_gone = serial::isDeviceGone(errno);
            notify("WriteFile failed, error = %d", errno);
            return -1;
        }
        const long long left = msLeft(deadline);
        if (left <= 0 || serial::waitWritable(handle, int(left), m_wakeFd) != serial::Wait::Ready) {
            notify("WriteFile failed, error = %d", ETIMEDOUT);
            return -1;
        }
    }
    return written;
}

long SerialPort::Read(uint8_t* buffer, size_t capacity) {
    if (!isOpen || handle < 0) return -1;
    const size_t n = std::min(capacity, kReplyBufferSize);
    if (n == 0) return 0;
    for (;;) {
        const ssize_t r = ::read(handle, buffer, n);
        if (r >= 0) {
            // A tty that reads 0 after poll() said readable has been hung up.
            return r;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN) return 0;
        m_gone = serial::isDeviceGone(errno);
        notify("ReadFile failed, error = %d", errno);
        return -1;
    }
}

long SerialPort::Query(const uint8_t* frame, long frameLength, uint32_t timeoutMs, uint8_t* reply, size_t replySize) {
    const bool probe = frameLength >= 3 && frame[2] == 0xC9;
    const size_t capacity = std::min(replySize, kReplyBufferSize);
    long last = 0;
    for (int attempt = 0; attempt < kQueryAttempts; ++attempt) {
        std::memset(reply, 0, capacity);
        if (!isOpen) return -1;
        Purge();
        // Part of a frame is no frame: the tool waits for the rest, and the next attempt starts it again.
        if (Write(frame, frameLength) != frameLength) {
            if (m_gone || !pause(kFailedWritePauseMs)) return -1;
            last = -1;
            continue;
        }
        // The reply clock starts once the frame is on the wire, not when write() returned.
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs + lineTimeMs(size_t(frameLength)));
        size_t got = 0;
        last = 0;
        for (;;) {
            long long wait = msLeft(deadline);
            // Once the code is in, a probe's text is complete when the line goes quiet; a reply to a command is.
            if (got >= 3) wait = probe && got < capacity ? std::min<long long>(wait, kProbeQuietMs) : 0;
            const serial::Wait w = serial::waitReadable(handle, int(wait), m_wakeFd);
            if (w == serial::Wait::Woken) return -1;
            if (w == serial::Wait::Timeout) break;
            const long n = w == serial::Wait::Ready ? Read(reply + got, capacity - got) : -1;
            // Readable yet nothing to read: the line was hung up.
            if (n == 0) m_gone = true;
            if (n <= 0) {
                // A tool may restart as soon as it has answered: a reply in hand is judged as it came.
                if (got >= 3) break;
                return -1;
            }
            got += size_t(n);
            if (got >= capacity) break;
        }
        if (got > 0) {
            if (got >= 3 && (reply[2] & 0xF0) == 0xE0) return -1;
            pause(kReplyPauseMs);
            return long(got);
        }
    }
    return last;
}
