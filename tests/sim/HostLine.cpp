#include "HostLine.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

HostLine::HostLine(const std::string& path) {
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) return;
    termios tio{};
    tcgetattr(m_fd, &tio);
    cfmakeraw(&tio);
    cfsetspeed(&tio, B115200);
    tio.c_cflag |= CLOCAL | CREAD;
    tcsetattr(m_fd, TCSANOW, &tio);
}

HostLine::~HostLine() {
    if (m_fd >= 0) ::close(m_fd);
}

bool HostLine::send(const Bytes& bytes, int stallMs) {
    m_sent = 0;
    while (m_sent < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + m_sent, bytes.size() - m_sent);
        if (n > 0) {
            m_sent += size_t(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{m_fd, POLLOUT, 0};
            if (::poll(&p, 1, stallMs) == 0) {
                errno = EAGAIN;
                return false;
            }
        } else if (n < 0 && errno != EINTR) {
            return false;
        }
    }
    return true;
}

HostLine::Bytes HostLine::receive(size_t want, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    Bytes got;
    m_lastError = 0;
    while (got.size() < want) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) break;
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, int(left)) <= 0) continue;
        uint8_t buf[4096];
        const ssize_t n = ::read(m_fd, buf, std::min(sizeof buf, want - got.size()));
        if (n > 0) {
            got.insert(got.end(), buf, buf + n);
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            m_lastError = n == 0 ? -1 : errno;
            break;
        }
    }
    return got;
}

HostLine::Bytes HostLine::transact(const Bytes& frame, size_t want, int timeoutMs) {
    if (!send(frame)) return {};
    return receive(want, timeoutMs);
}
