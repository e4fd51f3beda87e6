#include "safefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace safefile {

namespace {

constexpr mode_t kNewFileMode = 0644;
constexpr char kTemporarySuffix[] = ".XXXXXX";
// Two damaged files met in one second are told apart by a number; this many is far beyond any real case.
constexpr int kMaxCopiesPerSecond = 100;

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

std::string MoveAsideDamaged(const std::string& path, std::string* error) {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    char stamp[32];
    if (!::gmtime_r(&now, &utc) || std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc) == 0) {
        if (error) *error = "the time of day cannot be read";
        return {};
    }
    const std::string stem = path + ".damaged-" + stamp;
    for (int copy = 1; copy <= kMaxCopiesPerSecond; ++copy) {
        const std::string to = copy == 1 ? stem : stem + "-" + std::to_string(copy);
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return to;
        if (errno != EEXIST) break;
    }
    fail(error, "cannot move " + path + " aside");
    return {};
}

} // namespace safefile
