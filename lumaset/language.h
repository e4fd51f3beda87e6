// Which translation the picture tool shows: the Language number of pluvo.cfg mapped to this tool's own codes,
// and the loading of "<code>.qm" from the tool's folder.
#pragma once

#include <QString>

class QTranslator;

// Code of a Language number; "en" for anything outside 0 to 10.
QString languageCodeFor(int language);

// The code named by the Language line of the given pluvo.cfg; "en" when the file, the line or a valid value is
// missing. The last line whose key begins with "Language" counts.
QString readLanguageCode(const QString& cfgPath);
// The same for pluvo.cfg in the folder above this executable's folder.
QString readLanguageCode();

// Loads "<code>.qm" from folder into translator and installs it in the application even when loading failed, so
// the source texts stay. True when the file was loaded.
bool loadTranslation(QTranslator& translator, const QString& code, const QString& folder);
