#include "DownloadResumeData.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUuid>

#include <algorithm>

namespace {

// Marks the data as ours and lets a later layout be told apart.
constexpr int kResumeDataVersion = 1;
// File names stay well inside the limits of every file system.
constexpr int kMaxPartialNameLength = 128;

} // namespace

QByteArray DownloadResumeData::toData() const {
    QJsonObject o;
    o.insert(QStringLiteral("korvoResume"), kResumeDataVersion);
    o.insert(QStringLiteral("url"), url);
    o.insert(QStringLiteral("partialName"), partialName);
    // As text: a JSON number loses whole-number precision above 2^53.
    o.insert(QStringLiteral("bytesWritten"), QString::number(bytesWritten));
    o.insert(QStringLiteral("etag"), etag);
    o.insert(QStringLiteral("lastModified"), lastModified);
    o.insert(QStringLiteral("total"), QString::number(total));
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<DownloadResumeData> DownloadResumeData::fromData(const QByteArray& data) {
    if (data.isEmpty()) return std::nullopt;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) return std::nullopt;
    const QJsonObject o = doc.object();
    if (o.value(QStringLiteral("korvoResume")).toInt() != kResumeDataVersion) return std::nullopt;
    DownloadResumeData r;
    r.url = o.value(QStringLiteral("url")).toString();
    r.partialName = o.value(QStringLiteral("partialName")).toString();
    bool okBytes = false, okTotal = false;
    r.bytesWritten = o.value(QStringLiteral("bytesWritten")).toString().toULongLong(&okBytes);
    r.total = o.value(QStringLiteral("total")).toString().toULongLong(&okTotal);
    r.etag = o.value(QStringLiteral("etag")).toString();
    r.lastModified = o.value(QStringLiteral("lastModified")).toString();
    if (r.url.isEmpty() || !okBytes || !okTotal || !isSafePartialName(r.partialName) || !isHeaderValue(r.etag) ||
        !isHeaderValue(r.lastModified))
        return std::nullopt;
    return r;
}

bool DownloadResumeData::isHeaderValue(const QString& text) {
    return std::none_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

bool DownloadResumeData::isSafePartialName(const QString& name) {
    // \z, not $: "$" also matches before a final line feed.
    static const QRegularExpression pattern(QStringLiteral("\\A[A-Za-z0-9_][A-Za-z0-9._-]*\\z"));
    return !name.isEmpty() && name.size() <= kMaxPartialNameLength && pattern.match(name).hasMatch();
}

QString DownloadResumeData::newPartialName() {
    return QStringLiteral("KorvoDownload_") + QUuid::createUuid().toString(QUuid::Id128) + QStringLiteral(".part");
}
