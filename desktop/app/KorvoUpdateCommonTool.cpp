#include "KorvoUpdateCommonTool.h"

#include "Documents.h"
#include "UserDefaults.h"
#include "mainbundle.h"
#include "safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>

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

// ---- Paths, versions and vehicle lists ----

namespace {

constexpr char kUpdateFolderName[] = "Update";
constexpr char kVersionFileName[] = "version.txt";
constexpr char kScanFolderName[] = "Scan";
constexpr char kVehicleListResource[] = "car_ini";
constexpr char kVersionListResource[] = "car_version";
constexpr char kResourceType[] = "txt";
constexpr char kLineSeparator[] = "\r\n";
constexpr char kSectionMarker[] = "//";
constexpr char kEntrySeparator[] = "\t\t";
constexpr char kPairSeparator[] = " = ";
constexpr char kGeneralSection[] = "General";

// Joins path parts with one "/" between them, as the platform's path-component rule does: repeated slashes fold
// into one and a trailing slash goes. Nothing is resolved: ".." stays for the callers that must refuse it.
QString appendPathComponent(const QString& base, const QString& component) {
    QString joined = base.isEmpty() ? component : base + "/" + component;
    QString folded;
    folded.reserve(joined.size());
    for (const QChar c : joined) {
        if (c == '/' && folded.endsWith('/')) continue;
        folded.append(c);
    }
    if (folded.size() > 1 && folded.endsWith('/')) folded.chop(1);
    return folded;
}

QString lastPathPart(const QString& url) {
    return url.mid(url.lastIndexOf('/') + 1);
}

bool isFolderEntryName(const QString& name) {
    return !name.isEmpty() && name != "." && name != "..";
}

// A card-relative path that names a place strictly below the card root: usable text whose every "/"-separated
// component is a name, none empty, "." or "..". Nothing is cleaned: "Scan/BMW/.." is refused, not read as "Scan".
bool isCardRelativePath(const QString& path) {
    if (!KorvoUpdateCommonTool::isUsableText(path)) return false;
    const QStringList components = path.split('/');
    return std::all_of(components.begin(), components.end(), isFolderEntryName);
}

bool pathExists(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString upperFirst(const QString& text) {
    return text.isEmpty() ? text : text.left(1).toUpper() + text.mid(1);
}

QString lowerFirst(const QString& text) {
    return text.isEmpty() ? text : text.left(1).toLower() + text.mid(1);
}

QString readResource(const char* name) {
    const QString path = mainbundle::pathForResource(name, kResourceType);
    return KorvoUpdateCommonTool::getContentFromFilePath(path);
}

// A line of the vehicle list that is an entry: the path, exactly one pair of TABs, the vehicle. A third TAB next
// to the pair makes no entry.
std::optional<KorvoUpdateVehicleModel> vehicleEntry(const QString& line) {
    if (line.startsWith(kSectionMarker)) return std::nullopt;
    const QStringList fields = line.split(kEntrySeparator);
    if (fields.size() != 2 || fields[1].startsWith('\t')) return std::nullopt;
    return KorvoUpdateVehicleModel(fields[0], fields[1]);
}

struct Section {
    QString name;
    int start; // index of the header line
    int end;   // one past its last line
};

// Sections of a list text split at every CR LF: a header ("//" first) ends the open section and opens one named by
// the header without its "//". The open section runs to the end of the text, so a file without a final CR LF keeps
// its last line.
std::vector<Section> sectionsOf(const QStringList& lines) {
    std::vector<Section> sections;
    for (int i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith(kSectionMarker)) continue;
        if (!sections.empty()) sections.back().end = i;
        sections.push_back({QString(lines[i]).remove(kSectionMarker), i, int(lines.size())});
    }
    return sections;
}

} // namespace

QString KorvoUpdateCommonTool::saveFilePath() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_saveFilePath;
}

void KorvoUpdateCommonTool::setSaveFilePath(const QString& path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_saveFilePath = path;
}

float KorvoUpdateCommonTool::getVersionNumber(const QString& text) {
    int begin = 0;
    int end = text.size();
    while (begin < end && !text[begin].isDigit())
        ++begin;
    while (end > begin && !text[end - 1].isDigit())
        --end;
    // The leading decimal number in ASCII digits: digits, then optionally a point and more digits.
    QByteArray number;
    int i = begin;
    for (; i < end && text[i] >= '0' && text[i] <= '9'; ++i)
        number.append(char(text[i].unicode()));
    if (i < end && text[i] == '.') {
        number.append('.');
        for (++i; i < end && text[i] >= '0' && text[i] <= '9'; ++i)
            number.append(char(text[i].unicode()));
    }
    if (number.isEmpty() || number == ".") return 0.0f;
    // Read with a point before the fraction whatever the user's locale says.
    float value = 0.0f;
    std::from_chars(number.constData(), number.constData() + number.size(), value);
    return value;
}

float KorvoUpdateCommonTool::compare2Version1(const QString& version1, const QString& version2) {
    return getVersionNumber(version1) - getVersionNumber(version2);
}

bool KorvoUpdateCommonTool::compareVersion1(const QString& version1, const QString& version2) {
    // The difference stays single precision: V1.002 against V1.001 is not newer.
    constexpr double kNewerMargin = 0.001;
    return static_cast<double>(compare2Version1(version1, version2)) > kNewerMargin;
}

bool KorvoUpdateCommonTool::isSameVersion(const KorvoUpdateDownloadModel& model) const {
    const QString installed = getVersionFromFilePath(getSoftwarePath(model));
    if (installed.isEmpty()) return false;
    // Rounded to the nearest hundredth: the ceiling of v x 100 in single precision made 1.08 and 1.09 one version.
    const auto hundredths = [](float v) { return std::llround(static_cast<double>(v) * 100.0); };
    return hundredths(getVersionNumber(installed)) == hundredths(getVersionNumber(model.version()));
}

QString KorvoUpdateCommonTool::getMaxVersionFromList(const std::vector<KorvoUpdateDownloadModelPtr>& list) const {
    float highest = 0;
    for (const auto& model : list) {
        if (!model) continue;
        const float v = getVersionNumber(getVersionFromFilePath(getSoftwarePath(*model)));
        if (v > highest) highest = v;
    }
    return QString::asprintf("V%0.02f", static_cast<double>(highest));
}

QString KorvoUpdateCommonTool::getUpdateDirectory() const {
    const QString documents = platform::documentsDirectory();
    if (documents.isEmpty()) return {};
    const QString path = appendPathComponent(documents, kUpdateFolderName);
    return QDir().mkpath(path) ? path : QString();
}

QString KorvoUpdateCommonTool::getSoftwareUpdatePathWithSoftware(const QString& name) const {
    if (!isFolderEntryName(name) || name.contains('/') || name.contains("..")) return {};
    const QString folder = getUpdateDirectory();
    if (folder.isEmpty()) return {};
    const QString path = appendPathComponent(folder, name);
    return QDir().mkpath(path) ? path : QString();
}

QString KorvoUpdateCommonTool::getZipResourcePath(const QString& url) const {
    const QString name = lastPathPart(url);
    if (!isFolderEntryName(name)) return {};
    const QString folder = getUpdateDirectory();
    return folder.isEmpty() ? QString() : appendPathComponent(folder, name);
}

QString KorvoUpdateCommonTool::get7zFileName(const QString& url) {
    QString name = lastPathPart(url);
    if (name.endsWith(".zip")) name = name.left(name.lastIndexOf('.') + 1) + "7z";
    return name;
}

QString KorvoUpdateCommonTool::get7ZResourcePath(const QString& url) const {
    const QString name = get7zFileName(url);
    if (!isFolderEntryName(name)) return {};
    const QString folder = getUpdateDirectory();
    return folder.isEmpty() ? QString() : appendPathComponent(folder, name);
}

QString KorvoUpdateCommonTool::getDataPackageURLFromZipURL(const QString& url) {
    const int nameStart = url.lastIndexOf('/') + 1;
    const int cut = url.lastIndexOf('_');
    // Only an "_" inside the file name counts; one in a folder name would cut the folder.
    if (cut < nameStart || !url.endsWith(".zip")) return url;
    return url.left(cut) + ".zip";
}

QString KorvoUpdateCommonTool::getVersion() const {
    const QString documents = platform::documentsDirectory();
    if (documents.isEmpty()) return {};
    return getContentFromFilePath(appendPathComponent(documents, kVersionFileName));
}

bool KorvoUpdateCommonTool::writeVersion(const QString& text) const {
    const QString documents = platform::documentsDirectory();
    if (documents.isEmpty()) return false;
    const QByteArray bytes = text.toUtf8();
    return safefile::ReplaceFile(QFile::encodeName(appendPathComponent(documents, kVersionFileName)).toStdString(),
                                 bytes.constData(), size_t(bytes.size()));
}

QString KorvoUpdateCommonTool::getDecompressPathWithSoftware(const QString& relativePath) const {
    const QString root = saveFilePath();
    if (root.isEmpty()) return {};
    return appendPathComponent(root, relativePath);
}

QString KorvoUpdateCommonTool::getScanPathFromSDCard() const {
    return getDecompressPathWithSoftware(kScanFolderName);
}

QString KorvoUpdateCommonTool::getParentPath(const QString& path) {
    const int slash = path.lastIndexOf('/');
    return slash < 0 ? QString() : path.left(slash);
}

QString KorvoUpdateCommonTool::getSoftwareParentPath(const KorvoUpdateDownloadModel& model) const {
    return getDecompressPathWithSoftware(getParentPath(model.sdPath()));
}

QString KorvoUpdateCommonTool::getSoftwarePathByPath(const QString& relativePath) const {
    if (!isUsableText(relativePath)) return {};
    const QString path = getDecompressPathWithSoftware(relativePath);
    if (path.isEmpty()) return {};
    if (pathExists(path)) return path;
    return getPathByDirectoryEnumerator(path);
}

QString KorvoUpdateCommonTool::getSoftwarePath(const KorvoUpdateDownloadModel& model) const {
    return getSoftwarePathByPath(model.sdPath());
}

QString KorvoUpdateCommonTool::getPathByDirectoryEnumerator(const QString& fullPath) {
    const int slash = fullPath.lastIndexOf('/');
    const QString parent = slash < 0 ? QString() : fullPath.left(slash + 1);
    const QString name = fullPath.mid(slash + 1);
    if (name.isEmpty()) return {};
    for (const QString& form : {name.toUpper(), upperFirst(name), lowerFirst(name), name.toLower()}) {
        if (pathExists(parent + form)) return parent + form;
    }
    return {};
}

bool KorvoUpdateCommonTool::getHasSoftwarePath(const KorvoUpdateDownloadModel& model) const {
    const QString root = saveFilePath();
    return !root.isEmpty() && isCardRelativePath(model.sdPath()) &&
           pathExists(appendPathComponent(root, model.sdPath()));
}

bool KorvoUpdateCommonTool::getHasDownFile(const KorvoUpdateDownloadModel& model) {
    return pathExists(model.zipPath());
}

bool KorvoUpdateCommonTool::unInstallSoftwore(const KorvoUpdateDownloadModel& model) const {
    // sdPath comes from the web service: an empty path, "..", or an unset root must never reach the removal.
    const QString root = saveFilePath();
    const QString relative = model.sdPath();
    if (root.isEmpty() || !isCardRelativePath(relative)) return false;
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    if (canonicalRoot.isEmpty()) return false;
    const QString target = QDir::cleanPath(appendPathComponent(root, relative));
    const QString cleanRoot = QDir::cleanPath(root);
    if (!target.startsWith(cleanRoot == "/" ? cleanRoot : cleanRoot + "/") || target == cleanRoot) return false;
    const QFileInfo info(target);
    if (!info.exists() && !info.isSymLink()) return false;
    const QString parent = QFileInfo(info.path()).canonicalFilePath();
    if (parent != canonicalRoot && !parent.startsWith(canonicalRoot == "/" ? canonicalRoot : canonicalRoot + "/"))
        return false;
    return removeItemAtPath(target);
}

bool KorvoUpdateCommonTool::hasDotComponent(const QString& path) {
    const QStringList parts = path.split(QLatin1Char('/'));
    return parts.contains(QStringLiteral(".")) || parts.contains(QStringLiteral(".."));
}

bool KorvoUpdateCommonTool::removeItemAtPath(const QString& path) {
    // "link/" names the folder behind the link; the item is the path without its trailing slashes.
    QString item = path;
    while (item.size() > 1 && item.endsWith('/'))
        item.chop(1);
    if (item.isEmpty() || hasDotComponent(item)) return false;
    const QByteArray name = QFile::encodeName(item);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0) return false;
    // A link goes by itself: following it would empty the folder it points to.
    if (S_ISDIR(st.st_mode)) return QDir(item).removeRecursively();
    return ::unlink(name.constData()) == 0;
}

QString KorvoUpdateCommonTool::getLinkFromFilePath(const QString& folder) {
    if (folder.isEmpty()) return {};
    for (const char* name : {"link.txt", "LINK.TXT"}) {
        const QString path = appendPathComponent(folder, name);
        if (pathExists(path)) return path;
    }
    return {};
}

QString KorvoUpdateCommonTool::getVersionPathFromFilePath(const QString& folder) {
    if (folder.isEmpty()) return {};
    for (const char* name : {"VERSION.TXT", "version.txt", "Version.txt"}) {
        const QString path = appendPathComponent(folder, name);
        if (pathExists(path)) return path;
    }
    return {};
}

QString KorvoUpdateCommonTool::getVersionFromFilePath(const QString& folder) {
    const QString path = getVersionPathFromFilePath(folder);
    return path.isEmpty() ? QString() : getContentFromFilePath(path);
}

QString KorvoUpdateCommonTool::getContentFromFilePath(const QString& path) {
    if (path.isEmpty()) return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

bool KorvoUpdateCommonTool::getIsHasLanFromModel(const KorvoUpdateDownloadModel& model) const {
    if (!isUsableText(model.sdPath())) return false;
    const QString folder = getSoftwarePathByPath(model.sdPath());
    if (folder.isEmpty()) return false;
    return getIsHasLanFromFilePath(folder, model.language().remove(' '));
}

bool KorvoUpdateCommonTool::getIsHasLanFromFilePath(const QString& folder, const QString& name) {
    if (folder.isEmpty()) return false;
    for (const QString& file :
         {name.toLower() + ".cfg", name.toUpper() + ".cfg", upperFirst(name) + ".cfg", name.toLower() + ".CFG"}) {
        if (pathExists(appendPathComponent(folder, file))) return true;
    }
    return false;
}

bool KorvoUpdateCommonTool::isUsableText(const QString& text) {
    if (text.isNull() || text == "NULL" || text == "<null>" || text == "(null)") return false;
    return !text.trimmed().isEmpty();
}

std::vector<KorvoUpdateVehicleModel> KorvoUpdateCommonTool::getVehicleModelsFromBundle() const {
    std::vector<KorvoUpdateVehicleModel> models;
    for (const QString& line : readResource(kVehicleListResource).split(kLineSeparator)) {
        if (const auto entry = vehicleEntry(line)) models.push_back(*entry);
    }
    return models;
}

QMap<QString, KorvoUpdateVehicleModel> KorvoUpdateCommonTool::getNewAllVehicleModelsFromBundle() const {
    QMap<QString, KorvoUpdateVehicleModel> models;
    for (const KorvoUpdateVehicleModel& model : getVehicleModelsFromBundle())
        models.insert(model.path().toUpper(), model);
    return models;
}

QMap<QString, std::vector<KorvoUpdateVehicleModel>> KorvoUpdateCommonTool::getAllVehicleModelsFromBundle() const {
    QMap<QString, std::vector<KorvoUpdateVehicleModel>> result;
    const QString text = readResource(kVehicleListResource);
    if (text.isEmpty()) return result;
    const QStringList lines = text.split(kLineSeparator);
    const std::vector<Section> sections = sectionsOf(lines);
    if (sections.empty()) return result;
    const auto entries = [&](int from, int to) {
        std::vector<KorvoUpdateVehicleModel> models;
        for (int i = from; i < to; ++i)
            if (const auto entry = vehicleEntry(lines[i])) models.push_back(*entry);
        return models;
    };
    result.insert(kGeneralSection, entries(0, sections.front().start));
    for (const Section& s : sections)
        result.insert(s.name, entries(s.start + 1, s.end));
    return result;
}

QMap<QString, QMap<QString, QString>> KorvoUpdateCommonTool::getAllVersionModelsFromBundle() const {
    QMap<QString, QMap<QString, QString>> result;
    const QString text = readResource(kVersionListResource);
    if (text.isEmpty()) return result;
    const QStringList lines = text.split(kLineSeparator);
    for (const Section& s : sectionsOf(lines)) {
        QMap<QString, QString> pairs;
        for (int i = s.start + 1; i < s.end; ++i) {
            const QStringList fields = lines[i].split(kPairSeparator);
            if (fields.size() == 2) pairs.insert(fields[0], fields[1]);
        }
        result.insert(s.name, pairs);
    }
    return result;
}

QMap<QString, QStringList> KorvoUpdateCommonTool::getVehicles() const {
    const std::vector<KorvoUpdateVehicleModel> models = getVehicleModelsFromBundle();
    QStringList names;
    for (const KorvoUpdateVehicleModel& m : models) {
        if (m.vehicle().compare(m.subVehicle(), Qt::CaseInsensitive) == 0 &&
            !names.contains(m.vehicle(), Qt::CaseInsensitive))
            names.append(m.vehicle());
    }
    // Not offered as vehicles of their own.
    const QStringList excluded = {"FordAU", "SEAT"};
    names.erase(std::remove_if(names.begin(), names.end(),
                               [&](const QString& name) { return excluded.contains(name, Qt::CaseInsensitive); }),
                names.end());
    QMap<QString, QStringList> vehicles;
    for (const QString& name : names) {
        QStringList subs;
        for (const KorvoUpdateVehicleModel& m : models) {
            if (m.vehicle().compare(name, Qt::CaseInsensitive) == 0 &&
                !subs.contains(m.subVehicle(), Qt::CaseInsensitive))
                subs.append(m.subVehicle());
        }
        vehicles.insert(name, subs);
    }
    return vehicles;
}

bool KorvoUpdateCommonTool::isAvailablePassword(const QString& text) {
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern("(?![0-9]+$)(?![a-zA-Z]+$)[a-zA-Z0-9]{6,16}"));
    return pattern.match(text).hasMatch();
}

bool KorvoUpdateCommonTool::isAvailableEmail(const QString& text) {
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern("[A-Z0-9a-z._%+-]+@[A-Za-z0-9.-]+\\.[A-Za-z]{2,4}"));
    return pattern.match(text).hasMatch();
}
