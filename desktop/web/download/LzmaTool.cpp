#include "LzmaTool.h"

#include "ChildProcess.h"

#include "NotificationCenter.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <unistd.h>

#include <cstdio>
#include <functional>

const char* const kDecompressFinishedNotification = "DecompressFinished";
const char* const kCompressFinishedNotification = "CompressFinished";

namespace {

// The compression level of every archive made here: the smallest downloads, time being no concern.
constexpr int kCompressionLevel = 9;

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

// Removes every link under root that is absolute or leads out of root: after the move into the destination it
// would point outside it, or into the staging folder that is about to go.
void dropEscapingLinks(const QString& root) {
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    QStringList drop;
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        if (!info.isSymLink()) continue;
        const QByteArray target = QFile::encodeName(path);
        char buffer[4096];
        const ssize_t n = ::readlink(target.constData(), buffer, sizeof buffer - 1);
        if (n <= 0) {
            drop << path;
            continue;
        }
        const QString linkText = QFile::decodeName(QByteArray(buffer, int(n)));
        if (QDir::isAbsolutePath(linkText) || !insideRoot(root, info.absolutePath() + QLatin1Char('/') + linkText))
            drop << path;
    }
    for (const QString& path : drop)
        QFile::remove(path);
}

// Moves the items of from into to, merging folders that are in both; a file replaces one of the same name.
bool moveInto(const QString& from, const QString& to) {
    bool ok = true;
    const QFileInfoList entries =
        QDir(from).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        const QFileInfo existing(target);
        if (entry.isDir() && !entry.isSymLink() && existing.isDir() && !existing.isSymLink()) {
            ok = moveInto(entry.absoluteFilePath(), target) && ok;
            continue;
        }
        if (existing.exists() || existing.isSymLink()) {
            if (existing.isDir() && !existing.isSymLink())
                QDir(target).removeRecursively();
            else
                QFile::remove(target);
        }
        if (std::rename(QFile::encodeName(entry.absoluteFilePath()).constData(),
                        QFile::encodeName(target).constData()) != 0)
            ok = false;
    }
    return ok;
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

void LzmaTool::decompressError(int code, const QString& message) {
    if (auto d = delegate()) d->decompressErrorWithError({code, message});
}

void LzmaTool::compressError(int code, const QString& message) {
    if (auto d = delegate()) d->compressErrorWithError({code, message});
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
    QTemporaryDir staging(destination + QStringLiteral("/.extract-XXXXXX"));
    if (!staging.isValid())
        return decompressError(ErrorOutput, QStringLiteral("Cannot write into %1.").arg(destination));
    const QString stagingPath = QFileInfo(staging.path()).canonicalFilePath();

    QString program;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        program = m_program;
    }
    // Without -p, 7zz asks for the password of an encrypted archive on its input; an empty input ends that ask
    // with an error instead of hanging.
    const std::vector<std::string> argv = {program.toStdString(),
                                           "x",
                                           type,
                                           QFile::encodeName(archive.absoluteFilePath()).toStdString(),
                                           ("-o" + QFile::encodeName(stagingPath)).toStdString(),
                                           "-y",
                                           "-bso0",
                                           "-bsp1",
                                           "-bb0"};
    const std::string input = password.isEmpty() ? std::string() : password.toStdString() + "\n";

    auto child = std::make_shared<ChildProcess>();
    if (!child->start(argv, input))
        return decompressError(ErrorProgram,
                               QStringLiteral("%1 cannot be started; is the 7zip package installed?").arg(program));
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_decoder = child;
    }
    ProgressParser parser([this](double progress, const QString& item) {
        if (auto d = delegate()) d->decompressWithProgress(progress, item);
    });
    const ChildProcess::Result result =
        child->wait([&parser](const char* data, size_t length) { parser.feed(data, length); });
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_decoder.reset();
    }
    if (result.terminated) return decompressError(ErrorAborted, QStringLiteral("The extraction was aborted."));
    if (!result.exited || result.exitCode != 0)
        return decompressError(ErrorArchive, QStringLiteral("%1 cannot be extracted (7zz status %2): %3")
                                                 .arg(path)
                                                 .arg(result.exitCode)
                                                 .arg(QString::fromLocal8Bit(child->errorText().c_str()).trimmed()));
    dropEscapingLinks(stagingPath);
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
    QString program;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        program = m_program;
    }
    std::vector<std::string> argv = {program.toStdString(), "a", type};
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
    argv.push_back(QFile::encodeName(temporary).toStdString());
    // The item is named inside the archive by its own name, not by the whole path it was found at.
    argv.push_back(QFile::encodeName(source.fileName()).toStdString());
    for (const char* option : {"-bso0", "-bsp1", "-bb0"})
        argv.push_back(option);

    auto child = std::make_shared<ChildProcess>();
    if (!child->start(argv, input, QFile::encodeName(source.absolutePath()).toStdString()))
        return compressError(ErrorProgram,
                             QStringLiteral("%1 cannot be started; is the 7zip package installed?").arg(program));
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_encoder = child;
    }
    ProgressParser parser([this](double progress, const QString& item) {
        if (auto d = delegate()) d->compressWithProgress(progress, item);
    });
    const ChildProcess::Result result =
        child->wait([&parser](const char* data, size_t length) { parser.feed(data, length); });
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_encoder.reset();
    }
    if (result.terminated || !result.exited || result.exitCode != 0) {
        QFile::remove(temporary);
        if (result.terminated) return compressError(ErrorAborted, QStringLiteral("The compression was aborted."));
        return compressError(ErrorArchive, QStringLiteral("%1 cannot be made (7zz status %2): %3")
                                               .arg(destinationPath)
                                               .arg(result.exitCode)
                                               .arg(QString::fromLocal8Bit(child->errorText().c_str()).trimmed()));
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
