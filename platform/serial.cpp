#include "serial.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace serial {

namespace {
constexpr speed_t kLineSpeed = B115200;
// Tenths of a second a blocking read would wait; kept for fidelity, reads here are non-blocking.
constexpr cc_t kReadTimeoutDeciseconds = 10;

Wait waitFor(int fd, short events, int timeoutMs, int wakeFd) {
    pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
    const nfds_t count = wakeFd >= 0 ? 2 : 1;
    for (;;) {
        const int r = ::poll(fds, count, timeoutMs < 0 ? -1 : timeoutMs);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return Wait::Error;
        if (r == 0) return Wait::Timeout;
        if (count == 2 && (fds[1].revents & POLLIN)) return Wait::Woken;
        if (fds[0].revents & POLLNVAL) return Wait::Error;
        // A hang-up or error is reported as ready: the following read or write tells what happened.
        return Wait::Ready;
    }
}
} // namespace

std::string deviceDir() {
    const char* env = std::getenv(kDeviceDirEnv);
    return env && *env ? env : kDefaultDeviceDir;
}

std::vector<std::string> listUsbSerialDevices() {
    std::vector<std::string> paths;
    const std::string dir = deviceDir();
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name.find("usb") != std::string::npos) paths.push_back(dir + "/" + name);
        }
        closedir(d);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

int openDevice(const std::string& path) {
    if (path.empty()) {
        errno = ENOENT;
        return -1;
    }
    return ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

bool configureDevice(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return false;
    cfsetspeed(&t, kLineSpeed);
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = kReadTimeoutDeciseconds;
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

void discardInput(int fd) {
    tcflush(fd, TCIFLUSH);
}

Wait waitReadable(int fd, int timeoutMs, int wakeFd) {
    return waitFor(fd, POLLIN, timeoutMs, wakeFd);
}
Wait waitWritable(int fd, int timeoutMs, int wakeFd) {
    return waitFor(fd, POLLOUT, timeoutMs, wakeFd);
}

bool isDeviceGone(int err) {
    return err == EIO || err == ENXIO || err == EBADF || err == ENODEV;
}

std::string openFailureHint(int err) {
    switch (err) {
    case EACCES:
    case EPERM:
        return "permission denied: install the udev rule for the scan tool or add yourself to the dialout group";
    case EBUSY:
        return "the port is in use by another program (ModemManager may have claimed it)";
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return "the device is gone: plug the scan tool in again";
    default:
        return std::strerror(err);
    }
}

} // namespace serial
