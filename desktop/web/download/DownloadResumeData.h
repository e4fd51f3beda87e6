// Our own resume data of an interrupted download, kept in a record's resumeData: the address, the bare name of the
// partial file inside the download folder, the bytes it holds, the validators the server gave (ETag,
// Last-Modified) and the whole size. Stored as a small JSON object. A name read back from it is used only after
// isSafePartialName: the partial file's path is always made from the download folder, never taken from storage.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

struct DownloadResumeData {
    QString url;
    QString partialName;
    uint64_t bytesWritten = 0;
    QString etag;
    QString lastModified;
    uint64_t total = 0; // 0: unknown

    QByteArray toData() const;
    // Null for data that is not ours, is damaged or names an unsafe file.
    static std::optional<DownloadResumeData> fromData(const QByteArray& data);
    // A plain file name of the kind this program makes: letters, digits, ".", "_" and "-", no leading dot pair.
    static bool isSafePartialName(const QString& name);
    // A validator goes back to the server in an If-Range header line, which a control character would break or
    // split: only text without one is a validator.
    static bool isHeaderValue(const QString& text);
    // A fresh unique partial-file name.
    static QString newPartialName();
};
