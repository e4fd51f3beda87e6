#include "LzmaTool.h"

#include "ChildProcess.h"
#include "KorvoUpdateCommonTool.h"

#include "NotificationCenter.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <functional>

const char* const kDecompressFinishedNotification = "DecompressFinished";
const char* const kCompressFinishedNotification = "CompressFinished";

namespace {

// The compression level of every archive made here: the smallest downloads, time being no concern.
constexpr int kCompressionLevel = 9;
// Staging folders are hidden folders of the destination, so that moving their items into place is a rename on one
// file system; QTemporaryDir fills the six X with letters and digits.
constexpr char kStagingTemplate[] = "/.extract-XXXXXX";
constexpr char kStagingPattern[] = "^\\.extract-[A-Za-z0-9]{6}$";
// A staging folder holds the items in a folder of their own, beside a mark written as the staging folder is made:
// the folder's own device and inode, which no folder of the user's or of an archive has, even one copied from a
// staging folder with its mark.
constexpr char kStagingItems[] = "items";
constexpr char kStagingMark[] = "made-by-extraction";
// 7zz's own diagnosis when a password does not open an archive (its messages are not translated).
constexpr char kWrongPasswordText[] = "Wrong password";

const char* typeSwitch(int fileType) {
    switch (fileType) {
    case LzmaTool::FileType7z:
        return "-t7z";
    case LzmaTool::FileTypeXz:
        return "-txz";
    case LzmaTool::FileTypeTar:
        return "-ttar";
    }
    return nullptr;
}

// 7zz draws its progress as "NN% [count] [+|-] item" pieces separated by backspaces; a piece can be cut between
// two reads, so the tail after the last separator waits for the next one.
class ProgressParser {
public:
    explicit ProgressParser(std::function<void(double, const QString&)> report) : m_report(std::move(report)) {}
    void feed(const char* data, size_t length) {
        for (size_t i = 0; i < length; ++i) {
            const char c = data[i];
            if (c == '\b' || c == '\r' || c == '\n') {
                piece();
                continue;
            }
            m_piece.push_back(c);
        }
    }
    void piece() {
        static const QRegularExpression pattern(
            QStringLiteral("^\\s*(\\d{1,3})%(?:\\s+\\d+)?(?:\\s+[-+=U]\\s+(.*))?$"));
        const QString text = QString::fromUtf8(m_piece.data(), int(m_piece.size())).trimmed();
        m_piece.clear();
        const QRegularExpressionMatch match = pattern.match(text);
        if (!match.hasMatch()) return;
        const double progress = std::min(match.captured(1).toInt(), 100) / 100.0;
        const QString path = match.captured(2).trimmed();
        if (progress == m_last && path == m_lastPath) return;
        m_last = progress;
        m_lastPath = path;
        m_report(progress, path);
    }

private:
    std::function<void(double, const QString&)> m_report;
    std::string m_piece;
    double m_last = -1;
    QString m_lastPath;
};

bool insideRoot(const QString& root, const QString& path) {
    const QString clean = QDir::cleanPath(path);
    return clean == root || clean.startsWith(root + QLatin1Char('/'));
}

// Removes every link under staging that would lead out of destination once moved there: an absolute one (7zz
// writes an archive's absolute link as one into the staging folder, which is about to go), or one whose text
// climbs above the destination from the place the link will have.
void dropEscapingLinks(const QString& staging, const QString& destination) {
    QDirIterator it(staging, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    QStringList drop;
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        if (!info.isSymLink()) continue;
        char buffer[4096];
        const ssize_t n = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer - 1);
        if (n <= 0) {
            drop << path;
            continue;
        }
        const QString linkText = QFile::decodeName(QByteArray(buffer, int(n)));
        const QString folder = QDir(staging).relativeFilePath(info.absolutePath());
        const QString place = folder == QLatin1String(".") ? destination : destination + QLatin1Char('/') + folder;
        if (QDir::isAbsolutePath(linkText) || !insideRoot(destination, place + QLatin1Char('/') + linkText))
            drop << path;
    }
    for (const QString& path : drop)
        QFile::remove(path);
}

bool isRealFolder(const QFileInfo& info) {
    return info.isDir() && !info.isSymLink();
}

// The first folder under to that moving the items of from into it would remove: a real folder where from holds
// something that is not one. Folders in both are merged, so they are looked into.
QString folderInTheWay(const QString& from, const QString& to) {
    const QFileInfoList entries =
        QDir(from).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        if (!isRealFolder(QFileInfo(target))) continue;
        if (!isRealFolder(entry)) return target;
        const QString inner = folderInTheWay(entry.absoluteFilePath(), target);
        if (!inner.isEmpty()) return inner;
    }
    return {};
}

// Moves the items of from into to, merging folders that are in both; a file or link replaces a file or link of the
// same name. A folder of to is never removed (folderInTheWay finds those first).
bool moveInto(const QString& from, const QString& to) {
    bool ok = true;
    const QFileInfoList entries =
        QDir(from).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        const QFileInfo existing(target);
        if (isRealFolder(entry) && isRealFolder(existing)) {
            ok = moveInto(entry.absoluteFilePath(), target) && ok;
            continue;
        }
        if (!isRealFolder(existing) && (existing.exists() || existing.isSymLink())) QFile::remove(target);
        if (std::rename(QFile::encodeName(entry.absoluteFilePath()).constData(),
                        QFile::encodeName(target).constData()) != 0)
            ok = false;
    }
    return ok;
}

// A descriptor of folder itself (never of what a link there leads to) to hold a lock on; -1 when it cannot be opened.
int openFolder(const QString& folder) {
    return ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// The mark of the folder open as fd.
std::string stagingMark(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return {};
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + "\n";
}

// Whether the folder open as fd is a staging folder made by an extraction: its mark is there and is its own.
bool isMarkedStaging(int fd) {
    const std::string expected = stagingMark(fd);
    const int mark = ::openat(fd, kStagingMark, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (mark < 0) return false;
    char buffer[64];
    const ssize_t n = ::read(mark, buffer, sizeof buffer);
    ::close(mark);
    return n > 0 && std::string(buffer, size_t(n)) == expected;
}

// Removes the staging folders that extractions killed before their end left in destination. A running extraction
// holds a lock on its own, which therefore stays; a folder of that name without its mark is not one, and stays too.
void removeStaleStaging(const QString& destination) {
    static const QRegularExpression pattern(QString::fromLatin1(kStagingPattern));
    const QStringList names =
        QDir(destination).entryList(QDir::Dirs | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (!pattern.match(name).hasMatch()) continue;
        const QString path = destination + QLatin1Char('/') + name;
        const int fd = openFolder(path);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && isMarkedStaging(fd)) QDir(path).removeRecursively();
        ::close(fd);
    }
}

// A running extraction's hold on its staging folder: a lock, so that no other extraction takes it for stale, and
// the mark that tells it from any other folder.
class StagingLock {
public:
    explicit StagingLock(const QString& folder) : m_folder(folder), m_fd(openFolder(folder)) {
        if (m_fd >= 0) ::flock(m_fd, LOCK_EX | LOCK_NB);
    }
    ~StagingLock() {
        if (m_fd >= 0) ::close(m_fd);
    }
    StagingLock(const StagingLock&) = delete;
    StagingLock& operator=(const StagingLock&) = delete;
    // Writes the mark. Without it (or with part of it) the folder is merely never taken for stale.
    void mark() const {
        QFile file(m_folder + QLatin1Char('/') + QLatin1String(kStagingMark));
        if (m_fd >= 0 && file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            file.write(QByteArray::fromStdString(stagingMark(m_fd)));
    }

private:
    QString m_folder;
    int m_fd;
};

// The unpacked size of all items: the sum of the "Size = " lines of a technical listing (7zz l -slt; the archive's
// own block has none). Lines can be cut between two reads, so the tail waits for the next one.
class ListingParser {
public:
    void feed(const char* data, size_t length) {
        for (size_t i = 0; i < length; ++i) {
            if (data[i] != '\n') {
                m_line.push_back(data[i]);
                continue;
            }
            line();
            m_line.clear();
        }
    }
    unsigned long long unpackedBytes() const { return m_bytes; }

private:
    void line() {
        static const std::string size = "Size = ";
        if (m_line.compare(0, size.size(), size) == 0) {
            unsigned long long value = 0;
            const char* first = m_line.data() + size.size();
            const char* last = m_line.data() + m_line.size();
            if (std::from_chars(first, last, value).ec == std::errc())
                m_bytes = value > ~0ULL - m_bytes ? ~0ULL : m_bytes + value;
        }
    }
    std::string m_line;
    unsigned long long m_bytes = 0;
};

std::optional<unsigned long long> fileSystemFreeBytes(const QString& folder) {
    struct statvfs st {};
    if (::statvfs(QFile::encodeName(folder).constData(), &st) != 0) return std::nullopt;
    return static_cast<unsigned long long>(st.f_bavail) * st.f_frsize;
}

bool saysWrongPassword(const std::string& errorText) {
    return errorText.find(kWrongPasswordText) != std::string::npos;
}

bool usablePassword(const QString& password) {
    // 7zz reads it as one line of its input.
    return !password.contains(QLatin1Char('\n')) && !password.contains(QLatin1Char('\r'));
}

} // namespace

LzmaTool& LzmaTool::tool() {
    static LzmaTool instance;
    return instance;
}

QString LzmaTool::decompressFinishedNotification() {
    return QString::fromLatin1(kDecompressFinishedNotification);
}
QString LzmaTool::compressFinishedNotification() {
    return QString::fromLatin1(kCompressFinishedNotification);
}

std::shared_ptr<LzmaToolDelegate> LzmaTool::delegate() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_delegate.lock();
}

void LzmaTool::setDelegate(const std::shared_ptr<LzmaToolDelegate>& delegate) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_delegate = delegate;
}

void LzmaTool::setProgram(const QString& program) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_program = program.isEmpty() ? QStringLiteral("7zz") : program;
}

void LzmaTool::setFreeSpaceQuery(FreeSpaceQuery query) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_freeSpace = std::move(query);
}

QString LzmaTool::program() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_program;
}

void LzmaTool::decompressError(int code, const QString& message) {
    if (auto d = delegate()) d->decompressErrorWithError({code, message});
}

void LzmaTool::compressError(int code, const QString& message) {
    if (auto d = delegate()) d->compressErrorWithError({code, message});
}

ChildProcess::Result LzmaTool::run(const std::vector<std::string>& argv, const std::string& input,
                                   const std::string& workingDirectory, std::weak_ptr<ChildProcess> LzmaTool::*slot,
                                   const std::function<void(const char*, size_t)>& output, std::string* errorText) {
    auto child = std::make_shared<ChildProcess>();
    if (!child->start(argv, input, workingDirectory)) return {};
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        this->*slot = child;
    }
    const ChildProcess::Result result = child->wait(output);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        (this->*slot).reset();
    }
    if (errorText) *errorText = child->errorText();
    return result;
}

void LzmaTool::decompressWithPath(const QString& path, const QString& password, int fileType,
                                  const QString& destinationPath) {
    const QFileInfo archive(path);
    if (path.isEmpty() || !archive.isFile())
        return decompressError(ErrorInput, QStringLiteral("The archive %1 does not exist.").arg(path));
    const char* type = typeSwitch(fileType);
    if (!type)
        return decompressError(ErrorFileType,
                               QStringLiteral("File type %1 is not 1 (7z), 2 (xz) or 3 (tar).").arg(fileType));
    if (!usablePassword(password))
        return decompressError(ErrorPassword, QStringLiteral("A password cannot hold a line break."));
    if (destinationPath.isEmpty() || !QDir().mkpath(destinationPath))
        return decompressError(ErrorOutput, QStringLiteral("The folder %1 cannot be made.").arg(destinationPath));
    const QString destination = QFileInfo(destinationPath).canonicalFilePath();
    removeStaleStaging(destination);

    const std::string programName = program().toStdString();
    const std::string archiveName = QFile::encodeName(archive.absoluteFilePath()).toStdString();
    // 7zz asks for the password of an encrypted archive on its input; an empty line answers when none is given, so
    // the ask ends in 7zz's wrong-password error instead of waiting.
    const std::string input = password.toStdString() + "\n";
    std::string errorText;
    // Reports a run of 7zz that did not end well ("cannot be <doing>") and answers true; false when it ended well.
    const auto failed = [&](const ChildProcess::Result& result, const char* doing) {
        if (!result.started)
            decompressError(ErrorProgram,
                            QStringLiteral("%1 cannot be started; is the 7zip package installed?").arg(program()));
        else if (result.terminated)
            decompressError(ErrorAborted, QStringLiteral("The extraction was aborted."));
        else if (result.exited && result.exitCode == 0)
            return false;
        else if (saysWrongPassword(errorText))
            decompressError(
                ErrorPassword,
                QStringLiteral("The password does not open %1; extract it again with the right one.").arg(path));
        else
            decompressError(ErrorArchive, QStringLiteral("%1 cannot be %2 (7zz status %3): %4")
                                              .arg(path)
                                              .arg(QLatin1String(doing))
                                              .arg(result.exitCode)
                                              .arg(QString::fromLocal8Bit(errorText.c_str()).trimmed()));
        return true;
    };

    ListingParser listing;
    if (failed(run(
                   {programName, "l", "-slt", type, "-bsp0", "-spd", "--", archiveName}, input, {},
                   &LzmaTool::m_decoder, [&listing](const char* data, size_t length) { listing.feed(data, length); },
                   &errorText),
               "read"))
        return;
    FreeSpaceQuery freeSpace;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        freeSpace = m_freeSpace;
    }
    const std::optional<unsigned long long> freeBytes =
        freeSpace ? freeSpace(destination) : fileSystemFreeBytes(destination);
    if (freeBytes && listing.unpackedBytes() > *freeBytes)
        return decompressError(ErrorSpace, QStringLiteral("%1 unpacks to %2 bytes, but only %3 bytes are free in %4; "
                                                          "free some space there and extract again.")
                                               .arg(path)
                                               .arg(listing.unpackedBytes())
                                               .arg(*freeBytes)
                                               .arg(destination));

    QTemporaryDir staging(destination + QLatin1String(kStagingTemplate));
    const QString stagingFolder = staging.isValid() ? QFileInfo(staging.path()).canonicalFilePath() : QString();
    const StagingLock stagingLock(stagingFolder);
    stagingLock.mark();
    const QString stagingPath = stagingFolder + QLatin1Char('/') + QLatin1String(kStagingItems);
    if (stagingFolder.isEmpty() || !QDir().mkdir(stagingPath))
        return decompressError(ErrorOutput, QStringLiteral("Cannot write into %1.").arg(destination));

    ProgressParser parser([this](double progress, const QString& item) {
        if (auto d = delegate()) d->decompressWithProgress(progress, item);
    });
    if (failed(run(
                   {programName, "x", type, ("-o" + QFile::encodeName(stagingPath)).toStdString(), "-y", "-bso0",
                    "-bsp1", "-bb0", "-spd", "--", archiveName},
                   input, {}, &LzmaTool::m_decoder,
                   [&parser](const char* data, size_t length) { parser.feed(data, length); }, &errorText),
               "extracted"))
        return;
    dropEscapingLinks(stagingPath, destination);
    const QString inTheWay = folderInTheWay(stagingPath, destination);
    if (!inTheWay.isEmpty())
        return decompressError(ErrorConflict, QStringLiteral("%1 holds a file where %2 is a folder, so nothing was "
                                                             "extracted; move that folder away and extract again.")
                                                  .arg(path)
                                                  .arg(inTheWay));
    if (!moveInto(stagingPath, destination))
        return decompressError(ErrorOutput, QStringLiteral("Not every item could be moved into %1.").arg(destination));
    NotificationCenter::workspaceCenter().post(decompressFinishedNotification());
}

void LzmaTool::compressWithDestinationPath(const QString& destinationPath, const QString& password, int fileType,
                                           const QString& sourcePath) {
    const char* type = typeSwitch(fileType);
    if (!type)
        return compressError(ErrorFileType,
                             QStringLiteral("File type %1 is not 1 (7z), 2 (xz) or 3 (tar).").arg(fileType));
    const QFileInfo source(sourcePath);
    if (sourcePath.isEmpty() || !source.exists())
        return compressError(ErrorInput, QStringLiteral("%1 does not exist.").arg(sourcePath));
    // The item is archived from its folder under its last name: "dir/.." would bring in all of dir's parent.
    if (KorvoUpdateCommonTool::hasDotComponent(sourcePath))
        return compressError(
            ErrorInput,
            QStringLiteral("%1 goes through \".\" or \"..\"; give the path of the item itself.").arg(sourcePath));
    if (!password.isEmpty() && fileType != FileType7z)
        return compressError(ErrorPassword,
                             QStringLiteral("xz and tar archives cannot be encrypted; use file type 1 (7z)."));
    if (!usablePassword(password))
        return compressError(ErrorPassword, QStringLiteral("A password cannot hold a line break."));
    const QFileInfo destination(destinationPath);
    if (destinationPath.isEmpty() || destination.isDir() || !QDir().mkpath(destination.absolutePath()))
        return compressError(ErrorOutput, QStringLiteral("%1 cannot be written.").arg(destinationPath));

    // 7zz adds to an archive that exists, so it writes to a fresh name that is renamed over the destination.
    QString temporary;
    {
        QTemporaryFile reserve(destination.absolutePath() + QStringLiteral("/.") + destination.fileName() +
                               QStringLiteral(".XXXXXX"));
        if (!reserve.open())
            return compressError(ErrorOutput, QStringLiteral("Cannot write into %1.").arg(destination.absolutePath()));
        temporary = reserve.fileName() + QStringLiteral(".part");
    }
    std::vector<std::string> argv = {program().toStdString(), "a", type};
    if (fileType != FileTypeTar) {
        argv.push_back("-m0=lzma2");
        argv.push_back("-mx=" + std::to_string(kCompressionLevel));
    }
    std::string input;
    if (!password.isEmpty()) {
        // -p without a value: 7zz asks for the password and its repetition on its input.
        argv.push_back("-mhe=on");
        argv.push_back("-p");
        input = password.toStdString() + "\n" + password.toStdString() + "\n";
    }
    for (const char* option : {"-bso0", "-bsp1", "-bb0", "-spd", "--"})
        argv.push_back(option);
    argv.push_back(QFile::encodeName(temporary).toStdString());
    // The item is named inside the archive by its own name, not by the whole path it was found at.
    argv.push_back(QFile::encodeName(source.fileName()).toStdString());

    ProgressParser parser([this](double progress, const QString& item) {
        if (auto d = delegate()) d->compressWithProgress(progress, item);
    });
    std::string errorText;
    const ChildProcess::Result result = run(
        argv, input, QFile::encodeName(source.absolutePath()).toStdString(), &LzmaTool::m_encoder,
        [&parser](const char* data, size_t length) { parser.feed(data, length); }, &errorText);
    if (!result.started)
        return compressError(ErrorProgram,
                             QStringLiteral("%1 cannot be started; is the 7zip package installed?").arg(program()));
    if (result.terminated || !result.exited || result.exitCode != 0) {
        QFile::remove(temporary);
        if (result.terminated) return compressError(ErrorAborted, QStringLiteral("The compression was aborted."));
        return compressError(ErrorArchive, QStringLiteral("%1 cannot be made (7zz status %2): %3")
                                               .arg(destinationPath)
                                               .arg(result.exitCode)
                                               .arg(QString::fromLocal8Bit(errorText.c_str()).trimmed()));
    }
    if (std::rename(QFile::encodeName(temporary).constData(),
                    QFile::encodeName(destination.absoluteFilePath()).constData()) != 0) {
        QFile::remove(temporary);
        return compressError(ErrorOutput, QStringLiteral("%1 cannot be written.").arg(destinationPath));
    }
    NotificationCenter::workspaceCenter().post(compressFinishedNotification());
}

void LzmaTool::abortDecompress() {
    std::shared_ptr<ChildProcess> child;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        child = m_decoder.lock();
    }
    if (child) child->terminate();
}

void LzmaTool::abortCompress() {
    std::shared_ptr<ChildProcess> child;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        child = m_encoder.lock();
    }
    if (child) child->terminate();
}
