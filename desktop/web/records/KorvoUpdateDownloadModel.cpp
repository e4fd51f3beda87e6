#include "KorvoUpdateDownloadModel.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Exception.h>
#include <SQLiteCpp/Statement.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>
#include <optional>

namespace {

using Lock = std::lock_guard<std::mutex>;

// A JSON value as text: texts as they are, numbers and flags as JSON writes them; anything else is no text.
std::optional<QString> jsonText(const nlohmann::json& value) {
    if (value.is_string()) return QString::fromStdString(value.get<std::string>());
    if (value.is_number() || value.is_boolean()) return QString::fromStdString(value.dump());
    return std::nullopt;
}

std::optional<double> jsonDouble(const nlohmann::json& value) {
    if (value.is_number()) return value.get<double>();
    if (value.is_boolean()) return value.get<bool>() ? 1.0 : 0.0;
    if (value.is_string()) {
        // Qt also reads "nan" and "inf", which no price, progress or time is.
        bool ok = false;
        const double d = QString::fromStdString(value.get<std::string>()).trimmed().toDouble(&ok);
        if (ok && std::isfinite(d)) return d;
    }
    return std::nullopt;
}

std::optional<uint64_t> jsonUnsigned(const nlohmann::json& value) {
    if (value.is_number_unsigned()) return value.get<uint64_t>();
    if (value.is_number_integer()) {
        const int64_t i = value.get<int64_t>();
        if (i >= 0) return static_cast<uint64_t>(i);
        return std::nullopt;
    }
    const std::optional<double> d = jsonDouble(value);
    // 2^64 itself does not fit.
    if (d && std::isfinite(*d) && *d >= 0 && *d < 18446744073709551616.0) return static_cast<uint64_t>(*d);
    return std::nullopt;
}

std::optional<bool> jsonFlag(const nlohmann::json& value) {
    if (value.is_boolean()) return value.get<bool>();
    if (value.is_number()) return value.get<double>() != 0;
    if (value.is_string()) {
        const QString text = QString::fromStdString(value.get<std::string>()).trimmed().toLower();
        if (text == "true" || text == "yes" || text == "1") return true;
        if (text == "false" || text == "no" || text == "0") return false;
    }
    return std::nullopt;
}

nlohmann::json textJson(const QString& text) {
    if (text.isNull()) return nullptr;
    return text.toStdString();
}

// One column of the row by name; nullopt when the statement has no such column.
std::optional<SQLite::Column> column(const SQLite::Statement& row, const char* name) {
    try {
        return row.getColumn(row.getColumnIndex(name));
    } catch (const SQLite::Exception&) {
        return std::nullopt;
    }
}

QString columnText(const SQLite::Statement& row, const char* name) {
    const auto c = column(row, name);
    if (!c || c->isNull()) return QString::fromLatin1(kKorvoUpdateNullColumnText);
    return QString::fromUtf8(c->getText(), c->getBytes());
}

int64_t columnInteger(const SQLite::Statement& row, const char* name) {
    const auto c = column(row, name);
    return c && !c->isNull() ? c->getInt64() : 0;
}

double columnDouble(const SQLite::Statement& row, const char* name) {
    const auto c = column(row, name);
    return c && !c->isNull() ? c->getDouble() : 0.0;
}

QByteArray columnBytes(const SQLite::Statement& row, const char* name) {
    const auto c = column(row, name);
    if (!c || c->isNull()) return QByteArray();
    const int size = c->getBytes();
    if (size <= 0) return QByteArray(""); // an empty blob is data, not nothing
    return QByteArray(static_cast<const char*>(c->getBlob()), size);
}

} // namespace

QMap<QString, QString> KorvoUpdateDownloadModel::mj_replacedKeyFromPropertyName() {
    return {{"releaseVerion", "release"},
            {"isUpdate", "is_update"},
            {"filePath", "file_path"},
            {"sdPath", "sd_path"},
            {"updateInfo", "update_info"}};
}

KorvoUpdateDownloadModelPtr KorvoUpdateDownloadModel::mj_objectWithKeyValues(const nlohmann::json& object) {
    if (!object.is_object()) return nullptr;
    auto model = create();
    auto& m = *model; // not shared yet: no lock needed
    const auto text = [&](const char* key, QString& field) {
        const auto it = object.find(key);
        if (it == object.end()) return;
        if (const auto value = jsonText(*it)) field = *value;
    };
    const auto real = [&](const char* key, double& field) {
        const auto it = object.find(key);
        if (it == object.end()) return;
        if (const auto value = jsonDouble(*it)) field = *value;
    };
    const auto count = [&](const char* key, uint64_t& field) {
        const auto it = object.find(key);
        if (it == object.end()) return;
        if (const auto value = jsonUnsigned(*it)) field = *value;
    };
    text("software", m.m_software);
    text("version", m.m_version);
    text("language", m.m_language);
    text("release", m.m_releaseVerion);
    if (const auto it = object.find("is_update"); it != object.end())
        if (const auto value = jsonFlag(*it)) m.m_isUpdate = *value;
    text("file_path", m.m_filePath);
    text("sd_path", m.m_sdPath);
    text("update_info", m.m_updateInfo);
    real("price", m.m_price);
    text("vehicle", m.m_vehicle);
    text("vid", m.m_vid);
    text("url", m.m_url);
    real("progress", m.m_progress);
    count("totalFileSize", m.m_totalFileSize);
    count("tmpFileSize", m.m_tmpFileSize);
    count("speed", m.m_speed);
    real("lastSpeedTime", m.m_lastSpeedTime);
    count("intervalFileSize", m.m_intervalFileSize);
    count("lastStateTime", m.m_lastStateTime);
    if (const auto it = object.find("ratio"); it != object.end())
        if (const auto value = jsonDouble(*it)) m.m_ratio = static_cast<float>(*value);
    count("expectedContentLength", m.m_expectedContentLength);
    return model;
}

nlohmann::json KorvoUpdateDownloadModel::mj_keyValues() const {
    Lock lock(m_mutex);
    nlohmann::json j = nlohmann::json::object();
    j["software"] = textJson(m_software);
    j["version"] = textJson(m_version);
    j["language"] = textJson(m_language);
    j["release"] = textJson(m_releaseVerion);
    j["is_update"] = m_isUpdate;
    j["file_path"] = textJson(m_filePath);
    j["sd_path"] = textJson(m_sdPath);
    j["update_info"] = textJson(m_updateInfo);
    j["price"] = m_price;
    j["vehicle"] = textJson(m_vehicle);
    j["zipPath"] = textJson(m_zipPath);
    j["vid"] = textJson(m_vid);
    j["url"] = textJson(m_url);
    j["progress"] = m_progress;
    j["state"] = m_state;
    j["totalFileSize"] = m_totalFileSize;
    j["tmpFileSize"] = m_tmpFileSize;
    j["speed"] = m_speed;
    j["lastSpeedTime"] = m_lastSpeedTime;
    j["intervalFileSize"] = m_intervalFileSize;
    j["lastStateTime"] = m_lastStateTime;
    j["ratio"] = m_ratio;
    j["expectedContentLength"] = m_expectedContentLength;
    return j;
}

KorvoUpdateDownloadModelPtr KorvoUpdateDownloadModel::initWithFMResultSet(const SQLite::Statement& row) {
    try {
        if (!row.hasRow()) return nullptr;
        auto model = create();
        auto& m = *model;
        m.m_software = columnText(row, "software");
        m.m_version = columnText(row, "version");
        m.m_language = columnText(row, "language");
        m.m_releaseVerion = columnText(row, "releaseVerion");
        m.m_isUpdate = columnInteger(row, "isUpdate") != 0;
        m.m_filePath = columnText(row, "filePath");
        m.m_sdPath = columnText(row, "sdPath");
        m.m_updateInfo = columnText(row, "updateInfo");
        m.m_price = columnDouble(row, "price");
        m.m_vehicle = columnText(row, "vehicle");
        m.m_zipPath = columnText(row, "zipPath");
        m.m_vid = columnText(row, "vid");
        m.m_url = columnText(row, "url");
        m.m_resumeData = columnBytes(row, "resumeData");
        m.m_progress = static_cast<float>(columnDouble(row, "progress"));
        m.m_state = columnInteger(row, "state");
        m.m_totalFileSize = static_cast<uint64_t>(columnInteger(row, "totalFileSize"));
        m.m_tmpFileSize = static_cast<uint64_t>(columnInteger(row, "tmpFileSize"));
        m.m_speed = static_cast<uint64_t>(columnInteger(row, "speed"));
        m.m_lastSpeedTime = columnDouble(row, "lastSpeedTime");
        m.m_intervalFileSize = static_cast<uint64_t>(columnInteger(row, "intervalFileSize"));
        m.m_lastStateTime = static_cast<uint64_t>(columnInteger(row, "lastStateTime"));
        m.m_ratio = static_cast<float>(columnDouble(row, "ratio"));
        m.m_expectedContentLength = static_cast<uint64_t>(columnInteger(row, "expectedContentLength"));
        return model;
    } catch (const std::exception&) {
        return nullptr;
    }
}

QString KorvoUpdateDownloadModel::language() const {
    Lock lock(m_mutex);
    if (m_language.isNull()) return QString();
    // trimmed() of an all-blank text is empty but not null, as wanted.
    QString trimmed = m_language.trimmed();
    return trimmed.isNull() ? QString("") : trimmed;
}

QString KorvoUpdateDownloadModel::storedLanguage() const {
    Lock lock(m_mutex);
    return m_language;
}

QString KorvoUpdateDownloadModel::updateInfo() const {
    Lock lock(m_mutex);
    if (m_updateInfo.isNull()) return QString();
    QString info = m_updateInfo;
    info.replace(QLatin1String(kKorvoUpdateLineBreakMarker), QLatin1String("\n"));
    return info;
}

QString KorvoUpdateDownloadModel::storedUpdateInfo() const {
    Lock lock(m_mutex);
    return m_updateInfo;
}

#define KORVO_ACCESSORS(Type, getter, setter, field)                                                                   \
    Type KorvoUpdateDownloadModel::getter() const {                                                                    \
        Lock lock(m_mutex);                                                                                            \
        return field;                                                                                                  \
    }                                                                                                                  \
    void KorvoUpdateDownloadModel::setter(const Type& value) {                                                         \
        Lock lock(m_mutex);                                                                                            \
        field = value;                                                                                                 \
    }

#define KORVO_VALUE_ACCESSORS(Type, getter, setter, field)                                                             \
    Type KorvoUpdateDownloadModel::getter() const {                                                                    \
        Lock lock(m_mutex);                                                                                            \
        return field;                                                                                                  \
    }                                                                                                                  \
    void KorvoUpdateDownloadModel::setter(Type value) {                                                                \
        Lock lock(m_mutex);                                                                                            \
        field = value;                                                                                                 \
    }

KORVO_ACCESSORS(QString, software, setSoftware, m_software)
KORVO_ACCESSORS(QString, version, setVersion, m_version)
KORVO_ACCESSORS(QString, releaseVerion, setReleaseVerion, m_releaseVerion)
KORVO_ACCESSORS(QString, filePath, setFilePath, m_filePath)
KORVO_ACCESSORS(QString, sdPath, setSdPath, m_sdPath)
KORVO_ACCESSORS(QString, vehicle, setVehicle, m_vehicle)
KORVO_ACCESSORS(QString, zipPath, setZipPath, m_zipPath)
KORVO_ACCESSORS(QString, vid, setVid, m_vid)
KORVO_ACCESSORS(QString, url, setUrl, m_url)
KORVO_ACCESSORS(QByteArray, resumeData, setResumeData, m_resumeData)
KORVO_VALUE_ACCESSORS(bool, isUpdate, setIsUpdate, m_isUpdate)
KORVO_VALUE_ACCESSORS(double, price, setPrice, m_price)
KORVO_VALUE_ACCESSORS(double, progress, setProgress, m_progress)
KORVO_VALUE_ACCESSORS(int64_t, state, setState, m_state)
KORVO_VALUE_ACCESSORS(uint64_t, totalFileSize, setTotalFileSize, m_totalFileSize)
KORVO_VALUE_ACCESSORS(uint64_t, tmpFileSize, setTmpFileSize, m_tmpFileSize)
KORVO_VALUE_ACCESSORS(uint64_t, speed, setSpeed, m_speed)
KORVO_VALUE_ACCESSORS(double, lastSpeedTime, setLastSpeedTime, m_lastSpeedTime)
KORVO_VALUE_ACCESSORS(uint64_t, intervalFileSize, setIntervalFileSize, m_intervalFileSize)
KORVO_VALUE_ACCESSORS(uint64_t, lastStateTime, setLastStateTime, m_lastStateTime)
KORVO_VALUE_ACCESSORS(float, ratio, setRatio, m_ratio)
KORVO_VALUE_ACCESSORS(uint64_t, expectedContentLength, setExpectedContentLength, m_expectedContentLength)
KORVO_VALUE_ACCESSORS(int32_t, resumeCount, setResumeCount, m_resumeCount)
KORVO_VALUE_ACCESSORS(bool, isSelected, setSelected, m_selected)

void KorvoUpdateDownloadModel::setLanguage(const QString& value) {
    Lock lock(m_mutex);
    m_language = value;
}

void KorvoUpdateDownloadModel::setUpdateInfo(const QString& value) {
    Lock lock(m_mutex);
    m_updateInfo = value;
}
