#include "PtyPeer.h"

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

PtyPeer::PtyPeer(const std::string& dir, const std::string& linkName) : m_link(dir + "/" + linkName) {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) throw std::runtime_error("no pty");
    const std::string slave = ptsname(m_master);
    m_slaveKeep = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios t{};
    tcgetattr(m_slaveKeep, &t);
    cfmakeraw(&t);
    tcsetattr(m_slaveKeep, TCSANOW, &t);
    if (symlink(slave.c_str(), m_link.c_str()) != 0) throw std::runtime_error("no link");
}

PtyPeer::~PtyPeer() {
    vanish();
}

std::vector<uint8_t> PtyPeer::readFrame(int timeoutMs) {
    std::vector<uint8_t> out;
    if (m_master < 0) return out;
    pollfd p{m_master, POLLIN, 0};
    int wait = timeoutMs;
    while (::poll(&p, 1, wait) > 0) {
        uint8_t buf[4096];
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0) break;
        out.insert(out.end(), buf, buf + n);
        wait = 20;
    }
    return out;
}

std::vector<uint8_t> PtyPeer::readNow() {
    std::vector<uint8_t> out;
    uint8_t buf[65536];
    pollfd p{m_master, POLLIN, 0};
    while (m_master >= 0 && ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0) break;
        out.insert(out.end(), buf, buf + n);
    }
    return out;
}

void PtyPeer::send(const std::vector<uint8_t>& bytes) {
    (void)!::write(m_master, bytes.data(), bytes.size());
}

void PtyPeer::vanish() {
    if (!m_link.empty()) ::unlink(m_link.c_str());
    if (m_slaveKeep >= 0) ::close(m_slaveKeep);
    if (m_master >= 0) ::close(m_master);
    m_slaveKeep = m_master = -1;
}
