#include "safefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace safefile {

namespace {

constexpr mode_t kNewFileMode = 0644;
constexpr char kTemporarySuffix[] = ".XXXXXX";

bool fail(std::string* error, const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
    return false;
}

} // namespace

bool ReplaceFile(const std::string& path, const void* data, size_t size, std::string* error, int requestedMode) {
    std::string target = path;
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    struct stat existing {};
    mode_t mode = kNewFileMode;
    if (requestedMode != kKeepMode)
        mode = mode_t(requestedMode) & 07777;
    else if (::stat(target.c_str(), &existing) == 0)
        mode = existing.st_mode & 07777;

    std::string temporary = target + kTemporarySuffix;
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return fail(error, "cannot create a temporary file beside " + target);
    const char* p = static_cast<const char*>(data);
    size_t left = size;
    bool ok = ::fchmod(fd, mode) == 0;
    while (ok && left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            ok = false;
            break;
        }
        p += n;
        left -= size_t(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        const int saved = errno;
        ::unlink(temporary.c_str());
        errno = saved;
        return fail(error, "cannot write " + target);
    }
    return true;
}

} // namespace safefile
