// What the picture tool takes as a picture file, told without decoding it: a regular file (a FIFO or a device
// would block the reader) whose size, read from its header, stays within kMaxPicturePixels. Also the stamp that
// tells whether a file was written since it was last read. Any thread; nothing is kept between calls.
#pragma once

#include <QSize>
#include <QString>

#include <cstdint>

namespace picturefile {

// A decoded picture takes 4 bytes a pixel in the view and 3 in the converter, all on the interface thread: this
// bounds one decode at about 480 MB and still takes a 108-megapixel phone photograph.
constexpr int64_t kMaxPicturePixels = 120'000'000;

// A file's identity and its last write, as far as its metadata tells.
struct Stamp {
    QString path;
    uint64_t device = 0, inode = 0;
    int64_t size = -1;
    int64_t modifiedNs = 0;
    bool operator==(const Stamp& other) const;
    bool operator!=(const Stamp& other) const { return !(*this == other); }
};

enum class Verdict {
    Ok,
    Missing,    // it cannot be looked at (no such file, no permission)
    NotRegular, // a folder, a FIFO, a device
    Unreadable, // its header gives no size: not a picture, or one of a format the tool cannot read
    TooLarge,   // more than kMaxPicturePixels
};

struct Check {
    Verdict verdict = Verdict::Missing;
    QSize size;  // from the header; valid when it could be read
    Stamp stamp; // size -1 when the file could not be looked at
};

// Looks at the file's metadata only; stamp.size -1 when it cannot be looked at.
Stamp stampOf(const QString& path);
// Looks at the metadata, then, for a regular file, reads the picture's header.
Check inspect(const QString& path);

} // namespace picturefile
