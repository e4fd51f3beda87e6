#include "DevicePort.h"

#include "BackgroundReader.h"
#include "IOKitTool.h"
#include "Log.h"
#include "NotificationCenter.h"
#include "frames.h"
#include "serial.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

const char* const kDidGetReceiveData = "didGetReceiveData";
const char* const kDidGetPrintData = "didGetPrintData";
const char* const kReceiveDataKey = "ReceiveData";
const char* const kSerialPortNotOpen = "Serial port is not open";

namespace {
// Frames are written in chunks of at most this many bytes.
constexpr long long kWriteChunk = 4096;
// Once the first reply bytes are in, how long to wait for the rest of a reply that arrives in pieces.
constexpr int kReplyGatherMs = 50;
// A read of report text takes all that is waiting: the line brings 11.5 KB a second, and the kernel holds tens of
// kilobytes for a reader that comes late. A bound all the same, should a line deliver without end.
constexpr size_t kReportReadLimit = 1024 * 1024;

using Clock = std::chrono::steady_clock;

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}
} // namespace

DevicePort& DevicePort::sharedManager() {
    // Never destroyed: worker threads may still use it while the program exits.
    static DevicePort* instance = new DevicePort;
    return *instance;
}

DevicePort::DevicePort() {
    if (pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) m_wake[0] = m_wake[1] = -1;
}

DevicePort::~DevicePort() {
    closeSerialPort();
    if (m_wake[0] >= 0) ::close(m_wake[0]);
    if (m_wake[1] >= 0) ::close(m_wake[1]);
}

QString DevicePort::devicePath() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_devicePath;
}

QStringList DevicePort::portDevices() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_portDevices;
}

QString DevicePort::postName() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_postName;
}

void DevicePort::setPostName(const QString& name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_postName = name;
}

QString DevicePort::curName() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_curName;
}

void DevicePort::setCurName(const QString& name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_curName = name;
}

const BackgroundReader* DevicePort::fileHandle() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_fileHandle.get();
}

void DevicePort::openSerialPort() {
    const QStringList devices = IOKitTool::availableSerialDevices();
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_fd.load() != -1) { // callers close first; never leak a descriptor if one forgot
        m_fileHandle.reset();
        ++m_readerGeneration;
        IOKitTool::closeSerialDevice(m_fd.exchange(-1));
    }
    m_portDevices = devices;
    m_devicePath = IOKitTool::scanToolDevice(devices);
    m_openError.store(0);
    if (m_devicePath.isEmpty()) return;
    const int fd = IOKitTool::openSerialDevice(m_devicePath);
    if (fd < 0) {
        const int err = errno;
        m_openError.store(err);
        syslogline::write("Cannot open " + m_devicePath.toStdString() + ": " + serial::openFailureHint(err));
        return;
    }
    IOKitTool::configureSerialDevice(fd);
    m_fd.store(fd);
    m_fileHandle = std::make_unique<BackgroundReader>(fd);
}

void DevicePort::retryOpenSerialPort() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_fd.load() != -1) return;
    const QString path = IOKitTool::scanToolDevice(m_portDevices);
    if (path.isEmpty()) return;
    m_devicePath = path;
    const int fd = IOKitTool::openSerialDevice(m_devicePath);
    if (fd < 0) return;
    IOKitTool::configureSerialDevice(fd);
    m_fd.store(fd);
}

void DevicePort::closeSerialPort() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fileHandle.reset(); // waits until no read is pending, so the descriptor is no longer watched
    ++m_readerGeneration; // and what it read is not handed on once the port has closed
    const int fd = m_fd.exchange(-1);
    if (fd != -1) IOKitTool::closeSerialDevice(fd);
}

int DevicePort::sendData(const QByteArray& data) {
    const int fd = m_fd.load();
    if (fd == -1) {
        syslogline::write(kSerialPortNotOpen);
        return -1;
    }
    IOKitTool::writeData(data, fd);
    return 1;
}

void DevicePort::readData(const QString& notificationName) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_postName = notificationName;
    if (m_fd.load() == -1) {
        syslogline::write(kSerialPortNotOpen);
        return;
    }
    if (!m_fileHandle || m_exclusive) return;
    const unsigned generation = m_readerGeneration;
    const size_t limit = notificationName == kDidGetPrintData ? kReportReadLimit : BackgroundReader::kDefaultReadLimit;
    m_fileHandle->readInBackgroundAndNotify(
        [this, generation](const QByteArray& data) { didReceiveData(data, generation); }, limit);
}

void DevicePort::discardWaitingInput() {
    const int fd = m_fd.load();
    if (fd == -1) return;
    if (m_settleNeeded.exchange(false)) {
        const ExchangeTiming t = exchangeTiming();
        const auto start = Clock::now();
        char sink[256];
        for (;;) {
            const long long left = t.settleMaxMs - msSince(start);
            if (left <= 0) break;
            const serial::Wait w = serial::waitReadable(fd, int(std::min<long long>(left, t.settleQuietMs)));
            if (w != serial::Wait::Ready) break; // quiet for long enough, or the port failed
            if (::read(fd, sink, sizeof sink) <= 0 && errno != EAGAIN && errno != EINTR) break;
        }
    }
    serial::discardInput(fd);
}

void DevicePort::didReceiveData(const QByteArray& data, unsigned generation) {
    QString name;
    bool identified;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (generation != m_readerGeneration) return;
        name = m_postName;
        identified = !m_curName.isEmpty();
    }
    if (data.isEmpty() || name.isEmpty()) return;
    // A tool not yet identified that answers the probe with something else is sending a report (one that starts as
    // soon as its port opens): the text goes to the report view, not lost to the identification.
    if (name == kDidGetReceiveData && !identified && !data.startsWith(firmware::kIdentPrefix)) name = kDidGetPrintData;
    NotificationCenter::defaultCenter().post(name, nullptr, {{kReceiveDataKey, data}});
}

void DevicePort::beginExclusive() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_exclusive = true;
    if (m_fileHandle) m_fileHandle->cancel();
}

void DevicePort::endExclusive() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_exclusive = false;
}

void DevicePort::abortExchange() {
    m_aborted.store(true);
    m_settleNeeded.store(true);
    const char b = 1;
    if (m_wake[1] >= 0) (void)!::write(m_wake[1], &b, 1);
}

void DevicePort::clearAbort() {
    m_aborted.store(false);
    char drain[16];
    while (m_wake[0] >= 0 && ::read(m_wake[0], drain, sizeof drain) > 0) {
    }
}

void DevicePort::setExchangeTiming(const ExchangeTiming& timing) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_timing = timing;
}

DevicePort::ExchangeTiming DevicePort::exchangeTiming() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_timing;
}

bool DevicePort::pauseUnlessAborted(int ms) {
    if (m_aborted.load()) return false;
    pollfd p{m_wake[0], POLLIN, 0};
    while (::poll(&p, 1, ms) < 0 && errno == EINTR) {
    }
    return !m_aborted.load();
}

long long DevicePort::mySendData(const uint8_t* data, long long length, unsigned timeOut, uint8_t* recvBuf) {
    return exchange(data, length, timeOut, recvBuf, false);
}

long long DevicePort::shortSendData(const uint8_t* data, long long length, unsigned timeOut, uint8_t* recvBuf) {
    return exchange(data, length, timeOut, recvBuf, true);
}

long long DevicePort::awaitReply(int fd, unsigned timeOut, uint8_t* recvBuf, bool& timedOut) {
    // Waits in poll() for the remaining time on a monotonic clock. Once bytes arrive, a reply cut into pieces
    // is gathered for a short while until it has the three bytes that carry its code.
    timedOut = false;
    const auto start = Clock::now();
    long long got = 0;
    long long limit = timeOut;
    for (;;) {
        const long long remaining = std::max<long long>(0, limit - msSince(start));
        const serial::Wait w = serial::waitReadable(fd, int(remaining), m_wake[0]);
        if (w == serial::Wait::Woken) return -1;
        if (w == serial::Wait::Error) return -1;
        if (w == serial::Wait::Timeout) {
            if (got > 0) return got;
            timedOut = true;
            return -1;
        }
        const ssize_t n = ::read(fd, recvBuf + got, size_t(firmware::kMaxReplyLength - got));
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) return got > 0 ? got : n < 0 ? -1 : 0; // hang-up or the device is gone
        if (got == 0) limit = std::min<long long>(timeOut, msSince(start) + kReplyGatherMs);
        got += n;
        if (got >= 3) {
            // Take what else of the reply is already there, without waiting.
            const ssize_t more = ::read(fd, recvBuf + got, size_t(firmware::kMaxReplyLength - got));
            if (more > 0) got += more;
            return got;
        }
    }
}

long long DevicePort::exchange(const uint8_t* data, long long length, unsigned timeOut, uint8_t* recvBuf,
                               bool oneWrite) {
    const ExchangeTiming t = exchangeTiming();
    long long last = -1;
    bool anyWritten = false;
    for (int attempt = 0; attempt < t.attempts; ++attempt) {
        std::memset(recvBuf, 0, firmware::kReplyBufferSize);
        if (m_aborted.load()) return -1;
        if (length < 1) {
            if (!pauseUnlessAborted(t.emptyFramePauseMs)) return -1;
            continue;
        }
        const int fd = m_fd.load();
        if (fd == -1) return -1;
        // Bytes left from before this attempt (a late reply, report text) are not this frame's reply.
        serial::discardInput(fd);

        const auto start = Clock::now();
        long long written = 0;
        while (written < length) {
            const long long chunk = oneWrite ? length : std::min(length - written, kWriteChunk);
            const ssize_t w = ::write(fd, data + written, size_t(chunk));
            if (w > 0) {
                written += w;
            } else if (w < 0 && serial::isDeviceGone(errno)) {
                return -1; // unplugged: retrying cannot help
            } else if (w < 0 && errno == EAGAIN) {
                if (serial::waitWritable(fd, t.failedWritePauseMs, m_wake[0]) == serial::Wait::Woken) return -1;
            } else if (!pauseUnlessAborted(t.failedWritePauseMs)) {
                return -1;
            }
            // One write per attempt: what it left unsent is not sent, and nothing past the frame is.
            if (oneWrite) break;
            if (written < length && msSince(start) > t.writeLimitMs) {
                // Not sent: the tool takes no more bytes.
                syslogline::write("The scan tool on " + devicePath().toStdString() + " took only " +
                                  std::to_string(written) + " of " + std::to_string(length) +
                                  " bytes of a frame within " + std::to_string(t.writeLimitMs) +
                                  " ms: it has stopped reading. Unplug it and plug it in again.");
                break;
            }
        }
        if (written == 0) {
            if (!pauseUnlessAborted(t.failedWritePauseMs)) return -1;
            continue;
        }
        anyWritten = true;

        bool timedOut = false;
        const long long n = awaitReply(fd, timeOut, recvBuf, timedOut);
        if (m_aborted.load()) return -1;
        if (n > 0) {
            if (firmware::isDeviceError(recvBuf, n)) return -1;
            pauseUnlessAborted(t.replyPauseMs);
            return n;
        }
        if (!timedOut) return n; // the device is gone
        last = -1;
    }
    if (oneWrite && !anyWritten) return 0;
    return last;
}
