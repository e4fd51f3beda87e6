// The desktop updater's one shared utility object: the interface language (which <code>.lproj bundle the texts
// come from, and the short code that names language-dependent files) and the DTC search history, both kept in the
// user defaults. sharedTool() is safe from any thread; the other operations are meant for the GUI thread.
#pragma once

#include "LanguageBundle.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>

extern const char* const kUserLanguageKey;   // "userLanguage"
extern const char* const kAppleLanguagesKey; // "AppleLanguages"
extern const char* const kAppleSearchDTCKey; // "AppleSearchDTC"
extern const char* const kLocalizableTable;  // "Localizable"

class KorvoUpdateCommonTool {
public:
    static KorvoUpdateCommonTool& sharedTool();

    // The bundle of the interface language; chooses the language first when none is loaded. nullptr only when not
    // even the English bundle exists.
    std::shared_ptr<LanguageBundle> getCurrentLanguageBundle();
    // Chooses the interface language from the saved choice or the user's preferred language, saves the resolved
    // code and loads its bundle (English when there is none for it).
    void initBaseBundle();
    // The saved interface language code, as stored.
    QString userLanguage() const;
    // The code that names language-dependent files: "sv" gives "se", "zh-Hans" gives "cn", others unchanged.
    QString getUserLanguage() const;
    // Switches the interface language; the same code as the saved one changes nothing.
    void setUserlanguage(const QString& code);

    static QStringList applicationSupportLanguages();
    // The languages the settings screen offers: each one's own name to its code.
    static QMap<QString, QString> appSupportLanguagesNames();
    // The same ten names in the order the settings screen shows them.
    static QStringList appSupportLanguagesNameOrder();
    static QStringList widnowsApplicationSupportLanguages();

    QStringList getSearchDtcData() const;
    // Appends a code to the history unless an equal one is there (exact comparison).
    void addSearchDtcData(const QString& code);

    // The user's preferred languages, most preferred first: "AppleLanguages" when the defaults hold it, else the
    // tag made from the locale of the environment (LC_ALL, LC_MESSAGES, LANG).
    static QStringList preferredLanguages();
    // A POSIX locale name ("zh_TW.UTF-8") as a language tag ("zh-Hant-TW"); C and POSIX read as "en".
    static QString languageTagFromLocale(const QString& locale);
    // The supported code a preferred-language tag resolves to, or the tag itself when none matches.
    static QString resolveLanguage(const QString& candidate);

    long long indexOfSelectedItem() const { return m_indexOfSelectedItem; }
    void setIndexOfSelectedItem(long long index) { m_indexOfSelectedItem = index; }

private:
    KorvoUpdateCommonTool() = default;
    static QString lprojPath(const QString& code);

    mutable std::mutex m_mutex;
    std::shared_ptr<LanguageBundle> m_bundle;
    long long m_indexOfSelectedItem = 0;
};

// The text for key from the Localizable table of the interface language; a missing key gives the key itself.
QString localizedText(const QString& key);
