// Extraction of 7z, xz and tar archives into a folder and creation of LZMA2 archives (7z with an optional
// password, header and content encrypted), through the 7zz program run from an argument list. A password
// reaches 7zz on its standard input only, never on its command line. Both operations run on the caller's thread
// and report to an optional delegate (on that thread) and by "DecompressFinished" / "CompressFinished" on the
// workspace centre; abortDecompress / abortCompress may be called from any other thread and end the child.
// Names reach 7zz after "--" and with wildcard matching off, so a name is never read as a switch, a list file or a
// pattern. Before an extraction the archive is listed: one that unpacks to more than the destination's free space
// is refused before anything is written; a missing or wrong password gives ErrorPassword. Extraction goes to a
// staging folder inside the destination first, marked as made by an extraction (one left by a killed extraction is
// removed by the next one there; no other folder is, whatever its name):
// links that would lead out of the destination are dropped, and the items are moved into place only when none of
// them would replace a folder of the destination; a folder in both is merged. A new archive is written to a
// temporary name and renamed.
#pragma once

#include "ChildProcess.h"

#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

extern const char* const kDecompressFinishedNotification; // "DecompressFinished"
extern const char* const kCompressFinishedNotification;   // "CompressFinished"

// Why an operation failed; code is one of LzmaTool's error codes.
struct LzmaToolError {
    int code = 0;
    QString message;
};

class LzmaToolDelegate {
public:
    virtual ~LzmaToolDelegate() = default;
    virtual void decompressWithProgress(double /*progress*/, const QString& /*path*/) {}
    virtual void decompressErrorWithError(const LzmaToolError& /*error*/) {}
    virtual void compressWithProgress(double /*progress*/, const QString& /*path*/) {}
    virtual void compressErrorWithError(const LzmaToolError& /*error*/) {}
};

class LzmaTool {
public:
    // File type numbers of the interface.
    enum FileType { FileType7z = 1, FileTypeXz = 2, FileTypeTar = 3 };
    // Error codes.
    enum Error {
        ErrorFileType = 1, // not 1, 2 or 3
        ErrorInput = 2,    // archive or source missing
        ErrorOutput = 3,   // destination cannot be made or written
        ErrorPassword = 4, // a password for xz or tar, one 7zz cannot take on a line of its input, or an encrypted
                           // archive without its password or with a wrong one
        ErrorProgram = 5,  // 7zz could not be started
        ErrorArchive = 6,  // 7zz ended with a status other than 0 (damaged archive, ...)
        ErrorAborted = 7,  // ended by abortDecompress / abortCompress
        ErrorSpace = 8,    // the archive unpacks to more than the destination's free space
        ErrorConflict = 9, // an item would replace a folder of the destination
    };
    // Free bytes for an unprivileged writer in folder; nothing when that cannot be told.
    using FreeSpaceQuery = std::function<std::optional<unsigned long long>(const QString& folder)>;

    static LzmaTool& tool();
    static QString decompressFinishedNotification();
    static QString compressFinishedNotification();

    std::shared_ptr<LzmaToolDelegate> delegate() const;
    void setDelegate(const std::shared_ptr<LzmaToolDelegate>& delegate); // held weakly

    // password empty: none.
    void decompressWithPath(const QString& path, const QString& password, int fileType, const QString& destinationPath);
    void compressWithDestinationPath(const QString& destinationPath, const QString& password, int fileType,
                                     const QString& sourcePath);
    void abortDecompress();
    void abortCompress();

    // The program run; tests point it elsewhere. Default "7zz".
    void setProgram(const QString& program);
    // How free space is measured before an extraction; empty: the file system's own count (statvfs).
    void setFreeSpaceQuery(FreeSpaceQuery query);

private:
    LzmaTool() = default;
    void decompressError(int code, const QString& message);
    void compressError(int code, const QString& message);
    QString program() const;
    // Runs the program to its end as the child that abortDecompress / abortCompress (slot) may end.
    ChildProcess::Result run(const std::vector<std::string>& argv, const std::string& input,
                             const std::string& workingDirectory, std::weak_ptr<ChildProcess> LzmaTool::*slot,
                             const std::function<void(const char*, size_t)>& output, std::string* errorText);

    mutable std::mutex m_mutex;
    std::weak_ptr<LzmaToolDelegate> m_delegate;
    std::weak_ptr<ChildProcess> m_decoder;
    std::weak_ptr<ChildProcess> m_encoder;
    QString m_program = QStringLiteral("7zz");
    FreeSpaceQuery m_freeSpace;
};
