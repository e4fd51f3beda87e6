// MD5 digests of texts and data (RFC 1321, from Qt's cryptographic hash) and two tests on texts.
#pragma once

#include <QByteArray>
#include <QString>

// 32 lower-case hexadecimal digits of the MD5 of the text's UTF-8 bytes.
QString md5String(const QString& text);
// 32 lower-case hexadecimal digits of the MD5 of the bytes.
QString md5String(const QByteArray& data);
// The 16 raw digest bytes.
QByteArray md5Data(const QByteArray& data);
// True when every character is one of the ASCII digits; true for the empty text.
bool isPureDigit(const QString& text);
// True for a text of ASCII digits and dots after at most one leading sign; false for the empty text.
bool isNumber(const QString& text);
