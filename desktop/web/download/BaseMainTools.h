// Version rules of the web part: the number of a version text, and whether a package record is an add-on
// ("APPEND") package that fits the software installed on the scan tool's card. Stateless.
#pragma once

#include <QMap>
#include <QString>

class KorvoUpdateDownloadModel;

class BaseMainTools {
public:
    // The decimal number at the start of the text after its first "V" (the whole text when it has none);
    // 0 when there is none. "V2.10" gives 2.1.
    static float getVersion(const QString& version);
    // minimumVersions: upper-case card path to the least installed version an add-on needs.
    static bool isHasAppend(const QMap<QString, QString>& minimumVersions, const KorvoUpdateDownloadModel& model);
};
