#include "md5encoding.h"

#include <QCryptographicHash>

#include <algorithm>

QByteArray md5Data(const QByteArray& data) {
    return QCryptographicHash::hash(data, QCryptographicHash::Md5);
}

QString md5String(const QByteArray& data) {
    return QString::fromLatin1(md5Data(data).toHex());
}

QString md5String(const QString& text) {
    return md5String(text.toUtf8());
}

bool isPureDigit(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= '0' && c <= '9'; });
}

bool isNumber(const QString& text) {
    if (text.isEmpty()) return false;
    const QStringRef rest = text.startsWith('-') || text.startsWith('+') ? text.midRef(1) : text.midRef(0);
    return std::all_of(rest.begin(), rest.end(), [](QChar c) { return (c >= '0' && c <= '9') || c == '.'; });
}
