#include "language.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTranslator>

namespace {
// Language number -> translation code, in pluvo's settings-list order.
const char* const kLanguageCodes[] = {"en", "fr", "es", "de", "sl", "pt", "se", "it", "cz", "hu", "ru"};
constexpr int kLanguageCount = int(sizeof kLanguageCodes / sizeof kLanguageCodes[0]);
const char kDefaultCode[] = "en";
const char kConfigName[] = "pluvo.cfg";
const char kLanguageKey[] = "Language";
} // namespace

QString languageCodeFor(int language) {
    return language >= 0 && language < kLanguageCount ? QString(kLanguageCodes[language]) : QString(kDefaultCode);
}

QString readLanguageCode(const QString& cfgPath) {
    QFile file(cfgPath);
    if (!file.open(QIODevice::ReadOnly)) return kDefaultCode;
    QString candidate;
    bool found = false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (!line.startsWith(kLanguageKey)) continue;
        const QString text = QString::fromLocal8Bit(line);
        const int eq = text.indexOf('=');
        candidate = eq < 0 ? text : text.mid(eq + 1).trimmed();
        found = true;
    }
    bool isNumber = false;
    const int language = found ? candidate.toInt(&isNumber, 10) : -1;
    return isNumber ? languageCodeFor(language) : QString(kDefaultCode);
}

QString readLanguageCode() {
    const QString toolFolder = QCoreApplication::applicationDirPath();
    return readLanguageCode(QDir::cleanPath(toolFolder + "/../" + kConfigName));
}

bool loadTranslation(QTranslator& translator, const QString& code, const QString& folder) {
    const bool loaded = translator.load(folder + "/" + code + ".qm");
    QCoreApplication::installTranslator(&translator);
    return loaded;
}
