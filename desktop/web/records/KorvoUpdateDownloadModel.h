// One downloadable package file of a product: as the web service lists it, as the download engine tracks it and as
// the record store keeps it. Records are shared between the engine, the store, the screens and notifications, so
// they live in a std::shared_ptr and every accessor is safe against concurrent use of the same record (each field
// on its own; nothing keeps several fields consistent with each other).
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <memory>
#include <mutex>

namespace SQLite {
class Statement;
}

// Values of KorvoUpdateDownloadModel::state().
enum KorvoUpdateDownloadState : int64_t {
    KorvoUpdateDownloadStateNew = 0, // not started; also a finished record whose file has gone missing
    KorvoUpdateDownloadStateDownloading = 1,
    KorvoUpdateDownloadStateWaiting = 2, // queued behind the limit of concurrent downloads
    KorvoUpdateDownloadStatePaused = 3,
    KorvoUpdateDownloadStateFinished = 4,
    KorvoUpdateDownloadStateFailed = 5,
};

// The marker the web client puts in place of every line feed of a reply; updateInfo() turns it back.
inline constexpr char kKorvoUpdateLineBreakMarker[] = "MARODA_KORVO_FLAG";
// What a text column holding SQL NULL reads as.
inline constexpr char kKorvoUpdateNullColumnText[] = "<null>";

class KorvoUpdateDownloadModel;
using KorvoUpdateDownloadModelPtr = std::shared_ptr<KorvoUpdateDownloadModel>;

class KorvoUpdateDownloadModel {
public:
    // A new record: every number 0, every flag false, every text and resumeData null (not empty), state 0.
    KorvoUpdateDownloadModel() = default;
    KorvoUpdateDownloadModel(const KorvoUpdateDownloadModel&) = delete;
    KorvoUpdateDownloadModel& operator=(const KorvoUpdateDownloadModel&) = delete;

    static KorvoUpdateDownloadModelPtr create() { return std::make_shared<KorvoUpdateDownloadModel>(); }

    // The five fields whose JSON key is not their own name: field name to JSON key.
    static QMap<QString, QString> mj_replacedKeyFromPropertyName();
    // A record filled from a JSON object of the web service; null when the value is not an object. A field is read
    // only from its key (a replaced key when it has one); texts may arrive as numbers and numbers as texts; JSON
    // null and values of a wrong kind leave the field unset. "zipPath", "state" and "resumeData" are never taken
    // from the service: the engine alone decides which local file a record names and what it has done with it.
    static KorvoUpdateDownloadModelPtr mj_objectWithKeyValues(const nlohmann::json& object);
    // The record as a JSON object under the same keys (null texts as JSON null); resumeData, resumeCount and
    // selected are left out.
    nlohmann::json mj_keyValues() const;

    // The record of the row the statement stands on (either table of the record store), or null when it stands on
    // none. Columns are read by name: a text column holding NULL gives the text "<null>", a numeric one 0, a
    // missing column counts as NULL. progress is read at single precision. language and updateInfo are taken as
    // stored, so their getters transform them as for any record.
    static KorvoUpdateDownloadModelPtr initWithFMResultSet(const SQLite::Statement& row);

    QString software() const;
    void setSoftware(const QString& value);
    QString version() const;
    void setVersion(const QString& value);
    // The stored language with white space and line breaks removed from both ends; null stays null.
    QString language() const;
    QString storedLanguage() const;
    void setLanguage(const QString& value);
    QString releaseVerion() const;
    void setReleaseVerion(const QString& value);
    bool isUpdate() const;
    void setIsUpdate(bool value);
    QString filePath() const;
    void setFilePath(const QString& value);
    QString sdPath() const;
    void setSdPath(const QString& value);
    // The stored notes with every line-break marker replaced by a line feed; null stays null.
    QString updateInfo() const;
    QString storedUpdateInfo() const;
    void setUpdateInfo(const QString& value);
    double price() const;
    void setPrice(double value);
    QString vehicle() const;
    void setVehicle(const QString& value);
    QString zipPath() const;
    void setZipPath(const QString& value);
    QString vid() const;
    void setVid(const QString& value);
    QString url() const;
    void setUrl(const QString& value);
    QByteArray resumeData() const;
    void setResumeData(const QByteArray& value);
    double progress() const;
    void setProgress(double value);
    int64_t state() const;
    void setState(int64_t value);
    uint64_t totalFileSize() const;
    void setTotalFileSize(uint64_t value);
    uint64_t tmpFileSize() const;
    void setTmpFileSize(uint64_t value);
    uint64_t speed() const;
    void setSpeed(uint64_t value);
    double lastSpeedTime() const;
    void setLastSpeedTime(double value);
    uint64_t intervalFileSize() const;
    void setIntervalFileSize(uint64_t value);
    uint64_t lastStateTime() const;
    void setLastStateTime(uint64_t value);
    float ratio() const;
    void setRatio(float value);
    uint64_t expectedContentLength() const;
    void setExpectedContentLength(uint64_t value);
    // Memory only: never stored nor mapped to JSON.
    int32_t resumeCount() const;
    void setResumeCount(int32_t value);
    bool isSelected() const;
    void setSelected(bool value);

private:
    mutable std::mutex m_mutex;
    QString m_software;
    QString m_version;
    QString m_language;
    QString m_releaseVerion;
    bool m_isUpdate = false;
    QString m_filePath;
    QString m_sdPath;
    QString m_updateInfo;
    double m_price = 0;
    QString m_vehicle;
    QString m_zipPath;
    QString m_vid;
    QString m_url;
    QByteArray m_resumeData;
    double m_progress = 0;
    int64_t m_state = KorvoUpdateDownloadStateNew;
    uint64_t m_totalFileSize = 0;
    uint64_t m_tmpFileSize = 0;
    uint64_t m_speed = 0;
    double m_lastSpeedTime = 0;
    uint64_t m_intervalFileSize = 0;
    uint64_t m_lastStateTime = 0;
    float m_ratio = 0;
    uint64_t m_expectedContentLength = 0;
    int32_t m_resumeCount = 0;
    bool m_selected = false;
};
