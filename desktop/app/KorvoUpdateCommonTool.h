// The desktop updater's one shared utility object: the interface language (which <code>.lproj bundle the texts
// come from, and the short code that names language-dependent files) and the DTC search history, both kept in the
// user defaults; the rules for versions, for the download folder and version file in Documents and for software on
// the scan tool's card; the shipped vehicle lists; two checks of user input.
// sharedTool() and everything from saveFilePath on are safe from any thread (download threads use them); the
// language and history operations are meant for the GUI thread. An empty text as a result means not found or failed.
#pragma once

#include "KorvoUpdateDownloadModel.h"
#include "KorvoUpdateVehicleModel.h"
#include "LanguageBundle.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>
#include <vector>

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

    // Root folder of the scan tool's card; nothing in the program sets it, the caller that knows the card does.
    QString saveFilePath() const;
    void setSaveFilePath(const QString& path);

    // The number a version text begins with once every non-digit is cut from both ends ("V2.10 beta" gives 2.1,
    // "1.2.3" gives 1.2); 0 without one. Single precision, as every comparison below.
    static float getVersionNumber(const QString& text);
    // getVersionNumber(version1) - getVersionNumber(version2).
    static float compare2Version1(const QString& version1, const QString& version2);
    // True when version1 is newer by more than 0.001.
    static bool compareVersion1(const QString& version1, const QString& version2);
    // True when the version installed on the card equals the record's version to the hundredth; false when no
    // version file is installed.
    bool isSameVersion(const KorvoUpdateDownloadModel& model) const;
    // "V%0.02f" of the highest version installed for the records ("V0.00" for none).
    QString getMaxVersionFromList(const std::vector<KorvoUpdateDownloadModelPtr>& list) const;

    // Documents + "Update", created when absent.
    QString getUpdateDirectory() const;
    // The download folder + name, created when absent. A name that is empty or ".", or holds "/" or "..", is refused
    // (the engine later removes what this names).
    QString getSoftwareUpdatePathWithSoftware(const QString& name) const;
    // The download folder + the URL's last part; empty when that part is empty, "." or "..".
    QString getZipResourcePath(const QString& url) const;
    // The URL's last part, with ".zip" at its end made ".7z".
    static QString get7zFileName(const QString& url);
    // The download folder + get7zFileName(url); empty when the name is empty, "." or "..".
    QString get7ZResourcePath(const QString& url) const;
    // A URL whose file name ends in "_<field>.zip" without that field: ".../A_B_C.zip" gives ".../A_B.zip". Only the
    // file name is cut; anything else comes back unchanged.
    static QString getDataPackageURLFromZipURL(const QString& url);
    // The whole of Documents/version.txt; empty when missing or unreadable.
    QString getVersion() const;
    // Replaces Documents/version.txt as a whole through a temporary file; true on success.
    bool writeVersion(const QString& text) const;

    // The card root + relative path; empty when no root is set.
    QString getDecompressPathWithSoftware(const QString& relativePath) const;
    // The card root + "Scan"; empty when no root is set.
    QString getScanPathFromSDCard() const;
    // The text before the last "/" (Scan/X/Y gives Scan/X); empty for an empty path or one without "/".
    static QString getParentPath(const QString& path);
    // The card root + the parent of the record's sdPath.
    QString getSoftwareParentPath(const KorvoUpdateDownloadModel& model) const;
    // The installed folder of a card-relative path, as stored or in a letter-case variant of its last component;
    // empty when the path is no usable text, no root is set or nothing is found.
    QString getSoftwarePathByPath(const QString& relativePath) const;
    QString getSoftwarePath(const KorvoUpdateDownloadModel& model) const;
    // The first of these that exists, the parent kept as it is: the last component upper-cased, its first character
    // upper-cased, its first character lower-cased, lower-cased. Empty when none exists.
    static QString getPathByDirectoryEnumerator(const QString& fullPath);
    // True when the card root + the record's sdPath exists (no letter-case variants); false for an sdPath with an
    // empty, "." or ".." component.
    bool getHasSoftwarePath(const KorvoUpdateDownloadModel& model) const;
    // True when something exists at the record's zipPath.
    static bool getHasDownFile(const KorvoUpdateDownloadModel& model);
    // Removes the card root + the record's sdPath with everything below it. Refused (false) unless the root is set,
    // no component of sdPath is empty, "." or "..", and the path lies strictly inside the root, its parent checked
    // with links resolved.
    bool unInstallSoftwore(const KorvoUpdateDownloadModel& model) const;
    // Removes a file, a link (not what it points to) or a folder tree; true on success. Trailing slashes are
    // ignored: "link/" removes the link, not the folder behind it. A path with a "." or ".." component is refused
    // ("link/." would name the folder behind the link).
    static bool removeItemAtPath(const QString& path);
    // Whether a "/"-separated component of the path is "." or "..": such paths are refused, never cleaned.
    static bool hasDotComponent(const QString& path);
    // folder/link.txt, else folder/LINK.TXT, whichever exists first; else empty.
    static QString getLinkFromFilePath(const QString& folder);
    // folder/VERSION.TXT, version.txt or Version.txt, whichever exists first; else empty.
    static QString getVersionPathFromFilePath(const QString& folder);
    static QString getVersionFromFilePath(const QString& folder);
    // The whole file as UTF-8, untrimmed; empty when the path is empty or the file unreadable.
    static QString getContentFromFilePath(const QString& path);
    // Whether the record's installed software folder holds the .cfg file of its language (spaces removed).
    bool getIsHasLanFromModel(const KorvoUpdateDownloadModel& model) const;
    // Whether folder holds name.cfg lower-cased, upper-cased or with its first character upper-cased, or the
    // lower-cased name with ".CFG".
    static bool getIsHasLanFromFilePath(const QString& folder, const QString& name);
    // False for a null text, "NULL", "<null>", "(null)" and texts of white space only.
    static bool isUsableText(const QString& text);

    // The vehicle lists of the shipped car_ini.txt and car_version.txt, read afresh on every call; empty when the
    // resource is missing or unreadable.
    // Every entry line in file order.
    std::vector<KorvoUpdateVehicleModel> getVehicleModelsFromBundle() const;
    // Upper-cased path to its entry; a later line replaces an earlier one.
    QMap<QString, KorvoUpdateVehicleModel> getNewAllVehicleModelsFromBundle() const;
    // Section name to the section's entries; the lines before the first header make the section "General".
    QMap<QString, std::vector<KorvoUpdateVehicleModel>> getAllVehicleModelsFromBundle() const;
    // Section name of car_version.txt to its "key = value" pairs.
    QMap<QString, QMap<QString, QString>> getAllVersionModelsFromBundle() const;
    // Each top-level vehicle name to its sub-vehicle names in file order, without repeats (ignoring case).
    QMap<QString, QStringList> getVehicles() const;

    // 6 to 16 ASCII letters and digits, neither all digits nor all letters.
    static bool isAvailablePassword(const QString& text);
    static bool isAvailableEmail(const QString& text);

    long long indexOfSelectedItem() const { return m_indexOfSelectedItem; }
    void setIndexOfSelectedItem(long long index) { m_indexOfSelectedItem = index; }

private:
    KorvoUpdateCommonTool() = default;
    static QString lprojPath(const QString& code);

    mutable std::mutex m_mutex;
    std::shared_ptr<LanguageBundle> m_bundle;
    QString m_saveFilePath;
    long long m_indexOfSelectedItem = 0;
};

// The text for key from the Localizable table of the interface language; a missing key gives the key itself.
QString localizedText(const QString& key);
