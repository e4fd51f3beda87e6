// Extraction of 7z, xz and tar archives into a folder and creation of LZMA2 archives (7z with an optional
// password, header and content encrypted), through the 7zz program run from an argument list. A password
// reaches 7zz on its standard input only, never on its command line. Both operations run on the caller's thread
// and report to an optional delegate (on that thread) and by "DecompressFinished" / "CompressFinished" on the
// workspace centre; abortDecompress / abortCompress may be called from any other thread and end the child.
// Extraction goes to a staging folder inside the destination first: links that lead out of the destination are
// dropped before the items are moved into place. A new archive is written to a temporary name and renamed.
#pragma once

#include <QString>

#include <memory>
#include <mutex>

class ChildProcess;

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
        ErrorPassword = 4, // a password for xz or tar, or one 7zz cannot take on a line of its input
        ErrorProgram = 5,  // 7zz could not be started
        ErrorArchive = 6,  // 7zz ended with a status other than 0 (damaged archive, wrong password, ...)
        ErrorAborted = 7,  // ended by abortDecompress / abortCompress
    };

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

private:
    LzmaTool() = default;
    void decompressError(int code, const QString& message);
    void compressError(int code, const QString& message);

    mutable std::mutex m_mutex;
    std::weak_ptr<LzmaToolDelegate> m_delegate;
    std::weak_ptr<ChildProcess> m_decoder;
    std::weak_ptr<ChildProcess> m_encoder;
    QString m_program = QStringLiteral("7zz");
};
