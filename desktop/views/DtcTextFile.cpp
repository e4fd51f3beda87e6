#include "DtcTextFile.h"

#include <QFile>
#include <QTextCodec>

QString DtcTextFile::fileName(const QString& languageCode) {
    return languageCode + "_OBDII.txt";
}

QByteArray DtcTextFile::encodingForLanguage(const QString& languageCode) {
    if (languageCode == "ru") return "Windows-1251";
    if (languageCode == "hu" || languageCode == "pl" || languageCode == "sk" || languageCode == "cz")
        return "ISO-8859-2";
    return "Windows-1252";
}

DtcTextFile::Rows DtcTextFile::parse(const QString& text) {
    Rows rows;
    for (const QStringRef& line : text.splitRef('\n')) {
        const int space = line.indexOf(' ');
        if (space < 0) continue;
        KorvoUpdateSoftwareManagementListModel row;
        row.codeNumber = line.left(space).toString();
        row.codeDes = line.mid(space + 1).toString();
        row.codeDes.remove('\r');
        rows.push_back(std::move(row));
    }
    return rows;
}

DtcTextFile::Rows DtcTextFile::read(const QString& path, const QByteArray& encoding) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) return {};
    QTextCodec* codec = QTextCodec::codecForName(encoding);
    if (!codec) return {};
    // A stray byte shows as U+FFFD in its line; the rest of the table stays.
    return parse(codec->toUnicode(file.readAll()));
}
