// A DTC table file, <xx>_OBDII.txt: one entry per line, the code before the first space and the description after
// it; a line without a space is no entry. Lines end in CR LF; the text is in the code page of its language.
// Nothing is trimmed, sorted or merged. Safe from any thread.
#pragma once

#include "KorvoUpdateSoftwareManagementListModel.h"

#include <QByteArray>
#include <QString>

#include <vector>

class DtcTextFile {
public:
    using Rows = std::vector<KorvoUpdateSoftwareManagementListModel>;

    // The file name of a language's table: the code followed by "_OBDII" and ".txt".
    static QString fileName(const QString& languageCode);
    // The code page of a table: ru Windows-1251; hu, pl, sk, cz ISO 8859-2; the others Windows-1252.
    static QByteArray encodingForLanguage(const QString& languageCode);
    // The rows of a table's text, carriage returns removed from the descriptions.
    static Rows parse(const QString& text);
    // The whole file decoded (bytes that are not valid become U+FFFD) and parsed; a missing file gives no rows.
    static Rows read(const QString& path, const QByteArray& encoding);
};
