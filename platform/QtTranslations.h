// Qt's own texts (the standard print, file and message dialogs, the menus of text fields) in the interface
// language: Qt's translations, as Debian ships them (qttranslations5-l10n), loaded from Qt's translations folder
// and installed in the application. GUI thread, once the application object exists.
#pragma once

#include <QString>

namespace qttranslations {

// Installs Qt's translations for a language ("de", "sv_SE", "pt_PT", "zh_CN"; region and script may be left out)
// in place of those installed before. English, and a language Qt has no translation for, install none. True when
// a translation is installed.
bool install(const QString& language);

// The language of an interface language number of pluvo.cfg, the numbering pluvo and Lumaset share; "en" for a
// number outside it.
QString languageOfNumber(int number);

} // namespace qttranslations
