#include "KorvoUpdateCommonTool.h"

#include "UserDefaults.h"
#include "mainbundle.h"

#include <QFileInfo>
#include <QProcessEnvironment>

const char* const kUserLanguageKey = "userLanguage";
const char* const kAppleLanguagesKey = "AppleLanguages";
const char* const kAppleSearchDTCKey = "AppleSearchDTC";
const char* const kLocalizableTable = "Localizable";

namespace {
constexpr char kFallbackLanguage[] = "en";

struct OfferedLanguage {
    const char* name;
    const char* code;
};
// The settings screen's order.
const OfferedLanguage kOfferedLanguages[] = {
    {"English", "en"},   {"Svenska", "sv"}, {"Français", "fr"}, {"Italiano", "it"}, {"Español", "es"},
    {"Slovensko", "sk"}, {"Deutsch", "de"}, {"Magyar", "hu"},   {"Русский", "ru"},  {"Português", "pt"},
};
} // namespace

KorvoUpdateCommonTool& KorvoUpdateCommonTool::sharedTool() {
    static KorvoUpdateCommonTool tool;
    return tool;
}

QStringList KorvoUpdateCommonTool::applicationSupportLanguages() {
    return {"en", "pt", "hu", "zh-HK", "ru", "ja", "it", "zh-Hans", "ko",
            "es", "de", "fr", "sv",    "th", "sk", "he", "fi"};
}

QMap<QString, QString> KorvoUpdateCommonTool::appSupportLanguagesNames() {
    QMap<QString, QString> names;
    for (const auto& l : kOfferedLanguages)
        names.insert(QString::fromUtf8(l.name), l.code);
    return names;
}

QStringList KorvoUpdateCommonTool::appSupportLanguagesNameOrder() {
    QStringList names;
    for (const auto& l : kOfferedLanguages)
        names << QString::fromUtf8(l.name);
    return names;
}

QStringList KorvoUpdateCommonTool::widnowsApplicationSupportLanguages() {
    return {"en", "pt", "hu", "hk", "ru", "jp", "pl", "it", "cn", "kr",
            "es", "de", "fr", "nl", "sv", "th", "se", "he", "su"};
}

QString KorvoUpdateCommonTool::languageTagFromLocale(const QString& locale) {
    QString name = locale;
    name = name.section('.', 0, 0).section('@', 0, 0);
    if (name.isEmpty() || name == "C" || name == "POSIX") return kFallbackLanguage;
    const QString language = name.section('_', 0, 0);
    const QString territory = name.section('_', 1, 1);
    if (territory.isEmpty()) return language;
    if (language == "zh") {
        // Chinese is told apart by its script, as the preferred-language list writes it.
        static const QStringList traditional = {"TW", "HK", "MO"};
        return language + (traditional.contains(territory) ? "-Hant-" : "-Hans-") + territory;
    }
    return language + "-" + territory;
}

QStringList KorvoUpdateCommonTool::preferredLanguages() {
    const QStringList saved = UserDefaults::standardUserDefaults().objectForKey(kAppleLanguagesKey).toStringList();
    if (!saved.isEmpty()) return saved;
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = env.value(var);
        if (!value.isEmpty()) return {languageTagFromLocale(value)};
    }
    return {kFallbackLanguage};
}

QString KorvoUpdateCommonTool::resolveLanguage(const QString& candidate) {
    for (const QString& code : applicationSupportLanguages()) {
        if (candidate.startsWith("zh")) return candidate.contains("Hans") ? "zh-Hans" : "zh-HK";
        if (candidate.startsWith(code)) return code;
    }
    return candidate;
}

QString KorvoUpdateCommonTool::lprojPath(const QString& code) {
    if (code.isEmpty()) return {};
    return mainbundle::pathForResource(code, "lproj");
}

void KorvoUpdateCommonTool::initBaseBundle() {
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    QString candidate = defaults.stringForKey(kUserLanguageKey);
    if (candidate.isEmpty()) candidate = preferredLanguages().value(0);
    candidate = resolveLanguage(candidate);
    QString path = lprojPath(candidate);
    if (path.isEmpty()) {
        candidate = kFallbackLanguage;
        path = lprojPath(candidate);
    }
    defaults.setObject(candidate, kUserLanguageKey);
    defaults.synchronize();
    std::shared_ptr<LanguageBundle> bundle = LanguageBundle::bundleWithPath(path);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bundle = bundle;
}

std::shared_ptr<LanguageBundle> KorvoUpdateCommonTool::getCurrentLanguageBundle() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bundle) return m_bundle;
    }
    initBaseBundle();
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bundle;
}

QString KorvoUpdateCommonTool::userLanguage() const {
    return UserDefaults::standardUserDefaults().stringForKey(kUserLanguageKey);
}

QString KorvoUpdateCommonTool::getUserLanguage() const {
    const QString code = userLanguage();
    if (code == "sv") return "se";
    if (code == "zh-Hans") return "cn";
    return code;
}

void KorvoUpdateCommonTool::setUserlanguage(const QString& code) {
    if (code == userLanguage()) return;
    std::shared_ptr<LanguageBundle> bundle = LanguageBundle::bundleWithPath(lprojPath(code));
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bundle = bundle;
    }
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(code, kUserLanguageKey);
    defaults.synchronize();
}

QStringList KorvoUpdateCommonTool::getSearchDtcData() const {
    return UserDefaults::standardUserDefaults().objectForKey(kAppleSearchDTCKey).toStringList();
}

void KorvoUpdateCommonTool::addSearchDtcData(const QString& code) {
    QStringList history = getSearchDtcData();
    if (history.contains(code, Qt::CaseSensitive)) return;
    history.append(code);
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(history, kAppleSearchDTCKey);
    defaults.synchronize();
}

QString localizedText(const QString& key) {
    const std::shared_ptr<LanguageBundle> bundle = KorvoUpdateCommonTool::sharedTool().getCurrentLanguageBundle();
    return bundle ? bundle->localizedString(key, QString(), kLocalizableTable) : key;
}
