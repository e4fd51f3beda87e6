#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <iterator>
#include <memory>

namespace {
// The catalogue that takes in Qt's modules (qtbase, qtmultimedia, ...) for one language.
const char kCatalogue[] = "qt";
const char kSeparator[] = "_";

// pluvo.cfg's Language: 0 English, 1 French, 2 Spanish, 3 German, 4 Slovak, 5 Portuguese, 6 Swedish, 7 Italian,
// 8 Czech, 9 Hungarian, 10 Russian; 11 Chinese, 12 Czech and 13 Slovak are read but never written.
const char* const kNumberedLanguages[] = {"en", "fr", "es", "de", "sk",    "pt", "sv",
                                          "it", "cs", "hu", "ru", "zh_CN", "cs", "sk"};

std::unique_ptr<QTranslator>& installedTranslator() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}
} // namespace

namespace qttranslations {

bool install(const QString& language) {
    std::unique_ptr<QTranslator>& installed = installedTranslator();
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    const QLocale locale(QString(language).replace('-', '_'));
    // Qt's texts are English; a name QLocale does not know gives C.
    if (locale.language() == QLocale::English || locale.language() == QLocale::C) return false;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, kCatalogue, kSeparator, QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
    return true;
}

QString languageOfNumber(int number) {
    if (number < 0 || number >= int(std::size(kNumberedLanguages))) return QStringLiteral("en");
    return QString::fromLatin1(kNumberedLanguages[number]);
}

} // namespace qttranslations
