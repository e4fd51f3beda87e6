#include "picturefile.h"

#include <QFile>
#include <QImageReader>

#include <sys/stat.h>

namespace picturefile {

namespace {
constexpr int64_t kNsPerSecond = 1'000'000'000;

bool lookAt(const QString& path, struct stat& st) {
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

Stamp stampFrom(const QString& path, const struct stat& st) {
    Stamp s;
    s.path = path;
    s.device = uint64_t(st.st_dev);
    s.inode = uint64_t(st.st_ino);
    s.size = int64_t(st.st_size);
    s.modifiedNs = int64_t(st.st_mtim.tv_sec) * kNsPerSecond + st.st_mtim.tv_nsec;
    return s;
}
} // namespace

bool Stamp::operator==(const Stamp& other) const {
    return path == other.path && device == other.device && inode == other.inode && size == other.size &&
           modifiedNs == other.modifiedNs;
}

Stamp stampOf(const QString& path) {
    struct stat st {};
    if (!lookAt(path, st)) {
        Stamp missing;
        missing.path = path;
        return missing;
    }
    return stampFrom(path, st);
}

Check inspect(const QString& path) {
    Check check;
    struct stat st {};
    if (!lookAt(path, st)) {
        check.stamp.path = path;
        return check;
    }
    check.stamp = stampFrom(path, st);
    if (!S_ISREG(st.st_mode)) {
        check.verdict = Verdict::NotRegular;
        return check;
    }
    // The reader reads no more than the header for the size; the pixels stay undecoded.
    check.size = QImageReader(path).size();
    if (!check.size.isValid() || check.size.isEmpty()) {
        check.verdict = Verdict::Unreadable;
        return check;
    }
    check.verdict =
        int64_t(check.size.width()) * check.size.height() > kMaxPicturePixels ? Verdict::TooLarge : Verdict::Ok;
    return check;
}

} // namespace picturefile
