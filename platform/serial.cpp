#include "serial.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
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

namespace {
// The folder relative to the current one; as given when it is absolute or the current folder is unknown.
std::string absoluteFolder(const std::string& folder) {
    if (folder.empty() || folder.front() == '/') return folder;
    char cwd[PATH_MAX];
    if (!::getcwd(cwd, sizeof cwd)) return folder;
    return std::string(cwd) + "/" + folder;
}

// Runs before main, while the program is still in the folder it was started in and has no other threads.
const bool pinnedDeviceDir = [] {
    const char* env = std::getenv(kDeviceDirEnv);
    if (!env || !*env || *env == '/') return false;
    return ::setenv(kDeviceDirEnv, absoluteFolder(env).c_str(), 1) == 0;
}();
} // namespace

std::string deviceDir() {
    const char* env = std::getenv(kDeviceDirEnv);
    return env && *env ? absoluteFolder(env) : kDefaultDeviceDir;
}

bool deviceDirIsSet() {
    const char* env = std::getenv(kDeviceDirEnv);
    return env && *env;
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

namespace {
int openLine(const std::string& path) {
    if (path.empty()) {
        errno = ENOENT;
        return -1;
    }
    return ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

bool sameFile(int a, int b) {
    struct stat sa {
    }, sb{};
    return fstat(a, &sa) == 0 && fstat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// The lock every program of ours takes: flock conflicts between any two open file descriptions of the tty,
// in one process or in two.
bool lockLine(int fd) {
    for (;;) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno == EINTR) continue;
        if (errno == EWOULDBLOCK) errno = EBUSY;
        return false;
    }
}

void closeKeepingErrno(int fd) {
    const int e = errno;
    ::close(fd);
    errno = e;
}
} // namespace

int openDevice(const std::string& path, int leaseFd) {
    const int fd = openLine(path);
    if (fd < 0) return -1;
    if (!(leaseFd >= 0 && sameFile(fd, leaseFd)) && !lockLine(fd)) {
        closeKeepingErrno(fd);
        return -1;
    }
    // Not every line is a tty (tests use other files); the lock alone then keeps our programs apart.
    ioctl(fd, TIOCEXCL);
    return fd;
}

void closeDevice(int fd) {
    if (fd < 0) return;
    ioctl(fd, TIOCNXCL);
    ::close(fd);
}

int acquireLease(const std::string& path) {
    const int fd = openLine(path);
    if (fd < 0) return -1;
    if (!lockLine(fd)) {
        closeKeepingErrno(fd);
        return -1;
    }
    return fd;
}

void releaseLease(int leaseFd) {
    if (leaseFd >= 0) ::close(leaseFd);
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
        return "the port is in use by another program: close it (another updater, a terminal, ModemManager) and try "
               "again";
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return "the device is gone: plug the scan tool in again";
    default:
        return std::strerror(err);
    }
}

} // namespace serial
